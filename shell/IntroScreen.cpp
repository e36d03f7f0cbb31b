// The intro screen: the version banner, and the loop that shows it until a
// key, a click, a quit or the frame limit ends it.
#include "shell/Startup.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "display/TextCursor.h"
#include "game/GameMessages.h"
#include "game/Script.h"
#include "platform/Window.h"
#include "shell/FramePump.h"
#include "shell/LaunchOptions.h"
#include "shell/StartupSteps.h"

namespace startup {

// Black, with the version banner in white in the middle and, lower down,
// the prompt that says what ends the wait.
void DrawIntroScreen(Canvas& canvas, const std::string& bannerFont) {
    const Palette& palette = *canvas.palette;
    canvas.Clear(palette.MatchColor(kBlack), kFarthestDepth);
    if (SelectFont(bannerFont.c_str()) != kStatusOk) return;
    const int32_t y = (canvas.height - int32_t(FontHeight())) / 2;
    const auto centred = [&canvas](const char* text, int32_t row) {
        TextCursor(&canvas, (canvas.width - int32_t(FontStringWidth(text))) / 2, row).PutString(text);
    };
    // One lock for the whole screen rather than one per glyph.
    const int32_t previousLock = canvas.Lock();
    SetFontColors(palette.MatchColor(kWhite), Canvas::kColorTransparent);
    centred(msg::kVersionBanner, y);
    centred(msg::kBannerPrompt, y + kPromptRows * int32_t(FontHeight()));
    if (previousLock == 0) canvas.Unlock();
}

}  // namespace startup

IntroEnd RunIntroLoop(platform::Window& window, DisplayDriver& display, int32_t frameLimit, int32_t* framesShown) {
    bool dismissed = false;
    platform::Window::Procedure previous;
    previous = window.SetProcedure([&dismissed, &previous](platform::Window& self,
                                                           const platform::WindowMessage& message) {
        if (message.type == platform::WindowMessageType::kKeyDown ||
            message.type == platform::WindowMessageType::kMouseButtonDown) {
            dismissed = true;
            return true;
        }
        return previous && previous(self, message);
    });
    // The start-up's pump when it runs one; else one of the loop's own.
    std::optional<FramePump> ownPump;
    if (FramePump::Current() == nullptr) ownPump.emplace(window, display, nullptr, nullptr, Script(),
                                                         std::vector<LaunchOptions::Shot>());
    int32_t frames = 0;
    IntroEnd end = IntroEnd::kFramesShown;
    for (;;) {
        FlipFrame();
        ++frames;
        if (frameLimit > 0 && frames >= frameLimit) break;
        if (PumpMessages() == 0) {
            end = IntroEnd::kQuit;
            break;
        }
        if (dismissed) {
            end = IntroEnd::kDismissed;
            break;
        }
    }
    ownPump.reset();
    window.SetProcedure(std::move(previous));
    if (framesShown != nullptr) *framesShown = frames;
    return end;
}
