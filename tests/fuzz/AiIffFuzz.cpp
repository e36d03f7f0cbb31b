// Reads any bytes as "ai.iff" and as "aidetail.iff". Whatever is kept must
// have come from the bytes: no more records than whole DATA chunks could
// hold, no name longer than its bound.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "objects/ships/AiTables.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    {
        MemoryStream stream(bytes);
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() == kStatusOk) {
            ai_tables::TraitTables tables;
            ai_tables::ReadTraits(iff, &tables);
            if ((tables.ships.size() + tables.races.size()) * (ai_tables::kDataBytes + 8) > size) std::abort();
        }
    }
    MemoryStream stream(bytes);
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return 0;
    std::vector<ai_tables::KillShip> ships;
    ai_tables::ReadKillLists(iff, &ships);
    for (const ai_tables::KillShip& ship : ships) {
        if (ship.name.size() > ai_tables::kMaxNameBytes) std::abort();
        for (const auto& skill : ship.maneuvers) {
            for (const auto& list : skill) {
                for (const auto& name : list) {
                    if (name.size() > ai_tables::kMaxNameBytes) std::abort();
                }
            }
        }
    }
    return 0;
}
