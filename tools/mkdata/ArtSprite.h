#pragma once
#include <cstdint>
#include <span>

#include "engine/Status.h"

class IffFile;
struct EventMapSpec;

// A button a screen's art file places: the art item's name, its label (null
// where the button's art is another screen's), where it sits, its size and
// the code its hot spot raises.
struct ArtSprite {
    const char* name;
    const char* label;
    int x, y, width, height;
    uint16_t code;
};

// The event number whose code a screen tests: the byte index in the high
// byte, the bit in the low one.
constexpr uint32_t EventOfCode(uint16_t code) {
    uint32_t bit = 0;
    while (bit < 8 && (code & (1u << bit)) == 0) ++bit;
    return uint32_t(code >> 8) * 8 + bit;
}

// One placed sprite: FORM "SPRT" with its name and its position (two
// little-endian words) at the current level of `iff`.
Status WriteArtSprite(IffFile& iff, const char* name, int x, int y);
// An art file of nothing but placed sprites: FORM "OPTI" with one "SPRT" a
// sprite, in order.
Status WriteArtSpriteFile(const char* path, std::span<const ArtSprite> sprites);
// Each sprite's hot spot, raising its code's event, appended to `map`.
void AddArtSpriteSpots(EventMapSpec& map, std::span<const ArtSprite> sprites);
