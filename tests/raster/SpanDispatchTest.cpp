#include <gtest/gtest.h>

#include <set>

#include "raster/GenericSpans.h"
#include "raster/Span.h"
#include "raster/UntexturedSpans.h"

namespace {

// Classes with a side of 16: width 16 << (c / 5), height 16 << (c % 5).
bool HasSideOf16(int32_t sizeClass) { return sizeClass / 5 == 0 || sizeClass % 5 == 0; }

TEST(SpanDispatch, UntexturedModesOfRowZeroIgnoreTheDitherBit) {
    const SpanFiller* const row = g_spanDispatch[0];
    const SpanFiller opaque[4] = {&SpanFlat, &SpanFlatDepth, &SpanGouraud, &SpanGouraudDepth};
    const SpanFiller alpha[4] = {&SpanFlatAlpha, &SpanFlatAlphaDepth, &SpanGouraudAlpha, &SpanGouraudAlphaDepth};
    for (uint32_t mode = 0; mode < 4; ++mode) {
        EXPECT_EQ(row[mode], opaque[mode]) << mode;
        EXPECT_EQ(row[mode | 4], opaque[mode]) << mode;
        EXPECT_EQ(row[0x10 | mode], alpha[mode]) << mode;
        EXPECT_EQ(row[0x14 | mode], alpha[mode]) << mode;
    }
}

TEST(SpanDispatch, RowsAboveZeroHoldOnlyTexturedEntries) {
    for (int32_t sizeClass = 1; sizeClass < kSpanSizeClasses; ++sizeClass) {
        for (uint32_t mode = 0; mode < 0x20; ++mode) {
            const bool textured = (mode & kSpanModeTextured) != 0;
            EXPECT_EQ(g_spanDispatch[sizeClass][mode] != nullptr, textured) << sizeClass << " " << mode;
        }
    }
}

TEST(SpanDispatch, ModesWithBit20AreEmptyInEveryRow) {
    for (int32_t sizeClass = 0; sizeClass < kSpanSizeClasses; ++sizeClass) {
        for (uint32_t mode = 0x20; mode < 0x40; ++mode) {
            EXPECT_EQ(g_spanDispatch[sizeClass][mode], nullptr) << sizeClass << " " << mode;
        }
    }
}

TEST(SpanDispatch, TranslucentTexturedModesUseTheGenericLoopsInEveryClass) {
    for (int32_t sizeClass = 0; sizeClass < kSpanSizeClasses; ++sizeClass) {
        for (uint32_t mode = 0; mode < 8; ++mode) {
            EXPECT_EQ(g_spanDispatch[sizeClass][0x18 | mode], g_spanTexturedAlphaSelectors[mode]) << sizeClass;
        }
    }
}

TEST(SpanDispatch, ClassesWithASideOf16UseTheGenericOpaqueLoops) {
    int32_t classes = 0;
    for (int32_t sizeClass = 0; sizeClass < kSpanSizeClasses; ++sizeClass) {
        if (!HasSideOf16(sizeClass)) {
            continue;
        }
        ++classes;
        for (uint32_t mode = 0; mode < 8; ++mode) {
            EXPECT_EQ(g_spanDispatch[sizeClass][0x08 | mode], g_spanTexturedSelectors[mode]) << sizeClass;
        }
    }
    EXPECT_EQ(classes, 9);   // 0-5, 10, 15, 20
    EXPECT_NE(g_spanTexturedSelectors[0], g_spanTexturedSelectors[1]);
}

// Needs the size-specialised units: with them missing every class would fall
// back to the generic loops.
TEST(SpanDispatch, ClassesWithBothSides32OrMoreUseTheirOwnUnit) {
    std::set<SpanFiller> units;
    for (int32_t sizeClass = 0; sizeClass < kSpanSizeClasses; ++sizeClass) {
        if (HasSideOf16(sizeClass)) {
            EXPECT_EQ(SpanUnitSelectors(sizeClass), nullptr) << sizeClass;
            continue;
        }
        for (uint32_t mode = 0; mode < 8; ++mode) {
            const SpanFiller entry = g_spanDispatch[sizeClass][0x08 | mode];
            EXPECT_NE(entry, nullptr) << sizeClass;
            EXPECT_NE(entry, g_spanTexturedSelectors[mode]) << sizeClass << " " << mode;
            units.insert(entry);
        }
    }
    EXPECT_EQ(units.size(), 16u * 8u);   // no two classes share a unit
    EXPECT_NE(g_spanDispatch[6][0x0e], g_spanTexturedSelectors[6]);
    EXPECT_EQ(g_spanDispatch[4][0x0e], g_spanTexturedSelectors[6]);   // 16 x 256
}

}  // namespace
