#include "scene/Material.h"

#include <cstring>

#include "display/Bitmap.h"
#include "display/PixelImage.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "engine/WorldContext.h"
#include "scene/MaterialForm.h"
#include "scene/WorldImageTable.h"

const char* const Material::kNoName = "NoName";

namespace {

void CountMaterial(int32_t change) {
    if (g_worldContext != nullptr) g_worldContext->liveMaterials += uint32_t(change);
}

}  // namespace

bool IsTextureSide(uint32_t side) { return side == 16 || side == 32 || side == 64 || side == 128 || side == 256; }

// --- Material ----------------------------------------------------------------

Material::Material() { CountMaterial(1); }

Material::Material(const Material& other)
    : EngineObject(),
      kind(other.kind),
      flags(other.flags & ~kFlagOwnsMemory),
      name(other.name),
      image(other.image),
      imageCount(other.imageCount),
      lastWord(other.lastWord) {
    CountMaterial(1);
}

Material& Material::operator=(const Material& other) {
    if (this == &other) return *this;
    Release();
    flags = other.flags & ~(kFlagOwnsMemory | kFlagWorldImage);
    name = other.name;
    image = other.image;
    imageCount = other.imageCount;
    lastWord = other.lastWord;
    return *this;
}

Material::~Material() {
    Material::Release();
    CountMaterial(-1);
}

void Material::ReleaseName() {
    if ((flags & kFlagOwnsMemory) != 0 && name != kNoName && name != nullptr) {
        EngineRelease(const_cast<char*>(name));
    }
    name = kNoName;
}

void Material::Release() {
    if (IsLocked()) Unlock();
    if ((flags & kFlagOwnsMemory) != 0) {
        ReleaseName();
        // A null owned array has nothing to give back.
        if (image != nullptr) {
            for (int32_t i = 0; i < imageCount; ++i) image[i].ReleaseCopies();
            delete[] image;
        }
    }
    name = kNoName;
    image = nullptr;
    imageCount = 0;
    flags &= ~(kFlagLocked | kFlagOwnsMemory | kFlagWorldImage);
}

void Material::Lock() {
    if (!IsLocked() && image != nullptr) flags |= kFlagLocked;
}

void Material::Unlock() { flags &= ~kFlagLocked; }

int32_t Material::Animate() { return 0; }

Status Material::ReadForm(IffFile&, const char*, uint32_t, Palette*) { return kStatusMaterialUnsupported; }

Status Material::Load(const char* fileName, const char* wanted, uint32_t readFlags, Palette* palette) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return kStatusMaterialReadFailed;
    Status result = kStatusMaterialNotFound;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        if (IsMaterialForm(at, true)) {
            result = ReadForm(at, wanted, readFlags, palette);
            return result == kStatusMaterialNotFound ? iff_walk::Choice::kPass : iff_walk::Choice::kStop;
        }
        return IsMaterialContainer(at) ? iff_walk::Choice::kEnter : iff_walk::Choice::kPass;
    });
    if (walked == kStatusCannotOpen) result = kStatusMaterialReadFailed;
    iff.CloseFile();
    return result;
}

// --- BitmapMaterial ----------------------------------------------------------

BitmapMaterial::BitmapMaterial() { kind = kKindBitmap; }

BitmapMaterial::BitmapMaterial(PixelImage* tableBlock) : block(tableBlock) { kind = kKindBitmap; }

BitmapMaterial::BitmapMaterial(const BitmapMaterial& other) : Material(other), block(other.block) {
    if ((flags & kFlagWorldImage) != 0 && !AddWorldImageReference(block)) flags &= ~kFlagWorldImage;
}

BitmapMaterial::~BitmapMaterial() { BitmapMaterial::Release(); }

void BitmapMaterial::Release() {
    if (IsLocked()) Unlock();
    if ((flags & kFlagWorldImage) != 0) {
        ReleaseWorldImage(block);
    } else if ((flags & kFlagOwnsMemory) != 0) {
        FreeImageBlock(block, 1);
        ReleaseName();
    }
    name = kNoName;
    block = nullptr;
    Material::Release();
}

void BitmapMaterial::Lock() {
    if (IsLocked() || block == nullptr) return;
    image = block;
    flags |= kFlagLocked;
}

void BitmapMaterial::Unlock() {
    flags &= ~kFlagLocked;
    image = nullptr;
}

Status BitmapMaterial::ReadForm(IffFile& iff, const char* wanted, uint32_t readFlags, Palette* palette) {
    Release();
    if (!IsMaterialForm(iff, true)) return kStatusMaterialNotFound;
    if (iff.Descend() != kStatusOk) return kStatusMaterialReadFailed;
    MaterialHeader header;
    Status status = ReadMaterialHeader(iff, wanted, &header);
    if (status == kStatusOk) status = CheckMaterialHeader(header, 1, palette);
    if (status != kStatusOk) return LeaveForm(iff, status);
    // A failed read gives back what it took: no block, no lock, no name.
    // The file's flag word cannot claim a table entry that was never made.
    const auto fail = [&](Status failure) {
        Release();
        return LeaveForm(iff, failure);
    };

    flags = kFlagOwnsMemory;
    const bool keyed = header.format == 2 || header.format == 4;
    block = NewImageBlock(1, header.width, header.height, keyed, palette);
    if (block == nullptr) return fail(kStatusMaterialNoMemory);
    flags = (header.flags & ~kFlagWorldImage) | kFlagOwnsMemory | kFlagLocked;
    status = DecodeMaterialBody(iff, header, palette, block->pixels);
    if (status != kStatusOk) return fail(status);
    Unlock();

    if ((readFlags & kReadRegister) != 0 &&
        RegisterWorldImage(header.name, block, kKindBitmap, header.flags, header.width, header.height, 1, &name,
                           true) == kStatusOk) {
        flags = (flags & ~kFlagOwnsMemory) | kFlagWorldImage;
    }
    if ((flags & kFlagOwnsMemory) != 0) {
        char* const copy = CopyMaterialName(header.name);
        if (copy == nullptr) return fail(kStatusMaterialNoMemory);
        name = copy;
    }
    return LeaveForm(iff, kStatusOk);
}

Status BitmapMaterial::CreateFromBitmap(Bitmap* bitmap, bool transparent, Palette* palette) {
    if (bitmap == nullptr) return kStatusMaterialNeedsPalette;
    if (!IsTextureSide(bitmap->width) || !IsTextureSide(bitmap->height)) return kStatusMaterialBadSize;
    Release();
    block = NewImageBlock(1, bitmap->width, bitmap->height, transparent, palette);
    if (block == nullptr) return kStatusMaterialNoMemory;
    flags = kFlagOwnsMemory | kFlagLocked;
    const bool lockFirst = bitmap->pixels == nullptr;
    // A picture that cannot be taken leaves no half-made, locked block behind.
    if (lockFirst && (bitmap->Lock() != kStatusOk || bitmap->pixels == nullptr)) {
        Release();
        return kStatusMaterialLockFailed;
    }
    const Status converted = block->Convert(bitmap, palette);
    if (lockFirst) bitmap->Unlock();
    if (converted != kStatusOk) {
        Release();
        return kStatusMaterialUnsupported;
    }
    Unlock();
    return kStatusOk;
}
