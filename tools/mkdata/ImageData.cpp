#include "tools/mkdata/ImageData.h"

#include <cstdint>

#include "display/InverseColorTable.h"
#include "display/Palette.h"
#include "display/Bitmap.h"
#include "display/ImageStatus.h"
#include "display/XfebCodec.h"
#include "tools/mkdata/PaletteData.h"

namespace {

constexpr uint8_t kTransparent = InverseColorTable::kTransparentIndex;
constexpr uint16_t kColorKey555 = 0x7C1F;

void SetPaletteEntry(Bitmap& bitmap, int index, int red, int green, int blue) {
    uint8_t* const entry = bitmap.palette + 4 * index;
    entry[0] = static_cast<uint8_t>(red);
    entry[1] = static_cast<uint8_t>(green);
    entry[2] = static_cast<uint8_t>(blue);
    entry[3] = 0;
}

// The game's own colours, so that the checkerboard and the arrow look the
// same whether they are drawn through their palette or the screen's.
void UseSamplePalette(Bitmap& bitmap) {
    PaletteColor colours[Palette::kColorCount];
    MakeSampleColors(0, colours);
    for (int i = 0; i < Palette::kColorCount; ++i) {
        SetPaletteEntry(bitmap, i, colours[i].red, colours[i].green, colours[i].blue);
    }
}

// The closest opaque entry, so that the pictures do not depend on where the
// sample palette keeps its greys.
uint8_t ClosestIndex(const Bitmap& bitmap, int red, int green, int blue) {
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < kTransparent; ++i) {
        const uint8_t* const entry = bitmap.palette + 4 * i;
        const int dr = entry[0] - red;
        const int dg = entry[1] - green;
        const int db = entry[2] - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<uint8_t>(best);
}

// Night blue through crimson to gold over entries 0..254; 255 stays the
// transparent magenta, which no pixel uses.
Status DrawGradient(Bitmap& bitmap) {
    const Status status = bitmap.Create(kGradientWidth, kGradientHeight, Bitmap::kDepth8Bit, true);
    if (status != kStatusOk) {
        return status;
    }
    struct Stop {
        int red, green, blue;
    };
    constexpr Stop kStops[] = {{16, 16, 72}, {200, 40, 64}, {255, 224, 120}};
    constexpr int kHalf = kTransparent / 2;
    for (int i = 0; i < kTransparent; ++i) {
        const Stop& from = kStops[i < kHalf ? 0 : 1];
        const Stop& to = kStops[i < kHalf ? 1 : 2];
        const int t = i < kHalf ? i : i - kHalf;
        const int span = i < kHalf ? kHalf : kTransparent - 1 - kHalf;
        SetPaletteEntry(bitmap, i, from.red + (to.red - from.red) * t / span,
                        from.green + (to.green - from.green) * t / span,
                        from.blue + (to.blue - from.blue) * t / span);
    }
    SetPaletteEntry(bitmap, kTransparent, 255, 0, 255);
    // Top left darkest, bottom right brightest.
    constexpr int kDiagonal = kGradientWidth + kGradientHeight - 2;
    for (int y = 0; y < kGradientHeight; ++y) {
        for (int x = 0; x < kGradientWidth; ++x) {
            bitmap.pixels[y * kGradientWidth + x] = static_cast<uint8_t>((x + y) * (kTransparent - 1) / kDiagonal);
        }
    }
    return kStatusOk;
}

// Light and dark grey squares, light in the top left corner.
Status DrawChecker(Bitmap& bitmap) {
    const Status status = bitmap.Create(kCheckerSize, kCheckerSize, Bitmap::kDepth8Bit, true);
    if (status != kStatusOk) {
        return status;
    }
    UseSamplePalette(bitmap);
    const uint8_t light = ClosestIndex(bitmap, 200, 200, 200);
    const uint8_t dark = ClosestIndex(bitmap, 56, 56, 56);
    for (int y = 0; y < kCheckerSize; ++y) {
        for (int x = 0; x < kCheckerSize; ++x) {
            const bool even = (x / kCheckerSquare + y / kCheckerSquare) % 2 == 0;
            bitmap.pixels[y * kCheckerSize + x] = even ? light : dark;
        }
    }
    return kStatusOk;
}

// The arrow's outline, tip at the top left, in pixels.
struct Point {
    double x, y;
};
constexpr Point kArrowOutline[] = {{0, 0},      {12.5, 11.5}, {7.5, 11.5}, {10.5, 18.5},
                                   {7.5, 19.5}, {4.5, 13.5},  {0, 17}};

// Even-odd rule on the outline.
bool InsideArrow(double x, double y) {
    bool inside = false;
    constexpr int kCount = sizeof kArrowOutline / sizeof kArrowOutline[0];
    for (int i = 0, j = kCount - 1; i < kCount; j = i++) {
        const Point& a = kArrowOutline[i];
        const Point& b = kArrowOutline[j];
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) {
            inside = !inside;
        }
    }
    return inside;
}

// A white arrow with a black rim: the pixels whose centres lie inside the
// outline, black where a neighbour lies outside. Everything else is the
// transparent index.
Status DrawArrow(Bitmap& bitmap) {
    const Status status = bitmap.Create(kArrowWidth, kArrowHeight, Bitmap::kDepth8Bit, true);
    if (status != kStatusOk) {
        return status;
    }
    UseSamplePalette(bitmap);
    const uint8_t black = ClosestIndex(bitmap, 0, 0, 0);
    const uint8_t white = ClosestIndex(bitmap, 255, 255, 255);
    auto inside = [](int x, int y) {
        return x >= 0 && y >= 0 && x < kArrowWidth && y < kArrowHeight && InsideArrow(x + 0.5, y + 0.5);
    };
    for (int y = 0; y < kArrowHeight; ++y) {
        for (int x = 0; x < kArrowWidth; ++x) {
            uint8_t pixel = kTransparent;
            if (inside(x, y)) {
                const bool rim = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
                pixel = rim ? black : white;
            }
            bitmap.pixels[y * kArrowWidth + x] = pixel;
        }
    }
    return kStatusOk;
}

int SquareRoot(int value) {
    int root = 0;
    while ((root + 1) * (root + 1) <= value) {
        ++root;
    }
    return root;
}

// A sky-blue ball lit from the upper left, with a white highlight, on the
// 5-5-5 colour key. Integer arithmetic only, so the file is the same on
// every machine.
Status DrawSphere(Bitmap& bitmap) {
    const Status status = bitmap.Create(kSphereSize, kSphereSize, Bitmap::kDepth16Bit, true);
    if (status != kStatusOk) {
        return status;
    }
    // Coordinates are doubled so that pixel centres are whole numbers.
    constexpr int kRadius = kSphereSize - 4;
    constexpr int kBase[3] = {12, 22, 31};
    // The light (-1, -2, 2) / 3 dotted with the normal, times 3 x kRadius.
    constexpr int kFullLight = 3 * kRadius;
    constexpr int kHighlightFrom = kFullLight * 5 / 6;
    for (int y = 0; y < kSphereSize; ++y) {
        for (int x = 0; x < kSphereSize; ++x) {
            const int dx = 2 * x + 1 - kSphereSize;
            const int dy = 2 * y + 1 - kSphereSize;
            const int left = kRadius * kRadius - dx * dx - dy * dy;
            uint16_t pixel = kColorKey555;
            if (left >= 0) {
                const int dz = SquareRoot(left);
                int lit = -dx - 2 * dy + 2 * dz;
                lit = lit < 0 ? 0 : lit;
                // A quarter of the colour in the shadow, all of it facing the light.
                const int level = 8 + 24 * lit / kFullLight;
                const int highlight = lit > kHighlightFrom ? 31 * (lit - kHighlightFrom) / (kFullLight - kHighlightFrom) : 0;
                int channel[3];
                for (int c = 0; c < 3; ++c) {
                    const int value = kBase[c] * level / 32 + highlight;
                    channel[c] = value > 31 ? 31 : value;
                }
                pixel = static_cast<uint16_t>(channel[0] << 10 | channel[1] << 5 | channel[2]);
            }
            // Little-endian in the block, as the codecs store 16-bit units.
            bitmap.pixels[2 * (y * kSphereSize + x)] = static_cast<uint8_t>(pixel);
            bitmap.pixels[2 * (y * kSphereSize + x) + 1] = static_cast<uint8_t>(pixel >> 8);
        }
    }
    return kStatusOk;
}

}  // namespace

Status DrawSampleImage(int which, Bitmap& bitmap) {
    switch (which) {
    case 0:
        return DrawGradient(bitmap);
    case 1:
        return DrawChecker(bitmap);
    case 2:
        return DrawArrow(bitmap);
    case 3:
        return DrawSphere(bitmap);
    default:
        return kStatusImageBadFormat;
    }
}

Status WriteSampleImage(int which, const char* path) {
    Bitmap bitmap;
    const Status status = DrawSampleImage(which, bitmap);
    if (status != kStatusOk) {
        return status;
    }
    XfebCodec codec;
    return codec.SaveFile(path, &bitmap);
}
