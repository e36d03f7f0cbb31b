#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/ControlScene.h"
#include "ui/EditField.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"

namespace {

// Characters are 10 pixels wide: in a box 200 wide (a block of 195) a line
// takes a character while its width is below 175, so 18 at most.
class TextControlsTest : public ControlScene {
protected:
    template <typename Box>
    static Box Make(int32_t width, int32_t height) {
        const FrameRect at = FrameRect::Init(20, 30, FrameRect::kNoFrame);
        return Box(width, height, at, at, at, FrameRect::kNoFrame, 0, "box");
    }
    static std::vector<std::string> Lines(const TextBlock& block) { return block.lines; }
};

TEST_F(TextControlsTest, WrapsAtBlanksLineFeedsAndOverWideWords) {
    const std::string x16(16, 'x'), x17(17, 'x'), x18(18, 'x');
    const struct {
        int32_t boxWidth;
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {200, x16 + " y", {x16 + " y"}},
        {200, x17 + " y", {x17, "y"}},
        {200, "ab\ncd\n\nef", {"ab", "cd", "", "ef"}},
        {200, "ab ", {"ab "}},
        {200, std::string(40, 'x'), {x18, x18, "xxxx"}},
        {200, "ab " + std::string(40, 'x'), {"ab", x18, x18, "xxxx"}},
        {200, x17 + "  " + x18 + "z", {x17 + " ", x18, "z"}},
        {200, " " + std::string(40, 'x'), {x18, x18, "xxxx"}},
        {10, "abc", {"a", "b", "c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TextBox box = Make<TextBox>(c.boxWidth, 100);
        box.SetText(c.text.c_str());
        ASSERT_NE(box.GetBlock(0), nullptr);
        EXPECT_EQ(Lines(*box.GetBlock(0)), c.lines);
        EXPECT_EQ(box.GetBlock(0)->topLine, 0);
    }

    TextBox box = Make<TextBox>(200, 100);
    box.SetText("");
    box.SetText(nullptr);
    EXPECT_EQ(box.GetBlock(0)->LineCount(), 0);
    EXPECT_EQ(box.GetBlock(0)->topLine, 0);
    EXPECT_EQ(box.GetBlock(1)->topLine, -1);
    EXPECT_EQ(box.currentBlock, 0) << "appending keeps showing the first block";
    EXPECT_TRUE(TakeRedraw());
}

TEST_F(TextControlsTest, PageDownScrollsOneLinePerDrawAndStopsAtTheEnd) {
    for (const int32_t lineCount : {30, 15}) {
        SCOPED_TRACE(lineCount);
        TextBox box = Make<TextBox>(200, 10 * kPitch);
        box.SetText("");
        for (int32_t i = 0; i < lineCount; ++i) box.AddLine(std::to_string(i).c_str());
        box.PageDown();
        std::vector<int32_t> tops;
        for (int draw = 0; draw < 12; ++draw) {
            box.Refresh(0);
            tops.push_back(box.GetBlock(0)->topLine);
        }
        const int32_t last = std::min(9, lineCount - 10);
        for (int draw = 0; draw < 12; ++draw) EXPECT_EQ(tops[size_t(draw)], std::min(draw + 1, last)) << draw;

        box.PageUp();
        for (int draw = 0; draw < 12; ++draw) box.Refresh(0);
        EXPECT_EQ(box.GetBlock(0)->topLine, 0);
    }
    // The visible lines of the last draw: the first page, ten of them.
    canvas_.ForgetCalls();
    TextBox box = Make<TextBox>(200, 10 * kPitch);
    box.SetText("");
    for (int32_t i = 0; i < 30; ++i) box.AddLine("a");
    box.Refresh(0);
    EXPECT_EQ(canvas_.CountOf("DrawMonoImage"), 10u);
}

TEST_F(TextControlsTest, ListSelectsTheLineUnderThePointerInsideItsRegion) {
    // Region (20, 30) to (220, 170); a block of 135 pixels shows 9 lines.
    ListBox list = Make<ListBox>(200, 140);
    list.SetText("");
    for (int32_t i = 0; i < 30; ++i) list.AddLine(std::to_string(i).c_str());
    list.SetTopLine(5);
    const struct {
        int32_t x, y, selected;
    } clicks[] = {
        {100, 31 + 2 * kPitch, 7},
        {100, 169, 14},   // below the full page: the first line under it
        {100, 30, 14},    // on the edge: nothing
        {20, 100, 14},
        {220, 100, 14},
        {100, 170, 14},
        {100, 31, 5},
    };
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.y);
        TakeRedraw();
        list.SelectAt(FrameRect::Init(c.x, c.y, 0));
        EXPECT_TRUE(TakeRedraw());
        EXPECT_EQ(list.GetSelection(), c.selected);
    }
    EXPECT_STREQ(list.GetSelectedItem(), "5");

    ListBox shortList = Make<ListBox>(200, 140);
    shortList.SetText("");
    for (const char* line : {"a", "b", "c"}) shortList.AddLine(line);
    shortList.SelectAt(FrameRect::Init(100, 160, 0));
    EXPECT_EQ(shortList.GetSelection(), 2) << "below the text: its last line";
    shortList.ClearSelection();
    EXPECT_EQ(shortList.GetSelection(), -1);
    EXPECT_EQ(shortList.GetSelectedItem(), nullptr);
}

TEST_F(TextControlsTest, EditFieldFiltersWithinItsCapacity) {
    const struct {
        int32_t mode;
        std::string typed;
        std::string kept;
    } cases[] = {
        {1, "ab\rcd", "ab"},
        {2, "a\x01" "b\x7f\xc3", "ab\x7f"},
        {3, "a1b2\xc3" "3", "12"},
        {4, "x9y8", "$98"},
        {5, "abc", ""},
        {1, std::string(30, 'w'), std::string(19, 'w')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        EditField field = Make<EditField>(100, 15);
        field.filterMode = c.mode;
        field.SetFilteredText("ignored");
        EXPECT_STREQ(field.GetText(), "") << "an inactive field takes nothing";
        EXPECT_EQ(field.ToggleActive(), 1u);
        field.SetFilteredText("old");
        field.SetFilteredText(c.typed.c_str());
        EXPECT_EQ(std::string(field.GetText()), c.kept);
    }
    EditField field = Make<EditField>(100, 15);
    field.SetText("abcd");
    field.ToggleActive();
    field.SetFilteredText("123456");
    EXPECT_STREQ(field.GetText(), "1234") << "the copied text's length bounds what follows";
}

}  // namespace

namespace {

class TextBoxBlocksTest : public TextControlsTest {};

}  // namespace

// A box of several blocks: one block per text, the block whose first line
// matches becomes current (an unknown line keeps the current one), lines
// are replaced only where they exist, the last line is selected, and the
// sorted place of a new line ignores case.
TEST_F(TextBoxBlocksTest, BlocksByFirstLineLinesAndTheSortedPlace) {
    TextBox box = Make<TextBox>(200, 100);
    box.SetTexts({"Alpha", "Bravo\nbeta", "Charlie"});
    EXPECT_TRUE(TakeRedraw());
    ASSERT_NE(box.GetBlock(2), nullptr);
    EXPECT_EQ(box.GetBlock(3), nullptr);
    box.SelectBlockByFirstLine("Bravo");
    EXPECT_EQ(box.currentBlock, 1);
    box.SelectBlockByFirstLine("Delta");
    box.SelectBlockByFirstLine(nullptr);
    EXPECT_EQ(box.currentBlock, 1);
    EXPECT_EQ(box.GetLineCount(), 2);

    box.SetLine(1, "bingo");
    box.SetLine(2, "past the end");
    box.SetLine(-1, "before the start");
    box.SetLine(0, nullptr);
    EXPECT_EQ(Lines(*box.GetBlock(1)), (std::vector<std::string>{"", "bingo"}));
    box.SelectLast();
    EXPECT_EQ(box.GetBlock(1)->selection, 1);

    box.SelectBlockByFirstLine("Alpha");
    box.Clear();
    EXPECT_EQ(box.FindInsertPosition("x"), 0);   // no block
    box.SetText("");
    for (const char* line : {"apple", "Cherry", "melon"}) box.AddLine(line);
    EXPECT_EQ(box.FindInsertPosition("banana"), 1);
    EXPECT_EQ(box.FindInsertPosition("CHERRY"), 1);
    EXPECT_EQ(box.FindInsertPosition("Zucchini"), 3);
    EXPECT_EQ(box.FindInsertPosition(nullptr), 0);
}

// A block's own selection and scrolling: the selection is held to its
// lines, a scroll goes a line down until past the last, and the last lines
// are put in view.
TEST_F(TextBoxBlocksTest, ABlocksSelectionAndScrollStayWithinItsLines) {
    TextBlock block(195, 100);
    for (const char* line : {"a", "b", "c", "d", "e"}) block.AddItem(line);
    block.SetSelection(-3);
    EXPECT_EQ(block.GetSelection(), 0);
    block.SetSelection(9);
    EXPECT_EQ(block.GetSelection(), 4);
    EXPECT_STREQ(block.GetSelectedItem(), "e");
    block.ShowLast(2);
    EXPECT_EQ(block.topLine, 3);
    block.ShowLast(10);
    EXPECT_EQ(block.topLine, 0);
    block.SetTopLine(4);
    EXPECT_EQ(block.ScrollDownOne(), 5);
    EXPECT_EQ(block.ScrollDownOne(), 5);
}
