// world.cpp -- the state every scene starts from: GL state, lights, textures, colour map
#include "app/world.h"

#include <GL/gl.h>

#include "app/world_geometry.h"
#include "image/texture.h"
#include "platform/platform.h"

Texture* blurTexture = nullptr;
Texture* terrainTexture = nullptr;
Texture* logoTexture = nullptr;
Texture* texture2 = nullptr;
Texture* texture3 = nullptr;
Texture* hiphopTexture = nullptr;
unsigned char* colourMap = nullptr;
Vertex particles[kParticleCount];
Vertex particleTails[kParticleCount];
Vertex trailHeads[kTrailCount];
double worldSetUpMilliseconds = 0;

static void setUpDepthAndMatrices()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

// Both lights are defined here and left off; the scenes switch them on.
static void setUpLights()
{
    const GLfloat globalAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);

    const GLfloat light1Position[] = {0.0f, 5.0f, 30.0f, 0.0f};  // directional
    const GLfloat light1Ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
    const GLfloat light1Diffuse[] = {1.5f, 1.5f, 1.5f, 1.0f};
    const GLfloat light1Specular[] = {1.5f, 1.5f, 1.5f, 1.0f};
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
    glLightfv(GL_LIGHT1, GL_AMBIENT, light1Ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, light1Diffuse);
    glLightfv(GL_LIGHT1, GL_SPECULAR, light1Specular);
    glDisable(GL_LIGHT1);

    const GLfloat light0Ambient[] = {0.5f, 0.5f, 0.5f, 0.0f};
    const GLfloat light0Diffuse[] = {4.5f, 4.5f, 4.5f, 1.0f};
    const GLfloat light0Position[] = {0.0f, 10.0f, 0.0f, 1.0f};  // a point light
    glLightfv(GL_LIGHT0, GL_AMBIENT, light0Ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light0Diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);
    glDisable(GL_LIGHT0);

    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    // The front shininess stays at its default of 0: a request for 256 lies outside the
    // accepted range and would only be rejected.
}

static Texture* textureFromBitmap(const char* fileName)
{
    auto* texture = new Texture;
    texture->loadBitmap(fileName);
    return texture;
}

static void loadTextures()
{
    blurTexture = new Texture;
    blurTexture->createBlank(256, 256);
    terrainTexture = textureFromBitmap("terrainheh.bmp");
    logoTexture = textureFromBitmap("logo.bmp");
    texture2 = textureFromBitmap("texture2.bmp");
    texture3 = textureFromBitmap("texture3.bmp");
    hiphopTexture = textureFromBitmap("hiphop.bmp");
}

bool setUpWorld()
{
    double start = wallMilliseconds();
    setUpDepthAndMatrices();
    setUpLights();
    loadTextures();
    colourMap = new unsigned char[kColourMapBytes]();
    loadRawImage("mapclr.raw", kColourMapSide * kColourMapSide, colourMap);
    setUpWorldGeometry();
    worldSetUpMilliseconds = wallMilliseconds() - start;
    return true;
}
