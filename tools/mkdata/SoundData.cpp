#include "tools/mkdata/SoundData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "ui/UiSounds.h"

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr int32_t kRate = 22050;

// The same noise every run.
class Noise {
public:
    float Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return float(int32_t(state_ >> 8) - (1 << 23)) / float(1 << 23);
    }

private:
    uint32_t state_ = 0x2545F491u;
};

// `seconds` of a signal in [-1, 1] (left and right) as 16-bit or 8-bit PCM.
SoundEntry Synthesize(const char* name, float seconds, int32_t bits, int32_t channels,
                      const std::function<void(float t, float* left, float* right)>& signal) {
    SoundEntry entry;
    entry.name = name;
    entry.bits = bits;
    entry.channels = channels;
    const int32_t frames = int32_t(seconds * float(kRate));
    for (int32_t i = 0; i < frames; ++i) {
        float left = 0.0f, right = 0.0f;
        signal(float(i) / float(kRate), &left, &right);
        const float values[2] = {left, right};
        for (int c = 0; c < channels; ++c) {
            const float v = std::clamp(values[c], -1.0f, 1.0f);
            if (bits == 8) {
                entry.pcm.push_back(uint8_t(std::lround(v * 127.0f) + 128));
            } else {
                const auto s = uint16_t(int16_t(std::lround(v * 32767.0f)));
                entry.pcm.push_back(uint8_t(s));
                entry.pcm.push_back(uint8_t(s >> 8));
            }
        }
    }
    return entry;
}

// A hit: a noise burst over a falling thump, both dying away.
SoundEntry Collision(const char* name, float seconds, int32_t bits, float thump, float smoothing) {
    Noise noise;
    float low = 0.0f;
    return Synthesize(name, seconds, bits, 1, [=](float t, float* out, float*) mutable {
        low += smoothing * (noise.Next() - low);
        const float decay = std::exp(-t * 6.0f / seconds);
        const float pitch = thump * (1.0f - 0.4f * t / seconds);
        *out = 0.8f * decay * (0.6f * low / std::sqrt(smoothing) * 0.5f + 0.6f * std::sin(kTwoPi * pitch * t));
    });
}

// The screens' interface sounds that the cockpit's do not give already:
// short falling tones for the buttons and hot spots, longer ones for the
// doors, hums for the rooms' ambience and loops, two-note calls for the
// voice lines. Each index
// has its own pitch so that a listener tells them apart.
void AddScreenSounds(std::vector<SoundEntry>& sounds) {
    for (int32_t i = 0; i < kUiSoundCount; ++i) {
        const std::string name = kUiSoundNames[i];
        const bool present =
            std::any_of(sounds.begin(), sounds.end(), [&](const SoundEntry& entry) { return entry.name == name; });
        if (present) continue;
        const float pitch = 300.0f + 23.0f * float(i);
        const bool loop = i >= kFirstUiLoopSound;
        const bool voice = name.rfind("VO ", 0) == 0;
        const bool ambience = loop || name.find("Amb") != std::string::npos;
        const bool door = name.find("Door") != std::string::npos;
        const float seconds = loop ? 0.5f : ambience ? 0.4f : voice || door ? 0.3f : 0.12f;
        float phase = 0.0f;
        Noise noise;
        float low = 0.0f;
        SoundEntry entry = Synthesize(name.c_str(), seconds, 8, 1, [=](float t, float* out, float*) mutable {
            const float x = t / seconds;
            if (ambience) {
                // A soft hum under filtered noise; the loops begin and end
                // at rest so that they go round without a click.
                low += 0.05f * (noise.Next() - low);
                const float edge = loop ? std::sin(3.1415927f * x) : std::min(1.0f, (1.0f - x) * 8.0f);
                *out = edge * (0.25f * std::sin(kTwoPi * pitch * 0.25f * t) + 0.8f * low);
            } else if (voice) {
                const float note = x < 0.5f ? pitch : pitch * 1.25f;
                phase += kTwoPi * note / float(kRate);
                *out = 0.4f * std::sin(phase) * std::sin(3.1415927f * std::fmod(x * 2.0f, 1.0f));
            } else {
                // A tone falling as it dies away.
                phase += kTwoPi * pitch * (1.0f - 0.5f * x) / float(kRate);
                *out = 0.6f * std::sin(phase) * std::exp(-x * 5.0f);
            }
        });
        entry.loop = loop ? 1 : 0;
        sounds.push_back(std::move(entry));
    }
}

}  // namespace

std::vector<SoundEntry> SampleSounds() {
    std::vector<SoundEntry> sounds;
    sounds.push_back(Collision("Collide Small", 0.15f, 8, 420.0f, 0.6f));
    sounds.push_back(Collision("Collide Med", 0.3f, 16, 180.0f, 0.3f));
    sounds.push_back(Collision("Collide Large", 0.6f, 16, 90.0f, 0.12f));

    // A ship passing from left to right: its pitch falls as it goes by.
    Noise flybyNoise;
    float flybyLow = 0.0f, phase = 0.0f;
    SoundEntry flyby = Synthesize("Flyby", 1.2f, 16, 2, [&](float t, float* left, float* right) {
        const float x = t / 1.2f;
        const float loudness = std::exp(-std::pow((x - 0.5f) * 4.0f, 2.0f));
        const float pitch = 300.0f + 600.0f / (1.0f + std::exp((x - 0.5f) * 12.0f));
        phase += kTwoPi * pitch / float(kRate);
        flybyLow += 0.2f * (flybyNoise.Next() - flybyLow);
        const float v = loudness * (0.5f * std::sin(phase) + 0.9f * flybyLow);
        *left = v * (1.0f - x);
        *right = v * x;
    });
    flyby.volume = 120;
    sounds.push_back(std::move(flyby));

    // A rising, trembling sweep.
    float gatePhase = 0.0f;
    SoundEntry gate = Synthesize("Jumpgate", 1.5f, 16, 1, [&](float t, float* out, float*) {
        const float pitch = 200.0f * std::pow(8.0f, t / 1.5f);
        gatePhase += kTwoPi * pitch / float(kRate);
        const float tremble = 0.75f + 0.25f * std::sin(kTwoPi * 12.0f * t);
        const float envelope = std::min(1.0f, t * 8.0f) * std::min(1.0f, (1.5f - t) * 4.0f);
        *out = 0.6f * envelope * tremble * std::sin(gatePhase);
    });
    gate.text = "The jump gate opens.";
    sounds.push_back(std::move(gate));

    // Rumbling noise that swells at once and dies slowly.
    Noise blastNoise;
    float blastLow = 0.0f, rumble = 0.0f;
    SoundEntry blast = Synthesize("Explosion", 1.8f, 16, 1, [&](float t, float* out, float*) {
        blastLow += 0.08f * (blastNoise.Next() - blastLow);
        rumble += 0.01f * (blastNoise.Next() - rumble);
        const float envelope = std::min(1.0f, t * 60.0f) * std::exp(-t * 2.2f);
        *out = envelope * (2.2f * blastLow + 6.0f * rumble);
    });
    blast.priority = 200;
    sounds.push_back(std::move(blast));

    // The cockpit: a two-tone alarm, a soft chime, and three short clicks.
    sounds.push_back(Synthesize("Warning", 0.5f, 16, 1, [](float t, float* out, float*) {
        const float pitch = std::fmod(t, 0.25f) < 0.125f ? 880.0f : 660.0f;
        *out = 0.5f * (std::sin(kTwoPi * pitch * t) > 0.0f ? 1.0f : -1.0f) * std::min(1.0f, (0.5f - t) * 20.0f);
    }));
    sounds.push_back(Synthesize("Message", 0.4f, 16, 1, [](float t, float* out, float*) {
        const float pitch = t < 0.15f ? 1046.5f : 1318.5f;
        *out = 0.45f * std::sin(kTwoPi * pitch * t) * std::exp(-t * 6.0f);
    }));
    const float clicks[3] = {2400.0f, 900.0f, 1600.0f};
    const char* const clickNames[3] = {"Click 1", "Click 2", "Click 3"};
    for (int i = 0; i < 3; ++i) {
        const float pitch = clicks[i];
        sounds.push_back(Synthesize(clickNames[i], 0.04f, 8, 1, [pitch](float t, float* out, float*) {
            *out = 0.7f * std::sin(kTwoPi * pitch * t) * std::exp(-t * 120.0f);
        }));
    }

    // The pilots' canned exclamations: ten short calls, each its own run of
    // rising or falling syllables so that a listener tells them apart.
    for (int i = 0; i < 10; ++i) {
        const int syllables = 1 + i % 3;
        const float base = 260.0f + 35.0f * float(i);
        const float glide = (i % 2 == 0 ? 1.0f : -1.0f) * (0.2f + 0.05f * float(i));
        const float seconds = 0.18f * float(syllables) + 0.1f;
        float voicePhase = 0.0f;
        const std::string name = "Excl " + std::to_string(i + 1);
        sounds.push_back(Synthesize(name.c_str(), seconds, 8, 1, [=](float t, float* out, float*) mutable {
            const float syllable = std::fmod(t, 0.18f) / 0.18f;
            const float pitch = base * (1.0f + glide * syllable);
            voicePhase += kTwoPi * pitch / float(kRate);
            // A buzzy voice: the tone and two overtones, each syllable swelling and fading.
            const float voice =
                std::sin(voicePhase) + 0.5f * std::sin(2.0f * voicePhase) + 0.25f * std::sin(3.0f * voicePhase);
            const float swell = std::sin(3.1415927f * std::min(syllable * 1.2f, 1.0f));
            const float envelope = swell * std::min(1.0f, (seconds - t) * 20.0f);
            *out = 0.4f * envelope * voice;
        }));
    }
    AddScreenSounds(sounds);
    return sounds;
}

Status WriteSoundGroup(IffFile& iff, const std::vector<SoundEntry>& sounds) {
    Status status = iff.BeginForm(MakeTag("SNDS"));
    for (const SoundEntry& sound : sounds) {
        if (status == kStatusOk) status = iff.BeginForm(MakeTag("SNDS"));
        char id[16] = {};
        std::strncpy(id, sound.name.c_str(), sizeof id - 1);
        if (status == kStatusOk) status = iff.WriteChunk(MakeTag("ID  "), id, uint32_t(std::strlen(id) + 1));
        uint8_t info[28];
        const int32_t words[7] = {sound.rate, sound.bits, sound.channels, sound.loop, sound.priority, sound.volume, sound.pan};
        for (int i = 0; i < 7; ++i) StoreLe32(info + 4 * i, uint32_t(words[i]));
        if (status == kStatusOk) status = iff.WriteChunk(MakeTag("INFO"), info, sizeof info);
        if (status == kStatusOk) status = iff.WriteChunk(MakeTag("PCM "), sound.pcm.data(), uint32_t(sound.pcm.size()));
        if (status == kStatusOk && !sound.text.empty()) {
            status = iff.WriteChunk(MakeTag("TEXT"), sound.text.c_str(), uint32_t(sound.text.size() + 1));
        }
        if (status == kStatusOk) status = iff.Ascend();
    }
    if (status == kStatusOk) status = iff.Ascend();
    return status;
}

Status WriteSoundFile(const char* path, const std::vector<SoundEntry>& sounds,
                      const std::function<Status(IffFile&)>& more) {
    IffFile iff(0);
    Status status = iff.OpenFile(path, kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(MakeTag("FX  "));
    if (status == kStatusOk) status = WriteSoundGroup(iff, sounds);
    if (status == kStatusOk && more) status = more(iff);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}
