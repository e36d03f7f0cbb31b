#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/input/KeySet.h"
#include "game/CareerRecord.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/FlightGoals.h"
#include "mission/MissionSetUp.h"
#include "objects/effects/EffectSupport.h"
#include "objects/ships/Craft.h"
#include "shell/FlightInput.h"
#include "tests/support/world/SampleMissionTest.h"

// A campaign mission as a new career flies it: set up from the base in the
// career's own ship and flown through the flight keys by a small pilot that
// decides each frame what it holds, from what the ship shows (its target,
// its way point and where they lie).
class CareerFight : public SampleMissionTest {
protected:
    // Attack: T until a raider is targeted, at it at full throttle with the
    // guns held, and with no raider left on to the way point. Flee: away
    // from the nearest raider at full throttle. Throttle: the throttle held
    // up for kThrottleMs after launch, then nothing.
    enum class Plan { kAttack, kIdle, kFlee, kThrottle };
    static const char* PlanName(Plan plan) {
        switch (plan) {
            case Plan::kAttack: return "attack";
            case Plan::kIdle: return "idle";
            case Plan::kThrottle: return "throttle";
            default: return "flee";
        }
    }
    // How a fight ended: won with the pilot alive, the pilot shot down,
    // failed by its goals, or still open when the test gave up.
    enum class End { kWon, kShotDown, kFailed, kOpen };
    static const char* EndName(End end) {
        switch (end) {
            case End::kWon: return "won";
            case End::kShotDown: return "shot down";
            case End::kFailed: return "failed";
            default: return "open";
        }
    }

    // The longest a fight is flown here: past every mission's time limit.
    static constexpr uint32_t kFightMs = 150000;
    static constexpr uint32_t kFrameMs = 50;
    static constexpr uint32_t kThrottleMs = 2000;
    // Within this many degrees of the nose the pilot stops turning that way.
    static constexpr float kDeadZone = 2.0f;

    // The mission as a new career flies it: the war room's accept sets it
    // up and the hangar launches the career's ship. False when it will not fly.
    bool Launch(const char* file, int32_t seed) {
        GameState& game = Game();
        delete game.career;
        game.career = new CareerRecord;
        GameRandomSeed(uint32_t(seed));
        RandomSeed(seed, seed + 1);
        game.launchFromBase = 1;
        if (SetUpMission(file, -1) != kStatusOk) return false;
        if (LaunchPlayerShip() == nullptr) return false;
        flight_goals::Start(game);
        StartFlightInput(game);
        return true;
    }

    // The fight flown to its end.
    End Fight(const char* file, Plan plan, int32_t seed) {
        if (!Launch(file, seed)) {
            ADD_FAILURE() << file << " does not launch";
            return End::kOpen;
        }
        GameState& game = Game();
        frames_ = 0;
        for (uint32_t flown = 0; flown < kFightMs; flown += kFrameMs) {
            auto* const ship = dynamic_cast<Craft*>(game.playerShip);
            if (ship == nullptr || ship->dead != 0 || ship->active == 0) return End::kShotDown;
            game.commands.Capture(Keys(plan, *ship, flown));
            HandleFlightInput(game, kFrameMs);
            builder_->Clock().Advance(kFrameMs);
            game.Simulate();
            const flight_goals::Outcome outcome = flight_goals::GetOutcome();
            if (outcome != flight_goals::Outcome::kOpen) return outcome == flight_goals::Outcome::kWon ? End::kWon : End::kFailed;
        }
        return End::kOpen;
    }

    SpaceObject* Named(const char* name) {
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) return o;
        }
        return nullptr;
    }

private:
    const SpaceObject* NearestHostile(const Craft& ship) {
        const SpaceObject* nearest = nullptr;
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->type < SpaceObject::kTypeCraft || o->active == 0 || o->side == 0 || o->side == ship.side) continue;
            if (nearest == nullptr || ship.DistanceTo(*o) < ship.DistanceTo(*nearest)) nearest = o;
        }
        return nearest;
    }

    // What the pilot of `plan` holds this frame, `flown` ms after launch.
    KeySet Keys(Plan plan, Craft& ship, uint32_t flown) {
        using namespace command_table;
        KeySet keys;
        if (plan == Plan::kIdle) return keys;
        if (plan == Plan::kThrottle) {
            if (flown < kThrottleMs) keys.Set(kThrottleUp);
            return keys;
        }
        keys.Set(kThrottleUp);
        SpaceObject* const target = ship.GetTarget();
        if (plan == Plan::kAttack) {
            if (target == nullptr || target->active == 0 || target->side == 0 || target->side == ship.side) {
                // A new press each second frame: T while a raider is left,
                // else N until the HUD shows a way point, then at it.
                const bool press = (++frames_ & 1) != 0;
                if (NearestHostile(ship) != nullptr) {
                    if (press) keys.Set(kNextTarget);
                } else if (const SpaceObject* const point = ship.navTarget.Get()) {
                    TurnToward(keys, effects::PointToLocal(ship.world, point->Position()));
                } else if (press) {
                    keys.Set(kNextNavPoint);
                }
                return keys;
            }
            keys.Set(kFire);
        }
        // Attack the target; flee from the nearest raider.
        const SpaceObject* const from = plan == Plan::kAttack ? target : NearestHostile(ship);
        if (from == nullptr) return keys;
        Vector3 local = effects::PointToLocal(ship.world, from->Position());
        if (plan == Plan::kFlee) local = Vector3{-local.x, -local.y, -local.z};
        TurnToward(keys, local);
        return keys;
    }

    // The turn keys toward a point in the ship's own frame.
    static void TurnToward(KeySet& keys, const Vector3& local) {
        using namespace command_table;
        const float yaw = std::atan2(local.x, local.z) * 57.29578f;
        const float pitch = std::atan2(local.y, std::hypot(local.x, local.z)) * 57.29578f;
        if (yaw > kDeadZone) keys.Set(kYawRight);
        if (yaw < -kDeadZone) keys.Set(kYawLeft);
        if (pitch > kDeadZone) keys.Set(kNoseUp);
        if (pitch < -kDeadZone) keys.Set(kNoseDown);
    }

    uint32_t frames_ = 0;
};
