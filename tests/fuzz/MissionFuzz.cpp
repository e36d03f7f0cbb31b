// Reads any bytes as a mission file. Whatever is kept must be whole: each
// record of its exact size and decodable; messages sound and complete.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "mission/MissionFile.h"
#include "mission/SkyRecords.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return 0;
    mission_file::Contents contents;
    mission_file::Read(iff, &contents);
    for (const mission_file::Record& record : contents.records) {
        if (record.bytes.empty() || record.bytes.size() > 1024) std::abort();
        char definition[16];
        WayPointRecord point;
        NavBuoyRecord buoy;
        spawn_records::AiShip ship;
        int32_t side, wingman;
        if (record.chunk == mission_file::kWayPoint && !mission_file::DecodeWayPoint(record, definition, &point)) std::abort();
        if (record.chunk == mission_file::kBuoy && !mission_file::DecodeBuoy(record, definition, &buoy)) std::abort();
        if (record.chunk == mission_file::kShip && !mission_file::DecodeShip(record, &ship, &side, &wingman)) std::abort();
        if ((record.chunk == sky_records::kStarChunk || record.chunk == sky_records::kDustChunk ||
             record.chunk == sky_records::kWallChunk || record.chunk == sky_records::kLightChunk) &&
            !sky_records::Sound(record.chunk, record.bytes.data(), uint32_t(record.bytes.size()))) {
            std::abort();
        }
        // A goal kept is one a goal can be made of, its numbers in range.
        mission_file::GoalRecord goal;
        if (record.chunk == mission_file::kGoal &&
            (!mission_file::DecodeGoal(record, &goal) || !(goal.distance >= 0.0f) || goal.threshold < 0 || goal.threshold > 100)) {
            std::abort();
        }
    }
    // Messages as they will be listed: a list that exists, a face or none,
    // a lifetime that counts down, and a chunk that writes back the same.
    for (const MessageEntry& message : contents.messages) {
        if (message.list < MessageEntry::kNews || message.list > MessageEntry::kVoice) std::abort();
        if (message.face < -1 || message.lifetime < 0) std::abort();
        MessageEntry again;
        if (!MessageEntry::Decode(message.Encode(), &again) || !(again == message)) std::abort();
    }
    if (contents.skippedMessages < 0 || contents.skippedAwards < 0) std::abort();
    if (contents.movie.size() > mission_file::kMovieBytes || contents.movie.find('/') != std::string::npos) std::abort();
    return 0;
}
