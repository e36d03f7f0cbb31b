#include "sound/SoundEffectLibrary.h"

#include <cstring>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"

SoundEffectLibrary* g_soundEffects = nullptr;

Status SoundEffectLibrary::Load(const char* fileName) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return kStatusCannotOpen;
    const Status result = iff.ValidateHeader() == kStatusOk ? Read(iff) : kStatusCannotOpen;
    iff.CloseFile();
    return result;
}

Status SoundEffectLibrary::Read(IffFile& file) {
    bool failed = false;
    const Status walked = SoundEffectDef::ForEachEntry(file, [this, &failed](IffFile& iff) {
        auto sound = std::make_unique<SoundEffectDef>();
        const Status read = sound->Read(iff);
        if (read == kStatusOk) {
            sounds.push_back(std::move(sound));
        } else {
            ++refused;
        }
        failed = read != kStatusOk && read != kStatusMalformed;
        return !failed;
    });
    return failed ? kStatusCannotOpen : walked;
}

const SoundEffectDef* SoundEffectLibrary::Find(const char* name) const {
    if (name == nullptr) return nullptr;
    for (const auto& sound : sounds) {
        if (std::strcmp(sound->name, name) == 0) return sound.get();
    }
    return nullptr;
}
