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
bool blurReference = false;

static Texture blurTarget;

void newBlurTarget()
{
    deleteBlurTarget();
    blurTarget.createBlank(256, 256);
}

unsigned int blurTargetTexture() { return blurTarget.id; }

void deleteBlurTarget()
{
    blurTarget.release();
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

// The source is the same 256 x 256 picture whatever the frame's size and samples: its lines
// keep the widths they have at kFrameHeight lines, and it is drawn without antialiasing (thin
// lines antialiased would light the glow less).
void renderBlurSource(Timeline& timeline, const ColourRGB& background)
{
    const float frameLineScale = lineScale();
    setLineScale(1);
    glDisable(GL_MULTISAMPLE);
    glViewport(0, 0, 256, 256);
    timeline.update();
    glBindTexture(GL_TEXTURE_2D, blurTarget.id);
    bindFrameForReading(256, 256);
    // Luminance, not RGB: the copy drops the colour, so every glow is grey (tinted only by
    // blurColour), whatever the scene's colours; the glow tests and the stills rely on it.
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, 0, 0, 256, 256, 0);
    bindShowFrame();
    glClearColor(background.r, background.g, background.b, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, frameWidth(), frameHeight());
    setLineScale(frameLineScale);
    glEnable(GL_MULTISAMPLE);
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

namespace {

// The quads, each the copy zoomed in by `spread` more than the one before and fainter.
// Returns the last quad's alpha and outer texture coordinate, which stay current after it.
void drawStackedQuads(int passes, float spread, float inset, float& lastAlpha, float& s1)
{
    const float alphaStep = passes > 0 ? 0.2f / passes : 0.0f;
    float alpha = 0.2f;
    for (int i = 0; i < passes; ++i) {
        glLoadIdentity();
        glBegin(GL_QUADS);
        glColor4f(blurColour.r, blurColour.g, blurColour.b, alpha);
        lastAlpha = alpha;
        float s0 = inset;
        s1 = 1 - inset;
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
}

// The glow is as sharp as its 256 x 256 source: the quads add up in a target of a quarter
// of the frame's pixels (512 x 384 at 1024 x 768), in a square texture of a power of two,
// which is then added over the frame magnified in one quad.
int powerOfTwoAtLeast(int value)
{
    int side = 1;
    while (side < value) side *= 2;
    return side;
}

bool drawQuadsMagnified(int passes, float spread, float inset, float& alpha, float& s1)
{
    const int targetWidth = frameWidth() / 2, targetHeight = frameHeight() / 2;
    const int textureSide = powerOfTwoAtLeast(targetWidth);
    unsigned int target = 0;
    if (!bindSideTarget(textureSide, textureSide, target)) return false;
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glViewport(0, 0, targetWidth, targetHeight);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    drawStackedQuads(passes, spread, inset, alpha, s1);
    bindShowFrame();
    glViewport(0, 0, frameWidth(), frameHeight());
    glClearColor(clear[0], clear[1], clear[2], clear[3]);

    // The sum goes on as it is: no lighting or fog, full weight.
    const GLboolean lit = glIsEnabled(GL_LIGHTING), fogged = glIsEnabled(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, target);
    const float right = static_cast<float>(targetWidth) / textureSide;
    const float top = static_cast<float>(targetHeight) / textureSide;
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, 1);
    glTexCoord2f(0, top);
    glVertex2f(0, 0);
    glTexCoord2f(0, 0);
    glVertex2f(0, kFrameHeight);
    glTexCoord2f(right, 0);
    glVertex2f(kFrameWidth, kFrameHeight);
    glTexCoord2f(right, top);
    glVertex2f(kFrameWidth, 0);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (lit) glEnable(GL_LIGHTING);
    if (fogged) glEnable(GL_FOG);
    return true;
}

}  // namespace

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

    const float inset = startInset();
    float alpha = 0, s1 = 0;
    if (blurReference || passes <= 0 || !drawQuadsMagnified(passes, spread, inset, alpha, s1)) {
        drawStackedQuads(passes, spread, inset, alpha, s1);
    } else {
        // What the stacked quads leave current, as if they had been drawn here.
        glColor4f(blurColour.r, blurColour.g, blurColour.b, alpha);
        glTexCoord2f(s1, s1);
    }

    endScreenOverlay();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
}
