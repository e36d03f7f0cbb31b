// Saved games: a save read back sets the career and the mission up again; a
// damaged save changes nothing; a failed write keeps the previous save.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "game/DefinitionFormat.h"
#include "mission/ObjectLoader.h"
#include "objects/space/WorldPass.h"
#include "mission/MissionSetUp.h"
#include "mission/CareerUpdate.h"
#include "mission/SavedGame.h"
#include "objects/ships/PlayerShip.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/MissionData.h"
#include "tools/mkdata/SampleTree.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One message in each of the six lists, every field set.
void FillLists(GameState& game) {
    MessageList* const lists[] = {&game.newMail, &game.oldMail, &game.newNews, &game.oldNews, &game.logs, &game.voice};
    for (int i = 0; i < 6; ++i) {
        auto m = std::make_unique<MessageEntry>();
        m->title = "Title " + std::to_string(i);
        m->body = "Body";
        std::strcpy(m->missionName, "strike.uli");
        m->launchFile = "strike.uli";
        m->face = i == 5 ? 112 : i - 1;
        m->offer = 0x80000000u | uint32_t(i);
        m->kind = i;
        m->list = i % 4;
        m->conditions[0] = 1;
        m->conditions[1] = 2;
        m->conditions[2] = 4;
        m->read = 1;
        m->active = 2;
        m->lifetime = i;
        lists[i]->Clear();
        lists[i]->Append(std::move(m));
    }
}

class SavedGameTest : public SampleMissionTest {
protected:
    void SetUp() override {
        SampleMissionTest::SetUp();
        Game().SetConfigFolder(dir_.Str());
    }
    void SetCareer() {
        CareerRecord& career = *Game().career;
        // The lists read back in the career's own tests; every byte of them
        // here would only make the damaged-file walks long.
        career.hirePool.clear();
        career.catalogue.clear();
        career.stores.clear();
        career.ships.resize(1);
        std::strcpy(career.pilotName, "Ilse Varro");
        std::strcpy(career.callsign, "Kestrel");
        career.funds = 125000;
        career.trophies = 0x8005;
        career.kills = 42;
        career.missions = 9;
        career.accuracyValue = 61;
        career.face = 3;
        career.logo = 18;
        career.options.musicVolume = 1;
        Game().difficulty = 4;
        Game().plotCounter = 7;
        Game().missionName = kSampleMissionFile;
        FillLists(Game());
    }
    std::string SlotPath() const { return dir_.Str() + "/slot0.sav"; }

    RecordingMessageBox boxes_;
    ScopedInstall<platform::MessageBox> installed_{boxes_};
};

TEST_F(SavedGameTest, ASaveReadBackRestoresTheCareerAndSetsTheMissionUpAgain) {
    SetCareer();
    Game().MissionAccepted();
    ASSERT_EQ(SaveGame("slot0", "Before the gate"), kStatusOk);

    // Everything the save holds changes before the load.
    CareerRecord* const before = Game().career;
    before->funds = 1;
    before->logo = 2;
    before->options.musicVolume = 3;
    Game().difficulty = 1;
    Game().plotCounter = 0;
    Game().missionName = "other.uli";
    Game().missionReady = 0;
    Game().missionFlown = 1;
    Game().voice.Clear();
    Game().logs.At(0)->read = 0;
    Game().flightUnsettled = 1;

    ASSERT_EQ(LoadGame("slot0"), kStatusOk);
    GameState expected;
    FillLists(expected);
    EXPECT_TRUE(Game().newMail == expected.newMail && Game().oldMail == expected.oldMail &&
                Game().newNews == expected.newNews && Game().oldNews == expected.oldNews &&
                Game().logs == expected.logs && Game().voice == expected.voice);
    const CareerRecord& career = *Game().career;
    EXPECT_EQ(career.funds, 125000);
    EXPECT_EQ(career.logo, 18);
    EXPECT_EQ(career.options.musicVolume, 1);
    EXPECT_EQ(Game().difficulty, 4);
    EXPECT_EQ(Game().plotCounter, 7);
    EXPECT_EQ(Game().missionName, kSampleMissionFile);
    EXPECT_EQ(Game().missionReady, 1);
    EXPECT_EQ(Game().missionFlown, 0);
    EXPECT_EQ(Game().flightUnsettled, 0);
    // The career's ship is made when the mission launches.
    ASSERT_NE(Game().mission, nullptr);
    EXPECT_NE(Game().mission->firstObject, nullptr);
    EXPECT_EQ(Game().playerShip, nullptr);
    EXPECT_EQ(Game().launchFromBase, 1);

    // Saved once it was flown, the mission is done: the load sets nothing up
    // to fly it again; the career comes back all the same.
    Game().MissionLaunched();
    Game().MissionSettled();
    ASSERT_EQ(SaveGame("slot0", "After the gate"), kStatusOk);
    Game().career->funds = 1;
    ASSERT_EQ(LoadGame("slot0"), kStatusOk);
    EXPECT_EQ(Game().career->funds, 125000);
    EXPECT_EQ(Game().missionReady, 0);
    EXPECT_EQ(Game().mission, nullptr);
}

// Every cut and every flipped byte: the load fails and the same career
// object keeps its values, the mission as it was.
TEST_F(SavedGameTest, ADamagedSaveChangesNothing) {
    SetCareer();
    // One message is enough to walk; each byte more makes the walks longer.
    for (MessageList* list : {&Game().oldMail, &Game().newNews, &Game().oldNews, &Game().logs, &Game().voice}) list->Clear();
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    ASSERT_EQ(SaveGame("slot0", "Before the gate"), kStatusOk);
    const std::vector<uint8_t> whole = ReadAll(SlotPath());
    ASSERT_GT(whole.size(), 100u);

    CareerRecord* career = nullptr;
    SpaceObject* ship = nullptr;
    auto keep = [&] {
        career = Game().career;
        career->funds = 5;
        std::strcpy(career->pilotName, "Ilse Varro");
        Game().difficulty = 2;
        Game().plotCounter = 3;
        Game().missionName = "kept.uli";
        ship = Game().playerShip;
        Game().voice.Clear();
        Game().logs.Clear();
        Game().logs.Append(std::make_unique<MessageEntry>())->title = "kept";
    };
    auto expectUnchanged = [&](const char* what, size_t at) {
        ASSERT_EQ(Game().career, career) << what << at;
        EXPECT_EQ(career->funds, 5) << what << at;
        EXPECT_STREQ(career->pilotName, "Ilse Varro") << what << at;
        EXPECT_EQ(Game().difficulty, 2) << what << at;
        EXPECT_EQ(Game().plotCounter, 3) << what << at;
        EXPECT_EQ(Game().missionName, "kept.uli") << what << at;
        EXPECT_EQ(Game().missionReady, 1) << what << at;
        EXPECT_EQ(Game().playerShip, ship) << what << at;
        ASSERT_EQ(Game().logs.Count(), 1) << what << at;
        EXPECT_EQ(Game().logs.At(0)->title, "kept") << what << at;
        EXPECT_EQ(Game().voice.Count(), 0) << what << at;
    };
    keep();
    for (size_t size = 0; size < whole.size(); ++size) {
        WriteAll(SlotPath(), std::vector<uint8_t>(whole.begin(), whole.begin() + size));
        EXPECT_NE(LoadGame("slot0"), kStatusOk) << "cut at " << size;
        expectUnchanged("cut at ", size);
    }
    int refused = 0;
    for (size_t at = 0; at < whole.size(); ++at) {
        std::vector<uint8_t> bytes = whole;
        bytes[at] ^= 0x80;
        WriteAll(SlotPath(), bytes);
        // A flip inside the mission name may read and then fail the set-up,
        // with the career replaced; only a refused file must change nothing.
        if (LoadGame("slot0") != kStatusOk && Game().career == career) {
            ++refused;
            expectUnchanged("flipped at ", at);
        } else {
            // A flip inside a free text or word may still read: start over.
            ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
            keep();
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_NE(LoadGame("missing"), kStatusOk);
}

TEST_F(SavedGameTest, AFailedWriteKeepsThePreviousSave) {
    SetCareer();
    ASSERT_EQ(SaveGame("slot0", "First"), kStatusOk);
    const std::vector<uint8_t> first = ReadAll(SlotPath());
    Game().career->funds = 99;

    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    files.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
    EXPECT_NE(SaveGame("slot0", "Second"), kStatusOk);
    EXPECT_EQ(ReadAll(SlotPath()), first);

    files.Heal();
    files.ShortWrites(3);
    EXPECT_NE(SaveGame("slot0", "Second"), kStatusOk);
    EXPECT_EQ(ReadAll(SlotPath()), first);
    files.ShortWrites(0);

    ASSERT_EQ(SaveGame("slot0", "Second"), kStatusOk);
    EXPECT_NE(ReadAll(SlotPath()), first);
}

// A save goes out in a few writes and is on the disk before it replaces the
// slot. Whatever call of the save fails, the slot holds one whole save, the
// old or the new, and no half-written file is left beside it.
TEST_F(SavedGameTest, ASaveFailingAtAnyWriteOrAtTheRenameKeepsOneWholeSave) {
    SetCareer();
    ASSERT_EQ(SaveGame("slot0", "First"), kStatusOk);
    const std::vector<uint8_t> first = ReadAll(SlotPath());
    Game().career->funds = 99;
    uint32_t writes = 0;
    {
        FaultyFileSystem counter;
        ScopedInstall<platform::FileSystem> installed(counter);
        ASSERT_EQ(SaveGame("slot0", "Second"), kStatusOk);
        writes = counter.Calls(FaultyFileSystem::kWrite);
        const std::vector<FaultyFileSystem::Operation>& log = counter.Log();
        const auto rename = std::find(log.begin(), log.end(), FaultyFileSystem::kRename);
        EXPECT_NE(std::find(log.begin(), rename, FaultyFileSystem::kFlush), rename);
        // The folder is flushed after the rename: a power cut brings back the new save.
        EXPECT_NE(std::find(rename, log.end(), FaultyFileSystem::kSyncFolder), log.end());
    }
    const std::vector<uint8_t> second = ReadAll(SlotPath());
    ASSERT_NE(second, first);
    ASSERT_GT(writes, 0u);
    EXPECT_LE(writes, 4u) << "a save of " << second.size() << " bytes";

    const FaultyFileSystem::Operation failing[] = {FaultyFileSystem::kOpen, FaultyFileSystem::kWrite,
                                                   FaultyFileSystem::kFlush, FaultyFileSystem::kClose,
                                                   FaultyFileSystem::kRename};
    for (const FaultyFileSystem::Operation operation : failing) {
        const uint32_t calls = operation == FaultyFileSystem::kWrite ? writes : 1;
        for (uint32_t at = 0; at < calls; ++at) {
            WriteAll(SlotPath(), first);
            FaultyFileSystem files;
            ScopedInstall<platform::FileSystem> installed(files);
            files.FailNext(operation, 1, platform::kFileDiskFull, at);
            const Status status = SaveGame("slot0", "Second");
            EXPECT_NE(status, kStatusOk) << "operation " << operation << " call " << at;
            EXPECT_EQ(ReadAll(SlotPath()), first) << "operation " << operation << " call " << at;
            EXPECT_FALSE(std::filesystem::exists(SlotPath() + ".new")) << "operation " << operation << " call " << at;
        }
    }
    // A run killed after the finished copy is written but before the rename
    // leaves the old slot and the copy; the next save replaces both.
    WriteAll(SlotPath(), first);
    WriteAll(SlotPath() + ".new", std::vector<uint8_t>(first.begin(), first.begin() + 10));
    ASSERT_EQ(LoadGame("slot0"), kStatusOk);
    EXPECT_EQ(Game().career->funds, 125000);
    Game().career->funds = 99;
    ASSERT_EQ(SaveGame("slot0", "Second"), kStatusOk);
    EXPECT_EQ(ReadAll(SlotPath()), second);
    EXPECT_FALSE(std::filesystem::exists(SlotPath() + ".new"));
}

// A saved game may hold any number: what lies beyond the ranges the game
// writes comes back within them. Repair points mend at most the damage
// there is, repair money and the funds are never below nothing, an item's
// maximum lies between "nothing damages it" and what the repair rules take;
// what lies within comes back as it was.
TEST_F(SavedGameTest, NumbersBeyondTheirRangesLoadWithinThem) {
    SetCareer();
    CareerRecord& career = *Game().career;
    career.funds = std::numeric_limits<int32_t>::min();
    const auto ship = [&](int32_t damage, int32_t repairPoints) {
        auto made = std::make_unique<ShipRecord>("P102");
        EXPECT_EQ(made->LoadHull(), kStatusOk);
        made->damage = damage;
        made->repairPoints = repairPoints;
        career.AddShip(std::move(made));
    };
    ship(30, std::numeric_limits<int32_t>::max());
    ship(0, -5);
    ship(60, 25);
    const auto item = [&](const char* id, int32_t kind, int32_t damage, int32_t repairPoints, int32_t money,
                          int32_t maximum) {
        auto made = std::make_unique<EquipmentItem>(id, kind);
        made->damage = damage;
        made->repairPoints = repairPoints;
        made->repairMoney = money;
        made->maximum = maximum;
        career.stores.push_back(std::move(made));
    };
    item("Armor 2", EquipmentItem::kArmor, 40, 41, -300, std::numeric_limits<int32_t>::max());
    item("Radar 1", 4, 10, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
         std::numeric_limits<int32_t>::min());
    item("Hardening 1", 9, 0, 0, 0, EquipmentItem::kNeverDamaged);
    item("Engine 1", 7, 100, 100, 500, 100);
    ASSERT_EQ(SaveGame("slot0", "Out of range"), kStatusOk);

    ASSERT_EQ(LoadGame("slot0"), kStatusOk);
    const CareerRecord& loaded = *Game().career;
    EXPECT_EQ(loaded.funds, 0);
    ASSERT_EQ(loaded.GetShipCount(), 3);
    EXPECT_EQ(loaded.GetShip(0)->repairPoints, 30);
    EXPECT_EQ(loaded.GetShip(1)->repairPoints, 0);
    EXPECT_EQ(loaded.GetShip(2)->repairPoints, 25);
    ASSERT_EQ(loaded.stores.size(), 4u);
    const EquipmentItem& armour = *loaded.stores[0];
    EXPECT_EQ(armour.damage, 40);
    EXPECT_EQ(armour.repairPoints, 40);
    EXPECT_EQ(armour.repairMoney, 0);
    EXPECT_EQ(armour.maximum, EquipmentItem::kLargestMaximum);
    const EquipmentItem& radar = *loaded.stores[1];
    EXPECT_EQ(radar.repairPoints, 0);
    EXPECT_EQ(radar.repairMoney, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(radar.maximum, EquipmentItem::kNeverDamaged);
    EXPECT_EQ(loaded.stores[2]->maximum, EquipmentItem::kNeverDamaged);
    const EquipmentItem& engine = *loaded.stores[3];
    EXPECT_EQ(engine.repairPoints, 100);
    EXPECT_EQ(engine.repairMoney, 500);
    EXPECT_EQ(engine.maximum, 100);
}

// Counts at their largest load, add up and take a flight without wrapping;
// a negative count is damage and changes nothing.
TEST_F(SavedGameTest, CountsAtTheirLargestLoadAndFlyWithoutWrapping) {
    constexpr int32_t kMost = std::numeric_limits<int32_t>::max();
    SetCareer();
    CareerRecord& career = *Game().career;
    career.kills = kMost;
    career.missions = kMost;
    career.catalogue.push_back(std::make_unique<EquipmentItem>("Radar 1", 4));
    for (int i = 0; i < 2; ++i) {
        auto stored = std::make_unique<EquipmentItem>("Radar 1", 4);
        stored->quantity = kMost;
        stored->ammunition = i;   // kept apart in the stores
        career.stores.push_back(std::move(stored));
    }
    ASSERT_EQ(SaveGame("slot0", "Full"), kStatusOk);

    ASSERT_EQ(LoadGame("slot0"), kStatusOk);
    CareerRecord& loaded = *Game().career;
    ASSERT_EQ(loaded.catalogue.size(), 1u);
    auto more = std::make_unique<EquipmentItem>("Radar 1", 4);
    more->quantity = kMost;
    loaded.StoreEquipment(std::move(more));
    loaded.CountOwnedItems();
    EXPECT_EQ(loaded.catalogue[0]->quantity, kMost);
    loaded.accuracy.kills = 3;
    UpdateCareerAfterMission(Game());
    EXPECT_EQ(loaded.kills, kMost);
    EXPECT_EQ(loaded.missions, kMost);

    loaded.kills = -1;
    ASSERT_EQ(SaveGame("slot1", "Negative"), kStatusOk);
    EXPECT_NE(LoadGame("slot1"), kStatusOk);
    EXPECT_EQ(Game().career, &loaded);
}

// The sample tree's save is one the game takes.
TEST_F(SavedGameTest, TheSampleSaveLoads) {
    ASSERT_EQ(LoadGame("slot0"), kStatusOk);
    EXPECT_STREQ(Game().career->GetPilotName(), "Korvane");
    EXPECT_EQ(Game().missionName, kSampleMissionFile);
    EXPECT_EQ(Game().missionReady, 1);
}

}  // namespace
