// The sound card through SDL on its "dummy" audio driver, which pulls the
// mix on SDL's audio thread as a card would and plays it nowhere.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/AudioMixer.h"
#include "platform/AudioOutput.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

using platform::AudioMixer;
using platform::SdlAudioOutput;

// A tenth of a second of a quiet tone.
std::shared_ptr<const platform::SampleData> ShortSound() {
    auto data = std::make_shared<platform::SampleData>();
    data->samples.assign(2205, 0);
    for (size_t i = 0; i < data->samples.size(); ++i) data->samples[i] = int16_t(i % 2 == 0 ? 1000 : -1000);
    return data;
}

TEST(SdlAudioOutput, TheDevicePullsTheMixUntilASoundHasPlayed) {
    const ScopedEnvironment driver("SDL_AUDIODRIVER", "dummy");
    AudioMixer mixer;
    const AudioMixer::Handle voice = mixer.Start(ShortSound(), platform::VoiceSettings{});
    ASSERT_NE(voice, AudioMixer::kNoVoice);
    SdlAudioOutput output;
    ASSERT_TRUE(output.Open(mixer));
    EXPECT_EQ(output.Description(), "SDL2 audio (dummy)");

    // Nothing here mixes: only the device's thread can play the sound out.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (mixer.Playing(voice) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(mixer.Playing(voice));

    output.Close();
    EXPECT_EQ(output.Description(), "SDL2 audio (closed)");
}

TEST(SdlAudioOutput, NoDeviceIsNoOutput) {
    const ScopedEnvironment driver("SDL_AUDIODRIVER", "vorn-no-such-driver");
    AudioMixer mixer;
    SdlAudioOutput output;
    EXPECT_FALSE(output.Open(mixer));
    EXPECT_EQ(output.Description(), "SDL2 audio (closed)");
}

}  // namespace
