#include "display/Bitmap.h"

#include <cstdlib>
#include <cstring>

#include "engine/EngineAllocation.h"
#include "display/ImageStatus.h"

Bitmap::~Bitmap() { Free(); }

uint64_t Bitmap::PixelBlockSize(uint16_t width, uint16_t height, uint8_t bytesPerPixel) {
    return uint64_t(RowBytes(width, bytesPerPixel)) * height;
}

uint32_t Bitmap::RowBytes(uint16_t width, uint8_t bytesPerPixel) {
    if (bytesPerPixel == kDepth1Bit) {
        return (uint32_t(width) + 7) / 8;
    }
    return uint32_t(width) * bytesPerPixel;
}

void Bitmap::Free() {
    if (ownedPixels != nullptr) {
        std::free(ownedPixels);
        ownedPixels = nullptr;
        pixels = nullptr;
    }
    if (ownedPalette != nullptr) {
        std::free(ownedPalette);
        ownedPalette = nullptr;
        palette = nullptr;
    }
}

Status Bitmap::Lock() {
    if (palette == nullptr && ownedPalette != nullptr) {
        palette = ownedPalette;
    }
    if (pixels == nullptr && ownedPixels != nullptr) {
        pixels = ownedPixels;
    }
    return kStatusOk;
}

Status Bitmap::Unlock() {
    if (ownedPalette != nullptr) {
        palette = nullptr;
    }
    if (ownedPixels != nullptr) {
        pixels = nullptr;
    }
    return kStatusOk;
}

Status Bitmap::AllocatePalette() {
    if (ownedPalette != nullptr) {
        std::free(ownedPalette);
        ownedPalette = nullptr;
        palette = nullptr;
    }
    // Always cleared, whatever the pixels get: a palette is written to files
    // whole, and entries nobody set must not carry stale memory into them.
    auto* const block = static_cast<uint8_t*>(std::calloc(1, kPaletteBytes));
    if (block == nullptr) {
        return kStatusPlatformFailed;
    }
    ownedPalette = block;
    palette = block;
    return kStatusOk;
}

Status Bitmap::AllocatePixels(bool clear) {
    if (ownedPixels != nullptr) {
        std::free(ownedPixels);
        ownedPixels = nullptr;
        pixels = nullptr;
    }
    const uint64_t bytes = PixelBlockSize();
    if (bytes == 0 || bytes > kMaxPixelBytes) {
        return kStatusPlatformFailed;
    }
    const auto size = static_cast<size_t>(bytes);
    auto* const block = static_cast<uint8_t*>(clear ? std::calloc(1, size) : std::malloc(size));
    if (block == nullptr) {
        return kStatusPlatformFailed;
    }
    ownedPixels = block;
    pixels = block;
    return kStatusOk;
}

Status Bitmap::Create(uint16_t newWidth, uint16_t newHeight, uint8_t newBytesPerPixel, bool clear) {
    Free();
    if (newWidth == 0 || newHeight == 0 || newBytesPerPixel > kMaxDepth) {
        return kStatusImageBadFormat;
    }
    width = newWidth;
    height = newHeight;
    bytesPerPixel = newBytesPerPixel;
    lastPaletteIndex = 0;
    if (bytesPerPixel == kDepth8Bit && AllocatePalette() != kStatusOk) {
        return kStatusPlatformFailed;
    }
    if (bytesPerPixel == kDepth8Bit) {
        lastPaletteIndex = uint8_t(kPaletteEntries - 1);
    }
    if (AllocatePixels(clear) != kStatusOk) {
        Free();
        return kStatusPlatformFailed;
    }
    return kStatusOk;
}

uint8_t* Bitmap::MakeMask(uint8_t key) {
    if (bytesPerPixel != kDepth8Bit || width == 0 || height == 0) {
        return nullptr;
    }
    const uint32_t maskRowBytes = RowBytes(width, kDepth1Bit);
    auto* const mask = static_cast<uint8_t*>(EngineAllocate(size_t(maskRowBytes) * height));
    if (mask == nullptr) {
        return nullptr;
    }
    const bool lockedHere = pixels == nullptr;
    if (lockedHere) {
        Lock();
    }
    if (pixels == nullptr) {
        EngineRelease(mask);
        return nullptr;
    }
    std::memset(mask, 0, size_t(maskRowBytes) * height);
    const uint8_t* source = pixels;
    for (uint32_t row = 0; row < height; ++row) {
        uint8_t* const maskRow = mask + size_t(row) * maskRowBytes;
        for (uint32_t column = 0; column < width; ++column, ++source) {
            if (*source != key) {
                maskRow[column >> 3] |= uint8_t(0x80u >> (column & 7));
            }
        }
    }
    if (lockedHere) {
        Unlock();
    }
    return mask;
}
