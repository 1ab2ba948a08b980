// world.cpp -- the state every scene starts from: GL state, lights, textures, colour map
#include "world/world.h"

#include <GL/gl.h>

#include "image/texture.h"
#include "platform/platform.h"
#include "world/world_geometry.h"

std::unique_ptr<Texture> terrainTexture;
std::unique_ptr<Texture> logoTexture;
std::unique_ptr<Texture> texture2;
std::unique_ptr<Texture> texture3;
std::unique_ptr<Texture> hiphopTexture;
ColourRGB clearColour;
std::unique_ptr<unsigned char[]> colourMap;
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
    // Issued twice with the same value, as the show's start-up has always done: the second call
    // changes nothing, and nothing depends on it.
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

static std::unique_ptr<Texture> textureFromBitmap(const char* fileName)
{
    auto texture = std::make_unique<Texture>();
    texture->loadBitmap(fileName);
    return texture;
}

static void loadTextures()
{
    terrainTexture = textureFromBitmap("terrainheh.bmp");
    logoTexture = textureFromBitmap("logo.bmp");
    texture2 = textureFromBitmap("texture2.bmp");
    texture3 = textureFromBitmap("texture3.bmp");
    hiphopTexture = textureFromBitmap("hiphop.bmp");
}

void releaseWorldTextures()
{
    for (auto* texture : {&terrainTexture, &logoTexture, &texture2, &texture3, &hiphopTexture}) texture->reset();
}

bool setUpWorld()
{
    double start = wallMilliseconds();
    setUpDepthAndMatrices();
    setUpLights();
    loadTextures();
    colourMap = std::make_unique<unsigned char[]>(kColourMapBytes);
    loadRawImage("mapclr.raw", kColourMapSide * kColourMapSide, colourMap.get());
    setUpWorldGeometry();
    worldSetUpMilliseconds = wallMilliseconds() - start;
    return true;
}
