#include "objects/space/WorldPass.h"

#include <algorithm>
#include <vector>

#include "engine/MathRoutineTable.h"
#include "game/GameState.h"
#include "net/NetSession.h"
#include "objects/effects/LensFlare.h"
#include "objects/space/Asteroid.h"
#include "objects/space/ChaseObject.h"
#include "objects/space/CollisionCandidates.h"
#include "objects/space/Debris.h"
#include "objects/space/Decoy.h"
#include "objects/space/JumpGate.h"
#include "objects/space/Mine.h"
#include "objects/space/Missile.h"
#include "objects/space/HullObject.h"
#include "objects/space/MovingObject.h"
#include "objects/space/NavBuoy.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/SpawnRecords.h"
#include "objects/space/WayPoint.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/systems/RadarSystem.h"
#include "objects/weapons/Projectile.h"
#include "scene/Camera.h"

namespace {

// Beyond four times the player's radar range AI ships stand still.
int32_t RadarCutOff() {
    auto* const player = g_gameState != nullptr ? dynamic_cast<Craft*>(g_gameState->playerShip) : nullptr;
    auto* const radar = player != nullptr ? static_cast<RadarSystem*>(player->GetSystem(ShipSystem::kRadar, nullptr)) : nullptr;
    return radar != nullptr ? int32_t(std::min<int64_t>(int64_t(radar->GetRange()) * 4, INT32_MAX)) : -1;
}

}  // namespace

void UpdateSpaceObjects() {
    GameState* const game = g_gameState;
    if (game == nullptr || game->mission == nullptr) return;
    Vector3 camera{0.0f, 0.0f, 0.0f};
    if (game->flightCamera != nullptr) game->flightCamera->transform.matrix.GetTranslation(&camera);
    const NetSession* const session = game->netSession != nullptr && game->netSession->IsActive() ? game->netSession : nullptr;
    const int32_t cutOff = session != nullptr ? -1 : RadarCutOff();

    SpaceObject* const rotating = game->rotatingObject;
    bool metRotating = false;
    for (SpaceObject* object = game->mission->firstObject; object != nullptr;) {
        SpaceObject* const following = object->GetNext();
        if (object->removeWhenDone != 0) {
            object->OnRemove(1);
            object->Detach(0, 0xFF);
            delete object;
            object = following;
            continue;
        }
        const uint32_t age = object->Age();
        if (object->expiresAt > 0 && int64_t(age) > object->expiresAt) {
            object->Destroy(nullptr, 0);
            object->collisionDelay = -1;
            object->active = 0;
            object->removeWhenDone = object->type < SpaceObject::kTypeCraft ? 1 : 0;
            object->UpdateVisibility();
        }
        if (object->active != 0) {
            const uint32_t last = uint32_t(object->lastUpdateAge);
            const uint32_t elapsed = age > last ? age - last : age;
            object->lastUpdateAge = int32_t(age);
            object->lastElapsed = elapsed;
            if (object == rotating) {
                object->flags |= SpaceObject::kFlagChanged;
                metRotating = true;
            }
            object->collisionPartner = nullptr;
            const bool simulated = cutOff < 0 || object->type != SpaceObject::kTypeAiShip ||
                                   (game->playerShip != nullptr && object->DistanceTo(*game->playerShip) < float(cutOff));
            object->UpdateDetailLevel(camera.Difference(object->Position()));
            if (simulated) object->Simulate(elapsed);
            object->Update();
            if (object->type < SpaceObject::kTypeCraft && object->parts.Count() > 0) object->parts[0]->UpdateAttached(object->velocity);
            // A pilot's ship is flown on its pilot's machine. The host's copy
            // of it is where its hits are judged: its systems run here as
            // they run there (the shield comes back), its flight is the reports'.
            const bool pilots = object->type == SpaceObject::kTypeAiShip && session != nullptr &&
                                session->FindPlayerByUoid(object->uoid) >= 0;
            const bool flownHere = object->type == SpaceObject::kTypePlayerShip ||
                                   (object->type == SpaceObject::kTypeAiShip && !pilots);
            if (simulated && flownHere) {
                object->UpdateParts(elapsed);
            } else if (pilots && session->IsHost()) {
                if (auto* const copy = dynamic_cast<Craft*>(object)) copy->UpdatePartsWithoutFlight(elapsed);
            }
        }
        object = following;
    }

    // Collisions are the host's to decide. Each object is tested against
    // the later ones that may touch it, in world order, as the whole walk
    // would: the broad phase takes the places and speeds when the first
    // object collides, again when a collision made objects, and refreshes
    // them after a hit (which changes speeds) before the next list.
    if (session == nullptr || session->IsHost()) {
        CollisionCandidates candidates;
        bool taken = false, hit = false;
        std::vector<SpaceObject*> later;
        for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (object->active == 0) continue;
            if (object->collisionDelay > 0) {
                object->collisionDelay = std::max<int64_t>(0, int64_t(object->collisionDelay) - object->lastElapsed);
                object->UpdateVisibility();
            } else if (object->collisionDelay == 0) {
                if (!taken || candidates.Stale()) {
                    candidates.Take(game->mission->firstObject);
                    taken = true;
                    hit = false;
                } else if (hit) {
                    candidates.Refresh(game->mission->firstObject);
                    hit = false;
                }
                if (candidates.Collect(*object, &later)) {
                    hit = object->CollideAmong(later);
                } else {
                    object->Collide();
                }
            }
        }
    }
    game->rotatingObject = metRotating && game->rotatingObject == rotating && rotating != nullptr ? rotating->GetNext()
                                                                                                  : game->mission->firstObject;
}

void RegisterSpaceObjects() {
    if (g_gameState != nullptr) {
        g_gameState->SetSimulateHook(GameState::kWorldPass, [](GameState& game) {
            // The camera goes with the viewed object: the pass measures detail
            // from it, and explosions need it.
            if (game.viewedObject != nullptr) game.AimFlightCamera(game.viewedObject->world);
            UpdateSpaceObjects();
        });
    }
    RegisterProjectilePass();
    RegisterFlarePass();
    GameState::RegisterObjectKind(1, [](const char*, const void*, SpaceObject* t) -> SpaceObject* { return new MovingObject(t); });
    GameState::RegisterObjectKind(2, [](const char*, const void*, SpaceObject* t) -> SpaceObject* { return new HullObject(t); });
    GameState::RegisterObjectKind(3, [](const char*, const void*, SpaceObject* t) -> SpaceObject* { return new ChaseObject(t); });
    GameState::RegisterObjectKind(4, [](const char*, const void* record, SpaceObject* t) -> SpaceObject* {
        return new WayPoint(t, static_cast<const WayPointRecord*>(record));
    });
    GameState::RegisterObjectKind(5, [](const char*, const void* record, SpaceObject* t) -> SpaceObject* {
        return new NavBuoy(t, static_cast<const NavBuoyRecord*>(record), true);
    });
    GameState::RegisterObjectKind(6, [](const char*, const void* record, SpaceObject* t) -> SpaceObject* {
        return new NavBuoy(t, static_cast<const NavBuoyRecord*>(record), false);
    });
    GameState::RegisterObjectKind(14, [](const char*, const void*, SpaceObject* t) -> SpaceObject* { return new Craft(t); });
    GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip,
                                  [](const char*, const void*, SpaceObject* t) -> SpaceObject* { return new PlayerShip(t); });
    GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, [](const char* name, const void* record, SpaceObject* t) -> SpaceObject* {
        return new AiShip(t, static_cast<const spawn_records::AiShip*>(record), name);
    });
    // The mission's passive and launched kinds: from a template alone, or with
    // the spawn record the mission loader decoded.
    GameState::RegisterObjectKind(SpaceObject::kTypeAsteroid, [](const char*, const void* record, SpaceObject* t) -> SpaceObject* {
        if (record == nullptr) return new Asteroid(t);
        return new Asteroid(t, *static_cast<const spawn_records::Rock*>(record));
    });
    GameState::RegisterObjectKind(SpaceObject::kTypeMine, [](const char*, const void* record, SpaceObject* t) -> SpaceObject* {
        if (record == nullptr) return new Mine(t);
        return new Mine(t, *static_cast<const spawn_records::Rock*>(record));
    });
    GameState::RegisterObjectKind(SpaceObject::kTypeDebris, [](const char*, const void* record, SpaceObject* t) -> SpaceObject* {
        if (record == nullptr) return new Debris(t);
        return new Debris(t, *static_cast<const spawn_records::Debris*>(record));
    });
    GameState::RegisterObjectKind(SpaceObject::kTypeJumpGate, [](const char*, const void* record, SpaceObject* t) -> SpaceObject* {
        if (record == nullptr) return new JumpGate(t);
        return new JumpGate(t, *static_cast<const spawn_records::Gate*>(record));
    });
    GameState::RegisterObjectKind(SpaceObject::kTypeDecoy,
                                  [](const char*, const void*, SpaceObject* t) -> SpaceObject* { return new Decoy(t); });
    GameState::RegisterObjectKind(SpaceObject::kTypeMissile,
                                  [](const char*, const void*, SpaceObject* t) -> SpaceObject* { return new Missile(t); });
}
