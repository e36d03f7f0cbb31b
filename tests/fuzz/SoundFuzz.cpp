// Reads any bytes as a sound definition file ("fx.iff" or a voice file).
// Every definition kept must be playable as read: a known format, whole
// frames, samples converted; a read out of bounds aborts through the
// sanitizers, an endless walk by timing out.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "sound/SoundEffectLibrary.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return 0;
    SoundEffectLibrary library;
    library.Read(iff);
    for (const auto& sound : library.sounds) {
        Check(sound->samples != nullptr && sound->samples->Frames() > 0);
        Check(sound->samples->channels == sound->channels);
        Check(sound->samples->samples.size() % size_t(sound->channels) == 0);
        Check(sound->name[SoundEffectDef::kNameBytes] == 0);
        Check(sound->volume >= 0 && sound->volume <= 127 && sound->pan >= 0 && sound->pan <= 127);
        Check(library.Find(sound->name) != nullptr);
    }
    return 0;
}
