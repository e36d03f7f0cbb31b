#pragma once
#include <cstdint>
#include <optional>

#include "net/NetPacket.h"

struct NetInbound;

// Readers of the packets with which host and clients agree on the game
// around the fighting: identities, the game, the host's mode, scores,
// teams and chat. Each checks the header against the bytes received and
// against its type's exact size (MESSAGE: its three texts end where the
// packet does), and gives the fields or nothing.
namespace net_read {

// UPDATE_TEAM's names: 15 characters and a NUL.
inline constexpr uint32_t kTeamNameBytes = 16;
// The player name that marks a team record.
inline constexpr const char* kTeamRecordMark = "NONE.";
// A team record so numbered goes to one member alone: the team it asked to
// make (named in the record) was not made. The game's teams come before it.
inline constexpr int32_t kTeamNotMade = -1;
// A player record whose team-name field (which other player records leave
// "NONE.") reads so goes to the player it names alone: the name the host
// knows that player by, which its own machine takes.
inline constexpr const char* kOwnNameMark = "YOU.";

struct GameInfo {
    uint32_t gameType = 0;
    int32_t teamCount = 0;
    int32_t starFields = 0, spaceDust = 0, wallpapers = 0, lights = 0;
};
std::optional<GameInfo> ReadGameInfo(const uint8_t* data, uint32_t received);

std::optional<int32_t> ReadState(const uint8_t* data, uint32_t received);

struct KillsUpdate {
    int32_t kills = 0, careerKills = 0, missions = 0, score = 0, accuracy = 0, face = -1, reward = 0;
    uint32_t isIt = 0, playerId = 0;
};
std::optional<KillsUpdate> ReadKillsUpdate(const uint8_t* data, uint32_t received);

// Team numbers are -1 (no teams), 0 or 1; logos 0 to 18, or -1 in player
// records; anything else refuses the packet.
struct UpdateTeam {
    char teamName[kTeamNameBytes] = {};
    char playerName[kTeamNameBytes] = {};
    int32_t team = -1, ready = 0, logo = -1;
    bool IsTeamRecord() const;
};
std::optional<UpdateTeam> ReadUpdateTeam(const uint8_t* data, uint32_t received);

// The texts point into the received bytes: the text area at byte 32 holds
// scope, sender and text one after another, whatever the offsets say.
struct Message {
    int32_t sound = 0, face = -1;
    const char* scope = "";
    const char* sender = "";
    const char* text = "";
};
std::optional<Message> ReadMessage(const uint8_t* data, uint32_t received);

}  // namespace net_read

namespace net_handlers {

void IdAck(const NetInbound& packet);
// The host's and the client's.
void HostKillsUpdate(const NetInbound& packet);
void ClientKillsUpdate(const NetInbound& packet);
void UpdateTeam(const NetInbound& packet);
void GameInfo(const NetInbound& packet);
void GameInfoRequest(const NetInbound& packet);
void StateRequest(const NetInbound& packet);
void State(const NetInbound& packet);
void Message(const NetInbound& packet);

// The lobby's chat box, told of each chat line that arrives while the lobby
// shows; the lobby installs it (null: lobby chat goes nowhere).
inline void (*lobbyChatLine)(const char* text) = nullptr;
// Ends the lobby's run after its current pass; the lobby installs it.
inline void (*stopLobby)() = nullptr;
// A member's lobby, told of the host's word on this machine's pilot: the
// team the host holds it in (-1 none), each time a record says; and that a
// team it asked to make was not made. The lobby installs both.
inline void (*ownTeamHeard)(int32_t team) = nullptr;
inline void (*ownTeamNotMade)() = nullptr;

}  // namespace net_handlers
