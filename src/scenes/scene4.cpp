// scene4.cpp -- timeline entry 4 (not built yet: draws nothing)
#include "scenes/scenes.h"

void scene4Init() {}
void scene4Draw(uint32_t) {}
