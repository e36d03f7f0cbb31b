// Hands any bytes to the dispatcher of a host and of a client that both
// have a world (a rock, a ship, the player's ship, one projectile type):
// every handler then runs on whatever its packet claims. A read past the
// bytes received, or any other fault, aborts through the sanitizers.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "net/NetGameSettings.h"
#include "objects/ships/Craft.h"
#include "platform/DebugOutput.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

struct Fixture {
    Fixture() {
        platform::SetDebugSink([](const char*) {});
        SpaceObject* const rock = world.Spawn(world.Template("ROCK0"), 1);
        rock->uoid = 1;
        rock->active = 1;
        auto* const ship = world.SpawnAs<Craft>(world.Template("SHIP0", {{"WING0", {}}}), 3);
        ship->uoid = 2;
        ship->active = 1;
        ship->type = SpaceObject::kTypeAiShip;
        auto* const own = world.SpawnAs<Craft>(world.Template("SHIP1"), 3);
        own->uoid = 3;
        own->active = 1;
        own->type = SpaceObject::kTypePlayerShip;
        world.Game().playerShip = own;
        world.Game().netSettings = &settings;
        world.Game().mode = GameState::kModeFlight;
        std::snprintf(shell.name, sizeof shell.name, "Flak Shell");
        g_projectileTypes = &shell;
        host.AddPlayer(2, "Ann", 2);
    }
    WorldBuilder world;
    NetGameSettings settings;
    ProjectileType shell;
    RecordingNetSession host{true};
    RecordingNetSession client{false};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto fixture = std::make_unique<Fixture>();
    if (size < 1) return 0;
    // Exactly the bytes received, so that any read past them is caught.
    std::vector<uint8_t> bytes(data + 1, data + size);
    RecordingNetSession& session = (data[0] & 1) != 0 ? fixture->host : fixture->client;
    fixture->world.Game().netSession = &session;
    session.HandleMessage(2, session.ownDpid, bytes.data(), uint32_t(bytes.size()));
    session.sent.clear();
    // Shots, beams and projectiles made by the packet go with it.
    fixture->world.Game().ClearFlight();
    fixture->world.Game().netSession = nullptr;
    return 0;
}
