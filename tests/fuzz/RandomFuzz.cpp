// Reads any bytes as the random missions' table. Whatever is kept must be
// in range: templates of a known kind with bounded counts, never more of
// them than the cap; a refused table leaves the one before untouched.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "mission/RandomMissionGenerator.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return 0;
    RandomMissionGenerator generator;
    generator.pays[0] = 7;
    const Status read = generator.Read(iff);
    if (read != kStatusOk && (generator.pays[0] != 7 || !generator.Templates().empty())) std::abort();
    if (generator.Templates().size() > size_t(RandomMissionGenerator::kMaxTemplates)) std::abort();
    for (const RandomMissionGenerator::Template& entry : generator.Templates()) {
        if (entry.kind < 0 || entry.kind >= RandomMissionGenerator::kKinds) std::abort();
        for (const int32_t count : {entry.enemies, entry.asteroids, entry.mines}) {
            if (count < 0 || count > RandomMissionGenerator::kMaxCount) std::abort();
        }
        if (entry.description.size() >= RandomMissionGenerator::kDescriptionBytes) std::abort();
    }
    return 0;
}
