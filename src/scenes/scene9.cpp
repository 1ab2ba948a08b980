// scene9.cpp -- timeline entry 9 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene9Init() {}
void scene9Draw(uint32_t) {}
