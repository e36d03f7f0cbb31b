// The cockpit's targeting readout and gun sight in flight: the target's
// identity coming in as the ship closes (and the maps learning of it), the
// sub-target key, a missile group's lock, the current group's refusals, a
// beam's energy and cooling, the right column's room for a long row, and a
// projectile group's crosshair where its shot goes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "display/CanvasRect.h"
#include "engine/EngineAllocation.h"
#include "game/Cockpit.h"
#include "game/CommandTable.h"
#include "navmap/MapSymbol.h"
#include "navmap/WarRoomMapScreen.h"
#include "objects/space/Missile.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/BeamWeapon.h"
#include "objects/weapons/Projectile.h"
#include "objects/weapons/ProjectileWeapon.h"
#include "objects/weapons/Weapon.h"
#include "scene/Camera.h"
#include "tests/shell/CockpitFlight.h"
#include "tests/support/GoldenImage.h"

namespace {

using namespace command_table;

class HudTargeting : public CockpitFlight {
protected:
    // Whether the war-room map, opened on this flight's world, shows the object.
    bool OnWarRoomMap(const SpaceObject& object) {
        WarRoomMapScreen screen;
        screen.InitFilterButtons();
        screen.listObjects = 1;
        screen.ResetView();
        screen.DrawMap(screen.mapCamera, 20000);
        for (const MapSymbol& symbol : screen.symbols) {
            if (symbol.object == &object) return true;
        }
        return false;
    }
    Weapon* WeaponOfKind(int32_t kind) {
        for (ShipSystem* system = Ship().GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
             system = Ship().GetSystem(ShipSystem::kAnyWeapon, system)) {
            if (system->typeId == kind) return static_cast<Weapon*>(system);
        }
        return nullptr;
    }
    // W until the group is chosen, as a pilot chooses it.
    void Choose(int32_t group) {
        for (int32_t i = 0; i < 8 && Game().playerControls.weaponGroup != group; ++i) Press(kNextWeaponGroup);
        ASSERT_EQ(Game().playerControls.weaponGroup, group);
    }
    // Where the ship's nose points this far out, on the screen.
    HudMark Nose(float metres = 1000.0f) {
        Vector3 at = Ship().Position();
        at.AddAssign(Axis(2).Scaled(metres));
        return HudMark::Of(*Game().flightCamera, at);
    }
};

bool Near(const HudMark& a, const HudMark& b, float pixels) {
    return a.kind == HudMark::kOnScreen && b.kind == HudMark::kOnScreen && std::fabs(a.x - b.x) <= pixels &&
           std::fabs(a.y - b.y) <= pixels;
}

// The raider the war-room map leaves out, taken as the target far ahead by a
// radar that identifies nothing at its long range: class, callsign, part and
// name each come in at its own distance as the ship closes; Y steps the part
// the readout names; and once the callsign is read the raider is identified
// for the maps too.
TEST_F(HudTargeting, TheTargetsIdentityComesInAsTheShipClosesAndTheMapsLearnOfIt) {
    Fly("mapworld.uli");
    auto* const raider = dynamic_cast<Craft*>(Named("Shadow"));
    ASSERT_NE(raider, nullptr);
    ASSERT_EQ(raider->identified, 0u);
    EXPECT_FALSE(OnWarRoomMap(*raider)) << "the map shows an unidentified raider";
    // A raider flying under a callsign, and a radar that identifies nothing
    // at its long range.
    EngineRelease(raider->callsign);
    raider->callsign = EngineCopyText("Ghost");
    SystemOf<RadarSystem>(Ship(), ShipSystem::kRadar)->activeFar = 0;
    auto* const targeting = SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting);
    float distance = 5800.0f;
    const auto frame = [&](std::initializer_list<uint16_t> held) {
        Place(*raider, 0.0f, 0.0f, distance);
        Frame(held);
    };
    for (int32_t i = 0; i < 40 && targeting->GetTarget() != raider; ++i) {
        frame({kNextTarget});
        frame({});
    }
    ASSERT_EQ(targeting->GetTarget(), raider) << "T never reached the raider";
    const auto closeTo = [&](float metres) {
        distance = metres;
        for (int32_t i = 0; i < 3; ++i) frame({});
    };
    struct Step {
        float metres;
        bool className, callsign, part, name;
    };
    for (const Step& step : {Step{5800.0f, false, false, false, false}, Step{4800.0f, true, false, false, false},
                             Step{4000.0f, true, true, false, false}, Step{3000.0f, true, true, true, false},
                             Step{1500.0f, true, true, true, true}}) {
        closeTo(step.metres);
        const HudReadout& readout = Readout();
        ASSERT_TRUE(readout.hasTarget);
        SCOPED_TRACE(std::to_string(int(step.metres)) + " m:\n" + Rows());
        EXPECT_TRUE(HasRow(std::string("CLASS ") + (step.className ? raider->label : "unknown")));
        EXPECT_TRUE(HasRow(std::string("CALLSIGN ") + (step.callsign ? "Ghost" : "unknown")));
        EXPECT_EQ(std::string(readout.targetName), step.name ? "Shadow" : "unknown");
        if (step.part) {
            EXPECT_STRNE(readout.targetPart, "none");
        } else {
            EXPECT_TRUE(HasRow("PART none"));
        }
        EXPECT_EQ(raider->identified, step.callsign ? 1u : 0u);
    }
    EXPECT_TRUE(OnWarRoomMap(*raider)) << "the identified raider is still off the map";

    // Y: the next part of the raider, named.
    const std::string first = Readout().targetPart;
    frame({kNextSubTarget});
    frame({});
    EXPECT_EQ(targeting->GetSubTarget(), 1);
    EXPECT_NE(std::string(Readout().targetPart), first);
    EXPECT_TRUE(HasRow(std::string("PART ") + Readout().targetPart)) << Rows();
}

// The rack's lock on a raider held ahead grows frame by frame to LOCKED,
// and falls once the raider is behind.
TEST_F(HudTargeting, AMissileGroupsLockGrowsWhileTheTargetStaysAhead) {
    Fly("strike.uli");
    auto* const raider = Named("Red 1");
    ASSERT_NE(raider, nullptr);
    Choose(Weapon::kMissileGroup);
    ASSERT_EQ(SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting)->SelectTarget(raider), 1);
    Place(*raider, 0.0f, 0.0f, 900.0f);
    Read();
    EXPECT_EQ(Readout().lock, 0);
    int32_t last = 0;
    bool locked = false;
    for (int32_t frame = 0; frame < 80 && !locked; ++frame) {
        Place(*raider, 0.0f, 0.0f, 900.0f);
        Frame();
        ASSERT_GE(Readout().lock, last) << "the lock fell with the target ahead";
        last = Readout().lock;
        locked = HasRow("GROUP 3 LOCKED");
        if (!locked && last > 0 && last < 100) {
            char row[64];
            std::snprintf(row, sizeof row, "GROUP 3 LOCK %3d%%", int(last));
            EXPECT_TRUE(HasRow(row)) << Rows();
        }
    }
    EXPECT_TRUE(locked) << Rows();
    for (int32_t frame = 0; frame < 10; ++frame) {
        Place(*raider, 0.0f, 0.0f, -900.0f);
        Frame();
    }
    EXPECT_LT(Readout().lock, last);
}

// The rows say LOCKED from a lock of a full 100 on, as the rack hands its
// missile the target from there: at 99 the row counts and the missile flies
// unguided; at exactly 100 it reads LOCKED and the missile homes.
TEST_F(HudTargeting, AMissileGroupReadsLockedFromAFullHundredAsItsMissilesHome) {
    Fly("strike.uli");
    auto* const raider = Named("Red 1");
    ASSERT_NE(raider, nullptr);
    Choose(Weapon::kMissileGroup);
    auto* const targeting = SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting);
    ASSERT_EQ(targeting->SelectTarget(raider), 1);
    Weapon* const rack = WeaponOfKind(Weapon::kMissileLauncher);
    ASSERT_NE(rack, nullptr);
    ASSERT_EQ(rack->group, Weapon::kMissileGroup);
    struct Step {
        float lock;
        const char* row;
        const char* rounds;
        bool homes;
    };
    for (const Step& step : {Step{99.9f, "GROUP 3 LOCK  99%", "Missile Rack 1 AMMO 2", false},
                             Step{100.0f, "GROUP 3 LOCKED", "Missile Rack 1 AMMO 1", true}}) {
        SCOPED_TRACE(step.row);
        for (int32_t frame = 0; frame < 25; ++frame) Frame();   // past the rack's refire delay
        Place(*raider, 0.0f, 0.0f, 900.0f);
        targeting->lock[rack->lockClass] = step.lock;
        Read();
        EXPECT_TRUE(HasRow(step.row)) << Rows();
        EXPECT_TRUE(HasRow(step.rounds)) << Rows();
        Game().trackedPlayerMissile = nullptr;
        FillWeaponPool();
        Frame({kFire});
        auto* const missile = dynamic_cast<Missile*>(Game().trackedPlayerMissile);
        ASSERT_NE(missile, nullptr) << "no missile went out";
        EXPECT_EQ(missile->target.Get(), step.homes ? raider : nullptr);
    }
}

// The laser fires its last shot and drops out of group 2 with "Out of ammo",
// which its row tells under the group and the beam that is left; an EMP
// makes each weapon refuse with "EMP damage override" for as long as it
// lasts, and then the dry laser's refusal is told again; with the weapon
// pool drained the beam says "Not enough energy". Each refusal is told as
// it comes to hold, before the trigger meets it.
TEST_F(HudTargeting, TheCurrentGroupsRefusalShowsWhileItHolds) {
    Fly("strike.uli");
    Weapon* const laser = WeaponOfKind(Weapon::kGun);
    ASSERT_NE(laser, nullptr);
    ASSERT_EQ(laser->group, Weapon::kGunGroup);
    FillWeaponPool();
    Read();
    EXPECT_EQ(Rows().find(": "), std::string::npos) << Rows();
    // A gun run: the trigger held fires the laser while the beam waits for
    // energy, and the rows tell the laser's rounds going down and the beam's
    // refusal by its name.
    int32_t beamRefused = 0;
    for (int32_t frame = 0, last = laser->ammunition; frame < 100; ++frame, last = laser->ammunition) {
        Frame({kFire});
        if (laser->ammunition < last) {
            EXPECT_TRUE(HasRow("Laser Cannon AMMO " + std::to_string(laser->ammunition))) << Rows();
        }
        beamRefused += HasRow("Ion Beam 1: Not enough energy") ? 1 : 0;
    }
    EXPECT_GT(beamRefused, 0) << "the beam was never told short of energy";
    laser->ammunition = 1;
    const auto fire = [&](int32_t frames) {
        for (int32_t frame = 0; frame < frames; ++frame) {
            FillWeaponPool();
            Frame({kFireGroup2});
        }
    };
    // Held past the moment a newly chosen group waits before its first shot.
    fire(8);
    ASSERT_EQ(laser->group, Weapon::kNoGroup);
    EXPECT_TRUE(HasRow("GROUP 2")) << Rows();
    EXPECT_NE(Rows().find("\nIon Beam 1 ENERGY "), std::string::npos) << Rows();
    EXPECT_TRUE(HasRow("Laser Cannon: Out of ammo")) << Rows();

    Ship().empLevel = 300;
    Read();
    EXPECT_TRUE(HasRow("Ion Beam 1: EMP damage override")) << Rows();
    EXPECT_TRUE(HasRow("Laser Cannon: EMP damage override")) << Rows();

    Ship().empLevel = 0;
    Read();
    EXPECT_EQ(Rows().find("EMP damage override"), std::string::npos) << Rows();
    EXPECT_TRUE(HasRow("Laser Cannon: Out of ammo")) << Rows();

    SystemOf<EnergySystem>(Ship(), ShipSystem::kEnergy)->weaponPool = 0;
    Read();
    EXPECT_TRUE(HasRow("Ion Beam 1: Not enough energy")) << Rows();
}

// Group 2's beam held on with the weapon pool kept full, its row telling
// the pool it fires on (not the weapons' share of the generator) until it
// has run hot; from then, for as long as it cools, the row says so, and
// cooled it tells its energy again.
TEST_F(HudTargeting, ABeamsRowTellsItsPoolThenThatItIsCoolingDown) {
    Fly("strike.uli");
    auto* const beam = static_cast<BeamWeapon*>(WeaponOfKind(Weapon::kBeam));
    ASSERT_NE(beam, nullptr);
    Choose(beam->group);
    auto* const energy = SystemOf<EnergySystem>(Ship(), ShipSystem::kEnergy);
    energy->weaponPool = energy->weaponMaximum * 4 / 5;
    Read();
    ASSERT_NE(Readout().weaponPower, 80) << "the pool and the share read alike";
    EXPECT_TRUE(HasRow("Ion Beam 1 ENERGY  80%")) << Rows();

    int32_t fired = 0;
    for (; fired < 400 && beam->cooling == 0; ++fired) {
        FillWeaponPool();
        Frame({kFire});
        if (beam->cooling == 0) {
            ASSERT_NE(Rows().find("\nIon Beam 1 ENERGY "), std::string::npos) << Rows();
        }
    }
    ASSERT_NE(beam->cooling, 0) << "the beam never ran hot";
    int32_t cooled = 0;
    for (; cooled < 400 && beam->cooling != 0; ++cooled) {
        EXPECT_TRUE(HasRow("Ion Beam 1: Cooling down")) << Rows();
        FillWeaponPool();
        Frame({kFire});
    }
    ASSERT_EQ(beam->cooling, 0) << "the beam never cooled";
    EXPECT_GT(cooled, 5);
    energy->weaponPool = energy->weaponMaximum * 3 / 5;
    Read();
    EXPECT_TRUE(HasRow("Ion Beam 1 ENERGY  60%")) << Rows();
}

// The right column comes in from the edge for a row too long for it, far
// enough to be read whole, and no further than the room it has: whatever a
// weapon's name, none of its rows comes onto the radar scope's place at
// any of the game's screen sizes.
TEST_F(HudTargeting, TheRightColumnComesInForALongRowNoFurtherThanItsRoom) {
    for (const auto& size : {std::pair{640, 480}, std::pair{800, 600}, std::pair{1024, 768}}) {
        // Named apart: a lambda below takes them, which a structured binding may not be.
        const int32_t width = size.first, height = size.second;
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Fly("strike.uli", width, height);
        HudReadout readout = Readout();
        readout.radar.shown = false;
        readout.aim = HudMark{};
        readout.targetMark = HudMark{};
        readout.navMark = HudMark{};
        ScreenCanvas16 canvas(width, height, nullptr, nullptr, flight_->palette, Canvas::kFlagHasDepth, 0, 0);
        // The pixels the HUD of this readout lights within `area`.
        const auto lit = [&](const HudReadout& drawn, const CanvasRect& area) {
            DrawHudAlone(drawn, canvas);
            const RgbImage picture = CanvasToRgb(canvas);
            int32_t count = 0;
            for (int32_t y = area.y; y < area.y + area.height; ++y) {
                for (int32_t x = area.x; x < area.x + area.width; ++x) {
                    const size_t at = (size_t(y) * size_t(width) + size_t(x)) * 3;
                    count += picture.rgb[at] != 0 || picture.rgb[at + 1] != 0 || picture.rgb[at + 2] != 0 ? 1 : 0;
                }
            }
            return count;
        };
        // A refused weapon's row a little wider than the column: drawn in the
        // right half, it lights as many pixels as the same text does as a
        // message at the left edge.
        const CanvasRect left{0, 0, width / 2, height}, right{width / 2, 0, width - width / 2, height};
        readout.weaponCount = 0;
        const int32_t bare = lit(readout, right), leftBare = lit(readout, left);
        readout.AddWeapon("Ion Beam Mark 2", -1, "Not enough energy");
        const int32_t row = lit(readout, right) - bare;
        readout.weaponCount = 0;
        Game().TheCockpit().ShowMessage("Ion Beam Mark 2: Not enough energy", nullptr, 60000, 0);
        const int32_t whole = lit(readout, left) - leftBare;
        Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
        EXPECT_GT(whole, 100);
        EXPECT_EQ(row, whole) << "the long row is cut at the right edge";

        // The longest name a weapon has, with a refusal after it.
        readout.weaponCount = 0;
        readout.AddWeapon("Heavy Particle Accelerator Mk 2B", -1, "EMP damage override");
        const CanvasRect scope = Cockpit::RadarPlace(width, height);
        EXPECT_EQ(lit(readout, CanvasRect{scope.x - 2, scope.y - 2, scope.width + 4, scope.height + 4}), 0)
            << "a row of the right column comes onto the scope's place";
    }
}

// A flak cannon in group 1: the crosshair stands where its shell goes,
// drifting with the ship's own motion; on a raider within the targeting
// cone the crosshair sits on it and the shell fired goes there; off the
// cone, or past the shell's reach, the aim is the barrel's again. Reading
// the sight never touches the cannon's own aim. Group 2's guns keep the
// fixed mark along the nose.
TEST_F(HudTargeting, AProjectileGroupsCrosshairStandsWhereItsShotGoes) {
    Fly("strike.uli");
    const int32_t damage[5] = {60, 40, 0, 0, 30};
    auto* const flak = new ProjectileWeapon(&Ship(), 0, 60, Weapon::kProjectileGroup, 600, 6, 200, 4000, damage,
                                            "Flak Shell", nullptr);
    ASSERT_NE(flak->projectileType, nullptr);
    Ship().AddSystem(0, flak);
    auto* const targeting = SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting);
    targeting->SelectTarget(nullptr);
    Choose(Weapon::kProjectileGroup);
    SpaceObject* const raider = Named("Red 1");
    ASSERT_NE(raider, nullptr);

    Ship().velocity = Axis(0).Scaled(60.0f);
    Read();
    EXPECT_GT(Readout().aim.x, Nose().x + 5.0f) << "the sight leaves out the ship's own motion";
    Game().playerControls.weaponGroup = Weapon::kGunGroup;
    Read();
    EXPECT_TRUE(Near(Readout().aim, Nose(), 0.5f)) << "the guns' mark leaves the nose";
    Game().playerControls.weaponGroup = Weapon::kProjectileGroup;

    Ship().velocity = {};
    ASSERT_EQ(targeting->SelectTarget(raider), 1);
    Place(*raider, 40.0f, 15.0f, 800.0f);
    // Drawing the sight arms nothing: the cannon is left unaimed, yet the
    // sight stands where the trigger's aim will send the shell.
    const Vector3 upward{0.0f, 1.0f, 0.0f};
    flak->aimDirection = upward;
    Read();
    EXPECT_EQ(flak->aimOverride, 0) << "reading the sight aimed the cannon";
    EXPECT_EQ(flak->aimDirection.y, 1.0f) << "reading the sight turned the cannon's aim";
    EXPECT_TRUE(Near(Readout().aim, Readout().targetMark, 1.5f)) << "the sight is off the raider it aims at";
    FillWeaponPool();
    const int32_t before = Game().projectiles.Count();
    KeySet fire;
    fire.Set(kFireGroup1);
    Game().commands.Capture(fire);
    HandleFlightInput(Game(), FlightShot::kFrameMs);
    ASSERT_EQ(Game().projectiles.Count(), before + 1) << "no shell went out: " << Rows();
    Vector3 shot = Game().projectiles[Game().projectiles.Count() - 1]->velocity;
    Vector3 toRaider = raider->Position().Difference(Ship().Position());
    shot.Normalize();
    toRaider.Normalize();
    EXPECT_GT(shot.Dot(toRaider), 0.9998f) << "the shell goes elsewhere than the sight showed";

    // Off the cone the trigger fires along the barrel, whatever aim the
    // cannon was last left with; the reading neither follows nor clears it.
    Place(*raider, 600.0f, 0.0f, 800.0f);
    flak->aimDirection = upward;
    flak->aimOverride = 1;
    Read();
    EXPECT_EQ(flak->aimOverride, 1) << "reading the sight cleared the cannon's aim";
    EXPECT_TRUE(Near(Readout().aim, Nose(), 1.0f));

    // On the nose but past a shell's reach, the raider is not aimed at: the
    // sight stays on the barrel's line, and the shell goes along it.
    for (int32_t frame = 0; frame < 20; ++frame) Frame();   // past the cannon's refire delay
    const float past = float(flak->GetRange()) + 400.0f;
    Place(*raider, 0.04f * past, 0.02f * past, past);
    Read();
    EXPECT_TRUE(Near(Readout().aim, Nose(past), 1.0f)) << "the sight is laid on a raider out of reach";
    FillWeaponPool();
    const int32_t flying = Game().projectiles.Count();
    Game().commands.Capture(fire);
    HandleFlightInput(Game(), FlightShot::kFrameMs);
    ASSERT_EQ(Game().projectiles.Count(), flying + 1) << Rows();
    shot = Game().projectiles[Game().projectiles.Count() - 1]->velocity;
    shot.Normalize();
    EXPECT_GT(shot.Dot(Axis(2)), 0.9998f) << "the shell was aimed at a raider out of reach";
}

}  // namespace
