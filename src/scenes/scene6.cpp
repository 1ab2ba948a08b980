// scene6.cpp -- timeline entry 6 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene6Init() {}
void scene6Draw(uint32_t) {}
