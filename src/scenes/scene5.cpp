// scene5.cpp -- timeline entry 5 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene5Init() {}
void scene5Draw(uint32_t) {}
