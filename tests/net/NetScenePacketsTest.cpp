// The host's sky reaching its clients, record by record and in order.
#include "net/NetScenePackets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "game/GameState.h"
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

// A sound record of the kind, told apart from its neighbours by `mark`.
template <size_t N>
std::array<uint8_t, N> Record(uint32_t chunk, int32_t mark) {
    std::array<uint8_t, N> bytes{};
    PacketWriter out(bytes.data(), uint32_t(N));
    if (chunk == sky_records::kStarChunk) {
        out.I32(0, mark);
        out.I32(4, 100);
    } else if (chunk == sky_records::kDustChunk || chunk == sky_records::kWallChunk) {
        out.Text(0, 16, "Dust");
        out.I32(chunk == sky_records::kDustChunk ? 16 : 40, mark);
    } else {
        out.I32(0, 1);
        out.I32(28, mark);
    }
    return bytes;
}

class NetSceneTest : public ::testing::Test {
protected:
    ~NetSceneTest() override {
        FreeGoals();
        delete Game().netSession;
        Game().netSession = nullptr;
        Game().netSettings = nullptr;
    }
    GameState& Game() { return builder_.Game(); }
    Mission& TheMission() { return builder_.TheMission(); }
    RecordingNetSession& Session(bool host) {
        delete Game().netSession;
        auto* const session = new RecordingNetSession(host);
        Game().netSession = session;
        return *session;
    }
    void FillSky() {
        TheMission().starFields = {Record<28>(sky_records::kStarChunk, 1), Record<28>(sky_records::kStarChunk, 2)};
        TheMission().spaceDust = {Record<36>(sky_records::kDustChunk, 3)};
        TheMission().wallpapers = {Record<48>(sky_records::kWallChunk, 4)};
        TheMission().lights.clear();
    }
    void ClearSky() {
        TheMission().starFields.clear();
        TheMission().spaceDust.clear();
        TheMission().wallpapers.clear();
        TheMission().lights.clear();
        TheMission().dustTemplates.clear();
    }
    static std::vector<uint16_t> Types(const RecordingNetSession& session) {
        std::vector<uint16_t> types;
        for (const auto& sent : session.sent) types.push_back(PacketReader(sent.bytes.data(), 8).U16(0));
        return types;
    }
    static void Deliver(NetSession& session, const Bytes& bytes) {
        session.HandleMessage(1, session.ownDpid, bytes.data(), uint32_t(bytes.size()));
    }

    WorldBuilder builder_;
};

// The host answers a request with its sky, the game and its shared goals,
// in that order; a client takes each kind only in order, so a burst that
// arrives backwards gives it the first record of each kind and a repeat
// of the whole set makes nothing new.
TEST_F(NetSceneTest, ClientsTakeEachKindInOrderAndRepeatsMakeNothing) {
    FillSky();
    Goal* const shared = MakeGoal(Goal::kWait, nullptr);
    shared->playerGoal = 1;
    MakeGoal(Goal::kWait, nullptr);   // not the player's: stays on the host
    NetGameSettings settings;
    Game().netSettings = &settings;
    RecordingNetSession& host = Session(true);
    const uint8_t request[8] = {};
    net_handlers::GameInfoRequest(NetInbound{host, 2, 1, request, 8, false});
    const std::vector<uint16_t> types = Types(host);
    ASSERT_EQ(types, (std::vector<uint16_t>{kUpdateStarfield, kUpdateStarfield, kUpdateSpacedust, kUpdateWallpaper,
                                       kGameInfo, kGoalNew}));
    std::vector<Bytes> sky;
    for (size_t i = 0; i < 4; ++i) sky.push_back(host.sent[i].bytes);
    EXPECT_EQ(PacketReader(sky[1].data(), 12).I32(8), 1);
    EXPECT_EQ(Bytes(sky[1].begin() + 12, sky[1].end()),
              Bytes(TheMission().starFields[1].begin(), TheMission().starFields[1].end()));

    const std::array<uint8_t, 28> second = TheMission().starFields[1];
    ClearSky();
    RecordingNetSession& client = Session(false);
    for (auto it = sky.rbegin(); it != sky.rend(); ++it) Deliver(client, *it);
    EXPECT_EQ(TheMission().starFields.size(), 1u);
    EXPECT_EQ(TheMission().spaceDust.size(), 1u);
    EXPECT_EQ(TheMission().dustTemplates.size(), 1u);
    EXPECT_EQ(TheMission().wallpapers.size(), 1u);
    for (int round = 0; round < 2; ++round) {
        for (const Bytes& bytes : sky) Deliver(client, bytes);
    }
    ASSERT_EQ(TheMission().starFields.size(), 2u);
    EXPECT_EQ(TheMission().starFields[1], second);
    EXPECT_EQ(TheMission().spaceDust.size(), 1u);
    EXPECT_EQ(TheMission().dustTemplates.size(), 1u);
    EXPECT_EQ(TheMission().wallpapers.size(), 1u);
    EXPECT_TRUE(TheMission().lights.empty());
    const sky_records::Held held = sky_records::CountHeld();
    EXPECT_EQ(held.goals, 1);
    EXPECT_EQ(held.starFields, 2);
}

TEST_F(NetSceneTest, AClientHoldingTwoStarFieldsTakesOnlyIndexTwo) {
    FillSky();
    for (int32_t index : {0, 1, 3, 2}) {
        Bytes bytes(NetPacket::kSceneIndexBytes + 28, 0);
        PacketWriter out(bytes.data(), uint32_t(bytes.size()));
        out.U16(0, kUpdateStarfield);
        out.U16(2, uint16_t(bytes.size()));
        out.U32(4, PF_QUEUE_1);
        out.I32(8, index);
        const auto record = Record<28>(sky_records::kStarChunk, 10 + index);
        std::copy(record.begin(), record.end(), bytes.begin() + 12);
        Deliver(Session(false), bytes);
    }
    ASSERT_EQ(TheMission().starFields.size(), 3u);
    EXPECT_EQ(PacketReader(TheMission().starFields[2].data(), 28).I32(0), 12);
}

TEST_F(NetSceneTest, RecordsTheSkyWouldRefuseAreRefused) {
    FillSky();
    NetPacket good;
    good.BuildScenePacket(kUpdateSpacedust, -5);   // read as index 0
    const Bytes dust(good.GetData(), good.GetData() + good.GetSize());
    ASSERT_TRUE(net_read::ReadSceneRecord(dust.data(), uint32_t(dust.size())));
    const auto with = [&](uint32_t at, uint32_t value) {
        Bytes bytes = dust;
        PacketWriter(bytes.data(), uint32_t(bytes.size())).U32(at, value);
        return bytes;
    };
    const Bytes refused[] = {
        with(8, uint32_t(-1)),                                            // index
        with(12 + 16, uint32_t(sky_records::kMostMotes + 1)),              // count
        with(12 + 16, uint32_t(INT32_MIN)),
        with(12 + 20, std::bit_cast<uint32_t>(std::numeric_limits<float>::quiet_NaN())),
        with(0, uint32_t(dust.size()) << 16 | kUpdateStarfield),           // another kind's size
    };
    for (const Bytes& bytes : refused) EXPECT_FALSE(net_read::ReadSceneRecord(bytes.data(), uint32_t(bytes.size())));
    EXPECT_FALSE(net_read::ReadSceneRecord(dust.data(), uint32_t(dust.size() - 1)));
    Bytes unterminated = dust;
    std::fill(unterminated.begin() + 12, unterminated.begin() + 28, uint8_t('A'));
    EXPECT_FALSE(net_read::ReadSceneRecord(unterminated.data(), uint32_t(unterminated.size())));
    // Past the records held the host builds nothing.
    NetPacket none;
    none.BuildScenePacket(kUpdateLight, 0);
    EXPECT_EQ(none.GetData(), nullptr);
}

}  // namespace
