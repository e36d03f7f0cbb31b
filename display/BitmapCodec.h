#pragma once
#include <cstdint>

#include "engine/BufferedFileStream.h"
#include "engine/EngineAllocation.h"
#include "engine/Status.h"
#include "engine/Stream.h"
#include "display/Bitmap.h"

class IffFile;

// Moves a Bitmap between a byte stream and memory; each kind of codec reads
// and writes one file format. A codec is usually made on the stack around a
// caller's bitmap, asked to load or save a file, and dropped. Without a
// caller's stream or bitmap it uses its own.
class BitmapCodec : public EngineObject {
public:
    BitmapCodec();
    explicit BitmapCodec(::Stream* stream);
    explicit BitmapCodec(Bitmap* bitmap);
    BitmapCodec(::Stream* stream, Bitmap* bitmap);
    // Closes the stream, the caller's too; frees only the codec's own bitmap.
    virtual ~BitmapCodec();
    BitmapCodec(const BitmapCodec&) = delete;
    BitmapCodec& operator=(const BitmapCodec&) = delete;

    // A null target or source means the codec's bitmap. A failed read leaves
    // the target without owned blocks. Failures are kept as LastError().
    virtual Status Read(Bitmap* target) = 0;
    virtual Status Write(Bitmap* source) = 0;

    // Frees the target, opens the named file for reading, reads, closes.
    Status LoadFile(const char* name, Bitmap* target = nullptr);
    // Creates (or replaces) the named file, writes, closes.
    Status SaveFile(const char* name, Bitmap* source = nullptr);

    // The cel record: a FORM "XCEL" holding "COOR" (x, y as little-endian
    // 16-bit values) and then the image as a FORM "XFEB". ReadCoorBitmap is
    // called inside the entered cel form and leaves it; it fills the target's
    // position and image. WriteXcelChunk writes the whole form at the file's
    // current position. Both return the first failure, 0 on success.
    static Status ReadCoorBitmap(IffFile* file, Bitmap* target);
    static Status WriteXcelChunk(IffFile* file, Bitmap* source);

    Status LastError() const { return lastError_; }
    ::Stream* Stream() const { return stream_; }
    Bitmap* GetBitmap() const { return bitmap_; }

protected:
    Bitmap* TargetOr(Bitmap* given) const { return given != nullptr ? given : bitmap_; }
    // Stores a non-zero status as the last error and returns it.
    Status Fail(Status status);

    BufferedFileStream ownStream_;
    Bitmap ownBitmap_;
    ::Stream* const stream_;
    Status lastError_ = kStatusOk;  // never reset on success
    Bitmap* const bitmap_;
};
