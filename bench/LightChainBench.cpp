// The light chain of a crowded battle on its own, as a frame of the flight
// view drives it: an ambient light, the sun, a weapon flash per craft (one
// in eight flashing) and a wreck's light (400 units of reach) for every 25
// crafts, lit in the objects' own space. Each craft is a hull of 36 vertices; four
// sprites a craft (shots, sparks, smoke) are lit as a billboard is, a
// placement that only moves and one vertex facing the camera. One frame of
// N crafts a run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench/BenchCanvas.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/Random.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Model.h"
#include "scene/RenderVertex.h"
#include "scene/Transform.h"
#include "scene/ViewContext.h"

namespace {

constexpr uint32_t kCameraObjectSpace = 0x8000;
constexpr int32_t kHullVertices = 36;
constexpr int32_t kSpritesACraft = 4;

// A place in the battle's slab, 1,800 by 900 by 1,200 units.
Vector3 SomewhereInTheBattle() {
    const float x = float(GameRandom() % 1800) - 900.0f;
    const float y = float(GameRandom() % 900) - 450.0f;
    return {x, y, float(GameRandom() % 1200) + 700.0f};
}

void BM_LightChainCrowd(benchmark::State& state) {
    const int32_t crafts = int32_t(state.range(0));
    std::unique_ptr<Palette> palette(Palette::Create(kPixelFormatIndexed8));
    ShadeTable shades;
    shades.pivot = 240;
    ShadeTable* const displaced = palette->SwapShades(&shades);
    BenchCanvas canvas(palette.get());
    Camera camera;
    camera.SetCanvas(&canvas);
    camera.flags = kCameraObjectSpace;
    ViewContext view;
    view.camera = &camera;
    PushViewContext(&view);

    GameRandomSeed(7);
    Light ambient;
    ambient.intensity = 20;
    VectorLight sun(Vector3{-0.3f, -0.8f, 0.5f});
    sun.InsertAfter(&ambient);
    std::vector<std::unique_ptr<FrameAttenuatedLight>> lights;
    std::vector<Transform> hulls(static_cast<size_t>(crafts));
    for (size_t i = 0; i < hulls.size(); ++i) {
        const Vector3 at = SomewhereInTheBattle();
        hulls[i].RotateY(float(GameRandom() % 360), Transform::kAllFlags);
        hulls[i].SetPosition(&at, Transform::kAllFlags);
        lights.push_back(std::make_unique<FrameAttenuatedLight>(at, 0.0f, 12.0f));
        if (i % 8 != 0) lights.back()->flags |= Light::kFlagOff;
        if (i % 25 == 0) {
            lights.push_back(std::make_unique<FrameAttenuatedLight>(SomewhereInTheBattle(), 30.0f, 400.0f));
        }
    }
    Light* last = &sun;
    for (const auto& light : lights) {
        light->InsertAfter(last);
        last = light.get();
    }
    std::vector<MeshVertex> hull(kHullVertices);
    for (MeshVertex& vertex : hull) {
        const Vector3 normal = RandomDifferenceVector();
        const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
        vertex = {8.0f * normal.x / length, 8.0f * normal.y / length, 8.0f * normal.z / length, 0.0f,
                  normal.x / length, normal.y / length, normal.z / length, 0.0f};
    }
    std::vector<Vector3> sprites;
    for (int32_t i = 0; i < kSpritesACraft * crafts; ++i) sprites.push_back(SomewhereInTheBattle());
    const MeshVertex facing{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f};

    int64_t sum = 0;
    for (auto _ : state) {
        Light::BeginDrawing();
        for (const Transform& placed : hulls) {
            ambient.Prepare(&placed);
            for (const MeshVertex& vertex : hull) {
                RenderVertex lit;
                ambient.LightVertex(vertex, lit, 0);
                sum += lit.intensity;
            }
        }
        for (const Vector3& at : sprites) {
            Transform placed;
            placed.SetPosition(&at, Transform::kAllFlags);
            ambient.Prepare(&placed);
            RenderVertex lit;
            ambient.LightVertex(facing, lit, 1);
            sum += lit.intensity;
        }
        Light::EndDrawing();
    }
    benchmark::DoNotOptimize(sum);
    state.counters["objects"] = double(crafts * (1 + kSpritesACraft));

    sun.Unlink();
    for (const auto& light : lights) light->Unlink();
    PopViewContext(&view);
    palette->SwapShades(displaced);
}
BENCHMARK(BM_LightChainCrowd)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
