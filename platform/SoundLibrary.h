#pragma once
#include <cstdint>
#include <memory>

#include "platform/AudioMixer.h"
#include "platform/AudioOutput.h"

namespace platform {

// The game's sound library: started and shut down once, it opens the
// digital driver (our mixer on an output) and plays samples on handles,
// under three master volumes. XMIDI and CD audio have no driver here: their
// volumes are kept and nothing else.
class SoundLibrary {
public:
    enum class Master { kDigital, kMidi, kCd };
    using SampleHandle = AudioMixer::Handle;
    static constexpr SampleHandle kNoSample = AudioMixer::kNoVoice;

    explicit SoundLibrary(std::unique_ptr<AudioOutput> output);
    virtual ~SoundLibrary();
    SoundLibrary(const SoundLibrary&) = delete;
    SoundLibrary& operator=(const SoundLibrary&) = delete;

    // Opens the digital driver; false when the output has no device.
    bool Startup();
    void Shutdown();
    bool DigitalDriver() const { return digital_; }
    // No XMIDI driver yet; a test library may claim one.
    virtual bool MidiDriver() const { return false; }

    virtual SampleHandle StartSample(std::shared_ptr<const SampleData> data, const VoiceSettings& settings);
    virtual void StopSample(SampleHandle handle);
    virtual void StopAllSamples();
    void ChangeSample(SampleHandle handle, const VoiceSettings& settings);
    bool SampleDone(SampleHandle handle) const;
    // Gives the samples of ended voices back; once per frame.
    void Service();

    // 0 to 127; the digital one scales every voice.
    void SetMasterVolume(Master which, int32_t volume);
    int32_t MasterVolume(Master which) const;

    AudioOutput& Output() { return *output_; }
    AudioMixer& Mixer() { return mixer_; }

private:
    AudioMixer mixer_;
    std::unique_ptr<AudioOutput> output_;
    bool digital_ = false;
    int32_t midiVolume_ = 127;
    int32_t cdVolume_ = 127;
};

}  // namespace platform
