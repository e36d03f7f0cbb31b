// The fully lit HUD as tools/hudshot draws it, on both screen depths.
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

TEST(HudShotTest, TheLitHudMatchesItsGoldenPictures) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    for (const int32_t format : {kPixelFormatIndexed8, kPixelFormatRgb565}) {
        OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
        g_pixelFormat = format;
        ASSERT_EQ(LoadFont((g_dataDirs.Prefix(DataDir::kData) + kHudFontFile).c_str(), nullptr), kStatusOk);
        GameState game;
        Palette* const palette = game.LoadPalette("Vorn");
        ASSERT_NE(palette, nullptr);
        if (format == kPixelFormatIndexed8) {
            ScreenCanvas8 canvas(640, 480, nullptr, nullptr, palette, 0, 0, 0);
            ASSERT_EQ(DrawHudShot(canvas, game, 0), kStatusOk);
            EXPECT_TRUE(MatchesGolden(canvas, "hud8"));
        } else {
            ScreenCanvas16 canvas(640, 480, nullptr, nullptr, palette, 0, 0, 0);
            ASSERT_EQ(DrawHudShot(canvas, game, 0), kStatusOk);
            EXPECT_TRUE(MatchesGolden(canvas, "hud16"));
        }
    }
    g_pixelFormat = kPixelFormatRgb565;
    g_dataDirs.Clear();
}

}  // namespace
