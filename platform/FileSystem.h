#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// An open file; kNoFile when none.
using FileHandle = int64_t;
inline constexpr FileHandle kNoFile = -1;

// Error codes of the file layer. They keep the numbers the game's status
// words have always carried for these conditions, so a status passed up
// unchanged still means the same thing.
enum FileError : uint32_t {
    kFileOk = 0,
    kFileNotFound = 2,
    kFilePathNotFound = 3,
    kFileTooManyOpen = 4,
    kFileAccessDenied = 5,
    kFileInvalidHandle = 6,
    kFileNoMemory = 8,
    kFileSharingViolation = 32,
    kFileLockViolation = 33,
    kFileHandleEof = 38,
    kFileExists = 80,
    kFileInvalidParameter = 87,
    kFileDiskFull = 112,
    kFileNameTooLong = 206,
    kFileGeneralFailure = 31,
};

enum FileAccess : uint32_t { kFileRead = 0x80000000u, kFileWrite = 0x40000000u };
enum FileShare : uint32_t { kFileShareRead = 0x1, kFileShareWrite = 0x2 };
enum class FileCreation : uint32_t { kCreateNew = 1, kCreateAlways = 2, kOpenExisting = 3 };
// Attributes and open flags; only read-only and delete-on-close change
// anything here, the others are accepted and ignored.
enum FileAttribute : uint32_t {
    kFileAttrReadOnly = 0x1,
    kFileAttrHidden = 0x2,
    kFileAttrSystem = 0x4,
    kFileAttrDirectory = 0x10,
    kFileAttrArchive = 0x20,
    kFileAttrNormal = 0x80,
    kFileDeleteOnClose = 0x4000000,
    kFileSequentialScan = 0x8000000,
    kFileRandomAccess = 0x10000000,
};
enum class SeekOrigin : uint32_t { kBegin = 0, kCurrent = 1, kEnd = 2 };

// The game's path buffers hold this many characters and a terminator.
inline constexpr size_t kMaxPathChars = 259;

// The process-wide last-error word of the file layer: every file system
// records its failures here, and the layers above record their own refusals
// in the same word.
uint32_t FileLastError();
void SetFileLastError(uint32_t error);

// The machine's files. Paths may use '\' or '/' and any letter case: a path
// that does not exist as written is looked up one component at a time,
// ignoring case. Every failing call records its FileError in LastError().
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual FileHandle Open(const char* path, uint32_t access, uint32_t share, FileCreation creation,
                            uint32_t attributes) = 0;
    // Bytes read (0 at the end of the file), or -1.
    virtual int64_t Read(FileHandle file, void* buffer, uint32_t bytes) = 0;
    // Bytes written, or -1.
    virtual int64_t Write(FileHandle file, const void* buffer, uint32_t bytes) = 0;
    // The new position from the start, or -1.
    virtual int64_t Seek(FileHandle file, int64_t distance, SeekOrigin origin) = 0;
    virtual int64_t Size(FileHandle file) = 0;
    // Sets the end of the file at the current position.
    virtual bool Truncate(FileHandle file) = 0;
    virtual bool Flush(FileHandle file) = 0;
    // Deletes the file too when it was opened with kFileDeleteOnClose.
    virtual bool Close(FileHandle file) = 0;
    virtual bool LockRange(FileHandle file, uint64_t offset, uint64_t length) = 0;
    virtual bool UnlockRange(FileHandle file, uint64_t offset, uint64_t length) = 0;
    // Last modification time in DOS form: date (year-1980)<<9 | month<<5 | day,
    // time hours<<11 | minutes<<5 | seconds/2; false on failure.
    virtual bool ModifiedDosDateTime(FileHandle file, uint16_t* date, uint16_t* time) = 0;

    virtual bool Delete(const char* path) = 0;
    // Replaces an existing file at `to` atomically, as rename(2) does: at
    // every moment `to` names the old file or the new one. Refuses a folder
    // or a read-only file at `to` with kFileAccessDenied.
    virtual bool Rename(const char* from, const char* to) = 0;
    // Flushes to the disk the folder that holds `path` (its names, not the
    // file's bytes): a rename into it then outlives a power cut.
    virtual bool SyncFolder(const char* path) = 0;
    // kFileAttr* bits of the path, or -1 when it does not exist.
    virtual int64_t Attributes(const char* path) = 0;
    virtual bool SetAttributes(const char* path, uint32_t attributes) = 0;
    // The folder for temporary files, ending in '/'.
    virtual std::string TemporaryFolder() = 0;
    // Creates an empty file with a unique name starting with `prefix` in
    // `folder` and returns its path; empty on failure.
    virtual std::string CreateUniqueFile(const std::string& folder, const char* prefix) = 0;
    // The path as it exists on disk: separators mapped to '/', and when the
    // exact path does not exist each component matched ignoring case. The
    // mapped path when nothing matches (a file about to be created).
    virtual std::string Resolve(const char* path) = 0;

    // The error of the last failing call, process-wide: FileLastError().
    uint32_t LastError() const { return FileLastError(); }

    static FileSystem& Current();
    static FileSystem* Install(FileSystem* files);
};

// POSIX files: open, read, write, lseek, fstat, ftruncate, fsync, close,
// mkstemp, unlink, rename, chmod, a folder's fsync and advisory record locks.
FileSystem& SystemFileSystem();

// The FileError for an errno value.
uint32_t FileErrorFromErrno(int error);

}  // namespace platform
