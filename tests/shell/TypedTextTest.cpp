#include "shell/TypedText.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/TextInput.h"
#include "platform/Window.h"

namespace {

using platform::WindowMessage;
using platform::WindowMessageType;

void Type(platform::Window& window, uint32_t character) {
    WindowMessage message;
    message.type = WindowMessageType::kCharacter;
    message.character = character;
    window.Post(message);
}

TEST(TypedText, TheWindowsCharactersFillTheBufferAndItsProcedureStillSeesThem) {
    const auto window = platform::Window::CreateHeadless("typing", 640, 480, false);
    std::vector<uint32_t> seen;
    window->SetProcedure([&seen](platform::Window&, const WindowMessage& message) {
        seen.push_back(message.character);
        return false;
    });
    FollowTypedText(*window);
    SetTextInputBuffer(5);
    for (const uint32_t c : {uint32_t('a'), 13u, 10u, uint32_t('b'), 8u, uint32_t('c'), uint32_t('d'), uint32_t('e')}) {
        Type(*window, c);
    }
    WindowMessage key;
    key.type = WindowMessageType::kKeyDown;
    key.scanCode = 0x1E;
    window->Post(key);
    EXPECT_TRUE(window->PumpMessages());
    EXPECT_STREQ(g_textInput, "acd") << "three characters fit five bytes";
    EXPECT_EQ(seen.size(), 9u);
    SetTextInputBuffer(0);
    Type(*window, 'x');
    EXPECT_TRUE(window->PumpMessages()) << "no buffer, no harm";
}

}  // namespace
