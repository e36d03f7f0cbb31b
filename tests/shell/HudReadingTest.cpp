// The HUD read from the player's ship in the sample flight: every reading
// is set apart from its neighbours (the generator's split, the levels it
// feeds, a weapon group whose launchers hold different counts, a target
// whose hull and shield stand at different levels), and the flight frame's
// reading of them and the rows it draws must keep each where it belongs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "canvas/ScreenCanvas16.h"
#include "display/PixelFormat.h"
#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/HudReadout.h"
#include "game/Mission.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/Weapon.h"
#include "scene/OstrelSystem.h"
#include "shell/FlightView.h"
#include "tests/support/TempDir.h"
#include "tools/flightshot/FlightShot.h"
#include "tools/mkdata/SampleTree.h"

namespace {

template <typename System>
System* SystemOf(Craft& craft, int32_t kind) {
    return static_cast<System*>(craft.GetSystem(kind, nullptr));
}

// Shields left at `percent` of their capacity, spread over the facings.
void LeaveShields(ShieldSystem& shield, int32_t percent) {
    const int64_t left = int64_t(shield.capacity) * percent / 100;
    for (int32_t& facing : shield.facings) facing = int32_t(left / ShieldSystem::kFacings);
    ASSERT_EQ(shield.GetDepletionPercent(), 100 - percent);
}

class HudReading : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        g_pixelFormat = kPixelFormatRgb565;
        ASSERT_EQ(engine_.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    }
    void TearDown() override { g_dataDirs.Clear(); }

    const TempDir dir_;
    OstrelSystem engine_{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
};

TEST_F(HudReading, TheFlightFrameReadsEachInstrumentFromItsOwnSource) {
    FlightShot flight;
    ASSERT_EQ(flight.Load("sample.uli", 1), kStatusOk);
    ScreenCanvas16 canvas(640, 480, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
    canvas.EnableDepthTest();
    for (int32_t frame = 0; frame < 20; ++frame) flight.Frame(canvas);
    GameState& game = flight.Game();
    auto* const ship = dynamic_cast<Craft*>(game.playerShip);
    ASSERT_NE(ship, nullptr);

    // The split: shields, engine and weapons each given a different share.
    auto* const energy = SystemOf<EnergySystem>(*ship, ShipSystem::kEnergy);
    ASSERT_NE(energy, nullptr);
    energy->SetEnginePower(0);
    energy->SetWeaponPower(energy->weaponMaximum / 4);
    energy->SetShieldPower(energy->weaponMaximum / 2);
    energy->SetEnginePower(energy->weaponMaximum / 8);
    const int64_t split = int64_t(energy->shieldAllocation) + energy->engineAllocation + energy->weaponsAllocation;
    ASSERT_GT(split, 0);
    const int32_t shieldShare = int32_t(energy->shieldAllocation * 100 / split);
    const int32_t engineShare = int32_t(energy->engineAllocation * 100 / split);
    const int32_t weaponShare = int32_t(energy->weaponsAllocation * 100 / split);
    ASSERT_TRUE(shieldShare != weaponShare && shieldShare != engineShare && engineShare != weaponShare);
    // The levels: the weapons' pool at 30%, the fuel at 80%, shields at 55%.
    energy->weaponPool = energy->weaponMaximum * 3 / 10;
    energy->fuel = energy->fuelCapacity * 8 / 10;
    auto* const shields = SystemOf<ShieldSystem>(*ship, ShipSystem::kShield);
    ASSERT_NE(shields, nullptr);
    LeaveShields(*shields, 55);

    // The first missile rack's group (its twin waits outside any group until
    // it runs dry) joined by the mine layer: one missile and three mines.
    Weapon* rack = nullptr;
    Weapon* mines = nullptr;
    for (ShipSystem* system = ship->GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = ship->GetSystem(ShipSystem::kAnyWeapon, system)) {
        auto* const weapon = static_cast<Weapon*>(system);
        const std::string id = weapon->equipmentId;
        if (id == "Missile Rack 1" && weapon->group > 0) rack = weapon;
        if (id == "Mine Layer 1") mines = weapon;
    }
    ASSERT_NE(rack, nullptr);
    ASSERT_NE(mines, nullptr);
    mines->group = rack->group;
    rack->ammunition = 1;
    mines->ammunition = 3;
    game.playerControls.weaponGroup = rack->group;

    // Red 1 targeted with its hull at 75% and its shields at 40%.
    Craft* red = nullptr;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->name != nullptr && std::string(object->name) == "Red 1") red = dynamic_cast<Craft*>(object);
    }
    ASSERT_NE(red, nullptr);
    red->hitPoints = red->maxHitPoints * 3 / 4;
    auto* const redShields = SystemOf<ShieldSystem>(*red, ShipSystem::kShield);
    ASSERT_NE(redShields, nullptr);
    LeaveShields(*redShields, 40);
    auto* const targeting = SystemOf<TargetingSystem>(*ship, ShipSystem::kTargeting);
    ASSERT_NE(targeting, nullptr);
    ASSERT_EQ(targeting->SelectTarget(red), 1);

    // The flight frame reads the ship as it stands; its rows must say it.
    RenderFlightFrame(game, canvas, FlightShot::kFrameMs);
    HudReadout::Row rows[HudReadout::kRows];
    const int32_t count = game.TheCockpit().readout.Rows(640, 480, rows);
    std::string drawn;
    for (int32_t i = 0; i < count; ++i) drawn += std::string(rows[i].text) + "\n";
    char power[HudReadout::kLineChars];
    std::snprintf(power, sizeof power, "POWER SHD %3d%% ENG %3d%% WPN %3d%%\n", shieldShare, engineShare, weaponShare);
    for (const std::string& row : {std::string(power), std::string("LEVEL SHD  55% WPN  30% FUEL  80%\n"),
                                  std::string("HULL  75% SHIELD  40%\n"), std::string("\nMissile Rack 1 AMMO 1\n"),
                                  std::string("\nMine Layer 1 AMMO 3\n")}) {
        EXPECT_NE(drawn.find(row), std::string::npos) << row << "is not among the rows drawn:\n" << drawn;
    }
}

}  // namespace
