#pragma once
#include <cstdint>
#include <functional>
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
// cockpit's "Warning", "Message", "Click 1", "Click 2" and "Click 3", and
// the exclamations "Excl 1" to "Excl 10", then every interface sound of
// the screens that these do not name.
std::vector<SoundEntry> SampleSounds();
class IffFile;

// The group FORM "SNDS" of one entry FORM "SNDS" each, at the writer's level.
Status WriteSoundGroup(IffFile& iff, const std::vector<SoundEntry>& sounds);
// FORM "FX  " holding the sounds' group, then whatever `more` writes inside
// the form (the visual effect records share the file).
Status WriteSoundFile(const char* path, const std::vector<SoundEntry>& sounds,
                      const std::function<Status(IffFile&)>& more = {});
