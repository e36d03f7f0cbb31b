#include "screens/rooms/RoomScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/GameState.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "screens/QuitScreen.h"
#include "screens/rooms/HallwayScreen.h"
#include "screens/rooms/OfficeScreen.h"
#include "screens/rooms/WarRoomScreen.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/MenuScreen.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"

namespace {

// Points inside the sample rooms' hot spots.
constexpr const char* kOfficeHallDoor = "90 240";
constexpr const char* kOfficeChair = "200 300";
constexpr const char* kOfficeFloor = "320 420";
constexpr const char* kHallHangarDoor = "320 240";
constexpr const char* kHallFloor = "320 420";
constexpr const char* kWarTable = "320 300";

// The sample data's rooms, every screen of the base built, no pop-ups
// unless a test wants them.
struct Base {
    Base() {
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        RoomScreen::ResetDoorMemory();
        harness.Game().tutorialsEnabled = 0;
        harness.Game().LoadPlaceScreens(GameState::kNewCareerPlace);
    }
    ~Base() {
        GameState::ClearScreenRegistry();
        FreeMenuSpriteCache();
    }

    template <typename T>
    T& Room(ScreenSlot slot) {
        return *dynamic_cast<T*>(harness.Game().ScreenIn(slot));
    }
    // Runs the room for `passes` more passes; the script's pass numbers
    // count from the first pass of this run.
    void Run(Screen& room, const std::string& script, int32_t passes) {
        const int32_t start = harness.Passes();
        std::string shifted;
        size_t at = 0;
        while ((at = script.find("at ", at)) != std::string::npos) {
            const size_t end = script.find(' ', at + 3);
            shifted += "at " + std::to_string(start + std::stoi(script.substr(at + 3, end - at - 3)));
            const size_t line = script.find('\n', end);
            shifted += script.substr(end, line - end + 1);
            at = line;
        }
        harness.Game().nextScreen = nullptr;
        harness.Game().nextScreenName = nullptr;
        ASSERT_TRUE(harness.SetScript(shifted));
        harness.SetPassLimit(start + passes);
        sounds = harness.UiSoundsStarted().size();
        harness.Run(room);
    }
    // The door sounds (11 to 21) of the last run, in order.
    std::vector<int32_t> DoorSounds() const {
        const std::vector<int32_t> all = harness.UiSoundsStarted();
        std::vector<int32_t> doors;
        for (size_t i = sounds; i < all.size(); ++i) {
            if (all[i] >= 11 && all[i] <= 21) doors.push_back(all[i]);
        }
        return doors;
    }
    const char* Next() { return harness.Game().nextScreenName != nullptr ? harness.Game().nextScreenName : ""; }

    ScreenHarness harness;
    size_t sounds = 0;
};

}  // namespace

// Resting on a door opens it a frame at a time to its last frame and
// leaving it closes it again, with the door's sounds on the way; the big
// hangar door has three sounds of its own.
TEST(RoomScreenTest, DoorsSoundAsTheyOpenAndClose) {
    const struct {
        ScreenSlot room;
        const char* door;
        const char* away;
        int32_t passes;
        std::vector<int32_t> sounds;
    } cases[] = {
        {ScreenSlot::kOffice, kOfficeHallDoor, kOfficeFloor, 40, {11, 12, 13, 14, 15, 16, 17, 18}},
        {ScreenSlot::kHallway, kHallHangarDoor, kHallFloor, 80, {19, 20, 21, 21, 20, 19}},
    };
    for (const auto& c : cases) {
        Base base;
        Screen& room = *base.harness.Game().ScreenIn(c.room);
        base.Run(room,
                 std::string("at 1 move ") + c.door + "\nat " + std::to_string(c.passes) + " move " + c.away + "\n",
                 2 * c.passes);
        EXPECT_EQ(base.DoorSounds(), c.sounds) << room.name;
    }
}

// A click through the office's hall door leaves with the hallway's door
// standing open; the hallway shows it swinging shut with closing sounds only.
TEST(RoomScreenTest, LeavingOpensTheDoorThatThenClosesBehind) {
    Base base;
    OfficeScreen& office = base.Room<OfficeScreen>(ScreenSlot::kOffice);
    HallwayScreen& hallway = base.Room<HallwayScreen>(ScreenSlot::kHallway);
    base.Run(office, std::string("at 2 click ") + kOfficeHallDoor + "\n", 10);
    EXPECT_STREQ(base.Next(), "HALLWAY");
    EXPECT_EQ(office.leaveState, RoomScreen::kLeaving);
    EXPECT_LT(base.harness.Passes(), 10);
    const TimedAnimation& door = *hallway.roomAnimations[hallway.FindAnimation("Office Door")];
    EXPECT_EQ(door.currentFrame, door.LastFrame());

    base.Run(hallway, std::string("at 1 move ") + kHallFloor + "\n", 40);
    EXPECT_EQ(base.DoorSounds(), (std::vector<int32_t>{15, 16, 17, 18}));
    EXPECT_EQ(door.currentFrame, 0);
}

// The menus and the quit dialog come back to the room that sent the player.
TEST(RoomScreenTest, KeysLeaveForTheMenusWithTheRoomToReturnTo) {
    Base base;
    OfficeScreen& office = base.Room<OfficeScreen>(ScreenSlot::kOffice);
    WarRoomScreen& warRoom = base.Room<WarRoomScreen>(ScreenSlot::kWarRoom);
    base.Run(office, "at 2 key F\n", 6);
    EXPECT_STREQ(base.Next(), "FRAME");
    EXPECT_EQ(base.Room<FrameScreen>(ScreenSlot::kFrame).returnScreen, &office);
    base.Run(warRoom, "at 2 key Escape\n", 6);
    EXPECT_STREQ(base.Next(), "QUIT");
    EXPECT_EQ(base.Room<QuitScreen>(ScreenSlot::kQuit).returnScreen, &warRoom);
}

// Help over a hot spot shows its topic and stays; a click in the same pass
// as the help wins and leaves.
TEST(RoomScreenTest, HelpShowsTheTopicUnlessAClickCameWithIt) {
    {
        Base base;
        OfficeScreen& office = base.Room<OfficeScreen>(ScreenSlot::kOffice);
        base.Run(office, std::string("at 1 move ") + kOfficeHallDoor + "\nat 3 key F1\n", 6);
        EXPECT_STREQ(base.Next(), "");
        EXPECT_EQ(base.Room<TutorialScreen>(ScreenSlot::kTutorial).topicKey, "OF_HALLWAY");
    }
    {
        Base base;
        OfficeScreen& office = base.Room<OfficeScreen>(ScreenSlot::kOffice);
        base.Run(office, std::string("at 1 move ") + kOfficeHallDoor + "\nat 3 key F1\nat 3 click " + kOfficeHallDoor + "\n", 6);
        EXPECT_STREQ(base.Next(), "HALLWAY");
    }
}

// Without a ready mission, and while no map screen exists, the map table
// keeps the war room.
TEST(RoomScreenTest, TheMapKeepsTheRoomWithoutAMissionOrAMap) {
    Base base;
    WarRoomScreen& warRoom = base.Room<WarRoomScreen>(ScreenSlot::kWarRoom);
    base.Run(warRoom, std::string("at 2 click ") + kWarTable + "\n", 6);
    EXPECT_EQ(base.harness.Passes(), 6);
    EXPECT_EQ(warRoom.leaveState, 0);
    EXPECT_STREQ(base.Next(), "");
}

// The office keeps every third cel of its decorations and habits; the
// other rooms every cel. Only the named habits loop.
TEST(RoomScreenTest, TheOfficeTakesEveryThirdCel) {
    Base base;
    OfficeScreen& office = base.Room<OfficeScreen>(ScreenSlot::kOffice);
    HallwayScreen& hallway = base.Room<HallwayScreen>(ScreenSlot::kHallway);
    EXPECT_EQ(office.roomAnimations[office.FindAnimation("Wall Clock")]->FrameCount(), 4);   // of 12
    EXPECT_EQ(office.roomAnimations[office.FindAnimation("Door to Hall")]->FrameCount(), 10);
    EXPECT_EQ(hallway.roomAnimations[hallway.FindAnimation("Hanger Door")]->FrameCount(), 21);
    ASSERT_EQ(office.ambientAnimations.Count(), 4);
    const int32_t frames[] = {4, 2, 3, 3};   // of 12, 6, 9 and 9
    for (int32_t i = 0; i < office.ambientAnimations.Count(); ++i) {
        const TimedAnimation& habit = *office.ambientAnimations[i];
        EXPECT_EQ(habit.FrameCount(), frames[i]) << habit.Name();
        EXPECT_EQ(habit.mode == TimedAnimation::kModeLoop, habit.Name() == "Screensaver") << habit.Name();
    }
}

// Ambient sounds come on the first pass and then each no sooner than the
// base and no later than base + range after the one before.
TEST(RoomScreenTest, AmbienceKeepsItsSpacing) {
    Base base;
    OfficeScreen& office = base.Room<OfficeScreen>(ScreenSlot::kOffice);
    const auto ambient = [&] {
        int32_t count = 0;
        for (const int32_t sound : base.harness.UiSoundsStarted()) count += sound >= 35 && sound <= 37;
        return count;
    };
    std::vector<uint32_t> times;
    for (uint32_t t = ScreenHarness::kStepMs; t < 60000; t += ScreenHarness::kStepMs) {
        base.harness.Clock().Advance(ScreenHarness::kStepMs);
        const int32_t before = ambient();
        office.Update();
        if (ambient() > before) times.push_back(t);
    }
    ASSERT_GE(times.size(), 8u);
    EXPECT_EQ(times[0], ScreenHarness::kStepMs);
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_GT(times[i] - times[i - 1], 3000u);
        EXPECT_LE(times[i] - times[i - 1], 7000u + ScreenHarness::kStepMs);
    }
}

// The pick that the chair's event sets exists only while there are habits;
// an animation the room lacks is skipped, neither stepped nor sounded.
TEST(RoomScreenTest, MissingHabitsAndDoorsAreSkipped) {
    Base base;
    OfficeScreen& office = base.Room<OfficeScreen>(ScreenSlot::kOffice);
    for (TimedAnimation* habit : office.ambientAnimations) delete habit;
    office.ambientAnimations.Clear();
    const int32_t door = office.FindAnimation("Door to Hall");
    delete office.roomAnimations[door];
    office.roomAnimations.RemoveAt(door);
    base.Run(office, std::string("at 1 move ") + kOfficeChair + "\nat 3 move " + kOfficeHallDoor + "\n", 40);
    EXPECT_EQ(office.ambientPick[2], -1);
    EXPECT_TRUE(base.DoorSounds().empty());
}

// The rooms as the player first sees them.
TEST(RoomScreenTest, RoomsMatchTheirPictures) {
    const struct {
        ScreenSlot room;
        const char* golden;
    } rooms[] = {{ScreenSlot::kOffice, "office"}, {ScreenSlot::kHallway, "hallway"}, {ScreenSlot::kWarRoom, "warroom"}};
    for (const auto& r : rooms) {
        Base base;
        Screen& room = *base.harness.Game().ScreenIn(r.room);
        base.harness.CaptureAfterPass(12);
        base.Run(room, "", 12);
        EXPECT_TRUE(MatchesGolden(base.harness.Picture(12), r.golden));
    }
}
