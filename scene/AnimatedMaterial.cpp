#include "scene/AnimatedMaterial.h"

#include <cmath>
#include <cstring>
#include <new>

#include "display/Bitmap.h"
#include "display/PixelImage.h"
#include "engine/IffFile.h"
#include "scene/MaterialForm.h"
#include "scene/WorldImageTable.h"

namespace {

constexpr int32_t kMinFrames = 2;


}  // namespace

AnimatedMaterial::AnimatedMaterial() { kind = kKindAnimated; }

AnimatedMaterial::AnimatedMaterial(PixelImage* tableFrames, uint16_t count, uint32_t width, uint32_t height)
    : headerBytes(uint32_t(count) * sizeof(PixelImage)),
      frameBytes(width * height),
      frameCount(count),
      frames(tableFrames) {
    kind = kKindAnimated;
}

AnimatedMaterial::AnimatedMaterial(const AnimatedMaterial& other)
    : Material(other),
      headerBytes(other.headerBytes),
      frameBytes(other.frameBytes),
      timeStep(other.timeStep),
      elapsed(other.elapsed),
      frame(other.frame),
      frameCount(other.frameCount),
      frames(other.frames),
      period(other.period) {
    // The copy draws its own frame; the original's image is not its to hold.
    image = nullptr;
    flags &= ~kFlagLocked;
    if ((flags & kFlagWorldImage) != 0 && !AddWorldImageReference(frames)) flags &= ~kFlagWorldImage;
}

AnimatedMaterial::~AnimatedMaterial() { AnimatedMaterial::Release(); }

void AnimatedMaterial::Release() {
    if (IsLocked()) Unlock();
    if ((flags & kFlagWorldImage) != 0) {
        ReleaseWorldImage(frames);
    } else if ((flags & kFlagOwnsMemory) != 0) {
        FreeImageBlock(frames, frameCount);
        ReleaseName();
    }
    name = kNoName;
    frames = nullptr;
    frameCount = 0;
    frame = 0;
    Material::Release();
}

void AnimatedMaterial::Lock() {
    if (IsLocked() || frames == nullptr || frame >= frameCount) return;
    image = &frames[frame];
    image->pixels = FramePixels(frames, frameCount, frame);
    flags |= kFlagLocked;
}

void AnimatedMaterial::Unlock() {
    flags &= ~kFlagLocked;
    image = nullptr;
}

int32_t AnimatedMaterial::Animate() {
    // Nothing to step through, or a period that would never be used up.
    if (frameCount == 0 || ((flags & kFlagTimed) != 0 && !(period > 0.0f))) return 0;
    uint32_t next = frame;
    if ((flags & kFlagTimed) != 0) {
        elapsed += timeStep;
        if (!std::isfinite(elapsed)) elapsed = 0.0f;   // an endless time has no place in the cycle
        if (elapsed > period) {
            // The remainder, not one subtraction a period: a long pause or a
            // huge step may hold more periods than a float can count down.
            // A whole number of periods keeps the last one unspent, as a time
            // equal to the period does not step.
            float rest = std::fmod(elapsed, period);
            double periods = std::nearbyint((double(elapsed) - double(rest)) / double(period));
            if (rest == 0.0f) {
                rest = period;
                periods -= 1.0;
            }
            elapsed = rest;
            next = (next + uint32_t(std::fmod(periods, 65536.0))) & 0xFFFF;
        }
    } else {
        next = (next + 1) & 0xFFFF;
    }
    frame = uint16_t(next % frameCount);
    return int32_t(next / frameCount);
}

Status AnimatedMaterial::ReadForm(IffFile& iff, const char* wanted, uint32_t readFlags, Palette* palette) {
    Release();
    if (!IsMaterialForm(iff, false)) return kStatusMaterialNotFound;
    if (iff.Descend() != kStatusOk) return kStatusMaterialReadFailed;
    MaterialHeader header;
    Status status = ReadMaterialHeader(iff, wanted, &header);
    if (status == kStatusOk) status = CheckMaterialHeader(header, kMinFrames, palette);
    if (status != kStatusOk) return LeaveForm(iff, status);
    // A failed read gives back what it took: no block, no lock, no name.
    // The file's flag word cannot claim a table entry that was never made.
    const auto fail = [&](Status failure) {
        Release();
        return LeaveForm(iff, failure);
    };

    frameBytes = uint32_t(header.width) * header.height;
    headerBytes = uint32_t(header.frameCount) * sizeof(PixelImage);
    flags = kFlagOwnsMemory;
    const bool keyed = header.format == 2 || header.format == 4;
    // Too large a block is no material this system draws.
    frames = NewImageBlock(header.frameCount, header.width, header.height, keyed, palette);
    if (frames == nullptr) {
        const uint64_t total = uint64_t(header.frameCount) * (sizeof(PixelImage) + uint64_t(frameBytes));
        return fail(total > 0x7FFFFFFF ? kStatusMaterialUnsupported : kStatusMaterialNoMemory);
    }
    frameCount = header.frameCount;
    flags = (header.flags & ~kFlagWorldImage) | kFlagOwnsMemory | kFlagLocked;
    for (uint32_t i = 0; i < frameCount; ++i) {
        image = &frames[i];
        status = DecodeMaterialBody(iff, header, palette, image->pixels);
        if (status != kStatusOk) return fail(status);
    }
    Unlock();

    if ((readFlags & kReadRegister) != 0 &&
        RegisterWorldImage(header.name, frames, kKindAnimated, header.flags, header.width, header.height, frameCount,
                           &name, true) == kStatusOk) {
        flags = (flags & ~kFlagOwnsMemory) | kFlagWorldImage;
    }
    if ((flags & kFlagOwnsMemory) != 0) {
        char* const copy = CopyMaterialName(header.name);
        if (copy == nullptr) return fail(kStatusMaterialNoMemory);
        name = copy;
    }
    return LeaveForm(iff, kStatusOk);
}

Status AnimatedMaterial::CreateFromBitmaps(int32_t count, Bitmap* bitmaps, bool transparent, Palette* palette) {
    if (bitmaps == nullptr || count < kMinFrames || count > 0xFFFF) return kStatusMaterialNeedsPalette;
    const uint16_t width = bitmaps[0].width, height = bitmaps[0].height;
    for (int32_t i = 0; i < count; ++i) {
        if (!IsTextureSide(bitmaps[i].width) || !IsTextureSide(bitmaps[i].height) || bitmaps[i].width != width ||
            bitmaps[i].height != height) {
            return kStatusMaterialBadSize;
        }
    }
    Release();
    frames = NewImageBlock(uint32_t(count), width, height, transparent, palette);
    if (frames == nullptr) return kStatusMaterialNoMemory;
    frameCount = uint16_t(count);
    frameBytes = uint32_t(width) * height;
    headerBytes = uint32_t(count) * sizeof(PixelImage);
    flags = kFlagOwnsMemory | kFlagLocked;
    for (int32_t i = 0; i < count; ++i) {
        Bitmap& bitmap = bitmaps[i];
        const bool lockFirst = bitmap.pixels == nullptr;
        // A frame that cannot be taken leaves no half-made, locked block behind.
        if (lockFirst && (bitmap.Lock() != kStatusOk || bitmap.pixels == nullptr)) {
            Release();
            return kStatusMaterialLockFailed;
        }
        const Status converted = frames[i].Convert(&bitmap, palette);
        if (lockFirst) bitmap.Unlock();
        if (converted != kStatusOk) {
            Release();
            return kStatusMaterialUnsupported;
        }
    }
    Unlock();
    return kStatusOk;
}

AnimatedMaterial* AnimatedMaterial::CopyForShip(uint32_t decal) const {
    AnimatedMaterial* const copy = new AnimatedMaterial(*this);
    if (copy == nullptr) return nullptr;
    if (std::strstr(name, "DECAL") != nullptr && frameCount > 0) {
        copy->flags |= kFlagNotStepped;
        copy->frame = uint16_t(decal % frameCount);
    }
    return copy;
}
