#include "net/NetSession.h"

#include <gtest/gtest.h>

#include "net/NetGameSettings.h"

namespace {

TEST(NetSessionTest, ThePlayerTableKeepsItsRules) {
    NetSession session;
    for (uint32_t id = 10; id < 18; ++id) EXPECT_EQ(session.AddPlayer(id, "pilot", int32_t(id)), int32_t(id - 10));
    EXPECT_EQ(session.AddPlayer(99, "ninth", 1), -1);
    EXPECT_EQ(session.AddPlayer(13, "renamed", 5), 3);   // the same id: the same entry
    EXPECT_STREQ(session.GetPlayerName(3), "renamed");
    EXPECT_EQ(session.FindPlayerByUoid(5), 3);

    for (int32_t i = 1; i < 8; ++i) {
        if (i != 5) session.ClearPlayer(i);
    }
    EXPECT_EQ(session.CountPlayers(), 2);
    EXPECT_EQ(session.GetPlayerSlotCount(), 6);
    session.ClearPlayer(5);
    EXPECT_EQ(session.GetPlayerSlotCount(), 1);
    EXPECT_EQ(session.FindPlayerByDpid(15), -1);   // a free entry never matches
    EXPECT_EQ(session.IsPlayerAcked(5), 1u);        // free entries count as acknowledged
    EXPECT_EQ(session.IsPlayerAcked(0), 0u);
    EXPECT_EQ(session.ClearPlayer(8), 0);

    session.AddPlayerKills(0, 2);
    session.SetPlayerIt(0);
    EXPECT_EQ(session.FindItPlayer(), 0);
    session.SetPlayerIt(-1);
    EXPECT_EQ(session.FindItPlayer(), -1);
    EXPECT_EQ(session.Player(0)->careerKills, 2);
    EXPECT_EQ(session.Send(1, 2, nullptr, 0), NetSession::kNoInterface);   // no link yet
    EXPECT_FALSE(session.IsActive());

    NetGameSettings settings;
    settings.SetTeamName(0, "Red");
    settings.SetTeamName(1, "Blue");
    settings.SetTeamName(1, nullptr);
    EXPECT_STREQ(settings.teams[0].name, "Red");
    EXPECT_EQ(settings.teams[1].name, nullptr);
}

}  // namespace
