#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/DisplayPresenter.h"

namespace platform {

// Shows frames in SDL's window (see SdlVideo), opening it on the first
// frame when the main window has not. Indexed frames go through the
// palette that came with them, or the last one that did; 16-bit frames
// through their channel masks (5-5-5 and 5-6-5). Frames of other depths
// are not shown. Without SDL video nothing is shown.
class SdlPresenter final : public DisplayPresenter {
public:
    SdlPresenter() = default;
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    void Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, const PixelLayout& format,
                 const DisplayPalette* palette) override;

    // Frames shown since construction.
    int32_t FrameCount() const { return frameCount_; }
    // The window's contents as 0xRRGGBB, rows packed; false without a window.
    bool Capture(std::vector<uint32_t>* rgb, int32_t* width, int32_t* height) const;
    // Writes the window's contents as a PNG picture.
    bool WriteImage(const std::string& path) const override;

private:
    void ConvertIndexed(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch);
    void ConvertDirect16(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                         const PixelLayout& format);

    int32_t frameCount_ = 0;
    bool holdsWindow_ = false;
    DisplayPalette palette_{};               // the current colours of indexed frames
    PixelLayout directLayout_{};             // the layout directColors_ was made for
    std::vector<uint32_t> directColors_;     // 0xAARRGGBB of every 16-bit pixel value
    std::vector<uint32_t> frame_;            // the converted frame, rows packed
};

}  // namespace platform
