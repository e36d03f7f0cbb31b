#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "canvas/SoftCanvas16.h"
#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "mission/Faces.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/DefinitionData.h"
#include "tools/mkdata/FontData.h"
#include "tools/mkdata/PaletteData.h"
#include "ui/AnimatedPicture.h"
#include "ui/BitmapButton.h"
#include "ui/EditField.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/Screen.h"
#include "ui/TextBox.h"

namespace {

// A cel of one palette index inside a one-pixel border of another, its
// corners left clear (index 255).
std::unique_ptr<Bitmap> PanelCel(uint16_t width, uint16_t height, uint8_t fill, uint8_t border, int16_t x,
                                 int16_t y) {
    auto cel = std::make_unique<Bitmap>();
    if (cel->Create(width, height, Bitmap::kDepth8Bit, false) != kStatusOk) return nullptr;
    for (uint16_t row = 0; row < height; ++row) {
        for (uint16_t column = 0; column < width; ++column) {
            const bool edge = row == 0 || column == 0 || row == height - 1 || column == width - 1;
            const bool corner = (row == 0 || row == height - 1) && (column == 0 || column == width - 1);
            cel->ownedPixels[size_t(row) * width + column] = corner ? 255 : edge ? border : fill;
        }
    }
    cel->Unlock();
    cel->x = x;
    cel->y = y;
    return cel;
}

std::unique_ptr<BitmapButton> PanelButton(int16_t x, int16_t y) {
    auto button = std::make_unique<BitmapButton>();
    button->AddIdleFrame(PanelCel(120, 28, 43, 215, x, y));
    button->AddHighlightFrame(PanelCel(120, 28, 79, 254, x, y));
    button->SetClickPicture(PanelCel(120, 28, 180, 254, x, y));
    button->LockImages();
    return button;
}

class ControlPanelPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : DataDirectories::kNames) {
            dir_.WriteFile(std::string(name) + "/" + DataDirectories::kProbeFile, "x");
        }
        const std::string data = dir_.Str() + "/data/";
        ASSERT_EQ(WritePaletteFile((data + GameState::kPaletteFile).c_str()), kStatusOk);
        ASSERT_EQ(WriteSampleDefinitions(data.c_str()), kStatusOk);
        ASSERT_EQ(WriteSampleFonts(data), kStatusOk);
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        for (const char* font : {"ttf", "font07"}) {
            ASSERT_EQ(LoadFont((data + font + ".iff").c_str(), font), kStatusOk);
        }
        previousFormat_ = g_pixelFormat;
        g_pixelFormat = kPixelFormatRgb565;
        ResetFaces();
        g_gameState = &game_;
        game_.currentScreen = &screen_;
        palette_ = game_.LoadPalette("mastermenu");
        ASSERT_NE(palette_, nullptr);
        const CanvasRect all{0, 0, 640, 480};
        canvas_ = std::make_unique<SoftCanvas16>(&all, palette_, 0);
        ASSERT_EQ(canvas_->setupResult, kStatusOk);
        g_gameCanvas = canvas_.get();
    }
    void TearDown() override {
        g_gameCanvas = nullptr;
        g_gameState = nullptr;
        g_pixelFormat = previousFormat_;
        ResetFaces();
        g_dataDirs.Clear();
    }

    TempDir dir_;
    ScopedFontLayer fonts_;
    GameState game_;
    Screen screen_{"CONTROLS"};
    Palette* palette_ = nullptr;
    std::unique_ptr<SoftCanvas16> canvas_;
    int32_t previousFormat_ = 0;
};

TEST_F(ControlPanelPictureTest, APanelOfEveryKindOfControl) {
    const CanvasRect all{0, 0, 640, 480};
    canvas_->FillRect(&all, Canvas::kColorRaw565 | 0x0008);

    // Buttons idle, highlighted and clicked.
    auto idle = PanelButton(20, 20);
    auto highlighted = PanelButton(160, 20);
    auto clicked = PanelButton(300, 20);
    highlighted->Press();
    clicked->SetState(3);
    for (BitmapButton* button : {idle.get(), highlighted.get(), clicked.get()}) button->Refresh(0);

    const FrameRect textAt = FrameRect::Init(20, 70, 0);
    TextBox text(300, 130, textAt, textAt, textAt, 40, 200, "Briefing");
    text.SetText("Wing leader, the convoy leaves the gate at dawn. Keep the freighters in sight and "
                 "let no raider through.\nReturn when the last one has jumped.");
    text.Refresh(0);
    FrameRect::Draw(text.Region());

    const FrameRect listAt = FrameRect::Init(340, 70, 0);
    ListBox list(200, 100, listAt, listAt, listAt, 40, 200, "Missions");
    list.SetText("");
    for (const char* line : {"Patrol Kestra", "Escort Vell", "Strike Orun", "Recon Tassa", "Defend Hollow"}) {
        list.AddLine(line);
    }
    list.SetSelection(2);
    list.Refresh(0);
    FrameRect::Draw(list.Region());

    const FrameRect fieldAt = FrameRect::Init(20, 210, 0);
    EditField field(200, 20, fieldAt, fieldAt, fieldAt, 215, 0, "Slot");
    field.SetText("Korvane");
    field.ToggleActive();
    field.RefreshActive();

    FacePicture face(FrameRect::Init(250, 210, 0), FacePicture::kFaces, "face");
    face.SelectByIndex(5);
    ASSERT_NE(face.Face(), nullptr);
    face.Refresh(0);

    const FrameRect stripAt = FrameRect::Init(0, 0, 0);
    AnimatedPicture strip(160, 24, stripAt, stripAt, stripAt, "Difficulty");
    for (uint8_t i = 0; i < 4; ++i) strip.AddFrame(PanelCel(160, 24, uint8_t(20 + 40 * i), 254, 300, 210));
    strip.LockImages();
    strip.SetCel(2);
    strip.Refresh(0);

    EXPECT_EQ(canvas_->palette, palette_) << "every control gives the canvas its palette back";
    EXPECT_TRUE(MatchesGolden(*canvas_, "control_panel"));
}

}  // namespace
