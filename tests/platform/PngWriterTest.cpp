#include "platform/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"

namespace {

// A picture as a game frame looks: flat panels, a gradient sky, a few
// scattered stars and a line of text-like noise.
std::vector<uint8_t> FrameLike(int32_t width, int32_t height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* const pixel = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            if (y < height / 2) {
                pixel[0] = 0;
                pixel[1] = uint8_t(y / 2);
                pixel[2] = uint8_t(64 + y / 3);
            } else {
                pixel[0] = x < width / 2 ? 90 : 40;
                pixel[1] = 90;
                pixel[2] = 100;
            }
            noise = noise * 1103515245u + 12345u;
            if ((noise >> 16) % 97 == 0 || (y > 400 && y < 410 && (noise >> 20) % 3 == 0)) {
                pixel[0] = pixel[1] = pixel[2] = 255;
            }
        }
    }
    return rgb;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

// A shot of a whole frame reads back pixel for pixel and takes a tenth at most
// of the 900 KB its rows hold.
TEST(PngWriter, AFrameIsDeflatedAndReadsBackExactly) {
    TempDir folder;
    const std::string path = folder.Str() + "/frame.png";
    const std::vector<uint8_t> rgb = FrameLike(640, 480);
    ASSERT_TRUE(platform::WriteRgbPng(path.c_str(), 640, 480, rgb.data()));
    EXPECT_LT(std::filesystem::file_size(path), rgb.size() / 10);
    RgbImage read;
    ASSERT_TRUE(ReadStoredPng(path, &read));
    EXPECT_EQ(read.width, 640);
    EXPECT_EQ(read.height, 480);
    EXPECT_TRUE(read.rgb == rgb);
}

// Noise that no filter helps still round-trips, as do a single pixel and a
// single column (no pixel to the left, no row above).
TEST(PngWriter, AnyPictureRoundTrips) {
    TempDir folder;
    const std::string path = folder.Str() + "/any.png";
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {1, 7}, {7, 1}, {33, 17}};
    uint32_t noise = 7;
    for (const auto& [width, height] : sizes) {
        std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
        for (uint8_t& byte : rgb) {
            noise = noise * 1664525u + 1013904223u;
            byte = uint8_t(noise >> 24);
        }
        ASSERT_TRUE(platform::WriteRgbPng(path.c_str(), width, height, rgb.data()));
        RgbImage read;
        ASSERT_TRUE(ReadStoredPng(path, &read)) << width << "x" << height;
        EXPECT_EQ(read.width, width);
        EXPECT_EQ(read.height, height);
        EXPECT_TRUE(read.rgb == rgb) << width << "x" << height;
    }
}

TEST(PngWriter, RefusesWhatItCannotWrite) {
    const uint8_t pixel[3] = {1, 2, 3};
    EXPECT_FALSE(platform::WriteRgbPng("/nonexistent/folder/x.png", 1, 1, pixel));
    EXPECT_FALSE(platform::WriteRgbPng(nullptr, 1, 1, pixel));
    EXPECT_FALSE(platform::WriteRgbPng("x.png", 0, 1, pixel));
    EXPECT_FALSE(platform::WriteRgbPng("x.png", 1, 1, nullptr));
}

// Every cut of a written file, and a flipped byte in its compressed data,
// is refused by the reader rather than read as a picture.
TEST(PngWriter, TruncatedOrCorruptedFilesAreRefused) {
    TempDir folder;
    const std::string path = folder.Str() + "/frame.png";
    const std::vector<uint8_t> rgb = FrameLike(40, 30);
    ASSERT_TRUE(platform::WriteRgbPng(path.c_str(), 40, 30, rgb.data()));
    const std::string whole = Contents(path);
    const std::string cut = folder.Str() + "/cut.png";
    for (size_t length = 0; length < whole.size(); ++length) {
        std::ofstream(cut, std::ios::binary | std::ios::trunc).write(whole.data(), std::streamsize(length));
        RgbImage read;
        EXPECT_FALSE(ReadStoredPng(cut, &read)) << "length " << length;
    }
    // The compressed stream starts after the signature, IHDR and IDAT's
    // length and type; a flipped byte in it breaks its checksum or its codes.
    for (size_t at = 41; at + 16 < whole.size(); at += 7) {
        std::string damaged = whole;
        damaged[at] = char(damaged[at] ^ 0x5A);
        std::ofstream(cut, std::ios::binary | std::ios::trunc).write(damaged.data(), std::streamsize(damaged.size()));
        RgbImage read;
        EXPECT_FALSE(ReadStoredPng(cut, &read) && read.rgb == rgb) << "byte " << at;
    }
}
