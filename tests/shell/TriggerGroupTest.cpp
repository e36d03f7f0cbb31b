// The weapon group the cockpit names and the one the fire key fires, flown
// in the sample strike: a fresh flight's first press of W, the missiles
// running dry, and groups emptied one after another down to nothing, each
// time with the rows and the trigger agreeing and a refusal told under the
// group it is about.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "game/CommandTable.h"
#include "objects/weapons/Weapon.h"
#include "tests/shell/CockpitFlight.h"

namespace {

using namespace command_table;

class TriggerGroup : public CockpitFlight {
protected:
    // The row naming the group, "" when there is none.
    std::string GroupRow() {
        const std::string rows = "\n" + Rows();
        const size_t at = rows.find("\nGROUP ");
        if (at == std::string::npos) return "";
        return rows.substr(at + 1, rows.find('\n', at + 1) - at - 1);
    }
    // The shots each group was built with still has, by the group its
    // weapons were given (a spent rack keeps counting under its group).
    std::map<int32_t, int64_t> ShotsLeft() {
        std::map<int32_t, int64_t> left;
        for (ShipSystem* system = Ship().GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
             system = Ship().GetSystem(ShipSystem::kAnyWeapon, system)) {
            const auto* const weapon = static_cast<const Weapon*>(system);
            if (weapon->ammunition >= 0) left[weapon->initialGroup] += weapon->ammunition;
        }
        return left;
    }
    int64_t ShotsLeft(int32_t group) { return ShotsLeft()[group]; }
    // Fire held for `frames` frames, the weapon pool kept full: the groups
    // whose shots went down.
    std::set<int32_t> FiredWhileHeld(int32_t frames) {
        const std::map<int32_t, int64_t> before = ShotsLeft();
        for (int32_t frame = 0; frame < frames; ++frame) {
            FillWeaponPool();
            Frame({kFire});
        }
        std::set<int32_t> fired;
        for (const auto& [group, left] : ShotsLeft()) {
            if (left < before.at(group)) fired.insert(group);
        }
        return fired;
    }
    // Fire held until the group has no shot left, let go at once.
    void EmptyGroup(int32_t group) {
        for (int32_t frame = 0; frame < 400 && ShotsLeft(group) > 0; ++frame) {
            FillWeaponPool();
            Frame({kFire});
        }
        ASSERT_EQ(ShotsLeft(group), 0) << Rows();
        Frame();
    }
    // Every weapon the group was built with destroyed.
    void Destroy(int32_t group) {
        for (ShipSystem* system = Ship().GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
             system = Ship().GetSystem(ShipSystem::kAnyWeapon, system)) {
            auto* const weapon = static_cast<Weapon*>(system);
            if (weapon->initialGroup != group) continue;
            ASSERT_GT(weapon->maxDamage, 0);
            weapon->damage = weapon->maxDamage;
        }
    }
    // Whether any row tells this.
    bool Tells(const char* text) { return Rows().find(text) != std::string::npos; }
};

// A fresh flight names the first group the ship fires; one press of W
// names the next, and the trigger fires what is named, round the groups.
TEST_F(TriggerGroup, OnePressOfWMovesTheRowsToTheGroupTheTriggerFiresNext) {
    Fly("strike.uli");
    const std::string first = GroupRow();
    EXPECT_EQ(first, "GROUP 2") << Rows();
    Press(kNextWeaponGroup);
    EXPECT_EQ(GroupRow(), "GROUP 3") << Rows();
    EXPECT_EQ(FiredWhileHeld(3), std::set<int32_t>{Weapon::kMissileGroup});

    Press(kNextWeaponGroup);
    EXPECT_EQ(GroupRow(), "GROUP 4") << Rows();
    EXPECT_EQ(FiredWhileHeld(3), std::set<int32_t>{Weapon::kObjectGroup});
    // Past the last group the choice comes round to the guns.
    Press(kNextWeaponGroup);
    EXPECT_EQ(GroupRow(), first);
    EXPECT_EQ(FiredWhileHeld(10), std::set<int32_t>{Weapon::kGunGroup});
}

// The last missile gone, the rows name the mines at once, without the
// racks' "Out of ammo" standing under them, and the trigger lays a mine.
TEST_F(TriggerGroup, WhenTheMissilesRunDryTheRowsNameTheGroupTheTriggerFiresInstead) {
    Fly("strike.uli");
    Press(kNextWeaponGroup);
    ASSERT_EQ(GroupRow(), "GROUP 3") << Rows();
    ASSERT_EQ(ShotsLeft(Weapon::kMissileGroup), 4);   // two racks of two
    EmptyGroup(Weapon::kMissileGroup);
    const std::string named = GroupRow();
    EXPECT_EQ(named, "GROUP 4") << Rows();
    EXPECT_FALSE(Tells("Out of ammo")) << Rows();
    EXPECT_EQ(FiredWhileHeld(3), std::set<int32_t>{Weapon::kObjectGroup});
    EXPECT_EQ(GroupRow(), named);
}

// Groups emptied one after another: each time the readout falls back to the
// group the trigger now fires, the dead group's refusal is not told under
// it; with nothing left to fire, the last group's refusal is.
TEST_F(TriggerGroup, ARefusalIsToldUnderTheGroupItIsAboutUntilNothingIsLeft) {
    Fly("strike.uli");
    Press(kNextWeaponGroup);
    Press(kNextWeaponGroup);
    ASSERT_EQ(GroupRow(), "GROUP 4") << Rows();
    Destroy(Weapon::kObjectGroup);
    Frame({kFire});
    Frame();
    // The mine layer refused and left its group; the next round the four is the guns'.
    EXPECT_EQ(GroupRow(), "GROUP 2") << Rows();
    EXPECT_FALSE(Tells("Weapon disabled")) << Rows();

    Destroy(Weapon::kGunGroup);
    FillWeaponPool();
    Frame({kFire});
    Frame();
    EXPECT_EQ(GroupRow(), "GROUP 3") << Rows();
    EXPECT_FALSE(Tells("Weapon disabled")) << Rows();

    EmptyGroup(Weapon::kMissileGroup);
    EXPECT_EQ(GroupRow(), "") << Rows();
    EXPECT_TRUE(HasRow("NO WEAPON")) << Rows();
    EXPECT_TRUE(HasRow("Missile Rack 1: Out of ammo")) << Rows();
    EXPECT_EQ(FiredWhileHeld(3), std::set<int32_t>{});
}

// Every weapon of the ship moved into the last group, the mine layer's: a
// fresh flight names that group and each weapon in it, the trigger fires
// them, and W, finding no other group round the four, stays on it.
TEST_F(TriggerGroup, AShipWhoseWeaponsAreAllInTheLastGroupFiresThemAndWComesRoundToIt) {
    Fly("strike.uli");
    for (ShipSystem* system = Ship().GetSystem(ShipSystem::kAnyWeapon, nullptr); system != nullptr;
         system = Ship().GetSystem(ShipSystem::kAnyWeapon, system)) {
        static_cast<Weapon*>(system)->group = static_cast<Weapon*>(system)->initialGroup = Weapon::kObjectGroup;
    }
    Frame();
    ASSERT_EQ(GroupRow(), "GROUP 4") << Rows();
    for (const char* name : {"Laser Cannon", "Ion Beam 1", "Missile Rack 1", "Mine Layer 1"}) EXPECT_TRUE(Tells(name));
    EXPECT_EQ(FiredWhileHeld(10), std::set<int32_t>{Weapon::kObjectGroup});
    Press(kNextWeaponGroup);
    EXPECT_EQ(GroupRow(), "GROUP 4") << Rows();
    EXPECT_EQ(FiredWhileHeld(10), std::set<int32_t>{Weapon::kObjectGroup});
}

}  // namespace
