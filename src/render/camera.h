// camera.h -- the one camera, its projection and view, and screen-pixel overlays
#pragma once

struct Camera {
    float eyeX = 0, eyeY = 0, eyeZ = 0;
    float rotX = 0, rotY = 0, rotZ = 0;  // degrees about x, y, z
    float zNear = 0, zFar = 0;
    float fovy = 0;
    float aspect = 0;

    void look();     // loads the view into the model-view matrix (left current)
    void project();  // loads the perspective into the projection matrix (left current)
    // The show's one lens: 45 degrees high, 4:3; sets the planes and calls project().
    void setPerspective(float nearPlane, float farPlane);
};

extern Camera camera;

// While set, camera.look() looks from here instead (the editor's free camera); the scenes
// go on moving `camera` as always.
extern const Camera* freeCamera;
// The camera whose view is seen: the free camera while there is one, else the scene's.
const Camera& seenCamera();

// 1024 x 768 screen pixels, origin top left, y down; saves both matrices.
void beginScreenOverlay();
void endScreenOverlay();

// Copies sample `index` of the shared camera path's arrays into the camera, if it exists.
void applyCameraPathSample(int index);
// Applies sample cameraPathStep and moves the step on by samplesPerFrame while it is below
// 50 (n - 2); after that, or with no path, the camera keeps what it has.
void followCameraPath(int samplesPerFrame);
