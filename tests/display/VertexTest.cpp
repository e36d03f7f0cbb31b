#include <cstddef>
#include <type_traits>

#include <gtest/gtest.h>

#include "display/ScreenVertex.h"
#include "display/ViewVertex.h"

namespace {

// The rasterizer, the clippers and the sorted primitives copy these records
// word by word and keep them in arenas and fixed scratch blocks.
static_assert(std::is_standard_layout_v<ScreenVertex> && std::is_trivially_copyable_v<ScreenVertex>);
static_assert(std::is_standard_layout_v<ViewVertex> && std::is_trivially_copyable_v<ViewVertex>);
static_assert(std::is_aggregate_v<ScreenVertex> && std::is_aggregate_v<ViewVertex>);
static_assert(!std::is_same_v<ScreenVertex, ViewVertex> && !std::is_convertible_v<ScreenVertex, ViewVertex>);

TEST(ScreenVertex, KeepsItsEightWordsInOrder) {
    EXPECT_EQ(sizeof(ScreenVertex), 32u);
    EXPECT_EQ(offsetof(ScreenVertex, x), 0u);
    EXPECT_EQ(offsetof(ScreenVertex, y), 4u);
    EXPECT_EQ(offsetof(ScreenVertex, depth), 8u);
    EXPECT_EQ(offsetof(ScreenVertex, colour), 12u);
    EXPECT_EQ(offsetof(ScreenVertex, intensity), 16u);
    EXPECT_EQ(offsetof(ScreenVertex, u), 20u);
    EXPECT_EQ(offsetof(ScreenVertex, v), 24u);
    EXPECT_EQ(offsetof(ScreenVertex, invZ), 28u);
}

TEST(ViewVertex, KeepsTheCanvasWordsWhereTheIntOperationsReadThem) {
    EXPECT_EQ(sizeof(ViewVertex), 48u);
    EXPECT_EQ(offsetof(ViewVertex, x), 0u);
    EXPECT_EQ(offsetof(ViewVertex, z), 8u);
    // Fourth to eleventh words: screen x and y, depth, colour, intensity,
    // u, v, 1/z.
    EXPECT_EQ(offsetof(ViewVertex, screenX), 12u);
    EXPECT_EQ(offsetof(ViewVertex, screenY), 16u);
    EXPECT_EQ(offsetof(ViewVertex, depth), 20u);
    EXPECT_EQ(offsetof(ViewVertex, colour), 24u);
    EXPECT_EQ(offsetof(ViewVertex, intensity), 28u);
    EXPECT_EQ(offsetof(ViewVertex, u), 32u);
    EXPECT_EQ(offsetof(ViewVertex, v), 36u);
    EXPECT_EQ(offsetof(ViewVertex, invZ), 40u);
    EXPECT_EQ(offsetof(ViewVertex, spare), 44u);
}

TEST(Vertex, RecordsStartCleared) {
    const ScreenVertex s;
    EXPECT_EQ(s.x, 0.0f);
    EXPECT_EQ(s.colour, 0u);
    EXPECT_EQ(s.invZ, 0.0f);
    const ViewVertex v;
    EXPECT_EQ(v.z, 0.0f);
    EXPECT_EQ(v.depth, 0u);
    EXPECT_EQ(v.spare, 0u);
}

}  // namespace
