// The sample movie made by tools/make-movies.sh, decoded: its size, length
// and the colours it was made with (within what MPEG's loss allows).
#include "platform/MovieDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/MovieBuilder.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kIntro = std::string(VORN_SOURCE_DIR) + "/tools/mkdata/movies/intro.mpg";

void ExpectNear(uint32_t pixel, uint32_t expected, int tolerance, const char* what) {
    for (int shift : {16, 8, 0}) {
        const int got = int((pixel >> shift) & 0xFF), want = int((expected >> shift) & 0xFF);
        EXPECT_LE(std::abs(got - want), tolerance) << what << std::hex << ": 0x" << pixel << " for 0x" << expected;
    }
}

TEST(MovieDecoder, TheSampleMovieShowsItsColourBarsFrameAfterFrame) {
    std::string reason;
    auto movie = platform::MovieDecoder::Open(kIntro, &reason);
    ASSERT_NE(movie, nullptr) << reason;
    EXPECT_EQ(movie->Width(), 320);
    EXPECT_EQ(movie->Height(), 240);
    EXPECT_NEAR(double(movie->DurationMs()), 1500.0, 100.0);
    std::vector<uint32_t> pixels;
    int64_t time = -1;
    ASSERT_TRUE(movie->NextFrame(&pixels, &time));
    EXPECT_EQ(time, 0);
    // The top row of bars, seven of them across: 75% grey, yellow, cyan,
    // green, magenta, red, blue.
    const uint32_t bars[7] = {0xBFBFBF, 0xBFBF00, 0x00BFBF, 0x00BF00, 0xBF00BF, 0xBF0000, 0x0000BF};
    for (int i = 0; i < 7; ++i) {
        const int x = (2 * i + 1) * 320 / 14;
        ExpectNear(pixels[size_t(40) * 320 + size_t(x)], bars[i], 24, "bar");
    }
    int frames = 1;
    int64_t last = 0;
    while (movie->NextFrame(nullptr, &time)) {
        EXPECT_GT(time, last);
        last = time;
        ++frames;
    }
    EXPECT_NEAR(frames, 37, 2);   // 25 a second for 1.5 s
    ASSERT_TRUE(movie->Rewind());
    ASSERT_TRUE(movie->NextFrame(&pixels, &time));
    EXPECT_LE(time, 40);
}

// Six frames of 40 ms, each of its own colour: a frame shows from its time
// until the next one's, the first from the start.
TEST(MovieDecoder, EachFrameIsDueFromItsOwnTimeOn) {
    const TempDir dir;
    std::string reason;
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFFFFFF, 0x000000};
    ASSERT_TRUE(MovieBuilder().Pictures(64, 48, 25, colours).Write(dir.Str() + "/six.mpg", "mpeg", &reason)) << reason;
    auto movie = platform::MovieDecoder::Open(dir.Str() + "/six.mpg", &reason);
    ASSERT_NE(movie, nullptr) << reason;
    std::vector<uint32_t> pixels;
    bool ended = true;
    const auto middle = [&]() { return pixels.at(size_t(24) * 64 + 32); };
    struct Step {
        int64_t nowMs;
        bool changed;
        size_t colour;
    } const steps[] = {
        {0, true, 0}, {39, false, 0}, {40, true, 1}, {79, false, 1}, {130, true, 3}, {199, true, 4},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(movie->FrameDue(step.nowMs, &pixels, &ended), step.changed) << "at " << step.nowMs << " ms";
        EXPECT_FALSE(ended) << "at " << step.nowMs << " ms";
        ExpectNear(middle(), colours[step.colour], 24, "frame");
    }
    // The last frame, on show for a frame's time, and then the end.
    EXPECT_TRUE(movie->FrameDue(200, &pixels, &ended));
    ExpectNear(middle(), colours[5], 24, "last frame");
    EXPECT_FALSE(ended);
    EXPECT_FALSE(movie->FrameDue(239, &pixels, &ended));
    EXPECT_FALSE(ended);
    EXPECT_FALSE(movie->FrameDue(240, &pixels, &ended));
    EXPECT_TRUE(ended);
    ExpectNear(middle(), colours[5], 24, "last frame");
    // From the start again after a rewind.
    ASSERT_TRUE(movie->Rewind());
    EXPECT_TRUE(movie->FrameDue(0, &pixels, &ended));
    ExpectNear(middle(), colours[0], 24, "first frame again");
}

TEST(MovieDecoder, WhatIsNotAMovieIsRefusedAndATruncatedOneEndsEarly) {
    const TempDir dir;
    dir.WriteFile("text.mpg", "this is not a movie at all");
    std::string reason;
    EXPECT_EQ(platform::MovieDecoder::Open(dir.Str() + "/text.mpg", &reason), nullptr);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(platform::MovieDecoder::Open(dir.Str() + "/missing.mpg", &reason), nullptr);

    // Half of the sample: some frames, then the end, no crash.
    std::string bytes;
    {
        FILE* f = std::fopen(kIntro.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    dir.WriteFile("half.mpg", bytes.substr(0, bytes.size() / 2));
    auto half = platform::MovieDecoder::Open(dir.Str() + "/half.mpg", &reason);
    if (half != nullptr) {
        int frames = 0;
        while (half->NextFrame(nullptr, nullptr) && frames < 1000) ++frames;
        EXPECT_LT(frames, 37);
    }
}

}  // namespace
