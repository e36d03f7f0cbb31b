#include "display/D3DTexture.h"

#include <algorithm>

#include "display/ColorTables.h"
#include "display/D3DHalDriver.h"
#include "display/Palette.h"
#include "display/PixelImage.h"
#include "display/TextureManager.h"
#include "platform/DevicePalette.h"
#include "platform/Surface.h"

namespace {

constexpr uint32_t kHardwareTextureCaps =
    platform::kCapsTexture | platform::kCapsVideoMemory | platform::kCapsAllocateOnLoad;
constexpr uint32_t kSystemTextureCaps = platform::kCapsTexture | platform::kCapsSystemMemory;
constexpr uint32_t kRedMask565 = 0xF800;
constexpr uint32_t kRedMask555 = 0x7C00;
constexpr uint8_t kKeyIndex = 255;
constexpr int32_t kMaxCandidateHeight = 2048;

TextureManager* Manager() { return g_colorTables != nullptr ? g_colorTables->textureManagers[0] : nullptr; }

D3DTexture* TextureOf(TextureNode* node) { return static_cast<D3DTexture*>(node->texture); }

// The device's format with the fewest bits not below `wanted`: no alpha,
// and at 8 bits or fewer only an 8-bit palette format.
bool ChooseTextureFormat(const D3DHalDriver& driver, int32_t wanted, platform::PixelLayout* chosen) {
    if (driver.direct3D == nullptr) return false;
    bool found = false;
    for (const platform::TextureFormat& format : driver.direct3D->TextureFormats()) {
        if (format.alphaMask != 0 || format.alphaOnly) continue;
        const int32_t bits = format.layout.bitsPerPixel;
        if (bits <= 8 && !(bits == 8 && format.layout.IsIndexed())) continue;
        if (bits < wanted) continue;
        if (!found || bits < chosen->bitsPerPixel) {
            *chosen = format.layout;
            found = true;
        }
    }
    return found;
}

}  // namespace

D3DTexture::D3DTexture(PixelImage* newImage, Palette* newPalette) : Texture(kKindD3D) {
    status = Create(newImage, newPalette);
}

D3DTexture::~D3DTexture() { D3DTexture::Release(); }

int32_t D3DTexture::Create(PixelImage* newImage, Palette*) {
    TextureManager* const manager = Manager();
    if (manager == nullptr || manager->driver == nullptr) return kDisplayNotOpened;
    D3DHalDriver& driver = *manager->driver;
    // Only 8-bit pixels are copied: anything else is refused before a
    // surface is made.
    if (newImage == nullptr || newImage->Format() != PixelImage::kFormat8Bit || newImage->width <= 0 ||
        newImage->height <= 0) {
        return kUnsupportedImage;
    }
    palette = nullptr;
    image = newImage;
    if (node == nullptr) {
        node = new TextureNode;
        if (node == nullptr) return kDisplayOutOfMemory;
        node->texture = this;
    }

    platform::PixelLayout format{};
    if (driver.directDraw == nullptr || !ChooseTextureFormat(driver, 8, &format)) return kDisplayCallFailed;
    platform::SurfaceDescription description;
    description.width = image->width;
    description.height = image->height;
    description.format = format;
    description.caps = driver.hardwareColorModel ? kHardwareTextureCaps : kSystemTextureCaps;
    if (driver.directDraw->CreateSurface(description, &textureSurface) != platform::kDeviceOk) {
        // Texture memory is full: take a surface from an older texture.
        if (TakeOverSameSize(*manager) != kDisplayOk) {
            if (!EvictLarger(*manager) ||
                driver.directDraw->CreateSurface(description, &textureSurface) != platform::kDeviceOk) {
                return kDisplayCallFailed;
            }
        }
    }
    if (driver.hardwareColorModel) {
        description.caps = kSystemTextureCaps;
        if (driver.directDraw->CreateSurface(description, &systemSurface) != platform::kDeviceOk) {
            Release();
            return kDisplayCallFailed;
        }
    } else {
        systemSurface = textureSurface;
    }
    const int32_t copied = CopyPixels();
    if (copied != kDisplayOk) return copied;
    if (handle == 0) {
        if (driver.device == nullptr ||
            driver.device->GetTextureHandle(textureSurface, &handle) != platform::kDeviceOk) {
            return kDisplayCallFailed;
        }
    }
    if ((node->flags & TextureNode::kResident) == 0) manager->Append(node, handle != 0);
    const int32_t loaded = LoadTexture();
    if (loaded != kDisplayOk) return loaded;
    LinkToImage();
    return kDisplayOk;
}

int32_t D3DTexture::TakeOverSameSize(TextureManager& manager) {
    for (TextureNode* n = manager.residentHead; n != nullptr; n = n->next) {
        D3DTexture* const victim = TextureOf(n);
        if (victim == this || victim->image == nullptr || victim->image->width != image->width ||
            victim->image->height != image->height) {
            continue;
        }
        if (victim->textureSurface == nullptr) return kDisplayCallFailed;
        textureSurface = std::move(victim->textureSurface);
        handle = victim->handle;
        victim->handle = 0;
        victim->dirtyFlags |= kDirtyPixels;   // uploaded again when next drawn
        manager.Append(node, true);
        manager.Append(n, false);
        return kDisplayOk;
    }
    return kDisplayCallFailed;
}

bool D3DTexture::EvictLarger(TextureManager& manager) {
    TextureNode* best = nullptr;
    const auto height = [](TextureNode* n) { return TextureOf(n)->image->height; };
    // The same width and the least greater height; then anything at least
    // as large, the least height first.
    for (TextureNode* n = manager.residentHead; n != nullptr; n = n->next) {
        const PixelImage* const other = TextureOf(n)->image;
        if (other == nullptr || TextureOf(n) == this || TextureOf(n)->textureSurface == nullptr) continue;
        if (other->width == image->width && other->height > image->height && other->height < kMaxCandidateHeight &&
            (best == nullptr || other->height < height(best))) {
            best = n;
        }
    }
    if (best == nullptr) {
        for (TextureNode* n = manager.residentHead; n != nullptr; n = n->next) {
            const PixelImage* const other = TextureOf(n)->image;
            if (other == nullptr || TextureOf(n) == this || TextureOf(n)->textureSurface == nullptr) continue;
            if (other->width >= image->width && other->height >= image->height &&
                (best == nullptr || other->height < height(best))) {
                best = n;
            }
        }
    }
    if (best == nullptr) return false;
    D3DTexture* const victim = TextureOf(best);
    victim->textureSurface.reset();
    victim->handle = 0;
    victim->dirtyFlags |= kDirtyPixels;
    manager.Append(best, false);
    return true;
}

int32_t D3DTexture::CopyPixels() {
    TextureManager* const manager = Manager();
    if (systemSurface == nullptr || image == nullptr || image->pixels == nullptr) return kDisplayCallFailed;
    palette = image->palette;
    if (palette != nullptr && manager != nullptr && manager->driver != nullptr &&
        manager->driver->directDraw != nullptr && systemSurface->Format().IsIndexed()) {
        const DisplayPalette* const colours = palette->GetDisplayPalette();
        if (colours != nullptr &&
            manager->driver->directDraw->CreatePalette(platform::kPalette8Bit | platform::kPaletteAllow256, *colours,
                                                       &devicePalette) == platform::kDeviceOk) {
            systemSurface->SetPalette(devicePalette);
            if (textureSurface != nullptr) textureSurface->SetPalette(devicePalette);
        }
    }
    platform::SurfaceDescription locked;
    platform::DeviceResult result = platform::kDeviceFailed;
    for (int32_t attempt = 0; attempt < kLockAttempts && result != platform::kDeviceOk; ++attempt) {
        result = systemSurface->Lock(&locked, platform::kLockWait);
    }
    if (result != platform::kDeviceOk) return kDisplayCallFailed;
    const int32_t w = image->width, h = image->height;
    const bool keyed = image->IsKeyed();
    const uint32_t redMask = locked.format.redMask;
    // Row by row at the surface's pitch, which may be wider than the image.
    if (locked.format.bitsPerPixel == 8) {
        if (keyed) systemSurface->SetColorKey(kKeyIndex, kKeyIndex);
        for (int32_t y = 0; y < h; ++y) {
            std::copy_n(image->pixels + size_t(y) * size_t(w), size_t(w), locked.memory + size_t(y) * size_t(locked.pitch));
        }
    } else if (redMask == kRedMask565 || redMask == kRedMask555) {
        const bool is565 = redMask == kRedMask565;
        const uint16_t key = is565 ? 0xF81F : 0x7C1F;
        if (keyed) systemSurface->SetColorKey(key, key);
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* const from = image->pixels + size_t(y) * size_t(w);
            auto* const to = reinterpret_cast<uint16_t*>(locked.memory + size_t(y) * size_t(locked.pitch));
            for (int32_t x = 0; x < w; ++x) {
                if (from[x] == kKeyIndex) {
                    to[x] = key;
                    continue;
                }
                const uint32_t c = palette != nullptr ? palette->GetColor(from[x]) : 0;
                const uint8_t r = uint8_t(c), g = uint8_t(c >> 8), b = uint8_t(c >> 16);
                to[x] = is565 ? PixelImage::Pack565(r, g, b) : PixelImage::Pack555(r, g, b);
            }
        }
    } else {
        // Unlocked before the surfaces go.
        systemSurface->Unlock();
        Release();
        return kDisplayCallFailed;
    }
    systemSurface->Unlock();
    return kDisplayOk;
}

int32_t D3DTexture::LoadTexture() {
    if (textureSurface == nullptr || systemSurface == nullptr) return kDisplayCallFailed;
    if (textureSurface == systemSurface) return kDisplayOk;
    if (textureSurface->IsLost() == platform::kDeviceSurfaceLost && textureSurface->Restore() != platform::kDeviceOk) {
        return kDisplayCallFailed;
    }
    if (devicePalette != nullptr) {
        systemSurface->SetPalette(devicePalette);
        textureSurface->SetPalette(devicePalette);
    }
    return textureSurface->Load(*systemSurface) == platform::kDeviceOk ? kDisplayOk : kDisplayCallFailed;
}

int32_t D3DTexture::Upload() {
    TextureManager* const manager = Manager();
    if (manager == nullptr || node == nullptr || image == nullptr) return kDisplayCallFailed;
    // Dropped with the device that made it: made anew.
    if ((node->flags & (TextureNode::kResident | TextureNode::kEvicted)) == 0) {
        UnlinkFromImage();
        return status = Create(image, nullptr);
    }
    if (textureSurface != nullptr && handle != 0 && (node->flags & TextureNode::kEvicted) == 0) {
        if ((dirtyFlags & kDirtyPixels) != 0) {
            dirtyFlags &= ~kDirtyPixels;
            const int32_t copied = CopyPixels();
            if (copied != kDisplayOk) return copied;
            const int32_t loaded = LoadTexture();
            if (loaded != kDisplayOk) return loaded;
        }
    } else {
        if (TakeOverSameSize(*manager) != kDisplayOk) return kDisplayCallFailed;
        if ((dirtyFlags & kDirtyPixels) != 0) {
            dirtyFlags &= ~kDirtyPixels;
            const int32_t copied = CopyPixels();
            if (copied != kDisplayOk) return copied;
        }
        const int32_t loaded = LoadTexture();
        if (loaded != kDisplayOk) return loaded;
    }
    if ((node->flags & TextureNode::kResident) == 0) manager->Append(node, true);
    return kDisplayOk;
}

void D3DTexture::DropDeviceResources() {
    systemSurface.reset();
    textureSurface.reset();
    devicePalette.reset();
    handle = 0;
    dirtyFlags |= kDirtyPixels;
}

void D3DTexture::Release() {
    systemSurface.reset();
    textureSurface.reset();
    devicePalette.reset();
    handle = 0;
    RemoveFromEveryManager(node);
    delete node;
    node = nullptr;
    UnlinkFromImage();
}
