// Whole pictures drawn through the two screen canvases and held against the
// goldens tests/golden/canvas8.ppm and tests/golden/canvas16.ppm.
//
// To regenerate them on purpose, after a deliberate change to what the
// canvases draw:
//   VORN_UPDATE_GOLDEN=1 ./tests/canvas/canvas_tests --gtest_filter='GoldenCanvas.*'
// from the build directory, then look at the new files (any viewer opens
// PPM) before committing them. A failed comparison leaves the picture it
// drew, and a map of the differing pixels, in golden-output/ beside the
// test program.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "raster/ByteBlits.h"
#include "display/InverseColorTable.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "display/PixelImage.h"
#include "display/TextCursor.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 200;
constexpr uint32_t kPivotLevel = 16;

// The palette of both pictures: a 6 x 6 x 6 colour cube (index
// 36 r + 6 g + b, channel steps of 51), 39 greys and magenta at 255, the
// transparent index of 8-bit images.
uint8_t Cube(int r, int g, int b) { return uint8_t(36 * r + 6 * g + b); }

std::vector<PaletteColor> SceneColours() {
    std::vector<PaletteColor> colours(Palette::kColorCount);
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) colours[Cube(r, g, b)] = PaletteColor{uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b), 0};
        }
    }
    for (int k = 216; k < 255; ++k) {
        const uint8_t grey = uint8_t((k - 215) * 255 / 40);
        colours[size_t(k)] = PaletteColor{grey, grey, grey, 0};
    }
    colours[255] = PaletteColor{255, 0, 255, 0};
    return colours;
}

// A colour at shade level 0..31: black at 0, itself at the pivot, on toward
// white above it.
PaletteColor Shade(PaletteColor c, uint32_t level) {
    auto channel = [level](uint8_t v) {
        if (level <= kPivotLevel) return uint8_t(v * level / kPivotLevel);
        return uint8_t(v + (255 - v) * (level - kPivotLevel) / (2 * kPivotLevel));
    };
    return PaletteColor{channel(c.red), channel(c.green), channel(c.blue), 0};
}

// A palette of the scene colours with a shade table of its own: palette
// indices for the 8-bit canvas, 5-6-5 pixels for the 16-bit one.
class ScenePalette {
public:
    explicit ScenePalette(int32_t format)
        : rows8_(Palette::kShadeEntries), rows16_(Palette::kShadeEntries), palette_(Palette::Create(format)) {
        const std::vector<PaletteColor> colours = SceneColours();
        const bool indexed = format == kPixelFormatIndexed8;
        void* rows = indexed ? static_cast<void*>(rows8_.data()) : static_cast<void*>(rows16_.data());
        shades_ = ShadeTable{rows, Palette::kShadeShift, Palette::kShadeLevels, kPivotLevel << 3, nullptr};
        palette_->SetTables(InverseColorTable::kFlagBuild, colours.data(), &shades_);
        for (uint32_t c = 0; c < uint32_t(Palette::kColorCount); ++c) {
            if (!indexed) {
                PaletteRgb565::BuildShadeRamp(&rows16_[c * 32], 32, colours[c], kPivotLevel);
                continue;
            }
            for (uint32_t level = 0; level < 32; ++level) {
                const PaletteColor s = Shade(colours[c], level);
                rows8_[c * 32 + level] = palette_->MatchColor(uint32_t(s.red) | uint32_t(s.green) << 8 |
                                                              uint32_t(s.blue) << 16);
            }
        }
    }
    Palette* Get() const { return palette_.get(); }

private:
    std::vector<uint8_t> rows8_;
    std::vector<uint16_t> rows16_;
    ShadeTable shades_{};
    std::unique_ptr<Palette> palette_;
};

// An 8-bit image over pixels of its own.
struct SceneImage {
    SceneImage(int16_t w, int16_t h) : pixels(size_t(w) * size_t(h)) {
        image.width = w;
        image.height = h;
        image.flags = PixelImage::kFormat8Bit;
        image.pixels = pixels.data();
    }
    uint8_t& At(int32_t x, int32_t y) { return pixels[size_t(y) * size_t(image.width) + size_t(x)]; }
    std::vector<uint8_t> pixels;
    PixelImage image;
};

// 32 x 32 texels: 8 x 8 blocks of yellow and red, a white rim.
struct CheckerTexture : SceneImage {
    CheckerTexture() : SceneImage(32, 32) {
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 32; ++x) {
                const bool rim = x == 0 || y == 0 || x == 31 || y == 31;
                At(x, y) = rim ? Cube(5, 5, 5) : (((x / 8 + y / 8) % 2) != 0 ? Cube(5, 5, 0) : Cube(4, 0, 0));
            }
        }
    }
};

// 48 x 32: a red-to-blue ramp over green rows, with a transparent disc in
// the middle and a grey frame.
struct Picture : SceneImage {
    Picture() : SceneImage(48, 32) {
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 48; ++x) {
                const int dx = x - 24, dy = y - 16;
                if (x == 0 || y == 0 || x == 47 || y == 31) {
                    At(x, y) = 240;
                } else if (dx * dx + dy * dy < 64) {
                    At(x, y) = kByteTransparent;
                } else {
                    At(x, y) = Cube(5 - x / 8, y / 6, x / 8);
                }
            }
        }
    }
};

// A 5 x 7 font in 8 x 8 cells, enough for the pictures' labels.
const std::map<char, std::vector<const char*>>& Glyphs() {
    static const std::map<char, std::vector<const char*>> glyphs = {
        {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
        {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
        {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
        {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
        {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
        {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
        {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
        {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
        {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
        {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
        {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
        {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
        {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
        {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
        {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
        {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
        {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    };
    return glyphs;
}

// Loads the font and makes it current.
void LoadSceneFont(const TempDir& dir) {
    GfntBuilder font("Scene", 8, 8, 8, FontRecord::kFixed128);
    for (const auto& [code, rows] : Glyphs()) {
        uint8_t* glyph = font.Glyph(uint8_t(code));
        for (size_t row = 0; row < rows.size(); ++row) {
            for (int x = 0; x < 5; ++x) {
                if (rows[row][x] == '#') glyph[row] |= uint8_t(0x80 >> x);
            }
        }
    }
    const std::string path = GfntBuilder::WriteFile(dir, "scene.fnt", font.Form());
    ASSERT_EQ(LoadFont(path.c_str(), nullptr), kStatusOk);
}

ScreenVertex At(float x, float y, uint8_t colour, float intensity, float u = 0, float v = 0) {
    ScreenVertex s;
    s.x = x;
    s.y = y;
    s.depth = 0.5f;
    s.colour = colour;
    s.intensity = intensity;
    s.u = u;
    s.v = v;
    s.invZ = 1.0f;
    return s;
}

// The same drawing on either canvas: rectangles (one cut by the canvas),
// a fan of clipped lines and a shaded line, a Gouraud triangle, a textured
// Gouraud quadrilateral, an image with a transparent hole (once whole, once
// cut at the right edge) and two lines of text.
void DrawScene(Canvas& canvas, PixelImage* texture, PixelImage* picture, const char* label) {
    canvas.Lock();
    canvas.Clear(Cube(0, 0, 1), 0xFFFFFFFF);

    const struct {
        CanvasRect rect;
        uint8_t colour;
    } blocks[] = {
        {{8, 24, 40, 24}, Cube(5, 0, 0)},   {{52, 24, 40, 24}, Cube(0, 4, 0)},
        {{96, 24, 40, 24}, Cube(0, 2, 5)},  {{8, 52, 128, 6}, Cube(5, 5, 0)},
        {{8, 62, 60, 30}, 240},             {{76, 62, 60, 30}, Cube(5, 3, 0)},
        {{296, 150, 40, 60}, Cube(0, 5, 5)},
    };
    for (const auto& block : blocks) canvas.FillRectClipped(&block.rect, block.colour, nullptr);

    const uint8_t lineColours[] = {Cube(5, 5, 5), Cube(5, 0, 0), Cube(5, 5, 0), Cube(0, 5, 0), Cube(0, 5, 5),
                                   Cube(0, 0, 5), Cube(5, 0, 5)};
    for (int i = 0; i < 13; ++i) {
        const ScreenVertex a = At(150, 195, lineColours[i % 7], 128);
        const ScreenVertex b = At(150.0f + float(i) * 14.0f - 20.0f, 100.0f, lineColours[i % 7], 128);
        canvas.DrawLineClipped(&a, &b, nullptr, nullptr);
    }
    const ScreenVertex dimEnd = At(8, 100, Cube(5, 5, 5), 0), brightEnd = At(136, 100, Cube(5, 5, 5), 255);
    canvas.DrawLineShaded(&dimEnd, &brightEnd);

    const ScreenVertex triangle[] = {At(20, 190, Cube(0, 5, 5), 0), At(70, 110, Cube(0, 5, 5), 128),
                                     At(130, 185, Cube(0, 5, 5), 255)};
    canvas.FillPolygonShaded(3, triangle);

    const ScreenVertex quad[] = {At(190, 20, 0, 255, 0, 0), At(300, 40, 0, 200, 2, 0), At(280, 130, 0, 60, 2, 2),
                                 At(170, 110, 0, 140, 0, 2)};
    canvas.FillPolygonTexturedShaded(4, quad, texture);

    CanvasRect whole{190, 142, 48, 32};
    canvas.BlitImage(&whole, picture, kSpanKeyed);
    CanvasRect cut{290, 100, 48, 32};
    canvas.BlitImage(&cut, picture, kSpanKeyed);

    SetFontColors(Cube(5, 5, 5), Canvas::kColorTransparent);
    TextCursor text(&canvas, 8, 8);
    text.PutString(label);
    SetFontColors(Cube(5, 5, 0), Cube(0, 0, 2));
    TextCursor second(&canvas, 190, 182);
    second.PutString("320X200");
    canvas.Unlock();
}

TEST(GoldenCanvas, ScreenCanvas8PictureMatchesItsGolden) {
    TempDir dir;
    ScopedFontLayer fonts;
    LoadSceneFont(dir);
    ScenePalette palette(kPixelFormatIndexed8);
    ScreenCanvas8 canvas(kWidth, kHeight, nullptr, nullptr, palette.Get(), 0, 0, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    CheckerTexture texture;
    Picture picture;
    DrawScene(canvas, &texture.image, &picture.image, "8-BIT SCREEN CANVAS");
    EXPECT_TRUE(MatchesGolden(canvas, "canvas8"));
}

TEST(GoldenCanvas, ScreenCanvas16PictureMatchesItsGolden) {
    TempDir dir;
    ScopedFontLayer fonts;
    LoadSceneFont(dir);
    ScenePalette palette(kPixelFormatRgb565);
    std::vector<uint16_t> frame(size_t(kWidth) * size_t(kHeight), 0xDEAD);
    ScreenCanvas16 canvas(kWidth, kHeight, reinterpret_cast<uint8_t*>(frame.data()), nullptr, palette.Get(), 0, 0, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    CheckerTexture texture;
    Picture picture;
    DrawScene(canvas, &texture.image, &picture.image, "16-BIT SCREEN CANVAS 5-6-5");
    EXPECT_TRUE(MatchesGolden(canvas, "canvas16"));
}

// The comparison itself, against goldens in a folder of its own.

RgbImage Tiny(uint8_t shade) {
    RgbImage image;
    image.width = 3;
    image.height = 2;
    image.rgb.assign(18, shade);
    return image;
}

TEST(GoldenImage, PpmRoundTripKeepsEveryByte) {
    TempDir dir;
    RgbImage image = Tiny(7);
    image.rgb[4] = 200;
    const std::string path = (dir.Path() / "tiny.ppm").string();
    ASSERT_TRUE(WritePpm(path, image));
    RgbImage read;
    ASSERT_TRUE(ReadPpm(path, &read));
    EXPECT_EQ(read, image);
    dir.WriteFile("bad.ppm", "P3\n3 2\n255\n");
    EXPECT_FALSE(ReadPpm((dir.Path() / "bad.ppm").string(), &read));
}

TEST(GoldenImage, SixteenBitPixelsWidenToFullChannels) {
    const uint16_t pixels[3] = {0xFFFF, 0xF800, 0x001F};
    const RgbImage from565 = PixelsToRgb(reinterpret_cast<const uint8_t*>(pixels), 3, 1, kPixelFormatRgb565, nullptr);
    EXPECT_EQ(from565.rgb, (std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 0, 255}));
    const uint16_t pixels555[2] = {0x7C00, 0x03E0};
    const RgbImage from555 = PixelsToRgb(reinterpret_cast<const uint8_t*>(pixels555), 2, 1, kPixelFormatRgb555, nullptr);
    EXPECT_EQ(from555.rgb, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
}

TEST(GoldenImage, DifferenceOrMissingGoldenFailsAndLeavesThePictureBehind) {
    const ScopedEnvironment noUpdate("VORN_UPDATE_GOLDEN", nullptr);
    TempDir goldens, output;
    const std::string goldenDir = goldens.Str(), outputDir = output.Str();

    const ::testing::AssertionResult missing = MatchesGolden(Tiny(1), "pic", goldenDir, outputDir);
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("pic.actual.ppm"), std::string::npos) << missing.message();

    ASSERT_TRUE(WritePpm((goldens.Path() / "pic.ppm").string(), Tiny(1)));
    EXPECT_TRUE(MatchesGolden(Tiny(1), "pic", goldenDir, outputDir));

    RgbImage changed = Tiny(1);
    changed.rgb[3 * 4 + 1] = 9;   // pixel (1, 1)
    const ::testing::AssertionResult differs = MatchesGolden(changed, "pic", goldenDir, outputDir);
    EXPECT_FALSE(differs);
    EXPECT_NE(std::string(differs.message()).find("1 pixels differ"), std::string::npos) << differs.message();
    EXPECT_NE(std::string(differs.message()).find("(1, 1)"), std::string::npos) << differs.message();
    RgbImage left;
    ASSERT_TRUE(ReadPpm((output.Path() / "pic.actual.ppm").string(), &left));
    EXPECT_EQ(left, changed);
    RgbImage diff;
    ASSERT_TRUE(ReadPpm((output.Path() / "pic.diff.ppm").string(), &diff));
    EXPECT_EQ(diff.rgb[3 * 4], 255);
    EXPECT_EQ(diff.rgb[0], 0);
}

TEST(GoldenImage, UpdateOnPurposeWritesTheGolden) {
    const ScopedEnvironment update("VORN_UPDATE_GOLDEN", "1");
    TempDir goldens, output;
    EXPECT_TRUE(MatchesGolden(Tiny(5), "fresh", goldens.Str(), output.Str()));
    RgbImage written;
    ASSERT_TRUE(ReadPpm((goldens.Path() / "fresh.ppm").string(), &written));
    EXPECT_EQ(written, Tiny(5));
}

}  // namespace
