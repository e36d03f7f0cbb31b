// Music through the synthesizer and the mixer's music voice, heard
// headlessly as loudness over time: a note's timing, the XMIDI volume,
// stopping and restarting, restarting what ended, CD tracks chosen by the
// music file, and starting and stopping while another thread mixes.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioMixer.h"
#include "sound/MusicFile.h"
#include "sound/SoundDevice.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/MusicFixtures.h"

namespace {

constexpr size_t kBlock = 512;   // the mixer's own block
constexpr double kRate = platform::AudioMixer::kRate;
// Loudness (RMS of the samples) below which a stretch counts as silent and
// above which as sounding: a piano note at velocity 100 is in the thousands.
constexpr double kSilent = 8.0;
constexpr double kSounding = 300.0;

using Event = RecordingSoundLibrary::Event;

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
    // Renders `seconds` more, a music service after every block as a screen's loop would.
    void Render(double seconds) {
        const size_t frames = size_t(seconds * kRate);
        for (size_t done = 0; done < frames; done += kBlock) {
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

// One note at tick 60 (0.5 s) for 60 ticks, the tune ending at 3 s.
MusicFile OneNote() { return MusicFile(XmidiTune({{60, 60, 100, 60}}, 360), 0); }

TEST_F(MusicTest, ANoteSoundsFromItsTickThroughItsDurationAndNotAfterItsRelease) {
    const MusicFile tune = OneNote();
    device_->PlayMusic(&tune);
    Render(2.9);
    const double block = kBlock / kRate;
    EXPECT_LT(Rms(0.0, 0.5 - block), kSilent);
    EXPECT_GT(Rms(0.5 + block, 1.0 - block), kSounding);
    EXPECT_LT(Rms(2.0, 2.9), kSilent);
}

TEST_F(MusicTest, XmidiVolumeZeroIsSilentAndCdVolumeLeavesSequencesAlone) {
    const MusicFile tune = OneNote();
    device_->SetCdVolume(0);
    device_->PlayMusic(&tune);
    Render(0.8);
    EXPECT_GT(Rms(0.55, 0.8), kSounding);
    device_->SetMidiVolume(0);
    const double quietFrom = Seconds();
    Render(0.2);
    EXPECT_EQ(Rms(quietFrom, Seconds()), 0.0);
}

TEST_F(MusicTest, StopAllIsSilentWithinABlockAndARestartHangsNoNote) {
    const MusicFile tune = OneNote();
    device_->PlayMusic(&tune);
    Render(0.75);
    ASSERT_GT(Rms(0.55, 0.75), kSounding);
    device_->StopAll();
    const double stoppedAt = Seconds();
    Render(0.5);
    EXPECT_LT(Rms(stoppedAt, stoppedAt + kBlock / kRate), kSilent);
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
    // A note at once, the tune over after half a second.
    const MusicFile tune(XmidiTune({{0, 67, 100, 30}}, 60), 0);
    device_->PlayMusic(&tune);
    Render(1.4);
    EXPECT_GT(Rms(0.02, 0.2), kSounding);
    EXPECT_GT(Rms(0.55, 0.7), kSounding);   // the second time round
    EXPECT_GE(library_->MusicStarts(Event::kSequence).size(), 3u);
}

void WriteBytes(const TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    dir.WriteFile(name, std::string(bytes.begin(), bytes.end()));
}

TEST_F(MusicTest, SetTrackTakesOnlyTracksTheCdHasAndRestartsTheMusicEitherWay) {
    MusicFile tune = OneNote();
    tune.SetTrack(1);   // no CD: nothing is taken, the sequence starts again
    EXPECT_EQ(tune.GetTrack(), 0);
    EXPECT_EQ(library_->MusicStarts(Event::kSequence).size(), 1u);

    TempDir dir;
    for (const char* name : {"track01.wav", "track02.wav", "track03.wav"}) WriteBytes(dir, name, WaveFile({}, 22050));
    ASSERT_EQ(library_->OpenCdAudio(dir.Str() + "/"), 4);
    tune.SetTrack(3);
    EXPECT_EQ(tune.GetTrack(), 3);
    for (const int32_t refused : {4, 0}) {
        tune.SetTrack(refused);
        EXPECT_EQ(tune.GetTrack(), 3);
    }
    const std::vector<Event> tracks = library_->MusicStarts(Event::kTrack);
    ASSERT_EQ(tracks.size(), 3u);
    for (const Event& start : tracks) {
        EXPECT_EQ(start.track, 3);
        EXPECT_TRUE(start.started);
    }
    Render(0.2);
    EXPECT_GT(Rms(0.0, 0.2), kSounding);
    device_->SetCdVolume(0);
    Render(0.1);
    EXPECT_EQ(Rms(0.21, 0.3), 0.0);
}

// Run under ThreadSanitizer by ./test.sh: the game thread starts, switches
// and stops sequences and tracks while the audio thread mixes.
TEST_F(MusicTest, StartingSwitchingAndStoppingWhileAnotherThreadMixes) {
    TempDir dir;
    WriteBytes(dir, "track01.wav", WaveFile({.channels = 1}, 2000));
    library_->OpenCdAudio(dir.Str() + "/");
    MusicFile tune(XmidiTune({{0, 60, 100, 4}, {2, 64, 90, 4}, {5, 67, 80, 2}}, 8), 0);
    MusicFile track(XmidiTune({}, 10), 1);
    std::atomic<bool> done{false};
    std::thread audio([this, &done] {
        while (!done.load()) library_->Headless().Render(256);
    });
    for (int i = 0; i < 300; ++i) {
        switch (i % 5) {
            case 0: device_->PlayMusic(&tune); break;
            case 1: device_->PlayMusic(&track); break;
            case 2: device_->StopMusic(); break;
            case 3: device_->StopAll(); break;
            default: device_->PlayMusic(&tune); break;
        }
        device_->SetMidiVolume(i % 128);
        device_->ServiceMusic();
        if (i % 7 == 0) std::this_thread::yield();
    }
    done = true;
    audio.join();
    device_->StopMusic();
    EXPECT_TRUE(library_->MusicFinished());
}

}  // namespace
