#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

// The two small yes/no dialogs built from one design, the panel "qumain":
// the quit dialog, which ends the program or goes back to the screen that
// opened it, and the pause dialog of a single-player flight, which resumes
// the flight or opens the frame menu.
class QuitDialog : public MenuScreen {
public:
    static constexpr const char* kPanelName = "qumain";
    static constexpr uint16_t kCodeFirst = 0x001;
    static constexpr uint16_t kCodeSecond = 0x002;
    static constexpr uint16_t kCodeHelp = 0x008;
    static constexpr uint16_t kCodeFocusNext = 0x010;
    static constexpr uint16_t kCodeFocusPrevious = 0x020;
    static constexpr uint16_t kCodeActivate = 0x040;
    static constexpr uint16_t kCodeYesKey = 0x101;
    static constexpr uint16_t kCodeNoKey = 0x102;

    explicit QuitDialog(const char* screenName);

    void Open() override;
    void Close() override;

    Screen* returnScreen = nullptr;   // not owned; none: no next screen
    ArtObject* panel = nullptr;       // owned through artObjects

protected:
    // The row of a button's own code: its action on a new activation, its
    // topic on a new help event, else the hover feedback. The result.
    int32_t ButtonRow(uint16_t code, const char* button, const char* topic, int32_t (QuitDialog::*action)());
    // Next screen none, mode quit, and in a network game the pilot file.
    void QuitGame();
    int32_t Leave();
    int32_t BackToReturnScreen();
};

class QuitScreen : public QuitDialog {
public:
    static constexpr const char* kScreenName = "QUIT";
    explicit QuitScreen(const char* screenName = kScreenName) : QuitDialog(screenName) {}
    int32_t HandleEvent(uint16_t code) override;
    bool EndsGame(uint16_t code) const override { return code == kCodeFirst || code == kCodeYesKey; }

private:
    int32_t Quit();
};

class PauseScreen : public QuitDialog {
public:
    static constexpr const char* kScreenName = "PAUSE";
    explicit PauseScreen(const char* screenName = kScreenName) : QuitDialog(screenName) {}
    int32_t HandleEvent(uint16_t code) override;
    bool EndsGame(uint16_t code) const override { return code == kCodeYesKey; }

private:
    int32_t Resume();
    int32_t Options();
    int32_t Quit();
};
