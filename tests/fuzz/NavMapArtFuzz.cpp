// Reads any bytes as a navigation map's art file: the symbol images of the
// first "OPTI" form and, inside it, of an "OPTS" > "NAVM" level. Loading
// must end, whatever it finds.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "engine/IffFile.h"
#include "navmap/MapScreen.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    MemoryStream stream(bytes);
    IffFile file(&stream, 0);
    file.ValidateHeader();
    if (file.FindForm(MakeTag("OPTI")) != kStatusOk || file.Descend() != kStatusOk) return 0;
    std::vector<std::unique_ptr<Bitmap>> images;
    MapScreen::LoadSymbolImages(file, &images);
    if (file.FindForm(MakeTag("OPTS")) == kStatusOk && file.Descend() == kStatusOk &&
        file.FindForm(MakeTag("NAVM")) == kStatusOk && file.Descend() == kStatusOk) {
        MapScreen::LoadSymbolImages(file, &images);
    }
    // Every image the loader keeps is a bitmap of its own.
    for (const auto& image : images) {
        if (image == nullptr) std::abort();
    }
    return 0;
}
