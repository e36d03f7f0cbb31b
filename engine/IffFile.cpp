#include "engine/IffFile.h"

#include <algorithm>
#include <cstdint>

#include "engine/ByteOrder.h"

namespace {

constexpr uint32_t kHeaderBytes = 8;
constexpr uint32_t kFormTypeBytes = 4;
// Streams count in int32_t; larger transfers go in pieces.
constexpr uint32_t kMaxPiece = 0x40000000;

bool IsIdByte(uint8_t byte) { return byte >= 0x20 && byte <= 0x7E; }

bool IsValidId(const uint8_t* bytes) {
    return IsIdByte(bytes[0]) && IsIdByte(bytes[1]) && IsIdByte(bytes[2]) && IsIdByte(bytes[3]);
}

}  // namespace

IffFile::IffFile(uint32_t modeFlags) : modeFlags_(modeFlags), stream_(&fileStream_) {}

IffFile::IffFile(::Stream* stream, uint32_t modeFlags)
    : modeFlags_(modeFlags), stream_(stream != nullptr ? stream : &fileStream_) {}

IffFile::~IffFile() { Finish(); }

void IffFile::Reset() {
    level_ = 0;
    unreadCount_ = 0;
    formType_ = 0;
    chunkId_ = 0;
    chunkSize_ = 0;
}

Status IffFile::OpenFile(const char* name, uint32_t openMode) {
    const Status status = stream_->Open(name, openMode | kOpenRead);
    if (status != kStatusOk) {
        return Fail(status);
    }
    return ValidateHeader();
}

Status IffFile::CloseFile() {
    const Status finished = Finish();
    const Status closed = stream_->Close();
    if (closed != kStatusOk) {
        return Fail(closed);
    }
    return finished;
}

Status IffFile::ValidateHeader() {
    if (!stream_->IsReadable() && !stream_->IsWritable()) {
        return Fail(kStatusStreamNotUsable);
    }
    Reset();
    const int32_t start = stream_->Seek(0, 1);
    const int32_t length = stream_->Length();
    if (start < 0 || length < 0) {
        return Fail(StreamError(kStatusIffBadHeader));
    }
    position_ = static_cast<uint32_t>(start);
    fileLength_ = static_cast<uint32_t>(length);
    if (fileLength_ == 0) {
        return kStatusOk;
    }
    uint8_t header[kHeaderBytes];
    const bool valid = ReadBytes(header, kHeaderBytes) == kHeaderBytes && IsValidId(header) &&
                       uint64_t{position_} + kHeaderBytes + DecodeSize(header + 4) <= fileLength_;
    SeekTo(position_);
    return valid ? kStatusOk : Fail(kStatusIffBadHeader);
}

Status IffFile::Finish() {
    Status result = kStatusOk;
    if (stream_->IsWritable()) {
        // A failed ascend keeps its level; stop rather than retry it forever.
        while (level_ > 0 && result == kStatusOk) {
            result = Ascend();
        }
    }
    Reset();
    // A file only read has nothing to write out, and a flush is a sync to the
    // disk: reading a file must not wait on one.
    if (stream_->IsOpen() && stream_->IsWritable()) {
        const Status flushed = stream_->Flush();
        if (flushed != kStatusOk) {
            Fail(flushed);
            if (result == kStatusOk) {
                result = flushed;
            }
        }
    }
    return result;
}

Status IffFile::NextChunk() {
    if (unreadCount_ != 0) {
        // Skip what is left of the current chunk and its pad byte.
        const uint64_t target = uint64_t{position_} + unreadCount_ + PadFor(chunkSize_);
        if (!SeekTo(target)) {
            return Fail(StreamError(kStatusIffShortRead));
        }
        unreadCount_ = 0;
    }

    uint64_t limit = fileLength_;
    if (level_ > 0) {
        const FormLevel& form = levels_[level_ - 1];
        limit = uint64_t{form.firstChunk} + form.contentSize;
    }
    if (position_ >= limit) {
        chunkId_ = 0;
        return Fail(kStatusEndOfData);
    }

    uint8_t header[kHeaderBytes];
    if (ReadBytes(header, kHeaderBytes) != kHeaderBytes) {
        SeekTo(position_);
        return Fail(kStatusIffShortRead);
    }
    if (!IsValidId(header)) {
        SeekTo(position_);
        return Fail(kStatusIffBadId);
    }
    const uint32_t size = DecodeSize(header + 4);
    // The pad byte is left out: writers often omit the last one.
    if (uint64_t{position_} + kHeaderBytes + size > limit) {
        SeekTo(position_);
        return Fail(kStatusIffBadHeader);
    }

    position_ += kHeaderBytes;
    chunkId_ = LoadLe32(header);
    chunkSize_ = size;
    unreadCount_ = size;
    if (chunkId_ != GroupId()) {
        return kStatusOk;
    }
    // Peek at the form type; it stays unread data of the group chunk.
    uint8_t formType[kFormTypeBytes];
    const bool typed = size >= kFormTypeBytes && ReadBytes(formType, kFormTypeBytes) == kFormTypeBytes;
    SeekTo(position_);
    if (!typed) {
        return Fail(kStatusIffBadForm);
    }
    formType_ = LoadLe32(formType);
    return kStatusOk;
}

Status IffFile::Rewind(uint32_t readFirst) {
    unreadCount_ = 0;
    chunkId_ = 0;
    chunkSize_ = 0;
    const uint32_t first = level_ > 0 ? levels_[level_ - 1].firstChunk : 0;
    if (!SeekTo(first)) {
        return Fail(StreamError(kStatusIffShortRead));
    }
    return readFirst != 0 ? NextChunk() : kStatusOk;
}

Status IffFile::FindChunk(uint32_t id) {
    // Each step moves forward by at least a header, so the walk ends.
    while (NextChunk() == kStatusOk) {
        if (chunkId_ == id) {
            return kStatusOk;
        }
    }
    return kStatusIffChunkNotFound;
}

Status IffFile::FindForm(uint32_t formType) {
    while (NextChunk() == kStatusOk) {
        if (chunkId_ == GroupId() && formType_ == formType) {
            return kStatusOk;
        }
    }
    return kStatusIffFormNotFound;
}

Status IffFile::ReadChunk(void* buffer) {
    if (unreadCount_ == 0) {
        return Fail(kStatusIffShortRead);
    }
    const int64_t got = ReadBytes(buffer, unreadCount_);
    if (got < 0) {
        // Nothing is known to be consumed: back to the data so that the
        // chunk can still be skipped.
        const Status error = StreamError(kStatusIffShortRead);
        SeekTo(position_);
        return Fail(error);
    }
    if (got < unreadCount_) {
        position_ += static_cast<uint32_t>(got);
        unreadCount_ -= static_cast<uint32_t>(got);
        return Fail(kStatusIffShortRead);
    }
    const uint64_t behind = uint64_t{position_} + unreadCount_ + PadFor(chunkSize_);
    unreadCount_ = 0;
    position_ += static_cast<uint32_t>(got);
    // Past the end of the file when the last pad byte is missing: harmless,
    // the next step finds the end of the level.
    if (!SeekTo(behind)) {
        return Fail(StreamError(kStatusIffShortRead));
    }
    return kStatusOk;
}

Status IffFile::ReadChunk(void* buffer, uint32_t capacity) {
    if (unreadCount_ > capacity) {
        return Fail(kStatusIffChunkTooLarge);
    }
    return ReadChunk(buffer);
}

Status IffFile::Descend() {
    if (chunkId_ != GroupId()) {
        return Fail(kStatusIffNotAForm);
    }
    if (level_ >= kMaxLevels) {
        return Fail(kStatusIffTooDeep);
    }
    if (unreadCount_ < kFormTypeBytes) {
        return Fail(kStatusIffBadForm);
    }
    uint8_t formType[kFormTypeBytes];
    if (ReadBytes(formType, kFormTypeBytes) != kFormTypeBytes) {
        SeekTo(position_);
        return Fail(kStatusIffBadForm);
    }
    position_ += kFormTypeBytes;
    formType_ = LoadLe32(formType);
    levels_[level_] = FormLevel{formType_, 0, position_, unreadCount_ - kFormTypeBytes};
    ++level_;
    unreadCount_ = 0;
    chunkId_ = 0;
    return kStatusOk;
}

Status IffFile::Ascend() {
    if (level_ == 0) {
        return kStatusOk;
    }
    const FormLevel& form = levels_[level_ - 1];
    if (form.flags & kLevelChanged) {
        uint8_t size[4];
        EncodeSize(form.contentSize + kFormTypeBytes, size);
        if (form.firstChunk < kHeaderBytes || !SeekTo(form.firstChunk - kHeaderBytes) ||
            WriteBytes(size, sizeof size) != sizeof size) {
            const Status error = StreamError(kStatusShortWrite);
            SeekTo(position_);
            return Fail(error);
        }
    }
    const uint64_t behind = uint64_t{form.firstChunk} + form.contentSize + PadFor(form.contentSize);
    if (!SeekTo(behind)) {
        const Status error = StreamError(kStatusIffShortRead);
        SeekTo(position_);
        return Fail(error);
    }
    unreadCount_ = 0;
    chunkId_ = 0;
    --level_;
    formType_ = level_ > 0 ? levels_[level_ - 1].formType : 0;
    return kStatusOk;
}

Status IffFile::WriteChunk(uint32_t id, const void* data, uint32_t size) {
    static constexpr uint8_t kPad = 0;
    // The file beneath may take bytes the stream was never opened to write.
    if (!stream_->IsWritable()) {
        return Fail(kStatusStreamNotUsable);
    }
    if (chunkId_ != 0) {
        if (chunkId_ != id || unreadCount_ != size) {
            return Fail(kStatusIffChunkCurrent);
        }
        // Rewrite in place: the stream stands at the unread data, which end
        // where the chunk ends.
        const uint32_t pad = PadFor(chunkSize_);
        if (WriteBytes(data, size) != size || WriteBytes(&kPad, pad) != pad) {
            return FailWrite();
        }
        unreadCount_ = 0;
        TakeWritePosition();
        return kStatusOk;
    }

    const uint32_t pad = PadFor(size);
    uint8_t header[kHeaderBytes];
    StoreLe32(header, id);
    EncodeSize(size, header + 4);
    if (WriteBytes(header, kHeaderBytes) != kHeaderBytes || WriteBytes(data, size) != size ||
        WriteBytes(&kPad, pad) != pad) {
        return FailWrite();
    }
    unreadCount_ = 0;
    TakeWritePosition();
    GrowOpenLevels(kHeaderBytes + size + pad);
    chunkId_ = 0;
    chunkSize_ = 0;
    return kStatusOk;
}

Status IffFile::BeginForm(uint32_t formType) {
    if (!stream_->IsWritable()) {
        return Fail(kStatusStreamNotUsable);
    }
    if (chunkId_ != 0) {
        return Fail(kStatusIffChunkCurrent);
    }
    if (formType == GroupId()) {
        return Fail(kStatusIffBadId);
    }
    if (level_ >= kMaxLevels) {
        return Fail(kStatusIffTooDeep);
    }
    // The size stays 4 unless something is written inside before Ascend.
    uint8_t header[kHeaderBytes + kFormTypeBytes];
    StoreLe32(header, GroupId());
    EncodeSize(kFormTypeBytes, header + 4);
    StoreLe32(header + kHeaderBytes, formType);
    if (WriteBytes(header, sizeof header) != sizeof header) {
        return FailWrite();
    }
    TakeWritePosition();
    GrowOpenLevels(sizeof header);
    levels_[level_] = FormLevel{formType, 0, position_, 0};
    ++level_;
    formType_ = formType;
    unreadCount_ = 0;
    chunkId_ = 0;
    return kStatusOk;
}

Status IffFile::Fail(Status status) {
    lastError_ = status;
    return status;
}

Status IffFile::FailWrite() {
    const Status error = StreamError(kStatusShortWrite);
    SeekTo(position_);
    return Fail(error);
}

uint32_t IffFile::PadFor(uint32_t size) const {
    return ((size & 1) != 0 && (modeFlags_ & kModeNoPad) == 0) ? 1 : 0;
}

uint32_t IffFile::DecodeSize(const uint8_t* bytes) const {
    return (modeFlags_ & kModeRiff) ? LoadLe32(bytes) : LoadBe32(bytes);
}

void IffFile::EncodeSize(uint32_t size, uint8_t* bytes) const {
    if (modeFlags_ & kModeRiff) {
        StoreLe32(bytes, size);
    } else {
        StoreBe32(bytes, size);
    }
}

Status IffFile::StreamError(Status fallback) const {
    const Status error = stream_->LastError();
    return (error != kStatusOk && error != kStatusEndOfData) ? error : fallback;
}

bool IffFile::SeekTo(uint64_t target) {
    if (target > INT32_MAX) {
        return false;
    }
    if (stream_->Seek(static_cast<int32_t>(target), 0) != static_cast<int32_t>(target)) {
        return false;
    }
    position_ = static_cast<uint32_t>(target);
    return true;
}

namespace {

// Moves `bytes` in pieces a stream call can take, `move(offset, piece)`
// moving one; stops at the first short piece, and gives -1 at a failed one.
template <typename Move>
int64_t MoveInPieces(uint32_t bytes, Move move) {
    int64_t total = 0;
    while (total < bytes) {
        const auto piece = static_cast<int32_t>(std::min<uint64_t>(bytes - total, kMaxPiece));
        const int32_t moved = move(total, piece);
        if (moved < 0) {
            return -1;
        }
        total += moved;
        if (moved < piece) {
            break;
        }
    }
    return total;
}

}  // namespace

int64_t IffFile::ReadBytes(void* buffer, uint32_t bytes) {
    auto* const cursor = static_cast<uint8_t*>(buffer);
    return MoveInPieces(bytes, [&](int64_t offset, int32_t piece) { return stream_->Read(cursor + offset, piece); });
}

int64_t IffFile::WriteBytes(const void* data, uint32_t bytes) {
    const auto* const cursor = static_cast<const uint8_t*>(data);
    return MoveInPieces(bytes, [&](int64_t offset, int32_t piece) { return stream_->Write(cursor + offset, piece); });
}

void IffFile::TakeWritePosition() {
    const int32_t now = stream_->Seek(0, 1);
    if (now >= 0) {
        position_ = static_cast<uint32_t>(now);
    }
    // Read back by the same object, the file must reach as far as was written.
    fileLength_ = std::max(fileLength_, position_);
}

void IffFile::GrowOpenLevels(uint32_t bytes) {
    for (uint32_t i = 0; i < level_; ++i) {
        levels_[i].flags |= kLevelChanged;
        levels_[i].contentSize += bytes;
    }
}
