// The span routines of the 16-bit software canvas in pixels per second, on
// rows of 640 pixels, beside memset and memcpy of the same bytes: the floor
// that no fill of that many pixels can beat.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
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

// Sixteen full-width rows: shade ramping 20 -> 235 across each row, u and v
// crossing a 64 x 64 texture 2.5 and 0.8 times. Only opaque modes without a
// depth test are timed: a second pass over a depth buffer would be rejected.
struct SpanScene {
    SpanScene() {
        for (uint32_t entry = 0; entry < Palette::kShadeEntries; ++entry) {
            shades[entry] = uint16_t(entry * 2654435761u >> 16);
        }
        shadeTable.rows = shades.data();
        shadeTable.shift = Palette::kShadeShift;
        shadeTable.levels = Palette::kShadeLevels;
        palette.SetTables(0, nullptr, &shadeTable);
        for (size_t i = 0; i < texels.size(); ++i) {
            texels[i] = uint8_t(i * 7 + i / 64);
        }
        image.width = 64;
        image.height = 64;
        image.pixels = texels.data();
        texture.reset(new SoftTexture(&image, nullptr));
        for (int32_t row = 0; row < kRows; ++row) {
            left[size_t(row)] = SpanEdge{0, 0, uint32_t(40000 + row) << 15, 0, 20 * kOne, row * kOne, 3 * kOne, 0};
            right[size_t(row)].x = kWidth;
        }
        setup.destRow = pixels.data();
        setup.depthRow = depths.data();
        setup.target = &canvas;
        setup.leftEdge = left.data();
        setup.rightEdge = right.data();
        setup.texture = texture.get();
        setup.lastRow = kRows - 1;
        setup.color = 17;
        setup.destPitch = kWidth * 2;
        setup.depthPitch = kWidth * 2;
        setup.shadeStep = 215 * kOne / kWidth;
        setup.depthStep = -(1 << 15) / 8;
        setup.uStep = int32_t(uint32_t(160 * kOne / kWidth) << 10);
        setup.vStep = int32_t(uint32_t(50 * kOne / kWidth) << 10);
    }

    std::vector<uint16_t> shades = std::vector<uint16_t>(Palette::kShadeEntries);
    ShadeTable shadeTable;
    PaletteRgb565 palette;
    BenchCanvas canvas{&palette};
    std::vector<uint8_t> texels = std::vector<uint8_t>(64 * 64);
    PixelImage image{PixelImage::kFormat8Bit};
    std::unique_ptr<SoftTexture> texture;   // unchains itself before the image goes
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kPixels);
    std::vector<uint16_t> depths = std::vector<uint16_t>(kPixels, 0xFFFF);
    std::vector<SpanEdge> left = std::vector<SpanEdge>(kRows);
    std::vector<SpanEdge> right = std::vector<SpanEdge>(kRows);
    SpanSetup setup;
};

void RunSpan(benchmark::State& state, SpanFiller fill) {
    auto scene = std::make_unique<SpanScene>();
    for (auto _ : state) {
        fill(&scene->setup);
        benchmark::DoNotOptimize(scene->pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
    state.SetBytesProcessed(int64_t(state.iterations()) * kPixels * 2);
}

void BM_SpanFlat(benchmark::State& state) { RunSpan(state, g_spanDispatch[0][0x00]); }
void BM_SpanGouraud(benchmark::State& state) { RunSpan(state, g_spanDispatch[0][kSpanModeGouraud]); }
// The generic loops read the texture's shape at run time; a 64 x 64 texture
// would go to its own unit through the table, so they are called directly.
void BM_SpanTexturedGenericFlat(benchmark::State& state) { RunSpan(state, g_spanTexturedSelectors[0]); }
void BM_SpanTexturedGenericGouraud(benchmark::State& state) {
    RunSpan(state, g_spanTexturedSelectors[kSpanModeGouraud]);
}
void BM_SpanTexturedGenericGouraudDither(benchmark::State& state) {
    RunSpan(state, g_spanTexturedSelectors[kSpanModeGouraud | kSpanModeDither]);
}

void BM_SpanMemset(benchmark::State& state) {
    std::vector<uint16_t> pixels(kPixels);
    for (auto _ : state) {
        std::memset(pixels.data(), 0x5A, pixels.size() * 2);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
    state.SetBytesProcessed(int64_t(state.iterations()) * kPixels * 2);
}

void BM_SpanMemcpy(benchmark::State& state) {
    std::vector<uint16_t> source(kPixels, 0x1234);
    std::vector<uint16_t> pixels(kPixels);
    for (auto _ : state) {
        std::memcpy(pixels.data(), source.data(), pixels.size() * 2);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
    state.SetBytesProcessed(int64_t(state.iterations()) * kPixels * 2);
}

}  // namespace

BENCHMARK(BM_SpanMemset);
BENCHMARK(BM_SpanMemcpy);
BENCHMARK(BM_SpanFlat);
BENCHMARK(BM_SpanGouraud);
BENCHMARK(BM_SpanTexturedGenericFlat);
BENCHMARK(BM_SpanTexturedGenericGouraud);
BENCHMARK(BM_SpanTexturedGenericGouraudDither);
