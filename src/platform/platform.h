// platform.h -- everything the show needs from the operating system: ticks, message boxes,
// the window with its GL context and its own 4:3 frame, and window messages.
// Only src/platform/ includes SDL.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// ---- ticks -------------------------------------------------------------------------------
// A 32-bit millisecond counter that wraps. Real: SDL's tick counter. Virtual: frame k reads
// floor(k * 1000 / fps) throughout the frame. Scripted: whatever a test sets.
uint32_t tickCount();
void useRealClock();
// The real clock, reading `ticks` now and counting on from there (a show started late).
void useRealClockFrom(uint32_t ticks);
// The real clock stands still for `ms` of real time, then counts on `ms` behind.
void holdRealClock(uint32_t ms);
// A frame drawn for the moment it will be seen: the real clock reads `ticks` until the frame is
// presented (presentFrame), then counts on as if never pinned.
void pinRealClockUntilPresent(uint32_t ticks);
void releaseRealClock();
void useVirtualClock(int framesPerSecond);
// The virtual clock at frame `frame` (the editor's seeks land on frames of a run from the start).
void setVirtualFrame(uint64_t frame);
void advanceVirtualFrame();
uint64_t virtualFrameIndex();
void useScriptedClock(uint32_t ticks);
void setScriptedTicks(uint32_t ticks);

// Milliseconds of wall time since an arbitrary start, as a double (for measurements only).
double wallMilliseconds();
// The system's calendar clock in seconds (CLOCK_REALTIME), which other programs can read too.
double calendarSeconds();
void sleepMilliseconds(uint32_t ms);

// Resident and peak resident memory of the process, in kB (0 where unknown).
struct MemoryUse {
    long residentKb = 0;
    long peakKb = 0;
};
MemoryUse memoryUse();

// Processor time of the whole process (every thread, the renderer's too), in milliseconds.
double processCpuMilliseconds();

// ---- files -------------------------------------------------------------------------------
// Reads a whole regular file of at most maxBytes into memory (a FIFO, device or folder is
// refused at once, without waiting). False with a short reason.
bool readWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>& bytes,
                   std::string* reason = nullptr);

// From now on readWholeFile hands out these bytes for `path` instead of the file's (the editor
// keeps the last good contents of a file broken on disk); null reads the file again.
void keepFileContents(const std::string& path, const std::vector<uint8_t>* bytes);

// Writes the file whole or not at all: a temporary file beside it, every write and the close
// checked, then a rename. False with the reason, leaving nothing under either name.
bool writeFileWhole(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason);

// An output may be written under `path`: nothing is there yet, or a regular file (not a link,
// folder or device). False with the reason.
bool checkOutputName(const std::string& path, std::string& reason);
// The longest file name the folder takes.
size_t longestNameIn(const std::string& folder);
// Creates an empty file that did not exist. False with the reason.
bool createNewFile(const std::string& path, std::string& reason);

// Makes `path` the working directory, where the data files are read from; false if it cannot.
bool useWorkingDirectory(const char* path);

// ---- message boxes -----------------------------------------------------------------------
// Written to standard error as "caption: text", then shown as a box when a display is there
// and the run is not headless. Tests may collect them instead of printing.
void showMessageBox(const char* caption, const char* text);
void setMessageBoxesHeadless(bool headless);

// A box about a data file: the box keeps its own caption and text, and standard error gets
// one line that says which file and why ("demo: FILE: why") instead of the box's text.
void showFileMessageBox(const char* file, const std::string& why, const char* caption, const char* text);

struct ShownMessage {
    std::string caption;
    std::string text;
    std::string detail;  // the line about the file, for a box about one
};
void collectMessageBoxes(bool collect);  // while on, boxes go to the list, not stderr
std::vector<ShownMessage>& collectedMessageBoxes();

// ---- window, context and frame -----------------------------------------------------------
// The overlays' grid (screen units) and the frame's size unless the run asks for another.
// Line widths are given in pixels of a frame this high and scaled with the real frame.
constexpr int kFrameWidth = 1024;
constexpr int kFrameHeight = 768;

// The largest 4:3 rectangle inside width x height.
void pictureInside(int width, int height, int& pictureWidth, int& pictureHeight);

enum class WindowMode {
    FullScreenDesktop,  // the desktop's own size, the 4:3 frame pillarboxed
    FullScreenSwitch,   // the display switched to the frame's size
    Windowed,           // a resizable window, the frame's size at first
    Offscreen,          // SDL's offscreen driver: no display at all
};

// Opens the window and a double-buffered GL context, then the show's own frame (RGB colour
// without alpha, 16-bit depth) which stays bound for all drawing. False after a message box.
bool openShowWindow(const char* title, int width, int height, WindowMode mode);
void closeShowWindow();
bool showWindowIsOpen();
// A fresh GL context (all state at its defaults, no objects) on the same window, with a fresh
// frame bound. False where it cannot be made.
bool renewShowContext();
void setShowWindowTitle(const std::string& title);
// True once the display server has destroyed the window under the program (its X errors are
// then taken quietly); the program ends as for a closed window.
bool showWindowLost();

// Scales the frame into the real drawable with its aspect kept, swaps, rebinds the frame.
// While following the drawable, the frame is rebuilt at its size once it has held still.
void presentFrame();
// The refresh rate of the display the window is on, in Hz; 0 where the display does not say.
int displayRefreshHz();
void followDrawable(bool follow);
void drawableSize(int& width, int& height);  // the window's real pixels

// Rebuilds the frame for a read-back of outputWidth x outputHeight: the drawn frame is the
// largest 4:3 picture inside it (black bars around it in the read-back), with `samples`
// samples a pixel (1: none). False, with nothing bound, where the GL cannot make it.
bool setFrameSize(int outputWidth, int outputHeight, int samples);
int outputWidth();
int outputHeight();
int frameSamples();
int maxFrameSide();     // GL_MAX_RENDERBUFFER_SIZE
int maxFrameSamples();  // GL_MAX_SAMPLES (1 where there is no multisampling)
std::string rendererName();
bool rendererIsSoftware();

// Makes the frame's lower left width x height readable (resolving its samples) for copies
// such as glCopyTexImage2D; bindShowFrame ends the reading.
void bindFrameForReading(int width, int height);

// Line widths in pixels at kFrameHeight lines; the GL gets them times the line scale, which is
// the frame's height / kFrameHeight, and 1 while drawing into a viewport of its own size.
void setLineWidth(float width);
void setLineScale(float scale);
float lineScale();

// Reads the whole read-back back: outputWidth * outputHeight * 3 bytes, RGB, bottom row first.
void readFramePixels(std::vector<uint8_t>& rgb);
// Read-back that does not wait for the frame: starts copying this frame into a pixel buffer
// and hands out the copy started one call earlier (false on the first call). The last copy
// is collected with takeLastFrameCopy.
bool copyFrameAndTakePrevious(std::vector<uint8_t>& rgb);
bool takeLastFrameCopy(std::vector<uint8_t>& rgb);
int frameWidth();  // the drawn 4:3 frame
int frameHeight();

// A texture of width x height (RGB, no depth) that drawing goes into instead of the frame
// until bindShowFrame; made on first use and kept. False, the frame still bound, where the GL
// cannot draw into textures.
bool bindSideTarget(int width, int height, unsigned int& texture);
void bindShowFrame();

// ---- window messages ---------------------------------------------------------------------
enum MessageKind : uint32_t {
    WM_NULL = 0,
    WM_KEYDOWN,
    WM_KEYUP,
    WM_SYSCOMMAND,
    WM_MOUSEMOVE,
    WM_LBUTTONDOWN,
    WM_RBUTTONDOWN,
    WM_RBUTTONUP,
    WM_CLOSE,
    WM_QUIT,
};
// Key codes of WM_KEYDOWN and WM_KEYUP; letters are their upper-case ASCII codes ('W').
enum : uintptr_t {
    VK_TAB = 0x09,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,  // Page Up
    VK_NEXT = 0x22,   // Page Down
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_RIGHT = 0x27,
    VK_OTHER = 0xFF,
};
// A key message's lParam carries the modifiers held with it.
constexpr intptr_t KEY_SHIFT = 1, KEY_CONTROL = 2;
enum : uintptr_t { SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170 };

struct WindowMessage {
    uint32_t message = WM_NULL;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using WindowProcedure = intptr_t (*)(uint32_t message, uintptr_t wParam, intptr_t lParam);

void setWindowProcedure(WindowProcedure procedure);
// Takes the next pending message (SDL events mapped onto the window's messages). False if none.
bool peekMessage(WindowMessage& message);
void dispatchMessage(const WindowMessage& message);
intptr_t defaultWindowProcedure(uint32_t message, uintptr_t wParam, intptr_t lParam);
void postQuitMessage(int exitCode);

// For tests: queue an input event as the user would cause it.
enum class TestInput { EscapeDown, OtherKeyDown, KeyUp, MouseMove, LeftButtonDown, WindowClose };
void pushTestInput(TestInput input);
// Any window message, queued as SDL input is.
void pushTestMessage(const WindowMessage& message);

// Ends the program cleanly on SIGINT, SIGTERM and SIGHUP (as a window close), also while a
// message box waits, and ignores SIGPIPE.
void installSignalHandlers();
// The signal that asked the program to end (SIGINT, SIGTERM, SIGHUP), 0 while none has.
int quitSignal();

// ---- child processes ---------------------------------------------------------------------
// Opens /dev/null on standard input, output and error where they are closed at start, so that
// no pipe or file of ours is ever taken for one of them. True if standard output was open.
bool openClosedStandardDescriptors();
// Lets through the quit signals that a parent may have left blocked (a pending one arrives at
// once): call it once their handlers are in place.
void unblockQuitSignals();
// The path of the program `name` on PATH, empty when there is none that may be run.
std::string findProgram(const std::string& name);
// Starts the program at `path` in a process group of its own: its descriptor i is
// descriptors[i], its signals are the defaults. The child's id, or -1 with the reason.
int startChild(const std::string& path, const std::vector<std::string>& argv, const std::vector<int>& descriptors,
               std::string& error);
// Kills the child and its group (what it started) at once.
void killChildGroup(int child);
struct ChildStatus {
    bool exited = false;  // ended by exit, with `code`
    int code = -1;
    int signal = 0;       // ended by this signal
    double cpuSeconds = 0;  // user + system
};
// Waits at most limitMs (forever if negative) for the child to end. False while it runs on.
bool reapChild(int child, double limitMs, ChildStatus& status);
// A file in memory for what a child writes (its messages); read back from its start.
int anonymousFile();
std::string readAnonymousFile(int fd, size_t maxBytes);
