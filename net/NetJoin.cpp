// Players entering and leaving the session: the table on every machine;
// on the host the newcomer's welcome, everything it needs to fly with the
// others, and the leaver's farewell; on a client the loss of its server.
#include <cstdio>
#include <string>

#include "engine/TextCompare.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetHandlers.h"
#include "net/NetJoinSenders.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/space/SpaceObject.h"

namespace {

constexpr const char* kJoinedText = "%s has joined the game.";
constexpr const char* kLeftText = "%s has left the game.";
constexpr const char* kServerLostText = "You have been disconnected from the server!";
constexpr uint32_t kServerLostShowMs = 10000;

Mission* CurrentMission() { return g_gameState != nullptr ? g_gameState->mission : nullptr; }

std::string Format(const char* format, const char* name) {
    const int length = std::snprintf(nullptr, 0, format, name);
    if (length <= 0) return {};
    std::string text(size_t(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, name);
    text.resize(size_t(length));
    return text;
}

}  // namespace

int32_t NetSession::OnCreatePlayer(uint32_t id, const char* shortName, const char*) {
    // A pilot's name is shown and logged on every machine: it prints as text.
    const std::string printable = net_read::Printable(shortName);
    // Pilot names are unique in a game, so that nobody speaks or is scored
    // under another's: every machine names the players in the order they
    // entered (their ids rise), a name in use taking a number. A client
    // enters its own player first and gives way to those before it.
    const int32_t own = IsHost() ? -1 : FindPlayerByDpid(ownDpid);
    const bool earlier = own >= 0 && id < ownDpid;
    const std::string unique = UniqueName(printable.c_str(), earlier ? own : FindPlayerByDpid(id));
    const char* const name = unique.c_str();
    AddPlayer(id, name, -1);
    if (earlier && GetPlayerName(own) != nullptr && text::_stricmp(GetPlayerName(own), name) == 0) {
        const CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
        const char* const pilot = career != nullptr && career->GetPilotName() != nullptr ? career->GetPilotName() : name;
        SetPlayerName(own, UniqueName(pilot, own).c_str());
    }
    if (!IsHost()) return 0;

    // A full table leaves the newcomer without an entry; it is welcomed all the same.
    BroadcastText(Format(kJoinedText, name).c_str());
    Mission* const mission = CurrentMission();
    if (mission != nullptr) net_handlers::g_sendSceneRecords(*this);
    NetPacket info;
    info.BuildControlPacket(kGameInfo);
    if (info.GetData() != nullptr) net_handlers::SendTo(*this, id, info.GetData(), info.GetSize());
    // A newcomer asking for a name in use flies under another; its machine learns which from us.
    net_handlers::TellOwnName(*this, id);
    if (mission != nullptr) net_handlers::SendWorld(*this);
    FlushFrame();
    if (mission != nullptr) {
        g_goalList = mission->goalList;
        net_handlers::g_sendSharedGoals(*this);
    }
    net_handlers::SendTeams(*this);
    FlushFrame();
    return 0;
}

int32_t NetSession::OnDestroyPlayer(uint32_t id) {
    if (!IsHost()) {
        if (id == serverDpid) {
            if (g_gameState != nullptr) {
                g_gameState->TheCockpit().ShowMessage(kServerLostText, nullptr, kServerLostShowMs, 0);
            }
            // What the client sends from now on reaches only itself.
            serverDpid = ownDpid;
        }
        const int32_t index = FindPlayerByDpid(id);
        if (index >= 0) ClearPlayer(index);
        return 0;
    }

    const int32_t index = FindPlayerByDpid(id);
    if (index < 0) return 0;
    const char* const name = GetPlayerName(index);
    BroadcastText(Format(kLeftText, name != nullptr ? name : "").c_str());
    const int32_t shipUoid = GetPlayerUoid(index);
    ClearPlayer(index);
    EndCreations(index);
    if (CurrentMission() == nullptr) return 0;
    // The ship stays in the world, inactive, like one that left through a gate.
    SpaceObject* const ship = net_handlers::FindByUoid(shipUoid);
    if (ship == nullptr) return 0;
    NetPacket destroy;
    destroy.BuildObjectPacket(kObjectDestroy, ship);
    if (destroy.GetData() != nullptr) net_handlers::SendToAll(*this, destroy.GetData(), destroy.GetSize());
    ship->Deactivate(0);
    return 0;
}
