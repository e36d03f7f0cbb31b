// CD tracks from numbered WAV files: which files count as tracks, the
// count that follows, cut and corrupt files refused, and the samples
// brought to the mix format.
#include "platform/CdAudio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/AudioOutput.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Eight frames of a square wave at 22050 Hz; `field` (a byte offset of the
// 44-byte header) set to `value` of `width` bytes when given.
Bytes Track(int32_t channels, size_t frames = 8, size_t field = 0, uint32_t value = 0, int width = 2) {
    std::vector<int16_t> samples(frames * size_t(channels));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 40) % 2 != 0 ? 8000 : -8000;
    Bytes bytes = platform::EncodeWav(samples, 22050, channels);
    for (int i = 0; field != 0 && i < width; ++i) bytes[field + size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}

int32_t Count(const std::vector<std::pair<std::string, Bytes>>& files) {
    TempDir dir;
    for (const auto& [name, bytes] : files) dir.WriteFile(name, std::string(bytes.begin(), bytes.end()));
    return platform::CdAudio().Open(dir.Str() + "/");
}

TEST(CdAudio, OnlyWhole16BitPcmFilesOfOneOrTwoChannelsAreTracks) {
    EXPECT_EQ(Count({}), 0);
    EXPECT_EQ(Count({{"track01.wav", Track(2)}, {"track03.wav", Track(1)}, {"track05.wav", Track(3)}}), 4);
    const Bytes refused[] = {
        Track(2, 8, 20, 3),                // floating point samples
        Track(2, 8, 34, 8),                // 8-bit samples
        Track(2, 8, 24, 0, 4),             // no rate
        Track(2, 8, 40, 30, 4),            // seven and a half frames
        Track(2, 8, 40, 0xFFFFFFF0u, 4),   // data past the end
        Track(2, 8, 16, 0x7FFFFFFFu, 4),   // format past the end
    };
    for (const Bytes& bytes : refused) EXPECT_EQ(Count({{"track02.wav", bytes}}), 0);
    const Bytes whole = Track(2);
    for (size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_EQ(Count({{"track02.wav", Bytes(whole.begin(), whole.begin() + ptrdiff_t(size))}}), 0);
    }
}

TEST(CdAudio, TracksArePlayedAt44100HzStereo) {
    TempDir dir;
    const Bytes mono = Track(1, 1000);
    dir.WriteFile("track01.wav", std::string(mono.begin(), mono.end()));
    platform::CdAudio cd;
    ASSERT_EQ(cd.Open(dir.Str() + "/"), 2);
    EXPECT_EQ(cd.Load(0), nullptr);
    const auto samples = cd.Load(1);
    ASSERT_NE(samples, nullptr);
    ASSERT_EQ(samples->channels, 2);
    EXPECT_EQ(samples->Frames(), 2000u);
    // The square wave's 40-sample halves become 80 frames, heard on both sides.
    for (size_t frame : {10u, 100u, 170u}) {
        EXPECT_EQ(samples->samples[2 * frame], samples->samples[2 * frame + 1]);
        EXPECT_EQ(samples->samples[2 * frame], (frame / 80) % 2 != 0 ? 8000 : -8000);
    }
}

}  // namespace
