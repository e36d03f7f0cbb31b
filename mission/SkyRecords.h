#pragma once
#include <cstdint>

#include "engine/IffFile.h"

class IffFile;

// The sky of a mission: star fields, wallpapers (the backdrop's nebulae),
// space dust and lights, one record each, little-endian.
//   "STAR" (28): u32 seed, i32 star count, u32 colour, f32 radius, f32 star
//       size, f32 brightness, i32 flags.
//   "DUST" (36): the particle's definition name (16), i32 mote count, f32
//       speed, f32 size, u32 colour, i32 flags.
//   "WALL" (48): the nebula's definition name (16), f32 position (3), f32
//       rotation in degrees (3), u32 seed, f32 scale.
//   "LGHT" (44): i32 kind (0 ambient, 1 directional, 2 point), f32 position
//       (3), f32 direction (3), u32 colour, f32 intensity, f32 inner and
//       outer range.
// A record is refused when it is not its size, a text does not end in its
// field, a count passes its bound or a float is not finite (or a range or
// size is negative).
namespace sky_records {

inline constexpr uint32_t kStarChunk = MakeTag("STAR");
inline constexpr uint32_t kDustChunk = MakeTag("DUST");
inline constexpr uint32_t kWallChunk = MakeTag("WALL");
inline constexpr uint32_t kLightChunk = MakeTag("LGHT");
inline constexpr int32_t kMostStars = 8192;
inline constexpr int32_t kMostMotes = 2048;
inline constexpr int32_t kLightKinds = 3;

// Whether the bytes are a sound record of the chunk.
bool Sound(uint32_t chunk, const uint8_t* bytes, uint32_t size);
// Each makes what the record asks for and appends the record to the
// current mission's array of its kind; false (nothing kept) for a record
// that is not sound or without a mission. The star field and wallpaper
// records are kept for the sky's drawing; a wallpaper's definitions reader
// may be null.
bool CreateStarField(const uint8_t* record, uint32_t size);
bool CreateWallpaper(IffFile* definitions, const uint8_t* record, uint32_t size);
// Also adds the record's dust-field template.
bool CreateSpaceDust(IffFile* definitions, const uint8_t* record, uint32_t size);
bool CreateMissionLight(const uint8_t* record, uint32_t size);
// The flight's one dust field from all the mission's templates (their
// counts summed, at most kMostMotes); nothing when the sum is 0.
void BuildDustField();

// What this machine holds of what a network game shares: the goals on the
// goal list that count for the player, and the current mission's sky
// records of each kind (0 without a mission).
struct Held {
    int32_t goals = 0;
    int32_t starFields = 0;
    int32_t spaceDust = 0;
    int32_t wallpapers = 0;
    int32_t lights = 0;
};
Held CountHeld();

}  // namespace sky_records
