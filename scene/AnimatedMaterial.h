#pragma once
#include <cstdint>

#include "scene/Material.h"

// A material whose image is one of several frames of one size held in one
// block, stepped by its owner once per update (by time with kFlagTimed)
// and drawn as whatever frame is current when it is locked.
class AnimatedMaterial : public Material {
public:
    AnimatedMaterial();
    // Over a frame block of the world image table (FindWorldMaterial).
    AnimatedMaterial(PixelImage* tableFrames, uint16_t count, uint32_t width, uint32_t height);
    // Shares the frames without owning them; a world-table block gets a
    // reference of its own.
    AnimatedMaterial(const AnimatedMaterial& other);
    AnimatedMaterial& operator=(const AnimatedMaterial&) = delete;
    ~AnimatedMaterial() override;

    void Release() override;
    void Lock() override;
    void Unlock() override;
    int32_t Animate() override;
    // Only a FORM "EMT1" of two or more frames.
    Status ReadForm(IffFile& iff, const char* name, uint32_t readFlags, Palette* palette) override;

    // The frames from `count` bitmaps of one size, sides 16 to 256.
    Status CreateFromBitmaps(int32_t count, Bitmap* bitmaps, bool transparent, Palette* palette);
    // A ship's own copy, stepping its own frame; a decal holds frame
    // decal mod frameCount and is not stepped. Null when memory is short.
    AnimatedMaterial* CopyForShip(uint32_t decal) const;

    uint32_t headerBytes = 0;    // frameCount image records
    uint32_t frameBytes = 0;     // width x height
    float timeStep = 0.0f;       // added per step with kFlagTimed
    float elapsed = 0.0f;
    uint16_t frame = 0;
    uint16_t frameCount = 0;
    PixelImage* frames = nullptr;
    float period = 0.0f;         // how long one frame lasts with kFlagTimed
};
