// trail.cpp -- fading line trails and the textured ribbon, each point chasing the one before
#include "geometry/trail.h"

#include <GL/gl.h>

#include "geometry/mesh.h"

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
        float width = 3.0f;
        const float narrowing = 3.0f / static_cast<float>(pointCount);
        for (int i = 0; i + 1 < pointCount; ++i) {
            const Vertex &from = points[i], &to = points[i + 1];
            glLineWidth(width);
            glBegin(GL_LINES);
            glColor4f(from.r, from.g, from.b, from.a);
            glVertex3f(from.x, from.y, from.z);
            glColor4f(to.r, to.g, to.b, to.a);
            glVertex3f(to.x, to.y, to.z);
            glEnd();
            width -= narrowing;
        }
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
        glBegin(GL_TRIANGLES);
        for (int t = 0; t < 2 * stripSegmentCount; ++t) {
            const int32_t* tri = stripIndices + 3 * t;
            if (!indexInRange(tri[0], vertexCount) || !indexInRange(tri[1], vertexCount) ||
                !indexInRange(tri[2], vertexCount))
                continue;
            for (int i = 0; i < 3; ++i) {
                const Vertex& v = stripVertices[tri[i]];
                glColor4f(1, 1, 1, v.a);
                glTexCoord2f(v.u, v.v);
                glVertex3f(v.x, v.y, v.z);
            }
        }
        glEnd();
    }
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}
