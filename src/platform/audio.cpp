// audio.cpp -- the audio device and the music stream on SDL2 and SDL2_mixer
#include "platform/audio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <tuple>

#include <vector>

#include "platform/platform.h"

struct MusicStream {
    Mix_Music* music;
    std::vector<uint8_t> bytes;  // the whole file, which the mixer streams from
};

namespace {
std::atomic<uint64_t> callCount{0};
bool pretending = false;
MixerVersion pretendedVersion;
bool mixerOpen = false;

void countCall() { ++callCount; }

// When the output took its latest blocks (the audio thread writes, anyone reads).
constexpr int kBlockTimesKept = 8;
std::atomic<double> blockTakenMs[kBlockTimesKept];
std::atomic<uint64_t> blocksTaken{0};

void noteBlockTaken(void*, Uint8*, int)
{
    uint64_t n = blocksTaken.load();
    blockTakenMs[n % kBlockTimesKept].store(wallMilliseconds());
    blocksTaken.store(n + 1);
}
}  // namespace

bool operator<(const MixerVersion& a, const MixerVersion& b)
{
    return std::tie(a.major, a.minor, a.patch) < std::tie(b.major, b.minor, b.patch);
}

MixerVersion linkedMixerVersion()
{
    countCall();
    if (pretending) return pretendedVersion;
    const SDL_version* linked = Mix_Linked_Version();
    return {linked->major, linked->minor, linked->patch};
}

bool openMixer(int sampleRate, SampleFormat, int outputChannels, int chunkSamples,
               int mixingChannels)
{
    countCall();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "demo: no audio device (%s); the show runs silent\n", SDL_GetError());
        return false;
    }
    // Signed16 is the one format the show asks for.
    if (Mix_OpenAudio(sampleRate, AUDIO_S16SYS, outputChannels, chunkSamples) != 0) {
        std::fprintf(stderr, "demo: the audio device cannot be opened (%s); the show runs silent\n",
                     Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(mixingChannels);
    blocksTaken.store(0);
    Mix_SetPostMix(noteBlockTaken, nullptr);
    mixerOpen = true;
    return true;
}

void closeMixer()
{
    countCall();
    if (!mixerOpen) return;
    Mix_HookMusicFinished(nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    mixerOpen = false;
}

MusicStream* loadMp3Stream(const char* path, std::string* reason)
{
    countCall();
    auto stream = new MusicStream{nullptr, {}};
    bool read = readWholeFile(path, kMaxMp3Bytes, stream->bytes, reason);
    if (read && stream->bytes.empty() && reason) *reason = "empty file";
    if (read && !stream->bytes.empty()) {
        SDL_RWops* memory = SDL_RWFromConstMem(stream->bytes.data(), static_cast<int>(stream->bytes.size()));
        stream->music = Mix_LoadMUSType_RW(memory, MUS_MP3, SDL_TRUE);  // frees the reader
        if (!stream->music && reason) *reason = Mix_GetError();
    }
    if (stream->music) return stream;
    delete stream;
    return nullptr;
}

bool decodeMp3File(const char* path, int sampleRate, double maxSeconds, std::vector<int16_t>& samples,
                   std::string& reason, bool& shortened)
{
    shortened = false;
    // The dummy driver: decoding needs an open mixer, not a sound card.
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(sampleRate, AUDIO_S16SYS, 1, 2048) != 0) {
        reason = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    MusicStream* stream = loadMp3Stream(path, &reason);
    Mix_Chunk* chunk = nullptr;
    if (stream) {
        // Longer than allowed: only a leading part of the file is decoded (a little more than
        // the share of its bytes, for the frames are not all alike), so memory stays bounded.
        double seconds = Mix_MusicDuration(stream->music);
        size_t bytes = stream->bytes.size();
        shortened = seconds > maxSeconds;
        if (shortened) bytes = std::min(bytes, static_cast<size_t>(bytes * maxSeconds / seconds * 1.05) + 65536);
        SDL_RWops* memory = SDL_RWFromConstMem(stream->bytes.data(), static_cast<int>(bytes));
        chunk = Mix_LoadWAV_RW(memory, SDL_TRUE);
        if (!chunk) reason = Mix_GetError();
    }
    if (chunk) {
        const auto* pcm = reinterpret_cast<const int16_t*>(chunk->abuf);
        size_t count = std::min<size_t>(chunk->alen / sizeof(int16_t), static_cast<size_t>(maxSeconds * sampleRate));
        samples.assign(pcm, pcm + count);
        Mix_FreeChunk(chunk);
    }
    if (stream) freeMusic(stream);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return chunk != nullptr;
}

bool startMusic(MusicStream* stream, double fromSeconds)
{
    countCall();
    // A fade of no length starts the stream at the position, without a blip of its beginning.
    bool started = fromSeconds <= 0 ? Mix_PlayMusic(stream->music, 1) == 0
                                    : Mix_FadeInMusicPos(stream->music, 1, 0, fromSeconds) == 0;
    if (!started) return false;
#if SDL_MIXER_VERSION_ATLEAST(2, 6, 0)
    // The audio thread takes the first block (46 ms) on its next turn: return when it has, so
    // that a clock started now starts with the sound, not up to a block before it.
    double position = Mix_GetMusicPosition(stream->music);
    for (int waitedMs = 0; waitedMs < 250 && Mix_GetMusicPosition(stream->music) == position; ++waitedMs)
        SDL_Delay(1);
#endif
    return true;
}

bool outputTakesBlocksInRealTime(double blockMs, int blocks)
{
    countCall();
    uint64_t n = blocksTaken.load();
    if (blocks >= kBlockTimesKept || n <= static_cast<uint64_t>(blocks)) return false;
    double span = blockTakenMs[(n - 1) % kBlockTimesKept].load() - blockTakenMs[(n - 1 - blocks) % kBlockTimesKept].load();
    return span >= 0.8 * blocks * blockMs;
}

double musicPositionSeconds(MusicStream* stream)
{
    countCall();
#if SDL_MIXER_VERSION_ATLEAST(2, 6, 0)
    return Mix_GetMusicPosition(stream->music);
#else
    (void)stream;
    return -1;
#endif
}

bool musicIsPlaying()
{
    countCall();
    return Mix_PlayingMusic() != 0;
}

void pauseMusic()
{
    countCall();
    Mix_PauseMusic();
}

void freeMusic(MusicStream* stream)
{
    countCall();
    Mix_FreeMusic(stream->music);
    delete stream;
}

void setMusicEndHook(void (*hook)())
{
    countCall();
    Mix_HookMusicFinished(hook);
}

uint64_t mixerCallCount() { return callCount.load(); }

void pretendLinkedMixerVersion(const MixerVersion* version)
{
    pretending = version != nullptr;
    if (version) pretendedVersion = *version;
}

bool mixerIsOpenForTest()
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    return Mix_QuerySpec(&rate, &format, &channels) != 0;
}
