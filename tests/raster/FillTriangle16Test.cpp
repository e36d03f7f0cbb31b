#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "display/Palette.h"
#include "raster/FillTriangle16.h"
#include "tests/support/MemoryCanvas.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/SpanTarget.h"

namespace {

constexpr uint16_t kClear = 0xBEEF;   // above every shade entry
constexpr uint32_t kColour = 5;
using Triangle = std::array<ScreenVertex, 3>;

// A 16-bit memory canvas whose shade entry (colour, level) is colour x 32 +
// level, so that a pixel tells what the span routine looked up.
class Target16 {
public:
    Target16(int32_t width, int32_t height, bool withDepth = false, bool rgb555 = false)
        : shades_(new uint16_t[Palette::kShadeEntries]) {
        g_colorTables->BuildShadeTable();
        for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) shades_[entry] = uint16_t(entry);
        table_.rows = shades_.get();
        table_.shift = Palette::kShadeShift;
        table_.levels = Palette::kShadeLevels;
        if (rgb555) {
            palette_ = std::make_unique<PaletteRgb555>();
        } else {
            palette_ = std::make_unique<PaletteRgb565>();
        }
        palette_->SetTables(0, nullptr, &table_);
        canvas_ = std::make_unique<MemoryCanvas>(width, height, 2, withDepth, palette_.get());
        canvas_->FillPixels(kClear);
    }

    MemoryCanvas* operator->() { return canvas_.get(); }
    MemoryCanvas* get() { return canvas_.get(); }

    void Draw(uint32_t mode, const Triangle& t, const SoftTexture* texture = nullptr, uint32_t level = 255) {
        FillTriangle16(canvas_.get(), mode, &t[0], &t[1], &t[2], texture, level);
    }

    bool Drawn(int32_t x, int32_t y) { return canvas_->Pixel16(x, y) != kClear; }
    int32_t DrawnCount() const { return canvas_->CountPixelsOtherThan(kClear); }

private:
    ScopedColorTables colorTables_;
    std::unique_ptr<uint16_t[]> shades_;
    ShadeTable table_;
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<MemoryCanvas> canvas_;
};

ScreenVertex Vertex(float x, float y, float depth = 0.5f, float intensity = 255.0f, float u = 0.0f, float v = 0.0f) {
    ScreenVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.depth = depth;
    vertex.colour = kColour;
    vertex.intensity = intensity;
    vertex.u = u;
    vertex.v = v;
    vertex.invZ = 1.0f;
    return vertex;
}

// Where a pixel's sample point (its column and row) lies against a convex
// polygon, worked out in real numbers: 1 inside, -1 outside, 0 within
// `margin` pixels of an edge, where rounding may go either way.
int32_t Side(const std::vector<std::array<double, 2>>& polygon, double px, double py, double margin = 0.01) {
    double area = 0.0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const auto& p = polygon[i];
        const auto& q = polygon[(i + 1) % polygon.size()];
        area += p[0] * q[1] - q[0] * p[1];
    }
    const double orientation = area > 0 ? 1.0 : -1.0;
    int32_t result = 1;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const auto& p = polygon[i];
        const auto& q = polygon[(i + 1) % polygon.size()];
        const double length = std::hypot(q[0] - p[0], q[1] - p[1]);
        const double distance = orientation * ((q[0] - p[0]) * (py - p[1]) - (q[1] - p[1]) * (px - p[0])) / length;
        if (distance < -margin) return -1;
        if (distance <= margin) result = 0;
    }
    return result;
}

std::vector<std::array<double, 2>> Outline(const Triangle& t) {
    return {{t[0].x, t[0].y}, {t[1].x, t[1].y}, {t[2].x, t[2].y}};
}

// Draws every triangle on a canvas of its own and counts, per pixel, how
// many of them wrote it.
std::vector<int32_t> CoverageCounts(int32_t width, int32_t height, bool withDepth, bool rgb555, uint32_t mode,
                                    const std::vector<Triangle>& triangles) {
    std::vector<int32_t> counts(size_t(width * height), 0);
    for (const Triangle& triangle : triangles) {
        Target16 target(width, height, withDepth, rgb555);
        target.Draw(mode, triangle, nullptr, 128);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) counts[size_t(y * width + x)] += target.Drawn(x, y) ? 1 : 0;
        }
    }
    return counts;
}

struct Packing {
    bool rgb555;
    bool depth;
    uint32_t mode;
};

const Packing kPackings[] = {
    {false, false, 0x00}, {true, false, 0x00}, {false, true, 0x01},
    {true, true, 0x03},   {false, false, 0x12}, {true, true, 0x13},
};

TEST(FillTriangle16, TwoTrianglesSharingADiagonalTileTheRectangleExactly) {
    // Pixel (x, y) belongs to a rectangle when its column and row lie at or
    // right of / below the left and top sides and left of / above the others.
    struct Rectangle {
        float left, top, right, bottom;
    };
    const Rectangle rectangles[] = {{3, 2, 37, 29}, {2.25f, 1.75f, 30.625f, 25.125f}, {0, 0, 40, 30}};
    for (const Packing& packing : kPackings) {
        for (const Rectangle& r : rectangles) {
            const ScreenVertex tl = Vertex(r.left, r.top), tr = Vertex(r.right, r.top);
            const ScreenVertex bl = Vertex(r.left, r.bottom), br = Vertex(r.right, r.bottom);
            for (const auto& pair : {std::vector<Triangle>{{tl, tr, br}, {tl, br, bl}},
                                     std::vector<Triangle>{{tr, bl, tl}, {tr, br, bl}}}) {
                const std::vector<int32_t> counts =
                    CoverageCounts(40, 30, packing.depth, packing.rgb555, packing.mode, pair);
                for (int32_t y = 0; y < 30; ++y) {
                    for (int32_t x = 0; x < 40; ++x) {
                        const bool inside = x >= std::ceil(r.left) && x < std::ceil(r.right) &&
                                            y >= std::ceil(r.top) && y < std::ceil(r.bottom);
                        ASSERT_EQ(counts[size_t(y * 40 + x)], inside ? 1 : 0)
                            << "pixel " << x << ", " << y << " mode " << packing.mode << " 555 " << packing.rgb555;
                    }
                }
            }
        }
    }
}

TEST(FillTriangle16, FanAroundAnInnerPointCoversThePolygonOnceWithoutHoles) {
    const std::vector<std::array<double, 2>> ring = {{20.3, 1.1},  {33.7, 6.45}, {38.2, 15.9}, {31.05, 27.3},
                                                     {18.6, 28.8}, {5.2, 22.15}, {1.9, 12.4},  {8.85, 3.3}};
    const ScreenVertex centre = Vertex(19.37f, 14.61f);
    std::vector<Triangle> fan;
    for (size_t i = 0; i < ring.size(); ++i) {
        const auto& p = ring[i];
        const auto& q = ring[(i + 1) % ring.size()];
        fan.push_back({centre, Vertex(float(p[0]), float(p[1])), Vertex(float(q[0]), float(q[1]))});
    }
    std::vector<std::array<double, 2>> polygon;
    for (const auto& p : ring) polygon.push_back({double(float(p[0])), double(float(p[1]))});

    for (const Packing& packing : kPackings) {
        const std::vector<int32_t> counts = CoverageCounts(40, 30, packing.depth, packing.rgb555, packing.mode, fan);
        for (int32_t y = 0; y < 30; ++y) {
            for (int32_t x = 0; x < 40; ++x) {
                const int32_t count = counts[size_t(y * 40 + x)];
                ASSERT_LE(count, 1) << "pixel " << x << ", " << y << " drawn twice";
                const int32_t side = Side(polygon, x, y);
                if (side != 0) {
                    ASSERT_EQ(count, side > 0 ? 1 : 0) << "pixel " << x << ", " << y;
                }
            }
        }
    }
}

TEST(FillTriangle16, TriangleWithinOneRowDrawsNothing) {
    Target16 target(40, 30, true);
    target.Draw(0x00, {Vertex(2, 10), Vertex(30, 10), Vertex(15, 10)});
    // y = 10 and a hair below it count as the same row.
    target.Draw(0x03, {Vertex(2, 10), Vertex(30, 10), Vertex(15, 10.00003f)});
    // No row's sample line y = r crosses 10.25 .. 10.75.
    target.Draw(0x02, {Vertex(2, 10.25f), Vertex(30, 10.5f), Vertex(15, 10.75f)});
    EXPECT_EQ(target.DrawnCount(), 0);
}

// A sliver one pixel wide: each of its rows has the one sample point at
// column 3, which is drawn.
TEST(FillTriangle16, ASliverDrawsTheSamplePointsItCovers) {
    Target16 target(40, 30);
    target.Draw(0x00, {Vertex(2.5f, 0), Vertex(3.5f, 0), Vertex(3.0f, 8)});
    EXPECT_EQ(target.DrawnCount(), 8);
    for (int32_t y = 0; y < 8; ++y) EXPECT_TRUE(target.Drawn(3, y)) << y;
}

TEST(FillTriangle16, EdgeTooShortToWalkDrawsAlikeWhateverTheEdgeBuffersHeld) {
    // The top vertex, 3/65536 below row 3, counts as on it; the others fall
    // to row 4. The one row's right end lies on an edge 1/65536 tall, too
    // short to walk: it must come out as from a cleared record, not as the
    // wide triangle drawn before left the edge buffer.
    const float row = 3.0f;
    const Triangle sliver = {Vertex(10, row + 3.0f / 65536), Vertex(30, row + 4.0f / 65536),
                             Vertex(12, row + 5.0f / 65536)};
    Target16 fresh(40, 30);
    fresh.Draw(0x00, sliver);
    Target16 used(40, 30);
    used.Draw(0x00, {Vertex(20, -1), Vertex(100, -1), Vertex(20, 100)});
    used->FillPixels(kClear);
    used.Draw(0x00, sliver);
    EXPECT_EQ(used->PixelValues(), fresh->PixelValues());
}

TEST(FillTriangle16, VertexAHairBelowARowDrawsAsIfOnIt) {
    // 2/65536 below row 10 is still row 10: the triangle must not move.
    Target16 onRow(40, 30);
    onRow.Draw(0x00, {Vertex(20, 10), Vertex(35.5f, 25.5f), Vertex(3.5f, 22.5f)});
    Target16 belowRow(40, 30);
    belowRow.Draw(0x00, {Vertex(20, 10.0000305f), Vertex(35.5f, 25.5f), Vertex(3.5f, 22.5f)});
    EXPECT_GT(onRow.DrawnCount(), 100);
    EXPECT_EQ(belowRow->PixelValues(), onRow->PixelValues());
}

TEST(FillTriangle16, TriangleReachingFarOutsideDrawsOnlyItsInsidePart) {
    const std::vector<Triangle> triangles = {
        // Past every side of the canvas, its edges crossing it.
        {Vertex(20.5f, 15.25f), Vertex(-1e6f, 9e5f), Vertex(1e6f, -9.0001e5f)},
        {Vertex(-1e6f, 15.0f), Vertex(1e6f + 80.0f, 5.0f), Vertex(1e6f, 35.0f)},
        {Vertex(-1e6f, -1e6f), Vertex(1e6f, 1e6f + 3e4f), Vertex(25.0f, 7.0f)},
        {Vertex(10.5f, -1e6f), Vertex(30.5f, 1e6f), Vertex(-1e6f, 12.5f)},
    };
    for (const Triangle& triangle : triangles) {
        for (const Packing& packing : kPackings) {
            Target16 target(40, 30, packing.depth, packing.rgb555);
            target.Draw(packing.mode, triangle, nullptr, 128);
            int32_t inside = 0;
            for (int32_t y = 0; y < 30; ++y) {
                for (int32_t x = 0; x < 40; ++x) {
                    const int32_t side = Side(Outline(triangle), x, y, 0.05);
                    inside += side > 0 ? 1 : 0;
                    if (side != 0) {
                        ASSERT_EQ(target.Drawn(x, y), side > 0) << "pixel " << x << ", " << y;
                    }
                }
            }
            EXPECT_GT(inside, 20);
        }
    }
}

TEST(FillTriangle16, TriangleHoldingTheCanvasDrawsEveryPixelOnce) {
    // Translucent: a pixel mixed twice would come out different.
    Target16 target(40, 30, true);
    target.Draw(0x11, {Vertex(-1e6f, -1e6f), Vertex(3e6f, -1e6f), Vertex(-1e6f, 3e6f)}, nullptr, 128);
    const uint16_t first = target->Pixel16(0, 0);
    EXPECT_NE(first, kClear);
    for (const uint16_t pixel : target->PixelValues()) ASSERT_EQ(pixel, first);
}

TEST(FillTriangle16, EveryModeStaysInsideTheBuffersWhateverTheVertices) {
    // The buffers are blocks of exactly the canvas's size: the sanitizer
    // fails any write outside. Values far outside their ranges too.
    SpanTexture texture(5, 4);
    for (uint32_t i = 0; i < 32; ++i) texture.Texel(int32_t(i), 3) = uint8_t(i);
    const std::vector<Triangle> triangles = {
        {Vertex(-1e6f, -1e6f, -3.0f, -50.0f, -1e4f, 1e4f), Vertex(3e6f, -1e6f, 2.0f, 900.0f, 1e9f, -1e9f),
         Vertex(-1e6f, 3e6f, 1.0f, 255.0f, 0.5f, 0.5f)},
        {Vertex(39.9f, -0.1f, 0.0f, 0.0f, 0, 0), Vertex(40.1f, 29.99f, 1.0f, 255.0f, 1, 1),
         Vertex(-0.1f, 30.1f, 0.5f, 128.0f, 0, 1)},
        {Vertex(-20000.0f, 15.0f), Vertex(20000.0f, 14.0f), Vertex(20.0f, 16000.0f)},
    };
    for (const Triangle& triangle : triangles) {
        for (uint32_t mode = 0; mode < 0x40; ++mode) {
            Target16 target(40, 30, true, (mode & 1) != 0);
            target.Draw(mode | 0x80, triangle, texture.Texture(), 200);
        }
    }
}

TEST(FillTriangle16, NonFiniteVerticesAndPerspectiveWeightsAtOrBelowZeroDrawNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    SpanTexture texture(4, 4);
    Target16 target(40, 30, true);
    const Triangle good = {Vertex(2, 2), Vertex(35, 4), Vertex(10, 27)};
    for (int32_t field = 0; field < 7; ++field) {
        for (const float bad : {nan, inf, -inf}) {
            Triangle t = good;
            float* const words[] = {&t[1].x, &t[1].y, &t[1].depth, &t[1].intensity, &t[1].u, &t[1].v, &t[1].invZ};
            *words[field] = bad;
            target.Draw(0x01, t);
            target.Draw(0x0B, t, texture.Texture());
        }
    }
    for (const float w : {0.0f, -1.0f, -1e-30f}) {
        Triangle t = good;
        t[2].invZ = w;
        target.Draw(0x88, t, texture.Texture());
        target.Draw(0x8B, t, texture.Texture());
    }
    EXPECT_EQ(target.DrawnCount(), 0);

    // Outside the perspective modes the weight is not read.
    Triangle flat = good;
    flat[0].invZ = 0.0f;
    target.Draw(0x00, flat);
    EXPECT_GT(target.DrawnCount(), 300);
}

TEST(FillTriangle16, AxisAlignedTexturedTriangleMapsTexelsExactly) {
    // Texel (column, row) holds row x 16 + column, each a shade row of its
    // own; the top level shows it.
    SpanTexture texture(4, 4);
    for (int32_t row = 0; row < 16; ++row) {
        for (int32_t column = 0; column < 16; ++column) texture.Texel(column, row) = uint8_t(row * 16 + column);
    }
    const auto texelAt = [](uint16_t pixel) { return int32_t(pixel) / 32; };

    struct Case {
        float x, y, size;   // the right angle at (x, y), legs of `size` pixels
    };
    for (const Case& c : {Case{0, 0, 16}, Case{7, 5, 16}, Case{3.25f, 2.75f, 16}, Case{0, 0, 32}, Case{4, 8, 32}}) {
        Target16 target(48, 48);
        target.Draw(0x08, {Vertex(c.x, c.y, 0.5f, 255, 0, 0), Vertex(c.x + c.size, c.y, 0.5f, 255, 1, 0),
                           Vertex(c.x, c.y + c.size, 0.5f, 255, 0, 1)},
                    texture.Texture());
        const double scale = 16.0 / c.size;   // texels per pixel
        int32_t drawn = 0;
        for (int32_t y = 0; y < 48; ++y) {
            for (int32_t x = 0; x < 48; ++x) {
                if (!target.Drawn(x, y)) continue;
                ++drawn;
                const int32_t column = int32_t(std::floor((x - c.x) * scale));
                const int32_t row = int32_t(std::floor((y - c.y) * scale));
                ASSERT_EQ(texelAt(target->Pixel16(x, y)), row * 16 + column)
                    << "pixel " << x << ", " << y << " of the triangle at " << c.x << ", " << c.y;
                ASSERT_EQ(target->Pixel16(x, y) % 32, 31);
            }
        }
        EXPECT_GE(drawn, int32_t(c.size * c.size / 2) - int32_t(c.size) - 1);
    }
}

TEST(FillTriangle16, RowsCutOffAtTheLeftAndTopKeepTheirValues) {
    // The same triangle on a large canvas and moved 20 columns left and 8
    // rows up on a small one (whole dither periods, so the patterns agree):
    // every pixel the small canvas shows must match.
    SpanTexture texture(5, 5);
    for (int32_t row = 0; row < 32; ++row) {
        for (int32_t column = 0; column < 32; ++column) {
            texture.Texel(column, row) = uint8_t((row * 7 + column * 3) % 250);
        }
    }
    const Triangle placed = {Vertex(10.25f, 5.625f, 0.1f, 20.0f, 0.0f, 0.0f),
                             Vertex(90.75f, 14.125f, 0.9f, 250.0f, 2.5f, 0.25f),
                             Vertex(30.5f, 44.875f, 0.4f, 120.0f, 0.75f, 1.5f)};
    Triangle moved = placed;
    for (ScreenVertex& v : moved) {
        v.x -= 20.0f;
        v.y -= 8.0f;
    }
    for (const uint32_t mode : {0x02u, 0x03u, 0x0Au, 0x0Bu, 0x0Fu, 0x1Au, 0x1Bu}) {
        Target16 large(96, 48, true);
        Target16 small(48, 24, true);
        large.Draw(mode, placed, texture.Texture(), 160);
        small.Draw(mode, moved, texture.Texture(), 160);
        EXPECT_GT(small.DrawnCount(), 500) << "mode " << mode;
        for (int32_t y = 0; y < 24; ++y) {
            for (int32_t x = 0; x < 48; ++x) {
                ASSERT_EQ(small->Pixel16(x, y), large->Pixel16(x + 20, y + 8))
                    << "pixel " << x << ", " << y << " mode " << mode;
                ASSERT_EQ(small->DepthAt(x, y), large->DepthAt(x + 20, y + 8));
            }
        }
    }
}

TEST(FillTriangle16, DepthModesKeepTheNearerSurface) {
    const Triangle near = {Vertex(0, 0, 0.25f), Vertex(40, 0, 0.25f), Vertex(0, 30, 0.25f)};
    Triangle far = {Vertex(0, 0, 0.75f, 80.0f), Vertex(40, 0, 0.75f, 80.0f), Vertex(0, 30, 0.75f, 80.0f)};
    const uint16_t nearPixel = kColour * 32 + 31;

    Target16 farFirst(40, 30, true);
    farFirst.Draw(0x01, far);
    farFirst.Draw(0x01, near);
    Target16 nearFirst(40, 30, true);
    nearFirst.Draw(0x01, near);
    nearFirst.Draw(0x01, far);
    EXPECT_EQ(farFirst->PixelValues(), nearFirst->PixelValues());
    EXPECT_EQ(nearFirst->Pixel16(5, 5), nearPixel);
    // 0.25 x 2^31 >> 15.
    EXPECT_EQ(nearFirst->DepthAt(5, 5), 0x4000);

    // Depth 1.0 is the farthest value, not a wrap to the nearest: it stays
    // behind the surface at 0.75.
    for (ScreenVertex& v : far) {
        v.depth = 1.0f;
        v.intensity = 0.0f;
    }
    farFirst.Draw(0x01, far);
    EXPECT_EQ(farFirst->Pixel16(5, 5), nearPixel);
}

TEST(FillTriangle16, WithoutADepthBufferTheDepthBitIsLeftOut) {
    Target16 plain(40, 30, false);
    Target16 reference(40, 30, false);
    const Triangle t = {Vertex(3, 2), Vertex(37, 9), Vertex(12, 28)};
    plain.Draw(0x03, t);
    reference.Draw(0x02, t);
    EXPECT_GT(plain.DrawnCount(), 300);
    EXPECT_EQ(plain->PixelValues(), reference->PixelValues());
}

TEST(FillTriangle16, ModesWithoutARoutineOrTextureDrawNothing) {
    Target16 target(40, 30, true);
    const Triangle t = {Vertex(3, 2), Vertex(37, 9), Vertex(12, 28)};
    target.Draw(0x20, t);
    target.Draw(0x3F, t);
    target.Draw(0x08, t, nullptr);
    EXPECT_EQ(target.DrawnCount(), 0);
}

TEST(FillTriangle16, OutlineBitDrawsTheThreeEdgesInPureRed) {
    RecordingCanvas canvas(40, 30);
    canvas.SetForwarding(false);
    const Triangle t = {Vertex(3, 2), Vertex(37, 9), Vertex(12, 28)};
    FillTriangle16(&canvas, 0x8000, &t[0], &t[1], &t[2], nullptr, 255);
    const std::vector<CanvasCall> lines = canvas.CallsOf("DrawLineClipped");
    ASSERT_EQ(lines.size(), 3u);
    const int32_t ends[3][2] = {{0, 1}, {1, 2}, {2, 0}};
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_EQ(lines[size_t(i)].screen.size(), 2u);
        EXPECT_EQ(lines[size_t(i)].screen[0].x, t[size_t(ends[i][0])].x);
        EXPECT_EQ(lines[size_t(i)].screen[1].x, t[size_t(ends[i][1])].x);
        EXPECT_EQ(lines[size_t(i)].rgb, (std::array<uint8_t, 3>{255, 0, 0}));
        EXPECT_FALSE(lines[size_t(i)].clip.has_value());
    }

    canvas.ForgetCalls();
    const Triangle broken = {Vertex(3, 2), Vertex(std::numeric_limits<float>::quiet_NaN(), 9), Vertex(12, 28)};
    FillTriangle16(&canvas, 0x8000, &broken[0], &broken[1], &broken[2], nullptr, 255);
    EXPECT_EQ(canvas.CountOf("DrawLineClipped"), 0u);
}

TEST(WalkEdge16, WritesOnlyTheRowsInsideItsWindow) {
    FixedVertex from;
    from.x = 4 << 16;
    from.y = (2 << 16) + 0x8000;   // 2.5: the first row sampled is 3
    from.intensity = 0;
    FixedVertex to = from;
    to.x = 14 << 16;
    to.y = (12 << 16) + 0x8000;    // 12.5: the last row is 12
    to.intensity = 100 << 16;

    // Rows 3 .. 12 are the walk's indices 0 .. 9; the window keeps 4 .. 6.
    SpanEdge records[5];
    for (SpanEdge& r : records) r.x = -77;
    WalkEdge16(EdgeWindow{&records[1], 4, 7}, 0, from, to);
    EXPECT_EQ(records[0].x, -77);
    EXPECT_EQ(records[4].x, -77);
    for (int32_t i = 0; i < 3; ++i) {
        const double y = 3 + 4 + i;                // the row sampled
        const double x = 4 + (y - 2.5);            // one column per row
        EXPECT_EQ(records[1 + i].x, int32_t(std::ceil(x))) << "row " << y;
        EXPECT_NEAR(records[1 + i].shade / 65536.0, (y - 2.5) * 10.0, 0.01);
    }
}

TEST(WalkEdge16, TallEdgeReachesItsLowerVertex) {
    // 600 columns over 300 rows: row 299 crosses at exactly 598. A 16.16
    // reciprocal of the height (2^32 / dy) would fall short by a pixel.
    FixedVertex from;
    FixedVertex to;
    to.x = 600 << 16;
    to.y = 300 << 16;
    to.intensity = 255 << 16;
    std::vector<SpanEdge> records(300);
    WalkEdge16(EdgeWindow{records.data(), 0, 300}, 0, from, to);
    EXPECT_EQ(records[0].x, 0);
    EXPECT_EQ(records[150].x, 300);
    EXPECT_EQ(records[299].x, 598);
    EXPECT_EQ(records[299].shade, int64_t(299) * (255 << 16) / 300);
}

TEST(WalkEdge16, EdgeExactlyOnAColumnAtARowStartsThere) {
    // 49/65536 of a pixel across over 49 rows: at row 1 the edge lies
    // exactly 1/65536 right of column 0, so its first column is 1. In
    // floating point 49 x (1/49) falls short of 1, which a quotient taken
    // through the height's inverse must not keep.
    FixedVertex from;
    FixedVertex to;
    to.x = 49;
    to.y = 49 << 16;
    SpanEdge record;
    WalkEdge16(EdgeWindow{&record, 1, 2}, 0, from, to);
    EXPECT_EQ(record.x, 1);
}

// The depth form walks z as well, from the upper vertex's depth toward the
// lower one's; the plain form leaves z as it found it.
TEST(WalkEdge16, TheDepthFormWalksDepthAlongTheEdge) {
    FixedVertex from;
    FixedVertex to;
    from.depth = 0x10000000;
    to.x = 300 << 16;
    to.y = 300 << 16;
    to.depth = 0x50000000;
    std::vector<SpanEdge> walked(300), plain(300);
    for (SpanEdge& r : plain) r.z = 77;
    WalkEdgeDepth16(EdgeWindow{walked.data(), 0, 300}, 0, from, to);
    WalkEdge16(EdgeWindow{plain.data(), 0, 300}, 0, from, to);
    for (const int32_t row : {0, 150, 299}) {
        const double expected = double(0x10000000) + double(row) / 300.0 * double(0x40000000);
        EXPECT_NEAR(double(walked[size_t(row)].z), expected, 2.0) << row;
        EXPECT_EQ(walked[size_t(row)].x, plain[size_t(row)].x) << row;
        EXPECT_EQ(plain[size_t(row)].z, 77u) << row;
    }
}

}  // namespace
