// A camera inside a model (an ejected pilot's inside the hull he left): every
// wall but the far one crosses the near plane. On both display kinds a pixel
// is lit just where its ray, cast here apart from the render path, leaves the
// box at least the near distance deep.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "canvas/D3DCanvas.h"
#include "canvas/ScreenCanvas16.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "scene/Camera.h"
#include "scene/Model.h"
#include "scene/OstrelSystem.h"
#include "scene/SceneObject.h"
#include "scene/ViewContext.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SampleDataSuite.h"
#include "tests/support/ScopedDisplay.h"
#include "tools/render/Hardware3dTarget.h"

namespace {

constexpr int32_t kWidth = 320, kHeight = 240;
// The box round the eye at the origin: just in front of its left wall and
// floor, its back wall behind.
constexpr float kLow[3] = {-0.3f, -0.5f, -2.0f}, kHigh[3] = {40.0f, 30.0f, 60.0f};

// The box's six walls, two flat faces each, seen from both sides.
struct Room {
    std::vector<MeshVertex> corners;
    std::vector<FaceRecord> faces;
    Model model;
    SceneObject object;

    explicit Room(uint32_t colour) {
        for (int i = 0; i < 8; ++i) {
            corners.push_back({(i & 1) ? kHigh[0] : kLow[0], (i & 2) ? kHigh[1] : kLow[1], (i & 4) ? kHigh[2] : kLow[2], 0, 0, 0, 0, 0});
        }
        // Each wall: the corners with one coordinate's bit fixed.
        for (int axis = 0; axis < 3; ++axis) {
            const int u = 1 << ((axis + 1) % 3), v = 1 << ((axis + 2) % 3);
            for (const int side : {0, 1 << axis}) {
                for (const auto& [b, c] : {std::pair{u, u | v}, std::pair{u | v, v}}) {
                    FaceRecord& face = faces.emplace_back();
                    face.flags = 0x2, face.colour = colour;   // filled, flat, unlit
                    face.a = uint16_t(side), face.b = uint16_t(side | b), face.c = uint16_t(side | c);
                }
            }
        }
        model.vertices = corners.data(), model.vertexCount = uint32_t(corners.size());
        model.faces = faces.data(), model.faceCount = uint32_t(faces.size());
        model.sphere.centre = Vector3{(kLow[0] + kHigh[0]) / 2, (kLow[1] + kHigh[1]) / 2, (kLow[2] + kHigh[2]) / 2};
        model.sphere.radius = Vector3{kHigh[0] - kLow[0], kHigh[1] - kLow[1], kHigh[2] - kLow[2]}.Length() / 2;
        object.AttachModel(&model, SceneObject::kAttachUpdateBounds);
    }
    ~Room() { object.DetachModel(); }
};

// Draws the room through a camera at the origin looking down +z; returns
// the shape of what must be lit, a byte a pixel.
std::vector<uint8_t> DrawRoom(Canvas& canvas, Room& room, Palette& palette) {
    Camera camera;
    camera.flags = Camera::kFlightFlags;
    camera.SetCanvas(&canvas);
    camera.SetPosition(Vector3{0.0f, 0.0f, 0.0f});
    camera.LookAt(Vector3{0.0f, 0.0f, 1.0f}, Camera::kAllFlags);
    camera.background = palette.MatchColor(0x000000);
    ViewContext view;
    view.camera = &camera, view.objectList = &room.object;
    PushViewContext(&view);
    EXPECT_EQ(camera.BeginFrame(), 0u);
    camera.DrawScene(), camera.EndFrame();
    PopViewContext(&view);
    std::vector<uint8_t> shape(size_t(kWidth) * kHeight);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            // The ray through the pixel leaves the box at the nearest wall ahead of it on any axis.
            const double ray[3] = {(x - kWidth / 2) / double(camera.scaleX), (kHeight / 2 - y) / double(camera.scaleY), 1.0};
            double leaves = 1e30;
            for (int a = 0; a < 3; ++a) if (ray[a] != 0.0) leaves = std::min(leaves, (ray[a] > 0 ? kHigh[a] : kLow[a]) / ray[a]);
            shape[size_t(y) * kWidth + x] = leaves >= camera.nearZ;
        }
    }
    return shape;
}

// Whether every pixel within reach of (x, y) has the value in the shape.
bool All(const std::vector<uint8_t>& shape, int32_t x, int32_t y, int32_t reach, uint8_t value) {
    for (int32_t j = -reach; j <= reach; ++j) {
        for (int32_t i = -reach; i <= reach; ++i) {
            if (shape[size_t(std::clamp(y + j, 0, kHeight - 1)) * kWidth + std::clamp(x + i, 0, kWidth - 1)] != value) return false;
        }
    }
    return true;
}

class NearPlaneClipTest : public SampleDataSuite, public testing::WithParamInterface<bool> {};

TEST_P(NearPlaneClipTest, WallsCrossingTheNearPlaneDrawOnlyBeyondIt) {
    g_pixelFormat = kPixelFormatRgb565;
    OstrelSystem engine{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    GameState palettes;
    Palette* const palette = palettes.LoadPalette("Vorn");
    ASSERT_NE(palette, nullptr);
    Room room(palette->MatchColor(0x40C0E0));
    std::vector<uint8_t> shape, rgb;
    if (GetParam()) {   // the 3D kind
        ScopedDisplay display;
        Hardware3dTarget target;
        ASSERT_EQ(target.Open(palette, kWidth, kHeight), kStatusOk);
        shape = DrawRoom(*target.Canvas(), room, *palette);
        ASSERT_TRUE(target.ReadRgb(&rgb));
    } else {
        ScreenCanvas16 canvas(kWidth, kHeight, nullptr, nullptr, palette, Canvas::kFlagHasDepth, 0, 0);
        canvas.EnableDepthTest();
        shape = DrawRoom(canvas, room, *palette);
        rgb = CanvasToRgb(canvas).rgb;
    }
    // Every lit pixel lies within a pixel of the shape; the shape two in from its edges is lit.
    int32_t strays = 0, holes = 0, inside = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            const uint8_t* const p = &rgb[(size_t(y) * kWidth + x) * 3];
            const bool lit = (p[0] | p[1] | p[2]) != 0;
            strays += lit && All(shape, x, y, 1, 0) ? 1 : 0;
            if (All(shape, x, y, 2, 1)) ++inside, holes += lit ? 0 : 1;
        }
    }
    EXPECT_EQ(strays, 0) << "lit where the near plane cut the walls away";
    // The near plane cuts a band off the left and bottom, and leaves most.
    EXPECT_TRUE(inside > kWidth * kHeight / 2 && inside < kWidth * kHeight * 9 / 10) << inside;
    EXPECT_LE(holes, inside / 100) << holes << " of " << inside << " pixels unlit";
}

INSTANTIATE_TEST_SUITE_P(BothDisplayKinds, NearPlaneClipTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Hardware3d" : "Software"; });

}  // namespace
