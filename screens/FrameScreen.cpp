#include "screens/FrameScreen.h"

#include <string>

#include "display/Canvas.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "net/NetSession.h"
#include "sound/SoundDevice.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/HotspotFocus.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kBackgroundForm = MakeTag("BKGR");
constexpr uint32_t kSection = MakeTag("FRAM");
constexpr const char* kOptArtFile = "optart.iff";
constexpr int32_t kUiSoundClick1 = 2;
constexpr int32_t kUiSoundOfficeLoop = 56;
// The bits of the click and help inputs in the frame's map.
constexpr uint16_t kClickBit = FrameScreen::kCodeClick;
constexpr uint16_t kHelpBit = FrameScreen::kCodeHelp;

constexpr const char* kOkButton = "OK Button";
constexpr const char* kCommButton = "Main Communication Button";
constexpr const char* kEquipButton = "Main Equipment Button";
constexpr const char* kSquadButton = "Main Squadron Button";
constexpr const char* kArchButton = "Main Archives Button";
constexpr const char* kRepairButton = "Repair Button";
constexpr const char* kOptionsButton = "Game Options Button";
constexpr const char* kControlsButton = "Game Controls Button";

GameState* Game() { return g_gameState; }

Screen* SlotScreen(ScreenSlot slot) { return Game() != nullptr ? Game()->ScreenIn(slot) : nullptr; }

}  // namespace

struct FrameScreen::SubButton {
    uint16_t code;
    const char* name;
    const char* topic;
    ScreenSlot slot;
};

namespace {

constexpr FrameScreen::SubButton kCommButtons[] = {
    {FrameScreen::kCodeSlot1, "Missions Button", "FR_MISS", ScreenSlot::kMissions},
    {FrameScreen::kCodeSlot2, "Email Button", "FR_EMAI", ScreenSlot::kEmail},
    {FrameScreen::kCodeSlot3, "News Button", "FR_NEWS", ScreenSlot::kNews},
    {FrameScreen::kCodeSlot4, "Logs Button", "FR_LOGS", ScreenSlot::kLogs},
};
constexpr FrameScreen::SubButton kEquipButtons[] = {
    {FrameScreen::kCodeSlot1, kRepairButton, "FR_REPA", ScreenSlot::kRepair},
    {FrameScreen::kCodeSlot2, "Requisition Button", "FR_REQU", ScreenSlot::kRequisition},
    {FrameScreen::kCodeSlot3, "Outfitting Button", "FR_OUTF", ScreenSlot::kOutfit},
};
constexpr FrameScreen::SubButton kArchButtons[] = {
    {FrameScreen::kCodeSlot1, "Encyclopedia Button", "FR_ENCY", ScreenSlot::kEncyclopedia},
    {FrameScreen::kCodeSlot2, kOptionsButton, "FR_OPTI", ScreenSlot::kOptions},
    {FrameScreen::kCodeSlot3, "New/Load/Save Button", "FR_SAVE", ScreenSlot::kSave},
    {FrameScreen::kCodeSlot4, kControlsButton, "FR_CONT", ScreenSlot::kControls},
};
constexpr FrameScreen::SubButton kSquadButtons[] = {
    {FrameScreen::kCodeSlot1, "Assign Button", "FR_ASSI", ScreenSlot::kAssignment},
    {FrameScreen::kCodeSlot2, "Personnel Button", "FR_PERS", ScreenSlot::kPersonnel},
    {FrameScreen::kCodeSlot3, "Kill Board Button", "FR_KILL", ScreenSlot::kKillBoard},
    {FrameScreen::kCodeSlot4, "Voice Button", "FR_VOIC", ScreenSlot::kVoice},
};

template <size_t N>
constexpr int Count(const FrameScreen::SubButton (&)[N]) {
    return int(N);
}

}  // namespace

FrameScreen::FrameScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject("frmain", 0);
    commPanel = new ArtObject("comm", 0);
    equipPanel = new ArtObject("equip", 0);
    archivesPanel = new ArtObject("arch", 0);
    squadronPanel = new ArtObject("squad", 0);
    for (ArtObject* const panel : {mainPanel, commPanel, equipPanel, archivesPanel, squadronPanel}) {
        artObjects.Append(panel);
    }
    continuousRedraw = 0;
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (!art_file::OpenArt(file, path)) {
        return;
    }
    mainPanel->LoadSprites(file);
    const struct {
        uint32_t form;
        ArtObject* panel;
    } forms[] = {{MakeTag("COMM"), commPanel},
                 {MakeTag("EQIP"), equipPanel},
                 {MakeTag("ARCH"), archivesPanel},
                 {MakeTag("SQAD"), squadronPanel}};
    for (const auto& form : forms) {
        file.Rewind(0);
        // A missing form leaves its panel without buttons.
        if (file.FindForm(form.form) != kStatusOk || file.Descend() != kStatusOk) continue;
        form.panel->LoadSprites(file);
        file.Ascend();
    }
}

BitmapButton* FrameScreen::Button(ArtObject* panel, const char* buttonName) const {
    return panel != nullptr ? dynamic_cast<BitmapButton*>(panel->FindControl(buttonName)) : nullptr;
}

void FrameScreen::SetButton(ArtObject* panel, const char* buttonName, int32_t state) const {
    if (BitmapButton* const button = Button(panel, buttonName)) button->SetState(state);
}

bool FrameScreen::PanelShown(const ArtObject* panel) const {
    return currentPanel == panel || ContainsId(panel) != 0;
}

void FrameScreen::SetReturnScreens() {
    pendingSubScreen = SlotScreen(ScreenSlot::kSave);
    returnScreen = SlotScreen(ScreenSlot::kOffice);
}

void FrameScreen::ResetButtons() {
    for (const char* const buttonName : {kCommButton, kEquipButton, kSquadButton, kArchButton}) {
        SetButton(mainPanel, buttonName, 0);
    }
    for (const SubButton& button : kCommButtons) SetButton(commPanel, button.name, 0);
    for (const SubButton& button : kEquipButtons) SetButton(equipPanel, button.name, 0);
    for (const SubButton& button : kSquadButtons) SetButton(squadronPanel, button.name, 0);
    for (const SubButton& button : kArchButtons) SetButton(archivesPanel, button.name, 0);
}

void FrameScreen::TouchCachedSprites() {
    for (const ArtObject* const panel : artObjects) {
        for (const SpriteInstance* const instance : panel->spriteInstances) {
            for (MenuSpriteCacheEntry* const entry : g_menuSpriteCache) {
                if (entry->control == instance->control) {
                    entry->idleCount = 0;
                    break;
                }
            }
        }
    }
}

void FrameScreen::CloseSubScreen() {
    if (subScreen == nullptr) return;
    Screen* const closing = subScreen;
    subScreen = nullptr;
    // A pop-up over the page goes with it, so that the next host opens it afresh.
    if (closing->tutorialActive != 0) {
        closing->tutorialActive = 0;
        if (Screen* const tutorial = SlotScreen(ScreenSlot::kTutorial)) tutorial->Close();
        repaintCountdown = 1;
    }
    closing->Close();
    TouchCachedSprites();
}

void FrameScreen::Embed(Screen* screen) {
    CloseSubScreen();
    // A button whose page this build lacks stays latched over an empty work area.
    subScreen = screen;
    if (subScreen != nullptr) subScreen->Open();
    g_hotspotFocus = kEmbeddedFocus;
}

void FrameScreen::Open() {
    continuousRedraw = 1;
    {
        const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kOptArtFile;
        IffFile file(0);
        if (art_file::OpenArt(file, path) && file.FindForm(kBackgroundForm) == kStatusOk &&
            file.Descend() == kStatusOk) {
            LoadBackground(file);
        }
    }
    currentPanel = mainPanel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    ResetButtons();
    if (inFlightOptions != 0 || openOnOptions != 0) {
        openOnOptions = 0;
        transitionPhase = kPhaseClosing;
        nextPanel = archivesPanel;
        pushPanel = mainPanel;
        subScreen = SlotScreen(ScreenSlot::kOptions);
        SetButton(mainPanel, kArchButton, BitmapButton::kLatched);
        SetButton(archivesPanel, kOptionsButton, BitmapButton::kLatched);
    }
    if (openOnRepair != 0) {
        nextPanel = equipPanel;
        transitionPhase = kPhaseClosing;
        pushPanel = mainPanel;
        SetButton(mainPanel, kEquipButton, BitmapButton::kLatched);
        SetButton(equipPanel, kRepairButton, BitmapButton::kLatched);
        openOnRepair = 0;
    }
    GameState* const game = Game();
    if (inFlightOptions == 0 && pendingSubScreen == nullptr && subScreen == nullptr) {
        TutorialScreen::OpenOverview(*this, kSection);
    } else if (auto* const tutorial = dynamic_cast<TutorialScreen*>(SlotScreen(ScreenSlot::kTutorial))) {
        tutorial->SetSection(kSection);
    }
    if (g_gameCanvas != nullptr && game != nullptr) {
        g_gameCanvas->Clear(0, 0xFFFFFFFFu);
        game->FlipFrame();
    }
    if (pendingSubScreen != nullptr) {
        subScreen = pendingSubScreen;
        pendingSubScreen = nullptr;
        subScreen->Open();
    } else if (subScreen != nullptr) {
        subScreen->Open();
    }
}

void FrameScreen::Close() {
    // A page still embedded (a quit message ended the loop) saves what it keeps first.
    CloseSubScreen();
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
    subScreen = nullptr;
    pendingSubScreen = nullptr;
    panelStack.Clear();
    inFlightOptions = 0;
    officeLoopStarted_ = 0;
}

void FrameScreen::Update() {
    if (officeLoopStarted_ != 0) return;
    officeLoopStarted_ = 1;
    PlayUiSound(kUiSoundOfficeLoop, kUiScreenSoundLevel, 0);
}

void FrameScreen::Run() {
    GameState* const game = Game();
    if (game == nullptr) return;
    BeginRun();
    bool firstPass = true;
    while (game->PumpMessages() != 0 && running != 0) {
        if (continuousRedraw != 0) dirty = 1;
        const bool repainted = RepaintBackground();
        if (repainted || repaintCountdown != 0) dirty = 1;
        UpdateAnimations();
        running = Draw();
        Screen* const tutorial = game->ScreenIn(ScreenSlot::kTutorial);
        if (tutorialActive != 0) {
            tutorialActive = tutorial != nullptr ? tutorial->Draw() : 0;
            if (tutorialActive == 0) {
                if (tutorial != nullptr) tutorial->Close();
                repaintCountdown = 1;
            }
        } else if (subScreen != nullptr) {
            const int32_t remembered = g_eventDispatchState;
            if (remembered == 0) g_eventDispatchState = -1;
            const int32_t result = subScreen->Draw();
            if (subScreen != nullptr && subScreen->tutorialActive != 0) {
                subScreen->tutorialActive = tutorial != nullptr ? tutorial->Draw() : 0;
                if (subScreen->tutorialActive == 0) {
                    if (tutorial != nullptr) tutorial->Close();
                    repaintCountdown = 1;
                }
            }
            if (result == 0) CloseSubScreen();
            if (remembered == 0) g_eventDispatchState = 0;
        }
        EndInputPass();
        if (game->Sound() != nullptr) game->Sound()->ServiceMusic();
        const bool session = game->netSession != nullptr && game->netSession->IsActive();
        if (session) {
            game->NetReceive();
            game->NetSend();
        }
        if (leaveRequest != 0) {
            running = 0;
            leaveRequest = 0;
        }
        if (dirty != 0 || (repainted && transitionPhase == 0 && running != 0)) {
            game->FlipFrame();
            if (!firstPass) dirty = 0;
            firstPass = false;
        }
        if (session && game->netSession->IsHost()) game->Simulate();
    }
    EndRun();
}

int32_t FrameScreen::Draw() {
    // The embedded page, or the pop-up over it, reads the same pass's input
    // after the frame; Run lets it go at the end of the pass. The frame's
    // own pop-up reads it alone.
    if (tutorialActive == 0) {
        ReadEvents(subScreen == nullptr);
    } else {
        SkipEvents();
    }
    const int32_t keptPressed = pressedFlag;
    pressedFlag = 0;
    const int32_t result = DispatchEvents(g_eventDispatchState == 0 && currentEvents.TestEvent(kCodeHold));
    UpdateCursor();
    if (pressedFlag != keptPressed && dirty == 0) {
        dirty = 1;
        repaintCountdown = 2;
    }
    if (continuousRedraw != 0 || repaintCountdown != 0) dirty = 1;
    DrawPanels();
    Update();
    // The transition runs once, and again within the call while the frame
    // is ending and the steps still change something.
    for (;;) {
        const int32_t phaseBefore = transitionPhase;
        const ArtObject* const panelBefore = currentPanel;
        const int32_t stackBefore = panelStack.Count();
        if (transitionPhase == kPhaseOpening) {
            if (currentPanel == nullptr || currentPanel->StepForward() == 0) transitionPhase = kPhaseNone;
        } else if (transitionPhase == kPhaseClosing) {
            if (pushPanel != nullptr && pushPanel == currentPanel) {
                repaintCountdown = 1;
                panelStack.Append(currentPanel);
                currentPanel = nextPanel;
                transitionPhase = kPhaseOpening;
                if (currentPanel != nullptr) currentPanel->ApplyPalette();
                nextPanel = pushPanel = nullptr;
            } else if (nextPanel != nullptr && nextPanel == currentPanel) {
                repaintCountdown = 1;
                transitionPhase = kPhaseNone;
                nextPanel = pushPanel = nullptr;
                currentPanel->ApplyPalette();
            } else if (currentPanel == nullptr || currentPanel->StepBack() == 0) {
                if (nextPanel == nullptr) {
                    if (panelStack.Count() == 0) {
                        transitionPhase = kPhaseNone;
                        return 0;
                    }
                    currentPanel = panelStack[panelStack.Count() - 1];
                    panelStack.RemoveAt(panelStack.Count() - 1);
                    currentPanel->ApplyPalette();
                } else if (pushPanel == nullptr && panelStack.Count() == 0) {
                    currentPanel = nextPanel;
                    repaintCountdown = 1;
                    transitionPhase = kPhaseOpening;
                    currentPanel->ApplyPalette();
                    nextPanel = pushPanel = nullptr;
                } else if (panelStack.Count() > 0) {
                    currentPanel = panelStack[panelStack.Count() - 1];
                    panelStack.RemoveAt(panelStack.Count() - 1);
                    currentPanel->ApplyPalette();
                }
            }
        }
        if (result != 0 || transitionPhase == kPhaseNone) break;
        if (transitionPhase == phaseBefore && currentPanel == panelBefore && panelStack.Count() == stackBefore) break;
    }
    return result;
}

void FrameScreen::Hover(uint16_t code, ArtObject* panel, const char* buttonName) {
    if (edgeEvents.TestEvent(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
    if (BitmapButton* const button = Button(panel, buttonName)) button->Press();
}

void FrameScreen::ShowHelp(const char* topic) { TutorialScreen::OpenTopic(*this, topic); }

int32_t FrameScreen::Exit() {
    pushPanel = nullptr;
    nextPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

// `row` is the panel's table, for the latch of this button and the release
// of the others; null in the in-flight mode, which latches the archives row.
int32_t FrameScreen::HandleSubButton(uint16_t code, ArtObject* panel, const SubButton& button, const SubButton* row) {
    const bool click = edgeEvents.TestEvent(kClickBit);
    if (click) {
        const bool controls = button.slot == ScreenSlot::kControls;
        // The controls page runs its own pass at once.
        if (!controls) {
            repaintCountdown = 1;
            g_eventDispatchState = 0;
        }
        Screen* const screen = SlotScreen(button.slot);
        if (screen != nullptr && screen == subScreen) return 1;
        PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
        const SubButton* const first = row != nullptr ? row : kArchButtons;
        const int count = row == kCommButtons ? Count(kCommButtons)
                          : row == kEquipButtons ? Count(kEquipButtons)
                          : row == kSquadButtons ? Count(kSquadButtons)
                                                 : Count(kArchButtons);
        for (int i = 0; i < count; ++i) {
            SetButton(panel, first[i].name, first[i].code == button.code ? BitmapButton::kLatched : 0);
        }
        Embed(screen);
        return 1;
    }
    if (edgeEvents.TestEvent(kHelpBit)) {
        ShowHelp(button.topic);
        return 1;
    }
    Hover(code, panel, button.name);
    return 1;
}

int32_t FrameScreen::HandleInFlight(uint16_t code) {
    static constexpr SubButton kOptionsInFlight = {kCodeSlot2, kOptionsButton, "FR_BUTTON2", ScreenSlot::kOptions};
    static constexpr SubButton kControlsInFlight = {kCodeSlot4, kControlsButton, "FR_BUTTON4", ScreenSlot::kControls};
    if (code == kCodeSlot2) return HandleSubButton(code, archivesPanel, kOptionsInFlight, nullptr);
    if (code == kCodeSlot4) return HandleSubButton(code, archivesPanel, kControlsInFlight, nullptr);
    if (code != kCodeOk) return 1;
    if (edgeEvents.TestEvent(kClickBit)) {
        PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
        g_eventDispatchState = 0;
        CloseSubScreen();
        // Back to flight: the panels and the next screen stay as they are.
        return 0;
    }
    if (edgeEvents.TestEvent(kHelpBit)) {
        ShowHelp("FR_OK");
        return 1;
    }
    Hover(code, mainPanel, kOkButton);
    return 1;
}

int32_t FrameScreen::HandleEvent(uint16_t code) {
    GameState* const game = Game();
    if (code == kCodeFocusNext && edgeEvents.TestEvent(kCodeFocusNext) && subScreen == nullptr) {
        if (g_hotspotFocus == 5 && currentPanel == mainPanel) g_hotspotFocus = 0;
        FocusNextHotspot();
        return 1;
    }
    if (code == kCodeFocusPrevious && edgeEvents.TestEvent(kCodeFocusPrevious) && subScreen == nullptr) {
        FocusPreviousHotspot();
        if (g_hotspotFocus >= 5 && currentPanel == mainPanel) g_hotspotFocus = 4;
        return 1;
    }
    // While the controls page waits for a key, Escape is that key, not a quit.
    if (code == kCodeQuit && (game == nullptr || game->keyCaptureActive == 0)) {
        CloseSubScreen();
        if (game != nullptr) {
            game->SelectNextScreen(ScreenSlot::kQuit);
            Screen* const quit = game->ScreenIn(ScreenSlot::kQuit);
            if (quit != nullptr && setQuitReturn != nullptr) setQuitReturn(*quit, this);
        }
        return Exit();
    }
    if (inFlightOptions != 0) return HandleInFlight(code);
    const bool click = edgeEvents.TestEvent(kClickBit);
    const bool help = !click && edgeEvents.TestEvent(kHelpBit);
    if (PanelShown(mainPanel)) {
        const struct {
            uint16_t code;
            const char* name;
            const char* topic;
            ArtObject* panel;
        } categories[] = {{kCodeComm, kCommButton, "FR_COMM", commPanel},
                          {kCodeEquip, kEquipButton, "FR_EQUIP", equipPanel},
                          {kCodeSquad, kSquadButton, "FR_SQUAD", squadronPanel},
                          {kCodeArch, kArchButton, "FR_ARCH", archivesPanel}};
        for (const auto& category : categories) {
            if (code != category.code) continue;
            if (click) {
                repaintCountdown = 1;
                g_eventDispatchState = 0;
                if (currentPanel == category.panel) return 1;
                PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
                ResetButtons();
                for (const auto& other : categories) {
                    SetButton(mainPanel, other.name, other.code == code ? BitmapButton::kLatched : 0);
                }
                CloseSubScreen();
                nextPanel = category.panel;
                pushPanel = mainPanel;
                transitionPhase = kPhaseClosing;
                // Every category names the frame's section again, the archives too.
                if (auto* const tutorial = dynamic_cast<TutorialScreen*>(SlotScreen(ScreenSlot::kTutorial))) {
                    tutorial->SetSection(kSection);
                }
            } else if (help) {
                ShowHelp(category.topic);
            } else {
                Hover(code, mainPanel, category.name);
            }
            return 1;
        }
        if (code == kCodeOk) {
            if (click) {
                PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
                g_eventDispatchState = 0;
                CloseSubScreen();
                if (game != nullptr) {
                    if (returnScreen != nullptr) {
                        game->nextScreen = returnScreen;
                        game->nextScreenName = nullptr;
                    } else {
                        game->SelectNextScreen(ScreenSlot::kOffice);
                    }
                }
                return Exit();
            }
            if (help) {
                ShowHelp("FR_OK");
            } else {
                Hover(code, mainPanel, kOkButton);
            }
            return 1;
        }
    }
    const struct {
        ArtObject* panel;
        const SubButton* row;
        int count;
    } menus[] = {{commPanel, kCommButtons, Count(kCommButtons)},
                 {equipPanel, kEquipButtons, Count(kEquipButtons)},
                 {archivesPanel, kArchButtons, Count(kArchButtons)},
                 {squadronPanel, kSquadButtons, Count(kSquadButtons)}};
    for (const auto& menu : menus) {
        if (!PanelShown(menu.panel)) continue;
        for (int i = 0; i < menu.count; ++i) {
            if (menu.row[i].code == code) return HandleSubButton(code, menu.panel, menu.row[i], menu.row);
        }
    }
    return 1;
}

bool FrameHasEmbeddedScreen(const Screen& screen) {
    const auto* const frame = dynamic_cast<const FrameScreen*>(&screen);
    return frame != nullptr && frame->subScreen != nullptr;
}
