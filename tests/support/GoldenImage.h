#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class Canvas;
class Palette;

// Pictures that tests check pixel for pixel against images kept under
// tests/golden/. Images are stored as binary PPM (P6, 8 bits per channel),
// which any image viewer opens, so a person can look at what a golden holds
// before committing it.
//
// Goldens are rewritten only on purpose: run the test with the environment
// variable VORN_UPDATE_GOLDEN=1, look at the new file, then commit it.

// Red, green, blue bytes per pixel, rows top to bottom, no padding.
struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;

    bool operator==(const RgbImage&) const = default;
};

// Pixels of a display pixel format (kPixelFormatIndexed8, kPixelFormatRgb555
// or kPixelFormatRgb565 of display/PixelFormat.h) as red, green, blue.
// Indexed pixels take their colour from the palette (black without one);
// 5- and 6-bit channels are widened by repeating their top bits, so full
// white stays 255. pitch is the bytes from row to row, 0 for tightly packed
// rows.
RgbImage PixelsToRgb(const uint8_t* pixels, int32_t width, int32_t height, int32_t format, const Palette* palette,
                     int32_t pitch = 0);
// A software canvas's colour buffer: 8-bit through its palette, 16-bit as
// 5-5-5 or 5-6-5 by its palette's flag.
RgbImage CanvasToRgb(const Canvas& canvas);

// Writes a P6 file; false when the file cannot be written.
bool WritePpm(const std::string& path, const RgbImage& image);
bool WritePpm(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height, int32_t format,
              const Palette* palette, int32_t pitch = 0);
bool WritePpm(const std::string& path, const Canvas& canvas);
// Reads a P6 file of maximum value 255 (comment lines allowed); false for
// anything else.
bool ReadPpm(const std::string& path, RgbImage* image);

// Reads a PNG as the program writes them (platform/PngWriter.h: 8-bit RGB,
// not interlaced, any row filter, deflated or stored); false for any other
// PNG or a damaged one.
bool ReadStoredPng(const std::string& path, RgbImage* image);

// tests/golden of the source tree, or $VORN_GOLDEN_DIR when set.
std::string GoldenDirectory();
// Where failed comparisons leave their pictures: golden-output beside the
// running test program in the build tree.
std::string GoldenOutputDirectory();

// Compares the picture with <goldenDir>/<name>.ppm, exactly, pixel by pixel.
// When the golden is missing or differs, writes <outputDir>/<name>.actual.ppm
// and (when sizes match) <name>.diff.ppm, differing pixels in white on the
// dimmed golden, and fails saying where they are. With VORN_UPDATE_GOLDEN=1
// the golden is written instead and the comparison passes.
::testing::AssertionResult MatchesGolden(const RgbImage& actual, const std::string& name,
                                         const std::string& goldenDir, const std::string& outputDir);
::testing::AssertionResult MatchesGolden(const RgbImage& actual, const std::string& name);
::testing::AssertionResult MatchesGolden(const Canvas& canvas, const std::string& name);
// The same against <goldenDir>/<name>.png, written as a PNG on update: for
// the many pictures of whole screens, which deflate to a few kilobytes.
::testing::AssertionResult MatchesPngGolden(const RgbImage& actual, const std::string& name);

// Any other golden output (a mixed sound as a WAV file, say): compares the
// bytes with <goldenDir>/<fileName> exactly, leaving <fileName> in the
// output directory when they differ; VORN_UPDATE_GOLDEN=1 writes it instead.
::testing::AssertionResult MatchesGoldenBytes(const std::vector<uint8_t>& actual, const std::string& fileName);
