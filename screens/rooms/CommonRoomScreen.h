#pragma once
#include <cstdint>

#include "screens/rooms/RoomScreen.h"
#include "ui/MenuScreen.h"

// The base's common room: a painted room with its habitués, a display of
// the trophies the career holds, the computer that opens the kill board,
// the door back to the hallway and the hot spot of the trophy case. It
// walks like the other rooms (door sounds, loop, ambience, hovers) but its
// trophies are buttons of a panel, so it is a menu screen.
class CommonRoomScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "COMMON";
    static constexpr const char* kPanelName = "cmain";
    static constexpr const char* kHallDoor = "Hall Door";

    // A trophy of the career's trophy word: its bit, its picture's name (the
    // highlight's is the name and "Hilight"), and the bit it shares a
    // place with, drawn then as the combined picture; -1 none.
    struct Trophy {
        int32_t bit;
        const char* name;
        int32_t partnerBit;
        const char* combined;
    };
    static constexpr int32_t kTrophyCount = 16;
    static const Trophy kTrophies[kTrophyCount];

    // The screen's event codes.
    static constexpr uint16_t kCodeTrophyCase = 0x0001;
    static constexpr uint16_t kCodeHallDoor = 0x0002;
    static constexpr uint16_t kCodeComputer = 0x0004;
    static constexpr uint16_t kCodeGlass = 0x0008;
    static constexpr uint16_t kCodeHelp = 0x0020;
    static constexpr uint16_t kCodeFocusNext = 0x0040;
    static constexpr uint16_t kCodeFocusPrevious = 0x0080;
    static constexpr uint16_t kCodeClick = 0x0101;
    static constexpr uint16_t kCodeCushion = 0x0102;
    static constexpr uint16_t kCodeSip = 0x0104;
    static constexpr uint16_t kCodeQuit = 0x0108;
    static constexpr uint16_t kCodeHangar = 0x0110;
    static constexpr uint16_t kCodeFrame = 0x0120;
    static constexpr uint16_t kCodeOffice = 0x0140;
    static constexpr uint16_t kCodeWarRoom = 0x0180;

    explicit CommonRoomScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // The trophy pictures the career's word shows.
    void ShowTrophies();
    // The visible flags of a panel's trophy pictures for the word: a pair
    // held whole shows its combined picture in place of both; with
    // `highlights`, each held trophy's highlight too. Bits 16 and up are no
    // trophies.
    static void ApplyTrophies(ArtObject& panel, uint32_t word, bool highlights);
    // The career's trophy word; 0 without a career.
    static uint32_t TrophyWord();
    // The room's sounds of a pass, against that screen's animations and
    // ambience clock: the trophy case keeps them going while it is open.
    static void PlaySounds(Screen& room);

    ArtObject* panel = nullptr;   // owned through artObjects

private:
    int32_t LeaveFor(ScreenSlot destination, const char* destinationDoor);
    int32_t TrophyCaseSpot();
    int32_t ComputerSpot();
    int32_t HallDoorSpot();
    void ShowHelp(const char* topic);
    bool IsNew(uint16_t code) const { return edgeEvents.TestEvent(code); }
};
