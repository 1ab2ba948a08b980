// soundtrack_synth.cpp -- the soundtrack's instruments: drums, bass, lead, keys, noises
#include <algorithm>
#include <cmath>

#include "soundtrack_synth.h"

namespace soundtrack {

namespace {

const double kTwoPi = 6.283185307179586;

size_t sampleAt(double t) { return t <= 0 ? 0 : static_cast<size_t>(t * kSampleRate + 0.5); }

// Calls voice(sample index within the note, seconds since the note began) for every sample
// of the note that lies inside the bus, and adds what it returns.
template <typename Voice>
void render(Bus& bus, double t, double length, Voice voice)
{
    size_t first = sampleAt(t);
    size_t count = static_cast<size_t>(length * kSampleRate);
    size_t end = std::min(bus.size(), first + count);
    for (size_t i = first; i < end; ++i) bus[i] += voice(static_cast<double>(i - first) / kSampleRate);
}

// Attack, hold and a short release at the end of the note, against clicks.
double gate(double tau, double length, double attack, double release)
{
    double in = std::min(1.0, tau / attack);
    double out = std::min(1.0, std::max(0.0, (length - tau) / release));
    return in * out;
}

// A band-limited step correction for the pulse wave (polyBLEP).
double blep(double phase, double step)
{
    if (phase < step) {
        double x = phase / step;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - step) {
        double x = (phase - 1.0) / step;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

// Frequency of a note that glides (exponentially, over `glide` seconds) from `from` to `hz`.
double glideHz(double tau, double hz, double from, double glide)
{
    if (from <= 0 || tau >= glide) return hz;
    double k = tau / glide;
    k = 1.0 - (1.0 - k) * (1.0 - k);  // fast start, soft landing
    return from * std::pow(hz / from, k);
}

// exp(-tau / seconds) by one multiplication a sample.
class Decay {
public:
    explicit Decay(double seconds) : factor_(std::exp(-1.0 / (seconds * kSampleRate))) {}
    double next()
    {
        double v = value_;
        value_ *= factor_;
        return v;
    }
private:
    double value_ = 1.0, factor_;
};

}  // namespace

float Noise::next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ / 2147483648.0 - 1.0);
}

double noteHz(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

void addKick(Bus& bus, double t, float gain)
{
    double phase = 0;
    Decay sweep(0.03), body(0.22), click(0.004);
    render(bus, t, 0.5, [&](double tau) {
        phase += kTwoPi * (48.0 + 120.0 * sweep.next()) / kSampleRate;
        double c = click.next();
        double x = std::sin(phase) * body.next() + (c > 1e-4 ? std::sin(phase * 7.0) * c * 0.35 : 0.0);
        return static_cast<float>(gain * std::tanh(1.6 * x) * gate(tau, 0.5, 0.0005, 0.05));
    });
}

void addSnare(Bus& bus, double t, float gain, Noise& noise)
{
    double low = 0, phase = 0;
    Decay hissDecay(0.12), sweep(0.01), toneDecay(0.05);
    render(bus, t, 0.4, [&](double tau) {
        double n = noise.next();
        low += 0.25 * (n - low);
        double hiss = (n - low) * hissDecay.next();
        phase += kTwoPi * (175.0 + 60.0 * sweep.next()) / kSampleRate;
        double tone = std::sin(phase) * toneDecay.next();
        return static_cast<float>(gain * (0.75 * hiss + 0.6 * tone) * gate(tau, 0.4, 0.0005, 0.05));
    });
}

void addClap(Bus& bus, double t, float gain, Noise& noise)
{
    double low = 0, band = 0;
    render(bus, t, 0.3, [&](double tau) {
        double n = noise.next();
        low += 0.5 * (n - low);
        band += 0.3 * ((n - low) - band);  // a rough band around 1.5 kHz
        double burst = std::fmod(tau, 0.011) < 0.004 && tau < 0.033 ? 1.0 : 0.0;
        double env = tau < 0.033 ? burst : std::exp(-(tau - 0.033) / 0.07);
        return static_cast<float>(gain * 2.2 * band * env);
    });
}

void addHat(Bus& bus, double t, float gain, bool open, Noise& noise)
{
    double decay = open ? 0.22 : 0.03;
    double length = open ? 0.6 : 0.12;
    double a = 0, b = 0;
    Decay envelope(decay);
    render(bus, t, length, [&](double tau) {
        double n = noise.next();
        a += 0.45 * (n - a);
        b += 0.45 * (a - b);
        return static_cast<float>(gain * (n - b) * envelope.next() * gate(tau, length, 0.0003, 0.02));
    });
}

void addCrash(Bus& bus, double t, float gain, Noise& noise)
{
    double a = 0;
    double phases[4] = {0, 0, 0, 0};
    const double ratios[4] = {1.0, 1.342, 1.733, 2.215};
    Decay envelope(0.75);
    render(bus, t, 2.6, [&](double tau) {
        double n = noise.next();
        a += 0.3 * (n - a);
        double metal = 0;
        for (int k = 0; k < 4; ++k) {
            phases[k] += 2870.0 * ratios[k] / kSampleRate;
            metal += phases[k] - std::floor(phases[k]) < 0.5 ? 1.0 : -1.0;
        }
        double env = envelope.next() * gate(tau, 2.6, 0.001, 0.3);
        return static_cast<float>(gain * ((n - a) + 0.08 * metal) * env);
    });
}

void addRiser(Bus& bus, double endT, double length, float gain, Noise& noise)
{
    double low = 0;
    render(bus, endT - length, length, [&](double tau) {
        double k = tau / length;
        double cutoff = 0.02 + 0.5 * k * k;
        low += cutoff * (noise.next() - low);
        return static_cast<float>(gain * low * k * k * gate(tau, length, 0.01, 0.004));
    });
}

void addCrackle(Bus& bus, double t0, double t1, float gain, Noise& noise)
{
    double hiss = 0;
    render(bus, t0, t1 - t0, [&](double tau) {
        hiss += 0.1 * (noise.next() - hiss);
        double pop = noise.next() > 0.9994f ? noise.next() : 0.0;
        return static_cast<float>(gain * (0.15 * hiss + pop) * gate(tau, t1 - t0, 0.3, 0.3));
    });
}

void addBass(Bus& bus, double t, double length, double hz, double from, float gain)
{
    double phase = 0;
    Decay pluck(0.08);
    render(bus, t, length, [&](double tau) {
        phase += glideHz(tau, hz, from, 0.06) / kSampleRate;
        double x = std::sin(kTwoPi * phase) + 0.35 * std::sin(2 * kTwoPi * phase);
        double env = (0.7 + 0.3 * pluck.next()) * gate(tau, length, 0.004, 0.03);
        return static_cast<float>(gain * std::tanh(1.3 * x) * env);
    });
}

void addLead(Bus& bus, double t, double length, double hz, double from, float gain)
{
    double phase = 0, low = 0;
    render(bus, t, length, [&](double tau) {
        double depth = std::min(1.0, std::max(0.0, (tau - 0.12) / 0.2)) * 0.35;
        double vibrato = depth > 0 ? std::exp2(depth * std::sin(kTwoPi * 5.6 * tau) / 12.0) : 1.0;
        double f = glideHz(tau, hz, from, 0.09) * vibrato;
        double step = f / kSampleRate;
        phase += step;
        phase -= std::floor(phase);
        const double duty = 0.32;
        double shifted = phase + (1.0 - duty);
        shifted -= std::floor(shifted);
        double square = (phase < duty ? 1.0 : -1.0) + blep(phase, step) - blep(shifted, step);
        low += 0.22 * (square - low);
        return static_cast<float>(gain * low * gate(tau, length, 0.006, 0.04));
    });
}

void addKeys(Bus& bus, double t, double length, const std::vector<double>& chordHz, float gain)
{
    std::vector<double> phases(chordHz.size(), 0.0);
    Decay brightness(0.25), envelope(1.6);
    render(bus, t, length, [&](double tau) {
        double index = 1.4 * brightness.next();
        double tremolo = 1.0 + 0.15 * std::sin(kTwoPi * 4.5 * tau);
        double sum = 0;
        for (size_t k = 0; k < chordHz.size(); ++k) {
            phases[k] += chordHz[k] / kSampleRate;
            sum += std::sin(kTwoPi * phases[k] + index * std::sin(kTwoPi * phases[k]));
        }
        double env = envelope.next() * tremolo * gate(tau, length, 0.003, 0.08);
        return static_cast<float>(gain * sum / chordHz.size() * env);
    });
}

void addPluck(Bus& bus, double t, double hz, float gain)
{
    double phase = 0;
    Decay brightness(0.04), envelope(0.09);
    render(bus, t, 0.35, [&](double tau) {
        phase += hz / kSampleRate;
        double x = std::sin(kTwoPi * phase + 2.0 * brightness.next() * std::sin(3 * kTwoPi * phase));
        return static_cast<float>(gain * x * envelope.next() * gate(tau, 0.35, 0.001, 0.05));
    });
}

void addEcho(Bus& bus, double delay, float feedback, float mix)
{
    size_t d = sampleAt(delay);
    std::vector<float> echo(bus.size(), 0.0f);
    double low = 0;
    for (size_t i = d; i < bus.size(); ++i) {
        low += 0.3 * (bus[i - d] + feedback * echo[i - d] - low);  // darker each repeat
        echo[i] = static_cast<float>(low);
    }
    for (size_t i = 0; i < bus.size(); ++i) bus[i] += mix * echo[i];
}

}  // namespace soundtrack
