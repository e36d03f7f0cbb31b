// Writes each sample font as mkdata does and loads it back through the text
// layer, as the start-up does.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/FontData.h"

namespace {

class SampleFontsTest : public ::testing::Test {
protected:
    void LoadAll() {
        ASSERT_EQ(WriteSampleFonts(dir_.Str() + "/"), kStatusOk);
        for (const SampleFont& font : kSampleFonts) {
            ASSERT_EQ(LoadFont((dir_.Str() + "/" + font.fileName).c_str(), nullptr), kStatusOk) << font.fileName;
        }
    }

    TempDir dir_;
    ScopedFontLayer fonts_;
};

TEST_F(SampleFontsTest, EveryFontLoadsBackAsDrawnUnderItsOwnName) {
    LoadAll();
    for (int which = 0; which < kSampleFontCount; ++which) {
        const SampleFont& font = kSampleFonts[which];
        SCOPED_TRACE(font.fontName);
        ASSERT_EQ(SelectFont(font.fontName), kStatusOk);
        const FontRecord* loaded = g_fontContext->current;
        EXPECT_EQ(loaded->width, font.width);
        EXPECT_EQ(loaded->height, font.height);
        EXPECT_EQ(loaded->bytesPerGlyph, font.bytesPerGlyph);
        EXPECT_EQ(loaded->kind, font.kind);
        const std::vector<uint8_t> drawn = DrawSampleFont(which);
        ASSERT_EQ(drawn.size(), size_t{FontRecord::GlyphCount(font.kind)} * font.bytesPerGlyph);
        // Nothing was cut at load: every width already fits its glyph.
        EXPECT_EQ(std::memcmp(loaded->glyphs, drawn.data(), drawn.size()), 0);
    }
    // The option screens ask for these two.
    EXPECT_EQ(SelectFont("ttf"), kStatusOk);
    EXPECT_EQ(SelectFont("font07"), kStatusOk);
}

TEST_F(SampleFontsTest, GlyphsFollowTheDesign) {
    LoadAll();
    uint8_t rows[7];
    SampleGlyphRows('A', rows);
    // The design's A: a rounded top, a bar across the middle.
    EXPECT_EQ(rows[0], 0x0E);
    EXPECT_EQ(rows[3], 0x1F);

    // cockpitf: the design as it stands in the top left of a 6 x 8 cell.
    ASSERT_EQ(SelectFont("cockpitf"), kStatusOk);
    const uint8_t* glyph = g_fontContext->current->Glyph('A');
    for (int row = 0; row < 7; ++row) EXPECT_EQ(glyph[row], rows[row] << 3) << row;
    EXPECT_EQ(glyph[7], 0);

    // font03: proportional, the A five columns and a gap wide, the space 3.
    ASSERT_EQ(SelectFont("font03"), kStatusOk);
    EXPECT_EQ(FontCharWidth('A'), 6u);
    EXPECT_EQ(FontCharWidth('i'), 4u);
    EXPECT_EQ(FontCharWidth(' '), 3u);
    EXPECT_EQ(FontCharWidth('\t'), 0u);
    EXPECT_EQ(g_fontContext->current->Glyph('A')[1], rows[0] << 3);

    // ttf: of 256 codes, the design in bold: the A six columns and a gap.
    ASSERT_EQ(SelectFont("ttf"), kStatusOk);
    EXPECT_EQ(FontCharWidth('A'), 7u);
    EXPECT_EQ(FontCharWidth(' '), 3u);
    EXPECT_EQ(FontCharWidth(char(200)), 0u);

    // 5x7digit has the digits and nothing of the letters.
    ASSERT_EQ(SelectFont("5x7digit"), kStatusOk);
    const FontRecord* digits = g_fontContext->current;
    SampleGlyphRows('7', rows);
    EXPECT_EQ(digits->Glyph('7')[0], rows[0] << 3);
    for (int row = 0; row < 7; ++row) EXPECT_EQ(digits->Glyph('A')[row], 0) << row;
}

TEST_F(SampleFontsTest, EveryPrintableCharacterHasPixelsOrIsTheSpace) {
    for (char c = ' '; c <= '~'; ++c) {
        uint8_t rows[7];
        SampleGlyphRows(c, rows);
        int bits = 0;
        for (uint8_t row : rows) bits += row != 0;
        EXPECT_EQ(bits == 0, c == ' ') << c;
        for (uint8_t row : rows) EXPECT_EQ(row & ~0x1F, 0) << c;
    }
    uint8_t rows[7];
    SampleGlyphRows('\x7f', rows);
    for (uint8_t row : rows) EXPECT_EQ(row, 0);
}

TEST_F(SampleFontsTest, AnIndexOutOfRangeWritesNothing) {
    EXPECT_TRUE(DrawSampleFont(kSampleFontCount).empty());
    EXPECT_EQ(WriteSampleFont(-1, (dir_.Str() + "/x.iff").c_str()), kStatusNothingToDo);
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "x.iff"));
}

}  // namespace
