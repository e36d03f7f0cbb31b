// The options file "vorn.cfg": the graphics choices the start-up opens the
// display with, read, mended and written whole.
#include <string>

#include "display/PixelFormat.h"
#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/WholeFileStream.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/VornForm.h"

namespace {

constexpr uint32_t kConfigChunk = MakeTag("CNFG");
constexpr uint32_t kConfigWords = ConfigRecord::kBytes / 4;

// The record's words in file order; both directions go through it.
void ConfigWords(const ConfigRecord& record, uint32_t words[kConfigWords]) {
    words[0] = uint32_t(record.pixelFormat);
    words[1] = uint32_t(record.graphicsDriver);
    words[2] = record.textureFilterFlags;
    words[3] = uint32_t(record.softwareAlpha);
    words[4] = uint32_t(record.enhancedGraphics);
    words[5] = uint32_t(record.inertialFlight);
}

void SetConfigWords(const uint32_t words[kConfigWords], ConfigRecord* record) {
    record->pixelFormat = int32_t(words[0]);
    record->graphicsDriver = int32_t(words[1]);
    record->textureFilterFlags = words[2];
    record->softwareAlpha = int32_t(words[3]);
    record->enhancedGraphics = int32_t(words[4]);
    record->inertialFlight = int32_t(words[5]);
}

// The "CNFG" data, as many whole words as it holds, over `words`.
bool ReadConfigChunk(IffFile& iff, uint32_t words[kConfigWords]) {
    if (iff.FindForm(kVornForm) != kStatusOk || iff.Descend() != kStatusOk ||
        iff.FindChunk(kConfigChunk) != kStatusOk) {
        return false;
    }
    uint8_t bytes[ConfigRecord::kBytes] = {};
    const uint32_t size = iff.ChunkSize();
    if (size != 0 && iff.ReadChunk(bytes, ConfigRecord::kBytes) != kStatusOk) {
        return false;
    }
    for (uint32_t i = 0; i < size / 4; ++i) {
        words[i] = LoadLe32(bytes + 4 * i);
    }
    return true;
}

}  // namespace

int32_t g_graphicsDriver = kGraphicsDriverDirectDraw;
uint32_t g_textureFilterFlags = 0;
int32_t g_softwareAlpha = 0;

std::string GameState::ConfigFilePath() const {
    return configFolder_.empty() ? std::string(kConfigFile) : configFolder_ + "/" + kConfigFile;
}

uint32_t ConfigRecord::Mend() {
    uint32_t mended = 0;
    if (pixelFormat < kPixelFormatIndexed8 || pixelFormat > kPixelFormatRgb565) {
        pixelFormat = kDefaultPixelFormat;
        mended |= kMendedPixelFormat;
    }
    if (graphicsDriver != kGraphicsDriverDib && graphicsDriver != kGraphicsDriverDirectDraw &&
        graphicsDriver != kGraphicsDriverDirect3d) {
        graphicsDriver = kDefaultGraphicsDriver;
        mended |= kMendedGraphicsDriver;
    }
    return mended;
}

bool GameState::ReadConfigFile(ConfigRecord* record, bool apply, ConfigRecord* stored) {
    IffFile iff(0);
    if (iff.OpenFile(ConfigFilePath().c_str(), kOpenRead) != kStatusOk) {
        return false;
    }
    uint32_t words[kConfigWords];
    ConfigWords(*record, words);
    const bool read = ReadConfigChunk(iff, words);
    iff.CloseFile();
    // Without the chunk there is nothing to apply: the record holds only
    // what the caller put there.
    if (!read) {
        return false;
    }
    SetConfigWords(words, record);
    if (stored != nullptr) *stored = *record;
    record->Mend();
    if (apply) {
        g_pixelFormat = record->pixelFormat;
        g_graphicsDriver = record->graphicsDriver;
        g_textureFilterFlags = record->textureFilterFlags;
        g_softwareAlpha = record->softwareAlpha;
        enhancedGraphics = record->enhancedGraphics;
        if (career != nullptr) career->options.inertialOff = record->inertialFlight != 0 ? 1 : 0;
    }
    return true;
}

Status GameState::WriteConfigFile(const ConfigRecord& record) const {
    uint32_t words[kConfigWords];
    ConfigWords(record, words);
    uint8_t bytes[ConfigRecord::kBytes];
    for (uint32_t i = 0; i < kConfigWords; ++i) {
        StoreLe32(bytes + 4 * i, words[i]);
    }
    // Written beside the old file and renamed over it, so that a failed or
    // interrupted write keeps the old choices.
    const std::string path = ConfigFilePath();
    const std::string pending = path + ".new";
    Status status;
    {
        WholeFileStream file;
        IffFile iff(&file, 0);
        status = iff.OpenFile(pending.c_str(), kOpenWrite | kOpenCreate);
        if (status != kStatusOk) return status;
        if ((status = iff.BeginForm(kVornForm)) == kStatusOk &&
            (status = iff.WriteChunk(kConfigChunk, bytes, ConfigRecord::kBytes)) == kStatusOk) {
            status = iff.Ascend();
        }
        const Status closed = iff.CloseFile();
        if (status == kStatusOk) status = closed;
    }
    return static_cast<Status>(FinishReplacement(status, pending.c_str(), path.c_str()));
}
