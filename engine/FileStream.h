#pragma once
#include "engine/FileWrappers.h"
#include "engine/Stream.h"

// An unbuffered stream over a file.
class FileStream : public Stream {
public:
    FileStream() = default;
    ~FileStream() override;

    Status Open(const char* name, uint32_t mode) override;
    // A uniquely named file in the temporary folder, opened with mode plus write.
    virtual Status OpenTemporary(const char* prefix, uint32_t mode);
    Status Close() override;
    Status Flush() override;
    int32_t Read(void* buffer, int32_t bytes) override;
    int32_t Write(const void* buffer, int32_t bytes) override;
    int32_t Seek(int32_t distance, uint32_t origin) override;
    int32_t Length() override;
    int32_t SetLength(int32_t length) override;
    uint16_t FileDate() override;
    uint16_t FileTime() override;

    // For a temporary stream Path() holds the prefix it was asked for; this is
    // the file that was made, and the one Close deletes. Empty otherwise.
    const char* TemporaryName() const { return temporaryName_; }
    const char* Path() const { return path_; }
    platform::FileHandle Handle() const { return handle_; }

protected:
    char path_[kMaxPathChars + 1] = {};
    platform::FileHandle handle_ = platform::kNoFile;
    char temporaryName_[kMaxPathChars + 1] = {};
};
