// scene2.cpp -- timeline entry 2 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene2Init() {}
void scene2Draw(uint32_t) {}
