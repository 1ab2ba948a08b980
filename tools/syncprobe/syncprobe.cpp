// syncprobe -- measures how well the live show's scene switches meet its soundtrack's sections.
//
//   syncprobe record FILE     raw mono 16-bit 44.1 kHz sound from standard input (a recorder
//                             such as parec) to FILE, and to FILE.times the calendar time at
//                             which each piece arrived
//   syncprobe check FILE LOG LIMIT_MS
//                             finds in the recording the first sample of the section of every
//                             scene that LOG (the show's standard error) says was presented,
//                             prints for each how long after it the picture came, and when the
//                             show's clock read the section's start against it; fails when a
//                             section is not found or its picture is off by more than LIMIT_MS
//
// The sections are found by matching the soundtrack as the generator renders it (before the
// encoder) against the recording, so a section's start is known to the sample whatever delay
// the encoder and the decoder add.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "../assetgen/soundtrack_synth.h"
#include "timeline/schedule.h"

namespace {

const double kRate = soundtrack::kSampleRate;
double reachSeconds = 0.5;  // how far from the picture a section start is searched

struct Arrival {
    double samples;  // samples received up to and with this piece
    double seconds;  // calendar time at which it arrived
};

double calendarNow()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

int record(const std::string& path)
{
    std::vector<char> bytes;
    std::vector<Arrival> arrivals;
    char buffer[4096];
    for (ssize_t got; (got = read(0, buffer, sizeof buffer)) > 0;) {
        double now = calendarNow();
        bytes.insert(bytes.end(), buffer, buffer + got);
        arrivals.push_back({static_cast<double>(bytes.size() / 2), now});
    }
    std::ofstream pcm(path, std::ios::binary), times(path + ".times");
    pcm.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    for (const Arrival& a : arrivals) times << static_cast<long long>(a.samples) << ' ' << std::fixed << a.seconds << '\n';
    if (!pcm || !times) {
        std::fprintf(stderr, "syncprobe: could not write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

struct Recording {
    std::vector<float> samples;
    std::vector<Arrival> arrivals;

    // Calendar time at which sample n reached the sink. A piece cannot arrive before the sink
    // has taken its last sample, so the earliest arrival (less the samples' own duration) of
    // the pieces nearby is when the sink took them; nearby only, so a dropped piece elsewhere
    // does not shift it.
    double secondsAt(double n) const
    {
        double best = 1e300;
        for (const Arrival& a : arrivals)
            if (std::fabs(a.samples - n) < 2 * kRate) best = std::min(best, a.seconds - a.samples / kRate);
        return n / kRate + best;
    }

    double sampleAt(double seconds) const
    {
        double best = 1e300;
        for (const Arrival& a : arrivals) best = std::min(best, a.seconds - a.samples / kRate);
        return (seconds - best) * kRate;
    }
};

bool loadRecording(const std::string& path, Recording& recording)
{
    std::ifstream pcm(path, std::ios::binary), times(path + ".times");
    std::vector<char> bytes((std::istreambuf_iterator<char>(pcm)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        int16_t value = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
        recording.samples.push_back(value / 32768.0f);
    }
    for (Arrival a{}; times >> a.samples >> a.seconds;) recording.arrivals.push_back(a);
    if (recording.samples.empty() || recording.arrivals.empty()) {
        std::fprintf(stderr, "syncprobe: %s holds no recording\n", path.c_str());
        return false;
    }
    return true;
}

struct Match {
    long index = -1;  // the recording's sample where the wanted sample sounded
    double correlation = 0;
};

// Where the stretch of `track` from `first` (length `length`) sounds in the recording, searched
// at most `reach` samples either side of `around`; normalized correlation.
Match findStretch(const std::vector<float>& track, long first, long length, const std::vector<float>& recording,
                  long around, long reach)
{
    double trackEnergy = 0;
    for (long k = 0; k < length; ++k) trackEnergy += track[first + k] * track[first + k];
    Match best;
    long lowest = std::max(0L, around - reach);
    long highest = std::min(static_cast<long>(recording.size()) - length, around + reach);
    for (long at = lowest; at <= highest; ++at) {
        float product = 0, energy = 0;
        for (long k = 0; k < length; ++k) {
            product += recording[at + k] * track[first + k];
            energy += recording[at + k] * recording[at + k];
        }
        double correlation = energy > 0 ? product / std::sqrt(energy * trackEnergy) : 0;
        if (correlation > best.correlation) best = {at, correlation};
    }
    return best;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 2];
}

struct Presented {
    int scene;
    double seconds;       // calendar time at which the scene's first frame was presented
    long showMs;          // the show time it was drawn for
    double begunSeconds;  // calendar time as it began
    long clockMs;         // the show's clock then
};

std::vector<Presented> presentedScenes(const std::string& path)
{
    std::vector<Presented> scenes;
    std::ifstream log(path);
    for (std::string line; std::getline(log, line);) {
        Presented p{};
        bool parsed = std::sscanf(line.c_str(), "scene %d presented at %lf (show %ld ms, begun at %lf with the clock at %ld ms)",
                                  &p.scene, &p.seconds, &p.showMs, &p.begunSeconds, &p.clockMs) == 5;
        // A show started inside a scene presents that scene first, without a switch.
        if (parsed && p.scene >= 0 && p.scene < kSceneCount && p.showMs - sceneStartMs(p.scene) < 1000)
            scenes.push_back(p);
    }
    return scenes;
}

int check(const std::string& recordingPath, const std::string& logPath, double limitMs)
{
    Recording recording;
    if (!loadRecording(recordingPath, recording)) return 1;
    std::vector<Presented> scenes = presentedScenes(logPath);
    if (scenes.empty()) {
        std::fprintf(stderr, "syncprobe: %s names no presented scene\n", logPath.c_str());
        return 1;
    }
    const soundtrack::Bus track = soundtrack::masteredTrack();
    const long before = static_cast<long>(0.01 * kRate), length = static_cast<long>(0.1 * kRate);
    int failures = 0;
    std::vector<double> gaps;
    for (const Presented& p : scenes) {
        long sectionStart = static_cast<long>(sceneStartMs(p.scene) * kRate / 1000);
        long first = std::max(0L, sectionStart - before);
        long around = static_cast<long>(recording.sampleAt(p.seconds)) - (sectionStart - first);
        Match match = findStretch(track, first, length, recording.samples, around, static_cast<long>(reachSeconds * kRate));
        if (match.correlation < 0.9) {
            std::printf("scene %d: its section's start is not in the recording (best match %.2f)\n", p.scene,
                        match.correlation);
            ++failures;
            continue;
        }
        double soundSeconds = recording.secondsAt(static_cast<double>(match.index + sectionStart - first));
        double gapMs = (p.seconds - soundSeconds) * 1000;
        // When the show's clock read the section's start, against the sound: the clock's own
        // sync, apart from the frame's time to its present, which the show predicts.
        double clockMs = (p.begunSeconds - soundSeconds) * 1000 - (p.clockMs - static_cast<double>(sceneStartMs(p.scene)));
        gaps.push_back(gapMs);
        bool off = std::fabs(gapMs) > limitMs;
        failures += off;
        std::printf("scene %2d: sound %.3f, picture %+6.1f ms after it%s (drawn for show %ld ms); clock %+6.1f ms"
                    " (match %.3f)\n",
                    p.scene, soundSeconds, gapMs, off ? " TOO FAR" : "", p.showMs, clockMs, match.correlation);
    }
    if (!gaps.empty()) {
        double farthest = 0;
        for (double gap : gaps) farthest = std::max(farthest, std::fabs(gap));
        std::printf("%zu scene starts: picture after sound median %.1f ms, farthest %.1f ms; limit %.0f ms\n",
                    gaps.size(), median(gaps), farthest, limitMs);
    }
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "record" && argc == 3) return record(argv[2]);
    if (getenv("SYNCPROBE_REACH")) reachSeconds = std::atof(getenv("SYNCPROBE_REACH"));
    if (command == "check" && argc == 5) return check(argv[2], argv[3], std::atof(argv[4]));
    std::fprintf(stderr, "usage: syncprobe record FILE < SOUND | syncprobe check FILE SHOW_LOG LIMIT_MS\n");
    return 2;
}
