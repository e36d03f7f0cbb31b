// The state a decoy puts into OBJECT_CREATE for the other machines.
#include <gtest/gtest.h>

#include "objects/space/Decoy.h"
#include "objects/space/NetObjectState.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

class DecoyNetStateTest : public ::testing::Test {
protected:
    Decoy* Launch(float seconds) {
        auto* const decoy = builder_.SpawnAs<Decoy>(builder_.Ball("DECOY", 1.0f), 8);
        decoy->missileLureChance = 30;
        decoy->craftLureChance = 60;
        decoy->Activate(seconds);
        return decoy;
    }

    WorldBuilder builder_;
};

}  // namespace

// A client activates its copy with the fourth word as a lifetime in ms; a
// decoy that left it out lived for ever there while the host's went out.
TEST_F(DecoyNetStateTest, CarriesWhatIsLeftOfItsLifetime) {
    Decoy* const decoy = Launch(5.0f);
    NetObjectState state;
    decoy->FillNetState(state);
    ASSERT_EQ(state.tailWords, 4);
    EXPECT_EQ(state.tail[0], 30u);
    EXPECT_EQ(state.tail[1], 60u);
    EXPECT_EQ(int32_t(state.tail[2]), -1);
    const int32_t left = int32_t(state.tail[3]);
    EXPECT_LE(left, 5000);
    EXPECT_GT(left, 4000);
}

TEST_F(DecoyNetStateTest, ADecoyThatStaysSaysSoAndOneDueNowStillExpires) {
    NetObjectState state;
    Launch(0.0f)->FillNetState(state);
    EXPECT_EQ(int32_t(state.tail[3]), -1);

    Decoy* const due = Launch(5.0f);
    due->expiresAt = 0;   // its time came before this update went out
    due->FillNetState(state);
    EXPECT_EQ(int32_t(state.tail[3]), 1);
}
