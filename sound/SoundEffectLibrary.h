#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Status.h"
#include "sound/SoundEffectDef.h"

class IffFile;

// The sound definitions of "fx.iff", found by exact name. The one the game
// loaded at start-up is reached through g_soundEffects (null before).
class SoundEffectLibrary {
public:
    // Every readable entry of the file; entries that are refused are
    // counted and passed over. 0, or 10 when the file cannot be read.
    Status Load(const char* fileName);
    // The same over a reader whose header has been checked.
    Status Read(IffFile& iff);
    const SoundEffectDef* Find(const char* name) const;

    std::vector<std::unique_ptr<SoundEffectDef>> sounds;
    int32_t refused = 0;
};

extern SoundEffectLibrary* g_soundEffects;
