// The size-specialised textured span units against the generic textured
// loops on the same triangle, in pixels per second: sixteen rows of 640
// pixels over a square texture, u crossing it 2.5 times per row and v 0.8
// times. Only modes without a depth test are timed, as a second pass over a
// depth buffer would be rejected and draw nothing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "bench/BenchCanvas.h"
#include "display/Palette.h"
#include "display/SoftTexture.h"
#include "display/PixelImage.h"
#include "raster/GenericSpans.h"
#include "raster/Span.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kRows = 16;
constexpr int32_t kPixels = kWidth * kRows;
constexpr int32_t kOne = 0x10000;

// The triangle every routine draws: shade ramping 20 -> 235 across each row.
struct TexturedScene {
    explicit TexturedScene(int32_t log2Side) : texels(size_t(1) << (2 * log2Side)) {
        std::mt19937 random(0xBE4C7u);
        for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) {
            shades[entry] = uint16_t(random());
        }
        shadeTable.rows = shades.data();
        shadeTable.shift = Palette::kShadeShift;
        shadeTable.levels = Palette::kShadeLevels;
        palette.SetTables(0, nullptr, &shadeTable);
        for (uint8_t& texel : texels) {
            texel = uint8_t(random());
        }
        const int32_t side = 1 << log2Side;
        image.width = int16_t(side);
        image.height = int16_t(side);
        image.pixels = texels.data();
        texture.reset(new SoftTexture(&image, nullptr));
        for (int32_t row = 0; row < kRows; ++row) {
            left[size_t(row)] = SpanEdge{0, 0, 0, 0, 20 * kOne, row * kOne, 3 * kOne, 0};
            right[size_t(row)].x = kWidth;
        }
        setup.destRow = pixels.data();
        setup.target = &canvas;
        setup.leftEdge = left.data();
        setup.rightEdge = right.data();
        setup.texture = texture.get();
        setup.lastRow = kRows - 1;
        setup.destPitch = kWidth * 2;
        setup.shadeStep = 215 * kOne / kWidth;
        const int32_t scale = 16 - log2Side;
        setup.uStep = int32_t(uint32_t(int64_t{side} * 5 * kOne / 2 / kWidth) << scale);
        setup.vStep = int32_t(uint32_t(int64_t{side} * 4 * kOne / 5 / kWidth) << scale);
    }

    std::vector<uint16_t> shades = std::vector<uint16_t>(Palette::kShadeEntries);
    ShadeTable shadeTable;
    PaletteRgb565 palette;
    BenchCanvas canvas{&palette};
    std::vector<uint8_t> texels;
    PixelImage image{PixelImage::kFormat8Bit};
    std::unique_ptr<SoftTexture> texture;   // unchains itself before the image goes
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kPixels);
    std::vector<SpanEdge> left = std::vector<SpanEdge>(kRows);
    std::vector<SpanEdge> right = std::vector<SpanEdge>(kRows);
    SpanSetup setup;
};

void RunSpan(benchmark::State& state, int32_t log2Side, SpanFiller fill) {
    auto scene = std::make_unique<TexturedScene>(log2Side);
    for (auto _ : state) {
        fill(&scene->setup);
        benchmark::DoNotOptimize(scene->pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
}

// The table would send a square texture of 32 or more to its unit, so the
// generic loops are called directly.
template <int32_t kLog2Side, uint32_t kMode>
void BM_SpanTexturedGeneric(benchmark::State& state) {
    RunSpan(state, kLog2Side, g_spanTexturedSelectors[kMode & 7]);
}

template <int32_t kLog2Side, uint32_t kMode>
void BM_SizedSpanUnit(benchmark::State& state) {
    RunSpan(state, kLog2Side, g_spanDispatch[SoftTexture::SizeClass(kLog2Side, kLog2Side)][kMode]);
}

}  // namespace

// 64 x 64 and 256 x 256; flat, Gouraud, Gouraud with texture-coordinate dither.
BENCHMARK_TEMPLATE(BM_SpanTexturedGeneric, 6, 0x08);
BENCHMARK_TEMPLATE(BM_SizedSpanUnit, 6, 0x08);
BENCHMARK_TEMPLATE(BM_SpanTexturedGeneric, 6, 0x0a);
BENCHMARK_TEMPLATE(BM_SizedSpanUnit, 6, 0x0a);
BENCHMARK_TEMPLATE(BM_SpanTexturedGeneric, 6, 0x0e);
BENCHMARK_TEMPLATE(BM_SizedSpanUnit, 6, 0x0e);
BENCHMARK_TEMPLATE(BM_SpanTexturedGeneric, 8, 0x08);
BENCHMARK_TEMPLATE(BM_SizedSpanUnit, 8, 0x08);
BENCHMARK_TEMPLATE(BM_SpanTexturedGeneric, 8, 0x0a);
BENCHMARK_TEMPLATE(BM_SizedSpanUnit, 8, 0x0a);
BENCHMARK_TEMPLATE(BM_SpanTexturedGeneric, 8, 0x0e);
BENCHMARK_TEMPLATE(BM_SizedSpanUnit, 8, 0x0e);
