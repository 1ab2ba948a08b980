// scene7.cpp -- timeline entry 7 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene7Init() {}
void scene7Draw(uint32_t) {}
