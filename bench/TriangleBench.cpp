// Textured triangles per second through the polygon entry points of both
// software canvases at 640 x 480: a small triangle of 10 pixels, a medium one
// of 1,000 pixels and one that covers the whole screen, each drawn affine and
// perspective-correct over a 64 x 64 texture. The 16-bit canvas goes through
// FillPolygon16 (texture lookup, subdivision, set-up, span routine), the 8-bit
// one through its textured choosers. No depth test: a second pass over a
// depth buffer would be rejected and draw nothing. Random triangles of three
// sizes are drawn by FillPolygon16 and, for comparison, by SDL2's software
// renderer.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "bench/BenchCanvas.h"
#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/Canvas.h"
#include "display/PixelImage.h"
#include "raster/FixedVertex.h"
#include "raster/PolygonChoosers8.h"
#include "raster/PolygonEntry.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr int32_t kLog2Side = 6;
constexpr uint32_t kTextured = Canvas::kModeTextured;
constexpr uint32_t kPerspective = Canvas::kModeTextured | Canvas::kModePerspective;

enum class Size { kSmall, kMedium, kScreen };

// Right triangles with legs along the axes. The screen-filling one reaches
// twice the screen's width and height, so its long edge passes exactly
// through the far corner and every pixel is covered.
struct Shape {
    float x, y, across, down;
    int64_t pixels;
};

Shape ShapeOf(Size size) {
    switch (size) {
        case Size::kSmall:
            return {300.0f, 200.0f, 5.0f, 4.0f, 10};
        case Size::kMedium:
            return {300.0f, 200.0f, 50.0f, 40.0f, 1000};
        case Size::kScreen:
            break;
    }
    return {0.0f, 0.0f, 2.0f * kWidth, 2.0f * kHeight, int64_t{kWidth} * kHeight};
}

// The texture repeats once per 64 pixels; invZ falls from 1 to 0.5 and 0.8
// across the triangle, so the perspective triangles are split where they are
// long enough.
std::vector<ScreenVertex> Corners(Size size) {
    const Shape shape = ShapeOf(size);
    std::vector<ScreenVertex> corners(3);
    const float xs[3] = {shape.x, shape.x + shape.across, shape.x};
    const float ys[3] = {shape.y, shape.y, shape.y + shape.down};
    const float invZ[3] = {1.0f, 0.5f, 0.8f};
    for (size_t i = 0; i < 3; ++i) {
        corners[i].x = xs[i];
        corners[i].y = ys[i];
        corners[i].depth = 0.5f;
        corners[i].colour = 17;
        corners[i].intensity = 160.0f;
        corners[i].u = (xs[i] - shape.x) / 64.0f;
        corners[i].v = (ys[i] - shape.y) / 64.0f;
        corners[i].invZ = invZ[i];
    }
    return corners;
}

// The 8-bit canvas's form of the same corners: 16.16 positions and
// intensity, u and v shifted by the texture's log2 sides, invZ with 30
// fraction bits.
std::vector<FixedVertex> FixedCorners(Size size) {
    std::vector<FixedVertex> fixed(3);
    const std::vector<ScreenVertex> corners = Corners(size);
    for (size_t i = 0; i < 3; ++i) {
        fixed[i].x = int32_t(corners[i].x * 65536.0f);
        fixed[i].y = int32_t(corners[i].y * 65536.0f);
        fixed[i].depth = 0x80000000u;
        fixed[i].colour = corners[i].colour;
        fixed[i].intensity = int32_t(corners[i].intensity) << 16;
        fixed[i].u = int32_t(corners[i].u * 65536.0f) << kLog2Side;
        fixed[i].v = int32_t(corners[i].v * 65536.0f) << kLog2Side;
        fixed[i].invZ = int32_t(corners[i].invZ * 1073741824.0f);
    }
    return fixed;
}

// Shade tables of distinct entries in both formats and a 64 x 64 texture of
// scattered texels (none 255, which the 8-bit loops would skip).
struct TextureScene {
    TextureScene() {
        for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) {
            shades16[entry] = uint16_t(entry * 2654435761u >> 16);
            shades8[entry] = uint8_t(entry * 7 % 255);
        }
        table16.rows = shades16.data();
        table8.rows = shades8.data();
        for (ShadeTable* table : {&table16, &table8}) {
            table->shift = Palette::kShadeShift;
            table->levels = Palette::kShadeLevels;
        }
        palette16.SetTables(0, nullptr, &table16);
        palette8.SetTables(0, nullptr, &table8);
        for (size_t i = 0; i < texels.size(); ++i) {
            texels[i] = uint8_t((i * 7 + i / 64) % 255);
        }
        image.width = 1 << kLog2Side;
        image.height = 1 << kLog2Side;
        image.pixels = texels.data();
    }
    std::vector<uint16_t> shades16 = std::vector<uint16_t>(Palette::kShadeEntries);
    std::vector<uint8_t> shades8 = std::vector<uint8_t>(Palette::kShadeEntries);
    ShadeTable table16;
    ShadeTable table8;
    PaletteRgb565 palette16;
    PaletteIndexed8 palette8;
    std::vector<uint8_t> texels = std::vector<uint8_t>(size_t(1) << (2 * kLog2Side));
    PixelImage image{PixelImage::kFormat8Bit};
};

void Report(benchmark::State& state, Size size) {
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.counters["pixels/s"] =
        benchmark::Counter(double(ShapeOf(size).pixels) * double(state.iterations()), benchmark::Counter::kIsRate);
}

template <Size kSize, uint32_t kMode>
void BM_Triangle16(benchmark::State& state) {
    auto scene = std::make_unique<TextureScene>();
    BenchCanvas canvas(&scene->palette16, kWidth, kHeight, 2);
    const std::vector<ScreenVertex> corners = Corners(kSize);
    for (auto _ : state) {
        FillPolygon16(&canvas, 3, kMode, corners.data(), &scene->image, 255);
        benchmark::DoNotOptimize(canvas.pixels);
        benchmark::ClobberMemory();
    }
    Report(state, kSize);
}

template <Size kSize, bool kPerspectiveCorrect>
void BM_Triangle8(benchmark::State& state) {
    auto scene = std::make_unique<TextureScene>();
    BenchCanvas canvas(&scene->palette8, kWidth, kHeight, 1);
    const SoftTexture* const texture = SoftTexture::FindOrCreate(&scene->image, &scene->palette8);
    const std::vector<FixedVertex> corners = FixedCorners(kSize);
    for (auto _ : state) {
        if (kPerspectiveCorrect) {
            FillPolygonTexturedPerspective8(&canvas, 3, corners.data(), texture);
        } else {
            FillPolygonTextured8(&canvas, 3, corners.data(), texture);
        }
        benchmark::DoNotOptimize(canvas.pixels);
        benchmark::ClobberMemory();
    }
    Report(state, kSize);
}

// Random textured Gouraud triangles, the same list for every backend: a
// fixed seed, corners anywhere inside a square of `side` pixels placed
// anywhere on the 640 x 480 target, texture coordinates across the whole
// 64 x 64 texture, intensities from 64 to 255.
struct RandomTriangles {
    explicit RandomTriangles(int32_t side) {
        std::mt19937 random(0x7A1A6u + uint32_t(side));
        std::uniform_real_distribution<float> placeX(0.0f, float(kWidth - side));
        std::uniform_real_distribution<float> placeY(0.0f, float(kHeight - side));
        std::uniform_real_distribution<float> within(0.0f, float(side));
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        std::uniform_real_distribution<float> light(64.0f, 255.0f);
        corners.resize(3 * kCount);
        for (size_t t = 0; t < kCount; ++t) {
            const float x = placeX(random), y = placeY(random);
            for (size_t i = 0; i < 3; ++i) {
                ScreenVertex& c = corners[3 * t + i];
                c.x = x + within(random);
                c.y = y + within(random);
                c.depth = 0.5f;
                c.colour = 17;
                c.intensity = light(random);
                c.u = unit(random);
                c.v = unit(random);
                c.invZ = 1.0f;
            }
            const ScreenVertex* p = &corners[3 * t];
            pixels += std::fabs(double(p[1].x - p[0].x) * double(p[2].y - p[0].y) -
                                double(p[2].x - p[0].x) * double(p[1].y - p[0].y)) / 2.0;
        }
    }
    static constexpr size_t kCount = 4096;
    std::vector<ScreenVertex> corners;
    double pixels = 0.0;
};

void ReportRandom(benchmark::State& state, const RandomTriangles& triangles) {
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(RandomTriangles::kCount));
    state.counters["pixels/s"] =
        benchmark::Counter(triangles.pixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RandomTriangles16(benchmark::State& state) {
    auto scene = std::make_unique<TextureScene>();
    BenchCanvas canvas(&scene->palette16, kWidth, kHeight, 2);
    const RandomTriangles triangles(int32_t(state.range(0)));
    constexpr uint32_t kMode = Canvas::kModeTextured | Canvas::kModeGouraud;
    for (auto _ : state) {
        for (size_t t = 0; t < RandomTriangles::kCount; ++t) {
            FillPolygon16(&canvas, 3, kMode, &triangles.corners[3 * t], &scene->image, 255);
        }
        benchmark::DoNotOptimize(canvas.pixels);
        benchmark::ClobberMemory();
    }
    ReportRandom(state, triangles);
}

// SDL2's own software renderer on an RGB565 surface: the same triangles
// through SDL_RenderGeometry with the same texels (as the 5-6-5 colours of
// the 16-bit shade table's unlit column) and per-vertex grey for the
// intensity. The batch is flushed once per pass.
void BM_RandomTrianglesSdl(benchmark::State& state) {
    auto scene = std::make_unique<TextureScene>();
    const RandomTriangles triangles(int32_t(state.range(0)));
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Renderer* renderer = surface != nullptr ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    SDL_Texture* texture = renderer != nullptr ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565,
                                                                   SDL_TEXTUREACCESS_STATIC, 64, 64)
                                               : nullptr;
    if (texture == nullptr) {
        state.SkipWithError(SDL_GetError());
        if (renderer != nullptr) SDL_DestroyRenderer(renderer);
        if (surface != nullptr) SDL_FreeSurface(surface);
        return;
    }
    std::vector<uint16_t> texels(64 * 64);
    for (size_t i = 0; i < texels.size(); ++i) {
        texels[i] = scene->shades16[size_t(scene->texels[i]) << Palette::kShadeShift | 16];
    }
    SDL_UpdateTexture(texture, nullptr, texels.data(), 64 * 2);
    std::vector<SDL_Vertex> vertices(triangles.corners.size());
    for (size_t i = 0; i < vertices.size(); ++i) {
        const ScreenVertex& c = triangles.corners[i];
        const uint8_t grey = uint8_t(c.intensity);
        vertices[i] = SDL_Vertex{{c.x, c.y}, {grey, grey, grey, 255}, {c.u, c.v}};
    }
    for (auto _ : state) {
        for (size_t t = 0; t < RandomTriangles::kCount; ++t) {
            SDL_RenderGeometry(renderer, texture, &vertices[3 * t], 3, nullptr, 0);
        }
        SDL_RenderFlush(renderer);
        benchmark::DoNotOptimize(surface->pixels);
        benchmark::ClobberMemory();
    }
    ReportRandom(state, triangles);
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Triangle16, Size::kSmall, kTextured);
BENCHMARK_TEMPLATE(BM_Triangle16, Size::kMedium, kTextured);
BENCHMARK_TEMPLATE(BM_Triangle16, Size::kScreen, kTextured);
BENCHMARK_TEMPLATE(BM_Triangle16, Size::kSmall, kPerspective);
BENCHMARK_TEMPLATE(BM_Triangle16, Size::kMedium, kPerspective);
BENCHMARK_TEMPLATE(BM_Triangle16, Size::kScreen, kPerspective);
BENCHMARK_TEMPLATE(BM_Triangle8, Size::kSmall, false);
BENCHMARK_TEMPLATE(BM_Triangle8, Size::kMedium, false);
BENCHMARK_TEMPLATE(BM_Triangle8, Size::kScreen, false);
BENCHMARK_TEMPLATE(BM_Triangle8, Size::kSmall, true);
BENCHMARK_TEMPLATE(BM_Triangle8, Size::kMedium, true);
BENCHMARK_TEMPLATE(BM_Triangle8, Size::kScreen, true);
BENCHMARK(BM_RandomTriangles16)->Arg(10)->Arg(40)->Arg(300);
BENCHMARK(BM_RandomTrianglesSdl)->Arg(10)->Arg(40)->Arg(300);
