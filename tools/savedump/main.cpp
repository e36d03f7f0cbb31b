// Prints the chunks of a saved game or a pilot file with their data
// deciphered, nested forms indented. A damaged file is reported and fails.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/FileWrappers.h"
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

// Prints the open level; 0, or the failure that stopped the walk.
Status DumpLevel(XorChunkStream& stream, int depth) {
    for (;;) {
        Status status = stream.NextChunk();
        if (status == kStatusEndOfData) {
            return kStatusOk;
        }
        if (status != kStatusOk) {
            return status;
        }
        std::printf("%*s", 2 * depth, "");
        if (stream.ChunkId() == IffFile::kFormId) {
            std::printf("FORM ");
            PrintTag(stream.FormType());
            std::printf(" (%u bytes)\n", stream.ChunkSize());
            status = stream.Descend();
            if (status == kStatusOk) status = DumpLevel(stream, depth + 1);
            if (status == kStatusOk) status = stream.Ascend();
            if (status != kStatusOk) {
                return status;
            }
            continue;
        }
        PrintTag(stream.ChunkId());
        std::printf(" (%u bytes)", stream.ChunkSize());
        std::vector<uint8_t> bytes(stream.ChunkSize());
        uint32_t stored = 0;
        status = stream.ReadChunkData(bytes.data(), static_cast<uint32_t>(bytes.size()), &stored);
        if (status != kStatusOk || stored != bytes.size()) {
            std::putchar('\n');
            return status != kStatusOk ? status : kStatusIffShortRead;
        }
        PrintData(bytes);
    }
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
    status = DumpLevel(stream, 0);
    if (status == kStatusOk && stream.Position() == 0) {
        status = kStatusIffBadHeader;  // an empty file is no save
    }
    if (status != kStatusOk) {
        std::fprintf(stderr, "savedump: %s is damaged (0x%X)\n", argv[1], static_cast<unsigned>(status));
        return 1;
    }
    return 0;
}
