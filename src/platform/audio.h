// audio.h -- the sound library's stand-in: an audio device and one music stream (SDL2_mixer)
// Only src/platform/audio.cpp includes SDL_mixer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MixerVersion {
    int major = 0, minor = 0, patch = 0;
};
bool operator<(const MixerVersion& a, const MixerVersion& b);

// The mixer library the program runs with (not the one it was compiled against).
MixerVersion linkedMixerVersion();

enum class SampleFormat { Signed16 };

// Opens the audio subsystem and the mixer. False after one line on standard error.
bool openMixer(int sampleRate, SampleFormat format, int outputChannels, int chunkSamples,
               int mixingChannels);
void closeMixer();

struct MusicStream;  // the mixer's music object

// The largest soundtrack file read (a show's MP3 is a few MB).
constexpr size_t kMaxMp3Bytes = 16u << 20;

// Loads an MP3 file by its path as a stream (a regular file, read whole); null if it cannot
// be read or decoded, with the reason where asked.
MusicStream* loadMp3Stream(const char* path, std::string* reason = nullptr);
// Decodes an MP3 file to mono 16-bit samples at sampleRate, as the music stream plays it; a
// file longer than maxSeconds gives its first maxSeconds and `shortened`. Needs no sound card.
// False with the reason.
bool decodeMp3File(const char* path, int sampleRate, double maxSeconds, std::vector<int16_t>& samples,
                   std::string& reason, bool& shortened);
// Plays it once, from `fromSeconds` into it.
bool startMusic(MusicStream* stream, double fromSeconds = 0);
// Whether the output took its latest `blocks` blocks about as fast as it plays them (a new output
// first takes them faster, while the sound server fills its buffer). False before that many.
bool outputTakesBlocksInRealTime(double blockMs, int blocks);
// How far the mixer has decoded the playing stream, in seconds; -1 where the mixer cannot say.
double musicPositionSeconds(MusicStream* stream);
bool musicIsPlaying();
void pauseMusic();  // held where it is; startMusic goes on from any point
void freeMusic(MusicStream* stream);
// The hook runs on the audio thread when the music has played to its end.
void setMusicEndHook(void (*hook)());

// ---- for tests -----------------------------------------------------------------------------
uint64_t mixerCallCount();  // every function above but operator< counts one call
void pretendLinkedMixerVersion(const MixerVersion* version);  // null: the real one again
bool mixerIsOpenForTest();  // not counted
