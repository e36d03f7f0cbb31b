#include "objects/weapons/Projectile.h"

#include <cstring>

#include "engine/Clock.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/TextCompare.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/effects/FxObject.h"
#include "objects/effects/StreamEffect.h"
#include "objects/ships/Craft.h"
#include "objects/space/KindSupport.h"
#include "objects/weapons/HitSearch.h"
#include "objects/weapons/Weapon.h"
#include "objects/weapons/WeaponNet.h"
#include "scene/Billboard.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"

namespace {

// Hull objects, buoys, asteroids, mines, gates, decoys, missiles and ships.
constexpr uint32_t kHitTypes = 0x1DDA4;
constexpr float kCoarseReach = 1000.5f;
constexpr float kGrowth = 0.5f;

void SendToAll(const NetPacket& packet) {
    NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    if (session == nullptr || !session->IsActive() || packet.GetData() == nullptr) return;
    session->SendGamePacket(packet.GetData(), packet.GetSize());
}

void SendProjectilePacket(uint16_t type, const Projectile* projectile, const SpaceObject* target, int32_t part) {
    NetPacket packet;
    packet.BuildProjectilePacket(type, projectile, target, part);
    SendToAll(packet);
}

uint32_t ElapsedSince(uint32_t start) {
    const uint32_t now = GetMilliseconds();
    return now >= start ? now - start : now - start - 1;
}

}  // namespace

Projectile::Projectile() : NamedObject(kTypeUntyped) {}

Projectile::Projectile(ProjectileType* projectileType, const DamageRecord& record, int32_t empCharge,
                       const Vector3& speed, const Vector3& launchPoint, SpaceObject* shooter, Weapon* launcher,
                       int32_t lifetime, StreamEffect* trail)
    : NamedObject(kTypeUntyped),
      stream(trail),
      weapon(launcher),
      damage(record),
      emp(empCharge),
      lifetimeLeft(lifetime),
      createdAt(GetMilliseconds()),
      velocity(speed),
      previousPoint(launchPoint),
      currentPoint(launchPoint),
      type(projectileType) {
    owner = shooter;
    if (type != nullptr) std::strncpy(typeName, type->name, kNameBytes);
    if (stream != nullptr && stream->streamType != nullptr) std::strncpy(trailName, stream->streamType->name, kNameBytes);
    if (type != nullptr && type->model != nullptr) {
        sceneObject = new SceneObject(type->model);
        sceneObject->local.SetPosition(&currentPoint, Transform::kAllFlags);
        sceneObject->UpdateWorldTransform(Transform::kAllFlags);
        if (velocity.Length() > 0.0f) sceneObject->local.SetForward(&velocity, Transform::kAllFlags);
        sceneObject->UpdateWorldTransform(Transform::kAllFlags);
        sceneObject->flags |= 0x8;
    }
    if (type != nullptr && !type->glowMaterials.empty()) {
        glow = new Billboard;
        glow->SetMaterial(type->glowMaterials[0]);
        glow->position = currentPoint;
        glow->alpha = 128;
        glow->width = glow->height = 1.0f;
    }
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    if (sceneObject != nullptr) {
        lightHolder = new ProjectileLightHolder(new AttenuatedLight(Vector3{}, kLightInner, kLightOuter), sceneObject, 0);
        lightHolder->light->intensity = 20;   // a soft glow around the shot
        game->Lights().Add(lightHolder);
    }
    game->projectiles.Append(this);
}

Projectile::~Projectile() {
    delete stream;
    delete glow;
    GameState* const game = g_gameState;
    if (game != nullptr) {
        // The light goes at the holders' next pass.
        if (sceneObject != nullptr) game->Lights().Forget(sceneObject);
        for (int32_t i = 0; i < game->projectiles.Count(); ++i) {
            if (game->projectiles[i] == this) {
                game->projectiles.RemoveAt(i);
                break;
            }
        }
    }
    delete sceneObject;
}

Palette* Projectile::GetPalette() const {
    if (g_gameState == nullptr) return nullptr;
    return sceneObject != nullptr ? g_gameState->LoadPalette("3DPROJ") : g_gameState->currentPalette;
}

void Projectile::Draw() {
    if (glow != nullptr) glow->Draw();
    if (sceneObject != nullptr) sceneObject->Draw();
}

void Projectile::Update() {
    if (type == nullptr) return;
    const int32_t elapsed = int32_t(ElapsedSince(createdAt));
    const int32_t dt = elapsed - lastElapsed;
    lastElapsed = elapsed;
    lifetimeLeft -= dt;
    previousPoint = currentPoint;
    currentPoint = currentPoint.Sum(velocity.Scaled(float(dt) * 0.001f));
    if (glow != nullptr) {
        glow->position = currentPoint;
        const int32_t period = type->animationPeriod > 0 ? type->animationPeriod : 1;
        const int32_t frames = int32_t(type->glowMaterials.size());
        const int32_t frame = int32_t(int64_t(elapsed % period) * frames / period);
        if (frame >= 0 && frame < frames) glow->SetMaterial(type->glowMaterials[size_t(frame)]);
    }
    if (sceneObject != nullptr) {
        sceneObject->local.RotateAboutForward(float(dt) * 0.45f, Transform::kAllFlags);
        sceneObject->local.SetPosition(&currentPoint, Transform::kAllFlags);
        sceneObject->UpdateWorldTransform(Transform::kAllFlags);
        sceneObject->Update();
    }
    if (stream != nullptr) stream->Update(currentPoint, velocity);
    if (elapsed > type->fuseTime && !kinds::IsNetworkClient() && (flags & kEnded) == 0) Burst();
}

void Projectile::Burst() {
    GameState* const game = g_gameState;
    if (game != nullptr) {
        if (FxObject* const blast = FxObject::FxObjectFor(this, nullptr)) game->RegisterObjectGroup(blast, game->effectKey, 1);
    }
    if (game != nullptr && game->IsHost()) SendProjectilePacket(kProjDestroy, this, nullptr, 0);
    flags |= kEnded;
    ProjectileType* fragments = nullptr;
    for (ProjectileType* candidate = g_projectileTypes; candidate != nullptr && type->fragmentTypeName[0] != 0;
         candidate = candidate->next) {
        if (text::_stricmp(candidate->name, type->fragmentTypeName) == 0) {
            fragments = candidate;
            break;
        }
    }
    for (int32_t i = 0; fragments != nullptr && i < type->fragmentCount; ++i) {
        const Vector3 direction = RandomUnitVector();
        auto* const fragment = new Projectile(fragments, damage, emp, direction.Scaled(type->fragmentSpeed).Sum(velocity),
                                              currentPoint, owner.Get(), LaunchingWeapon(), lifetimeLeft, nullptr);
        KeepProjectile(fragment);
    }
}

bool KeepProjectile(Projectile* projectile) {
    GameState* const game = g_gameState;
    if (projectile == nullptr) return false;
    if (game == nullptr || game->NetCreateProjectile(projectile) == 0) {
        delete projectile;
        return false;
    }
    game->RegisterObjectGroup(projectile, projectile->GetPalette(), 1);
    return true;
}

void UpdateProjectiles() {
    GameState* const game = g_gameState;
    if (game == nullptr || game->IsClient()) return;
    for (int32_t i = 0; i < game->projectiles.Count(); ++i) {
        Projectile& shot = *game->projectiles[i];
        if ((shot.flags & Projectile::kEnded) != 0) continue;
        const Vector3 movement = shot.currentPoint.Difference(shot.previousPoint);
        const float length = movement.Length();
        const float reach = length + kGrowth;
        if (shot.lifetimeLeft < 1) {
            if (game->IsHost()) SendProjectilePacket(kProjDestroy, &shot, nullptr, 0);
            shot.flags |= Projectile::kEnded;
            continue;
        }
        if (!(length > 0.0f)) continue;
        HitRules rules;
        rules.typeMask = kHitTypes;
        rules.coarseReach = kCoarseReach;
        rules.growth = kGrowth;
        rules.centre = shot.currentPoint;
        const WeaponHit hit = FindWeaponHit(shot.owner.Get(), shot.previousPoint, movement.Scaled(1.0f / length), reach, rules);
        if (hit.object == nullptr) continue;
        SpaceObject* const shooter = shot.owner.Get();
        shot.damage.source = shooter;
        const bool ship = hit.object->type > SpaceObject::kTypeCraft;
        if (shot.emp > 0 && ship) static_cast<Craft*>(hit.object)->AddEmp(shot.emp);
        if (Weapon* const launcher = shot.LaunchingWeapon(); launcher != nullptr && shooter->type >= SpaceObject::kTypeCraft) {
            static_cast<Craft*>(shooter)->CountWeaponHit(launcher);
        }
        hit.object->TakeDamage(hit.part, shot.damage, shooter);
        if (FxObject* const blast = FxObject::FxObjectFor(&shot, hit.object)) game->RegisterObjectGroup(blast, game->effectKey, 1);
        if (game->IsNetworkGame()) {
            if (shot.emp > 0 && ship) weapon_net::SendEmpDamage(hit.object, shot.emp);
            SendProjectilePacket(kProjHit, &shot, hit.object, hit.part);
            SendProjectilePacket(kProjDestroy, &shot, nullptr, 0);
        }
        shot.flags |= Projectile::kEnded;
    }
}

void RegisterProjectilePass() {
    if (g_gameState != nullptr) g_gameState->SetSimulateHook(GameState::kProjectileStep, [](GameState&) { UpdateProjectiles(); });
}
