// The sky a flight draws from its mission's records: the sample missions'
// star fields, suns and nebula, and records that arrive later or hold edge
// values.
#include "mission/MissionSky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "display/Palette.h"
#include "engine/Random.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/MissionSetUp.h"
#include "mission/SkyRecords.h"
#include "objects/effects/Nebula.h"
#include "scene/Light.h"
#include "scene/PointField.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tools/mkdata/MissionRecords.h"

namespace {

int32_t Count(const NamedObject* o) { return o == nullptr ? 0 : 1 + Count(o->next); }
const PointField* StarsOf(const MissionSky& sky) { return static_cast<const PointField*>(sky.Stars()); }

// Hands a record to the sky_records function that takes it in.
template <typename Create>
bool Feed(Create create, const MissionRecord& record) { return create(record.Bytes().data(), uint32_t(record.Bytes().size())); }

class MissionSkyTest : public SampleMissionTest {
protected:
    const Mission& Set(const char* file) {
        EXPECT_EQ(SetUpSeededMission(file, 3), kStatusOk);
        return *Game().mission;
    }
};

// The sample mission's stars lie all around at the record's distance, in
// its colour, fainter and brighter; its sun is a directional light of unit
// direction, joined to the frame's other lights and parted again.
TEST_F(MissionSkyTest, TheSampleMissionHasStarsAllAroundAndASun) {
    const Mission& mission = Set("sample.uli");
    Palette* const palette = Game().LoadPalette("Vorn");
    ASSERT_NE(palette, nullptr);
    MissionSky sky;
    sky.Update(mission, palette);
    ASSERT_EQ(Count(sky.Stars()), 1);
    const PointField& field = *StarsOf(sky);
    ASSERT_GT(field.pointCount, 500u);
    int32_t octants[8] = {};
    std::set<uint32_t> levels;
    for (uint32_t i = 0; i < field.pointCount; ++i) {
        const PointField::Point& p = field.points[i];
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 5000.0f, 1.0f);
        ++octants[(p.x > 0) + 2 * (p.y > 0) + 4 * (p.z > 0)];
        levels.insert(field.brightness[i]);
    }
    for (const int32_t n : octants) EXPECT_GT(n, int32_t(field.pointCount) / 16);
    EXPECT_GT(levels.size(), 20u);
    EXPECT_EQ(field.colour, palette->MatchColor(0xFFF4EC));

    const auto* const sun = static_cast<const VectorLight*>(sky.Lights());
    ASSERT_NE(sun, nullptr);
    EXPECT_EQ(sun->kind, Light::kKindVector);
    EXPECT_GT(sun->intensity, 200);
    EXPECT_NEAR(sun->direction.Length(), 1.0f, 1e-4f);
    Light other;
    EXPECT_EQ(sky.JoinLights(&other), sun);
    EXPECT_EQ(sun->next, &other);
    sky.JoinLights(nullptr);
    EXPECT_EQ(sun->next, nullptr);
}

// The skirmish's nebula is grown from the definitions without moving the
// game's dice; the same records give the same sky again.
TEST_F(MissionSkyTest, TheSkirmishsNebulaLeavesTheDiceAndTheSkyRepeats) {
    const Mission& mission = Set("skirmish.uli");
    Palette* const palette = Game().LoadPalette("Vorn");
    GameRandomSeed(77);
    MissionSky sky, again;
    sky.Update(mission, palette);
    EXPECT_EQ(GameRandomState(), 77u);
    ASSERT_EQ(Count(sky.Nebulae()), 1);
    EXPECT_FALSE(static_cast<const Nebula*>(sky.Nebulae())->faces.empty());
    again.Update(mission, nullptr);
    const PointField *a = StarsOf(sky), *b = StarsOf(again);
    ASSERT_TRUE(a != nullptr && b != nullptr && a->pointCount == b->pointCount);
    EXPECT_EQ(std::memcmp(a->points, b->points, a->pointCount * sizeof *a->points), 0);
}

// A record that arrives after the set-up (a network game's) is drawn from
// the next update; edge values draw nothing wrong: no stars, the most stars
// at huge distances, a light without a direction, a point light, a nebula
// the definitions lack.
TEST_F(MissionSkyTest, LaterAndEdgeRecordsAreDrawnSoundly) {
    Set("sample.uli");
    Palette* const palette = Game().LoadPalette("Vorn");
    MissionSky sky;
    sky.Update(*Game().mission, palette);
    ASSERT_EQ(Count(sky.Stars()), 1);
    using namespace sky_records;
    ASSERT_TRUE(Feed(CreateStarField, MissionRecord(Mission::kStarFieldBytes).Word(0, 5).Word(4, 0).Floats(12, {0.0f, 0.0f, 1.0f})));
    ASSERT_TRUE(Feed(CreateStarField,
                     MissionRecord(Mission::kStarFieldBytes).Word(0, 0).Word(4, kMostStars).Floats(12, {3.0e38f, 0.0f, 1.0e30f})));
    ASSERT_TRUE(Feed(CreateMissionLight, MissionRecord(Mission::kLightBytes).Word(0, 1).Word(28, 0xFFFFFF).Floats(32, {1.0e30f, 0.0f, 0.0f})));
    ASSERT_TRUE(Feed(CreateMissionLight, MissionRecord(Mission::kLightBytes).Word(0, 2).Floats(4, {10.0f, 0.0f, 0.0f}).Word(28, 0x808080).Floats(32, {0.5f, 100.0f, 50.0f})));
    ASSERT_TRUE(Feed([](const uint8_t* r, uint32_t n) { return CreateWallpaper(nullptr, r, n); },
                     MissionRecord(Mission::kWallpaperBytes).Text(0, "No Such Cloud", 16)));

    sky.Update(*Game().mission, palette);
    ASSERT_EQ(Count(sky.Stars()), 3);
    const auto* const empty = static_cast<const PointField*>(StarsOf(sky)->next);
    EXPECT_EQ(empty->pointCount, 0u);
    const auto* const full = static_cast<const PointField*>(empty->next);
    ASSERT_EQ(full->pointCount, uint32_t(kMostStars));
    for (uint32_t i = 0; i < full->pointCount; ++i) {
        const PointField::Point& p = full->points[i];
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && full->brightness[i] <= 255u) << i;
    }
    EXPECT_EQ(sky.Nebulae(), nullptr);
    ASSERT_NE(sky.Lights(), nullptr);
    const auto* const steady = static_cast<const VectorLight*>(sky.Lights()->next);
    ASSERT_NE(steady, nullptr);
    EXPECT_NEAR(steady->direction.Length(), 1.0f, 1e-4f);
    ASSERT_NE(steady->next, nullptr);
    EXPECT_EQ(steady->next->kind, Light::kKindFrameAttenuated);
}

}  // namespace
