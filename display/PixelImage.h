#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class Bitmap;
class Palette;
class Texture;

// The draw-side image in one of the display's pixel formats, which canvases
// draw, fonts wrap around their glyphs and textures are made from. The pixel
// block comes from the engine heap, but the image never frees it: whoever
// allocated it does. The image owns only the textures made from it.
class PixelImage : public EngineObject {
public:
    // Low byte of flags: the format, exactly one of these.
    static constexpr uint32_t kFormat1Bit = 0x01;
    static constexpr uint32_t kFormat8Bit = 0x08;
    static constexpr uint32_t kFormat555 = 0x10;
    static constexpr uint32_t kFormat565 = 0x20;
    static constexpr uint32_t kFormatMask = 0xFF;
    static constexpr uint32_t kFlagRunEncoded = 0x1000;   // a KeyedSprite
    static constexpr uint32_t kFlagKeyed = 0x2000;        // magenta sources became the key
    // The colour key of each format; index 255 is the transparent index of
    // 8-bit images.
    static constexpr uint8_t kKey8Bit = 255;
    static constexpr uint16_t kKey555 = 0x7C1F;
    static constexpr uint16_t kKey565 = 0xF81F;

    PixelImage() = default;
    explicit PixelImage(uint32_t initialFlags) : flags(initialFlags) {}
    // Releases the textures; the pixels are not the image's to free.
    ~PixelImage();
    PixelImage(const PixelImage&) = delete;
    PixelImage& operator=(const PixelImage&) = delete;

    // Depth 1, 8, 15 or 16. Releases the textures, then allocates and zeroes a
    // new pixel block without freeing an earlier one (that is the caller's).
    // kStatusImageBadArgument (1) for a size below 1 or another depth,
    // kStatusOutOfMemory (2) when the block cannot be had.
    Status Create(int16_t width, int16_t height, int32_t depth, bool keyed);

    // Deletes every texture in the chain and clears its head. Owners call it
    // before they free or replace the pixels.
    void ReleaseCopies();
    // For owners whose pixels came from Create: frees the block (from
    // whichever heap holds it), clears the pointer and releases the textures.
    void FreePixels();
    // Marks every texture in the chain for upload.
    void FlagCopiesChanged();

    // Fills this image, already sized and formatted, from a bitmap of the same
    // size: palette mapping, gamma and the magenta colour key. The source is
    // locked and left locked. kStatusImageBadArgument (1) for a bad argument
    // or an unsupported pair of formats, kStatusImageNoPixels (7) when either
    // side has no pixels.
    Status Convert(Bitmap* source, Palette* palette);

    // The depth that Create takes for the display's current pixel format:
    // 8, 15 or 16.
    static int32_t CurrentDepth();

    uint32_t Format() const { return flags & kFormatMask; }
    bool IsKeyed() const { return (flags & kFlagKeyed) != 0; }
    // Bytes per row for the format; 0 for an unknown format.
    static int32_t RowBytes(int32_t width, uint32_t format);
    int32_t RowBytes() const { return RowBytes(width, Format()); }

    // Packs 8-bit channels into 5-5-5 and 5-6-5 pixels.
    static uint16_t Pack555(uint8_t red, uint8_t green, uint8_t blue);
    static uint16_t Pack565(uint8_t red, uint8_t green, uint8_t blue);

    int16_t width = 0;
    int16_t height = 0;
    uint8_t* pixels = nullptr;      // rows top to bottom; u16 pixels in the 16-bit formats
    uint32_t flags = 0;             // format, kFlag*; bits above belong to the users
    Texture* copies = nullptr;      // head of the chain of textures made from this image
    Palette* palette = nullptr;     // what Convert mapped 8-bit pixels through; not owned
};
