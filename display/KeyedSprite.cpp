#include "display/KeyedSprite.h"

#include <algorithm>
#include <cstring>

#include "display/Canvas.h"
#include "display/ImageStatus.h"
#include "display/PixelImage.h"
#include "engine/UnalignedWords.h"

namespace {

// Walks one row as (opaque run, key run) pairs, the way both passes of Build
// and the encoding itself see it.
template <typename Unit, typename Visit>
void ForEachRun(const Unit* row, uint32_t width, Unit key, Visit visit) {
    uint32_t x = 0;
    while (x < width) {
        const uint32_t opaqueStart = x;
        while (x < width && row[x] != key) {
            ++x;
        }
        const uint32_t opaque = x - opaqueStart;
        const uint32_t keyStart = x;
        while (x < width && row[x] == key) {
            ++x;
        }
        visit(row + opaqueStart, opaque, x - keyStart);
    }
}

// Counts and pixels are native u16 words (LoadU16, StoreU16): the run data
// is an in-memory record.
template <typename Unit>
Status Encode(KeyedSprite& sprite, const PixelImage& source, Unit key) {
    const uint32_t width = sprite.width;
    const uint32_t height = sprite.height;
    const auto* const pixels = reinterpret_cast<const Unit*>(source.pixels);

    uint64_t offset = 0;
    for (uint32_t row = 0; row < height; ++row) {
        sprite.rowOffsets[row] = static_cast<uint32_t>(offset);
        ForEachRun<Unit>(pixels + size_t(row) * width, width, key, [&](const Unit*, uint32_t opaque, uint32_t) {
            offset += 2 + uint64_t(opaque) * sizeof(Unit) + 2;
        });
        // Row offsets are 32-bit words.
        if (offset > UINT32_MAX) {
            return kStatusSpriteOutOfMemory;
        }
    }
    sprite.rowOffsets[height] = static_cast<uint32_t>(offset);

    sprite.runData = static_cast<uint8_t*>(EngineAllocate(static_cast<size_t>(offset)));
    if (sprite.runData == nullptr) {
        return kStatusSpriteOutOfMemory;
    }
    uint8_t* out = sprite.runData;
    for (uint32_t row = 0; row < height; ++row) {
        ForEachRun<Unit>(pixels + size_t(row) * width, width, key, [&](const Unit* run, uint32_t opaque, uint32_t skip) {
            StoreU16(out, opaque);
            std::memcpy(out + 2, run, opaque * sizeof(Unit));
            out += 2 + opaque * sizeof(Unit);
            StoreU16(out, skip);
            out += 2;
        });
    }
    return kStatusOk;
}

template <typename Unit>
void DrawRows(const KeyedSprite& sprite, PixelImage& target, int32_t left, int32_t top) {
    auto* const out = reinterpret_cast<Unit*>(target.pixels);
    for (int32_t row = 0; row < sprite.height; ++row) {
        const int32_t y = top + row;
        if (y < 0 || y >= target.height) {
            continue;
        }
        Unit* const line = out + size_t(y) * size_t(target.width);
        const uint8_t* in = sprite.runData + sprite.rowOffsets[row];
        int32_t x = left;
        while (x < left + sprite.width) {
            const uint32_t opaque = LoadU16(in);
            in += 2;
            for (uint32_t i = 0; i < opaque; ++i, ++x) {
                if (x >= 0 && x < target.width) {
                    std::memcpy(&line[x], in + i * sizeof(Unit), sizeof(Unit));
                }
            }
            in += opaque * sizeof(Unit);
            x += LoadU16(in);
            in += 2;
        }
    }
}

}  // namespace

KeyedSprite::KeyedSprite(PixelImage* source) { Build(source); }

KeyedSprite::~KeyedSprite() { FreeBlocks(); }

void KeyedSprite::FreeBlocks() {
    EngineRelease(runData);
    runData = nullptr;
    EngineRelease(rowOffsets);
    rowOffsets = nullptr;
}

uint32_t KeyedSprite::Format() const { return flags & PixelImage::kFormatMask; }

Status KeyedSprite::Build(PixelImage* source) {
    FreeBlocks();
    if (source == nullptr || source->pixels == nullptr || source->width < 1 || source->height < 1) {
        return kStatusSpriteBadFormat;
    }
    const uint32_t format = source->Format();
    if (format != PixelImage::kFormat8Bit && format != PixelImage::kFormat555 && format != PixelImage::kFormat565) {
        return kStatusSpriteBadFormat;
    }
    width = uint16_t(source->width);
    height = uint16_t(source->height);
    flags = source->flags;
    rowOffsets = static_cast<uint32_t*>(EngineAllocate((size_t(height) + 1) * sizeof(uint32_t)));
    if (rowOffsets == nullptr) {
        return kStatusSpriteOutOfMemory;
    }
    Status status;
    switch (format) {
        case PixelImage::kFormat8Bit:
            status = Encode<uint8_t>(*this, *source, PixelImage::kKey8Bit);
            break;
        case PixelImage::kFormat555:
            status = Encode<uint16_t>(*this, *source, PixelImage::kKey555);
            break;
        default:
            status = Encode<uint16_t>(*this, *source, PixelImage::kKey565);
            break;
    }
    if (status != kStatusOk) {
        return status;
    }
    flags |= PixelImage::kFlagRunEncoded;
    return kStatusOk;
}

Status KeyedSprite::Draw(PixelImage* target, int32_t left, int32_t top) const {
    if (target == nullptr || target->pixels == nullptr || runData == nullptr || rowOffsets == nullptr ||
        (flags & PixelImage::kFlagRunEncoded) == 0 || target->Format() != Format()) {
        return kStatusImageBadArgument;
    }
    if (Format() == PixelImage::kFormat8Bit) {
        DrawRows<uint8_t>(*this, *target, left, top);
    } else {
        DrawRows<uint16_t>(*this, *target, left, top);
    }
    return kStatusOk;
}

Status KeyedSprite::Expand(PixelImage* target) const {
    if (target == nullptr || target->pixels == nullptr || target->width != width || target->height != height ||
        target->Format() != Format()) {
        return kStatusImageBadArgument;
    }
    const size_t count = size_t(width) * height;
    switch (Format()) {
        case PixelImage::kFormat8Bit:
            std::memset(target->pixels, PixelImage::kKey8Bit, count);
            break;
        case PixelImage::kFormat555:
        case PixelImage::kFormat565: {
            const uint16_t key = Format() == PixelImage::kFormat555 ? PixelImage::kKey555 : PixelImage::kKey565;
            auto* const out = reinterpret_cast<uint16_t*>(target->pixels);
            for (size_t i = 0; i < count; ++i) {
                out[i] = key;
            }
            break;
        }
        default:
            return kStatusImageBadArgument;
    }
    return Draw(target, 0, 0);
}

Status KeyedSprite::DrawWhole16(const Canvas& canvas, int32_t left, int32_t top) const {
    constexpr Status kCannotDraw = kStatusCannotDrawFormat;
    const uint32_t format = Format();
    if (format != PixelImage::kFormat555 && format != PixelImage::kFormat565) return kCannotDraw;
    const int64_t right = int64_t(left) + width;
    const int64_t bottom = int64_t(top) + height;
    if (left < 0 || top < 0 || right > canvas.width || bottom > canvas.height) return kCannotDraw;
    if (runData == nullptr || rowOffsets == nullptr || canvas.pixels == nullptr || canvas.rowOffsets == nullptr) {
        return kCannotDraw;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = runData + RowOffset(uint32_t(row));
        uint16_t* const out = reinterpret_cast<uint16_t*>(canvas.Row(top + row)) + left;
        int32_t x = 0;
        while (x < width) {
            const uint16_t run = LoadU16(in);
            in += 2;
            // A run that claims more than the row holds is cut at its end.
            const int32_t copied = std::min<int32_t>(run, width - x);
            std::memcpy(out + x, in, size_t(copied) * sizeof(uint16_t));
            in += size_t(run) * sizeof(uint16_t);
            const uint16_t skip = LoadU16(in);
            in += 2;
            // An empty pair would never reach the row's end.
            if (run == 0 && skip == 0) break;
            x += copied + skip;
        }
    }
    return kStatusOk;
}
