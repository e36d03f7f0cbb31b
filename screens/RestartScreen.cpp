#include "screens/RestartScreen.h"

#include <string>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "mission/AfterFlight.h"
#include "mission/SavedGame.h"
#include "screens/squadron/HangarScreen.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/TextBox.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kBackgroundForm = MakeTag("BKGD");
constexpr uint32_t kSection = MakeTag("REST");
constexpr int32_t kUiSoundClick1 = 2;
constexpr const char* kAutoSave = "auto";
// The page opens its art under this name; the constructor under the screen's.
constexpr const char* kArtFile = "restart1.iff";

// The words: the loss and the question in the panel over its buttons,
// what each answer does beneath it, centred on the panel.
constexpr int32_t kWordsCentre = 320;
constexpr int32_t kLostY = 208;
constexpr int32_t kQuestionY = 226;
constexpr int32_t kYesY = 320;
constexpr int32_t kNoY = 336;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kClearBackground = 0xFF;

void ClearAndShow(GameState& game) {
    if (g_gameCanvas == nullptr) return;
    g_gameCanvas->Clear(0, 0xFFFFFFFFu);
    game.FlipFrame();
}

}  // namespace

RestartScreen::RestartScreen(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 0);
    artObjects.Append(panel);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path)) {
        panel->LoadButtons(file);
    }
}

void RestartScreen::Open() {
    for (TimedAnimation* const animation : roomAnimations) animation->LockFrames();
    {
        const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kArtFile;
        IffFile file(0);
        if (art_file::OpenArt(file, path) && file.FindForm(kBackgroundForm) == kStatusOk &&
            file.Descend() == kStatusOk) {
            LoadBackground(file);
        }
    }
    currentPanel = panel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    TutorialScreen::OpenOverview(*this, kSection);
    if (g_gameState != nullptr) ClearAndShow(*g_gameState);
}

void RestartScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
    for (TimedAnimation* const animation : roomAnimations) animation->UnlockFrames();
    for (TimedAnimation* const animation : ambientAnimations) animation->UnlockFrames();
}

void RestartScreen::DrawOverPanels() {
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    if (palette == nullptr) return;
    SetFontColors(palette->MatchColor(kWhite), kClearBackground);
    SelectFont(TextBox::kFontName);
    const auto centred = [](const char* text, int32_t y) {
        DrawString(text, kWordsCentre - int32_t(FontStringWidth(text)) / 2, y, 0);
    };
    // No goes on only while the career has another ship to fly (as No finds it).
    const GameState* const game = g_gameState;
    const bool goesOn = game != nullptr && game->career != nullptr && game->career->GetShipCount() > 1;
    centred(kLostText, kLostY);
    centred(kQuestionText, kQuestionY);
    centred(kYesText, kYesY);
    centred(goesOn ? kNoText : kNoLastShipText, kNoY);
}

int32_t RestartScreen::Leave() {
    nextPanel = nullptr;
    pushPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

int32_t RestartScreen::Yes() {
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    GameState* const game = g_gameState;
    if (game == nullptr) return Leave();
    // Without the launch's save there is nothing to fly again: the page
    // stays. The load's status is the mission set-up's, so a career taken
    // from the save is what tells; a mission that then fails to set up is
    // the hangar's to show.
    const CareerRecord* const before = game->career;
    (void)LoadGame(kAutoSave);
    if (game->career == before) return 1;
    // The load set the mission up again, ready to fly: the hangar launches
    // it as it opens, as the page promises, asking only what a launch from
    // the missions reader asks (a damaged ship, a mission that no longer
    // sets up).
    game->SelectNextScreen(ScreenSlot::kHangar);
    if (auto* const hangar = dynamic_cast<HangarScreen*>(game->nextScreen)) hangar->launchOnOpen = 1;
    return Leave();
}

int32_t RestartScreen::No(bool newCareer) {
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    GameState* const game = g_gameState;
    if (game == nullptr) return Leave();
    // The wreck counts as the page found it: the loss takes it from the career.
    const bool goesOn = game->career != nullptr && game->career->GetShipCount() > 1;
    AcceptFlightLoss(*game);
    game->SelectNextScreen(ScreenSlot::kHangar);
    if (goesOn) return Leave();
    ClearAndShow(*game);
    if (playMovie != nullptr) {
        const std::string movie = g_dataDirs.Prefix(DataDir::kVideo) + kMovieName;
        (void)playMovie(movie.c_str(), 0);
    }
    game->SelectNextScreen(ScreenSlot::kLobby);
    if (resetLobby != nullptr && game->nextScreen != nullptr) resetLobby(*game->nextScreen);
    if (newCareer) game->StartNewCareer();
    return 0;
}

int32_t RestartScreen::ButtonRow(uint16_t code, const char* button, const char* topic, bool yes) {
    if (edgeEvents.TestEvent(kCodeActivate)) return yes ? Yes() : No(false);
    if (edgeEvents.TestEvent(kCodeHelp)) {
        TutorialScreen::OpenTopic(*this, topic);
        return 1;
    }
    if (edgeEvents.TestEvent(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
    if (auto* const control = dynamic_cast<BitmapButton*>(panel->FindControl(button))) control->Press();
    return 1;
}

int32_t RestartScreen::HandleEvent(uint16_t code) {
    switch (code) {
        case kCodeYesKey:
            return edgeEvents.TestEvent(code) ? Yes() : 1;
        case kCodeNoKey:
            return No(true);
        case kCodeNo:
            return ButtonRow(code, "No", "RS_NO", false);
        case kCodeYes:
            return ButtonRow(code, "Yes", "RS_YES", true);
        case kCodeFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kCodeFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default:
            return 1;
    }
}
