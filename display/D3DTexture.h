#pragma once
#include <cstdint>
#include <memory>

#include "display/Texture.h"

class TextureManager;

namespace platform {
class DevicePalette;
class Surface;
}  // namespace platform

// An 8-bit image made into a texture surface of the 3D device, in the
// device's smallest format that holds it. All 3D textures share the card's
// texture memory through the driver's texture manager: when it is full, a
// texture takes the surface of the oldest resident texture of its size (or
// the nearest larger one), which is then evicted and marked to be uploaded
// again when it is next drawn.
class D3DTexture final : public Texture {
public:
    static constexpr int32_t kUnsupportedImage = 6;
    static constexpr int32_t kLockAttempts = 1000;

    // Runs Create and keeps its result in status.
    D3DTexture(PixelImage* image, Palette* palette);
    ~D3DTexture() override;

    // 0, 6 for an image that is not 8-bit, 8 for a device failure or no
    // surface to be had, 9 without a 3D driver. The palette argument is not
    // used: the image's own palette colours the texture.
    int32_t Create(PixelImage* image, Palette* palette) override;
    // Makes the texture drawable again: takes a surface back after an
    // eviction and copies changed pixels.
    int32_t Upload() override;
    void Release() override;

    // Copies the image's pixels into the system-memory surface in its
    // format; 0 or 8.
    int32_t CopyPixels();
    // Has the texture surface take the system-memory copy; 0 or 8.
    int32_t LoadTexture();
    // Lets go of the surfaces and the handle of a device that closes; the
    // next Upload makes the texture anew.
    void DropDeviceResources();

    std::shared_ptr<platform::Surface> systemSurface;
    std::shared_ptr<platform::Surface> textureSurface;
    std::shared_ptr<platform::DevicePalette> devicePalette;
    uint32_t handle = 0;

private:
    // Takes the surface and handle of the oldest resident texture of the
    // same size: 0, or 8 when there is none or it has no surface.
    int32_t TakeOverSameSize(TextureManager& manager);
    // Frees the surface of the best larger resident texture: false when
    // there is none.
    bool EvictLarger(TextureManager& manager);
};
