#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/DisplayPresenter.h"

namespace platform {

// Keeps a copy of the last frame presented, so that a run without a window
// (and every test) can look at what the screen would show.
class HeadlessPresenter final : public DisplayPresenter {
public:
    void Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, const PixelLayout& format,
                 const DisplayPalette* palette) override;

    // Frames presented since construction or Forget.
    int32_t FrameCount() const { return frameCount_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    const PixelLayout& Format() const { return format_; }
    // The colours the last indexed frame came with; all black otherwise.
    const DisplayPalette& Colors() const { return palette_; }

    // The stored pixel word at (x, y); 0 outside the frame.
    uint32_t RawPixel(int32_t x, int32_t y) const;
    // The colour at (x, y) as 0xRRGGBB, 5- and 6-bit channels widened to
    // 8 bits by repeating their high bits; 0 outside the frame.
    uint32_t Rgb(int32_t x, int32_t y) const;

    // Writes the last frame as a PNG picture; false when there is none or
    // the file cannot be written.
    bool WriteImage(const std::string& path) const override;

    // Drops the frame and the count.
    void Forget();

private:
    int32_t frameCount_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    PixelLayout format_{};
    DisplayPalette palette_{};
    std::vector<uint8_t> pixels_;   // rows without padding
};

}  // namespace platform
