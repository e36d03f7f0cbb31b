#include "tests/support/ChunkBuilder.h"

#include <cassert>

#include "engine/ByteOrder.h"

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
    return Group(GroupId(), type, children);
}

ChunkBuilder::Bytes ChunkBuilder::Cat(std::string_view type, std::initializer_list<Bytes> children) const {
    return Group("CAT ", type, children);
}

ChunkBuilder::Bytes ChunkBuilder::Group(std::string_view id, std::string_view type,
                                        std::initializer_list<Bytes> children) const {
    assert(type.size() == 4);
    Bytes contents = Text(type);
    for (const Bytes& child : children) {
        contents.insert(contents.end(), child.begin(), child.end());
    }
    return Chunk(id, contents);
}

ChunkBuilder::Bytes ChunkBuilder::Header(std::string_view id, uint32_t sizeField) const {
    assert(id.size() == 4);
    return Join({Text(id), Size(sizeField)});
}

ChunkBuilder::Bytes ChunkBuilder::Size(uint32_t value) const {
    Bytes out(4);
    if (flags_ & kRiff) {
        StoreLe32(out.data(), value);
    } else {
        StoreBe32(out.data(), value);
    }
    return out;
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

ChunkBuilder::Bytes ChunkBuilder::Words(std::initializer_list<uint32_t> words) {
    Bytes out(4 * words.size());
    uint8_t* at = out.data();
    for (const uint32_t word : words) {
        StoreLe32(at, word);
        at += 4;
    }
    return out;
}
