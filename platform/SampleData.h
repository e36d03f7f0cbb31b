#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A sound's samples as the mixer plays them: signed 16-bit, interleaved when
// stereo, at their own rate. Made once when a sound is read and never
// changed afterwards, so that the audio thread can read it while the game
// thread holds it.
struct SampleData {
    int32_t rate = 22050;
    int32_t channels = 1;
    std::vector<int16_t> samples;

    size_t Frames() const { return channels > 0 ? samples.size() / size_t(channels) : 0; }
};

}  // namespace platform
