// The stick's axes and hat as bindings name them.
#include "shell/BoundInput.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace bound_input;

platform::JoystickInfo Info() {
    platform::JoystickInfo info;
    info.x = 100;
    info.y = 200;
    info.z = 300;
    info.r = 400;
    info.buttons = 0x2;   // button 2 down
    return info;
}

// An axis reads while its button condition holds and the stick has it; an
// axis the stick lacks reads 0, full travel, so it counts as unbound.
TEST(BoundInput, AnAxisFollowsItsBitWhileItsButtonIsHeldOnAStickThatHasIt) {
    const platform::JoystickInfo info = Info();
    const struct {
        AxisSource source;
        uint32_t axes;
        bool reads;
        uint32_t position;
    } cases[] = {
        {{kAxisX, 0}, 4, true, 100},
        {{kAxisY, 0}, 2, true, 200},
        {{kAxisThrottle, 0}, 4, true, 300},
        {{kAxisRudder, 2}, 4, true, 400},     // button 2 is down
        {{kAxisX, 1}, 4, false, 0},           // button 1 is up
        {{0, 0}, 4, false, 0},                // bound to nothing
        {{-1, 0}, 4, false, 0},
        {{kAxisX | kAxisY, 0}, 4, false, 0},  // two axes at once is none
        {{INT_MIN, 0}, 4, false, 0},
        {{kAxisThrottle, 0}, 2, false, 0},    // the stick lacks it
        {{kAxisRudder, 0}, 3, false, 0},
        {{kAxisX, 0}, 0, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source.axisBits << " " << c.source.buttonCondition << " of " << c.axes);
        uint32_t position = 0;
        EXPECT_EQ(ReadAxis(info, c.axes, c.source, &position), c.reads);
        if (c.reads) {
            EXPECT_EQ(position, c.position);
        }
    }
}

TEST(BoundInput, FunctionsWithoutADefaultAxisReadNothing) {
    uint32_t position = 0;
    EXPECT_TRUE(ReadAxis(Info(), 4, DefaultAxis(kYaw), &position));
    for (const int32_t function : {int32_t(kSpareAxis), -1, 99}) {
        EXPECT_FALSE(ReadAxis(Info(), 4, DefaultAxis(function), &position)) << function;
    }
}

// Direction d holds while the hat reads exactly 100 x d; centred holds none.
TEST(BoundInput, AHatDirectionHoldsOnlyAtItsReading) {
    const struct {
        int32_t direction;
        uint32_t reading;
        bool holds;
    } cases[] = {
        {90, 9000, true}, {90, 9001, false}, {90, 18000, false}, {90, 0xFFFF, false}, {0, 0, true},
        {0, 0xFFFF, false},           // centred is not north
        {-1, 0xFFFFFFFFu, false},     // -1 x 100 is no reading
        {INT32_MAX, uint32_t(INT32_MAX) * 100u, false},   // no wrap to a reading
        {INT32_MIN, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HatHolds(c.direction, c.reading), c.holds) << c.direction << " at " << c.reading;
    }
}

TEST(BoundInput, MouseMovementDeflectsUpToFull) {
    EXPECT_EQ(MouseDeflection(0), 0.0f);
    EXPECT_GT(MouseDeflection(kMouseFullCounts / 2), 0.0f);
    EXPECT_EQ(MouseDeflection(32767), 1.0f);
    EXPECT_EQ(MouseDeflection(-32768), -1.0f);
}

}  // namespace
