// scene_helpers.h -- small GL steps that several scenes share
#pragma once
#include <GL/gl.h>

// Front and back: ambient-and-diffuse first, then specular.
void setMaterial(const GLfloat ambientAndDiffuse[4], const GLfloat specular[4]);
void setMaterial(const GLfloat colour[4]);  // the same colour for both

// Linear fog in the given colour between the two distances; left switched off.
void setLinearFog(const GLfloat colour[4], GLfloat start, GLfloat end);

// The whole 1024 x 768 screen in one colour; call between begin and endScreenOverlay.
void drawFullScreenQuad(GLfloat r, GLfloat g, GLfloat b, GLfloat a);

// The six line ends of a triangle outline with its apex at the origin; inside glBegin(GL_LINES).
void emitTriangleOutline();
