#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "engine/EngineAllocation.h"
#include "engine/Vector3.h"

class Goal;
class NetSession;
class Projectile;
class SpaceObject;
struct DamageRecord;

// The 8 bytes in front of every packet, little-endian.
struct NetPacketHeader {
    static constexpr uint32_t kBytes = 8;
    uint16_t type = 0;
    uint16_t size = 0;
    uint32_t flags = 0;
};

// One packet: built here before sending (it then owns its block, from the
// engine heap) or wrapped around received bytes (which it never frees).
// Each build sets the size, allocates, fills the payload (zero where
// nothing is written) and writes the header last; a type the build does
// not handle leaves the packet as it was.
class NetPacket : public EngineObject {
public:
    static constexpr uint32_t kDefinitionNameBytes = 16;
    // The most one packet may hold: its size travels in 16 bits and must fit one MEGAPACKET.
    static constexpr uint32_t kMaxPacketBytes = 32756;
    static constexpr uint32_t kMegapacketBufferBytes = 32768;
    static constexpr uint32_t kMegapacketHeaderBytes = 12;   // the header and the count
    static constexpr uint32_t kObjectCreateBytes = 165;    // plus the name's length
    static constexpr uint32_t kAsteroidCreateBytes = 121;
    static constexpr uint32_t kCreationRequestBytes = 161;
    static constexpr uint32_t kObjectUpdateFullBytes = 104;
    static constexpr uint32_t kObjectUpdateShortBytes = 84;
    static constexpr uint32_t kPlayerInfoBytes = 144;
    static constexpr uint32_t kAutoturretRequestBytes = 12;
    static constexpr uint32_t kObjectRequestBytes = 16;
    static constexpr uint32_t kDestroyBytes = 20;   // DESTRCTION_REQUEST and OBJECT_DESTROY
    static constexpr uint32_t kCollisionBytes = 104;
    static constexpr uint32_t kDeathBytes = 16;
    static constexpr uint32_t kProjectileBytes = 108;   // PROJ_REQUEST and PROJ_CREATE
    static constexpr uint32_t kProjectileHitBytes = 20;
    static constexpr uint32_t kProjectileDestroyBytes = 12;
    static constexpr uint32_t kGunShotBytes = 84;
    static constexpr uint32_t kBeamHitBytes = 64;
    static constexpr uint32_t kEmpDamageBytes = 16;
    static constexpr uint32_t kEcmStatusBytes = 20;
    static constexpr uint32_t kIdInfoBytes = 20;
    static constexpr uint32_t kKillsUpdateBytes = 44;
    static constexpr uint32_t kNewPlayerBytes = 49;   // plus the name's length
    static constexpr uint32_t kNewPlayerDefinitionBytes = 19;
    // A career ship's fit may follow the name's terminator: a count byte of
    // 1 to kMostFitItems, then per item its id (NUL inside its 16 bytes),
    // the area index, column and row it is fitted at, its damage per cent
    // (0 to 100) and a launcher's load, u16.
    static constexpr uint32_t kFitItemBytes = 22;
    static constexpr uint32_t kFitIdBytes = 16;
    static constexpr uint32_t kMostFitItems = 64;
    static constexpr uint32_t kSalvageBytes = 32;
    static constexpr uint32_t kSalvageNameBytes = 16;
    static constexpr uint32_t kIdAckBytes = 8;
    // MESSAGE: the fixed words, then scope, sender and text, each with its NUL.
    static constexpr uint32_t kMessageFixedBytes = 32;
    static constexpr uint32_t kStateBytes = 12;
    static constexpr uint32_t kGameInfoBytes = 32;
    static constexpr uint32_t kUpdateTeamBytes = 52;
    // GOAL_NEW: the fixed words, then the objective and the second text, each with its NUL when the goal has it.
    static constexpr uint32_t kGoalNewFixedBytes = 64;
    static constexpr uint32_t kSetGoalBytes = 24;
    static constexpr uint32_t kGoalDoneBytes = 20;
    // The scene records: the index, then the record byte for byte.
    static constexpr uint32_t kSceneIndexBytes = 12;

    NetPacket(uint32_t size = 0, uint8_t* data = nullptr) : size_(size), owned_(data == nullptr ? 1 : 0), data_(data) {}
    ~NetPacket();
    NetPacket(const NetPacket&) = delete;
    NetPacket& operator=(const NetPacket&) = delete;

    uint8_t* GetData() const { return data_; }
    uint32_t GetSize() const { return size_; }
    // The header's type; 0 without data.
    uint16_t GetType() const;
    uint32_t GetFlags() const;
    // A new packet owning a copy of the bytes; null without memory.
    static NetPacket* CopyOf(const uint8_t* data, uint32_t size);

    // Packs the host's packets for the player `to`, in the order sent, into
    // g_megapacketBuffer as one MEGAPACKET, as far as the limit lets them:
    // those packed leave the list, a queue-1 packet that does not go in
    // waits there for the next pass, the others are dropped. Sets
    // `mustArrive` when a queue-1 packet went in. Returns the count packed.
    int32_t BuildAddressedMegapacket(DynArray<NetPacket*>& addressed, uint32_t to, bool* mustArrive);
    // Packs the session's carried packets, then queues 1 to 3, into the
    // shared g_megapacketBuffer (not owned) as one MEGAPACKET. A packet goes
    // in only while the packed bytes are below the limit (32000, the budget
    // for queues 2 and 3) and it fits the buffer whole. Queue 1 keeps its
    // order: from the first of its packets that does not go in, the rest
    // wait in carryList for the next one; queues 2 and 3 are walked first to
    // last on odd frames and last to first on even ones, and what does not
    // go in is dropped. Returns 1.
    int32_t BuildMegapacket(NetSession& session, int32_t budget);

    // NEW_PLAYER, OBJECT_CREATE, CREATION_REQUEST, OBJECT_UPDATE, PLAYER_INFO (which
    // takes the ship's jammer report), AUTOTURRET_REQUEST, and the destroy
    // pair without a killer.
    void BuildObjectPacket(uint16_t type, const SpaceObject* object);
    // The destroy pair with a killer, COLLISION, DEATH: the first object's
    // uoid at 8, the second's at 12.
    void BuildObjectEventPacket(uint16_t type, const SpaceObject* first, const SpaceObject* second);
    // PROJ_REQUEST, PROJ_CREATE, PROJ_HIT, PROJ_DESTROY.
    void BuildProjectilePacket(uint16_t type, const Projectile* projectile, const SpaceObject* target, int32_t hitPart);
    // GUN_SHOT and BEAM_HIT.
    void BuildWeaponFire(uint16_t type, const DamageRecord& damage, int32_t strength, const SpaceObject* target,
                         int32_t unused, const char* name, int32_t firingPart, int32_t hitPart, const Vector3& impact);
    // OBJECT_REQUEST for a uoid, asked by this machine (the session's own
    // id); UPDATE_STARFIELD, UPDATE_WALLPAPER, UPDATE_SPACEDUST and
    // UPDATE_LIGHT for the current mission's record of that kind at the
    // index (a negative one read as 0; nothing without such a record).
    void BuildScenePacket(uint16_t type, int32_t uoid);
    // GOAL_NEW, SET_GOAL (form 0: met, 1: activation) and GOAL_DONE; without
    // a goal its ids are -1 and it has no texts.
    void BuildGoalPacket(uint16_t type, const Goal* goal, int32_t form);
    // SALVAGE: the item's name (at most 15 characters), its damage, the recipient ship's uoid.
    void BuildSalvage(uint16_t type, const char* itemName, int32_t damage, int32_t recipientUoid);
    // ID_ACK: the header alone.
    void BuildIdAck(uint16_t type);
    void BuildEmpDamage(uint16_t type, const SpaceObject* target, int32_t amount);
    void BuildEcmStatus(uint16_t type, int32_t shipUoid, int32_t range, int32_t kind3Percent, int32_t kind2Percent);
    // ID_INFO: the host's uoid of a client's ship, the host's id and the
    // id of the client it is meant for; sent at once.
    void BuildIdInfo(uint16_t type, uint32_t clientId, uint32_t hostId, int32_t uoid);
    // KILLS_UPDATE about the player of `playerId` (nothing without such an
    // entry). This machine's own entry first takes the career's figures.
    void BuildKillsUpdate(uint16_t type, int32_t reward, uint32_t playerId);
    // MESSAGE from this machine's pilot (the face of the game state's
    // career, -1 without one). A null string travels as the empty one; the
    // text is cut where the packet would outgrow the largest one.
    void BuildMessage(uint16_t type, const char* scope, const char* sender, const char* text, int32_t sound);
    // ID_ACK, GAME_INFO_REQUEST and STATE_REQUEST (the header alone), STATE
    // (the game state's mode) and GAME_INFO (the game state's settings and
    // the current mission's sky record counts).
    void BuildControlPacket(uint16_t type);
    // UPDATE_TEAM: a team record when the player name is "NONE.", else a
    // player record; names are cut to 15 characters, null ones travel empty.
    void BuildUpdateTeam(uint16_t type, const char* playerName, const char* teamName, int32_t team, int32_t logo,
                         int32_t ready);

    // The first four characters of the definition name, the first in the
    // highest byte; 0 below four characters or without an object.
    static uint32_t ObjectSignature(const SpaceObject* object);
    // The index a projectile is named by: its first place in the game
    // state's projectile list, or the list's count when it is not there.
    static int32_t ProjectileIndex(const Projectile* projectile);

    // The host's queued copy for one player alone: that player's id; 0 for all.
    uint32_t addressee = 0;

private:
    // A zeroed block of `size` bytes owned from now on; false without memory.
    bool Allocate(uint32_t size);
    void WriteHeader(uint16_t type, uint32_t flags);
    void WriteObjectCreate(uint16_t type, const SpaceObject& object);
    void WritePlayerInfo(const SpaceObject& ship);
    void WriteNewPlayer(const SpaceObject& ship);
    void WriteSceneRecord(uint16_t type, int32_t index);

    uint32_t size_;
    uint32_t owned_;
    uint8_t* data_;
};

// Every MEGAPACKET is built here and sent before the next one is built.
extern uint8_t g_megapacketBuffer[NetPacket::kMegapacketBufferBytes];
