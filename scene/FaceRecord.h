#pragma once
#include <cstdint>

// One triangle of a mesh (64 bytes in the file's FAC2 layout, which this
// record follows field by field; readers fill it field by field).
struct FaceRecord {
    // Face flag bits.
    static constexpr uint32_t kEdges = 0x1;           // draw the enabled edges when not filled
    static constexpr uint32_t kFilled = 0x2 | 0x4;    // either bit
    static constexpr uint32_t kFlatLit = 0x4;
    static constexpr uint32_t kGouraud = 0x8;
    static constexpr uint32_t kAltLight = 0x80;
    static constexpr uint32_t kCullBack = 0x100;
    static constexpr uint32_t kTextured = 0x200;
    static constexpr uint32_t kSecondOperation = 0x400;  // the canvas's perspective or alternate form
    static constexpr uint32_t kTranslucent = 0x800;
    static constexpr uint32_t kEdgeAB = 0x1000;
    static constexpr uint32_t kEdgeBC = 0x2000;
    static constexpr uint32_t kEdgeCA = 0x4000;

    uint32_t flags = 0;
    uint16_t a = 0, b = 0, c = 0;   // vertex indices
    uint16_t material = 0;          // 1-based; 0 for none
    float u[3] = {};
    float v[3] = {};
    uint32_t colour = 0;
    float normal[3] = {};
    uint32_t stored52 = 0;          // as stored by FAC2
    uint8_t lightFloor = 0;
    uint8_t translucency[3] = {255, 255, 255};  // three equal levels; 255 opaque
    uint32_t zero60 = 0;
};

static_assert(sizeof(FaceRecord) == 64);
