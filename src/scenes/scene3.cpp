// scene3.cpp -- timeline entry 3 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene3Init() {}
void scene3Draw(uint32_t) {}
