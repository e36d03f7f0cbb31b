#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/EngineAllocation.h"

// The music a mission or the menus hold: an XMIDI file whole in memory and
// the number of the CD track that may stand in for it.
class MusicFile : public EngineObject {
public:
    // Larger files are no tune of ours; the reader is not asked to walk them.
    static constexpr size_t kMaxBytes = 4u << 20;

    MusicFile(std::vector<uint8_t> bytes, int32_t track);
    // The file whole; null when it cannot be read or is empty or too large.
    static std::unique_ptr<MusicFile> Load(const char* path, int32_t track);

    const uint8_t* Data() const { return bytes_.data(); }
    size_t Size() const { return bytes_.size(); }
    int32_t GetTrack() const { return track_; }
    // Takes n only when 0 < n < the CD's track count as the current sound
    // device reports it (0 without a device or a CD); either way the music
    // starts again.
    void SetTrack(int32_t n);

private:
    std::vector<uint8_t> bytes_;
    int32_t track_ = 0;
};
