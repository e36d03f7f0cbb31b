#include "objects/space/JumpGate.h"

#include <cstring>

#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/TimedEffect.h"
#include "objects/ships/Craft.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

JumpGate::JumpGate(SpaceObject* templateObject) : MovingObject(templateObject) { JumpGate::Init(); }

JumpGate::JumpGate(SpaceObject* templateObject, const spawn_records::Gate& record) : MovingObject(templateObject) {
    JumpGate::Init();
    EngineRelease(recordText);
    recordText = EngineCopyText(record.name, sizeof record.name);
    Transform placed;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) placed.matrix.rows[row][column] = record.transform[row * 3 + column];
    }
    TakePlacement(placed);
    previousPosition = record.position;
    SetPositionFlags(record.position, Transform::kAllFlags | 0x10);
    world = local;
}

void JumpGate::Init() {
    previousPosition = {};
    SetPositionFlags({}, Transform::kAllFlags | 0x10);
    type = kTypeJumpGate;
    collisionMask = 0x1f804;
    SetMass(20.0f);
    SetAccelerations(0.0f, 0.0f);
    collisionDelay = 0;
    UpdateVisibility();
    Activate(0.0f);
}

SpaceObject* JumpGate::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new JumpGate(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

void JumpGate::PlayJumpEffect(SpaceObject* craft) {
    if (craft != nullptr && craft->type > kTypeCraft) static_cast<Craft*>(craft)->Jump(this);
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    if (AnimationType* const animation = FindAnimationType(kAnimationName)) {
        auto* const effect = new TimedEffect(animation, Vector3{}, this, world.forward, velocity);
        effect->local = world;
        effect->world = world;
        effects::Register(effect, kAnimationPalette);
    }
    if (game->jumpGateSound == nullptr) game->jumpGateSound = CreateSoundObject(kSoundName);
    if (game->jumpGateSound != nullptr && game->Sound() != nullptr) {
        game->jumpGateSound->SetPosition(Position());
        game->Sound()->Play(game->jumpGateSound, 5, 1);
    }
}
