#pragma once
#include <cstdint>

#include "scene/Camera.h"

class Bitmap;
class PixelImage;
struct ShadeTable;

// A camera that starts each frame with a backdrop instead of one colour: a
// picture behind the scene, or a sky gradient whose light levels follow the
// camera's pitch and bank, shaded through a colour ramp that stands in for
// the canvas palette's shade table while it is drawn. It can also switch
// the canvas's depth fog on.
class DerivedCamera : public Camera {
public:
    static constexpr uint32_t kFlagNoBackdrop = 0x100000;
    static constexpr uint32_t kFlagSkyGradient = 0x200000;
    static constexpr uint32_t kFlagOwnsBackdrop = 0x400000;
    static constexpr uint32_t kFlagOwnsRamp = 0x800000;
    static constexpr Status kStatusNoCanvas = 40;

    explicit DerivedCamera(Canvas* canvas = nullptr);
    DerivedCamera(const char* fileName, const char* cameraName);
    explicit DerivedCamera(const Camera& other);
    // Shares the picture and the ramp without owning them.
    DerivedCamera(const DerivedCamera& other);
    DerivedCamera& operator=(const DerivedCamera& other);
    ~DerivedCamera() override;

    uint32_t BeginFrame() override;
    void EndFrame() override;
    virtual void ReleaseBackdrop();

    // 1 for a null image.
    Status SetBackdrop(PixelImage* image, bool owned);
    // The picture at the game's pixel format: 1 when it cannot be made.
    Status SetBackdropBitmap(Bitmap* bitmap);
    // The ramp's rows stand in for the palette's shade rows: 1 for null.
    Status SetColorRamp(ShadeTable* ramp, bool owned);
    // 256 rows of `columns` palette indices running from `first` to the
    // colour `factor` of the way to `second` over `split` columns, then on
    // to `second`. 40 without a canvas palette, 2 without memory.
    Status BuildColorRamp(uint16_t columns, uint16_t split, float factor, uint32_t first, uint32_t second);
    Status SetFogFromPalette(float start, float end);
    Status SetFogColor(float start, float end, uint32_t colour);

    // The sky gradient's levels at the corners: top left, top right, bottom
    // right, bottom left.
    void SkyLevels(int32_t levels[4]) const;

    int16_t backdropX = 0;
    int16_t backdropY = 0;
    PixelImage* backdrop = nullptr;
    ShadeTable* colourRamp = nullptr;
};
