// The host's projectile pass: 200 shots in flight among 100 ships of ten
// parts each, none of them hitting, so every frame pays the whole search.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/ships/Craft.h"
#include "objects/weapons/Projectile.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"

namespace {

struct ProjectileField {
    ProjectileField() {
        previous = g_gameState;
        g_gameState = &game;
        game.mission = &mission;
        const auto model = [this](float radius) {
            models.push_back(std::make_unique<Model>());
            models.back()->sphere.radius = radius;
            return models.back().get();
        };
        auto* const hull = new SpaceObject(model(20.0f));
        for (int part = 0; part < 9; ++part) {
            auto* const node = new SceneObject(model(3.0f));
            node->local.SetPositionXyz(float(part % 3 - 1) * 8.0f, float(part / 3 - 1) * 8.0f, 0.0f, Transform::kAllFlags);
            node->AttachToParent(hull, 0);
        }
        shipTemplate.reset(hull);
        for (int i = 0; i < 100; ++i) {
            auto* const ship = new Craft(shipTemplate.get());
            ship->type = SpaceObject::kTypeAiShip;
            ship->Activate(0);
            ship->collisionDelay = 0;
            ship->UpdateVisibility();
            ship->SetPositionFlags({float(i % 10) * 200.0f, float(i / 10) * 200.0f, 0.0f}, Transform::kAllFlags | 0x10);
            game.AddObjectsToWorld(ship, 0);
        }
        // Shots between the rows, close enough for every coarse test to pass.
        for (int i = 0; i < 200; ++i) {
            const Vector3 from{float(i % 10) * 200.0f + 100.0f, float(i / 20) * 200.0f + 100.0f, -50.0f};
            auto* const shot = new Projectile(nullptr, DamageRecord{}, 0, {0, 0, 600}, from, nullptr, nullptr, 1000000, nullptr);
            shot->currentPoint = from.Sum(Vector3{0.0f, 0.0f, 20.0f});
            shots.push_back(shot);
        }
    }
    ~ProjectileField() {
        for (Projectile* shot : shots) delete shot;
        while (mission.firstObject != nullptr) {
            SpaceObject* const object = mission.firstObject;
            object->OnRemove(1);
            delete object;
        }
        game.mission = nullptr;
        g_gameState = previous;
    }
    GameState game;
    GameState* previous = nullptr;
    Mission mission;
    std::vector<std::unique_ptr<Model>> models;
    std::unique_ptr<SpaceObject> shipTemplate;
    std::vector<Projectile*> shots;
};

void BM_UpdateProjectiles(benchmark::State& state) {
    ProjectileField field;
    for (auto _ : state) UpdateProjectiles();
    state.counters["projectiles"] = double(field.game.projectiles.Count());
}
BENCHMARK(BM_UpdateProjectiles);

}  // namespace
