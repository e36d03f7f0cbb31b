// Music through the synthesizer and the mixer's music voice, heard
// headlessly as loudness over time: a note's timing, the volumes, stopping
// and restarting, restarting what ended, CD tracks chosen by the music
// file, and starting and stopping while another thread mixes.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioMixer.h"
#include "platform/AudioOutput.h"
#include "sound/MusicFile.h"
#include "sound/SoundDevice.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/XmidiWriter.h"

namespace {

constexpr size_t kBlock = 512;   // the mixer's own block
constexpr double kRate = platform::AudioMixer::kRate;
constexpr double kBlockSeconds = kBlock / kRate;
// Loudness (RMS) below which a stretch counts as silent and above which as
// sounding: a piano note at velocity 100 is in the thousands.
constexpr double kSilent = 8.0;
constexpr double kSounding = 300.0;

using Event = RecordingSoundLibrary::Event;

// One piano note at `tick` for `duration` ticks, the tune ending at `end`.
MusicFile Tune(uint32_t tick, uint32_t duration, uint32_t end, int32_t track = 0) {
    XmidiWriter writer;
    writer.Note(tick, 0, 60, 100, duration);
    writer.End(end);
    return MusicFile(writer.File(), track);
}

// Track files of a loud square wave at 22050 Hz.
void WriteTrack(const TempDir& dir, const char* name, int32_t channels, size_t frames) {
    std::vector<int16_t> samples(frames * size_t(channels));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 40) % 2 != 0 ? 8000 : -8000;
    const std::vector<uint8_t> bytes = platform::EncodeWav(samples, 22050, channels);
    dir.WriteFile(name, std::string(bytes.begin(), bytes.end()));
}

class MusicTest : public ::testing::Test {
protected:
    MusicTest() {
        auto library = std::make_unique<RecordingSoundLibrary>();
        library_ = library.get();
        haveSynthesizer_ = library_->StartMidi();
        device_ = std::make_unique<SoundDevice>(std::move(library));
    }
    void SetUp() override {
        if (!haveSynthesizer_) GTEST_SKIP() << "no General MIDI SoundFont on this machine";
    }
    // Renders `seconds` more, serving the music after every block as a screen's loop would.
    void Render(double seconds) {
        for (size_t done = 0; done < size_t(seconds * kRate); done += kBlock) {
            const std::vector<int16_t> block = library_->Headless().Render(kBlock);
            mixed_.insert(mixed_.end(), block.begin(), block.end());
            device_->ServiceMusic();
        }
    }
    // The loudness of what was mixed between two times (seconds from the first render).
    double Rms(double from, double to) const {
        const size_t first = size_t(from * kRate) * 2, last = std::min(size_t(to * kRate) * 2, mixed_.size());
        double sum = 0.0;
        for (size_t i = first; i < last; ++i) sum += double(mixed_[i]) * mixed_[i];
        return last > first ? std::sqrt(sum / double(last - first)) : 0.0;
    }
    double Seconds() const { return double(mixed_.size() / 2) / kRate; }

    RecordingSoundLibrary* library_ = nullptr;
    std::unique_ptr<SoundDevice> device_;
    bool haveSynthesizer_ = false;
    std::vector<int16_t> mixed_;
};

TEST_F(MusicTest, ANoteSoundsFromItsTickThroughItsDurationAndNotAfterItsRelease) {
    const MusicFile tune = Tune(60, 60, 360);
    device_->SetCdVolume(0);   // not the sequence's volume
    device_->PlayMusic(&tune);
    Render(2.9);
    EXPECT_LT(Rms(0.0, 0.5 - kBlockSeconds), kSilent);
    EXPECT_GT(Rms(0.5 + kBlockSeconds, 1.0 - kBlockSeconds), kSounding);
    EXPECT_LT(Rms(2.0, 2.9), kSilent);

    device_->SetMidiVolume(0);
    device_->PlayMusic(&tune);
    const double quietFrom = Seconds();
    Render(1.0);
    EXPECT_EQ(Rms(quietFrom, Seconds()), 0.0);
}

TEST_F(MusicTest, StopAllIsSilentWithinABlockAndARestartHangsNoNote) {
    const MusicFile tune = Tune(60, 60, 360);
    device_->PlayMusic(&tune);
    Render(0.75);
    ASSERT_GT(Rms(0.55, 0.75), kSounding);
    device_->StopAll();
    const double stoppedAt = Seconds();
    Render(0.5);
    EXPECT_LT(Rms(stoppedAt, stoppedAt + kBlockSeconds), kSilent);
    EXPECT_LT(Rms(stoppedAt, Seconds()), kSilent);
    // The note cut off never had its end: the restart must not let it sound on.
    device_->PlayMusic(&tune);
    const double restartedAt = Seconds();
    Render(0.45);
    EXPECT_LT(Rms(restartedAt, Seconds()), kSilent);
    Render(0.3);
    EXPECT_GT(Rms(restartedAt + 0.55, Seconds()), kSounding);
}

TEST_F(MusicTest, ServiceMusicStartsAFinishedSequenceAgain) {
    const MusicFile tune = Tune(0, 30, 60);   // over after half a second
    device_->PlayMusic(&tune);
    Render(1.4);
    EXPECT_GT(Rms(0.02, 0.2), kSounding);
    EXPECT_GT(Rms(0.55, 0.7), kSounding);   // the second time round
    EXPECT_GE(library_->MusicStarts(Event::kSequence).size(), 3u);
}

TEST_F(MusicTest, SetTrackTakesOnlyTracksTheCdHasAndRestartsTheMusicEitherWay) {
    MusicFile tune = Tune(60, 60, 360);
    tune.SetTrack(1);   // no CD: nothing is taken, the sequence starts again
    EXPECT_EQ(tune.GetTrack(), 0);
    EXPECT_EQ(library_->MusicStarts(Event::kSequence).size(), 1u);

    TempDir dir;
    for (const char* name : {"track01.wav", "track02.wav", "track03.wav"}) WriteTrack(dir, name, 2, 22050);
    ASSERT_EQ(library_->OpenCdAudio(dir.Str() + "/"), 4);
    for (const int32_t asked : {3, 4, 0}) {
        tune.SetTrack(asked);
        EXPECT_EQ(tune.GetTrack(), 3);
    }
    const std::vector<Event> tracks = library_->MusicStarts(Event::kTrack);
    ASSERT_EQ(tracks.size(), 3u);
    for (const Event& start : tracks) EXPECT_TRUE(start.track == 3 && start.started);
    Render(0.2);
    EXPECT_GT(Rms(0.0, 0.2), kSounding);
}

// Run under ThreadSanitizer by ./test.sh: the game thread starts, switches
// and stops sequences and tracks while the audio thread mixes.
TEST_F(MusicTest, StartingSwitchingAndStoppingWhileAnotherThreadMixes) {
    TempDir dir;
    WriteTrack(dir, "track01.wav", 1, 2000);
    library_->OpenCdAudio(dir.Str() + "/");
    const MusicFile tune = Tune(0, 4, 8), track = Tune(0, 4, 8, 1);
    std::atomic<bool> done{false};
    std::thread audio([this, &done] {
        while (!done.load()) library_->Headless().Render(256);
    });
    for (int i = 0; i < 300; ++i) {
        if (i % 4 == 2) {
            device_->StopAll();
        } else {
            device_->PlayMusic(i % 4 == 1 ? &track : &tune);
        }
        device_->SetMidiVolume(i % 128);
        device_->ServiceMusic();
    }
    done = true;
    audio.join();
    device_->StopMusic();
    EXPECT_TRUE(library_->MusicFinished());
}

}  // namespace
