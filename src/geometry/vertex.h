// vertex.h -- the point record of every point list, and the normal vector
#pragma once

struct Vertex {
    float x = 0, y = 0, z = 0;
    float r = 1, g = 1, b = 1, a = 1;
    float u = 0, v = 0;

    Vertex() = default;
    Vertex(float px, float py, float pz) : x(px), y(py), z(pz) {}

    void setPosition(float px, float py, float pz) { x = px; y = py; z = pz; }
    void add(Vertex other) { x += other.x; y += other.y; z += other.z; }
    void subtract(Vertex other) { x -= other.x; y -= other.y; z -= other.z; }
    void divide(float d) { x /= d; y /= d; z /= d; }
};
static_assert(sizeof(Vertex) == 36, "Vertex is stored raw in path files");

struct Vector3 {
    float x = 0, y = 0, z = 0;

    Vector3() = default;
    Vector3(float px, float py, float pz) : x(px), y(py), z(pz) {}
    explicit Vector3(const Vertex& v) : x(v.x), y(v.y), z(v.z) {}

    void add(Vector3 other) { x += other.x; y += other.y; z += other.z; }
    void divide(float d) { x /= d; y /= d; z /= d; }
    float length() const;
};

Vector3 cross(Vector3 a, Vector3 b);

// An RGB colour with components from 0 to 1.
struct ColourRGB {
    float r = 0, g = 0, b = 0;
};
