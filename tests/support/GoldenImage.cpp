#include "tests/support/GoldenImage.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

#include <zlib.h>

#include "display/CanvasRgb.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/Canvas.h"
#include "platform/PngWriter.h"

namespace {

namespace fs = std::filesystem;

// 5- or 6-bit channel to 8 bits, the top bits repeated below so that the
// largest value becomes 255.
uint8_t Widen5(uint32_t c) { return uint8_t(c << 3 | c >> 2); }
uint8_t Widen6(uint32_t c) { return uint8_t(c << 2 | c >> 4); }

bool UpdateRequested() {
    const char* value = std::getenv("VORN_UPDATE_GOLDEN");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

// Skips white space and '#' comment lines between the header fields.
void SkipSeparators(std::istream& in) {
    for (;;) {
        const int c = in.peek();
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            in.get();
        } else {
            return;
        }
    }
}

bool ReadHeaderNumber(std::istream& in, int32_t* value) {
    SkipSeparators(in);
    return static_cast<bool>(in >> *value);
}

std::string Describe(const RgbImage& image, int32_t x, int32_t y) {
    const uint8_t* p = image.rgb.data() + (size_t(y) * size_t(image.width) + size_t(x)) * 3;
    char text[32];
    std::snprintf(text, sizeof text, "(%u, %u, %u)", p[0], p[1], p[2]);
    return text;
}

}  // namespace

RgbImage PixelsToRgb(const uint8_t* pixels, int32_t width, int32_t height, int32_t format, const Palette* palette,
                     int32_t pitch) {
    RgbImage image;
    if (pixels == nullptr || width <= 0 || height <= 0) return image;
    const int32_t bytesPerPixel = format == kPixelFormatIndexed8 ? 1 : 2;
    if (pitch == 0) pitch = width * bytesPerPixel;
    image.width = width;
    image.height = height;
    image.rgb.resize(size_t(width) * size_t(height) * 3);
    uint8_t* out = image.rgb.data();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + int64_t(y) * pitch;
        for (int32_t x = 0; x < width; ++x, out += 3) {
            if (format == kPixelFormatIndexed8) {
                const uint32_t c = palette != nullptr ? palette->GetColor(row[x]) : 0;
                out[0] = uint8_t(c);
                out[1] = uint8_t(c >> 8);
                out[2] = uint8_t(c >> 16);
                continue;
            }
            uint16_t p;
            std::memcpy(&p, row + 2 * x, sizeof p);
            if (format == kPixelFormatRgb555) {
                out[0] = Widen5(p >> 10 & 31);
                out[1] = Widen5(p >> 5 & 31);
            } else {
                out[0] = Widen5(p >> 11 & 31);
                out[1] = Widen6(p >> 5 & 63);
            }
            out[2] = Widen5(p & 31);
        }
    }
    return image;
}

RgbImage CanvasToRgb(const Canvas& canvas) {
    RgbImage image;
    image.rgb = CanvasToRgbBytes(canvas);
    if (!image.rgb.empty()) {
        image.width = canvas.width;
        image.height = canvas.height;
    }
    return image;
}

bool WritePpm(const std::string& path, const RgbImage& image) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
    return static_cast<bool>(out);
}

bool WritePpm(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height, int32_t format,
              const Palette* palette, int32_t pitch) {
    return WritePpm(path, PixelsToRgb(pixels, width, height, format, palette, pitch));
}

bool WritePpm(const std::string& path, const Canvas& canvas) { return WritePpm(path, CanvasToRgb(canvas)); }

namespace {

uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

}  // namespace

bool ReadStoredPng(const std::string& path, RgbImage* image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return false;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> zlib;
    size_t at = 8;
    bool ended = false;
    while (!ended) {
        if (file.size() - at < 12) return false;
        const uint32_t length = BigEndian32(&file[at]);
        if (length > file.size() - at - 12) return false;
        const uint8_t* const type = &file[at + 4];
        const uint8_t* const data = &file[at + 8];
        if (std::memcmp(type, "IHDR", 4) == 0) {
            static constexpr uint8_t kRgb8[5] = {8, 2, 0, 0, 0};
            if (length != 13 || std::memcmp(data + 8, kRgb8, 5) != 0) return false;
            width = BigEndian32(data);
            height = BigEndian32(data + 4);
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            zlib.insert(zlib.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        at += 12 + size_t(length);
    }
    if (width == 0 || height == 0 || width > 1 << 14 || height > 1 << 14 || zlib.size() < 6) return false;
    const size_t rowBytes = size_t(width) * 3;
    // One byte more than the picture needs: a stream that inflates to more
    // than the rows is refused, not cut short.
    std::vector<uint8_t> raw((rowBytes + 1) * height + 1);
    uLongf inflated = uLongf(raw.size());
    if (uncompress(raw.data(), &inflated, zlib.data(), uLong(zlib.size())) != Z_OK) return false;
    if (inflated != (rowBytes + 1) * height) return false;
    std::vector<uint8_t> rgb(rowBytes * height);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t filter = raw[y * (rowBytes + 1)];
        const uint8_t* const in = &raw[y * (rowBytes + 1) + 1];
        uint8_t* const out = &rgb[y * rowBytes];
        const uint8_t* const above = y > 0 ? out - rowBytes : nullptr;
        for (size_t i = 0; i < rowBytes; ++i) {
            const int32_t left = i >= 3 ? out[i - 3] : 0;
            const int32_t up = above != nullptr ? above[i] : 0;
            const int32_t upLeft = above != nullptr && i >= 3 ? above[i - 3] : 0;
            int32_t predicted = 0;
            switch (filter) {
                case 0: break;
                case 1: predicted = left; break;
                case 2: predicted = up; break;
                case 3: predicted = (left + up) / 2; break;
                case 4: {
                    const int32_t p = left + up - upLeft;
                    const int32_t pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
                    predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
                    break;
                }
                default: return false;
            }
            out[i] = uint8_t(in[i] + predicted);
        }
    }
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->rgb = std::move(rgb);
    return true;
}

bool ReadPpm(const std::string& path, RgbImage* image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char magic[2] = {};
    if (!in.read(magic, 2) || magic[0] != 'P' || magic[1] != '6') return false;
    int32_t width = 0, height = 0, maxValue = 0;
    if (!ReadHeaderNumber(in, &width) || !ReadHeaderNumber(in, &height) || !ReadHeaderNumber(in, &maxValue)) {
        return false;
    }
    // Exactly one white-space byte separates the header from the samples.
    if (width <= 0 || height <= 0 || maxValue != 255 || !std::isspace(in.get())) return false;
    RgbImage read;
    read.width = width;
    read.height = height;
    read.rgb.resize(size_t(width) * size_t(height) * 3);
    if (!in.read(reinterpret_cast<char*>(read.rgb.data()), std::streamsize(read.rgb.size()))) return false;
    *image = std::move(read);
    return true;
}

std::string GoldenDirectory() {
    if (const char* dir = std::getenv("VORN_GOLDEN_DIR"); dir != nullptr && *dir != '\0') return dir;
    return (fs::path(VORN_SOURCE_DIR) / "tests" / "golden").string();
}

std::string GoldenOutputDirectory() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path base = error ? fs::current_path(error) : program.parent_path();
    return (base / "golden-output").string();
}

namespace {

// The golden kept as a PPM, or as a PNG (a twentieth of the size, for the
// many pictures of whole screens).
::testing::AssertionResult MatchesStoredGolden(const RgbImage& actual, const std::string& name,
                                               const std::string& goldenDir, const std::string& outputDir, bool png) {
    const std::string goldenPath = (fs::path(goldenDir) / (name + (png ? ".png" : ".ppm"))).string();
    std::error_code error;
    if (UpdateRequested()) {
        fs::create_directories(goldenDir, error);
        const bool written = png ? actual.width > 0 && platform::WriteRgbPng(goldenPath.c_str(), actual.width,
                                                                             actual.height, actual.rgb.data())
                                 : WritePpm(goldenPath, actual);
        if (!written) {
            return ::testing::AssertionFailure() << "cannot write the golden " << goldenPath;
        }
        std::printf("golden image written: %s (look at it before committing)\n", goldenPath.c_str());
        return ::testing::AssertionSuccess();
    }

    RgbImage golden;
    const bool haveGolden = png ? ReadStoredPng(goldenPath, &golden) : ReadPpm(goldenPath, &golden);
    if (haveGolden && golden == actual) return ::testing::AssertionSuccess();

    fs::create_directories(outputDir, error);
    const std::string actualPath = (fs::path(outputDir) / (name + ".actual.ppm")).string();
    const bool wroteActual = WritePpm(actualPath, actual);
    std::ostringstream message;
    if (!haveGolden) {
        message << "no readable golden image " << goldenPath;
    } else if (golden.width != actual.width || golden.height != actual.height) {
        message << "the golden " << goldenPath << " is " << golden.width << " x " << golden.height
                << ", the picture " << actual.width << " x " << actual.height;
    } else {
        RgbImage diff = golden;
        int64_t differing = 0;
        int32_t firstX = -1, firstY = -1;
        for (int32_t y = 0; y < actual.height; ++y) {
            for (int32_t x = 0; x < actual.width; ++x) {
                const size_t at = (size_t(y) * size_t(actual.width) + size_t(x)) * 3;
                const bool same = std::memcmp(&golden.rgb[at], &actual.rgb[at], 3) == 0;
                for (int c = 0; c < 3; ++c) diff.rgb[at + c] = same ? uint8_t(golden.rgb[at + c] / 4) : 255;
                if (same) continue;
                if (differing++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
        }
        const std::string diffPath = (fs::path(outputDir) / (name + ".diff.ppm")).string();
        message << differing << " pixels differ from the golden " << goldenPath << "; the first at (" << firstX
                << ", " << firstY << "): golden " << Describe(golden, firstX, firstY) << ", picture "
                << Describe(actual, firstX, firstY);
        if (WritePpm(diffPath, diff)) message << "\ndifferences (white): " << diffPath;
    }
    if (wroteActual) {
        message << "\npicture drawn: " << actualPath;
    } else {
        message << "\n(the picture could not be written to " << actualPath << ")";
    }
    message << "\nif the change is intended, rerun with VORN_UPDATE_GOLDEN=1 and look at the new golden";
    return ::testing::AssertionFailure() << message.str();
}

}  // namespace

::testing::AssertionResult MatchesGolden(const RgbImage& actual, const std::string& name,
                                         const std::string& goldenDir, const std::string& outputDir) {
    return MatchesStoredGolden(actual, name, goldenDir, outputDir, false);
}

::testing::AssertionResult MatchesPngGolden(const RgbImage& actual, const std::string& name) {
    return MatchesStoredGolden(actual, name, GoldenDirectory(), GoldenOutputDirectory(), true);
}

::testing::AssertionResult MatchesGolden(const RgbImage& actual, const std::string& name) {
    return MatchesGolden(actual, name, GoldenDirectory(), GoldenOutputDirectory());
}

::testing::AssertionResult MatchesGolden(const Canvas& canvas, const std::string& name) {
    return MatchesGolden(CanvasToRgb(canvas), name);
}

::testing::AssertionResult MatchesGoldenBytes(const std::vector<uint8_t>& actual, const std::string& fileName) {
    const auto write = [&actual](const std::string& path) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(actual.data()), std::streamsize(actual.size()));
        return bool(out);
    };
    const std::string goldenPath = (fs::path(GoldenDirectory()) / fileName).string();
    if (UpdateRequested()) {
        return write(goldenPath) ? ::testing::AssertionSuccess()
                                 : ::testing::AssertionFailure() << "cannot write the golden " << goldenPath;
    }
    std::ifstream in(goldenPath, std::ios::binary);
    const std::vector<uint8_t> golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.good() || in.eof()) {
        if (golden == actual) return ::testing::AssertionSuccess();
    }
    std::error_code error;
    fs::create_directories(GoldenOutputDirectory(), error);
    const std::string actualPath = (fs::path(GoldenOutputDirectory()) / fileName).string();
    size_t first = 0;
    while (first < golden.size() && first < actual.size() && golden[first] == actual[first]) ++first;
    auto failure = ::testing::AssertionFailure();
    failure << "the output differs from the golden " << goldenPath << " (" << golden.size() << " bytes, output "
            << actual.size() << "), first at byte " << first;
    if (write(actualPath)) failure << "\noutput written: " << actualPath;
    return failure << "\nif the change is intended, rerun with VORN_UPDATE_GOLDEN=1 and check the new golden";
}
