#pragma once
#include <cstdint>
#include <string>

#include "ui/MenuScreen.h"

class ArtObject;
class ShipRecord;

// The hangar, the one road from the base to flight: the squadron's ships on
// their pads (the selected one in front), the door back to the hallway,
// and the launch, which checks that every ship that flies has the systems
// no ship flies without, asks again when the player's ship has damaged
// equipment, saves, and leaves the option screens in flight mode. Its own
// loop redraws every pass and never sleeps, and keeps a network game going.
class HangarScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "HANGAR";
    static constexpr const char* kMainPanel = "hmain";
    static constexpr const char* kWarningPanel = "warning";
    static constexpr const char* kHallwayDoor = "Hallway Door";
    static constexpr uint32_t kNoticeMs = 2000;
    static constexpr uint32_t kFailingNameBytes = 32;
    static constexpr const char* kNoShip = "NONE";
    // The automatic save of a launch and its title.
    static constexpr const char* kAutoSave = "auto";
    static constexpr const char* kAutoSaveTitle = "temp";

    // The screen's event codes.
    static constexpr uint16_t kCodeHallway = 0x0001;
    static constexpr uint16_t kCodeHelp = 0x0008;
    static constexpr uint16_t kCodeFocusNext = 0x0010;
    static constexpr uint16_t kCodeFocusPrevious = 0x0020;
    static constexpr uint16_t kCodeSelect = 0x0040;
    static constexpr uint16_t kCodeLaunch = 0x0080;
    static constexpr uint16_t kCodeQuit = 0x0101;
    static constexpr uint16_t kCodeAccept = 0x0102;
    static constexpr uint16_t kCodeCancel = 0x0104;
    static constexpr uint16_t kCodeCancelKey = 0x0108;
    static constexpr uint16_t kCodeAcceptKey = 0x0110;
    static constexpr uint16_t kCodeCommon = 0x0120;
    static constexpr uint16_t kCodeFrame = 0x0140;
    static constexpr uint16_t kCodeOffice = 0x0180;
    static constexpr uint16_t kCodeWarRoom = 0x0201;

    // The systems checked, in the order they are checked.
    static constexpr int32_t kRequiredTypes[] = {1, 6, 7, 4, 5, 2};

    explicit HangarScreen(const char* screenName = kScreenName);

    void Run() override;
    void Open() override;
    void Close() override;
    // The loop and the ambience; the salvage screen runs it too.
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // 1 when the selected ship and every crewed ship carry each required
    // system; else 0 with the failing ship's name and the missing type (0
    // when there is no ship at all).
    int32_t CheckShipsReady();
    // The failure notice's first line.
    std::string FailureLine() const;

    char failingShipName[kFailingNameBytes] = {};
    int32_t failureType = 0;
    ArtObject* mainPanel = nullptr;      // owned through artObjects
    ArtObject* warningPanel = nullptr;   // owned through artObjects
    // Set by the missions reader's launch command and the restart page's
    // Yes before they send the player here: Open launches at once. Close
    // clears it.
    int32_t launchOnOpen = 0;
    int32_t selectedShipAnimation = -1;   // in roomAnimations; -1 none
    int32_t launching = 0;
    int32_t noMissionNotice = 0;
    int32_t notReadyNotice = 0;
    uint32_t noticeTime = 0;

private:
    enum class Entry { kOpen, kClick, kAccept };
    int32_t Launch(Entry entry);
    void CloseAll();
    int32_t LeaveFor(int32_t slot);
    bool SelectedShipDamaged() const;
    bool ShipComplete(const ShipRecord& ship);
    void ShowPads(const char* hull, const char* pad, bool remember);
    void DrawNotices();
    void ReadArt();
};
