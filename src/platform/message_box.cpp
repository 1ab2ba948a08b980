// message_box.cpp -- message boxes: standard error first, a real box only with a display
#include <SDL2/SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace {
bool headless = false;
bool collecting = false;
std::vector<ShownMessage> collected;

// The box waits for its button on a thread of its own, so that a quit signal ends the wait at
// once: the program goes on to close its window, and the box goes with the process.
void showBoxUntilAnswerOrQuit(const char* caption, const char* text)
{
    if (quitSignal() != 0) return;
    auto answered = std::make_shared<std::atomic<bool>>(false);
    std::thread([answered, caption = std::string(caption), text = std::string(text)] {
        // Fails harmlessly when there is no display.
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption.c_str(), text.c_str(), nullptr);
        answered->store(true);
    }).detach();
    while (!answered->load() && quitSignal() == 0) SDL_Delay(10);
}
}  // namespace

void setMessageBoxesHeadless(bool isHeadless) { headless = isHeadless; }

void collectMessageBoxes(bool collect)
{
    collecting = collect;
    collected.clear();
}

std::vector<ShownMessage>& collectedMessageBoxes() { return collected; }

void showFileMessageBox(const char* file, const std::string& why, const char* caption, const char* text)
{
    std::string detail = std::string(file) + ": " + why;
    if (collecting) {
        collected.push_back({caption, text, detail});
        return;
    }
    std::fprintf(stderr, "demo: %s\n", detail.c_str());
    std::fflush(stderr);
    if (!headless) showBoxUntilAnswerOrQuit(caption, text);
}

void showMessageBox(const char* caption, const char* text)
{
    if (collecting) {
        collected.push_back({caption, text, ""});
        return;
    }
    size_t length = std::strlen(text);
    bool endsWithNewline = length > 0 && text[length - 1] == '\n';
    std::fprintf(stderr, "%s: %s%s", caption, text, endsWithNewline ? "" : "\n");
    std::fflush(stderr);
    if (!headless) showBoxUntilAnswerOrQuit(caption, text);
}
