#include "objects/ships/PlayerShip.h"

#include "ai/WingGroup.h"
#include "engine/FixedText.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "objects/ships/AiShip.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/ShipSystem.h"

PlayerShip::PlayerShip(SpaceObject* templateObject) : Craft(templateObject) { PlayerShip::Init(); }

PlayerShip::~PlayerShip() {
    // Every member lets go of the group before it goes.
    WingGroup* const group = wingGroup;
    wingGroup = nullptr;
    WingGroup::Dissolve(group, ClearWingGroupOf);
    for (SalvageItem* item : salvageItems) delete item;
    salvageItems.Clear();
}

void PlayerShip::Init() {
    type = kTypePlayerShip;
    navTarget = nullptr;
    trackedTarget = nullptr;
    abandonedCraft = nullptr;
    playerWords[0] = playerWords[1] = 0;
    side = kPlayersSide;
    wingGroup = nullptr;
    collisionMask = kCollisionMask;
    mass = 10.0f;
    UpdateVisibility();
    collisionDelay = 0;
    UpdateVisibility();
    SetAccelerations(80.0f, 100.0f);
    SetMaxRates(80.0f, 70.0f);
    GameState* const game = g_gameState;
    // A client's ship starts beside the host's.
    const bool client = game != nullptr && game->IsNetworkGame() && !game->IsHost();
    SetPositionFlags({0.0f, 0.0f, client ? kClientStartZ : 0.0f}, Transform::kAllFlags | 0x10);
    Activate(0);
    placedWord = 0;
    if (game != nullptr) {
        if (game->playerShip == nullptr) game->playerShip = this;
        if (game->viewedObject == nullptr) game->viewedObject = this;
    }
}

SpaceObject* PlayerShip::Clone(SpaceObject* placementSource, int32_t, int32_t) {
    auto* const clone = new PlayerShip(this);
    if (clone == nullptr) return nullptr;
    CopyInto(*clone, placementSource, false);
    clone->decalSet = decalSet;
    clone->UpdateVisibility();
    if (g_gameState != nullptr) g_gameState->AddObjectsToWorld(clone, 0);
    return clone;
}

void PlayerShip::UpdateParts(uint32_t milliseconds) {
    Craft::UpdateParts(milliseconds);
    if (wingGroup != nullptr) wingGroup->Update();
}

void PlayerShip::SetWingGroup(WingGroup* group) {
    wingGroup = group;
    if (group != nullptr) group->SetOwnerShip(this);
}

void PlayerShip::CollectSalvage(const SpaceObject* victim) {
    if (victim == nullptr) return;
    for (const ObjectPart* part : victim->parts) {
        for (const ShipSystem* system : part->systems) {
            if (GameRandom() % 100 + 1 < kSalvageChance + 1) AddNamedEntry(system->equipmentId);
        }
    }
}

void PlayerShip::AddNamedEntry(const char* id) {
    if (id == nullptr || id[0] == 0) return;
    auto* const item = new SalvageItem;
    if (item == nullptr) return;
    CopyFixedText(item->id, id);
    item->condition = int32_t(GameRandom() % 40 + 50);
    salvageItems.Append(item);
}
