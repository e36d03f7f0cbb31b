#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

class BitmapButton;

// The office computer's hub: a main panel of four categories and OK, four
// sub-menu panels, and one other option page (the sub-screen) embedded in
// the frame's own loop, its Open, one Draw a pass and its Close run by the
// frame. The frame's buttons stay live while a page is shown.
class FrameScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "FRAME";
    // The work area a page embedded in the frame draws in, inside the rules
    // of the frame's background (left of it the menu column).
    static constexpr int32_t kWorkLeft = 56;
    static constexpr int32_t kWorkTop = 21;
    static constexpr int32_t kWorkRight = 629;
    static constexpr int32_t kWorkBottom = 469;
    // The focus a newly embedded page starts from.
    static constexpr int32_t kEmbeddedFocus = 19;

    // The frame's event codes.
    static constexpr uint16_t kCodeOk = 0x0001;
    static constexpr uint16_t kCodeComm = 0x0002;
    static constexpr uint16_t kCodeEquip = 0x0004;
    static constexpr uint16_t kCodeSquad = 0x0008;
    static constexpr uint16_t kCodeArch = 0x0010;
    static constexpr uint16_t kCodeSlot1 = 0x0020;
    static constexpr uint16_t kCodeSlot2 = 0x0040;
    static constexpr uint16_t kCodeSlot3 = 0x0080;
    static constexpr uint16_t kCodeSlot4 = 0x0101;
    static constexpr uint16_t kCodeHold = 0x0102;
    static constexpr uint16_t kCodeQuit = 0x0104;
    static constexpr uint16_t kCodeHelp = 0x0108;
    static constexpr uint16_t kCodeFocusNext = 0x0110;
    static constexpr uint16_t kCodeFocusPrevious = 0x0120;
    static constexpr uint16_t kCodeClick = 0x0140;

    explicit FrameScreen(const char* screenName = kScreenName);

    void Run() override;
    void Open() override;
    void Close() override;
    int32_t Draw() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // Start-up after a saved game was chosen: the save page embedded at
    // once, and OK leading to the office.
    void SetReturnScreens();
    // Every button but OK up.
    void ResetButtons();
    // The frame's own cached buttons count as just used.
    void TouchCachedSprites();

    // Closes the embedded page, if any.
    void CloseSubScreen();

    // The quit dialog learns which screen to go back to; null: it has none yet.
    static inline void (*setQuitReturn)(Screen& quitDialog, Screen* returnTo) = nullptr;

    Screen* subScreen = nullptr;          // not owned
    Screen* pendingSubScreen = nullptr;   // not owned
    Screen* returnScreen = nullptr;       // not owned; null: the office
    ArtObject* mainPanel = nullptr;       // owned through artObjects
    ArtObject* commPanel = nullptr;
    ArtObject* equipPanel = nullptr;
    ArtObject* archivesPanel = nullptr;
    ArtObject* squadronPanel = nullptr;
    int32_t openOnRepair = 0;
    // Nonzero: the next opening shows the options page (back from the credits).
    int32_t openOnOptions = 0;
    int32_t inFlightOptions = 0;
    int32_t leaveRequest = 0;

    // A sub-menu button: its slot code, name, tutorial topic and page.
    struct SubButton;

private:
    BitmapButton* Button(ArtObject* panel, const char* buttonName) const;
    void SetButton(ArtObject* panel, const char* buttonName, int32_t state) const;
    bool PanelShown(const ArtObject* panel) const;
    void Hover(uint16_t code, ArtObject* panel, const char* buttonName);
    void ShowHelp(const char* topic);
    int32_t Exit();
    int32_t HandleSubButton(uint16_t code, ArtObject* panel, const SubButton& button, const SubButton* row);
    int32_t HandleInFlight(uint16_t code);
    void Embed(Screen* screen);

    int32_t officeLoopStarted_ = 0;
};

// The frame's sub-screen, for the tutorial pop-up's focus question.
bool FrameHasEmbeddedScreen(const Screen& screen);
