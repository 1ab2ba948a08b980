// camera.cpp -- viewing transform: look along +z from the eye, then turn in eye space;
// the camera set from the shared path's samples
#include "render/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "geometry/spline_path.h"
#include "platform/platform.h"

Camera camera;
const Camera* freeCamera = nullptr;

const Camera& seenCamera() { return freeCamera ? *freeCamera : camera; }

void Camera::look()
{
    const Camera& view = this == &camera ? seenCamera() : *this;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(360 - view.rotX, 1, 0, 0);
    glRotatef(360 - view.rotY, 0, 1, 0);
    glRotatef(360 - view.rotZ, 0, 0, 1);
    gluLookAt(view.eyeX, view.eyeY, view.eyeZ, view.eyeX, view.eyeY, static_cast<double>(view.eyeZ) + 0.5, 0, 1, 0);
}

void Camera::project()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovy, aspect, zNear, zFar);
}

void Camera::setPerspective(float nearPlane, float farPlane)
{
    fovy = 45;
    aspect = 1.3333334f;  // 4/3 as a float: the 1024 x 768 frame's, whatever the window (pillarboxed)
    zNear = nearPlane;
    zFar = farPlane;
    project();
}

void beginScreenOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kFrameWidth, kFrameHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endScreenOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void applyCameraPathSample(int index)
{
    if (index < 0 || index >= cameraPathEyeSampleCount || index >= cameraPathAngleSampleCount) return;
    const Vertex& eye = cameraPathEyeSamples[index];
    const Vertex& angles = cameraPathAngleSamples[index];
    camera.eyeX = eye.x;
    camera.eyeY = eye.y;
    camera.eyeZ = eye.z;
    camera.rotX = angles.x;
    camera.rotY = angles.y;
    camera.rotZ = angles.z;
}

void followCameraPath(int samplesPerFrame)
{
    if (!cameraPath) return;
    if (cameraPathStep < kPathSamplesPerSegment * (cameraPath->pointCount - 2)) {
        applyCameraPathSample(cameraPathStep);
        cameraPathStep += samplesPerFrame;
    }
}
