#include "game/CareerRecord.h"

int32_t CareerOptions::Word(int index) const {
    const int32_t words[kWords] = {textures,     spaceDust,     extraLights,   shadingLevel, alphaBlend,  invulnerability,
                                   unlimitedAmmo, unlimitedFuel, invisibility, inertialOff,  soundVolume, musicVolume};
    return index >= 0 && index < kWords ? words[index] : 0;
}

AccuracyRecord::Count* AccuracyRecord::ForKind(int32_t kind) {
    switch (kind) {
        case 23: return &byKind[0];
        case 21: return &byKind[1];
        case 20: return &byKind[2];
        case 22: return &byKind[3];
        default: return nullptr;
    }
}
