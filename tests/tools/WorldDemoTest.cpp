// The demo world of tools/world stepped for half a minute of game time:
// hulls meet rocks, things are destroyed and removed, and the world stays
// whole (the sanitizers watch every collision and removal).
#include <gtest/gtest.h>

#include <string>

#include "tools/world/DemoWorld.h"

namespace {

TEST(WorldDemoTest, CollisionsDestroyAndRemoveObjects) {
    DemoWorld world(20, 300);
    const int32_t before = world.ObjectCount();
    int collisions = 0, destroyed = 0, removed = 0;
    for (int frame = 0; frame < 600; ++frame) {
        for (const std::string& line : world.Step(50)) {
            collisions += line.rfind("collision:", 0) == 0;
            destroyed += line.rfind("destroyed", 0) == 0;
            removed += line.rfind("removed", 0) == 0;
        }
    }
    EXPECT_GT(collisions, 0);
    EXPECT_GT(destroyed, 0);
    EXPECT_EQ(removed, destroyed);
    EXPECT_EQ(world.ObjectCount(), before - removed);
}

}  // namespace
