#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class Canvas;
class PixelImage;

// A run-encoded copy of an 8-bit or 15/16-bit image in which colour-key
// pixels are skipped, for overlays drawn many times over. Each row is a
// series of (u16 opaque count, that many pixels, u16 skip count) that covers
// the row's width and always ends with a skip count. Both blocks come from
// the engine heap and belong to the sprite.
class KeyedSprite : public EngineObject {
public:
    // An empty sprite; Build fills it.
    KeyedSprite() = default;
    // Builds at once; a failure leaves what was allocated until destruction.
    explicit KeyedSprite(PixelImage* source);
    ~KeyedSprite();
    KeyedSprite(const KeyedSprite&) = delete;
    KeyedSprite& operator=(const KeyedSprite&) = delete;

    // Replaces the sprite's contents by an encoding of source. The key is 255
    // for 8-bit sources, 0x7C1F for 5-5-5 and 0xF81F for 5-6-5 ones.
    // kStatusSpriteBadFormat (6) for a missing, empty or other-format source,
    // kStatusSpriteOutOfMemory (7) when a block cannot be had.
    Status Build(PixelImage* source);

    // Writes the opaque pixels into target with the sprite's top-left corner
    // at (left, top), clipped to the target; key pixels leave the target as
    // it was. The target must have the sprite's format:
    // kStatusImageBadArgument (1) otherwise, or when either side is empty.
    Status Draw(PixelImage* target, int32_t left, int32_t top) const;
    // Fills target, of the sprite's size and format, with the key and draws
    // the sprite over it: the image the sprite was built from.
    Status Expand(PixelImage* target) const;
    // Draws a 15/16-bit sprite whole into the locked rows of a 16-bit
    // canvas, its corner at (left, top); sprites are not clipped, so one
    // that does not lie wholly on the canvas (or has no runs, or another
    // format) draws nothing and gives 6.
    Status DrawWhole16(const Canvas& canvas, int32_t left, int32_t top) const;

    uint32_t Format() const;
    uint32_t RowOffset(uint32_t row) const { return rowOffsets[row]; }

    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t* runData = nullptr;
    uint32_t flags = 0x08;              // the source's flags with PixelImage::kFlagRunEncoded
    uint32_t reserved[2] = {};          // cleared, not used
    uint32_t* rowOffsets = nullptr;     // height + 1 entries: byte offset of each row in runData

private:
    void FreeBlocks();
};
