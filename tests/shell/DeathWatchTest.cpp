#include "shell/DeathWatch.h"

#include <gtest/gtest.h>

#include "objects/ships/Craft.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

TEST(DeathWatch, CountsFromTheFirstFrameDeadAndAShipAliveAgainStartsOver) {
    WorldBuilder world;
    auto* const craft = world.SpawnAs<Craft>(world.Template("SHIP1"), 1);
    craft->active = 1;
    DeathWatch watch;
    watch.Start();

    EXPECT_FALSE(watch.Update(craft, 1000));
    craft->dead = 1;
    EXPECT_FALSE(watch.Update(craft, 2000));
    EXPECT_FALSE(watch.Update(craft, 8000));   // exactly the delay: not yet
    craft->dead = 0;                            // respawned
    EXPECT_FALSE(watch.Update(craft, 8001));
    craft->dead = 1;
    EXPECT_FALSE(watch.Update(craft, 9000));
    EXPECT_FALSE(watch.Update(craft, 15000));
    EXPECT_TRUE(watch.Update(craft, 15001));
    // Its death run, the wreck stays in the world, inactive and no longer
    // dead: the watch still counts it dead.
    watch.Start();
    craft->dead = 0;
    craft->active = 0;
    EXPECT_FALSE(watch.Update(craft, 20000));
    EXPECT_TRUE(watch.Update(craft, 26001));
    // Out through a gate, the ship is inactive but no wreck.
    watch.Start();
    craft->jumpedOut = 1;
    EXPECT_FALSE(watch.Update(craft, 30000));
    EXPECT_FALSE(watch.Update(craft, 90000));
    EXPECT_FALSE(watch.Dead());
}

TEST(DeathWatch, NoShipBeforeTheFirstIsNoDeathButOneGoneIs) {
    DeathWatch watch;
    watch.Start();
    EXPECT_FALSE(watch.Update(nullptr, 0));
    EXPECT_FALSE(watch.Update(nullptr, 100000));

    WorldBuilder world;
    auto* const craft = world.SpawnAs<Craft>(world.Template("SHIP1"), 1);
    craft->active = 1;
    EXPECT_FALSE(watch.Update(craft, 200000));
    EXPECT_FALSE(watch.Update(nullptr, 200050));
    EXPECT_TRUE(watch.Update(nullptr, 206051));
    // A clock that wraps between the death and the check still counts right.
    watch.Start();
    EXPECT_FALSE(watch.Update(craft, 0xFFFFFF00u));
    EXPECT_FALSE(watch.Update(nullptr, 0xFFFFFFF0u));
    EXPECT_TRUE(watch.Update(nullptr, 0xFFFFFFF0u + 6001u));
}

}  // namespace
