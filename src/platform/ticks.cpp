// ticks.cpp -- the tick counter: real, virtual (frame-locked) or scripted by a test
#include <SDL2/SDL.h>

#include <chrono>

#include "platform/platform.h"

namespace {
enum class ClockKind { Real, Virtual, Scripted };
ClockKind clockKind = ClockKind::Real;
int virtualFps = 60;
uint64_t virtualFrame = 0;
uint32_t scriptedTicks = 0;
uint32_t realOffset = 0;  // added to SDL's ticks, modulo 2^32
}  // namespace

uint32_t tickCount()
{
    switch (clockKind) {
    case ClockKind::Virtual:
        return static_cast<uint32_t>(virtualFrame * 1000 / static_cast<uint64_t>(virtualFps));
    case ClockKind::Scripted:
        return scriptedTicks;
    case ClockKind::Real:
        break;
    }
    return SDL_GetTicks() + realOffset;
}

void useRealClock()
{
    clockKind = ClockKind::Real;
    realOffset = 0;
}

void useRealClockFrom(uint32_t ticks)
{
    clockKind = ClockKind::Real;
    realOffset = ticks - SDL_GetTicks();
}

void useVirtualClock(int framesPerSecond)
{
    clockKind = ClockKind::Virtual;
    virtualFps = framesPerSecond > 0 ? framesPerSecond : 60;
    virtualFrame = 0;
}

void setVirtualFrame(uint64_t frame)
{
    clockKind = ClockKind::Virtual;
    virtualFrame = frame;
}

void advanceVirtualFrame() { ++virtualFrame; }
uint64_t virtualFrameIndex() { return virtualFrame; }

void useScriptedClock(uint32_t ticks)
{
    clockKind = ClockKind::Scripted;
    scriptedTicks = ticks;
}

void setScriptedTicks(uint32_t ticks) { scriptedTicks = ticks; }

double wallMilliseconds()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
