#include "tools/render/Hardware3dTarget.h"

#include "canvas/D3DCanvas.h"
#include "display/D3DHalDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "platform/Surface.h"

Hardware3dTarget::Hardware3dTarget() = default;

Hardware3dTarget::~Hardware3dTarget() {
    canvas_.reset();
    driver_.reset();
}

Status Hardware3dTarget::Open(Palette* palette, int32_t width, int32_t height) {
    driver_.reset(new D3DHalDriver(nullptr, "3d"));
    if (driver_ == nullptr || driver_->openResult != kDisplayOk) return kStatusPlatformFailed;
    constexpr uint32_t kWindowed3d = DisplayDriver::kModeDepthBuffer | DisplayDriver::kMode3dDevice;
    if (driver_->SetMode(width, height, 16, palette, kWindowed3d) != kDisplayOk) return kStatusPlatformFailed;
    const CanvasRect rect{0, 0, width, height};
    canvas_.reset(new D3DCanvas(&rect, palette, Canvas::kFlagHasDepth, driver_.get()));
    if (canvas_ == nullptr || canvas_->setupResult != kStatusOk) return kStatusPlatformFailed;
    return kStatusOk;
}

bool Hardware3dTarget::ReadRgb(std::vector<uint8_t>* rgb) const {
    if (driver_ == nullptr || driver_->drawingSurface == nullptr || canvas_ == nullptr || rgb == nullptr) return false;
    driver_->EndScene();
    const platform::Surface& surface = *driver_->drawingSurface;
    const bool is555 = (canvas_->palette->Flags() & Palette::kFlagRgb555) != 0;
    rgb->assign(size_t(canvas_->width) * size_t(canvas_->height) * 3, 0);
    for (int32_t y = 0; y < canvas_->height; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(surface.Memory() + size_t(y) * size_t(surface.Pitch()));
        for (int32_t x = 0; x < canvas_->width; ++x) {
            const PixelChannels c = is555 ? UnpackPixel555(row[x]) : UnpackPixel565(row[x]);
            uint8_t* const out = rgb->data() + (size_t(y) * size_t(canvas_->width) + size_t(x)) * 3;
            out[0] = c.red;
            out[1] = c.green;
            out[2] = c.blue;
        }
    }
    return true;
}
