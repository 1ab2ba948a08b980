// timeline.cpp -- scene switching and the frame clock, on the platform ticks only
#include "timeline/timeline.h"

#include "platform/platform.h"

void Timeline::setEntry(int index, uint32_t duration, void (*draw)(uint32_t))
{
    entries[index].duration = duration;
    entries[index].draw = draw;
}

void Timeline::setInit(int index, void (*init)()) { entries[index].init = init; }

void Timeline::update()
{
    if (firstUpdate) {
        startTick = tickCount();
        entries[0].start = 0;  // fixed before the init: entry 0's init counts against it
        running = true;
        current = 0;
        firstUpdate = false;
        if (entries[0].init) entries[0].init();
    }
    if (!running) return;

    TimelineEntry* entry = &entries[current];
    if (tickCount() - startTick >= entry->duration + entry->start) {
        ++current;
        if (current >= count) {
            running = false;
            return;
        }
        // On the schedule, not when the switch came: the soundtrack's sections start there, so a
        // late frame or a slow init shortens its own entry instead of pushing every later one back.
        uint32_t scheduled = entry->start + entry->duration;
        entry = &entries[current];
        if (entry->init) entry->init();
        entry->start = scheduled;
    }
    entry->draw(tickCount() - entry->start - startTick);
}

namespace {
bool clockStarted = false;
uint32_t clockLastTick = 0;
}  // namespace

uint32_t FrameClock::elapsed()
{
    if (!clockStarted) {
        clockStarted = true;
        clockLastTick = tickCount();
    }
    uint32_t now = tickCount();
    uint32_t result = static_cast<uint32_t>(static_cast<float>(now - clockLastTick));
    clockLastTick = tickCount();
    return result;
}

void FrameClock::reset()
{
    clockStarted = false;
    clockLastTick = 0;
}
