#include "display/XfebCodec.h"

#include <span>

#include "engine/ByteOrder.h"
#include "engine/ScopedEngineBlock.h"
#include "display/ImageStatus.h"
#include "display/RunLength.h"

namespace {

constexpr uint32_t kHeaderChunk = MakeTag("HDR ");
constexpr uint32_t kPaletteChunk = MakeTag("PAL ");
constexpr uint32_t kBodyChunk = MakeTag("BODY");
constexpr uint32_t kHeaderBytes = 16;

}  // namespace

Status XfebCodec::Read(Bitmap* target) {
    target = TargetOr(target);
    IffFile file(stream_, 0);
    Status status = file.ValidateHeader();
    if (status == kStatusOk) {
        status = file.FindForm(kFormType);
    }
    if (status != kStatusOk) {
        target->Free();
        return Fail(status);
    }
    return ReadForm(&file, target);
}

Status XfebCodec::Write(Bitmap* source) {
    IffFile file(stream_, 0);
    Status status = file.ValidateHeader();
    if (status != kStatusOk) {
        return Fail(status);
    }
    status = WriteForm(&file, source);
    // The form must reach the file: a failed flush fails the write.
    const Status finished = file.Finish();
    if (status == kStatusOk && finished != kStatusOk) {
        return Fail(finished);
    }
    return status;
}

Status XfebCodec::ReadForm(IffFile* file, Bitmap* target) {
    target = TargetOr(target);
    const bool isForm = file->ChunkId() == IffFile::kFormId || file->ChunkId() == IffFile::kRiffId;
    if (!isForm || file->FormType() != kFormType) {
        target->Free();
        return Fail(kStatusImageBadFormat);
    }
    if (file->Descend() != kStatusOk) {
        target->Free();
        return Fail(file->LastError());
    }

    Status status = kStatusOk;
    uint8_t header[kHeaderBytes] = {};
    if (file->FindChunk(kHeaderChunk) != kStatusOk || file->ChunkSize() != kHeaderBytes ||
        file->ReadChunk(header, kHeaderBytes) != kStatusOk) {
        status = kStatusImageBadHeader;
    }
    const uint16_t version = LoadLe16(header + 0);
    const uint16_t width = LoadLe16(header + 2);
    const uint16_t height = LoadLe16(header + 4);
    const uint8_t bytesPerPixel = header[6];
    const uint8_t storage = header[7];
    if (status == kStatusOk && (version != kVersion || width == 0 || height == 0 ||
                                storage > kStorageRaw || bytesPerPixel > Bitmap::kMaxDepth)) {
        status = kStatusImageBadFormat;
    }

    target->Free();
    if (status == kStatusOk) {
        target->reserved = 0;
        target->lastPaletteIndex = 0;
        target->width = width;
        target->height = height;
        target->bytesPerPixel = bytesPerPixel;
    }

    if (status == kStatusOk && bytesPerPixel == Bitmap::kDepth8Bit) {
        if (file->FindChunk(kPaletteChunk) != kStatusOk || file->ChunkSize() != Bitmap::kPaletteBytes) {
            status = kStatusImageBadPalette;
        } else if ((status = target->AllocatePalette()) == kStatusOk) {
            if (file->ReadChunk(target->ownedPalette, Bitmap::kPaletteBytes) != kStatusOk) {
                status = kStatusImageBadPalette;
            } else {
                target->lastPaletteIndex = 255;
            }
        }
    }

    if (status == kStatusOk) {
        status = ReadBody(file, target, storage);
    }

    const Status ascended = file->Ascend();
    if (status == kStatusOk) {
        status = ascended;
    }
    if (status != kStatusOk) {
        target->Free();
        return Fail(status);
    }
    return kStatusOk;
}

Status XfebCodec::ReadBody(IffFile* file, Bitmap* target, uint8_t storage) {
    if (file->FindChunk(kBodyChunk) != kStatusOk || file->ChunkSize() == 0) {
        return kStatusImageBadPixels;
    }
    const uint32_t chunkBytes = file->ChunkSize();
    const uint64_t blockBytes = target->PixelBlockSize();

    if (storage == kStorageRaw) {
        // Checked before allocating, so a lying size costs nothing.
        if (chunkBytes != blockBytes) {
            return kStatusImageBadPixels;
        }
        const Status allocated = target->AllocatePixels(false);
        if (allocated != kStatusOk) {
            return allocated;
        }
        return file->ReadChunk(target->ownedPixels, chunkBytes) == kStatusOk ? kStatusOk : kStatusImageBadPixels;
    }

    // A code that ends early leaves the rest of the image zero.
    const Status allocated = target->AllocatePixels(true);
    if (allocated != kStatusOk) {
        return allocated;
    }
    ScopedEngineBlock code(chunkBytes);
    if (code.Get() == nullptr) {
        return kStatusPlatformFailed;
    }
    if (file->ReadChunk(code.Get(), chunkBytes) != kStatusOk) {
        return kStatusImageBadPixels;
    }
    const RunLengthResult decoded =
        DecodeRunLength(target->width, target->height, target->bytesPerPixel, std::span(code.Get(), chunkBytes),
                        std::span(target->ownedPixels, static_cast<size_t>(blockBytes)));
    return decoded == RunLengthResult::kDone ? kStatusOk : kStatusImageBadPixels;
}

Status XfebCodec::WriteForm(IffFile* file, Bitmap* source) {
    source = TargetOr(source);
    if (source->width == 0 || source->height == 0 || source->bytesPerPixel > Bitmap::kMaxDepth) {
        return Fail(kStatusImageBadFormat);
    }
    // A chunk's size is 32 bits; the reader refuses blocks beyond this anyway.
    const uint64_t blockBytes = source->PixelBlockSize();
    if (blockBytes > Bitmap::kMaxPixelBytes) {
        return Fail(kStatusImageBadFormat);
    }
    if (file->BeginForm(kFormType) != kStatusOk) {
        return Fail(file->LastError());
    }

    const bool locks = source->pixels == nullptr && source->palette == nullptr;
    if (locks) {
        source->Lock();
    }
    const auto rawBytes = static_cast<uint32_t>(blockBytes);
    Status status = kStatusOk;
    ScopedEngineBlock code(rawBytes);
    size_t codeBytes = 0;
    if (source->pixels == nullptr) {
        status = kStatusImageBadPixels;
    } else if (code.Get() == nullptr) {
        status = kStatusPlatformFailed;
    } else {
        const std::span<const uint8_t> pixels(source->pixels, rawBytes);
        codeBytes = EncodeRunLength(source->width, source->height, source->bytesPerPixel, pixels,
                                    std::span(code.Get(), rawBytes));
        if (codeBytes == 0) {
            code.Release();
        }
    }

    if (status == kStatusOk) {
        uint8_t header[kHeaderBytes] = {};
        StoreLe16(header + 0, kVersion);
        StoreLe16(header + 2, source->width);
        StoreLe16(header + 4, source->height);
        header[6] = source->bytesPerPixel;
        header[7] = codeBytes != 0 ? kStorageRunLength : kStorageRaw;
        if (file->WriteChunk(kHeaderChunk, header, kHeaderBytes) != kStatusOk) {
            status = file->LastError();
        }
    }
    if (status == kStatusOk && source->bytesPerPixel == Bitmap::kDepth8Bit) {
        if (source->palette == nullptr) {
            status = kStatusImageBadPalette;
        } else if (file->WriteChunk(kPaletteChunk, source->palette, Bitmap::kPaletteBytes) != kStatusOk) {
            status = file->LastError();
        }
    }
    if (status == kStatusOk) {
        const bool coded = codeBytes != 0;
        const uint8_t* const body = coded ? code.Get() : source->pixels;
        const uint32_t bodyBytes = coded ? static_cast<uint32_t>(codeBytes) : rawBytes;
        if (file->WriteChunk(kBodyChunk, body, bodyBytes) != kStatusOk) {
            status = file->LastError();
        }
    }

    if (locks) {
        source->Unlock();
    }
    code.Release();
    const Status ascended = file->Ascend();
    if (status == kStatusOk) {
        status = ascended;
    }
    return status != kStatusOk ? Fail(status) : kStatusOk;
}
