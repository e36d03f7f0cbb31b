#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class XorChunkStream;

// A pilot's accuracy (chunk "ACCU"): kills, then shots and hits for the
// weapon kinds 23, 21, 20 and 22, in that order.
struct AccuracyRecord {
    static constexpr int kGroups = 4;
    static constexpr uint32_t kBytes = 4 * (1 + 2 * kGroups);
    int32_t kills = 0;
    struct Count {
        int32_t shots = 0;
        int32_t hits = 0;
    } byKind[kGroups];

    // The counts of a weapon kind; null for a kind not counted.
    Count* ForKind(int32_t kind);
    // The integer mean of hits x 100 / shots over the groups that fired;
    // -1 when none did.
    int32_t MeanHitPercent() const;
    void Clear() { *this = AccuracyRecord{}; }
};

// One pilot of the career's rosters (hire pool, hired, lost), saved as FORM
// "PILO". A pilot is flying while a ship of the career has him assigned.
class PilotRecord : public EngineObject {
public:
    static constexpr uint32_t kNameBytes = 64;     // "NAME" with its NUL
    static constexpr uint32_t kResumeBytes = 4096; // "RESU" with its NUL

    PilotRecord() = default;
    PilotRecord(const char* name, const char* resume);

    int32_t GetKills() const { return kills; }
    int32_t GetAccuracy() const { return accuracy; }
    // After a flight: the accuracy from the flight's groups (the mean when
    // the stored value is below 1, else the mean of both; unchanged when no
    // group fired) and the kills grow by the flight's kills.
    void ApplyMission(const AccuracyRecord& flown);

    // FORM "PILO" at the stream's current level.
    Status Save(XorChunkStream& stream) const;
    // Reads the current FORM "PILO" into a new record; kStatusCareerBadRecord
    // for a damaged one.
    static Status Load(XorChunkStream& stream, std::unique_ptr<PilotRecord>* out);

    std::string name;          // "NAME"
    std::string resume;        // "RESU"
    int32_t missions = 0;      // "MISS"
    int32_t accuracy = 0;      // "ACCV", per cent
    int32_t kills = 0;         // "KILS"
    int32_t flying = 0;        // "FLYN"
    AccuracyRecord flight;     // "ACCU", the counts of the flight under way
};
