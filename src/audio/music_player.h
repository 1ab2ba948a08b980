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
    // Starts the stream now, `showMs` into it (again, after a pause or for a seek); play leaves
    // it be. Returns once the mixer has taken the first block.
    void startAt(uint32_t showMs);
    void pause();  // the stream held where it is
    // How long after the mixer takes the first block its first sample is heard: about half
    // the device's buffer (23 ms, measured on a PulseAudio null sink: 15 to 27 ms).
    static uint32_t outputLatencyMs();
    // How far the soundtrack has played, in ms; -1 when it is not playing or cannot say.
    double positionMs();

    // The open soundtrack stream; null until init has opened it, and again once it has ended.
    MusicStream* stream = nullptr;

private:
    bool started_ = false;
    double openedAtMs_ = 0;  // when init opened the output
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
