#pragma once
#include <cstdint>

#include "engine/EngineAllocation.h"
#include "engine/Status.h"

class XorChunkStream;

// A saved career that cannot be taken: a missing "PLIN" form, a number chunk
// not exactly 4 bytes, a text not terminated within its chunk or too long, a
// logo outside 0..18 or a face below -1.
inline constexpr Status kStatusCareerBadRecord = 0x20004000;

// The player's option words, in the order of the career's "OPTS" chunk.
struct CareerOptions {
    static constexpr int kWords = 12;
    int32_t textures = 1;
    int32_t spaceDust = 1;
    int32_t extraLights = 1;       // explosions and weapon flashes light the scene
    int32_t shadingLevel = 1;
    int32_t alphaBlend = 1;
    int32_t invulnerability = 0;   // the player's ship takes no damage
    int32_t unlimitedAmmo = 0;
    int32_t unlimitedFuel = 0;
    int32_t invisibility = 0;      // the player's ship cannot be targeted
    int32_t inertialOff = 1;
    int32_t soundVolume = 3;
    int32_t musicVolume = 3;

    // The word at its place in the chunk, 0 to 11; 0 outside.
    int32_t Word(int index) const;

    // What the world reads of them.
    bool LightsOn() const { return extraLights != 0; }
    bool Invulnerable() const { return invulnerability != 0; }
    bool UnlimitedAmmo() const { return unlimitedAmmo != 0; }
    bool UnlimitedFuel() const { return unlimitedFuel != 0; }
    bool Invisible() const { return invisibility != 0; }
    // Exactly 1 turns inertial flight off.
    bool InertialFlightOff() const { return inertialOff == 1; }
};

// The career's record of one ship. Word 8 is cleared whenever a craft built
// from the record resets its systems; the mission layer reads it.
class ShipRecord : public EngineObject {
public:
    static constexpr int kWords = 9;
    static constexpr int kSystemsResetWord = 8;
    int32_t words[kWords] = {};
};

// A pilot's accuracy (chunk "ACCU"): kills, then shots and hits for the
// weapon kinds 23, 21, 20 and 22, in that order.
struct AccuracyRecord {
    int32_t kills = 0;
    struct Count {
        int32_t shots = 0;
        int32_t hits = 0;
    } byKind[4];

    // The counts of a weapon kind; null for a kind not counted.
    Count* ForKind(int32_t kind);
};

// The player's campaign state. This much the world reads; the campaign
// grows the rest.
class CareerRecord : public EngineObject {
public:
    static constexpr int kTextBytes = 64;  // texts of at most 63 characters and their NUL
    static constexpr int32_t kLastLogo = 18;

    explicit CareerRecord(int32_t multiplayer = 0);
    virtual ~CareerRecord() = default;

    const char* GetPilotName() const { return pilotName; }

    // Writes FORM "PLIN" at the stream's current level.
    Status Save(XorChunkStream& stream) const;
    // Reads the next FORM "PLIN" of the stream's current level, skipping the
    // chunks it does not know. The file is untrusted: it is read into a fresh
    // record and nothing here changes unless the whole form read and passed.
    Status Load(XorChunkStream& stream);

    int32_t multiplayer;
    char pilotName[kTextBytes] = "Korvane";  // "NAME"
    char callsign[kTextBytes] = "";          // "CALL"
    int32_t funds = 0;         // "MONY", in credits
    uint32_t trophies = 0;     // "TRPH", bits 0..15 the trophies held
    int32_t kills = 0;         // "KILL"
    int32_t missions = 0;      // "MISS", missions flown
    int32_t accuracyValue = 0; // "ACCV", the pilot's accuracy percentage
    int32_t face = -1;         // "FACE", the pilot's face picture; -1 none
    int32_t logo = 0;          // "LOGO", 0..18
    CareerOptions options;     // "OPTS"
    AccuracyRecord accuracy;
    // The lobby's, never saved.
    int32_t teamIndex = -1;
    int32_t ready = 0;

private:
    // Takes what a career file holds from `from`.
    void TakeSaved(const CareerRecord& from);
};
