#include "platform/Surface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/DevicePalette.h"
#include "platform/DisplayAdapter.h"
#include "platform/DisplayPresenter.h"

namespace platform {

Surface::Surface(DisplayAdapter& adapter, int32_t width, int32_t height, uint32_t caps, const PixelLayout& format,
                 int64_t videoBytes)
    : adapter_(adapter),
      width_(width),
      height_(height),
      caps_(caps),
      format_(format),
      videoBytes_(videoBytes),
      modeSerial_(adapter.ModeSerial()) {
    adapter_.Register(this);
}

Surface::~Surface() {
    adapter_.Unregister(this);
    adapter_.FreeVideo(videoBytes_);
}

bool Surface::Allocate() {
    const int32_t pitch = adapter_.PitchFor(width_, format_);
    std::unique_ptr<uint8_t[]> memory(new (std::nothrow) uint8_t[size_t(pitch) * size_t(height_)]());
    if (!memory) return false;
    memory_ = std::move(memory);
    pitch_ = pitch;
    return true;
}

DeviceResult Surface::Lock(SurfaceDescription* description, uint32_t flags) {
    if (description == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kLock, (flags & kLockWait) != 0);
    if (result == kDeviceSurfaceLost) lost_ = true;
    if (result != kDeviceOk) return result;
    if (lost_) return kDeviceSurfaceLost;
    if (locked_) return kDeviceSurfaceBusy;
    locked_ = true;
    description->width = width_;
    description->height = height_;
    description->pitch = pitch_;
    description->backBufferCount = 0;
    description->caps = caps_;
    description->format = format_;
    description->memory = memory_.get();
    return kDeviceOk;
}

DeviceResult Surface::Unlock() {
    const DeviceResult result = adapter_.Enter(DisplayCall::kUnlock);
    if (result != kDeviceOk) return result;
    if (!locked_) return kDeviceNotLocked;
    locked_ = false;
    // What was drawn straight into the visible surface shows at once.
    ShowIfVisible();
    return kDeviceOk;
}

DeviceResult Surface::IsLost() const { return lost_ ? kDeviceSurfaceLost : kDeviceOk; }

DeviceResult Surface::Restore() {
    const DeviceResult result = adapter_.Enter(DisplayCall::kRestore);
    if (result != kDeviceOk) return result;
    if (!lost_) return kDeviceOk;
    // Display memory laid out for another mode cannot be had back.
    const bool displayMemory = videoBytes_ != 0 || (caps_ & kCapsPrimary) != 0;
    if (displayMemory && modeSerial_ != adapter_.ModeSerial()) return kDeviceWrongMode;
    if (!Allocate()) return kDeviceOutOfMemory;
    lost_ = false;
    return kDeviceOk;
}

DeviceResult Surface::Blit(const SurfaceRect* destination, Surface* source, const SurfaceRect* sourceRect,
                           uint32_t flags, const BlitEffects* effects) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kBlit, (flags & kBlitWait) != 0);
    if (result == kDeviceSurfaceLost) lost_ = true;
    if (result != kDeviceOk) return result;
    if (lost_ || (source != nullptr && source->lost_)) return kDeviceSurfaceLost;
    if (locked_ || (source != nullptr && source->locked_)) return kDeviceSurfaceBusy;

    const SurfaceRect to = destination != nullptr ? *destination : SurfaceRect{0, 0, width_, height_};
    if (!Contains(to)) return kDeviceInvalidArguments;
    if ((flags & kBlitColorFill) != 0) {
        if (effects == nullptr) return kDeviceInvalidArguments;
        FillRect(to, effects->fillColor);
    } else {
        if (source == nullptr) return kDeviceInvalidArguments;
        const SurfaceRect from =
            sourceRect != nullptr ? *sourceRect : SurfaceRect{0, 0, source->width_, source->height_};
        if (!source->Contains(from)) return kDeviceInvalidArguments;
        if (!(source->format_ == format_)) return kDeviceWrongFormat;
        if (from.right - from.left != to.right - to.left || from.bottom - from.top != to.bottom - to.top) {
            return kDeviceUnsupported;
        }
        // Row by row in place: within one surface a blit may overlap
        // itself, so rows go bottom up when the target lies below the
        // source, and memmove takes care of a row's own overlap. No copy
        // of the source is made, as a frame's blits are many and large.
        const size_t bytes = size_t(format_.BytesPerPixel());
        const size_t rowBytes = size_t(to.right - to.left) * bytes;
        const int32_t rows = to.bottom - to.top;
        const bool upward = source == this && to.top > from.top;
        for (int32_t i = 0; i < rows; ++i) {
            const int32_t y = upward ? rows - 1 - i : i;
            const uint8_t* const fromRow =
                source->memory_.get() + size_t(from.top + y) * size_t(source->pitch_) + size_t(from.left) * bytes;
            uint8_t* const toRow = memory_.get() + size_t(to.top + y) * size_t(pitch_) + size_t(to.left) * bytes;
            std::memmove(toRow, fromRow, rowBytes);
        }
    }
    ShowIfVisible();
    return kDeviceOk;
}

DeviceResult Surface::Flip(Surface* target, uint32_t flags) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kFlip, (flags & kFlipWait) != 0);
    if (result == kDeviceSurfaceLost) lost_ = true;
    if (result != kDeviceOk) return result;

    std::vector<Surface*> chain{this};
    for (Surface* s = this; !s->attached_.empty() && (s->attached_.front()->caps_ & kCapsFlip) != 0;) {
        s = s->attached_.front().get();
        chain.push_back(s);
    }
    if ((caps_ & kCapsFlip) == 0 || chain.size() < 2) return kDeviceUnsupported;
    if (target != nullptr && target != chain[1]) return kDeviceInvalidArguments;
    for (const Surface* s : chain) {
        if (s->lost_) return kDeviceSurfaceLost;
        if (s->locked_) return kDeviceSurfaceBusy;
    }
    // The back buffer's memory comes to the front and the front's goes to
    // the end of the chain; the surfaces themselves stay where they are.
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        std::swap(chain[i]->memory_, chain[i + 1]->memory_);
        std::swap(chain[i]->pitch_, chain[i + 1]->pitch_);
    }
    ShowIfVisible();
    return kDeviceOk;
}

DeviceResult Surface::GetAttachedSurface(uint32_t caps, std::shared_ptr<Surface>* attached) {
    if (attached == nullptr) return kDeviceInvalidArguments;
    const DeviceResult result = adapter_.Enter(DisplayCall::kGetAttachedSurface);
    if (result != kDeviceOk) return result;
    for (const std::shared_ptr<Surface>& surface : attached_) {
        if ((surface->caps_ & caps) == caps) {
            *attached = surface;
            return kDeviceOk;
        }
    }
    return kDeviceNotFound;
}

DeviceResult Surface::AddAttachedSurface(std::shared_ptr<Surface> surface) {
    if (surface == nullptr || surface.get() == this) return kDeviceInvalidArguments;
    attached_.push_back(std::move(surface));
    return kDeviceOk;
}

DeviceResult Surface::SetPalette(std::shared_ptr<DevicePalette> palette) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kSetPalette);
    if (result != kDeviceOk) return result;
    if (palette != nullptr && !format_.IsIndexed()) return kDeviceWrongFormat;
    palette_ = std::move(palette);
    return kDeviceOk;
}

void Surface::ShowIfVisible() const {
    if ((caps_ & kCapsPrimary) == 0 || lost_ || !memory_) return;
    const DisplayPalette* colours = nullptr;
    if (format_.IsIndexed()) colours = palette_ != nullptr ? &palette_->Entries() : &adapter_.SystemPalette();
    DisplayPresenter::Current().Present(memory_.get(), width_, height_, pitch_, format_, colours);
}

void Surface::FillRect(const SurfaceRect& r, uint32_t value) {
    const size_t bytes = size_t(format_.BytesPerPixel());
    const size_t rowBytes = size_t(r.right - r.left) * bytes;
    uint8_t* const first = memory_.get() + size_t(r.top) * size_t(pitch_) + size_t(r.left) * bytes;
    // One pixel (little-endian), doubled across the first row, and that row
    // copied down: a frame clears the whole surface, so a store per byte
    // would cost more than the drawing.
    for (size_t b = 0; b < bytes; ++b) first[b] = uint8_t(value >> (8 * b));
    for (size_t done = bytes; done < rowBytes;) {
        const size_t more = std::min(done, rowBytes - done);
        std::memcpy(first + done, first, more);
        done += more;
    }
    for (int32_t y = r.top + 1; y < r.bottom; ++y) {
        std::memcpy(memory_.get() + size_t(y) * size_t(pitch_) + size_t(r.left) * bytes, first, rowBytes);
    }
}

bool Surface::Contains(const SurfaceRect& r) const {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width_ &&
           r.bottom <= height_;
}

Surface* Surface::DepthBuffer() const {
    for (const std::shared_ptr<Surface>& s : attached_) {
        if ((s->caps_ & kCapsDepthBuffer) != 0) return s.get();
    }
    return nullptr;
}

DeviceResult Surface::SetColorKey(uint32_t low, uint32_t high) {
    hasColorKey_ = true;
    colorKeyLow_ = low;
    colorKeyHigh_ = high;
    return kDeviceOk;
}

DeviceResult Surface::Load(Surface& source) {
    const DeviceResult result = adapter_.Enter(DisplayCall::kLoadTexture);
    if (result != kDeviceOk) return result;
    if (lost_ || source.lost_) return kDeviceSurfaceLost;
    if (locked_ || source.locked_) return kDeviceSurfaceBusy;
    if ((caps_ & kCapsTexture) == 0 || source.width_ != width_ || source.height_ != height_ ||
        !(source.format_ == format_)) {
        return kDeviceInvalidArguments;
    }
    const size_t rowBytes = size_t(width_) * size_t(format_.BytesPerPixel());
    for (int32_t y = 0; y < height_; ++y) {
        std::memcpy(memory_.get() + size_t(y) * size_t(pitch_), source.memory_.get() + size_t(y) * size_t(source.pitch_),
                    rowBytes);
    }
    palette_ = source.palette_;
    hasColorKey_ = source.hasColorKey_;
    colorKeyLow_ = source.colorKeyLow_;
    colorKeyHigh_ = source.colorKeyHigh_;
    return kDeviceOk;
}

}  // namespace platform
