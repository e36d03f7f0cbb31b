#pragma once
#include <cstdint>
#include <string>

#include "platform/DisplayPalette.h"
#include "platform/PixelLayout.h"

namespace platform {

// Where finished frames go: the visible surface hands over its pixels
// whenever it changes (a flip, a blit or fill to it, an unlock after direct
// drawing). A headless presenter keeps the last frame; a window shows it.
class DisplayPresenter {
public:
    virtual ~DisplayPresenter() = default;

    // `pixels` holds `height` rows of `width` pixels, `pitch` bytes apart, in
    // `format`. `palette` gives the colours of indexed frames and is null for
    // direct colour. Nothing is kept past the call: copy what is needed.
    virtual void Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                         const PixelLayout& format, const DisplayPalette* palette) = 0;

    // Writes the frame last presented as a PNG picture; false when there is
    // none or the file cannot be written.
    virtual bool WriteImage(const std::string& path) const = 0;

    // The presenter in use: the system's unless another was installed.
    static DisplayPresenter& Current();
    // Installs `presenter` (null restores the system's); returns the previous one.
    static DisplayPresenter* Install(DisplayPresenter* presenter);
};

// The presenter of a process without a window: a HeadlessPresenter.
DisplayPresenter& SystemDisplayPresenter();

}  // namespace platform
