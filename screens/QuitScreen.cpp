#include "screens/QuitScreen.h"

#include <string>

#include "display/Bitmap.h"
#include "display/Canvas.h"
#include "display/FontContext.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "net/NetSession.h"
#include "screens/PilotNotices.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kSection = MakeTag("QUIT");
constexpr int32_t kUiSoundClick2 = 1;
constexpr int32_t kUiSoundVoiceQuit = 50;

}  // namespace

QuitDialog::QuitDialog(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 0);
    artObjects.Append(panel);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path)) {
        panel->LoadSprites(file);
    }
}

void QuitDialog::Open() {
    // The dialog has no art behind it: the picture it opens over stands in,
    // so that a pop-up closed over the dialog leaves nothing behind.
    if (g_gameCanvas != nullptr) {
        Bitmap under;
        if (g_gameCanvas->CopyToImage(&under) == kStatusOk) SetBackground(under);
    }
    currentPanel = panel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    SelectFont(TextBox::kFontName);
    TutorialScreen::OpenOverview(*this, kSection);
}

void QuitDialog::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

int32_t QuitDialog::ButtonRow(uint16_t code, const char* button, const char* topic, int32_t (QuitDialog::*action)()) {
    if (edgeEvents.TestEvent(kCodeActivate)) return (this->*action)();
    if (edgeEvents.TestEvent(kCodeHelp)) {
        TutorialScreen::OpenTopic(*this, topic);
        return 1;
    }
    if (edgeEvents.TestEvent(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
    if (auto* const control = dynamic_cast<BitmapButton*>(panel->FindControl(button))) control->Press();
    return 1;
}

void QuitDialog::QuitGame() {
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    game->nextScreen = nullptr;
    game->nextScreenName = nullptr;
    game->mode = GameState::kModeQuit;
    if (game->netSession != nullptr && game->netSession->IsActive()) pilot_notices::SavePilot(*game);
}

int32_t QuitDialog::Leave() {
    pushPanel = nullptr;
    nextPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

int32_t QuitDialog::BackToReturnScreen() {
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    if (GameState* const game = g_gameState) {
        game->nextScreen = returnScreen;
        game->nextScreenName = nullptr;
    }
    return Leave();
}

int32_t QuitScreen::Quit() {
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    PlayUiSound(kUiSoundVoiceQuit, kUiClickSoundLevel, 1);
    QuitGame();
    return Leave();
}

int32_t QuitScreen::HandleEvent(uint16_t code) {
    switch (code) {
        case kCodeFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        case kCodeFirst:
            return ButtonRow(code, "Quit Yes", "QU_YES", static_cast<int32_t (QuitDialog::*)()>(&QuitScreen::Quit));
        case kCodeSecond:
            return ButtonRow(code, "Quit No", "QU_NO", &QuitScreen::BackToReturnScreen);
        case kCodeYesKey:
            return edgeEvents.TestEvent(code) ? Quit() : 1;
        case kCodeNoKey:
            return edgeEvents.TestEvent(code) ? BackToReturnScreen() : 1;
        default:
            return 1;
    }
}

int32_t PauseScreen::Resume() {
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    if (GameState* const game = g_gameState) {
        game->nextScreen = nullptr;
        game->nextScreenName = nullptr;
        game->mode = GameState::kModeFlight;
    }
    return Leave();
}

int32_t PauseScreen::Options() {
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    if (GameState* const game = g_gameState) game->SelectNextScreen(ScreenSlot::kFrame);
    return Leave();
}

int32_t PauseScreen::Quit() {
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    QuitGame();
    return Leave();
}

int32_t PauseScreen::HandleEvent(uint16_t code) {
    using Action = int32_t (QuitDialog::*)();
    switch (code) {
        case kCodeFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        case kCodeFirst:
            return ButtonRow(code, "Paused Resume", "PA_RESUME", static_cast<Action>(&PauseScreen::Resume));
        case kCodeSecond:
            return ButtonRow(code, "Paused Options", "PA_OPTIONS", static_cast<Action>(&PauseScreen::Options));
        case kCodeYesKey:
            return edgeEvents.TestEvent(code) ? Quit() : 1;
        case kCodeNoKey:
            return edgeEvents.TestEvent(code) ? BackToReturnScreen() : 1;
        default:
            return 1;
    }
}
