// options.cpp -- parsing of the command line; every mistake is one clear line
#include "app/options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>

#include "timeline/schedule.h"

#include "timeline/schedule.h"

const char* const kUsage =
    "usage: demo [options]\n"
    "  (no options)          the show, full screen at the desktop's size, until Escape\n"
    "  --windowed            the show in a resizable window\n"
    "  --start MS            the show from show time MS: fast-forwards there (Escape quits),\n"
    "                        then plays in real time with the soundtrack from the same point\n"
    "  --mode-switch         full screen by switching the display to 1024 x 768\n"
    "  --edit [--full-screen] the show in a window with the editing keys: pause, seek, a free\n"
    "                        camera, recording and saving camera paths (see README)\n"
    "  --quiet               the show without its scene lines and frame counts\n"
    "  --stills DIR --at T1,T2,...\n"
    "                        no window: writes DIR/<T>.png of the first frame at or after\n"
    "                        each show time T (ms)\n"
    "  --contact-sheet FILE.png [--at T1,T2,...]\n"
    "                        no window: one picture of small stills, by default one from\n"
    "                        the middle of every scene\n"
    "  --capture FILE.mp4 [--from MS] [--until MS]\n"
    "                        no window: renders the show (with its soundtrack) to a video;\n"
    "                        with --from, from the first frame at or after show time MS;\n"
    "                        with --no-sound, the picture alone\n"
    "  --capture-sound FILE.wav [--from MS] [--until MS]\n"
    "                        no window: the soundtrack alone, the samples a capture of the\n"
    "                        same stretch holds\n"
    "  --benchmark [--until MS | --scene N]\n"
    "                        no window: runs the whole show (or on to show time MS, past its\n"
    "                        end) as fast as it can and prints start-up time, per-scene frame\n"
    "                        times and memory as JSON; with --scene N only scene N (counted\n"
    "                        from 0 in the show's order) is measured, the scenes before it\n"
    "                        fast-forwarded\n"
    "  --paint-all-frames    paints every frame: the reference for the fast-forward, in which\n"
    "                        the frames that no output needs rasterize nothing\n"
    "  --fps N               frames per second of the virtual clock in the modes without\n"
    "                        a window (default 60)\n"
    "  --data DIR            read the data files from DIR instead of the working directory\n"
    "  --reference-blur      the blur as quads stacked over the whole frame: the slower picture\n"
    "                        that the usual blur is compared with\n"
    "  --draw-all-chunks     draws every chunk of the tubes and the terrain, also those out of\n"
    "                        view: the picture the culled one is compared with\n"
    "  --size WxH | screen   the frame's pixels (the largest 4:3 picture inside, black bars\n"
    "                        around it); screen: the show's at the display's or window's size\n"
    "  --samples N           antialiasing: N samples a pixel (default 1; 4 in the show on a\n"
    "                        hardware GL)\n"
    "  --help                this text\n"
    "  --version             the version\n";

namespace {

bool parseNumber(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty() || text.size() > 12) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return value >= low && value <= high;
}

const long long kLatestShowTime = 4000000000LL;  // ms; past the show's end, below the 32-bit clock's wrap

// One show time in ms, at most `latest`, for `flag`; false with the message otherwise.
bool parseShowTime(const std::string& flag, const std::string& value, long long latest, long long& time,
                   std::string& error)
{
    if (parseNumber(value, 0, latest, time)) return true;
    error = flag + " takes a show time in ms from 0 to " + std::to_string(latest) + ", not '" + value + "'";
    return false;
}

bool parseTimes(const std::string& list, std::vector<unsigned>& times)
{
    size_t begin = 0;
    while (begin <= list.size()) {
        if (times.size() >= kMaxStillTimes) return false;
        size_t end = list.find(',', begin);
        if (end == std::string::npos) end = list.size();
        long long value = 0;
        if (!parseNumber(list.substr(begin, end - begin), 0, showDurationMs(), value)) return false;
        times.push_back(static_cast<unsigned>(value));
        begin = end + 1;
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return !times.empty();
}

const char* modeFlag(RunMode mode)
{
    switch (mode) {
    case RunMode::Stills: return "--stills";
    case RunMode::ContactSheet: return "--contact-sheet";
    case RunMode::Capture: return "--capture";
    case RunMode::CaptureSound: return "--capture-sound";
    case RunMode::Benchmark: return "--benchmark";
    default: return nullptr;
    }
}

// "WxH": at least 64 lines of 4:3 picture, at most kMaxFrameSide a side.
bool parseSize(const std::string& text, int& width, int& height)
{
    size_t cross = text.find('x');
    long long w = 0, h = 0;
    if (cross == std::string::npos || !parseNumber(text.substr(0, cross), 1, kMaxFrameSide, w) ||
        !parseNumber(text.substr(cross + 1), 1, kMaxFrameSide, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return std::min(h, w * 3 / 4) >= 64;
}

// The size's refusals that depend on the other flags.
bool checkSize(const Options& options, std::string& error)
{
    bool sized = options.width > 0;
    if (options.sizeScreen && options.mode != RunMode::Show)
        error = "--size screen goes with the show; a mode without a window takes --size WxH";
    else if (sized && options.mode == RunMode::Capture && (options.width % 2 || options.height % 2))
        error = "--capture needs an even width and height for the encoder, not " + std::to_string(options.width) +
                "x" + std::to_string(options.height);
    else if (sized && static_cast<long long>(options.width) * options.height * std::max(1, options.samples) >
                          kMaxFrameSamples)
        error = "--size " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                " with --samples " + std::to_string(options.samples) + " needs more memory than a frame may take";
    return error.empty();
}

// The container is the extension's: one that takes the capture's picture and sound.
bool checkCaptureName(const std::string& file, std::string& error)
{
    std::string name = file.substr(file.find_last_of('/') + 1);
    size_t dot = name.find_last_of('.');
    std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".mp4" || extension == ".m4v" || extension == ".mov") return true;
    error = "--capture takes a file name ending in .mp4, .m4v or .mov, not '" + file + "'";
    return false;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Show time of the first frame at or after `ms` by the virtual clock.
long long firstFrameTime(long long ms, int fps) { return (ms * fps + 999) / 1000 * 1000 / fps; }

}  // namespace

namespace {

bool isHelpOrVersion(const std::string& flag) { return flag == "--help" || flag == "-h" || flag == "--version"; }

// --help and --version win wherever they stand, whatever else the line holds.
bool findHelpOrVersion(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        if (!isHelpOrVersion(flag)) continue;
        options.mode = flag == "--version" ? RunMode::Version : RunMode::Help;
        return true;
    }
    return false;
}

bool isHeadless(RunMode mode) { return mode != RunMode::Show; }

// A flag that would do nothing in the chosen mode: the one line that names it, or empty.
std::string flagWithoutEffect(const Options& options, const std::set<std::string>& given)
{
    bool fastForwards = isHeadless(options.mode) || options.startMs >= 0;
    auto has = [&](const char* flag) { return given.count(flag) > 0; };
    if (has("--windowed") && has("--mode-switch")) return "--windowed and --mode-switch are two windows; give one";
    for (const char* flag : {"--windowed", "--mode-switch", "--start"})
        if (has(flag) && isHeadless(options.mode))
            return std::string(flag) + " goes with the show, not a mode without a window";
    for (const char* flag : {"--fps", "--paint-all-frames"})
        if (has(flag) && !fastForwards)
            return std::string(flag) + " goes with a mode without a window or with --start";
    bool capturing = options.mode == RunMode::Capture || options.mode == RunMode::CaptureSound;
    if (has("--until") && !capturing && options.mode != RunMode::Benchmark)
        return "--until goes with --capture FILE, --capture-sound FILE or --benchmark";
    if (has("--from") && !capturing) return "--from goes with --capture FILE or --capture-sound FILE";
    if (has("--no-sound") && options.mode != RunMode::Capture) return "--no-sound goes with --capture FILE";
    if (has("--edit") && (isHeadless(options.mode) || has("--windowed") || has("--mode-switch")))
        return "--edit goes with the show alone (windowed; --full-screen for full screen)";
    if (has("--full-screen") && !has("--edit")) return "--full-screen goes with --edit";
    if (has("--quiet") && isHeadless(options.mode)) return "--quiet goes with the show, not a mode without a window";
    if (has("--at") && options.mode != RunMode::Stills && options.mode != RunMode::ContactSheet)
        return "--at goes with --stills DIR or --contact-sheet FILE";
    if (has("--scene") && (options.mode != RunMode::Benchmark || options.untilMs >= 0))
        return "--scene goes with --benchmark, without --until";
    return "";
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& options, std::string& error)
{
    if (findHelpOrVersion(argc, argv, options)) return true;
    std::set<std::string> given;
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        bool takesValue = flag == "--stills" || flag == "--at" || flag == "--contact-sheet" || flag == "--capture" ||
                          flag == "--capture-sound" ||
                          flag == "--until" || flag == "--from" || flag == "--fps" || flag == "--data" ||
                          flag == "--scene" || flag == "--start" || flag == "--size" || flag == "--samples";
        if (takesValue && (i + 1 >= argc || std::string(argv[i + 1]).rfind("--", 0) == 0)) {
            error = "option " + flag + " needs a value";
            return false;
        }
        if (!given.insert(flag).second) {
            error = "option " + flag + " is given twice; give it once";
            return false;
        }
        std::string value = takesValue ? argv[++i] : "";
        long long number = 0;
        RunMode before = options.mode;
        if (flag == "--windowed") options.windowed = true;
        else if (flag == "--mode-switch") options.modeSwitch = true;
        else if (flag == "--edit") options.edit = true;
        else if (flag == "--full-screen") options.fullScreen = true;
        else if (flag == "--paint-all-frames") options.paintAllFrames = true;
        else if (flag == "--quiet") options.quiet = true;
        else if (flag == "--benchmark") options.mode = RunMode::Benchmark;
        else if (flag == "--reference-blur") options.referenceBlur = true;
        else if (flag == "--no-sound") options.noSound = true;
        else if (flag == "--draw-all-chunks") options.drawAllChunks = true;
        else if (flag == "--data") options.dataDir = value;
        else if (flag == "--stills") {
            options.mode = RunMode::Stills;
            options.stillsDir = value;
        } else if (flag == "--contact-sheet") {
            options.mode = RunMode::ContactSheet;
            options.sheetFile = value;
        } else if (flag == "--capture") {
            options.mode = RunMode::Capture;
            options.captureFile = value;
        } else if (flag == "--capture-sound") {
            options.mode = RunMode::CaptureSound;
            options.soundFile = value;
        } else if (flag == "--at") {
            if (!parseTimes(value, options.stillTimes)) {
                error = options.stillTimes.size() >= kMaxStillTimes
                            ? "--at takes at most " + std::to_string(kMaxStillTimes) + " show times"
                            : "--at takes show times in ms from 0 to the show's end (" +
                                  std::to_string(showDurationMs()) + ") separated by commas, not '" + value + "'";
                return false;
            }
        } else if (flag == "--until") {
            if (!parseShowTime(flag, value, kLatestShowTime, options.untilMs, error)) return false;
        } else if (flag == "--from") {
            if (!parseShowTime(flag, value, showDurationMs(), options.fromMs, error)) return false;
        } else if (flag == "--scene") {
            if (!parseNumber(value, 0, kSceneCount - 1, number)) {
                error = "--scene takes a scene number from 0 to " + std::to_string(kSceneCount - 1) + ", not '" +
                        value + "'";
                return false;
            }
            options.scene = static_cast<int>(number);
        } else if (flag == "--start") {
            if (!parseShowTime(flag, value, showDurationMs(), options.startMs, error)) return false;
        } else if (flag == "--size") {
            options.sizeScreen = value == "screen";
            options.width = options.height = 0;
            if (!options.sizeScreen && !parseSize(value, options.width, options.height)) {
                error = "--size takes WxH (at least 64 lines of 4:3 picture, at most " +
                        std::to_string(kMaxFrameSide) + " a side) or screen, not '" + value + "'";
                return false;
            }
        } else if (flag == "--samples") {
            if (!parseNumber(value, 1, 64, number)) {
                error = "--samples takes a whole number from 1 to 64, not '" + value + "'";
                return false;
            }
            options.samples = static_cast<int>(number);
        } else if (flag == "--fps") {
            if (!parseNumber(value, 1, 1000, number)) {
                error = "--fps takes a whole number from 1 to 1000, not '" + value + "'";
                return false;
            }
            options.fps = static_cast<int>(number);
        } else {
            error = "unknown option '" + flag + "'";
            return false;
        }
        if (modeFlag(before) && modeFlag(options.mode) && before != options.mode) {
            error = std::string(modeFlag(before)) + " and " + modeFlag(options.mode) + " are two modes; give one";
            return false;
        }
    }
    error = flagWithoutEffect(options, given);
    if (!error.empty()) return false;
    if (options.mode == RunMode::CaptureSound && !endsWith(options.soundFile, ".wav")) {
        error = "--capture-sound takes a file name ending in .wav, not '" + options.soundFile + "'";
        return false;
    }
    if (options.mode == RunMode::Capture && !checkCaptureName(options.captureFile, error)) return false;
    if (firstFrameTime(options.fromMs, options.fps) >= showDurationMs()) {
        error = "--from must come before the show's end (" + std::to_string(showDurationMs()) + " ms)";
        return false;
    }
    if (options.untilMs >= 0 && options.untilMs <= firstFrameTime(options.fromMs, options.fps)) {
        error = "--until must come after the first frame (show time " +
                std::to_string(firstFrameTime(options.fromMs, options.fps)) + " ms)";
        return false;
    }
    if (options.mode == RunMode::ContactSheet && options.stillTimes.size() > kMaxSheetTiles) {
        error = "--contact-sheet takes at most " + std::to_string(kMaxSheetTiles) + " show times (--at)";
        return false;
    }
    if (options.mode == RunMode::Stills && !given.count("--at")) {
        error = "--stills needs --at T1,T2,... (show times in ms)";
        return false;
    }
    return checkSize(options, error);
}
