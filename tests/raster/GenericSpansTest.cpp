#include <gtest/gtest.h>

#include <cmath>

#include "raster/GenericSpans.h"
#include "raster/Span.h"
#include "tests/support/SpanTarget.h"

namespace {

constexpr int32_t kOne = 0x10000;

int32_t Fixed(double value) { return int32_t(std::lround(value * kOne)); }

// A 16 x 16 texture whose texel names its own position.
void NumberTexels(SpanTexture& texture) {
    for (int32_t row = 0; row < texture.Height(); ++row) {
        for (int32_t column = 0; column < texture.Width(); ++column) {
            texture.Texel(column, row) = uint8_t(row * texture.Width() + column);
        }
    }
}

// A row of the generic loops for a texture, level 0 unless a test sets shade.
SpanSetup TexturedSetup(SpanTarget& target, const SpanTexture& texture, int32_t topY = 0) {
    SpanSetup setup = target.Setup(topY);
    setup.texture = texture.Texture();
    return setup;
}

// Per-pixel steps come already scaled to the texture's side.
int32_t ScaledStep(double texels, int32_t log2Side) { return int32_t(uint32_t(Fixed(texels)) << (16 - log2Side)); }

TEST(SpanTextured, CoordinatesOutsideTheTextureWrapAround) {
    SpanTexture texture(4, 4);
    NumberTexels(texture);
    SpanTarget target(1, 4);
    const double uv[4][2] = {{16.25, 0.5}, {-0.25, 0.5}, {0.5, -0.5}, {3.999, 2.0}};
    for (int32_t row = 0; row < 4; ++row) {
        target.SetRow(row, 0, 1);
        target.Left(row).u = Fixed(uv[row][0]);
        target.Left(row).v = Fixed(uv[row][1]);
    }
    SpanSetup setup = TexturedSetup(target, texture);
    g_spanDispatch[texture.Texture()->sizeClass][0x08](&setup);
    EXPECT_EQ(target.Pixels(), (std::vector<uint16_t>{SpanTarget::Entry(0, 0), SpanTarget::Entry(15, 0),
                                                      SpanTarget::Entry(240, 0), SpanTarget::Entry(35, 0)}));
}

TEST(SpanTextured, StepsWrapAcrossTheTextureAlongTheRow) {
    SpanTexture texture(4, 4);
    NumberTexels(texture);
    SpanTarget target(20, 1);
    target.SetRow(0, 0, 20);
    target.Left(0).u = Fixed(0.5);
    target.Left(0).v = Fixed(1.5);
    SpanSetup setup = TexturedSetup(target, texture);
    setup.uStep = ScaledStep(1.0, 4);
    setup.vStep = ScaledStep(-1.0, 4);
    g_spanTexturedSelectors[0](&setup);
    for (int32_t x = 0; x < 20; ++x) {
        const int32_t column = x % 16;
        const int32_t row = ((1 - x) % 16 + 16) % 16;
        EXPECT_EQ(target.Pixel(x, 0), SpanTarget::Entry(uint32_t(row * 16 + column), 0)) << x;
    }
}

TEST(SpanTextured, OblongTexturesAreReadWithTheirOwnRowLength) {
    for (const auto& [log2Width, log2Height] : {std::pair{6, 5}, std::pair{5, 6}, std::pair{4, 8}, std::pair{8, 4}}) {
        SpanTexture texture(log2Width, log2Height);
        const int32_t column = texture.Width() * 5 / 8;
        const int32_t row = texture.Height() * 5 / 8;
        texture.Texel(column, row) = 77;
        SpanTarget target(1, 1);
        target.SetRow(0, 0, 1);
        target.Left(0).u = Fixed(column + 0.5);
        target.Left(0).v = Fixed(row + 0.5);
        SpanSetup setup = TexturedSetup(target, texture);
        g_spanTexturedSelectors[0](&setup);
        EXPECT_EQ(target.Pixel(0, 0), SpanTarget::Entry(77, 0)) << texture.Width() << "x" << texture.Height();
    }
}

// Texture-coordinate dithering moves each pixel's coordinates by an eighth of
// its dither offset, without carrying the move to the next pixel.
TEST(SpanTextured, DitheredCoordinatesMoveByAnEighthOfTheOffset) {
    for (const auto& [log2Width, log2Height] : {std::pair{4, 4}, std::pair{8, 5}}) {
        for (const double base : {3.0, 3.45, 3.55, 2.6}) {
            SpanTexture columns(log2Width, log2Height);
            SpanTexture rows(log2Width, log2Height);
            for (int32_t r = 0; r < columns.Height(); ++r) {
                for (int32_t c = 0; c < columns.Width(); ++c) {
                    columns.Texel(c, r) = uint8_t(c);
                    rows.Texel(c, r) = uint8_t(r);
                }
            }
            for (const SpanTexture* texture : {&columns, &rows}) {
                SpanTarget target(4, 4);
                for (int32_t row = 0; row < 4; ++row) {
                    target.SetRow(row, 0, 4);
                    target.Left(row).u = Fixed(base);
                    target.Left(row).v = Fixed(base);
                }
                SpanSetup setup = TexturedSetup(target, *texture, 2);
                g_spanTexturedSelectors[kSpanModeDither](&setup);
                for (int32_t row = 0; row < 4; ++row) {
                    for (int32_t x = 0; x < 4; ++x) {
                        const double offset = double(g_ditherOffsets[(2 + row) & 3][x & 3]) / kOne / 8.0;
                        const auto expected = uint32_t(std::floor(base + offset));
                        EXPECT_EQ(target.Pixel(x, row), SpanTarget::Entry(expected, 0))
                            << base << " at " << x << "," << row << (texture == &rows ? " rows" : " columns");
                    }
                }
                setup.topY = 0;
                g_spanTexturedSelectors[0](&setup);   // undithered: always floor(u)
                EXPECT_EQ(target.Pixels(), std::vector<uint16_t>(16, SpanTarget::Entry(uint32_t(base), 0)));
            }
        }
    }
}

TEST(SpanTextured, FlatLoopsTakeTheTopRowsLevelAndGouraudLoopsTheirOwn) {
    SpanTexture texture(4, 4);
    texture.Fill(6);
    SpanTarget target(4, 2);
    for (int32_t row = 0; row < 2; ++row) {
        target.SetRow(row, 0, 4);
        target.Left(row).shade = Fixed(100.0 + 100.0 * row);
    }
    SpanSetup setup = TexturedSetup(target, texture);
    setup.shadeStep = Fixed(8.0);
    g_spanTexturedSelectors[0](&setup);
    EXPECT_EQ(target.Pixels(), std::vector<uint16_t>(8, SpanTarget::Entry(6, 12)));

    g_spanTexturedSelectors[kSpanModeGouraud](&setup);
    for (int32_t row = 0; row < 2; ++row) {
        for (int32_t x = 0; x < 4; ++x) {
            const double shade = 100.0 + 100.0 * row + 8.0 * x + double(g_ditherOffsets[row][x]) / kOne;
            EXPECT_EQ(target.Pixel(x, row), SpanTarget::Entry(6, uint32_t(shade / 8.0))) << x << "," << row;
        }
    }
}

TEST(SpanTextured, KeyedTextureOfOnlyTexel255ChangesNothing) {
    for (uint32_t mode = 0; mode < 8; ++mode) {
        SpanTexture texture(4, 4, true);
        texture.Fill(255);
        SpanTarget target(5, 1);
        target.SetRow(0, 0, 5);
        target.Left(0).z = 10u << 15;
        SpanSetup setup = TexturedSetup(target, texture);
        g_spanTexturedSelectors[mode](&setup);
        EXPECT_EQ(target.Pixels(), std::vector<uint16_t>(5, SpanTarget::kUntouched)) << mode;
        EXPECT_EQ(target.Depths(), std::vector<uint16_t>(5, 0xFFFF)) << mode;
    }
}

TEST(SpanTextured, UnkeyedTextureDrawsTexel255AsAColour) {
    for (uint32_t mode = 0; mode < 8; ++mode) {
        SpanTexture texture(4, 4, false);
        texture.Fill(255);
        SpanTarget target(5, 1);
        target.SetRow(0, 0, 5);
        target.Left(0).z = 10u << 15;
        target.Left(0).shade = Fixed(43.75);   // level 5 whatever the dither
        SpanSetup setup = TexturedSetup(target, texture);
        g_spanTexturedSelectors[mode](&setup);
        EXPECT_EQ(target.Pixels(), std::vector<uint16_t>(5, SpanTarget::Entry(255, 5))) << mode;
        const uint16_t depth = (mode & kSpanModeDepth) != 0 ? 10 : 0xFFFF;
        EXPECT_EQ(target.Depths(), std::vector<uint16_t>(5, depth)) << mode;
    }
}

TEST(SpanTextured, KeyedDepthLoopsWriteNoDepthUnderTexel255) {
    for (const bool keyed : {true, false}) {
        SpanTexture texture(4, 4, keyed);
        for (int32_t column = 0; column < 16; ++column) {
            for (int32_t row = 0; row < 16; ++row) {
                texture.Texel(column, row) = (column & 1) != 0 ? 255 : 7;
            }
        }
        SpanTarget target(6, 1);
        target.SetRow(0, 0, 6);
        target.Left(0).z = 300u << 15;
        target.Depth(4, 0) = 300;   // equal: fails
        target.Depth(5, 0) = 299;   // farther ahead: fails
        SpanSetup setup = TexturedSetup(target, texture);
        setup.uStep = ScaledStep(1.0, 4);
        g_spanTexturedSelectors[kSpanModeDepth](&setup);
        const uint16_t key = keyed ? SpanTarget::kUntouched : SpanTarget::Entry(255, 0);
        const uint16_t keyDepth = keyed ? 0xFFFF : 300;
        EXPECT_EQ(target.Pixels(), (std::vector<uint16_t>{SpanTarget::Entry(7, 0), key, SpanTarget::Entry(7, 0), key,
                                                          SpanTarget::kUntouched, SpanTarget::kUntouched}))
            << keyed;
        EXPECT_EQ(target.Depths(), (std::vector<uint16_t>{300, keyDepth, 300, keyDepth, 300, 299})) << keyed;
    }
}

// Exact-size texels and a row of exactly its pixels: the sanitizers report
// any access outside them, whatever the coordinates and steps.
TEST(SpanTextured, ReadsOnlyInsideTheTextureAndWritesOnlyInsideTheRow) {
    const std::pair<int32_t, int32_t> sizes[] = {{4, 4}, {4, 8}, {8, 4}, {5, 6}, {8, 8}};
    for (const auto& [log2Width, log2Height] : sizes) {
        for (uint32_t mode = 0; mode < 8; ++mode) {
            SpanTexture texture(log2Width, log2Height);
            texture.Fill(3);
            SpanTarget target(37, 1);
            target.FillDepths(0);
            target.SetRow(0, 0, 37);
            target.Left(0).u = Fixed(-1000.3);
            target.Left(0).v = Fixed(5000.7);
            target.Left(0).shade = Fixed(255.9);
            target.Left(0).z = 0;
            SpanSetup setup = TexturedSetup(target, texture, 3);
            setup.uStep = int32_t(0x9E3779B9u);
            setup.vStep = -0x3C6EF372;
            setup.depthStep = 0x12345;
            g_spanTexturedSelectors[mode](&setup);
            g_spanTexturedAlphaSelectors[mode](&setup);
        }
    }
}

}  // namespace
