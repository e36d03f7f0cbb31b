// What the headless flight tells of its crafts: every death with its
// killer, kills only by another side, names printed safely.
#include "shell/FlightReport.h"

#include <gtest/gtest.h>

#include <string>

#include "objects/ships/Craft.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

class FlightReportTest : public ::testing::Test {
protected:
    Craft* Ship(const char* name, int32_t side) {
        auto* const ship = builder_.SpawnAs<Craft>(builder_.Ball("SHIP0", 10.0f), 14);
        ship->SetName(name);
        ship->SetSide(side);
        return ship;
    }
    // What one report of the craft prints, and the kills it counts.
    std::string Report(const Craft& craft, int32_t* kills) {
        std::string told;
        *kills = flight_report::ReportCraft(craft, was_, false, [&told](const std::string& line) { told += line + "\n"; });
        return told;
    }

    WorldBuilder builder_;
    flight_report::CraftState was_;
};

TEST_F(FlightReportTest, EveryDeathIsToldAndOnlyEnemiesKill) {
    Craft* const red1 = Ship("Red 1", 2);
    Craft* const red2 = Ship("Red 2", 2);
    Craft* const blue = Ship("Blue 1", 1);
    int32_t kills = -1;

    // Rammed by its wingman: told, but no kill.
    red1->deaths = 1;
    red1->deathKiller = red2;
    red1->active = 0;
    EXPECT_EQ(Report(*red1, &kills), "destroyed 14 \"Red 1\" by 14 \"Red 2\"\n");
    EXPECT_EQ(kills, 0);
    EXPECT_EQ(Report(*red1, &kills), "");

    // Shot down and back in the same frame: the death, then the return.
    red1->deaths = 2;
    red1->deathKiller = blue;
    red1->killer = nullptr;
    red1->active = 1;
    EXPECT_EQ(Report(*red1, &kills), "destroyed 14 \"Red 1\" by 14 \"Blue 1\"\nrespawned 14 \"Red 1\"\n");
    EXPECT_EQ(kills, 1);

    // A killer gone from the world, and one that is no craft.
    red1->deaths = 3;
    red1->deathKiller = nullptr;
    EXPECT_EQ(Report(*red1, &kills), "destroyed 14 \"Red 1\" by -\nrespawned 14 \"Red 1\"\n");
    EXPECT_EQ(kills, 0);
    SpaceObject* const rock = builder_.Spawn(builder_.Ball("ROCK", 5.0f), 7);
    EXPECT_FALSE(flight_report::CountsAsKill(*blue, rock));
    EXPECT_TRUE(flight_report::CountsAsKill(*blue, red2));
    EXPECT_FALSE(flight_report::CountsAsKill(*red2, red1));
}

TEST_F(FlightReportTest, NamesFromFilesAreEscaped) {
    Craft* const odd = Ship("Re\x01" "d\"\\\xff", 2);
    Craft* const plain = Ship("Blue 1", 1);
    EXPECT_EQ(flight_report::DestroyedLine(*odd, plain), "destroyed 14 \"Re\\x01d\\x22\\x5c\\xff\" by 14 \"Blue 1\"");
    EXPECT_EQ(flight_report::DestroyedLine(*plain, odd), "destroyed 14 \"Blue 1\" by 14 \"Re\\x01d\\x22\\x5c\\xff\"");
}

}  // namespace
