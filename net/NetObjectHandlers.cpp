#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/Clock.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Decals.h"
#include "mission/Goal.h"
#include "mission/Loadout.h"
#include "mission/ObjectLoader.h"
#include "net/NetHandlers.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetPilotBounds.h"
#include "net/PacketBytes.h"
#include "net/NetSession.h"
#include "objects/effects/StreamEffect.h"
#include "objects/ships/Craft.h"
#include "objects/space/Decoy.h"
#include "objects/space/JumpGate.h"
#include "objects/space/Mine.h"
#include "objects/space/Missile.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/weapons/Launchers.h"
#include "platform/DebugOutput.h"

namespace net_handlers {

namespace {

constexpr float kExhaustScale = 1.2f;
constexpr int32_t kExhaustBelowPercent = 40;
constexpr float kJumpGateReach = 500.0f;
constexpr int32_t kGivenUpUpdated = -2;   // a copy an update found dissimilar
constexpr int32_t kGivenUpCreated = -3;   // a copy a create found dissimilar
// Room for the shield readings of a remote craft: part, efficiency,
// capacity, allocation, absorption, wear.
constexpr int32_t kRemoteShield[6] = {0, 400, 400, 400, -1, 200};

GameState* Game() { return g_gameState; }

bool Launched(int32_t type) {
    return type == SpaceObject::kTypeMissile || type == SpaceObject::kTypeMine || type == SpaceObject::kTypeDecoy;
}

bool IsLocalPlayerShip(const SpaceObject* object) {
    return object != nullptr && Game() != nullptr && object == Game()->playerShip &&
           object->type == SpaceObject::kTypePlayerShip;
}

// Rows 1 and 2 and the position from the packet, row 0 their cross product;
// the heading follows row 2. The rows carry the placement's scale, so the
// bare cross product would be scaled twice: it is brought back to the
// length of the rows it came from.
void TakeTransform(SpaceObject& object, const float words[9]) {
    Matrix34& m = object.local.matrix;
    for (int row = 1; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) m.rows[row][column] = words[(row - 1) * 3 + column];
    }
    const Vector3 up{m.rows[1][0], m.rows[1][1], m.rows[1][2]};
    const Vector3 ahead{m.rows[2][0], m.rows[2][1], m.rows[2][2]};
    Vector3 right = up.Cross(ahead);
    const float scale = up.Length();
    if (scale > 0.0f && std::isfinite(scale)) right = right.DividedBy(scale);
    m.rows[0][0] = right.x;
    m.rows[0][1] = right.y;
    m.rows[0][2] = right.z;
    if (scale > 0.0f && std::isfinite(scale)) object.local.scale = scale;
    object.local.forward = ahead.Length() > 0.0f ? ahead.DividedBy(ahead.Length()) : ahead;
    object.local.UpdateInverse();
    object.UpdateWorldTransform(Transform::kUpdateInverse);
}

int32_t HitPercentOf(int32_t percent, int32_t maximum) { return int32_t(int64_t(percent) * maximum / 100); }

void ApplyHitPointBytes(SpaceObject& object, const uint8_t bytes[12]) {
    for (int32_t i = 0; i < 12 && i < object.HitPointRecordCount(); ++i) object.SetHitPointRecord(i, bytes[i]);
}

// An object made without a definition (the chase object, a wreck's chips)
// still has a uoid and is updated; no machine can build it, and asking the
// loader would only put up its message.
SpaceObject* LoadObject(const net_read::ObjectCreate& in) {
    if (in.definitionName[0] == 0) return nullptr;
    return DefinitionLibrary::Current().LoadObjectDefinition(in.definitionName, nullptr, in.type, 0);
}

// The rest of a create: the loaded object into the world, its fields and
// its kind's tail.
SpaceObject* BuildObject(SpaceObject* object, const net_read::ObjectCreate& in) {
    GameState* const game = Game();
    game->AddObjectsToWorld(object, 0);
    object->uoid = in.uoid;
    object->SetMass(in.mass);
    object->SetSide(in.side);
    object->SetName(in.name);
    object->velocity = in.velocity;
    object->angularVelocity = in.motion;
    object->SetAccelerations(in.acceleration, in.angularAcceleration);
    object->SetMaxRates(in.maxSpeed, in.maxTurnRate);
    TakeTransform(*object, in.transform);
    const auto tail = [&](int i) { return int32_t(in.tail[i]); };
    switch (in.type) {
        case SpaceObject::kTypeMissile:
            if (auto* const missile = dynamic_cast<Missile*>(object)) {
                for (int i = 0; i < 5; ++i) missile->damage.amounts[i] = tail(i);
                missile->owner = FindByUoid(tail(5));
                missile->target = FindByUoid(tail(6));
                missile->targetPart = tail(7);
                missile->turnRate = tail(8);
                missile->guidance = tail(9);
                missile->lifetime = tail(10);
                if (missile->owner.Get() != nullptr && missile->owner.Get() == game->playerShip) {
                    game->lastPlayerMissile = missile;
                }
                // Armed as the host's own is: the host decides what it meets.
                missile->Arm();
            }
            object->Activate(float(tail(10)) / 1000.0f);
            break;
        case SpaceObject::kTypeMine:
            if (auto* const mine = dynamic_cast<Mine*>(object)) {
                for (int i = 0; i < 5; ++i) mine->damage.amounts[i] = tail(i);
                mine->owner = FindByUoid(tail(5));
                mine->empCharge = tail(7);
                mine->SetSide(mine->owner.Get() != nullptr ? mine->owner.Get()->side : -1);
            }
            object->Accelerate(0.0f);
            // A mine stays until the host removes it.
            object->Activate(0.0f);
            break;
        case SpaceObject::kTypeDecoy:
            if (auto* const decoy = dynamic_cast<Decoy*>(object)) {
                decoy->missileLureChance = tail(0);
                decoy->craftLureChance = tail(1);
                decoy->owner = FindByUoid(tail(2));
            }
            // No lifetime, or a negative one, means the decoy stays.
            object->Activate(tail(3) > 0 ? float(tail(3)) / 1000.0f : 0.0f);
            break;
        case SpaceObject::kTypeAsteroid:
            object->Activate(0.0f);
            break;
        default:
            if (auto* const craft = dynamic_cast<Craft*>(object)) {
                // A craft without parts keeps no shield: the one made for it goes.
                auto shield = std::make_unique<ShieldSystem>(craft, kRemoteShield[0], kRemoteShield[1], kRemoteShield[2],
                                                             kRemoteShield[3], kRemoteShield[4], kRemoteShield[5]);
                if (craft->AddSystem(0, shield.get())) shield.release();
                if (tail(0) >= 0) {
                    craft->decalSet = tail(0);
                    decals::ApplyDecals(craft, tail(0));
                }
                craft->classWord = tail(1);
                object->Activate(0.0f);
            } else {
                object->isNavPoint = uint32_t(tail(0));
                object->Activate(0.0f);
            }
            break;
    }
    // A mine lies hidden; everything else shows.
    if (in.type == SpaceObject::kTypeMine) {
        object->flags |= SpaceObject::kFlagHiddenObject;
    } else {
        object->flags &= ~SpaceObject::kFlagHiddenObject;
    }
    return object;
}

// A client's world holds what its host made, up to what a mission holds:
// past it a host would be making it keep objects without end.
constexpr int32_t kMostWorldObjects = 4096;
bool WorldFull() {
    int32_t count = 0;
    for (const SpaceObject* object = World(); object != nullptr && count < kMostWorldObjects; object = object->GetNext()) ++count;
    return count >= kMostWorldObjects;
}

// The sender's entry in the host's table and its ship, when it has them.
int32_t SenderEntry(const NetInbound& packet) { return packet.session.FindPlayerByDpid(packet.from); }
SpaceObject* SendersShip(const NetInbound& packet) {
    const int32_t entry = SenderEntry(packet);
    return entry >= 0 ? FindByUoid(packet.session.GetPlayerUoid(entry)) : nullptr;
}

void SendObjectCreate(NetSession& session, const SpaceObject& object, bool toAll, uint32_t to) {
    NetPacket reply;
    reply.BuildObjectPacket(kObjectCreate, &object);
    if (reply.GetData() == nullptr) return;
    if (toAll) {
        SendToAll(session, reply.GetData(), reply.GetSize());
    } else {
        SendTo(session, to, reply.GetData(), reply.GetSize());
    }
    SendEcmState(session, object, toAll, to);
}

bool Unbuildable(const NetSession& session, int32_t uoid) {
    for (const int32_t known : session.unbuildableUoids) {
        if (known == uoid) return true;
    }
    return false;
}

// Remembered without bound the list would grow with every chip of every
// wreck; past the limit such an object is asked for again, which costs a
// request, not a fault.
void RememberUnbuildable(NetSession& session, int32_t uoid) {
    if (Unbuildable(session, uoid) || session.unbuildableUoids.Count() >= NetSession::kMaxUnbuildableUoids) return;
    session.unbuildableUoids.Append(uoid);
}

void SendObjectRequest(NetSession& session, int32_t uoid) {
    NetPacket request;
    request.BuildScenePacket(kObjectRequest, uoid);
    if (request.GetData() != nullptr) SendToServer(session, request.GetData(), request.GetSize());
}

// A ship that leaves without exploding left through the mission's gate
// when it was near it.
void PlayJumpGateNear(const SpaceObject& object) {
    GameState* const game = Game();
    if (game == nullptr || game->jumpGoal == nullptr) return;
    SpaceObject* const gate = game->jumpGoal->GetSubject();
    if (gate == nullptr || gate->DistanceTo(object) > kJumpGateReach) return;
    if (auto* const jumpGate = dynamic_cast<JumpGate*>(gate)) jumpGate->PlayJumpEffect(nullptr);
}

// A craft that leaves without exploding is out of the flight, no wreck:
// nothing on this machine takes it for one and brings it back.
void EndObject(SpaceObject& object, SpaceObject* killer, int32_t explode) {
    if (explode != 0) {
        // A craft dies once: a word of a death its machine already runs
        // (its own, or another's told first) starts no second one.
        const auto* const craft = dynamic_cast<const Craft*>(&object);
        if (craft == nullptr || (craft->dead == 0 && craft->active != 0)) object.Explode(killer, 1);
        return;
    }
    if (auto* const craft = dynamic_cast<Craft*>(&object)) {
        craft->LeaveFlight();
    } else {
        object.Deactivate(0);
    }
    PlayJumpGateNear(object);
}

// Whether the host's copy stands where its pilot could have jumped: within
// the jump's reach of a gate (the jump goal's distance of its own gate, the
// two hulls meeting at any other), give or take the flight the copy may
// trail its pilot by on a stalled link.
bool AtAGate(const SpaceObject& ship) {
    const GameState* const game = Game();
    const Goal* const goal = game != nullptr ? game->jumpGoal : nullptr;
    const SpaceObject* const goalGate =
        goal == nullptr ? nullptr : goal->destination != nullptr ? goal->destination : goal->GetSubject();
    const float lag = net_bounds::kFastestFlight * float(net_bounds::kMoveLagMs) / 1000.0f;
    for (const SpaceObject* gate = World(); gate != nullptr; gate = gate->GetNext()) {
        if (gate->active == 0 || (gate->type != SpaceObject::kTypeJumpGate && gate != goalGate)) continue;
        if (ship.DistanceTo(*gate) <= net_bounds::JumpReach(ship, *gate) + lag) return true;
    }
    return false;
}

// Whether `launched` (a missile, mine, decoy or probe definition) is what
// a launch of the named definition and kind makes.
bool Launches(const SpaceObject* launched, const net_read::ObjectCreate& in) {
    return launched != nullptr && launched->type == in.type &&
           std::strncmp(launched->label, in.definitionName, sizeof in.definitionName) == 0;
}

// A missile launcher's missile names the ship that launched it; a probe,
// made of the same kind of definition, names none.
bool NamesOwner(const net_read::ObjectCreate& in) { return int32_t(in.tail[5]) != net_read::kNoObject; }

// What a member launched ends by itself, however long its launcher would
// keep it (a mine stays, a decoy may): within the longest stay, its end
// reaching every machine as the host's removal.
void EndWithinLongestStay(SpaceObject& object) {
    const int64_t latest = int64_t(object.Age()) + NetSession::kLongestStayMs;
    if (object.expiresAt < 0 || object.expiresAt > latest) object.expiresAt = int32_t(latest);
}

// A member's launch of `in`, made from the first launcher of its ship's
// copy that launches it and holds a round its trigger's pace lets go now;
// null when none does.
SpaceObject* LaunchFrom(Craft& ship, const net_read::ObjectCreate& in) {
    for (ShipSystem* system = ship.GetSystem(ShipSystem::kAny, nullptr); system != nullptr;
         system = ship.GetSystem(ShipSystem::kAny, system)) {
        SpaceObject* made = nullptr;
        switch (system->typeId) {
            case Weapon::kMissileLauncher: {
                auto& launcher = static_cast<MissileLauncher&>(*system);
                if (!NamesOwner(in) || !Launches(launcher.launchTemplate, in)) continue;
                made = launcher.LaunchRequested(FindByUoid(int32_t(in.tail[6])), int32_t(in.tail[7]));
                break;
            }
            case Weapon::kObjectLauncher: {
                auto& launcher = static_cast<ObjectLauncher&>(*system);
                if (!Launches(launcher.launchTemplate, in)) continue;
                made = launcher.LaunchRequested();
                break;
            }
            case ShipSystem::kDecoy: {
                auto& launcher = static_cast<DecoySystem&>(*system);
                if (launcher.decoysLeft <= 0 || !Launches(launcher.decoyTemplate, in)) continue;
                made = launcher.LaunchRequested();
                break;
            }
            case ShipSystem::kSensor: {
                auto& launcher = static_cast<SensorSystem&>(*system);
                if (launcher.probesLeft <= 0 || NamesOwner(in) || !Launches(launcher.probeTemplate, in)) continue;
                made = launcher.LaunchRequested();
                break;
            }
            default: continue;
        }
        // A rack not yet due leaves the launch to another the trigger fires with it.
        if (made == nullptr) continue;
        EndWithinLongestStay(*made);
        return made;
    }
    return nullptr;
}

// The player's ship the host saw strike the ship of table entry `entry`
// last, lately; -1 for none.
int32_t LatestAttacker(const NetSession& session, int32_t entry) {
    const NetPlayer* const player = session.Player(entry);
    if (player == nullptr) return -1;
    const uint32_t now = GetMilliseconds();
    int32_t latest = -1;
    uint32_t latestAge = 0;
    for (const NetSeenHit& hit : player->seenHits) {
        const uint32_t age = now - hit.at;
        if (hit.attacker < 0 || hit.attacker == player->shipUoid || age > net_bounds::kSeenHitMs) continue;
        if (session.FindPlayerByUoid(hit.attacker) < 0 || (latest >= 0 && age >= latestAge)) continue;
        latest = hit.attacker;
        latestAge = age;
    }
    return latest;
}

// A member's word that its own ship left without exploding, judged on the
// host's copy: at a gate it jumped out; anywhere else its pilot gave it up
// (an eject), and when a pilot was striking it lately that pilot brought it
// down all the same and keeps the kill. Either way it is out for good, never
// brought back as its pilot's. A copy in its death throes leaves by no such
// word: its death runs on. False when the word is refused.
bool LetLeave(NetSession& session, int32_t entry, Craft& ship) {
    if (ship.dead != 0) return false;
    const bool atGate = AtAGate(ship);
    // Told while the copy still flies: its life is the one that ends now.
    if (!atGate) {
        if (const int32_t attacker = LatestAttacker(session, entry); attacker >= 0) session.AnnounceKill(attacker, ship.uoid);
    }
    ship.LeaveFlight();
    if (atGate) PlayJumpGateNear(ship);
    return true;
}

}  // namespace

void Trace(const NetInbound& packet, const char* line) {
    if (packet.trace) platform::DebugOutput(line);
}

void TraceUoid(const NetInbound& packet, const char* format, int32_t uoid) {
    if (!packet.trace) return;
    char line[96];
    std::snprintf(line, sizeof line, format, long(uoid));
    platform::DebugOutput(line);
}

SpaceObject* World() {
    GameState* const game = Game();
    return game != nullptr && game->mission != nullptr ? game->mission->firstObject : nullptr;
}

SpaceObject* FindByUoid(int32_t uoid) {
    SpaceObject* const first = World();
    return first != nullptr && uoid >= 0 ? first->FindByUoid(uoid) : nullptr;
}

void SendTo(NetSession& session, uint32_t to, const uint8_t* data, uint32_t size) {
    session.Send(session.IsHost() ? session.serverDpid : session.ownDpid, to, data, size);
}

void SendToServer(NetSession& session, const uint8_t* data, uint32_t size) {
    session.Send(session.ownDpid, session.serverDpid, data, size);
}

void SendToAll(NetSession& session, const uint8_t* data, uint32_t size) {
    session.SendToAll(session.serverDpid, data, size);
}

void AddExhaust(SpaceObject& object) {
    if (object.parts.Count() == 0 || object.parts[0]->attached != nullptr) return;
    auto* const trail = new StreamEffect("Exhaust");
    trail->jitter = kExhaustScale;
    object.parts[0]->attached = trail;
}

void ObjectCreate(const NetInbound& packet) {
    if (Game() == nullptr || Game()->mission == nullptr || WorldFull()) return;
    auto in = std::make_unique<net_read::ObjectCreate>();
    if (!net_read::ReadObjectCreate(packet.data, packet.size, in.get())) return;
    TraceUoid(packet, "Receiving OBJECT_CREATE for uoid %ld.\n", in->uoid);
    SpaceObject* const known = FindByUoid(in->uoid);
    if (known != nullptr &&
        (IsLocalPlayerShip(known) ||
         (known->type == in->type && std::strncmp(known->label, in->definitionName, sizeof in->definitionName) == 0))) {
        Trace(packet, "  Similar/identical object already exists, ignoring.\n");
        return;
    }
    // What cannot be built replaces nothing.
    SpaceObject* const made = LoadObject(*in);
    if (made == nullptr) {
        // A missing definition may yet arrive; no name never will.
        if (in->definitionName[0] == 0) RememberUnbuildable(packet.session, in->uoid);
        return;
    }
    if (known != nullptr) {
        Trace(packet, "  Disimilar object already exists, deactivating it and continuing.\n");
        known->uoid = kGivenUpCreated;
        known->Deactivate(1);
    }
    BuildObject(made, *in);
    // A goal about it may have arrived first.
    BindPendingSubjects(made);
}

void CreationRequest(const NetInbound& packet) {
    Trace(packet, "Recieving CREATION_REQUEST packet.\n");
    if (Game() == nullptr || Game()->mission == nullptr) return;
    // A machine asks only for what it launches (missiles, probes, mines,
    // decoys, which all end by themselves), only as a player, only so
    // often and only so many at once: each object costs the host a load
    // and every machine a copy for as long as it lasts. Refused before the
    // packet is read, a flood costs a look-up a packet.
    const int32_t kind = PacketReader(packet.data, packet.size).I32(8);
    const int32_t player = packet.session.FindPlayerByDpid(packet.from);
    if (!Launched(kind) || !packet.session.TakeCreation(player, false)) return;
    auto in = std::make_unique<net_read::ObjectCreate>();
    if (!net_read::ReadObjectCreate(packet.data, packet.size, in.get()) || !in->request) return;
    // What a machine launches leaves its own flying ship, from a launcher
    // of that ship that holds a round of it: the host makes the launch
    // there, as that launcher launches, and takes the round. The packet
    // names what was launched and, for a missile, what it homes on; where it
    // starts, how fast it flies and what it carries are the launcher's.
    auto* const ship = dynamic_cast<Craft*>(SendersShip(packet));
    if (ship == nullptr || !net_bounds::Flying(*ship)) return;
    SpaceObject* const made = LaunchFrom(*ship, *in);
    if (made != nullptr) packet.session.KeepCreation(player, made);
}

void ObjectUpdate(const NetInbound& packet) {
    if (World() == nullptr) return;
    const auto in = net_read::ReadObjectUpdate(packet.data, packet.size);
    if (!in) return;
    TraceUoid(packet, "Receiving OBJECT_UPDATE for uoid %ld.\n", in->uoid);
    SpaceObject* const object = FindByUoid(in->uoid);
    if (object == nullptr) {
        if (Unbuildable(packet.session, in->uoid)) return;
        SendObjectRequest(packet.session, in->uoid);
        Trace(packet, "  Uoid not found, relaying OBJECT_REQUEST packet.\n");
        return;
    }
    auto* const craft = dynamic_cast<Craft*>(object);
    // A wreck whose death has run its course: the host brings every
    // pilot's ship back, and its update says where.
    const bool spentWreck = craft != nullptr && craft->active == 0 && craft->dead == 0 && craft->jumpedOut == 0 &&
                            craft->jumpDeadline == 0 && craft->deaths > 0;
    const Vector3 place{in->transform[6], in->transform[7], in->transform[8]};
    if (IsLocalPlayerShip(object)) {
        // A client steers its own ship, once it flies. The host judges the
        // hits on it, and its shields may have stood apart from this
        // machine's: its word lowers the hull, as the pilot's word lowers
        // the host's copy, so that both hold the lower and the pilot sees
        // the hull the host will end the ship at.
        if (!spentWreck) {
            if (in->full && craft != nullptr && craft->active != 0 && craft->dead == 0) {
                net_bounds::TakeReportedHull(*object, in->hitPercent, in->partHitPoints);
            }
            return;
        }
        craft->RespawnAt(place);
        TakeTransform(*object, in->transform);
        return;
    }
    if (NetPacket::ObjectSignature(object) != in->signature) {
        object->uoid = kGivenUpUpdated;
        object->Deactivate(1);
        SendObjectRequest(packet.session, in->uoid);
        Trace(packet, "  Object verification failed, relaying OBJECT_REQUEST packet.\n");
        return;
    }
    if (spentWreck) {
        // Respawned on the host: whole and still, as the host made it.
        craft->RespawnAt(place);
    } else if (object->active == 0) {
        // The host has it back (a jump in) as whole as before: shots and
        // collisions meet it again, not only the eye.
        if (craft != nullptr) craft->jumpedOut = 0;
        object->collisionDelay = 0;
        object->Activate(0.0f);
    }
    object->velocity = in->velocity;
    object->angularVelocity = in->motion;
    object->SetAccelerations(in->acceleration, object->GetSpinCap());
    object->SetMaxRates(in->maxSpeed, object->GetMaxTurnRate());
    TakeTransform(*object, in->transform);
    if (!in->full) return;
    if (in->playerIndex >= 0) packet.session.SetPlayerUoid(in->playerIndex, in->uoid);
    if (craft != nullptr) {
        if (auto* const shield = static_cast<ShieldSystem*>(craft->GetSystem(ShipSystem::kShield, nullptr))) {
            shield->SetRemoteDepletion(in->shieldDepletion);
        }
        craft->powerDrawCache = in->powerDraw;
        craft->cloaked = in->cloaked;
    }
    object->hitPoints = HitPercentOf(in->hitPercent, object->GetMaxHitPoints(nullptr));
    if (in->hitPercent < kExhaustBelowPercent) AddExhaust(*object);
    // The form carries only the side's low byte: a side held whole (told
    // at the object's creation, or its pilot's team's) that agrees in that
    // byte stays, as a pilot's own number in a free-for-all must.
    if (int8_t(object->side) != in->side) object->SetSide(in->side);
    ApplyHitPointBytes(*object, in->partHitPoints);
}

void ObjectRequest(const NetInbound& packet) {
    if (World() == nullptr) return;
    const auto in = net_read::ReadObjectRequest(packet.data, packet.size);
    if (!in) return;
    TraceUoid(packet, "Receiving OBJECT_REQUEST for uoid %ld.\n", in->uoid);
    const SpaceObject* const object = FindByUoid(in->uoid);
    if (object == nullptr || object->active == 0) return;
    const auto* const craft = dynamic_cast<const Craft*>(object);
    if (craft != nullptr && craft->dead != 0) return;
    // The answer goes to whoever asked, whatever the packet says.
    SendObjectCreate(packet.session, *object, false, packet.from);
}

void DestructionRequest(const NetInbound& packet) {
    if (World() == nullptr) return;
    Trace(packet, "Recieving DESTRCTION_REQUEST packet.\n");
    const auto in = net_read::ReadDestroy(packet.data, packet.size);
    if (!in) return;
    SpaceObject* const object = FindByUoid(in->uoid);
    if (object == nullptr || object->active == 0) return;
    // A death already under way here (the host holds a member's hull, and
    // may have ended the ship first) was told with its start.
    if (const auto* const craft = dynamic_cast<const Craft*>(object); craft != nullptr && craft->dead != 0) return;
    // A machine ends only what is its own: its ship and what it launched;
    // its ship's killer is one the host saw strike it, or none.
    const int32_t entry = SenderEntry(packet);
    if (!packet.session.Owns(entry, object)) return;
    const bool ownShip = object->uoid == packet.session.GetPlayerUoid(entry);
    const bool seen = !ownShip || net_bounds::SeenKiller(packet.session, entry, in->killer);
    SpaceObject* const killer = seen ? FindByUoid(in->killer) : nullptr;
    auto* const leaving = ownShip && in->explode == 0 ? dynamic_cast<Craft*>(object) : nullptr;
    if (leaving != nullptr) {
        if (!LetLeave(packet.session, entry, *leaving)) return;
    } else {
        EndObject(*object, killer, in->explode);
    }
    NetPacket reply;
    reply.BuildObjectEventPacket(kObjectDestroy, object, killer);
    if (reply.GetData() == nullptr) return;
    // The flag goes on as asked, not as the object now reads.
    PacketWriter(reply.GetData(), reply.GetSize()).I32(16, in->explode);
    SendToAll(packet.session, reply.GetData(), reply.GetSize());
}

void ObjectDestroy(const NetInbound& packet) {
    if (World() == nullptr) return;
    Trace(packet, "Recieving OBJECT_DESTROY packet.\n");
    const auto in = net_read::ReadDestroy(packet.data, packet.size);
    if (!in) return;
    SpaceObject* const object = FindByUoid(in->uoid);
    if (object != nullptr) EndObject(*object, FindByUoid(in->killer), in->explode);
}

void AutoturretRequest(const NetInbound& packet) {
    if (World() == nullptr) return;
    Trace(packet, "Recieving AUTOTURRET_REQUEST packet.\n");
    const auto in = net_read::ReadAutoturretRequest(packet.data, packet.size);
    if (!in) return;
    // A machine arms its own ship only.
    SpaceObject* const ship = FindByUoid(*in);
    if (ship == nullptr || ship != SendersShip(packet)) return;
    if (auto* const craft = dynamic_cast<Craft*>(ship)) loadout::LoadLoadout(craft);
}

void SendWorld(NetSession& session) {
    for (SpaceObject* object = World(); object != nullptr; object = object->GetNext()) {
        if (object->active != 0 && object->uoid >= 0) SendObjectCreate(session, *object, true, 0);
    }
}

}  // namespace net_handlers
