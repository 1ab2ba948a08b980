// world.h -- the state every scene starts from: GL state, lights, textures, colour map
#pragma once
#include "geometry/vertex.h"

class Texture;

extern Texture* blurTexture;
extern Texture* terrainTexture;
extern Texture* logoTexture;
extern Texture* texture2;
extern Texture* texture3;
extern Texture* hiphopTexture;

constexpr int kColourMapSide = 80;
constexpr int kColourMapBytes = kColourMapSide * kColourMapSide * 3;
extern unsigned char* colourMap;  // 80 x 80 RGB

// Point arrays that exist from program start, default records.
constexpr int kParticleCount = 500;
constexpr int kTrailCount = 100;
extern Vertex particles[kParticleCount];
extern Vertex particleTails[kParticleCount];
extern Vertex trailHeads[kTrailCount];

bool setUpWorld();

// World set-up time of the last setUpWorld call, in ms (for the benchmark).
extern double worldSetUpMilliseconds;
