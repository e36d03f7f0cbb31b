#include "ui/UiControl.h"

#include <gtest/gtest.h>

#include "tests/ui/ControlScene.h"

namespace {

class UiControlTest : public ControlScene {
protected:
    // 100 x 40 at (20, 30), captioned "Caption".
    UiControl Control(uint32_t frameColour) {
        const FrameRect at = FrameRect::Init(20, 30, 0);
        return UiControl(100, 40, at, at, at, frameColour, 77, "Caption");
    }
    size_t Lines() const { return canvas_.CountOf("DrawLineClippedInt"); }
    size_t Glyphs() const { return canvas_.CountOf("DrawMonoImage"); }
};

TEST_F(UiControlTest, OutlineRunsRoundTheRegionInTheFirstCornersColour) {
    UiControl control = Control(9);
    EXPECT_EQ(control.Refresh(1), 1);
    const std::vector<CanvasCall> lines = canvas_.CallsOf("DrawLineClippedInt");
    ASSERT_EQ(lines.size(), 4u);
    const int32_t expected[4][4] = {{20, 30, 120, 30}, {120, 30, 120, 70}, {120, 70, 20, 70}, {20, 70, 20, 30}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].view[0].screenX, expected[i][0]);
        EXPECT_EQ(lines[i].view[0].screenY, expected[i][1]);
        EXPECT_EQ(lines[i].view[1].screenX, expected[i][2]);
        EXPECT_EQ(lines[i].view[1].screenY, expected[i][3]);
        for (const ViewVertex& end : lines[i].view) EXPECT_EQ(end.colour, 9u);
    }
    EXPECT_EQ(Glyphs(), 0u) << "flag 1 leaves the caption out";

    canvas_.ForgetCalls();
    control.position = FrameRect::Init(200, 100, 0);
    control.UpdateRegion();
    control.SetFrameColour(3);
    EXPECT_EQ(control.Refresh(0), 0);
    ASSERT_EQ(Lines(), 4u);
    EXPECT_EQ(canvas_.CallsOf("DrawLineClippedInt")[1].view[1].screenX, 300) << "the moved region";
    EXPECT_EQ(canvas_.CallsOf("DrawLineClippedInt")[0].view[0].colour, 3u);
    EXPECT_EQ(Glyphs(), 7u) << "flag 0 captions the name too";
}

TEST_F(UiControlTest, NoFrameColourOrInvisibleDrawsNoOutline) {
    UiControl unframed = Control(FrameRect::kNoFrame);
    unframed.Refresh(0);
    EXPECT_EQ(Lines(), 0u);
    EXPECT_EQ(Glyphs(), 7u);

    canvas_.ForgetCalls();
    UiControl hidden = Control(9);
    hidden.SetVisible(0);
    EXPECT_EQ(hidden.Refresh(0), 0);
    EXPECT_EQ(hidden.Refresh(1), 0);
    EXPECT_TRUE(canvas_.Calls().empty());
}

TEST_F(UiControlTest, OutlineKeepsToTheCanvasLock) {
    UiControl control = Control(9);
    canvas_.ScriptResult("Lock", uint32_t(-1));
    control.Refresh(1);
    EXPECT_EQ(Lines(), 0u) << "a canvas that cannot be drawn on";
    EXPECT_EQ(canvas_.CountOf("Unlock"), 0u);

    canvas_.ScriptResult("Lock", 1);
    control.Refresh(1);
    EXPECT_EQ(Lines(), 4u);
    EXPECT_EQ(canvas_.CountOf("Unlock"), 0u) << "a canvas locked by the pass stays locked";

    canvas_.ClearScript();
    canvas_.ForgetCalls();
    control.Refresh(1);
    EXPECT_EQ(canvas_.CountOf("Unlock"), 1u);
}

}  // namespace
