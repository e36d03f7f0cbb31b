#include "display/FontContext.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/EngineHeap.h"
#include "display/FontLoader.h"
#include "display/PixelImage.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

TEST(FontLayer, StartsOnceWithDefaultColoursAndStopsCleanly) {
    ASSERT_EQ(g_fontContext, nullptr);
    ASSERT_EQ(StartFonts(), kStatusOk);
    FontContext* const context = g_fontContext;
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->current, nullptr);
    EXPECT_EQ(context->foreground, 1u);
    EXPECT_EQ(context->background, 0u);
    EXPECT_EQ(context->fontCount, 0u);
    EXPECT_EQ(context->fontCapacity, 2u);
    EXPECT_EQ(context->spareCapacity, 2u);
    EXPECT_EQ(StartFonts(), kStatusOk);
    EXPECT_EQ(g_fontContext, context);
    StopFonts();
    EXPECT_EQ(g_fontContext, nullptr);
    StopFonts();
}

TEST(FontLayer, AContextThatCannotBeHadIsNotStarted) {
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    EXPECT_EQ(StartFonts(), kStatusFontNoMemory);
    EXPECT_EQ(g_fontContext, nullptr);
}

// Three fonts loaded, the last one current: fixed 128 glyphs of 8 x 3,
// fixed 256 glyphs of 6 x 2 and proportional 128 glyphs of height 4.
class FontContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        Load(GfntBuilder("fixed", 8, 3, 3, FontRecord::kFixed128));
        Load(GfntBuilder("fixed256", 6, 2, 2, FontRecord::kFixed256));
        Load(GfntBuilder("prop", 8, 4, 5, FontRecord::kProportional128));
    }
    void Load(GfntBuilder font) {
        const std::string path = GfntBuilder::WriteFile(dir_, font.name, font.Fill().Form());
        ASSERT_EQ(LoadFont(path.c_str(), nullptr), kStatusOk);
    }
    static FontRecord& Record(int i) { return g_fontContext->fonts[i]; }

    TempDir dir_;
    ScopedFontLayer fonts_;
};

TEST_F(FontContextTest, SelectFontMovesTheGlyphViewToTheFontSelected) {
    ASSERT_EQ(g_fontContext->current, &Record(2));
    EXPECT_EQ(SelectFont("fixed"), kStatusOk);
    EXPECT_EQ(g_fontContext->current, &Record(0));
    EXPECT_EQ(Record(0).glyphView, Record(0).glyphs);
    EXPECT_EQ(Record(2).glyphView, nullptr);
    EXPECT_EQ(FontHeight(), 3u);
    EXPECT_EQ(SelectFont("fixed"), kStatusOk);
    EXPECT_EQ(g_fontContext->current, &Record(0));
}

TEST_F(FontContextTest, SelectFontOfNoLoadedNameChangesNothing) {
    EXPECT_EQ(SelectFont(nullptr), kStatusFontNotFound);
    EXPECT_EQ(SelectFont("missing"), kStatusFontNotFound);
    EXPECT_EQ(SelectFont("fixe"), kStatusFontNotFound);
    EXPECT_EQ(SelectFont(""), kStatusFontNotFound);
    EXPECT_EQ(g_fontContext->current, &Record(2));
}

TEST_F(FontContextTest, NamesAreComparedOverSixteenCharacters) {
    // A name that fills its field has no terminator in the record.
    Load(GfntBuilder("SixteenCharsLong", 8, 5, 5, FontRecord::kFixed128));
    ASSERT_EQ(SelectFont("fixed"), kStatusOk);
    EXPECT_EQ(SelectFont("SixteenCharsLon"), kStatusFontNotFound);
    EXPECT_EQ(SelectFont("SixteenCharsLong"), kStatusOk);
    EXPECT_EQ(FontHeight(), 5u);
    ASSERT_EQ(SelectFont("fixed"), kStatusOk);
    EXPECT_EQ(SelectFont("SixteenCharsLong and more"), kStatusOk);
    EXPECT_EQ(FontHeight(), 5u);
}

TEST_F(FontContextTest, AFontWithoutGlyphsIsFoundButNotSelected) {
    uint8_t* const glyphs = Record(0).glyphs;
    Record(0).glyphs = nullptr;
    EXPECT_EQ(SelectFont("fixed"), kStatusFontNoGlyphs);
    EXPECT_EQ(g_fontContext->current, nullptr);
    EXPECT_EQ(Record(2).glyphView, nullptr);
    EXPECT_EQ(FontHeight(), 0u);
    Record(0).glyphs = glyphs;
}

TEST_F(FontContextTest, FixedWidthsAreTheFontWidthForCodesInsideTheFont) {
    ASSERT_EQ(SelectFont("fixed"), kStatusOk);
    EXPECT_EQ(FontCharWidth('a'), 8u);
    EXPECT_EQ(FontCharWidth(char(200)), 0u);
    EXPECT_EQ(FontStringWidth("abc"), 24u);
    EXPECT_EQ(FontStringWidth(""), 0u);
    ASSERT_EQ(SelectFont("fixed256"), kStatusOk);
    EXPECT_EQ(FontCharWidth(char(200)), 6u);
    EXPECT_EQ(FontStringWidth("a\xC8"), 12u);
}

TEST_F(FontContextTest, ProportionalWidthsComeFromEachGlyph) {
    EXPECT_EQ(FontCharWidth('A'), GfntBuilder::ProportionalWidth('A'));
    EXPECT_EQ(FontCharWidth(char(200)), 0u);
    EXPECT_EQ(FontStringWidth("abc"), uint32_t(GfntBuilder::ProportionalWidth('a') +
                                              GfntBuilder::ProportionalWidth('b') +
                                              GfntBuilder::ProportionalWidth('c')));
}

TEST_F(FontContextTest, WithoutACurrentFontEveryMeasureIsZero) {
    DropCurrentFont();
    EXPECT_EQ(FontCharWidth('A'), 0u);
    EXPECT_EQ(FontHeight(), 0u);
    EXPECT_EQ(FontStringWidth("abc"), 0u);
    RecordingCanvas canvas;
    EXPECT_EQ(DrawFontChar(&canvas, 0, 0, 'A', false), 0u);
    EXPECT_TRUE(canvas.Calls().empty());
}

TEST_F(FontContextTest, AGlyphIsDrawnAsAOneBitImageOfItsRowsInTheFontColours) {
    ASSERT_EQ(SelectFont("fixed"), kStatusOk);
    EXPECT_EQ(SetFontColors(0x10FF8000, Canvas::kColorTransparent), kStatusOk);
    RecordingCanvas canvas;
    GlyphRecorder glyphs(canvas);
    EXPECT_EQ(DrawFontChar(&canvas, 10, 20, 'Q', false), 8u);
    EXPECT_EQ(canvas.Ops(), (std::vector<std::string>{"Lock", "DrawMonoImage", "Unlock"}));
    ASSERT_EQ(glyphs.Glyphs().size(), 1u);
    const DrawnGlyph& drawn = glyphs.Glyphs()[0];
    EXPECT_EQ(drawn.code, 'Q');
    EXPECT_EQ(drawn.rect.x, 10);
    EXPECT_EQ(drawn.rect.y, 20);
    EXPECT_EQ(drawn.rect.width, 8);
    EXPECT_EQ(drawn.rect.height, 3);
    EXPECT_EQ(drawn.imageWidth, 8);
    EXPECT_EQ(drawn.imageHeight, 3);
    EXPECT_EQ(drawn.imageFormat, PixelImage::kFormat1Bit);
    EXPECT_EQ(drawn.foreground, 0x10FF8000u);
    EXPECT_EQ(drawn.background, Canvas::kColorTransparent);
    EXPECT_EQ(canvas.locked, 0);
    EXPECT_EQ(DrawFontChar(&canvas, 10, 20, 'Q', true), 3u);
}

TEST_F(FontContextTest, AProportionalGlyphIsItsOwnWidthAndItsRowsFollowTheWidthByte) {
    RecordingCanvas canvas;
    GlyphRecorder glyphs(canvas);
    EXPECT_EQ(DrawFontChar(&canvas, 0, 0, 'A', false), GfntBuilder::ProportionalWidth('A'));
    ASSERT_EQ(glyphs.Glyphs().size(), 1u);
    EXPECT_EQ(glyphs.Glyphs()[0].code, 'A');
    EXPECT_EQ(glyphs.Glyphs()[0].rect.width, GfntBuilder::ProportionalWidth('A'));
    EXPECT_EQ(glyphs.Glyphs()[0].rect.height, 4);
}

TEST_F(FontContextTest, ALockedCanvasStaysLockedAndOneThatCannotBeDrawnOnIsLeftAlone) {
    RecordingCanvas canvas;
    canvas.Lock();
    canvas.ForgetCalls();
    EXPECT_EQ(DrawFontChar(&canvas, 0, 0, 'A', false), GfntBuilder::ProportionalWidth('A'));
    EXPECT_EQ(canvas.Ops(), (std::vector<std::string>{"Lock", "DrawMonoImage"}));
    EXPECT_EQ(canvas.locked, 1);

    RecordingCanvas unusable;
    unusable.ScriptResult("Lock", uint32_t(-1));
    EXPECT_EQ(DrawFontChar(&unusable, 0, 0, 'A', false), GfntBuilder::ProportionalWidth('A'));
    EXPECT_EQ(unusable.Ops(), (std::vector<std::string>{"Lock"}));
}

TEST_F(FontContextTest, CodesOutsideTheFontDrawNothing) {
    ASSERT_EQ(SelectFont("fixed"), kStatusOk);
    RecordingCanvas canvas;
    EXPECT_EQ(DrawFontChar(&canvas, 0, 0, char(200), false), 0u);
    EXPECT_EQ(DrawFontChar(&canvas, 0, 0, char(200), true), 3u);
    ASSERT_EQ(SelectFont("prop"), kStatusOk);
    EXPECT_EQ(DrawFontChar(&canvas, 0, 0, char(200), false), 0u);
    EXPECT_TRUE(canvas.Calls().empty());
    ASSERT_EQ(SelectFont("fixed256"), kStatusOk);
    GlyphRecorder glyphs(canvas);
    EXPECT_EQ(DrawFontChar(&canvas, 0, 0, char(200), false), 6u);
    ASSERT_EQ(glyphs.Glyphs().size(), 1u);
    EXPECT_EQ(glyphs.Glyphs()[0].code, 200);
}

}  // namespace
