#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/DisplayPalette.h"
#include "platform/PixelLayout.h"

namespace platform {

class LogicalPalette;
class Window;
class WindowGraphics;

// How CopyBits reads the colour table after the header.
enum class ColorUse : uint32_t {
    kRgbColors = 0,         // colours in the pixels: 16-bit frames, which need no table
    kPaletteIndices = 1,    // u16 indices into the context's realised palette: 8-bit frames
};

// What a program draws into one window through: the palette it selected
// and realised, and the window's picture, which every copy into the window
// hands to the current DisplayPresenter whole. The picture takes the size
// and layout of the frames copied into it (the window is made the size of
// the game's frame); a frame of another size or layout starts it afresh,
// black. Made by WindowGraphics::GetContext; deleting it releases it.
class DeviceContext {
public:
    // CopyBits' result when nothing could be copied or the call failed.
    static constexpr int32_t kNothingCopied = 0;
    // RealizePalette's result when the call failed.
    static constexpr int32_t kRealizeFailed = -1;

    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // Makes `palette` the one the next RealizePalette takes its colours
    // from; a foreground palette may claim every entry of an indexed screen,
    // a background one only what the foreground window leaves. `previous`,
    // when given, receives the palette selected until now (null: the
    // default). False, changing nothing, when the call fails or `palette` is
    // null.
    bool SelectPalette(std::shared_ptr<LogicalPalette> palette, bool background,
                       std::shared_ptr<LogicalPalette>* previous = nullptr);
    // The selected palette's colours become those that palette indices
    // show; the number of entries mapped (0 for the default palette), or
    // kRealizeFailed.
    int32_t RealizePalette();

    // Copies a `width` x `height` block of the frame at `bits` whose source
    // corner is (`sourceX`, `sourceY`) to (`destX`, `destY`) of the window,
    // then shows the window's picture. Source rows count from the bottom of
    // the frame, whichever way its rows run in memory: `sourceY` is the
    // block's bottom row, so its top row is sourceY + height - 1 from the
    // bottom. `bits` holds the frame's scan lines `firstScan` up to
    // firstScan + scanCount - 1, counted from the bottom too; rows outside
    // them, outside the frame or outside the window are passed over.
    // `header` is the frame's BitmapHeader and colour table: 8-bit frames
    // with kPaletteIndices and a table of palette indices, or 16-bit 5-5-5
    // frames with kRgbColors. The number of rows copied, kNothingCopied
    // when none was or the call failed.
    int32_t CopyBits(int32_t destX, int32_t destY, int32_t width, int32_t height, int32_t sourceX, int32_t sourceY,
                     int32_t firstScan, int32_t scanCount, const uint8_t* bits, std::span<const uint8_t> header,
                     ColorUse use);

    Window* GetWindow() const { return window_; }
    // Null while the default palette is selected.
    const LogicalPalette* SelectedPalette() const { return selected_.get(); }
    bool IsBackgroundPalette() const { return background_; }
    // The colours of palette indices as last realised; the screen's system
    // colours before the first RealizePalette.
    const DisplayPalette& RealizedColors() const { return realized_; }

private:
    friend class WindowGraphics;

    DeviceContext(WindowGraphics& graphics, Window* window);

    // Sizes the picture for a frame, black when it changes.
    void FitPicture(int32_t width, int32_t height, const PixelLayout& format);
    void ShowPicture() const;

    WindowGraphics& graphics_;
    Window* const window_;
    std::shared_ptr<LogicalPalette> selected_;
    bool background_ = false;
    DisplayPalette realized_;
    int32_t pictureWidth_ = 0;
    int32_t pictureHeight_ = 0;
    PixelLayout pictureFormat_{};
    std::vector<uint8_t> picture_;   // rows top to bottom, no padding
};

}  // namespace platform
