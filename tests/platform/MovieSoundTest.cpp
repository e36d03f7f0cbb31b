// The sample movie's sound: decoded to the tone it was made with, and
// queued to the sound output (SDL's "dummy" audio driver here).
#include "platform/MovieSound.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScopedEnvironment.h"

namespace {

const std::string kIntro = std::string(VORN_SOURCE_DIR) + "/tools/mkdata/movies/intro.mpg";

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

TEST(MovieSound, AFileWithoutSoundIsSaidSo) {
    platform::MovieSound sound;
    std::string reason;
    EXPECT_FALSE(sound.Load("/no/such/movie.mpg", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(sound.Start(0));
}

}  // namespace
