#include "shell/MissionFlight.h"

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "engine/Clock.h"
#include "engine/Random.h"
#include "game/EffectRegistries.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/FlightGoals.h"
#include "mission/MissionSetUp.h"
#include "mission/RandomMissionGenerator.h"
#include "mission/ObjectLoader.h"
#include "net/NetworkHooks.h"
#include "ai/WingGroup.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "platform/Clock.h"
#include "platform/SteppedClock.h"
#include "shell/FlightReport.h"
#include "shell/GoalReport.h"
#include "shell/LaunchOptions.h"
#include "shell/MainLoop.h"
#include "shell/NetworkFlight.h"
#include "shell/PilotWatch.h"
#include "shell/WorldReport.h"

namespace {

using flight_report::NameOf;

// The wing a ship flies in, or null.
const WingGroup* WingOf(const SpaceObject* object) {
    if (const auto* const player = dynamic_cast<const PlayerShip*>(object)) return player->wingGroup;
    if (const auto* const pilot = dynamic_cast<const AiShip*>(object)) return pilot->wingGroup;
    return nullptr;
}

}  // namespace

bool SetUpLaunchMission(const LaunchOptions& options) {
    if (options.randomKind >= 0 && g_gameState != nullptr) {
        // The lobby's way: the parameters first, then the network game's "Rnd 0".
        RandomMissionGenerator& generator = RandomMissionGenerator::Of(*g_gameState);
        generator.networkGame = 1;
        // Only a hosted game brings other pilots to form up with.
        generator.wingFlies = options.host ? 1 : 0;
        GameRandomSeed(uint32_t(options.seed));
        generator.SetUp(options.randomKind, options.difficulty);
    }
    // The set-up tells what it refused itself.
    const bool ready = SetUpSeededMission(options.mission.c_str(), options.seed) == kStatusOk;
    if (!ready) std::fprintf(stderr, "vorn: the mission %s cannot be set up\n", options.mission.c_str());
    return ready;
}

int RunMissionFlight(const LaunchOptions& options) {
    platform::SteppedClock clock{1000};
    platform::Clock* const previousClock = platform::Clock::Install(&clock);
    GameState* const previousGame = g_gameState;
    auto* const game = new GameState;
    g_gameState = game;
    InstallNetworkHooks();
    RegisterSpaceObjects();
    DefinitionLibrary::RegisterCoreBuilders();
    // The lens flares of explosions, as the start-up loads them.
    LoadFx();

    int exitCode = 0;
    std::unique_ptr<NetworkFlight> network;
    if (options.host || options.join) network = std::make_unique<NetworkFlight>(options, *game);
    if (network != nullptr ? !network->Start() : !SetUpLaunchMission(options)) {
        exitCode = 1;
    } else {
        for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
            const Vector3 at = object->Position();
            std::printf("object %d \"%s\" side %d at %.1f %.1f %.1f", object->type, NameOf(object), object->side, at.x,
                        at.y, at.z);
            if (const WingGroup* const wing = WingOf(object)) std::printf(" wing %s", wing->name);
            std::printf(" radius %.1f", object->Radius());
            // The name every machine of the game knows the object by.
            if (options.host) std::printf(" uoid %d", object->uoid);
            std::printf("\n");
        }
        GoalReport goalReport;
        const auto say = [](const std::string& line) { std::printf("%s\n", line.c_str()); };
        goalReport.Start(say);
        // The game's own watch over the pilots; the deaths are told below
        // with every craft's.
        PilotWatch pilots;
        pilots.Start(say, false);
        // The world is told before the flight: another machine's watcher may be waiting for it.
        std::fflush(stdout);
        WorldReport world;
        world.Start(*game, options.trace, say);
        // The game's own flight frame, with nothing to pump or draw; the loop
        // reads and writes the session only in a network game.
        LoopSteps steps;
        steps.simulate = [](GameState& flying) { flying.Simulate(); };
        steps.netReceive = [](GameState& flying) { flying.NetReceive(); };
        steps.netSend = [](GameState& flying) { flying.NetSend(); };
        MainLoop loop(*game, std::move(steps));
        game->mode = GameState::kModeFlight;
        // Frames of the asked length until the asked seconds have passed.
        const uint32_t step = uint32_t(options.step);
        const int64_t duration = int64_t(options.seconds) * 1000;
        for (int64_t flown = 0; flown < duration; flown += step) {
            if (network != nullptr) network->KeepPace(flown + step);
            clock.Advance(step);
            loop.FlightFrame();
            if (network != nullptr) network->AfterFrame();
            // A client that lost its server has left the game, and the flight with it.
            if (network != nullptr && game->mode != GameState::kModeFlight) break;
            // A client's world comes from the host as it flies, and a host's
            // grows by the players' ships.
            world.Update(*game, flown + step, network != nullptr);
            // A network game brings its dead pilots back; a flight alone
            // ends once its pilot has been dead a while, whatever its goals
            // decided, or as its goals end it.
            const bool lost = pilots.Update(*game, GetMilliseconds());
            goalReport.Update(say);
            if (network == nullptr && (lost || (!pilots.Dead() && flight_goals::FlightOver(*game)))) {
                GoalReport::End(say, flown + step);
                break;
            }
        }
        std::printf("kills %d\n", world.Kills());
        std::printf("outcome %s\n", flight_goals::OutcomeName(flight_goals::GetOutcome()));
        if (network != nullptr) network->Report();
    }
    std::fflush(stdout);
    FreeMission();
    delete game;
    g_gameState = previousGame;
    platform::Clock::Install(previousClock);
    return exitCode;
}
