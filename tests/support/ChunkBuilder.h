#pragma once
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

// Builds chunk-file bytes for tests. Chunks and forms are values that nest:
//   ChunkBuilder b;
//   auto file = b.Form("TEST", {b.Chunk("NAME", "abc"), b.Form("SUB ", {})});
// (a list of forms is b.Cat("TEST", {...}))
// Sizes are big-endian, or little-endian with kRiff (group id "RIFF"); odd
// chunks get a pad byte unless kNoPad. For malformed input, Header() writes
// any four id bytes with any size field, and Join() glues pieces as they are.
class ChunkBuilder {
public:
    using Bytes = std::vector<uint8_t>;
    // The same bits as the chunk file's mode flags.
    enum Flags : uint32_t { kNoPad = 0x1, kRiff = 0x2 };

    explicit ChunkBuilder(uint32_t flags = 0);

    // `id` and `type` are exactly four bytes.
    Bytes Chunk(std::string_view id, const Bytes& data) const;
    Bytes Chunk(std::string_view id, std::string_view text) const;
    Bytes Form(std::string_view type, std::initializer_list<Bytes> children) const;
    // A "CAT " of `type`: a plain list of forms.
    Bytes Cat(std::string_view type, std::initializer_list<Bytes> children) const;
    Bytes Header(std::string_view id, uint32_t sizeField) const;
    // Four bytes of `value` in this builder's size order.
    Bytes Size(uint32_t value) const;
    std::string_view GroupId() const { return (flags_ & kRiff) ? "RIFF" : "FORM"; }

    static Bytes Join(std::initializer_list<Bytes> parts);
    static Bytes Text(std::string_view text);
    // Little-endian 32-bit words, the order of the fields inside chunk data.
    static Bytes Words(std::initializer_list<uint32_t> words);

private:
    Bytes Group(std::string_view id, std::string_view type, std::initializer_list<Bytes> children) const;

    const uint32_t flags_;
};
