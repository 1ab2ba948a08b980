// music_player.h -- the soundtrack stream, started with the first frame
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MusicStream;

class MusicPlayer {
public:
    int init();   // 0 on success, 1 on any failure (the show then runs silent)
    void play();  // every frame: starts the stream once, later calls leave it playing
    // Starts the stream now, `showMs` into it, for a show that starts late; play leaves it be.
    void startAt(uint32_t showMs);
    // The editor's pause and seek: the stream held, or (re)started `showMs` into it.
    void pause();
    void restartAt(uint32_t showMs);
    // How far the soundtrack has played, in ms; -1 when it is not playing or cannot say.
    double positionMs();

    // The open soundtrack stream; null until init has opened it, and again once it has ended.
    MusicStream* stream = nullptr;

private:
    bool started_ = false;
};

extern MusicPlayer* musicPlayer;

// The mixer's music-finished hook. It runs on the audio thread and only flags the end;
// the next MusicPlayer::play on the main thread closes the stream and the mixer.
void onStreamEnd();

constexpr const char* kSoundtrackFile = "quirky.mp3";
constexpr int kSoundtrackRate = 44100;  // mono, 16-bit

// The player's one line for a soundtrack it cannot play, with what happens instead.
void reportUnplayableSoundtrack(const std::string& reason, const char* consequence);
// The soundtrack as the show plays it, decoded for a capture (its first maxSeconds at most);
// empty after the player's message when it cannot be played.
std::vector<int16_t> decodeSoundtrack(double maxSeconds);
