#include "net/DirectPlayLink.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/SessionSystemMessage.h"
#include "tests/support/RecordingSleeper.h"
#include "tests/support/ScriptedSessionService.h"

using namespace platform;

namespace {

constexpr SessionGuid kApp{{1, 2, 3}};

// Writes down every event it is handed.
class RecordingLink : public DirectPlayLink {
public:
    RecordingLink() : DirectPlayLink(kApp, "Game", 8) {}
    int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) override {
        return Note("data " + std::to_string(from) + ">" + std::to_string(to) + " " +
                    std::string(reinterpret_cast<const char*>(data), size));
    }
    int32_t OnCreatePlayer(uint32_t id, const char* name, const char* role) override {
        return Note("player " + std::to_string(id) + " " + name + "/" + role);
    }
    int32_t OnCreateGroup(uint32_t id, const char* name, const char*) override {
        return Note("group " + std::to_string(id) + " " + name);
    }
    int32_t OnDestroyPlayer(uint32_t id) override { return Note("left " + std::to_string(id)); }
    int32_t OnDestroyGroup(uint32_t id) override { return Note("ungroup " + std::to_string(id)); }
    int32_t OnSessionLost() override { return Note("lost"); }
    int32_t Note(const std::string& event) {
        events.push_back(event);
        return 0;
    }
    std::vector<std::string> events;
};

class DirectPlayLinkTest : public ::testing::Test {
protected:
    DirectPlayLinkTest() : previous_(Sleeper::Install(&sleeper_)) {
        auto service = std::make_unique<ScriptedSessionService>();
        service_ = service.get();
        link_.Attach(std::move(service));
    }
    ~DirectPlayLinkTest() override { Sleeper::Install(previous_); }

    RecordingSleeper sleeper_;
    Sleeper* previous_;
    RecordingLink link_;
    ScriptedSessionService* service_;
};

TEST_F(DirectPlayLinkTest, ReceiveRoutesOneMessageAtATimeByItsTypes) {
    SessionSystemMessage group = SessionSystemMessage::CreatePlayer(9, {"Wing", ""});
    group.playerType = kPlayerTypeGroup;
    SessionSystemMessage ungroup = SessionSystemMessage::DestroyPlayer(9);
    ungroup.playerType = kPlayerTypeGroup;
    service_->QueueSystem(SessionSystemMessage::CreatePlayer(4, {"Bob", "Client"}));
    service_->QueueSystem(group);
    service_->queue.push_back({kSystemPlayerId, 0, 0, {0x02, 0x01, 0, 0, 7, 0, 0, 0}});   // a type nobody handles
    service_->QueueData(4, 1, {'h', 'i'});
    service_->QueueSystem(ungroup);
    service_->QueueSystem(SessionSystemMessage::DestroyPlayer(4));
    service_->QueueSystem(SessionSystemMessage::SessionLost());

    uint8_t buffer[64];
    int taken = 0;
    while (link_.Receive(buffer, sizeof buffer) == 0) ++taken;
    EXPECT_EQ(taken, 7);
    EXPECT_EQ(link_.events, (std::vector<std::string>{"player 4 Bob/Client", "group 9 Wing", "data 4>1 hi",
                                                      "ungroup 9", "left 4", "lost"}));
    EXPECT_EQ(link_.Receive(buffer, sizeof buffer), DirectPlayLink::kNoMessages);
}

// Left waiting, a message too large for the buffer would block all behind it.
TEST_F(DirectPlayLinkTest, AnOversizedMessageIsDroppedAndTheNextOneArrives) {
    service_->QueueData(4, 1, std::vector<uint8_t>(40000, 'x'));
    service_->QueueData(4, 1, {'n'});
    std::vector<uint8_t> buffer(32768);
    EXPECT_NE(link_.Receive(buffer.data(), uint32_t(buffer.size())), 0u);
    EXPECT_TRUE(link_.events.empty());
    EXPECT_EQ(link_.Receive(buffer.data(), uint32_t(buffer.size())), 0u);
    EXPECT_EQ(link_.events, (std::vector<std::string>{"data 4>1 n"}));
}

TEST_F(DirectPlayLinkTest, JoinAnnouncesThePlayersAlreadyThereBeforeItReturns) {
    service_->remotePlayers = {{3, {"Ann", "Server"}}, {5, {"Cy", "Client"}}};
    SessionGuid instance{{7, 7}};
    ASSERT_EQ(link_.Join(instance, 0), 0u);
    EXPECT_EQ(link_.events, (std::vector<std::string>{"player 3 Ann/Server", "player 5 Cy/Client"}));
    EXPECT_EQ(service_->opened.instance, instance);
    EXPECT_EQ(service_->openModes, (std::vector<uint32_t>{kSessionJoin}));
    EXPECT_EQ(link_.connected, 1u);
    EXPECT_EQ(link_.isHost, 0u);
}

TEST_F(DirectPlayLinkTest, AFailedOpenLeavesTheLinkUnconnectedAndAnnouncesNobody) {
    service_->openResult = kSessionNoConnection;
    service_->remotePlayers = {{3, {"Ann", "Server"}}};
    EXPECT_EQ(link_.Host(0), kSessionNoConnection);
    EXPECT_EQ(link_.Join(SessionGuid{{7}}, 0), kSessionNoConnection);
    EXPECT_EQ(link_.connected + link_.isHost, 0u);
    EXPECT_TRUE(link_.events.empty());

    link_.Close();
    link_.Close();
    EXPECT_FALSE(link_.HasInterface());
    uint8_t buffer[8];
    EXPECT_EQ(link_.Receive(buffer, sizeof buffer), DirectPlayLink::kUninitialized);
    EXPECT_EQ(link_.Send(1, 2, buffer, 8), DirectPlayLink::kUninitialized);
    EXPECT_EQ(link_.CreatePlayer("Bob", "Client"), 0u);
}

TEST(DirectPlayLink, SessionNamesKeepSixtyThreeCharacters) {
    const std::string longName(100, 'n');
    DirectPlayLink link(kApp, longName.c_str(), 8);
    EXPECT_EQ(link.sessionDesc.name, longName.substr(0, 63));
}

}  // namespace
