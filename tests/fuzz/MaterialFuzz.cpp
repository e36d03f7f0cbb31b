// Reads any bytes as material forms, "EMTL" and "EMT1", into both material
// kinds, registering some in the world image table, and scans them as a
// material library file. A read either succeeds with an image that locks
// and whose every pixel can be read, or fails and leaves the material
// released; a read out of bounds aborts through the sanitizers, a broken
// promise or a walk left at another level aborts here.
#include <sanitizer/allocator_interface.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "display/PixelFormat.h"
#include "display/PixelImage.h"
#include "engine/EngineHeap.h"
#include "engine/IffFile.h"
#include "engine/WorldContext.h"
#include "scene/AnimatedMaterial.h"
#include "scene/Material.h"
#include "scene/MaterialLibrary.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Every pixel of the locked image is read once.
void Touch(Material& material) {
    material.Lock();
    if (material.image == nullptr) return;
    const PixelImage& image = *material.image;
    unsigned sum = 0;
    for (int i = 0; i < int(image.width) * int(image.height); ++i) sum += image.pixels[i];
    Check(sum < 0xFFFFFFFFu);
    material.Unlock();
}

template <typename Kind>
void ReadAs(const uint8_t* data, size_t size, uint32_t readFlags, Palette* palette) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk || iff.NextChunk() != kStatusOk) return;
    Kind material;
    const Status status = material.ReadForm(iff, nullptr, readFlags, palette);
    Check(iff.Level() == 0);
    if (status == kStatusOk) {
        Touch(material);
    } else {
        Check(material.image == nullptr && std::string(material.name) == Material::kNoName);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool reserved = [] {
        EngineHeap::Reserve(256u * 1024 * 1024, EngineHeap::kModeExact);
        return EngineHeap::IsReserved();
    }();
    Check(reserved);
    static std::unique_ptr<Palette> palette = [] {
        std::unique_ptr<Palette> made = MakeDistinctPalette(kPixelFormatIndexed8);
        made->SetTables(0, nullptr, nullptr);
        return made;
    }();
    WorldContext world(4096, 4096);
    const uint32_t flags = size > 0 && (data[size - 1] & 1) != 0 ? Material::kReadRegister : 0;
    ReadAs<BitmapMaterial>(data, size, flags, palette.get());
    ReadAs<AnimatedMaterial>(data, size, flags, palette.get());
    ReadAs<BitmapMaterial>(data, size, 0, nullptr);

    // The same bytes as a library file.
    char path[] = "/tmp/vorn-material-fuzz-XXXXXX";
    const int fd = mkstemp(path);
    Check(fd >= 0);
    Check(write(fd, data, size) == ssize_t(size));
    close(fd);
    RegisterMaterialLibrary(path);
    unlink(path);
    return 0;
}
