#include "shell/VictoryWatch.h"

#include <gtest/gtest.h>

#include "objects/ships/Craft.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

// The flight is won 3000 ms after the last hostile craft stops being
// active, never while one is or while the player is dead; craft of the
// player's side, and objects that are no craft, do not hold it up.
TEST(VictoryWatch, WinsThreeSecondsAfterTheLastHostileCraftWhileThePlayerLives) {
    WorldBuilder world;
    GameState& game = world.Game();
    auto spawn = [&](int32_t side) {
        auto* const craft = world.SpawnAs<Craft>(world.Template("SHIP"), 1);
        craft->active = 1;
        craft->side = side;
        return craft;
    };
    Craft* const player = spawn(1);
    game.playerShip = player;
    spawn(1);                                         // a wingman
    SpaceObject* const rock = world.Spawn(world.Template("ROCK"), 1);
    rock->active = 1;
    rock->side = 2;                                   // no craft
    Craft* const raider = spawn(2);

    VictoryWatch watch;
    watch.Start();
    EXPECT_FALSE(watch.Update(game, 0));
    EXPECT_FALSE(watch.Update(game, 10000));
    raider->active = 0;
    EXPECT_FALSE(watch.Update(game, 10000));
    EXPECT_FALSE(watch.Update(game, 12999));
    // The player dying in the meantime starts the wait over.
    player->dead = 1;
    EXPECT_FALSE(watch.Update(game, 13000));
    player->dead = 0;
    EXPECT_FALSE(watch.Update(game, 13050));
    EXPECT_FALSE(watch.Update(game, 16049));
    EXPECT_TRUE(watch.Update(game, 16050));
    game.playerShip = nullptr;
    EXPECT_FALSE(watch.Update(game, 20000));
}

}  // namespace
