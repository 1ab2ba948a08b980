// program_test.cpp -- the message loop's ways out, the command line, and the headless modes
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/show.h"
#include "app/window.h"
#include "support/gl_test.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"

namespace {

int drawnFrames = 0;
void countingDraw(uint32_t) { ++drawnFrames; }

// Ends the loop after a number of frames, like a window nobody closes.
class FrameLimit : public FrameObserver {
public:
    explicit FrameLimit(int frames) : left_(frames) {}
    bool frameDone(Timeline&) override { return --left_ > 0; }

private:
    int left_;
};

class MessageLoopTest : public GlTest {};

struct Result {
    int exitCode;
    std::string output;
};

// A shell command line; "$DEMO_BINARY" is the demo.
Result runShell(const std::string& script)
{
    std::string command = "(" + script + ") 2>&1";
    Result result{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) result.output += buffer.data();
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Result runDemo(const std::string& arguments) { return runShell("\"$DEMO_BINARY\" " + arguments); }

// "video,<seconds>" and "audio,<seconds>" lines of a video file.
std::string streamDurations(const std::string& file)
{
    return runShell("ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 " + file).output;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

long countLines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

}  // namespace

// Escape, or a window closed by the system, ends the loop with exit code 0; other input changes
// nothing. Pending messages are handled before the next frame; once a process has seen one
// close, SDL hands a later pushed one over a pump later, so a frame may come first.
TEST_F(MessageLoopTest, EscapeOrAClosedWindowEndsTheLoopOtherInputDoesNot)
{
    struct Case { std::vector<TestInput> inputs; int framesAtLeast, framesAtMost; };
    const Case cases[] = {{{TestInput::EscapeDown}, 0, 0}, {{TestInput::WindowClose}, 0, 1},
                          {{TestInput::OtherKeyDown, TestInput::KeyUp, TestInput::MouseMove, TestInput::LeftButtonDown}, 5, 5}};
    setWindowProcedure(windowProcedure);
    for (const Case& c : cases) {
        TimelineEntry entry;
        Timeline show{&entry, 1};
        show.setEntry(0, 1000000, countingDraw);
        drawnFrames = 0;
        for (TestInput input : c.inputs) pushTestInput(input);
        FrameLimit limit(5);
        EXPECT_EQ(messageLoop(show, limit), 0);
        EXPECT_TRUE(drawnFrames >= c.framesAtLeast && drawnFrames <= c.framesAtMost) << drawnFrames;
    }
}

TEST(CommandLineTest, BadCommandLinesGetOneClearLineAndExitCodeTwo)
{
    const char* bad[] = {"--bogus", "--fps", "--fps 0", "--fps x", "--stills /tmp/s --at x",
                         "--stills /tmp/s --at 10,,20", "--stills /tmp/s", "--at 100",
                         "--capture", "--capture x.mp4 --until soon", "--data", "--scene 3",
                         "--benchmark --scene 11", "--benchmark --until 5 --scene 2", "--start soon",
                         "--start 5000 --stills /tmp/s --at 1", "--stills /tmp/s --at 1 --capture x.mp4",
                         "--capture x.mp4 --until 0", "--capture x.mp4 --from 2001 --until 2016",
                         "--benchmark --until 0", "--stills /tmp/s --at 1 --from 5", "--benchmark --size 1024",
                         "--benchmark --size 84x62", "--benchmark --size 16385x768", "--benchmark --size 4x3x2",
                         "--benchmark --size screen", "--capture x.mp4 --size 1023x768", "--benchmark --samples 0",
                         "--benchmark --size 16384x12288 --samples 4"};
    std::string tooManyTimes = "--contact-sheet /tmp/s.png --at 0";
    for (int i = 1; i <= 10000; ++i) tooManyTimes += "," + std::to_string(i);
    EXPECT_EQ(runDemo(tooManyTimes).exitCode, 2);
    for (const char* arguments : bad) {
        Result result = runDemo(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_EQ(countLines(result.output), 1) << arguments << ": " << result.output;
        EXPECT_NE(result.output.find("demo: "), std::string::npos) << arguments;
    }

    // A good one: the still times come sorted, each once.
    const char* argv[] = {"demo", "--stills", "out", "--at", "900,100,100", "--fps", "30", "--data", "d",
                          "--size", "86x64", "--samples", "4"};
    Options options;
    std::string error;
    ASSERT_TRUE(parseOptions(13, const_cast<char**>(argv), options, error)) << error;
    EXPECT_TRUE(options.mode == RunMode::Stills && options.fps == 30 && options.dataDir == "d");
    EXPECT_EQ(options.stillTimes, (std::vector<unsigned>{100, 900}));
    EXPECT_EQ(options.width, 86);
    EXPECT_EQ(options.height, 64);
    EXPECT_EQ(options.samples, 4);
}

// Frames that no still needs rasterize nothing; the stills must still be the bytes of a run
// that paints every frame: the title, the blurred cube cloud just after its switch, the
// culled tunnel, the lit blur of the rings. Four frames a second keep the painted run short.
TEST(ShowFastForward, StillsAreTheBytesOfARunThatPaintsEveryFrame)
{
    ScratchDir dir;
    std::string fast = dir.path + "/fast", painted = dir.path + "/painted";
    std::string common = "--data " + testDataDir() + " --fps 4 --at 5000,10250,30000,67000";
    ASSERT_EQ(runDemo(common + " --stills " + fast).exitCode, 0);
    ASSERT_EQ(runDemo(common + " --stills " + painted + " --paint-all-frames").exitCode, 0);
    for (std::string t : {"5000", "10250", "30000", "67000"}) {
        std::string still = readWholeFile(fast + "/" + t + ".png");
        EXPECT_GT(still.size(), 1000u) << t;
        EXPECT_TRUE(still == readWholeFile(painted + "/" + t + ".png")) << "the still at " << t << " ms differs";
    }
}

TEST(HeadlessModeTest, ABenchmarkOfOneSceneTimesItAloneAndNamesItsRenderer)
{
    Result result = runShell("LP_NUM_THREADS=1 \"$DEMO_BINARY\" --data " + testDataDir() + " --benchmark --scene 5 --fps 4");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    // Ten seconds at four frames a second, the one scene reported.
    EXPECT_NE(result.output.find("{\"scene\": 5, \"frames\": 40,"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("\"scene\": "), result.output.rfind("\"scene\": ")) << result.output;
    EXPECT_NE(result.output.find("\"lp_num_threads\": \"1\""), std::string::npos) << result.output;
}

// A show started late is fast-forwarded, then its clock and its soundtrack take up the same
// show time (a window on SDL's offscreen driver, the dummy audio device).
TEST(LiveShowTest, AShowStartedLatePlaysOnFromThereWithTheSoundtrackInStep)
{
    ScratchDir dir;
    std::string log = dir.path + "/late_start.log";
    std::string command = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy '" + std::string(std::getenv("DEMO_BINARY")) +
                          "' --data '" + testDataDir() + "' --start 3000 --windowed >'" + log + "' 2>&1 & p=$!; " +
                          "for i in $(seq 600); do grep -q 'first real-time' '" + log + "' && break; sleep 0.1; done; " +
                          "kill -TERM $p; wait $p";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::string output = readWholeFile(log);
    size_t line = output.find("first real-time frame");
    ASSERT_NE(line, std::string::npos) << output;
    unsigned showMs = 0;
    double musicMs = 0;
    ASSERT_EQ(std::sscanf(output.c_str() + line, "first real-time frame: show %u ms, soundtrack %lf ms", &showMs, &musicMs), 2)
        << output;
    EXPECT_GE(showMs, 3000u);
    EXPECT_LT(showMs, 5000u) << "the clock went on from the start time";
    EXPECT_NEAR(musicMs, showMs, 100) << "the soundtrack starts where the picture does";
}

TEST(HeadlessModeTest, StillsAreWrittenWholeOrNotAtAll)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    // A file size limit of 1 kB fails every write past it, as a full disk would.
    const std::string cases[] = {"--stills " + dir + " --at 0,250", "--contact-sheet " + dir + "/s.png --at 0"};
    for (const std::string& arguments : cases) {
        Result result = runShell("ulimit -f 1; \"$DEMO_BINARY\" --data " + testDataDir() + " " + arguments);
        EXPECT_EQ(result.exitCode, 1) << arguments << ": " << result.output;
        EXPECT_NE(result.output.find("could not write " + dir), std::string::npos) << result.output;
        EXPECT_TRUE(std::filesystem::is_empty(dir)) << arguments;
    }
    Result result = runShell("\"$DEMO_BINARY\" --data " + testDataDir() + " --stills " + dir +
                             " --at 0,148000 & sleep 2; kill -TERM $!; wait $!");
    EXPECT_EQ(result.exitCode, 143) << result.output;
    EXPECT_NE(result.output.find("1 of 2 stills not written"), std::string::npos) << result.output;

    // With no display at all the show says so at once.
    result = runShell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 \"$DEMO_BINARY\" --windowed");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("demo: no display"), std::string::npos) << result.output;
}

TEST(ShowWithoutData, EveryDataFileMissingGivesOneMessageEachAndTheShowRunsToItsEnd)
{
    ScratchDir scratch;
    const std::string& empty = scratch.path;
    // Two frames a second keep the run short; every scene still starts and draws.
    const std::string afterTheShow = std::to_string(showDurationMs() + 100);
    Result result = runDemo("--data " + empty + " --stills " + empty + " --fps 2 --at " + afterTheShow);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::vector<std::string> expected = {"hehe ;): Could not load RAW image"};
    for (std::string texture : {"terrainheh", "logo", "texture2", "texture3", "hiphop"})
        expected.push_back(texture + ".bmp: Could not load texture");
    for (std::string path : {"sc2", "sc3", "sc6", "sc10", "sc12", "sc9"}) expected.push_back(path + ".CMVM: Could not load camera path");
    for (const std::string& message : expected) {
        size_t first = result.output.find(message);
        EXPECT_NE(first, std::string::npos) << message;
        EXPECT_EQ(result.output.find(message, first + 1), std::string::npos) << message << " twice";
    }
    EXPECT_EQ(countLines(result.output), 12) << result.output;
    EXPECT_TRUE(std::filesystem::exists(empty + "/" + afterTheShow + ".png"));
}

TEST(HeadlessModeTest, CaptureWithoutFfmpegOrWithAStuckOneSaysSoAndFails)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    Result result = runShell("PATH=" + dir + " \"$(realpath $DEMO_BINARY)\" --capture " + dir + "/x.mp4");
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.output.find("ffmpeg"), std::string::npos) << result.output;

    // An ffmpeg that never reads: a SIGTERM still ends the capture within 2 s.
    std::ofstream(dir + "/ffmpeg") << "#!/bin/sh\nexec sleep 60\n";
    std::filesystem::permissions(dir + "/ffmpeg", std::filesystem::perms::owner_all);
    result = runShell("PATH=" + dir + ":$PATH \"$DEMO_BINARY\" --data " + testDataDir() + " --capture " + dir +
                      "/x.mp4 & pid=$!; sleep 2; kill -TERM $pid; start=$(date +%s%N); "
                      "(sleep 10; kill -KILL $pid) >/dev/null 2>&1 & wait $pid; code=$?; "
                      "echo ended $(( ($(date +%s%N) - start) / 1000000 )) ms; exit $code");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("stopped taking frames"), std::string::npos) << result.output;
    int endedMs = std::atoi(result.output.substr(result.output.rfind("ended ") + 6).c_str());
    EXPECT_LT(endedMs, 2000) << result.output;
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.mp4"));
}

TEST(HeadlessModeTest, ACaptureHasTheSoundOfEveryFrameWhateverTheSoundtrackFile)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    std::filesystem::copy(testDataDir(), dir);
    std::string mp3 = dir + "/quirky.mp3";
    std::string real = readWholeFile(mp3);
    // Empty, text, a cut of the real file (0.4 s), and a FIFO nobody writes.
    for (const std::string& soundtrack : {std::string(), std::string("text"), real.substr(0, 10000)}) {
        std::ofstream(mp3, std::ios::binary | std::ios::trunc) << soundtrack;
        Result result = runDemo("--data " + dir + " --capture " + dir + "/x.mp4 --until 1000");
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(streamDurations(dir + "/x.mp4"), "video,1.000000\naudio,1.000000\n") << soundtrack.size();
    }
    // One full-size frame every frame time of the show.
    Result probe = runShell("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                            "stream=width,height,nb_read_frames,avg_frame_rate -of csv=p=0 " + dir + "/x.mp4");
    EXPECT_EQ(probe.output, "1024,768,60/1,60\n");
    for (const char* name : {"quirky.mp3", "terrainheh.bmp", "mapclr.raw"}) {
        std::filesystem::remove(dir + "/" + name);
        mkfifo((dir + "/" + name).c_str(), 0600);
    }
    Result result = runShell("timeout 60 \"$DEMO_BINARY\" --data " + dir + " --capture " + dir + "/x.mp4 --until 500");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    for (const char* message : {"quirky.mp3 cannot be played (not a regular file)",
                                "Failed to open DIB file terrainheh.bmp", "Could not load RAW image"})
        EXPECT_NE(result.output.find(message), std::string::npos) << message;

    // Ctrl-C in a terminal signals the whole process group: the video ends whole, exit 0.
    std::filesystem::remove(mp3);
    std::filesystem::copy(testDataDir() + "/quirky.mp3", mp3);
    result = runShell("setsid timeout 60 \"$DEMO_BINARY\" --data " + dir + " --capture " + dir + "/x.mp4 & "
                      "sleep 2; kill -INT -$!; wait $!");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::string durations = streamDurations(dir + "/x.mp4");
    double video = std::atof(durations.c_str() + 6), audio = std::atof(durations.c_str() + durations.find("audio") + 6);
    EXPECT_GT(video, 0.1) << durations;
    EXPECT_NEAR(audio, video, 0.002) << durations;
}
