#pragma once
#include <cstdint>
#include <vector>

#include "engine/FileStream.h"

// A file worked on whole in memory: opening reads what the file holds,
// reads, writes and seeks move among those bytes, and the file gets them in
// one write when the stream is flushed or closed. For the small files the
// game rewrites through chunk writers, which seek back to patch each form's
// size and would otherwise go out in a thousand writes of a few bytes.
class WholeFileStream : public FileStream {
public:
    // Larger files are refused at opening: the stream is for small records.
    static constexpr int32_t kMaxBytes = 16 << 20;

    WholeFileStream() = default;
    ~WholeFileStream() override;

    Status Open(const char* name, uint32_t mode) override;
    Status OpenTemporary(const char* prefix, uint32_t mode) override;
    // Writes out what changed, without asking the system to sync.
    Status Close() override;
    // Writes out what changed and syncs it to the disk.
    Status Flush() override;
    int32_t Read(void* buffer, int32_t bytes) override;
    int32_t Write(const void* buffer, int32_t bytes) override;
    // Like a file, a seek may pass the end; a write there fills the gap with zeros.
    int32_t Seek(int32_t distance, uint32_t origin) override;
    int32_t Length() override;
    int32_t SetLength(int32_t length) override;

private:
    Status TakeFile();
    Status WriteOut();

    std::vector<uint8_t> bytes_;
    int32_t cursor_ = 0;
    bool changed_ = false;
};
