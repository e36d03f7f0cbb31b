#include "tools/world/DemoWorld.h"

#include <cstdio>
#include <cstring>

#include "ai/WingGroup.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/ships/AiShip.h"
#include "objects/space/Asteroid.h"
#include "objects/space/Debris.h"
#include "objects/space/Decoy.h"
#include "objects/space/JumpGate.h"
#include "objects/space/Mine.h"
#include "objects/space/HullObject.h"
#include "objects/space/Missile.h"
#include "mission/SpawnRecords.h"
#include "objects/space/MovingObject.h"
#include "objects/space/NavBuoy.h"
#include "objects/space/SpawnRecords.h"
#include "objects/space/WayPoint.h"
#include "objects/space/WorldPass.h"
#include "platform/Clock.h"
#include "platform/SteppedClock.h"
#include "scene/Model.h"

namespace {

std::vector<std::string>* g_log = nullptr;

std::string Describe(const SpaceObject* object) {
    if (object == nullptr) return "nothing";
    char text[64];
    std::snprintf(text, sizeof text, "%s #%d", object->name != nullptr ? object->name : "?", object->uoid);
    return text;
}

void Log(const std::string& line) {
    if (g_log != nullptr) g_log->push_back(line);
}

// The demo's kinds log what happens to them: a hull takes damage until its
// hit points run out and explodes; a rock breaks up when struck hard.
template <typename Base>
class Logged : public Base {
public:
    using Base::Base;
    ~Logged() override { Log("removed " + Describe(this)); }
    int32_t TakeDamage(int32_t part, const DamageRecord& damage, SpaceObject* source) override {
        char text[128];
        std::snprintf(text, sizeof text, "collision: %s hit by %s on part %d for %d", Describe(this).c_str(),
                      Describe(source).c_str(), part, damage.amounts[1]);
        Log(text);
        this->hitPoints -= damage.amounts[1];
        if (this->hitPoints < 1 && this->active != 0) this->Explode(source, 0);
        return 1;
    }
    void Destroy(SpaceObject* killerObject, int32_t fromNetwork) override {
        Log("destroyed " + Describe(this) + " by " + Describe(killerObject));
        Base::Destroy(killerObject, fromNetwork);
    }
};

}  // namespace

struct DemoWorld::Watch {
    platform::SteppedClock clock{100000};
    platform::Clock* previousClock = nullptr;
    Mission mission;
    std::vector<std::string> log;
};

DemoWorld::DemoWorld(int32_t hulls, int32_t drifters, int32_t aiShips)
    : game_(std::make_unique<GameState>()), previous_(g_gameState), watch_(std::make_unique<Watch>()) {
    watch_->previousClock = platform::Clock::Install(&watch_->clock);
    g_gameState = game_.get();
    game_->mission = &watch_->mission;
    g_log = &watch_->log;
    RegisterSpaceObjects();
    GameRandomSeed(7);
    const auto ball = [this](const char* name, float radius) {
        auto model = std::make_unique<Model>();
        std::strncpy(model->name, name, Model::kNameLength);
        model->sphere.radius = radius;
        model->box.min = Vector3{-radius * 0.7f, -radius * 0.7f, -radius * 0.7f};
        model->box.max = Vector3{radius * 0.7f, radius * 0.7f, radius * 0.7f};
        auto* const made = new SpaceObject(model.get());
        models_.push_back(std::move(model));
        templates_.push_back(made);
        return made;
    };
    SpaceObject* const hullTemplate = ball("HULL00000", 30.0f);
    SpaceObject* const rockTemplate = ball("ROCK00000", 12.0f);
    SpaceObject* const buoyTemplate = ball("BUOY00000", 5.0f);
    const auto spread = [](float range) { return float(GameRandom() % 2001 - 1000) * range / 1000.0f; };
    char name[32];
    for (int32_t i = 0; i < hulls; ++i) {
        auto* const hull = new Logged<HullObject>(hullTemplate);
        std::snprintf(name, sizeof name, "Hull %d", i + 1);
        hull->SetName(name);
        hull->SetPositionFlags(Vector3{spread(600.0f), spread(600.0f), -1500.0f - 40.0f * float(i)}, Transform::kAllFlags | 0x10);
        hull->previousPosition = hull->Position();
        hull->SetAccelerations(80.0f + float(i % 5) * 10.0f, 30.0f);
        hull->SetMaxRates(40.0f, 20.0f);
        hull->mass = 10.0f;
        hull->hitPoints = hull->maxHitPoints = 300;
        hull->Activate(0);
        hull->collisionDelay = 0;
        hull->UpdateVisibility();
        hull->groupKey = 2;
        game_->AddObjectsToWorld(hull, 0);
    }
    for (int32_t i = 0; i < drifters; ++i) {
        const Vector3 at{spread(700.0f), spread(700.0f), spread(600.0f)};
        SpaceObject* object = nullptr;
        if (i % 10 == 9) {
            NavBuoyRecord record;
            record.position = at;
            std::snprintf(record.name, sizeof record.name, "Buoy %d", i + 1);
            record.spinRange = 20;
            object = new Logged<NavBuoy>(buoyTemplate, &record, true);
            object->groupKey = 5;
        } else {
            auto* const rock = new Logged<MovingObject>(rockTemplate);
            rock->type = SpaceObject::kTypeAsteroid;
            rock->collisionMask = 1u << SpaceObject::kTypeHull;
            rock->SetPositionFlags(at, Transform::kAllFlags | 0x10);
            rock->previousPosition = at;
            rock->velocity = Vector3{spread(15.0f), spread(15.0f), spread(15.0f)};
            rock->SetAccelerations(30.0f, 20.0f);
            rock->angularVelocity = Vector3{spread(10.0f), spread(10.0f), 0.0f};
            rock->mass = 50.0f;
            rock->hitPoints = 200;
            rock->Activate(0);
            rock->collisionDelay = 0;
            rock->UpdateVisibility();
            rock->groupKey = 7;
            object = rock;
        }
        std::snprintf(name, sizeof name, "%s %d", object->type == SpaceObject::kTypeNavBuoy ? "Buoy" : "Rock", i + 1);
        object->SetName(name);
        game_->AddObjectsToWorld(object, 0);
    }
    // AI ships in wings of four, each wing led by its first ship; the wing
    // goes with the first of its ships to be deleted.
    WingGroup* wing = nullptr;
    for (int32_t i = 0; i < aiShips; ++i) {
        spawn_records::AiShip record;
        for (int axis = 0; axis < 3; ++axis) record.transform[axis * 4] = 1.0f;
        record.position[0] = spread(600.0f);
        record.position[1] = spread(600.0f);
        record.position[2] = 1500.0f + 40.0f * float(i);
        record.race = 16 + i % 9;
        std::snprintf(record.wing, sizeof record.wing, "Wing %d", i / 4 + 1);
        auto* const ship = new AiShip(hullTemplate, &record, "AI05");
        std::snprintf(name, sizeof name, "Pilot %d", i + 1);
        ship->SetName(name);
        ship->SetSide(i % 2 == 0 ? 1 : 2);
        ship->velocity = Vector3{0.0f, 0.0f, -40.0f};
        ship->groupKey = 16;
        if (i % 4 == 0) wing = new WingGroup(record.wing);
        ship->CreateBrain(wing);
        game_->AddObjectsToWorld(ship, 0);
    }
    // A rock field scattered around one point, a few mines, a gate, a piece
    // of debris; a carrier missile that splits, and a decoy behind a hull.
    SpaceObject* const mineTemplate = ball("MINE00000", 2.0f);
    SpaceObject* const gateTemplate = ball("GATE00000", 60.0f);
    SpaceObject* const missileTemplate = ball("MISSL0000", 0.5f);
    for (int32_t i = 0; i < 6; ++i) {
        spawn_records::Rock field;
        field.position = Vector3{900.0f, 0.0f, 0.0f};
        field.scatter = 250.0f;
        field.drift = 8.0f;
        std::snprintf(field.name, sizeof field.name, "Field %d", i + 1);
        auto* const rock = new Logged<Asteroid>(rockTemplate, field);
        rock->groupKey = 7;
        rock->SetName(field.name);
        game_->AddObjectsToWorld(rock, 0);
    }
    for (int32_t i = 0; i < 3; ++i) {
        spawn_records::Rock minefield;
        minefield.position = Vector3{0.0f, 300.0f, -800.0f + 200.0f * float(i)};
        minefield.scatter = 40.0f;
        std::snprintf(minefield.name, sizeof minefield.name, "Mine %d", i + 1);
        auto* const mine = new Logged<Mine>(mineTemplate, minefield);
        mine->groupKey = 8;
        mine->SetName(minefield.name);
        game_->AddObjectsToWorld(mine, 0);
    }
    spawn_records::Gate gateRecord;
    gateRecord.position = Vector3{-900.0f, 0.0f, 0.0f};
    for (int axis = 0; axis < 3; ++axis) gateRecord.transform[axis * 4] = 1.0f;
    std::snprintf(gateRecord.name, sizeof gateRecord.name, "Gate");
    {
        auto* const gate = new Logged<JumpGate>(gateTemplate, gateRecord);
        gate->groupKey = 10;
        gate->SetName("Gate");
        game_->AddObjectsToWorld(gate, 0);
    }
    spawn_records::Debris wreck;
    wreck.position = Vector3{0.0f, -300.0f, 0.0f};
    wreck.drift = 4.0f;
    std::snprintf(wreck.name, sizeof wreck.name, "Wreck");
    {
        auto* const debris = new Logged<Debris>(rockTemplate, wreck);
        debris->groupKey = 9;
        debris->SetName("Wreck");
        game_->AddObjectsToWorld(debris, 0);
    }
    // The bomblets are plain missiles: they come and go unlogged within the run.
    auto* const payload = new Missile(missileTemplate);
    templates_.push_back(payload);
    {
        auto* const carrier = new Logged<Missile>(missileTemplate);
        carrier->groupKey = 12;
        carrier->SetName("Carrier");
        carrier->SetPositionFlags(Vector3{0.0f, 0.0f, -400.0f}, Transform::kAllFlags | 0x10);
        carrier->SetLaunchParams(payload, 3, 1500, 40.0f);
        carrier->lifetime = 4000;
        carrier->Activate(10.0f);
        game_->AddObjectsToWorld(carrier, 0);
    }
    {
        auto* const decoy = new Logged<Decoy>(missileTemplate);
        decoy->groupKey = 11;
        decoy->SetName("Decoy");
        decoy->owner = game_->mission->firstObject;
        decoy->craftLureChance = decoy->missileLureChance = 50;
        decoy->Activate(8.0f);
        game_->AddObjectsToWorld(decoy, 0);
    }
    WayPointRecord point;
    std::snprintf(point.name, sizeof point.name, "Nav 1");
    point.position = Vector3{0.0f, 0.0f, 2000.0f};
    SpaceObject* const wayPoint = game_->CreateObject(4, "Nav 1", &point, templates_[0]);
    if (wayPoint != nullptr) {
        wayPoint->groupKey = 4;
        wayPoint->SetName("Nav 1");
        game_->AddObjectsToWorld(wayPoint, 0);
    }
}

DemoWorld::~DemoWorld() {
    while (game_->mission->firstObject != nullptr) {
        SpaceObject* const object = game_->mission->firstObject;
        object->OnRemove(1);
        delete object;
    }
    for (SpaceObject* templateObject : templates_) delete templateObject;
    g_log = nullptr;
    game_->mission = nullptr;
    game_.reset();
    g_gameState = previous_;
    platform::Clock::Install(watch_->previousClock);
}

std::vector<std::string> DemoWorld::Step(uint32_t milliseconds) {
    watch_->clock.Advance(milliseconds);
    watch_->log.clear();
    game_->Simulate();
    return watch_->log;
}

int32_t DemoWorld::ObjectCount() const {
    int32_t count = 0;
    for (SpaceObject* object = game_->mission->firstObject; object != nullptr; object = object->GetNext()) ++count;
    return count;
}
