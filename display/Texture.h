#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"

class Palette;
class PixelImage;
class SoftTexture;
struct TextureNode;

// An image bound to one rendering back end. Every texture of an image sits in
// the image's chain (PixelImage::copies, linked through nextOfImage), so that
// releasing the image's copies deletes them. Textures live in the engine heap.
class Texture : public EngineObject {
public:
    static constexpr int32_t kKindSoft = 0;
    static constexpr int32_t kKindD3D = 1;
    static constexpr uint32_t kDirtyPixels = 0x1;   // the image changed: upload again

    // The kinds release in their own destructors; the base has nothing to give back.
    virtual ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Binds to an image (base: 0).
    virtual int32_t Create(PixelImage* image, Palette* palette);
    // Binds again (base: 0).
    virtual int32_t Recreate(PixelImage* image, Palette* palette);
    // Makes the texture usable for the next draw (base: 0).
    virtual int32_t Upload();
    // Gives back everything Create took (base: nothing).
    virtual void Release();
    // The software texture this is, or null: cheaper than asking the
    // language on every textured polygon.
    virtual SoftTexture* AsSoft() { return nullptr; }

    // Puts this texture at the head of its image's chain.
    void LinkToImage();
    // Takes this texture out of its image's chain, searching from the head;
    // nothing happens when it is not there.
    void UnlinkFromImage();

    int32_t textureKind = kKindSoft;
    int32_t status = 0;                 // result of the last Create
    TextureNode* node = nullptr;        // Direct3D: entry in the texture manager, owned
    PixelImage* image = nullptr;        // not owned
    Texture* nextOfImage = nullptr;
    Palette* palette = nullptr;
    uint32_t dirtyFlags = 0;            // kDirtyPixels
    uint32_t spare = 0;

protected:
    explicit Texture(int32_t kind) : textureKind(kind) {}
};
