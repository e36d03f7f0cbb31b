// The HUD as tools/hudshot draws it: fully lit on both screen depths, and
// in flight with a target ahead, a target behind and none.
#include <gtest/gtest.h>

#include <string>

#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "display/PixelFormat.h"
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
// "NO TARGET" and the arrow at the right edge towards the nav point; and the
// arrow's eight directions, each head pointing the way to turn and clear of
// every text row.
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
                          Case{kPixelFormatRgb565, HudShotScene::kArrows, "hud_arrows"}}) {
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

}  // namespace
