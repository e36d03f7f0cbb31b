#include "game/ResponseCurve.h"

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"

namespace response_curve {

namespace {

constexpr uint32_t kControlForm = MakeTag("CTRL");
constexpr uint32_t kCurveChunk = MakeTag("CURV");

}  // namespace

Status ReadForm(IffFile& iff, DynArray20& curve) {
    if (iff.ChunkId() != IffFile::kFormId || iff.FormType() != kControlForm) return kStatusNotThisRecord;
    if (iff.Descend() != kStatusOk) return kStatusCannotOpen;
    DynArray20 read;
    Status result = kStatusOk;
    for (;;) {
        const Status step = iff.NextChunk();
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk) {
            result = kStatusCannotOpen;
            break;
        }
        if (iff.ChunkId() != kCurveChunk) continue;
        if (iff.ChunkSize() != kRecordBytes) {
            result = kStatusMalformed;
            break;
        }
        uint8_t bytes[kRecordBytes];
        if (iff.ReadChunk(bytes, sizeof bytes) != kStatusOk) {
            result = kStatusCannotOpen;
            break;
        }
        Record20 record;
        for (int i = 0; i < 5; ++i) record.words[i] = LoadLe32(bytes + 4 * i);
        if (int32_t(record.words[1]) <= int32_t(record.words[0])) {
            result = kStatusMalformed;
            break;
        }
        if (!read.Add(record)) {
            result = kStatusOutOfMemory;
            break;
        }
    }
    iff.Ascend();
    if (result != kStatusOk) return result;
    if (read.Count() == 0) return kStatusNotThisRecord;
    curve.Clear();
    for (int32_t i = 0; i < read.Count(); ++i) {
        if (!curve.Add(read[i])) return kStatusOutOfMemory;
    }
    return kStatusOk;
}

Status Load(const char* fileName, DynArray20& curve) {
    IffFile iff(0);
    if (fileName == nullptr || iff.OpenFile(fileName, kOpenRead) != kStatusOk) return kStatusCannotOpen;
    Status result = kStatusNotThisRecord;
    if (iff.ValidateHeader() != kStatusOk) {
        result = kStatusCannotOpen;
    } else {
        for (;;) {
            const Status step = iff.NextChunk();
            if (step != kStatusOk) {
                if (step != kStatusEndOfData) result = kStatusCannotOpen;
                break;
            }
            if (iff.ChunkId() == IffFile::kFormId && iff.FormType() == kControlForm) {
                result = ReadForm(iff, curve);
                break;
            }
        }
    }
    iff.CloseFile();
    return result;
}

}  // namespace response_curve
