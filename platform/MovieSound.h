#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A movie's sound: the whole primary audio track decoded to 16-bit stereo
// at 44.1 kHz, and played from a position through the sound output (SDL2
// audio), the default renderer of the movie players.
class MovieSound {
public:
    static constexpr int32_t kRate = 44100;
    static constexpr int32_t kChannels = 2;

    MovieSound() = default;
    ~MovieSound();
    MovieSound(const MovieSound&) = delete;
    MovieSound& operator=(const MovieSound&) = delete;

    // False, with the reason, when the file has no sound that decodes.
    bool Load(const std::string& path, std::string* reason);
    // Interleaved left and right samples.
    const std::vector<int16_t>& Samples() const { return samples_; }
    // Plays from `fromMs` on; false when no output can be opened (the
    // movie then plays silent).
    bool Start(int64_t fromMs);
    void Stop();
    bool Playing() const { return device_ != 0; }
    // Bytes still waiting in the output.
    uint32_t QueuedBytes() const;

private:
    std::vector<int16_t> samples_;
    uint32_t device_ = 0;
    bool subsystem_ = false;
};

}  // namespace platform
