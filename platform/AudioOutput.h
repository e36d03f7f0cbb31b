#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class AudioMixer;

// Where the mixer's sound goes: a sound card pulling it on its own thread,
// or nothing, with the mix taken on demand.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts pulling from the mixer; false when there is no device.
    virtual bool Open(AudioMixer& mixer) = 0;
    virtual void Close() = 0;
    virtual std::string Description() const = 0;
};

// No device: the mix is taken when asked for, into a buffer or a WAV file.
class HeadlessAudioOutput : public AudioOutput {
public:
    bool Open(AudioMixer& mixer) override;
    void Close() override;
    std::string Description() const override { return "headless"; }

    // The next `frames` stereo frames of the mix (empty when closed).
    std::vector<int16_t> Render(size_t frames);

private:
    AudioMixer* mixer_ = nullptr;
};

// The sound card through SDL2, on a device of its own so that a movie's
// sound can be open beside it.
class SdlAudioOutput : public AudioOutput {
public:
    ~SdlAudioOutput() override;
    bool Open(AudioMixer& mixer) override;
    void Close() override;
    std::string Description() const override;

private:
    uint32_t device_ = 0;
    bool subsystem_ = false;
    std::string name_;
};

// A 16-bit PCM WAV file of interleaved samples.
std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int32_t rate, int32_t channels);
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int32_t rate, int32_t channels);

}  // namespace platform
