#include "engine/BufferedFileStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/EngineAllocation.h"

namespace {

constexpr uint32_t kDirtyBits = Stream::kBufferDirty | Stream::kBufferDirtyPair;
constexpr uint32_t kBufferBits = kDirtyBits | Stream::kBufferReadAhead;
constexpr uint32_t kOriginMask = 3;  // the file layer takes the origin modulo 4
constexpr uint32_t kOriginCurrent = 1;

}  // namespace

BufferedFileStream::~BufferedFileStream() {
    // The base destructor would close without writing out the buffer.
    if (IsOpen()) {
        BufferedFileStream::Close();
    }
}

Status BufferedFileStream::TakeBuffer() {
    buffer_ = static_cast<uint8_t*>(EngineAllocate(kBufferSize));
    if (buffer_ == nullptr) {
        Close();
        lastError_ = kStatusPlatformFailed;
        return kStatusPlatformFailed;
    }
    bufferSize_ = kBufferSize;
    end_ = cursor_ = buffer_;
    state_ &= ~kBufferBits;
    return kStatusOk;
}

Status BufferedFileStream::Open(const char* name, uint32_t mode) {
    const Status result = FileStream::Open(name, mode);
    return result != kStatusOk ? result : TakeBuffer();
}

Status BufferedFileStream::OpenTemporary(const char* prefix, uint32_t mode) {
    const Status result = FileStream::OpenTemporary(prefix, mode);
    return result != kStatusOk ? result : TakeBuffer();
}

Status BufferedFileStream::Close() {
    if (!IsOpen()) {
        return kStatusStreamNotOpen;
    }
    const Status flushed = IsWritable() ? Flush() : kStatusOk;
    EngineRelease(buffer_);
    end_ = cursor_ = buffer_ = nullptr;
    bufferSize_ = 0;
    const Status closed = FileStream::Close();
    return flushed != kStatusOk ? flushed : closed;
}

Status BufferedFileStream::Flush() {
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

Status BufferedFileStream::WriteOut() {
    if ((state_ & kBufferDirty) == 0) {
        return kStatusOk;
    }
    const int32_t pending = static_cast<int32_t>(cursor_ - buffer_);
    end_ = cursor_ = buffer_;
    state_ &= ~kDirtyBits;
    if (pending > 0 && FileStream::Write(buffer_, pending) != pending) {
        lastError_ = kStatusShortWrite;
        return kStatusShortWrite;
    }
    return kStatusOk;
}

int32_t BufferedFileStream::Read(void* buffer, int32_t bytes) {
    if (bytes <= 0 || !IsReadable()) {
        return 0;
    }
    if (WriteOut() != kStatusOk) {
        return 0;
    }
    state_ |= kBufferReadAhead;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int32_t copied = 0;
    while (copied < bytes) {
        if (cursor_ == end_) {
            // The wrapper itself, not FileStream::Read: only it tells the end
            // of the file (0) from a failure (-1).
            const int32_t got = FileRead(handle_, buffer_, static_cast<uint32_t>(bufferSize_));
            end_ = cursor_ = buffer_;
            if (got < 0) {
                lastError_ = FileLastError();
                return 0;
            }
            if (got == 0) {
                lastError_ = kStatusEndOfData;
                return copied;
            }
            end_ = buffer_ + got;
        }
        const int32_t piece = std::min(bytes - copied, static_cast<int32_t>(end_ - cursor_));
        std::memcpy(out + copied, cursor_, static_cast<size_t>(piece));
        cursor_ += piece;
        copied += piece;
    }
    return copied;
}

int32_t BufferedFileStream::Write(const void* buffer, int32_t bytes) {
    if (bytes <= 0 || !IsWritable()) {
        return 0;
    }
    // The file is ahead of the writer by the unread part: put it back first.
    if ((state_ & kBufferReadAhead) && Seek(0, kOriginCurrent) < 0) {
        return 0;
    }
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    int32_t copied = 0;
    while (copied < bytes) {
        if (cursor_ == end_) {
            const int32_t pending = static_cast<int32_t>(cursor_ - buffer_);
            if ((state_ & kBufferDirty) && pending > 0) {
                const int32_t written = FileWrite(handle_, buffer_, static_cast<uint32_t>(pending));
                if (written < 0) {
                    lastError_ = FileLastError();
                    return 0;
                }
                if (written != pending) {
                    lastError_ = kStatusShortWrite;
                    return 0;
                }
            }
            cursor_ = buffer_;
            end_ = buffer_ + bufferSize_;
            state_ |= kDirtyBits;
        }
        const int32_t piece = std::min(bytes - copied, static_cast<int32_t>(end_ - cursor_));
        std::memcpy(cursor_, in + copied, static_cast<size_t>(piece));
        cursor_ += piece;
        copied += piece;
    }
    return bytes;
}

int32_t BufferedFileStream::Seek(int32_t distance, uint32_t origin) {
    if (WriteOut() != kStatusOk) {
        return -1;  // the write left its code in LastError()
    }
    int32_t unread = 0;
    if (state_ & kBufferReadAhead) {
        unread = static_cast<int32_t>(end_ - cursor_);
        if ((origin & kOriginMask) == kOriginCurrent) {
            // Below the 32-bit range the target lies before the start anyway.
            const int64_t corrected = int64_t{distance} - unread;
            distance = static_cast<int32_t>(std::max<int64_t>(corrected, std::numeric_limits<int32_t>::min()));
        }
        state_ &= ~kBufferReadAhead;
        end_ = cursor_ = buffer_;
    }
    const int32_t position = FileStream::Seek(distance, origin);
    if (position < 0 && unread > 0) {
        // The read-ahead is gone; leave the file where the reader was, as an
        // unbuffered stream would after a refused seek.
        FileStream::Seek(-unread, kOriginCurrent);
    }
    return position;
}

int32_t BufferedFileStream::Length() {
    if (WriteOut() != kStatusOk) {
        return -1;
    }
    return FileStream::Length();
}

int32_t BufferedFileStream::SetLength(int32_t length) {
    // Moving the file's end moves the file position too: nothing may stay buffered.
    if ((state_ & (kBufferDirty | kBufferReadAhead)) && Seek(0, kOriginCurrent) < 0) {
        return -1;
    }
    return FileStream::SetLength(length);
}
