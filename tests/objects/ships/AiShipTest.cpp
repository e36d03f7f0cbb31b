// AI ships from the sample tree's pilot tables: traits by ship number and
// race, maneuver lists by skill, faces and voices, rearm bases, and the two
// readers against cut and garbled files.
#include "objects/ships/AiShip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ai/Maneuver.h"
#include "engine/IffFile.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "mission/Goal.h"
#include "objects/ships/AiTables.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes(1 << 16);
    std::FILE* const file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

class AiShipTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        GameRandomSeed(11);
    }
    void TearDown() override { FreeGoals(); }

    AiShip* Pilot(const char* model, const spawn_records::AiShip& record, const char* label = "R205") {
        auto* const ship = new AiShip(builder_.Template(model), &record, label);
        builder_.Game().AddObjectsToWorld(ship, 0);
        return ship;
    }

    TempDir dir_;
    WorldBuilder builder_;
};

// The raider's model (race 3, ship 05) finds its record, adds its race's
// modifiers and takes the maneuvers of its skill; names the factory does
// not know are passed over. Models without the digits keep the Init values.
TEST_F(AiShipTest, TraitsAndManeuversComeFromTheTablesByModelName) {
    struct Case {
        const char* model;
        int32_t skill;
        int32_t traits[6];
        int attack, aggressive, defensive;
    } cases[] = {
        {"2305RAIDR", 2, {0, 75, 35, 65, 45, 60}, 3, 2, 3},   // ace: "Dance" is no maneuver
        {"2305RAIDR", 0, {0, 75, 35, 65, 45, 60}, 1, 1, 1},
        {"2305RAIDR", 1, {0, 75, 35, 65, 45, 60}, 2, 2, 2},
        {"9977NONE", 1, {0, 50, 50, 50, 50, 50}, 0, 0, 0},      // no record of either kind
        {"FIGHT0000", 2, {0, 50, 50, 50, 50, 50}, 0, 0, 0},     // no digits: no tables at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " skill " + std::to_string(c.skill));
        spawn_records::AiShip record;
        record.skill = c.skill;
        AiShip* const ship = Pilot(c.model, record);
        for (int i = 0; i < AiShip::kTraits; ++i) EXPECT_EQ(ship->traits[i], c.traits[i]) << "trait " << i;
        EXPECT_EQ(ship->attackManeuvers.Count(), c.attack);
        EXPECT_EQ(ship->aggressiveManeuvers.Count(), c.aggressive);
        EXPECT_EQ(ship->defensiveManeuvers.Count(), c.defensive);
        builder_.Remove(ship);
    }

    spawn_records::AiShip ace;
    ace.skill = 2;
    AiShip* const ship = Pilot("2305RAIDR", ace);
    EXPECT_EQ(ship->defensiveManeuvers[1]->kind, ManeuverKind::kBarrelRollLeft);
    ship->PickRandomManeuver();
    ASSERT_NE(ship->currentManeuver, nullptr);
    EXPECT_EQ(AiShip::CreateManeuver("break"), nullptr);   // names are exact
    builder_.Remove(ship);
}

TEST_F(AiShipTest, FacesAndVoicesFollowRaceClassAndFaceNumber) {
    struct Case {
        int32_t race, face;
        const char* label;
        const char* prefix;   // of the face name
        int32_t voice;        // 0: either
    } cases[] = {
        {19, 0, "R201", "KNG_CIV_M", 2},   // one race is always a man's voice
        {16, 0, "R205", "IPE_FTR_", 0},
        {21, 0, "R212", "???_COM_", 0},
        {16, 36, "R205", "NOT GENERIC", 1},
        {16, 12, "R205", "NOT GENERIC", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.race) + " " + std::to_string(c.face));
        for (int again = 0; again < 6; ++again) {
            spawn_records::AiShip record;
            record.race = c.race;
            record.face = c.face;
            AiShip* const ship = Pilot("FIGHT0000", record, c.label);
            ASSERT_NE(ship->faceName, nullptr);
            EXPECT_EQ(std::string(ship->faceName).rfind(c.prefix, 0), 0u) << ship->faceName;
            if (c.voice != 0) {
                EXPECT_EQ(ship->voiceGender, c.voice);
            }
            if (c.face == 0) {
                EXPECT_EQ(ship->faceName[std::strlen(ship->faceName) - 1], ship->voiceGender == 1 ? 'F' : 'M');
            }
            builder_.Remove(ship);
        }
    }
    EXPECT_STREQ(AiShip::RaceName(24), "Scherie");
    EXPECT_STREQ(AiShip::RaceName(21), "None");
}

TEST_F(AiShipTest, ARearmStationIsAHeavyBaseWithAReloadGoal) {
    spawn_records::AiShip record;
    AiShip* const base = Pilot("BASEMULT0", record);
    EXPECT_EQ(base->isBase, 1u);
    EXPECT_FLOAT_EQ(base->mass, AiShip::kBaseMass);
    ASSERT_NE(g_goalList, nullptr);
    EXPECT_EQ(builder_.TheMission().goalList, g_goalList);
    base->sawPlayer = 1;
    base->UpdateParts(50);   // a base does not think
    builder_.Remove(base);
}

// Every cut of both files ends the walk with what was whole; a DATA chunk of
// the wrong size is passed over; a name fills at most its bound.
TEST_F(AiShipTest, TheTablesReadCutAndGarbledFilesSafely) {
    const std::string data = g_dataDirs.Prefix(DataDir::kData);
    const std::vector<uint8_t> traits = ReadFile(data + "ai.iff");
    const std::vector<uint8_t> detail = ReadFile(data + "aidetail.iff");
    ASSERT_FALSE(traits.empty());
    ASSERT_FALSE(detail.empty());
    size_t wholeShips = 0;
    for (size_t cut = 0; cut <= traits.size(); ++cut) {
        MemoryStream stream(std::vector<uint8_t>(traits.begin(), traits.begin() + cut));
        IffFile iff(&stream, 0);
        ai_tables::TraitTables tables;
        if (iff.ValidateHeader() == kStatusOk) ai_tables::ReadTraits(iff, &tables);
        EXPECT_LE(tables.ships.size(), 2u);
        if (cut == traits.size()) wholeShips = tables.ships.size();
    }
    EXPECT_EQ(wholeShips, 2u);
    for (size_t cut = 0; cut <= detail.size(); ++cut) {
        MemoryStream stream(std::vector<uint8_t>(detail.begin(), detail.begin() + cut));
        IffFile iff(&stream, 0);
        std::vector<ai_tables::KillShip> ships;
        if (iff.ValidateHeader() == kStatusOk) ai_tables::ReadKillLists(iff, &ships);
        EXPECT_LE(ships.size(), 1u);
    }

    // The first DATA chunk claims 14 bytes: that record is skipped, the rest read.
    std::vector<uint8_t> garbled = traits;
    const auto data14 = std::search(garbled.begin(), garbled.end(), std::begin("DATA"), std::end("DATA") - 1);
    ASSERT_NE(data14, garbled.end());
    data14[7] = 14;
    MemoryStream stream(garbled);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ai_tables::TraitTables tables;
    ai_tables::ReadTraits(iff, &tables);
    EXPECT_LE(tables.ships.size() + tables.races.size(), 2u);
}

}  // namespace
