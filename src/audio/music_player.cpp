// music_player.cpp -- the soundtrack: opened at start-up, started by the first frame
#include "audio/music_player.h"

#include <atomic>
#include <cstdio>

#include "platform/audio.h"
#include "platform/platform.h"

MusicPlayer* musicPlayer = nullptr;

namespace {

const MixerVersion kOldestMixer = {2, 0, 4};  // the oldest mixer the show supports
const char* const kOldestMixerText = "2.0.4";

const int kSampleRate = kSoundtrackRate;
const int kOutputChannels = 1;  // mono
const int kMixingChannels = 32;
// The mixer's buffer is the output device's, so its length is how late the music sounds
// against the picture: 2048 samples (46 ms) keeps the two together. The mixer decodes the
// stream as it plays, so there is no read-ahead buffer to size.
const int kChunkSamples = 2048;

std::atomic<bool> streamEnded{false};
const double kBlockMs = kChunkSamples * 1000.0 / kSampleRate;
const int kSteadyBlocks = 4;
const double kLongestSettleMs = 3000;

}  // namespace

void onStreamEnd() { streamEnded.store(true); }

void reportUnplayableSoundtrack(const std::string& reason, const char* consequence)
{
    std::fprintf(stderr, "demo: %s cannot be played (%s); %s\n", kSoundtrackFile, reason.c_str(), consequence);
}

std::vector<int16_t> decodeSoundtrack(double maxSeconds)
{
    std::vector<int16_t> samples;
    std::string reason;
    bool shortened = false;
    if (!decodeMp3File(kSoundtrackFile, kSampleRate, maxSeconds, samples, reason, shortened)) {
        reportUnplayableSoundtrack(reason, "the video has a silent soundtrack");
        samples.clear();
    } else if (shortened) {
        std::fprintf(stderr, "demo: %s is longer than %.0f s; the video uses its first %.0f s\n", kSoundtrackFile,
                     maxSeconds, maxSeconds);
    }
    return samples;
}

int MusicPlayer::init()
{
    if (linkedMixerVersion() < kOldestMixer) {
        std::printf("Error : You are using the wrong DLL version!  You should be using SDL_mixer %s\n",
                    kOldestMixerText);
        std::fflush(stdout);
        return 1;
    }
    if (!openMixer(kSampleRate, SampleFormat::Signed16, kOutputChannels, kChunkSamples,
                   kMixingChannels))
        return 1;
    std::string reason;
    stream = loadMp3Stream(kSoundtrackFile, &reason);
    if (!stream) {
        reportUnplayableSoundtrack(reason, "the show runs silent");
        closeMixer();
        return 1;
    }
    streamEnded.store(false);
    started_ = false;
    openedAtMs_ = wallMilliseconds();
    setMusicEndHook(onStreamEnd);
    return 0;
}

void MusicPlayer::play()
{
    if (!stream) return;
    if (streamEnded.load()) {
        freeMusic(stream);
        stream = nullptr;
        closeMixer();
        return;
    }
    if (musicIsPlaying()) return;
    // Not playing and never started: this is the first frame. A stream that stopped on its
    // own is left alone until its end flag arrives.
    if (!started_) started_ = startMusic(stream);
}

void MusicPlayer::startAt(uint32_t showMs)
{
    if (!stream) return;
    started_ = true;  // a start that fails (past the end) stays silent rather than play from 0
    // A new output first takes blocks faster than it plays them (the sound server fills its
    // buffer; measured 0.5 to 0.9 s on PulseAudio under load), so a stream started then is heard
    // later than its first block suggests: the soundtrack starts once the output takes blocks
    // in real time.
    while (!outputTakesBlocksInRealTime(kBlockMs, kSteadyBlocks) && wallMilliseconds() - openedAtMs_ < kLongestSettleMs)
        sleepMilliseconds(5);
    startMusic(stream, showMs / 1000.0);
}

void MusicPlayer::pause()
{
    if (stream && started_) pauseMusic();
}

uint32_t MusicPlayer::outputLatencyMs() { return kChunkSamples * 1000 / kSampleRate / 2; }

double MusicPlayer::positionMs()
{
    if (!stream || !started_) return -1;
    double seconds = musicPositionSeconds(stream);
    return seconds < 0 ? -1 : seconds * 1000;
}
