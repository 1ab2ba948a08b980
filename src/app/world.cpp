// world.cpp -- PLACEHOLDER until the world set-up lands
#include "app/world.h"

Texture* blurTexture = nullptr;
Texture* terrainTexture = nullptr;
Texture* logoTexture = nullptr;
Texture* texture2 = nullptr;
Texture* texture3 = nullptr;
Texture* hiphopTexture = nullptr;
unsigned char* colourMap = nullptr;
Vertex particles[kParticleCount];
Vertex particleTails[kParticleCount];
Vertex trailHeads[kTrailCount];
double worldSetUpMilliseconds = 0;

bool setUpWorld() { return true; }
