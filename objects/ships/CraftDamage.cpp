// The craft's side of a hit and of its end: where a hit is applied in a
// network game, what absorbs it, the friendly-fire count, the knock, the
// chipped debris, the part damage and the heavy-damage trail; and what a
// craft's destruction tells the network and its killer.
#include <algorithm>
#include <cstdint>

#include "ai/AiBrain.h"
#include "ai/WingGroup.h"
#include "engine/Clock.h"
#include "engine/Random.h"
#include "engine/Vector3.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/StreamEffect.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/ships/ShipRadio.h"
#include "objects/space/KindSupport.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/ShieldSystem.h"
#include "scene/FaceRecord.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"

namespace {

constexpr float kKnockCap = 500.0f;
constexpr float kKnockScale = 0.002f * 100000.0f;
constexpr int32_t kDebrisChance = 100;   // in 1000
constexpr float kHeavyDamageJitter = 1.2f;
constexpr uint32_t kWarningMs = 10000;

bool IsShip(const SpaceObject* object) {
    return object != nullptr && (object->type == SpaceObject::kTypePlayerShip || object->type == SpaceObject::kTypeAiShip);
}

}  // namespace

int32_t Craft::TakeDamage(int32_t partIndex, const DamageRecord& given, SpaceObject* attacker) {
    if (dead != 0 || active == 0) return 0;
    GameState* const game = g_gameState;
    const bool player = type == kTypePlayerShip;
    if (player && game != nullptr && game->career != nullptr && game->career->options.invulnerability != 0) return 0;

    auto* const shield = static_cast<ShieldSystem*>(GetSystem(ShipSystem::kShield, nullptr));
    // The host's copy of a member's ship: the host holds its hull, and hits
    // lower it as the member's own machine lowers the member's ship.
    bool pilotCopy = false;
    if (NetSession* const session = kinds::ActiveSession()) {
        const bool piloted = session->FindPlayerByUoid(uoid) != -1;
        pilotCopy = !player && piloted && session->IsHost();
        const bool here = player || pilotCopy || (!piloted && isBase == 0 && session->IsHost());
        // Only a killer the host saw strike a player's ship is believed of its death.
        if (!player && session->IsHost()) session->NoteHit(uoid, attacker != nullptr ? attacker : given.source);
        if (!here) {
            // The host applies it; this copy only shows the shield's reaction.
            if (shield != nullptr && given.source != nullptr) shield->AbsorbHitFrom(given.source);
            return 0;
        }
    }

    DamageRecord record = given;
    if ((player || pilotCopy) && game != nullptr && game->difficulty == 1) {
        for (int32_t& amount : record.amounts) amount = amount * 3 / 4;
    }
    SpaceObject* const source = attacker != nullptr ? attacker : record.source;
    lastAttacker = source;
    lastHitAge = int32_t(Age());

    auto* const ai = type == kTypeAiShip ? dynamic_cast<AiShip*>(this) : nullptr;
    // A neutral hit by a friend of the player turns its wing hostile, now and then.
    if (ai != nullptr && side == 0 && source != nullptr && source->side > 0 && ai->wingGroup != nullptr &&
        ai->brain != nullptr && GameRandom() % 3 == 0) {
        if (SpaceObject* const leader = ai->wingGroup->GetMember(0)) leader->SetSide(-1);
        ai->brain->SetLinkedShipSide(-1);
    }

    // Friendly fire: the player shooting a ship of its own side (a
    // teammate's ship is no wingman to warn of it or to desert).
    if (type == kTypeAiShip && !pilotCopy && source != nullptr && game != nullptr && source == game->playerShip && source->side == side) {
        const uint32_t now = GetMilliseconds();
        if (friendlyHits == 0 || now - lastFriendlyHit >= kFriendlyHitSpacing) {
            ++friendlyHits;
            lastFriendlyHit = now;
            if (friendlyHits == 4 || friendlyHits == 7 || friendlyHits == 10) {
                game->TheCockpit().ShowWarning(msg::kWarningFriendlyFire, kWarningMs);
                if (ship_radio::InPlayerWing(*this)) ship_radio::PostWingmanLine(*this, char('B' + (friendlyHits - 4) / 3), 19);
            }
        }
        if (friendlyHits > 10) {
            if (ai != nullptr && ship_radio::InPlayerWing(*this)) {
                // It deserts: out of the player's wing into one of its own.
                ai->wingGroup->RemoveMember(this);
                ai->wingGroup = new WingGroup(recordText);
                ai->wingGroup->AddShip(this);
                side = -10;
            } else {
                side = -11;
            }
        }
    }

    if (shield != nullptr) shield->AbsorbHit(record);

    if (mass > 0.0f) {
        const float sum = std::min(float(int64_t(record.amounts[1]) + record.amounts[4] + record.amounts[2]), kKnockCap);
        angularVelocity.AddAssign(RandomUnitVector().Scaled(sum * kKnockScale / mass));
    }

    for (ShipSystem* armor = GetSystem(ShipSystem::kArmor, nullptr); armor != nullptr;
         armor = GetSystem(ShipSystem::kArmor, armor)) {
        static_cast<ArmorSystem*>(armor)->AbsorbHit(record);
    }
    if (auto* const hardening = static_cast<HardeningSystem*>(GetSystem(ShipSystem::kHardening, nullptr))) {
        hardening->ReduceDamage(record);
    }

    const bool partNamed = partIndex >= 0 && partIndex < parts.Count();
    if (GameRandom() % 1000 < kDebrisChance && definitionWords.Count() > 0 && partNamed) {
        ThrowChip(PickDebrisTemplate(), *parts[partIndex], true);
    }

    if (partNamed && parts[partIndex]->TakeDamage(record) != 0) {
        Explode(attacker, 0);
        return 1;
    }

    if (parts.Count() > 0 && parts[0]->attached == nullptr && maxHitPoints > 0 &&
        int64_t(hitPoints) * 100 / maxHitPoints < kHeavyDamagePercent) {
        auto* const trail = new StreamEffect("Exhaust");
        trail->jitter = kHeavyDamageJitter;
        parts[0]->attached = trail;
        if (player && game != nullptr) game->TheCockpit().ShowWarning(msg::kWarningHullDamage, kWarningMs);
        if (ship_radio::InPlayerWing(*this)) ship_radio::PostWingmanLine(*this, char('B' + GameRandom() % 3), 15);
    }
    return 0;
}

SpaceObject* Craft::PickDebrisTemplate() const {
    if (definitionWords.Count() == 0) return nullptr;
    return reinterpret_cast<SpaceObject*>(definitionWords[GameRandom() % definitionWords.Count()]);
}

void Craft::ThrowChip(SpaceObject* debrisTemplate, const ObjectPart& from, bool tumbling) {
    SpaceObject* const chip = debrisTemplate != nullptr ? debrisTemplate->Clone(this) : nullptr;
    if (chip == nullptr) return;
    if (from.node != nullptr) chip->SetPositionFlags(effects::WorldPosition(*from.node), Transform::kAllFlags | 0x10);
    chip->velocity = velocity;
    if (tumbling) chip->angularVelocity = kinds::RandomSpin(kChipSpin);
    chip->Activate(float(GameRandom() % 10 + 10));
}

void Craft::Destroy(SpaceObject* killerObject, int32_t fromNetwork) {
    GameState* const game = g_gameState;
    NetSession* const session = kinds::ActiveSession();
    if (fromNetwork == 0 && session != nullptr) {
        if (active != 0) kinds::SendRemoval(*session, this, killerObject);
        auto* const own = type == kTypePlayerShip ? dynamic_cast<PlayerShip*>(this) : nullptr;
        Craft* const abandoned = own != nullptr ? own->abandonedCraft : nullptr;
        if (abandoned != nullptr) {
            if (abandoned->active != 0) kinds::SendRemoval(*session, abandoned, killerObject);
            abandoned->LeaveFlight();
        }
        if (IsShip(this)) {
            if (session->IsHost()) {
                session->AnnounceKill(killerObject != nullptr ? killerObject->uoid : uoid, uoid);
            } else {
                kinds::SendObjectEvent(*session, kDeath, killerObject, this);
            }
        }
    }
    // In a network game the player pays for the lost ship, whether its own
    // machine saw it die or the host, which holds a member's hull, said so.
    if (session != nullptr && type == kTypePlayerShip && game != nullptr) {
        auto* const own = dynamic_cast<PlayerShip*>(this);
        Craft* const abandoned = own != nullptr ? own->abandonedCraft : nullptr;
        const int32_t loss = std::max(0, abandoned != nullptr ? abandoned->maxHitPoints : maxHitPoints);
        if (game->career != nullptr) game->career->funds = std::max(0, game->career->funds - loss);
        ResetSystems();
        if (abandoned != nullptr) abandoned->ResetSystems();
        dead = 1;
    }

    for (ObjectPart* part : parts) {
        for (ShipSystem* system : part->systems) system->Update(-1, nullptr);
    }
    if (cloakFade != 0) {
        cloakFade = 0;
        ShowOpaqueParts();
    }
    killer = killerObject;
    if (killerObject != nullptr && killerObject->type >= kTypeCraft && session == nullptr) {
        static_cast<Craft*>(killerObject)->CountKill(this);
    }
    // A wingman calls the kill of a foe; a friend it rammed is no kill to call.
    if (killerObject != nullptr && killerObject->type == kTypeAiShip) {
        auto& wingman = static_cast<Craft&>(*killerObject);
        if (ship_radio::InPlayerWing(wingman) && wingman.IsHostile(this)) {
            ship_radio::PostWingmanLine(wingman, char('B' + GameRandom() % 3), 16);
        }
    }
    auto* const player = game != nullptr ? dynamic_cast<PlayerShip*>(game->playerShip) : nullptr;
    if (session == nullptr && player != nullptr && killerObject == player) {
        const SpaceObject* const victim = this == player && player->abandonedCraft != nullptr ? player->abandonedCraft : this;
        player->CollectSalvage(victim);
    }
}
