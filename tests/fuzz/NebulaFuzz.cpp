// Reads any bytes as a definitions file holding a nebula, and builds what
// loads: every index of the mesh must lie within its vertices.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/IffFile.h"
#include "game/GameState.h"
#include "objects/effects/Nebula.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static GameState* const game = [] {
        auto* const made = new GameState;
        g_gameState = made;
        return made;
    }();
    (void)game;
    for (const char* name : {"Nebula 1", "Cloud"}) {
        MemoryStream stream(std::vector<uint8_t>(data, data + size));
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() != kStatusOk) return 0;
        std::unique_ptr<Nebula> nebula(Nebula::NebulaFromIff(iff, name, {1.0f, 2.0f, 3.0f}));
        if (nebula == nullptr) continue;
        nebula->Build();
        const int32_t n = nebula->pointCount;
        if (n < 2 || nebula->vertices.size() != size_t(3 * n - 2) || nebula->faces.size() != size_t(4 * n - 6)) std::abort();
        for (const Nebula::Face& face : nebula->faces) {
            for (const uint16_t index : face.index) {
                if (index >= nebula->vertices.size()) std::abort();
            }
        }
    }
    return 0;
}
