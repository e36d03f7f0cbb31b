#include "engine/WholeFileStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kOriginMask = 3;   // the file layer takes the origin modulo 4
constexpr uint32_t kOriginCurrent = 1;
constexpr uint32_t kOriginEnd = 2;

}  // namespace

WholeFileStream::~WholeFileStream() {
    // The base destructor would close without writing the bytes out.
    if (IsOpen()) {
        WholeFileStream::Close();
    }
}

Status WholeFileStream::TakeFile() {
    bytes_.clear();
    cursor_ = 0;
    changed_ = false;
    if (!IsReadable()) {
        return kStatusOk;
    }
    const int32_t size = FileSize(handle_);
    if (size < 0 || size > kMaxBytes) {
        FileStream::Close();
        lastError_ = size < 0 ? FileLastError() : kStatusPlatformFailed;
        return lastError_;
    }
    bytes_.resize(size_t(size));
    int32_t got = 0;
    while (got < size) {
        const int32_t piece = FileRead(handle_, bytes_.data() + got, uint32_t(size - got));
        if (piece <= 0) {
            FileStream::Close();
            lastError_ = piece < 0 ? FileLastError() : kStatusEndOfData;
            return lastError_;
        }
        got += piece;
    }
    return kStatusOk;
}

Status WholeFileStream::Open(const char* name, uint32_t mode) {
    const Status opened = FileStream::Open(name, mode);
    return opened != kStatusOk ? opened : TakeFile();
}

Status WholeFileStream::OpenTemporary(const char* prefix, uint32_t mode) {
    const Status opened = FileStream::OpenTemporary(prefix, mode);
    return opened != kStatusOk ? opened : TakeFile();
}

Status WholeFileStream::WriteOut() {
    if (!changed_) {
        return kStatusOk;
    }
    // Until all of it is out the file is still owed the bytes: a failed
    // flush is tried again by the close.
    if (FileSeek(handle_, 0, 0) != 0) {
        lastError_ = FileLastError();
        return lastError_;
    }
    // A short count is a full disk, as for the other streams.
    const int32_t size = int32_t(bytes_.size());
    const int32_t written = size > 0 ? FileWrite(handle_, bytes_.data(), uint32_t(size)) : 0;
    if (written != size) {
        lastError_ = written < 0 ? FileLastError() : kStatusShortWrite;
        return lastError_;
    }
    // A file that was longer keeps none of its old tail.
    if (FileSetLength(handle_, size) != size) {
        lastError_ = FileLastError();
        return lastError_;
    }
    changed_ = false;
    return kStatusOk;
}

Status WholeFileStream::Close() {
    if (!IsOpen()) {
        return kStatusStreamNotOpen;
    }
    const Status written = IsWritable() ? WriteOut() : kStatusOk;
    bytes_.clear();
    cursor_ = 0;
    const Status closed = FileStream::Close();
    return written != kStatusOk ? written : closed;
}

Status WholeFileStream::Flush() {
    if (!IsOpen()) {
        return kStatusStreamNotOpen;
    }
    if (!IsWritable()) {
        return kStatusOk;
    }
    const Status written = WriteOut();
    const Status flushed = FileStream::Flush();
    return written != kStatusOk ? written : flushed;
}

int32_t WholeFileStream::Read(void* buffer, int32_t bytes) {
    if (bytes <= 0 || !IsReadable()) {
        return 0;
    }
    const int32_t size = int32_t(bytes_.size());
    const int32_t piece = cursor_ < size ? std::min(bytes, size - cursor_) : 0;
    if (piece == 0) {
        lastError_ = kStatusEndOfData;
        return 0;
    }
    std::memcpy(buffer, bytes_.data() + cursor_, size_t(piece));
    cursor_ += piece;
    return piece;
}

int32_t WholeFileStream::Write(const void* buffer, int32_t bytes) {
    if (bytes <= 0 || !IsWritable()) {
        return 0;
    }
    if (int64_t{cursor_} + bytes > kMaxBytes) {
        lastError_ = kStatusShortWrite;
        return 0;
    }
    const size_t end = size_t(cursor_) + size_t(bytes);
    if (end > bytes_.size()) bytes_.resize(end, 0);
    std::memcpy(bytes_.data() + cursor_, buffer, size_t(bytes));
    cursor_ += bytes;
    changed_ = true;
    return bytes;
}

int32_t WholeFileStream::Seek(int32_t distance, uint32_t origin) {
    if (!IsOpen()) {
        return -1;
    }
    const uint32_t from = origin & kOriginMask;
    const int64_t base = from == kOriginCurrent ? cursor_ : from == kOriginEnd ? int64_t(bytes_.size()) : 0;
    const int64_t target = base + distance;
    if (target < 0 || target > kMaxBytes) {
        lastError_ = kStatusPlatformFailed;
        return -1;
    }
    cursor_ = int32_t(target);
    return cursor_;
}

int32_t WholeFileStream::Length() { return IsOpen() ? int32_t(bytes_.size()) : -1; }

int32_t WholeFileStream::SetLength(int32_t length) {
    if (!IsWritable() || length < 0 || length > kMaxBytes) {
        return -1;
    }
    bytes_.resize(size_t(length), 0);
    changed_ = true;
    return length;
}
