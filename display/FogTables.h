#pragma once
#include <cstdint>

#include "engine/Status.h"

class InverseColorTable;

// A canvas's fog setting: the colour the far depths fade to and where the
// fading starts, 0.0 to 1.0 of the depth range (values outside are clamped).
struct FogParams {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t spare = 0;
    float start = 0.0f;
    float end = 1.0f;   // the 3D canvas's fog ends here; the software canvases fog from start on
};

// Fog start as a depth-buffer value: trunc(start x 65535.0), 0..65535.
uint16_t FogStartDepth(float start);

// The fog of the 16-bit software canvas: per channel, a 5-bit value faded
// toward the fog colour by depth level (depth >> 8). Tables come from the
// engine's allocation functions and are rebuilt in place on later settings.
class FogTables16 {
public:
    static constexpr int kLevels = 256;
    static constexpr int kChannelValues = 32;
    static constexpr uint32_t kTableBytes = kLevels * kChannelValues;

    // kStatusOutOfMemory, leaving the missing tables null, when a table
    // cannot be had.
    Status Build(const FogParams* fog);
    void Free();

    uint8_t (*red)[kChannelValues] = nullptr;
    uint8_t (*green)[kChannelValues] = nullptr;
    uint8_t (*blue)[kChannelValues] = nullptr;
    uint16_t startDepth = 0;
};

// The fog of the 8-bit software canvas: the palette index a source index
// becomes at each depth level (depth >> 9).
class FogTables8 {
public:
    static constexpr int kLevels = 128;
    static constexpr int kIndices = 256;
    static constexpr uint32_t kTableBytes = kLevels * kIndices;

    // Fades the palette's entries and takes the closest index of each
    // through the palette's inverse colour table (its entries must be set).
    Status Build(const FogParams* fog, const InverseColorTable& palette);
    void Free();

    uint8_t (*table)[kIndices] = nullptr;
    uint16_t startDepth = 0;
};
