// Reads any bytes as a FORM "EMSH" mesh, with and without the material
// modes and a palette. A read either succeeds with faces whose every vertex
// index lies inside the vertex array, or fails and leaves nothing behind;
// a read out of bounds aborts through the sanitizers, a broken promise or a
// walk left at another level aborts here.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "display/PixelFormat.h"
#include "engine/EngineHeap.h"
#include "engine/IffFile.h"
#include "engine/WorldContext.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void ReadAs(const uint8_t* data, size_t size, uint32_t mode, Palette* palette) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk || iff.NextChunk() != kStatusOk) return;
    Model model;
    Matrix34 matrix{};
    char parent[16] = {};
    const Status status = model.ReadMeshForm(iff, nullptr, palette, &matrix, parent, mode);
    Check(iff.Level() == 0);
    if (status != kStatusOk) {
        Check(model.vertices == nullptr && model.faces == nullptr && model.materials == nullptr);
        return;
    }
    Check(model.vertices != nullptr && model.faces != nullptr);
    for (uint32_t i = 0; i < model.faceCount; ++i) {
        const FaceRecord& f = model.faces[i];
        Check(f.a < model.vertexCount && f.b < model.vertexCount && f.c < model.vertexCount);
        if (f.material != 0) Check(f.material <= model.materialCount);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool reserved = [] {
        EngineHeap::Reserve(256u * 1024 * 1024, EngineHeap::kModeExact);
        return EngineHeap::IsReserved();
    }();
    Check(reserved);
    static std::unique_ptr<Palette> palette = [] {
        std::unique_ptr<Palette> made = MakeDistinctPalette(kPixelFormatIndexed8);
        made->SetTables(0, nullptr, nullptr);
        return made;
    }();
    WorldContext world(4096, 4096);
    ReadAs(data, size, 0, nullptr);
    ReadAs(data, size, Model::kModeAnimated | Model::kModeWorldImages, palette.get());
    Check(world.liveMaterials == 0);
    return 0;
}
