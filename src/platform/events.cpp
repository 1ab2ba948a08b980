// events.cpp -- SDL events mapped onto the window's messages, and the quit message
#include <SDL2/SDL.h>

#include <atomic>
#include <csignal>
#include <deque>

#include "platform/platform.h"

namespace {

WindowProcedure procedure = nullptr;
std::deque<WindowMessage> posted;  // messages posted by the program itself
Uint32 testInputType = 0;          // a registered SDL event type for pushed test input
std::atomic<int> caughtSignal{0};  // SIGINT, SIGTERM or SIGHUP, once one has come
bool signalAnswered = false;

void onQuitSignal(int number) { caughtSignal.store(number); }

// A point as the window messages carry it: x in the low 16 bits, y in the next 16, each cut to
// 16 bits in unsigned arithmetic (the mouse can lie above or left of the window, at negative values).
intptr_t pointParameter(int x, int y)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF));
}

uintptr_t keyCode(SDL_Keycode key)
{
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    default: break;
    }
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uintptr_t>('A' + (key - SDLK_a));
    return VK_OTHER;
}

intptr_t keyModifiers(Uint16 mod)
{
    return ((mod & KMOD_SHIFT) ? KEY_SHIFT : 0) | ((mod & KMOD_CTRL) ? KEY_CONTROL : 0);
}

bool translate(const SDL_Event& event, WindowMessage& message)
{
    switch (event.type) {
    case SDL_QUIT:  // window closed by the system, SIGINT or SIGTERM: ends like Escape
        message = {WM_CLOSE, 0, 0};
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        message = {event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, keyCode(event.key.keysym.sym),
                   keyModifiers(event.key.keysym.mod)};
        return true;
    case SDL_MOUSEMOTION:
        message = {WM_MOUSEMOVE, 0, pointParameter(event.motion.x, event.motion.y)};
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        uint32_t kind = event.button.button == SDL_BUTTON_RIGHT ? (down ? WM_RBUTTONDOWN : WM_RBUTTONUP)
                        : event.button.button == SDL_BUTTON_LEFT && down ? WM_LBUTTONDOWN
                                                                          : WM_NULL;
        if (kind == WM_NULL) return false;
        message = {kind, 0, pointParameter(event.button.x, event.button.y)};
        return true;
    }
    default:
        break;
    }
    if (testInputType != 0 && event.type == testInputType) {
        message.message = static_cast<uint32_t>(event.user.code);
        message.wParam = reinterpret_cast<uintptr_t>(event.user.data1);
        message.lParam = reinterpret_cast<intptr_t>(event.user.data2);
        return true;
    }
    return false;
}

}  // namespace

void setWindowProcedure(WindowProcedure windowProcedure) { procedure = windowProcedure; }

bool peekMessage(WindowMessage& message)
{
    if (!posted.empty()) {
        message = posted.front();
        posted.pop_front();
        return true;
    }
    // A quit signal, or a window the display server destroyed, closes the window once, as the
    // system's close would.
    if ((caughtSignal.load() != 0 || showWindowLost()) && !signalAnswered) {
        signalAnswered = true;
        message = {WM_CLOSE, 0, 0};
        return true;
    }
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (translate(event, message)) return true;
    }
    return false;
}

void dispatchMessage(const WindowMessage& message)
{
    if (procedure) procedure(message.message, message.wParam, message.lParam);
    else defaultWindowProcedure(message.message, message.wParam, message.lParam);
}

intptr_t defaultWindowProcedure(uint32_t message, uintptr_t, intptr_t)
{
    // A window closed by the system ends the program as Escape does.
    if (message == WM_CLOSE) postQuitMessage(0);
    return 0;
}

void postQuitMessage(int exitCode)
{
    posted.push_back({WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
}

void pushTestInput(TestInput input)
{
    if (testInputType == 0) testInputType = SDL_RegisterEvents(1);
    WindowMessage message;
    switch (input) {
    case TestInput::EscapeDown: message = {WM_KEYDOWN, VK_ESCAPE, 0}; break;
    case TestInput::OtherKeyDown: message = {WM_KEYDOWN, VK_OTHER, 0}; break;
    case TestInput::KeyUp: message = {WM_KEYUP, VK_OTHER, 0}; break;
    case TestInput::MouseMove: message = {WM_MOUSEMOVE, 0, pointParameter(200, 100)}; break;
    case TestInput::LeftButtonDown: message = {WM_LBUTTONDOWN, 0, pointParameter(200, 100)}; break;
    case TestInput::WindowClose: {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        return;
    }
    }
    pushTestMessage(message);
}

void pushTestMessage(const WindowMessage& message)
{
    if (testInputType == 0) testInputType = SDL_RegisterEvents(1);
    SDL_Event event{};
    event.type = testInputType;
    // Carried in the event itself: a message still queued when the loop ends owns no memory.
    event.user.code = static_cast<Sint32>(message.message);
    event.user.data1 = reinterpret_cast<void*>(message.wParam);
    event.user.data2 = reinterpret_cast<void*>(message.lParam);
    SDL_PushEvent(&event);
}

void installSignalHandlers()
{
    // Our own handlers rather than SDL's, so the program knows which signal it was; a dead
    // ffmpeg must be a failed write, not a kill.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);  // the terminal gone: ends the program as SIGTERM does
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit is a failed write too
}

int quitSignal() { return caughtSignal.load(); }
