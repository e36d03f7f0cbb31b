#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The sound library's MIDI driver: a General MIDI synthesizer that renders
// 44100 Hz signed 16-bit stereo on demand, with no audio device of its own.
// Made and destroyed on the game thread; once handed to the music voice it
// is driven by the mixing thread alone.
class MidiSynthesizer {
public:
    static constexpr int32_t kRate = 44100;

    // The first General MIDI SoundFont that opens: $VORN_SOUNDFONT, the
    // system's default one, then the small one our packages install. Null
    // when none does: there is no MIDI driver.
    static std::unique_ptr<MidiSynthesizer> Open();
    // Null when the file is no SoundFont the synthesizer can load.
    static std::unique_ptr<MidiSynthesizer> OpenSoundFont(const std::string& path);
    ~MidiSynthesizer();
    MidiSynthesizer(const MidiSynthesizer&) = delete;
    MidiSynthesizer& operator=(const MidiSynthesizer&) = delete;

    // One channel message (status 0x80 to 0xEF); others are ignored.
    void Send(uint8_t status, uint8_t data1, uint8_t data2);
    // Cuts every sounding voice at once and puts every channel back to its
    // power-on programs and controllers.
    void Reset();
    // Overwrites `frames` interleaved stereo frames.
    void Render(int16_t* out, size_t frames);

    const std::string& SoundFont() const { return path_; }

private:
    struct Engine;
    MidiSynthesizer(std::unique_ptr<Engine> engine, std::string path);

    std::unique_ptr<Engine> engine_;
    std::string path_;
};

}  // namespace platform
