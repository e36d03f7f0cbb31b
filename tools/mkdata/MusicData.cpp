#include "tools/mkdata/MusicData.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <string_view>

#include "engine/ByteOrder.h"
#include "tools/mkdata/XmidiWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// General MIDI program numbers (from 0) and the drum keys of channel 10.
namespace gm {
constexpr uint8_t kFretlessBass = 35;
constexpr uint8_t kFingerBass = 33;
constexpr uint8_t kSynthBass2 = 39;
constexpr uint8_t kOverdrivenGuitar = 29;
constexpr uint8_t kHarp = 46;
constexpr uint8_t kSynthStrings = 50;
constexpr uint8_t kFrenchHorn = 60;
constexpr uint8_t kBrassSection = 61;
constexpr uint8_t kFlute = 73;
constexpr uint8_t kWarmPad = 89;
constexpr uint8_t kDrumChannel = 9;
constexpr uint8_t kKick = 36;
constexpr uint8_t kSnare = 38;
constexpr uint8_t kClosedHat = 42;
constexpr uint8_t kCrash = 49;
constexpr uint8_t kVolume = 7;
constexpr uint8_t kPan = 10;
}  // namespace gm

// "C4" is middle C (60), with '#' or 'b' after the letter; "-" is a rest (0).
constexpr uint8_t Pitch(std::string_view name) {
    if (name == "-") return 0;
    constexpr int kFromC[] = {9, 11, 0, 2, 4, 5, 7};   // A to G
    int note = kFromC[name[0] - 'A'];
    size_t at = 1;
    if (name[at] == '#' || name[at] == 'b') {
        note += name[at] == '#' ? 1 : -1;
        ++at;
    }
    return uint8_t(12 * (name[at] - '0' + 1) + note);
}

// A note of a line and how many eighths it lasts.
struct Step {
    std::string_view pitch;
    uint32_t eighths;
};

struct Chord {
    std::string_view root;     // of the bass
    std::string_view tones[3]; // the voicing of the harmony
};

// A tune measured in eighth notes over the writer's 120 ticks a second.
class Score {
public:
    explicit Score(uint32_t eighthTicks) : eighth_(eighthTicks) {}

    void Voice(uint8_t channel, uint8_t program, uint8_t volume, uint8_t pan) {
        writer_.Program(0, channel, program);
        writer_.Controller(0, channel, gm::kVolume, volume);
        writer_.Controller(0, channel, gm::kPan, pan);
    }
    // Notes one after another from eighth `at`, each released a little early
    // so that a repeated note is heard twice.
    void Line(uint8_t channel, uint32_t at, std::initializer_list<Step> steps, uint8_t velocity) {
        for (const Step& step : steps) {
            const uint8_t pitch = Pitch(step.pitch);
            if (pitch != 0) Note(channel, at, pitch, velocity, step.eighths * eighth_ - eighth_ / 8);
            at += step.eighths;
        }
    }
    void Note(uint8_t channel, uint32_t at, uint8_t pitch, uint8_t velocity, uint32_t ticks) {
        writer_.Note(at * eighth_, channel, pitch, velocity, ticks);
    }
    uint32_t Ticks(uint32_t eighths) const { return eighths * eighth_; }
    Bytes File(uint32_t eighths) {
        writer_.End(Ticks(eighths));
        return writer_.File();
    }

private:
    const uint32_t eighth_;
    XmidiWriter writer_;
};

constexpr uint32_t kBar = 8;   // eighths

// 80 beats a minute, nine bars: a calm loop for the menus.
Bytes MenuTune() {
    constexpr uint8_t kPad = 0, kBass = 1, kFlute = 2, kHarp = 3;
    Score score(45);
    score.Voice(kPad, gm::kWarmPad, 80, 64);
    score.Voice(kBass, gm::kFretlessBass, 90, 64);
    score.Voice(kFlute, gm::kFlute, 100, 70);
    score.Voice(kHarp, gm::kHarp, 70, 40);
    const Chord am{"A2", {"A3", "C4", "E4"}}, f{"F2", {"A3", "C4", "F4"}}, c{"C3", {"G3", "C4", "E4"}},
        g{"G2", {"G3", "B3", "D4"}};
    const Chord bars[] = {am, f, c, g, am, f, c, g, am};
    uint32_t at = 0;
    for (const Chord& chord : bars) {
        for (const std::string_view tone : chord.tones) score.Note(kPad, at, Pitch(tone), 60, score.Ticks(kBar));
        score.Note(kBass, at, Pitch(chord.root), 80, score.Ticks(kBar) - 4);
        const uint8_t t[3] = {uint8_t(Pitch(chord.tones[0]) + 12), uint8_t(Pitch(chord.tones[1]) + 12),
                              uint8_t(Pitch(chord.tones[2]) + 12)};
        const uint8_t arpeggio[kBar] = {t[0], t[1], t[2], uint8_t(t[0] + 12), uint8_t(t[1] + 12), uint8_t(t[0] + 12), t[2], t[1]};
        // Each note rings into the next, the last stops at the bar line so that the loop keeps time.
        for (uint32_t i = 0; i < kBar; ++i) {
            score.Note(kHarp, at + i, arpeggio[i], i == 0 ? 60 : 45, score.Ticks(i + 1 < kBar ? 2 : 1));
        }
        at += kBar;
    }
    score.Line(kFlute, 0,
               {{"E5", 4}, {"D5", 2}, {"C5", 2}, {"A4", 6}, {"C5", 2}, {"G4", 4}, {"E5", 2}, {"D5", 2}, {"D5", 8},
                {"E5", 2}, {"A5", 2}, {"G5", 2}, {"E5", 2}, {"F5", 4}, {"E5", 2}, {"C5", 2}, {"E5", 4}, {"D5", 2},
                {"C5", 2}, {"B4", 4}, {"D5", 4}, {"A4", 8}},
               85);
    return score.File(at);
}

// 100 beats a minute, twelve bars: the drums and the bass set off, the horn
// joins in the fifth bar.
Bytes PatrolTune() {
    constexpr uint8_t kStrings = 0, kBass = 1, kHorn = 2;
    Score score(36);
    score.Voice(kStrings, gm::kSynthStrings, 75, 50);
    score.Voice(kBass, gm::kSynthBass2, 85, 64);
    score.Voice(kHorn, gm::kFrenchHorn, 105, 76);
    score.Voice(gm::kDrumChannel, 0, 80, 64);
    const Chord dm{"D2", {"D4", "F4", "A4"}}, bb{"Bb1", {"D4", "F4", "Bb4"}}, f{"F2", {"C4", "F4", "A4"}},
        c{"C2", {"C4", "E4", "G4"}};
    const Chord progression[] = {dm, bb, f, c};
    uint32_t at = 0;
    for (int bar = 0; bar < 12; ++bar) {
        const Chord& chord = progression[bar % 4];
        for (const std::string_view tone : chord.tones) score.Note(kStrings, at, Pitch(tone), 55, score.Ticks(kBar));
        for (uint32_t i = 0; i < kBar; ++i) {
            const uint8_t root = Pitch(chord.root);
            score.Note(kBass, at + i, i % 4 == 2 ? uint8_t(root + 12) : root, i % 2 == 0 ? 90 : 70, score.Ticks(1) - 6);
            score.Note(gm::kDrumChannel, at + i, gm::kClosedHat, i % 2 == 0 ? 60 : 40, 10);
        }
        score.Note(gm::kDrumChannel, at, gm::kKick, 90, 10);
        score.Note(gm::kDrumChannel, at + 4, gm::kKick, 80, 10);
        if (bar >= 2) {
            score.Note(gm::kDrumChannel, at + 2, gm::kSnare, 70, 10);
            score.Note(gm::kDrumChannel, at + 6, gm::kSnare, 70, 10);
        }
        at += kBar;
    }
    score.Line(kHorn, 4 * kBar,
               {{"A4", 2}, {"D5", 2}, {"E5", 2}, {"F5", 2}, {"F5", 4}, {"E5", 2}, {"D5", 2}, {"C5", 4}, {"A4", 2},
                {"C5", 2}, {"E5", 6}, {"-", 2}, {"A5", 2}, {"G5", 2}, {"F5", 2}, {"E5", 2}, {"D5", 4}, {"F5", 2},
                {"D5", 2}, {"C5", 2}, {"A4", 2}, {"C5", 2}, {"F5", 2}, {"E5", 4}, {"D5", 4}},
               90);
    return score.File(at);
}

// 144 beats a minute, sixteen bars: guitar, bass and drums drive on, the
// brass takes the tune in the ninth bar.
Bytes SkirmishTune() {
    constexpr uint8_t kGuitar = 0, kBass = 1, kBrass = 2;
    Score score(25);
    score.Voice(kGuitar, gm::kOverdrivenGuitar, 80, 44);
    score.Voice(kBass, gm::kFingerBass, 95, 64);
    score.Voice(kBrass, gm::kBrassSection, 100, 84);
    score.Voice(gm::kDrumChannel, 0, 90, 64);
    const Chord em{"E2", {"E3", "B3", "E4"}}, c{"C2", {"C3", "G3", "C4"}}, d{"D2", {"D3", "A3", "D4"}},
        b{"B1", {"B2", "F#3", "B3"}};
    const Chord progression[] = {em, em, c, d, em, em, c, b};
    uint32_t at = 0;
    for (int bar = 0; bar < 16; ++bar) {
        const Chord& chord = progression[bar % 8];
        for (uint32_t i = 0; i < kBar; ++i) {
            // The chord on the first eighth and the fourth rings, the rest are chugged.
            const bool ring = i == 0 || i == 3;
            for (const std::string_view tone : chord.tones) {
                score.Note(kGuitar, at + i, Pitch(tone), ring ? 95 : 70, ring ? score.Ticks(1) - 2 : 12);
            }
            score.Note(kBass, at + i, Pitch(chord.root), i % 2 == 0 ? 100 : 80, score.Ticks(1) - 4);
            score.Note(gm::kDrumChannel, at + i, gm::kClosedHat, i % 2 == 0 ? 70 : 50, 8);
        }
        for (const uint32_t kick : {0u, 3u, 4u}) score.Note(gm::kDrumChannel, at + kick, gm::kKick, 100, 8);
        for (const uint32_t snare : {2u, 6u}) score.Note(gm::kDrumChannel, at + snare, gm::kSnare, 90, 8);
        if (bar % 4 == 0) score.Note(gm::kDrumChannel, at, gm::kCrash, 90, 40);
        at += kBar;
    }
    score.Line(kBrass, 8 * kBar,
               {{"E5", 2}, {"E5", 1}, {"G5", 1}, {"B5", 4}, {"A5", 2}, {"G5", 2}, {"F#5", 4}, {"G5", 4}, {"E5", 2},
                {"C5", 2}, {"D5", 2}, {"F#5", 2}, {"A5", 4}, {"B5", 6}, {"A5", 1}, {"G5", 1}, {"E5", 4}, {"G5", 2},
                {"B5", 2}, {"C6", 4}, {"B5", 2}, {"A5", 2}, {"B5", 8}},
               95);
    return score.File(at);
}

constexpr int32_t kTrackRate = 22050;
constexpr float kTrackSeconds = 2.0f;

// RIFF "WAVE": "fmt " (PCM, mono, 16 bits) and "data", little-endian.
Bytes WaveFile(const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    Bytes out(44 + dataBytes);
    uint8_t* p = out.data();
    std::copy_n("RIFF", 4, p);
    StoreLe32(p + 4, 36 + dataBytes);
    std::copy_n("WAVEfmt ", 8, p + 8);
    StoreLe32(p + 16, 16);
    StoreLe16(p + 20, 1);                 // PCM
    StoreLe16(p + 22, 1);                 // mono
    StoreLe32(p + 24, kTrackRate);
    StoreLe32(p + 28, kTrackRate * 2);    // bytes a second
    StoreLe16(p + 32, 2);                 // bytes a frame
    StoreLe16(p + 34, 16);
    std::copy_n("data", 4, p + 36);
    StoreLe32(p + 40, dataBytes);
    for (size_t i = 0; i < samples.size(); ++i) StoreLe16(p + 44 + 2 * i, uint16_t(samples[i]));
    return out;
}

Status WriteBytes(const char* path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return out.flush() ? kStatusOk : kStatusCannotOpen;
}

}  // namespace

std::vector<uint8_t> SampleTune(int index) {
    switch (index) {
    case 0: return MenuTune();
    case 1: return PatrolTune();
    case 2: return SkirmishTune();
    default: return {};
    }
}

Status WriteSampleTune(int index, const char* path) {
    const Bytes tune = SampleTune(index);
    return tune.empty() ? kStatusNotThisRecord : WriteBytes(path, tune);
}

// A major chord on A3 for the first track, on F3 for the second, struck
// and dying away.
std::vector<uint8_t> SampleCdTrack(int index) {
    if (index < 0 || index >= kSampleCdTrackCount) return {};
    constexpr float kTwoPi = 6.2831853f;
    const float root = index == 0 ? 220.0f : 174.61f;
    const float ratios[] = {1.0f, 1.25992f, 1.49831f, 2.0f};
    std::vector<int16_t> samples(size_t(kTrackSeconds * float(kTrackRate)));
    for (size_t i = 0; i < samples.size(); ++i) {
        const float t = float(i) / float(kTrackRate);
        const float attack = std::min(1.0f, t / 0.02f);
        const float release = std::min(1.0f, (kTrackSeconds - t) / 0.05f);
        float v = 0.0f;
        for (const float ratio : ratios) v += std::sin(kTwoPi * root * ratio * t) / ratio;
        v *= 0.22f * attack * release * std::exp(-1.2f * t);
        samples[i] = int16_t(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
    }
    return WaveFile(samples);
}

Status WriteSampleCdTrack(int index, const char* path) {
    const Bytes track = SampleCdTrack(index);
    return track.empty() ? kStatusNotThisRecord : WriteBytes(path, track);
}
