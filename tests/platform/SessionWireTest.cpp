// The readers of what peers send: every record written reads back whole,
// and cut short, padded or lying about a length it is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/SessionSystemMessage.h"
#include "platform/SessionWire.h"

using namespace platform;

namespace {

SessionDescription Description() {
    SessionDescription d;
    d.flags = kSessionKeepAlive;
    d.instance.bytes[0] = 0xA1;
    d.application.bytes[15] = 0x5C;
    d.maxPlayers = 8;
    d.currentPlayers = 3;
    d.name = "Ann's game";
    return d;
}

bool ReadsAnyRecord(const std::vector<uint8_t>& bytes) {
    SessionWire::Message message;
    uint32_t token = 0;
    SessionDescription description;
    SessionSystemMessage system;
    return SessionWire::Read(bytes.data(), bytes.size(), &message) ||
           SessionWire::ReadEnumRequest(bytes.data(), bytes.size(), &token) ||
           SessionWire::ReadEnumAnswer(bytes.data(), bytes.size(), &token, &description);
}

TEST(SessionWire, EveryRecordIsRefusedCutShortOrWithBytesLeftOver) {
    const std::vector<std::vector<uint8_t>> records = {
        SessionWire::EnumRequest(7),
        SessionWire::EnumAnswer(7, Description()),
        SessionWire::Join(Description().application, Description().instance),
        SessionWire::JoinAccepted(Description(), {{1, {"Ann", "Server"}}, {4, {"Bob", ""}}}),
        SessionWire::JoinRefused(kSessionRefused),
        SessionWire::CreatePlayer(9, {"Bob", "Client"}),
        SessionWire::PlayerCreated(9, 4),
        SessionWire::DestroyPlayer(4),
        SessionWire::PlayerAdded(4, {"Bob", "Client"}),
        SessionWire::PlayerRemoved(4),
    };
    for (const std::vector<uint8_t>& record : records) {
        EXPECT_TRUE(ReadsAnyRecord(record)) << "kind " << int(record[0]);
        for (size_t cut = 0; cut < record.size(); ++cut) {
            const std::vector<uint8_t> shorter(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(cut));
            EXPECT_FALSE(ReadsAnyRecord(shorter)) << "kind " << int(record[0]) << " cut to " << cut;
        }
        std::vector<uint8_t> longer = record;
        longer.push_back(0);
        EXPECT_FALSE(ReadsAnyRecord(longer)) << "kind " << int(record[0]);
    }
}

TEST(SessionWire, PlayerListReadsBackAndACountBeyondItsBytesIsRefused) {
    const std::vector<uint8_t> bytes =
        SessionWire::JoinAccepted(Description(), {{1, {"Ann", "Server"}}, {4, {"Bob", "Client"}}});
    SessionWire::Message message;
    ASSERT_TRUE(SessionWire::Read(bytes.data(), bytes.size(), &message));
    EXPECT_EQ(message.description.name, "Ann's game");
    EXPECT_EQ(message.description.currentPlayers, 3u);
    EXPECT_EQ(message.description.instance, Description().instance);
    ASSERT_EQ(message.players.size(), 2u);
    EXPECT_EQ(message.players[1].id, 4u);
    EXPECT_EQ(message.players[1].name.shortName, "Bob");
    EXPECT_EQ(message.players[1].name.longName, "Client");

    // The count sits right after the description; claim 65535 players.
    std::vector<uint8_t> lying = SessionWire::JoinAccepted(Description(), {});
    lying[lying.size() - 2] = 0xFF;
    lying[lying.size() - 1] = 0xFF;
    lying.resize(lying.size() + 12, 0);
    EXPECT_FALSE(SessionWire::Read(lying.data(), lying.size(), &message));
}

TEST(SessionWire, NamesMustEndInsideTheRecordAndHoldNoZero) {
    std::vector<uint8_t> bytes = SessionWire::PlayerAdded(4, {"Bob", "C"});
    SessionWire::Message message;
    // kind, id, then the short name's length byte.
    std::vector<uint8_t> running = bytes;
    running[5] = 200;
    EXPECT_FALSE(SessionWire::Read(running.data(), running.size(), &message));
    std::vector<uint8_t> zero = bytes;
    zero[7] = 0;
    EXPECT_FALSE(SessionWire::Read(zero.data(), zero.size(), &message));
    EXPECT_FALSE(SessionWire::Read(nullptr, 12, &message));
}

TEST(SessionWire, DataCarriesItsPayloadUpToTheLimitAndNoFurther) {
    const std::vector<uint8_t> payload(kMaxSessionMessageSize, 0x5A);
    std::vector<uint8_t> bytes = SessionWire::Data(true, 3, 0, payload.data(), payload.size());
    SessionWire::Message message;
    ASSERT_TRUE(SessionWire::Read(bytes.data(), bytes.size(), &message));
    EXPECT_TRUE(message.guaranteed);
    EXPECT_EQ(message.from, 3u);
    EXPECT_EQ(message.payloadSize, payload.size());
    EXPECT_EQ(message.payload, bytes.data() + SessionWire::kDataHeaderSize);
    bytes.push_back(0);
    EXPECT_FALSE(SessionWire::Read(bytes.data(), bytes.size(), &message));
    std::vector<uint8_t> flags = SessionWire::Data(false, 3, 0, "x", 1);
    flags[1] = 2;
    EXPECT_FALSE(SessionWire::Read(flags.data(), flags.size(), &message));
    const uint8_t unknown[] = {0, 1, 2, 3};
    EXPECT_FALSE(SessionWire::Read(unknown, sizeof unknown, &message));
}

TEST(SessionSystemMessage, NamesComeBackAndLengthsThatDoNotFitAreRefused) {
    const std::vector<uint8_t> bytes = SessionSystemMessage::CreatePlayer(4, {"Bob", ""}).Bytes();
    SessionSystemMessage read;
    ASSERT_TRUE(SessionSystemMessage::Read(bytes.data(), bytes.size(), &read));
    EXPECT_EQ(read.type, SessionSystemMessage::kCreatePlayerOrGroup);
    EXPECT_EQ(read.playerType, kPlayerTypePlayer);
    EXPECT_EQ(read.id, 4u);
    EXPECT_EQ(read.name.shortName, "Bob");
    EXPECT_EQ(read.name.longName, "");
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_FALSE(SessionSystemMessage::Read(bytes.data(), cut, &read)) << cut;
    }
    // Lengths whose 32-bit sum wraps to a small number.
    std::vector<uint8_t> wrapping = bytes;
    const uint8_t huge[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    std::memcpy(&wrapping[12], huge, 4);
    std::memcpy(&wrapping[16], huge, 4);
    EXPECT_FALSE(SessionSystemMessage::Read(wrapping.data(), wrapping.size(), &read));
    // A name whose terminator is not where its length says.
    std::vector<uint8_t> unterminated = bytes;
    unterminated[20 + 3] = '!';
    EXPECT_FALSE(SessionSystemMessage::Read(unterminated.data(), unterminated.size(), &read));

    const std::vector<uint8_t> lost = SessionSystemMessage::SessionLost().Bytes();
    ASSERT_TRUE(SessionSystemMessage::Read(lost.data(), lost.size(), &read));
    EXPECT_EQ(read.type, SessionSystemMessage::kSessionLost);
    const std::vector<uint8_t> gone = SessionSystemMessage::DestroyPlayer(4).Bytes();
    EXPECT_FALSE(SessionSystemMessage::Read(gone.data(), gone.size() - 1, &read));
}

}  // namespace
