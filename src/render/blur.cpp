// blur.cpp -- radial blur: a 256 x 256 copy of the scene, stacked zoomed over the frame
#include "render/blur.h"

#include <GL/gl.h>

#include "image/texture.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "timeline/timeline.h"

bool blurEnabled = false;
bool blurInsetAnimated = false;
int blurPasses = 30;
float blurSpread = 0.05f;
ColourRGB blurColour;
float blurInset = 0;
float blurTimeAccum = 0;

static Texture blurTarget;

void newBlurTarget()
{
    deleteBlurTarget();
    blurTarget.createBlank(256, 256);
}

unsigned int blurTargetTexture() { return blurTarget.id; }

void deleteBlurTarget()
{
    if (blurTarget.id != 0) glDeleteTextures(1, &blurTarget.id);
    blurTarget.id = 0;
}

void resetBlurSettings()
{
    blurEnabled = false;
    blurInsetAnimated = false;
    blurPasses = 30;
    blurSpread = 0.05f;
    blurColour = ColourRGB();
    blurInset = 0;
    blurTimeAccum = 0;
}

void renderBlurSource(Timeline& timeline, ColourRGB background)
{
    glViewport(0, 0, 256, 256);
    timeline.update();
    glBindTexture(GL_TEXTURE_2D, blurTarget.id);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, 0, 0, 256, 256, 0);
    glClearColor(background.r, background.g, background.b, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, kFrameWidth, kFrameHeight);
}

// The first quad's inset: 0, or the animated one, which grows with the time accumulated
// so far (so roughly with the square of the time the animation has run).
static float startInset()
{
    if (!blurInsetAnimated) return 0;
    if (blurInset < 0.45f) blurInset = blurInset + blurTimeAccum * 0.000001f;
    float inset = blurInset;
    blurTimeAccum = blurTimeAccum + static_cast<float>(FrameClock::elapsed());
    return inset;
}

void drawBlurOverlay(int passes, float spread, Timeline&)
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, blurTarget.id);
    beginScreenOverlay();

    float alphaStep = passes > 0 ? 0.2f / passes : 0.0f;
    float inset = startInset();
    float alpha = 0.2f;
    for (int i = 0; i < passes; ++i) {
        glLoadIdentity();
        glBegin(GL_QUADS);
        glColor4f(blurColour.r, blurColour.g, blurColour.b, alpha);
        float s0 = inset, s1 = 1 - inset;
        glTexCoord2f(s0, s1);
        glVertex2f(0, 0);
        glTexCoord2f(s0, s0);
        glVertex2f(0, kFrameHeight);
        glTexCoord2f(s1, s0);
        glVertex2f(kFrameWidth, kFrameHeight);
        glTexCoord2f(s1, s1);
        glVertex2f(kFrameWidth, 0);
        inset = inset + spread;
        alpha = alpha - alphaStep;
        glEnd();
    }

    endScreenOverlay();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
}
