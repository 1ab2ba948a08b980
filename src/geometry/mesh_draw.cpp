// mesh_draw.cpp -- the five drawing styles of a mesh, immediate mode and display lists
#include <GL/gl.h>

#include <cmath>
#include <initializer_list>

#include "geometry/mesh.h"

bool texturedListPending = true;

void multiplyRotation(float angle, float x, float y, float z)
{
    // The default rotation (angle 0, axis 0) must leave the matrix alone on every GL.
    if (angle == 0 || (x == 0 && y == 0 && z == 0)) return;
    glRotatef(angle, x, y, z);
}

namespace {

void applyTranslate(const Mesh& m) { glTranslatef(m.position.x, m.position.y, m.position.z); }
void applyRotate(const Mesh& m) { multiplyRotation(m.rotation.angle, m.rotation.x, m.rotation.y, m.rotation.z); }
void applyScale(const Mesh& m) { glScalef(m.scale.x, m.scale.y, m.scale.z); }

void sendNormal(const Vector3& n) { glNormal3f(n.x, n.y, n.z); }
void sendPosition(const Vertex& p) { glVertex3f(p.x, p.y, p.z); }
void sendColour(const Vertex& p) { glColor3f(p.r, p.g, p.b); }

// A corner index the mesh does not have is skipped with its whole triangle.
bool triangleInRange(const Mesh& m, const int32_t* tri)
{
    for (int i = 0; i < 3; ++i)
        if (tri[i] < 0 || tri[i] >= m.vertexCount) return false;
    return true;
}

// The cube's 12 edges as 24 corners: four along y, then the faces y + 0.4 and y - 0.4.
void sendVertexCube(const Vertex& p)
{
    const float e = 0.4f;
    const float xl = p.x - e, xr = p.x + e, yt = p.y + e, yb = p.y - e, zf = p.z + e, zb = p.z - e;
    const float pillars[4][2] = {{xl, zf}, {xr, zf}, {xl, zb}, {xr, zb}};
    for (const auto& xz : pillars) {
        glVertex3f(xz[0], yt, xz[1]);
        glVertex3f(xz[0], yb, xz[1]);
    }
    const float faceEdges[4][4] = {{xl, zf, xr, zf}, {xl, zf, xl, zb}, {xr, zf, xr, zb}, {xl, zb, xr, zb}};
    for (float y : {yt, yb})
        for (const auto& edge : faceEdges) {
            glVertex3f(edge[0], y, edge[1]);
            glVertex3f(edge[2], y, edge[3]);
        }
}

}  // namespace

void Mesh::drawColoured()
{
    applyTranslate(*this);
    applyRotate(*this);
    applyScale(*this);
    for (int t = 0; t < triangleCount; ++t) {
        const int32_t* tri = triangles + 3 * t;
        if (!triangleInRange(*this, tri)) continue;
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < 3; ++i) {
            sendNormal(normals[tri[i]]);
            sendColour(vertices[tri[i]]);
            sendPosition(vertices[tri[i]]);
        }
        glEnd();
    }
}

void Mesh::drawTextured()
{
    applyRotate(*this);
    applyTranslate(*this);
    applyScale(*this);
    if (!texturedListPending) {
        glCallList(displayList);
        return;
    }
    displayList = glGenLists(1);
    glNewList(displayList, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (int t = 0; t < triangleCount; ++t) {
        const int32_t* tri = triangles + 3 * t;
        if (!triangleInRange(*this, tri)) continue;
        for (int i = 0; i < 3; ++i) {
            sendNormal(normals[tri[i]]);
            glTexCoord2f(extras[tri[i]].s, extras[tri[i]].t);
            sendPosition(vertices[tri[i]]);
        }
    }
    glEnd();
    glEndList();
    texturedListPending = false;
}

void Mesh::drawWireframe(float lineWidth)
{
    applyScale(*this);
    applyTranslate(*this);
    applyRotate(*this);
    for (int t = 0; t < triangleCount; ++t) {
        const int32_t* tri = triangles + 3 * t;
        if (!triangleInRange(*this, tri)) continue;
        glLineWidth(lineWidth);
        glBegin(GL_LINES);
        for (int i = 0; i < 3; ++i) {
            const int from = tri[i], to = tri[(i + 1) % 3];
            sendColour(vertices[from]);
            sendNormal(normals[from]);
            sendPosition(vertices[from]);
            sendPosition(vertices[to]);
        }
        glEnd();
    }
}

void Mesh::drawVertexCubes()
{
    applyScale(*this);
    applyTranslate(*this);
    applyRotate(*this);
    for (int i = 0; i < vertexCount; ++i) {
        glBegin(GL_LINES);
        glColor4f(1, 1, 1, 1);
        sendVertexCube(vertices[i]);
        glEnd();
    }
}

namespace {

const int kRingPoints = 12;

// One band of quads around the ring, from the segment's frame to the offset D.
void sendTubeBand(const Mesh& m, const Vertex& d, float vNear, float vFar)
{
    const int ringPoints = m.vertexCount < kRingPoints ? m.vertexCount : kRingPoints;
    const float uStep = 1.0f / 11.0f;
    float uLeft = 0, uRight = uStep;
    glBegin(GL_QUADS);
    for (int j = 0; j + 1 < ringPoints; ++j) {
        Vertex nearLeft = m.vertices[j], nearRight = m.vertices[j + 1];
        Vertex farLeft = nearLeft, farRight = nearRight;
        farLeft.add(d);
        farRight.add(d);
        sendNormal(m.normals[j]);
        glTexCoord2f(uLeft, vNear);
        sendPosition(nearLeft);
        sendNormal(m.normals[j]);
        glTexCoord2f(uLeft, vFar);
        sendPosition(farLeft);
        sendNormal(m.normals[j + 1]);
        glTexCoord2f(uRight, vFar);
        sendPosition(farRight);
        sendNormal(m.normals[j + 1]);
        glTexCoord2f(uRight, vNear);
        sendPosition(nearRight);
        uLeft += uStep;
        uRight += uStep;
    }
    glEnd();
}

}  // namespace

void Mesh::drawTube(int segments, int style)
{
    applyScale(*this);
    applyTranslate(*this);
    applyRotate(*this);
    if (!listDirty) {
        glCallList(displayList);
        return;
    }
    displayList = glGenLists(1);
    glNewList(displayList, GL_COMPILE);
    const float step = segments > 0 ? 1.0f / static_cast<float>(segments) : 0.0f;
    float vNear = 0, vFar = step;
    const float degreesToRadians = 0.017444445f;  // 3.14 / 180
    for (int i = 0; i < segments; ++i) {
        float tx, ty, tz;
        tubeTurn(i, style, tx, ty, tz);
        glRotatef(360 - tx, 1, 0, 0);
        glRotatef(360 - ty, 0, 1, 0);
        glRotatef(360 - tz, 0, 0, 1);
        glTranslatef(0, 0, kTubeSegmentAdvance);
        Vertex d;
        d.setPosition(static_cast<float>(std::sin(static_cast<double>(ty) * degreesToRadians)),
                      static_cast<float>(std::tan(static_cast<double>(tx) * degreesToRadians)),
                      static_cast<float>(std::cos(static_cast<double>(ty) * degreesToRadians)));
        sendTubeBand(*this, d, vNear, vFar);
        vNear += step;
        vFar += step;
    }
    listDirty = false;
    glEndList();
}
