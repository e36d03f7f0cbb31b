#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Vector3.h"
#include "net/NetPacket.h"

// Readers of received packets: each checks the header against the bytes
// received, the header's size against exactly the size its type (and, for
// the variable ones, its name) gives, every text against its field, every
// float for being finite and every uoid, part, index, percent and flag
// against its range, and gives the fields or nothing. Whether a uoid, part
// or projectile index names something that exists is the handler's to ask
// of its world.
namespace net_read {

// A uoid is 0 or more, or -1 (none) in the fields that may name no object
// (owners, targets, killers, shooters, the auto-turret's craft); a part
// index is 0 or more, or -1 for none.
inline constexpr int32_t kNoObject = -1;
inline constexpr int32_t kNoPart = -1;

// A peer's text as this machine shows or logs it: control characters
// (and DEL) become '?', so that no line it sent moves a cursor or starts
// an escape sequence.
std::string Printable(const char* text);

// The header, when its size is at least 8 and at most the bytes received.
std::optional<NetPacketHeader> Header(const uint8_t* data, uint32_t received);

struct ObjectCreate {
    bool request = false;   // CREATION_REQUEST: no uoid
    int32_t uoid = -1;
    int32_t type = 0;
    float mass = 0.0f;
    int32_t side = 0;
    char definitionName[16] = {};
    Vector3 motion{}, velocity{};
    float acceleration = 0.0f, maxSpeed = 0.0f, maxTurnRate = 0.0f, angularAcceleration = 0.0f;
    float transform[9] = {};
    uint32_t tail[11] = {};
    char name[NetPacket::kMaxPacketBytes] = {};
};
// OBJECT_CREATE or CREATION_REQUEST. The result is large: callers keep one.
bool ReadObjectCreate(const uint8_t* data, uint32_t received, ObjectCreate* out);

struct ObjectUpdate {
    bool full = false;
    int32_t uoid = -1;
    uint32_t signature = 0;
    Vector3 motion{}, velocity{};
    float acceleration = 0.0f, maxSpeed = 0.0f;
    float transform[9] = {};
    uint8_t shieldDepletion = 0, cloaked = 0;
    int8_t side = 0;
    uint16_t powerDraw = 0;
    int8_t hitPercent = 0, playerIndex = -1;
    uint8_t partHitPoints[12] = {};
};
std::optional<ObjectUpdate> ReadObjectUpdate(const uint8_t* data, uint32_t received);

struct ObjectRequest {
    int32_t uoid = -1;
    uint32_t requester = 0;
};
std::optional<ObjectRequest> ReadObjectRequest(const uint8_t* data, uint32_t received);

// DESTRCTION_REQUEST and OBJECT_DESTROY.
struct Destroy {
    int32_t uoid = -1, killer = -1, explode = 0;
};
std::optional<Destroy> ReadDestroy(const uint8_t* data, uint32_t received);

std::optional<int32_t> ReadAutoturretRequest(const uint8_t* data, uint32_t received);

struct Collision {
    int32_t first = -1, second = -1;
    int32_t secondImpact = 0, firstImpact = 0, firstHidden = 0, secondHidden = 0;
    int32_t firstOwner = -1, secondOwner = -1;
    Vector3 firstPosition{}, secondPosition{}, firstVelocity{}, secondVelocity{};
};
std::optional<Collision> ReadCollision(const uint8_t* data, uint32_t received);

struct Death {
    int32_t killer = -1, victim = -1;
};
std::optional<Death> ReadDeath(const uint8_t* data, uint32_t received);

// PROJ_REQUEST and PROJ_CREATE.
struct ProjectileFields {
    Vector3 velocity{}, position{};
    int32_t damage[5] = {};
    int32_t emp = 0, life = 0, owner = -1;
    char typeName[16] = {}, trailName[16] = {};
};
std::optional<ProjectileFields> ReadProjectile(const uint8_t* data, uint32_t received);

struct ProjectileHit {
    int32_t index = 0, target = -1, part = 0;
};
std::optional<ProjectileHit> ReadProjectileHit(const uint8_t* data, uint32_t received);
std::optional<int32_t> ReadProjectileDestroy(const uint8_t* data, uint32_t received);

// GUN_SHOT and BEAM_HIT.
struct WeaponFire {
    bool gun = true;
    int32_t target = -1, shooter = -1;
    int32_t damage[5] = {};
    int32_t firingPart = 0, hitPart = 0, strength = 0;
    Vector3 impact{};
    char name[16] = {};
};
std::optional<WeaponFire> ReadWeaponFire(const uint8_t* data, uint32_t received);

struct EmpDamage {
    int32_t target = -1, amount = 0;
};
std::optional<EmpDamage> ReadEmpDamage(const uint8_t* data, uint32_t received);

struct EcmStatus {
    int32_t ship = -1, range = -1;
    uint8_t kind3Percent = 0, kind2Percent = 0;
};
std::optional<EcmStatus> ReadEcmStatus(const uint8_t* data, uint32_t received);


// One item of a career ship's fit, where its ship holds it.
struct FitItem {
    char id[NetPacket::kFitIdBytes] = {};
    uint8_t area = 0, column = 0, row = 0;
    uint8_t damage = 0;   // per cent
    uint16_t ammunition = 0;
};

// NEW_PLAYER: the definition name must end inside its 19 bytes, the ship's
// name inside the packet: at its last byte, or followed by a fit whose
// items fill the packet exactly. Without a fit `fitCount` is 0.
struct NewPlayer {
    uint32_t dpid = 0;
    float mass = 0.0f;
    int32_t uoid = -1;
    int32_t side = 0;
    uint8_t logo = 0;
    char definitionName[NetPacket::kNewPlayerDefinitionBytes] = {};
    char name[NetPacket::kMaxPacketBytes] = {};
    uint32_t fitCount = 0;
    FitItem fit[NetPacket::kMostFitItems];
};
// The result is large: callers keep one.
bool ReadNewPlayer(const uint8_t* data, uint32_t received, NewPlayer* out);

struct IdInfo {
    int32_t uoid = -1;
    uint32_t hostId = 0, clientId = 0;
};
std::optional<IdInfo> ReadIdInfo(const uint8_t* data, uint32_t received);

struct PlayerInfo {
    int32_t uoid = -1;
    float motion[4] = {}, velocity[4] = {};
    float acceleration = 0.0f, maxSpeed = 0.0f;
    float heading[4] = {};
    uint32_t changeCount = 0;
    float transform[12] = {};
    int32_t plainCraft = 0;
    uint8_t shieldDepletion = 0, cloaked = 0;
    uint16_t powerDraw = 0;
    int8_t hitPercent = 0;
    int16_t jammer = 0;
    uint8_t partHitPoints[12] = {};
};
std::optional<PlayerInfo> ReadPlayerInfo(const uint8_t* data, uint32_t received);

struct Salvage {
    char itemName[16] = {};
    int32_t damage = 0;
    int32_t recipient = -1;
};
std::optional<Salvage> ReadSalvage(const uint8_t* data, uint32_t received);

}  // namespace net_read
