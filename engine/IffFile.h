#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/FileStream.h"
#include "engine/Status.h"
#include "engine/Stream.h"

// Status words of the chunk file. kStatusEndOfData (38) ends every level and
// is an ordinary state, not a failure.
inline constexpr Status kStatusIffBadHeader = 0x20003000;      // also: a chunk that overruns its form or the file
inline constexpr Status kStatusIffChunkNotFound = 0x20003001;
inline constexpr Status kStatusIffFormNotFound = 0x20003002;
inline constexpr Status kStatusIffShortRead = 0x20003003;      // a short header or data read, or no data left
inline constexpr Status kStatusIffChunkTooLarge = 0x20003004;  // larger than the caller's buffer
inline constexpr Status kStatusIffNotAForm = 0x20003005;
inline constexpr Status kStatusIffBadId = 0x20003006;          // an id byte outside 0x20..0x7E, or the group id as form type
inline constexpr Status kStatusIffBadForm = 0x20003007;        // a group chunk below 4 bytes or without a readable form type
inline constexpr Status kStatusIffChunkCurrent = 0x20003008;   // a write while another chunk is current
inline constexpr Status kStatusIffTooDeep = 0x20003009;

// A four-character id or form type as the 32-bit word the file's bytes make
// when read little-endian: MakeTag("FORM") == 0x4D524F46.
constexpr uint32_t MakeTag(const char (&text)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

// Reads and writes chunk files: chunks of id, size and data, nested in group
// chunks ("FORM", or "RIFF" under kModeRiff) up to kMaxLevels deep. The reader
// walks one level at a time; the writer appends and fixes form sizes on the
// way out. Every failure is returned, kept as LastError() and leaves the
// object usable. Sizes from the file are never trusted: a chunk that does not
// fit inside its form (or the file, at the top) is refused before anyone can
// allocate from its size.
class IffFile : public EngineObject {
public:
    enum ModeFlags : uint32_t {
        kModeNoPad = 0x1,  // no pad byte after odd-sized chunks
        kModeRiff = 0x2,   // little-endian sizes, group id "RIFF"
    };
    static constexpr uint32_t kMaxLevels = 15;
    static constexpr uint32_t kFormId = MakeTag("FORM");
    static constexpr uint32_t kRiffId = MakeTag("RIFF");

    // On the object's own file stream.
    explicit IffFile(uint32_t modeFlags);
    // On the caller's stream, which must outlive this object (the destructor
    // still finishes and flushes through it); the caller keeps owning it.
    IffFile(::Stream* stream, uint32_t modeFlags);
    // Finishes (closing open forms when writing); the own stream closes its file.
    virtual ~IffFile();
    IffFile(const IffFile&) = delete;
    IffFile& operator=(const IffFile&) = delete;

    // Opening and closing.
    void Reset();
    // Opens the stream with openMode plus read, then validates the header.
    Status OpenFile(const char* name, uint32_t openMode);
    Status CloseFile();
    // Right after the stream was opened: takes its position as the start and
    // its length as the file length. An empty file is valid.
    Status ValidateHeader();
    // Closes every open form when writing, resets the state, flushes what
    // was written.
    Status Finish();

    // Reading: walking one level.
    // 0, kStatusEndOfData at the end of the level (chunk id 0), or a failure
    // after which the stream is back where it was.
    Status NextChunk();
    // Back to the first chunk of the innermost open form (the file's start at
    // level 0); with readFirst that chunk is made current.
    Status Rewind(uint32_t readFirst);
    // The next chunk with this id (the current one is not tested). Not found:
    // kStatusIffChunkNotFound, while LastError() keeps what stopped the walk.
    Status FindChunk(uint32_t id);
    // The next group chunk of this form type; kStatusIffFormNotFound as above.
    Status FindForm(uint32_t formType);
    // Reads the unread data of the current chunk; `buffer` must hold
    // ChunkSize() bytes. A short read is kStatusIffShortRead. A class that
    // transforms chunk data overrides this form and WriteChunk; the checked
    // form below goes through it.
    virtual Status ReadChunk(void* buffer);
    // The same, refusing with kStatusIffChunkTooLarge (nothing read) when the
    // unread data exceed `capacity` bytes.
    Status ReadChunk(void* buffer, uint32_t capacity);
    Status Descend();
    Status Ascend();

    // Writing.
    // Appends a chunk when none is current; over the current chunk of the same
    // id and unread size, rewrites its data in place.
    virtual Status WriteChunk(uint32_t id, const void* data, uint32_t size);
    Status BeginForm(uint32_t formType);

    uint32_t ChunkId() const { return chunkId_; }
    uint32_t ChunkSize() const { return chunkSize_; }
    uint32_t FormType() const { return formType_; }
    uint32_t Level() const { return level_; }
    Status LastError() const { return lastError_; }
    uint32_t ModeFlags() const { return modeFlags_; }
    uint32_t UnreadCount() const { return unreadCount_; }
    uint32_t Position() const { return position_; }
    ::Stream* Stream() const { return stream_; }

protected:
    uint32_t GroupId() const { return (modeFlags_ & kModeRiff) ? kRiffId : kFormId; }
    // Stores a non-zero status as the last error and returns it.
    Status Fail(Status status);

private:
    struct FormLevel {
        uint32_t formType = 0;
        uint32_t flags = 0;       // kLevelChanged
        uint32_t firstChunk = 0;  // stream position just behind the form type
        uint32_t contentSize = 0; // bytes after the form type
    };
    static constexpr uint32_t kLevelChanged = 0x1;

    uint32_t PadFor(uint32_t size) const;
    uint32_t DecodeSize(const uint8_t* bytes) const;
    void EncodeSize(uint32_t size, uint8_t* bytes) const;
    // The stream's own code, or `fallback` when the stream kept none.
    Status StreamError(Status fallback) const;
    // Absolute seek; false unless the stream lands on `target`.
    bool SeekTo(uint64_t target);
    int64_t ReadBytes(void* buffer, uint32_t bytes);
    int64_t WriteBytes(const void* data, uint32_t bytes);
    // A write that failed part-way: back to where it began, so that the next
    // write replaces what got out; nothing else changes.
    Status FailWrite();
    // After a write: the position from the stream, the file length grown to it.
    void TakeWritePosition();
    void GrowOpenLevels(uint32_t bytes);

    const uint32_t modeFlags_;
    uint32_t level_ = 0;
    uint32_t position_ = 0;        // where the stream is believed to be
    uint32_t fileLength_ = 0;
    uint32_t unreadCount_ = 0;     // data bytes of the current chunk not consumed
    FormLevel levels_[kMaxLevels]; // levels_[0] is level 1
    FileStream fileStream_;
    ::Stream* stream_;
    Status lastError_ = kStatusOk;
    uint32_t formType_ = 0;        // of the innermost form, or of the group chunk just met
    uint32_t chunkId_ = 0;         // 0 when no chunk is current
    uint32_t chunkSize_ = 0;
};
