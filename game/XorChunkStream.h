#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "engine/IffFile.h"

// A chunk file whose chunk data are enciphered with a key word while ids and
// sizes stay plain, so that any chunk reader can still walk it. Sizes are in
// FORM (big-endian) order. Each whole 32-bit word of a chunk's data is XORed
// with the key as a little-endian word; a tail of one to three bytes stays
// plain. Failures are returned and kept as LastError(), never more.
class XorChunkStream : public IffFile {
public:
    // On the object's own file stream.
    XorChunkStream();
    // On the caller's stream, which must outlive this object.
    explicit XorChunkStream(::Stream* stream);

    // Opens the path, validates the header and keys the stream from the path.
    Status Open(const char* path, uint32_t openMode);
    // The key is the path's last four bytes read as a little-endian word
    // (".sav" gives 0x7661732E). A shorter path fills the low bytes in order
    // and leaves the rest zero, as if its terminator and zeros followed it.
    void SetKeyFromPath(const char* path);
    void SetKey(uint32_t key) { key_ = key; }
    static uint32_t KeyFromPath(const char* path);

    // Deciphers the current chunk's unread data into `buffer`, storing at most
    // `capacity` bytes and skipping the rest, so that an oversized chunk from
    // a damaged file cannot overrun the caller. `stored` gets the count kept.
    Status ReadChunkData(void* buffer, uint32_t capacity, uint32_t* stored = nullptr);

    // The whole unread data, deciphered.
    Status ReadChunk(void* buffer) override;
    using IffFile::ReadChunk;
    // Enciphers a copy: the caller's data come back as they were given.
    Status WriteChunk(uint32_t id, const void* data, uint32_t size) override;

    // The records of saved games and pilot files: a chunk of one
    // little-endian word, and a text with its NUL of at most kTextBytes - 1
    // characters (a longer one is cut). A chunk that is not exactly one word,
    // or a text not terminated inside its chunk, gives `refusal` and stores
    // nothing.
    static constexpr uint32_t kTextBytes = 64;
    Status WriteWordChunk(uint32_t id, int32_t value);
    Status WriteTextChunk(uint32_t id, const char* text);
    Status ReadWordChunk(int32_t* value, Status refusal);
    Status ReadTextChunk(char (&text)[kTextBytes], Status refusal);
    // A longer text (a resume): at most `maxBytes` with its NUL.
    Status WriteTextChunk(uint32_t id, const std::string& text);
    Status ReadTextChunk(std::string* text, uint32_t maxBytes, Status refusal);

    // Calls visit for each chunk of the current level (a group chunk's id is
    // the group id, FormType() its type) until the level ends or visit fails.
    // More than kMaxWalkChunks chunks give `refusal`: a damaged file cannot
    // make the walk endless.
    static constexpr int kMaxWalkChunks = 4096;
    Status WalkLevel(const std::function<Status(uint32_t id)>& visit, Status refusal);
    // Descends into the current group chunk, walks it and ascends again.
    Status WalkForm(const std::function<Status(uint32_t id)>& visit, Status refusal);

private:
    // XORs `count` bytes that start `offset` bytes into a chunk of `chunkSize`.
    void Cipher(uint8_t* bytes, uint32_t count, uint32_t offset, uint32_t chunkSize) const;

    uint32_t key_ = 0;
};
