#include "screens/HelpScreen.h"

#include "ui/ArtObject.h"
#include "ui/TextBox.h"
#include "ui/UiSounds.h"

namespace {

// The text box "name": 180 x 12 at (289, 333), without a frame.
constexpr int32_t kTextLeft = 289;
constexpr int32_t kTextTop = 333;
constexpr int32_t kTextWidth = 180;
constexpr int32_t kTextHeight = 12;
constexpr uint32_t kNoFrame = 255;

}  // namespace

HelpScreen::HelpScreen(const char* screenName) : MenuScreen(screenName) {
    helpPanel = new ArtObject(kPanelName, 0);
    artObjects.Append(helpPanel);
    const FrameRect corner = FrameRect::Init(kTextLeft, kTextTop, kNoFrame);
    helpPanel->AddControl(new TextBox(kTextWidth, kTextHeight, corner, corner, corner, kNoFrame, 0, kTextName));
}

void HelpScreen::Open() {
    currentPanel = helpPanel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
}

void HelpScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}
