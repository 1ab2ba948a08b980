// generators.h -- the ring, the supershape surfaces and the colour-map terrain
#pragma once

class Mesh;

int makeRing(Mesh* mesh);
int makeSupershape(Mesh* mesh, int type, int resolution);  // types 1..7
int makeTerrain(Mesh* mesh, int columns, int rows, float spacing, const unsigned char* rgb);
