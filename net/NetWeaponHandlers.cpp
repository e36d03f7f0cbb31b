#include <algorithm>
#include <memory>
#include <string>

#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "engine/TextCompare.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/EffectTypes.h"
#include "game/EquipmentItem.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "net/NetHandlers.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetPilotBounds.h"
#include "net/NetSession.h"
#include "objects/effects/BeamEffect.h"
#include "objects/effects/FxObject.h"
#include "objects/effects/ShotEffect.h"
#include "objects/effects/StreamEffect.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/Projectile.h"

namespace net_handlers {

namespace {

// Without a target a shot reaches this far; a named target can lie
// anywhere, so no shot draws more than this many dashes' worth.
constexpr float kLongestShot = 1500.0f;
constexpr float kDash = 100.0f;
constexpr float kBeamSize = 10.0f;
constexpr int32_t kBeamLayers = 3;
// An impact never makes more sparks than the spark system holds; a
// packet's strength can be anything.
constexpr int32_t kStrongestImpact = 3 * int32_t(GameState::kGunSparkCount);

template <typename Record>
Record* FindIgnoringCase(Record* chain, const char* name) {
    for (Record* record = chain; record != nullptr; record = record->next) {
        if (text::_stricmp(record->name, name) == 0) return record;
    }
    return nullptr;
}

bool InFlight() { return g_gameState != nullptr && g_gameState->mode == GameState::kModeFlight; }

ObjectPart* PartAt(SpaceObject* object, int32_t index) {
    return object != nullptr && index >= 0 && index < object->parts.Count() ? object->parts[index] : nullptr;
}

// The stops GUN_SHOT, BEAM_HIT and EMP_DAMAGE share.
bool ShotApplies(const NetInbound& packet) {
    if (packet.from == packet.to || g_gameState == nullptr || g_gameState->playerShip == nullptr) return false;
    return packet.session.IsHost() || InFlight();
}

void Relay(const NetInbound& packet) {
    if (packet.session.IsHost()) SendToAll(packet.session, packet.data, packet.size);
}

void Register(NamedObject* object) {
    GameState* const game = g_gameState;
    if (object != nullptr) game->RegisterObjectGroup(object, game->effectKey, 1);
}

void DrawTracers(ObjectPart& firing, float length) {
    auto* const frame = static_cast<Frame*>(firing.node);
    if (frame == nullptr) return;
    const Vector3 step{0.0f, 0.0f, kDash};
    for (float t = float(GameRandom() % 30) / 10.0f; (t + 1.0f) * kDash < length;
         t += 1.0f + float(GameRandom() % 30) / 10.0f) {
        Register(new ShotEffect(frame, step.Scaled(t + 1.0f), step.Scaled(t)));
    }
}

void DrawBeam(const BeamType& type, SpaceObject& shooter, SpaceObject* target, ObjectPart* firing, ObjectPart* hit) {
    const bool toCraft = target != nullptr && target->type >= SpaceObject::kTypeCraft;
    const int32_t layers = g_gameState->threeLayerBeams != 0 ? kBeamLayers : 1;
    for (int32_t i = 0; i < layers; ++i) {
        auto* const layer = new BeamEffect(const_cast<BeamType*>(&type));
        layer->SetSize(kBeamSize);
        layer->SetParams(&shooter, toCraft ? target : nullptr, i + 1, 0, BeamEffect::kDefaultLength, nullptr, nullptr, 1);
        Frame* const from = firing != nullptr ? static_cast<Frame*>(firing->node) : &shooter;
        Frame* const to = !toCraft ? nullptr : hit != nullptr ? static_cast<Frame*>(hit->node) : target;
        layer->SetNodes(from, to);
        Register(layer);
    }
}

// The salvaged item from the definitions file into the career's store.
void StoreSalvage(const net_read::Salvage& in) {
    CareerRecord* const career = g_gameState->career;
    if (career == nullptr) return;
    IffFile definitions(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "temp.iff";
    if (!g_dataDirs.Found(DataDir::kData) || definitions.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return;
    auto item = std::make_unique<EquipmentItem>(in.itemName, definitions, 0);
    item->damage = in.damage;
    career->StoreEquipment(std::move(item));
}

// The sender's own ship, as the host's table knows it; null for a sender
// with no ship (or no entry).
SpaceObject* SendersShip(const NetInbound& packet) {
    const int32_t entry = packet.session.FindPlayerByDpid(packet.from);
    return entry >= 0 ? FindByUoid(packet.session.GetPlayerUoid(entry)) : nullptr;
}

// A client asks for projectiles of its own ship only, so many a second and
// so many in flight at once; a host's come as they come, up to what a
// world can carry.
bool MayMakeProjectile(const NetInbound& packet, const SpaceObject& owner) {
    const GameState& game = *g_gameState;
    if (!packet.session.IsHost()) return game.projectiles.Count() < NetSession::kMostProjectiles;
    NetSession& session = packet.session;
    const int32_t entry = session.FindPlayerByDpid(packet.from);
    NetPlayer* const player = session.EditPlayer(entry);
    if (player == nullptr || &owner != SendersShip(packet)) return false;
    int32_t alive = 0;
    for (const Projectile* projectile : game.projectiles) {
        if (projectile->owner.Get() == &owner && (projectile->flags & Projectile::kEnded) == 0) ++alive;
    }
    if (alive >= NetSession::kProjectilesAlive) return false;
    return player->projectiles.Take(GetMilliseconds(), 1000, NetSession::kProjectilesPerSecond);
}

// Salvage is what a kill leaves behind: a player takes in at most one item
// for each kill its entry counts, however often a SALVAGE names its ship.
bool TakeSalvageRight(NetSession& session, int32_t entry) {
    NetPlayer* const player = session.EditPlayer(entry);
    if (player == nullptr || player->salvaged >= std::min(player->kills, NetSession::kMostSalvage)) return false;
    ++player->salvaged;
    return true;
}

}  // namespace

void MakeProjectile(const NetInbound& packet) {
    GameState* const game = g_gameState;
    if (World() == nullptr || g_projectileTypes == nullptr) return;
    Trace(packet, packet.session.IsHost() ? "Recieving PROJ_REQUEST packet.\n" : "Recieving PROJ_CREATE packet.\n");
    const auto in = net_read::ReadProjectile(packet.data, packet.size);
    if (!in) return;
    ProjectileType* const type = FindIgnoringCase(g_projectileTypes, in->typeName);
    SpaceObject* const owner = FindByUoid(in->owner);
    // A shell its ship's flak could not fire takes nothing of the sender's share.
    if (type == nullptr || owner == nullptr || !net_bounds::ProjectileCounts(packet, *owner, *in) ||
        !MayMakeProjectile(packet, *owner)) {
        return;
    }
    // No lifetime, or one without end, would keep the shot in every world for good.
    const int32_t life = std::clamp(in->life, 1, NetSession::kLongestProjectileMs);
    StreamEffect* const trail = in->trailName[0] != 0 ? new StreamEffect(in->trailName) : nullptr;
    DamageRecord damage;
    damage.source = owner;
    std::copy(std::begin(in->damage), std::end(in->damage), damage.amounts);
    auto* const projectile =
        new Projectile(type, damage, in->emp, in->velocity, in->position, owner, nullptr, life, trail);
    game->RegisterObjectGroup(projectile, projectile->GetPalette(), 1);
    if (!packet.session.IsHost()) {
        ++packet.session.projectilesCreated;
        return;
    }
    NetPacket create;
    create.BuildProjectilePacket(kProjCreate, projectile, nullptr, 0);
    if (create.GetData() != nullptr) SendToAll(packet.session, create.GetData(), create.GetSize());
}

void ProjectileHit(const NetInbound& packet) {
    GameState* const game = g_gameState;
    if (!InFlight() || World() == nullptr || g_projectileTypes == nullptr) return;
    Trace(packet, "Recieving PROJ_HIT packet.\n");
    const auto in = net_read::ReadProjectileHit(packet.data, packet.size);
    if (!in) return;
    SpaceObject* const target = FindByUoid(in->target);
    if (target == nullptr || in->index < 0 || in->index >= game->projectiles.Count()) return;
    Projectile& projectile = *game->projectiles[in->index];
    const int32_t part = in->part >= 0 && in->part < target->parts.Count() ? in->part : 0;
    SpaceObject* const owner = projectile.owner.Get();
    // The record's source was taken when the projectile was made; the owner's
    // copy may have been deleted since, and only the link knows. The host's
    // own pass refreshes it the same way.
    projectile.damage.source = owner;
    target->TakeDamage(part, projectile.damage, owner);
    if (owner != nullptr && owner == game->playerShip && projectile.LaunchingWeapon() != nullptr) {
        if (auto* const craft = dynamic_cast<Craft*>(owner)) craft->CountWeaponHit(projectile.LaunchingWeapon());
    }
    if (projectile.type != nullptr) Register(FxObject::FxObjectAt(target, projectile.type->explosionName));
}

void ProjectileDestroy(const NetInbound& packet) {
    GameState* const game = g_gameState;
    if (World() == nullptr || g_projectileTypes == nullptr) return;
    Trace(packet, "Recieving PROJ_DESTROY packet.\n");
    const auto index = net_read::ReadProjectileDestroy(packet.data, packet.size);
    if (!index || *index < 0 || *index >= game->projectiles.Count()) return;
    // The world's pass deletes it; until then it keeps its place.
    game->projectiles[*index]->flags |= Projectile::kEnded;
}

void WeaponFire(const NetInbound& packet) {
    if (!ShotApplies(packet)) return;
    const auto in = net_read::ReadWeaponFire(packet.data, packet.size);
    Trace(packet, in && !in->gun ? "Recieving BEAM_HIT packet.\n" : "Recieving GUN_SHOT packet.\n");
    if (!in) return;
    SpaceObject* const shooter = FindByUoid(in->shooter);
    SpaceObject* const target = FindByUoid(in->target);
    if (shooter == nullptr || shooter == target || shooter == g_gameState->playerShip) return;
    // A client reports its own ship's shots only, and only what its weapons can do.
    if (packet.session.IsHost() && (shooter != SendersShip(packet) || !net_bounds::ShotCounts(packet, *shooter, target, *in))) {
        return;
    }
    ObjectPart* const firing = PartAt(shooter, in->firingPart);
    ObjectPart* const hit = PartAt(target, in->hitPart);
    if (in->gun) {
        const float length = target != nullptr ? std::min(shooter->DistanceTo(*target), kLongestShot) : kLongestShot;
        if (firing != nullptr) DrawTracers(*firing, length);
    } else if (const BeamType* const type = FindIgnoringCase(g_beamTypes, in->name)) {
        if (target != nullptr) Register(FxObject::FxObjectAt(target, type->explosionName));
        DrawBeam(*type, *shooter, target, firing, hit);
    }
    if (target != nullptr) {
        DamageRecord damage;
        damage.source = shooter;
        std::copy(std::begin(in->damage), std::end(in->damage), damage.amounts);
        target->TakeDamage(hit != nullptr ? in->hitPart : 0, damage, shooter);
        if (in->gun) RemoteShot::Create(std::min(in->strength, kStrongestImpact), in->impact);
    }
    Relay(packet);
}

void EmpDamage(const NetInbound& packet) {
    if (!ShotApplies(packet)) return;
    Trace(packet, "Recieving EMP_DAMAGE packet.\n");
    const auto in = net_read::ReadEmpDamage(packet.data, packet.size);
    if (!in) return;
    SpaceObject* const target = FindByUoid(in->target);
    // Only a pilot in flight fires a pulse, from a weapon of its ship that
    // carries a charge and reaches the craft it strikes.
    if (packet.session.IsHost()) {
        SpaceObject* const shooter = SendersShip(packet);
        if (shooter == nullptr || target == nullptr || target->type <= SpaceObject::kTypeCraft || target == shooter ||
            !net_bounds::PulseCounts(packet, *shooter, *target, in->amount)) {
            return;
        }
    }
    if (target != nullptr && target->type > SpaceObject::kTypeCraft) {
        // A pulse of any size is read: the level holds at its top.
        if (auto* const craft = dynamic_cast<Craft*>(target)) craft->AddEmp(in->amount);
    }
    Relay(packet);
}

void EcmStatus(const NetInbound& packet) {
    if (g_gameState == nullptr || World() == nullptr) return;
    Trace(packet, "Recieving ECM_STATUS packet.\n");
    const auto in = net_read::ReadEcmStatus(packet.data, packet.size);
    if (!in) return;
    NetSession& session = packet.session;
    SpaceObject* const ship = FindByUoid(in->ship);
    // A member switches its own ship's ECM only, as strong as the host's
    // copy of it is; the host tells every machine of the switch. A client
    // takes the host's word for any ship but its own, which it switched itself.
    const bool believed = session.IsHost() ? ship == SendersShip(packet) : ship != g_gameState->playerShip;
    if (!believed) return;
    auto* const craft = dynamic_cast<Craft*>(ship);
    if (craft == nullptr) return;
    auto* ecm = static_cast<EcmSystem*>(craft->GetSystem(ShipSystem::kEcm, nullptr));
    const bool on = in->range > 0;
    if (!session.IsHost()) {
        // A client's copy of another's ship carries no ECM until it hears of
        // one; it takes one, once, and the ship keeps it from then on. A
        // copy without parts has nowhere to keep one.
        if (ecm == nullptr) {
            const int16_t words[3] = {0, 0, 0};
            auto made = std::make_unique<EcmSystem>(craft, 0, words, 0);
            if (!craft->AddSystem(0, made.get())) return;
            ecm = made.release();
        }
        ecm->chanceMode3 = in->kind3Percent;
        ecm->chanceMode2 = in->kind2Percent;
        if (on) ecm->range = in->range;
    }
    if (ecm == nullptr) return;
    if (on == (ecm->switchedOn != 0)) return;
    if (on) {
        ecm->TurnOn();
    } else {
        ecm->TurnOff();
    }
    if (!session.IsHost()) return;
    NetPacket status;
    status.BuildEcmStatus(kEcmStatus, ship->uoid, on ? ecm->range : -1, ecm->chanceMode3, ecm->chanceMode2);
    if (status.GetData() != nullptr) SendToAll(session, status.GetData(), status.GetSize());
}

void SendEcmState(NetSession& session, const SpaceObject& ship, bool toAll, uint32_t to) {
    const EcmSystem* on = nullptr;
    for (const ObjectPart* part : ship.parts) {
        for (const ShipSystem* system : part->systems) {
            const auto* const ecm = dynamic_cast<const EcmSystem*>(system);
            if (on == nullptr && ecm != nullptr && ecm->switchedOn != 0) on = ecm;
        }
    }
    if (on == nullptr || on->range <= 0) return;
    NetPacket status;
    status.BuildEcmStatus(kEcmStatus, ship.uoid, on->range, on->chanceMode3, on->chanceMode2);
    if (status.GetData() == nullptr) return;
    if (toAll) {
        SendToAll(session, status.GetData(), status.GetSize());
    } else {
        SendTo(session, to, status.GetData(), status.GetSize());
    }
}

void Salvage(const NetInbound& packet) {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    Trace(packet, "Recieving SALVAGE packet.\n");
    const auto in = net_read::ReadSalvage(packet.data, packet.size);
    if (!in) return;
    NetSession& session = packet.session;
    if (!session.IsHost() || packet.from == session.ownDpid) {
        if (game->playerShip != nullptr && game->playerShip->uoid == in->recipient &&
            TakeSalvageRight(session, session.FindPlayerByDpid(session.ownDpid))) {
            StoreSalvage(*in);
        }
        return;
    }
    // What a pilot salvaged goes to its own ship, and back to that pilot
    // alone: naming another's ship would spend that pilot's right.
    const int32_t player = session.FindPlayerByUoid(in->recipient);
    if (player < 0 || session.GetPlayerDpid(player) != packet.from || !TakeSalvageRight(session, player)) return;
    NetPacket forward;
    forward.BuildSalvage(kSalvage, in->itemName, in->damage, in->recipient);
    if (forward.GetData() != nullptr) SendTo(session, packet.from, forward.GetData(), forward.GetSize());
}

}  // namespace net_handlers
