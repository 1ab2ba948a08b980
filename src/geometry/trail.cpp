// trail.cpp -- fading line trails and the textured ribbon, each point chasing the one before;
// both drawn from vertex arrays
#include "geometry/trail.h"

#include <GL/gl.h>

#include <vector>

#include "geometry/mesh_draw.h"
#include "platform/platform.h"

void followPoint(Vertex& f, const Vertex& leader, float k)
{
    Vertex pull = leader;
    pull.subtract(f);
    pull.divide(k);
    f.add(pull);
}

void Trail::update(Vertex head)
{
    if (pointCount <= 0 || !points) return;
    points[0].setPosition(head.x, head.y, head.z);
    for (int i = 1; i < pointCount; ++i) followPoint(points[i], points[i - 1], 4);
}

void Trail::draw()
{
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    multiplyRotation(rotation.angle, rotation.x, rotation.y, rotation.z);
    if (points && pointCount >= 2) {
        // Each segment has its own width, so each is its own draw; the points are the array.
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &points[0].x);
        glColorPointer(4, GL_FLOAT, sizeof(Vertex), &points[0].r);
        float width = 3.0f;
        const float narrowing = 3.0f / static_cast<float>(pointCount);
        for (int i = 0; i + 1 < pointCount; ++i) {
            setLineWidth(width);
            glDrawArrays(GL_LINES, i, 2);
            width -= narrowing;
        }
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        // Colour material is on: the colour left current lights what is drawn next.
        const Vertex& last = points[pointCount - 1];
        glColor4f(last.r, last.g, last.b, last.a);
    }
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

void Ribbon::update(Vertex offset)
{
    if (!stripVertices || stripSegmentCount <= 0) return;
    for (int i = 0; i < 3; ++i) stripVertices[i].add(offset);
    // Only the first two thirds follow; the cross-sections past them are never drawn.
    for (int i = 3; i < 2 * stripSegmentCount; ++i) followPoint(stripVertices[i], stripVertices[i - 3], 7);
}

static bool indexInRange(int32_t index, int count) { return index >= 0 && index < count; }

void Ribbon::draw()
{
    glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    multiplyRotation(rotation.angle, rotation.x, rotation.y, rotation.z);
    glTranslatef(position[0], position[1], position[2]);
    if (stripVertices && stripIndices) {
        const int vertexCount = 3 * stripSegmentCount;
        static std::vector<int32_t> corners;
        corners.clear();
        for (int t = 0; t < 2 * stripSegmentCount; ++t) {
            const int32_t* tri = stripIndices + 3 * t;
            if (indexInRange(tri[0], vertexCount) && indexInRange(tri[1], vertexCount) &&
                indexInRange(tri[2], vertexCount))
                corners.insert(corners.end(), tri, tri + 3);
        }
        if (!corners.empty()) {
            // The strip's colour is white with each vertex's own alpha: update() moves
            // positions only, so the vertices' r, g, b stay the 1 they were made with.
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_COLOR_ARRAY);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &stripVertices[0].x);
            glColorPointer(4, GL_FLOAT, sizeof(Vertex), &stripVertices[0].r);
            glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &stripVertices[0].u);
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(corners.size()), GL_UNSIGNED_INT, corners.data());
            glDisableClientState(GL_VERTEX_ARRAY);
            glDisableClientState(GL_COLOR_ARRAY);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            const Vertex& last = stripVertices[corners.back()];
            glColor4f(1, 1, 1, last.a);
            glTexCoord2f(last.u, last.v);
        }
    }
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}
