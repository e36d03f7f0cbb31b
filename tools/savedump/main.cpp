// Prints the chunks of a saved game or a pilot file with their data
// deciphered, nested forms indented. A damaged file is reported and fails.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/FileWrappers.h"
#include "engine/IffWalk.h"
#include "game/XorChunkStream.h"

namespace {

void PrintTag(uint32_t tag) {
    for (int i = 0; i < 4; ++i) {
        const int c = static_cast<int>((tag >> (8 * i)) & 0xFF);
        std::putchar(std::isprint(c) ? c : '?');
    }
}

void PrintData(const std::vector<uint8_t>& bytes) {
    const bool text = !bytes.empty() && bytes.back() == 0 &&
                      [&] {
                          for (size_t i = 0; i + 1 < bytes.size(); ++i) {
                              if (bytes[i] == 0) break;
                              if (!std::isprint(bytes[i])) return false;
                          }
                          return true;
                      }();
    if (bytes.size() == 4) {
        const int32_t word = static_cast<int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                  static_cast<uint32_t>(bytes[3]) << 24);
        std::printf(" %d", word);
    } else if (text) {
        std::printf(" \"%s\"", reinterpret_cast<const char*>(bytes.data()));
    }
    // Numbers are words; anything else also as bytes.
    if (bytes.size() != 4) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            std::printf("%s%02X", i % 16 == 0 ? "\n      " : " ", bytes[i]);
        }
    }
    std::putchar('\n');
}

// Prints every chunk from the top level on, forms indented by their depth;
// 0, or the failure that stopped the walk.
Status Dump(XorChunkStream& stream) {
    const uint32_t top = stream.Level();
    Status failure = kStatusOk;
    const Status walked = iff_walk::Walk(stream, [&](IffFile&) {
        std::printf("%*s", int(2 * (stream.Level() - top)), "");
        if (stream.ChunkId() == IffFile::kFormId) {
            std::printf("FORM ");
            PrintTag(stream.FormType());
            std::printf(" (%u bytes)\n", stream.ChunkSize());
            return iff_walk::Choice::kEnter;
        }
        PrintTag(stream.ChunkId());
        std::printf(" (%u bytes)", stream.ChunkSize());
        std::vector<uint8_t> bytes(stream.ChunkSize());
        uint32_t stored = 0;
        const Status status = stream.ReadChunkData(bytes.data(), static_cast<uint32_t>(bytes.size()), &stored);
        if (status != kStatusOk || stored != bytes.size()) {
            std::putchar('\n');
            failure = status != kStatusOk ? status : kStatusIffShortRead;
            return iff_walk::Choice::kStop;
        }
        PrintData(bytes);
        return iff_walk::Choice::kPass;
    });
    if (failure != kStatusOk) return failure;
    return walked == kStatusEndOfData ? kStatusOk : walked;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: savedump FILE\nPrints the chunks of a saved game (.sav) or a pilot file (.plr).\n");
        return 2;
    }
    XorChunkStream stream;
    Status status = stream.Open(argv[1], kOpenRead);
    if (status != kStatusOk) {
        std::fprintf(stderr, "savedump: %s cannot be opened (0x%X)\n", argv[1], static_cast<unsigned>(status));
        return 1;
    }
    status = Dump(stream);
    if (status == kStatusOk && stream.Position() == 0) {
        status = kStatusIffBadHeader;  // an empty file is no save
    }
    if (status != kStatusOk) {
        std::fprintf(stderr, "savedump: %s is damaged (0x%X)\n", argv[1], static_cast<unsigned>(status));
        return 1;
    }
    return 0;
}
