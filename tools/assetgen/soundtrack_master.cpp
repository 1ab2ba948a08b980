// soundtrack_master.cpp -- the soundtrack's loudness, its peak limiter and its MP3 encoder
#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <deque>

#include "soundtrack_synth.h"

namespace soundtrack {

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double run(double x)
    {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// The two stages of the K-weighting filter, designed for our sample rate.
std::vector<Biquad> kWeighting()
{
    const double pi = 3.141592653589793;
    double k = std::tan(pi * 1681.974450955533 / kSampleRate);
    double q = 0.7071752369554196;
    double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    Biquad shelf{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    k = std::tan(pi * 38.13547087602444 / kSampleRate);
    q = 0.5003270373238773;
    a0 = 1.0 + k / q + k * k;
    Biquad highPass{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    return {shelf, highPass};
}

double blockLoudness(double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); }

// The smallest value within half samples on either side of each sample.
std::vector<float> slidingMinimum(const std::vector<float>& values, size_t half)
{
    size_t n = values.size();
    std::vector<float> lowest(n);
    std::deque<size_t> window;  // indices whose values increase from front to back
    size_t next = 0;
    for (size_t i = 0; i < n; ++i) {
        for (size_t last = std::min(n - 1, i + half); next <= last; ++next) {
            while (!window.empty() && values[window.back()] >= values[next]) window.pop_back();
            window.push_back(next);
        }
        while (window.front() + half < i) window.pop_front();
        lowest[i] = values[window.front()];
    }
    return lowest;
}

// Per-sample gain that keeps |x| under the ceiling: the needed gain's minimum over a window,
// then averaged over the same window, so it is never above what any sample there needs and
// has no steps that would click.
void limit(Bus& samples, float ceiling)
{
    const size_t half = kSampleRate / 500;  // 2 ms each side
    size_t n = samples.size();
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        float a = std::fabs(samples[i]);
        need[i] = a > ceiling ? ceiling / a : 1.0f;
    }
    std::vector<float> lowest = slidingMinimum(need, half);
    std::vector<double> prefix(n + 1, 0.0);
    for (size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + lowest[i];
    for (size_t i = 0; i < n; ++i) {
        size_t from = i >= half ? i - half : 0, to = std::min(n, i + half + 1);
        samples[i] *= static_cast<float>((prefix[to] - prefix[from]) / (to - from));
    }
}

}  // namespace

double integratedLoudness(const Bus& samples)
{
    std::vector<Biquad> filters = kWeighting();
    std::vector<double> squares(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        double y = filters[1].run(filters[0].run(samples[i]));
        squares[i] = y * y;
    }
    // 400 ms blocks, 100 ms apart.
    const size_t block = kSampleRate * 4 / 10, hop = kSampleRate / 10;
    std::vector<double> blocks;
    for (size_t start = 0; start + block <= squares.size(); start += hop) {
        double sum = 0;
        for (size_t i = start; i < start + block; ++i) sum += squares[i];
        blocks.push_back(sum / block);
    }
    auto gatedMean = [&](double threshold) {
        double sum = 0;
        size_t count = 0;
        for (double b : blocks)
            if (b > 0 && blockLoudness(b) > threshold) sum += b, ++count;
        return count ? sum / count : 0.0;
    };
    double absoluteGated = gatedMean(-70.0);
    if (absoluteGated <= 0) return -70.0;
    double relativeGated = gatedMean(blockLoudness(absoluteGated) - 10.0);
    return relativeGated > 0 ? blockLoudness(relativeGated) : -70.0;
}

// A fourth-order low-pass: what the encoder would cut anyway is cut before it is measured.
void lowPass(Bus& samples, double cutoffHz)
{
    const double pi = 3.141592653589793;
    double k = std::tan(pi * cutoffHz / kSampleRate), q = 0.7071067811865476;
    double norm = 1.0 / (1.0 + k / q + k * k);
    for (int pass = 0; pass < 2; ++pass) {
        Biquad filter{k * k * norm, 2 * k * k * norm, k * k * norm, 2 * (k * k - 1) * norm,
                      (1 - k / q + k * k) * norm};
        for (float& s : samples) s = static_cast<float>(filter.run(s));
    }
}

void normalize(Bus& samples, double targetLufs, double ceilingDb)
{
    lowPass(samples, 15000.0);
    float ceiling = static_cast<float>(std::pow(10.0, ceilingDb / 20.0));
    // Limiting lowers the loudness a little, so scale and limit until it settles.
    for (int round = 0; round < 4; ++round) {
        double gain = std::pow(10.0, (targetLufs - integratedLoudness(samples)) / 20.0);
        for (float& s : samples) s = static_cast<float>(s * gain);
        limit(samples, ceiling);
    }
}

std::vector<uint8_t> encodeMp3(const Bus& samples, int kbps)
{
    std::vector<uint8_t> mp3;
    lame_global_flags* lame = lame_init();
    if (!lame) return mp3;
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_in_samplerate(lame, kSampleRate);
    lame_set_out_samplerate(lame, kSampleRate);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, kbps);
    lame_set_quality(lame, 5);
    // The encoder's output decodes 0.43 dB below its input (a 0.5 sine comes back at 0.476);
    // this puts the level back where the loudness was set.
    lame_set_scale(lame, 1.05f);
    lame_set_bWriteVbrTag(lame, 1);  // the info frame tells decoders the exact length
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return mp3;
    }
    std::vector<short> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        pcm[i] = static_cast<short>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));

    const size_t chunk = 8192;
    std::vector<unsigned char> out(chunk * 5 / 4 + 7200);
    bool ok = true;
    for (size_t start = 0; start < pcm.size() && ok; start += chunk) {
        int count = static_cast<int>(std::min(chunk, pcm.size() - start));
        int bytes = lame_encode_buffer(lame, &pcm[start], nullptr, count, out.data(),
                                       static_cast<int>(out.size()));
        ok = bytes >= 0;
        if (ok) mp3.insert(mp3.end(), out.begin(), out.begin() + bytes);
    }
    int bytes = ok ? lame_encode_flush(lame, out.data(), static_cast<int>(out.size())) : -1;
    if (bytes >= 0) mp3.insert(mp3.end(), out.begin(), out.begin() + bytes);
    // The first frame was reserved for the info frame; write it now that the length is known.
    size_t tagSize = bytes >= 0 ? lame_get_lametag_frame(lame, out.data(), out.size()) : 0;
    if (tagSize > 0 && tagSize <= mp3.size()) std::copy(out.begin(), out.begin() + tagSize, mp3.begin());
    lame_close(lame);
    if (bytes < 0) mp3.clear();
    return mp3;
}

}  // namespace soundtrack
