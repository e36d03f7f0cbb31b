// The host's sky reaching its clients, record by record and in order.
#include "net/NetScenePackets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "mission/Goal.h"
#include "mission/SkyRecords.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetHandlers.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The host answers a request with its sky, the game and its shared goals,
// in that order. A client takes each kind only in order: a burst arriving
// backwards gives it the first record of each kind, one holding two star
// fields takes only index 2, and a repeated set makes nothing new.
TEST(NetSceneTest, ClientsTakeEachKindInOrderAndRepeatsMakeNothing) {
    WorldBuilder builder;
    Mission& mission = builder.TheMission();
    std::array<uint8_t, 28> stars[3] = {};
    for (int32_t i = 0; i < 3; ++i) PacketWriter(stars[i].data(), 28).I32(0, 10 + i);
    mission.starFields.assign(stars, stars + 3);
    mission.spaceDust = {{'D', 0}};
    mission.wallpapers = {{'W', 0}};
    Goal* const shared = MakeGoal(Goal::kWait, nullptr);
    shared->playerGoal = 1;
    MakeGoal(Goal::kWait, nullptr);   // not the player's: stays on the host
    NetGameSettings settings;
    builder.Game().netSettings = &settings;
    auto host = std::make_unique<RecordingNetSession>(true);
    host->AddPlayer(2, "Late", -1);
    const uint8_t request[8] = {};
    net_handlers::GameInfoRequest(NetInbound{*host, 2, 1, request, 8, false});
    builder.Game().netSettings = nullptr;
    std::vector<uint16_t> types;
    for (const auto& sent : host->sent) types.push_back(PacketReader(sent.bytes.data(), 8).U16(0));
    ASSERT_EQ(types, (std::vector<uint16_t>{kUpdateStarfield, kUpdateStarfield, kUpdateStarfield, kUpdateSpacedust,
                                            kUpdateWallpaper, kGameInfo, kGoalNew, kUpdateTeam}));
    std::vector<Bytes> sky;
    for (size_t i = 0; i < 5; ++i) sky.push_back(host->sent[i].bytes);

    mission.spaceDust.clear();
    mission.dustTemplates.clear();
    mission.wallpapers.clear();
    mission.starFields.resize(2);
    RecordingNetSession client(false);
    const auto deliver = [&](const Bytes& bytes) { client.HandleMessage(1, 2, bytes.data(), uint32_t(bytes.size())); };
    for (auto it = sky.rbegin(); it != sky.rend(); ++it) deliver(*it);
    ASSERT_EQ(mission.starFields.size(), 3u);
    EXPECT_EQ(mission.starFields[2], stars[2]);
    for (int round = 0; round < 2; ++round) {
        for (const Bytes& bytes : sky) deliver(bytes);
    }
    const sky_records::Held held = sky_records::CountHeld();
    EXPECT_EQ(held.goals, 1);
    EXPECT_EQ(held.starFields, 3);
    EXPECT_EQ(held.spaceDust, 1);
    EXPECT_EQ(mission.dustTemplates.size(), 1u);
    EXPECT_EQ(held.wallpapers, 1);
    EXPECT_EQ(held.lights, 0);
    // A host telling record after record, each in order, gets no further than a sky's worth.
    for (int32_t index = 1; index < NetSession::kMostSkyRecords + 8; ++index) {
        for (const size_t kind : {size_t(3), size_t(4)}) {
            Bytes more = sky[kind];
            PacketWriter(more.data(), uint32_t(more.size())).I32(8, index);
            deliver(more);
        }
    }
    EXPECT_EQ(mission.spaceDust.size(), size_t(NetSession::kMostSkyRecords));
    EXPECT_EQ(mission.wallpapers.size(), size_t(NetSession::kMostSkyRecords));

    // A record the sky's reader refuses, a negative index or a cut packet is no record.
    Bytes dust = sky[3];
    EXPECT_TRUE(net_read::ReadSceneRecord(dust.data(), uint32_t(dust.size())));
    EXPECT_FALSE(net_read::ReadSceneRecord(dust.data(), uint32_t(dust.size() - 1)));
    PacketWriter(dust.data(), uint32_t(dust.size())).I32(8, -1);
    EXPECT_FALSE(net_read::ReadSceneRecord(dust.data(), uint32_t(dust.size())));
    dust = sky[3];
    PacketWriter(dust.data(), uint32_t(dust.size())).I32(12 + 16, sky_records::kMostMotes + 1);
    EXPECT_FALSE(net_read::ReadSceneRecord(dust.data(), uint32_t(dust.size())));
    dust = sky[3];
    std::fill(dust.begin() + 12, dust.begin() + 28, uint8_t('A'));
    EXPECT_FALSE(net_read::ReadSceneRecord(dust.data(), uint32_t(dust.size())));
    FreeGoals();
}

}  // namespace
