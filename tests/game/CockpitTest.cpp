// The cockpit's state on a fake clock: warnings and messages with their
// times, radio messages from pending to shown to gone, and the sounds.
#include "game/Cockpit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/GameState.h"
#include "game/RadioMessage.h"
#include "platform/Clock.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/ScopedInstall.h"

namespace {

class CockpitTest : public ::testing::Test {
protected:
    CockpitTest() : clockInstalled_(clock_) {
        clock_.SetMilliseconds(1000);
        auto* const effects = new SoundEffectLibrary;
        for (const char* name : {"Warning", "Message", "Click 1", "Click 2", "Click 3", "Voice"}) {
            auto sound = std::make_unique<SoundEffectDef>();
            std::snprintf(sound->name, sizeof sound->name, "%s", name);
            sound->rate = 22050;
            auto samples = std::make_shared<platform::SampleData>();
            samples->samples.assign(22050, 100);
            sound->samples = samples;
            effects->sounds.push_back(std::move(sound));
        }
        recording_ = new RecordingSoundLibrary;
        game_.TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording_)), effects);
    }

    FakeClock clock_;
    ScopedInstall<platform::Clock> clockInstalled_;
    GameState game_;
    RecordingSoundLibrary* recording_ = nullptr;
};

TEST_F(CockpitTest, WarningsAndMessagesKeepTheirTimes) {
    Cockpit& cockpit = game_.TheCockpit();
    cockpit.ShowWarning("WARNING: Low fuel levels!", 10000);
    clock_.Advance(500);
    cockpit.ShowWarning("WARNING: Reserve power activated!", 2000);   // replaces at once
    EXPECT_STREQ(cockpit.WarningAt(1500), "WARNING: Reserve power activated!");
    EXPECT_STREQ(cockpit.WarningAt(3499), "WARNING: Reserve power activated!");
    EXPECT_STREQ(cockpit.WarningAt(3500), "");
    // The second warning found the first still sounding: one start only.
    EXPECT_EQ(recording_->events.size(), 1u);

    const std::string chat(400, 'x');
    cockpit.ShowMessage(chat.c_str(), nullptr, 6000, 1);
    EXPECT_EQ(std::string(cockpit.MessageAt(1500)), chat.substr(0, Cockpit::kMessageChars));
    cockpit.PlayClick(2);
    cockpit.PlayClick(2);   // clicks overlap
    cockpit.PlayClick(7);
    EXPECT_EQ(recording_->events.size(), 4u);

    cockpit.SetLevel(4, 180);
    cockpit.SetIndicator(7, 1);
    cockpit.SetIndicator(11, 1);
    EXPECT_EQ(cockpit.Level(4), 100);
    EXPECT_FALSE(cockpit.Indicator(7));
    EXPECT_TRUE(cockpit.Indicator(11));
}

// A pending message shows at once; the shown one goes after its display
// time with its voice stopped and its text and voice freed (ASan checks
// the freeing); one posted while another waits is dropped the same way.
TEST_F(CockpitTest, RadioMessagesMoveFromPendingToShownToGone) {
    Cockpit& cockpit = game_.TheCockpit();
    game_.PostRadioMessage(new RadioMessage(nullptr, "Form on me.", nullptr, CreateSoundObject("Voice"), 3000));
    game_.PostRadioMessage(new RadioMessage(nullptr, "Dropped.", nullptr, CreateSoundObject("Voice"), 3000));
    ASSERT_NE(game_.pendingRadio, nullptr);
    EXPECT_STREQ(game_.pendingRadio->text, "Form on me.");

    cockpit.Update(1000);
    ASSERT_NE(game_.shownRadio, nullptr);
    EXPECT_EQ(game_.pendingRadio, nullptr);
    EXPECT_EQ(game_.Sound()->LiveVoices(), 1);   // the voice speaks
    game_.PostRadioMessage(new RadioMessage(nullptr, "Next.", nullptr, nullptr, 1000));
    cockpit.Update(3999);
    EXPECT_STREQ(game_.shownRadio->text, "Form on me.");
    cockpit.Update(4000);
    ASSERT_NE(game_.shownRadio, nullptr);
    EXPECT_STREQ(game_.shownRadio->text, "Next.");
    EXPECT_EQ(game_.shownRadioAt, 4000u);
    EXPECT_EQ(game_.Sound()->LiveVoices(), 0);   // stopped with its message
    cockpit.Update(5000);
    EXPECT_EQ(game_.shownRadio, nullptr);
}

}  // namespace
