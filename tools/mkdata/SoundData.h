#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Status.h"

// One sound definition as "fx.iff" holds it: PCM bytes as they are stored
// (unsigned 8-bit or signed 16-bit little-endian, interleaved when stereo).
struct SoundEntry {
    std::string name;
    int32_t rate = 22050;
    int32_t bits = 16;
    int32_t channels = 1;
    int32_t loop = 0;
    int32_t priority = 0;
    int32_t volume = 127;
    int32_t pan = 64;
    std::vector<uint8_t> pcm;
    std::string text;   // written as "TEXT" when not empty
};

// The synthesized sounds of the sample tree: "Collide Small", "Collide
// Med", "Collide Large", "Flyby", "Jumpgate", "Explosion", and the
// cockpit's "Warning", "Message", "Click 1", "Click 2" and "Click 3".
std::vector<SoundEntry> SampleSounds();
// FORM "FX  " holding the group FORM "SNDS" of one entry FORM "SNDS" each.
Status WriteSoundFile(const char* path, const std::vector<SoundEntry>& sounds);
