#pragma once
#include <cstdint>
#include <span>

#include "game/ScreenSlots.h"
#include "ui/Screen.h"

// A painted room of the base that the player walks: its art file
// "<option directory><NAME>1.iff" gives the looping decorations ("ANIM"),
// the habit animations ("HABI") and the doors and devices ("HOTS"); its
// event map says which pointer rectangle or key makes each event. Pointing
// at a hot spot opens its door, names it and lets a click leave; the room
// plays its loop, its ambience and the door sounds of its table. The rooms
// differ only in their scheme.
class RoomScreen : public Screen {
public:
    static constexpr int32_t kLeaving = 2;
    static constexpr int32_t kNoSound = -1;

    // A door whose frames sound as it swings; the memory of its last frame
    // outlives the visit.
    struct Door {
        const char* animation;
        bool hangarSounds;   // the big door: three sounds far into the swing
    };
    // A hot spot: its event, where a click leaves to (and the door there set
    // open), its help topic and, while pointed at, the animation it opens
    // and the caption at (x, y). A device says "Hotspot 1" as the pointer
    // arrives; `hides` are pictures of the device not drawn meanwhile.
    struct Hotspot {
        uint16_t code;
        ScreenSlot destination;
        const char* destinationDoor;   // null: none
        const char* helpKey;
        const char* animation;         // null: none
        const char* caption;
        int32_t x, y;
        bool device;
        const char* hides[2];
    };
    // What an event other than a hot spot does.
    enum class Action { kSound, kFocusNext, kFocusPrevious, kLeave, kOwn };
    struct Key {
        uint16_t code;
        bool onlyNew;
        Action action;
        int32_t sound;            // kSound
        ScreenSlot destination;   // kLeave
    };
    struct Scheme {
        uint32_t tutorialSection;
        // Habit forms read; the office takes every third cel of its
        // decorations and habits, and loops only the habits named so.
        bool readsHabits;
        int32_t decorationCelStride;
        bool habitsLoop;
        // War room: the background first and the ambience counted from the visit.
        bool stampsOnOpen;
        // The introduction before the black frame (else after it).
        bool tutorialFirst;
        int32_t loopSound;
        int32_t firstAmbience, ambienceCount, ambienceBase, ambienceRange;
        uint16_t clickCode, helpCode;
        std::span<const Door> doors;
        std::span<const Hotspot> hotspots;
        std::span<const Key> keys;
    };

    RoomScreen(const char* screenName, const Scheme& scheme);

    void Open() override;
    void Close() override;
    // Door sounds, the loop, the ambience.
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // The remembered frames of every door of every room: for the whole run,
    // not per visit. Tests start from a clean memory.
    static void ResetDoorMemory();
    // The sound of a door reaching `frame` opening (or closing); kNoSound.
    static int32_t DoorSound(bool hangarDoor, bool opening, int32_t frame);

    // The pieces of the scheme that rooms on other bases (the menu-screen
    // rooms) share, each against the given screen's animations and clocks:
    // a pass's door sounds, loop and ambience; the loop let go at Close;
    // the hover of a hot spot; the background of the room's art file.
    static void PlayRoomSounds(Screen& room, const Scheme& scheme);
    static void StopLoop(const Scheme& scheme);
    static void HoverIn(Screen& room, const char* animationName, const char* caption, int32_t x, int32_t y);
    static void LoadRoomBackground(Screen& room);
    // The canvas black and shown, as a room comes in.
    static void ShowBlack();
    // Makes the slot's screen the next one, with its door set open and this
    // room as the frame's or the quit dialog's way back: 0. A screen that
    // was never built is no way out: 1, and nothing changes.
    static int32_t LeaveFor(Screen& from, ScreenSlot destination, const char* destinationDoor);

    const Scheme& scheme;
    int32_t leaveState = 0;

protected:
    // Codes the scheme's tables do not name.
    virtual int32_t HandleOwnEvent(uint16_t code);
    // Leaves for the slot's screen with its door set open; the room stays
    // (1) when that screen was never built.
    int32_t Leave(ScreenSlot destination, const char* destinationDoor);
    // The pointer rests on a hot spot: its animation steps open, shows, and
    // the caption is written.
    void Hover(const char* animationName, const char* caption, int32_t x, int32_t y);
    bool IsNew(uint16_t code) const { return edgeEvents.TestEvent(code); }
    TimedAnimation* Animation(const char* animationName) const;

private:
    void LoadArt();
    int32_t HotspotEvent(const Hotspot& hotspot);
};

// A room's caption or notice: white, in the font "ttf", on the game canvas.
void DrawRoomCaption(const char* text, int32_t x, int32_t y);
