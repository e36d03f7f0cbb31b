#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "display/SoftTexture.h"
#include "raster/GenericSpans.h"
#include "raster/SizedSpanUnits.h"
#include "raster/Span.h"
#include "tests/support/SpanTarget.h"

namespace {

struct UnitShape {
    int32_t log2Width;
    int32_t log2Height;

    int32_t SizeClass() const { return SoftTexture::SizeClass(log2Width, log2Height); }
    int32_t Width() const { return 1 << log2Width; }
    int32_t Height() const { return 1 << log2Height; }
};

// Test names and failure messages show the shape, not the record's bytes.
void PrintTo(const UnitShape& shape, std::ostream* out) { *out << shape.Width() << " x " << shape.Height(); }

std::vector<UnitShape> AllUnitShapes() {
    std::vector<UnitShape> shapes;
    for (int32_t log2Width = 5; log2Width <= 8; ++log2Width) {
        for (int32_t log2Height = 5; log2Height <= 8; ++log2Height) {
            shapes.push_back({log2Width, log2Height});
        }
    }
    return shapes;
}

std::string ShapeName(const testing::TestParamInfo<UnitShape>& info) {
    return std::to_string(info.param.Width()) + "x" + std::to_string(info.param.Height());
}

constexpr int32_t kOne = 0x10000;                 // 1.0 in 16.16
constexpr int32_t kMaxShade = 256 * kOne - 1;     // just under intensity 256
constexpr int32_t kMaxRowLength = 300;
constexpr int32_t kTargetWidth = 320;
constexpr int32_t kTargetRows = 4;

// One texel per pixel along u or v, in the scaled form the set-up hands over.
int32_t TexelStep(int32_t texels, int32_t log2Side) {
    return static_cast<int32_t>(static_cast<uint32_t>(texels * kOne) << (16 - log2Side));
}

// The unit's selector for a mode of 0x08..0x0f, found the way the triangle
// set-up finds it.
SpanFiller UnitEntry(const UnitShape& shape, uint32_t mode) {
    return g_spanDispatch[shape.SizeClass()][kSpanModeTextured | (mode & 7)];
}

// -- Equivalence with the generic loops -------------------------------------

// Random triangles of up to four rows: the same set-up, texture and starting
// buffers go through the unit and through the generic loop, which read the
// shape from the texture at run time; any slip in a constant shift, mask or
// dither shift shows as a pixel or depth value of its own.
class SizedSpanUnitEquivalence : public testing::TestWithParam<UnitShape> {
protected:
    void SetUp() override {
        const UnitShape shape = GetParam();
        plain_ = std::make_unique<SpanTexture>(shape.log2Width, shape.log2Height, false);
        keyed_ = std::make_unique<SpanTexture>(shape.log2Width, shape.log2Height, true);
    }

    // Texels of every colour, one in eight the key, the same in both textures.
    void RandomiseTexels() {
        std::uniform_int_distribution<int32_t> colour(0, 255);
        for (int32_t row = 0; row < plain_->Height(); ++row) {
            for (int32_t column = 0; column < plain_->Width(); ++column) {
                const uint8_t texel = colour(random_) < 32 ? kSpanKeyTexel : static_cast<uint8_t>(colour(random_));
                plain_->Texel(column, row) = texel;
                keyed_->Texel(column, row) = texel;
            }
        }
    }

    // Rows of 1..300 pixels anywhere in the target, some against its first
    // or last column, and now and then an empty row; the shade stays within
    // 0..255 along every row, as the set-up guarantees.
    SpanSetup RandomSetup(bool keyed) {
        std::uniform_int_distribution<int32_t> anyInt(INT32_MIN, INT32_MAX);
        std::uniform_int_distribution<uint32_t> anyWord(0, UINT32_MAX);
        std::uniform_int_distribution<int32_t> length(1, kMaxRowLength);
        std::uniform_int_distribution<int32_t> choice(0, 9);
        std::uniform_int_distribution<int32_t> smallStep(-(1 << 27), 1 << 27);
        // Small enough that a 300-pixel row cannot leave 0..255.
        std::uniform_int_distribution<int32_t> shadeStep(-kMaxShade / kMaxRowLength, kMaxShade / kMaxRowLength);
        std::uniform_int_distribution<int32_t> depthStep(-(1 << 22), 1 << 22);

        SpanSetup setup = target_.Setup(std::uniform_int_distribution<int32_t>(0, 1023)(random_));
        setup.texture = (keyed ? keyed_ : plain_)->Texture();
        setup.lastRow = std::uniform_int_distribution<int32_t>(0, kTargetRows - 1)(random_);
        const bool wideSteps = choice(random_) < 5;
        setup.uStep = wideSteps ? anyInt(random_) : smallStep(random_);
        setup.vStep = wideSteps ? anyInt(random_) : smallStep(random_);
        setup.shadeStep = shadeStep(random_);
        setup.depthStep = depthStep(random_);

        for (int32_t row = 0; row < kTargetRows; ++row) {
            const int32_t pixels = length(random_);
            int32_t left = std::uniform_int_distribution<int32_t>(0, kTargetWidth - pixels)(random_);
            const int32_t where = choice(random_);
            if (where < 2) {
                left = 0;
            } else if (where < 4) {
                left = kTargetWidth - pixels;
            }
            const int32_t right = where == 9 ? left - std::uniform_int_distribution<int32_t>(0, 2)(random_)
                                             : left + pixels;
            target_.SetRow(row, left, right);

            SpanEdge& edge = target_.Left(row);
            const int64_t travel = int64_t{setup.shadeStep} * (pixels - 1);
            const int64_t lowest = std::max<int64_t>(0, -travel);
            const int64_t highest = kMaxShade - std::max<int64_t>(0, travel);
            edge.shade = static_cast<int32_t>(std::uniform_int_distribution<int64_t>(lowest, highest)(random_));
            edge.u = anyInt(random_);
            edge.v = anyInt(random_);
            edge.z = anyWord(random_);
            edge.y = anyInt(random_);
            edge.colour = anyWord(random_);
        }
        return setup;
    }

    void RandomiseDepths() {
        std::uniform_int_distribution<uint32_t> depth(0, 0xFFFF);
        for (int32_t row = 0; row < kTargetRows; ++row) {
            for (int32_t x = 0; x < kTargetWidth; ++x) {
                target_.Depth(x, row) = static_cast<uint16_t>(depth(random_));
            }
        }
    }

    void RestoreDepths(const std::vector<uint16_t>& depths) {
        for (int32_t row = 0; row < kTargetRows; ++row) {
            for (int32_t x = 0; x < kTargetWidth; ++x) {
                target_.Depth(x, row) = depths[static_cast<size_t>(row * kTargetWidth + x)];
            }
        }
    }

    // Pixels outside a row's span keep their fill, whatever the routine.
    void ExpectOnlySpansDrawn(const SpanSetup& setup) {
        for (int32_t row = 0; row < kTargetRows; ++row) {
            const int32_t left = target_.Left(row).x;
            const int32_t right = row <= setup.lastRow ? setup.rightEdge[row].x : left;
            for (int32_t x = 0; x < kTargetWidth; ++x) {
                if (x < left || x >= right) {
                    ASSERT_EQ(target_.Pixel(x, row), SpanTarget::kUntouched) << "row " << row << " x " << x;
                }
            }
        }
    }

    std::mt19937 random_{0x5A1ED5u};
    SpanTarget target_{kTargetWidth, kTargetRows};
    std::unique_ptr<SpanTexture> plain_;
    std::unique_ptr<SpanTexture> keyed_;
};

TEST_P(SizedSpanUnitEquivalence, DrawsTheSamePixelsAndDepthsAsTheGenericLoop) {
    constexpr int32_t kTrials = 24;
    const UnitShape shape = GetParam();
    const SpanFiller* const unit = SpanUnitSelectors(shape.SizeClass());
    ASSERT_NE(unit, nullptr);
    for (uint32_t mode = 0x08; mode <= 0x0f; ++mode) {
        RandomiseTexels();
        for (const bool keyed : {false, true}) {
            for (int32_t trial = 0; trial < kTrials; ++trial) {
                SCOPED_TRACE(testing::Message() << "mode 0x" << std::hex << mode << std::dec
                                                << (keyed ? " keyed" : " plain") << " trial " << trial);
                RandomiseDepths();
                const SpanSetup setup = RandomSetup(keyed);
                const std::vector<uint16_t> startDepths = target_.Depths();

                target_.FillPixels(SpanTarget::kUntouched);
                g_spanTexturedSelectors[mode & 7](&setup);
                const std::vector<uint16_t> genericPixels = target_.Pixels();
                const std::vector<uint16_t> genericDepths = target_.Depths();

                target_.FillPixels(SpanTarget::kUntouched);
                RestoreDepths(startDepths);
                unit[mode & 7](&setup);

                ASSERT_EQ(target_.Pixels(), genericPixels);
                ASSERT_EQ(target_.Depths(), genericDepths);
                ExpectOnlySpansDrawn(setup);
                if ((mode & kSpanModeDepth) == 0) {
                    ASSERT_EQ(target_.Depths(), startDepths);
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryUnit, SizedSpanUnitEquivalence, testing::ValuesIn(AllUnitShapes()), ShapeName);

// -- Each unit on its own ----------------------------------------------------

class SizedSpanUnitLoops : public testing::TestWithParam<UnitShape> {};

TEST_P(SizedSpanUnitLoops, ServesExactlyItsOwnSizeClass) {
    const UnitShape shape = GetParam();
    const SpanFiller* const unit = SpanUnitSelectors(shape.SizeClass());
    ASSERT_NE(unit, nullptr);
    for (uint32_t mode = 0; mode < 8; ++mode) {
        EXPECT_EQ(UnitEntry(shape, mode), unit[mode]) << mode;
        for (uint32_t other = 0; other < mode; ++other) {
            EXPECT_NE(unit[mode], unit[other]) << mode << " " << other;
        }
    }
    for (const UnitShape& other : AllUnitShapes()) {
        if (other.SizeClass() != shape.SizeClass()) {
            EXPECT_NE(SpanUnitSelectors(other.SizeClass()), unit) << other.SizeClass();
        }
    }
}

// One row walking two texels down for each texel across, from a negative
// column, far enough to wrap both ways: every texel must come from its own
// row of width texels and its own column, and the texture must repeat.
TEST_P(SizedSpanUnitLoops, WalksTexelsWithItsOwnRowLengthAndWraps) {
    const UnitShape shape = GetParam();
    std::mt19937 random(static_cast<uint32_t>(shape.SizeClass()));
    SpanTexture texture(shape.log2Width, shape.log2Height);
    for (int32_t row = 0; row < shape.Height(); ++row) {
        for (int32_t column = 0; column < shape.Width(); ++column) {
            texture.Texel(column, row) = static_cast<uint8_t>(random());
        }
    }
    const int32_t pixels = 2 * std::max(shape.Width(), shape.Height()) + 3;
    SpanTarget target(pixels, 1);
    target.SetRow(0, 0, pixels);
    target.Left(0).u = -3 * kOne + kOne / 2;
    target.Left(0).v = 5 * kOne + kOne / 2;
    target.Left(0).shade = 20 << 19;   // level 20 throughout
    SpanSetup setup = target.Setup();
    setup.texture = texture.Texture();
    setup.uStep = TexelStep(1, shape.log2Width);
    setup.vStep = TexelStep(2, shape.log2Height);

    UnitEntry(shape, 0x08)(&setup);

    for (int32_t x = 0; x < pixels; ++x) {
        const int32_t column = (x - 3 + shape.Width()) % shape.Width();
        const int32_t row = (5 + 2 * x) % shape.Height();
        ASSERT_EQ(target.Pixel(x, 0), SpanTarget::Entry(texture.Texel(column, row), 20)) << "x " << x;
    }
}

// A coordinate a thirty-second of a texel short of the right edge: the
// positive dither offsets of pixels 1 and 3 of dither row 0 (+0.5 and +1.5,
// an eighth of which is added) carry it over into column 0 of the same
// row; the negative ones of pixels 0 and 2 keep it in the last column.
TEST_P(SizedSpanUnitLoops, DitheredCoordinateAtTheRightEdgeWrapsToColumnZeroOfItsRow) {
    const UnitShape shape = GetParam();
    SpanTexture texture(shape.log2Width, shape.log2Height);
    const int32_t row = shape.Height() / 2 + 1;
    texture.Texel(0, row) = 11;
    texture.Texel(shape.Width() - 1, row) = 22;
    SpanTarget target(4, 1);
    target.SetRow(0, 0, 4);
    target.Left(0).u = shape.Width() * kOne - kOne / 32;
    target.Left(0).v = row * kOne + kOne / 2;
    SpanSetup setup = target.Setup(/*topY=*/4);
    setup.texture = texture.Texture();

    UnitEntry(shape, 0x0c)(&setup);

    EXPECT_EQ(target.Pixels(), (std::vector<uint16_t>{SpanTarget::Entry(22, 0), SpanTarget::Entry(11, 0),
                                                      SpanTarget::Entry(22, 0), SpanTarget::Entry(11, 0)}));
}

// Where the depth test passes, a keyed texel leaves both the pixel and the
// stored depth; without the transparency flag the same texel is colour 255
// and the plain loop writes both.
TEST_P(SizedSpanUnitLoops, KeyedTexelLeavesPixelAndDepthWhereThePlainLoopWritesBoth) {
    const UnitShape shape = GetParam();
    SpanTexture keyed(shape.log2Width, shape.log2Height, true);
    SpanTexture plain(shape.log2Width, shape.log2Height, false);
    keyed.Fill(kSpanKeyTexel);
    plain.Fill(kSpanKeyTexel);
    for (const uint32_t mode : {0x09u, 0x0bu, 0x0du, 0x0fu}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        SpanTarget target(8, 1);
        target.SetRow(0, 0, 8);
        target.Left(0).z = 0x1000u << 15;
        target.Left(0).shade = 9 << 19;
        SpanSetup setup = target.Setup();
        setup.texture = keyed.Texture();

        UnitEntry(shape, mode)(&setup);
        EXPECT_EQ(target.Pixels(), std::vector<uint16_t>(8, SpanTarget::kUntouched));
        EXPECT_EQ(target.Depths(), std::vector<uint16_t>(8, 0xFFFF));

        setup.texture = plain.Texture();
        UnitEntry(shape, mode)(&setup);
        EXPECT_EQ(target.Depths(), std::vector<uint16_t>(8, 0x1000));
        for (int32_t x = 0; x < 8; ++x) {
            EXPECT_EQ(target.Pixel(x, 0) >> 5, 255) << x;
        }
    }
}

// No row to draw: nothing but the set-up and the texture's flag is read,
// so buffers and edges that do not exist are never reached.
TEST_P(SizedSpanUnitLoops, DrawsNothingWhenLastRowIsNegative) {
    const UnitShape shape = GetParam();
    for (const bool keyed : {false, true}) {
        SpanTexture texture(shape.log2Width, shape.log2Height, keyed);
        SpanSetup setup;
        setup.texture = texture.Texture();
        setup.lastRow = -1;
        for (uint32_t mode = 0x08; mode <= 0x0f; ++mode) {
            UnitEntry(shape, mode)(&setup);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryUnit, SizedSpanUnitLoops, testing::ValuesIn(AllUnitShapes()), ShapeName);

// The unit of 2^lw x 2^lh textures sits in the row of exactly that class,
// and nowhere else, whatever order the units were placed in.
template <int32_t kLog2Width, int32_t kLog2Height>
void ExpectInItsOwnRow() {
    using Unit = SizedSpanUnit<kLog2Width, kLog2Height>;
    const int32_t sizeClass = SoftTexture::SizeClass(kLog2Width, kLog2Height);
    EXPECT_EQ(Unit::kSizeClass, sizeClass);
    EXPECT_EQ(SpanUnitSelectors(sizeClass), Unit::kSelectors) << kLog2Width << " " << kLog2Height;
}

TEST(SizedSpanUnits, EachInstantiationIsTheUnitOfItsOwnClass) {
    ExpectInItsOwnRow<5, 5>();
    ExpectInItsOwnRow<5, 6>();
    ExpectInItsOwnRow<5, 7>();
    ExpectInItsOwnRow<5, 8>();
    ExpectInItsOwnRow<6, 5>();
    ExpectInItsOwnRow<6, 6>();
    ExpectInItsOwnRow<6, 7>();
    ExpectInItsOwnRow<6, 8>();
    ExpectInItsOwnRow<7, 5>();
    ExpectInItsOwnRow<7, 6>();
    ExpectInItsOwnRow<7, 7>();
    ExpectInItsOwnRow<7, 8>();
    ExpectInItsOwnRow<8, 5>();
    ExpectInItsOwnRow<8, 6>();
    ExpectInItsOwnRow<8, 7>();
    ExpectInItsOwnRow<8, 8>();
}

TEST(SizedSpanUnits, ClassesWithASideOf16AndClassesOutOfRangeHaveNoUnit) {
    for (const int32_t sizeClass : {-1, 0, 1, 2, 3, 4, 5, 10, 15, 20, 25, 64}) {
        EXPECT_EQ(SpanUnitSelectors(sizeClass), nullptr) << sizeClass;
    }
}

}  // namespace
