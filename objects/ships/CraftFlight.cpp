// The craft's frame step and the ends of its flight: the death that Explode
// starts and the frame step finishes (debris, respawn), the cloak fade, the
// engine glow, jumps through gates and the ripple of a shield hit.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "mission/Decals.h"
#include "mission/MissionSetUp.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/ExplosionSparks.h"
#include "objects/effects/FxObject.h"
#include "objects/effects/StreamEffect.h"
#include "objects/effects/TimedEffect.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/ships/ShipRadio.h"
#include "objects/space/Debris.h"
#include "objects/space/KindSupport.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "scene/FaceRecord.h"
#include "scene/Light.h"
#include "scene/Model.h"

namespace {

constexpr float kWreckViewDistance = 40.0f;
constexpr int32_t kWreckViewMode = 6;
constexpr uint32_t kWreckLightMs = 6000;
constexpr uint8_t kWreckLightLevel = 25;
constexpr float kFireJitter = 1.0f, kFireSprite = 1.75f;
constexpr float kSmokeJitter = 1.75f;
constexpr int32_t kDebrisSparks = 4;
constexpr float kJumpFlashReach = 3000.0f;
constexpr uint8_t kRippleAlpha = 200;
constexpr uint8_t kRippleFade = 40;
constexpr uint8_t kCloakEntryAlpha = 0xE5;
constexpr uint32_t kLitFace = 0x2;
// Debris pieces: scene flag 16 off, 20 to 22 on.
constexpr uint32_t kDebrisFlagsOff = 1u << 16;
constexpr uint32_t kDebrisFlagsOn = (1u << 20) | (1u << 21) | (1u << 22);

uint32_t GameType() {
    const GameState* const game = g_gameState;
    return game != nullptr && game->netSettings != nullptr ? game->netSettings->gameType : 0;
}

// -1, 0 or +1: the difference of two coin tosses.
float Jostle() { return float((GameRandom() & 1) - (GameRandom() & 1)); }

void ForEachFace(Model* model, void (*visit)(FaceRecord& face, uint8_t alpha), uint8_t alpha) {
    if (model == nullptr) return;
    for (uint32_t i = 0; i < model->faceCount; ++i) visit(model->faces[i], alpha);
}

void SetAlpha(FaceRecord& face, uint8_t alpha) {
    for (uint8_t& level : face.translucency) level = alpha;
}

// A piece of debris shaped like one part of the wreck.
Debris* DebrisFromPart(const ObjectPart& part) {
    auto* const debris = new Debris(nullptr);
    if (debris == nullptr) return nullptr;
    // The piece is as big as the part was on the craft.
    debris->local.Scale(part.node->world.scale, Transform::kAllFlags);
    auto* const node = new SceneObject(part.node->model);
    if (node != nullptr) {
        node->AttachToParent(debris, 0);
        node->UpdateWorldTransform(Transform::kUpdateInverse);
        if (auto* const piece = new ObjectPart(node)) debris->parts.Append(piece);
    }
    debris->flags = (debris->flags & ~kDebrisFlagsOff) | kDebrisFlagsOn;
    return debris;
}

}  // namespace

void Craft::ShowOpaqueParts() {
    for (ObjectPart* part : parts) {
        if (part->solid == 0 || part->node == nullptr) continue;
        part->node->flags &= ~kFlagHiddenObject;
        ForEachFace(part->node->model, [](FaceRecord& face, uint8_t alpha) {
            face.flags &= ~FaceRecord::kTranslucent;
            SetAlpha(face, alpha);
        }, 255);
    }
}

void Craft::Explode(SpaceObject* killerObject, int32_t fromNetwork) {
    GameState* const game = g_gameState;
    dead = 1;
    // A wreck goes through no gate: a jump it was making ends here, so that
    // its death runs its course and is seen as one.
    jumpDeadline = 0;
    angularVelocity.AddAssign({float(GameRandom() - GameRandom()), float(GameRandom() - GameRandom()),
                               float(GameRandom() - GameRandom())});
    if (cloakFade > 0) {
        ShowOpaqueParts();
        cloakFade = 0;
    }
    if (game != nullptr && game->playerShip == this) {
        // The player watches the wreck from the chase object.
        game->viewMode = kWreckViewMode;
        game->viewedObject = game->chaseObject;
        game->viewSwitches[0] = 1;
        game->viewSwitches[1] = 0;
        game->chaseDistance = kWreckViewDistance;
        game->chaseFollowing = 0;
        game->playerView = 0;
    }
    if (game != nullptr && game->career != nullptr && game->career->options.LightsOn()) {
        auto* const light = new FrameAttenuatedLight(Position(), 30.0f, 400.0f);
        if (light != nullptr) {
            light->intensity = kWreckLightLevel;
            game->Lights().Add(new TimedLightHolder(light, kWreckLightMs));
        }
    }
    if (game != nullptr) {
        for (const char* explosion : explosionNames) {
            const int32_t partIndex = parts.Count() > 0 ? GameRandom() % parts.Count() : -1;
            FxObject* const effect = FxObject::FxObjectAt(this, explosion);
            if (effect == nullptr) continue;
            if (partIndex >= 0 && parts[partIndex]->node != nullptr) {
                effect->position = effects::WorldPosition(*parts[partIndex]->node);
            }
            if (firstExplosion == nullptr) {
                firstExplosion = effect;
                effect->watcher = &firstExplosion;
            }
            game->RegisterObjectGroup(effect, game->effectKey, 1);
        }
    }
    if (parts.Count() > 0) {
        delete parts[0]->attached;
        auto* const fire = new StreamEffect("Fire");
        if (fire != nullptr) {
            fire->jitter = kFireJitter;
            fire->spriteSide = kFireSprite;
        }
        parts[0]->attached = fire;
    }
    Destroy(killerObject, fromNetwork);
}

int32_t Craft::CanRespawn() const {
    if (respawns != 0) return 1;
    const NetSession* const session = kinds::ActiveSession();
    if (session == nullptr || !session->IsHost()) return 0;
    // The games that bring ships back (team battles and the free-for-alls).
    const uint32_t gameType = GameType();
    if (gameType != 2 && gameType != 3 && gameType != 6 && gameType != 7) return 0;
    return type >= kTypePlayerShip && session->FindPlayerByUoid(uoid) == -1 ? 1 : 0;
}

void Craft::Jump(SpaceObject* gate) {
    jumpDeadline = int32_t(Age() + kJumpMs);
    if (gate != nullptr) TakePlacement(gate->local);
    velocity = {};
    angularVelocity = {};
    SetAccelerations(0.0f, 0.0f);
    SetMaxRates(0.0f, 0.0f);
    // Frozen inside the gate it goes through, the craft would strike the
    // gate every frame until its jump completes: it touches nothing now.
    collisionDelay = -1;
    UpdateVisibility();
}

void Craft::JumpFlash(const Vector3& localDirection) {
    auto* const flash = new StreamEffect("Jump");
    if (flash == nullptr) return;
    Vector3 along;
    TransformVector(&localDirection, &world.matrix, &along);
    if (along.Length() > 0.0f) along.Normalize();
    flash->Puff(Position().Sum(along.Scaled(kJumpFlashReach)), velocity);
    flash->Puff(Position(), velocity);
    delete flash;
}

void Craft::ArriveByJump() {
    JumpFlash({0.0f, 0.0f, -1.0f});
    jumpedOut = 0;
    collisionDelay = 0;
    UpdateVisibility();
    Activate(0);
}

void Craft::CompleteJump() {
    JumpFlash({0.0f, 0.0f, 1.0f});
    if (NetSession* const session = kinds::ActiveSession()) {
        if (active != 0) kinds::SendRemoval(*session, this, nullptr);
        auto* const own = type == kTypePlayerShip ? dynamic_cast<PlayerShip*>(this) : nullptr;
        if (own != nullptr && own->abandonedCraft != nullptr) {
            if (own->abandonedCraft->active != 0) kinds::SendRemoval(*session, own->abandonedCraft, nullptr);
            own->abandonedCraft->LeaveFlight();
        }
    }
    LeaveFlight();
}

void Craft::LeaveFlight() {
    jumpDeadline = 0;
    jumpedOut = 1;
    collisionDelay = -1;
    active = 0;
    removeWhenDone = 0;
    UpdateVisibility();
}

void Craft::FinishDeath() {
    GameState* const game = g_gameState;
    auto* const energy = static_cast<EnergySystem*>(GetSystem(ShipSystem::kEnergy, nullptr));
    if (energy != nullptr) energy->ResetPowerSplit(0);
    if (auto* const engine = static_cast<EngineSystem*>(GetSystem(ShipSystem::kEngine, nullptr))) {
        engine->StopAfterburner();
        engine->Update(100, energy);
    }
    const char* const modelName = ModelName();
    const bool plainWreck = ship_radio::ShipNumber(modelName) != kNoDebrisShip;
    if (plainWreck && game != nullptr && game->enhancedGraphics != 0) {
        if (AnimationType* const praxis = FindAnimationType("Praxis")) {
            const Vector3 up{0.0f, 1.0f, 0.0f};
            Vector3 upInWorld;
            TransformVector(&up, &world.matrix, &upInWorld);
            auto* const ring = new TimedEffect(praxis, Position(), nullptr, upInWorld, velocity);
            if (ring != nullptr) {
                ring->local.Scale(Radius() * 0.5f, Transform::kAllFlags);
                ring->world = ring->local;
                effects::Register(ring, "explode");
            }
        }
    }
    for (ObjectPart* part : parts) {
        if (part->solid == 0 || part->node == nullptr || part->node->model == nullptr) continue;
        Debris* const debris = DebrisFromPart(*part);
        if (debris == nullptr) continue;
        if (decalSet != -1) decals::ApplyDecals(debris, decalSet);
        debris->Activate(float(GameRandom() % 10 + 20));
        const Vector3 at = effects::WorldPosition(*part->node);
        debris->SetPositionFlags(at, Transform::kAllFlags | 0x10);
        debris->previousPosition = at;
        debris->velocity = velocity.Sum(RandomUnitVector().Scaled(Radius())).Scaled(2.0f);
        if (plainWreck) debris->localVelocity = velocity.Scaled(2.0f).Sum({Jostle(), Jostle(), Jostle()});
        debris->angularVelocity = kinds::RandomSpin(kChipSpin);
        debris->SetAccelerations(15.0f, 50.0f);
        if (game != nullptr) game->AddObjectsToWorld(debris, 0);
        if (plainWreck) {
            if (debris->parts.Count() > 0) {
                auto* const smoke = new StreamEffect("Smoke");
                if (smoke != nullptr) smoke->jitter = kSmokeJitter;
                debris->parts[0]->attached = smoke;
            }
            if (game != nullptr) game->RegisterObjectGroup(new ExplosionSparks(kDebrisSparks, at, debris->velocity), game->effectKey, 1);
        } else if (game != nullptr) {
            auto* const sparks = new DebrisSparks(debris);
            if (sparks != nullptr) {
                debris->sparks = sparks;
                effects::Register(sparks, "weapons");
                sparks->Emit();
            }
        }
    }
    ReleaseFirstExplosion();
    dead = 0;
    ++deaths;
    deathKiller = killer.Get();
    if (parts.Count() > 0) {
        delete parts[0]->attached;
        parts[0]->attached = nullptr;
    }
    if (game != nullptr) game->PlayExplosionSound(modelName);
    collisionDelay = -1;
    active = 0;
    removeWhenDone = 0;
    UpdateVisibility();

    if (CanRespawn() == 0) return;
    Respawn();
}

void Craft::Respawn() {
    // The place is chosen while the wreck is still out of the world, so
    // that it does not stand in its own way.
    Vector3 at{spawnPoint[0], spawnPoint[1], spawnPoint[2]};
    const uint32_t gameType = GameType();
    const NetSession* const session = kinds::ActiveSession();
    if (session != nullptr && session->IsHost() && (gameType == 6 || gameType == 7)) {
        Vector3 picked;
        if (PickRandomSpawnPoint(&picked, 1) != 0) at = picked;
    }
    RespawnAt(FreeSpawnPlace(*this, at));
}

void Craft::RespawnAt(const Vector3& at) {
    ResetSystems();
    dead = 0;
    // Nothing of the wreck's tumble or drift comes back with the ship, nor
    // the speed it was last set to fly at.
    HoldStill();
    collisionDelay = 0;
    UpdateVisibility();
    Activate(0);
    // Its first frame back is a frame long, not the time it lay wrecked.
    lastUpdateAge = int32_t(Age());
    previousPosition = at;
    SetPositionFlags(at, Transform::kAllFlags | 0x10);
    killer = nullptr;
    // Told to the other machines on the next update pass.
    flags |= kFlagChanged;
}

void Craft::HoldStill() {
    velocity = {};
    localVelocity = {};
    angularVelocity = {};
    rotationRates = {};
    speed = 0.0f;
    velocityCap = 0.0f;
}

void Craft::StartAt(const Vector3& at) {
    SetPositionFlags(at, Transform::kAllFlags | 0x10);
    previousPosition = at;
    spawnPoint[0] = at.x;
    spawnPoint[1] = at.y;
    spawnPoint[2] = at.z;
}

void Craft::StepCloak() {
    const int32_t before = cloakFade;
    cloakFade = cloaked != 0 ? std::min(cloakFade + 1, kCloakSteps) : std::max(cloakFade - 1, 0);
    if (cloakFade == before) return;
    for (ObjectPart* part : parts) {
        if (part->solid == 0 || part->node == nullptr) continue;
        if (cloakFade == kCloakSteps) part->node->flags |= kFlagHiddenObject;
        if (before == kCloakSteps) part->node->flags &= ~kFlagHiddenObject;
        Model* const mesh = part->node->model;
        if (mesh == nullptr) continue;
        for (uint32_t i = 0; i < mesh->faceCount; ++i) {
            FaceRecord& face = mesh->faces[i];
            if (cloakFade == 0) {
                SetAlpha(face, 255);
                face.flags &= ~FaceRecord::kTranslucent;
            } else if (before == 0) {
                face.flags |= FaceRecord::kTranslucent;
                SetAlpha(face, kCloakEntryAlpha);
            } else {
                SetAlpha(face, uint8_t((kCloakSteps - cloakFade) * 255 / kCloakSteps));
            }
        }
    }
}

void Craft::StepRipple() {
    if (shieldMesh == nullptr || shieldHit == nullptr || shieldMesh->model == nullptr) return;
    Model& mesh = *shieldMesh->model;
    ShieldRipple& ripple = *shieldHit;
    int8_t* const counters = ripple.faceCounters;
    shieldMesh->flags &= ~kFlagHiddenObject;
    const auto light = [&ripple](FaceRecord& face) {
        face.flags |= kLitFace;
        face.colour = ripple.colour;
        SetAlpha(face, kRippleAlpha);
    };
    int passes = 2;
    if (ripple.step == -1) {
        ripple.step = 0;
        for (uint32_t i = 0; i < mesh.faceCount; ++i) {
            if (counters[i] > 0) {
                light(mesh.faces[i]);
            } else {
                mesh.faces[i].flags &= ~kLitFace;
            }
        }
        passes = 1;
    }
    bool allDark = true;
    std::vector<uint8_t> hot(mesh.vertexCount, 0);
    for (int pass = 0; pass < passes; ++pass) {
        ++ripple.step;
        std::fill(hot.begin(), hot.end(), 0);
        for (uint32_t i = 0; i < mesh.faceCount; ++i) {
            if (counters[i] <= 0) continue;
            for (const uint16_t vertex : {mesh.faces[i].a, mesh.faces[i].b, mesh.faces[i].c}) {
                if (vertex < hot.size()) hot[vertex] = 1;
            }
        }
        allDark = true;
        for (uint32_t i = 0; i < mesh.faceCount; ++i) {
            FaceRecord& face = mesh.faces[i];
            int hotCorners = 0;
            for (const uint16_t vertex : {face.a, face.b, face.c}) hotCorners += vertex < hot.size() ? hot[vertex] : 0;
            if (hotCorners >= 2 && counters[i] == -1) {
                counters[i] = 4;
                light(face);
                allDark = false;
            } else if (counters[i] >= 1) {
                SetAlpha(face, uint8_t(counters[i] * kRippleFade));
                --counters[i];
                allDark = false;
            } else {
                face.flags &= ~kLitFace;
            }
        }
    }
    if (!allDark) return;
    for (uint32_t i = 0; i < mesh.faceCount; ++i) mesh.faces[i].flags &= ~kLitFace;
    shieldMesh->flags |= kFlagHiddenObject;
    delete shieldHit;
    shieldHit = nullptr;
}

void Craft::Simulate(uint32_t milliseconds) {
    HullObject::Simulate(milliseconds);
    // 50 a second and one a frame.
    if (empLevel > 0) empLevel = std::max<int32_t>(0, empLevel - int32_t(empDecayCarry.Take(milliseconds, 20) + 1));

    if (dead != 0) {
        // The full model, whatever the detail switch chose.
        RestoreFullModel();
        if (GameRandom() % 1000 < int64_t(milliseconds) && definitionWords.Count() > 0 && parts.Count() > 0) {
            // The template is drawn before the part.
            SpaceObject* const debrisTemplate = PickDebrisTemplate();
            ThrowChip(debrisTemplate, *parts[GameRandom() % parts.Count()], false);
        }
        if (firstExplosion == nullptr || firstExplosion->frameIndex >= 1) FinishDeath();
    } else {
        StepCloak();
    }

    if (engineGlow != nullptr) {
        auto* const engine = static_cast<EngineSystem*>(GetSystem(ShipSystem::kEngine, nullptr));
        if (engine != nullptr) {
            if (engine->boostOn == 0 || cloaked != 0) {
                engineGlow->flags |= kFlagHiddenObject;
            } else {
                engineGlow->flags &= ~kFlagHiddenObject;
            }
        }
    }
    for (Turret* turret : turrets) turret->Update();

    if (jumpDeadline > 0 && int64_t(Age()) >= jumpDeadline) CompleteJump();
    if (jumpDeadline > 0) {
        // The chase object watches the jump from beside and behind.
        const Vector3 watch{400.0f, 400.0f, -1000.0f};
        TransformPoint(&watch, &world.matrix, &previousPosition);
    }
    StepRipple();
}
