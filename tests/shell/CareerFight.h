#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/input/KeySet.h"
#include "game/CareerRecord.h"
#include "game/CommandTable.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/Definitions.h"
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
    // guns held, and with no raider left on to the way point. Attack once:
    // T once, at launch, and at what it locked on at full throttle with the
    // guns held, whatever becomes of it. Flee: away from the nearest raider
    // at full throttle. Throttle: the throttle held up for kThrottleMs after
    // launch, then nothing. Turn: the throttle and one turn held from launch.
    enum class Plan { kAttack, kAttackOnce, kIdle, kFlee, kThrottle, kTurn };
    static const char* PlanName(Plan plan) {
        switch (plan) {
            case Plan::kAttack: return "attack";
            case Plan::kAttackOnce: return "attack once";
            case Plan::kIdle: return "idle";
            case Plan::kThrottle: return "throttle";
            case Plan::kTurn: return "turn";
            default: return "flee";
        }
    }
    // How a fight ended: won with the pilot alive, failed by its goals, the
    // pilot's ship destroyed, or still open when the test gave up on it.
    enum class End { kWon, kFailed, kDied, kOpen };
    static const char* EndName(End end) {
        switch (end) {
            case End::kWon: return "won";
            case End::kFailed: return "failed";
            case End::kDied: return "died";
            default: return "open";
        }
    }

    // The longest a fight is flown here: past every mission's time limit and
    // far past any fight's end.
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
        if (!HireWing(*game.career)) return false;
        GameRandomSeed(uint32_t(seed));
        RandomSeed(seed, seed + 1);
        game.launchFromBase = 1;
        if (SetUpMission(file, -1) != kStatusOk) return false;
        if (LaunchPlayerShip() == nullptr) return false;
        flight_goals::Start(game);
        StartFlightInput(game);
        return true;
    }

    // The fight flown by `plan` for at most `ms` and how it ended; the
    // turning pilot turns by the command `turn`. The first target the pilot
    // takes is kept in locked_, whether it was hostile in lockedHostile_,
    // whether the pilot's ship ever struck a friendly ship or was struck by
    // one in rammed_, and how often a friendly ship hit it in friendHits_.
    End Fight(const char* file, Plan plan, int32_t seed, uint32_t ms = kFightMs, uint16_t turn = 0) {
        locked_.clear();
        lockedHostile_ = false;
        rammed_ = false;
        friendHits_ = 0;
        if (!Launch(file, seed)) {
            ADD_FAILURE() << file << " does not launch";
            return End::kOpen;
        }
        GameState& game = Game();
        frames_ = 0;
        bool taken = false;
        int32_t hitAge = 0;
        for (uint32_t flown = 0; flown < ms; flown += kFrameMs) {
            auto* const ship = dynamic_cast<Craft*>(game.playerShip);
            if (ship == nullptr) return End::kDied;
            game.commands.Capture(Keys(plan, *ship, flown, turn));
            HandleFlightInput(game, kFrameMs);
            if (SpaceObject* const target = taken ? nullptr : ship->GetTarget()) {
                taken = true;
                locked_ = target->name != nullptr ? target->name : "";
                lockedHostile_ = ship->IsHostile(target);
            }
            builder_->Clock().Advance(kFrameMs);
            game.Simulate();
            rammed_ = rammed_ || RammedAFriend(*ship);
            const SpaceObject* const by = ship->lastAttacker.Get();
            friendHits_ += ship->lastHitAge != hitAge && by != nullptr && by != ship && by->side == ship->side ? 1 : 0;
            hitAge = ship->lastHitAge;
            // A pilot who dies in the frame the goals are met has not won.
            const flight_goals::Outcome outcome = flight_goals::GetOutcome();
            if (outcome == flight_goals::Outcome::kFailed) return End::kFailed;
            if (ship->dead != 0 || ship->active == 0) return End::kDied;
            if (outcome == flight_goals::Outcome::kWon) return End::kWon;
        }
        return End::kOpen;
    }

    SpaceObject* Named(const char* name) {
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) return o;
        }
        return nullptr;
    }

    std::string locked_;
    bool lockedHostile_ = false;
    bool rammed_ = false;
    int32_t friendHits_ = 0;
    // The hulls of the career's other ships, each fitted as its definition
    // fits it and flown by a pilot hired for it: the wingmen a launch brings.
    std::vector<const char*> wingHulls_;

private:
    // The wing of wingHulls_ bought, fitted and crewed; false when the data
    // tree lacks a hull or a pilot to hire.
    bool HireWing(CareerRecord& career) {
        if (wingHulls_.empty()) return true;
        IffFile definitions(0);
        const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
        if (definitions.OpenFile(path.c_str(), 0) != kStatusOk) return false;
        bool hired = true;
        for (const char* hull : wingHulls_) {
            SpobDefinition spob;
            auto ship = std::make_unique<ShipRecord>(hull);
            if (career.hirePool.empty() || ship->LoadHull() != kStatusOk ||
                definitions::FindSpobForm(definitions, hull) != kStatusOk ||
                definitions::ReadSpob(definitions, &spob) != kStatusOk) {
                hired = false;
                break;
            }
            for (const SpobDefinition::Equipment& fitted : spob.equipment) {
                auto item = std::make_unique<EquipmentItem>(fitted.id, definitions, 0);
                if (item->LoadStatus() != kStatusOk) continue;
                item->ammunition = fitted.ammunition;
                ship->PlaceStoredItem(std::move(item));
            }
            ShipRecord* const record = career.AddShip(std::move(ship));
            career.HirePilot(career.hirePool.front()->name.c_str());
            record->pilot = career.hiredPilots.back().get();
        }
        definitions.CloseFile();
        return hired;
    }

    const SpaceObject* NearestHostile(const Craft& ship) {
        const SpaceObject* nearest = nullptr;
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->type < SpaceObject::kTypeCraft || !ship.IsHostile(o)) continue;
            if (nearest == nullptr || ship.DistanceTo(*o) < ship.DistanceTo(*nearest)) nearest = o;
        }
        return nearest;
    }

    // Whether the ship and a ship of its own side struck each other this frame.
    bool RammedAFriend(const Craft& ship) {
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o == &ship || o->type < SpaceObject::kTypeCraft || o->side != ship.side) continue;
            if (o->collisionPartner.Get() == &ship || ship.collisionPartner.Get() == o) return true;
        }
        return false;
    }

    // What the pilot of `plan` holds this frame, `flown` ms after launch.
    KeySet Keys(Plan plan, Craft& ship, uint32_t flown, uint16_t turn) {
        using namespace command_table;
        KeySet keys;
        if (plan == Plan::kIdle) return keys;
        if (plan == Plan::kThrottle) {
            if (flown < kThrottleMs) keys.Set(kThrottleUp);
            return keys;
        }
        keys.Set(kThrottleUp);
        if (plan == Plan::kTurn) {
            keys.Set(turn);
            return keys;
        }
        SpaceObject* const target = ship.GetTarget();
        if (plan == Plan::kAttackOnce) {
            keys.Set(flown == 0 ? kNextTarget : kFire);
        } else if (plan == Plan::kAttack) {
            if (!ship.IsHostile(target)) {
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
        const SpaceObject* const from = plan == Plan::kFlee ? NearestHostile(ship) : target;
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
