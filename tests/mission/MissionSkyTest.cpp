// The sky a flight draws from its mission's records: the sample missions'
// star fields, suns and nebula, and records that arrive later or hold edge
// values.
#include "mission/MissionSky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

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

int32_t Count(const NamedObject* first) {
    int32_t n = 0;
    for (const NamedObject* o = first; o != nullptr; o = o->next) ++n;
    return n;
}

std::vector<PointField::Point> PointsOf(const MissionSky& sky) {
    const auto* const field = static_cast<const PointField*>(sky.Stars());
    return field != nullptr ? std::vector<PointField::Point>(field->points, field->points + field->pointCount)
                            : std::vector<PointField::Point>{};
}

class MissionSkyTest : public SampleMissionTest {
protected:
    Mission& Set(const char* file) {
        EXPECT_EQ(SetUpSeededMission(file, 3), kStatusOk);
        return *Game().mission;
    }
};

// The sample mission's stars lie all around at the record's distance, in
// its colour, fainter and brighter; its sun is a directional light of unit
// direction.
TEST_F(MissionSkyTest, TheSampleMissionHasStarsAllAroundAndASun) {
    const Mission& mission = Set("sample.uli");
    ASSERT_EQ(mission.starFields.size(), 1u);
    ASSERT_EQ(mission.lights.size(), 1u);
    Palette* const palette = Game().LoadPalette("Vorn");
    ASSERT_NE(palette, nullptr);
    MissionSky sky;
    sky.Update(mission, palette);

    ASSERT_EQ(Count(sky.Stars()), 1);
    const auto& field = *static_cast<const PointField*>(sky.Stars());
    const std::vector<PointField::Point> points = PointsOf(sky);
    ASSERT_GT(points.size(), 500u);
    int32_t octants[8] = {};
    std::set<uint32_t> levels;
    for (uint32_t i = 0; i < field.pointCount; ++i) {
        const PointField::Point& p = points[i];
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 5000.0f, 1.0f);
        ++octants[(p.x > 0) + 2 * (p.y > 0) + 4 * (p.z > 0)];
        levels.insert(field.brightness[i]);
    }
    for (const int32_t n : octants) EXPECT_GT(n, int32_t(points.size()) / 16);
    EXPECT_GT(levels.size(), 20u);
    EXPECT_EQ(field.colour, palette->MatchColor(0xFFF4EC));

    const Light* const sun = sky.Lights();
    ASSERT_NE(sun, nullptr);
    EXPECT_EQ(sun->kind, Light::kKindVector);
    EXPECT_GT(sun->intensity, 200);
    const Vector3 d = static_cast<const VectorLight*>(sun)->direction;
    EXPECT_NEAR(d.Length(), 1.0f, 1e-4f);
    EXPECT_EQ(sun->next, nullptr);
    // Joined to the frame's other lights and parted again.
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
    ASSERT_EQ(mission.wallpapers.size(), 1u);
    Palette* const palette = Game().LoadPalette("Vorn");
    GameRandomSeed(77);
    MissionSky sky;
    sky.Update(mission, palette);
    EXPECT_EQ(GameRandomState(), 77u);
    ASSERT_EQ(Count(sky.Nebulae()), 1);
    EXPECT_FALSE(static_cast<const Nebula*>(sky.Nebulae())->faces.empty());

    MissionSky again;
    again.Update(mission, nullptr);
    const std::vector<PointField::Point> a = PointsOf(sky), b = PointsOf(again);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]), 0);
}

// A record that arrives after the set-up (a network game's) is drawn from
// the next update; edge values draw nothing wrong: no stars, a light
// without a direction, a point light, a nebula the definitions lack.
TEST_F(MissionSkyTest, LaterAndEdgeRecordsAreDrawnSoundly) {
    Set("sample.uli");
    Palette* const palette = Game().LoadPalette("Vorn");
    MissionSky sky;
    sky.Update(*Game().mission, palette);
    ASSERT_EQ(Count(sky.Stars()), 1);

    MissionRecord none(Mission::kStarFieldBytes);
    none.Word(0, 5).Word(4, 0).Floats(12, {0.0f, 0.0f, 1.0f});
    ASSERT_TRUE(sky_records::CreateStarField(none.Bytes().data(), uint32_t(none.Bytes().size())));
    MissionRecord most(Mission::kStarFieldBytes);
    most.Word(0, 0).Word(4, sky_records::kMostStars).Floats(12, {3.0e38f, 0.0f, 1.0e30f});
    ASSERT_TRUE(sky_records::CreateStarField(most.Bytes().data(), uint32_t(most.Bytes().size())));
    MissionRecord still(Mission::kLightBytes);
    still.Word(0, 1).Word(28, 0xFFFFFF).Floats(32, {1.0e30f, 0.0f, 0.0f});
    ASSERT_TRUE(sky_records::CreateMissionLight(still.Bytes().data(), uint32_t(still.Bytes().size())));
    MissionRecord point(Mission::kLightBytes);
    point.Word(0, 2).Floats(4, {10.0f, 0.0f, 0.0f}).Word(28, 0x808080).Floats(32, {0.5f, 100.0f, 50.0f});
    ASSERT_TRUE(sky_records::CreateMissionLight(point.Bytes().data(), uint32_t(point.Bytes().size())));
    MissionRecord unknown(Mission::kWallpaperBytes);
    unknown.Text(0, "No Such Cloud", 16);
    ASSERT_TRUE(sky_records::CreateWallpaper(nullptr, unknown.Bytes().data(), uint32_t(unknown.Bytes().size())));

    sky.Update(*Game().mission, palette);
    ASSERT_EQ(Count(sky.Stars()), 3);
    const auto* const empty = static_cast<const PointField*>(sky.Stars()->next);
    EXPECT_EQ(empty->pointCount, 0u);
    const auto* const full = static_cast<const PointField*>(empty->next);
    ASSERT_EQ(full->pointCount, uint32_t(sky_records::kMostStars));
    for (uint32_t i = 0; i < full->pointCount; ++i) {
        ASSERT_TRUE(std::isfinite(full->points[i].x) && std::isfinite(full->points[i].y) && std::isfinite(full->points[i].z));
        ASSERT_LE(full->brightness[i], 255u);
    }
    EXPECT_EQ(sky.Nebulae(), nullptr);
    const Light* const lights = sky.Lights();
    ASSERT_NE(lights, nullptr);
    const auto* const steady = static_cast<const VectorLight*>(lights->next);
    ASSERT_NE(steady, nullptr);
    EXPECT_EQ(steady->intensity, 255);
    EXPECT_NEAR(steady->direction.Length(), 1.0f, 1e-4f);
    ASSERT_NE(steady->next, nullptr);
    EXPECT_EQ(steady->next->kind, Light::kKindFrameAttenuated);
    EXPECT_EQ(steady->next->intensity, 64);
}

}  // namespace
