#include <cstring>
#include <string>

#include "engine/Clock.h"
#include "engine/Saturate.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/ScreenSlots.h"
#include "mission/Faces.h"
#include "mission/SkyRecords.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetGoalPackets.h"
#include "net/NetHandlers.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetScenePackets.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "objects/systems/CountermeasureSystems.h"
#include "sound/SoundDevice.h"

namespace net_handlers {

namespace {

constexpr uint32_t kMessageShowMs = 6000;
constexpr int32_t kExclamationLevel = 10;
constexpr const char* kScopeAll = "ALL";
constexpr const char* kScopeFriend = "FRIEND";
constexpr const char* kScopeEnemy = "ENEMY";
constexpr const char* kLobbySeparator = " : ";
// A team's name has at least this many characters.
constexpr size_t kShortestTeamName = 2;

GameState* Game() { return g_gameState; }

void SendKillsUpdate(NetSession& session, uint32_t about, bool toAll) {
    NetPacket update;
    update.BuildKillsUpdate(kKillsUpdate, 0, about);
    if (update.GetData() == nullptr) return;
    if (toAll) {
        session.SendToAll(session.ownDpid, update.GetData(), update.GetSize());
    } else {
        SendToServer(session, update.GetData(), update.GetSize());
    }
}

void SendUpdateTeam(NetSession& session, const char* playerName, const char* teamName, int32_t team, int32_t logo,
                    int32_t ready) {
    NetPacket update;
    update.BuildUpdateTeam(kUpdateTeam, playerName, teamName, team, logo, ready);
    if (update.GetData() != nullptr) SendToAll(session, update.GetData(), update.GetSize());
}

void SendControl(NetSession& session, uint16_t type) {
    NetPacket packet;
    packet.BuildControlPacket(type);
    if (packet.GetData() != nullptr) SendToAll(session, packet.GetData(), packet.GetSize());
}

constexpr const char* kFlightOpen = ": [";
constexpr const char* kFlightClose = "]";

// A client's line as the host passes it on: under the name the host knows
// its pilot by, whatever the packet said, and cut to a line's length. The
// text names its sender too, as the pilot sent it: in the lobby "pilot :
// text", in flight "pilot: [text]" (an exclamation has none); that name is
// the host's, so that no line reads as another pilot's, nor as the
// network's own. The text passed on.
std::string RelayLine(const NetInbound& packet, const net_read::Message& in, bool lobby) {
    NetSession& session = packet.session;
    const char* const known = session.GetPlayerName(session.FindPlayerByDpid(packet.from));
    const std::string pilot = known != nullptr ? known : "";
    std::string text = in.text;
    if (lobby) {
        const size_t mark = text.find(kLobbySeparator);
        text = pilot + kLobbySeparator + (mark != std::string::npos ? text.substr(mark + std::strlen(kLobbySeparator)) : text);
    } else if (!text.empty()) {
        const size_t open = text.find(kFlightOpen);
        const bool framed = open != std::string::npos && text.size() >= open + std::strlen(kFlightOpen) + 1 &&
                            text.compare(text.size() - 1, 1, kFlightClose) == 0;
        const size_t from = open + std::strlen(kFlightOpen);
        const std::string said = framed ? text.substr(from, text.size() - 1 - from) : text;
        text = pilot + kFlightOpen + said + kFlightClose;
    }
    if (text.size() > NetSession::kLongestChatLine) text.resize(NetSession::kLongestChatLine);
    NetPacket line;
    line.BuildMessage(kMessage, in.scope, pilot.c_str(), text.c_str(), in.sound);
    if (line.GetData() == nullptr) return text;
    PacketWriter(line.GetData(), line.GetSize()).I32(12, in.face);
    SendToAll(session, line.GetData(), line.GetSize());
    return text;
}

// The host passes on a few lines a second of each pilot's; its own lines it sends itself.
bool TakeChatLine(const NetInbound& packet) {
    NetPlayer* const player = packet.session.EditPlayer(packet.session.FindPlayerByDpid(packet.from));
    return player != nullptr && player->chatLines.Take(GetMilliseconds(), 1000, NetSession::kChatLinesPerSecond);
}

// This machine's pilot flies under the name the host gave it: its entry
// takes it, and with it the chat and every line that names the pilot.
void TakeOwnName(NetSession& session, const char* told) {
    const std::string name = net_read::Printable(told);
    const int32_t own = session.FindPlayerByDpid(session.ownDpid);
    if (own < 0 || name.empty()) return;
    session.SetPlayerName(own, name.c_str());
}

bool Jammed(const GameState& game, const SpaceObject* sender) {
    if (sender == nullptr) return false;
    bool jammed = false;
    // Every jammer draws its own chance, even after one has jammed.
    for (const ShipSystem* const system : game.ActiveJammers()) {
        const auto* const jammer = dynamic_cast<const JammerSystem*>(system);
        if (jammer != nullptr && jammer->IsJamming(sender)) jammed = true;
    }
    return jammed;
}

bool InScope(const GameState& game, const char* scope, const SpaceObject* sender) {
    const SpaceObject* const own = game.playerShip;
    if (own == nullptr) return false;
    if (std::strcmp(scope, kScopeAll) == 0) return true;
    if (std::strcmp(scope, kScopeFriend) == 0) return sender != nullptr && sender->side == own->side;
    if (std::strcmp(scope, kScopeEnemy) == 0) return sender != nullptr && sender->side != own->side;
    return std::strcmp(scope, own->name != nullptr ? own->name : "") == 0;
}

// A line this machine's pilot sent: chat names its sender by the pilot's
// entry in the table.
bool OwnLine(const NetSession& session, const char* sender) {
    const char* const own = session.GetPlayerName(session.FindPlayerByDpid(session.ownDpid));
    return own != nullptr && own[0] != 0 && sender != nullptr && std::strcmp(own, sender) == 0;
}

void SendTeamRecord(NetSession& session, const NetGameSettings& settings, int32_t team, bool toAll, uint32_t to) {
    NetPacket record;
    record.BuildUpdateTeam(kUpdateTeam, net_read::kTeamRecordMark, settings.teams[team].name, team,
                           int32_t(settings.teams[team].logo), -1);
    if (record.GetData() == nullptr) return;
    if (toAll) {
        SendToAll(session, record.GetData(), record.GetSize());
    } else {
        SendTo(session, to, record.GetData(), record.GetSize());
    }
}

// A member makes one team, for itself, while the game has room for it: the
// team takes the next slot, the member joins it, and every machine hears of
// both. A member whose view of the teams is behind the host's (another team
// came first) makes none: it is told the teams as they are and that its
// own was not made, and stays in no team until it picks one. No member
// renames a team that exists.
void TakeMembersTeam(NetSession& session, NetGameSettings& settings, int32_t entry, uint32_t from,
                     const net_read::UpdateTeam& in) {
    NetPlayer& member = *session.EditPlayer(entry);
    const int32_t slot = settings.teamCount;
    const std::string name = net_read::Printable(in.teamName);
    if (!settings.HasTeams() || member.madeTeam || slot >= NetGameSettings::kMostTeams || in.team != slot ||
        name.size() < kShortestTeamName) {
        for (int32_t t = 0; t < settings.teamCount && t < NetGameSettings::kMostTeams; ++t) {
            SendTeamRecord(session, settings, t, false, from);
        }
        NetPacket notMade;
        notMade.BuildUpdateTeam(kUpdateTeam, net_read::kTeamRecordMark, name.c_str(), net_read::kTeamNotMade, in.logo, -1);
        if (notMade.GetData() != nullptr) SendTo(session, from, notMade.GetData(), notMade.GetSize());
        return;
    }
    settings.SetTeamName(slot, name.c_str());
    settings.teams[slot].logo = uint32_t(in.logo);
    settings.teamCount = slot + 1;
    session.SetPlayerTeam(entry, slot);
    member.madeTeam = true;
    SendTeamRecord(session, settings, slot, true, 0);
    SendUpdateTeam(session, member.name, net_read::kTeamRecordMark, slot, -1, int32_t(member.ready));
}

}  // namespace

void IdAck(const NetInbound& packet) {
    Trace(packet, "Recieving ID_ACK packet.\n");
    const int32_t entry = packet.session.FindPlayerByDpid(packet.from);
    if (entry >= 0) packet.session.SetPlayerAcked(entry, 1);
}

void HostKillsUpdate(const NetInbound& packet) {
    Trace(packet, "Recieving KILLS_UPDATE packet.\n");
    NetSession& session = packet.session;
    const std::optional<net_read::KillsUpdate> in = net_read::ReadKillsUpdate(packet.data, packet.size);
    if (!in || packet.from == packet.to) return;
    const int32_t entry = session.FindPlayerByDpid(packet.from);
    if (entry < 0 || packet.from == session.serverDpid) return;
    // The host keeps score, kills and IT itself; a report sent after each
    // game announcement would rewind them.
    NetPlayer& player = *session.EditPlayer(entry);
    player.careerKills = in->careerKills;
    player.careerMissions = in->missions;
    player.careerAccuracy = in->accuracy;
    player.face = in->face;
    SendKillsUpdate(session, packet.from, true);
}

void ClientKillsUpdate(const NetInbound& packet) {
    Trace(packet, "Recieving KILLS_UPDATE packet.\n");
    NetSession& session = packet.session;
    const std::optional<net_read::KillsUpdate> in = net_read::ReadKillsUpdate(packet.data, packet.size);
    if (!in) return;
    const int32_t entry = session.FindPlayerByDpid(in->playerId);
    if (entry < 0) return;
    NetPlayer& player = *session.EditPlayer(entry);
    player.score = in->score;
    player.kills = in->kills;
    CareerRecord* const career = Game() != nullptr ? Game()->career : nullptr;
    if (in->playerId == session.ownDpid) {
        if (career != nullptr) {
            career->kills = in->careerKills;
            // Any reward is read; the funds (written to the pilot file) hold at their top.
            if (in->reward > 0) career->funds = Saturate32(int64_t(career->funds) + in->reward);
        }
        player.careerKills = in->careerKills;
    } else {
        player.careerKills = in->careerKills;
        player.careerMissions = in->missions;
        player.careerAccuracy = in->accuracy;
        player.face = in->face;
    }
    if (in->isIt != 0) session.SetPlayerIt(entry);
}

void UpdateTeam(const NetInbound& packet) {
    Trace(packet, "Recieving UPDATE_TEAM packet.\n");
    NetSession& session = packet.session;
    if (session.IsHost() && packet.from == packet.to) return;
    const std::optional<net_read::UpdateTeam> in = net_read::ReadUpdateTeam(packet.data, packet.size);
    if (!in) return;
    // The name the host knows this pilot by comes with the welcome, maybe
    // ahead of the game's settings.
    if (!session.IsHost() && !in->IsTeamRecord() && std::strcmp(in->teamName, net_read::kOwnNameMark) == 0) {
        TakeOwnName(session, in->playerName);
    }
    NetGameSettings* const settings = Game() != nullptr ? Game()->netSettings : nullptr;
    if (settings == nullptr) return;
    // A client speaks for its own pilot only, by its id, whatever name it
    // gives: the host passes its word on under the name it knows that
    // pilot by. A team changed in flight moves the pilot's ship to its new
    // side at once, as it moves the table's entry: here the host's copy,
    // and on each machine the ship it holds as the word comes by.
    if (session.IsHost()) {
        const int32_t entry = session.FindPlayerByDpid(packet.from);
        NetPlayer* const sender = session.EditPlayer(entry);
        if (sender == nullptr || sender->name == nullptr) return;
        if (in->IsTeamRecord()) {
            TakeMembersTeam(session, *settings, entry, packet.from, *in);
            return;
        }
        // Only a team the game holds is joined; readiness is the pilot's own.
        if (in->team < 0 || (settings->HasTeams() && in->team < settings->teamCount)) {
            session.SetPlayerTeam(entry, in->team);
        }
        sender->ready = uint32_t(in->ready);
        SendUpdateTeam(session, sender->name, net_read::kTeamRecordMark, sender->team, -1, in->ready);
        return;
    }
    if (in->IsTeamRecord()) {
        if (in->team == net_read::kTeamNotMade) {
            if (ownTeamNotMade != nullptr) ownTeamNotMade();
            return;
        }
        if (in->team < 0 || in->team >= NetGameSettings::kMostTeams) return;
        settings->SetTeamName(in->team, in->teamName);
        settings->teams[in->team].logo = uint32_t(in->logo);
        if (settings->teamCount < in->team + 1) settings->teamCount = in->team + 1;
    } else {
        bool own = false;
        for (int32_t i = 0; i < session.GetPlayerSlotCount(); ++i) {
            NetPlayer* const player = session.EditPlayer(i);
            if (player == nullptr || player->inUse == 0 || player->name == nullptr) continue;
            if (std::strcmp(player->name, in->playerName) != 0) continue;
            session.SetPlayerTeam(i, in->team);
            player->ready = uint32_t(in->ready);
            own = own || player->dpid == session.ownDpid;
        }
        if (own && ownTeamHeard != nullptr) ownTeamHeard(in->team);
    }
}

void TellOwnName(NetSession& session, uint32_t dpid) {
    const NetPlayer* const player = session.Player(session.FindPlayerByDpid(dpid));
    if (player == nullptr || player->name == nullptr || dpid == session.ownDpid) return;
    // A record carries 15 characters: a longer name is the pilot's own,
    // never one the host numbered, and its machine holds it already.
    if (std::strlen(player->name) >= net_read::kTeamNameBytes) return;
    const NetGameSettings* const settings = Game() != nullptr ? Game()->netSettings : nullptr;
    const bool teams = settings != nullptr && settings->HasTeams();
    NetPacket named;
    named.BuildUpdateTeam(kUpdateTeam, player->name, net_read::kOwnNameMark, teams ? player->team : -1, -1,
                          int32_t(player->ready));
    if (named.GetData() != nullptr) SendTo(session, dpid, named.GetData(), named.GetSize());
}

void GameInfo(const NetInbound& packet) {
    Trace(packet, "Recieving GAME_INFO packet.\n");
    GameState* const game = Game();
    const std::optional<net_read::GameInfo> in = net_read::ReadGameInfo(packet.data, packet.size);
    if (game == nullptr || !in) return;
    NetSession& session = packet.session;
    if (game->netSettings == nullptr) game->netSettings = new NetGameSettings();
    game->netSettings->gameType = in->gameType;
    // The waiting room indexes the two teams by this count.
    game->netSettings->teamCount = in->teamCount < 0 ? 0 : in->teamCount > 2 ? 2 : in->teamCount;
    const Mission* const mission = game->mission;
    if (mission != nullptr && session.spaceDust == 0 && in->spaceDust >= 0 &&
        size_t(in->spaceDust) == mission->spaceDust.size()) {
        sky_records::BuildDustField();
        session.spaceDust = 1;
    }
    SendKillsUpdate(session, session.ownDpid, false);
}

void SendTeams(NetSession& session) {
    const NetGameSettings* const settings = Game() != nullptr ? Game()->netSettings : nullptr;
    const bool teams = settings != nullptr && settings->gameType <= 4;
    if (teams) {
        for (int32_t t = 0; t < settings->teamCount && t < 2; ++t) {
            SendUpdateTeam(session, net_read::kTeamRecordMark, settings->teams[t].name, t,
                           int32_t(settings->teams[t].logo), -1);
        }
    }
    for (int32_t i = 0; i < session.GetPlayerSlotCount(); ++i) {
        const NetPlayer* const player = session.Player(i);
        if (player == nullptr || player->inUse == 0) continue;
        SendUpdateTeam(session, player->name, net_read::kTeamRecordMark, teams ? player->team : -1, -1,
                       int32_t(player->ready));
    }
}

void GameInfoRequest(const NetInbound& packet) {
    Trace(packet, "Recieving GAME_INFO_REQUEST packet.\n");
    GameState* const game = Game();
    if (game == nullptr) return;
    NetSession& session = packet.session;
    // Every answer goes to every machine: a peer asking again and again would have the host repeat the game to all.
    NetPlayer* const asker = session.EditPlayer(session.FindPlayerByDpid(packet.from));
    if (asker == nullptr || !asker->gameInfoRequests.Take(GetMilliseconds(), NetSession::kGameInfoWindowMs, 1)) return;
    SendSceneRecords(session);
    SendControl(session, kGameInfo);
    SendSharedGoals(session);
    SendTeams(session);
    for (int32_t i = 0; i < session.GetPlayerSlotCount(); ++i) {
        const NetPlayer* const player = session.Player(i);
        if (player == nullptr || player->inUse == 0 || player->dpid == packet.from) continue;
        SendKillsUpdate(session, player->dpid, true);
    }
}

void StateRequest(const NetInbound& packet) {
    Trace(packet, "Recieving STATE_REQUEST packet.\n");
    // The answer is the asker's: a waiting room asks every pass.
    NetPacket state;
    state.BuildControlPacket(kState);
    if (state.GetData() != nullptr) SendTo(packet.session, packet.from, state.GetData(), state.GetSize());
}

void State(const NetInbound& packet) {
    Trace(packet, "Recieving STATE packet.\n");
    GameState* const game = Game();
    const std::optional<int32_t> mode = net_read::ReadState(packet.data, packet.size);
    if (game == nullptr || !mode || game->mode != GameState::kModeLobbyWait) return;
    if (*mode != GameState::kModeScreens && *mode != GameState::kModeFlight) return;
    // The lobby's run ends after this pass: the network pass follows its Draw.
    if (stopLobby != nullptr) stopLobby();
    game->SelectNextScreen(ScreenSlot::kHangar);
    g_netGameLaunched = 1;
    game->mode = GameState::kModeScreens;
}

void Message(const NetInbound& packet) {
    Trace(packet, "Recieving MESSAGE packet.\n");
    GameState* const game = Game();
    const std::optional<net_read::Message> in = net_read::ReadMessage(packet.data, packet.size);
    if (game == nullptr || !in) return;
    NetSession& session = packet.session;
    if (session.IsHost() && !TakeChatLine(packet)) return;
    // Nothing a peer typed reaches a screen or a log with its control characters.
    const std::string text = net_read::Printable(in->text);
    const void* const lobby = game->ScreenIn(ScreenSlot::kLobby);
    if (game->mode != GameState::kModeFlight && lobby != nullptr && game->currentScreen == lobby) {
        // The host shows the line as it passes it on, under the name it knows.
        const std::string shown = session.IsHost() ? net_read::Printable(RelayLine(packet, *in, true).c_str()) : text;
        if (lobbyChatLine != nullptr) lobbyChatLine(shown.c_str());
        return;
    }
    // The host relays a line to everyone, its sender too, who showed and
    // played it as it went out.
    if (!session.IsHost() && OwnLine(session, in->sender)) return;
    const int32_t entry = session.FindPlayerByDpid(packet.from);
    const SpaceObject* const sender = entry >= 0 ? FindByUoid(session.GetPlayerUoid(entry)) : nullptr;
    const bool jammed = session.IsHost() && Jammed(*game, sender);
    if (jammed) return;
    // The host shows the line as it passes it on.
    const std::string shown = session.IsHost() ? net_read::Printable(RelayLine(packet, *in, false).c_str()) : text;
    if (InScope(*game, in->scope, sender)) {
        if (in->sound > 0 && in->sound < GameState::kExclamations && game->exclamationSounds[in->sound] != nullptr &&
            game->Sound() != nullptr) {
            game->Sound()->Play(game->exclamationSounds[in->sound], kExclamationLevel, 0);
        }
        game->TheCockpit().ShowMessage(shown.c_str(), FaceImage(LoadFaceByIndex(in->face)), kMessageShowMs, 0);
    }
}

}  // namespace net_handlers
