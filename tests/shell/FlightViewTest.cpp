// The flight view: the sample mission's world under the HUD, pictured on the
// 16-bit software canvas and through the 3D kind after 40 frames of 50 ms,
// and the camera, palettes and listener a frame leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "canvas/D3DCanvas.h"
#include "canvas/ScreenCanvas16.h"
#include "display/CanvasRect.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/MissionSetUp.h"
#include "mission/MissionSky.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "scene/Camera.h"
#include "scene/Frame.h"
#include "scene/Light.h"
#include "scene/ViewContext.h"
#include "scene/OstrelSystem.h"
#include "shell/FlightView.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/TempDir.h"
#include "tools/flightshot/FlightShot.h"
#include "tools/mkdata/SampleTree.h"
#include "tools/render/Hardware3dTarget.h"

namespace {

constexpr int32_t kFrames = 40;
constexpr int32_t kSeed = 1;
constexpr const char* kMission = "sample.uli";

// An effect of an object group that notes how it was drawn. The group owns
// it; what it saw outlives it.
class DrawProbe : public NamedObject {
public:
    struct Seen {
        int32_t draws = 0;
        const Palette* palette = nullptr;
        const void* lights = nullptr;
        const NamedObject* listHead = nullptr;
        const NamedObject* listNext = nullptr;
    };
    explicit DrawProbe(Seen& seen) : NamedObject(kTypeUntyped), seen_(seen) {}
    void Draw() override {
        ++seen_.draws;
        seen_.palette = g_viewContext->camera->canvas->palette;
        seen_.lights = g_viewContext->lights;
        seen_.listHead = g_viewContext->objectList;
        seen_.listNext = next;
    }

private:
    Seen& seen_;
};

Vector3 Translation(const Transform& placement) {
    Vector3 at;
    placement.matrix.GetTranslation(&at);
    return at;
}

Vector3 Row(const Transform& placement, int32_t row) {
    return Vector3{placement.matrix.rows[row][0], placement.matrix.rows[row][1], placement.matrix.rows[row][2]};
}

Vector3 Unit(Vector3 v) {
    v.Normalize();
    return v;
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

class FlightViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        g_pixelFormat = kPixelFormatRgb565;
        ASSERT_EQ(engine_.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    }
    void TearDown() override { g_dataDirs.Clear(); }

    // The sample flight's frame `kFrames` on a 640 x 480 16-bit software canvas.
    RgbImage SoftwarePicture() {
        FlightShot flight;
        EXPECT_EQ(flight.Load(kMission, kSeed), kStatusOk);
        ScreenCanvas16 canvas(640, 480, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
        canvas.EnableDepthTest();
        for (int32_t frame = 0; frame < kFrames; ++frame) flight.Frame(canvas);
        return CanvasToRgb(canvas);
    }

    const TempDir dir_;
    OstrelSystem engine_{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
};

TEST_F(FlightViewTest, TheSampleFlightOnTheSoftwareCanvasMatchesItsGoldenPicture) {
    EXPECT_TRUE(MatchesGolden(SoftwarePicture(), "flight16"));
}

TEST_F(FlightViewTest, TheSampleFlightThroughThe3dKindMatchesItsGoldenPicture) {
    ScopedDisplay display;
    FlightShot flight;
    ASSERT_EQ(flight.Load(kMission, kSeed), kStatusOk);
    Hardware3dTarget target;
    ASSERT_EQ(target.Open(flight.palette, 640, 480), kStatusOk);
    for (int32_t frame = 0; frame < kFrames; ++frame) flight.Frame(*target.Canvas());
    RgbImage picture;
    picture.width = 640;
    picture.height = 480;
    ASSERT_TRUE(target.ReadRgb(&picture.rgb));
    EXPECT_TRUE(MatchesGolden(picture, "flight3d"));
}

// Behind the player's ship on the chase object's side, above it, turned to
// it, and far enough back to hold it whole; any other mode looks out from the
// viewed ship along its own axes.
TEST_F(FlightViewTest, TheChaseViewLooksAtTheViewedShipFromBehindItAndOtherModesFromIt) {
    FlightShot flight;
    ASSERT_EQ(flight.Load(kMission, kSeed), kStatusOk);
    ScreenCanvas16 canvas(640, 480, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
    GameState& game = flight.Game();
    ASSERT_EQ(game.viewMode, kChaseViewMode);
    for (int32_t frame = 0; frame < 5; ++frame) flight.Frame(canvas);
    const SpaceObject& ship = *game.viewedObject;
    const Camera& camera = *game.flightCamera;
    const Vector3 eye = Translation(camera.transform);
    const Vector3 toShip = ship.Position().Difference(eye);
    EXPECT_GT(toShip.Length(), 10.0f * ship.Radius());
    EXPECT_GT(Dot(Unit(toShip), Unit(Row(camera.transform, 2))), 0.999f);
    EXPECT_GT(Dot(Unit(game.chaseObject->Position().Difference(ship.Position())), Unit(eye.Difference(ship.Position()))), 0.9f);
    EXPECT_GT(Dot(eye.Difference(ship.Position()), Unit(Row(ship.world, 1))), ship.Radius());

    game.viewMode = 0;
    flight.Frame(canvas);
    EXPECT_LT(Translation(camera.transform).Difference(ship.Position()).Length(), 0.01f);
    EXPECT_GT(Dot(Unit(Row(camera.transform, 2)), Unit(Row(ship.world, 2))), 0.999f);
}

// An effect draws alone, under its group's palette and the mission's lights
// (ambient first); afterwards the canvas has its own palette again and the
// lights are parted, so that the mission can free them in any order.
TEST_F(FlightViewTest, AGroupDrawsAloneUnderItsPaletteAndTheFrameGivesEverythingBack) {
    FlightShot flight;
    ASSERT_EQ(flight.Load(kMission, kSeed), kStatusOk);
    ScreenCanvas16 canvas(640, 480, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
    GameState& game = flight.Game();
    DrawProbe::Seen seen;
    DrawProbe::Seen plainSeen;
    auto* const probe = new DrawProbe(seen);
    auto* const plain = new DrawProbe(plainSeen);
    game.RegisterObjectGroup(plain, nullptr, 1);
    game.RegisterObjectGroup(probe, game.explodePalette, 1);
    DrawProbe::Seen neighbourSeen;
    DrawProbe neighbour(neighbourSeen);
    probe->next = &neighbour;
    flight.Frame(canvas);

    EXPECT_EQ(seen.draws, 1);
    EXPECT_EQ(seen.palette, game.explodePalette);
    EXPECT_EQ(plainSeen.palette, flight.palette);
    EXPECT_EQ(seen.listHead, probe);
    EXPECT_EQ(seen.listNext, nullptr);
    EXPECT_EQ(neighbourSeen.draws, 0);
    EXPECT_EQ(probe->next, &neighbour);
    probe->next = nullptr;
    EXPECT_EQ(seen.lights, game.mission->ambient);
    EXPECT_EQ(canvas.palette, flight.palette);
    EXPECT_EQ(game.mission->ambient->next, nullptr);
}

// The player's ship destroyed, the wreck view watches the wreck from the
// chase object's side but never from inside it: the camera stays clear of
// the wreck, and its faces cover no more than part of the picture.
TEST_F(FlightViewTest, TheWreckOfThePlayersShipIsWatchedFromOutsideIt) {
    FlightShot flight;
    ASSERT_EQ(flight.Load(kMission, kSeed), kStatusOk);
    ScreenCanvas16 canvas(320, 240, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
    canvas.EnableDepthTest();
    GameState& game = flight.Game();
    for (int32_t frame = 0; frame < 5; ++frame) flight.Frame(canvas);
    auto* const ship = dynamic_cast<Craft*>(game.playerShip);
    ASSERT_NE(ship, nullptr);
    ship->Explode(nullptr, 0);
    ASSERT_EQ(game.viewMode, kWreckViewMode);
    for (int32_t frame = 0; frame < 30; ++frame) {
        flight.Frame(canvas);
        const Vector3 eye = Translation(game.flightCamera->transform);
        ASSERT_GT(eye.Difference(ship->Position()).Length(), 2.0f * ship->Radius()) << "frame " << frame;
        EXPECT_GT(Dot(Unit(ship->Position().Difference(eye)), Unit(Row(game.flightCamera->transform, 2))), 0.99f);
        const RgbImage picture = CanvasToRgb(canvas);
        int32_t lit = 0;
        for (size_t i = 0; i < picture.rgb.size(); i += 3) lit += (picture.rgb[i] | picture.rgb[i + 1] | picture.rgb[i + 2]) != 0;
        ASSERT_LT(lit, 320 * 240 / 2) << "frame " << frame;
    }
}

// The skirmish's backdrop cloud is translucent, so its faces wait among the
// frame's sorted primitives until the frame ends, after every pass has
// popped its view. The flight's picture with the cloud differs from the one
// without it, and where it differs, the cloud alone, drawn through the same
// camera in a frame of its own, lights the canvas.
TEST_F(FlightViewTest, TheSkirmishsNebulaShowsInTheFlightWhereItIsDrawnAlone) {
    FlightShot flight;
    ASSERT_EQ(flight.Load("skirmish.uli", kSeed), kStatusOk);
    ScreenCanvas16 canvas(320, 240, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
    canvas.EnableDepthTest();
    flight.Frame(canvas);
    GameState& game = flight.Game();
    ASSERT_NE(game.mission->sky, nullptr);
    NamedObject* const cloud = game.mission->sky->Nebulae();
    ASSERT_NE(cloud, nullptr);
    const auto frame = [&] {
        RenderFlightFrame(game, canvas, FlightShot::kFrameMs);
        return CanvasToRgb(canvas);
    };
    const RgbImage with = frame();
    cloud->flags |= Frame::kFlagHidden;
    const RgbImage without = frame();
    cloud->flags &= ~Frame::kFlagHidden;

    // Under the mission's own lights, as in flight.
    Light* const ambient = game.mission->ambient;
    ASSERT_NE(ambient, nullptr);
    ambient->next = game.mission->sky->JoinLights(nullptr);
    Camera& camera = *game.flightCamera;
    ViewContext view;
    view.camera = &camera;
    view.lights = ambient;
    view.objectList = cloud;
    PushViewContext(&view);
    ASSERT_EQ(camera.BeginFrame(), 0u);
    camera.DrawScene();
    camera.EndFrame();
    PopViewContext(&view);
    ambient->next = nullptr;
    const RgbImage alone = CanvasToRgb(canvas);

    int32_t changed = 0, changedUnderCloud = 0, cloudPixels = 0;
    for (size_t i = 0; i < with.rgb.size(); i += 3) {
        const bool lit = (alone.rgb[i] | alone.rgb[i + 1] | alone.rgb[i + 2]) != 0;
        const bool differs = with.rgb[i] != without.rgb[i] || with.rgb[i + 1] != without.rgb[i + 1] ||
                             with.rgb[i + 2] != without.rgb[i + 2];
        cloudPixels += lit ? 1 : 0;
        changed += differs ? 1 : 0;
        changedUnderCloud += differs && lit ? 1 : 0;
    }
    EXPECT_GT(cloudPixels, 320 * 240 / 50);
    EXPECT_GT(changed, cloudPixels / 2);
    EXPECT_GE(changedUnderCloud, changed * 9 / 10);
}

// Without a mission the frame is the HUD alone on black.
TEST_F(FlightViewTest, WithoutAMissionOnlyTheHudIsDrawn) {
    FlightShot flight;
    ASSERT_EQ(flight.Load(kMission, kSeed), kStatusOk);
    FreeMission();
    ASSERT_EQ(flight.Game().mission, nullptr);
    ScreenCanvas16 canvas(640, 480, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
    const CanvasRect all{0, 0, 640, 480};
    canvas.FillRect(&all, flight.palette->MatchColor(0xFFFFFF));
    RenderFlightFrame(flight.Game(), canvas, FlightShot::kFrameMs);
    const RgbImage picture = CanvasToRgb(canvas);
    int32_t lit = 0;
    for (const uint8_t byte : picture.rgb) lit += byte != 0 ? 1 : 0;
    EXPECT_GT(lit, 0);                                  // the HUD's labels
    EXPECT_LT(lit, int32_t(picture.rgb.size()) / 20);   // on black
}

}  // namespace
