// scene10.cpp -- timeline entry 10 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene10Init() {}
void scene10Draw(uint32_t) {}
