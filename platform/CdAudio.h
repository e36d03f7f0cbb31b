#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/SampleData.h"

namespace platform {

// The CD's audio tracks, as files "track%02d.wav" in one folder: each a
// 16-bit PCM WAV of one or two channels. A file of another format or
// layout, or whose data runs past its end or ends in a broken frame, is no
// track. The CD holds tracks 0 to the highest good number, so its count is
// that number + 1, or 0 without a good track.
class CdAudio {
public:
    static constexpr int32_t kMaxTracks = 100;   // what two digits can name
    // Rates outside this range are no CD track (and would make a slow one
    // grow beyond reason when brought to the mix rate).
    static constexpr int32_t kMinRate = 4000;
    static constexpr int32_t kMaxRate = 192000;

    // Looks at the folder (a prefix the file names follow directly, so it
    // ends in '/'); the track count.
    int32_t Open(const std::string& folder);
    int32_t TrackCount() const { return count_; }
    // The track at 44100 Hz stereo, or null when `track` is no good track.
    std::shared_ptr<const SampleData> Load(int32_t track) const;

    std::string TrackPath(int32_t track) const;

private:
    std::string folder_;
    int32_t count_ = 0;
};

// Linear resampling to 44100 Hz stereo (mono is heard on both sides).
std::shared_ptr<SampleData> ToMixFormat(const SampleData& in);

}  // namespace platform
