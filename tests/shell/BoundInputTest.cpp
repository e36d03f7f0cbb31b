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

TEST(BoundInput, AnAxisFollowsItsBitWhileItsButtonIsHeld) {
    const platform::JoystickInfo info = Info();
    const struct {
        AxisSource source;
        bool reads;
        uint32_t position;
    } cases[] = {
        {{kAxisX, 0}, true, 100},
        {{kAxisY, 0}, true, 200},
        {{kAxisThrottle, 0}, true, 300},
        {{kAxisRudder, 0}, true, 400},
        {{kAxisRudder, 2}, true, 400},    // button 2 is down
        {{kAxisX, 1}, false, 0},          // button 1 is up
        {{kAxisX, 4}, false, 0},
        {{0, 0}, false, 0},               // bound to nothing
        {{-1, 0}, false, 0},
        {{kAxisX | kAxisY, 0}, false, 0},   // two axes at once is none
        {{16, 0}, false, 0},
        {{INT_MIN, 0}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source.axisBits << " " << c.source.buttonCondition);
        uint32_t position = 0;
        EXPECT_EQ(ReadAxis(info, 4, c.source, &position), c.reads);
        if (c.reads) EXPECT_EQ(position, c.position);
    }
}

// An axis the stick lacks reads 0, full travel: it counts as unbound.
TEST(BoundInput, AnAxisTheStickLacksReadsNothing) {
    const platform::JoystickInfo info = Info();
    uint32_t position = 0;
    EXPECT_TRUE(ReadAxis(info, 2, {kAxisY, 0}, &position));
    EXPECT_FALSE(ReadAxis(info, 2, {kAxisThrottle, 0}, &position));
    EXPECT_FALSE(ReadAxis(info, 3, {kAxisRudder, 0}, &position));
    EXPECT_FALSE(ReadAxis(info, 0, {kAxisX, 0}, &position));
}

TEST(BoundInput, TheDefaultsAreTheStickAsItFlewBefore) {
    EXPECT_EQ(DefaultAxis(kYaw).axisBits, kAxisX);
    EXPECT_EQ(DefaultAxis(kPitch).axisBits, kAxisY);
    EXPECT_EQ(DefaultAxis(kRoll).axisBits, kAxisRudder);
    EXPECT_EQ(DefaultAxis(kThrottle).axisBits, kAxisThrottle);
    uint32_t position = 0;
    for (const int32_t function : {int32_t(kSpareAxis), -1, 99}) {
        EXPECT_FALSE(ReadAxis(Info(), 4, DefaultAxis(function), &position)) << function;
    }
}

// Direction d holds while the hat reads exactly 100 x d; centred holds none.
TEST(BoundInput, AHatDirectionHoldsOnlyAtItsReading) {
    EXPECT_TRUE(HatHolds(90, 9000));
    EXPECT_FALSE(HatHolds(90, 9001));
    EXPECT_FALSE(HatHolds(90, 18000));
    EXPECT_FALSE(HatHolds(90, 0xFFFF));
    EXPECT_TRUE(HatHolds(0, 0));
    EXPECT_FALSE(HatHolds(0, 0xFFFF));        // centred is not north
    EXPECT_FALSE(HatHolds(0, 0xFFFFFFFFu));
    EXPECT_TRUE(HatHolds(270, 27000));
    EXPECT_FALSE(HatHolds(-1, 0));
    EXPECT_FALSE(HatHolds(-1, 0xFFFFFFFFu));  // -1 x 100 is no reading either
    EXPECT_FALSE(HatHolds(INT32_MAX, uint32_t(INT32_MAX) * 100u));   // no wrap to a reading
    EXPECT_FALSE(HatHolds(INT32_MIN, 0));
}

TEST(BoundInput, MouseMovementDeflectsUpToFull) {
    EXPECT_EQ(MouseDeflection(0), 0.0f);
    EXPECT_EQ(MouseDeflection(kMouseFullCounts / 2), 0.5f);
    EXPECT_EQ(MouseDeflection(-kMouseFullCounts / 2), -0.5f);
    EXPECT_EQ(MouseDeflection(32767), 1.0f);
    EXPECT_EQ(MouseDeflection(-32768), -1.0f);
}

}  // namespace
