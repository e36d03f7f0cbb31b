#include "shell/KeyCapture.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/GameState.h"
#include "platform/Window.h"

namespace {

using platform::WindowMessage;
using platform::WindowMessageType;

void Post(platform::Window& window, WindowMessageType type, uint8_t scanCode) {
    WindowMessage message;
    message.type = type;
    message.scanCode = scanCode;
    window.Post(message);
}

TEST(KeyCapture, KeyDownsReachTheControlsScreensListOnlyWhileCaptureIsOn) {
    const auto window = platform::Window::CreateHeadless("capture", 640, 480, false);
    int seen = 0;
    window->SetProcedure([&seen](platform::Window&, const WindowMessage&) {
        ++seen;
        return false;
    });
    FollowKeyCapture(*window);
    Post(*window, WindowMessageType::kKeyDown, 30);   // before there is a game state
    EXPECT_TRUE(window->PumpMessages());

    GameState game;
    GameState* const previous = g_gameState;
    g_gameState = &game;
    std::vector<uint32_t> captured;
    game.capturedKeys = &captured;
    Post(*window, WindowMessageType::kKeyDown, 31);   // capture off
    EXPECT_TRUE(window->PumpMessages());
    game.keyCaptureActive = 1;
    for (const auto type : {WindowMessageType::kKeyDown, WindowMessageType::kKeyUp, WindowMessageType::kSystemKeyDown,
                            WindowMessageType::kSystemKeyUp}) {
        Post(*window, type, uint8_t(40 + int(type)));
    }
    EXPECT_TRUE(window->PumpMessages());
    EXPECT_EQ(captured, (std::vector<uint32_t>{40 + uint32_t(WindowMessageType::kKeyDown),
                                               40 + uint32_t(WindowMessageType::kSystemKeyDown)}));
    game.capturedKeys = nullptr;
    Post(*window, WindowMessageType::kKeyDown, 32);   // no list, no harm
    EXPECT_TRUE(window->PumpMessages());
    EXPECT_EQ(seen, 7) << "the earlier procedure sees every message";
    g_gameState = previous;
}

}  // namespace
