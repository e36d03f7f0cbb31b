// Reads any bytes as a scene file, with every load flag of the scene reader
// (objects, hierarchy, cameras, lights and the model read flags), so that
// the camera and light records are fuzzed with it. A read either succeeds
// with the counts the header announced, or fails and leaves the scene
// empty; a leak, a read out of bounds or a walk left at another level
// aborts.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "display/PixelFormat.h"
#include "engine/EngineHeap.h"
#include "engine/IffFile.h"
#include "engine/WorldContext.h"
#include "scene/Camera.h"
#include "scene/Frame.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void ReadAs(const uint8_t* data, size_t size, uint32_t loadFlags, Palette* palette) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return;
    Scene scene;
    while (iff.NextChunk() == kStatusOk) {
        if (iff.ChunkId() != IffFile::kFormId) continue;
        const Status status = scene.ReadForm(iff, nullptr, palette, loadFlags);
        Check(iff.Level() == 0);
        if (status != kStatusOk) {
            Check(scene.objects == nullptr && scene.cameras == nullptr && scene.lights == nullptr);
            continue;
        }
        uint32_t cameras = 0, lights = 0;
        for (Camera* c = scene.cameras; c != nullptr; c = c->next) ++cameras;
        for (Light* l = scene.lights; l != nullptr; l = l->next) lights += l->kind != Light::kKindAmbient;
        Check(cameras == scene.cameraCount && lights == scene.lightCount);
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
    ReadAs(data, size, Scene::kLoadLights | Scene::kLoadCameras | Scene::kLoadObjects | Scene::kLoadHierarchy,
           nullptr);
    ReadAs(data, size, 0xFF, palette.get());
    ReadAs(data, size, Scene::kLoadObjects, nullptr);
    ReadAs(data, size, Scene::kLoadJointedObjects | Scene::kLoadHierarchy | Scene::kLoadCameras, nullptr);
    ReadAs(data, size, 0, nullptr);
    Check(world.liveMaterials == 0);
    return 0;
}
