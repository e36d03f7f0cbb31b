#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/EngineAllocation.h"
#include "engine/IffFile.h"

// One message of the campaign: an offer, an e-mail, a news item, a log entry
// or a voice message, stored as the chunk "MESS": the mission name and the
// launch file (16 bytes each, NUL-padded), ten little-endian i32 (face less
// kFaceBias, offer word, kind, list number, three conditions, read flag,
// active state, lifetime), then the title and the body, each NUL-terminated.
class MessageEntry : public EngineObject {
public:
    static constexpr uint32_t kChunk = MakeTag("MESS");
    static constexpr uint32_t kNameBytes = 16;
    static constexpr uint32_t kFixedBytes = 2 * kNameBytes + 10 * 4;
    // The chunk holds face numbers this much lower.
    static constexpr int32_t kFaceBias = 68;
    // The launch file's name carries no extension in the chunk.
    static constexpr const char* kLaunchExtension = ".uli";
    // No message is near this long: a larger chunk is refused unread.
    static constexpr uint32_t kMaxBytes = 65536;

    // Bit 31 of the offer word: the random-mission generator's offer; bits
    // 0 to 3 its slot + 1.
    static constexpr uint32_t kRandomOffer = 0x80000000u;
    // Kinds.
    static constexpr int32_t kKindHeld = 1;   // shown once a mission is accepted
    static constexpr int32_t kKindOffer = 3;
    static constexpr int32_t kKindOtherOffer = 4;
    // List numbers.
    enum List : int32_t { kNews = 0, kEmail = 1, kLog = 2, kVoice = 3 };
    // Active states.
    static constexpr int32_t kHidden = 0;
    static constexpr int32_t kShown = 1;
    static constexpr int32_t kReleased = 2;
    // Conditions: the outcome awaited, the least plot counter, the trophy
    // mask the career must hold.
    enum Condition { kOutcome = 0, kLeastPlot = 1, kTrophyMask = 2, kConditions = 3 };
    // Outcomes a mission file is loaded with.
    static constexpr int32_t kFirstLoad = 0;
    static constexpr int32_t kWon = 1;
    static constexpr int32_t kLost = 2;

    // Decodes one chunk's data; false, with `out` untouched, for a chunk too
    // short for its fixed part, a text that does not end within the chunk,
    // a face below -1, a list number outside 0 to 3 or a negative lifetime.
    static bool Decode(std::span<const uint8_t> bytes, MessageEntry* out);
    // The chunk's data: texts past their field are cut, a launch file loses
    // its extension.
    std::vector<uint8_t> Encode() const;

    // Field by field; the mission name up to its NUL.
    bool operator==(const MessageEntry& other) const;

    std::string body;
    std::string title;
    char missionName[kNameBytes + 1] = {};
    std::string launchFile;      // with its extension
    int32_t face = -1;           // -1 none
    uint32_t offer = 0;
    int32_t kind = 0;
    int32_t list = kNews;
    int32_t conditions[kConditions] = {};
    int32_t read = 0;            // 0 unread
    int32_t active = kHidden;
    int32_t lifetime = 0;        // mission-file loads left; 0 never expires
};
