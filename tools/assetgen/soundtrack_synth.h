// soundtrack_synth.h -- the soundtrack's instruments, its loudness and its MP3 encoder
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace soundtrack {

const int kSampleRate = 44100;

// One mono bus of float samples; notes are added into it, clipped at its end.
using Bus = std::vector<float>;

// A seeded white-noise generator, so every build renders the same bytes.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
    float next();  // -1..1
private:
    uint32_t state_;
};

// Drums; t in seconds, gain 0..1.
void addKick(Bus& bus, double t, float gain);
void addSnare(Bus& bus, double t, float gain, Noise& noise);
void addClap(Bus& bus, double t, float gain, Noise& noise);
void addHat(Bus& bus, double t, float gain, bool open, Noise& noise);
void addCrash(Bus& bus, double t, float gain, Noise& noise);
void addRiser(Bus& bus, double endT, double length, float gain, Noise& noise);
void addCrackle(Bus& bus, double t0, double t1, float gain, Noise& noise);

// Pitched voices; frequencies in Hz. A note glides from `from` to `hz` when from > 0.
void addBass(Bus& bus, double t, double length, double hz, double from, float gain);
void addLead(Bus& bus, double t, double length, double hz, double from, float gain);
void addKeys(Bus& bus, double t, double length, const std::vector<double>& chordHz, float gain);
void addPluck(Bus& bus, double t, double hz, float gain);

// A feedback echo of the whole bus, delay in seconds.
void addEcho(Bus& bus, double delay, float feedback, float mix);

// Integrated loudness (ITU-R BS.1770, gated) of a mono signal, in LUFS.
double integratedLoudness(const Bus& samples);
// Scales to the target loudness while holding every sample under the ceiling (dBFS).
void normalize(Bus& samples, double targetLufs, double ceilingDb);

// Encodes as constant-bitrate mono MP3 with its info frame in front; empty on failure.
std::vector<uint8_t> encodeMp3(const Bus& samples, int kbps);

double noteHz(int midiNote);

// The whole soundtrack as it goes to the encoder: every section starts on the sample of its
// scene's start in the schedule.
Bus masteredTrack();

}  // namespace soundtrack
