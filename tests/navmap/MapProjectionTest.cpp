#include "navmap/MapProjection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr int32_t kRange = 5000;

// The map-space point of a place (u, w) on the map plane at height y.
Vector3 At(MapTwin twin, double u, double w, double y = 0.0) {
    const double r = kRange;
    const double z = twin == MapTwin::kWarRoom ? (0.5 - w) * 2.0 * r : (w - 0.5) * 2.0 * r;
    return Vector3{float((u - 0.5) * 2.0 * r), float(y), float(z)};
}

TEST(MapProjection, ReferencePlacesLandOnTheirBarStartPoints) {
    const struct {
        double u, w;
        int32_t warX, warY, flightX, flightY;
    } rows[] = {
        {0.0, 0.0, 194, 209, 194, 195}, {1.0, 0.0, 454, 245, 454, 232}, {0.0, 1.0, 315, 148, 315, 134},
        {1.0, 1.0, 575, 184, 575, 171}, {0.5, 0.5, 383, 192, 383, 177},
        // Each term is truncated on its own: T(320.75) - T(-42.32) is 362, not 363.
        {0.25, 0.9, 362, -1, -1, -1},
    };
    for (const auto& row : rows) {
        MapPoint war;
        ASSERT_TRUE(map_projection::Project(MapTwin::kWarRoom, At(MapTwin::kWarRoom, row.u, row.w), kRange, &war));
        EXPECT_EQ(war.x, row.warX) << row.u << ", " << row.w;
        if (row.warY < 0) continue;
        EXPECT_EQ(war.barY, row.warY) << row.u << ", " << row.w;
        EXPECT_EQ(war.y, war.barY);
        MapPoint flight;
        ASSERT_TRUE(
            map_projection::Project(MapTwin::kInFlight, At(MapTwin::kInFlight, row.u, row.w), kRange, &flight));
        EXPECT_EQ(flight.x, row.flightX) << row.u << ", " << row.w;
        EXPECT_EQ(flight.barY, row.flightY) << row.u << ", " << row.w;
    }
}

TEST(MapProjection, HeightRaisesTheSymbolAndDepthKeysByZ) {
    MapPoint point;
    ASSERT_TRUE(map_projection::Project(MapTwin::kWarRoom, Vector3{0.0f, kRange / 2.0f, -1234.9f}, kRange, &point));
    EXPECT_EQ(point.barY - point.y, 70);
    EXPECT_EQ(point.depthKey, -1234 + kRange);
    ASSERT_TRUE(map_projection::Project(MapTwin::kInFlight, Vector3{0.0f, -kRange / 2.0f, 0.0f}, kRange, &point));
    EXPECT_EQ(point.y - point.barY, 70);
}

TEST(MapProjection, TheBoxIsStrictAndEmptyWithoutRange) {
    const float r = kRange;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Vector3 outside[] = {{2 * r, 0, 0}, {-2 * r, 0, 0}, {0, r, 0},   {0, -r, 0},
                               {0, 0, 2 * r}, {0, 0, -2 * r}, {nan, 0, 0}, {0, 0, std::numeric_limits<float>::infinity()}};
    MapPoint point;
    for (MapTwin twin : {MapTwin::kWarRoom, MapTwin::kInFlight}) {
        for (const Vector3& p : outside) EXPECT_FALSE(map_projection::Project(twin, p, kRange, &point));
        EXPECT_TRUE(map_projection::Project(twin, Vector3{2 * r - 1, r - 1, -2 * r + 1}, kRange, &point));
        EXPECT_FALSE(map_projection::Project(twin, Vector3{0, 0, 0}, 0, &point));
        EXPECT_FALSE(map_projection::Project(twin, Vector3{0, 0, 0}, -100, &point));
    }
}

TEST(MapProjection, SymbolWindowEdgesAreOutside) {
    const struct {
        int32_t x, y;
        bool inside;
    } rows[] = {{148, 100, false}, {149, 100, true}, {635, 100, false}, {634, 100, true},
                {300, 5, false},   {300, 6, true},   {300, 311, false}, {300, 310, true}};
    for (const auto& row : rows) {
        MapPoint point;
        point.x = row.x;
        point.y = row.y;
        EXPECT_EQ(map_projection::InSymbolWindow(point), row.inside) << row.x << ", " << row.y;
    }
}

}  // namespace
