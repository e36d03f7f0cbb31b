#include "ui/BitmapButton.h"

#include <gtest/gtest.h>

#include "display/BmpCodec.h"
#include "tests/support/BitmapBlocks.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/ui/ControlScene.h"

namespace {

// Each frame is told apart by its width: idle 11 to 13, highlight 21 and
// 22, click 31, steps 41 to 43.
constexpr int32_t kClick = 31;

class BitmapButtonTest : public ControlScene {
protected:
    void SetUp() override {
        ControlScene::SetUp();
        NewButton();
    }
    void NewButton() {
        button_ = std::make_unique<BitmapButton>();
        for (uint16_t w : {11, 12, 13}) button_->AddIdleFrame(MakeCel(w, 5, 1, 100, 200));
        for (uint16_t w : {21, 22}) button_->AddHighlightFrame(MakeCel(w, 5, 2, 110, 205));
        button_->SetClickPicture(MakeCel(kClick, 5, 3, 100, 200));
        for (uint16_t w : {41, 42, 43}) button_->AddStepFrame(MakeCel(w, 5, 4, 100, 200));
        button_->LockImages();
        canvas_.ForgetCalls();
        TakeRedraw();
    }
    std::vector<int32_t> Refreshes(int n) {
        for (int i = 0; i < n; ++i) button_->Refresh(0);
        return TakeBlitWidths();
    }

    std::unique_ptr<BitmapButton> button_;
};

TEST_F(BitmapButtonTest, ClickPictureShowsForItsCountOrWhileLatched) {
    const struct {
        int32_t state;
        std::vector<int32_t> shown;
        int32_t after;
    } cases[] = {
        {3, {kClick, kClick, kClick, 11, 12}, 0},
        {-1, {kClick, kClick, kClick, kClick, kClick}, -1},
        {1, {kClick, 11, 12, 13, 11}, 0},
        {0, {11, 12, 13, 11, 12}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        NewButton();
        button_->SetState(c.state);
        EXPECT_TRUE(TakeRedraw());
        EXPECT_EQ(Refreshes(5), c.shown);
        EXPECT_EQ(button_->GetState(), c.after);
        button_->Reset();
        EXPECT_EQ(button_->GetState(), 0);
        EXPECT_TRUE(TakeRedraw());
    }
}

TEST_F(BitmapButtonTest, PressHighlightsForOneDrawSharingTheAnimationStep) {
    button_->Press();
    EXPECT_TRUE(TakeRedraw());
    EXPECT_EQ(screen_.pressedFlag, 1);
    EXPECT_EQ(button_->IsHighlighted(), 1);
    button_->Press();
    EXPECT_FALSE(TakeRedraw()) << "a press already showing asks no second time";
    // The idle animation goes on from the highlight's step.
    EXPECT_EQ(Refreshes(2), (std::vector<int32_t>{21, 12}));
    EXPECT_EQ(button_->IsHighlighted(), 0);

    button_->SetState(-1);
    TakeRedraw();
    button_->Press();
    EXPECT_FALSE(TakeRedraw()) << "a latched button is not redrawn for a hover";
    EXPECT_EQ(Refreshes(1), (std::vector<int32_t>{kClick}));
}

TEST_F(BitmapButtonTest, SpriteBaseLeavesTheHighlightToTheOverlay) {
    button_->Press();
    button_->DrawBaseAt(50, 60);
    EXPECT_TRUE(TakeBlitWidths().empty());
    EXPECT_EQ(button_->IsHighlighted(), 1) << "the base clears no flag";
    EXPECT_EQ(button_->redrawFlag, 1u);

    button_->DrawHighlightAt(50, 60);
    const std::vector<CanvasCall> blits = canvas_.CallsOf("BlitImage");
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits[0].rect->x, 60) << "the highlight art keeps its offset from the idle art";
    EXPECT_EQ(blits[0].rect->y, 65);
    EXPECT_EQ(blits[0].words.back(), 0xFF000000u);
    EXPECT_EQ(button_->IsHighlighted(), 0);
}

TEST_F(BitmapButtonTest, SteppingStopsAtBothEndsAfterTheDelay) {
    button_->stepDelay = 2;
    button_->SetState(3);
    // Forward from 0: the last position is 3 frames + 2 - 1.
    const int32_t forward[] = {1, 1, 1, 1, 0};
    const std::vector<int32_t> frame[] = {{}, {41}, {42}, {43}, {43}};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(button_->StepForward(20), forward[i]);
        button_->RefreshStep(0);
        EXPECT_EQ(TakeBlitWidths(), frame[i]);
    }
    EXPECT_EQ(button_->GetStep(), 4);
    EXPECT_EQ(button_->GetState(), 0) << "stepping ends a counted click";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(button_->StepBack(20), 1);
    EXPECT_EQ(button_->StepBack(20), 0);
    EXPECT_EQ(button_->GetStep(), 0);

    EXPECT_EQ(button_->SetStep(3), 0) << "one past the step frames";
    EXPECT_EQ(button_->SetStep(2), 1);
    EXPECT_EQ(button_->GetStep(), 2);
}

TEST_F(BitmapButtonTest, LatchSurvivesSteppingAndGivesWayToTheStepFrameOnce) {
    button_->SetState(-1);
    EXPECT_EQ(button_->StepForward(20), 1);
    EXPECT_EQ(button_->GetState(), -1);
    button_->DrawAt(0, 0);
    button_->DrawAt(0, 0);
    EXPECT_EQ(TakeBlitWidths(), (std::vector<int32_t>{42, kClick}));

    button_->SetVisible(0);
    EXPECT_EQ(button_->StepForward(20), 0);
    EXPECT_EQ(button_->GetStep(), 1);
}

TEST(BitmapButtonFiles, AMissingFrameIsNamedOnceAndLoadingGoesOn) {
    TempDir dir;
    const std::string prefix = dir.Str() + "/opt";
    for (const char* name : {"opthi00.bmp", "optid00.bmp", "opt00.bmp", "opt01.bmp"}) {
        std::unique_ptr<Bitmap> cel = MakeCel(8, 4, 1);
        cel->Lock();
        BmpCodec codec;
        ASSERT_EQ(codec.SaveFile((dir.Str() + "/" + name).c_str(), cel.get()), kStatusOk);
    }
    RecordingMessageBox boxes;
    ScopedInstall<platform::MessageBox> installed(boxes);
    const FrameRect at = FrameRect::Init(0, 0, 0);
    BitmapButton button(8, 4, at, at, at, prefix.c_str(), 2, 2, 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Couldn't find  " + prefix + "hi01.bmp");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Bad Stuff");
    EXPECT_EQ(button.SetStep(1), 1) << "the step frames after the gap were read";
    EXPECT_EQ(button.SetStep(2), 0);
}

}  // namespace
