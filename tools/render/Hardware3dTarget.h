#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Status.h"

class D3DCanvas;
class D3DHalDriver;
class Palette;

// The 3D hardware display kind with its canvas, windowed, as a render
// target of the given size: what the game draws on with driver 2, read
// back as red, green, blue rows.
class Hardware3dTarget {
public:
    Hardware3dTarget();
    ~Hardware3dTarget();

    // kStatusOk, or kStatusPlatformFailed when the driver or the canvas
    // cannot be had. The palette must be 16-bit.
    Status Open(Palette* palette, int32_t width, int32_t height);
    D3DCanvas* Canvas() const { return canvas_.get(); }
    // The drawing surface's pixels as red, green, blue bytes.
    bool ReadRgb(std::vector<uint8_t>* rgb) const;

private:
    std::unique_ptr<D3DHalDriver> driver_;
    std::unique_ptr<D3DCanvas> canvas_;
};
