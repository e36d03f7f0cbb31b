#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/Status.h"
#include "platform/SampleData.h"

class IffFile;

// One sound of "fx.iff" or of a voice file: inside FORM "FX  ", a group
// FORM "SNDS" of entry FORMs "SNDS", each holding "ID  " (the name, at most
// 16 bytes with its NUL), "INFO" (seven little-endian i32: rate, bits 8 or
// 16, channels 1 or 2, loop, base priority, volume 0-127, pan 0-127),
// "PCM " (unsigned 8-bit or signed 16-bit little-endian samples, interleaved
// when stereo) and an optional "TEXT".
class SoundEffectDef {
public:
    static constexpr int kNameBytes = 16;
    static constexpr uint32_t kFxForm = 0x20205846;   // "FX  "
    static constexpr uint32_t kSoundsForm = 0x53444E53;   // "SNDS"
    static constexpr int32_t kMinRate = 4000;
    static constexpr int32_t kMaxRate = 96000;
    // A larger "PCM " chunk is refused before anything is allocated for it.
    static constexpr uint32_t kMaxPcmBytes = 32u << 20;

    // Reads the entry FORM "SNDS" the reader stands on, and leaves it:
    // 0; 10 unreadable; 11 not an entry form; 12 a chunk missing, of the
    // wrong size or with values out of range (rate, bits, channels, or a
    // "PCM " that is not whole frames).
    Status Read(IffFile& iff);
    // The entry called `entry` of a voice file ("comm%02d.iff",
    // "commwm.iff"): 0, 10 when the file cannot be read, 11 when it holds
    // no such entry, or the entry's own failure.
    Status Load(const char* entry, const char* fileName);

    // Calls `visit` on every entry form of the file, in order, until it
    // returns false: 0 when the walk ended, 10 when the file could not be
    // opened or walked.
    static Status ForEachEntry(const char* fileName, const std::function<bool(IffFile&)>& visit);
    // The same over a reader whose header has been checked.
    static Status ForEachEntry(IffFile& iff, const std::function<bool(IffFile&)>& visit);

    char name[kNameBytes + 1] = {};
    int32_t rate = 0;
    int32_t bits = 0;
    int32_t channels = 0;
    int32_t loop = 0;
    int32_t priority = 0;
    int32_t volume = 127;
    int32_t pan = 64;
    std::string text;
    std::shared_ptr<const platform::SampleData> samples;
};
