#include "platform/DeviceContext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/BitmapHeader.h"
#include "platform/DisplayAdapter.h"
#include "platform/DisplayPresenter.h"
#include "platform/LogicalPalette.h"
#include "platform/WindowGraphics.h"

namespace platform {

DeviceContext::DeviceContext(WindowGraphics& graphics, Window* window)
    : graphics_(graphics), window_(window), realized_(DisplayAdapter::Current().SystemPalette()) {
    ++graphics_.liveContexts_;
}

DeviceContext::~DeviceContext() { --graphics_.liveContexts_; }

bool DeviceContext::SelectPalette(std::shared_ptr<LogicalPalette> palette, bool background,
                                  std::shared_ptr<LogicalPalette>* previous) {
    if (!graphics_.Enter(GraphicsCall::kSelectPalette) || palette == nullptr) return false;
    if (previous != nullptr) *previous = selected_;
    selected_ = std::move(palette);
    background_ = background;
    return true;
}

int32_t DeviceContext::RealizePalette() {
    if (!graphics_.Enter(GraphicsCall::kRealizePalette)) return kRealizeFailed;
    if (selected_ == nullptr) {
        realized_ = DisplayAdapter::Current().SystemPalette();
        return 0;
    }
    realized_ = selected_->Entries();
    return selected_->EntryCount();
}

int32_t DeviceContext::CopyBits(int32_t destX, int32_t destY, int32_t width, int32_t height, int32_t sourceX,
                                int32_t sourceY, int32_t firstScan, int32_t scanCount, const uint8_t* bits,
                                std::span<const uint8_t> header, ColorUse use) {
    if (!graphics_.Enter(GraphicsCall::kCopyBits)) return kNothingCopied;
    if (bits == nullptr || header.size() < size_t(BitmapHeader::kSize)) return kNothingCopied;
    const BitmapHeader info = BitmapHeader::Read(header.data());
    if (info.size != uint32_t(BitmapHeader::kSize) || info.planes != 1 ||
        info.compression != BitmapHeader::kUncompressed || info.width <= 0 || info.height == 0 ||
        info.height == INT32_MIN) {
        return kNothingCopied;
    }
    PixelLayout format;
    if (info.bitCount == 8 && use == ColorUse::kPaletteIndices) {
        const size_t tableBytes = size_t(info.ColorTableEntries()) * 2;
        if (header.size() < size_t(BitmapHeader::kColorTableOffset) + tableBytes) return kNothingCopied;
        format = kLayoutIndexed8;
    } else if (info.bitCount == 16 && use == ColorUse::kRgbColors) {
        format = kLayoutRgb555;
    } else {
        return kNothingCopied;
    }
    if (width <= 0 || height <= 0 || scanCount <= 0) return kNothingCopied;

    const int32_t imageWidth = info.width;
    const int32_t imageHeight = std::abs(info.height);
    const bool topDown = info.height < 0;
    const int64_t rowBytes = info.RowBytes();
    const int32_t pixelBytes = format.BytesPerPixel();
    FitPicture(imageWidth, imageHeight, format);

    // Columns inside both the frame and the window.
    const int64_t firstColumn = std::max<int64_t>({0, -int64_t(sourceX), -int64_t(destX)});
    const int64_t endColumn =
        std::min<int64_t>({width, int64_t(imageWidth) - sourceX, int64_t(pictureWidth_) - destX});
    if (endColumn <= firstColumn) return kNothingCopied;
    const size_t columns = size_t(endColumn - firstColumn);

    // The scan lines `bits` holds that the frame has, from the bottom; a
    // top-down frame keeps the highest of them first.
    const int64_t bandBottom = std::max<int64_t>(firstScan, 0);
    const int64_t bandEnd = std::min<int64_t>(int64_t(firstScan) + scanCount, imageHeight);
    const uint16_t tableEntries = uint16_t(info.ColorTableEntries());

    int32_t rows = 0;
    for (int32_t row = 0; row < height; ++row) {
        const int64_t fromBottom = int64_t(sourceY) + height - 1 - row;
        const int64_t y = int64_t(destY) + row;
        if (fromBottom < bandBottom || fromBottom >= bandEnd || y < 0 || y >= pictureHeight_) continue;
        const int64_t memoryRow = topDown ? bandEnd - 1 - fromBottom : fromBottom - firstScan;
        const uint8_t* const source = bits + memoryRow * rowBytes + (sourceX + firstColumn) * pixelBytes;
        uint8_t* const target = picture_.data() + (y * pictureWidth_ + destX + firstColumn) * pixelBytes;
        if (format.IsIndexed()) {
            for (size_t i = 0; i < columns; ++i) {
                // Pixels name entries of the colour table, which name
                // entries of the realised palette.
                const uint16_t index = source[i] < tableEntries ? ReadColorIndex(header.data(), source[i]) : 0;
                target[i] = index < DisplayPalette::kEntryCount ? uint8_t(index) : 0;
            }
        } else {
            std::memcpy(target, source, columns * size_t(pixelBytes));
        }
        ++rows;
    }
    if (rows > 0) ShowPicture();
    return rows;
}

void DeviceContext::FitPicture(int32_t width, int32_t height, const PixelLayout& format) {
    if (width == pictureWidth_ && height == pictureHeight_ && format == pictureFormat_) return;
    pictureWidth_ = width;
    pictureHeight_ = height;
    pictureFormat_ = format;
    picture_.assign(size_t(width) * size_t(height) * size_t(format.BytesPerPixel()), 0);
}

void DeviceContext::ShowPicture() const {
    DisplayPresenter::Current().Present(picture_.data(), pictureWidth_, pictureHeight_,
                                        pictureWidth_ * pictureFormat_.BytesPerPixel(), pictureFormat_,
                                        pictureFormat_.IsIndexed() ? &realized_ : nullptr);
}

}  // namespace platform
