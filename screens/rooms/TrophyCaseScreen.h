#pragma once
#include <cstdint>

#include "game/ScreenSlots.h"
#include "ui/MenuScreen.h"

// The close-up of the common room's trophy case: every trophy held, each
// lit while the pointer rests on it. Its sounds are the common room's.
class TrophyCaseScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "TROPHY";
    static constexpr const char* kPanelName = "tmain";
    // Whatever the screen's name, the case reads the common room's art.
    static constexpr const char* kArtFile = "common1.iff";

    static constexpr uint16_t kCodePanel = 0x0001;
    static constexpr uint16_t kCodeBack = 0x0008;
    static constexpr uint16_t kCodeFocusNext = 0x0010;
    static constexpr uint16_t kCodeFocusPrevious = 0x0020;
    static constexpr uint16_t kCodeQuit = 0x0280;
    // Trophy bit b lights while event kFirstTrophyEvent + b is active.
    static constexpr uint32_t kFirstTrophyEvent = 7;

    explicit TrophyCaseScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    void ShowTrophies();

    ArtObject* panel = nullptr;   // owned through artObjects

private:
    int32_t LeaveFor(ScreenSlot destination);
};
