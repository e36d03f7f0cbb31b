// hudshot: draws the cockpit's HUD into a PNG, for a look at it: fully lit
// over a test background or over black space, or in flight with a target
// ahead, a target behind, none, the edge arrow in all eight directions, or a
// target ahead seen from the chase view; at 640 x 480 or another size.
//   hudshot DATA_ROOT OUTPUT.png [--depth 8|16] [--size WxH]
//           [--scene lit|ahead|behind|none|arrows|crowded|chase]
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

// The sizes a picture may take, from a thumbnail to far past any screen.
constexpr int32_t kMostSide = 4096, kLeastSide = 64;

int Usage() {
    std::fprintf(stderr,
                 "Usage: hudshot DATA_ROOT OUTPUT.png [--depth 8|16] [--size WxH] "
                 "[--scene lit|ahead|behind|none|arrows|crowded|chase]\n");
    return 2;
}

bool ParseSize(const char* text, int32_t* width, int32_t* height) {
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &w, &h, &tail) != 2) return false;
    if (w < kLeastSide || h < kLeastSide || w > kMostSide || h > kMostSide) return false;
    *width = w;
    *height = h;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) return Usage();
    int32_t depth = 16;
    int32_t width = 640, height = 480;
    HudShotScene scene = HudShotScene::kLit;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--depth") == 0) {
            depth = std::strcmp(argv[i + 1], "8") == 0 ? 8 : 16;
        } else if (std::strcmp(argv[i], "--size") == 0) {
            if (!ParseSize(argv[i + 1], &width, &height)) return Usage();
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
        ScreenCanvas8 canvas(width, height, nullptr, nullptr, palette, 0, 0, 0);
        if (canvas.setupResult == kStatusOk && DrawHudShot(canvas, game, 0, scene) == kStatusOk) rgb = CanvasToRgbBytes(canvas);
    } else {
        ScreenCanvas16 canvas(width, height, nullptr, nullptr, palette, 0, 0, 0);
        if (canvas.setupResult == kStatusOk && DrawHudShot(canvas, game, 0, scene) == kStatusOk) rgb = CanvasToRgbBytes(canvas);
    }
    if (rgb.empty() || !platform::WriteRgbPng(argv[2], width, height, rgb.data())) {
        std::fprintf(stderr, "hudshot: cannot draw or write %s\n", argv[2]);
        return 1;
    }
    std::printf("HUD drawn at %d bits into %s\n", depth, argv[2]);
    return 0;
}
