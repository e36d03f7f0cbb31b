#include "shell/NetworkFlight.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "net/NetGameSettings.h"
#include "net/NetSession.h"
#include "objects/space/SpaceObject.h"
#include "shell/FlightReport.h"
#include "shell/LaunchOptions.h"
#include "shell/MissionFlight.h"
#include "shell/NetReport.h"

namespace {

constexpr const char* kProvider = "TCP/IP";

}  // namespace

NetworkFlight::NetworkFlight(const LaunchOptions& options, GameState& game) : options_(options), game_(game) {}

bool NetworkFlight::Start() {
    auto* const settings = new NetGameSettings;
    settings->gameType = NetGameSettings::kDeathMatch;
    game_.netSettings = settings;
    // Hosting or joining tells the others the career's pilot by name.
    if (!options_.pilot.empty() && game_.career != nullptr) {
        std::snprintf(game_.career->pilotName, sizeof game_.career->pilotName, "%s", options_.pilot.c_str());
    }
    game_.netSession = new NetSession(NetSession::kStartupName, NetSession::kDefaultCapacity);
    if (game_.netSession->SelectServiceProvider(kProvider) == 0) {
        std::fprintf(stderr, "vorn: no %s network to play on\n", kProvider);
        return false;
    }
    return options_.host ? Host() : Join();
}

bool NetworkFlight::Host() {
    // The world is there before anybody can join and ask for it.
    if (!SetUpLaunchMission(options_)) return false;
    NetSession& session = *game_.netSession;
    if (session.HostGame() == 0) {
        std::fprintf(stderr, "vorn: a game cannot be hosted at %s:%u (an address of this machine that is no broadcast "
                     "address, on a free port)\n", options_.netAddress.c_str(), unsigned(options_.netPort));
        return false;
    }
    toldShips_.assign(size_t(session.playerCapacity), -1);
    std::printf("hosting \"%s\" on port %u\n", session.sessionDesc.name.c_str(), unsigned(options_.netPort));
    std::fflush(stdout);
    return true;
}

bool NetworkFlight::Join() {
    // The mission is there before the first packet, which may create objects.
    if (SetUpSeededMission("", options_.seed) != kStatusOk) {
        std::fprintf(stderr, "vorn: an empty mission cannot be set up\n");
        return false;
    }
    NetSession& session = *game_.netSession;
    // The host may still be starting: each look waits for answers a while.
    for (int32_t tries = 0; tries < kEnumerationTries && session.sessionList.Count() == 0; ++tries) {
        session.EnumSessions();
    }
    if (session.sessionList.Count() == 0) {
        std::fprintf(stderr, "vorn: no game found at %s:%u\n", options_.netAddress.c_str(), unsigned(options_.netPort));
        return false;
    }
    const std::string name = session.sessionList[0]->name;
    if (session.JoinGame(name.c_str()) == 0) {
        std::fprintf(stderr, "vorn: the game \"%s\" cannot be joined: it refused us or our player, or did not answer\n",
                     name.c_str());
        return false;
    }
    std::printf("joined \"%s\" as %u\n", name.c_str(), session.ownDpid);
    std::fflush(stdout);
    return true;
}

void NetworkFlight::KeepPace(int64_t flownMs) {
    const auto now = std::chrono::steady_clock::now();
    if (!paced_) {
        paced_ = true;
        start_ = now;
    }
    const auto due = start_ + std::chrono::milliseconds(flownMs);
    if (now < due) std::this_thread::sleep_until(due);
}

void NetworkFlight::AfterFrame() {
    NetSession* const session = game_.netSession;
    if (session == nullptr) return;
    if (session->IsHost()) {
        for (int32_t i = 0; i < session->playerCapacity; ++i) {
            const NetPlayer* const player = session->Player(i);
            const int32_t ship = player->inUse != 0 && player->dpid != session->ownDpid ? player->shipUoid : -1;
            if (ship >= 0 && ship != toldShips_[size_t(i)] && game_.mission != nullptr) {
                SpaceObject* const first = game_.mission->firstObject;
                const SpaceObject* const copy = first != nullptr ? first->FindByUoid(ship) : nullptr;
                std::printf("player \"%s\" ship %d\n", copy != nullptr ? flight_report::NameOf(copy) : "", ship);
                std::fflush(stdout);
            }
            toldShips_[size_t(i)] = ship;
        }
        return;
    }
    // Whoever watches the trace learns when the fight has reached this
    // machine, without guessing how long that takes on a busy one.
    if (!shotTold_ && session->projectilesCreated > 0) {
        shotTold_ = true;
        std::printf("first projectile\n");
        std::fflush(stdout);
    }
    // NEW_PLAYER goes to the server, whose id the first packet heard brings.
    if (!shipAsked_ && session->IsActive() && session->serverDpid != 0) {
        shipAsked_ = true;
        mission_file::Player player;
        std::strncpy(player.definition, kClientShip, sizeof player.definition - 1);
        CreatePlayerShip(player);
    }
}

void NetworkFlight::Report() const {
    const NetSession* const session = game_.netSession;
    if (session == nullptr) return;
    const bool host = session->IsHost();
    for (SpaceObject* object = game_.mission != nullptr ? game_.mission->firstObject : nullptr; object != nullptr;
         object = object->GetNext()) {
        if (object->uoid < 0) continue;
        if (!host) std::printf("holds %d %d \"%s\"\n", object->uoid, object->type, flight_report::NameOf(object));
        PrintObjectMatrix(*object);
    }
    if (!host) std::printf("projectiles %d\n", session->projectilesCreated);
}
