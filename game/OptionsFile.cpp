#include "game/OptionsFile.h"

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/WholeFileStream.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/XorChunkStream.h"

namespace {

constexpr uint32_t kBodyType = MakeTag("BODY");
constexpr uint32_t kOptionsId = MakeTag("OPTS");
constexpr uint32_t kDataBytes = 4 * CareerOptions::kWords;
constexpr const char* kPendingSuffix = ".new";

}  // namespace

std::string OptionsFilePath(const GameState& game) {
    std::string path = game.ConfigFilePath();
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return path + kOptionsFileName;
}

Status ReadOptionsFile(const char* path, CareerOptions* options) {
    XorChunkStream stream;
    Status status = stream.Open(path, kOpenRead);
    if (status != kStatusOk) return status;
    if (stream.FindForm(kBodyType) != kStatusOk || stream.Descend() != kStatusOk ||
        stream.FindChunk(kOptionsId) != kStatusOk) {
        return kStatusOptionsBadFile;
    }
    // A longer chunk is not an options block of this game: none of it is taken.
    if (stream.ChunkSize() > kDataBytes) return kStatusOptionsBadFile;
    uint8_t bytes[kDataBytes] = {};
    uint32_t stored = 0;
    status = stream.ReadChunkData(bytes, kDataBytes, &stored);
    if (status != kStatusOk) return status;
    for (uint32_t i = 0; i < stored / 4; ++i) options->TakeWord(int(i), int32_t(LoadLe32(bytes + 4 * i)));
    return kStatusOk;
}

Status WriteOptionsFile(const char* path, const CareerOptions& options) {
    uint8_t bytes[kDataBytes];
    for (int i = 0; i < CareerOptions::kWords; ++i) StoreLe32(bytes + 4 * i, uint32_t(options.Word(i)));
    // Written beside the old file and renamed over it, so that a failed or
    // interrupted write keeps the old options.
    const std::string pending = std::string(path) + kPendingSuffix;
    Status status;
    {
        WholeFileStream file;
        XorChunkStream stream(&file);
        status = stream.OpenFile(pending.c_str(), kOpenWrite | kOpenCreate);
        if (status != kStatusOk) return status;
        // Keyed as the file it becomes.
        stream.SetKeyFromPath(path);
        status = stream.BeginForm(kBodyType);
        if (status == kStatusOk) status = stream.WriteChunk(kOptionsId, bytes, kDataBytes);
        if (status == kStatusOk) status = stream.Ascend();
        const Status closed = stream.CloseFile();
        if (status == kStatusOk) status = closed;
    }
    return static_cast<Status>(FinishReplacement(status, pending.c_str(), path));
}

void ReadOptionsFile(GameState& game) {
    if (game.career == nullptr) return;
    // A missing or damaged file leaves the words as they were; nobody is told.
    (void)ReadOptionsFile(OptionsFilePath(game).c_str(), &game.career->options);
}

void WriteOptionsFile(GameState& game) {
    if (game.career == nullptr) return;
    (void)WriteOptionsFile(OptionsFilePath(game).c_str(), game.career->options);
}
