#include "display/PixelImage.h"

#include <cstring>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/Texture.h"
#include "engine/ByteOrder.h"
#include "display/Bitmap.h"
#include "display/ImageStatus.h"

namespace {

bool IsMagenta(uint8_t red, uint8_t green, uint8_t blue) { return red == 255 && green == 0 && blue == 255; }

uint32_t PackColor(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
}

// The gamma curve as a table, made once per conversion through the same
// routine that corrects palettes, so that images and palettes agree.
struct GammaCurve {
    uint8_t level[256];

    GammaCurve() {
        PaletteColor ramp[256];
        for (int i = 0; i < 256; ++i) {
            ramp[i] = PaletteColor{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        }
        ApplyGammaToPalette(ramp, 256);
        for (int i = 0; i < 256; ++i) {
            level[i] = ramp[i].red;
        }
    }
};

}  // namespace

PixelImage::~PixelImage() { ReleaseCopies(); }

int32_t PixelImage::CurrentDepth() {
    switch (g_pixelFormat) {
        case kPixelFormatRgb555:
            return 15;
        case kPixelFormatRgb565:
            return 16;
        default:
            return 8;
    }
}

int32_t PixelImage::RowBytes(int32_t width, uint32_t format) {
    switch (format) {
        case kFormat1Bit:
            return (width + 7) / 8;
        case kFormat8Bit:
            return width;
        case kFormat555:
        case kFormat565:
            return 2 * width;
        default:
            return 0;
    }
}

uint16_t PixelImage::Pack555(uint8_t red, uint8_t green, uint8_t blue) { return PackPixel555(red, green, blue); }

uint16_t PixelImage::Pack565(uint8_t red, uint8_t green, uint8_t blue) { return PackPixel565(red, green, blue); }

Status PixelImage::Create(int16_t newWidth, int16_t newHeight, int32_t depth, bool keyed) {
    ReleaseCopies();
    if (newWidth < 1 || newHeight < 1) {
        return kStatusImageBadArgument;
    }
    flags &= ~(kFormatMask | kFlagKeyed);
    width = newWidth;
    height = newHeight;
    uint32_t format = 0;
    switch (depth) {
        case 1:
            format = kFormat1Bit;
            break;
        case 8:
            format = kFormat8Bit;
            break;
        case 15:
            format = kFormat555;
            break;
        case 16:
            format = kFormat565;
            break;
        default:
            return kStatusImageBadArgument;
    }
    const uint64_t bytes = uint64_t(RowBytes(width, format)) * uint64_t(height);
    auto* const block = static_cast<uint8_t*>(EngineAllocate(static_cast<size_t>(bytes)));
    if (block == nullptr) {
        return kStatusOutOfMemory;
    }
    std::memset(block, 0, static_cast<size_t>(bytes));
    pixels = block;
    flags |= format | (keyed ? kFlagKeyed : 0);
    return kStatusOk;
}

void PixelImage::ReleaseCopies() {
    // Detach the chain first: a texture that unlinks itself as it goes would
    // otherwise walk from a head that an earlier deletion already freed.
    Texture* texture = copies;
    copies = nullptr;
    while (texture != nullptr) {
        Texture* const next = texture->nextOfImage;
        delete texture;
        texture = next;
    }
}

void PixelImage::FreePixels() {
    EngineRelease(pixels);
    pixels = nullptr;
    ReleaseCopies();
}

void PixelImage::FlagCopiesChanged() {
    for (Texture* texture = copies; texture != nullptr; texture = texture->nextOfImage) {
        texture->dirtyFlags |= Texture::kDirtyPixels;
    }
}

Status PixelImage::Convert(Bitmap* source, Palette* targetPalette) {
    ReleaseCopies();
    if (source == nullptr || int32_t(source->width) != width || int32_t(source->height) != height) {
        return kStatusImageBadArgument;
    }
    source->Lock();
    if (source->pixels == nullptr || pixels == nullptr) {
        return kStatusImageNoPixels;
    }
    const size_t count = size_t(source->width) * source->height;
    const uint32_t format = Format();
    const bool keyed = IsKeyed();
    const uint8_t* const in = source->pixels;
    const uint8_t* const sourcePalette = source->palette;

    switch (source->bytesPerPixel) {
        case Bitmap::kDepth1Bit:
            if (format != kFormat1Bit) {
                return kStatusImageBadArgument;
            }
            std::memcpy(pixels, in, static_cast<size_t>(source->PixelBlockSize()));
            return kStatusOk;

        case Bitmap::kDepth8Bit:
            if (format == kFormat8Bit) {
                palette = targetPalette;
                if (targetPalette == nullptr || sourcePalette == nullptr) {
                    std::memcpy(pixels, in, count);
                    return kStatusOk;
                }
                // Entry 255 is the transparent index of a keyed image and is
                // never matched.
                uint8_t remap[256];
                const int matched = keyed ? 255 : 256;
                for (int i = 0; i < matched; ++i) {
                    const uint8_t* const c = sourcePalette + 4 * i;
                    remap[i] = keyed && IsMagenta(c[0], c[1], c[2]) ? kKey8Bit
                                                                    : targetPalette->MatchColor(PackColor(c[0], c[1], c[2]));
                }
                if (keyed) {
                    remap[255] = kKey8Bit;
                }
                for (size_t i = 0; i < count; ++i) {
                    pixels[i] = remap[in[i]];
                }
                return kStatusOk;
            }
            if (format == kFormat555 || format == kFormat565) {
                const uint8_t* colours = sourcePalette;
                if (colours == nullptr) {
                    if (targetPalette == nullptr) {
                        return kStatusImageBadArgument;
                    }
                    colours = reinterpret_cast<const uint8_t*>(targetPalette->Colors());
                }
                const bool is555 = format == kFormat555;
                uint16_t table[256];
                for (int i = 0; i < 256; ++i) {
                    const uint8_t* const c = colours + 4 * i;
                    table[i] = is555 ? Pack555(c[0], c[1], c[2]) : Pack565(c[0], c[1], c[2]);
                }
                // Colours from the palette argument carry no magenta of their
                // own to test, so their index 255 is always the key.
                const uint8_t* const last = colours + 4 * 255;
                if (keyed && (sourcePalette == nullptr || IsMagenta(last[0], last[1], last[2]))) {
                    table[255] = is555 ? kKey555 : kKey565;
                }
                auto* const out = reinterpret_cast<uint16_t*>(pixels);
                for (size_t i = 0; i < count; ++i) {
                    out[i] = table[in[i]];
                }
                return kStatusOk;
            }
            return kStatusImageBadArgument;

        case Bitmap::kDepth16Bit:
        case Bitmap::kDepth24Bit: {
            if (format != kFormat8Bit && format != kFormat555 && format != kFormat565) {
                return kStatusImageBadArgument;
            }
            if (format == kFormat8Bit && targetPalette == nullptr) {
                return kStatusImageBadArgument;
            }
            const bool from16 = source->bytesPerPixel == Bitmap::kDepth16Bit;
            const GammaCurve curve;
            auto* const out = reinterpret_cast<uint16_t*>(pixels);
            const uint8_t* p = in;
            for (size_t i = 0; i < count; ++i) {
                uint8_t red, green, blue;
                bool key;
                if (from16) {
                    const uint16_t value = LoadLe16(p);
                    p += 2;
                    const PixelChannels c = UnpackPixel555(value);
                    red = c.red;
                    green = c.green;
                    blue = c.blue;
                    key = red == 0xF8 && green == 0 && blue == 0xF8;
                } else {
                    red = p[0];
                    green = p[1];
                    blue = p[2];
                    p += 3;
                    key = IsMagenta(red, green, blue);
                }
                key = key && keyed;
                switch (format) {
                    case kFormat8Bit:
                        pixels[i] = key ? kKey8Bit : targetPalette->MatchColor(PackColor(red, green, blue));
                        break;
                    case kFormat555:
                        out[i] = key ? kKey555 : Pack555(curve.level[red], curve.level[green], curve.level[blue]);
                        break;
                    default:
                        out[i] = key ? kKey565 : Pack565(curve.level[red], curve.level[green], curve.level[blue]);
                        break;
                }
            }
            if (format == kFormat8Bit) {
                palette = targetPalette;
            }
            return kStatusOk;
        }

        default:
            return kStatusImageBadArgument;
    }
}
