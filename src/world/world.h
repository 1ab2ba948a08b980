// world.h -- the state every scene starts from: GL state, lights, textures, colour map,
// the background colour
#pragma once
#include <memory>

#include "geometry/vertex.h"
#include "image/texture.h"

extern std::unique_ptr<Texture> terrainTexture;
extern std::unique_ptr<Texture> logoTexture;
extern std::unique_ptr<Texture> texture2;
extern std::unique_ptr<Texture> texture3;
extern std::unique_ptr<Texture> hiphopTexture;

extern ColourRGB clearColour;  // the background, set by the scenes

constexpr int kColourMapSide = 80;
constexpr int kColourMapBytes = kColourMapSide * kColourMapSide * 3;
extern std::unique_ptr<unsigned char[]> colourMap;  // 80 x 80 RGB

// Point arrays that exist from program start, default records.
constexpr int kParticleCount = 500;
constexpr int kTrailCount = 100;
extern Vertex particles[kParticleCount];
extern Vertex particleTails[kParticleCount];
extern Vertex trailHeads[kTrailCount];

bool setUpWorld();
// Gives the textures' GL names back; before the GL context goes.
void releaseWorldTextures();

// World set-up time of the last setUpWorld call, in ms (for the benchmark).
extern double worldSetUpMilliseconds;
