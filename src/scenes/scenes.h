// scenes.h -- each scene's init and draw; scene_table.cpp pairs them with the schedule
#pragma once
#include <cstdint>

void scene0Init();
void scene0Draw(uint32_t ms);
void scene1Init();
void scene1Draw(uint32_t ms);
void scene2Init();
void scene2Draw(uint32_t ms);
void scene3Init();
void scene3Draw(uint32_t ms);
void scene4Init();
void scene4Draw(uint32_t ms);
void scene5Init();
void scene5Draw(uint32_t ms);
void scene6Init();
void scene6Draw(uint32_t ms);
void scene7Init();
void scene7Draw(uint32_t ms);
void scene8Init();
void scene8Draw(uint32_t ms);
void scene9Init();
void scene9Draw(uint32_t ms);
void scene10Init();
void scene10Draw(uint32_t ms);

// Scene 7: alpha of the innermost shell, rising by 0.005 per draw until past 1.
extern float layerAlpha;
