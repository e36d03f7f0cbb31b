#include "mission/Goal.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Goals are on the list for their life; an object leaving the world leaves
// no goal naming it.
TEST(GoalTest, ALeavingObjectIsNoGoalsSubject) {
    auto* const object = reinterpret_cast<SpaceObject*>(&g_goalList);
    auto first = std::make_unique<Goal>();
    auto second = std::make_unique<Goal>();
    first->SetSubject(object);
    second->SetSubject(object);
    EXPECT_EQ(g_goalList, second.get());
    ForgetGoalSubject(object);
    EXPECT_EQ(first->GetSubject(), nullptr);
    EXPECT_EQ(second->GetSubject(), nullptr);
    second.reset();
    EXPECT_EQ(g_goalList, first.get());
    first.reset();
    EXPECT_EQ(g_goalList, nullptr);
}

}  // namespace
