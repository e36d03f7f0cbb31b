#include "engine/FileStream.h"

#include <cstring>

namespace {

// At most kMaxPathChars characters, always terminated.
void CopyPath(char* to, const char* from) {
    if (from == nullptr) {
        to[0] = '\0';
        return;
    }
    const size_t length = strnlen(from, kMaxPathChars);
    std::memcpy(to, from, length);
    to[length] = '\0';
}

uint32_t StateForMode(uint32_t mode) {
    uint32_t state = Stream::kOpen;
    if (mode & kOpenWrite) state |= Stream::kWritable;
    if (mode & kOpenRead) state |= Stream::kReadable;
    if (mode & kOpenDeleteOnClose) state |= Stream::kDeleteOnClose;
    return state;
}

// The process-wide word after a failed open; a failure must never read as 0.
Status OpenFailure() {
    const Status error = FileLastError();
    return error != kStatusOk ? error : kStatusCannotOpen;
}

}  // namespace

FileStream::~FileStream() {
    if (IsOpen()) {
        FileStream::Close();
    }
}

Status FileStream::Open(const char* name, uint32_t mode) {
    if (IsOpen()) {
        return kStatusStreamAlreadyOpen;
    }
    const platform::FileHandle file = FileOpen(name, mode);
    if (file == platform::kNoFile) {
        lastError_ = OpenFailure();
        return lastError_;
    }
    handle_ = file;
    CopyPath(path_, name);
    temporaryName_[0] = '\0';
    state_ = StateForMode(mode);
    return kStatusOk;
}

Status FileStream::OpenTemporary(const char* prefix, uint32_t mode) {
    if (IsOpen()) {
        return kStatusStreamAlreadyOpen;
    }
    char created[kMaxPathChars + 1] = {};
    const platform::FileHandle file = FileOpenTemporary(prefix, mode, created);
    if (file == platform::kNoFile) {
        lastError_ = OpenFailure();
        return lastError_;
    }
    handle_ = file;
    CopyPath(path_, prefix);
    CopyPath(temporaryName_, created);
    // The file is always opened for writing, so the stream is writable too.
    state_ = StateForMode(mode | kOpenWrite) | kTemporary;
    return kStatusOk;
}

Status FileStream::Close() {
    if (!IsOpen()) {
        return kStatusStreamNotOpen;
    }
    const uint32_t state = state_;
    // Whatever happens below, the handle is spent: a second close must not reach it.
    const platform::FileHandle file = handle_;
    handle_ = platform::kNoFile;
    state_ = 0;

    Status result = FileClose(file);
    if (result == kStatusOk && (state & (kDeleteOnClose | kTemporary))) {
        // A temporary stream's path is only the prefix it was asked for.
        const char* const doomed = (state & kTemporary) ? temporaryName_ : path_;
        result = FileDelete(doomed);
        // The system removes a delete-on-close file as its handle closes.
        if (result == platform::kFileNotFound) {
            result = kStatusOk;
        }
    }
    temporaryName_[0] = '\0';
    if (result != kStatusOk) {
        lastError_ = result;
    }
    return result;
}

Status FileStream::Flush() {
    if (!IsOpen()) {
        return kStatusStreamNotOpen;
    }
    const Status result = FileFlush(handle_);
    if (result != kStatusOk) {
        lastError_ = result;
    }
    return result;
}

int32_t FileStream::Read(void* buffer, int32_t bytes) {
    if (bytes < 0) {
        return 0;
    }
    const int32_t got = FileRead(handle_, buffer, static_cast<uint32_t>(bytes));
    if (got < 0) {
        lastError_ = FileLastError();
        return 0;
    }
    if (got == 0) {
        lastError_ = kStatusEndOfData;
    }
    return got;
}

int32_t FileStream::Write(const void* buffer, int32_t bytes) {
    if (bytes < 0) {
        return 0;
    }
    const int32_t written = FileWrite(handle_, buffer, static_cast<uint32_t>(bytes));
    if (written < 0) {
        lastError_ = FileLastError();
        return 0;
    }
    return written;
}

int32_t FileStream::Seek(int32_t distance, uint32_t origin) {
    const int32_t position = FileSeek(handle_, origin, distance);
    if (position < 0) {
        lastError_ = FileLastError();
        return -1;
    }
    return position;
}

int32_t FileStream::Length() {
    const int32_t size = FileSize(handle_);
    if (size < 0) {
        lastError_ = FileLastError();
        return -1;
    }
    return size;
}

int32_t FileStream::SetLength(int32_t length) {
    const int32_t result = FileSetLength(handle_, length);
    if (result < 0) {
        lastError_ = FileLastError();
        return -1;
    }
    return result;
}

uint16_t FileStream::FileDate() { return FileDosDate(handle_); }

uint16_t FileStream::FileTime() { return FileDosTime(handle_); }
