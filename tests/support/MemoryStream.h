#pragma once
#include <cstdint>
#include <vector>

#include "engine/Stream.h"

// A stream over bytes in memory, for tests of everything that reads or writes
// through a Stream. It starts open, readable and writable. Like a file it
// seeks past its end and fills a gap with zeros when written there. Failures
// can be injected at byte offsets: a read or write that would touch the
// offset either fails or comes back short, ending just before it. It fails
// as the file streams do: a count of 0 with LastError() set (here
// kStatusInjectedFault), while a read at the end gives 0 with
// kStatusEndOfData.
class MemoryStream : public Stream {
public:
    static constexpr Status kStatusInjectedFault = 31;
    static constexpr int64_t kNever = -1;

    MemoryStream();
    explicit MemoryStream(std::vector<uint8_t> bytes);

    // Mode bit 0 read, bits 1..3 write, bit 3 also empties the bytes; the name is ignored.
    Status Open(const char* name, uint32_t mode) override;
    Status Close() override;
    Status Flush() override;
    int32_t Read(void* buffer, int32_t bytes) override;
    int32_t Write(const void* buffer, int32_t bytes) override;
    int32_t Seek(int32_t distance, uint32_t origin) override;
    int32_t Length() override;
    int32_t SetLength(int32_t length) override;

    void FailReadsAt(int64_t offset) { failReadAt_ = offset; }
    void ShortReadsAt(int64_t offset) { shortReadAt_ = offset; }
    void FailWritesAt(int64_t offset) { failWriteAt_ = offset; }
    void ShortWritesAt(int64_t offset) { shortWriteAt_ = offset; }
    void FailSeeks(bool fail) { failSeeks_ = fail; }
    // Calls are counted from construction: the call numbered `call` (from 0)
    // and every later one fails, for failures that come only part way
    // through a file.
    void FailReadsFrom(int32_t call) { failReadsFrom_ = call; }
    void FailSeeksFrom(int32_t call) { failSeeksFrom_ = call; }
    void FailWritesFrom(int32_t call) { failWritesFrom_ = call; }
    void FailLength(bool fail) { failLength_ = fail; }
    void FailFlush(bool fail) { failFlush_ = fail; }
    // Clears every injected failure.
    void Heal();

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t>& Bytes() { return bytes_; }
    int64_t Cursor() const { return cursor_; }
    int32_t FlushCount() const { return flushCount_; }
    int32_t ReadCount() const { return readCount_; }
    int32_t SeekCount() const { return seekCount_; }
    int32_t WriteCount() const { return writeCount_; }

private:
    // How many of `bytes` at the cursor may go before the injected offsets;
    // -1 when the operation is to fail.
    int64_t Allowed(int64_t bytes, int64_t failAt, int64_t shortAt) const;

    std::vector<uint8_t> bytes_;
    int64_t cursor_ = 0;
    int64_t failReadAt_ = kNever;
    int64_t shortReadAt_ = kNever;
    int64_t failWriteAt_ = kNever;
    int64_t shortWriteAt_ = kNever;
    bool failSeeks_ = false;
    bool failLength_ = false;
    bool failFlush_ = false;
    int32_t failReadsFrom_ = -1;
    int32_t failSeeksFrom_ = -1;
    int32_t failWritesFrom_ = -1;
    int32_t flushCount_ = 0;
    int32_t readCount_ = 0;
    int32_t seekCount_ = 0;
    int32_t writeCount_ = 0;
};
