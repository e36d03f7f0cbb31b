// Reads any bytes as chunk files of keyframe ("KEYF") and body-part token
// ("ETOK") forms. Every key read must sit in a track whose keys run in time
// order, and a token table holds no more records than it declared; a read
// out of bounds aborts through the sanitizers, an endless walk by timing out.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/EngineHeap.h"
#include "engine/IffFile.h"
#include "scene/KeyframeTrack.h"
#include "scene/TokenTable.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool reserved = [] {
        EngineHeap::Reserve(64u * 1024 * 1024, EngineHeap::kModeExact);
        return EngineHeap::IsReserved();
    }();
    Check(reserved);
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return 0;
    KeyframeTrack library;
    TokenTable tokens;
    while (iff.NextChunk() == kStatusOk) {
        if (iff.ChunkId() != IffFile::kFormId) continue;
        library.ReadForm(iff);
        Check(iff.Level() == 0);
        tokens.ReadForm(iff);
        Check(iff.Level() == 0);
    }
    uint32_t keys = 0;
    for (const KeyframeAnimation* a = library.animations; a != nullptr; a = a->next) {
        for (const Keyframe* track = a->tracks; track != nullptr; track = track->nextTrack) {
            for (const Keyframe* k = track; k != nullptr; k = k->nextKey) {
                ++keys;
                Check(k->mask == track->mask);
                if (k->nextKey != nullptr) Check(k->time <= k->nextKey->time);
            }
        }
    }
    Check(keys == library.keyCount);
    Check(tokens.count >= 0 && tokens.count <= TokenTable::kMaxTokens);
    tokens.MaskForName("ARMWEAP1F");
    return 0;
}
