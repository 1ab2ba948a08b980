// ticks.cpp -- the tick counter: real, virtual (frame-locked) or scripted by a test
#include <SDL2/SDL.h>

#include <time.h>

#include <chrono>

#include "platform/platform.h"

namespace {
enum class ClockKind { Real, Virtual, Scripted };
ClockKind clockKind = ClockKind::Real;
int virtualFps = 60;
uint64_t virtualFrame = 0;
uint32_t scriptedTicks = 0;
uint32_t realOffset = 0;  // added to SDL's ticks, modulo 2^32
bool holding = false;     // a hold is on: the real clock never reads less than it read before
uint32_t lastRealTick = 0;
bool pinned = false;      // a frame is drawn for the moment it will be seen
uint32_t pinnedTicks = 0;
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
    if (pinned) return pinnedTicks;
    uint32_t ticks = SDL_GetTicks() + realOffset;
    if (holding && static_cast<int32_t>(ticks - lastRealTick) < 0) return lastRealTick;
    lastRealTick = ticks;
    return ticks;
}

void holdRealClock(uint32_t ms)
{
    lastRealTick = tickCount();
    holding = true;
    realOffset -= ms;
}

void pinRealClockUntilPresent(uint32_t ticks)
{
    pinned = true;
    pinnedTicks = ticks;
}

void releaseRealClock() { pinned = false; }

void useRealClock()
{
    clockKind = ClockKind::Real;
    realOffset = 0;
    holding = false;
    pinned = false;
}

void useRealClockFrom(uint32_t ticks)
{
    clockKind = ClockKind::Real;
    realOffset = ticks - SDL_GetTicks();
    holding = false;
    pinned = false;
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

double calendarSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

void sleepMilliseconds(uint32_t ms) { SDL_Delay(ms); }
