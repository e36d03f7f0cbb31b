#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/ShipRecord.h"
#include "ui/MenuScreen.h"

class BitmapButton;
class CareerRecord;
class ListBox;
class PilotRecord;

// Where the player puts the hired wingmen, and himself, into the
// squadron's ships. The choices are kept in a table of the screen and
// reach the career's ships when it closes; only the pilots' flying flags
// follow every edit.
class AssignScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "ASSIGN";
    static constexpr const char* kPanelName = "rqmain";
    static constexpr const char* kPilotList = "PilotList";
    static constexpr const char* kShipList = "ShipList";
    // The player's line of the pilot list.
    static constexpr const char* kPlayerName = "Korvane";
    // A line's pilot name is its first this many characters, blanks cut.
    static constexpr size_t kNameColumn = 15;

    // The screen's event codes.
    static constexpr uint16_t kCodeSelect = 0x0310;
    static constexpr uint16_t kCodeHelp = 0x0302;
    static constexpr uint16_t kCodeFocusNext = 0x0304;
    static constexpr uint16_t kCodeFocusPrevious = 0x0308;
    static constexpr uint16_t kCodeAssign = 0x0240;
    static constexpr uint16_t kCodeRemove = 0x0280;
    static constexpr uint16_t kCodePilotUp = 0x0404;
    static constexpr uint16_t kCodePilotDown = 0x0408;
    static constexpr uint16_t kCodeShipUp = 0x0410;
    static constexpr uint16_t kCodeShipDown = 0x0420;
    static constexpr uint16_t kCodeShipList = 0x0220;
    static constexpr uint16_t kCodePilotList = 0x0210;
    static constexpr uint16_t kCodeClear = 0x0320;
    static constexpr uint16_t kCodeLineUp = 0x0340;
    static constexpr uint16_t kCodeLineDown = 0x0380;
    static constexpr uint16_t kCodePageUp = 0x0401;
    static constexpr uint16_t kCodePageDown = 0x0402;

    struct ShipRow {
        char shipName[32] = {};
        char hullName[ShipRecord::kNameBytes] = {};
        PilotRecord* pilot = nullptr;   // the career's
        int32_t playerShip = 0;
    };

    explicit AssignScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    void Update() override {}
    int32_t HandleEvent(uint16_t code) override;

    void BuildShipTable();
    void FillShipList();
    void FillPilotList();
    void ShowPilotDetails();
    void ShowFace();
    void Assign();
    void Remove();
    void CommitAssignments();
    // The pilot name of a list line.
    static std::string LineName(const char* line);

    ListBox* List(const char* listName) const;

    std::vector<std::unique_ptr<ShipRow>> table;
    ArtObject* panel = nullptr;   // owned through artObjects

private:
    int32_t Button(uint16_t code, const char* buttonName, const char* topic);
    void ScrollList(const char* listName, const char* buttonName, bool up);
    void ListKeys(ListBox& list);
    BitmapButton* FindButton(const char* buttonName) const;
    CareerRecord* Career() const;
};
