// The General MIDI synthesizer on the small SoundFont the packages install,
// heard through what it renders.
#include "platform/MidiSynthesizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using platform::MidiSynthesizer;

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kController = 0xB0;
constexpr uint8_t kProgram = 0xC0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kMiddleC = 60;

// `frames` frames of the left channel.
std::vector<int16_t> Left(MidiSynthesizer& synthesizer, size_t frames) {
    std::vector<int16_t> stereo(frames * 2);
    synthesizer.Render(stereo.data(), frames);
    std::vector<int16_t> left(frames);
    for (size_t i = 0; i < frames; ++i) left[i] = stereo[i * 2];
    return left;
}

double Loudness(const std::vector<int16_t>& samples) {
    double sum = 0;
    for (const int16_t s : samples) sum += double(s) * s;
    return std::sqrt(sum / double(samples.size()));
}

// Rising zero crossings a second: for one instrument and note, in
// proportion to its pitch.
double Pitch(const std::vector<int16_t>& samples) {
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) crossings += samples[i - 1] < 0 && samples[i] >= 0 ? 1 : 0;
    return crossings * double(MidiSynthesizer::kRate) / double(samples.size());
}

class MidiSynthesizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        synthesizer_ = MidiSynthesizer::OpenSoundFont(kSoundFont);
        if (synthesizer_ == nullptr) GTEST_SKIP() << "no " << kSoundFont;
        // A flute: a plain tone whose crossings follow its pitch.
        synthesizer_->Send(kProgram, 73, 0);
    }
    std::unique_ptr<MidiSynthesizer> synthesizer_;
};

TEST_F(MidiSynthesizerTest, ANoteOnOfNoVelocityEndsTheNote) {
    synthesizer_->Send(kNoteOn, kMiddleC, 100);
    const double playing = Loudness(Left(*synthesizer_, 4410));
    EXPECT_GT(playing, 100.0);
    synthesizer_->Send(kNoteOn, kMiddleC, 0);
    Left(*synthesizer_, 22050);   // the release
    EXPECT_LT(Loudness(Left(*synthesizer_, 4410)), playing / 100);
}

TEST_F(MidiSynthesizerTest, TheVolumeControllerSilencesTheChannelAndNoOther) {
    synthesizer_->Send(kController, 7, 0);
    synthesizer_->Send(kNoteOn, kMiddleC, 100);
    EXPECT_LT(Loudness(Left(*synthesizer_, 4410)), 1.0);
    synthesizer_->Send(kProgram | 1, 73, 0);
    synthesizer_->Send(kNoteOn | 1, kMiddleC, 100);
    EXPECT_GT(Loudness(Left(*synthesizer_, 4410)), 100.0);
}

// The bend's two data bytes are its low and high seven bits: full up is two
// semitones higher by General MIDI's default range, 0x2000 the centre. Pressure changes the
// loudness of some instruments, never the pitch.
TEST_F(MidiSynthesizerTest, PitchBendRaisesTheNoteTwoSemitones) {
    synthesizer_->Send(kNoteOn, kMiddleC, 100);
    Left(*synthesizer_, 4410);   // past the attack
    const double plain = Pitch(Left(*synthesizer_, 22050));
    ASSERT_GT(plain, 200.0);
    synthesizer_->Send(kPitchBend, 0x00, 0x7F);   // 16256 of 16383
    synthesizer_->Send(0xA0, kMiddleC, 90);   // key pressure
    synthesizer_->Send(0xD0, 90, 0);          // channel pressure
    Left(*synthesizer_, 2205);
    const double bent = Pitch(Left(*synthesizer_, 22050));
    EXPECT_NEAR(bent / plain, std::pow(2.0, 2.0 / 12.0), 0.03);
    synthesizer_->Send(kPitchBend, 0x00, 0x40);   // the centre
    Left(*synthesizer_, 2205);
    EXPECT_NEAR(Pitch(Left(*synthesizer_, 22050)), plain, 5.0);
}

}  // namespace
