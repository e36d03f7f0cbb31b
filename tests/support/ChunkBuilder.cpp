#include "tests/support/ChunkBuilder.h"

#include <cassert>

ChunkBuilder::ChunkBuilder(uint32_t flags) : flags_(flags) {}

ChunkBuilder::Bytes ChunkBuilder::Chunk(std::string_view id, const Bytes& data) const {
    Bytes out = Header(id, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if ((data.size() & 1) != 0 && (flags_ & kNoPad) == 0) {
        out.push_back(0);
    }
    return out;
}

ChunkBuilder::Bytes ChunkBuilder::Chunk(std::string_view id, std::string_view text) const {
    return Chunk(id, Text(text));
}

ChunkBuilder::Bytes ChunkBuilder::Form(std::string_view type, std::initializer_list<Bytes> children) const {
    assert(type.size() == 4);
    Bytes contents = Text(type);
    for (const Bytes& child : children) {
        contents.insert(contents.end(), child.begin(), child.end());
    }
    return Chunk(GroupId(), contents);
}

ChunkBuilder::Bytes ChunkBuilder::Header(std::string_view id, uint32_t sizeField) const {
    assert(id.size() == 4);
    return Join({Text(id), Size(sizeField)});
}

ChunkBuilder::Bytes ChunkBuilder::Size(uint32_t value) const {
    if (flags_ & kRiff) {
        return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    }
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

ChunkBuilder::Bytes ChunkBuilder::Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

ChunkBuilder::Bytes ChunkBuilder::Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}
