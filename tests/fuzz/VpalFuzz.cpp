// Reads any bytes as "VPAL" palette data into each palette kind, the way the
// palette file loader does, inside an enclosing form and at the top. A read
// either succeeds, leaving tables the canvases can index, or fails and leaves
// the palette exactly as it was; a read out of bounds aborts through the
// sanitizers, a changed palette after a failure or a walk left at another
// level aborts here.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "display/Palette.h"
#include "display/PaletteLoader.h"
#include "engine/IffFile.h"
#include "tests/support/MemoryStream.h"

namespace {

std::vector<uint8_t> Tables(const Palette& palette) {
    std::vector<uint8_t> out;
    const auto* colors = reinterpret_cast<const uint8_t*>(palette.Colors());
    out.insert(out.end(), colors, colors + 4 * Palette::kColorCount);
    out.insert(out.end(), palette.Conversion().index, palette.Conversion().index + InverseColorTable::kSize);
    const ShadeTable* shades = palette.Shades();
    const uint8_t header[3] = {uint8_t(shades->shift), uint8_t(shades->levels), uint8_t(shades->pivot)};
    out.insert(out.end(), header, header + 3);
    const auto* rows = static_cast<const uint8_t*>(shades->rows);
    out.insert(out.end(), rows, rows + Palette::kShadeEntries * (palette.IsIndexed8() ? 1 : 2));
    return out;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void ReadAs(Palette& palette, const uint8_t* data, size_t size) {
    Check(palette.SetTables(0, nullptr, nullptr) == kStatusOk);
    const std::vector<uint8_t> before = Tables(palette);

    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    iff.ValidateHeader();
    // The palette file loader reads from inside a form; enter the first one
    // when there is one, as it would.
    const bool enclosed = iff.NextChunk() == kStatusOk && iff.ChunkId() == IffFile::kFormId &&
                          iff.FormType() != MakeTag("VPAL") && iff.Descend() == kStatusOk;
    if (!enclosed) {
        iff.Rewind(0);
    }
    const uint32_t level = iff.Level();
    PaletteLoader loader(palette);
    const Status status = loader.Read(iff);
    Check(iff.Level() == level);
    if (status != kStatusOk) {
        Check(Tables(palette) == before);
        return;
    }
    const ShadeTable* shades = palette.Shades();
    Check(shades->shift >= 1 && shades->shift <= Palette::kShadeShift);
    Check(shades->levels >= 1 && shades->levels <= (1u << shades->shift));
    Check(shades->PivotEntry() >= 1 && shades->PivotEntry() < (1u << shades->shift));
    // What was read writes back out (8-bit) or is skipped (16-bit).
    MemoryStream out;
    IffFile writer(&out, 0);
    Check(loader.Write(writer) == kStatusOk);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PaletteIndexed8 indexed;
    PaletteRgb555 rgb555;
    PaletteRgb565 rgb565;
    ReadAs(indexed, data, size);
    ReadAs(rgb555, data, size);
    ReadAs(rgb565, data, size);
    return 0;
}
