// mesh.h -- the one triangle mesh type and its normals (drawn by geometry/mesh_draw.h)
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
    // The normal and texture coordinate the whole chunked list leaves current, sent again
    // after a draw whose last chunk was out of view, so the state is the whole list's.
    struct ListEnd {
        bool known = false;
        Vector3 normal;
        float s = 0, t = 0;
        void note(const Vector3& n, float textureS, float textureT);
    } listEnd;

    Mesh() = default;
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Each replaces the arrays it allocates (and frees the ones before).
    bool allocateVertices(int count);
    bool allocateTriangles(int count);
};

// Smooth unit normals from the current positions; always returns 0.
int computeNormals(Mesh* mesh);

// The turn, in degrees, that segment i of a tube of the given style adds about x, y and z.
// The tube's display list records glRotatef(360 - turn) for each axis, then an advance of
// kTubeSegmentAdvance along z; tools replay the same frames to find the tube's centre line.
void tubeTurn(int segment, int style, float& turnX, float& turnY, float& turnZ);
// The float just below 0.2f, as the show's tube has always been built: thousands of advances add
// up, so 0.2f would move the tube's far end, and with it the tunnels' pictures and the tunnel paths
// that tools/assetgen computes from this constant (their files would no longer be the same bytes).
constexpr float kTubeSegmentAdvance = 0.19999999f;
