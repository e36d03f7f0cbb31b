#include "engine/FileWrappers.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

using platform::FileSystem;
using platform::SeekOrigin;

namespace {

FileSystem& Files() { return FileSystem::Current(); }

constexpr uint32_t kAnyWriteBits = kOpenWrite | kOpenAppend | kOpenCreate;
constexpr uint32_t kShareShift = 28;

// The results are 32-bit; a size or position that does not fit is refused
// rather than cut to a wrong one.
bool FitsInt32(int64_t value) { return value >= 0 && value <= INT32_MAX; }

}  // namespace

FileOpenRequest TranslateOpenMode(uint32_t mode) {
    FileOpenRequest request;
    if (mode & kOpenRead) request.access |= platform::kFileRead;
    if (mode & kAnyWriteBits) request.access |= platform::kFileWrite;

    switch ((mode & kOpenShareMask) >> kShareShift) {
    case 2: request.share = platform::kFileShareRead; break;
    case 3: request.share = platform::kFileShareWrite; break;
    case 4: request.share = platform::kFileShareRead | platform::kFileShareWrite; break;
    default: request.share = 0; break;
    }

    if ((mode & kOpenCreate) && (mode & kOpenCreateNew)) {
        request.creation = platform::FileCreation::kCreateNew;
    } else if (mode & kOpenCreate) {
        request.creation = platform::FileCreation::kCreateAlways;
    } else {
        request.creation = platform::FileCreation::kOpenExisting;
    }

    uint32_t attributes = platform::kFileAttrNormal;
    if (mode & kOpenReadOnlyAttr) attributes |= platform::kFileAttrReadOnly;
    if (mode & kOpenHiddenAttr) attributes |= platform::kFileAttrHidden;
    if (mode & kOpenSystemAttr) attributes |= platform::kFileAttrSystem;
    if (mode & kOpenArchiveSequential) attributes |= platform::kFileAttrArchive | platform::kFileSequentialScan;
    if (mode & kOpenDeleteOnClose) attributes |= platform::kFileDeleteOnClose;
    if (mode & kOpenRandomSequential) attributes |= platform::kFileRandomAccess | platform::kFileSequentialScan;
    request.attributes = attributes;
    return request;
}

platform::FileHandle FileOpen(const char* name, uint32_t mode) {
    const FileOpenRequest request = TranslateOpenMode(mode);
    const platform::FileHandle file =
        Files().Open(name, request.access, request.share, request.creation, request.attributes);
    if (file == platform::kNoFile) {
        return platform::kNoFile;
    }
    if (mode & kOpenAppend) {
        // Appending starts at the end as it was when opened; a handle left at
        // the start would overwrite what it was meant to extend.
        if (Files().Seek(file, 0, SeekOrigin::kEnd) < 0) {
            Files().Close(file);
            return platform::kNoFile;
        }
    }
    return file;
}

platform::FileHandle FileOpenTemporary(const char* prefix, uint32_t mode, char* createdPath) {
    if (createdPath) createdPath[0] = '\0';
    FileSystem& files = Files();
    const std::string path = files.CreateUniqueFile(files.TemporaryFolder(), prefix);
    if (path.empty()) {
        return platform::kNoFile;
    }
    const platform::FileHandle file = FileOpen(path.c_str(), mode | kOpenWrite);
    if (file == platform::kNoFile) {
        // Nobody would ever learn the name, so the file would be left behind.
        const uint32_t error = FileLastError();
        files.Delete(path.c_str());
        SetFileLastError(error);
        return platform::kNoFile;
    }
    if (createdPath) {
        const size_t length = std::min(path.size(), static_cast<size_t>(kMaxPathChars));
        std::memcpy(createdPath, path.data(), length);
        createdPath[length] = '\0';
    }
    return file;
}

int32_t FileRead(platform::FileHandle file, void* buffer, uint32_t bytes) {
    if (bytes > INT32_MAX) {
        SetFileLastError(platform::kFileInvalidParameter);
        return -1;
    }
    const int64_t count = Files().Read(file, buffer, bytes);
    if (count < 0) {
        return -1;
    }
    if (count == 0) SetFileLastError(platform::kFileHandleEof);
    return static_cast<int32_t>(count);
}

int32_t FileWrite(platform::FileHandle file, const void* buffer, uint32_t bytes) {
    if (bytes > INT32_MAX) {
        SetFileLastError(platform::kFileInvalidParameter);
        return -1;
    }
    const int64_t count = Files().Write(file, buffer, bytes);
    if (count < 0) {
        return -1;
    }
    return static_cast<int32_t>(count);
}

int32_t FileSeek(platform::FileHandle file, uint32_t origin, int32_t distance) {
    FileSystem& files = Files();
    SeekOrigin from = SeekOrigin::kBegin;
    switch (origin % 4) {
    case 1: from = SeekOrigin::kCurrent; break;
    case 2: from = SeekOrigin::kEnd; break;
    default: from = SeekOrigin::kBegin; break;
    }
    // A seek whose result cannot be reported does not move the file; the end
    // is the one origin whose old position is not known afterwards.
    int64_t before = -1;
    if (from == SeekOrigin::kEnd) {
        before = files.Seek(file, 0, SeekOrigin::kCurrent);
        if (before < 0) {
            return -1;
        }
    }
    const int64_t position = files.Seek(file, distance, from);
    if (position < 0) {
        return -1;
    }
    if (!FitsInt32(position)) {
        if (from == SeekOrigin::kCurrent) before = position - distance;
        if (before >= 0) files.Seek(file, before, SeekOrigin::kBegin);
        SetFileLastError(platform::kFileInvalidParameter);
        return -1;
    }
    return static_cast<int32_t>(position);
}

uint32_t FileFlush(platform::FileHandle file) {
    if (Files().Flush(file)) return platform::kFileOk;
    return FileLastError();
}

uint32_t FileClose(platform::FileHandle file) {
    // Closing reports through its result alone: the word still names the
    // failure that led the caller to close.
    const uint32_t error = FileLastError();
    const bool closed = Files().Close(file);
    SetFileLastError(error);
    return closed ? platform::kFileOk : platform::kFileInvalidHandle;
}

int32_t FileExists(const char* path) {
    if (Files().Attributes(path) >= 0) return 1;
    return 0;
}

uint32_t FileLockRange(platform::FileHandle file, uint32_t offset, uint32_t length) {
    if (Files().LockRange(file, offset, length)) return platform::kFileOk;
    return FileLastError();
}

uint32_t FileUnlockRange(platform::FileHandle file, uint32_t offset, uint32_t length) {
    if (Files().UnlockRange(file, offset, length)) return platform::kFileOk;
    return FileLastError();
}

uint32_t FileDelete(const char* path) {
    if (Files().Delete(path)) return platform::kFileOk;
    return FileLastError();
}

uint32_t FileRename(const char* from, const char* to) {
    if (Files().Rename(from, to)) return platform::kFileOk;
    return FileLastError();
}

uint32_t FinishReplacement(uint32_t written, const char* pending, const char* path) {
    if (written == platform::kFileOk) {
        const uint32_t renamed = FileRename(pending, path);
        if (renamed != platform::kFileOk) {
            written = renamed;
        } else if (Files().SyncFolder(path)) {
            return platform::kFileOk;
        } else {
            // The new file is in place, but the disk may still hold the old name.
            return FileLastError();
        }
    }
    FileDelete(pending);
    return written;
}

uint16_t FileGetAttributes(const char* path) {
    const int64_t attributes = Files().Attributes(path);
    if (attributes < 0) {
        return 0xFFFF;  // the low half of the system's "no attributes" -1
    }
    return static_cast<uint16_t>(attributes);
}

int32_t FileSetAttributes(const char* path, uint32_t attributes) {
    FileSystem& files = Files();
    if (!files.SetAttributes(path, attributes)) {
        return -1;
    }
    const int64_t readBack = files.Attributes(path);
    if (readBack < 0) {
        return -1;
    }
    // Only the read-only attribute is kept by the platform; the others are
    // accepted and cannot read back, so they do not count as a mismatch.
    if ((static_cast<uint32_t>(readBack) ^ attributes) & platform::kFileAttrReadOnly) return -1;
    return static_cast<int32_t>(attributes);
}

uint16_t FileDosDate(platform::FileHandle file) {
    uint16_t date = 0, time = 0;
    if (Files().ModifiedDosDateTime(file, &date, &time)) return date;
    return 0;
}

uint16_t FileDosTime(platform::FileHandle file) {
    uint16_t date = 0, time = 0;
    if (Files().ModifiedDosDateTime(file, &date, &time)) return time;
    return 0;
}

int32_t FileSize(platform::FileHandle file) {
    const int64_t size = Files().Size(file);
    if (size < 0) {
        return -1;
    }
    if (!FitsInt32(size)) {
        SetFileLastError(platform::kFileInvalidParameter);
        return -1;
    }
    return static_cast<int32_t>(size);
}

int32_t FileSetLength(platform::FileHandle file, int32_t length) {
    if (length < 0) {
        SetFileLastError(platform::kFileInvalidParameter);
        return -1;
    }
    FileSystem& files = Files();
    if (files.Seek(file, length, SeekOrigin::kBegin) < 0 || !files.Truncate(file)) {
        return -1;
    }
    return length;
}
