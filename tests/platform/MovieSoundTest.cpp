// The sample movie's sound: decoded to the tone it was made with, and
// queued to the sound output (SDL's "dummy" audio driver here).
#include "platform/MovieSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/MovieBuilder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kIntro = std::string(VORN_SOURCE_DIR) + "/tools/mkdata/movies/intro.mpg";

// Rising zero crossings of one channel (0 left, 1 right) between two times,
// in seconds of the 44.1 kHz output.
int Crossings(const std::vector<int16_t>& pcm, int channel, double from, double to) {
    const size_t first = size_t(from * 44100) + 1, last = std::min(pcm.size() / 2, size_t(to * 44100));
    int crossings = 0;
    for (size_t i = first; i < last; ++i) {
        if (pcm[2 * (i - 1) + size_t(channel)] < 0 && pcm[2 * i + size_t(channel)] >= 0) ++crossings;
    }
    return crossings;
}

TEST(MovieSound, TheSampleMovieSoundsItsToneAndQueuesToTheOutput) {
    platform::MovieSound sound;
    std::string reason;
    ASSERT_TRUE(sound.Load(kIntro, &reason)) << reason;
    const std::vector<int16_t>& pcm = sound.Samples();
    const size_t frames = pcm.size() / 2;
    EXPECT_NEAR(double(frames), 1.5 * 44100, 44100 * 0.1);
    // Counting rising zero crossings of the left channel over one second.
    int crossings = 0;
    for (size_t i = 22050 + 1; i < 22050 + 44100 && i < frames; ++i) {
        if (pcm[2 * (i - 1)] < 0 && pcm[2 * i] >= 0) ++crossings;
    }
    EXPECT_NEAR(crossings, 440, 5);

    const ScopedEnvironment driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(sound.Start(500));
    EXPECT_TRUE(sound.Playing());
    // Only the second from half a second on is queued.
    EXPECT_NEAR(double(sound.QueuedBytes()), 1.0 * 44100 * 4, 44100 * 4 * 0.15);
    sound.Stop();
    EXPECT_FALSE(sound.Playing());
}

// A movie whose sound goes from stereo to mono at half the rate and back:
// each run comes out at the output's rate, at its own pitch, the mono one on
// both sides.
TEST(MovieSound, RunsOfOtherLayoutsAndRatesAreConvertedEach) {
    const TempDir dir;
    std::string reason;
    MovieBuilder builder;
    builder.Pictures(64, 48, 25, std::vector<uint32_t>(25, 0x808080))
        .Tone(2, 44100, 441, 0.5)
        .Tone(1, 22050, 882, 0.5)
        .Tone(2, 44100, 441, 0.5);
    const std::string path = dir.Str() + "/mixed.mpg";
    ASSERT_TRUE(builder.Write(path, "mpeg", &reason)) << reason;

    platform::MovieSound sound;
    ASSERT_TRUE(sound.Load(path, &reason)) << reason;
    const std::vector<int16_t>& pcm = sound.Samples();
    // Each run rounds up to whole MP2 frames of 1152 samples.
    EXPECT_NEAR(double(pcm.size() / 2), 1.5 * 44100, 3 * 1152 * 2);
    // Away from the joins: 441 Hz, then 882 Hz, then 441 Hz again.
    EXPECT_NEAR(Crossings(pcm, 0, 0.05, 0.45), 176, 4);
    EXPECT_NEAR(Crossings(pcm, 0, 0.6, 0.9), 265, 5);
    EXPECT_NEAR(Crossings(pcm, 1, 0.6, 0.9), 265, 5);
    EXPECT_NEAR(Crossings(pcm, 1, 1.15, 1.45), 132, 4);
    for (size_t i = size_t(0.6 * 44100); i < size_t(0.9 * 44100); ++i) {
        ASSERT_EQ(pcm[2 * i], pcm[2 * i + 1]) << "mono sample " << i;
    }
}

TEST(MovieSound, AFileWithoutSoundIsSaidSo) {
    platform::MovieSound sound;
    std::string reason;
    EXPECT_FALSE(sound.Load("/no/such/movie.mpg", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(sound.Start(0));
}

}  // namespace
