// mesh_draw.cpp -- the five drawing styles of a mesh: vertex arrays, and display lists in
// chunks that are skipped outside the view
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "geometry/mesh_draw.h"
#include "platform/platform.h"

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

bool chunkInView(const ViewVolume& view, const BoundingSphere& bounds)
{
    return !cullChunksOutOfView || view.mayContain(bounds);
}

// A corner index the mesh does not have is skipped with its whole triangle.
bool triangleInRange(const Mesh& m, const int32_t* tri)
{
    for (int i = 0; i < 3; ++i)
        if (tri[i] < 0 || tri[i] >= m.vertexCount) return false;
    return true;
}

// The cube's 12 edges as 24 corners: four along y, then the faces y + 0.4 and y - 0.4.
float* appendVertexCube(const Vertex& p, float* out)
{
    const float e = 0.4f;
    const float xl = p.x - e, xr = p.x + e, yt = p.y + e, yb = p.y - e, zf = p.z + e, zb = p.z - e;
    auto corner = [&out](float x, float y, float z) {
        *out++ = x;
        *out++ = y;
        *out++ = z;
    };
    const float pillars[4][2] = {{xl, zf}, {xr, zf}, {xl, zb}, {xr, zb}};
    for (const auto& xz : pillars) {
        corner(xz[0], yt, xz[1]);
        corner(xz[0], yb, xz[1]);
    }
    const float faceEdges[4][4] = {{xl, zf, xr, zf}, {xl, zf, xl, zb}, {xr, zf, xr, zb}, {xl, zb, xr, zb}};
    for (float y : {yt, yb})
        for (const auto& edge : faceEdges) {
            corner(edge[0], y, edge[1]);
            corner(edge[2], y, edge[3]);
        }
    return out;
}

// Object to clip coordinates under the current matrices.
ViewVolume currentViewVolume()
{
    double projection[16], modelView[16], objectToClip[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    multiplyMatrices(projection, modelView, objectToClip);
    return ViewVolume(objectToClip);
}

}  // namespace

void drawColoured(Mesh& m)
{
    applyTranslate(m);
    applyRotate(m);
    applyScale(m);
    static std::vector<int32_t> corners;
    corners.clear();
    for (int t = 0; t < m.triangleCount; ++t)
        if (triangleInRange(m, m.triangles + 3 * t)) corners.insert(corners.end(), m.triangles + 3 * t, m.triangles + 3 * t + 3);
    if (corners.empty()) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &m.vertices[0].x);
    glColorPointer(3, GL_FLOAT, sizeof(Vertex), &m.vertices[0].r);
    glNormalPointer(GL_FLOAT, sizeof(Vector3), m.normals);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(corners.size()), GL_UNSIGNED_INT, corners.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    // The current normal and colour end as the last corner left them, as one call per corner would.
    sendNormal(m.normals[corners.back()]);
    sendColour(m.vertices[corners.back()]);
}

bool cullChunksOutOfView = true;

namespace {

void sendListEnd(const Mesh::ListEnd& end)
{
    if (!end.known) return;
    sendNormal(end.normal);
    glTexCoord2f(end.s, end.t);
}

}  // namespace

void drawTextured(Mesh& m)
{
    applyRotate(m);
    applyTranslate(m);
    applyScale(m);
    if (!texturedListPending) {
        const ViewVolume view = currentViewVolume();
        bool lastDrawn = true;
        for (size_t c = 0; c < m.chunkBounds.size(); ++c) {
            lastDrawn = chunkInView(view, m.chunkBounds[c]);
            if (lastDrawn) glCallList(m.displayList + static_cast<unsigned>(c));
        }
        if (!lastDrawn) sendListEnd(m.listEnd);
        return;
    }
    // Chunks of consecutive triangles, so that the ones drawn keep their order.
    const int trianglesPerChunk = 316;
    const int chunks = std::max(1, (m.triangleCount + trianglesPerChunk - 1) / trianglesPerChunk);
    m.displayList = glGenLists(chunks);
    m.chunkBounds.assign(chunks, BoundingSphere());
    m.listEnd = Mesh::ListEnd();
    std::vector<double> corners;
    for (int c = 0; c < chunks; ++c) {
        corners.clear();
        glNewList(m.displayList + c, GL_COMPILE);
        glBegin(GL_TRIANGLES);
        for (int t = c * trianglesPerChunk; t < std::min(m.triangleCount, (c + 1) * trianglesPerChunk); ++t) {
            const int32_t* tri = m.triangles + 3 * t;
            if (!triangleInRange(m, tri)) continue;
            for (int i = 0; i < 3; ++i) {
                const Vertex& p = m.vertices[tri[i]];
                sendNormal(m.normals[tri[i]]);
                glTexCoord2f(m.extras[tri[i]].s, m.extras[tri[i]].t);
                sendPosition(p);
                m.listEnd.note(m.normals[tri[i]], m.extras[tri[i]].s, m.extras[tri[i]].t);
                corners.insert(corners.end(), {p.x, p.y, p.z});
            }
        }
        glEnd();
        glEndList();
        m.chunkBounds[c] = sphereAround(corners, 0.01);
    }
    texturedListPending = false;
}

// One end of an edge: the position, with the colour and normal of the edge's first corner.
struct EdgeEnd {
    float x, y, z;
    float r, g, b;
    Vector3 normal;
};

void drawWireframe(Mesh& m, float lineWidth)
{
    applyScale(m);
    applyTranslate(m);
    applyRotate(m);
    static std::vector<EdgeEnd> ends;
    ends.clear();
    for (int t = 0; t < m.triangleCount; ++t) {
        const int32_t* tri = m.triangles + 3 * t;
        if (!triangleInRange(m, tri)) continue;
        for (int i = 0; i < 3; ++i) {
            const Vertex &from = m.vertices[tri[i]], &to = m.vertices[tri[(i + 1) % 3]];
            ends.push_back({from.x, from.y, from.z, from.r, from.g, from.b, m.normals[tri[i]]});
            ends.push_back({to.x, to.y, to.z, from.r, from.g, from.b, m.normals[tri[i]]});
        }
    }
    if (ends.empty()) return;
    setLineWidth(lineWidth);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(EdgeEnd), &ends[0].x);
    glColorPointer(3, GL_FLOAT, sizeof(EdgeEnd), &ends[0].r);
    glNormalPointer(GL_FLOAT, sizeof(EdgeEnd), &ends[0].normal);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(ends.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    const EdgeEnd& last = ends.back();
    glColor3f(last.r, last.g, last.b);
    sendNormal(last.normal);
}

void drawVertexCubes(Mesh& m)
{
    applyScale(m);
    applyTranslate(m);
    applyRotate(m);
    if (m.vertexCount <= 0) return;
    static std::vector<float> corners;
    corners.resize(static_cast<size_t>(m.vertexCount) * 24 * 3);
    float* out = corners.data();
    for (int i = 0; i < m.vertexCount; ++i) out = appendVertexCube(m.vertices[i], out);
    glColor4f(1, 1, 1, 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners.data());
    glDrawArrays(GL_LINES, 0, m.vertexCount * 24);
    glDisableClientState(GL_VERTEX_ARRAY);
}

namespace {

const int kRingPoints = 12;

// One band of quads around the ring, from the segment's frame to the offset D.
void sendTubeBand(const Mesh& m, const Vertex& d, float vNear, float vFar, Mesh::ListEnd& end)
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
        end.note(m.normals[j + 1], uRight, vNear);
        uLeft += uStep;
        uRight += uStep;
    }
    glEnd();
}

void turnAndAdvance(float turnX, float turnY, float turnZ)
{
    glRotatef(360 - turnX, 1, 0, 0);
    glRotatef(360 - turnY, 0, 1, 0);
    glRotatef(360 - turnZ, 0, 0, 1);
    glTranslatef(0, 0, kTubeSegmentAdvance);
}

// The frame of a tube segment in the tube's own coordinates, as the list's turns and
// advances build it (in double: only the chunks' bounds use it).
class SegmentFrame {
public:
    SegmentFrame()
    {
        std::fill_n(m_, 16, 0.0);
        m_[0] = m_[5] = m_[10] = m_[15] = 1;
    }
    void advance(float turnX, float turnY, float turnZ)
    {
        turn(360 - turnX, 0);
        turn(360 - turnY, 1);
        turn(360 - turnZ, 2);
        for (int row = 0; row < 3; ++row) m_[12 + row] += m_[8 + row] * kTubeSegmentAdvance;
    }
    void append(const Vertex& p, std::vector<double>& out) const
    {
        for (int row = 0; row < 3; ++row)
            out.push_back(m_[row] * p.x + m_[4 + row] * p.y + m_[8 + row] * p.z + m_[12 + row]);
    }

private:
    void turn(float degrees, int axis)
    {
        const double radians = degrees * M_PI / 180, c = std::cos(radians), s = std::sin(radians);
        const int a = (axis + 1) % 3, b = (axis + 2) % 3;
        double r[16] = {0};
        r[5 * axis] = r[15] = 1;
        r[5 * a] = r[5 * b] = c;
        r[4 * a + b] = s;   // column a, row b
        r[4 * b + a] = -s;  // column b, row a
        double product[16];
        multiplyMatrices(m_, r, product);
        std::copy(product, product + 16, m_);
    }
    double m_[16];
};

// The corners of one band, as sendTubeBand sends them, in the tube's own coordinates.
void appendTubeBandCorners(const Mesh& m, const Vertex& d, const SegmentFrame& frame, std::vector<double>& out)
{
    const int ringPoints = std::min(m.vertexCount, kRingPoints);
    for (int j = 0; j < ringPoints; ++j) {
        Vertex far = m.vertices[j];
        far.add(d);
        frame.append(m.vertices[j], out);
        frame.append(far, out);
    }
}

}  // namespace

void drawTube(Mesh& m, int segments, int style)
{
    applyScale(m);
    applyTranslate(m);
    applyRotate(m);
    if (!m.listDirty) {
        // A chunk out of view still makes its turns and advances, so the ones after it (and
        // the matrix left behind) are exactly what the whole tube would give.
        const ViewVolume view = currentViewVolume();
        // The software GL settles how it multiplies the matrix at the first primitive after a
        // change; an empty one here makes that the tube's base frame, as when chunk 0 is drawn,
        // so that the turns of skipped chunks add up to the very frames of the whole tube.
        glBegin(GL_QUADS);
        glEnd();
        bool lastDrawn = true;
        for (size_t c = 0; c < m.chunkBounds.size(); ++c) {
            lastDrawn = chunkInView(view, m.chunkBounds[c]);
            glCallList(m.displayList + static_cast<unsigned>(2 * c) + (lastDrawn ? 1 : 0));
        }
        if (!lastDrawn) sendListEnd(m.listEnd);
        return;
    }
    // Chunk c has two lists: displayList + 2c only turns and advances, + 2c + 1 draws too.
    const int segmentsPerChunk = 50;
    const int chunks = std::max(1, (segments + segmentsPerChunk - 1) / segmentsPerChunk);
    m.displayList = glGenLists(2 * chunks);
    m.chunkBounds.assign(chunks, BoundingSphere());
    m.listEnd = Mesh::ListEnd();
    const float step = segments > 0 ? 1.0f / static_cast<float>(segments) : 0.0f;
    float vNear = 0, vFar = step;
    const float degreesToRadians = 0.017444445f;  // 3.14 / 180
    SegmentFrame frame;
    std::vector<double> corners;
    for (int c = 0; c < chunks; ++c) {
        const int first = c * segmentsPerChunk, end = std::min(segments, first + segmentsPerChunk);
        glNewList(m.displayList + 2 * c, GL_COMPILE);
        for (int i = first; i < end; ++i) {
            float tx, ty, tz;
            tubeTurn(i, style, tx, ty, tz);
            turnAndAdvance(tx, ty, tz);
        }
        glEndList();
        corners.clear();
        glNewList(m.displayList + 2 * c + 1, GL_COMPILE);
        for (int i = first; i < end; ++i) {
            float tx, ty, tz;
            tubeTurn(i, style, tx, ty, tz);
            turnAndAdvance(tx, ty, tz);
            Vertex d;
            d.setPosition(static_cast<float>(std::sin(static_cast<double>(ty) * degreesToRadians)),
                          static_cast<float>(std::tan(static_cast<double>(tx) * degreesToRadians)),
                          static_cast<float>(std::cos(static_cast<double>(ty) * degreesToRadians)));
            sendTubeBand(m, d, vNear, vFar, m.listEnd);
            vNear += step;
            vFar += step;
            frame.advance(tx, ty, tz);
            appendTubeBandCorners(m, d, frame, corners);
        }
        glEndList();
        // The GL multiplies the turns in single precision: its frames drift a little from these.
        const double driftMargin = 1.0;
        m.chunkBounds[c] = sphereAround(corners, driftMargin);
    }
    m.listDirty = false;
}
