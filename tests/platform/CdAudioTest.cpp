// CD tracks from numbered WAV files: which files count as tracks, the
// count that follows, every cut and corrupt file refused, and the samples
// brought to the mix format.
#include "platform/CdAudio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/MusicFixtures.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Write(const TempDir& dir, const std::string& name, const Bytes& bytes) {
    dir.WriteFile(name, std::string(bytes.begin(), bytes.end()));
}

int32_t CountWith(const Bytes& track02) {
    TempDir dir;
    Write(dir, "track02.wav", track02);
    platform::CdAudio cd;
    return cd.Open(dir.Str() + "/");
}

void SetWord(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// Offsets in WaveFile's layout: RIFF header 12, "fmt " header 8, fields 16, "data" header 8.
constexpr size_t kDataSize = 40;

TEST(CdAudio, TheCountIsTheHighestGoodTrackPlusOne) {
    TempDir dir;
    platform::CdAudio cd;
    EXPECT_EQ(cd.Open(dir.Str() + "/"), 0);
    Write(dir, "track01.wav", WaveFile({}, 100));
    Write(dir, "track03.wav", WaveFile({.channels = 1}, 100));
    Write(dir, "track05.wav", WaveFile({.channels = 3}, 100));
    EXPECT_EQ(cd.Open(dir.Str() + "/"), 4);
    EXPECT_EQ(cd.Load(2), nullptr);
    EXPECT_EQ(cd.Load(5), nullptr);
    EXPECT_EQ(cd.Load(-1), nullptr);
    EXPECT_NE(cd.Load(3), nullptr);
}

TEST(CdAudio, FilesOfAnotherFormatOrLayoutAreNoTracks) {
    ASSERT_EQ(CountWith(WaveFile({}, 8)), 3);
    const WaveFormat refused[] = {
        {.tag = 3}, {.channels = 0}, {.channels = 3}, {.bits = 8}, {.bits = 24}, {.rate = 0}, {.rate = 1000000},
    };
    for (const WaveFormat& format : refused) {
        SCOPED_TRACE(testing::Message() << format.tag << " " << format.channels << " " << format.rate << " " << format.bits);
        EXPECT_EQ(CountWith(WaveFile(format, 8)), 0);
    }
    Bytes brokenFrame = WaveFile({}, 8);
    SetWord(brokenFrame, kDataSize, 30);   // seven and a half frames
    EXPECT_EQ(CountWith(brokenFrame), 0);
    Bytes pastTheEnd = WaveFile({}, 8);
    SetWord(pastTheEnd, kDataSize, 0xFFFFFFF0u);
    EXPECT_EQ(CountWith(pastTheEnd), 0);
    Bytes hugeFormat = WaveFile({}, 8);
    SetWord(hugeFormat, 16, 0x7FFFFFFFu);
    EXPECT_EQ(CountWith(hugeFormat), 0);
    for (size_t size = 0; size < WaveFile({}, 8).size(); ++size) {
        SCOPED_TRACE(size);
        const Bytes whole = WaveFile({}, 8);
        EXPECT_EQ(CountWith(Bytes(whole.begin(), whole.begin() + ptrdiff_t(size))), 0);
    }
}

TEST(CdAudio, TracksArePlayedAt44100HzStereo) {
    TempDir dir;
    Write(dir, "track01.wav", WaveFile({.channels = 1, .rate = 22050}, 1000));
    platform::CdAudio cd;
    ASSERT_EQ(cd.Open(dir.Str() + "/"), 2);
    const auto samples = cd.Load(1);
    ASSERT_NE(samples, nullptr);
    EXPECT_EQ(samples->rate, 44100);
    ASSERT_EQ(samples->channels, 2);
    EXPECT_EQ(samples->Frames(), 2000u);
    // The square wave's 40-sample halves become 80 frames, heard on both sides.
    for (size_t frame : {10u, 100u, 170u}) {
        EXPECT_EQ(samples->samples[2 * frame], samples->samples[2 * frame + 1]);
        EXPECT_EQ(samples->samples[2 * frame], (frame / 80) % 2 != 0 ? 8000 : -8000);
    }
}

}  // namespace
