#include "scene/MaterialForm.h"

#include <cstring>
#include <new>
#include <span>

#include "display/Palette.h"
#include "display/PixelImage.h"
#include "display/RunLength.h"
#include "engine/ByteOrder.h"
#include "engine/IffFile.h"
#include "engine/ScopedEngineBlock.h"
#include "scene/Material.h"

namespace {

constexpr uint32_t kSingleForm = MakeTag("EMTL");
constexpr uint32_t kAnimatedForm = MakeTag("EMT1");
constexpr uint32_t kSceneForm = MakeTag("ESEN");
constexpr uint32_t kMeshForm = MakeTag("EMSH");
constexpr uint32_t kTerrainForm = MakeTag("ETER");
constexpr uint32_t kHeaderChunk = MakeTag("MHDR");
constexpr uint32_t kBodyChunk = MakeTag("BODY");
// The most one block may take: a size the engine's allocation can hand out.
constexpr uint64_t kLargestBlock = 0x7FFFFFFF;
constexpr uint8_t kTransparentIndex = 255;
constexpr uint8_t kOpaqueAlpha = 11;   // an alpha below this is transparent

uint32_t BytesPerPixel(uint8_t format) { return format <= 2 ? 1 : format == 3 ? 3 : 4; }

// One true-colour pixel as an index.
uint8_t MapPixel(const uint8_t* pixel, uint32_t bytes, const Palette& palette) {
    if (bytes == 4 && pixel[3] < kOpaqueAlpha) return kTransparentIndex;
    return palette.MatchColor(uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8 | uint32_t(pixel[2]) << 16);
}

// The run-length code of true-colour bodies: a signed control byte n, then
// n + 1 literal pixels (n >= 0) or one pixel standing for 1 - n (n < 0).
Status DecodeTrueColourRuns(std::span<const uint8_t> input, uint32_t bytes, std::span<uint8_t> output) {
    size_t in = 0, out = 0;
    while (out < output.size()) {
        if (in >= input.size()) return kStatusMaterialBadData;
        const int8_t control = int8_t(input[in++]);
        const size_t pixels = control >= 0 ? size_t(control) + 1 : size_t(1 - control);
        if (pixels * bytes > output.size() - out) return kStatusMaterialBadData;
        const size_t taken = control >= 0 ? pixels * bytes : bytes;
        if (taken > input.size() - in) return kStatusMaterialBadData;
        for (size_t i = 0; i < pixels; ++i) {
            std::memcpy(output.data() + out, input.data() + in + (control >= 0 ? i * bytes : 0), bytes);
            out += bytes;
        }
        in += taken;
    }
    // Every control byte writes at least one pixel: runs left over would
    // write past the picture.
    return in == input.size() ? kStatusOk : kStatusMaterialBadData;
}

}  // namespace

bool IsMaterialForm(const IffFile& iff, bool acceptSingle) {
    if (iff.ChunkId() != IffFile::kFormId) return false;
    return iff.FormType() == kAnimatedForm || (acceptSingle && iff.FormType() == kSingleForm);
}

bool IsMaterialContainer(const IffFile& iff) {
    const uint32_t type = iff.FormType();
    return iff.ChunkId() == IffFile::kFormId && (type == kSceneForm || type == kMeshForm || type == kTerrainForm);
}

Status ReadMaterialHeader(IffFile& iff, const char* wanted, MaterialHeader* header) {
    if (iff.FindChunk(kHeaderChunk) != kStatusOk || iff.ChunkSize() != kMaterialHeaderBytes) {
        return kStatusMaterialBadData;
    }
    uint8_t bytes[kMaterialHeaderBytes];
    if (iff.ReadChunk(bytes, sizeof bytes) != kStatusOk) return kStatusMaterialReadFailed;
    std::memcpy(header->name, bytes, Material::kNameLength);
    header->name[Material::kNameLength] = '\0';
    header->width = LoadLe16(bytes + 16);
    header->height = LoadLe16(bytes + 18);
    header->frameCount = LoadLe16(bytes + 20);
    header->format = bytes[22];
    header->encoding = bytes[23];
    header->flags = LoadLe32(bytes + 24);
    if (wanted != nullptr && std::strncmp(header->name, wanted, Material::kNameLength) != 0) {
        return kStatusMaterialNotFound;
    }
    return kStatusOk;
}

Status CheckMaterialHeader(const MaterialHeader& header, uint16_t minFrames, const Palette* palette) {
    if (header.frameCount < minFrames || header.encoding > 1 || header.format < 1 || header.format > 4) {
        return kStatusMaterialUnsupported;
    }
    // An image record keeps its sides in 16 signed bits.
    if (header.width == 0 || header.height == 0 || header.width > 0x7FFF || header.height > 0x7FFF) {
        return kStatusMaterialUnsupported;
    }
    if (header.format >= 3 && palette == nullptr) return kStatusMaterialNeedsPalette;
    return kStatusOk;
}

Status DecodeMaterialBody(IffFile& iff, const MaterialHeader& header, Palette* palette, uint8_t* pixels) {
    if (iff.FindChunk(kBodyChunk) != kStatusOk || iff.ChunkSize() == 0) return kStatusMaterialBadData;
    const uint32_t bytes = BytesPerPixel(header.format);
    const uint64_t count = uint64_t(header.width) * header.height;
    const uint64_t raw = count * bytes;
    const uint32_t size = iff.ChunkSize();
    const std::span<uint8_t> frame(pixels, size_t(count));

    if (header.encoding == 1 && size < raw) {
        ScopedEngineBlock code(size);
        if (code.Get() == nullptr) return kStatusMaterialNoMemory;
        if (iff.ReadChunk(code.Get(), size) != kStatusOk) return kStatusMaterialReadFailed;
        const std::span<const uint8_t> input(code.Get(), size);
        if (bytes == 1) {
            return DecodeRunLength(input, frame, 1) == RunLengthResult::kDone ? kStatusOk : kStatusMaterialBadData;
        }
        ScopedEngineBlock expanded{static_cast<size_t>(raw)};
        if (expanded.Get() == nullptr) return kStatusMaterialNoMemory;
        const Status decoded = DecodeTrueColourRuns(input, bytes, std::span<uint8_t>(expanded.Get(), size_t(raw)));
        if (decoded != kStatusOk) return decoded;
        for (uint64_t i = 0; i < count; ++i) frame[i] = MapPixel(expanded.Get() + i * bytes, bytes, *palette);
        return kStatusOk;
    }
    if (size != raw) return kStatusMaterialBadData;
    if (bytes == 1) return iff.ReadChunk(pixels, size) == kStatusOk ? kStatusOk : kStatusMaterialReadFailed;
    ScopedEngineBlock colours(size);
    if (colours.Get() == nullptr) return kStatusMaterialNoMemory;
    if (iff.ReadChunk(colours.Get(), size) != kStatusOk) return kStatusMaterialReadFailed;
    for (uint64_t i = 0; i < count; ++i) frame[i] = MapPixel(colours.Get() + i * bytes, bytes, *palette);
    return kStatusOk;
}

char* CopyMaterialName(const char* name) {
    char* const copy = static_cast<char*>(EngineAllocate(Material::kNameLength + 1));
    if (copy == nullptr) return nullptr;
    std::memset(copy, 0, Material::kNameLength + 1);
    std::strncpy(copy, name, Material::kNameLength);
    return copy;
}

Status LeaveForm(IffFile& iff, Status result) {
    iff.Ascend();
    return result;
}

PixelImage* NewImageBlock(uint32_t frames, uint32_t width, uint32_t height, bool keyed, Palette* palette) {
    const uint64_t frameBytes = uint64_t(width) * height;
    const uint64_t total = uint64_t(frames) * sizeof(PixelImage) + uint64_t(frames) * frameBytes;
    if (frames == 0 || total > kLargestBlock) return nullptr;
    void* const memory = EngineAllocate(size_t(total));
    if (memory == nullptr) return nullptr;
    std::memset(memory, 0, size_t(total));
    PixelImage* const images = static_cast<PixelImage*>(memory);
    for (uint32_t i = 0; i < frames; ++i) {
        PixelImage* const image = ::new (static_cast<void*>(images + i))
            PixelImage(PixelImage::kFormat8Bit | (keyed ? PixelImage::kFlagKeyed : 0));
        image->width = int16_t(width);
        image->height = int16_t(height);
        image->pixels = reinterpret_cast<uint8_t*>(images + frames) + i * frameBytes;
        image->palette = palette;
    }
    return images;
}

void FreeImageBlock(PixelImage* block, uint32_t frames) {
    if (block == nullptr) return;
    for (uint32_t i = 0; i < frames; ++i) block[i].~PixelImage();
    EngineRelease(block);
}

uint8_t* FramePixels(PixelImage* block, uint32_t frames, uint32_t frame) {
    const uint64_t frameBytes = uint64_t(uint16_t(block[0].width)) * uint16_t(block[0].height);
    return reinterpret_cast<uint8_t*>(block + frames) + frame * frameBytes;
}
