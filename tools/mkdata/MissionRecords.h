#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/IffFile.h"
#include "engine/Status.h"

// The records of a mission file as the sample missions write them: fixed
// fields at their byte offsets, little-endian.
class MissionRecord {
public:
    explicit MissionRecord(uint32_t size) : bytes_(size, 0) {}
    // At most field - 1 characters, so that the field keeps a NUL.
    MissionRecord& Text(uint32_t at, const char* text, uint32_t field);
    MissionRecord& Word(uint32_t at, int32_t value);
    MissionRecord& Floats(uint32_t at, std::initializer_list<float> values);
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Writes the record as a chunk unless an earlier step failed.
Status PutRecord(IffFile& iff, uint32_t chunk, const MissionRecord& record, Status status);
Status PutBytes(IffFile& iff, uint32_t chunk, const std::vector<uint8_t>& bytes, Status status);

// "HDR " with report delays of 30, 20 and 10 s, the chase object's start
// behind the origin and the maps looking down on `mapCentreZ`.
MissionRecord MissionHeader(float mapCentreZ);
// "PLYR".
MissionRecord PlayerRecord(const char* definition, const char* wing);
// The skill an AI ship's record gives its pilot: which of the raider's
// lists of set pieces in "aidetail.iff" it flies ("LOSY", "NORM", "ACE ").
enum class PilotSkill : int32_t { kNovice = 0, kAverage = 1, kAce = 2 };
// "SHIP": an AI ship at (x, y, z), facing +z (or -z), of a side; a wingman
// flies in the player's wing.
MissionRecord AiShipRecord(const char* definition, const char* name, const char* wing, float x, float y, float z,
                           int32_t side, int32_t wingman, int32_t respawn = 0, bool facingBack = false,
                           PilotSkill skill = PilotSkill::kAce);
// An asteroid's or a mine's record: at (x, y, z), scattered and drifting.
MissionRecord RockRecord(const char* definition, float x, float y, float z, float scatter, float drift, const char* name);
// "WAYP": a way point of the "Way Point" definition at (x, y, z).
MissionRecord NavPointRecord(const char* name, float x, float y, float z);
// "BUOY": a nav buoy of the "Nav Buoy" definition at (x, y, z), spinning
// up to `spin`.
MissionRecord BuoyRecord(const char* name, float x, float y, float z, int32_t spin);

// The sky every sample mission is given: a "STAR" record of `stars` stars
// drawn from `seed` on a far sphere, a sun, a "LGHT" record of a
// directional light shining along `sun`, and with a definition's name a
// "WALL" record of that nebula at `nebulaAt`.
struct SkyLook {
    uint32_t seed = 1;
    int32_t stars = 900;
    uint32_t starColour = 0xFFF4EC;   // red in the low byte
    float brightness = 0.9f;
    float sun[3] = {0.4f, -0.7f, 0.6f};
    uint32_t sunColour = 0xE8F4FF;
    float sunIntensity = 1.0f;
    const char* nebula = nullptr;
    float nebulaAt[3] = {};
};
Status PutSky(IffFile& iff, const SkyLook& look, Status status);
