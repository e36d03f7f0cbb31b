#include "screens/OptionsScreen.h"

#include <string>

#include "display/PixelFormat.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "game/Mission.h"
#include "game/OptionsFile.h"
#include "mission/AfterFlight.h"
#include "mission/SavedGame.h"
#include "net/NetSession.h"
#include "screens/FrameScreen.h"
#include "screens/NetLobbyScreen.h"
#include "screens/PilotNotices.h"
#include "sound/SoundDevice.h"
#include "ui/AnimatedPicture.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/TextBox.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kSection = MakeTag("OPTI");
constexpr int32_t kUiSoundClick2 = 1;
constexpr int32_t kUiSoundClick1 = 2;
constexpr int32_t kUiSoundClick3 = 5;
// The scroll buttons show their click picture for this many draws.
constexpr int32_t kScrollClickDraws = 10;
constexpr const char* kAutoSave = "auto";

// The "track" box: 468 x 343 at (60, 21), without a frame, just below the
// frame's top rule.
constexpr int32_t kTrackLeft = 60;
constexpr int32_t kTrackTop = 21;
constexpr int32_t kTrackWidth = 468;
constexpr int32_t kTrackHeight = 343;
constexpr uint32_t kNoFrame = 255;

constexpr const char* kInertialButton = "Options Inertial Button";
constexpr const char* kScrollLeftButton = "Options Scroll Left Button";
constexpr const char* kScrollRightButton = "Options Scroll Right Button";
constexpr const char* kViewButton = "Options View Button";
constexpr const char* kRestartButton = "Options Restart Button";
constexpr const char* kNewSessionButton = "Options New Session Button";
constexpr const char* kExitButton = "Options Exit Button";
constexpr const char* kControlsButton = "Options Controls Button";

struct OptionToggle {
    uint16_t code;
    const char* button;
    const char* topic;
    int32_t CareerOptions::*word;
    bool playAid;
};
constexpr OptionToggle kToggles[] = {
    {OptionsScreen::kCodeTextures, "Options Textures Button", "OP_TEXTURES", &CareerOptions::textures, false},
    {OptionsScreen::kCodeDust, "Options Dust Button", "OP_SPACEDUST", &CareerOptions::spaceDust, false},
    {OptionsScreen::kCodeLights, "Options Lights Button", "OP_EXTRALIGHTS", &CareerOptions::extraLights, false},
    {OptionsScreen::kCodeShading, "Options Shading Button", "OP_SHADINGLEVEL", &CareerOptions::shadingLevel, false},
    {OptionsScreen::kCodeAlpha, "Options Alpha Button", "OP_ALPHABLEND", &CareerOptions::alphaBlend, false},
    {OptionsScreen::kCodeInvulnerability, "Options Invulnerability Button", "OP_INVULNERABILITY",
     &CareerOptions::invulnerability, true},
    {OptionsScreen::kCodeAmmo, "Options Ammo Button", "OP_UNLIMITEDAMMO", &CareerOptions::unlimitedAmmo, true},
    {OptionsScreen::kCodeFuel, "Options Fuel Button", "OP_UNLIMITEDFUEL", &CareerOptions::unlimitedFuel, true},
    {OptionsScreen::kCodeInvisibility, "Options Invisibility Button", "OP_INVISIBILITY", &CareerOptions::invisibility,
     true},
};

GameState* Game() { return g_gameState; }

bool SessionActive() {
    return Game() != nullptr && Game()->netSession != nullptr && Game()->netSession->IsActive();
}

MusicFile* CurrentMusic() {
    GameState* const game = Game();
    return game != nullptr && game->mission != nullptr ? game->mission->music.get() : nullptr;
}

void RequestFrameLeave() {
    if (Game() == nullptr) return;
    if (auto* const frame = dynamic_cast<FrameScreen*>(Game()->ScreenIn(ScreenSlot::kFrame))) frame->leaveRequest = 1;
}

}  // namespace

OptionsScreen::OptionsScreen(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 0);
    artObjects.Append(panel);
    const FrameRect corner = FrameRect::Init(kTrackLeft, kTrackTop, kNoFrame);
    panel->AddControl(new TextBox(kTrackWidth, kTrackHeight, corner, corner, corner, kNoFrame, 0, kTrackName));
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path)) {
        panel->LoadPictures(file);
        file.Rewind(0);
        panel->LoadSprites(file);
    }
}

BitmapButton* OptionsScreen::Button(const char* buttonName) const {
    return dynamic_cast<BitmapButton*>(panel->FindControl(buttonName));
}

AnimatedPicture* OptionsScreen::Strip(const char* stripName) const {
    return dynamic_cast<AnimatedPicture*>(panel->FindControl(stripName));
}

void OptionsScreen::Open() {
    currentPanel = panel;
    GameState* const game = Game();
    if (game != nullptr) ReadOptionsFile(*game);
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    if (BitmapButton* const controls = Button(kControlsButton)) controls->SetVisible(0);
    for (TimedAnimation* const animation : roomAnimations) animation->LockFrames();
    ShowOptions();
    const bool paused = game != nullptr && game->mode == GameState::kModePause;
    const bool session = SessionActive();
    const struct {
        const char* button;
        bool shown;
    } row[] = {{kViewButton, !paused}, {kRestartButton, paused && !session}, {kNewSessionButton, paused && session}};
    for (const auto& entry : row) {
        if (BitmapButton* const button = Button(entry.button)) button->SetVisible(entry.shown ? 1 : 0);
    }
    TutorialScreen::OpenOverview(*this, kSection);
}

void OptionsScreen::Close() {
    StoreOptions();
    GameState* const game = Game();
    if (game != nullptr) {
        WriteOptionsFile(*game);
        game->ApplyOptions(1);
    }
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void OptionsScreen::ShowTrack() {
    MusicFile* const music = CurrentMusic();
    auto* const box = dynamic_cast<TextBox*>(panel->FindControl(kTrackName));
    if (music == nullptr || box == nullptr) return;
    box->Clear();
    dirty = 1;
    repaintCountdown = 2;
    const int32_t track = music->GetTrack();
    // One digit as far as there are digits; a longer number in full.
    const std::string text = track >= 0 && track < 10 ? std::string(1, char('0' + track)) : std::to_string(track);
    box->SetText(text.c_str());
}

void OptionsScreen::ShowOptions() {
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    const CareerOptions& options = game->career->options;
    for (const OptionToggle& toggle : kToggles) {
        BitmapButton* const button = Button(toggle.button);
        if (button == nullptr) continue;
        if (options.*toggle.word != 0) {
            button->SetState(BitmapButton::kLatched);
        } else {
            button->Reset();
        }
    }
    if (BitmapButton* const inertial = Button(kInertialButton)) {
        if (options.inertialOff == 1) {
            inertial->Reset();
        } else {
            inertial->SetState(BitmapButton::kLatched);
        }
    }
    if (AnimatedPicture* const strip = Strip(kSoundStrip)) strip->SetCel(options.soundVolume);
    if (AnimatedPicture* const strip = Strip(kMusicStrip)) strip->SetCel(options.musicVolume);
    if (game->mode == GameState::kModePause) ShowTrack();
}

void OptionsScreen::StoreOptions() {
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    CareerOptions& options = game->career->options;
    for (const OptionToggle& toggle : kToggles) {
        const BitmapButton* const button = Button(toggle.button);
        if (button != nullptr) options.*toggle.word = button->GetState() != 0 ? 1 : 0;
    }
    if (const BitmapButton* const inertial = Button(kInertialButton)) {
        options.inertialOff = inertial->GetState() != 0 ? 0 : 1;
    }
    if (const AnimatedPicture* const strip = Strip(kSoundStrip)) options.soundVolume = strip->GetCel();
    if (const AnimatedPicture* const strip = Strip(kMusicStrip)) options.musicVolume = strip->GetCel();
    if (options.invulnerability != 0 || options.unlimitedAmmo != 0 || options.unlimitedFuel != 0 ||
        options.invisibility != 0) {
        game->cheatUsed = 1;
    }
    ConfigRecord record;
    if (!game->ReadConfigFile(&record, false)) {
        // Without a file to keep, the record is the one in force.
        record.pixelFormat = g_pixelFormat;
        record.graphicsDriver = g_graphicsDriver;
        record.textureFilterFlags = g_textureFilterFlags;
        record.softwareAlpha = g_softwareAlpha;
        record.enhancedGraphics = game->enhancedGraphics;
    }
    record.inertialFlight = options.inertialOff;
    (void)game->WriteConfigFile(record);
}

int32_t OptionsScreen::Leave() {
    nextPanel = nullptr;
    pushPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

int32_t OptionsScreen::Toggle(const char* buttonName) {
    g_eventDispatchState = 0;
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    BitmapButton* const button = Button(buttonName);
    if (button == nullptr) return 1;
    if (button->GetState() != 0) {
        button->Reset();
    } else {
        button->SetState(BitmapButton::kLatched);
    }
    return 1;
}

void OptionsScreen::ChangeTrack(int32_t step) {
    MusicFile* const music = CurrentMusic();
    if (music == nullptr) return;
    PlayUiSound(kUiSoundClick3, kUiClickSoundLevel, 1);
    if (BitmapButton* const button = Button(step < 0 ? kScrollLeftButton : kScrollRightButton)) {
        button->SetState(kScrollClickDraws);
    }
    music->SetTrack(music->GetTrack() + step);
    ShowTrack();
}

void OptionsScreen::ClickStrip(uint16_t code, AnimatedPicture& strip) {
    const int32_t before = strip.GetCel();
    uint16_t x = 0, y = 0;
    eventMap->GetMousePosition(&x, &y);
    const FrameRect point = FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y), kNoFrame);
    strip.SelectAt(point);
    const int32_t after = strip.GetCel();
    if (after == before) return;
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    CareerOptions& options = game->career->options;
    SoundDevice* const sound = game->Sound();
    if (code == kCodeSoundVolume) {
        options.soundVolume = after;
        if (sound != nullptr && sound->DigitalDriverPresent()) sound->SetDigitalVolume(after * kSoundVolumeScale);
    } else {
        options.musicVolume = after;
        if (sound != nullptr && sound->MidiDriverPresent()) sound->SetMidiVolume(after * kMusicVolumeScale);
        if (sound != nullptr && sound->CdAudioPresent()) sound->SetCdVolume(after * kMusicVolumeScale);
    }
}

void OptionsScreen::StepStrip(AnimatedPicture& strip, int32_t step) {
    uint16_t x = 0, y = 0;
    eventMap->GetMousePosition(&x, &y);
    const int32_t moved = int32_t(x) + step;
    if (step < 0 ? moved <= kStepLeftEdge : moved >= kStepRightEdge) return;
    eventMap->SetMousePosition(int16_t(moved), int16_t(y));
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    const FrameRect point = FrameRect::Init(moved - g_windowOriginX, int32_t(y), kNoFrame);
    strip.SelectAt(point);
}

int32_t OptionsScreen::TakeExitRow() {
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    GameState* const game = Game();
    if (game == nullptr) return 1;
    if (game->mode != GameState::kModePause) {
        game->mode = GameState::kModeCredits;
        RequestFrameLeave();
        // The credits lead back to this page.
        game->SelectNextScreen(ScreenSlot::kFrame);
        if (auto* const frame = dynamic_cast<FrameScreen*>(game->nextScreen)) frame->openOnOptions = 1;
        return Leave();
    }
    if (SessionActive()) {
        // The flight is over for this pilot: the career takes it now, once
        // (the landing that follows finds it settled).
        SettleFlight(*game, MessageEntry::kWon, nullptr, nullptr);
        pilot_notices::SavePilot(*game);
        NetLobbyScreen::LeaveSession(*game);
        game->mode = GameState::kModeScreens;
        game->SelectNextScreen(ScreenSlot::kLobby);
        RequestFrameLeave();
        return 0;
    }
    if (game->Sound() != nullptr) game->Sound()->StopAll();
    // A restart needs the launch's save: without a career taken from it the
    // page stays (a mission that then fails to set up is the hangar's to show).
    const CareerRecord* const before = game->career;
    (void)LoadGame(kAutoSave);
    if (game->career == before) return 1;
    game->mode = GameState::kModeScreens;
    RequestFrameLeave();
    // The load set the mission up again, ready to fly.
    game->SelectNextScreen(ScreenSlot::kHangar);
    return Leave();
}

int32_t OptionsScreen::EndGame() {
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    GameState* const game = Game();
    if (game == nullptr) return Leave();
    if (SessionActive()) pilot_notices::SavePilot(*game);
    game->nextScreen = nullptr;
    game->nextScreenName = nullptr;
    game->mode = GameState::kModeQuit;
    RequestFrameLeave();
    return Leave();
}

int32_t OptionsScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext) {
        if (edgeEvents.TestEvent(code)) FocusNextHotspot();
        return 1;
    }
    if (code == kCodeFocusPrevious) {
        if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
        return 1;
    }
    if (currentPanel != panel && ContainsId(panel) == 0) return 1;
    const bool activate = edgeEvents.TestEvent(kCodeActivate);
    const bool help = edgeEvents.TestEvent(kCodeHelp);
    // The shared pattern of a button: its action, its topic, or its feedback.
    const auto button = [&](const char* buttonName, const char* topic, auto action) -> int32_t {
        if (activate) return action();
        if (help) {
            TutorialScreen::OpenTopic(*this, topic);
            return 1;
        }
        if (edgeEvents.TestEvent(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
        if (BitmapButton* const pressed = Button(buttonName)) pressed->Press();
        return 1;
    };
    for (const OptionToggle& toggle : kToggles) {
        if (toggle.code != code) continue;
        // No play aid in a network game, not even its help.
        if (toggle.playAid && SessionActive()) return 1;
        return button(toggle.button, toggle.topic, [&] { return Toggle(toggle.button); });
    }
    switch (code) {
        case kCodeInertial: return button(kInertialButton, "OP_INERTIAL", [&] { return Toggle(kInertialButton); });
        case kCodeTrackLeft:
        case kCodeTrackRight: {
            if (CurrentMusic() == nullptr) return 1;
            const bool left = code == kCodeTrackLeft;
            return button(left ? kScrollLeftButton : kScrollRightButton, left ? "OP_TRACKLEFT" : "OP_TRACKRIGHT", [&] {
                ChangeTrack(left ? -1 : 1);
                return 1;
            });
        }
        case kCodeSoundVolume:
        case kCodeMusicVolume: {
            AnimatedPicture* const strip = Strip(code == kCodeSoundVolume ? kSoundStrip : kMusicStrip);
            if (strip == nullptr) return 1;
            if (activate) ClickStrip(code, *strip);
            if (edgeEvents.TestEvent(kCodeStepLeft)) StepStrip(*strip, -kStepPixels);
            if (edgeEvents.TestEvent(kCodeStepRight)) StepStrip(*strip, kStepPixels);
            return 1;
        }
        case kCodeExitRow: {
            const GameState* const game = Game();
            const bool paused = game != nullptr && game->mode == GameState::kModePause;
            const char* const shown = !paused ? kViewButton : SessionActive() ? kNewSessionButton : kRestartButton;
            return button(shown, "OP_RESTART", [&] { return TakeExitRow(); });
        }
        case kCodeExit: return button(kExitButton, "OP_EXITGAME", [&] { return EndGame(); });
        default: return 1;
    }
}
