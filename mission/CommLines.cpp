#include "mission/CommLines.h"

#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"

namespace comm_lines {

namespace {

constexpr uint32_t kCommForm = MakeTag("COMM");
constexpr uint32_t kLineForm = MakeTag("LINE");
constexpr uint32_t kMaxTextBytes = 4096;

bool ReadText(IffFile& iff, std::string* out) { return iff_walk::ReadText(iff, kMaxTextBytes, out); }

bool ReadLine(IffFile& iff, CommLine* line) {
    bool hasText = false, hasInfo = false;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk) return false;
        const uint32_t id = iff.ChunkId();
        if (id == MakeTag("TEXT")) {
            if (!ReadText(iff, &line->text)) return false;
            hasText = true;
        } else if (id == MakeTag("INFO")) {
            uint8_t bytes[kInfoWords * 4];
            if (iff.ChunkSize() != sizeof bytes || iff.ReadChunk(bytes, sizeof bytes) != kStatusOk) return false;
            int32_t* const fields[kInfoWords] = {&line->displayTime, &line->when,      &line->playerClass, &line->race,
                                                 &line->shipClass,   &line->voiceGender, &line->sideRule,  &line->soundFlag,
                                                 &line->weight,      &line->usesLeft,  &line->generic};
            for (uint32_t i = 0; i < kInfoWords; ++i) *fields[i] = int32_t(LoadLe32(bytes + 4 * i));
            hasInfo = true;
        } else if (id == MakeTag("KEYW")) {
            if (!ReadText(iff, &line->keyword)) return false;
        } else if (id == MakeTag("SMPL")) {
            if (!ReadText(iff, &line->sample)) return false;
        }
    }
    return hasText && hasInfo;
}

}  // namespace

Status Read(IffFile& iff, std::vector<std::unique_ptr<CommLine>>* lines) {
    bool refused = false;
    const Status walked = iff_walk::ForEachNested(iff, {kCommForm, kLineForm}, [&](IffFile& entry) {
        if (entry.Descend() != kStatusOk) {
            refused = true;
            return false;
        }
        auto line = std::make_unique<CommLine>();
        if (ReadLine(entry, line.get())) lines->push_back(std::move(line));
        refused = entry.Ascend() != kStatusOk;
        return !refused;
    });
    return refused ? kStatusCannotOpen : walked;
}

Status Load() {
    if (g_gameState == nullptr) return kStatusNothingToDo;
    IffFile iff(0);
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "comm.iff";
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return kStatusCannotOpen;
    Status result = iff.ValidateHeader() == kStatusOk ? kStatusOk : kStatusCannotOpen;
    if (result == kStatusOk) {
        g_gameState->commLines.clear();
        result = Read(iff, &g_gameState->commLines);
    }
    iff.CloseFile();
    return result;
}

}  // namespace comm_lines
