// Renders a mesh of the sample data tree into a software canvas of 8 or 16
// bits and writes the picture as a PNG file:
//   render DATA_ROOT OUTPUT.png [--depth 8|16|3d] [--mesh FILE | --scene FILE | --figure FILE]
//   render DATA_ROOT OUTPUT.png [--depth 8|16] --effect explosion|beam|shot|nebula|dust [--at MS]
// "3d" draws through the 3D hardware display kind and its canvas. An effect
// is drawn `--at` milliseconds after it started (the explosion's frames
// last 200 ms each).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/D3DCanvas.h"
#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/CanvasRgb.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "platform/PngWriter.h"
#include "scene/OstrelSystem.h"
#include "tools/render/EffectShot.h"
#include "tools/render/Hardware3dTarget.h"
#include "tools/render/SampleScene.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;
// The sample figure is drawn with its arm at this frame of its animation.
constexpr int32_t kFigureFrame = 2;

int Usage() {
    std::fprintf(stderr,
                 "Usage: render DATA_ROOT OUTPUT.png [--depth 8|16|3d] [--mesh FILE | --scene FILE | --figure FILE]\n"
                 "       render DATA_ROOT OUTPUT.png [--depth 8|16] --effect explosion|beam|shot|nebula|dust [--at MS]\n");
    return 2;
}

// Draws one effect into a software canvas and writes it; the exit status.
int RenderEffect(const char* kind, uint32_t at, int32_t depth, const char* output) {
    EffectShot shot;
    const Status loaded = shot.Load(kind, at);
    if (loaded != kStatusOk) {
        std::fprintf(stderr, "render: cannot show the effect %s (%u)\n", kind, loaded);
        return loaded == kStatusNotThisRecord ? Usage() : 1;
    }
    std::vector<uint8_t> rgb;
    bool drawn = false;
    if (depth == 8) {
        ScreenCanvas8 canvas(kWidth, kHeight, nullptr, nullptr, shot.palette, Canvas::kFlagHasDepth, 0, 0);
        drawn = canvas.setupResult == kStatusOk && shot.Draw(canvas) == kStatusOk;
        if (drawn) rgb = CanvasToRgbBytes(canvas);
    } else {
        ScreenCanvas16 canvas(kWidth, kHeight, nullptr, nullptr, shot.palette, Canvas::kFlagHasDepth, 0, 0);
        drawn = canvas.setupResult == kStatusOk && shot.Draw(canvas) == kStatusOk;
        if (drawn) rgb = CanvasToRgbBytes(canvas);
    }
    if (!drawn || !platform::WriteRgbPng(output, kWidth, kHeight, rgb.data())) {
        std::fprintf(stderr, "render: cannot draw or write %s\n", output);
        return 1;
    }
    std::printf("Rendered the effect %s at %u ms into %s\n", kind, at, output);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    int32_t depth = 16;
    const char* mesh = "hull.iff";
    const char* sceneFile = nullptr;
    bool figure = false;
    const char* effect = nullptr;
    uint32_t at = 0;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--depth") == 0) {
            depth = std::strcmp(argv[i + 1], "8") == 0 ? 8 : std::strcmp(argv[i + 1], "3d") == 0 ? 3 : 16;
        } else if (std::strcmp(argv[i], "--mesh") == 0) {
            mesh = argv[i + 1];
        } else if (std::strcmp(argv[i], "--scene") == 0) {
            sceneFile = argv[i + 1];
        } else if (std::strcmp(argv[i], "--effect") == 0) {
            effect = argv[i + 1];
        } else if (std::strcmp(argv[i], "--at") == 0) {
            at = uint32_t(std::strtoul(argv[i + 1], nullptr, 10));
        } else if (std::strcmp(argv[i], "--figure") == 0) {
            sceneFile = argv[i + 1];
            figure = true;
        } else {
            return Usage();
        }
    }
    if (!g_dataDirs.Find(argv[1])) {
        std::fprintf(stderr, "render: no sample data tree under %s (run mkdata first)\n", argv[1]);
        return 1;
    }
    int status = 1;
    {
        // The engine as the game starts it: heap, colour tables, scratch arenas.
        OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        if (engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr) != kStatusOk) {
            std::fprintf(stderr, "render: cannot start the engine\n");
            return 1;
        }
        g_pixelFormat = depth == 8 ? kPixelFormatIndexed8 : kPixelFormatRgb565;
        if (effect != nullptr) return RenderEffect(effect, at, depth, argv[2]);
        if (depth == 3) g_graphicsDriver = kGraphicsDriverDirect3d;
        SampleScene scene;
        if (sceneFile != nullptr) mesh = sceneFile;
        const std::string meshes = g_dataDirs.Prefix(DataDir::kMesh);
        const Status loaded = figure               ? scene.LoadFigure(meshes, sceneFile, kFigureFrame)
                              : sceneFile != nullptr ? scene.LoadScene(meshes, sceneFile)
                                                     : scene.Load(meshes, mesh);
        if (loaded != kStatusOk) {
            std::fprintf(stderr, "render: cannot load %s (%u)\n", mesh, loaded);
        } else {
            std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
            bool drawn = false;
            if (depth == 3) {
                Hardware3dTarget target;
                drawn = target.Open(scene.palette, kWidth, kHeight) == kStatusOk &&
                        scene.Draw(*target.Canvas()) == kStatusOk && target.ReadRgb(&rgb);
            } else if (depth == 8) {
                ScreenCanvas8 canvas(kWidth, kHeight, nullptr, nullptr, scene.palette, Canvas::kFlagHasDepth, 0, 0);
                drawn = canvas.setupResult == kStatusOk && scene.Draw(canvas) == kStatusOk;
                if (drawn) rgb = CanvasToRgbBytes(canvas);
            } else {
                ScreenCanvas16 canvas(kWidth, kHeight, nullptr, nullptr, scene.palette, Canvas::kFlagHasDepth, 0, 0);
                drawn = canvas.setupResult == kStatusOk && scene.Draw(canvas) == kStatusOk;
                if (drawn) rgb = CanvasToRgbBytes(canvas);
            }
            if (drawn && platform::WriteRgbPng(argv[2], kWidth, kHeight, rgb.data())) {
                std::printf("Rendered %s %s into %s\n", mesh, depth == 3 ? "through the 3D kind" : depth == 8 ? "at 8 bits" : "at 16 bits", argv[2]);
                status = 0;
            } else {
                std::fprintf(stderr, "render: cannot draw or write %s\n", argv[2]);
            }
        }
    }
    return status;
}
