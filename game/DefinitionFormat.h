#pragma once
#include <cstdint>

#include "engine/IffFile.h"

// The layouts of the definition files, as far as the game reads them, in
// one place for the readers and for the writer of the sample data.
//
// "temp.iff": FORM "OBJS" holding FORM "SPOB" (object definitions, each a
// FORM "SPOB") and FORM "EQOB" (equipment definitions, each a FORM "EQOB");
// every entry begins with "ID  " (its name, NUL-terminated). All numbers are
// little-endian.
namespace definition_format {

inline constexpr const char* kFileName = "temp.iff";
inline constexpr uint32_t kObjectsForm = MakeTag("OBJS");
inline constexpr uint32_t kSpobForm = MakeTag("SPOB");
inline constexpr uint32_t kEqobForm = MakeTag("EQOB");
inline constexpr uint32_t kId = MakeTag("ID  ");
inline constexpr uint32_t kInfo = MakeTag("INFO");
inline constexpr uint32_t kName = MakeTag("NAME");
inline constexpr uint32_t kModel = MakeTag("MODL");
inline constexpr uint32_t kLowDetailModel = MakeTag("LODM");
inline constexpr uint32_t kExplosions = MakeTag("EXPL");
inline constexpr uint32_t kDebris = MakeTag("DEBR");
inline constexpr uint32_t kBits = MakeTag("BITS");
inline constexpr uint32_t kTurret = MakeTag("TURR");
inline constexpr uint32_t kWeapon = MakeTag("WEAP");
inline constexpr uint32_t kSpawn = MakeTag("SPWN");
inline constexpr uint32_t kEquipment = MakeTag("EQPT");
inline constexpr uint32_t kDecal = MakeTag("DECL");
inline constexpr uint32_t kSounds = MakeTag("SNDI");
inline constexpr uint32_t kHard = MakeTag("HARD");
inline constexpr uint32_t kDescription = MakeTag("DESC");
// Pictures of an entry: the first FORM "XCEL" holds the list picture's cels,
// the second the layout picture.
inline constexpr uint32_t kCelForm = MakeTag("XCEL");

// SPOB "INFO": ten i32 words.
enum SpobInfo : int {
    kMass, kFuelAllowance, kDetailDistance, kClassWord, kGroupKey, kVelocityCap, kSpinCap, kMaxSpeed, kMaxTurnRate,
    kHitPoints, kSpobInfoWords,
};
// EQOB "INFO": six i32 words (word 4 unused).
enum EqobInfo : int { kTypeId, kUnitPrice, kMassAdded, kMaxDamage, kUnusedWord, kPowerDraw, kEqobInfoWords };

// "MODL" and "LODM": the mesh file (in the mesh directory) and the model's name.
inline constexpr uint32_t kFileBytes = 32;
inline constexpr uint32_t kNameBytes = 16;
inline constexpr uint32_t kModelBytes = kFileBytes + kNameBytes;
// "EXPL", "DEBR", "SNDI": 16-byte names, as many as fit.
// "TURR": 32-byte records {part name[16], pitch limit, turn rate, yaw axis, pitch axis (i32)}.
inline constexpr uint32_t kTurretBytes = 32;
// "EQPT": 36-byte records {equipment id[16], part name[16], ammunition (i32)}.
inline constexpr uint32_t kEquipmentBytes = 36;

// The kind chunks of equipment, as many i16 words as the kind reads.
inline constexpr uint32_t kEnergyChunk = MakeTag("ENRG");
inline constexpr uint32_t kShieldChunk = MakeTag("SHLD");
inline constexpr uint32_t kEnergyWords = 3;
inline constexpr uint32_t kShieldWords = 4;
inline constexpr uint32_t kHardeningWords = 2;   // in the second "HARD" (the first is the mount)

}  // namespace definition_format
