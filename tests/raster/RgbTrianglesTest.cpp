#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "display/Palette.h"
#include "raster/RgbTriangles.h"
#include "tests/support/MemoryCanvas.h"

namespace {

constexpr uint16_t kClear16 = 0xBEEF;
constexpr uint8_t kClear8 = 0xEE;
using Triangle = std::array<FixedVertex, 3>;

FixedVertex Vertex(double x, double y, uint32_t colour, double depth = 0.5) {
    FixedVertex v;
    v.x = int32_t(x * 65536.0);
    v.y = int32_t(y * 65536.0);
    v.depth = uint32_t(depth * 4294967296.0);
    v.colour = colour;
    return v;
}

// A memory canvas and its palette: 16-bit pixels (5-6-5 or 5-5-5), or 8-bit
// indices whose inverse colour table maps the 15-bit colour k to k x 7 + 3
// (low byte), so that a pixel tells which colour was looked up.
class RgbTarget {
public:
    enum Kind { k565, k555, k8 };

    RgbTarget(Kind kind, int32_t width, int32_t height, bool withDepth = false) {
        if (kind == k555) {
            palette_ = std::make_unique<PaletteRgb555>();
        } else if (kind == k565) {
            palette_ = std::make_unique<PaletteRgb565>();
        } else {
            palette_ = std::make_unique<PaletteIndexed8>();
            uint8_t* const inverse = palette_->Conversion().index;
            for (uint32_t k = 0; k < InverseColorTable::kSize; ++k) inverse[k] = uint8_t(k * 7 + 3);
        }
        canvas_ = std::make_unique<MemoryCanvas>(width, height, kind == k8 ? 1 : 2, withDepth, palette_.get());
        canvas_->FillPixels(kind == k8 ? kClear8 : kClear16);
        clear_ = kind == k8 ? kClear8 : kClear16;
    }

    static uint8_t Index(uint32_t red5, uint32_t green5, uint32_t blue5) {
        return uint8_t((red5 << 10 | green5 << 5 | blue5) * 7 + 3);
    }

    MemoryCanvas* operator->() { return canvas_.get(); }
    MemoryCanvas* get() { return canvas_.get(); }
    bool Drawn(int32_t x, int32_t y) const { return canvas_->PixelValues()[size_t(y * canvas_->width + x)] != clear_; }
    int32_t DrawnCount() const { return canvas_->CountPixelsOtherThan(clear_); }

private:
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<MemoryCanvas> canvas_;
    uint16_t clear_ = 0;
};

const uint32_t kGrey = 0x10404040;   // 64, 64, 64

TEST(TriangleRgb16, DithersEachChannelWithItsOwnMatrix) {
    // Channel 64 plus the entry at (row & 3, column & 3): blue the upright
    // matrix, green the quarter-turned one, red the half-turned one.
    const Triangle t = {Vertex(0, 0, kGrey), Vertex(8, 0, kGrey), Vertex(0, 8, kGrey)};
    RgbTarget wide(RgbTarget::k565, 8, 8);
    TriangleRgb16(wide.get(), t.data());
    RgbTarget narrow(RgbTarget::k555, 8, 8);
    TriangleRgb16(narrow.get(), t.data());

    // (0, 0): red 64 + 5, green 64 + 10, blue 64 + 0.
    EXPECT_EQ(wide->Pixel16(0, 0), 8 << 11 | 18 << 5 | 8);
    EXPECT_EQ(narrow->Pixel16(0, 0), 8 << 10 | 9 << 5 | 8);
    // (1, 0): red + 13, green + 6, blue + 8.
    EXPECT_EQ(wide->Pixel16(1, 0), 9 << 11 | 17 << 5 | 9);
    EXPECT_EQ(narrow->Pixel16(1, 0), 9 << 10 | 8 << 5 | 9);
    // (0, 1): red + 9, green + 2, blue + 12.
    EXPECT_EQ(wide->Pixel16(0, 1), 9 << 11 | 16 << 5 | 9);
    EXPECT_EQ(narrow->Pixel16(0, 1), 9 << 10 | 8 << 5 | 9);
}

TEST(TriangleRgb16, FullChannelsSaturateTheirFields) {
    // 255 plus any dither entry fills the field, six bits for 5-6-5 green.
    struct Case {
        uint32_t colour;
        uint16_t field565;   // mask of the channel's field
        uint16_t field555;
    };
    for (const Case& c : {Case{0x10FF0000, 0xF800, 0x7C00}, Case{0x1000FF00, 0x07E0, 0x03E0},
                          Case{0x100000FF, 0x001F, 0x001F}, Case{0x10FFFFFF, 0xFFFF, 0x7FFF}}) {
        const Triangle t = {Vertex(0, 0, c.colour), Vertex(16, 0, c.colour), Vertex(0, 16, c.colour)};
        RgbTarget wide(RgbTarget::k565, 16, 16);
        RgbTarget narrow(RgbTarget::k555, 16, 16);
        TriangleRgb16(wide.get(), t.data());
        TriangleRgb16(narrow.get(), t.data());
        for (int32_t y = 0; y < 16; ++y) {
            for (int32_t x = 0; x < 16 - y; ++x) {
                ASSERT_EQ(wide->Pixel16(x, y) & c.field565, c.field565) << x << ", " << y;
                ASSERT_EQ(narrow->Pixel16(x, y) & c.field555, c.field555) << x << ", " << y;
                ASSERT_EQ(narrow->Pixel16(x, y) & 0x8000, 0) << x << ", " << y;
            }
        }
    }
}

TEST(TriangleRgb16, ColoursBlendAcrossTheTriangle) {
    // Red from 0 on the left to 255 on the right: each 4 x 4 block, whose
    // dither averages out, is redder than the one left of it.
    const Triangle t = {Vertex(0, 0, 0x10000000), Vertex(32, 0, 0x10FF0000), Vertex(0, 32, 0x10000000)};
    RgbTarget target(RgbTarget::k565, 32, 32);
    TriangleRgb16(target.get(), t.data());
    int32_t previous = -1;
    for (int32_t block = 0; block < 4; ++block) {
        int32_t sum = 0;
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = block * 4; x < block * 4 + 4; ++x) sum += target->Pixel16(x, y) >> 11;
        }
        EXPECT_GT(sum, previous) << "block " << block;
        previous = sum;
    }
    EXPECT_LE(target->Pixel16(0, 0) >> 11, 1);
    EXPECT_GE(target->Pixel16(30, 0) >> 11, 28);
}

TEST(TriangleRgb16, TwoTrianglesSharingADiagonalTileTheRectangle) {
    // Rows from the top's row up to (not including) the bottom's; columns
    // from the left edge's ceiling up to (not including) the right's.
    const FixedVertex tl = Vertex(4, 3, kGrey), tr = Vertex(20, 3, kGrey);
    const FixedVertex bl = Vertex(4, 15, kGrey), br = Vertex(20, 15, kGrey);
    for (const bool depth : {false, true}) {
        for (const auto& pair : {std::array<Triangle, 2>{Triangle{tl, tr, br}, Triangle{tl, br, bl}},
                                 std::array<Triangle, 2>{Triangle{tr, bl, tl}, Triangle{tr, br, bl}}}) {
            std::vector<int32_t> counts(24 * 20, 0);
            for (const Triangle& t : pair) {
                RgbTarget target(RgbTarget::k565, 24, 20, depth);
                (depth ? TriangleRgbDepth16 : TriangleRgb16)(target.get(), t.data());
                for (int32_t y = 0; y < 20; ++y) {
                    for (int32_t x = 0; x < 24; ++x) counts[size_t(y * 24 + x)] += target.Drawn(x, y) ? 1 : 0;
                }
            }
            for (int32_t y = 0; y < 20; ++y) {
                for (int32_t x = 0; x < 24; ++x) {
                    const bool inside = x >= 4 && x < 20 && y >= 3 && y < 15;
                    ASSERT_EQ(counts[size_t(y * 24 + x)], inside ? 1 : 0) << x << ", " << y;
                }
            }
        }
    }
}

TEST(TriangleRgb16, DepthFormDrawsOnlyStrictlyNearerPixels) {
    RgbTarget target(RgbTarget::k565, 16, 16, true);
    const Triangle red = {Vertex(0, 0, 0x10FF0000, 0.5), Vertex(16, 0, 0x10FF0000, 0.5),
                          Vertex(0, 16, 0x10FF0000, 0.5)};
    // At (2, 2) the dither lifts green by 11 and red by 4: 6-bit green 2.
    const uint16_t redPixel = 31 << 11 | 2 << 5;
    TriangleRgbDepth16(target.get(), red.data());
    EXPECT_EQ(target->Pixel16(2, 2), redPixel);
    // Depth 0.5 is 2^31, halved 2^30, and z >> 15 = 0x8000.
    EXPECT_EQ(target->DepthAt(2, 2), 0x8000);

    Triangle blue = red;
    for (FixedVertex& v : blue) v.colour = 0x100000FF;
    TriangleRgbDepth16(target.get(), blue.data());   // the same depth: refused
    EXPECT_EQ(target->Pixel16(2, 2), redPixel);
    for (FixedVertex& v : blue) v.depth = 0x40000000;
    TriangleRgbDepth16(target.get(), blue.data());
    EXPECT_EQ(target->Pixel16(2, 2), 2 << 5 | 31);
    EXPECT_EQ(target->DepthAt(2, 2), 0x4000);
}

TEST(TriangleRgb16, FarVerticesDrawOnlyTheRowsAndColumnsOnTheCanvas) {
    // Exact-size buffers: any write outside is caught by the sanitizer.
    RgbTarget whole(RgbTarget::k565, 40, 30, true);
    const Triangle holding = {Vertex(-30000, -30000, kGrey, 0.1), Vertex(32000, -30000, kGrey, 0.1),
                              Vertex(-30000, 32000, kGrey, 0.1)};
    TriangleRgbDepth16(whole.get(), holding.data());
    EXPECT_EQ(whole.DrawnCount(), 40 * 30);

    // A band across the canvas, reaching past every side.
    RgbTarget band(RgbTarget::k555, 40, 30);
    const Triangle wedge = {Vertex(-30000, -30000, 0x10FFFFFF), Vertex(30000, 30004, 0x10FFFFFF),
                            Vertex(30000, 29996, 0x10FFFFFF)};
    TriangleRgb16(band.get(), wedge.data());
    EXPECT_GT(band.DrawnCount(), 20);
    for (int32_t y = 0; y < 30; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            // The wedge is at most two pixels either side of x = y here.
            if (x - y > 4 || y - x > 4) {
                EXPECT_FALSE(band.Drawn(x, y)) << x << ", " << y;
            }
        }
    }
}

TEST(TriangleRgb16, CanvasWithoutTheBuffersItNeedsIsLeftAlone) {
    RgbTarget target(RgbTarget::k565, 16, 16, false);
    const Triangle t = {Vertex(0, 0, kGrey), Vertex(16, 0, kGrey), Vertex(0, 16, kGrey)};
    TriangleRgbDepth16(target.get(), t.data());
    TriangleRgb16(nullptr, t.data());
    EXPECT_EQ(target.DrawnCount(), 0);
}

TEST(TriangleRgb8, WritesTheInverseTableEntryOfTheDitheredColour) {
    RgbTarget target(RgbTarget::k8, 8, 8);
    const Triangle t = {Vertex(0, 0, kGrey), Vertex(8, 0, kGrey), Vertex(0, 8, kGrey)};
    TriangleRgb8(target.get(), t.data());
    // The same dithered channels as the 16-bit form, five bits each.
    EXPECT_EQ(target->Pixel8(0, 0), RgbTarget::Index(8, 9, 8));
    EXPECT_EQ(target->Pixel8(1, 0), RgbTarget::Index(9, 8, 9));
    EXPECT_EQ(target->Pixel8(0, 1), RgbTarget::Index(9, 8, 9));
}

TEST(TriangleRgb8, DrawsTheRoundedTopAndBottomRowsBoth) {
    // From row 10.4 to row 12.6: rows 10 to 13.
    RgbTarget target(RgbTarget::k8, 40, 20);
    const Triangle t = {Vertex(0, 10.4, kGrey), Vertex(38, 11.5, kGrey), Vertex(0, 12.6, kGrey)};
    TriangleRgb8(target.get(), t.data());
    for (int32_t y = 0; y < 20; ++y) {
        bool any = false;
        for (int32_t x = 0; x < 40; ++x) any = any || target.Drawn(x, y);
        EXPECT_EQ(any, y >= 10 && y <= 13) << "row " << y;
    }
}

TEST(TriangleRgb8, DepthFormDrawsOnlyStrictlyNearerPixels) {
    RgbTarget target(RgbTarget::k8, 16, 16, true);
    const Triangle red = {Vertex(0, 0, 0x10FF0000, 0.5), Vertex(15, 0, 0x10FF0000, 0.5),
                          Vertex(0, 15, 0x10FF0000, 0.5)};
    // At (2, 2) the dither lifts green by 11: 5-bit green 1.
    TriangleRgbDepth8(target.get(), red.data());
    EXPECT_EQ(target->Pixel8(2, 2), RgbTarget::Index(31, 1, 0));
    EXPECT_EQ(target->DepthAt(2, 2), 0x8000);

    Triangle blue = red;
    for (FixedVertex& v : blue) v.colour = 0x100000FF;
    TriangleRgbDepth8(target.get(), blue.data());
    EXPECT_EQ(target->Pixel8(2, 2), RgbTarget::Index(31, 1, 0));
    for (FixedVertex& v : blue) v.depth = 0x40000000;
    TriangleRgbDepth8(target.get(), blue.data());
    EXPECT_EQ(target->Pixel8(2, 2), RgbTarget::Index(0, 1, 31));
}

TEST(TriangleRgb8, FarVerticesDrawOnlyWhatLiesOnTheCanvas) {
    RgbTarget target(RgbTarget::k8, 40, 30, true);
    const Triangle holding = {Vertex(-30000, -30000, kGrey, 0.1), Vertex(32000, -30000, kGrey, 0.1),
                              Vertex(-30000, 32000, kGrey, 0.1)};
    TriangleRgbDepth8(target.get(), holding.data());
    EXPECT_EQ(target.DrawnCount(), 40 * 30);

    RgbTarget none(RgbTarget::k8, 40, 30);
    const Triangle beside = {Vertex(-30000, 5, kGrey), Vertex(-100, 5, kGrey), Vertex(-200, 25, kGrey)};
    TriangleRgb8(none.get(), beside.data());
    EXPECT_EQ(none.DrawnCount(), 0);
}

}  // namespace
