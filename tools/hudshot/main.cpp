// hudshot: draws the cockpit's HUD into a PNG, for a look at it: fully lit
// over a test background, or in flight with a target ahead, a target behind,
// none, or the edge arrow in all eight directions.
//   hudshot DATA_ROOT OUTPUT.png [--depth 8|16] [--scene lit|ahead|behind|none|arrows]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/CanvasRgb.h"
#include "display/FontLoader.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "platform/PngWriter.h"
#include "scene/OstrelSystem.h"
#include "tools/hudshot/HudShot.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

int Usage() {
    std::fprintf(stderr, "Usage: hudshot DATA_ROOT OUTPUT.png [--depth 8|16] [--scene lit|ahead|behind|none|arrows]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) return Usage();
    int32_t depth = 16;
    HudShotScene scene = HudShotScene::kLit;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--depth") == 0) {
            depth = std::strcmp(argv[i + 1], "8") == 0 ? 8 : 16;
        } else if (std::strcmp(argv[i], "--scene") != 0 || !HudShotSceneByName(argv[i + 1], &scene)) {
            return Usage();
        }
    }
    if (!g_dataDirs.Find(argv[1])) {
        std::fprintf(stderr, "hudshot: no sample data tree under %s (run mkdata first)\n", argv[1]);
        return 1;
    }
    OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    if (engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr) != kStatusOk) {
        std::fprintf(stderr, "hudshot: cannot start the engine\n");
        return 1;
    }
    g_pixelFormat = depth == 8 ? kPixelFormatIndexed8 : kPixelFormatRgb565;
    const std::string font = g_dataDirs.Prefix(DataDir::kData) + kHudFontFile;
    if (LoadFont(font.c_str(), nullptr) != kStatusOk) {
        std::fprintf(stderr, "hudshot: cannot load %s\n", font.c_str());
        return 1;
    }
    GameState game;
    Palette* const palette = game.LoadPalette("Vorn");
    if (palette == nullptr) {
        std::fprintf(stderr, "hudshot: no palette \"Vorn\"\n");
        return 1;
    }
    std::vector<uint8_t> rgb;
    if (depth == 8) {
        ScreenCanvas8 canvas(kWidth, kHeight, nullptr, nullptr, palette, 0, 0, 0);
        if (canvas.setupResult == kStatusOk && DrawHudShot(canvas, game, 0, scene) == kStatusOk) rgb = CanvasToRgbBytes(canvas);
    } else {
        ScreenCanvas16 canvas(kWidth, kHeight, nullptr, nullptr, palette, 0, 0, 0);
        if (canvas.setupResult == kStatusOk && DrawHudShot(canvas, game, 0, scene) == kStatusOk) rgb = CanvasToRgbBytes(canvas);
    }
    if (rgb.empty() || !platform::WriteRgbPng(argv[2], kWidth, kHeight, rgb.data())) {
        std::fprintf(stderr, "hudshot: cannot draw or write %s\n", argv[2]);
        return 1;
    }
    std::printf("HUD drawn at %d bits into %s\n", depth, argv[2]);
    return 0;
}
