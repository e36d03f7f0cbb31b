// Walks any bytes as a chunk file, in every byte order and pad mode, the way
// loaders do: descend into every form, read every chunk into a buffer sized
// from ChunkSize(), ascend, to the end of the file. A size that was not
// checked against the file, a walk that does not end, one that stops short of
// the end it reports, or a read out of bounds aborts.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "tests/support/MemoryStream.h"

namespace {

// Every chunk moves the walk at least 8 bytes on, so a few per byte of input
// is already far more than any walk can take.
constexpr int64_t kStepsPerByte = 4;

struct Walker {
    IffFile& iff;
    size_t inputSize;
    int64_t stepsLeft;

    void Step() {
        if (--stepsLeft < 0) {
            std::abort();  // the walk does not end
        }
    }

    // A level whose walk reports its end has no chunk left unvisited.
    Status WalkLevel() {
        const Status status = WalkChunks();
        if (status == kStatusEndOfData && iff.NextChunk() != kStatusEndOfData) {
            std::abort();  // the walk stopped short
        }
        return status;
    }

    Status WalkChunks() {
        Status status;
        while ((status = iff.NextChunk()) == kStatusOk) {
            Step();
            if (iff.ChunkSize() > inputSize) {
                std::abort();  // a size nobody checked
            }
            if (iff.ChunkId() == IffFile::kFormId || iff.ChunkId() == IffFile::kRiffId) {
                if ((status = iff.Descend()) != kStatusOk) {
                    return status;
                }
                // The end of the inner level is where its walk should stop;
                // the walk goes on at this level.
                const Status inner = WalkLevel();
                const Status up = iff.Ascend();
                if (inner != kStatusEndOfData) {
                    return inner;
                }
                if (up != kStatusOk) {
                    return up;
                }
                continue;
            }
            std::vector<uint8_t> data(iff.ChunkSize());
            if (!data.empty() && (status = iff.ReadChunk(data.data(), iff.ChunkSize())) != kStatusOk) {
                return status;
            }
        }
        return status;
    }
};

void WalkInMode(const uint8_t* bytes, size_t size, uint32_t mode) {
    MemoryStream stream(std::vector<uint8_t>(bytes, bytes + size));
    IffFile iff(&stream, mode);
    // Loaders that ignore a failed validation must be safe too.
    iff.ValidateHeader();
    Walker walker{iff, size, static_cast<int64_t>(size + 1) * kStepsPerByte};
    walker.WalkLevel();
    while (iff.Level() > 0) {
        walker.Step();
        iff.Ascend();
    }
    // Finds over the top level, from the start and after reading the first chunk.
    iff.Rewind(0);
    iff.FindForm(MakeTag("TEST"));
    iff.Rewind(1);
    iff.FindChunk(MakeTag("DATA"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (uint32_t mode = 0; mode < 4; ++mode) {
        WalkInMode(data, size, mode);
    }
    return 0;
}
