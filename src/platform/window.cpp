// window.cpp -- the SDL window, its GL context, and the show's own 4:3 frame
#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>
#include <SDL2/SDL_syswm.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool switchedDisplayMode = false;

// A window that the X server destroys under the program (a window manager's kill, a script)
// makes every later request about it fail; Xlib's own handler would print and exit 1.
// Those errors mark the window lost instead, and the program ends as for a closed window.
// The handler goes in before SDL's video starts, so SDL's own handler passes errors on to it
// and puts it back when the video closes (the last errors come when the connection closes).
XErrorHandler previousXErrorHandler = nullptr;
unsigned long xWindow = 0;  // kept after the window closes
std::atomic<bool> windowLost{false};

int onXError(Display* display, XErrorEvent* error)
{
    if (xWindow != 0 && (error->resourceid == xWindow || error->error_code == BadWindow ||
                         error->error_code == BadDrawable)) {
        windowLost.store(true);
        return 0;
    }
    return previousXErrorHandler ? previousXErrorHandler(display, error) : 0;
}

void watchForALostWindow()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) xWindow = info.info.x11.window;
}
int showWidth = kFrameWidth;  // the drawn frame
int showHeight = kFrameHeight;
int readWidth = kFrameWidth;  // the read-back, the frame centred in it
int readHeight = kFrameHeight;
int samples = 1;
bool following = false;
int settlingWidth = 0, settlingHeight = 0;  // the drawable's size, and since when it has held
Uint32 settlingSince = 0;
float lineWidthAtGrid = 1, lineWidthScale = 1;

// The frame object: RGB colour (no alpha) and 16-bit depth, bound for all drawing. With
// samples, a second single-sampled colour buffer takes the resolved picture for reading.
GLuint frameBuffer = 0;
GLuint colourBuffer = 0;
GLuint depthBuffer = 0;
GLuint resolveBuffer = 0;
GLuint resolveColour = 0;

PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D;
PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbufferStorageMultisample;

// The side target: a texture drawn into through a frame object of its own.
GLuint sideBuffer = 0;
GLuint sideTexture = 0;
int sideWidth = 0, sideHeight = 0;

// Two pixel buffers for read-back without a stall; zero where the GL has none.
PFNGLGENBUFFERSPROC genBuffers;
PFNGLBINDBUFFERPROC bindBuffer;
PFNGLBUFFERDATAPROC bufferData;
PFNGLMAPBUFFERPROC mapBuffer;
PFNGLUNMAPBUFFERPROC unmapBuffer;
PFNGLDELETEBUFFERSPROC deleteBuffers;
GLuint pixelBuffers[2] = {0, 0};
int copiesStarted = 0;  // frames copied into the pixel buffers since the frame was made
std::vector<uint8_t> heldCopy;  // the last copy, where there are no pixel buffers

template <typename T>
bool loadProc(T& proc, const char* name)
{
    proc = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
    return proc != nullptr;
}

bool loadFrameProcs()
{
    return loadProc(genFramebuffers, "glGenFramebuffers") &&
           loadProc(bindFramebuffer, "glBindFramebuffer") &&
           loadProc(genRenderbuffers, "glGenRenderbuffers") &&
           loadProc(bindRenderbuffer, "glBindRenderbuffer") &&
           loadProc(renderbufferStorage, "glRenderbufferStorage") &&
           loadProc(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           loadProc(checkFramebufferStatus, "glCheckFramebufferStatus") &&
           loadProc(blitFramebuffer, "glBlitFramebuffer") &&
           loadProc(deleteFramebuffers, "glDeleteFramebuffers") &&
           loadProc(deleteRenderbuffers, "glDeleteRenderbuffers");
}

// A renderbuffer of the frame's size, attached to the bound frame object.
GLuint attachRenderbuffer(GLenum format, GLenum attachment, int sampleCount)
{
    GLuint buffer = 0;
    genRenderbuffers(1, &buffer);
    bindRenderbuffer(GL_RENDERBUFFER, buffer);
    if (sampleCount > 1)
        renderbufferStorageMultisample(GL_RENDERBUFFER, sampleCount, format, showWidth, showHeight);
    else
        renderbufferStorage(GL_RENDERBUFFER, format, showWidth, showHeight);
    framebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, buffer);
    bindRenderbuffer(GL_RENDERBUFFER, 0);
    return buffer;
}

bool createFrame()
{
    if (!loadFrameProcs()) return false;
    if (samples > 1 && !renderbufferStorageMultisample &&
        !loadProc(renderbufferStorageMultisample, "glRenderbufferStorageMultisample"))
        return false;
    if (samples > 1) {
        genFramebuffers(1, &resolveBuffer);
        bindFramebuffer(GL_FRAMEBUFFER, resolveBuffer);
        resolveColour = attachRenderbuffer(GL_RGB8, GL_COLOR_ATTACHMENT0, 1);
        if (checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    }
    genFramebuffers(1, &frameBuffer);
    bindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    colourBuffer = attachRenderbuffer(GL_RGB8, GL_COLOR_ATTACHMENT0, samples);
    depthBuffer = attachRenderbuffer(GL_DEPTH_COMPONENT16, GL_DEPTH_ATTACHMENT, samples);
    return checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// Resolves the frame's samples into the resolve buffer and binds what holds the picture for
// reading; scissor and discard would cut the copy short, so they are off meanwhile.
void bindPictureForReading(int width, int height)
{
    bindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
    if (samples <= 1) return;
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    bindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveBuffer);
    blitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    bindFramebuffer(GL_DRAW_FRAMEBUFFER, frameBuffer);
    bindFramebuffer(GL_READ_FRAMEBUFFER, resolveBuffer);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

// The picture (bottom row first) into the middle of a black read-back.
void placeInReadBack(const uint8_t* picture, std::vector<uint8_t>& rgb)
{
    const size_t row = static_cast<size_t>(showWidth) * 3;
    if (readWidth == showWidth && readHeight == showHeight) {
        rgb.assign(picture, picture + row * showHeight);
        return;
    }
    rgb.assign(static_cast<size_t>(readWidth) * readHeight * 3, 0);
    const size_t left = static_cast<size_t>(readWidth - showWidth) / 2, bottom = (readHeight - showHeight) / 2;
    for (int y = 0; y < showHeight; ++y)
        std::memcpy(&rgb[((bottom + y) * readWidth + left) * 3], picture + row * y, row);
}

bool createPixelBuffers()
{
    if (!(loadProc(genBuffers, "glGenBuffers") && loadProc(bindBuffer, "glBindBuffer") &&
          loadProc(bufferData, "glBufferData") && loadProc(mapBuffer, "glMapBuffer") &&
          loadProc(unmapBuffer, "glUnmapBuffer") && loadProc(deleteBuffers, "glDeleteBuffers")))
        return false;
    genBuffers(2, pixelBuffers);
    for (GLuint buffer : pixelBuffers) {
        bindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        bufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(showWidth) * showHeight * 3, nullptr,
                   GL_STREAM_READ);
    }
    bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return true;
}

// Copies the mapped contents of pixel buffer `index` out; false if it cannot be mapped.
bool copyOutPixelBuffer(int index, std::vector<uint8_t>& rgb)
{
    bindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers[index]);
    const void* mapped = mapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (mapped) placeInReadBack(static_cast<const uint8_t*>(mapped), rgb);
    if (mapped) unmapBuffer(GL_PIXEL_PACK_BUFFER);
    bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return mapped != nullptr;
}

void destroySideTarget()
{
    if (sideBuffer) deleteFramebuffers(1, &sideBuffer);
    if (sideTexture) glDeleteTextures(1, &sideTexture);
    sideBuffer = sideTexture = 0;
}

// A failure is remembered with its size, so that it is not tried again every frame.
bool createSideTarget(int width, int height)
{
    sideWidth = width;
    sideHeight = height;
    if (!framebufferTexture2D && !loadProc(framebufferTexture2D, "glFramebufferTexture2D")) return false;
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGenTextures(1, &sideTexture);
    glBindTexture(GL_TEXTURE_2D, sideTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    genFramebuffers(1, &sideBuffer);
    bindFramebuffer(GL_FRAMEBUFFER, sideBuffer);
    framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sideTexture, 0);
    if (checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
    bindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    destroySideTarget();
    return false;
}

void destroyFrame()
{
    if (pixelBuffers[0]) deleteBuffers(2, pixelBuffers);
    pixelBuffers[0] = pixelBuffers[1] = 0;
    copiesStarted = 0;
    if (resolveBuffer) deleteFramebuffers(1, &resolveBuffer);
    if (resolveColour) deleteRenderbuffers(1, &resolveColour);
    resolveBuffer = resolveColour = 0;
    if (!frameBuffer) return;
    destroySideTarget();
    sideWidth = sideHeight = 0;
    bindFramebuffer(GL_FRAMEBUFFER, 0);
    deleteFramebuffers(1, &frameBuffer);
    deleteRenderbuffers(1, &colourBuffer);
    deleteRenderbuffers(1, &depthBuffer);
    frameBuffer = colourBuffer = depthBuffer = 0;
}

bool isSoftwareRenderer(const std::string& renderer)
{
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (renderer.find(name) != std::string::npos) return true;
    return false;
}

// The frame follows a drawable that has kept its size this long (a resize being dragged
// would otherwise rebuild it at every step).
constexpr Uint32 kSettleMs = 300;

void followDrawableSize()
{
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    if (width != settlingWidth || height != settlingHeight) {
        settlingWidth = width;
        settlingHeight = height;
        settlingSince = SDL_GetTicks();
        return;
    }
    int pictureWidth = 0, pictureHeight = 0;
    pictureInside(width, height, pictureWidth, pictureHeight);
    if (SDL_GetTicks() - settlingSince < kSettleMs || pictureHeight < 64) return;
    if (pictureWidth == showWidth && pictureHeight == showHeight) return;
    if (setFrameSize(pictureWidth, pictureHeight, samples))
        std::fprintf(stderr, "demo: frame %d x %d for a drawable of %d x %d\n", showWidth, showHeight, width, height);
    else
        following = false;  // keeps the failure from repeating every frame
}

Uint32 windowFlags(WindowMode mode)
{
    switch (mode) {
    case WindowMode::FullScreenDesktop:
        return SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP;
    case WindowMode::FullScreenSwitch:
        return SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN;
    case WindowMode::Windowed:
        return SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
    case WindowMode::Offscreen:
        break;
    }
    return SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
}

// Both failures keep the window's own texts; SDL's reason goes to standard error first.
bool fail(const char* text, const char* detail)
{
    std::fprintf(stderr, "%s: %s\n", detail, SDL_GetError());
    closeShowWindow();
    showMessageBox("ERROR", text);
    return false;
}

// The display's driver, quietly: the libraries SDL tries on the way print their own lines
// (a Wayland client without XDG_RUNTIME_DIR), and the program says what it means in one line.
// Without a display SDL falls back to a driver with no window, which nobody would see (unless
// SDL_VIDEODRIVER asks for it, as tests do); false then too.
void installXErrorHandler()
{
    if (!previousXErrorHandler) previousXErrorHandler = XSetErrorHandler(onXError);
}

bool initDisplayDriver()
{
    installXErrorHandler();
    std::fflush(stderr);
    int savedError = dup(STDERR_FILENO);
    int devNull = open("/dev/null", O_WRONLY);
    if (savedError >= 0 && devNull >= 0) dup2(devNull, STDERR_FILENO);
    bool ok = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (savedError >= 0 && devNull >= 0) dup2(savedError, STDERR_FILENO);
    if (devNull >= 0) close(devNull);
    if (savedError >= 0) close(savedError);
    if (!ok) return false;
    std::string driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    return !((driver == "offscreen" || driver == "dummy") && !(asked && *asked));
}

const char* const kClassError = "Failed To Register The Window Class.";
const char* const kWindowError = "Window Creation Error.";

}  // namespace

bool openShowWindow(const char* title, int width, int height, WindowMode mode)
{
    showWidth = width;
    showHeight = height;
    if (mode == WindowMode::Offscreen) {
        // The modes without a window draw offscreen whatever SDL_VIDEODRIVER says.
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return fail(kClassError, "no offscreen driver");
    } else if (!initDisplayDriver()) {
        std::fprintf(stderr, "demo: no display to show the show on; --capture FILE.mp4 or --stills DIR "
                             "--at T renders it without one\n");
        closeShowWindow();
        return false;
    }

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);

    // Full screen at the desktop's size: the window asks for the display's size and place
    // itself, since without a window manager nobody else will resize it.
    SDL_Rect place = {static_cast<int>(SDL_WINDOWPOS_CENTERED), static_cast<int>(SDL_WINDOWPOS_CENTERED), width, height};
    if (mode == WindowMode::FullScreenDesktop) SDL_GetDisplayBounds(0, &place);
    window = SDL_CreateWindow(title, place.x, place.y, place.w, place.h, windowFlags(mode));
    if (!window) return fail(kWindowError, "no window");
    if (mode == WindowMode::FullScreenSwitch) {
        SDL_DisplayMode wanted = {SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
        SDL_DisplayMode closest;
        if (SDL_GetClosestDisplayMode(0, &wanted, &closest)) SDL_SetWindowDisplayMode(window, &closest);
        switchedDisplayMode = true;
    }
    if (mode == WindowMode::FullScreenDesktop || mode == WindowMode::FullScreenSwitch)
        SDL_ShowCursor(SDL_DISABLE);
    SDL_DisableScreenSaver();

    context = SDL_GL_CreateContext(window);
    if (!context) return fail(kWindowError, "no OpenGL context");
    SDL_GL_MakeCurrent(window, context);
    if (!setFrameSize(width, height, 1)) return fail(kWindowError, "no frame");
    if (mode != WindowMode::Offscreen) SDL_RaiseWindow(window);
    if (mode != WindowMode::Offscreen) watchForALostWindow();
    return true;
}

void closeShowWindow()
{
    if (context) destroyFrame();
    if (context) SDL_GL_DeleteContext(context);
    context = nullptr;
    if (window) {
        // Leaving full screen first gives the display its own mode back.
        if (switchedDisplayMode) SDL_SetWindowFullscreen(window, 0);
        SDL_DestroyWindow(window);
    }
    window = nullptr;
    switchedDisplayMode = false;
    following = false;
    SDL_ShowCursor(SDL_ENABLE);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool renewShowContext()
{
    if (!window || !context) return false;
    destroyFrame();
    SDL_GL_DeleteContext(context);
    context = SDL_GL_CreateContext(window);
    if (!context) return fail(kWindowError, "no OpenGL context");
    SDL_GL_MakeCurrent(window, context);
    lineWidthAtGrid = 1;  // a fresh context's line width
    if (!setFrameSize(readWidth, readHeight, samples)) return fail(kWindowError, "no frame");
    return true;
}

void setShowWindowTitle(const std::string& title)
{
    if (window) SDL_SetWindowTitle(window, title.c_str());
}
bool showWindowLost() { return windowLost.load(); }

bool showWindowIsOpen() { return window != nullptr && context != nullptr; }

int frameWidth() { return showWidth; }
int frameHeight() { return showHeight; }
int outputWidth() { return readWidth; }
int outputHeight() { return readHeight; }
int frameSamples() { return samples; }

int maxFrameSide()
{
    GLint side = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &side);
    return side;
}

int maxFrameSamples()
{
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    return most > 1 ? most : 1;
}

std::string rendererName()
{
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return name ? name : "unknown";
}

bool rendererIsSoftware() { return isSoftwareRenderer(rendererName()); }

void pictureInside(int width, int height, int& pictureWidth, int& pictureHeight)
{
    pictureWidth = width;
    pictureHeight = static_cast<int>(static_cast<long long>(width) * 3 / 4);
    if (pictureHeight > height) {
        pictureHeight = height;
        pictureWidth = static_cast<int>(static_cast<long long>(height) * 4 / 3);
    }
}

bool setFrameSize(int outputWidth, int outputHeight, int sampleCount)
{
    destroyFrame();
    readWidth = outputWidth;
    readHeight = outputHeight;
    pictureInside(outputWidth, outputHeight, showWidth, showHeight);
    samples = sampleCount;
    if (!createFrame()) {
        destroyFrame();
        return false;
    }
    if (!createPixelBuffers()) pixelBuffers[0] = pixelBuffers[1] = 0;
    glViewport(0, 0, showWidth, showHeight);
    setLineScale(static_cast<float>(showHeight) / kFrameHeight);
    return true;
}

void followDrawable(bool follow) { following = follow; }

void drawableSize(int& width, int& height)
{
    width = height = 0;
    if (window) SDL_GL_GetDrawableSize(window, &width, &height);
}

void setLineWidth(float width)
{
    lineWidthAtGrid = width;
    glLineWidth(width * lineWidthScale);
}

void setLineScale(float scale)
{
    lineWidthScale = scale;
    glLineWidth(lineWidthAtGrid * scale);
}

float lineScale() { return lineWidthScale; }

void bindFrameForReading(int width, int height) { bindPictureForReading(width, height); }

void presentFrame()
{
    releaseRealClock();
    if (!window) return;
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
    // The largest 4:3 rectangle that fits, centred, black bars around it.
    int width = 0, height = 0;
    pictureInside(drawableWidth, drawableHeight, width, height);
    int left = (drawableWidth - width) / 2;
    int bottom = (drawableHeight - height) / 2;

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    bindPictureForReading(showWidth, showHeight);
    bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    blitFramebuffer(0, 0, showWidth, showHeight, left, bottom, left + width, bottom + height,
                    GL_COLOR_BUFFER_BIT, GL_LINEAR);
    SDL_GL_SwapWindow(window);
    bindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    if (following) followDrawableSize();
}

int displayRefreshHz()
{
    SDL_DisplayMode mode;
    if (!window || SDL_GetWindowDisplayMode(window, &mode) != 0) return 0;
    return mode.refresh_rate;
}

bool bindSideTarget(int width, int height, unsigned int& texture)
{
    if (!frameBuffer) return false;
    if (sideWidth != width || sideHeight != height) {
        destroySideTarget();
        createSideTarget(width, height);
    }
    if (!sideBuffer) return false;
    bindFramebuffer(GL_FRAMEBUFFER, sideBuffer);
    texture = sideTexture;
    return true;
}

void bindShowFrame()
{
    if (frameBuffer) bindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
}

void readFramePixels(std::vector<uint8_t>& rgb)
{
    bindPictureForReading(showWidth, showHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (readWidth == showWidth && readHeight == showHeight) {
        rgb.resize(static_cast<size_t>(showWidth) * showHeight * 3);
        glReadPixels(0, 0, showWidth, showHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    } else {
        std::vector<uint8_t> picture(static_cast<size_t>(showWidth) * showHeight * 3);
        glReadPixels(0, 0, showWidth, showHeight, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
        placeInReadBack(picture.data(), rgb);
    }
    bindShowFrame();
}

bool copyFrameAndTakePrevious(std::vector<uint8_t>& rgb)
{
    if (!pixelBuffers[0]) {  // no pixel buffers: an ordinary read, one frame late all the same
        bool havePrevious = copiesStarted++ > 0;
        if (havePrevious) rgb.swap(heldCopy);
        readFramePixels(heldCopy);
        return havePrevious;
    }
    int index = copiesStarted % 2;
    bindPictureForReading(showWidth, showHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    bindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffers[index]);
    glReadPixels(0, 0, showWidth, showHeight, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    bindShowFrame();
    ++copiesStarted;
    return copiesStarted > 1 && copyOutPixelBuffer(1 - index, rgb);
}

bool takeLastFrameCopy(std::vector<uint8_t>& rgb)
{
    if (copiesStarted == 0) return false;
    if (!pixelBuffers[0]) {
        rgb.swap(heldCopy);
        return true;
    }
    return copyOutPixelBuffer((copiesStarted - 1) % 2, rgb);
}
