#pragma once
#include <cstdint>

#include "engine/FileStream.h"

// A file stream that turns many small reads and writes into 1024-byte
// file calls. The buffer holds either read-ahead data or unwritten data,
// never both.
class BufferedFileStream : public FileStream {
public:
    static constexpr int32_t kBufferSize = 1024;

    BufferedFileStream() = default;
    ~BufferedFileStream() override;

    Status Open(const char* name, uint32_t mode) override;
    Status OpenTemporary(const char* prefix, uint32_t mode) override;
    Status Close() override;
    Status Flush() override;
    int32_t Read(void* buffer, int32_t bytes) override;
    int32_t Write(const void* buffer, int32_t bytes) override;
    int32_t Seek(int32_t distance, uint32_t origin) override;
    // Both settle the buffer first, so they see the file as the caller wrote it.
    int32_t Length() override;
    int32_t SetLength(int32_t length) override;

private:
    // Writes the buffered bytes to the file without asking the system to
    // sync them: what every operation that must see the file does. Only
    // Flush and Close sync.
    Status WriteOut();
    Status TakeBuffer();

    uint8_t* end_ = nullptr;     // end of the valid data in the buffer
    uint8_t* cursor_ = nullptr;  // next byte to read or write
    int32_t bufferSize_ = 0;
    uint8_t* buffer_ = nullptr;  // from the engine allocation functions; null while closed
};
