#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

// Status words of the streams.
inline constexpr Status kStatusStreamNotOpen = 0x20000001;
inline constexpr Status kStatusStreamAlreadyOpen = 0x20000002;
// A reader over a stream that is neither readable nor writable.
inline constexpr Status kStatusStreamNotUsable = 0x20001003;
inline constexpr Status kStatusShortWrite = 29;
inline constexpr Status kStatusCloseFailed = 6;

// A byte stream. Failures are returned and kept in LastError(); reading past
// the end is not a failure in itself: the count is short and LastError() is
// kStatusEndOfData.
class Stream : public EngineObject {
public:
    enum StateBits : uint32_t {
        kReadable = 0x1,
        kWritable = 0x2,
        kOpen = 0x4,
        kTemporary = 0x8,
        kDeleteOnClose = 0x10,
        kBufferDirtyPair = 0x10000,  // set and cleared together with kBufferDirty
        kBufferReadAhead = 0x20000,  // the buffer holds data read ahead of the reader
        kBufferDirty = 0x40000,      // the buffer holds data not yet written
    };

    Stream() = default;
    virtual ~Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    virtual Status Open(const char* name, uint32_t mode) = 0;
    virtual Status Close() = 0;
    virtual Status Flush() { return kStatusOk; }
    // Bytes read; -1 or a short count on failure (see each stream).
    virtual int32_t Read(void* buffer, int32_t bytes) = 0;
    virtual int32_t Write(const void* buffer, int32_t bytes) = 0;
    // Origin 0 start, 1 current, 2 end; the new position or -1.
    virtual int32_t Seek(int32_t distance, uint32_t origin) = 0;
    virtual int32_t Length() = 0;
    virtual int32_t SetLength(int32_t length) = 0;
    // Two operations every stream kind answers with 0.
    virtual int32_t Reserved1(int32_t, int32_t) { return 0; }
    virtual int32_t Reserved2(int32_t, int32_t) { return 0; }
    // Last-write date and time in DOS form, 0 on failure.
    virtual uint16_t FileDate() { return 0; }
    virtual uint16_t FileTime() { return 0; }

    // Copy in 2048-byte pieces until a read comes back short. A read that
    // fails (-1, or 0 leaving a code other than the end of the data) fails
    // the copy with its code.
    Status CopyTo(Stream& destination);
    Status CopyFrom(Stream& source);

    Status LastError() const { return lastError_; }
    uint32_t State() const { return state_; }
    bool IsOpen() const { return state_ & kOpen; }
    bool IsReadable() const { return state_ & kReadable; }
    bool IsWritable() const { return state_ & kWritable; }
    // The process-wide last-error word of the file layer.
    static Status ProcessLastError();

protected:
    Status lastError_ = kStatusOk;
    uint32_t state_ = 0;

private:
    static Status Copy(Stream& from, Stream& to);
};
