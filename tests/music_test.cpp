// music_test.cpp -- the soundtrack player on SDL's dummy audio driver
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "audio/music_player.h"
#include "platform/audio.h"
#include "platform/platform.h"
#include "support/gl_test.h"

namespace fs = std::filesystem;

namespace {

// Silence as MPEG-1 layer III: 128 kbit/s, 44.1 kHz, mono frames of 417 bytes whose side
// information is all zero (every granule empty), 1152 samples each.
// Header: sync and MPEG-1 layer III without CRC (FF FB), 128 kbit/s at 44100 Hz without padding
// (90), single channel (C0).
void writeShortMp3(const fs::path& path, int kFrames = 20)  // 20 frames: 0.52 s
{
    const std::string frame = std::string("\xFF\xFB\x90\xC0", 4) + std::string(413, '\0');
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < kFrames; ++i) out << frame;
}

// The player opens "quirky.mp3" in the working directory: each test gets a fresh one.
class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        fs::current_path(dir.path);
    }
    ScratchDir dir;
};

// Closed for good: no stream, the mixer shut, and later plays make no mixer call.
void expectClosedForGood(MusicPlayer& player)
{
    EXPECT_EQ(player.stream, nullptr);
    EXPECT_FALSE(mixerIsOpenForTest());
    uint64_t before = mixerCallCount();
    for (int frame = 0; frame < 100; ++frame) player.play();
    EXPECT_EQ(mixerCallCount(), before);
}

}  // namespace

// Calls play like the main loop until the stream has gone: the play call that closes it makes
// two mixer calls. Restarting the stream at any frame would keep it from ending on time.
TEST_F(MusicPlayerTest, PlaysThroughOnceAndClosesEverythingWhenTheStreamEnds)
{
    const double kSeconds = 115 * 1152 / 44100.0;  // 3.0 s: several device buffers long
    writeShortMp3("quirky.mp3", 115);
    MusicPlayer player;
    ASSERT_EQ(player.init(), 0);
    auto start = std::chrono::steady_clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    int closingCalls = -1;
    while (closingCalls < 0 && seconds() < kSeconds + 3.0) {
        uint64_t before = mixerCallCount();
        player.play();
        if (!player.stream) closingCalls = static_cast<int>(mixerCallCount() - before);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(closingCalls, 2) << "the stream and the mixer, closed once";
    EXPECT_GT(seconds(), kSeconds - 1.0) << "it played through, not cut short";
    expectClosedForGood(player);
}

TEST_F(MusicPlayerTest, EndFlagFromAnotherThreadIsActedOnByTheNextPlay)
{
    fs::copy_file(fs::path(testDataDir()) / "quirky.mp3", "quirky.mp3");
    MusicPlayer player;
    ASSERT_EQ(player.init(), 0) << "the generated soundtrack opens as an MP3 stream";
    for (int frame = 0; frame < 10; ++frame) player.play();
    EXPECT_TRUE(musicIsPlaying()) << "the first play starts it, later plays leave it playing";

    uint64_t before = mixerCallCount();
    std::thread audioThread(onStreamEnd);
    audioThread.join();
    EXPECT_EQ(mixerCallCount(), before) << "the hook itself makes no mixer call";
    EXPECT_NE(player.stream, nullptr) << "the main thread closes it, not the hook";
    player.play();
    EXPECT_EQ(mixerCallCount() - before, 2u);
    expectClosedForGood(player);
}

// Refused without a file, without a device, or with a mixer older than 2.0.4 (which says so on
// standard output): the show runs silent, with one line on standard error at most.
TEST_F(MusicPlayerTest, MissingFileNoDeviceOrAnOlderMixerRunSilent)
{
    const std::string kOld = "Error : You are using the wrong DLL version!  You should be using SDL_mixer 2.0.4\n";
    struct Case { const char* driver; bool file; MixerVersion version; int init; std::string out; };
    const Case cases[] = {{"dummy", false, {2, 0, 4}, 1, ""}, {"no_such_driver", true, {2, 0, 4}, 1, ""},
                          {"dummy", true, {2, 0, 3}, 1, kOld}, {"dummy", true, {1, 9, 9}, 1, kOld},
                          {"dummy", true, {2, 0, 4}, 0, ""},   {"dummy", true, {2, 1, 0}, 0, ""}};
    collectMessageBoxes(true);
    for (const Case& c : cases) {
        const MixerVersion& v = c.version;
        SCOPED_TRACE(testing::Message() << c.driver << (c.file ? ", a file" : "") << ", mixer " << v.major << "." << v.minor << "." << v.patch);
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        if (c.file) writeShortMp3("quirky.mp3");
        pretendLinkedMixerVersion(&v);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        MusicPlayer player;
        EXPECT_EQ(player.init(), c.init);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
        EXPECT_TRUE(errors.empty() || errors.find('\n') == errors.size() - 1) << errors;
        onStreamEnd();  // an open stream closes the ordinary way
        player.play();
        expectClosedForGood(player);
    }
    pretendLinkedMixerVersion(nullptr);
    EXPECT_TRUE(collectedMessageBoxes().empty());
    collectMessageBoxes(false);
}
