#pragma once
#include <cstdint>

// Closest palette index for every 15-bit colour: the part of each palette
// that follows its 256 entries. Entry 255 is the transparent index of 8-bit
// images, so the table never names it.
class InverseColorTable {
public:
    static constexpr uint32_t kFlagBuild = 0x100;
    static constexpr int kSize = 32768;
    static constexpr int kEntries = 256;
    static constexpr uint8_t kTransparentIndex = 255;

    // Stores the palette's 256 entries (red, green, blue, spare byte each);
    // builds the table at once when flags has kFlagBuild. The entries must
    // outlive the table.
    void Init(const uint8_t* paletteEntries, uint32_t flags);
    // For every colour on the 32-step grid (component = 8 x step), the
    // entry of 0..254 with the least squared distance; the lowest index
    // wins ties.
    void Build();

    // colour: red in byte 0, green in byte 1, blue in byte 2.
    uint8_t Lookup(uint32_t colour) const { return index[IndexOf(colour)]; }
    uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue) const {
        return index[IndexOf(red, green, blue)];
    }
    static uint32_t IndexOf(uint8_t red, uint8_t green, uint8_t blue) {
        return uint32_t(red >> 3) << 10 | uint32_t(green >> 3) << 5 | uint32_t(blue >> 3);
    }
    static uint32_t IndexOf(uint32_t colour) {
        return IndexOf(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16));
    }

    uint8_t index[kSize] = {};
    const uint8_t* entries = nullptr;   // the palette's 256 x 4 bytes, not owned
};
