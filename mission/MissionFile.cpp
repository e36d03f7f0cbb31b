#include "mission/MissionFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/IffWalk.h"
#include "engine/PrintableText.h"
#include "game/Mission.h"
#include "mission/SkyRecords.h"
#include "net/PacketBytes.h"
#include "objects/space/SpawnRecords.h"

namespace mission_file {

namespace {

bool Finite(const float* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) return false;
    }
    return true;
}

uint32_t ExpectedSize(uint32_t chunk) {
    switch (chunk) {
        case kRock:
        case kMine:
            return spawn_records::kRockBytes;
        case kGate:
            return spawn_records::kGateBytes;
        case kDebris:
            return spawn_records::kDebrisBytes;
        case kWayPoint:
            return kWayPointBytes;
        case kBuoy:
            return kBuoyBytes;
        case kShip:
            return kShipBytes;
        case kGoal:
            return kGoalBytes;
        case sky_records::kStarChunk:
            return Mission::kStarFieldBytes;
        case sky_records::kDustChunk:
            return Mission::kSpaceDustBytes;
        case sky_records::kWallChunk:
            return Mission::kWallpaperBytes;
        case sky_records::kLightChunk:
            return Mission::kLightBytes;
        default:
            return 0;
    }
}

bool IsSkyRecord(uint32_t chunk) {
    return chunk == sky_records::kStarChunk || chunk == sky_records::kDustChunk || chunk == sky_records::kWallChunk ||
           chunk == sky_records::kLightChunk;
}

// The record is whole and every field of it sound.
bool Sound(uint32_t chunk, const std::vector<uint8_t>& bytes) {
    const Record record{chunk, bytes};
    const uint8_t* const data = bytes.data();
    const uint32_t size = uint32_t(bytes.size());
    char definition[16];
    WayPointRecord point;
    NavBuoyRecord buoy;
    spawn_records::AiShip ship;
    int32_t side, wingman;
    GoalRecord goal;
    switch (chunk) {
        case kRock:
        case kMine:
            return size == spawn_records::kRockBytes && spawn_records::DecodeRock(data, size).has_value();
        case kGate:
            return size == spawn_records::kGateBytes && spawn_records::DecodeGate(data, size).has_value();
        case kDebris:
            return size == spawn_records::kDebrisBytes && spawn_records::DecodeDebris(data, size).has_value();
        case kWayPoint:
            return DecodeWayPoint(record, definition, &point);
        case kBuoy:
            return DecodeBuoy(record, definition, &buoy);
        case kShip:
            return DecodeShip(record, &ship, &side, &wingman);
        case kGoal:
            return DecodeGoal(record, &goal);
        case sky_records::kStarChunk:
        case sky_records::kDustChunk:
        case sky_records::kWallChunk:
        case sky_records::kLightChunk:
            return sky_records::Sound(chunk, data, size);
        default:
            return false;
    }
}

// The definition name a record begins with, as far as its bytes go.
std::string DefinitionOf(const uint8_t* bytes, uint32_t size) {
    const uint32_t field = std::min<uint32_t>(size, 16);
    uint32_t length = 0;
    while (length < field && bytes[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

// A printable name of a file in its own folder.
bool PlainFileName(const std::string& name) {
    return !name.empty() && name[0] != '.' && std::all_of(name.begin(), name.end(), [](char c) {
        return c > ' ' && c < 127 && c != '/' && c != '\\' && c != ':';
    });
}

std::string TagText(uint32_t chunk) {
    std::string tag(4, ' ');
    for (int i = 0; i < 4; ++i) tag[size_t(i)] = char((chunk >> (8 * i)) & 0xFF);
    return tag;
}

}  // namespace

Refusal RefusalOf(const Record& record, const char* reason) {
    return {record.chunk, record.ordinal, DefinitionOf(record.bytes.data(), uint32_t(record.bytes.size())), reason};
}

std::string DescribeRefusal(const Refusal& refusal) {
    return "record " + std::to_string(refusal.ordinal) + " " + PrintableText(TagText(refusal.chunk)) + " \"" +
           PrintableText(refusal.definition) + "\": " + refusal.reason;
}

bool DecodeWayPoint(const Record& record, char definition[16], WayPointRecord* out) {
    if (record.chunk != kWayPoint || record.bytes.size() != kWayPointBytes) return false;
    PacketReader in(record.bytes.data(), kWayPointBytes);
    if (!in.Text(0, 16, definition, 16) || !in.Text(16, 32, out->name, sizeof out->name)) return false;
    out->position = in.Vector(48);
    return Finite(&out->position.x, 3);
}

bool DecodeBuoy(const Record& record, char definition[16], NavBuoyRecord* out) {
    if (record.chunk != kBuoy || record.bytes.size() != kBuoyBytes) return false;
    PacketReader in(record.bytes.data(), kBuoyBytes);
    out->position = in.Vector(16);
    out->spinRange = in.I32(60);
    if (!in.Text(0, 16, definition, 16) || !in.Text(28, 32, out->name, sizeof out->name) ||
        !in.Text(64, 16, out->linkName, sizeof out->linkName) ||
        !in.Text(80, 16, out->secondLinkName, sizeof out->secondLinkName)) {
        return false;
    }
    return Finite(&out->position.x, 3) && out->spinRange >= 0 && out->spinRange <= spawn_records::kMaxDrift;
}

bool DecodeShip(const Record& record, spawn_records::AiShip* out, int32_t* side, int32_t* wingman) {
    if (record.chunk != kShip || record.bytes.size() != kShipBytes) return false;
    const auto ship = spawn_records::DecodeAiShip(record.bytes.data(), spawn_records::kAiShipBytes);
    if (!ship.has_value() || !Finite(ship->transform, 30) || !Finite(ship->position, 4)) return false;
    *out = *ship;
    PacketReader in(record.bytes.data(), kShipBytes);
    *side = in.I32(spawn_records::kAiShipBytes);
    *wingman = in.I32(spawn_records::kAiShipBytes + 4);
    return true;
}

Status Read(IffFile& iff, Contents* out) {
    *out = Contents{};
    const auto fail = [out](Status status, const char* why) {
        out->failure = why;
        return status;
    };
    if (iff_walk::FindNext(iff, IffFile::kFormId, kForm) != kStatusOk || iff.Descend() != kStatusOk) {
        return fail(kStatusCannotOpen, failure::kNoForm);
    }
    bool hasHeader = false;
    int32_t ordinal = 0;
    const auto refuse = [out, &ordinal](uint32_t chunk, const std::vector<uint8_t>& bytes, const char* reason) {
        out->refusals.push_back({chunk, ordinal, DefinitionOf(bytes.data(), uint32_t(bytes.size())), reason});
    };
    for (;;) {
        const Status step = iff_walk::Step(iff);
        if (step == kStatusEndOfData) break;
        if (step != kStatusOk) return fail(kStatusCannotOpen, failure::kCut);
        const uint32_t chunk = iff.ChunkId();
        if (chunk == IffFile::kFormId) continue;   // forms of later issues
        const uint32_t size = iff.ChunkSize();
        if (chunk == kHeader) {
            uint8_t bytes[kHeaderBytes] = {};
            if (size != kHeaderBytes || iff_walk::ReadBounded(iff, bytes, sizeof bytes) != kHeaderBytes) {
                return fail(kStatusMalformed, failure::kBadHeader);
            }
            PacketReader in(bytes, kHeaderBytes);
            Header& h = out->header;
            for (int i = 0; i < 3; ++i) h.reportDelays[i] = in.I32(uint32_t(4 * i));
            for (int i = 0; i < 4; ++i) h.reference[i] = in.F32(12 + uint32_t(4 * i));
            for (int i = 0; i < 4; ++i) h.mapCentre[i] = in.F32(28 + uint32_t(4 * i));
            for (int i = 0; i < 12; ++i) h.mapView[i] = in.F32(44 + uint32_t(4 * i));
            if (!Finite(h.reference, 4) || !Finite(h.mapCentre, 4) || !Finite(h.mapView, 12)) {
                return fail(kStatusMalformed, failure::kBadHeader);
            }
            hasHeader = true;
            continue;
        }
        if (chunk == kMusic) {
            // Music is no record: a bad one leaves the mission silent, nothing
            // more. The last music chunk decides.
            out->hasMusic = false;
            uint8_t bytes[kMusicBytes] = {};
            if (size == kMusicBytes && iff_walk::ReadBounded(iff, bytes, sizeof bytes) == kMusicBytes) {
                PacketReader in(bytes, kMusicBytes);
                std::memcpy(out->music.file, bytes, 16);
                out->music.track = in.I32(16);
                // Only a plain printable name: none that reaches out of the folder.
                out->hasMusic = PlainFileName(out->music.file);
            }
            continue;
        }
        if (chunk == kMessage) {
            MessageEntry entry;
            std::vector<uint8_t> bytes(size <= MessageEntry::kMaxBytes ? size : 0);
            if (out->messages.size() < size_t(kMaxRecords) && size >= MessageEntry::kFixedBytes &&
                size <= MessageEntry::kMaxBytes && iff.ReadChunk(bytes.data(), size) == kStatusOk &&
                MessageEntry::Decode(bytes, &entry)) {
                out->messages.push_back(std::move(entry));
            } else {
                ++out->skippedMessages;
            }
            continue;
        }
        if (chunk == kAward) {
            uint8_t bytes[kAwardBytes] = {};
            if (out->awards.size() < size_t(kMaxRecords) && size == kAwardBytes &&
                iff_walk::ReadBounded(iff, bytes, sizeof bytes) == kAwardBytes) {
                PacketReader in(bytes, kAwardBytes);
                out->awards.push_back({in.I32(0), in.I32(4), in.I32(8), in.I32(12), in.U32(16)});
            } else {
                ++out->skippedAwards;
            }
            continue;
        }
        if (chunk == kMovie) {
            char bytes[kMovieBytes + 1] = {};
            // Only a plain name: none that reaches out of the video folder.
            if (size == kMovieBytes && iff_walk::ReadBounded(iff, bytes, kMovieBytes) == kMovieBytes &&
                PlainFileName(bytes)) {
                out->movie = bytes;
            }
            continue;
        }
        if (chunk != kPlayer && chunk != kRock && chunk != kMine && chunk != kGate && chunk != kDebris &&
            chunk != kWayPoint && chunk != kBuoy && chunk != kShip && chunk != kGoal && !IsSkyRecord(chunk)) {
            continue;   // chunks of later issues
        }
        if (++ordinal > kMaxRecords) return fail(kStatusMalformed, failure::kTooManyRecords);
        if (chunk == kPlayer) {
            std::vector<uint8_t> bytes(size == kPlayerBytes ? kPlayerBytes : 0);
            PacketReader in(bytes.data(), uint32_t(bytes.size()));
            if (size != kPlayerBytes) {
                refuse(chunk, bytes, refusal::kWrongSize);
            } else if (iff_walk::ReadBounded(iff, bytes.data(), kPlayerBytes) != kPlayerBytes) {
                refuse(chunk, {}, refusal::kUnreadable);
            } else if (!in.Text(0, 16, out->player.definition, 16) || !in.Text(16, 16, out->player.wing, 16)) {
                refuse(chunk, bytes, refusal::kBadField);
            } else {
                out->hasPlayer = true;
            }
            continue;
        }
        // No record is near 1 KB: a larger size is refused before anything is read.
        std::vector<uint8_t> bytes(size <= 1024 ? size : 0);
        if (size == 0 || size > 1024) {
            refuse(chunk, {}, refusal::kWrongSize);
        } else if (iff.ReadChunk(bytes.data(), size) != kStatusOk) {
            refuse(chunk, {}, refusal::kUnreadable);
        } else if (!Sound(chunk, bytes)) {
            refuse(chunk, bytes, ExpectedSize(chunk) != size ? refusal::kWrongSize : refusal::kBadField);
        } else {
            out->records.push_back({chunk, std::move(bytes), ordinal});
        }
    }
    return hasHeader ? kStatusOk : fail(kStatusMalformed, failure::kNoHeader);
}

bool DecodeGoal(const Record& record, GoalRecord* out) {
    if (record.chunk != kGoal || record.bytes.size() != kGoalBytes) return false;
    PacketReader in(record.bytes.data(), kGoalBytes);
    GoalRecord goal;
    int32_t* const words[] = {&goal.id, &goal.recordType, &goal.playerGoal, &goal.side,
                              &goal.display, &goal.active, &goal.wordC, &goal.threshold};
    for (uint32_t i = 0; i < 8; ++i) *words[i] = in.I32(4 * i);
    goal.timeMs = in.U32(32);
    goal.distance = in.F32(36);
    goal.travelSecond = in.I32(40);
    goal.nextGoalId = in.I32(44);
    if (!in.Text(48, 16, goal.subject, sizeof goal.subject) || !in.Text(64, 16, goal.destination, sizeof goal.destination) ||
        !in.Text(80, 64, goal.objective, sizeof goal.objective) || !in.Text(144, 64, goal.second, sizeof goal.second)) {
        return false;
    }
    for (uint32_t i = 0; i < 4; ++i) {
        if (!in.Text(208 + 20 * i, 16, goal.linkNames[i], sizeof goal.linkNames[i])) return false;
        goal.linkOn[i] = in.I32(224 + 20 * i);
        if (goal.linkOn[i] != 0 && goal.linkOn[i] != 1) return false;
    }
    const bool knownType = (goal.recordType >= 1 && goal.recordType <= 6) || goal.recordType == 9;
    if (!knownType || !std::isfinite(goal.distance) || goal.distance < 0.0f || goal.threshold < 0 ||
        goal.threshold > 100) {
        return false;
    }
    *out = goal;
    return true;
}

Status Load(const char* path, Contents* out) {
    *out = Contents{};
    out->failure = failure::kNoFile;
    IffFile iff(0);
    if (path == nullptr || iff.OpenFile(path, kOpenRead) != kStatusOk) return kStatusCannotOpen;
    const Status read = iff.ValidateHeader() == kStatusOk ? Read(iff, out) : kStatusCannotOpen;
    iff.CloseFile();
    return read;
}

}  // namespace mission_file
