// music_test.cpp -- the soundtrack player on SDL's dummy audio driver
#include <gtest/gtest.h>
#include <unistd.h>

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

// A folder of its own per test, made the working directory (the player opens "quirky.mp3" there).
fs::path enterFreshFolder(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("music_test_" + std::to_string(getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    return dir;
}

// Silence as MPEG-1 layer III: 128 kbit/s, 44.1 kHz, mono frames of 417 bytes whose side
// information is all zero (every granule empty), 1152 samples each.
void writeShortMp3(const fs::path& path, int kFrames = 20)  // 20 frames: 0.52 s
{
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';  // MPEG-1, layer III, no CRC
    frame[2] = '\x90';  // 128 kbit/s, 44100 Hz, no padding
    frame[3] = '\xC0';  // single channel
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < kFrames; ++i) out << frame;
}

void useDummyAudio() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Calls play like the main loop until the stream has gone; returns the mixer calls made by the
// play call that closed it, or -1 if it never went.
int playUntilStreamCloses(MusicPlayer& player, double timeoutSeconds)
{
    auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < timeoutSeconds) {
        uint64_t before = mixerCallCount();
        player.play();
        if (!player.stream) return static_cast<int>(mixerCallCount() - before);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

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

TEST(MusicPlayer, StartsOnceAndClosesEverythingWhenTheStreamEnds)
{
    useDummyAudio();
    const double kSeconds = 115 * 1152 / 44100.0;  // 3.0 s: several device buffers long
    writeShortMp3(enterFreshFolder("short") / "quirky.mp3", 115);
    MusicPlayer player;
    ASSERT_EQ(player.init(), 0);
    ASSERT_NE(player.stream, nullptr);
    EXPECT_TRUE(mixerIsOpenForTest());
    EXPECT_FALSE(musicIsPlaying()) << "opened, not yet playing";

    auto start = std::chrono::steady_clock::now();
    player.play();
    EXPECT_TRUE(musicIsPlaying()) << "the first play starts the stream";
    // Restarting it at any frame would keep it from ending on time.
    EXPECT_EQ(playUntilStreamCloses(player, kSeconds + 3.0), 2) << "the stream and the mixer, closed once";
    EXPECT_GT(secondsSince(start), kSeconds - 1.0) << "it played through, not cut short";
    expectClosedForGood(player);
}

TEST(MusicPlayer, EndFlagFromAnotherThreadIsActedOnByTheNextPlay)
{
    useDummyAudio();
    fs::copy_file(fs::path(testDataDir()) / "quirky.mp3", enterFreshFolder("real") / "quirky.mp3");

    MusicPlayer player;
    ASSERT_EQ(player.init(), 0) << "the generated soundtrack opens as an MP3 stream";
    for (int frame = 0; frame < 10; ++frame) player.play();
    EXPECT_TRUE(musicIsPlaying()) << "later plays leave it playing";

    uint64_t before = mixerCallCount();
    std::thread audioThread(onStreamEnd);
    audioThread.join();
    EXPECT_EQ(mixerCallCount(), before) << "the hook itself makes no mixer call";
    EXPECT_NE(player.stream, nullptr) << "the main thread closes it, not the hook";

    before = mixerCallCount();
    player.play();
    EXPECT_EQ(mixerCallCount() - before, 2u);
    expectClosedForGood(player);
}

TEST(MusicPlayer, MissingFileOrNoDeviceRunsSilentWithOneLineAtMost)
{
    enterFreshFolder("silent");
    collectMessageBoxes(true);
    for (const char* driver : {"dummy", "no_such_driver"}) {  // no file; then a file but no device
        setenv("SDL_AUDIODRIVER", driver, 1);
        testing::internal::CaptureStderr();
        MusicPlayer player;
        EXPECT_EQ(player.init(), 1) << driver;
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(errors.empty() || errors.find('\n') == errors.size() - 1) << errors;
        expectClosedForGood(player);
        writeShortMp3("quirky.mp3");
    }
    useDummyAudio();
    EXPECT_TRUE(collectedMessageBoxes().empty());
    collectMessageBoxes(false);
}

TEST(MusicPlayer, OlderMixerIsRefusedWithTheVersionMessage)
{
    useDummyAudio();
    writeShortMp3(enterFreshFolder("version") / "quirky.mp3");
    const std::string kMessage =
        "Error : You are using the wrong DLL version!  You should be using SDL_mixer 2.0.4\n";
    struct Case {
        MixerVersion version;
        bool accepted;
    };
    const Case cases[] = {{{2, 0, 3}, false}, {{2, 0, 4}, true}, {{2, 0, 5}, true},
                          {{1, 9, 9}, false}, {{2, 1, 0}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version.major << "." << c.version.minor << "."
                                        << c.version.patch);
        pretendLinkedMixerVersion(&c.version);
        testing::internal::CaptureStdout();
        MusicPlayer player;
        EXPECT_EQ(player.init(), c.accepted ? 0 : 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.accepted ? "" : kMessage);
        EXPECT_EQ(player.stream != nullptr, c.accepted);
        onStreamEnd();  // an open stream closes the ordinary way
        player.play();
        EXPECT_FALSE(mixerIsOpenForTest());
    }
    pretendLinkedMixerVersion(nullptr);
}
