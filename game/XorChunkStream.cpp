#include "game/XorChunkStream.h"

#include <cstring>
#include <string.h>
#include <vector>

#include "engine/ByteOrder.h"

XorChunkStream::XorChunkStream() : IffFile(0) {}

XorChunkStream::XorChunkStream(::Stream* stream) : IffFile(stream, 0) {}

Status XorChunkStream::Open(const char* path, uint32_t openMode) {
    const Status status = OpenFile(path, openMode);
    if (status == kStatusOk) {
        SetKeyFromPath(path);
    }
    return status;
}

uint32_t XorChunkStream::KeyFromPath(const char* path) {
    if (path == nullptr) {
        return 0;
    }
    const size_t length = std::strlen(path);
    const size_t first = length > 4 ? length - 4 : 0;
    uint32_t key = 0;
    for (size_t i = first; i < length; ++i) {
        key |= static_cast<uint32_t>(static_cast<uint8_t>(path[i])) << (8 * (i - first));
    }
    return key;
}

void XorChunkStream::SetKeyFromPath(const char* path) { key_ = KeyFromPath(path); }

void XorChunkStream::Cipher(uint8_t* bytes, uint32_t count, uint32_t offset, uint32_t chunkSize) const {
    const uint32_t wholeWords = chunkSize & ~3u;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = offset + i;
        if (at >= wholeWords) {
            break;
        }
        bytes[i] ^= static_cast<uint8_t>(key_ >> (8 * (at & 3)));
    }
}

Status XorChunkStream::ReadChunk(void* buffer) {
    const uint32_t size = ChunkSize();
    const uint32_t unread = UnreadCount();
    const uint32_t offset = size - unread;
    const Status status = IffFile::ReadChunk(buffer);
    // A short read consumed part of the data; those bytes are deciphered too.
    const uint32_t got = unread - UnreadCount();
    Cipher(static_cast<uint8_t*>(buffer), status == kStatusOk ? unread : got, offset, size);
    return status;
}

Status XorChunkStream::ReadChunkData(void* buffer, uint32_t capacity, uint32_t* stored) {
    if (stored != nullptr) {
        *stored = 0;
    }
    const uint32_t unread = UnreadCount();
    if (unread <= capacity) {
        const Status status = ReadChunk(buffer);
        if (stored != nullptr && status == kStatusOk) {
            *stored = unread;
        }
        return status;
    }
    // Sizes were checked against the file when the chunk was met, so this
    // allocation is bounded by the bytes really there.
    std::vector<uint8_t> whole(unread);
    const Status status = ReadChunk(whole.data());
    if (status != kStatusOk) {
        return status;
    }
    std::memcpy(buffer, whole.data(), capacity);
    if (stored != nullptr) {
        *stored = capacity;
    }
    return kStatusOk;
}

Status XorChunkStream::WriteChunk(uint32_t id, const void* data, uint32_t size) {
    std::vector<uint8_t> copy(size);
    if (size > 0) {
        std::memcpy(copy.data(), data, size);
    }
    Cipher(copy.data(), size, 0, size);
    return IffFile::WriteChunk(id, copy.data(), size);
}

Status XorChunkStream::WriteWordChunk(uint32_t id, int32_t value) {
    uint8_t bytes[4];
    StoreLe32(bytes, static_cast<uint32_t>(value));
    return WriteChunk(id, bytes, sizeof bytes);
}

Status XorChunkStream::WriteTextChunk(uint32_t id, const char* text) {
    const size_t length = strnlen(text, kTextBytes - 1);
    char bytes[kTextBytes] = {};
    std::memcpy(bytes, text, length);
    return WriteChunk(id, bytes, static_cast<uint32_t>(length + 1));
}

Status XorChunkStream::ReadWordChunk(int32_t* value, Status refusal) {
    if (ChunkSize() != 4 || UnreadCount() != 4) return refusal;
    uint8_t bytes[4];
    const Status status = ReadChunkData(bytes, sizeof bytes);
    if (status != kStatusOk) return status;
    *value = static_cast<int32_t>(LoadLe32(bytes));
    return kStatusOk;
}

Status XorChunkStream::ReadTextChunk(char (&text)[kTextBytes], Status refusal) {
    const uint32_t size = ChunkSize();
    if (size == 0 || size > kTextBytes || UnreadCount() != size) return refusal;
    char bytes[kTextBytes];
    const Status status = ReadChunkData(bytes, sizeof bytes);
    if (status != kStatusOk) return status;
    const void* const end = std::memchr(bytes, 0, size);
    if (end == nullptr) return refusal;
    std::memcpy(text, bytes, size_t(static_cast<const char*>(end) - bytes) + 1);
    return kStatusOk;
}

Status XorChunkStream::WriteTextChunk(uint32_t id, const std::string& text) {
    return WriteChunk(id, text.c_str(), static_cast<uint32_t>(text.size() + 1));
}

Status XorChunkStream::ReadTextChunk(std::string* text, uint32_t maxBytes, Status refusal) {
    const uint32_t size = ChunkSize();
    if (size == 0 || size > maxBytes || UnreadCount() != size) return refusal;
    std::vector<char> bytes(size);
    const Status status = ReadChunkData(bytes.data(), size);
    if (status != kStatusOk) return status;
    const void* const end = std::memchr(bytes.data(), 0, size);
    if (end == nullptr) return refusal;
    text->assign(bytes.data(), size_t(static_cast<const char*>(end) - bytes.data()));
    return kStatusOk;
}

Status XorChunkStream::WalkLevel(const std::function<Status(uint32_t id)>& visit, Status refusal) {
    for (int chunks = 0;; ++chunks) {
        const Status step = NextChunk();
        if (step == kStatusEndOfData) return kStatusOk;
        if (step != kStatusOk) return step;
        if (chunks >= kMaxWalkChunks) return refusal;
        const Status visited = visit(ChunkId());
        if (visited != kStatusOk) return visited;
    }
}

Status XorChunkStream::WalkForm(const std::function<Status(uint32_t id)>& visit, Status refusal) {
    Status status = Descend();
    if (status != kStatusOk) return status;
    status = WalkLevel(visit, refusal);
    const Status ascended = Ascend();
    return status != kStatusOk ? status : ascended;
}
