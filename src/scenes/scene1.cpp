// scene1.cpp -- timeline entry 1 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene1Init() {}
void scene1Draw(uint32_t) {}
