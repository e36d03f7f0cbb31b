#pragma once
#include <cstdint>

#include "engine/IffFile.h"
#include "engine/Status.h"
#include "display/BitmapCodec.h"

// The system's own image form: a FORM "XFEB" in a chunk file holding
// "HDR " (16 bytes: u16 version 1, u16 width, u16 height, u8 bytes per pixel
// 0..4, u8 storage 0 run-length or 1 raw, 8 zero bytes), "PAL " (1024 bytes,
// 8-bit images only) and "BODY" (the pixel block). Values inside the chunks
// are little-endian.
class XfebCodec : public BitmapCodec {
public:
    static constexpr uint32_t kFormType = MakeTag("XFEB");
    static constexpr uint16_t kVersion = 1;
    static constexpr uint8_t kStorageRunLength = 0;
    static constexpr uint8_t kStorageRaw = 1;

    using BitmapCodec::BitmapCodec;
    ~XfebCodec() override = default;

    // The first top-level XFEB form of the stream.
    Status Read(Bitmap* target) override;
    // One XFEB form at the stream's position.
    Status Write(Bitmap* source) override;

    // The file's current chunk must be the XFEB form (else nothing moves);
    // once inside, the file ends up behind the form, failed or not.
    Status ReadForm(IffFile* file, Bitmap* target);
    // Writes the whole form at the file's current position.
    Status WriteForm(IffFile* file, Bitmap* source);

private:
    Status ReadBody(IffFile* file, Bitmap* target, uint8_t storage);
};
