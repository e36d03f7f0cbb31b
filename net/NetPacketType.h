#pragma once
#include <cstdint>

// The 37 packet types; the numbers travel in the header's first word.
enum NetPacketType : uint16_t {
    kMegapacket = 1, kNewPlayer, kIdInfo, kAutoturretRequest, kProjRequest, kObjectRequest, kCreationRequest,
    kDestructionRequest, kObjectUpdate, kObjectCreate, kObjectDestroy, kCollision, kProjCreate, kProjHit, kProjDestroy,
    kSetGoal, kGoalNew, kPlayerInfo, kIdAck, kDeath, kGunShot, kGoalDone, kBeamHit, kEmpDamage, kKillsUpdate,
    kUpdateTeam, kGameInfo, kGameInfoRequest, kStateRequest, kState, kMessage, kEcmStatus, kSalvage,
    kUpdateStarfield, kUpdateWallpaper, kUpdateSpacedust, kUpdateLight,
};
inline constexpr uint16_t kNetPacketTypes = 37;

// Header flag bits.
inline constexpr uint32_t PF_TRACE = 0x1;
inline constexpr uint32_t PF_IMMEDIATE = 0x2;
inline constexpr uint32_t PF_QUEUE_1 = 0x4;
inline constexpr uint32_t PF_QUEUE_2 = 0x8;
inline constexpr uint32_t PF_QUEUE_3 = 0x10;

// The type's name as the trace lines print it ("DESTRCTION_REQUEST"
// included); null outside 1 to 37.
const char* NetPacketTypeName(uint32_t type);
