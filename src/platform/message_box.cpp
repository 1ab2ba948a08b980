// message_box.cpp -- message boxes: standard error first, a real box only with a display
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {
bool headless = false;
bool collecting = false;
std::vector<ShownMessage> collected;
}  // namespace

void setMessageBoxesHeadless(bool isHeadless) { headless = isHeadless; }

void collectMessageBoxes(bool collect)
{
    collecting = collect;
    collected.clear();
}

std::vector<ShownMessage>& collectedMessageBoxes() { return collected; }

void showMessageBox(const char* caption, const char* text)
{
    if (collecting) {
        collected.push_back({caption, text});
        return;
    }
    size_t length = std::strlen(text);
    bool endsWithNewline = length > 0 && text[length - 1] == '\n';
    std::fprintf(stderr, "%s: %s%s", caption, text, endsWithNewline ? "" : "\n");
    std::fflush(stderr);
    if (headless) return;
    // Fails harmlessly when there is no display.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption, text, nullptr);
}
