// Space dust: one field a flight, motes spread over the shared sprites,
// placed anew ahead of the camera when out of view or seen too long.
#include <gtest/gtest.h>

#include <vector>

#include "objects/effects/SpaceDust.h"
#include "scene/Billboard.h"
#include "scene/Camera.h"
#include "scene/ParticleSystem.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

// A sprite whose draws reach the screen while `onScreen` is set.
class StubSprite : public Billboard {
public:
    void Draw() override {
        ++draws;
        if (onScreen) flags |= kFlagSeen;
    }
    bool onScreen = true;
    int draws = 0;
};

TEST(SpaceDustTest, MotesRespawnAheadWhenUnseenOrSeenTooLong) {
    WorldBuilder builder;
    GameState& game = builder.Game();
    StubSprite first, second;
    game.dustSprites.Append(&first);
    game.dustSprites.Append(&second);
    Camera camera;
    camera.SetPosition({0.0f, 0.0f, -500.0f});
    game.flightCamera = &camera;

    EXPECT_EQ(CreateDustField(0), nullptr);
    ParticleSystem* const field = CreateDustField(4);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(CreateDustField(4), nullptr);   // one field a flight
    auto* const mote = static_cast<DustMote*>(field->members[0]);
    EXPECT_EQ(mote->sprite, &first);
    EXPECT_EQ(static_cast<DustMote*>(field->members[3])->sprite, &second);
    // Within the 400 box around the point 200 ahead of the camera.
    EXPECT_NEAR(mote->position.z, -300.0f, 200.0f);
    EXPECT_NEAR(mote->velocity.Length(), 1.0f, 1e-4f);

    // Seen 101 times, then placed anew.
    for (int i = 0; i <= DustMote::kSeenFrames; ++i) mote->Draw();
    EXPECT_EQ(mote->framesShown, DustMote::kSeenFrames + 1);
    EXPECT_EQ(game.dustSeen, DustMote::kSeenFrames + 1);
    mote->Draw();
    EXPECT_EQ(mote->framesShown, 0);

    // Out of view: placed anew ahead of the camera at its next draw.
    first.onScreen = false;
    mote->position = {0.0f, 0.0f, -5000.0f};
    mote->Draw();
    EXPECT_NEAR(mote->position.z, -300.0f, 200.0f);
    EXPECT_EQ(first.flags & Billboard::kFlagSeen, 0u);

    // Without a flight camera a respawn keeps the place.
    game.flightCamera = nullptr;
    mote->position = {1.0f, 2.0f, 3.0f};
    mote->Respawn(1);
    EXPECT_FLOAT_EQ(mote->position.z, 3.0f);
    const Vector3 before = mote->position;
    mote->Update();
    EXPECT_NEAR(mote->position.Difference(before).Length(), 0.1f, 1e-4f);

    // Motes without sprites draw nothing.
    game.ClearFlight();
    game.dustSprites.Clear();
    ParticleSystem* const bare = CreateDustField(2);
    ASSERT_NE(bare, nullptr);
    const int32_t drawn = game.dustDrawn;
    bare->Draw();
    EXPECT_EQ(game.dustDrawn, drawn);
}

}  // namespace
