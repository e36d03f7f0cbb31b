#include "screens/InitialOptionsScreen.h"

#include <string>

#include "display/PixelFormat.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "net/NetGameSettings.h"
#include "screens/QuitScreen.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/TimedAnimation.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kBackgroundForm = MakeTag("BKGR");
constexpr int32_t kUiSoundClick2 = 1;
constexpr int32_t kUiSoundClick1 = 2;

constexpr const char* kNewGameButton = "New Game";
constexpr const char* kEasyButton = "Difficulty Easy";
constexpr const char* kMediumButton = "Difficulty Medium";
constexpr const char* kHardButton = "Difficulty Hard";
constexpr const char* kLoadGameButton = "Load Game";
constexpr const char* kMultiplayerGameButton = "Multiplayer Game";
constexpr const char* kExitButton = "Exit";
constexpr const char* kDibButton = "DIB";
constexpr const char* kDirectDrawButton = "DDRAW";
constexpr const char* kDirect3dButton = "D3D";
constexpr const char* kFilter2dButton = "Texture Filter 2D";
constexpr const char* kFilter3dButton = "Texture Filter 3D";
constexpr const char* kSoftwareAlphaButton = "Software Alpha";
constexpr const char* kEnhancedButton = "Enhanced Graphics";

// The button of each event that has one.
const char* ButtonOf(uint32_t event) {
    switch (event) {
        case InitialOptionsScreen::kNewGame: return kNewGameButton;
        case InitialOptionsScreen::kDifficultyEasy: return kEasyButton;
        case InitialOptionsScreen::kDifficultyMedium: return kMediumButton;
        case InitialOptionsScreen::kDifficultyHard: return kHardButton;
        case InitialOptionsScreen::kLoadGame: return kLoadGameButton;
        case InitialOptionsScreen::kMultiplayerGame: return kMultiplayerGameButton;
        case InitialOptionsScreen::kExit: return kExitButton;
        case InitialOptionsScreen::kDriverDib: return kDibButton;
        case InitialOptionsScreen::kDriverDirectDraw: return kDirectDrawButton;
        case InitialOptionsScreen::kDriverDirect3d: return kDirect3dButton;
        case InitialOptionsScreen::kTextureFilter2d: return kFilter2dButton;
        case InitialOptionsScreen::kTextureFilter3d: return kFilter3dButton;
        case InitialOptionsScreen::kEnhancedGraphics: return kEnhancedButton;
        case InitialOptionsScreen::kSoftwareAlpha: return kSoftwareAlphaButton;
        default: return nullptr;
    }
}

// The event a code stands for; -1 for a code of several bits or none.
int32_t EventOf(uint16_t code) {
    for (uint32_t event = 0; event < 512; ++event) {
        if (EventKey(event) == code) return int32_t(event);
    }
    return -1;
}

}  // namespace

InitialOptionsScreen::InitialOptionsScreen(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 0);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kArtFile;
    IffFile file(0);
    // A missing file leaves the panel empty; the searches find nothing.
    if (art_file::OpenArt(file, path)) {
        panel->LoadButtons(file);
    }
    file.CloseFile();
    currentPanel = panel;
    artObjects.Append(panel);
    if (g_gameState != nullptr) g_gameState->startMode = GameState::kStartNone;
}

InitialOptionsScreen::~InitialOptionsScreen() { unused_.Clear(); }

void InitialOptionsScreen::Open() {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kArtFile;
    {
        IffFile file(0);
        if (art_file::OpenArt(file, path) && file.FindForm(kBackgroundForm) == kStatusOk &&
            file.Descend() == kStatusOk) {
            LoadBackground(file);
        }
    }
    MenuScreen::Open();
    for (TimedAnimation* const animation : roomAnimations) animation->LockFrames();
    ShowGraphicsOptions();
}

void InitialOptionsScreen::Close() {
    StoreGraphicsOptions();
    MenuScreen::Close();
}

BitmapButton* InitialOptionsScreen::Button(const char* buttonName) const {
    return dynamic_cast<BitmapButton*>(panel->FindControl(buttonName));
}

bool InitialOptionsScreen::Selected(const char* buttonName) const {
    const BitmapButton* const button = Button(buttonName);
    return button != nullptr && button->GetState() != 0;
}

void InitialOptionsScreen::Latch(const char* buttonName) const {
    if (BitmapButton* const button = Button(buttonName)) button->SetState(BitmapButton::kLatched);
}

void InitialOptionsScreen::Release(const char* buttonName) const {
    if (BitmapButton* const button = Button(buttonName)) button->Reset();
}

void InitialOptionsScreen::Choose(const char* chosen, const char* other1, const char* other2) const {
    Latch(chosen);
    Release(other1);
    Release(other2);
}

void InitialOptionsScreen::ShowGraphicsOptions() {
    GameState* const game = g_gameState;
    ConfigRecord scratch;
    if (game != nullptr) game->ReadConfigFile(&scratch, true);
    for (const char* buttonName : {kDibButton, kDirectDrawButton, kDirect3dButton, kFilter2dButton, kFilter3dButton, kSoftwareAlphaButton, kEnhancedButton}) {
        Release(buttonName);
    }
    switch (g_graphicsDriver) {
        case kGraphicsDriverDib: Latch(kDibButton); break;
        case kGraphicsDriverDirectDraw: Latch(kDirectDrawButton); break;
        case kGraphicsDriverDirect3d: Latch(kDirect3dButton); break;
        default: break;
    }
    // The flags are the globals' bits, not the screen's event numbers of the same names.
    if ((g_textureFilterFlags & ::kTextureFilter2d) != 0) Latch(kFilter2dButton);
    if ((g_textureFilterFlags & ::kTextureFilter3d) != 0) Latch(kFilter3dButton);
    if (g_softwareAlpha != 0) Latch(kSoftwareAlphaButton);
    if (game != nullptr && game->enhancedGraphics != 0) Latch(kEnhancedButton);
    // The difficulty chosen stays when the screen opens again after the
    // quit dialog's No.
    if (!Selected(kEasyButton) && !Selected(kHardButton)) Latch(kMediumButton);
}

void InitialOptionsScreen::StoreGraphicsOptions() {
    if (Selected(kDibButton)) {
        g_graphicsDriver = kGraphicsDriverDib;
    } else if (Selected(kDirectDrawButton)) {
        g_graphicsDriver = kGraphicsDriverDirectDraw;
    } else if (Selected(kDirect3dButton)) {
        g_graphicsDriver = kGraphicsDriverDirect3d;
    }
    g_textureFilterFlags = 0;
    if (Selected(kFilter2dButton)) g_textureFilterFlags |= ::kTextureFilter2d;
    if (Selected(kFilter3dButton)) g_textureFilterFlags |= ::kTextureFilter3d;
    g_softwareAlpha = Selected(kSoftwareAlphaButton) ? 1 : 0;
    GameState* const game = g_gameState;
    if (game == nullptr) return;
    game->enhancedGraphics = Selected(kEnhancedButton) ? 1 : 0;
    ConfigRecord record;
    record.pixelFormat = g_pixelFormat;
    record.graphicsDriver = g_graphicsDriver;
    record.textureFilterFlags = g_textureFilterFlags;
    record.softwareAlpha = g_softwareAlpha;
    record.enhancedGraphics = game->enhancedGraphics;
    record.inertialFlight = game->career != nullptr ? game->career->options.inertialOff : 1;
    game->WriteConfigFile(record);
}

int32_t InitialOptionsScreen::StartGame(uint32_t event) {
    GameState* const game = g_gameState;
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    if (game == nullptr) return 0;
    if (event != kMultiplayerGame) g_netGameLaunched = 0;
    if (event != kLoadGame) {
        if (Selected(kEasyButton)) {
            game->difficulty = 1;
        } else if (Selected(kMediumButton)) {
            game->difficulty = 2;
        } else if (Selected(kHardButton)) {
            game->difficulty = 4;
        }
    }
    game->startMode = event == kNewGame    ? GameState::kStartNewGame
                      : event == kLoadGame ? GameState::kStartLoadGame
                                           : GameState::kStartMultiplayer;
    game->currentScreen = nullptr;
    game->nextScreen = nullptr;
    game->mode = GameState::kModeScreens;
    delete game->career;
    game->career = new CareerRecord(event == kMultiplayerGame ? 1 : 0);
    return 0;
}

int32_t InitialOptionsScreen::AskQuit() {
    GameState* const game = g_gameState;
    auto* const dialog = game != nullptr ? dynamic_cast<QuitDialog*>(game->ScreenIn(ScreenSlot::kQuit)) : nullptr;
    if (dialog == nullptr) return 1;
    dialog->returnScreen = this;
    game->nextScreen = dialog;
    game->nextScreenName = nullptr;
    return 0;
}

int32_t InitialOptionsScreen::HandleEvent(uint16_t code) {
    if (currentPanel != panel && ContainsId(panel) == 0) return 1;
    const int32_t found = EventOf(code);
    if (found < 0) return 1;
    const uint32_t event = uint32_t(found);
    const bool began = edgeEvents.TestEvent(code);
    if (event == kFocusNext) {
        if (began) FocusNextHotspot();
        return 1;
    }
    if (event == kFocusPrevious) {
        if (began) FocusPreviousHotspot();
        return 1;
    }
    if (event == kAskQuit) return began ? AskQuit() : 1;
    const char* const buttonName = ButtonOf(event);
    if (buttonName == nullptr) return 1;
    if (!edgeEvents.TestEvent(EventKey(kActivate))) {
        if (began) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
        if (BitmapButton* const button = Button(buttonName)) button->Press();
        return 1;
    }
    GameState* const game = g_gameState;
    switch (event) {
        case kNewGame:
        case kLoadGame:
        case kMultiplayerGame: return StartGame(event);
        case kExit:
            PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
            if (game != nullptr) {
                game->currentScreen = nullptr;
                game->nextScreen = nullptr;
                game->mode = GameState::kModeQuit;
            }
            return 0;
        default: break;
    }
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    switch (event) {
        case kDifficultyEasy: Choose(kEasyButton, kMediumButton, kHardButton); break;
        case kDifficultyMedium: Choose(kMediumButton, kEasyButton, kHardButton); break;
        case kDifficultyHard: Choose(kHardButton, kEasyButton, kMediumButton); break;
        case kDriverDib: Choose(kDibButton, kDirectDrawButton, kDirect3dButton); break;
        case kDriverDirectDraw: Choose(kDirectDrawButton, kDibButton, kDirect3dButton); break;
        case kDriverDirect3d: Choose(kDirect3dButton, kDibButton, kDirectDrawButton); break;
        case kTextureFilter2d:
        case kTextureFilter3d: {
            const uint32_t bit = event == kTextureFilter2d ? ::kTextureFilter2d : ::kTextureFilter3d;
            if ((g_textureFilterFlags & bit) != 0) {
                Release(buttonName);
            } else {
                Latch(buttonName);
            }
            g_textureFilterFlags ^= bit;
            break;
        }
        case kEnhancedGraphics:
            if (game != nullptr && game->enhancedGraphics != 0) {
                Release(buttonName);
                game->enhancedGraphics = 0;
            } else {
                Latch(buttonName);
                if (game != nullptr) game->enhancedGraphics = 1;
            }
            break;
        case kSoftwareAlpha:
            if (g_softwareAlpha != 0) {
                Release(buttonName);
            } else {
                Latch(buttonName);
            }
            g_softwareAlpha ^= 1;
            break;
        default: break;
    }
    return 1;
}
