// Chat in flight: what a typed line and an exclamation send through a
// recording session, as host and as client, and what they do here.
#include "shell/FlightChat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/input/InputSystem.h"
#include "engine/input/KeySet.h"
#include "game/Cockpit.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "shell/FlightInput.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/ScriptedInput.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

using namespace command_table;

constexpr uint32_t kQ = 16, kSpace = 57;

// What a MESSAGE that was sent says.
struct Message {
    int32_t sound;
    std::string scope, sender, text;
};

Message Read(const std::vector<uint8_t>& bytes) {
    PacketReader in(bytes.data(), uint32_t(bytes.size()));
    Message message{in.I32(8), "", "", ""};
    const auto text = [&bytes](uint32_t at) {
        std::string out;
        while (at < bytes.size() && bytes[at] != 0) out += char(bytes[at++]);
        return out;
    };
    message.scope = text(32 + in.U32(16));
    message.sender = text(32 + in.U32(20));
    message.text = text(32 + in.U32(24));
    EXPECT_EQ(in.U16(0), kMessage);
    EXPECT_EQ(in.U16(2), bytes.size());
    return message;
}

class FlightChatTest : public ::testing::Test {
protected:
    FlightChatTest() {
        auto* const effects = new SoundEffectLibrary;
        for (int i = 1; i <= GameState::kExclamations; ++i) {
            auto sound = std::make_unique<SoundEffectDef>();
            std::snprintf(sound->name, sizeof sound->name, "Excl %d", i);
            sound->rate = 22050;
            auto samples = std::make_shared<platform::SampleData>();
            samples->samples.assign(2205, int16_t(100 * i));
            sound->samples = samples;
            effects->sounds.push_back(std::move(sound));
        }
        recording_ = new RecordingSoundLibrary;
        Game().TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording_)), effects);
        Game().MakeExclamationSounds();

        ship_ = builder_.Spawn(builder_.Ball("PLAYER", 2.0f), 1);
        ship_->SetName("Alpha");
        Game().playerShip = ship_;
    }
    ~FlightChatTest() override {
        Game().netSession = nullptr;
        Game().playerShip = nullptr;
        SetTextInputBuffer(0);
    }

    GameState& Game() { return builder_.Game(); }

    void Join(bool host) {
        session_ = std::make_unique<RecordingNetSession>(host);
        Game().netSession = session_.get();
    }
    // One frame in which just these commands are held.
    void Frame(std::initializer_list<uint32_t> commands) {
        KeySet held;
        for (const uint32_t command : commands) held.Set(command);
        Game().commands.Capture(held);
        HandleFlightChat(Game());
    }
    void Say(const char* line) {
        Frame({kChat});
        Frame({});
        for (const char* c = line; *c != 0; ++c) TypeTextInput(uint8_t(*c));
        Frame({kSend});
        Frame({});
    }
    // The exclamation sounds started here, by table entry.
    std::vector<int32_t> PlayedEntries() {
        std::vector<int32_t> entries;
        for (const auto& event : recording_->events) {
            for (int32_t i = 0; i < GameState::kExclamations; ++i) {
                const SoundObject* const sound = Game().exclamationSounds[i];
                if (event.kind == RecordingSoundLibrary::Event::kStart && sound != nullptr &&
                    event.samples == sound->samples.get()) {
                    entries.push_back(i);
                }
            }
        }
        return entries;
    }

    ScriptedInput input_;   // outlives the input system the game state takes
    WorldBuilder builder_;
    RecordingSoundLibrary* recording_ = nullptr;
    SpaceObject* ship_ = nullptr;
    std::unique_ptr<RecordingNetSession> session_;
};

TEST_F(FlightChatTest, ALineGoesToTheServerFromAClientAndToAllFromTheHost) {
    for (const bool host : {false, true}) {
        SCOPED_TRACE(host ? "host" : "client");
        Join(host);
        Say("hi");
        ASSERT_EQ(session_->sent.size(), 1u);
        const RecordingNetSession::Sent& sent = session_->sent[0];
        EXPECT_EQ(sent.from, host ? 1u : 2u);
        EXPECT_EQ(sent.to, host ? RecordingNetSession::kToAll : 1u);
        const Message message = Read(sent.bytes);
        EXPECT_EQ(message.scope, "ALL");
        EXPECT_EQ(message.sender, "Alpha");
        EXPECT_EQ(message.text, "Alpha: [hi]");
        EXPECT_STREQ(Game().TheCockpit().MessageAt(builder_.Clock().Milliseconds()), "Alpha: [hi]");
        EXPECT_FALSE(ChatIsTyping(Game()));
        EXPECT_EQ(g_textInput, nullptr);
    }
}

// A network player's ship carries a hull name; the line names the pilot
// from the session's table, and the receivers know their own lines by it.
TEST_F(FlightChatTest, ALineNamesThePilotOfTheTable) {
    ship_->SetName("P102");
    for (const bool host : {false, true}) {
        SCOPED_TRACE(host ? "host" : "client");
        Join(host);
        session_->AddPlayer(1, host ? "Rook" : "Chief", 7);
        session_->AddPlayer(2, host ? "Chief" : "Rook", 8);
        Say("hi");
        ASSERT_EQ(session_->sent.size(), 1u);
        const Message message = Read(session_->sent[0].bytes);
        EXPECT_EQ(message.sender, "Rook");
        EXPECT_EQ(message.text, "Rook: [hi]");
        EXPECT_STREQ(Game().TheCockpit().MessageAt(builder_.Clock().Milliseconds()), "Rook: [hi]");
    }
}

TEST_F(FlightChatTest, ExclamationsSendTheirSoundAndPlayThatEntryHere) {
    Join(false);
    Frame({uint32_t(kExclamation1 + 2)});
    Frame({uint32_t(kExclamation1 + 2)});   // held: once per press
    Frame({uint32_t(kExclamation1 + 9)});
    ASSERT_EQ(session_->sent.size(), 2u);
    const Message third = Read(session_->sent[0].bytes);
    EXPECT_EQ(third.sound, 3);
    EXPECT_EQ(third.text, "");
    EXPECT_EQ(Read(session_->sent[1].bytes).sound, 0);
    // The tenth plays entry 0.
    EXPECT_EQ(PlayedEntries(), (std::vector<int32_t>{3, 0}));
}

// Without a session, and with one that is not connected, nothing is sent
// and only this machine's part happens.
TEST_F(FlightChatTest, WithoutASessionOnlyTheLocalPartRuns) {
    Say("hello");
    EXPECT_STREQ(Game().TheCockpit().MessageAt(builder_.Clock().Milliseconds()), "Alpha: [hello]");
    EXPECT_STREQ(Game().TheCockpit().MessageAt(builder_.Clock().Milliseconds() + 6000), "");
    Join(true);
    session_->connected = false;
    Frame({uint32_t(kExclamation1)});
    EXPECT_TRUE(session_->sent.empty());
    EXPECT_EQ(PlayedEntries(), (std::vector<int32_t>{1}));
}

// An empty line only ends the typing; the exclamation keys typed into a
// line are letters, not exclamations.
TEST_F(FlightChatTest, TypingTakesTheCommandsUntilTheLineIsSent) {
    Join(false);
    Frame({kChat});
    ASSERT_TRUE(ChatIsTyping(Game()));
    TypeTextInput('o');
    Frame({uint32_t(kExclamation1)});
    // What is typed shows as it grows.
    EXPECT_STREQ(Game().TheCockpit().MessageAt(builder_.Clock().Milliseconds()), "Alpha: [o_]");
    TypeTextInput(8);   // backspace: the line is empty again
    EXPECT_TRUE(session_->sent.empty());
    EXPECT_TRUE(PlayedEntries().empty());
    Frame({kSend});
    EXPECT_FALSE(ChatIsTyping(Game()));
    EXPECT_TRUE(session_->sent.empty());
    EXPECT_STREQ(Game().TheCockpit().MessageAt(builder_.Clock().Milliseconds()), "");
    EXPECT_EQ(g_textInput, nullptr);
}

// Through the capture: while a line is typed a held flight key is no
// command, and it is one again once the line is sent.
TEST_F(FlightChatTest, TheCaptureKeepsOnlyTheSendCommandWhileTyping) {
    auto* const system = new DirectInputSystem(nullptr);
    system->OpenDevices();
    Game().TakeInputSystem(system);
    Game().commands.Capture([] {
        KeySet chat;
        chat.Set(kChat);
        return chat;
    }());
    HandleFlightChat(Game());
    ASSERT_TRUE(ChatIsTyping(Game()));
    input_.Press(kQ);
    input_.Press(kSpace);
    CaptureCommandState(Game());
    EXPECT_FALSE(Game().commands.IsHeld(kRollLeft));
    EXPECT_FALSE(Game().commands.IsHeld(kFire));
    Game().chatTyping = 0;
    CaptureCommandState(Game());
    EXPECT_TRUE(Game().commands.IsHeld(kRollLeft));
    EXPECT_TRUE(Game().commands.IsHeld(kFire));
}

}  // namespace
