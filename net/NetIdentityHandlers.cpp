#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/Clock.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/Definitions.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/ShipRecord.h"
#include "mission/Decals.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "net/NetGameSettings.h"
#include "net/NetGoalPackets.h"
#include "net/NetHandlers.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetPilotBounds.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/weapons/Weapon.h"

namespace net_handlers {

namespace {

constexpr int32_t kExhaustBelowPercent = 40;
constexpr int16_t kJammerSwitchedOff = -1;
constexpr int32_t kGivenUpCopy = -3;   // the uoid of a copy given up for the real thing

float Within(float value, float most) { return std::clamp(value, -most, most); }

Vector3 AtMost(const Vector3& v, float most) {
    const float length = v.Length();
    return length > most ? v.Scaled(most / length) : v;
}

// What the definitions file offers the game's pilots (as the lobby's
// requisition catalogue lists them). The hull the host builds a member's
// copy from: the one the member names when the file holds it and offers
// it, else the first one it offers, which a new pilot is given. A capital
// ship or a raider would bring weapons, hull and shields a pilot's ship
// never has, and the member's shots and damage are judged by them; a member
// whose data differs from the host's still flies and is seen, held to a
// pilot's ship. Empty when the file offers no hull. And, for a fit, the most
// any of those hulls' own equipment loads into an item (a mine layer's
// mines): a career's launcher never holds more. The file is walked rather
// than asked for the name, which for a name it lacks would put up a message
// on the host.
struct Offered {
    std::string hull;
    std::map<std::string, int32_t> mostLoaded;
};

Offered OfferedHulls(const char* named, bool loads) {
    Offered offered;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    IffFile file(0);
    if (file.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return offered;
    std::string first;
    bool found = false;
    definitions::ForEachEntry(file, definition_format::kSpobForm, [&](IffFile& entry) {
        SpobDefinition spob;
        if (definitions::ReadSpob(entry, &spob) != kStatusOk || !CareerRecord::OffersHull(spob.id)) return true;
        if (first.empty()) first = spob.id;
        found = found || std::strcmp(spob.id, named) == 0;
        for (const SpobDefinition::Equipment& item : spob.equipment) {
            int32_t& most = offered.mostLoaded[item.id];
            most = std::max(most, item.ammunition);
        }
        return loads || !found;
    });
    file.CloseFile();
    offered.hull = found ? std::string(named) : first;
    return offered;
}

// The member's fit on its hull, each item dropped where its ship holds it
// as the outfitting screen drops one: null, and the copy keeps its hull's
// own equipment, when the catalogue offers no such item, when the hull has
// no mount for one, or when its mounts are taken already.
std::unique_ptr<ShipRecord> FitOnHull(const net_read::NewPlayer& in, const Offered& offered) {
    auto record = std::make_unique<ShipRecord>(offered.hull.c_str());
    if (record->LoadHull() != kStatusOk) return nullptr;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    IffFile definitions(0);
    if (definitions.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return nullptr;
    bool whole = true;
    for (uint32_t i = 0; whole && i < in.fitCount; ++i) {
        const net_read::FitItem& fitted = in.fit[i];
        auto item = CareerRecord::OffersItem(fitted.id) ? std::make_unique<EquipmentItem>(fitted.id, definitions, 0) : nullptr;
        if (item == nullptr || item->LoadStatus() != kStatusOk) {
            whole = false;
            break;
        }
        item->areaIndex = fitted.area;
        item->column = fitted.column;
        item->row = fitted.row;
        item->damage = fitted.damage;
        const auto most = offered.mostLoaded.find(item->id);
        item->ammunition = std::min<int32_t>(fitted.ammunition, most != offered.mostLoaded.end() ? most->second : 0);
        whole = record->DropItemInItsCells(std::move(item)) == nullptr;
    }
    definitions.CloseFile();
    return whole ? std::move(record) : nullptr;
}

}  // namespace

void NewPlayer(const NetInbound& packet) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->netSettings == nullptr || World() == nullptr) return;
    Trace(packet, "Recieving NEW_PLAYER packet.\n");
    NetSession& session = packet.session;
    // A ship belongs to an entry of the table (with the table full there is
    // none) and a peer announcing ship after ship is held to the ship rate,
    // a known one before its packet is read: a flood costs a look-up a packet.
    int32_t entry = session.FindPlayerByDpid(packet.from);
    if (entry >= 0 && !session.TakeCreation(entry, true)) return;
    auto in = std::make_unique<net_read::NewPlayer>();
    if (!net_read::ReadNewPlayer(packet.data, packet.size, in.get())) return;
    // A client announces only its own ship.
    if (in->dpid != packet.from) return;
    // A pilot flies one ship a flight, the one the host made for it: an
    // announcement while that copy is in the world is told the copy's number
    // again and changes nothing of it. A copy that flies goes on as it was,
    // with its hull, systems, place and allowances; one that left (a jump,
    // an eject), or that is dead or dying, stays so, and only the host's own
    // return brings a dead one back. A new copy would be whole, live and
    // wherever its pilot liked.
    if (entry >= 0) {
        if (const SpaceObject* const earlier = FindByUoid(session.GetPlayerUoid(entry))) {
            session.SetPlayerAcked(entry, 0);
            NetPacket idInfo;
            idInfo.BuildIdInfo(kIdInfo, packet.from, packet.to, earlier->uoid);
            if (idInfo.GetData() != nullptr) session.Send(session.serverDpid, packet.from, idInfo.GetData(), idInfo.GetSize());
            return;
        }
    }
    // The ship's name is shown and logged on every machine: it prints as text.
    const std::string name = net_read::Printable(in->name);
    if (entry < 0) {
        entry = session.AddPlayer(in->dpid, session.UniqueName(name.c_str(), -1).c_str(), -1);
        if (!session.TakeCreation(entry, true)) return;
    }
    const Offered offered = OfferedHulls(in->definitionName, in->fitCount > 0);
    const std::string& hull = offered.hull;
    if (hull.empty()) return;
    SpaceObject* const copy = DefinitionLibrary::Current().LoadObjectDefinition(hull.c_str(), nullptr, SpaceObject::kTypeAiShip, 0);
    if (copy == nullptr) return;
    session.SetPlayerUoid(entry, copy->uoid);
    session.SetPlayerAcked(entry, 0);
    // A new copy (a new flight's) has been rearmed nowhere yet, and meets
    // no goal its pilot told of before: that was the last flight's.
    if (NetPlayer* const pilot = session.EditPlayer(entry)) {
        pilot->rearmedAt.Clear();
        for (NetReportedGoal& report : pilot->reportedGoals) report = NetReportedGoal{};
    }
    copy->SetName(name.c_str());
    // Built as the pilot's own ship is built: with its fit when the hull
    // takes it, else with the hull's own equipment. Its systems, its
    // launchers and its mass are the ones its hits, rams and launches are
    // judged by here.
    if (auto* const craft = dynamic_cast<Craft*>(copy)) {
        const std::unique_ptr<ShipRecord> fit = in->fitCount > 0 && hull == in->definitionName ? FitOnHull(*in, offered) : nullptr;
        if (fit != nullptr) {
            FitFromRecord(*craft, *fit);
            // The record was the host's own, for this build alone.
            craft->shipSerial = 0;
        } else {
            DefinitionLibrary::Current().LoadShipDefinition(craft, nullptr, nullptr, 0);
        }
        craft->decalSet = in->logo;
    }
    NetPacket idInfo;
    idInfo.BuildIdInfo(kIdInfo, packet.from, packet.to, copy->uoid);
    if (idInfo.GetData() != nullptr) session.Send(session.serverDpid, packet.from, idInfo.GetData(), idInfo.GetSize());
    // The side is the game's for the pilot, and the mass the loader summed
    // for the hull and what it carries: collisions are the host's, and
    // what a ship does to what it rams, or whom it fights for, is no word of
    // its pilot's.
    session.GivePilotSide(entry, *copy);
    copy->UpdateVisibility();
    decals::ApplyDecals(copy, in->logo);
    // Until its pilot's reports move it, the copy waits where no ship flies,
    // the place it comes back to after a death (every machine takes the
    // pilot's return from the host). Its pilot's first report is judged
    // from there, however late the pilot hears the copy's number: the
    // hull's cruising speed would otherwise fly it off alone, into whatever
    // lies ahead, and leave the pilot's honest place beyond its reach.
    const Vector3 start = PickNetworkStart(entry);
    if (auto* const craft = dynamic_cast<Craft*>(copy)) {
        craft->StartAt(start);
        craft->HoldStill();
    } else {
        copy->SetPositionFlags(start, Transform::kAllFlags | 0x10);
    }
    game->AddObjectsToWorld(copy, 0);
    copy->Activate(0.0f);
    NetPacket create;
    create.BuildObjectPacket(kObjectCreate, copy);
    if (create.GetData() == nullptr) return;
    for (int32_t i = 0; i < session.playerCapacity; ++i) {
        const NetPlayer* const player = session.Player(i);
        if (player->inUse == 0 || player->dpid == 0 || player->dpid == packet.from || player->dpid == session.serverDpid) {
            continue;
        }
        session.Send(session.serverDpid, player->dpid, create.GetData(), create.GetSize());
    }
}

void IdInfo(const NetInbound& packet) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->netSettings == nullptr || game->playerShip == nullptr) return;
    Trace(packet, "Recieving ID_INFO packet.\n");
    const auto in = net_read::ReadIdInfo(packet.data, packet.size);
    if (!in) return;
    NetSession& session = packet.session;
    // A negative number names no ship, and a number of the client's own
    // range was never the host's to give.
    if (in->clientId != session.ownDpid || in->uoid < 0 || in->uoid >= NetSession::kClientUoidBase) return;
    if (session.serverDpid == 0) session.serverDpid = in->hostId;
    SpaceObject& ship = *game->playerShip;
    // The ship is renamed once; a repeated identity is only confirmed again.
    if (ship.uoid != in->uoid) {
        // The host's updates of our ship may have arrived before its number
        // did, and been answered with a copy of it: that copy goes.
        SpaceObject* const ghost = FindByUoid(in->uoid);
        if (ghost != nullptr && ghost != &ship) {
            ghost->uoid = kGivenUpCopy;
            ghost->Deactivate(1);
        }
        const int32_t own = session.FindPlayerByDpid(session.ownDpid);
        ship.uoid = in->uoid;
        session.GivePilotSide(own, ship);
        session.SetPlayerUoid(own, in->uoid);
        // An ECM switched on before the host knew the ship was told under
        // the number the ship flew by then, which the host did not know.
        if (auto* const craft = dynamic_cast<Craft*>(&ship)) {
            if (const auto* const ecm = dynamic_cast<const EcmSystem*>(craft->GetSystem(ShipSystem::kEcm, nullptr))) {
                ecm->ReportAgain();
            }
        }
    }
    NetPacket ack;
    ack.BuildIdAck(kIdAck);
    if (ack.GetData() != nullptr) SendToServer(session, ack.GetData(), ack.GetSize());
}

void PlayerInfo(const NetInbound& packet) {
    if (World() == nullptr) return;
    Trace(packet, "Recieving PLAYER_INFO packet.\n");
    const auto in = net_read::ReadPlayerInfo(packet.data, packet.size);
    if (!in) return;
    NetSession& session = packet.session;
    // The host's copy of a pilot's ship stays one: the report's plain-craft
    // word changes no kind, which would have the host stop hearing the
    // copy's reports and fly it on as a decoy its shots are judged from.
    SpaceObject* const ship = FindByUoid(in->uoid);
    if (ship == nullptr || ship->type != SpaceObject::kTypeAiShip) return;
    // Only the sender's own ship answers to it.
    const int32_t entry = session.FindPlayerByDpid(packet.from);
    if (entry < 0 || session.GetPlayerUoid(entry) != in->uoid) return;
    // The ship turns, at its own size; rows that would stretch it are no report of it.
    const float scale = ship->local.scale > 0.0f && std::isfinite(ship->local.scale) ? ship->local.scale : 1.0f;
    float rows[9];
    if (!net_bounds::RotationCounts(in->transform, scale, rows)) return;
    // Only as far as the ship can fly: the copy goes no farther than its pilot's allowance.
    Vector3 to{in->transform[9], in->transform[10], in->transform[11]};
    if (!net_bounds::MoveCounts(session, entry, *ship, &to)) return;
    // The host flies the copy on between reports: no faster than a ship.
    ship->angularVelocity = {in->motion[0], in->motion[1], in->motion[2]};
    ship->velocity = AtMost(Vector3{in->velocity[0], in->velocity[1], in->velocity[2]}, net_bounds::kFastestFlight);
    ship->SetAccelerations(Within(in->acceleration, net_bounds::kFastestFlight), ship->GetSpinCap());
    ship->SetMaxRates(Within(in->maxSpeed, net_bounds::kFastestFlight), ship->GetMaxTurnRate());
    ship->local.forward = Vector3{rows[6], rows[7], rows[8]}.DividedBy(scale);
    ship->local.forwardW = in->heading[3];
    ship->local.changeCount = in->changeCount;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) ship->local.matrix.rows[row][column] = rows[row * 3 + column];
    }
    ship->local.matrix.rows[3][0] = to.x;
    ship->local.matrix.rows[3][1] = to.y;
    ship->local.matrix.rows[3][2] = to.z;
    ship->local.UpdateInverse();
    ship->UpdateWorldTransform(Transform::kUpdateInverse);
    auto* const craft = dynamic_cast<Craft*>(ship);
    if (craft != nullptr) {
        // The host holds the shield as it holds the hull: the pilot's word
        // may lower it, and what every machine is told is what it holds.
        if (auto* const shield = static_cast<ShieldSystem*>(craft->GetSystem(ShipSystem::kShield, nullptr))) {
            shield->LowerToDepletion(in->shieldDepletion);
        }
        craft->cloaked = in->cloaked;
        craft->powerDrawCache = in->powerDraw;
    }
    // The host holds the hull: the hits it saw lowered it, and the pilot's
    // word may only lower it further.
    net_bounds::TakeReportedHull(*ship, in->hitPercent, in->partHitPoints);
    const int32_t most = ship->GetMaxHitPoints(nullptr);
    if (most > 0 && int64_t(ship->hitPoints) * 100 / most < kExhaustBelowPercent) AddExhaust(*ship);
    if (in->jammer != 0 && craft != nullptr) {
        if (auto* const jammer = static_cast<JammerSystem*>(craft->GetSystem(ShipSystem::kJammer, nullptr))) {
            jammer->SetNetState(uint16_t(in->jammer));
            if (in->jammer > 0) jammer->TurnOn();
            if (in->jammer == kJammerSwitchedOff) jammer->TurnOff();
        }
    }
    TakeReportedGoal(session, entry, *ship);
    RearmAtStations(session, entry, *ship);
}

}  // namespace net_handlers
