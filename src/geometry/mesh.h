// mesh.h -- the one triangle mesh type, its normals and its five drawing styles
#pragma once
#include <cstdint>
#include <vector>

#include "geometry/vertex.h"
#include "geometry/view_volume.h"

// Per-vertex extra record: s, t are the textured style's texture coordinates; the rest is 0.
struct MeshExtra {
    float s = 0, t = 0;
    float unused[4] = {0, 0, 0, 0};
};

struct MeshPosition {
    float x = 0, y = 0, z = 0;
};
struct MeshRotation {
    float angle = 0, x = 0, y = 0, z = 0;  // degrees about the axis (x, y, z)
};
struct MeshScale {
    float x = 1, y = 1, z = 1;
};

class Mesh {
public:
    Vertex* vertices = nullptr;
    int32_t* triangles = nullptr;  // 3 * triangleCount indices
    MeshExtra* extras = nullptr;
    Vector3* normals = nullptr;
    bool listDirty = true;
    int32_t vertexCount = 0;
    int32_t triangleCount = 0;
    MeshPosition position;
    MeshRotation rotation;
    MeshScale scale;
    unsigned int displayList = 0;  // the first of the chunks' lists
    // The tube and the textured style compile in chunks, each with its bounds in the mesh's
    // own frame, so that a draw skips the chunks the camera cannot see.
    std::vector<BoundingSphere> chunkBounds;

    Mesh() = default;
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Each replaces the arrays it allocates (and frees the ones before).
    bool allocateVertices(int count);
    bool allocateTriangles(int count);

    // Drawing styles: each multiplies the placement onto the model-view matrix and leaves it.
    void drawColoured();                      // translate, rotate, scale
    void drawTextured();                      // rotate, translate, scale; one display list
    void drawWireframe(float lineWidth);      // scale, translate, rotate
    void drawVertexCubes();                   // scale, translate, rotate
    void drawTube(int segments, int style);   // scale, translate, rotate; display list
};

// Smooth unit normals from the current positions; always returns 0.
int computeNormals(Mesh* mesh);

// glRotatef, except that a zero angle or a zero axis leaves the matrix as it is.
void multiplyRotation(float angle, float x, float y, float z);

// True until the first drawTextured call compiles the (one) textured list.
extern bool texturedListPending;

// The turn, in degrees, that segment i of a tube of the given style adds about x, y and z.
// The tube's display list records glRotatef(360 - turn) for each axis, then an advance of
// kTubeSegmentAdvance along z; tools replay the same frames to find the tube's centre line.
void tubeTurn(int segment, int style, float& turnX, float& turnY, float& turnZ);
// The float just below 0.2f, as the show's tube has always been built: thousands of advances add
// up, so 0.2f would move the tube's far end, and with it the tunnels' pictures and the tunnel paths
// that tools/assetgen computes from this constant (their files would no longer be the same bytes).
constexpr float kTubeSegmentAdvance = 0.19999999f;
