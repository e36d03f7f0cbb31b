#include "shell/FlightChat.h"

#include <cstdio>

#include "engine/input/KeySet.h"
#include "game/Cockpit.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/space/SpaceObject.h"
#include "sound/SoundDevice.h"

namespace {

using namespace command_table;

constexpr int32_t kChatBufferBytes = 255;
constexpr const char* kScopeAll = "ALL";
// How long a sent line stays on the cockpit's message line.
constexpr uint32_t kChatShowMs = 6000;
// The exclamations play over whatever sounds, at the top level.
constexpr int32_t kExclamationLevel = 10;

// The pilot's name from the session's table; the ship's own name ("P102"
// for a network player's hull) only without a session or an entry.
const char* ShipName(const GameState& game) {
    const NetSession* const session = game.netSession;
    if (session != nullptr && session->IsActive()) {
        const char* const pilot = session->GetPlayerName(session->FindPlayerByDpid(session->ownDpid));
        if (pilot != nullptr && pilot[0] != 0) return pilot;
    }
    const SpaceObject* const ship = game.playerShip;
    if (ship == nullptr) return "";
    return ship->name != nullptr ? ship->name : ship->ModelName();
}

// The packet goes only through an open, connected session: a client to
// the server, the host to all.
void SendMessage(GameState& game, const char* text, int32_t sound) {
    NetSession* const session = game.netSession;
    if (session == nullptr || !session->IsActive()) return;
    NetPacket packet;
    packet.BuildMessage(kMessage, kScopeAll, ShipName(game), text, sound);
    if (packet.GetData() != nullptr) session->SendGamePacket(packet.GetData(), packet.GetSize());
}

void StartLine(GameState& game) {
    SetTextInputBuffer(kChatBufferBytes);
    game.chatTyping = g_textInput != nullptr ? 1 : 0;
}

// The line as it is being typed, with a cursor, so the player sees it.
void ShowTyping(GameState& game) {
    char line[2 * kChatBufferBytes + 8];
    std::snprintf(line, sizeof line, "%s: [%s_]", ShipName(game), g_textInput);
    game.TheCockpit().ShowMessage(line, nullptr, kChatShowMs, 0);
}

void SendLine(GameState& game) {
    game.chatTyping = 0;
    // A line sent empty says nothing: it only ends the typing.
    if (g_textInput != nullptr && g_textInput[0] != 0) {
        char line[2 * kChatBufferBytes + 8];
        std::snprintf(line, sizeof line, "%s: [%s]", ShipName(game), g_textInput);
        SendMessage(game, line, 0);
        game.TheCockpit().ShowMessage(line, nullptr, kChatShowMs, 0);
    } else {
        game.TheCockpit().ShowMessage("", nullptr, 0, 0);   // the prompt goes
    }
    SetTextInputBuffer(0);
}

// Exclamation 1 to 9 is sound 1 to 9, the tenth sound 0: the sound number
// is also the entry of the exclamation table that plays.
void Exclaim(GameState& game, int32_t exclamation) {
    const int32_t sound = exclamation % GameState::kExclamations;
    SendMessage(game, "", sound);
    SoundObject* const local = game.exclamationSounds[sound];
    if (local != nullptr && game.Sound() != nullptr) game.Sound()->Play(local, kExclamationLevel, 0);
}

}  // namespace

bool ChatIsTyping(const GameState& game) { return game.chatTyping != 0; }

KeySet ChatCaptureMask(const GameState& game) {
    if (!ChatIsTyping(game)) return ~KeySet{};
    KeySet mask;
    mask.Set(kSend);
    return mask;
}

void HandleFlightChat(GameState& game) {
    const CommandState& commands = game.commands;
    if (ChatIsTyping(game)) {
        // Something else took the buffer away: the line is gone.
        if (g_textInput == nullptr) game.chatTyping = 0;
        else if (commands.WasPressed(kSend)) SendLine(game);
        else ShowTyping(game);
        return;
    }
    if (commands.WasPressed(kChat)) {
        StartLine(game);
        if (ChatIsTyping(game)) ShowTyping(game);
        return;
    }
    for (int32_t i = 0; i < kExclamations; ++i) {
        if (commands.WasPressed(uint32_t(kExclamation1 + i))) Exclaim(game, i + 1);
    }
}
