// The sound device over the headless mixer: priorities and stealing,
// overlap, stopping, loops, rates, positions, deletion while playing, and
// playing from the game thread while another thread mixes.
#include "sound/SoundDevice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioOutput.h"
#include "sound/SoundEffectDef.h"
#include "sound/SoundObject.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingSoundLibrary.h"

namespace {

// A triangle wave of `frames` frames at 22050 Hz, period 50.
SoundEffectDef Tone(const char* name, size_t frames, int32_t loop = 0, int32_t priority = 0) {
    SoundEffectDef definition;
    std::snprintf(definition.name, sizeof definition.name, "%s", name);
    definition.rate = 22050;
    definition.bits = 16;
    definition.channels = 1;
    definition.loop = loop;
    definition.priority = priority;
    definition.volume = 100;
    auto data = std::make_shared<platform::SampleData>();
    data->rate = 22050;
    for (size_t i = 0; i < frames; ++i) data->samples.push_back(int16_t((int32_t(i % 50) - 25) * 160));
    definition.samples = data;
    return definition;
}

class SoundDeviceTest : public ::testing::Test {
protected:
    SoundDeviceTest() {
        auto library = std::make_unique<RecordingSoundLibrary>();
        library_ = library.get();
        device_ = std::make_unique<SoundDevice>(std::move(library));
    }
    // Mixes `frames` more frames into the recording, a device update after each block.
    void Render(size_t frames) {
        for (size_t done = 0; done < frames; done += kBlock) {
            const std::vector<int16_t> block = library_->Headless().Render(kBlock);
            mixed_.insert(mixed_.end(), block.begin(), block.end());
            device_->Update();
        }
    }
    // Frames mixed until the sound's play-state word clears.
    size_t RenderUntilQuiet(const SoundObject& sound) {
        size_t frames = 0;
        while (sound.playState != 0 && frames < 200000) {
            Render(kBlock);
            frames += kBlock;
        }
        return frames;
    }
    static constexpr size_t kBlock = 50;

    RecordingSoundLibrary* library_ = nullptr;
    std::unique_ptr<SoundDevice> device_;
    std::vector<int16_t> mixed_;
};

TEST_F(SoundDeviceTest, AScriptedMixMatchesItsGolden) {
    ASSERT_TRUE(device_->Open());
    const SoundEffectDef tone = Tone("Tone", 2000);
    std::vector<std::unique_ptr<SoundObject>> crowd;
    for (int i = 0; i < 16; ++i) {
        crowd.push_back(std::make_unique<SoundObject>(tone));
        crowd.back()->SetSide(8 * i);
        EXPECT_EQ(device_->Play(crowd.back().get(), 5, 0), 1);
    }
    // Full: a higher level takes the lowest voice, a lower one starts nothing.
    SoundObject urgent(tone), idle(tone);
    EXPECT_EQ(device_->Play(&urgent, 10, 0), 1);
    EXPECT_EQ(device_->Play(&idle, 0, 1), 0);
    EXPECT_EQ(library_->events.back().handle, platform::SoundLibrary::kNoSample);
    EXPECT_EQ(crowd[0]->playState, 0);   // the one taken
    EXPECT_EQ(device_->LiveVoices(), 16);
    Render(1000);

    for (int i = 3; i < 16; ++i) device_->StopSound(crowd[i].get());
    SoundObject& twice = *crowd[1];
    EXPECT_EQ(device_->Play(&twice, 5, 0), 0);   // still playing
    EXPECT_EQ(device_->Play(&twice, 5, 1), 1);   // a second copy
    Render(500);
    const size_t stopsBefore = library_->events.size();
    device_->StopSound(&twice);
    EXPECT_EQ(library_->events.size() - stopsBefore, 2u);
    EXPECT_EQ(twice.playState, 0);
    EXPECT_EQ(twice.started, 0);
    Render(3000);

    // A loop of 1000 output frames a pass, cleared in the third pass: it
    // ends where that pass ends.
    const SoundEffectDef ring = Tone("Ring", 500, 1);
    SoundObject looping(ring);
    ASSERT_EQ(device_->Play(&looping, 5, 0), 1);
    Render(2500);
    looping.loop = 0;
    const size_t tail = RenderUntilQuiet(looping);
    EXPECT_GE(tail, 450u);
    EXPECT_LE(tail, 550u);

    // Twice the rate, half the length.
    SoundObject normal(tone), fast(tone);
    fast.SetRate(2 * tone.rate);
    ASSERT_EQ(device_->Play(&normal, 5, 0), 1);
    const size_t normalFrames = RenderUntilQuiet(normal);
    ASSERT_EQ(device_->Play(&fast, 5, 0), 1);
    const size_t fastFrames = RenderUntilQuiet(fast);
    EXPECT_NEAR(double(fastFrames) / double(normalFrames), 0.5, 0.05);

    EXPECT_TRUE(MatchesGoldenBytes(platform::EncodeWav(mixed_, platform::AudioMixer::kRate, 2), "soundmix.wav"));
}

TEST_F(SoundDeviceTest, PositionalSoundsAreHeardFromTheListener) {
    const SoundEffectDef tone = Tone("Tone", 4000);
    SoundObject near(tone), far(tone);
    device_->SetListener({0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f});
    near.SetPosition({60.0f, 0.0f, 10.0f});
    far.SetPosition({0.0f, 0.0f, 5000.0f});
    device_->Play(&far, 5, 0);
    Render(500);
    for (const int16_t s : mixed_) ASSERT_EQ(s, 0);
    device_->StopAll();
    mixed_.clear();
    device_->Play(&near, 5, 0);
    Render(500);
    int64_t left = 0, right = 0;
    for (size_t i = 0; i + 1 < mixed_.size(); i += 2) left += std::abs(mixed_[i]), right += std::abs(mixed_[i + 1]);
    EXPECT_GT(right, 0);
    EXPECT_LT(left, right / 4);

    // A sound where the listener is comes from both sides alike.
    device_->StopAll();
    mixed_.clear();
    SoundObject here(tone);
    here.SetPosition({0.0f, 0.0f, 0.0f});
    device_->Play(&here, 5, 0);
    Render(500);
    left = right = 0;
    for (size_t i = 0; i + 1 < mixed_.size(); i += 2) left += std::abs(mixed_[i]), right += std::abs(mixed_[i + 1]);
    EXPECT_GT(left, 0);
    EXPECT_NEAR(double(left), double(right), double(right) / 20.0);
}

// A sound deleted while it plays takes its voices with it; a device whose
// output cannot open plays nothing and complains about nothing.
TEST_F(SoundDeviceTest, DeletedSoundsAndClosedDevicesAreHarmless) {
    const SoundEffectDef tone = Tone("Tone", 4000);
    auto* const doomed = new SoundObject(tone);
    device_->Play(doomed, 5, 1);
    device_->Play(doomed, 5, 1);
    delete doomed;
    EXPECT_EQ(device_->LiveVoices(), 0);
    Render(200);

    struct NoCard : platform::AudioOutput {
        bool Open(platform::AudioMixer&) override { return false; }
        void Close() override {}
        std::string Description() const override { return "none"; }
    };
    SoundDevice closed(std::make_unique<platform::SoundLibrary>(std::make_unique<NoCard>()));
    SoundObject sound(tone);
    EXPECT_FALSE(closed.Open());
    EXPECT_EQ(closed.Play(&sound, 10, 1), 0);
    closed.StopAll();
    closed.Update();
}

// Run under ThreadSanitizer by ./test.sh: the game thread plays, retunes,
// stops and deletes while the audio thread mixes.
TEST_F(SoundDeviceTest, PlayingAndStoppingWhileAnotherThreadMixes) {
    const SoundEffectDef tone = Tone("Tone", 300, 0, 3);
    std::atomic<bool> done{false};
    std::thread audio([this, &done] {
        while (!done.load()) library_->Headless().Render(64);
    });
    for (int i = 0; i < 400; ++i) {
        auto sound = std::make_unique<SoundObject>(tone);
        device_->Play(sound.get(), i % 11, 1);
        sound->SetRate(11025 + 100 * (i % 50));
        sound->loop = i % 2;
        device_->Update();
        if (i % 3 == 0) device_->StopSound(sound.get());
    }
    done = true;
    audio.join();
    EXPECT_EQ(device_->LiveVoices(), 0);
}

}  // namespace
