#include "shell/MainLoop.h"

#include <gtest/gtest.h>

#include <memory>

#include "display/Palette.h"
#include "engine/input/InputSystem.h"
#include "game/GameState.h"
#include "game/SoftCursor.h"
#include "platform/Window.h"
#include "shell/FlightInput.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScriptedInput.h"

namespace {

constexpr uint32_t kEscape = 1;

// The Escape that paused is still down when the frozen frame begins: only
// a new press ends it.
TEST(GameLoopSteps, TheFrozenPauseEndsOnANewPressOfEscapeOnly) {
    ScriptedInput keys;
    const std::unique_ptr<platform::Window> window = platform::Window::CreateHeadless("test", 640, 480, false);
    GameState game;
    auto* const input = new DirectInputSystem(window.get());
    input->OpenDevices();
    game.TakeInputSystem(input);
    LoopSteps steps = GameLoopSteps(nullptr);
    const auto pass = [&] {
        window->PumpMessages();
        return steps.pauseCommand(game);
    };

    // The flight frame that paused saw the press.
    keys.Press(kEscape);
    window->PumpMessages();
    CaptureCommandState(game);
    EXPECT_FALSE(pass());
    EXPECT_FALSE(pass());
    keys.Release(kEscape);
    EXPECT_FALSE(pass());   // a key counts in the frame after it went up: a tap is never lost
    EXPECT_FALSE(pass());
    keys.Press(kEscape);
    EXPECT_TRUE(pass());
    EXPECT_FALSE(pass());   // held: once is enough
    keys.Release(kEscape);
    EXPECT_FALSE(pass());
    EXPECT_FALSE(steps.render);   // no canvas, no picture
}

// The option screens leave their panel's palette on the canvas and their
// pointer shown: a flight launched from them, and one back from its map,
// draws in the palette the loop began with and shows no pointer.
TEST(GameLoopSteps, AFlightTakesBackItsPaletteAndHidesThePointer) {
    PaletteRgb565 flight;
    PaletteRgb565 menu;
    RecordingCanvas canvas(640, 480, &flight);
    GameState game;
    SoftCursor cursor;
    game.cursor = &cursor;
    LoopSteps steps = GameLoopSteps(&canvas);
    for (const auto& step : {steps.prepareFlight, steps.restoreFlight}) {
        canvas.palette = &menu;
        cursor.visible = true;
        step(game);
        EXPECT_EQ(canvas.palette, &flight);
        EXPECT_FALSE(cursor.visible);
    }
    game.cursor = nullptr;
}

}  // namespace
