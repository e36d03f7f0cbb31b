#pragma once
#include <cstdint>
#include <optional>

#include "engine/Vector3.h"

// The mission file's spawn records as the object constructors read them,
// decoded from their bytes (little-endian) at their fixed offsets; each
// begins with the 16-byte name of its definition. Nothing when the record
// is too short for what it holds or a text does not end in its field.
namespace spawn_records {

inline constexpr uint32_t kDefinitionBytes = 16;
inline constexpr uint32_t kInstanceNameBytes = 32;

// The ranges a record's values are taken in; anything else (negative,
// beyond, NaN, infinite) refuses the record. A scatter radius of a million
// units is beyond any field; a drift or spin range past 16,384 (2D covers
// every bit of the dice) spins no differently.
inline constexpr float kMaxScatter = 1.0e6f;
inline constexpr int32_t kMaxDrift = 16384;
bool ScatterInRange(float scatter);
bool DriftInRange(float drift);

struct Rock {   // asteroids and mines
    char definition[kDefinitionBytes] = {};
    Vector3 position{};     // at 40
    float scatter = 0.0f;   // at 60
    float drift = 0.0f;     // at 68
    char name[kInstanceNameBytes] = {};   // at 96
};
inline constexpr uint32_t kRockBytes = 96 + kInstanceNameBytes;
std::optional<Rock> DecodeRock(const uint8_t* bytes, uint32_t size);

struct Gate {
    char definition[kDefinitionBytes] = {};
    Vector3 position{};        // at 36
    float transform[12] = {};  // at 56: a whole transform's matrix
    char name[kInstanceNameBytes] = {};   // at 236
};
inline constexpr uint32_t kGateBytes = 236 + kInstanceNameBytes;
std::optional<Gate> DecodeGate(const uint8_t* bytes, uint32_t size);

struct Debris {
    char definition[kDefinitionBytes] = {};
    Vector3 position{};   // at 44
    float drift = 0.0f;   // at 64
    char name[kInstanceNameBytes] = {};   // at 92
};
inline constexpr uint32_t kDebrisBytes = 92 + kInstanceNameBytes;
std::optional<Debris> DecodeDebris(const uint8_t* bytes, uint32_t size);

// The AI ship record, its fields one after another after the definition
// name: race, skill, two AI values, respawn flag, a word for the object, the
// wing name, four 16-character names, the transform (30 words), the
// position (4 words), the face number.
struct AiShip {
    char definition[kDefinitionBytes] = {};
    int32_t race = 0, skill = 0, aiValues[2] = {}, respawn = 0, objectWord = 0;
    char wing[16] = {};
    char names[4][16] = {};
    float transform[30] = {};
    float position[4] = {};
    int32_t face = 0;
};
inline constexpr uint32_t kAiShipBytes = 16 + 6 * 4 + 16 + 4 * 16 + 30 * 4 + 4 * 4 + 4;
std::optional<AiShip> DecodeAiShip(const uint8_t* bytes, uint32_t size);

}  // namespace spawn_records
