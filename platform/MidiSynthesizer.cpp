#include "platform/MidiSynthesizer.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <sys/stat.h>

namespace platform {

namespace {

constexpr const char* kSystemSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";
constexpr const char* kPackagedSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
// The synthesizer's own gain: loud enough for one instrument, with room for
// a full arrangement before the mixer clips.
constexpr float kGain = 0.4f;

bool IsFile(const char* path) {
    struct stat info {};
    return path != nullptr && path[0] != 0 && stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

void QuietLog() {
    // The library prints its warnings to the terminal by default; a missing
    // or odd SoundFont is reported by us as "no MIDI driver" instead.
    static const bool once = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
        return true;
    }();
    (void)once;
}

}  // namespace

struct MidiSynthesizer::Engine {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    ~Engine() {
        if (synth != nullptr) delete_fluid_synth(synth);
        if (settings != nullptr) delete_fluid_settings(settings);
    }
};

MidiSynthesizer::MidiSynthesizer(std::unique_ptr<Engine> engine, std::string path)
    : engine_(std::move(engine)), path_(std::move(path)) {}

MidiSynthesizer::~MidiSynthesizer() = default;

std::unique_ptr<MidiSynthesizer> MidiSynthesizer::Open() {
    const char* const candidates[] = {std::getenv("VORN_SOUNDFONT"), kSystemSoundFont, kPackagedSoundFont};
    for (const char* path : candidates) {
        if (!IsFile(path)) continue;
        if (auto synthesizer = OpenSoundFont(path)) return synthesizer;
    }
    return nullptr;
}

std::unique_ptr<MidiSynthesizer> MidiSynthesizer::OpenSoundFont(const std::string& path) {
    if (!IsFile(path.c_str())) return nullptr;
    QuietLog();
    auto engine = std::make_unique<Engine>();
    engine->settings = new_fluid_settings();
    if (engine->settings == nullptr) return nullptr;
    fluid_settings_setnum(engine->settings, "synth.sample-rate", double(kRate));
    fluid_settings_setnum(engine->settings, "synth.gain", kGain);
    // Rendering happens on the mixing thread only, in the caller's blocks.
    fluid_settings_setint(engine->settings, "synth.cpu-cores", 1);
    // No effects: their tails would outlast a reset and sound on into the next tune.
    fluid_settings_setint(engine->settings, "synth.reverb.active", 0);
    fluid_settings_setint(engine->settings, "synth.chorus.active", 0);
    engine->synth = new_fluid_synth(engine->settings);
    if (engine->synth == nullptr) return nullptr;
    if (fluid_synth_sfload(engine->synth, path.c_str(), 1) == FLUID_FAILED) return nullptr;
    return std::unique_ptr<MidiSynthesizer>(new MidiSynthesizer(std::move(engine), path));
}

void MidiSynthesizer::Send(uint8_t status, uint8_t data1, uint8_t data2) {
    fluid_synth_t* const synth = engine_->synth;
    const int channel = status & 0x0F;
    data1 &= 0x7F;
    data2 &= 0x7F;
    switch (status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
        case 0x90:
            if (data2 == 0) {
                fluid_synth_noteoff(synth, channel, data1);
            } else {
                fluid_synth_noteon(synth, channel, data1, data2);
            }
            break;
        case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
        case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
        case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
        case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
        case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
        default: break;
    }
}

void MidiSynthesizer::Reset() {
    // In this order: the reset on its own lets sounding voices ring on.
    fluid_synth_system_reset(engine_->synth);
    fluid_synth_all_sounds_off(engine_->synth, -1);
}

void MidiSynthesizer::Render(int16_t* out, size_t frames) {
    fluid_synth_write_s16(engine_->synth, int(frames), out, 0, 2, out, 1, 2);
}

}  // namespace platform
