#include "shell/MissionFlight.h"

#include <cstdio>
#include <map>
#include <memory>
#include <set>
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
#include "ai/AiBrain.h"
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

namespace {

using flight_report::CountsAsKill;
using flight_report::CraftState;
using flight_report::NameOf;
using flight_report::PrintDestroyed;
using flight_report::ReportCraft;

// The wing a ship flies in, or null.
const WingGroup* WingOf(const SpaceObject* object) {
    if (const auto* const player = dynamic_cast<const PlayerShip*>(object)) return player->wingGroup;
    if (const auto* const pilot = dynamic_cast<const AiShip*>(object)) return pilot->wingGroup;
    return nullptr;
}

// A line a second for each AI ship that flies: what its brain does, at whom.
void TraceShip(uint32_t second, const SpaceObject& object) {
    const auto* const pilot = dynamic_cast<const AiShip*>(&object);
    if (pilot == nullptr || pilot->active == 0) return;
    const AiBrain* const brain = pilot->brain;
    const SpaceObject* const target = brain != nullptr ? brain->hostile.Get() : nullptr;
    const Vector3 at = pilot->Position();
    std::printf("%us \"%s\" %s target %s at %.0f %.0f %.0f speed %.0f hp %d volleys %d\n", second, NameOf(pilot),
                brain != nullptr ? AiBrain::BehaviorName(brain->behavior) : "-", target != nullptr ? NameOf(target) : "-",
                at.x, at.y, at.z, pilot->velocity.Length(), pilot->hitPoints, brain != nullptr ? brain->shotsFired : 0);
}

}  // namespace

bool SetUpLaunchMission(const LaunchOptions& options) {
    if (options.randomKind >= 0 && g_gameState != nullptr) {
        // The lobby's way: the parameters first, then the network game's "Rnd 0".
        RandomMissionGenerator& generator = RandomMissionGenerator::Of(*g_gameState);
        generator.networkGame = 1;
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
        std::map<const SpaceObject*, CraftState> crafts;
        std::set<const SpaceObject*> seenDebris;
        for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (object->type >= SpaceObject::kTypeCraft) crafts[object] = {0, false, object->hitPoints};
            if (object->type == SpaceObject::kTypeDebris) seenDebris.insert(object);   // listed already
        }
        int32_t kills = 0;
        std::set<const SpaceObject*> reported;
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
            const bool secondEnds = (flown + step) / 1000 > flown / 1000;
            int32_t debris = 0;
            for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
                // A client's world comes from the host as it flies, and a
                // host's grows by the players' ships: each craft is watched
                // from the frame it is first seen in.
                if (network != nullptr && object->type >= SpaceObject::kTypeCraft && object->uoid >= 0) {
                    crafts.try_emplace(object, CraftState{0, false, object->hitPoints});
                }
                if (auto it = crafts.find(object); it != crafts.end()) {
                    kills += ReportCraft(static_cast<const Craft&>(*object), it->second, options.trace);
                }
                if (options.trace && secondEnds) TraceShip(uint32_t((flown + step) / 1000), *object);
                if (object->type == SpaceObject::kTypeDebris && object->active != 0 && seenDebris.insert(object).second) ++debris;
            }
            if (debris > 0) std::printf("debris %d\n", debris);
            for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
                if (object->active != 0 || object->removeWhenDone == 0 || reported.count(object) != 0) continue;
                reported.insert(object);
                // Chips and pieces of wrecks come and go unnamed.
                if (object->type == SpaceObject::kTypeSpaceObject || object->type == SpaceObject::kTypeDebris) continue;
                const SpaceObject* const killer = object->killer.Get();
                PrintDestroyed(*object, killer);
                if (object->type >= SpaceObject::kTypeCraft && CountsAsKill(*object, killer)) ++kills;
            }
            // The world pass deletes what it removes: forget those addresses.
            std::set<const SpaceObject*> living, livingDebris;
            for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
                if (reported.count(object) != 0) living.insert(object);
                if (seenDebris.count(object) != 0) livingDebris.insert(object);
            }
            reported.swap(living);
            seenDebris.swap(livingDebris);
            if (network != nullptr) {
                // A craft the world deleted leaves its address to the next one made.
                std::map<const SpaceObject*, CraftState> watched;
                for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
                    if (auto it = crafts.find(object); it != crafts.end()) watched.insert(*it);
                }
                crafts.swap(watched);
            }
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
        std::printf("kills %d\n", kills);
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
