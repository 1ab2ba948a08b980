// morph.cpp -- a mesh that flows around a ring of key meshes, one small step per call
#include "geometry/morph.h"

#include <algorithm>

#include "geometry/mesh.h"

MorphSequence::~MorphSequence() { delete target; }

int MorphSequence::init(int keys, float stepsPerTransition)
{
    keyCount = std::clamp(keys, 0, kMaxKeys);
    currentKey = 0;
    steps = static_cast<int32_t>(stepsPerTransition);  // truncates: 3.6 gives 3
    stepCounter = 0;
    delete target;
    target = new Mesh();
    return 0;
}

int MorphSequence::setKey(int index, Mesh* key)
{
    if (index < 0 || index >= kMaxKeys) return 0;
    keyMeshes[index] = key;
    const Mesh* first = keyMeshes[0];
    if (!target || !first) return 0;
    // The target is rebuilt as a copy of key 0 every time a key is set.
    target->allocateTriangles(first->triangleCount);
    target->allocateVertices(first->vertexCount);
    std::copy_n(first->triangles, 3 * static_cast<size_t>(first->triangleCount), target->triangles);
    std::copy_n(first->vertices, first->vertexCount, target->vertices);
    std::copy_n(first->normals, first->vertexCount, target->normals);
    std::copy_n(first->extras, first->vertexCount, target->extras);
    return 0;
}

namespace {

float nudged(float value, float from, float to, int steps)
{
    return static_cast<float>(value + (static_cast<double>(to) - from) / steps);
}

}  // namespace

void MorphSequence::step()
{
    if (!target || keyCount <= 0 || steps <= 0) return;
    const Mesh* cur = keyMeshes[currentKey];
    const Mesh* next = keyMeshes[currentKey == keyCount - 1 ? 0 : currentKey + 1];
    if (!cur || !next) return;
    const int count = std::min({cur->vertexCount, next->vertexCount, target->vertexCount});
    for (int i = 0; i < count; ++i) {
        Vertex& v = target->vertices[i];
        const Vertex &a = cur->vertices[i], &b = next->vertices[i];
        v.setPosition(nudged(v.x, a.x, b.x, steps), nudged(v.y, a.y, b.y, steps), nudged(v.z, a.z, b.z, steps));
        Vector3& n = target->normals[i];
        const Vector3 &na = cur->normals[i], &nb = next->normals[i];
        n = Vector3(nudged(n.x, na.x, nb.x, steps), nudged(n.y, na.y, nb.y, steps), nudged(n.z, na.z, nb.z, steps));
    }
    stepCounter += 1;
    if (stepCounter == static_cast<float>(steps)) {
        stepCounter = 0;
        currentKey += 1;
        if (currentKey == keyCount) currentKey = 0;
    }
}
