// mesh.cpp -- mesh arrays and smooth vertex normals
#include "geometry/mesh.h"

#include <cstddef>

Mesh::~Mesh()
{
    delete[] vertices;
    delete[] normals;
    delete[] extras;
    delete[] triangles;
}

bool Mesh::allocateVertices(int count)
{
    if (count <= 0) return false;
    vertexCount = count;
    delete[] vertices;
    delete[] normals;
    delete[] extras;
    vertices = new Vertex[count];
    normals = new Vector3[count];
    extras = new MeshExtra[count];
    return true;
}

bool Mesh::allocateTriangles(int count)
{
    if (count <= 0) return false;
    triangleCount = count;
    delete[] triangles;
    triangles = new int32_t[static_cast<size_t>(count) * 3]();
    return true;
}

void Mesh::ListEnd::note(const Vector3& n, float textureS, float textureT)
{
    known = true;
    normal = n;
    s = textureS;
    t = textureT;
}

static Vector3 positionDifference(const Vertex& p, const Vertex& q)
{
    Vertex d = p;
    d.subtract(q);
    return Vector3(d);
}

static Vector3 faceNormal(const Mesh& mesh, int a, int b, int c)
{
    const Vertex& pa = mesh.vertices[a];
    const Vertex& pb = mesh.vertices[b];
    const Vertex& pc = mesh.vertices[c];
    return cross(positionDifference(pa, pb), positionDifference(pb, pc));
}

// One pass over the triangles: each face normal goes to its distinct corners. Every vertex
// receives the same additions in the same order as a scan of all triangles per vertex would
// give it, so the sums are the same to the bit, without the quadratic cost.
int computeNormals(Mesh* mesh)
{
    const int n = mesh->vertexCount;
    if (n <= 0 || !mesh->normals) return 0;
    for (int t = 0; t < mesh->triangleCount; ++t) {
        const int32_t* tri = mesh->triangles + 3 * t;
        const int a = tri[0], b = tri[1], c = tri[2];
        if (a < 0 || a >= n || b < 0 || b >= n || c < 0 || c >= n) continue;
        const Vector3 face = faceNormal(*mesh, a, b, c);
        mesh->normals[a].add(face);
        if (b != a) mesh->normals[b].add(face);
        if (c != a && c != b) mesh->normals[c].add(face);
    }
    for (int j = 0; j < n; ++j) {
        Vector3& normal = mesh->normals[j];
        const float length = normal.length();
        if (length > 0)
            normal.divide(length);
        else
            normal = Vector3();
    }
    return 0;
}
