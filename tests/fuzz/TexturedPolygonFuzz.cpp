// Draws textured polygons of any shape with images of any format, size and
// palette kind on both software canvases. The image's pixel block is exactly
// as large as its format and size say, so a span that reads a byte past it
// aborts through the sanitizers. Of the picture only one thing is checked:
// a polygon the canvas calls empty leaves every pixel as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "canvas/SoftCanvas16.h"
#include "canvas/SoftCanvas8.h"
#include "display/PixelFormat.h"
#include "display/PixelImage.h"
#include "tests/support/DistinctPalette.h"

namespace {

// Bytes taken from the front of the input; zeros once it runs out.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    float Float() {
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits |= uint32_t(Byte()) << (8 * i);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

constexpr uint32_t kFormats[] = {PixelImage::kFormat1Bit, PixelImage::kFormat8Bit, PixelImage::kFormat555,
                                 PixelImage::kFormat565, 0x40, 0};
constexpr int16_t kSides[] = {1, 7, 8, 16, 32, 64, 100, 128, 256};
constexpr int32_t kPaletteFormats[] = {kPixelFormatIndexed8, kPixelFormatRgb555, kPixelFormatRgb565};

ScreenVertex Corner(Reader& in) {
    ScreenVertex v;
    // Mostly on or near the canvas, sometimes anything at all.
    const bool wild = (in.Byte() & 7) == 0;
    v.x = wild ? in.Float() : float(int8_t(in.Byte())) + 32.0f;
    v.y = wild ? in.Float() : float(int8_t(in.Byte())) + 32.0f;
    v.depth = float(in.Byte()) / 255.0f;
    v.colour = in.Byte();
    v.intensity = float(in.Byte());
    v.u = wild ? in.Float() : float(in.Byte()) / 64.0f;
    v.v = wild ? in.Float() : float(in.Byte()) / 64.0f;
    v.invZ = wild ? in.Float() : float(in.Byte() + 1) / 64.0f;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    const uint32_t format = kFormats[in.Byte() % std::size(kFormats)];
    PixelImage image(format);
    image.width = kSides[in.Byte() % std::size(kSides)];
    image.height = kSides[in.Byte() % std::size(kSides)];
    const int32_t rowBytes = PixelImage::RowBytes(image.width, format == 0x40 || format == 0 ? 8 : format);
    std::vector<uint8_t> pixels(size_t(rowBytes) * size_t(image.height));
    for (uint8_t& p : pixels) p = in.Byte();
    // The exact block, apart from the vector's own storage.
    std::unique_ptr<uint8_t[]> block(new uint8_t[pixels.size() + (pixels.empty() ? 1 : 0)]);
    std::memcpy(block.get(), pixels.data(), pixels.size());
    image.pixels = block.get();

    const uint8_t paletteChoice = in.Byte() % 4;
    std::unique_ptr<Palette> imagePalette =
        paletteChoice < 3 ? MakeDistinctPalette(kPaletteFormats[paletteChoice]) : nullptr;
    image.palette = imagePalette.get();
    // Shade tables, as a loaded palette has them.
    if (imagePalette != nullptr && imagePalette->SetTables(0, nullptr, nullptr) != kStatusOk) return 0;

    const bool wide = (in.Byte() & 1) != 0;
    const int32_t canvasFormat = wide ? ((in.Byte() & 1) != 0 ? kPixelFormatRgb565 : kPixelFormatRgb555)
                                      : kPixelFormatIndexed8;
    std::unique_ptr<Palette> canvasPalette = MakeDistinctPalette(canvasFormat);
    if (canvasPalette->SetTables(0, nullptr, nullptr) != kStatusOk) return 0;
    const CanvasRect rect{0, 0, 64, 64};
    std::unique_ptr<Canvas> canvas;
    if (wide) {
        canvas = std::make_unique<SoftCanvas16>(&rect, canvasPalette.get(), Canvas::kFlagHasDepth);
    } else {
        canvas = std::make_unique<SoftCanvas8>(&rect, canvasPalette.get(), Canvas::kFlagHasDepth);
    }

    for (int polygon = 0; polygon < 4; ++polygon) {
        const int32_t count = 3 + in.Byte() % 3;
        ScreenVertex v[5];
        for (int32_t i = 0; i < count; ++i) v[i] = Corner(in);
        const uint32_t alpha = in.Byte();
        const bool empty = canvas->FillsNoPixel(count, v);
        const size_t bytes = size_t(canvas->pitch) * size_t(canvas->height);
        std::vector<uint8_t> before;
        if (empty) before.assign(canvas->pixels, canvas->pixels + bytes);
        switch (in.Byte() % 8) {
            case 0: canvas->FillPolygonTextured(count, v, &image); break;
            case 1: canvas->FillPolygonTexturedShaded(count, v, &image); break;
            case 2: canvas->FillPolygonTexturedPersp(count, v, &image); break;
            case 3: canvas->FillPolygonTexturedShadedPersp(count, v, &image); break;
            case 4: canvas->FillPolygonTexturedAlpha(count, v, &image, alpha); break;
            case 5: canvas->FillPolygonTexturedPerspAlpha(count, v, &image, alpha); break;
            case 6: canvas->FillPolygonTexturedShadedAlpha(count, v, &image, alpha); break;
            default: canvas->FillPolygonTexturedShadedPerspAlpha(count, v, &image, alpha); break;
        }
        if (empty && std::memcmp(before.data(), canvas->pixels, bytes) != 0) std::abort();
    }
    image.ReleaseCopies();
    // The canvas may have lent the image its palette: put the image's back
    // before either goes.
    image.palette = nullptr;
    return 0;
}
