// What the pilot AI and the missions call on a craft or an AI ship: maneuver
// picks, steering and position tests, weapon reach, the radio, and the AI
// ship's think step.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "ai/AiBrain.h"
#include "ai/Maneuver.h"
#include "ai/WingGroup.h"
#include "engine/Clock.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/CommLine.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/RadioMessage.h"
#include "objects/effects/EffectSupport.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/PlayerShip.h"
#include "objects/ships/ShipRadio.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/EngineSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/Weapon.h"
#include "scene/Model.h"
#include "sound/SoundEffectDef.h"
#include "sound/SoundObject.h"

namespace {

constexpr float kDegrees = 57.29578f;
constexpr float kSoftAngle = 10.0f;

// The point, seen from an object's frame.
Vector3 InFrameOf(const SpaceObject& object, const Vector3& point) { return effects::PointToLocal(object.world, point); }

const SpaceObject* PlayerShipObject() { return g_gameState != nullptr ? g_gameState->playerShip : nullptr; }

bool SideAdmits(int32_t rule, int32_t side) {
    switch (rule) {
        case 0: return true;
        case 1: return side > 0;
        case 2: return side == 0;
        case 3: return side < 0;
        default: return false;
    }
}

bool AnyOrEqual(int32_t wanted, int32_t value) { return wanted == 0 || wanted == value; }

}  // namespace

int32_t Craft::IsTargetAhead() {
    const SpaceObject* const target = GetTarget();
    return target != nullptr && InFrameOf(*this, target->Position()).z > 0.0f ? 1 : 0;
}

int32_t Craft::IsAheadOfTarget() {
    const SpaceObject* const target = GetTarget();
    return target != nullptr && InFrameOf(*target, Position()).z > 0.0f ? 1 : 0;
}

int32_t Craft::PlayerOnPlusX() const {
    const SpaceObject* const player = PlayerShipObject();
    return player != nullptr && InFrameOf(*this, player->Position()).x > 0.0f ? 1 : 0;
}

int32_t Craft::PlayerOnMinusX() const {
    const SpaceObject* const player = PlayerShipObject();
    return player != nullptr && InFrameOf(*this, player->Position()).x < 0.0f ? 1 : 0;
}

int32_t Craft::PlayerOnPlusY() const {
    const SpaceObject* const player = PlayerShipObject();
    return player != nullptr && InFrameOf(*this, player->Position()).y > 0.0f ? 1 : 0;
}

int32_t Craft::PlayerOnMinusY() const {
    const SpaceObject* const player = PlayerShipObject();
    return player != nullptr && InFrameOf(*this, player->Position()).y < 0.0f ? 1 : 0;
}

int32_t Craft::PlayerBehind() const {
    const SpaceObject* const player = PlayerShipObject();
    return player != nullptr && InFrameOf(*this, player->Position()).z < 0.0f ? 1 : 0;
}

void Craft::PitchRatePlus(int32_t p) { rotationRates.x = float(p) * maxTurnRate * 0.01f; }
void Craft::PitchRateMinus(int32_t p) { rotationRates.x = -float(p) * maxTurnRate * 0.01f; }
void Craft::YawRatePlus(int32_t p) { rotationRates.y = float(p) * maxTurnRate * 0.01f; }
void Craft::YawRateMinus(int32_t p) { rotationRates.y = -float(p) * maxTurnRate * 0.01f; }
void Craft::RollRatePlus(int32_t p) { rotationRates.z = float(p) * maxTurnRate * 0.01f; }
void Craft::RollRateMinus(int32_t p) { rotationRates.z = -float(p) * maxTurnRate * 0.01f; }

int32_t Craft::SteerToward(const Vector3& direction) {
    const Vector3 d = effects::DirectionToLocal(world, direction);
    if (d.Length() == 0.0f) return 0;
    float yaw = d.z != 0.0f ? std::atan2(d.x, d.z) * kDegrees : 0.0f;
    float pitch = d.z != 0.0f ? std::atan2(d.y, d.z) * kDegrees : 0.0f;
    // Near the wanted heading the turn softens.
    if (yaw > -kSoftAngle && yaw < kSoftAngle) yaw /= 3.0f;
    if (pitch > -kSoftAngle && pitch < kSoftAngle) pitch /= 3.0f;
    SetRotationVector({-pitch, yaw, 0.0f});
    return yaw == 0.0f && pitch == 0.0f ? 1 : 0;
}

int32_t Craft::GetMaxWeaponRange() {
    int32_t longest = 0;
    for (ShipSystem* system : GetWeaponList()) {
        if (system->typeId == Weapon::kMissileLauncher) continue;
        longest = std::max(longest, static_cast<Weapon*>(system)->GetRange());
    }
    return longest;
}

void AiShip::PickRandomManeuver() {
    if (defensiveManeuvers.Count() == 0) return;
    currentManeuver = defensiveManeuvers[GameRandom() % defensiveManeuvers.Count()];
    currentManeuver->Reset();
}

void AiShip::PickAttackManeuver() {
    DynArray<Maneuver*>& list = IsTargetAhead() != 0 ? attackManeuvers : aggressiveManeuvers;
    if (list.Count() == 0) return;
    currentManeuver = list[GameRandom() % list.Count()];
    currentManeuver->Reset();
}

void AiShip::NotifyBrain(int32_t event) {
    if (brain != nullptr) brain->SetBehavior(event);
}

void AiShip::CreateBrain(WingGroup* group) {
    delete brain;
    brain = new AiBrain(this);
    wingGroup = group;
    if (group != nullptr) group->AddShip(this);
}

void AiShip::SayCommMessage(const char* keyword) {
    GameState* const game = g_gameState;
    const SpaceObject* const player = game != nullptr ? game->playerShip : nullptr;
    if (player == nullptr) return;
    const bool named = faceName != nullptr && std::strcmp(faceName, kNamedFace) == 0;
    if (!named && keyword == nullptr) return;
    const int32_t playerClass = ship_radio::ShipClass(player->ModelName());
    const int32_t shipClass = ship_radio::ShipClass(ModelName());
    if (playerClass == 6 || shipClass == 6) return;

    const bool keyed = keyword != nullptr && keyword[0] != 0;
    std::vector<CommLine*> candidates;
    int64_t total = 0;
    for (const auto& line : game->commLines) {
        if (line->generic != (keyword == nullptr ? 1 : 0)) continue;
        if (keyed && line->keyword != keyword) continue;
        if (!AnyOrEqual(line->race, race) || !AnyOrEqual(line->shipClass, shipClass) ||
            !AnyOrEqual(line->voiceGender, voiceGender) || !AnyOrEqual(line->playerClass, playerClass)) {
            continue;
        }
        if ((line->when != 0 && line->when != 1) || line->usesLeft == 0 || !SideAdmits(line->sideRule, side) ||
            line->text.empty()) {
            continue;
        }
        candidates.push_back(line.get());
        total += line->weight;
    }
    if (total < 1) return;
    int64_t r = GameRandom() % total;
    CommLine* chosen = nullptr;
    for (CommLine* line : candidates) {
        r -= line->weight;
        if (r < 0) {
            chosen = line;
            break;
        }
    }
    if (chosen == nullptr) return;
    game->commLine = chosen;
    --chosen->usesLeft;

    SoundObject* voice = nullptr;
    if (chosen->soundFlag > 0) {
        char file[32];
        std::snprintf(file, sizeof file, "comm%02d.iff", int(chosen->race % 100));
        SoundEffectDef sample;
        const std::string path = g_dataDirs.Prefix(DataDir::kData) + file;
        if (sample.Load(chosen->sample.c_str(), path.c_str()) == kStatusOk) voice = new SoundObject(sample);
    }
    auto* const message =
        new RadioMessage(ship_radio::FaceOf(*this), chosen->text.c_str(), this, voice, uint32_t(std::max(0, chosen->displayTime)));
    if (game->shownRadio == nullptr) {
        game->ShowRadioMessage(message, GetMilliseconds());
    } else if (pendingMessage == nullptr) {
        pendingMessage = message;
    } else {
        delete message;
    }
}

void AiShip::SayWingmanMessage(int32_t n) {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    game->lastSpeaker = this;
    if (game->shownRadio != nullptr || game->playerShip == nullptr || wingGroup == nullptr ||
        wingGroup != ship_radio::PlayerWing()) {
        return;
    }
    // Calmer pilots speak with the first voice; never past the third.
    const int32_t step = std::clamp((100 - traits[2]) / 35, 0, 2);
    char sample[8];
    std::snprintf(sample, sizeof sample, "%c%c%02d", char('B' + step), ship_radio::VoiceLetter(voiceGender), int(n % 100));
    game->ShowRadioMessage(ship_radio::WingmanLine(*this, sample), GetMilliseconds());
}

void AiShip::UpdateParts(uint32_t milliseconds) {
    if (wingGroup != nullptr && wingGroup->IsSteppedBy(this)) wingGroup->Update();
    if (isBase != 0 || aiEnabled == 0) return;
    GameState* const game = g_gameState;
    SpaceObject* const player = game != nullptr ? game->playerShip : nullptr;
    Mission* const mission = game != nullptr ? game->mission : nullptr;
    const uint32_t now = GetMilliseconds();

    if (sawPlayer != 0 && player != nullptr && mission != nullptr && mission->playerReported == 0 && side < 0) {
        const int32_t delay = mission->ReportDelayMs(game->difficulty);
        if (delay >= 0 && int64_t(now - reportClock) > delay) {
            bool jammed = false;
            for (ShipSystem* jammer : game->ActiveJammers()) {
                jammed = jammed || static_cast<JammerSystem*>(jammer)->IsJamming(this);
            }
            if (jammed) {
                reportClock = now;
            } else {
                mission->playerReported = 1;
            }
        }
    }
    if (pendingMessage != nullptr && game != nullptr && game->shownRadio == nullptr && player != nullptr &&
        DistanceTo(*player) < kMessageRange) {
        game->ShowRadioMessage(pendingMessage, now);
        pendingMessage = nullptr;
    }
    auto* const targeting = static_cast<TargetingSystem*>(GetSystem(ShipSystem::kTargeting, nullptr));
    trackedTarget = targeting != nullptr ? targeting->GetTarget() : nullptr;

    if (game != nullptr && game->aiEnabled != 0) {
        if (brain != nullptr) brain->frameMs = int32_t(std::min<uint32_t>(milliseconds, 1000));
        if (brain == nullptr || brain->mode != 1) {
            if (currentManeuver != nullptr && currentManeuver->Update(this) != 0) {
                freeDrift = 0;
                if (auto* const engine = static_cast<EngineSystem*>(GetSystem(ShipSystem::kEngine, nullptr))) {
                    engine->StopAfterburner();
                }
                currentManeuver = nullptr;
            }
            if (brain != nullptr && GetWeaponList().Count() > 0) brain->UpdateFireControl();
            if (currentManeuver == nullptr && brain != nullptr) {
                brain->Think();
                brain->ExecuteBehavior();
            }
        } else {
            brain->Think();
            brain->ExecuteBehavior();
        }
        if (wingGroup != nullptr) WingGroup::Setup(wingGroup, this);
    } else {
        SetRotationVector({0.0f, 0.0f, 0.0f});
        angularVelocity = {};
    }
    Craft::UpdateParts(milliseconds);
}
