#pragma once
#include <cstdint>
#include <memory>

#include "display/DisplayDriver.h"
#include "platform/DeviceContext.h"
#include "platform/LogicalPalette.h"

// The display kind that needs no display hardware: the frame is a top-down
// bitmap in ordinary memory that the screen canvases draw into, 8-bit
// indexed or 16-bit 5-5-5, and Present copies its dirty rectangle into the
// window through the window's device context. 8-bit modes keep a logical
// palette selected and realised there. The display device serves only to
// switch to a full-screen mode.
class DibDriver final : public DisplayDriver {
public:
    // The bitmap header with its table of 256 palette indices.
    static constexpr int32_t kHeaderBytes = 552;

    // Not opened: openResult stays kDisplayNotOpened.
    DibDriver();
    // Opens at once; openResult tells how that went.
    explicit DibDriver(platform::Window* window);
    // Puts back the desktop's mode when SetMode changed it, then closes.
    ~DibDriver() override;

    // Takes the window's context and a display device.
    int32_t Open() override;
    // Keeps only kModeFullScreen of the mode flags. Depths 8, and 15 or 16
    // (both shown as 5-5-5, two bytes a pixel, stored as 15); a 16-bit mode
    // wants a 5-5-5 palette and refuses anything else, a null palette too,
    // before allocating. kDisplayCallFailed also when the 8-bit palette
    // cannot be made, selected or realised.
    int32_t SetMode(int32_t width, int32_t height, int32_t depth, Palette* palette, uint32_t modeFlags) override;
    // Stores the palette. 8-bit modes then make a logical palette of its
    // colours with the brightness applied, selected and realised:
    // kDisplayUnsupported for a null palette, kDisplayCallFailed when the
    // mode is not set or the palette cannot be made, selected or realised.
    int32_t SetPaletteEntries(Palette* palette, int32_t brightness) override;
    int32_t Close() override;
    // Copies the dirty rectangle, cut to the frame; kDisplayOk whatever the
    // copy did.
    int32_t Present() override;
    int32_t SpareQuery() override;

    uint8_t* header = nullptr;     // kHeaderBytes, from the engine's allocation functions
    std::unique_ptr<platform::DeviceContext> deviceContext;   // the window's, taken at Open
    // height rows of width pixels of 1 or 2 bytes, top to bottom, from the
    // engine's allocation functions. The window copy reads rows padded to 4
    // bytes, so rows lie `pitch` bytes apart; a canvas on the frame takes it.
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    std::shared_ptr<platform::LogicalPalette> logicalPalette;   // 8-bit modes only
    platform::Window* window = nullptr;

private:
    // Makes, selects (foreground) and realises a logical palette of
    // `colours`, replacing the one before; kDisplayOk or kDisplayCallFailed.
    int32_t InstallPalette(const DisplayPalette& colours);
};
