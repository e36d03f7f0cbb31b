// Reads any bytes as the effect definitions, flares and registries both.
// What loads must hold only the frames it counts, and freeing must leave
// nothing behind.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

template <typename Record>
void CheckFrames(const Record* chain) {
    for (; chain != nullptr; chain = chain->next) {
        if (chain->frameCount < 0 || size_t(chain->frameCount) != chain->frames.size()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static GameState* const game = new GameState;
    {
        MemoryStream stream(std::vector<uint8_t>(data, data + size));
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() == kStatusOk) ReadFlares(iff);
    }
    {
        MemoryStream stream(std::vector<uint8_t>(data, data + size));
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() == kStatusOk) ReadEffectRegistries(iff, *game);
    }
    CheckFrames(g_explosionTypes);
    CheckFrames(g_beamTypes);
    CheckFrames(g_streamTypes);
    for (const StreamType* stream = g_streamTypes; stream != nullptr; stream = stream->next) {
        if (stream->frameCount < 1 || stream->timePerFrame < 1) std::abort();
    }
    FreeFx();
    FreeEffectRegistries();
    if (g_explosionTypes != nullptr || g_flareTable.Count() != 0) std::abort();
    return 0;
}
