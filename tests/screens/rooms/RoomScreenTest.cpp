#include "screens/rooms/RoomScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "screens/QuitScreen.h"
#include "screens/rooms/CommonRoomScreen.h"
#include "screens/rooms/HallwayScreen.h"
#include "screens/rooms/TrophyCaseScreen.h"
#include "screens/rooms/OfficeScreen.h"
#include "screens/rooms/WarRoomScreen.h"
#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "screens/rooms/RoomArt.h"
#include "tests/support/FileContents.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/MenuScreen.h"
#include "ui/UiControl.h"
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
constexpr const char* kHallCommonDoor = "550 265";
constexpr const char* kCommonHallDoor = "80 255";
constexpr const char* kCommonCase = "530 200";
constexpr const char* kCommonComputer = "335 225";
constexpr const char* kCommonFloor = "320 440";
constexpr const char* kCaseRune = "427 228";

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

// ---------------------------------------------------------------- common room

namespace {

// The names of a panel's controls that show.
std::vector<std::string> Shown(const ArtObject& panel) {
    std::vector<std::string> names;
    for (const UiControl* control : panel.controls) {
        if (control->visible != 0) names.push_back(control->Name());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// A pair held whole shows its combined picture in place of both pieces,
// and the case lights both; half a pair is the piece alone; the words past
// bit 15 are no trophies.
TEST(CommonRoomTest, TrophiesShowByTheWord) {
    using Names = std::vector<std::string>;
    const struct {
        uint32_t word;
        Names room;
        Names trophyCase;
    } cases[] = {
        {0x00000000u, {}, {}},
        {0xFFFF0000u, {}, {}},
        {0x00000404u, {"Rune & Coin"}, {"CoinHilight", "Rune & Coin", "RuneHilight"}},
        {0x00000800u, {"Shippart"}, {"Shippart", "ShippartHilight"}},
        {0xFFFF0C04u, {"Rune & Coin", "Shippart"}, {"CoinHilight", "Rune & Coin", "RuneHilight", "Shippart", "ShippartHilight"}},
        {0x00008101u, {"Armor", "Medal", "Silver Ball"}, {"Armor", "ArmorHilight", "Medal", "MedalHilight", "Silver Ball", "Silver BallHilight"}},
    };
    Base base;
    CommonRoomScreen& room = base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom);
    TrophyCaseScreen& trophyCase = base.Room<TrophyCaseScreen>(ScreenSlot::kTrophy);
    ASSERT_EQ(room.panel->controls.Count(), 21);         // 16 trophies, 5 pairs
    ASSERT_EQ(trophyCase.panel->controls.Count(), 37);   // and 16 highlights
    for (const auto& c : cases) {
        base.harness.Game().career->trophies = c.word;
        room.ShowTrophies();
        trophyCase.ShowTrophies();
        EXPECT_EQ(Shown(*room.panel), c.room) << std::hex << c.word;
        EXPECT_EQ(Shown(*trophyCase.panel), c.trophyCase) << std::hex << c.word;
    }
}

// Habitués 0 and 2 are never shown together; other picks stay.
TEST(CommonRoomTest, OpenKeepsHabitsZeroAndTwoApart) {
    const struct {
        int32_t first, second, firstAfter;
    } cases[] = {{2, 0, -1}, {0, 2, -1}, {0, 0, 0}, {2, 2, 2}, {1, 2, 1}};
    for (const auto& c : cases) {
        Base base;
        CommonRoomScreen& room = base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom);
        ASSERT_GE(room.ambientAnimations.Count(), 3);
        room.ambientPick[0] = c.first;
        room.ambientPick[1] = c.second;
        base.Run(room, "", 2);
        EXPECT_EQ(room.ambientPick[0], c.firstAfter) << c.first << ", " << c.second;
        EXPECT_EQ(room.ambientPick[1], c.second);
    }
}

// The hallway's door leads into the common room, whose hall door stands
// open and swings shut with the closing sounds; its own click leads back
// with the hallway's door open.
TEST(CommonRoomTest, TheHallDoorLeadsBothWays) {
    Base base;
    HallwayScreen& hallway = base.Room<HallwayScreen>(ScreenSlot::kHallway);
    CommonRoomScreen& room = base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom);
    base.Run(hallway, std::string("at 2 click ") + kHallCommonDoor + "\n", 10);
    EXPECT_STREQ(base.Next(), "COMMON");
    base.Run(room, std::string("at 1 move ") + kCommonFloor + "\n", 40);
    EXPECT_EQ(base.DoorSounds(), (std::vector<int32_t>{15, 16, 17, 18}));

    base.Run(room, std::string("at 1 move ") + kCommonHallDoor + "\nat 3 click " + kCommonHallDoor + "\n", 10);
    EXPECT_STREQ(base.Next(), "HALLWAY");
    const TimedAnimation& door = *hallway.roomAnimations[hallway.FindAnimation("Common Door")];
    EXPECT_EQ(door.currentFrame, door.LastFrame());
}

// The hot spots: help over the hall door is the kill board's topic; the
// computer opens the frame on the kill board and comes back here; the case
// opens the close-up, whose Escape comes back.
TEST(CommonRoomTest, HotSpotsLeadWhereTheyShould) {
    {
        Base base;
        base.Run(base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom),
                 std::string("at 1 move ") + kCommonHallDoor + "\nat 3 key F1\n", 6);
        EXPECT_STREQ(base.Next(), "");
        EXPECT_EQ(base.Room<TutorialScreen>(ScreenSlot::kTutorial).topicKey, "CO_KILLS");
    }
    // Help over the computer and over the case names their own topics.
    for (const auto& [spot, topic] : {std::pair{kCommonComputer, "CO_KILLS"}, std::pair{kCommonCase, "CO_TROPHY"}}) {
        Base base;
        base.Run(base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom),
                 std::string("at 1 move ") + spot + "\nat 3 key F1\n", 6);
        EXPECT_STREQ(base.Next(), "") << topic;
        EXPECT_EQ(base.Room<TutorialScreen>(ScreenSlot::kTutorial).topicKey, topic);
    }
    Base base;
    CommonRoomScreen& room = base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom);
    base.Run(room, std::string("at 2 click ") + kCommonComputer + "\n", 10);
    EXPECT_STREQ(base.Next(), "FRAME");
    FrameScreen& frame = base.Room<FrameScreen>(ScreenSlot::kFrame);
    EXPECT_EQ(frame.returnScreen, &room);
    EXPECT_EQ(frame.pendingSubScreen, base.harness.Game().ScreenIn(ScreenSlot::kKillBoard));

    base.Run(room, std::string("at 2 click ") + kCommonCase + "\n", 10);
    EXPECT_STREQ(base.Next(), "TROPHY");
    base.Run(base.Room<TrophyCaseScreen>(ScreenSlot::kTrophy), "at 2 key Escape\n", 10);
    EXPECT_STREQ(base.Next(), "COMMON");
}

// The trophies of the room and of the case's close-up from art cut short
// or with a length spoiled: fewer trophies, each named, and the reader
// back where it began.
TEST(CommonRoomTest, DamagedTrophyArtEndsCleanly) {
    Base base;
    const std::string text = FileContents(g_dataDirs.Prefix(DataDir::kOption) + "COMMON1.iff");
    const std::vector<uint8_t> whole(text.begin(), text.end());
    ASSERT_GT(whole.size(), 1000u);
    const auto read = [](const std::vector<uint8_t>& bytes, bool closeUp) {
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        ArtObject panel("panel", 1);
        if (file.FindForm(MakeTag("OPTI")) != kStatusOk || file.Descend() != kStatusOk) return -1;
        if (closeUp && (file.FindForm(MakeTag("UPCL")) != kStatusOk || file.Descend() != kStatusOk)) return -1;
        const uint32_t level = file.Level();
        room_art::ReadTrophies(file, panel, closeUp);
        EXPECT_EQ(file.Level(), level);
        for (const UiControl* control : panel.controls) EXPECT_FALSE(control->Name().empty());
        return int32_t(panel.controls.Count());
    };
    EXPECT_EQ(read(whole, false), 21);
    EXPECT_EQ(read(whole, true), 37);
    for (size_t cut = 12; cut < whole.size(); cut += whole.size() / 97) {
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
        EXPECT_LE(read(part, false), 21) << cut;
        EXPECT_LE(read(part, true), 37) << cut;
    }
    // Each form's length made huge in turn, then negative-looking.
    for (const uint32_t length : {0x7FFFFFF0u, 0xFFFFFFFFu}) {
        for (size_t at = 4; at + 8 < whole.size(); ++at) {
            if (std::memcmp(&whole[at - 4], "FORM", 4) != 0) continue;
            std::vector<uint8_t> spoiled = whole;
            for (int byte = 0; byte < 4; ++byte) spoiled[at + size_t(byte)] = uint8_t(length >> (8 * byte));
            EXPECT_LE(read(spoiled, false), 21) << at;
            EXPECT_LE(read(spoiled, true), 37) << at;
        }
    }
}

// One of the three ambient sounds, 3000 to 7999 ms after the one before.
TEST(CommonRoomTest, AmbienceKeepsItsSpacing) {
    Base base;
    CommonRoomScreen& room = base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom);
    const auto ambient = [&] {
        int32_t count = 0;
        for (const int32_t sound : base.harness.UiSoundsStarted()) count += sound >= 39 && sound <= 41;
        return count;
    };
    std::vector<uint32_t> times;
    for (uint32_t t = ScreenHarness::kStepMs; t < 120000; t += ScreenHarness::kStepMs) {
        base.harness.Clock().Advance(ScreenHarness::kStepMs);
        const int32_t before = ambient();
        room.Update();
        if (ambient() > before) times.push_back(t);
    }
    ASSERT_GE(times.size(), 12u);
    uint32_t longest = 0;
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_GT(times[i] - times[i - 1], 3000u);
        EXPECT_LE(times[i] - times[i - 1], 8000u + ScreenHarness::kStepMs);
        longest = std::max(longest, times[i] - times[i - 1]);
    }
    // The office's range stops at 7000 ms; this room's goes further.
    EXPECT_GT(longest, 7000u);
}

// The room with the trophies of 0x0C04, and the case with the rune lit.
TEST(CommonRoomTest, RoomAndCaseMatchTheirPictures) {
    {
        Base base;
        base.harness.Game().career->trophies = 0x0C04;
        CommonRoomScreen& room = base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom);
        room.ambientPick[0] = 1;
        room.ambientPick[1] = 3;
        base.harness.CaptureAfterPass(12);
        base.Run(base.Room<CommonRoomScreen>(ScreenSlot::kCommonRoom), "", 12);
        EXPECT_TRUE(MatchesGolden(base.harness.Picture(12), "common_room"));
    }
    Base base;
    base.harness.Game().career->trophies = 0x0C04;
    base.harness.CaptureAfterPass(12);
    base.Run(base.Room<TrophyCaseScreen>(ScreenSlot::kTrophy), std::string("at 1 move ") + kCaseRune + "\n", 12);
    EXPECT_TRUE(MatchesGolden(base.harness.Picture(12), "trophy_case"));
}
