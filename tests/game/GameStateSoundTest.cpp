#include <gtest/gtest.h>

#include <memory>

#include "game/GameState.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "tests/support/RecordingSoundLibrary.h"

namespace {

// The game state owns the device and the definitions, installs the
// definitions while it holds them, and explosions overlap at level 5.
TEST(GameStateSoundTest, ExplosionsOverlapAtLevelFive) {
    auto* const recording = new RecordingSoundLibrary;
    auto* const effects = new SoundEffectLibrary;
    auto blast = std::make_unique<SoundEffectDef>();
    std::snprintf(blast->name, sizeof blast->name, "Explosion");
    blast->rate = 22050;
    blast->priority = 200;
    auto samples = std::make_shared<platform::SampleData>();
    samples->samples.assign(22050, 1000);
    blast->samples = samples;
    effects->sounds.push_back(std::move(blast));
    {
        GameState game;
        game.TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording)), effects);
        EXPECT_EQ(g_soundEffects, effects);
        game.PlayExplosionSound("Corsair");
        game.PlayExplosionSound("Corsair");
        ASSERT_EQ(recording->events.size(), 2u);
        for (const auto& event : recording->events) {
            EXPECT_NE(event.handle, platform::SoundLibrary::kNoSample);
            EXPECT_EQ(event.priority, 200 + 5 * SoundDevice::kPriorityPerLevel);
        }
    }
    EXPECT_EQ(g_soundEffects, nullptr);
}

}  // namespace
