#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "display/Palette.h"
#include "raster/FixedVertex.h"
#include "tests/support/MemoryCanvas.h"

// An 8-bit canvas with real pixel, depth and edge blocks of exactly their
// size, and an 8-bit palette whose shade table tells what was looked up:
// entry (colour, level) = (colour x 32 + level) % 255. For colours (and
// texels) 1 to 6 a pixel names its colour and level, and no entry is
// kBackground, so untouched pixels stand out.
class Canvas8Fixture {
public:
    static constexpr uint8_t kBackground = 0xFF;
    static constexpr uint16_t kFarthest = 0xFFFF;

    Canvas8Fixture(int32_t width, int32_t height, bool withDepth = false)
        : shades_(new uint8_t[Palette::kShadeEntries]), palette_(std::make_unique<PaletteIndexed8>()) {
        for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) {
            shades_[entry] = uint8_t(entry % 255);
        }
        table_.rows = shades_.get();
        table_.shift = Palette::kShadeShift;
        table_.levels = Palette::kShadeLevels;
        palette_->SetTables(0, nullptr, &table_);
        canvas_ = std::make_unique<MemoryCanvas>(width, height, 1, withDepth, palette_.get());
        if (withDepth) {
            canvas_->flags |= Canvas::kFlagDepthTest;
        }
        Clear();
    }

    static uint8_t Entry(uint32_t colour, uint32_t level) { return uint8_t((colour * 32 + level) % 255); }
    // Every level of a colour becomes the colour itself, so pixels show texels.
    void ShowTexels() {
        for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) {
            shades_[entry] = uint8_t(entry >> Palette::kShadeShift);
        }
    }

    MemoryCanvas* Target() { return canvas_.get(); }
    uint8_t Pixel(int32_t x, int32_t y) { return canvas_->Pixel8(x, y); }
    uint16_t& Depth(int32_t x, int32_t y) { return canvas_->DepthAt(x, y); }
    int32_t Width() const { return canvas_->width; }
    int32_t Height() const { return canvas_->height; }

    void Clear() {
        canvas_->FillPixels(kBackground);
        canvas_->FillDepth(kFarthest);
    }
    // The (x, y) of every pixel that is not the background.
    std::set<std::pair<int32_t, int32_t>> Drawn() {
        std::set<std::pair<int32_t, int32_t>> drawn;
        for (int32_t y = 0; y < Height(); ++y) {
            for (int32_t x = 0; x < Width(); ++x) {
                if (Pixel(x, y) != kBackground) {
                    drawn.insert({x, y});
                }
            }
        }
        return drawn;
    }
    int32_t DrawnCount() { return canvas_->CountPixelsOtherThan(kBackground); }

private:
    std::unique_ptr<uint8_t[]> shades_;
    ShadeTable table_;
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<MemoryCanvas> canvas_;
};

// A vertex in the units a reader thinks in: pixels, intensity 0..255,
// texels, invZ as a fraction (1.0 = 2^30), depth 0..1.
inline FixedVertex Fixed(double x, double y, double intensity = 128.0, double u = 0.0, double v = 0.0,
                         double invZ = 1.0, double depth = 0.25) {
    FixedVertex vertex;
    vertex.x = int32_t(std::lround(x * 65536.0));
    vertex.y = int32_t(std::lround(y * 65536.0));
    vertex.depth = uint32_t(std::llround(depth * 4294967295.0));
    vertex.intensity = int32_t(std::lround(intensity * 65536.0));
    vertex.u = int32_t(std::lround(u * 65536.0));
    vertex.v = int32_t(std::lround(v * 65536.0));
    vertex.invZ = int32_t(std::llround(invZ * 1073741824.0));
    return vertex;
}

// One kind of the 8-bit triangle family under test. paint 1 or 2 tells two
// triangles apart: the colour, or the texel every texel of the texture has;
// either way pixel / 32 gives it back.
struct Kind8 {
    const char* name;
    bool depth;
    std::function<void(Canvas* target, const FixedVertex* v, int paint)> draw;
};

inline int PaintOf(uint8_t pixel) { return pixel / 32; }

// The levels a Gouraud kind draws at intensity 102 over a 4 x 4 block of
// pixels, [row & 3][column & 3]: (102 + offset) / 8 falls on either side of
// level 13 as the offset table (-3.5 .. +4) moves it, so the offset pattern
// shows row by row.
inline constexpr uint32_t kDitheredLevels[4][4] = {
    {12, 12, 12, 12},
    {13, 12, 13, 12},
    {12, 13, 12, 12},
    {13, 12, 13, 12},
};

inline bool IsTranslucent(const Kind8& kind) { return std::string(kind.name).find("Alpha") != std::string::npos; }

// Two triangles over one shared edge, each drawn alone: per row their pixels
// join without a gap, and they share no more than the one pixel where the
// shared edge falls (both ends of a row are drawn, so that pixel is in both).
// A rectangle cut on its diagonal is covered exactly. With the depth test,
// the second triangle at the same depth leaves the shared pixels to the first.
inline void ExpectSharedEdgeTiling(const Kind8& kind) {
    SCOPED_TRACE(kind.name);
    const std::array<std::array<FixedVertex, 4>, 2> quads{{
        {Fixed(2.0, 3.0), Fixed(14.0, 3.0), Fixed(14.0, 9.0), Fixed(2.0, 9.0)},
        {Fixed(3.3, 2.6), Fixed(40.7, 5.2), Fixed(36.1, 31.4), Fixed(6.8, 27.9)},
    }};
    for (size_t q = 0; q < quads.size(); ++q) {
        SCOPED_TRACE(q == 0 ? "rectangle" : "four-sided");
        const auto& c = quads[q];
        const std::array<FixedVertex, 3> first{c[0], c[1], c[2]};
        const std::array<FixedVertex, 3> second{c[0], c[2], c[3]};
        Canvas8Fixture canvas(48, 36, kind.depth);
        kind.draw(canvas.Target(), first.data(), 1);
        const auto a = canvas.Drawn();
        canvas.Clear();
        kind.draw(canvas.Target(), second.data(), 2);
        const auto b = canvas.Drawn();
        ASSERT_FALSE(a.empty());
        ASSERT_FALSE(b.empty());

        std::map<int32_t, std::set<int32_t>> rows;
        std::map<int32_t, int32_t> shared;
        for (const auto& p : a) rows[p.second].insert(p.first);
        for (const auto& p : b) {
            rows[p.second].insert(p.first);
            shared[p.second] += a.count(p) != 0 ? 1 : 0;
        }
        int32_t previousRow = rows.begin()->first - 1;
        for (const auto& [row, columns] : rows) {
            EXPECT_EQ(row, previousRow + 1) << "a row is missing";
            previousRow = row;
            EXPECT_EQ(*columns.rbegin() - *columns.begin() + 1, int32_t(columns.size())) << "gap on row " << row;
            EXPECT_LE(shared[row], 1) << "row " << row;
        }
        if (q == 0) {
            EXPECT_EQ(rows.begin()->first, 3);
            EXPECT_EQ(rows.rbegin()->first, 9);
            for (const auto& [row, columns] : rows) {
                EXPECT_EQ(*columns.begin(), 2) << "row " << row;
                EXPECT_EQ(*columns.rbegin(), 14) << "row " << row;
                EXPECT_EQ(shared[row], 1) << "row " << row;
            }
        }

        if (kind.depth) {
            canvas.Clear();
            kind.draw(canvas.Target(), first.data(), 1);
            kind.draw(canvas.Target(), second.data(), 2);
            for (const auto& p : a) EXPECT_EQ(PaintOf(canvas.Pixel(p.first, p.second)), 1);
            for (const auto& p : b) {
                if (a.count(p) == 0) {
                    EXPECT_EQ(PaintOf(canvas.Pixel(p.first, p.second)), 2);
                }
            }
        }
    }
}

// Triangles reaching far beyond a small canvas whose blocks are exactly its
// size, so the sanitizers catch any write outside: one wholly outside draws
// nothing, one around the canvas covers it all, and arbitrary 32-bit vertices
// draw only what they draw. A translucent kind below level 240 covers only
// its stipple of the canvas.
inline void ExpectStaysInsideCanvas(const Kind8& kind, bool opaque = true) {
    SCOPED_TRACE(kind.name);
    Canvas8Fixture canvas(13, 7, kind.depth);
    const std::array<FixedVertex, 3> outside{Fixed(-3000.0, -50.0), Fixed(-20.0, -8.0), Fixed(-400.0, 9000.0)};
    kind.draw(canvas.Target(), outside.data(), 1);
    EXPECT_EQ(canvas.DrawnCount(), 0);

    const std::array<FixedVertex, 3> around{Fixed(-20000.0, -20000.0), Fixed(20000.0, -100.0),
                                            Fixed(-100.0, 20000.0)};
    kind.draw(canvas.Target(), around.data(), 1);
    if (opaque) {
        EXPECT_EQ(canvas.DrawnCount(), 13 * 7);
    } else {
        EXPECT_GT(canvas.DrawnCount(), 0);
        EXPECT_LT(canvas.DrawnCount(), 13 * 7);
    }

    uint32_t seed = 12345;
    const auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return seed;
    };
    for (int i = 0; i < 300; ++i) {
        std::array<FixedVertex, 3> t;
        for (FixedVertex& vertex : t) {
            vertex.x = int32_t(next());
            vertex.y = int32_t(next());
            vertex.depth = next();
            vertex.intensity = int32_t(next());
            vertex.u = int32_t(next());
            vertex.v = int32_t(next());
            vertex.invZ = int32_t(next() >> (i & 1));
        }
        if (i % 3 == 0) {
            // Small coordinates around the canvas, so rows really get drawn.
            for (FixedVertex& vertex : t) {
                vertex.x = int32_t(vertex.x % (40 << 16));
                vertex.y = int32_t(vertex.y % (40 << 16));
            }
        }
        if (i % 7 == 0) {
            t[0].x = INT32_MIN;
            t[1].y = INT32_MAX;
            t[2].x = INT32_MAX;
            t[2].y = INT32_MIN;
        }
        kind.draw(canvas.Target(), t.data(), 1 + (i & 1));
    }
}

// Cutting a triangle at the canvas's left and top changes none of the pixels
// that stay: the same triangle 12 columns left and 8 rows up (whole dither
// blocks) shows the rest of the same picture, depth included.
inline void ExpectCutAtLeftAndTopKeepsPixels(const std::function<void(Canvas*, const FixedVertex*)>& draw,
                                             const std::array<FixedVertex, 3>& t, bool depth, bool showTexels) {
    constexpr int32_t kLeft = 12;
    constexpr int32_t kUp = 8;
    Canvas8Fixture whole(64, 48, depth);
    Canvas8Fixture cut(64, 48, depth);
    if (showTexels) {
        whole.ShowTexels();
        cut.ShowTexels();
    }
    std::array<FixedVertex, 3> moved = t;
    for (FixedVertex& vertex : moved) {
        vertex.x -= kLeft << 16;
        vertex.y -= kUp << 16;
    }
    draw(whole.Target(), t.data());
    draw(cut.Target(), moved.data());
    ASSERT_GT(cut.DrawnCount(), 0);
    int32_t compared = 0;
    for (int32_t y = 0; y + kUp < 48; ++y) {
        for (int32_t x = 0; x + kLeft < 64; ++x) {
            EXPECT_EQ(cut.Pixel(x, y), whole.Pixel(x + kLeft, y + kUp)) << x << ", " << y;
            if (depth) {
                EXPECT_EQ(cut.Depth(x, y), whole.Depth(x + kLeft, y + kUp)) << x << ", " << y;
            }
            compared += cut.Pixel(x, y) != Canvas8Fixture::kBackground ? 1 : 0;
        }
    }
    EXPECT_GT(compared, 100);
}
