#include "display/TextCursor.h"

#include <gtest/gtest.h>

#include <string>

#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int32_t kWidth = 8;
constexpr int32_t kHeight = 10;

// A fixed font of 8 x 10 ("fixed", current) and a proportional one of
// height 10 ("prop").
class TextCursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Load(GfntBuilder("prop", 8, kHeight, 1 + kHeight, FontRecord::kProportional128));
        Load(GfntBuilder("fixed", kWidth, kHeight, kHeight, FontRecord::kFixed128));
    }
    void Load(GfntBuilder font) {
        const std::string path = GfntBuilder::WriteFile(dir_, font.name, font.Fill().Form());
        ASSERT_EQ(LoadFont(path.c_str(), nullptr), kStatusOk);
    }
    // Every glyph lies inside box.
    void ExpectInside(const CanvasRect& box) const {
        for (const DrawnGlyph& glyph : glyphs_.Glyphs()) {
            const CanvasRect& r = glyph.rect;
            EXPECT_GE(r.x, box.x) << char(glyph.code);
            EXPECT_GE(r.y, box.y) << char(glyph.code);
            EXPECT_LE(r.x + r.width, box.x + box.width) << char(glyph.code) << " at " << r.x;
            EXPECT_LE(r.y + r.height, box.y + box.height) << char(glyph.code) << " at " << r.y;
        }
    }
    // The text drawn on each line, by the glyphs' y.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        int32_t lastY = INT32_MIN;
        for (const DrawnGlyph& glyph : glyphs_.Glyphs()) {
            if (glyph.rect.y != lastY) lines.emplace_back();
            lastY = glyph.rect.y;
            lines.back() += char(glyph.code);
        }
        return lines;
    }

    TempDir dir_;
    ScopedFontLayer fonts_;
    RecordingCanvas canvas_{640, 480};
    GlyphRecorder glyphs_{canvas_};
    TextCursor cursor_{&canvas_, 0, 0};
};

TEST_F(TextCursorTest, PutCharDrawsAtTheCursorAndMovesPastTheGlyph) {
    cursor_.x = 5;
    cursor_.y = 7;
    cursor_.PutChar('A');
    ASSERT_EQ(glyphs_.Glyphs().size(), 1u);
    EXPECT_EQ(glyphs_.Glyphs()[0].rect.x, 5);
    EXPECT_EQ(glyphs_.Glyphs()[0].rect.y, 7);
    EXPECT_EQ(cursor_.x, 5 + kWidth);
    EXPECT_EQ(cursor_.y, 7);
}

TEST_F(TextCursorTest, LineFeedReturnsToColumnZeroAndCarriageReturnDoesNothing) {
    cursor_.x = 40;
    cursor_.y = 7;
    cursor_.PutChar('\r');
    EXPECT_EQ(cursor_.x, 40);
    EXPECT_EQ(cursor_.y, 7);
    cursor_.PutChar('\n');
    EXPECT_EQ(cursor_.x, 0);
    EXPECT_EQ(cursor_.y, 7 + kHeight);
    EXPECT_TRUE(glyphs_.Glyphs().empty());
}

TEST_F(TextCursorTest, StringsAndNumbersAreWrittenCharacterByCharacter) {
    cursor_.PutString("ab\ncd");
    cursor_.PutLong(-2147483647 - 1);
    EXPECT_EQ(glyphs_.Text(), "abcd-2147483648");
    EXPECT_EQ(glyphs_.Glyphs()[2].rect.x, 0);
    EXPECT_EQ(glyphs_.Glyphs()[2].rect.y, kHeight);
    EXPECT_EQ(cursor_.x, 13 * kWidth);
    cursor_.PutString(nullptr);
    EXPECT_EQ(glyphs_.Glyphs().size(), 15u);
}

TEST_F(TextCursorTest, PrintfFormatsAndWritesAtMost255Characters) {
    cursor_.Printf("%d:%s", 42, "ok");
    EXPECT_EQ(glyphs_.Text(), "42:ok");
    EXPECT_EQ(cursor_.x, 5 * kWidth);
    glyphs_.Clear();
    const std::string longText(300, 'x');
    cursor_.Printf("%s", longText.c_str());
    EXPECT_EQ(glyphs_.Glyphs().size(), 255u);
}

TEST_F(TextCursorTest, TheDownFormsWriteAColumnAndIgnoreLineBreaks) {
    cursor_.x = 3;
    cursor_.y = 4;
    cursor_.PutStringDown("a\nb\r");
    cursor_.PutLongDown(7);
    cursor_.PrintfDown("%c", 'z');
    EXPECT_EQ(glyphs_.Text(), "ab7z");
    for (size_t i = 0; i < glyphs_.Glyphs().size(); ++i) {
        EXPECT_EQ(glyphs_.Glyphs()[i].rect.x, 3);
        EXPECT_EQ(glyphs_.Glyphs()[i].rect.y, int32_t(4 + i * kHeight));
    }
    EXPECT_EQ(cursor_.x, 3);
    EXPECT_EQ(cursor_.y, 4 + 4 * kHeight);
    // A character the font does not have still moves down a line.
    cursor_.PutCharDown(char(200));
    EXPECT_EQ(cursor_.y, 4 + 5 * kHeight);
}

TEST_F(TextCursorTest, CellsAreTheFontWidthByTheFontHeight) {
    TextPoint point;
    point.CellToPixel(2, 3);
    EXPECT_EQ(point.x, 3 * kWidth);
    EXPECT_EQ(point.y, 2 * kHeight);
    point.x = 4 * kWidth - 1;
    point.y = 5 * kHeight;
    uint8_t row = 0, column = 0;
    point.PixelToCell(&row, &column);
    EXPECT_EQ(column, 3);
    EXPECT_EQ(row, 5);
    DropCurrentFont();
    point.CellToPixel(2, 3);
    EXPECT_EQ(point.x, 0);
    EXPECT_EQ(point.y, 0);
    point.x = 100;
    point.PixelToCell(&row, &column);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 0);
}

TEST_F(TextCursorTest, WrappedWordsMoveToTheNextLineWhole) {
    const CanvasRect box{16, 20, 10 * kWidth, 3 * kHeight};
    cursor_.WriteWrapped("the quick brown fox jumps over the lazy dog", &box);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"the quick ", "brown fox ", "jumps over"}));
    ExpectInside(box);
    EXPECT_EQ(glyphs_.Glyphs()[10].rect.x, 16);
    EXPECT_EQ(glyphs_.Glyphs()[10].rect.y, 20 + kHeight);
}

TEST_F(TextCursorTest, AWordLongerThanALineIsBrokenAtTheEdge) {
    const CanvasRect box{0, 0, 4 * kWidth, 3 * kHeight};
    cursor_.WriteWrapped("abcdefghij kl", &box);
    // "kl" would start a fourth line.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abcd", "efgh", "ij "}));
    ExpectInside(box);
}

TEST_F(TextCursorTest, WithoutABoxTheCanvasIsTheBox) {
    RecordingCanvas small(5 * kWidth, 2 * kHeight);
    GlyphRecorder glyphs(small);
    TextCursor cursor(&small, 0, 0);
    cursor.WriteWrapped("hello world again");
    std::string text = glyphs.Text();
    EXPECT_EQ(text, "helloworld");
    for (const DrawnGlyph& glyph : glyphs.Glyphs()) {
        EXPECT_LE(glyph.rect.x + glyph.rect.width, small.width);
        EXPECT_LE(glyph.rect.y + glyph.rect.height, small.height);
    }
}

TEST_F(TextCursorTest, TheCursorIsMovedIntoTheBoxAndNewLinesStartAtItsLeftEdge) {
    const CanvasRect box{16, 20, 10 * kWidth, 3 * kHeight};
    cursor_.WriteWrapped("ab\ncd", &box);
    ASSERT_EQ(glyphs_.Text(), "abcd");
    EXPECT_EQ(glyphs_.Glyphs()[0].rect.x, 16);
    EXPECT_EQ(glyphs_.Glyphs()[0].rect.y, 20);
    EXPECT_EQ(glyphs_.Glyphs()[2].rect.x, 16);
    EXPECT_EQ(glyphs_.Glyphs()[2].rect.y, 20 + kHeight);

    // A cursor inside the box starts where it is.
    glyphs_.Clear();
    cursor_.x = 16 + 6 * kWidth;
    cursor_.y = 25;
    cursor_.WriteWrapped("one two three four", &box);
    // A third line from y 45 would cross the bottom at 50.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"one ", "two three "}));
    ExpectInside(box);
}

TEST_F(TextCursorTest, OnlyWholeLinesAreDrawnAndNothingWiderThanTheBox) {
    const CanvasRect shallow{0, 0, 100, kHeight - 1};
    cursor_.WriteWrapped("hidden", &shallow);
    EXPECT_TRUE(glyphs_.Glyphs().empty());
    const CanvasRect narrow{0, 0, kWidth - 1, 100};
    cursor_.x = cursor_.y = 0;
    cursor_.WriteWrapped("xyz", &narrow);
    EXPECT_TRUE(glyphs_.Glyphs().empty());
}

TEST_F(TextCursorTest, ProportionalTextStaysInsideBoxesOfEverySize) {
    ASSERT_EQ(SelectFont("prop"), kStatusOk);
    const char* text =
        "Wrapping keeps every glyph inside its box, whatever the widths of the words:\n"
        "a bb ccc dddd eeeee ffffff ggggggg hhhhhhhh iiiiiiiiiiiiiiiiiiiiii j";
    for (int32_t width = 1; width <= 90; width += 7) {
        for (int32_t height : {kHeight, 3 * kHeight + 4, 200}) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
            glyphs_.Clear();
            const CanvasRect box{30, 40, width, height};
            cursor_.x = cursor_.y = 0;
            cursor_.WriteWrapped(text, &box);
            ExpectInside(box);
        }
    }
    // A box wide enough for all of it draws every non-space character.
    glyphs_.Clear();
    const CanvasRect wide{0, 0, 640, 480};
    cursor_.x = cursor_.y = 0;
    cursor_.WriteWrapped("a bb ccc", &wide);
    EXPECT_EQ(glyphs_.Text(), "a bb ccc");
}

}  // namespace
