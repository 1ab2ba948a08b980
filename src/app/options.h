// options.h -- the command line
#pragma once
#include <string>
#include <vector>

enum class RunMode { Show, Stills, ContactSheet, Capture, CaptureSound, Benchmark, Help, Version };

struct Options {
    RunMode mode = RunMode::Show;
    bool windowed = false;
    bool modeSwitch = false;
    int fps = 60;
    std::string dataDir;
    std::string stillsDir;
    std::vector<unsigned> stillTimes;  // ms since the first frame, ascending
    std::string captureFile;
    bool noSound = false;   // --capture: the picture alone
    std::string soundFile;  // --capture-sound: the soundtrack alone, as a capture sends it
    std::string sheetFile;
    long long untilMs = -1;  // -1: until the last scene has ended
    long long fromMs = 0;    // a capture's first frame: the first at or after this show time
    bool referenceBlur = false;  // the blur's quads stacked over the whole frame
    bool paintAllFrames = false;  // no fast-forward: every frame is painted
    bool drawAllChunks = false;   // no chunk of a compiled list skipped out of view
    int scene = -1;                // --benchmark: only this scene is measured; -1: all
    long long startMs = -1;        // the show: fast-forward to this show time, then real time
    bool edit = false;             // the show with the editing keys, windowed
    bool fullScreen = false;       // --edit: full screen at the desktop's size instead
    bool quiet = false;            // the show: no scene lines, no frame counts at the end
    int width = 0, height = 0;     // --size WxH; 0: the mode's own size
    bool sizeScreen = false;       // --size screen: the show's frame follows the drawable
    int samples = 0;               // --samples N; 0: the mode's own choice
};

// The largest frame side and the most frame pixels times samples a command line may ask for.
constexpr int kMaxFrameSide = 16384;
constexpr long long kMaxFrameSamples = 1LL << 27;  // 8K with 4 samples; about 800 MB of frame

// Fills options from argv; false with a one-line reason in `error` for a bad command line.
// The most show times one --at takes.
constexpr size_t kMaxStillTimes = 10000;
// The most tiles of a contact sheet: the whole sheet is held and encoded in memory, and this
// many keep the run well under 1 GB.
constexpr size_t kMaxSheetTiles = 1000;

bool parseOptions(int argc, char** argv, Options& options, std::string& error);

extern const char* const kUsage;
