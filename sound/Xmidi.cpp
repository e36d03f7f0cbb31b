#include "sound/Xmidi.h"

#include <algorithm>
#include <cstring>
#include <queue>
#include <vector>

#include "engine/ByteOrder.h"

namespace {

constexpr uint64_t kTickLimit = uint64_t(1) << 31;
// Seven bits a byte, as in standard MIDI files: 28 bits at most.
constexpr int kMaxNumberBytes = 4;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kTypeBytes = 4;

constexpr uint8_t kStatusBit = 0x80;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kController = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kLastChannelStatus = 0xEF;
constexpr uint8_t kSysex = 0xF0;
constexpr uint8_t kSysexContinued = 0xF7;
constexpr uint8_t kMeta = 0xFF;
constexpr uint8_t kEndOfSequence = 0x2F;
// The loop controllers: a loop's start, and its end or break. Loops are not
// played; the music service restarts a finished sequence instead.
constexpr uint8_t kLoopStart = 116;
constexpr uint8_t kLoopEnd = 117;

// Why bytes are refused; the place in the file follows.
namespace why {
constexpr const char* kNoFile = "the bytes are no XMIDI file";
constexpr const char* kCutHeader = "a chunk header is cut off";
constexpr const char* kChunkTooLong = "a chunk runs past the end of what holds it";
constexpr const char* kNoCount = "the directory holds no sequence count";
constexpr const char* kNoList = "the directory is not followed by the list of sequences";
constexpr const char* kNotSequence = "the list of sequences holds something that is no sequence";
constexpr const char* kCountDiffers = "the directory's sequence count differs from the sequences present";
constexpr const char* kNoEvents = "the sequence holds no events chunk";
constexpr const char* kEventCut = "an event runs past the end of its chunk";
constexpr const char* kDataByte = "a data byte has its top bit set";
constexpr const char* kLongNumber = "a variable-length number runs past four bytes";
constexpr const char* kUnknownStatus = "an unknown status byte";
constexpr const char* kTooLate = "an event falls 2^31 ticks or more after the start";
constexpr const char* kNoSuchSequence = "no sequence of that number";
}  // namespace why

std::string At(const char* reason, size_t offset) {
    return std::string(reason) + " at byte " + std::to_string(offset);
}

bool IdIs(const uint8_t* bytes, const char (&id)[5]) { return std::memcmp(bytes, id, 4) == 0; }

// The bytes [begin, end) of the file.
struct Range {
    size_t begin = 0;
    size_t end = 0;
    size_t Size() const { return end - begin; }
};

struct Chunk {
    size_t headerAt = 0;
    const uint8_t* id = nullptr;
    Range body;
};

// Steps through the chunks of one container, never past its end. Odd
// chunks are followed by a pad byte, which the last chunk may lack.
class ChunkWalk {
public:
    enum class Step { kChunk, kEnd, kBroken };

    ChunkWalk(const uint8_t* file, Range range) : file_(file), at_(range.begin), end_(range.end) {}

    Step Next(Chunk& chunk, std::string& error) {
        if (at_ >= end_) return Step::kEnd;
        if (end_ - at_ < kChunkHeaderBytes) {
            error = At(why::kCutHeader, at_);
            return Step::kBroken;
        }
        const uint32_t size = LoadBe32(file_ + at_ + 4);
        if (size > end_ - at_ - kChunkHeaderBytes) {
            error = At(why::kChunkTooLong, at_);
            return Step::kBroken;
        }
        chunk.headerAt = at_;
        chunk.id = file_ + at_;
        chunk.body = {at_ + kChunkHeaderBytes, at_ + kChunkHeaderBytes + size};
        at_ = chunk.body.end + (size & 1);
        return Step::kChunk;
    }

private:
    const uint8_t* file_;
    size_t at_;
    size_t end_;
};

// A group chunk ("FORM" or "CAT ") of the given type: its body after the type.
bool IsGroup(const uint8_t* file, const Chunk& chunk, const char (&id)[5], const char (&type)[5], Range& inside) {
    if (!IdIs(chunk.id, id) || chunk.body.Size() < kTypeBytes || !IdIs(file + chunk.body.begin, type)) return false;
    inside = {chunk.body.begin + kTypeBytes, chunk.body.end};
    return true;
}

// The insides of every sequence FORM "XMID" of the file, in order, after
// checking the whole directory against what is there.
bool FindSequences(const uint8_t* file, size_t size, std::vector<Range>& sequences, std::string& error) {
    sequences.clear();
    ChunkWalk top(file, {0, size});
    Chunk first;
    Range inside;
    const ChunkWalk::Step step = top.Next(first, error);
    if (step == ChunkWalk::Step::kBroken) return false;
    if (step == ChunkWalk::Step::kEnd || !IdIs(first.id, "FORM") || first.body.Size() < kTypeBytes) {
        error = At(why::kNoFile, 0);
        return false;
    }
    if (IsGroup(file, first, "FORM", "XMID", inside)) {
        sequences.push_back(inside);
        return true;
    }
    Range directory;
    if (!IsGroup(file, first, "FORM", "XDIR", directory)) {
        error = At(why::kNoFile, 0);
        return false;
    }

    ChunkWalk entries(file, directory);
    Chunk chunk;
    int32_t count = -1;
    for (ChunkWalk::Step s; count < 0 && (s = entries.Next(chunk, error)) != ChunkWalk::Step::kEnd;) {
        if (s == ChunkWalk::Step::kBroken) return false;
        if (IdIs(chunk.id, "INFO") && chunk.body.Size() >= 2) count = LoadLe16(file + chunk.body.begin);
    }
    if (count < 0) {
        error = At(why::kNoCount, first.headerAt);
        return false;
    }

    Chunk list;
    const ChunkWalk::Step listStep = top.Next(list, error);
    if (listStep == ChunkWalk::Step::kBroken) return false;
    Range listed;
    if (listStep == ChunkWalk::Step::kEnd || !IsGroup(file, list, "CAT ", "XMID", listed)) {
        error = At(why::kNoList, listStep == ChunkWalk::Step::kEnd ? size : list.headerAt);
        return false;
    }
    ChunkWalk forms(file, listed);
    for (ChunkWalk::Step s; (s = forms.Next(chunk, error)) != ChunkWalk::Step::kEnd;) {
        if (s == ChunkWalk::Step::kBroken) return false;
        if (!IsGroup(file, chunk, "FORM", "XMID", inside)) {
            error = At(why::kNotSequence, chunk.headerAt);
            return false;
        }
        if (int32_t(sequences.size()) == count) {
            error = At(why::kCountDiffers, chunk.headerAt);
            return false;
        }
        sequences.push_back(inside);
    }
    if (int32_t(sequences.size()) != count) {
        error = At(why::kCountDiffers, list.headerAt);
        return false;
    }
    return true;
}

// A variable-length number at `at`, which moves past it.
bool ReadNumber(const uint8_t* file, size_t& at, size_t end, uint32_t& value, std::string& error) {
    const size_t start = at;
    value = 0;
    for (int i = 0;; ++i) {
        if (i == kMaxNumberBytes) {
            error = At(why::kLongNumber, start);
            return false;
        }
        if (at >= end) {
            error = At(why::kEventCut, start);
            return false;
        }
        const uint8_t byte = file[at++];
        value = value << 7 | (byte & 0x7F);
        if ((byte & kStatusBit) == 0) return true;
    }
}

// A note-off still to come, in tick order, then in the order its notes were read.
struct PendingOff {
    uint64_t tick;
    uint64_t serial;
    MidiEvent event;
    bool operator>(const PendingOff& other) const {
        return tick != other.tick ? tick > other.tick : serial > other.serial;
    }
};

// Walks an "EVNT" chunk byte by byte.
Status ReadEvents(const uint8_t* file, Range events, XmidiSequence& out, std::string& error) {
    std::priority_queue<PendingOff, std::vector<PendingOff>, std::greater<PendingOff>> offs;
    uint64_t serial = 0;
    const auto flush = [&](uint64_t upTo) {
        while (!offs.empty() && offs.top().tick <= upTo) {
            out.events.push_back(offs.top().event);
            offs.pop();
        }
    };
    const auto fail = [&](const char* reason, size_t offset) {
        error = At(reason, offset);
        out = {};
        return kStatusMalformed;
    };

    uint64_t tick = 0;
    bool ended = false;
    size_t at = events.begin;
    while (at < events.end) {
        const size_t eventAt = at;
        const uint8_t status = file[at++];
        if ((status & kStatusBit) == 0) {
            tick += status;
            if (tick >= kTickLimit) return fail(why::kTooLate, eventAt);
            continue;
        }
        if (status == kMeta || status == kSysex || status == kSysexContinued) {
            uint8_t type = 0;
            if (status == kMeta) {
                if (at >= events.end) return fail(why::kEventCut, eventAt);
                type = file[at++];
            }
            uint32_t length = 0;
            if (!ReadNumber(file, at, events.end, length, error)) {
                out = {};
                return kStatusMalformed;
            }
            if (length > events.end - at) return fail(why::kEventCut, eventAt);
            at += length;
            if (status == kMeta && type == kEndOfSequence) {
                ended = true;
                break;
            }
            continue;
        }
        if (status > kLastChannelStatus) return fail(why::kUnknownStatus, eventAt);

        const uint8_t kind = status & 0xF0;
        const size_t dataBytes = (kind == kProgramChange || kind == kChannelPressure) ? 1 : 2;
        if (events.end - at < dataBytes) return fail(why::kEventCut, eventAt);
        MidiEvent event;
        event.tick = uint32_t(tick);
        event.status = status;
        event.data1 = file[at];
        event.data2 = dataBytes == 2 ? file[at + 1] : 0;
        if (((event.data1 | event.data2) & kStatusBit) != 0) return fail(why::kDataByte, eventAt);
        at += dataBytes;
        uint32_t duration = 0;
        if (kind == kNoteOn) {
            if (!ReadNumber(file, at, events.end, duration, error)) {
                out = {};
                return kStatusMalformed;
            }
            if (tick + duration >= kTickLimit) return fail(why::kTooLate, eventAt);
        }
        if (kind == kController && (event.data1 == kLoopStart || event.data1 == kLoopEnd)) continue;

        flush(tick);
        out.events.push_back(event);
        if (kind == kNoteOn) {
            MidiEvent off;
            off.tick = uint32_t(tick + duration);
            off.status = uint8_t(kNoteOff | (status & 0x0F));
            off.data1 = event.data1;
            offs.push({tick + duration, serial++, off});
        }
    }
    flush(kTickLimit);
    const uint32_t lastEvent = out.events.empty() ? 0 : out.events.back().tick;
    out.lengthTicks = ended ? std::max(uint32_t(tick), lastEvent) : lastEvent;
    return kStatusOk;
}

}  // namespace

int32_t CountXmidiSequences(const uint8_t* data, size_t size) {
    std::vector<Range> sequences;
    std::string error;
    if (!FindSequences(data, size, sequences, error)) return 0;
    return int32_t(sequences.size());
}

Status ReadXmidiSequence(const uint8_t* data, size_t size, int32_t number, XmidiSequence& out, std::string& error) {
    out = {};
    error.clear();
    std::vector<Range> sequences;
    if (!FindSequences(data, size, sequences, error)) return kStatusMalformed;
    if (number < 0 || size_t(number) >= sequences.size()) {
        error = std::string(why::kNoSuchSequence) + ": " + std::to_string(number) + " of " +
                std::to_string(sequences.size());
        return kStatusNotThisRecord;
    }
    ChunkWalk walk(data, sequences[size_t(number)]);
    Chunk chunk;
    for (ChunkWalk::Step s; (s = walk.Next(chunk, error)) != ChunkWalk::Step::kEnd;) {
        if (s == ChunkWalk::Step::kBroken) return kStatusMalformed;
        if (IdIs(chunk.id, "EVNT")) return ReadEvents(data, chunk.body, out, error);
    }
    error = At(why::kNoEvents, sequences[size_t(number)].begin - kTypeBytes - kChunkHeaderBytes);
    return kStatusMalformed;
}
