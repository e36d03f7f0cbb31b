#include "screens/squadron/DataSheet.h"

#include <gtest/gtest.h>

#include <utility>

#include "game/EquipmentItem.h"
#include "game/ShipRecord.h"

namespace {

struct SheetCase {
    const char* what;
    int32_t kind;
    int32_t k[8];
    int32_t plaque;
    int32_t box;            // 1..10, the box checked
    const char* expected;
};

// Each row catches a rule of its own: the plaque order, the exact-match
// radar word, the engine's missing afterburner, the decoy's gap, the
// seeker words and the projectile's period.
const SheetCase kCases[] = {
    {"battery has no sheet", 8, {1, 2, 3, 4, 5, 6, 7, 8}, 0, 1, ""},
    {"missile plaque before gun", 22, {0, 0, 0, 0, 0, 0, 0, 1}, 16, 10, "Passive"},
    {"gun plaque after missile", 21, {1, 2, 3, 4, 5, 6, 7, 8}, 17, 10, "8"},
    {"radar only 1 is yes", 4, {0, 2, 0, 0, 0, 0, 0, 0}, 4, 4, "No"},
    {"radar 1 is yes", 4, {0, 1, 0, 0, 0, 0, 0, 0}, 4, 4, "Yes"},
    {"engine without afterburner", 7, {0, 0, 0, 9, 0, 0, 0, 0}, 7, 5, "No"},
    {"engine without afterburner shows k4 0", 7, {0, 0, 0, 9, 0, 0, 0, 0}, 7, 6, "0"},
    {"engine with afterburner keeps k4", 7, {0, 0, 1, 9, 0, 0, 0, 0}, 7, 6, "9"},
    {"decoy left-justified", 15, {0, 0, 5, 0, 0, 0, 0, 0}, 14, 6, "5   "},
    {"decoy gap", 15, {0, 0, 5, 0, 0, 0, 0, 0}, 14, 5, ""},
    {"missile unknown seeker", 22, {0, 0, 0, 0, 0, 0, 0, 7}, 16, 10, "None"},
    {"missile negative seeker", 22, {0, 0, 0, 0, 0, 0, 0, -1}, 16, 10, "None"},
    {"projectile 3", 23, {0, 0, 0, 0, 0, 0, 0, 3}, 18, 10, "333"},
    {"projectile 1000", 23, {0, 0, 0, 0, 0, 0, 0, 1000}, 18, 10, "1"},
    {"projectile 2000", 23, {0, 0, 0, 0, 0, 0, 0, 2000}, 18, 10, "0"},
    {"projectile without rate", 23, {0, 0, 0, 0, 0, 0, 0, 0}, 18, 10, ""},
    {"cloak stops at k5", 11, {1, 2, 3, 4, 5, 6, 7, 8}, 10, 8, ""},
    {"mine shows k7", 24, {1, 2, 3, 4, 5, 6, 7, 8}, 19, 9, "7"},
    {"unknown kind", 25, {1, 2, 3, 4, 5, 6, 7, 8}, 0, 1, ""},
};

TEST(DataSheet, FillsBoxesByKindTable) {
    for (const SheetCase& c : kCases) {
        EquipmentItem item("Thing", c.kind);
        for (int32_t i = 0; i < 8; ++i) item.k[i] = c.k[i];
        const DataSheet sheet = DataSheet::For(&item, nullptr);
        EXPECT_EQ(sheet.plaque, c.plaque) << c.what;
        EXPECT_EQ(sheet.values[c.box - 1], c.expected) << c.what;
    }
}

TEST(DataSheet, EngineWithoutAfterburnerKeepsItsK4Cleared) {
    EquipmentItem engine("Drive", 7);
    engine.k[3] = 40;
    DataSheet::For(&engine, nullptr);
    EXPECT_EQ(engine.k[3], 0);
}

TEST(DataSheet, ArmorShowsMaximumAndDamage) {
    EquipmentItem armor("Plate", 3);
    armor.rating = 11;
    armor.maximum = 250;
    armor.damage = 40;
    const DataSheet sheet = DataSheet::For(&armor, nullptr);
    EXPECT_EQ(sheet.values[0], "250");
    EXPECT_EQ(sheet.values[1], "40");
    EXPECT_EQ(sheet.values[2], "");
}

TEST(DataSheet, ShipSheetUsesHullNumbersAndItemWins) {
    ShipRecord ship("P102");
    ship.displayName = "Lancer";
    ship.physThrust = -3;
    ship.physMass = 60000;
    ship.damage = 12;
    ship.info[1] = 100;
    ship.info[2] = 200;
    ship.info[6] = 600;
    DataSheet sheet = DataSheet::For(nullptr, &ship);
    EXPECT_EQ(sheet.plaque, DataSheet::kShipPlaque);
    const char* expected[] = {"-3", "12", "60000", "600", "100", "200", "", "", "", ""};
    for (int32_t i = 0; i < DataSheet::kValueBoxes; ++i) EXPECT_EQ(sheet.values[i], expected[i]) << i;

    EXPECT_EQ(DataSheet::For(nullptr, nullptr).plaque, DataSheet::kNoPlaque);
}

TEST(DataSheet, TypeNamesAtTheEdges) {
    const std::pair<int32_t, const char*> cases[] = {{18, "Special"}, {19, "Weapon"}, {24, "Mine"},
                                                     {0, "UNKNOWN"}, {25, "UNKNOWN"}, {INT32_MIN, "UNKNOWN"}};
    for (const auto& [type, name] : cases) EXPECT_STREQ(ItemTypeName(type), name) << type;
}

}  // namespace
