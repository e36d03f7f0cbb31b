// One pass of the war-room map over 500 objects of every class within its
// range: the object list rebuilt, each object projected and classed, the
// symbols sorted and drawn (on a canvas that draws nothing) and the panel
// filled, with the sample art's symbol images.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchCanvas.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "navmap/WarRoomMapScreen.h"
#include "objects/space/SpaceObject.h"
#include "scene/Model.h"
#include "bench/BenchSampleTree.h"

namespace {

constexpr int32_t kObjects = 500;

void BM_NavMapPass(benchmark::State& state) {
    std::string error;
    const std::string& root = BenchSampleTree(&error);
    if (root.empty() || !g_dataDirs.Find(root)) {
        state.SkipWithError(error.c_str());
        return;
    }
    {
        GameState game;
        GameState* const previousGame = g_gameState;
        g_gameState = &game;
        Mission mission;
        game.mission = &mission;
        std::unique_ptr<Palette> palette(Palette::Create(kPixelFormatRgb565));
        BenchCanvas canvas(palette.get(), 640, 480);
        Canvas* const previousCanvas = g_gameCanvas;
        g_gameCanvas = &canvas;
        const struct {
            const char* model;
            int32_t kind;
        } kinds[] = {{"AA09", SpaceObject::kTypeAiShip},  {"AA17", SpaceObject::kTypeAiShip},
                     {"ROCK-01", SpaceObject::kTypeAsteroid}, {"BUOY", SpaceObject::kTypeNavBuoy},
                     {"MINE", SpaceObject::kTypeMine},    {"BASE-CCCH9", SpaceObject::kTypeAiShip}};
        std::vector<std::unique_ptr<Model>> models;
        std::vector<SpaceObject*> templates;
        for (const auto& kind : kinds) {
            auto model = std::make_unique<Model>();
            std::strncpy(model->name, kind.model, Model::kNameLength);
            templates.push_back(new SpaceObject(model.get()));
            models.push_back(std::move(model));
        }
        std::vector<SpaceObject*> objects;
        char name[32];
        for (int32_t i = 0; i < kObjects; ++i) {
            const auto& kind = kinds[size_t(i) % std::size(kinds)];
            auto* const object = new SpaceObject(templates[size_t(i) % std::size(kinds)]);
            object->type = kind.kind;
            object->active = 1;
            object->side = i % 3;
            std::snprintf(name, sizeof name, kind.kind == SpaceObject::kTypeAsteroid ? "Field %d" : "Object %d", i % 40);
            object->SetName(name);
            const float x = float((i * 37) % 7000 - 3500);
            const float z = float((i * 53) % 7000 - 3500);
            const float y = float((i * 29) % 3000 - 1500);
            object->SetPositionFlags(Vector3{x, y, z}, Transform::kAllFlags | 0x10);
            object->groupKey = uint32_t(kind.kind);
            game.AddObjectsToWorld(object, 0);
            objects.push_back(object);
        }
        {
            WarRoomMapScreen screen;
            screen.InitFilterButtons();
            screen.listObjects = 1;
            screen.mapRange = WarRoomMapScreen::kStartRange;
            screen.selectedObject = objects[2];
            for (auto _ : state) {
                screen.DrawMap(screen.mapCamera, screen.mapRange);
                benchmark::DoNotOptimize(screen.symbols.data());
            }
            state.counters["symbols"] = double(screen.symbols.size());
        }
        for (SpaceObject* object : objects) {
            object->OnRemove(1);
            delete object;
        }
        for (SpaceObject* made : templates) delete made;
        game.mission = nullptr;
        g_gameCanvas = previousCanvas;
        g_gameState = previousGame;
    }
    g_dataDirs.Clear();
}
BENCHMARK(BM_NavMapPass)->Unit(benchmark::kMicrosecond);

}  // namespace
