#pragma once
#include <cstdint>

#include "platform/FileSystem.h"

// The engine's thin layer over the platform's files: it turns an engine open
// mode into access, sharing, creation and attribute values, and keeps the
// last failure in one process-wide word that all streams share.

// Engine open mode bits.
enum FileOpenMode : uint32_t {
    kOpenRead = 0x1,
    kOpenWrite = 0x2,
    kOpenAppend = 0x4,          // write; after opening, seek to the end
    kOpenCreate = 0x8,          // write; create or truncate
    kOpenCreateNew = 0x10,      // with kOpenCreate: fail when the file exists
    kOpenDeleteOnClose = 0x1000,
    kOpenReadOnlyAttr = 0x10000,
    kOpenHiddenAttr = 0x20000,
    kOpenSystemAttr = 0x40000,
    kOpenArchiveSequential = 0x200000,
    kOpenRandomSequential = 0x800000,
    kOpenShareMask = 0xF0000000u,  // 2 share reading, 3 share writing, 4 both
};

// How the game opens its data files: read, sharing reading.
inline constexpr uint32_t kOpenGameData = 0x20000001;

// What an engine open mode asks of the platform.
struct FileOpenRequest {
    uint32_t access = 0;
    uint32_t share = 0;
    platform::FileCreation creation = platform::FileCreation::kOpenExisting;
    uint32_t attributes = platform::kFileAttrNormal;
};
FileOpenRequest TranslateOpenMode(uint32_t mode);

// The process-wide last-error word, shared with the file system below.
using platform::FileLastError;
using platform::SetFileLastError;

// Paths hold at most this many characters before the terminator.
using platform::kMaxPathChars;

platform::FileHandle FileOpen(const char* name, uint32_t mode);
// Creates a uniquely named file in the temporary folder and opens it with
// mode plus write; `createdPath` (at least kMaxPathChars + 1 bytes, or null) gets its name.
platform::FileHandle FileOpenTemporary(const char* prefix, uint32_t mode, char* createdPath);
// Count, or -1; a count of 0 sets the word to 38.
int32_t FileRead(platform::FileHandle file, void* buffer, uint32_t bytes);
int32_t FileWrite(platform::FileHandle file, const void* buffer, uint32_t bytes);
// Origin taken modulo 4: 0 start, 1 current, 2 end, 3 start. Position or -1.
int32_t FileSeek(platform::FileHandle file, uint32_t origin, int32_t distance);
uint32_t FileFlush(platform::FileHandle file);
// 0, or 6; the last-error word is not touched.
uint32_t FileClose(platform::FileHandle file);
int32_t FileExists(const char* path);
uint32_t FileLockRange(platform::FileHandle file, uint32_t offset, uint32_t length);
uint32_t FileUnlockRange(platform::FileHandle file, uint32_t offset, uint32_t length);
uint32_t FileDelete(const char* path);
uint32_t FileRename(const char* from, const char* to);
// The end of a file written beside its old self (at `pending`) so that a
// failed or interrupted write keeps the old one: once the write went well
// (`written` 0) the pending file replaces `path` in one step and the folder
// is flushed, so that the new name outlives a power cut; whatever failed,
// the pending file goes. 0, the write's failure, the rename's, or the
// folder flush's (the new file is in place then).
uint32_t FinishReplacement(uint32_t written, const char* pending, const char* path);
uint16_t FileGetAttributes(const char* path);
// The attributes when they read back as set, else -1.
int32_t FileSetAttributes(const char* path, uint32_t attributes);
uint16_t FileDosDate(platform::FileHandle file);
uint16_t FileDosTime(platform::FileHandle file);
int32_t FileSize(platform::FileHandle file);
int32_t FileSetLength(platform::FileHandle file, int32_t length);
