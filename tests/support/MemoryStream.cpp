#include "tests/support/MemoryStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

MemoryStream::MemoryStream() { state_ = kOpen | kReadable | kWritable; }

MemoryStream::MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    state_ = kOpen | kReadable | kWritable;
}

Status MemoryStream::Open(const char*, uint32_t mode) {
    if (IsOpen()) {
        lastError_ = kStatusStreamAlreadyOpen;
        return lastError_;
    }
    state_ = kOpen;
    if (mode & 0x1) {
        state_ |= kReadable;
    }
    if (mode & 0xE) {
        state_ |= kWritable;
    }
    if (mode & 0x8) {
        bytes_.clear();
    }
    cursor_ = (mode & 0x4) ? static_cast<int64_t>(bytes_.size()) : 0;
    lastError_ = kStatusOk;
    return kStatusOk;
}

Status MemoryStream::Close() {
    if (!IsOpen()) {
        lastError_ = kStatusStreamNotOpen;
        return lastError_;
    }
    state_ = 0;
    return kStatusOk;
}

Status MemoryStream::Flush() {
    ++flushCount_;
    if (failFlush_) {
        lastError_ = kStatusInjectedFault;
        return lastError_;
    }
    return kStatusOk;
}

int64_t MemoryStream::Allowed(int64_t bytes, int64_t failAt, int64_t shortAt) const {
    const int64_t end = cursor_ + bytes;
    if (failAt != kNever && cursor_ <= failAt && failAt < end) {
        return -1;
    }
    if (shortAt != kNever && cursor_ <= shortAt && shortAt < end) {
        return shortAt - cursor_;
    }
    return bytes;
}

int32_t MemoryStream::Read(void* buffer, int32_t bytes) {
    const int32_t call = readCount_++;
    if (!IsOpen() || !IsReadable() || bytes < 0 || (failReadsFrom_ >= 0 && call >= failReadsFrom_)) {
        lastError_ = IsOpen() ? kStatusInjectedFault : kStatusStreamNotOpen;
        return 0;
    }
    int64_t count = Allowed(bytes, failReadAt_, shortReadAt_);
    if (count < 0) {
        lastError_ = kStatusInjectedFault;
        return 0;
    }
    const int64_t available = std::max<int64_t>(0, static_cast<int64_t>(bytes_.size()) - cursor_);
    count = std::min(count, available);
    if (count > 0) {
        std::memcpy(buffer, bytes_.data() + cursor_, static_cast<size_t>(count));
    }
    cursor_ += count;
    if (count < bytes) {
        lastError_ = kStatusEndOfData;
    }
    return static_cast<int32_t>(count);
}

int32_t MemoryStream::Write(const void* buffer, int32_t bytes) {
    const int32_t call = writeCount_++;
    if (!IsOpen() || !IsWritable() || bytes < 0 || (failWritesFrom_ >= 0 && call >= failWritesFrom_)) {
        lastError_ = IsOpen() ? kStatusInjectedFault : kStatusStreamNotOpen;
        return 0;
    }
    const int64_t count = Allowed(bytes, failWriteAt_, shortWriteAt_);
    if (count < 0) {
        lastError_ = kStatusInjectedFault;
        return 0;
    }
    if (cursor_ + count > static_cast<int64_t>(bytes_.size())) {
        bytes_.resize(static_cast<size_t>(cursor_ + count), 0);
    }
    if (count > 0) {
        std::memcpy(bytes_.data() + cursor_, buffer, static_cast<size_t>(count));
    }
    cursor_ += count;
    if (count < bytes) {
        lastError_ = kStatusShortWrite;
    }
    return static_cast<int32_t>(count);
}

int32_t MemoryStream::Seek(int32_t distance, uint32_t origin) {
    const int32_t call = seekCount_++;
    if (!IsOpen() || failSeeks_ || (failSeeksFrom_ >= 0 && call >= failSeeksFrom_)) {
        lastError_ = IsOpen() ? kStatusInjectedFault : kStatusStreamNotOpen;
        return -1;
    }
    int64_t base = 0;
    if (origin == 1) {
        base = cursor_;
    } else if (origin == 2) {
        base = static_cast<int64_t>(bytes_.size());
    }
    const int64_t target = base + distance;
    if (target < 0 || target > INT32_MAX) {
        lastError_ = kStatusInjectedFault;
        return -1;
    }
    cursor_ = target;
    return static_cast<int32_t>(cursor_);
}

int32_t MemoryStream::Length() {
    if (!IsOpen() || failLength_) {
        lastError_ = IsOpen() ? kStatusInjectedFault : kStatusStreamNotOpen;
        return -1;
    }
    return static_cast<int32_t>(bytes_.size());
}

int32_t MemoryStream::SetLength(int32_t length) {
    if (!IsOpen() || !IsWritable() || length < 0) {
        lastError_ = IsOpen() ? kStatusInjectedFault : kStatusStreamNotOpen;
        return -1;
    }
    bytes_.resize(static_cast<size_t>(length), 0);
    return length;
}

void MemoryStream::Heal() {
    failReadAt_ = kNever;
    shortReadAt_ = kNever;
    failWriteAt_ = kNever;
    shortWriteAt_ = kNever;
    failSeeks_ = false;
    failLength_ = false;
    failFlush_ = false;
    failReadsFrom_ = -1;
    failSeeksFrom_ = -1;
    failWritesFrom_ = -1;
}
