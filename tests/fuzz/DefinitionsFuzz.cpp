// Reads any bytes as the definition files: object and equipment entries,
// faces, radio lines, decals, and the spawn records. Every reader must end its walk
// with what it could read; a read out of bounds aborts through the
// sanitizers, an endless walk by timing out.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/EngineHeap.h"
#include "engine/IffFile.h"
#include "mission/CommLines.h"
#include "mission/DecalCache.h"
#include "game/Definitions.h"
#include "mission/Faces.h"
#include "mission/SpawnRecords.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool reserved = [] {
        EngineHeap::Reserve(64u * 1024 * 1024, EngineHeap::kModeExact);
        return EngineHeap::IsReserved();
    }();
    if (!reserved) std::abort();
    const std::vector<uint8_t> bytes(data, data + size);
    spawn_records::DecodeRock(bytes.data(), uint32_t(size));
    spawn_records::DecodeGate(bytes.data(), uint32_t(size));
    spawn_records::DecodeDebris(bytes.data(), uint32_t(size));
    spawn_records::DecodeAiShip(bytes.data(), uint32_t(size));

    const auto open = [&bytes](auto read) {
        MemoryStream stream(bytes);
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() == kStatusOk) read(iff);
    };
    open([](IffFile& iff) {
        definitions::ForEachEntry(iff, definition_format::kSpobForm, [](IffFile& entry) {
            SpobDefinition spob;
            definitions::ReadSpob(entry, &spob);
            return true;
        });
        definitions::ForEachEntry(iff, definition_format::kEqobForm, [](IffFile& entry) {
            EquipmentDefinition eqob;
            definitions::ReadEqob(entry, &eqob);
            return true;
        });
        definitions::FindEntry(iff, definition_format::kSpobForm, "P101");
    });
    open([](IffFile& iff) {
        DecalCache::Decals decals;
        DecalCache::Read(iff, "P101", &decals);
        for (const DecalCache::Decal& decal : decals) {
            if (decal.picture == nullptr || decal.materialName[16] != 0) std::abort();
        }
    });
    open([](IffFile& iff) {
        FaceLibrary faces;
        faces.Read(iff);
        for (int32_t i = 0; i < faces.Count(); ++i) {
            if (faces.ByIndex(i) == nullptr) std::abort();
        }
    });
    open([](IffFile& iff) {
        std::vector<std::unique_ptr<CommLine>> lines;
        comm_lines::Read(iff, &lines);
    });
    return 0;
}
