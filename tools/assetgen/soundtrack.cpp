// soundtrack.cpp -- quirky.mp3: a swung 90 BPM hip-hop piece whose sections follow the scenes
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "assetgen.h"
#include "soundtrack_synth.h"
#include "timeline/schedule.h"

using namespace soundtrack;

namespace {

const double kStep = 60.0 / 90.0 / 4.0;  // a sixteenth at 90 BPM
const double kSwing = 0.58;               // the second sixteenth of each pair comes late
const double kShowEnd = showDurationMs() / 1000.0;  // the final hit
const double kFadeStart = 150.0;          // the hit's tail fades out...
const double kSilence = 150.35;           // ...to silence...
const double kTrackEnd = 150.5;           // ...which lasts to the end

enum Drums { NoDrums, IntroHats, BoomBap, BoomBapBusy, HalfTime, Breakdown, Build, Shaker };
enum Lead { NoLead, MelodyA, MelodyB, MelodyALate, MelodyBThenA, Hello };
enum Keys { NoKeys, Pads, Stabs };
enum BassLine { NoBass, Bouncy, Long, Walking };

// One section per scene, keyed by the scene and placed by the show's schedule; every pattern
// starts again at the section's start.
struct Section {
    Scene scene;
    Drums drums;
    BassLine bass;
    Lead lead;
    Keys keys;
    bool arpeggio;
    bool riserBefore;
    double start = 0, end = 0;  // s
};

constexpr Section kSectionStyles[] = {
    {Scene::Title,        IntroHats, NoBass, Hello, Pads, false, false},
    {Scene::CubeCloud,    BoomBap, Bouncy, MelodyALate, Stabs, false, true},
    {Scene::ThinTube,     BoomBapBusy, Bouncy, MelodyA, Stabs, false, false},
    {Scene::WideTube,     HalfTime, Long, MelodyB, Pads, false, false},
    {Scene::TurningRings, Breakdown, Walking, NoLead, NoKeys, true, false},
    {Scene::Morph,        Build, Bouncy, NoLead, Stabs, true, false},
    {Scene::Corridor,     BoomBapBusy, Bouncy, MelodyB, Stabs, false, true},
    {Scene::Shells,       BoomBap, Bouncy, MelodyA, Pads, true, false},
    {Scene::SplineRings,  Shaker, Long, MelodyB, Pads, false, false},
    {Scene::Ribbon,       BoomBapBusy, Bouncy, MelodyA, Stabs, true, true},
    {Scene::LastTube,     BoomBapBusy, Bouncy, MelodyBThenA, Stabs, true, false},
};
static_assert(inRunningOrder(kSectionStyles), "one section per scene, in the schedule's order");

std::vector<Section> placedSections()
{
    std::vector<Section> sections(std::begin(kSectionStyles), std::end(kSectionStyles));
    for (Section& section : sections) {
        section.start = sceneStartMs(section.scene) / 1000.0;
        section.end = sceneStartMs(sceneIndex(section.scene) + 1) / 1000.0;
    }
    return sections;
}

// Dm7, Bbmaj7, Gm7, A7: one chord a bar, four bars round (MIDI notes).
const int kBassRoots[4] = {38, 34, 31, 33};
const std::vector<int> kChords[4] = {{50, 53, 57, 60}, {46, 50, 53, 57}, {50, 53, 55, 58}, {49, 52, 55, 57}};

struct Note {
    int step, length, semitones;
    int bendFrom;  // semitones the note slides in from; kNoBend for none
};
const int kNoBend = -99;
const int kLeadBase = 62;  // D4

// Four bars each, in sixteenths.
const std::vector<Note> kMelodyA = {
    {0, 2, 0, kNoBend}, {3, 1, 3, kNoBend}, {4, 2, 7, 5}, {7, 1, 10, kNoBend}, {8, 3, 12, 10},
    {12, 2, 10, kNoBend}, {14, 2, 7, kNoBend}, {16, 2, 5, kNoBend}, {19, 1, 5, kNoBend},
    {20, 2, 8, 5}, {23, 1, 10, kNoBend}, {24, 4, 12, 15}, {28, 2, 8, kNoBend}, {30, 2, 5, kNoBend},
    {32, 3, 7, 5}, {35, 1, 5, kNoBend}, {36, 2, 3, kNoBend}, {38, 2, 2, kNoBend}, {40, 4, 0, -2},
    {44, 2, -2, kNoBend}, {46, 2, 0, kNoBend}, {48, 2, 7, kNoBend}, {50, 2, 11, 7}, {52, 1, 14, kNoBend},
    {53, 1, 12, kNoBend}, {54, 2, 11, kNoBend}, {56, 4, 7, 9}, {62, 1, -1, kNoBend}, {63, 1, 0, kNoBend},
};
const std::vector<Note> kMelodyB = {
    {0, 1, 12, kNoBend}, {2, 1, 12, kNoBend}, {3, 2, 15, 12}, {6, 1, 12, kNoBend}, {10, 3, 19, 22},
    {14, 2, 17, kNoBend}, {16, 1, 17, kNoBend}, {18, 1, 15, kNoBend}, {19, 1, 13, kNoBend},
    {20, 4, 12, 10}, {26, 2, 8, kNoBend}, {28, 2, 10, kNoBend}, {30, 2, 12, kNoBend},
    {32, 2, 10, kNoBend}, {34, 2, 7, kNoBend}, {36, 1, 10, kNoBend}, {37, 1, 12, kNoBend},
    {38, 3, 14, 12}, {44, 2, 12, kNoBend}, {46, 2, 10, kNoBend}, {48, 2, 14, kNoBend},
    {50, 2, 11, kNoBend}, {52, 2, 7, kNoBend}, {54, 1, 11, kNoBend}, {55, 1, 14, kNoBend},
    {56, 6, 19, 14},
};
const std::vector<Note> kHello = {
    {36, 2, 12, 7}, {39, 1, 15, kNoBend}, {40, 3, 19, 12}, {44, 1, 17, kNoBend}, {45, 1, 15, kNoBend},
    {46, 6, 12, 17},
};

struct Buses {
    Bus drums, bass, lead, keys;
    Noise noise{0x5EED1234u};
};

double stepTime(const Section& s, int step)
{
    double pair = 2.0 * kStep;
    return s.start + (step / 2) * pair + (step % 2 ? kSwing * pair : 0.0);
}

int stepsIn(const Section& s) { return static_cast<int>(std::ceil((s.end - s.start) / kStep)); }

bool hit(const char* pattern, int step) { return pattern[step % 16] == 'x'; }
bool ghost(const char* pattern, int step) { return pattern[step % 16] == 'o'; }

void addDrums(Buses& b, const Section& s)
{
    const char* kick = "x......x..x.....";
    const char* kickAlt = "x.x.......x..x..";
    const char* snare = "....x..o.o..x..o";
    for (int step = 0; step < stepsIn(s); ++step) {
        double t = stepTime(s, step);
        if (t >= s.end) break;
        int bar = step / 16, inBar = step % 16;
        bool lastBar = t + 16 * kStep > s.end;
        switch (s.drums) {
        case NoDrums:
            break;
        case IntroHats:
            if (bar >= 1 && inBar % 2 == 0) addHat(b.drums, t, inBar % 4 ? 0.05f : 0.09f, false, b.noise);
            break;
        case BoomBap:
        case BoomBapBusy: {
            if (hit(bar % 2 ? kickAlt : kick, step)) addKick(b.drums, t, 0.9f);
            if (hit(snare, step)) addSnare(b.drums, t, 0.55f, b.noise);
            if (ghost(snare, step)) addSnare(b.drums, t, 0.12f, b.noise);
            bool busy = s.drums == BoomBapBusy;
            if (busy || inBar % 2 == 0) addHat(b.drums, t, inBar % 4 == 0 ? 0.2f : inBar % 2 ? 0.09f : 0.14f, false, b.noise);
            if (inBar == 14 && bar % 2) addHat(b.drums, t, 0.12f, true, b.noise);
            break;
        }
        case HalfTime:
            if (hit("x.........x.....", step)) addKick(b.drums, t, 0.85f);
            if (inBar == 8) addSnare(b.drums, t, 0.6f, b.noise);
            if (inBar % 2 == 0) addHat(b.drums, t, inBar % 4 ? 0.08f : 0.15f, inBar == 6, b.noise);
            break;
        case Breakdown:
            if (inBar == 4 || inBar == 12) addClap(b.drums, t, 0.5f, b.noise);
            addHat(b.drums, t, inBar % 2 ? 0.06f : 0.12f, false, b.noise);
            break;
        case Build:
            if (inBar % 4 == 0) addKick(b.drums, t, 0.85f);
            if (lastBar ? true : inBar % 8 == 4) addSnare(b.drums, t, lastBar ? 0.18f + 0.3f * inBar / 16 : 0.5f, b.noise);
            if (inBar % 2 == 0) addHat(b.drums, t, 0.15f, inBar % 4 == 2, b.noise);
            break;
        case Shaker:
            addHat(b.drums, t, inBar % 4 == 2 ? 0.1f : 0.04f, false, b.noise);
            break;
        }
    }
}

void addBassLine(Buses& b, const Section& s)
{
    struct BassNote { int step, length, semitones; };
    static const std::vector<BassNote> bouncy = {{0, 3, 0}, {3, 1, 0}, {6, 2, 12}, {10, 2, 0}, {12, 1, 7}, {14, 2, 10}};
    static const std::vector<BassNote> longNotes = {{0, 6, 0}, {7, 3, 7}, {10, 6, 12}};
    static const std::vector<BassNote> walking = {{0, 2, 0}, {4, 2, 7}, {8, 2, 12}, {12, 2, 10}};
    const std::vector<BassNote>* line = s.bass == Bouncy ? &bouncy : s.bass == Long ? &longNotes
                                      : s.bass == Walking ? &walking : nullptr;
    if (!line) return;
    double previous = 0;
    for (int bar = 0; bar * 16 < stepsIn(s); ++bar) {
        for (const BassNote& n : *line) {
            double t = stepTime(s, bar * 16 + n.step);
            if (t >= s.end) return;
            double hz = noteHz(kBassRoots[bar % 4] + n.semitones);
            double length = std::min(n.length * kStep * 0.95, s.end - t);
            addBass(b.bass, t, length, hz, n.step == 6 || n.step == 10 ? previous : 0, 0.5f);
            previous = hz;
        }
    }
}

void addMelody(Buses& b, const Section& s, const std::vector<Note>& melody, int fromBar, int toBar, int shift)
{
    for (int bar = fromBar; bar < toBar && bar * 16 < stepsIn(s); bar += 4) {
        for (const Note& n : melody) {
            if (n.step / 16 + bar >= toBar) break;
            double t = stepTime(s, bar * 16 + n.step);
            if (t >= s.end) return;
            double length = std::min(n.length * kStep * 0.9, s.end - t);
            int note = kLeadBase + shift + n.semitones;
            double from = n.bendFrom == kNoBend ? 0 : noteHz(kLeadBase + shift + n.bendFrom);
            addLead(b.lead, t, length, noteHz(note), from, 0.2f);
        }
    }
}

void addLeadPart(Buses& b, const Section& s)
{
    const int all = 1000;
    switch (s.lead) {
    case NoLead: break;
    case MelodyA: addMelody(b, s, kMelodyA, 0, all, 0); break;
    case MelodyB: addMelody(b, s, kMelodyB, 0, all, 0); break;
    case MelodyALate: addMelody(b, s, kMelodyA, 4, all, 0); break;
    case MelodyBThenA:
        addMelody(b, s, kMelodyB, 0, 4, 0);
        addMelody(b, s, kMelodyA, 4, all, 0);
        break;
    case Hello: addMelody(b, s, kHello, 0, all, 0); break;
    }
}

std::vector<double> chordHz(int bar)
{
    std::vector<double> hz;
    for (int note : kChords[bar % 4]) hz.push_back(noteHz(note));
    return hz;
}

void addKeysPart(Buses& b, const Section& s)
{
    for (int bar = 0; bar * 16 < stepsIn(s); ++bar) {
        if (s.keys == Pads) {
            double t = stepTime(s, bar * 16);
            addKeys(b.keys, t, std::min(16 * kStep, s.end - t), chordHz(bar), 0.5f);
        } else if (s.keys == Stabs) {
            for (int step : {2, 7, 10}) {
                double t = stepTime(s, bar * 16 + step);
                if (t < s.end) addKeys(b.keys, t, std::min(1.6 * kStep, s.end - t), chordHz(bar), 0.4f);
            }
        }
        if (s.arpeggio) {
            const std::vector<int>& chord = kChords[bar % 4];
            for (int step = 0; step < 16; ++step) {
                double t = stepTime(s, bar * 16 + step);
                int note = chord[(step * 3) % chord.size()] + 12 * (1 + step % 2);
                if (t < s.end) addPluck(b.keys, t, noteHz(note), step % 4 ? 0.1f : 0.17f);
            }
        }
    }
}

// Each new section opens with a crash and a kick exactly on its first sample (the pattern's
// own first kick where it has one).
void addTransition(Buses& b, const Section& s)
{
    if (s.riserBefore) addRiser(b.drums, s.start, 1.8, 0.35f, b.noise);
    if (s.start <= 0) return;
    addCrash(b.drums, s.start, 0.4f, b.noise);
    bool patternKicksFirst = s.drums == BoomBap || s.drums == BoomBapBusy || s.drums == HalfTime || s.drums == Build;
    if (!patternKicksFirst) addKick(b.drums, s.start, 0.9f);
}

void addEnding(Buses& b)
{
    addCrash(b.drums, kShowEnd, 0.45f, b.noise);
    addKick(b.drums, kShowEnd, 1.0f);
    addBass(b.bass, kShowEnd, 0.65, noteHz(38), noteHz(50), 0.55f);
    addKeys(b.keys, kShowEnd, 0.65, chordHz(0), 0.35f);
    addLead(b.lead, kShowEnd, 0.5, noteHz(kLeadBase), noteHz(kLeadBase + 12), 0.2f);  // a slide down
}

Bus renderTrack()
{
    size_t length = static_cast<size_t>(kTrackEnd * kSampleRate);
    Buses b;
    for (Bus* bus : {&b.drums, &b.bass, &b.lead, &b.keys}) bus->assign(length, 0.0f);
    const std::vector<Section> sections = placedSections();
    addCrackle(b.keys, 0.0, sections[0].end, 0.12f, b.noise);
    for (const Section& s : sections) {
        addTransition(b, s);
        addDrums(b, s);
        addBassLine(b, s);
        addLeadPart(b, s);
        addKeysPart(b, s);
    }
    addEnding(b);
    addEcho(b.lead, 3 * kStep, 0.35f, 0.3f);  // a dotted eighth

    Bus mix(length);
    for (size_t i = 0; i < length; ++i) {
        double t = static_cast<double>(i) / kSampleRate;
        double fade = t < kFadeStart ? 1.0 : std::max(0.0, 1.0 - (t - kFadeStart) / (kSilence - kFadeStart));
        mix[i] = static_cast<float>((b.drums[i] + b.bass[i] + b.lead[i] + b.keys[i]) * fade);
    }
    return mix;
}

}  // namespace

bool writeSoundtrack(const std::string& dir)
{
    Bus track = renderTrack();
    normalize(track, -14.0, -3.0);  // the encoder adds about a decibel to the true peak
    std::vector<uint8_t> mp3 = encodeMp3(track, 160);
    std::string path = dir + "/quirky.mp3";
    std::ofstream out(path, std::ios::binary);
    if (mp3.empty() || !out.write(reinterpret_cast<const char*>(mp3.data()), mp3.size())) {
        std::fprintf(stderr, "assetgen: could not write %s\n", path.c_str());
        return false;
    }
    return true;
}
