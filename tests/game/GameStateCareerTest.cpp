#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "ui/Screen.h"
#include "game/ScreenSlots.h"
#include "scene/Camera.h"
#include "sound/SoundDevice.h"
#include "tests/support/RecordingSoundLibrary.h"

namespace {

// What the career hooks saw, in order.
std::string g_calls;

GameState::ScreenFactory PlainFactory() {
    GameState::ScreenFactory factory;
    factory.create = [](GameState&) -> Screen* { return new Screen("OPTI"); };
    factory.destroy = [](Screen* screen) { delete screen; };
    return factory;
}

GameState::CareerHooks RecordingHooks() {
    GameState::CareerHooks hooks;
    hooks.loadWingmen = [](GameState& game) {
        // The roster belongs to the new career, made before it.
        g_calls += game.career->funds == CareerRecord::kStartingFunds ? "wingmen " : "old-career ";
    };
    hooks.startTraining = [](GameState& game) {
        // Training starts with the aids already gone.
        g_calls += game.career->options.invulnerability == 0 ? "training " : "aided-training ";
    };
    hooks.writeOptionsFile = [](GameState& game) {
        g_calls += game.career->options.unlimitedAmmo == 0 ? "options " : "aided-options ";
    };
    return hooks;
}

class GameStateCareerTest : public testing::Test {
protected:
    void SetUp() override {
        GameState::ClearScreenRegistry();
        GameState::SetCareerHooks(RecordingHooks());
        g_calls.clear();
    }
    void TearDown() override {
        GameState::ClearScreenRegistry();
        GameState::SetCareerHooks({});
    }

    // Every option away from its default, a cheat in use and a flown mission.
    static void Dirty(GameState& game) {
        CareerOptions& o = game.career->options;
        o.textures = o.spaceDust = o.extraLights = o.shadingLevel = o.alphaBlend = 0;
        o.invulnerability = o.unlimitedAmmo = o.unlimitedFuel = o.invisibility = 1;
        o.inertialOff = 0;
        o.soundVolume = o.musicVolume = 1;
        game.career->funds = 5000;
        game.career->face = 4;
        game.cheatUsed = 1;
        game.missionReady = 1;
        game.missionFlown = 1;
    }
};

TEST_F(GameStateCareerTest, ANewCareerKeepsOnlyInertialFlightAndStartsAtPlaceTwentyTwo) {
    ASSERT_TRUE(GameState::RegisterScreen("HANGAR", PlainFactory()));
    ASSERT_TRUE(GameState::RegisterScreen("OPTI", PlainFactory()));
    GameState game;
    Dirty(game);

    game.StartNewCareer();

    ASSERT_NE(game.career, nullptr);
    const CareerOptions& o = game.career->options;
    const CareerOptions defaults;
    EXPECT_EQ(o.inertialOff, 0);
    for (int word = 0; word < CareerOptions::kWords; ++word) {
        if (word == 9) continue;   // inertialOff
        EXPECT_EQ(o.Word(word), defaults.Word(word)) << "word " << word;
    }
    EXPECT_EQ(game.career->funds, CareerRecord::kStartingFunds);
    EXPECT_EQ(game.career->face, -1);
    EXPECT_EQ(game.cheatUsed, 0);
    EXPECT_EQ(game.missionReady, 0);
    EXPECT_EQ(game.missionFlown, 0);
    EXPECT_NE(game.ScreenIn(ScreenSlot::kHangar), nullptr);
    // The options are kept (aids cleared) because the options screen exists.
    EXPECT_EQ(g_calls, "wingmen options training ");
}

TEST_F(GameStateCareerTest, WithoutTheOptionsScreenTheOptionsAreNotWritten) {
    GameState game;
    Dirty(game);
    game.career->options.inertialOff = 1;
    game.StartNewCareer();
    EXPECT_EQ(game.career->options.inertialOff, 1);
    EXPECT_EQ(g_calls, "wingmen training ");

    // Without any career the new one takes the default.
    delete game.career;
    game.career = nullptr;
    game.StartNewCareer();
    ASSERT_NE(game.career, nullptr);
    EXPECT_EQ(game.career->options.inertialOff, 1);
}

// Volumes go to the digital and XMIDI drivers that exist, never to the CD;
// only the argument 0 takes the play aids away.
TEST_F(GameStateCareerTest, OptionsSetTheVolumesOfTheDriversPresentAndLeaveTheCdAlone) {
    auto* const recording = new RecordingSoundLibrary;
    recording->midiDriver = true;
    GameState game;
    game.TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording)), nullptr);
    SoundDevice& device = *game.Sound();
    ASSERT_TRUE(device.DigitalDriverPresent());
    device.SetCdVolume(111);
    game.career->options.invulnerability = 1;
    game.cheatUsed = 1;

    game.ApplyOptions(1);
    EXPECT_EQ(device.DigitalVolume(), 75);
    EXPECT_EQ(device.MidiVolume(), 75);
    EXPECT_EQ(device.CdVolume(), 111);
    EXPECT_EQ(game.career->options.invulnerability, 1);
    EXPECT_EQ(game.cheatUsed, 1);

    game.career->options.soundVolume = 5;
    game.career->options.musicVolume = 0;
    game.ApplyOptions(0);
    EXPECT_EQ(device.DigitalVolume(), 125);
    EXPECT_EQ(device.MidiVolume(), 0);
    EXPECT_EQ(device.CdVolume(), 111);
    EXPECT_EQ(game.career->options.invulnerability, 0);
    EXPECT_EQ(game.cheatUsed, 0);

    // No XMIDI driver: the music's volume stays where it was.
    recording->midiDriver = false;
    game.career->options.musicVolume = 4;
    game.ApplyOptions(1);
    EXPECT_EQ(device.MidiVolume(), 0);
}

TEST_F(GameStateCareerTest, TheDustAndTheCameraFollowTheOptions) {
    GameState game;
    Camera* const camera = game.EnsureFlightCamera();
    ASSERT_EQ(camera->flags, Camera::kFlightFlags);
    CareerOptions& o = game.career->options;

    o.spaceDust = 0;
    o.textures = 0;
    game.ApplyOptions(1);
    EXPECT_EQ(game.dustShown, 0);
    EXPECT_EQ(camera->flags, Camera::kFlightFlags & ~0x200u);

    o.spaceDust = 2;
    o.textures = 1;
    o.shadingLevel = 0;
    o.alphaBlend = 0;
    game.ApplyOptions(1);
    EXPECT_EQ(game.dustShown, 1);
    EXPECT_EQ(camera->flags, Camera::kFlightFlags & ~0x808u);

    // A camera made later still takes them.
    GameState later;
    later.career->options.alphaBlend = 0;
    EXPECT_EQ(later.EnsureFlightCamera()->flags, Camera::kFlightFlags & ~0x800u);
}

}  // namespace
