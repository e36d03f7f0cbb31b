// The carry that turns a rate into whole units frame by frame.
#include "engine/RateCarry.h"

#include <gtest/gtest.h>

namespace {

// Over a second the units add up to the rate at any frame length; where
// each frame's share is whole the carry changes nothing.
TEST(RateCarryTest, FramesOfAnyLengthAddUpToTheRate) {
    for (const int64_t frameMs : {1, 7, 16, 33, 50, 100, 200, 1000}) {
        for (const int64_t rate : {1, 3, 18, 40, 299}) {
            RateCarry carry;
            int64_t total = 0;
            const int64_t frames = 60000 / frameMs;   // a minute, give or take a frame's share
            for (int64_t i = 0; i < frames; ++i) total += carry.TakeRate(rate, frameMs);
            const int64_t exact = rate * frames * frameMs / 1000;
            EXPECT_EQ(total, exact) << rate << " a second in frames of " << frameMs << " ms";
        }
    }
    RateCarry even;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(even.TakeRate(60, 50), 3);
    EXPECT_EQ(even.Rest(), 0);
}

// A changed divisor keeps the fraction's worth; a negative amount carries a
// negative rest; a divisor of 0 or less grants nothing and forgets.
TEST(RateCarryTest, DivisorsChangeAndAmountsMayBeNegative) {
    RateCarry carry;
    EXPECT_EQ(carry.Take(1500, 1000), 1);   // half a unit left
    EXPECT_EQ(carry.Take(50, 100), 1);      // the half, now 50 of 100, and 50 more
    EXPECT_EQ(carry.Rest(), 0);
    EXPECT_EQ(carry.Take(-1500, 1000), -1);
    EXPECT_EQ(carry.Take(-1500, 1000), -2);
    EXPECT_EQ(carry.Rest(), 0);
    EXPECT_EQ(carry.Take(700, 1000), 0);
    EXPECT_EQ(carry.Take(700, 0), 0);
    EXPECT_EQ(carry.Rest(), 0);
    EXPECT_EQ(carry.Take(999, -5), 0);
    EXPECT_EQ(carry.Take(999, 1000), 0);
    // Huge rates over the longest frame stay exact.
    EXPECT_EQ(carry.TakeRate(INT32_MAX, 1000), int64_t(INT32_MAX));
}

}  // namespace
