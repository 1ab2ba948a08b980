// texture_blur_test.cpp -- textures, the world set-up and the radial blur, offscreen
#include <GL/gl.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/frame.h"
#include "image/texture.h"
#include "platform/platform.h"
#include "render/blur.h"
#include "render/camera.h"
#include "support/bitmap_file.h"
#include "support/gl_test.h"
#include "timeline/timeline.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

GLint glInteger(GLenum name)
{
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// The first inset, the outer texture coordinate and the alpha of each overlay quad, caught
// with GL's feedback mode.
struct OverlayQuad {
    float inset, alpha, outer;
};
std::vector<OverlayQuad> overlayQuads(int passes, float spread, Timeline& timeline)
{
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    blurReference = true;  // the quads alone, without the one that adds up their sum
    drawBlurOverlay(passes, spread, timeline);
    blurReference = false;
    int used = glRenderMode(GL_RENDER);
    std::vector<OverlayQuad> quads;
    const int vertexFloats = 3 + 4 + 4;
    for (int i = 0; i < used; i += 2 + int(buffer[i + 1]) * vertexFloats) {
        if (buffer[i] != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << buffer[i];
            break;
        }
        float minS = 1e9f, maxS = -1e9f, alpha = 0;
        for (int v = 0; v < int(buffer[i + 1]); ++v) {
            minS = std::min(minS, buffer[i + 2 + v * vertexFloats + 7]);
            maxS = std::max(maxS, buffer[i + 2 + v * vertexFloats + 7]);
            alpha = buffer[i + 2 + v * vertexFloats + 6];
        }
        // A quad may come back as two triangles: they share the same inset and alpha.
        if (quads.empty() || std::fabs(quads.back().inset - minS) > 1e-6f || quads.back().alpha != alpha)
            quads.push_back({minS, alpha, maxS});
    }
    return quads;
}

// A yellow square off the centre, leaving the lighting on or off for the overlay. The blur
// copies only the red channel (as luminance), so the glow of any colour is grey.
bool leaveLightingOn = false;
void drawYellowSquare(uint32_t)
{
    beginScreenOverlay();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 0);
    glRectf(300, 200, 428, 328);
    endScreenOverlay();
    if (leaveLightingOn) glEnable(GL_LIGHTING);
}

// The picture at half its size, each pixel the mean of four.
Still halved(const Still& big)
{
    Still half;
    half.width = big.width / 2;
    half.height = big.height / 2;
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            for (int c = 0; c < 3; ++c)
                half.rgb.push_back((big.at(2 * x, 2 * y)[c] + big.at(2 * x + 1, 2 * y)[c] + big.at(2 * x, 2 * y + 1)[c] +
                                    big.at(2 * x + 1, 2 * y + 1)[c] + 2) / 4);
    return half;
}

double psnr(const Still& a, const Still& b)
{
    double squares = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) squares += std::pow(double(a.rgb[i]) - b.rgb[i], 2);
    return 10 * std::log10(255.0 * 255.0 * double(a.rgb.size()) / std::max(squares, 1e-9));
}

class BlurTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        resetBlurSettings();
        useScriptedClock(1000);
        FrameClock::reset();
        newBlurTarget();
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
    }
    void TearDown() override { resetBlurSettings(); }
    // A glow of 25 quads spread 0.01 apart, in light grey.
    void glowOn()
    {
        blurPasses = 25;
        blurSpread = 0.01f;
        blurColour = {0.8f, 0.8f, 0.8f};
        blurEnabled = true;
    }

    TimelineScene scene{drawYellowSquare, nullptr, 100000};
    Timeline timeline{&scene, 1};
};

}  // namespace

TEST_F(GlTest, BitmapTexturesUploadRowsOfAnyWidthAndReportFailures)
{
    ScratchDir dir;
    // Level 0 takes the mipmap builder's powers of two (768 gives 1024) and keeps the first and the
    // last row (red at the bottom, green at the top, blue between), which GLU's own rescale loses here.
    struct Size { int width, height, textureWidth, textureHeight; };
    for (Size size : {Size{3, 4, 4, 4}, {5, 3, 4, 4}, {17, 5, 16, 4}, {4, 6, 4, 8}, {4, 7, 4, 8}, {4, 12, 4, 16},
                      {4, 17, 4, 16}, {768, 768, 1024, 1024}}) {
        std::vector<Bytes> rows(size.height, Bytes{0, 0, 255});
        rows.front() = {255, 0, 0};
        rows.back() = {0, 255, 0};
        collectMessageBoxes(true);
        Texture texture;
        texture.loadBitmap(dir.write("rows.bmp", solidRowsBitmap(size.width, rows)).c_str());
        EXPECT_TRUE(collectedMessageBoxes().empty());
        ASSERT_NE(texture.id, 0u);
        EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), GLint(texture.id));
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        ASSERT_EQ(std::pair(width, height), std::pair(size.textureWidth, size.textureHeight))
            << size.width << " x " << size.height;
        Bytes texels(size_t(width) * height * 3);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        int wrong = 0;
        for (int x = 0; x < width; ++x)  // mostly red at the bottom, mostly green at the top
            wrong += texels[x * 3] < 128 || texels[((height - 1) * width + x) * 3 + 1] < 128;
        EXPECT_EQ(wrong, 0) << size.width << " x " << size.height;
    }
}

// A missing file is reported and the set-up goes on: the logo's texture stays empty, the other
// textures and the colour map (from its file) are loaded. Every file missing at once: see
// ShowWithoutData in program_test.
TEST_F(GlTest, WorldSetUpGoesOnWithoutTheLogo)
{
    ScratchDir dir;
    for (const auto& entry : fs::directory_iterator(fs::absolute(testDataDir())))
        if (entry.path().filename() != "logo.bmp") fs::copy_file(entry.path(), dir.path / entry.path().filename());
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path);
    collectMessageBoxes(true);
    setUpWorld();
    fs::current_path(previous);
    ASSERT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(collectedMessageBoxes()[0].caption, "logo.bmp");
    EXPECT_EQ(collectedMessageBoxes()[0].text, "Could not load texture");
    collectMessageBoxes(false);
    EXPECT_EQ(logoTexture->id, 0u);
    for (auto* t : {&terrainTexture, &texture2, &texture3, &hiphopTexture}) EXPECT_NE((*t)->id, 0u);
    std::ifstream map(fs::path(testDataDir()) / "mapclr.raw", std::ios::binary);
    EXPECT_EQ(Bytes(colourMap.get(), colourMap.get() + kColourMapBytes), Bytes(std::istreambuf_iterator<char>(map), {}));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
}

TEST_F(BlurTest, QuadsStepInwardAndFadeOut)
{
    std::vector<OverlayQuad> quads = overlayQuads(15, 0.01f, timeline);
    ASSERT_EQ(quads.size(), 15u);
    for (int i = 0; i < 15; ++i) {
        EXPECT_NEAR(quads[i].inset, 0.01 * i, 1e-5) << i;
        EXPECT_NEAR(quads[i].outer, 1 - 0.01 * i, 1e-5) << i;
    }
    EXPECT_NEAR(quads.front().alpha, 0.2, 1e-5);
    EXPECT_NEAR(quads.back().alpha, 0.2 / 15, 1e-5);

    // No pass draws nothing, but the overlay's state changes happen all the same.
    for (GLenum on : {GL_BLEND, GL_TEXTURE_2D, GL_TEXTURE_GEN_S}) glEnable(on);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, blurTargetTexture());
    EXPECT_TRUE(overlayQuads(0, 0.01f, timeline).empty());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    for (GLenum off : {GL_TEXTURE_2D, GL_BLEND, GL_TEXTURE_GEN_S}) EXPECT_FALSE(glIsEnabled(off)) << off;
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(BlurTest, AnimatedInsetRestsTwoFramesThenGrowsUpToItsLimit)
{
    blurInsetAnimated = true;
    std::vector<float> firstInsets;
    for (uint32_t t : {1000, 1016, 1033, 1050}) {
        setScriptedTicks(t);
        firstInsets.push_back(overlayQuads(2, 0.01f, timeline).at(0).inset);
    }
    EXPECT_EQ(std::vector<float>(firstInsets.begin(), firstInsets.begin() + 2), std::vector<float>(2, 0.0f));
    EXPECT_GT(firstInsets[2], 0);
    EXPECT_GT(firstInsets[3], firstInsets[2]);
    EXPECT_FLOAT_EQ(blurInset, firstInsets[3]);

    // Past 0.45 it stays; with the animation off the first inset is 0 and the value is kept.
    blurInset = 0.4501f;
    setScriptedTicks(5000);
    EXPECT_NEAR(overlayQuads(1, 0.01f, timeline).at(0).inset, 0.4501f, 1e-6);
    blurInsetAnimated = false;
    EXPECT_EQ(overlayQuads(1, 0.01f, timeline).at(0).inset, 0.0f);
    EXPECT_EQ(blurInset, 0.4501f);
}

// The quads added up small and magnified once give the picture of the quads stacked over
// the frame, lit (the material's colour) or not, and leave the lighting as it was.
TEST_F(BlurTest, MagnifiedSumGivesThePictureOfTheStackedQuads)
{
    glowOn();
    glEnable(GL_LIGHT1);
    const GLfloat grey[4] = {0.5f, 0.5f, 0.5f, 0.3f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, grey);
    for (bool lit : {false, true}) {
        leaveLightingOn = lit;
        Still pictures[2];
        for (bool reference : {true, false}) {
            blurReference = reference;
            renderFrame(timeline);
            pictures[reference] = readTestFrame();
            EXPECT_EQ(glIsEnabled(GL_LIGHTING), lit);
        }
        EXPECT_GT(pictures[1].mean(200, 100, 300, 200), 10) << "a glow to compare";
        EXPECT_EQ(pictures[1].share(200, 100, 300, 200, [](const uint8_t* p) { return p[2] + 8 < p[0]; }), 0) << "grey";
        EXPECT_GT(psnr(pictures[0], pictures[1]), 34) << "lit " << lit;
    }
    leaveLightingOn = false;
    glDisable(GL_LIGHT1);
}

// The frame that switches out of a blurred scene clears with the background the new scene's
// init sets (the init runs inside the blur's source pass), whether the blur stays on or not.
bool blurAfterSwitch = false;
void blurredOnBlack()
{
    blurEnabled = true;
    clearColour = {0, 0, 0};
}
void whiteBackground()
{
    blurEnabled = blurAfterSwitch;
    clearColour = {1, 1, 1};
}
void drawNothing(uint32_t) {}

TEST_F(BlurTest, SwitchOutOfABlurredSceneClearsWithTheNewBackground)
{
    for (bool blurStaysOn : {false, true}) {
        blurAfterSwitch = blurStaysOn;
        TimelineScene scenes[2] = {{drawNothing, blurredOnBlack, 100}, {drawNothing, whiteBackground, 1000}};
        Timeline show{scenes, 2};
        setScriptedTicks(1000);
        renderFrame(show);
        setScriptedTicks(1100);
        renderFrame(show);
        EXPECT_EQ(show.current, 1);
        Still frame = readTestFrame();
        EXPECT_EQ(frame.mean(900, 0, 1024, 100), 255) << "blur stays on " << blurStaysOn;
    }
    clearColour = {0, 0, 0};
}

// The glow is the same at twice the frame's size and with samples: the blur's source is the
// same 256 x 256 picture, copied from the resolved frame, and its sum scales with the frame.
TEST_F(BlurTest, TheGlowHoldsAtAnyFrameSizeAndWithSamples)
{
    glowOn();
    Still pictures[3];
    const int sizes[3][3] = {{1024, 768, 1}, {1024, 768, 4}, {2048, 1536, 1}};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(setFrameSize(sizes[i][0], sizes[i][1], sizes[i][2]));
        renderFrame(timeline);
        pictures[i] = readTestFrame();
    }
    EXPECT_GT(pictures[0].mean(200, 100, 300, 200), 10) << "a glow to compare";
    EXPECT_GT(psnr(pictures[0], pictures[1]), 35) << "with samples";
    EXPECT_GT(psnr(halved(pictures[2]), pictures[0]), 30) << "twice the size";
}
