// The HUD as tools/hudshot draws it: fully lit on both screen depths, and
// in flight with a target ahead, a target behind and none.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "display/CanvasRect.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "scene/OstrelSystem.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"
#include "tools/hudshot/HudShot.h"
#include "tools/mkdata/SampleTree.h"

namespace {

// The lit HUD on both depths; in flight at 16 bits, a target ahead under
// brackets beside the crosshair, a target behind off the screen with the
// arrow at the top left edge pointing the way to turn, and no target with
// "NO TARGET" and the arrow at the right edge towards the nav point; the
// arrow's eight directions, each head pointing the way to turn and clear of
// every text row; and a target up among the top rows, as the chase view
// shows one ahead, its two upper corners left out where they would cover
// the objective's text. The radar's scope stands under the crosshair in
// each, its target bracketed.
TEST(HudShotTest, TheHudMatchesItsGoldenPicturesLitWithATargetAheadBehindAndNoneAndItsArrowsAllRound) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    struct Case {
        int32_t format;
        HudShotScene scene;
        const char* golden;
    };
    for (const Case& c : {Case{kPixelFormatIndexed8, HudShotScene::kLit, "hud8"},
                          Case{kPixelFormatRgb565, HudShotScene::kLit, "hud16"},
                          Case{kPixelFormatRgb565, HudShotScene::kTargetAhead, "hud_target_ahead"},
                          Case{kPixelFormatRgb565, HudShotScene::kTargetBehind, "hud_target_behind"},
                          Case{kPixelFormatRgb565, HudShotScene::kNoTarget, "hud_no_target"},
                          Case{kPixelFormatRgb565, HudShotScene::kArrows, "hud_arrows"},
                          Case{kPixelFormatRgb565, HudShotScene::kChase, "hud_chase"}}) {
        OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
        g_pixelFormat = c.format;
        ASSERT_EQ(LoadFont((g_dataDirs.Prefix(DataDir::kData) + kHudFontFile).c_str(), nullptr), kStatusOk);
        GameState game;
        Palette* const palette = game.LoadPalette("Vorn");
        ASSERT_NE(palette, nullptr);
        if (c.format == kPixelFormatIndexed8) {
            ScreenCanvas8 canvas(640, 480, nullptr, nullptr, palette, 0, 0, 0);
            ASSERT_EQ(DrawHudShot(canvas, game, 0, c.scene), kStatusOk);
            EXPECT_TRUE(MatchesGolden(canvas, c.golden));
        } else {
            ScreenCanvas16 canvas(640, 480, nullptr, nullptr, palette, 0, 0, 0);
            ASSERT_EQ(DrawHudShot(canvas, game, 0, c.scene), kStatusOk);
            EXPECT_TRUE(MatchesGolden(canvas, c.golden));
        }
    }
    g_pixelFormat = kPixelFormatRgb565;
    g_dataDirs.Clear();
}

// At each of the game's screen sizes, with every text row of the HUD lit
// over black space: no text, crosshair, bracket or arrow lands in the radar
// scope's place, the scope draws nothing outside it, a crosshair laid over
// the scope is drawn all the same, and the warning and message lines keep
// off the instruments' rows.
TEST(HudShotTest, TheScopeKeepsClearOfEveryRowAtEachScreenSize) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    g_pixelFormat = kPixelFormatRgb565;
    ASSERT_EQ(LoadFont((g_dataDirs.Prefix(DataDir::kData) + kHudFontFile).c_str(), nullptr), kStatusOk);
    GameState game;
    Palette* const palette = game.LoadPalette("Vorn");
    ASSERT_NE(palette, nullptr);
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{800, 600}, std::pair{1024, 768}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        ScreenCanvas16 canvas(width, height, nullptr, nullptr, palette, 0, 0, 0);
        ASSERT_EQ(DrawHudShot(canvas, game, 0, HudShotScene::kCrowded), kStatusOk);
        Cockpit& cockpit = game.TheCockpit();
        const CanvasRect all{0, 0, width, height};
        const auto redraw = [&] {
            canvas.FillRect(&all, palette->MatchColor(0x000000));
            for (int32_t& hit : cockpit.shieldHits) hit = 2;
            cockpit.Draw(canvas, 0);
            return CanvasToRgb(canvas);
        };
        const RgbImage scoped = redraw();
        cockpit.readout.radar.shown = false;
        const RgbImage bare = redraw();
        cockpit.readout.radar.shown = true;

        const CanvasRect place = Cockpit::RadarPlace(width, height);
        int32_t covered = 0, strayed = 0, scope = 0;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const size_t at = (size_t(y) * size_t(width) + size_t(x)) * 3;
                const bool inside = x >= place.x - 1 && x <= place.x + place.width && y >= place.y - 1 &&
                                    y <= place.y + place.height;
                const bool lit = bare.rgb[at] != 0 || bare.rgb[at + 1] != 0 || bare.rgb[at + 2] != 0;
                const bool differs = std::memcmp(&bare.rgb[at], &scoped.rgb[at], 3) != 0;
                covered += inside && lit ? 1 : 0;
                strayed += !inside && differs ? 1 : 0;
                scope += inside && differs ? 1 : 0;
            }
        }
        EXPECT_EQ(covered, 0) << "the HUD draws into the scope's place";
        EXPECT_EQ(strayed, 0) << "the scope draws outside its place";
        EXPECT_GT(scope, 300) << "no scope drawn";

        // The sight wherever it points: over the scope too.
        cockpit.readout.aim = HudMark{};
        const RgbImage aimless = redraw();
        cockpit.readout.aim = HudMark{HudMark::kOnScreen, float(place.x + place.width / 2), float(place.y + place.width / 2)};
        EXPECT_FALSE(redraw() == aimless) << "the crosshair over the scope is left out";

        // The warning and message lines and the instruments: no pixel drawn by both.
        const auto lines = [&](bool on) {
            cockpit.ShowWarning(on ? "WARNING: Low fuel levels!" : "", 10000);
            cockpit.ShowMessage(on ? "Corsair: [good hunting, pilot]" : "", nullptr, 10000, 0);
        };
        lines(false);
        const RgbImage instruments = redraw();
        cockpit.readout.flying = false;
        const RgbImage neither = redraw();
        lines(true);
        const RgbImage messages = redraw();
        int32_t crossed = 0;
        for (size_t at = 0; at < neither.rgb.size(); at += 3) {
            const bool instrument = std::memcmp(&instruments.rgb[at], &neither.rgb[at], 3) != 0;
            const bool message = std::memcmp(&messages.rgb[at], &neither.rgb[at], 3) != 0;
            crossed += instrument && message ? 1 : 0;
        }
        EXPECT_EQ(crossed, 0) << "the warning or message line runs through the instruments' rows";
        cockpit.readout.flying = true;
    }
    g_dataDirs.Clear();
}

}  // namespace
