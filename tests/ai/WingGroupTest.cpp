#include "ai/WingGroup.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Ships are only compared here: any distinct addresses will do.
SpaceObject* Ship(int n) {
    static char places[8];
    return reinterpret_cast<SpaceObject*>(&places[n]);
}

std::vector<SpaceObject*> g_unlinked;

// The first ship added leads until the player's ship takes the lead; the
// count is of the ships after the leader; dissolving lets every member go.
TEST(WingGroupTest, TheLeaderIsEntryZero) {
    auto* const wing = new WingGroup("Alpha");
    wing->AddShip(Ship(1));
    wing->AddShip(Ship(2));
    wing->AddShip(Ship(2));
    EXPECT_EQ(wing->GetMember(0), Ship(1));
    EXPECT_EQ(wing->MemberCount(), 1);
    wing->SetOwnerShip(Ship(3));
    EXPECT_EQ(wing->GetMember(0), Ship(3));
    EXPECT_EQ(wing->MemberCount(), 2);
    wing->SetOwnerShip(Ship(2));   // a member taking the lead is not counted twice
    EXPECT_EQ(wing->GetMember(0), Ship(2));
    EXPECT_EQ(wing->MemberCount(), 2);
    wing->RemoveMember(Ship(2));
    EXPECT_EQ(wing->GetMember(0), Ship(3));
    EXPECT_EQ(wing->owner, nullptr);
    EXPECT_EQ(wing->GetMember(5), nullptr);
    WingGroup::Dissolve(wing, [](SpaceObject* member) { g_unlinked.push_back(member); });
    EXPECT_EQ(g_unlinked, (std::vector<SpaceObject*>{Ship(3), Ship(1)}));
}

}  // namespace
