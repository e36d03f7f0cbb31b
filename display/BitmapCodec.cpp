#include "display/BitmapCodec.h"

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "display/ImageStatus.h"
#include "display/XfebCodec.h"

namespace {

constexpr uint32_t kCelForm = MakeTag("XCEL");
constexpr uint32_t kPositionChunk = MakeTag("COOR");
constexpr uint32_t kPositionBytes = 4;

// The open modes of the file operations: read an existing file; create or
// replace one for writing.
constexpr uint32_t kLoadMode = kOpenRead;
constexpr uint32_t kSaveMode = kOpenWrite | kOpenCreate;

}  // namespace

BitmapCodec::BitmapCodec() : BitmapCodec(nullptr, nullptr) {}

BitmapCodec::BitmapCodec(::Stream* stream) : BitmapCodec(stream, nullptr) {}

BitmapCodec::BitmapCodec(Bitmap* bitmap) : BitmapCodec(nullptr, bitmap) {}

BitmapCodec::BitmapCodec(::Stream* stream, Bitmap* bitmap)
    : stream_(stream != nullptr ? stream : &ownStream_), bitmap_(bitmap != nullptr ? bitmap : &ownBitmap_) {}

BitmapCodec::~BitmapCodec() {
    // The codec's own bitmap and stream go with their members.
    stream_->Close();
}

Status BitmapCodec::LoadFile(const char* name, Bitmap* target) {
    target = TargetOr(target);
    target->Free();
    const Status opened = stream_->Open(name, kLoadMode);
    if (opened != kStatusOk) {
        return Fail(opened);
    }
    const Status status = Read(target);
    stream_->Close();
    return status != kStatusOk ? Fail(status) : kStatusOk;
}

Status BitmapCodec::SaveFile(const char* name, Bitmap* source) {
    const Status opened = stream_->Open(name, kSaveMode);
    if (opened != kStatusOk) {
        return Fail(opened);
    }
    const Status status = Write(source);
    // The close writes what the stream still buffers; losing that is a failed save.
    const Status closed = stream_->Close();
    if (status != kStatusOk) {
        return Fail(status);
    }
    return closed != kStatusOk ? Fail(closed) : kStatusOk;
}

Status BitmapCodec::ReadCoorBitmap(IffFile* file, Bitmap* target) {
    if (target == nullptr) {
        return kStatusImageBadFormat;
    }
    Status status = file->FindChunk(kPositionChunk);
    uint8_t position[kPositionBytes] = {};
    if (status == kStatusOk) {
        // A shorter chunk cannot hold the position; a longer one is refused by the read.
        status = file->ChunkSize() < kPositionBytes ? kStatusIffShortRead
                                                    : file->ReadChunk(position, kPositionBytes);
    }
    if (status == kStatusOk) {
        target->x = static_cast<int16_t>(LoadLe16(position));
        target->y = static_cast<int16_t>(LoadLe16(position + 2));
        status = file->FindForm(XfebCodec::kFormType);
    }
    if (status == kStatusOk) {
        XfebCodec codec(target);
        status = codec.ReadForm(file, target);
    }
    const Status ascended = file->Ascend();
    if (status == kStatusOk) {
        status = ascended;
    }
    if (status != kStatusOk) {
        target->Free();
    }
    return status;
}

Status BitmapCodec::WriteXcelChunk(IffFile* file, Bitmap* source) {
    if (source == nullptr) {
        return kStatusImageBadFormat;
    }
    Status status = file->BeginForm(kCelForm);
    if (status != kStatusOk) {
        return status;
    }
    uint8_t position[kPositionBytes];
    StoreLe16(position, static_cast<uint16_t>(source->x));
    StoreLe16(position + 2, static_cast<uint16_t>(source->y));
    status = file->WriteChunk(kPositionChunk, position, kPositionBytes);
    if (status == kStatusOk) {
        XfebCodec codec(source);
        status = codec.WriteForm(file, source);
    }
    const Status ascended = file->Ascend();
    return status != kStatusOk ? status : ascended;
}

Status BitmapCodec::Fail(Status status) {
    if (status != kStatusOk) {
        lastError_ = status;
    }
    return status;
}
