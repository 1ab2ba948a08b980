// mesh_draw.h -- the five drawing styles of a mesh, on the GL (the mesh itself is GL-free)
#pragma once
#include "geometry/mesh.h"

// Each multiplies the mesh's placement onto the model-view matrix and leaves it there.
void drawColoured(Mesh& mesh);                        // translate, rotate, scale
void drawTextured(Mesh& mesh);                        // rotate, translate, scale; one display list
void drawWireframe(Mesh& mesh, float lineWidth);      // scale, translate, rotate
void drawVertexCubes(Mesh& mesh);                     // scale, translate, rotate
void drawTube(Mesh& mesh, int segments, int style);   // scale, translate, rotate; display list

// Off, the chunked lists draw every chunk (the reference the culled picture is compared with).
extern bool cullChunksOutOfView;

// True until the first drawTextured call compiles the (one) textured list.
extern bool texturedListPending;

// glRotatef, except that a zero angle or a zero axis leaves the matrix as it is.
void multiplyRotation(float angle, float x, float y, float z);
