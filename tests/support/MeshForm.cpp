#include "tests/support/MeshForm.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/ByteOrder.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

Bytes Named(size_t size, const char* name) {
    Bytes b(size, 0);
    std::memcpy(b.data(), name, std::min<size_t>(16, std::strlen(name)));
    return b;
}

}  // namespace

Bytes TriangleMeshForm(const ChunkBuilder& b, const char* name, const char* parent) {
    Bytes header = Named(64, name);
    StoreLe32(header.data() + 16, 0x5);
    StoreLe32(header.data() + 20, 3);   // vertices
    StoreLe32(header.data() + 24, 1);   // faces
    Bytes vertices(3 * 32, 0);
    for (int i = 0; i < 3; ++i) {
        const float x = float(i);
        uint32_t word;
        std::memcpy(&word, &x, sizeof word);
        StoreLe32(vertices.data() + 32 * i, word);
    }
    Bytes face(64, 0);
    StoreLe32(face.data(), 0x2);
    StoreLe16(face.data() + 6, 1);
    StoreLe16(face.data() + 8, 2);
    std::vector<Bytes> chunks = {b.Chunk("HDR ", header), b.Chunk("VER1", vertices), b.Chunk("FAC2", face)};
    if (parent != nullptr) chunks.push_back(b.Chunk("HIER", Named(16, parent)));
    Bytes body = ChunkBuilder::Text("EMSH");
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return ChunkBuilder::Join({b.Header("FORM", uint32_t(body.size())), body});
}
