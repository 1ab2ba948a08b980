// scene8.cpp -- timeline entry 8 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene8Init() {}
void scene8Draw(uint32_t) {}
