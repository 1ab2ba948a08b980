// scene0.cpp -- timeline entry 0 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene0Init() {}
void scene0Draw(uint32_t) {}
