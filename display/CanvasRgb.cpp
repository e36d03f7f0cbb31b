#include "display/CanvasRgb.h"

#include <cstring>

#include "display/Canvas.h"
#include "display/Palette.h"

namespace {

uint8_t Widen5(uint32_t c) { return uint8_t(c << 3 | c >> 2); }
uint8_t Widen6(uint32_t c) { return uint8_t(c << 2 | c >> 4); }

}  // namespace

std::vector<uint8_t> CanvasToRgbBytes(const Canvas& canvas) {
    std::vector<uint8_t> rgb;
    if (canvas.pixels == nullptr || canvas.width <= 0 || canvas.height <= 0) return rgb;
    const bool wide = (canvas.flags & Canvas::kFlag16Bit) != 0;
    const bool is555 = wide && canvas.Is555();
    const int32_t pitch = canvas.pitch != 0 ? canvas.pitch : canvas.width * (wide ? 2 : 1);
    rgb.resize(size_t(canvas.width) * size_t(canvas.height) * 3);
    uint8_t* out = rgb.data();
    for (int32_t y = 0; y < canvas.height; ++y) {
        const uint8_t* const row = canvas.pixels + int64_t(y) * pitch;
        for (int32_t x = 0; x < canvas.width; ++x, out += 3) {
            if (!wide) {
                const uint32_t c = canvas.palette != nullptr ? canvas.palette->GetColor(row[x]) : 0;
                out[0] = uint8_t(c);
                out[1] = uint8_t(c >> 8);
                out[2] = uint8_t(c >> 16);
                continue;
            }
            uint16_t p;
            std::memcpy(&p, row + 2 * x, sizeof p);
            out[0] = Widen5(is555 ? (p >> 10 & 31) : (p >> 11 & 31));
            out[1] = is555 ? Widen5(p >> 5 & 31) : Widen6(p >> 5 & 63);
            out[2] = Widen5(p & 31);
        }
    }
    return rgb;
}
