#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/TempDir.h"
#include "ui/Screen.h"

// What a control needs around it in a screen's pass: a game state whose
// current screen takes the redraw requests, a recording game canvas, and
// the text layer with the two fonts of the option screens as fixed-width
// fonts (10 pixels a character, 12 high, so a line pitch of 14).
class ControlScene : public ::testing::Test {
protected:
    static constexpr uint16_t kCharWidth = 10;
    static constexpr uint16_t kFontHeight = 12;
    static constexpr int32_t kPitch = kFontHeight + 2;

    void SetUp() override {
        previousState_ = g_gameState;
        previousCanvas_ = g_gameCanvas;
        previousFormat_ = g_pixelFormat;
        g_pixelFormat = kPixelFormatRgb565;
        g_gameState = &game_;
        g_gameCanvas = &canvas_;
        game_.currentScreen = &screen_;
        game_.textPalette = palette_.get();
        ASSERT_EQ(LoadFixedWidthFont(dir_, "font07", kCharWidth, kFontHeight), kStatusOk);
        ASSERT_EQ(LoadFixedWidthFont(dir_, "ttf", kCharWidth, kFontHeight), kStatusOk);
    }
    void TearDown() override {
        g_gameState = previousState_;
        g_gameCanvas = previousCanvas_;
        g_pixelFormat = previousFormat_;
    }

    // The screen's redraw request, taken back.
    bool TakeRedraw() {
        const bool asked = screen_.dirty == 1 && screen_.repaintCountdown == 2;
        screen_.dirty = screen_.repaintCountdown = 0;
        return asked;
    }
    // Widths of the images blitted since the last call.
    std::vector<int32_t> TakeBlitWidths() {
        std::vector<int32_t> widths;
        for (const CanvasCall& call : canvas_.CallsOf("BlitImage")) widths.push_back(call.rect->width);
        canvas_.ForgetCalls();
        return widths;
    }

    TempDir dir_;
    ScopedFontLayer fonts_;
    std::unique_ptr<Palette> palette_ = MakeDistinctPalette(kPixelFormatRgb565);
    RecordingCanvas canvas_{640, 480, palette_.get()};
    GameState game_;
    Screen screen_{"CONTROLS"};

private:
    GameState* previousState_ = nullptr;
    Canvas* previousCanvas_ = nullptr;
    int32_t previousFormat_ = 0;
};
