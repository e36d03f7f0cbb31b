#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class Bitmap;
class IffFile;
class Palette;
class PixelImage;

// Results of the material readers and builders besides kStatusOk.
inline constexpr Status kStatusMaterialNeedsPalette = 1;   // true colour without a palette; or no bitmap
inline constexpr Status kStatusMaterialNoMemory = 2;
inline constexpr Status kStatusMaterialLockFailed = 3;     // a bitmap's pixels could not be had
inline constexpr Status kStatusMaterialReadFailed = 10;
inline constexpr Status kStatusMaterialNotFound = 11;      // not a material form, or another name
inline constexpr Status kStatusMaterialBadData = 12;       // a missing or bad chunk, or bad pixels
inline constexpr Status kStatusMaterialUnsupported = 16;
inline constexpr Status kStatusMaterialFewerNames = 17;
inline constexpr Status kStatusMaterialBadSize = 50;       // a side that is not 16, 32, 64, 128 or 256

// The surface a face, billboard or scene refers to: a name, the flag word
// the render path reads, and the 8-bit image that is current while the
// material is locked. Every material is counted in the world context.
class Material : public EngineObject {
public:
    static constexpr uint16_t kKindPlain = 0;
    static constexpr uint16_t kKindBitmap = 0x100;
    static constexpr uint16_t kKindAnimated = 0x200;

    static constexpr uint32_t kFlagLocked = 0x1;
    static constexpr uint32_t kFlagNotStepped = 0x2;       // the owner does not animate it
    static constexpr uint32_t kFlagTimed = 0x100;          // animated by time, not by steps
    static constexpr uint32_t kFlagOwnsMemory = 0x10000;   // the name and the image memory
    static constexpr uint32_t kFlagWorldImage = 0x20000;   // the image is the world table's; one reference held
    // A name is at most this many characters; buffers hold one more.
    static constexpr int kNameLength = 16;
    // Bit 0x1 of ReadForm's readFlags: share the image through the world table.
    static constexpr uint32_t kReadRegister = 0x1;

    static const char* const kNoName;

    Material();
    // Points at the same name and image without owning them; a world-table
    // image gets a reference of its own.
    Material(const Material& other);
    Material& operator=(const Material& other);
    virtual ~Material();

    virtual void Release();
    virtual void Lock();
    virtual void Unlock();
    // Steps an animation; the number of whole wraps.
    virtual int32_t Animate();
    // The current chunk of `iff`, a material form, when it carries `name`
    // (null: any). readFlags: kReadRegister. palette maps true colour.
    virtual Status ReadForm(IffFile& iff, const char* name, uint32_t readFlags, Palette* palette);
    // Finds the named material (null: the first) wherever it stands in a file.
    virtual Status Load(const char* fileName, const char* name, uint32_t readFlags, Palette* palette);

    bool IsLocked() const { return (flags & kFlagLocked) != 0; }

    uint16_t kind = kKindPlain;
    uint16_t unusedHalf = 0;
    uint32_t flags = 0;
    const char* name = kNoName;    // owned (kFlagOwnsMemory), the table's, or kNoName
    // Derived kinds: the current image while locked. A plain material may
    // own an array of imageCount images (kFlagOwnsMemory).
    PixelImage* image = nullptr;
    int32_t imageCount = 0;
    uint32_t lastWord = 0;

protected:
    // The name given up and kNoName in its place; for the derived releases.
    void ReleaseName();
};

// One image in one block: the PixelImage record followed by its pixels.
class BitmapMaterial : public Material {
public:
    BitmapMaterial();
    // Over a block of the world image table (FindWorldMaterial).
    explicit BitmapMaterial(PixelImage* tableBlock);
    // Shares the image; a world-table image gets a reference of its own, so
    // that the copy's release cannot free it under the original.
    BitmapMaterial(const BitmapMaterial& other);
    BitmapMaterial& operator=(const BitmapMaterial& other) = default;
    ~BitmapMaterial() override;

    void Release() override;
    void Lock() override;
    void Unlock() override;
    Status ReadForm(IffFile& iff, const char* name, uint32_t readFlags, Palette* palette) override;

    // From a bitmap of sides 16 to 256 (powers of two) through
    // PixelImage::Convert; transparent: index 255 is the key.
    Status CreateFromBitmap(Bitmap* bitmap, bool transparent, Palette* palette);

    PixelImage* block = nullptr;
};

// Whether a side is one a texture can have: 16, 32, 64, 128 or 256.
bool IsTextureSide(uint32_t side);
