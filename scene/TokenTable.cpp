#include "scene/TokenTable.h"

#include <cctype>
#include <cstring>
#include <string>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"

namespace {

constexpr uint32_t kTokenForm = MakeTag("ETOK");
constexpr uint32_t kHeaderChunk = MakeTag("HDR ");
constexpr uint32_t kTokenChunk = MakeTag("KTOK");
constexpr uint32_t kHeaderBytes = 8;
constexpr size_t kUpperCaseLimit = 81;

constexpr TokenRecord kBuiltIn[] = {
    {"NONE", 0},           {"FOOTL", 0x25001},     {"FOOTR", 0x2A001},     {"CALFL", 0x25002},
    {"CALFR", 0x2A002},    {"SHINL", 0x25002},     {"SHINR", 0x2A002},     {"THIGHL", 0x25004},
    {"THIGHR", 0x2A004},   {"UPLEG-L", 0x2A004},   {"UPLEG-R", 0x25004},   {"LOLEG-L", 0x25002},
    {"LOLEG-R", 0x2A002},  {"FOOT-L", 0x25001},    {"FOOT-R", 0x2A001},    {"ARM-L", 0x15008},
    {"ARM-R", 0x1A008},    {"ARM-L1", 0x15008},    {"ARM-R1", 0x1A008},    {"ARMWEAP1", 0x210008},
    {"ARMWEAP1F", 0x410008}, {"ARMWEAP2", 0x810008}, {"ARMWEAP2F", 0x1010008}, {"ARMWEAP3", 0x2010008},
    {"ARMWEAP3F", 0x4010008}, {"U_ARML", 0x15008},  {"U_ARMR", 0x1A008},    {"F_ARML", 0x15010},
    {"F_ARMR", 0x1A010},   {"UARML", 0x15008},     {"UARMR", 0x1A008},     {"FARML", 0x15010},
    {"FARMR", 0x1A010},    {"UPARML", 0x15008},    {"UPARMR", 0x1A008},    {"HANDL", 0x15020},
    {"HANDR", 0x1A020},    {"BODY", 0x40040},      {"TORSO", 0x40040},     {"HEAD", 0x40080},
    {"DOME", 0x40400},     {"WAIST", 0x40100},     {"HIPL", 0x25200},      {"HIPR", 0x2A200},
    {"SHLDRL", 0x15800},   {"SHLDRR", 0x1A800},    {"MISC", 0x40000},      {"ALL", 0xFFFFFFFF},
    // Five empty records that never match.
    {"", 0}, {"", 0}, {"", 0}, {"", 0}, {"", 0},
};

uint32_t Search(const TokenRecord* table, int32_t n, const char* name) {
    if (name == nullptr) return 0;
    std::string upper(name);
    for (size_t i = 0; i < upper.size() && i < kUpperCaseLimit; ++i) {
        upper[i] = char(std::toupper(static_cast<unsigned char>(upper[i])));
    }
    for (int32_t i = 0; i < n; ++i) {
        char token[TokenRecord::kNameBytes + 1] = {};
        std::memcpy(token, table[i].name, TokenRecord::kNameBytes);
        if (token[0] != 0 && upper.find(token) != std::string::npos) return table[i].mask;
    }
    return 0;
}

}  // namespace

TokenTable::~TokenTable() { Clear(); }

const TokenRecord* TokenTable::BuiltIn(int32_t* n) {
    if (n != nullptr) *n = int32_t(sizeof kBuiltIn / sizeof kBuiltIn[0]);
    return kBuiltIn;
}

uint32_t TokenTable::BuiltInMaskForName(const char* name) {
    return Search(kBuiltIn, int32_t(sizeof kBuiltIn / sizeof kBuiltIn[0]), name);
}

void TokenTable::Clear() {
    EngineRelease(records);
    records = nullptr;
    count = 0;
}

void TokenTable::NameForMask(char* out, uint32_t mask) const {
    if (out == nullptr || records == nullptr) return;
    for (int32_t i = 0; i < count; ++i) {
        if (records[i].mask == mask) {
            std::memcpy(out, records[i].name, TokenRecord::kNameBytes);
            out[TokenRecord::kNameBytes - 1] = 0;
            return;
        }
    }
}

uint32_t TokenTable::MaskForName(const char* name) const {
    // Nothing loaded: the built-in tokens still classify the parts.
    if (records == nullptr) return BuiltInMaskForName(name);
    return Search(records, count, name);
}

Status TokenTable::Load(const char* fileName) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return 10;
    if (iff.ValidateHeader() != kStatusOk) {
        iff.CloseFile();
        return 10;
    }
    Status result = 11;
    const Status walked = iff_walk::Walk(iff, [&](IffFile& at) {
        if (at.ChunkId() != IffFile::kFormId) return iff_walk::Choice::kPass;
        if (at.FormType() != kTokenForm) return iff_walk::Choice::kEnter;
        result = ReadForm(at);
        return result == 11 ? iff_walk::Choice::kPass : iff_walk::Choice::kStop;
    });
    if (walked == kStatusCannotOpen) result = 10;
    iff.CloseFile();
    return result;
}

Status TokenTable::ReadForm(IffFile& iff) {
    if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kTokenForm) return 11;
    if (iff.Descend() != kStatusOk) return 10;
    const auto leave = [&iff](Status result) {
        iff.Ascend();
        return result;
    };
    uint8_t header[kHeaderBytes];
    if (iff.FindChunk(kHeaderChunk) != kStatusOk || iff.ChunkSize() != kHeaderBytes) return leave(12);
    if (iff.ReadChunk(header, sizeof header) != kStatusOk) return leave(10);
    const int32_t version = int32_t(LoadLe32(header));
    const int32_t declared = int32_t(LoadLe32(header + 4));
    if (version != 1 || declared < 0 || declared > kMaxTokens) return leave(12);
    Clear();
    records = static_cast<TokenRecord*>(EngineAllocate(size_t(declared) * sizeof(TokenRecord) + 1));
    if (records == nullptr) return leave(2);
    std::memset(records, 0, size_t(declared) * sizeof(TokenRecord));
    count = declared;
    int32_t stored = 0;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk) return leave(10);
        if (iff.ChunkId() != kTokenChunk) continue;
        if (iff.ChunkSize() != sizeof(TokenRecord)) return leave(12);
        uint8_t bytes[sizeof(TokenRecord)];
        if (iff.ReadChunk(bytes, sizeof bytes) != kStatusOk) return leave(10);
        if (stored < count) {
            TokenRecord& record = records[stored++];
            std::memcpy(record.name, bytes, TokenRecord::kNameBytes);
            record.name[TokenRecord::kNameBytes - 1] = 0;   // at most 15 characters
            record.mask = LoadLe32(bytes + TokenRecord::kNameBytes);
        }
    }
    return leave(kStatusOk);
}
