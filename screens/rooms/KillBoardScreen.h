#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/MenuScreen.h"

class BitmapButton;
class ListBox;
class NetSession;
class PilotRecord;
class TextBox;
struct NetPlayer;

// The office computer's ranking of the squadron: every pilot in a list,
// the chosen one's figures and face, and a board of the six best by kills,
// missions flown or accuracy, each with a bar scaled to the leader. In a
// career the pilots are the hired wingmen and the player's own record; in
// a network game the session's players.
class KillBoardScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "KILL";
    static constexpr const char* kPanelName = "kmain";
    // The player's own line, whatever the career's pilot name.
    static constexpr const char* kOwnName = "Korvane";
    static constexpr const char* kListName = "PilotList";
    static constexpr const char* kKillsBox = "PilotKills";
    static constexpr const char* kMissionsBox = "PilotMissions";
    static constexpr const char* kAccuracyBox = "PilotAccuracy";
    static constexpr const char* kFaceName = "faces";
    static constexpr const char* kKillsButton = "Pilot Kills Button";
    static constexpr const char* kMissionsButton = "Pilot Missions Flown Button";
    static constexpr const char* kAccuracyButton = "Pilot Accuracy Button";

    static constexpr int32_t kSortKills = 0;
    static constexpr int32_t kSortMissions = 1;
    static constexpr int32_t kSortAccuracy = 2;

    static constexpr int32_t kBoardRows = 6;
    // A bar's area; the mask blacks its left part, leaving value/leader of it.
    static constexpr int32_t kBarWidth = 104;
    static constexpr int32_t kBarHeight = 13;

    // Event codes of the screen's map.
    static constexpr uint16_t kCodeList = 0x0210;
    static constexpr uint16_t kCodeAccuracy = 0x0220;
    static constexpr uint16_t kCodeKills = 0x0240;
    static constexpr uint16_t kCodeMissions = 0x0280;
    static constexpr uint16_t kCodeHelp = 0x0302;
    static constexpr uint16_t kCodeFocusNext = 0x0304;
    static constexpr uint16_t kCodeFocusPrevious = 0x0308;
    static constexpr uint16_t kCodeActivate = 0x0310;
    static constexpr uint16_t kCodeClear = 0x0320;
    static constexpr uint16_t kCodeLineUp = 0x0340;
    static constexpr uint16_t kCodeLineDown = 0x0380;
    static constexpr uint16_t kCodePageUp = 0x0401;
    static constexpr uint16_t kCodePageDown = 0x0402;
    static constexpr uint16_t kCodeScrollUp = 0x0404;
    static constexpr uint16_t kCodeScrollDown = 0x0408;
    static constexpr uint16_t kCodeScrollUp2 = 0x0410;
    static constexpr uint16_t kCodeScrollDown2 = 0x0420;

    // A board row's bar; a left of 0 hides it.
    struct Bar {
        int32_t left = 0;
        int32_t top = 0;
        int32_t maskWidth = 0;
        int32_t height = 0;
    };

    KillBoardScreen();
    ~KillBoardScreen() override;

    void Open() override;
    void Close() override;
    // Blacks the masked part of every shown bar over what the panel drew.
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // The list, the board and the bars for the sort key.
    void FillBoard();
    // The chosen list line's kills, missions and accuracy.
    void ShowPilotStats();
    void SetBar(int32_t row, int32_t value, int32_t leader);
    // The black part of a bar: all of it for a leader of 0 or less, never
    // outside the bar whatever the values.
    static int32_t MaskWidth(int32_t value, int32_t leader);

    ArtObject* panel = nullptr;   // owned through artObjects
    std::vector<PilotRecord*> careerPilots;     // the hired pilots' records, then ownRecord
    std::vector<const NetPlayer*> netPilots;    // the session's in-use entries
    int32_t sortKey = kSortKills;
    Bar bars[kBoardRows];

private:
    template <typename T>
    T* Find(const char* controlName) const;
    NetSession* Session() const;
    int32_t PilotCount() const;
    // The session's first in-use entry of that name, in table order.
    const NetPlayer* PlayerNamed(const char* playerName) const;
    void ShowFace();
    int32_t SortButton(uint16_t code, int32_t key, const char* buttonName, const char* topic);
    int32_t ScrollButton(uint16_t code, const char* buttonName, int32_t direction);
    int32_t ListEvent();

    // The player's line: made at Open, freed at Close.
    std::unique_ptr<PilotRecord> ownRecord_;
    bool netMode_ = false;
};
