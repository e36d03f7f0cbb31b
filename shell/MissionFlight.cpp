#include "shell/MissionFlight.h"

#include <cstdio>
#include <set>
#include <vector>

#include "engine/Random.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "net/NetworkHooks.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "platform/Clock.h"
#include "shell/LaunchOptions.h"

namespace {

constexpr uint32_t kFrameMs = 50;

// Time that moves only when the flight steps it.
class StepClock : public platform::Clock {
public:
    uint32_t Milliseconds() override { return now; }
    int64_t ProcessMilliseconds() override { return now; }
    bool BeginPeriod(uint32_t) override { return true; }
    void EndPeriod(uint32_t) override {}
    uint32_t now = 1000;
};

const char* NameOf(const SpaceObject* object) { return object->name != nullptr ? object->name : ""; }

}  // namespace

int RunMissionFlight(const LaunchOptions& options) {
    StepClock clock;
    platform::Clock* const previousClock = platform::Clock::Install(&clock);
    GameState* const previousGame = g_gameState;
    auto* const game = new GameState;
    g_gameState = game;
    InstallNetworkHooks();
    RegisterSpaceObjects();
    DefinitionLibrary::RegisterCoreBuilders();
    // Both generators: the dice and the engine's seeded one (mine fields).
    GameRandomSeed(uint32_t(options.seed));
    RandomSeed(options.seed, int32_t(uint32_t(options.seed) + 1u));

    int exitCode = 0;
    if (SetUpMission(options.mission.c_str(), -1) != kStatusOk || game->missionReady == 0) {
        std::fprintf(stderr, "vorn: the mission %s cannot be set up\n", options.mission.c_str());
        exitCode = 1;
    } else {
        for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
            const Vector3 at = object->Position();
            std::printf("object %d \"%s\" side %d at %.1f %.1f %.1f\n", object->type, NameOf(object), object->side, at.x,
                        at.y, at.z);
        }
        int32_t kills = 0;
        std::set<const SpaceObject*> reported;
        const int32_t frames = options.seconds * int32_t(1000 / kFrameMs);
        for (int32_t frame = 0; frame < frames; ++frame) {
            clock.now += kFrameMs;
            game->Simulate();
            for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
                if (object->active != 0 || object->removeWhenDone == 0 || reported.count(object) != 0) continue;
                reported.insert(object);
                const SpaceObject* const killer = object->killer.Get();
                if (killer != nullptr) {
                    std::printf("destroyed %d \"%s\" by %d \"%s\"\n", object->type, NameOf(object), killer->type,
                                NameOf(killer));
                } else {
                    std::printf("destroyed %d \"%s\" by -\n", object->type, NameOf(object));
                }
                if (object->type >= SpaceObject::kTypeCraft && killer != nullptr && killer->type >= SpaceObject::kTypeCraft) {
                    ++kills;
                }
            }
            // The world pass deletes what it removes: forget those addresses.
            std::set<const SpaceObject*> living;
            for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
                if (reported.count(object) != 0) living.insert(object);
            }
            reported.swap(living);
        }
        std::printf("kills %d\n", kills);
    }
    std::fflush(stdout);
    FreeMission();
    delete game;
    g_gameState = previousGame;
    platform::Clock::Install(previousClock);
    return exitCode;
}
