#pragma once
#include <cstdint>

#include "display/Canvas.h"
#include "display/FogTables.h"

class D3DHalDriver;
class D3DTexture;
namespace platform {
struct TlVertex;
}

// The canvas of the 3D hardware kind: a 16-bit canvas over the driver's
// drawing surface that draws pixels, lines and polygons as transformed and
// lit vertices through the driver's 3D device (its depth buffer, vertex
// fog, filtering, colour keys and blending), clears and fills with blits,
// and draws images in software into the locked surface. It owns no pixels;
// locking the surface ends the driver's scene, the next primitive begins it.
class D3DCanvas final : public Canvas {
public:
    static constexpr int32_t kMaxVertices = 12;
    static constexpr int32_t kLockAttempts = 1000;
    static constexpr int32_t kBlitAttempts = 150;
    static constexpr float kPerspectiveDepthLimit = 0.99999f;
    // Render flags of the driver.
    static constexpr uint32_t kGouraud = 0x01;
    static constexpr uint32_t kDither = 0x02;
    static constexpr uint32_t kPerspective = 0x04;
    static constexpr uint32_t kModulate = 0x08;
    static constexpr uint32_t kColorKey = 0x10;
    static constexpr uint32_t kTranslucent = 0x20;
    static constexpr uint32_t kFiltered = 0x40;

    // setupResult: 0, kStatusOutOfMemory, or kStatusPlatformFailed when the
    // drawing surface does not lock.
    D3DCanvas(const CanvasRect* rect, Palette* palette, uint32_t flags, D3DHalDriver* driver);
    ~D3DCanvas() override;

    // -1 failure, 0 locked now, 1 locked already (by anyone sharing the
    // surface's lock word); the unlock returns the old lock word.
    int32_t LockSurface();
    int32_t UnlockSurface();

    void EnableDepthTest() override;
    void DisableDepthTest() override;
    void SetFlag80000() override;
    void ClearFlag80000() override;
    void SetFlag40000() override;
    void ClearFlag40000() override;
    void EnableFog() override;
    void DisableFog() override;
    void MakeCurrent() override;
    Status CopyToImage(Bitmap* image) override;
    Status Clear(uint32_t colour, uint32_t depthValue) override;
    Status FillRectRgb(const CanvasRect* rect, const uint8_t* rgb) override;
    Status FillRect(const CanvasRect* rect, uint32_t colour) override;
    Status PlotPixel(const ScreenVertex* v, const uint8_t* rgb) override;
    Status PlotPixelInt(const ViewVertex* v, const uint8_t* rgb) override;
    Status BlitImage(const CanvasRect* rect, PixelImage* image, uint32_t mode) override;
    Status DrawMonoImage(const CanvasRect* rect, PixelImage* image, uint32_t fg, uint32_t bg) override;
    Status DrawMonoImageRaw(const CanvasRect* rect, MonoMaskRecord* mask, uint32_t setValue,
                            uint32_t clearValue) override;
    Status DrawLine(const ScreenVertex* a, const ScreenVertex* b, const uint8_t* rgb) override;
    Status DrawLineInt(const ViewVertex* a, const ViewVertex* b, const uint8_t* rgb) override;
    Status DrawLineShaded(const ScreenVertex* a, const ScreenVertex* b) override;
    Status DrawLineShadedInt(const ViewVertex* a, const ViewVertex* b) override;
    Status FillPolygonFlat(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonShaded(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonTextured(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShaded(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonTexturedShadedPersp(int32_t count, const ScreenVertex* v, PixelImage* image) override;
    Status FillPolygonRgb(int32_t count, const ScreenVertex* v) override;
    Status FillPolygonRgbInt(int32_t count, const ViewVertex* v) override;
    Status FillPolygonFlatAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonShadedAlpha(int32_t count, const ScreenVertex* v, uint32_t alpha) override;
    Status FillPolygonTexturedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image, uint32_t alpha) override;
    Status FillPolygonTexturedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                         uint32_t alpha) override;
    Status FillPolygonTexturedShadedAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                          uint32_t alpha) override;
    Status FillPolygonTexturedShadedPerspAlpha(int32_t count, const ScreenVertex* v, PixelImage* image,
                                               uint32_t alpha) override;
    Status SetFog(const FogParams* fog) override;

    D3DHalDriver* driver = nullptr;
    uint8_t fogTable[256] = {};
    uint8_t fogColour[4] = {};
    int32_t originX = 0;
    int32_t originY = 0;

private:
    // How a polygon's vertices are coloured.
    enum class Colouring { kFlat, kShaded, kRgb, kTexturedBase, kTexturedEach };

    Status Setup(const CanvasRect* rect, Palette* palette, uint32_t flags, D3DHalDriver* driver);
    // The device's draw: the scene begun, the render flags and handle set.
    void Draw(bool lines, uint32_t renderFlags, uint32_t handle, const platform::TlVertex* vertices, int32_t count);
    Status Polygon(int32_t count, const ScreenVertex* v, PixelImage* image, Colouring colouring, uint32_t renderFlags,
                   uint32_t alpha, bool perspective);
    // The image's 3D texture, made on first use: 0, 2, 6 or 8.
    Status BindTexture(PixelImage* image, uint32_t* handle);
    platform::TlVertex Vertex(float x, float y, float z, uint32_t rgb, uint32_t alpha, uint32_t highlight) const;
    uint8_t FogByte(float z) const;
    // Red in bits 16-23, green 8-15, blue 0-7.
    uint32_t ShadeRgb(uint32_t colour, int32_t intensity) const;
    uint32_t WordRgb(uint32_t colour) const;
    uint32_t PixelToRgb(uint16_t pixel) const;
    uint16_t RgbToPixel(uint32_t rgb) const;
    bool Is555() const;
    // Fills `area` of the canvas (or the depth buffer) with a blit, up to
    // `attempts` times, restoring a lost surface.
    void BlitFill(const CanvasRect& area, uint32_t value, bool depthBuffer, int32_t attempts);
};
