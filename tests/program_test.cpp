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

#include "app/capture_span.h"
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

// The seconds of a video file's picture and of its sound (-1 where it has none).
std::pair<double, double> streamDurations(const std::string& file)
{
    std::string csv = runShell("ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 " + file).output;
    size_t audio = csv.find("audio,");
    return {std::atof(csv.c_str() + 6), audio == std::string::npos ? -1 : std::atof(csv.c_str() + audio + 6)};
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

long countLines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// Frames a video holds, as ffprobe counts them by decoding ("" when it is not a video).
std::string videoFrames(const std::string& file)
{
    return runShell("ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames "
                    "-of csv=p=0 " + file).output;
}

// A stand-in for ffmpeg, first on the PATH of the command it prefixes (ffprobe stays the real one).
std::string standInEncoder(const std::string& folder, const std::string& script)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/ffmpeg") << "#!/bin/sh\n" << script << "\n";
    std::filesystem::permissions(folder + "/ffmpeg", std::filesystem::perms::owner_all);
    return "PATH=" + folder + ":$PATH ";
}

std::string captureCommand(const std::string& target, const std::string& flags)
{
    return "timeout 120 \"$DEMO_BINARY\" --data " + testDataDir() + " --capture " + target + " " + flags;
}

// Completes a command line: in the background, its messages to `log`; `kill` once it has
// written `line`; then its exit code and its messages.
std::string afterLine(const std::string& log, const std::string& line, const std::string& kill)
{
    return " 2>" + log + " & until grep -q '" + line + "' " + log + " || ! kill -0 $! 2>/dev/null; do sleep 0.05; done; " + kill +
           "; wait $!; code=$?; cat " + log + "; exit $code";
}

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
        TimelineScene scene;
        Timeline show{&scene, 1};
        show.setScene(0, 1000000, countingDraw);
        drawnFrames = 0;
        for (TestInput input : c.inputs) pushTestInput(input);
        FrameLimit limit(5);
        EXPECT_EQ(messageLoop(show, limit), 0);
        EXPECT_GE(drawnFrames, c.framesAtLeast);
        EXPECT_LE(drawnFrames, c.framesAtMost);
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
                         "--benchmark --until 0", "--stills /tmp/s --at 1 --from 5", "--edit --windowed",
                         "--full-screen", "--edit --stills /tmp/s --at 1",
                         "--benchmark --size 1024", "--benchmark --size 84x62", "--benchmark --size 16385x768",
                         "--benchmark --size 4x3x2", "--benchmark --size screen", "--capture x.mp4 --size 1023x768",
                         "--benchmark --samples 0", "--benchmark --size 16384x12288 --samples 4"};
    // Each bad line and what its message names: a flag that would do nothing in the chosen mode
    // or is given twice, a time past the show; the others at least the program.
    std::vector<std::pair<std::string, std::string>> refused = {
        {"--stills /tmp/s --at 100 --until 500", "--until"}, {"--until 500", "--until"},
        {"--benchmark --windowed", "--windowed"}, {"--windowed --mode-switch", "--mode-switch"},
        {"--stills /tmp/a --stills /tmp/b --at 1", "--stills"}, {"--benchmark --data a --data b", "--data"},
        {"--fps 30", "--fps"}, {"--windowed --paint-all-frames", "--paint-all-frames"},
        {"--stills /tmp/s --at 4294967295", "4294967295"}, {"--start 149801", "149801"}};
    for (const char* arguments : bad) refused.push_back({arguments, "demo: "});
    // Too many times for stills, and too many tiles for a sheet held in memory.
    for (auto [mode, count] : {std::pair{"--stills /tmp/s --at 0", 10001}, {"--contact-sheet /tmp/s.png --at 0", int(kMaxSheetTiles) + 1}}) {
        refused.push_back({mode, "demo: "});
        for (int i = 1; i < count; ++i) refused.back().first += "," + std::to_string(i);
    }
    for (const auto& [arguments, named] : refused) {
        Result result = runDemo(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.substr(0, 80);
        EXPECT_EQ(countLines(result.output), 1) << arguments.substr(0, 80) << ": " << result.output;
        EXPECT_NE(result.output.find(named), std::string::npos) << arguments.substr(0, 80) << ": " << result.output;
    }

    // A good one: the still times come sorted, each once.
    const char* argv[] = {"demo", "--stills", "out", "--at", "900,100,100", "--fps", "30", "--data", "d",
                          "--size", "86x64", "--samples", "4"};
    Options options;
    std::string error;
    ASSERT_TRUE(parseOptions(13, const_cast<char**>(argv), options, error)) << error;
    EXPECT_EQ(options.mode, RunMode::Stills);
    EXPECT_EQ(options.fps, 30);
    EXPECT_EQ(options.dataDir, "d");
    EXPECT_EQ(options.stillTimes, (std::vector<unsigned>{100, 900}));
    EXPECT_EQ(options.width, 86);
    EXPECT_EQ(options.height, 64);
    EXPECT_EQ(options.samples, 4);
}

// --help and --version win wherever they stand; what goes to standard output must arrive, or
// the run says so in one line and fails.
TEST(CommandLineTest, HelpWinsAndALostStandardOutputIsAFailure)
{
    ScratchDir dir;
    for (std::string arguments : {"--stills " + dir.path + " --at 100 --help", "--help --stills " + dir.path + " --at 100",
                                  std::string("--bogus --version")}) {
        Result result = runDemo(arguments + " 2>/dev/null");
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_EQ(result.output.rfind(arguments.find("--help") != std::string::npos ? "usage: demo" : "demo ", 0), 0u)
            << arguments << ": " << result.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/100.png"));
    for (std::string arguments : {std::string("--help"), std::string("--version"), "--data " + testDataDir() + " --benchmark --until 100"})
        for (const char* output : {">/dev/full", ">&-"}) {
            Result result = runDemo(arguments + " " + output);
            EXPECT_EQ(result.exitCode, 1) << arguments << output;
            EXPECT_EQ(countLines(result.output), 1) << arguments << output << ": " << result.output;
        }
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

// A show started late is fast-forwarded, then its clock takes up the start time (a window on
// SDL's offscreen driver, the dummy audio device, which plays nothing in real time: how the
// soundtrack meets the picture is measured on a real sound server by ShowSync.*FromScene4).
TEST(LiveShowTest, AShowStartedLatePlaysOnFromThere)
{
    ScratchDir dir;
    Result result = runShell("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 120 \"$DEMO_BINARY\" --data " +
                             testDataDir() + " --start 3000 --windowed" + afterLine(dir.path + "/log", "first real-time", "kill -TERM $!"));
    EXPECT_EQ(result.exitCode, 0);
    const std::string& output = result.output;
    size_t line = output.find("first real-time frame");
    ASSERT_NE(line, std::string::npos) << output;
    unsigned showMs = 0;
    ASSERT_EQ(std::sscanf(output.c_str() + line, "first real-time frame: show %u ms", &showMs), 1) << output;
    EXPECT_GE(showMs, 3000u);
    EXPECT_LT(showMs, 5000u) << "the clock went on from the start time";
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
    for (auto [signal, exitCode] : {std::pair{"TERM", 143}, {"HUP", 129}}) {
        const std::string out = dir + "/" + signal;
        Result result = runShell("\"$DEMO_BINARY\" --data " + testDataDir() + " --stills " + out +
                                 " --at 0,148000 & p=$!; until [ -e " + out + "/0.png ]; do sleep 0.05; done; "
                                 "kill -" + signal + " $p; wait $p");
        EXPECT_EQ(result.exitCode, exitCode) << signal << ": " << result.output;
        EXPECT_NE(result.output.find("1 of 2 stills not written"), std::string::npos) << signal << ": " << result.output;
    }

    // With no display at all the show says so at once, in one line, whatever driver is asked for.
    for (const char* driver : {"-u SDL_VIDEODRIVER", "SDL_VIDEODRIVER=x11", "SDL_VIDEODRIVER=wayland"}) {
        Result result = runShell("env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR " + std::string(driver) +
                                 " timeout 20 \"$DEMO_BINARY\" --windowed");
        EXPECT_EQ(result.exitCode, 1) << driver;
        EXPECT_EQ(result.output.rfind("demo: no display", 0), 0u) << driver << ": " << result.output;
        EXPECT_EQ(countLines(result.output), 1) << driver << ": " << result.output;
    }
    // The modes without a window draw offscreen whatever driver the environment names.
    for (const char* driver : {"x11", "wayland", "nonsense"}) {
        Result result = runShell(std::string("SDL_VIDEODRIVER=") + driver + " \"$DEMO_BINARY\" --data " + testDataDir() +
                                 " --stills " + dir + "/" + driver + " --at 0");
        EXPECT_EQ(result.exitCode, 0) << driver << ": " << result.output;
        EXPECT_TRUE(std::filesystem::exists(dir + "/" + driver + "/0.png")) << driver;
    }
}

// The live show in a window on a virtual X display: a quit signal ends it at once with exit
// code 0, also while a message box about a broken file waits for its button, and so does a
// window the X server destroys, without X errors. Skipped where Xvfb or xdotool is missing.
TEST(LiveShowTest, SignalsAndADestroyedWindowEndTheShowWhereverItWaits)
{
    ScratchDir scratch;
    std::filesystem::copy(testDataDir(), scratch.path + "/data");
    std::ofstream(scratch.path + "/data/hiphop.bmp", std::ios::binary | std::ios::trunc) << "BM broken";
    const std::string start =
        "command -v Xvfb >/dev/null && command -v xdotool >/dev/null || exit 77; "
        "rm -f " + scratch.path + "/display; "  // the last case's number must not be read as this one's
        "Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>" + scratch.path + "/display 2>/dev/null & x=$!; "
        "for i in $(seq 50); do [ -s " + scratch.path + "/display ] && break; sleep 0.1; done; "
        "[ -s " + scratch.path + "/display ] || { kill $x; exit 77; }; "
        "export DISPLAY=:$(cat " + scratch.path + "/display) SDL_AUDIODRIVER=dummy; "
        "for i in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done; ";
    // The box about the broken picture is up a moment after its line on standard error.
    const std::string log = scratch.path + "/log";
    const std::string boxUp = "for i in $(seq 200); do [ -s " + log + " ] && break; sleep 0.1; done; sleep 1; ";
    struct Case { bool brokenData; std::string wait, ending; };
    const Case cases[] = {{true, boxUp, "kill -TERM $p"}, {true, boxUp, "kill -INT $p"}, {true, boxUp, "kill -HUP $p"},
                          {false, "w=$(timeout 20 xdotool search --sync --name '^Demo engine$' | head -1); sleep 1; ",
                           "xdotool windowclose $w"}};
    for (const Case& c : cases) {
        std::string data = c.brokenData ? scratch.path + "/data" : testDataDir();
        Result result = runShell(start + "\"$DEMO_BINARY\" --data " + data + " --windowed 2>" + log + " & p=$!; " + c.wait +
                                 c.ending + "; for i in $(seq 30); do kill -0 $p 2>/dev/null || break; sleep 0.1; done; "
                                 "kill -0 $p 2>/dev/null && { echo still running; kill -KILL $p; }; wait $p; code=$?; "
                                 "kill $x; cat " + log + "; exit $code");
        if (result.exitCode == 77) GTEST_SKIP() << "no Xvfb or xdotool";
        EXPECT_EQ(result.exitCode, 0) << c.ending << ": " << result.output;
        EXPECT_EQ(result.output.find("still running"), std::string::npos) << c.ending << ": " << result.output;
        EXPECT_EQ(result.output.find("X Error"), std::string::npos) << c.ending << ": " << result.output;
    }
}

TEST(ShowWithoutData, EveryDataFileMissingGivesOneMessageEachAndTheShowRunsToItsEnd)
{
    ScratchDir scratch;
    const std::string& empty = scratch.path;
    // Two frames a second keep the run short; every scene still starts and draws.
    const std::string afterTheShow = std::to_string(showDurationMs());
    Result result = runDemo("--data " + empty + " --stills " + empty + " --fps 2 --at " + afterTheShow);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::vector<std::string> expected = {"mapclr.raw"};
    for (std::string texture : {"terrainheh", "logo", "texture2", "texture3", "hiphop"}) expected.push_back(texture + ".bmp");
    for (std::string path : {"sc2", "sc3", "sc6", "sc10", "sc12", "sc9"}) expected.push_back(path + ".CMVM");
    for (const std::string& file : expected) {
        std::string message = "demo: " + file + ": No such file or directory";
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

    // An ffmpeg that stops reading after the first bytes: a SIGTERM then still ends the capture within 2 s.
    result = runShell(standInEncoder(dir + "/bin", "head -c 1 >/dev/null; touch " + dir + "/started; exec sleep 60") + "\"$DEMO_BINARY\" --data " +
                      testDataDir() + " --capture " + dir + "/x.mp4 & pid=$!; until [ -e " + dir + "/started ]; do sleep 0.05; done; "
                      "kill -TERM $pid; start=$(date +%s%N); "
                      "(sleep 10; kill -KILL $pid) >/dev/null 2>&1 & wait $pid; code=$?; "
                      "echo ended $(( ($(date +%s%N) - start) / 1000000 )) ms; exit $code");
    // Stopped taking data, or (on a slow machine) stopped before its first frame: either way one line.
    EXPECT_NE(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("could not write " + dir + "/x.mp4: "), std::string::npos) << result.output;
    int endedMs = std::atoi(result.output.substr(result.output.rfind("ended ") + 6).c_str());
    EXPECT_LT(endedMs, 2000) << result.output;
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.mp4"));
}

// Data files that are FIFOs nobody writes are named and passed over; the capture still has one
// full-size frame every frame time of the show (its sound with soundtracks that decode to
// nothing or too little: EveryFrameRateGivesAllItsFramesWithSoundAsLongAsThePicture).
TEST(HeadlessModeTest, ACaptureGoesOnPastDataFilesThatAreFifos)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    std::filesystem::copy(testDataDir(), dir);
    for (const char* name : {"quirky.mp3", "terrainheh.bmp", "mapclr.raw"}) {
        std::filesystem::remove(dir + "/" + name);
        mkfifo((dir + "/" + name).c_str(), 0600);
    }
    Result result = runShell("timeout 60 \"$DEMO_BINARY\" --data " + dir + " --capture " + dir + "/x.mp4 --until 500");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    for (const char* message : {"quirky.mp3 cannot be played (not a regular file)",
                                "terrainheh.bmp: not a regular file", "mapclr.raw: not a regular file"})
        EXPECT_NE(result.output.find(message), std::string::npos) << message;
    Result probe = runShell("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                            "stream=width,height,nb_read_frames,avg_frame_rate -of csv=p=0 " + dir + "/x.mp4");
    EXPECT_EQ(probe.output, "1024,768,60/1,30\n");  // 500 ms at 60 frames a second
}

// Short clips at every kind of frame rate, up to the largest taken: all the frames, and sound
// as long as the picture, with the soundtrack and with one that cannot be played.
TEST(ShowCapture, EveryFrameRateGivesAllItsFramesWithSoundAsLongAsThePicture)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    std::filesystem::copy(testDataDir(), dir);
    const long long clipMs = 200;
    const std::string real = readWholeFile(dir + "/quirky.mp3");
    // The real file, text, empty, and a cut of the real one (0.4 s, shorter than the clip at 1 fps).
    for (const std::string& soundtrack : {real, std::string("text"), std::string(), real.substr(0, 10000)}) {
        std::ofstream(dir + "/quirky.mp3", std::ios::binary | std::ios::trunc) << soundtrack;
        for (int fps : {1, 2, 7, 10, 11, 12, 13, 24, 25, 29, 30, 50, 59, 60, 61, 120, 144, 240, 1000}) {
            Result result = runShell("timeout 120 \"$DEMO_BINARY\" --data " + dir + " --capture " + dir +
                                     "/x.mp4 --until " + std::to_string(clipMs) + " --fps " + std::to_string(fps));
            EXPECT_EQ(result.exitCode, 0) << fps << " fps, " << soundtrack.size() << ": " << result.output;
            long long frames = 0;  // frame k shows floor(k * 1000 / fps) ms
            while (frames * 1000 / fps < clipMs) ++frames;
            EXPECT_EQ(videoFrames(dir + "/x.mp4"), std::to_string(frames) + "\n") << fps << " fps, " << soundtrack.size();
            auto [video, audio] = streamDurations(dir + "/x.mp4");
            EXPECT_NEAR(video, static_cast<double>(frames) / fps, 1e-5) << fps << " fps";
            EXPECT_NEAR(audio, video, 0.001) << fps << " fps, " << soundtrack.size();
        }
    }
}

// Neither pipe may hold up the other: at 10 fps the encoder wants sound while pictures wait.
// An encoder that takes only the pictures is given up within a bounded time, with one line.
TEST(HeadlessModeTest, ACaptureNeverHangsOnItsEncoder)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    Result result = runShell(captureCommand(dir + "/x.mp4", "--fps 10 --until 1000"));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(videoFrames(dir + "/x.mp4"), "10\n");
    std::filesystem::remove(dir + "/x.mp4");
    std::string path = standInEncoder(dir + "/bin", "exec cat >/dev/null");
    result = runShell(path + captureCommand(dir + "/x.mp4", "--until 1000"));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("could not write " + dir + "/x.mp4: the encoder took no data for 5 s"),
              std::string::npos) << result.output;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "only bin/ is left";
}

// A full disk, an encoder that exits 0 with a broken file or with an error said: one line,
// exit 1, nothing left.
TEST(HeadlessModeTest, ABrokenVideoIsNeverPassedOff)
{
    ScratchDir scratch, small, tools;
    bool mounted = runShell("mount -t tmpfs -o size=40k demo-test " + small.path).exitCode == 0;
    std::string realFfmpeg = runShell("command -v ffmpeg | tr -d '\\n'").output;
    std::string fullDisk = mounted ? "" : standInEncoder(tools.path + "/full", "echo 'No space left on device' >&2; exit 0");
    const std::string cases[][3] = {
        {fullDisk, mounted ? small.path : scratch.path, "the disk is full"},
        {standInEncoder(tools.path + "/junk", "cat <&3 >/dev/null & cat >/dev/null; wait; for last; do :; done; "
                                              "echo junk >\"$last\""),
         scratch.path, "the encoder's file is not a whole video of 30 frames with sound"},
        {standInEncoder(tools.path + "/talks", realFfmpeg + " \"$@\"; echo 'Error while filtering' >&2"), scratch.path,
         "the encoder reported an error: Error while filtering"}};
    for (const auto& c : cases) {
        Result result = runShell(c[0] + captureCommand(c[1] + "/x.mp4", "--until 500"));
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_NE(result.output.find("could not write " + c[1] + "/x.mp4: " + c[2]), std::string::npos) << result.output;
        EXPECT_TRUE(std::filesystem::is_empty(c[1])) << c[2];
    }
    if (mounted) runShell("umount " + small.path);
}

// Two runs to one target each write a temporary file of their own, and closed standard
// descriptors (as from cron) must not swallow the encoder's pipes: both end whole.
TEST(HeadlessModeTest, TwoCapturesToOneFileWithClosedDescriptorsBothEndWhole)
{
    ScratchDir scratch;
    std::string command = captureCommand(scratch.path + "/x.mp4", "--until 500");
    Result result = runShell(command + " <&- & first=$!; " + command + " <&- >&- 2>&-; second=$?; wait $first; echo $? $second");
    EXPECT_EQ(result.output.substr(result.output.size() - 4), "0 0\n") << result.output;
    EXPECT_EQ(videoFrames(scratch.path + "/x.mp4"), "30\n");
}

// Ctrl-C in a terminal (SIGINT to the whole process group) or a closed one (SIGHUP) after the
// first progress line (15 frames) ends a capture as a playable shorter video, exit code 0.
TEST(HeadlessModeTest, CtrlCOrSighupEndsACaptureAsAShorterVideo)
{
    ScratchDir scratch;
    for (auto [prefix, kill] : {std::pair{"setsid ", "kill -INT -$!"}, {"", "kill -HUP $!"}}) {
        Result result = runShell(prefix + captureCommand(scratch.path + "/x.mp4", "") +
                                 afterLine(scratch.path + "/log", "capture: scene", kill));
        EXPECT_EQ(result.exitCode, 0) << kill << ": " << result.output;
        auto [video, audio] = streamDurations(scratch.path + "/x.mp4");
        EXPECT_GT(video, 0.1) << kill;
        EXPECT_NEAR(audio, video, 0.002) << kill;
    }
}

// A quit signal that comes before the handlers could (here: pending, blocked by the parent)
// still ends the program its own way: a capture with no frame says so and leaves nothing; a
// benchmark, stopped then or while it sets up (its first message about a missing file), prints
// no report. SIGTERM, not SIGINT: a shell's background job ignores SIGINT.
TEST(HeadlessModeTest, ASignalAtTheStartEndsACaptureOrABenchmarkWithItsMessage)
{
    ScratchDir scratch, logs;
    const std::string pending = "perl -MPOSIX -e 'sigprocmask(SIG_BLOCK, POSIX::SigSet->new(SIGTERM)); kill \"TERM\", $$; "
                                "exec @ARGV' \"$DEMO_BINARY\" --data ";
    const std::string cases[][2] = {
        {pending + testDataDir() + " --capture " + scratch.path + "/x.mp4 --until 1000",
         "could not write " + scratch.path + "/x.mp4: stopped before its first frame"},
        {pending + testDataDir() + " --benchmark", "no benchmark report"},
        {"timeout 120 \"$DEMO_BINARY\" --data " + scratch.path + " --benchmark" + afterLine(logs.path + "/log", "No such file", "kill -TERM $!"),
         "no benchmark report"}};
    for (const auto& [command, message] : cases) {
        Result result = runShell(command);
        EXPECT_EQ(result.exitCode, 143) << command << ": " << result.output;
        EXPECT_NE(result.output.find(message), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("to_first_frame"), std::string::npos) << result.output;
        EXPECT_TRUE(std::filesystem::is_empty(scratch.path)) << command;
    }
}

// What can be known before rendering is refused before rendering, naming the file and the reason.
TEST(HeadlessModeTest, BadCaptureTargetsAreRefusedBeforeRendering)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    std::ofstream(dir + "/other.mp4") << "keep";
    std::filesystem::create_symlink(dir + "/other.mp4", dir + "/link.mp4");
    std::filesystem::create_directory(dir + "/folder.mp4");
    struct Case { std::string target, flags, message; int exitCode; };
    const Case cases[] = {
        {"''", "", "--capture takes a file name ending in .mp4, .m4v or .mov, not ''", 2},
        {dir + "/noextension", "", "not '" + dir + "/noextension'", 2},
        {"/dev/null", "", "not '/dev/null'", 2},
        {dir + "/x.mp4", "--from 149800", "--from must come before the show's end (149800 ms)", 2},
        {dir + "/missing/x.mp4", "", "cannot write " + dir + "/missing/x.mp4: its folder does not exist", 1},
        {"/sys/x.mp4", "", "cannot write /sys/x.mp4: ", 1},  // read-only even for root
        {dir + "/link.mp4", "", "cannot write " + dir + "/link.mp4: not a regular file", 1},
        {dir + "/folder.mp4", "", "cannot write " + dir + "/folder.mp4: not a regular file", 1},
        {dir + "/" + std::string(300, 'n') + ".mp4", "", "the name is too long", 1}};
    for (const Case& c : cases) {
        Result result = runShell(captureCommand(c.target, c.flags.empty() ? "--until 1000" : c.flags));
        EXPECT_EQ(result.exitCode, c.exitCode) << c.target << ": " << result.output;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.target << ": " << result.output;
        EXPECT_EQ(result.output.find("capture: scene"), std::string::npos) << c.target << " rendered first";
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3);
    EXPECT_EQ(readWholeFile(dir + "/link.mp4"), "keep");
    // The longest name a folder takes still has room for the temporary file beside it.
    std::string longest = dir + "/" + std::string(251, 'n') + ".mp4";
    EXPECT_EQ(runShell(captureCommand(longest, "--until 100")).exitCode, 0);
    EXPECT_EQ(videoFrames(longest), "6\n");
}

// A soundtrack past the capture's cap is used for its first 600 s, with one line that says so.
TEST(HeadlessModeTest, ASoundtrackPastTheCapIsCut)
{
    ScratchDir scratch;
    const std::string& dir = scratch.path;
    std::filesystem::copy(testDataDir(), dir);
    runShell("ffmpeg -v error -y -f lavfi -i sine=sample_rate=22050:duration=620 -b:a 16k " + dir + "/quirky.mp3");
    Result result = runShell("\"$DEMO_BINARY\" --data " + dir + " --capture " + dir + "/x.mp4 --until 200");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("quirky.mp3 is longer than 600 s; the video uses its first 600 s"),
              std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("cannot be played"), std::string::npos) << result.output;
}

// Stretches cut anywhere, at any frame rate, hold every frame of the whole once: each starts at
// the frame after the one before it ends, its first frame shows its start or later, and the
// frame before it an earlier time; their sound adds up to the whole's within a sample a cut.
TEST(CaptureSpanTest, StretchesCutAnywhereHoldEveryFrameOnce)
{
    const std::vector<long long> cuts = {0, 1, 999, 10000, 10001, 28800, 33333, 71300, 149799, 149800};
    for (int fps : {1, 7, 24, 30, 59, 60, 144, 1000}) {
        auto shows = [fps](long long frame) { return frame * 1000 / fps; };
        CaptureSpan whole = captureSpan(cuts.front(), cuts.back(), fps, 44100);
        long long next = whole.firstFrame, samples = 0;
        for (size_t i = 0; i + 1 < cuts.size(); ++i) {
            CaptureSpan span = captureSpan(cuts[i], cuts[i + 1], fps, 44100);
            EXPECT_EQ(span.firstFrame, next) << fps << " fps, cut at " << cuts[i];
            if (span.frames == 0) continue;
            EXPECT_GE(shows(span.firstFrame), cuts[i]) << fps << " fps";
            EXPECT_LT(shows(span.firstFrame - 1), cuts[i]) << fps << " fps";
            EXPECT_LT(shows(span.firstFrame + span.frames - 1), cuts[i + 1]) << fps << " fps";
            next = span.firstFrame + span.frames;
            samples += span.samples;
        }
        EXPECT_EQ(next, whole.firstFrame + whole.frames) << fps << " fps";
        EXPECT_GE(shows(next), cuts.back()) << fps << " fps";
        EXPECT_NEAR(samples, whole.samples, static_cast<double>(cuts.size())) << fps << " fps";
    }
}

// Two stretches joined by the tool give the frames and the sound of one capture, bit for bit
// when the pictures are lossless; a stretch that fails is tried again, and one that fails
// twice is named, with no video written.
class CaptureParallelTest : public ::testing::Test {
protected:
    ScratchDir scratch;
    std::string tool(const std::string& out, const std::string& flags)
    {
        return "DEMO_CAPTURE_LOSSLESS=1 timeout 300 \"$DEMO_TOOLS/capture-parallel\" " + out + " --demo \"$DEMO_BINARY\"" +
               " --data " + testDataDir() + " --jobs 2 --fps 24 --from 9500 --until 10500 " + flags;
    }
    // A program that fails on the stretch from 10000 ms the first `failures` times.
    std::string failingDemo(int failures)
    {
        std::string path = scratch.path + "/failing-demo";
        std::ofstream(path) << "#!/bin/sh\ncase \"$*\" in *'--from 10000'*) n=$(cat " << scratch.path
                            << "/tries 2>/dev/null || echo 0); echo $((n + 1)) > " << scratch.path
                            << "/tries; [ $n -ge " << failures << " ] || exit 1;; esac\nexec \"" << std::getenv("DEMO_BINARY")
                            << "\" \"$@\"\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
    std::string md5s(const std::string& file, const std::string& stream)
    {
        return runShell("ffmpeg -v error -i " + file + " -map 0:" + stream + " -f framemd5 - | grep -v '^#'").output;
    }
};

TEST_F(CaptureParallelTest, TwoStretchesJoinedAreOneCaptureLossless)
{
    std::string single = scratch.path + "/single.mp4", joined = scratch.path + "/joined.mp4";
    Result one = runShell("DEMO_CAPTURE_LOSSLESS=1 " + captureCommand(single, "--fps 24 --from 9500 --until 10500"));
    ASSERT_EQ(one.exitCode, 0) << one.output;
    Result parallel = runShell(tool(joined, ""));
    ASSERT_EQ(parallel.exitCode, 0) << parallel.output;
    EXPECT_NE(parallel.output.find("from 2 stretches"), std::string::npos) << parallel.output;
    EXPECT_EQ(videoFrames(joined), "24\n");
    EXPECT_EQ(md5s(joined, "v"), md5s(single, "v"));
    EXPECT_EQ(md5s(joined, "a"), md5s(single, "a"));
}

TEST_F(CaptureParallelTest, AFailedStretchIsTriedOnceMoreThenNamed)
{
    std::string out = scratch.path + "/out.mp4";
    Result retried = runShell(tool(out, "--demo " + failingDemo(1)));
    EXPECT_EQ(retried.exitCode, 0) << retried.output;
    EXPECT_EQ(videoFrames(out), "24\n");
    std::filesystem::remove(out);
    std::filesystem::remove(scratch.path + "/tries");
    Result failed = runShell(tool(out, "--demo " + failingDemo(2)));
    EXPECT_EQ(failed.exitCode, 1) << failed.output;
    EXPECT_NE(failed.output.find("stretch 001 (show 10000 to 10500 ms) failed twice"), std::string::npos)
        << failed.output;
    EXPECT_FALSE(std::filesystem::exists(out));
}
