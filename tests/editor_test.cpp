// editor_test.cpp -- the editing keys as window messages, on the virtual clock, offscreen
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/editor.h"
#include "app/recorder.h"
#include "app/show.h"
#include "app/show_restart.h"
#include "app/window.h"
#include "geometry/spline_path.h"
#include "support/gl_test.h"
#include "timeline/timeline.h"

namespace {

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void press(uintptr_t key, intptr_t modifiers = 0)
{
    pushTestMessage({WM_KEYDOWN, key, modifiers});
    pushTestMessage({WM_KEYUP, key, modifiers});
}

// The show from its start in a copy of the data folder, the editor on the virtual clock.
class EditorTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        for (const auto& entry : std::filesystem::directory_iterator(testDataDir()))
            std::filesystem::copy(entry.path(), data_.path + "/" + entry.path().filename().string());
        ASSERT_EQ(chdir(data_.path.c_str()), 0);
        fillTimeline(timeline_);
        ASSERT_TRUE(restartShow(timeline_));
        editor_ = std::make_unique<Editor>(EditorClock::Virtual, 60, 0);
        editor_->install();
    }
    void TearDown() override { setWindowProcedure(windowProcedure); }

    // Plays on until `frames` more frames have been shown (a seek's fast-forward shows none).
    void show(int frames)
    {
        editor_->framesLeft = frames;
        messageLoop(timeline_, *editor_);
    }

    ScratchDir data_;
    Timeline timeline_;
    std::unique_ptr<Editor> editor_;
};

}  // namespace

// Each seek, ahead or back (a replay from the start), lands on the bytes of a run from the start.
TEST_F(EditorTest, SeeksLandOnTheFramesOfARunFromTheStart)
{
    struct Case { uintptr_t key; intptr_t modifiers; uint32_t landsAt; };
    const Case cases[] = {{VK_RIGHT, KEY_SHIFT, 10000}, {VK_RIGHT, 0, 11000}, {VK_LEFT, KEY_SHIFT, 1000},
                          {VK_NEXT, 0, 10000},          {VK_RIGHT, 0, 11000}, {VK_HOME, 0, 10000},
                          {VK_NEXT, 0, 28800},          {VK_RIGHT, 0, 29800}, {VK_LEFT, 0, 28800},
                          {VK_PRIOR, 0, 10000}};
    std::vector<int> times = {1000, 10000, 11000, 28800, 29800};
    std::vector<Still> stills = renderShowStills(times, 60);
    for (const Case& c : cases) {
        press(c.key, c.modifiers);
        show(1);
        EXPECT_EQ(editor_->showMs(), c.landsAt) << "key " << c.key;
        size_t still = std::find(times.begin(), times.end(), static_cast<int>(c.landsAt)) - times.begin();
        EXPECT_TRUE(readTestFrame().rgb == stills[still].rgb) << "the frame after key " << c.key << " at " << c.landsAt;
    }
}

// Space holds the show time (the frame kept, nothing drawn) and a second Space goes on with the
// next frame of the run.
TEST_F(EditorTest, PauseHoldsTheShowTimeAndResumeGoesOnFromIt)
{
    std::vector<Still> stills = renderShowStills({33, 50}, 60);
    show(3);
    EXPECT_EQ(editor_->showMs(), 33u);
    press(VK_SPACE);
    show(20);
    EXPECT_TRUE(editor_->paused());
    EXPECT_EQ(editor_->showMs(), 33u);
    EXPECT_TRUE(readTestFrame().rgb == stills[0].rgb) << "the paused frame is the frame at 33 ms";
    press(VK_SPACE);
    show(1);
    EXPECT_EQ(editor_->showMs(), 50u);
    EXPECT_TRUE(readTestFrame().rgb == stills[1].rgb) << "the first frame after the pause";
}

// In the first tunnel: the free camera flies off while the scene's path step goes on; a click
// records what is seen, Ctrl+S writes the path whole (the file before kept), and it reads back.
TEST_F(EditorTest, TheFreeCameraIsSeenRecordedAndSaved)
{
    std::vector<Still> stills = renderShowStills({30500}, 60);
    std::vector<uint8_t> before = fileBytes("sc2.CMVM");
    editor_->seekTo(30000);
    show(1);
    int step = cameraPathStep;
    press(VK_TAB);
    pushTestMessage({WM_KEYDOWN, 'W', 0});
    show(30);
    pushTestMessage({WM_KEYUP, 'W', 0});
    EXPECT_EQ(editor_->showMs(), 30500u);
    EXPECT_EQ(cameraPathStep - step, 30) << "the scene's path goes on one sample a frame";
    EXPECT_GT(std::abs(editor_->free().eyeZ - camera.eyeZ) + std::abs(editor_->free().eyeX - camera.eyeX), 1.0f);
    EXPECT_FALSE(readTestFrame().rgb == stills[0].rgb) << "the free camera's view is the scene's";
    EXPECT_NE(editor_->title().find("free camera · sc2.CMVM 0/"), std::string::npos) << editor_->title();

    pushTestMessage({WM_LBUTTONDOWN, 0, 0});
    press('S', KEY_CONTROL);
    show(1);
    EXPECT_EQ(fileBytes("sc2.CMVM.bak"), before);
    Vertex *eyes = nullptr, *angles = nullptr;
    int32_t n = 0;
    std::vector<uint8_t> saved = fileBytes("sc2.CMVM");
    ASSERT_TRUE(decodeCmvm(saved.data(), saved.size(), eyes, angles, n));
    ASSERT_EQ(n, cameraPath->pointCount);
    EXPECT_EQ(eyes[0].x, editor_->free().eyeX);
    EXPECT_EQ(eyes[0].z, editor_->free().eyeZ);
    EXPECT_EQ(angles[0].y, editor_->free().rotY);
    EXPECT_EQ(eyes[n - 1].z, cameraPath->eyePoints[n - 1].z) << "the points not recorded stay";
    delete[] eyes;
    delete[] angles;

    press(VK_TAB);
    show(1);
    EXPECT_FALSE(editor_->freeCameraOn());
}

// A path file changed on disk is flown from the scene's start; a broken one keeps the old path.
TEST_F(EditorTest, AChangedPathIsFlownFromTheSceneStartAndABrokenOneKeepsTheOld)
{
    editor_->seekTo(30000);
    show(1);
    std::vector<Vertex> eyes(cameraPath->eyePoints, cameraPath->eyePoints + cameraPath->pointCount);
    std::vector<Vertex> angles(cameraPath->anglePoints, cameraPath->anglePoints + cameraPath->pointCount);
    const float firstSampleX = cameraPathEyeSamples[0].x;
    for (Vertex& v : eyes) v.x += 3;
    writeCameraPath("sc2.CMVM", eyes, angles);
    editor_->pollDataFiles();
    show(1);
    EXPECT_EQ(editor_->showMs(), 28800u) << "replayed from the tunnel's start";
    EXPECT_EQ(cameraPath->eyePoints[1].x, eyes[1].x);
    EXPECT_NEAR(cameraPathEyeSamples[0].x, firstSampleX + 3, 1e-3) << "the flight samples the new points";
    EXPECT_LE(cameraPathStep, 2) << "flown from its start";

    collectMessageBoxes(true);
    std::ofstream("sc2.CMVM", std::ios::binary) << "bad";
    editor_->pollDataFiles();
    show(1);
    ASSERT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(collectedMessageBoxes()[0].caption, "sc2.CMVM");
    collectMessageBoxes(false);
    EXPECT_EQ(editor_->showMs(), 28816u) << "no replay";
    EXPECT_EQ(cameraPath->eyePoints[1].x, eyes[1].x);
    press(VK_HOME);
    show(1);
    EXPECT_EQ(cameraPath->eyePoints[1].x, eyes[1].x) << "a replay keeps the path that loaded";
}

class ShowEditor : public EditorTest {};

// Back from the show's end into the grey veil of the last scene: it starts again from clear.
TEST_F(ShowEditor, ASeekBackFromTheEndLandsOnTheFrameOfARunFromTheStart)
{
    std::vector<Still> stills = renderShowStills({148500}, 60);
    editor_->seekTo(149500);
    show(1);
    editor_->seekTo(148500);
    show(1);
    EXPECT_EQ(editor_->showMs(), 148500u);
    EXPECT_TRUE(readTestFrame().rgb == stills[0].rgb) << "the frame at 148.5 s after a seek back";
}
