// The session's kill announcements: what a kill is worth, who is "IT" in a
// Tag game, the line every machine shows, and the news for the killer.
#include <algorithm>
#include <cstdio>
#include <string>

#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetGameSettings.h"
#include "net/NetHandlers.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"

namespace {

constexpr uint32_t kBroadcastShowMs = 6000;
constexpr const char* kBroadcastScope = "ALL";
constexpr const char* kBroadcastSender = "network";
// A non-player victim pays its maximum hit points times the rate over this;
// a player (kills + kPlayerBase) times the rate over kPlayerDivisor.
constexpr int64_t kObjectDivisor = 250;
constexpr int64_t kPlayerBase = 5;
constexpr int64_t kPlayerDivisor = 5;
// Scored on top of the kill's 1 when "IT" kills an enemy.
constexpr int32_t kItBonusScore = 2;

constexpr const char* kSuicideText = "%s commited suicide!";
constexpr const char* kKillText = "%s killed %s!";
constexpr const char* kTeammateText = "%s killed a teammate!";
constexpr const char* kNowItText = "%s killed %s and is now IT!";

bool TagRules(const GameState& game) {
    const uint32_t type = game.netSettings != nullptr ? game.netSettings->gameType : 0;
    return type == 2 || type == 6;
}

int32_t KillPayRate(GameState& game) { return RandomMissionGenerator::Of(game).KillPayRate(); }

const char* NameOf(const SpaceObject& object) { return object.name != nullptr ? object.name : ""; }

// A ship a player flies carries a hull name ("P102"); the line names its pilot.
const char* PilotOrNameOf(const NetSession& session, int32_t entry, const SpaceObject& object) {
    const char* const pilot = entry >= 0 ? session.GetPlayerName(entry) : nullptr;
    return pilot != nullptr && pilot[0] != 0 ? pilot : NameOf(object);
}

std::string Format(const char* format, const char* first, const char* second = "") {
    const int length = std::snprintf(nullptr, 0, format, first, second);
    if (length <= 0) return {};
    std::string text(size_t(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, first, second);
    text.resize(size_t(length));
    return text;
}

int32_t Saturate(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// A craft's lives are counted by its finished death sequences: while it
// flies or dies it is in life `deaths`; once its sequence ends without a
// respawn it lies inactive and the last life is over. Every report of one
// death, however late, names the same life; a respawned craft is in a new one.
int32_t LifeOf(const Craft& craft) { return craft.active != 0 ? craft.deaths : craft.deaths - 1; }

}  // namespace

void NetSession::AnnounceKill(int32_t killerUoid, int32_t victimUoid) {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    const int32_t killerEntry = FindPlayerByUoid(killerUoid);
    const int32_t victimEntry = FindPlayerByUoid(victimUoid);
    const uint32_t killerId = killerEntry >= 0 ? GetPlayerDpid(killerEntry) : 0;
    SpaceObject* const killer = net_handlers::FindByUoid(killerUoid);
    SpaceObject* const victim = net_handlers::FindByUoid(victimUoid);
    if (killerEntry < 0 || killer == nullptr || victim == nullptr) return;

    // A client's report and the host's own destruction may both tell of one death.
    if (auto* const craft = dynamic_cast<Craft*>(victim)) {
        if (craft->announcedLife == LifeOf(*craft)) return;
        craft->announcedLife = LifeOf(*craft);
    }

    const int64_t rate = KillPayRate(*game);
    int32_t reward = victimEntry < 0
                         ? Saturate(int64_t(victim->GetMaxHitPoints(nullptr)) * rate / kObjectDivisor)
                         : Saturate((int64_t(GetPlayerKills(victimEntry)) + kPlayerBase) * rate / kPlayerDivisor);
    const char* const killerName = PilotOrNameOf(*this, killerEntry, *killer);
    const char* const victimName = PilotOrNameOf(*this, victimEntry, *victim);
    const bool suicide = killer == victim;
    const bool enemies = killer->side != victim->side;
    std::string text;
    if (suicide) {
        reward = 0;
        text = Format(kSuicideText, killerName);
        AddPlayerScore(killerEntry, -1);
    } else if (enemies) {
        text = Format(kKillText, killerName, victimName);
        AddPlayerScore(killerEntry, 1);
        AddPlayerKills(killerEntry, 1);
    } else {
        reward = 0;
        text = Format(kTeammateText, killerName);
    }

    if (TagRules(*game)) {
        if (FindItPlayer() == -1 && enemies && victimEntry >= 0) {
            text = Format(kNowItText, killerName, victimName);
            SetPlayerIt(killerEntry);
        } else if (IsPlayerIt(killerEntry) != 0 && enemies) {
            reward = Saturate(int64_t(reward) * 2);
            AddPlayerScore(killerEntry, kItBonusScore);
        } else if (!suicide && victimEntry >= 0 && IsPlayerIt(victimEntry) != 0) {
            text = Format(kNowItText, killerName, victimName);
            SetPlayerIt(killerEntry);
        }
    }

    BroadcastText(text.c_str());

    // A client's career learns of its kill from the KILLS_UPDATE below. The
    // host's own learns of nothing, and that update copies the career over
    // the host's entry in the table: the career counts the kill here, paid
    // or not, or the kill is lost.
    if (killerId == ownDpid && game->career != nullptr) {
        if (enemies) game->career->kills = Saturate(int64_t(game->career->kills) + 1);
        if (reward > 0) game->career->funds = Saturate(int64_t(game->career->funds) + reward);
    }
    // The killer's new figures are every machine's news; the reward in it
    // only the killer's machine takes.
    if (killerId != 0) {
        NetPacket update;
        update.BuildKillsUpdate(kKillsUpdate, reward, killerId);
        if (update.GetData() != nullptr) SendToAll(ownDpid, update.GetData(), update.GetSize());
    }
}

void NetSession::BroadcastText(const char* text) {
    NetPacket message;
    message.BuildMessage(kMessage, kBroadcastScope, kBroadcastSender, text, 0);
    if (IsActive() && message.GetData() != nullptr) {
        if (IsHost()) {
            SendToAll(serverDpid, message.GetData(), message.GetSize());
        } else {
            Send(ownDpid, serverDpid, message.GetData(), message.GetSize());
        }
    }
    if (g_gameState != nullptr) g_gameState->TheCockpit().ShowMessage(text != nullptr ? text : "", nullptr, kBroadcastShowMs, 0);
}
