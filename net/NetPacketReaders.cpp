#include "net/NetPacketReaders.h"

#include <cstring>
#include <initializer_list>
#include <limits>

#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"

namespace net_read {

namespace {

constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();
constexpr uint8_t kFullPercent = 100;
// A player index names a slot of the session's table, or -1 for none.
constexpr int32_t kPlayerSlots = NetSession::kDefaultCapacity;

// The packet's bytes as its header declares them, when the header fits the
// bytes received, names one of `types` and declares exactly `size` bytes: a
// packet padded or cut to another size, or relabelled as a type of another
// size, is not the packet its type says.
std::optional<PacketReader> Open(const uint8_t* data, uint32_t received, std::initializer_list<uint16_t> types,
                                 uint32_t size) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header || header->size != size) return std::nullopt;
    for (const uint16_t type : types) {
        if (header->type == type) return PacketReader(data, header->size);
    }
    return std::nullopt;
}

template <class Fields>
std::optional<Fields> Checked(const PacketReader& in, const Fields& fields) {
    if (!in.Ok()) return std::nullopt;
    return fields;
}

// Definitions give whole masses up to a 32-bit word. Below 1 the knock of a
// hit, which divides by the mass, has no bound; above the word a collision's
// sum of masses leaves the float range. Only objects that are not ships
// may weigh nothing.
constexpr float kLightestMass = 1.0f;
constexpr float kHeaviestMass = 2147483648.0f;
float Mass(PacketReader& in, uint32_t at, bool mayBeNone) {
    const float mass = in.F32Within(at, 0.0f, kHeaviestMass);
    if (mass < kLightestMass && !(mayBeNone && mass == 0.0f)) in.F32Within(at, kLightestMass, kHeaviestMass);
    return mass;
}

int32_t Uoid(PacketReader& in, uint32_t at) { return in.I32Within(at, 0, kLargest); }
int32_t RelatedUoid(PacketReader& in, uint32_t at) { return in.I32Within(at, kNoObject, kLargest); }
int32_t PartIndex(PacketReader& in, uint32_t at) { return in.I32Within(at, kNoPart, kLargest); }

// A hit's amounts come from a weapon's 16-bit damage words, taken at its
// rate over a frame: far below this. Larger, the damage model's own
// arithmetic (a quarter off on the easy level, shields at a hundred times)
// would leave 32 bits.
constexpr int32_t kHeaviestHit = 1 << 20;
int32_t Damage(PacketReader& in, uint32_t at) { return in.I32Within(at, -kHeaviestHit, kHeaviestHit); }

// A launcher's lifetime is a 16-bit word of its definition, in ms; a
// missile made by the host has its default 30 s. Longer, a missile asked
// for would never end.
constexpr int32_t kLongestFlightMs = 32767;

// Every kind the builders send; the player's ship travels as an AI ship.
bool SentKind(int32_t type) {
    switch (type) {
        case SpaceObject::kTypeSpaceObject:
        case SpaceObject::kTypeMoving:
        case SpaceObject::kTypeHull:
        case SpaceObject::kTypeChase:
        case SpaceObject::kTypeWayPoint:
        case SpaceObject::kTypeNavBuoy:
        case SpaceObject::kTypeAsteroid:
        case SpaceObject::kTypeMine:
        case SpaceObject::kTypeDebris:
        case SpaceObject::kTypeJumpGate:
        case SpaceObject::kTypeDecoy:
        case SpaceObject::kTypeMissile:
        case SpaceObject::kTypeCraft:
        case SpaceObject::kTypeAiShip:
            return true;
        default:
            return false;
    }
}

// The uoids, parts and flags that a kind's tail (at `at`) names, and the
// warhead a missile or a mine carries: a launcher's, which strikes as a
// hit's amounts do.
void CheckTail(PacketReader& in, uint32_t at, int32_t type) {
    const auto warhead = [&in, at] {
        for (uint32_t i = 0; i < 5; ++i) Damage(in, at + 4 * i);
    };
    switch (type) {
        case SpaceObject::kTypeMissile:
            warhead();
            RelatedUoid(in, at + 20);   // owner
            RelatedUoid(in, at + 24);   // target
            in.I32Within(at + 28, 0, kLargest);   // the target's part aimed at
            // A turn rate is negated when an ECM turns the missile away: the bottom of the word has no negative.
            in.I32Within(at + 32, -kLargest, kLargest);
            in.I32Within(at + 40, 0, kLongestFlightMs);   // lifetime
            return;
        case SpaceObject::kTypeMine:
            warhead();
            RelatedUoid(in, at + 20);
            in.I32Within(at + 28, 0, kLargest);   // EMP charge
            return;
        case SpaceObject::kTypeDecoy:
            RelatedUoid(in, at + 8);
            return;
        case SpaceObject::kTypeCraft:
        case SpaceObject::kTypeAiShip:
            in.I32Within(at, -1, kLargest);   // logo index, -1 for none
            return;
        case SpaceObject::kTypeAsteroid:
            return;   // a request's tail, left unfilled
        default:
            in.I32Within(at, 0, 1);   // navigation-point flag
            return;
    }
}

}  // namespace

std::string Printable(const char* text) {
    std::string shown = text != nullptr ? text : "";
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return shown;
}

std::optional<NetPacketHeader> Header(const uint8_t* data, uint32_t received) {
    if (data == nullptr || received < NetPacketHeader::kBytes) return std::nullopt;
    PacketReader in(data, received);
    NetPacketHeader header;
    header.type = in.U16(0);
    header.size = in.U16(2);
    header.flags = in.U32(4);
    if (header.size < NetPacketHeader::kBytes || header.size > received) return std::nullopt;
    return header;
}

bool ReadObjectCreate(const uint8_t* data, uint32_t received, ObjectCreate* out) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header || (header->type != kObjectCreate && header->type != kCreationRequest)) return false;
    PacketReader in(data, header->size);
    const bool request = header->type == kCreationRequest;
    // Requests carry no uoid: every field lies 4 bytes lower.
    const uint32_t shift = request ? 4 : 0;
    const int32_t type = in.I32(12 - shift);
    if (!SentKind(type)) return false;
    // The object type word decides the layout: an asteroid's create has no tail.
    const bool tail = request || type != SpaceObject::kTypeAsteroid;
    const uint32_t fixed = request ? NetPacket::kCreationRequestBytes
                           : tail  ? NetPacket::kObjectCreateBytes
                                   : NetPacket::kAsteroidCreateBytes;
    if (header->size < fixed) return false;
    *out = ObjectCreate{};
    out->request = request;
    out->uoid = request ? kNoObject : Uoid(in, 8);
    out->type = type;
    out->mass = Mass(in, 16 - shift, type != SpaceObject::kTypeCraft && type != SpaceObject::kTypeAiShip);
    out->side = in.I32(20 - shift);
    if (!in.Text(24 - shift, NetPacket::kDefinitionNameBytes, out->definitionName, sizeof out->definitionName)) {
        return false;
    }
    out->motion = in.FiniteVector(44 - shift);
    out->velocity = in.FiniteVector(56 - shift);
    out->acceleration = in.FiniteF32(68 - shift);
    out->maxSpeed = in.FiniteF32(72 - shift);
    out->maxTurnRate = in.FiniteF32(76 - shift);
    out->angularAcceleration = in.FiniteF32(80 - shift);
    for (int i = 0; i < 9; ++i) out->transform[i] = in.FiniteF32(84 - shift + uint32_t(4 * i));
    if (tail) {
        for (int i = 0; i < 11; ++i) out->tail[i] = in.U32(120 - shift + uint32_t(4 * i));
        CheckTail(in, 120 - shift, type);
    }
    // The name fills the rest of the packet: its terminator is the last byte.
    const uint32_t nameAt = fixed - 1;
    const uint32_t field = header->size - nameAt;
    if (!in.Text(nameAt, field, out->name, sizeof out->name) || strnlen(out->name, field) + 1 != field) return false;
    return in.Ok();
}

std::optional<ObjectUpdate> ReadObjectUpdate(const uint8_t* data, uint32_t received) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header) return std::nullopt;
    const bool full = header->size == NetPacket::kObjectUpdateFullBytes;
    auto in = Open(data, received, {kObjectUpdate},
                   full ? NetPacket::kObjectUpdateFullBytes : NetPacket::kObjectUpdateShortBytes);
    if (!in) return std::nullopt;
    ObjectUpdate update;
    update.full = full;
    update.uoid = Uoid(*in, 8);
    update.signature = in->U32(12);
    update.motion = in->FiniteVector(16);
    update.velocity = in->FiniteVector(28);
    update.acceleration = in->FiniteF32(40);
    update.maxSpeed = in->FiniteF32(44);
    for (int i = 0; i < 9; ++i) update.transform[i] = in->FiniteF32(48 + uint32_t(4 * i));
    if (full) {
        update.shieldDepletion = in->U8Within(84, kFullPercent);
        update.cloaked = in->U8Within(85, 1);
        update.side = int8_t(in->U8(86));
        update.powerDraw = in->U16(88);
        update.hitPercent = int8_t(in->U8Within(90, kFullPercent));
        update.playerIndex = int8_t(in->U8(91));
        if (update.playerIndex < -1 || update.playerIndex >= kPlayerSlots) return std::nullopt;
        for (uint32_t i = 0; i < 12; ++i) update.partHitPoints[i] = in->U8(92 + i);
    }
    return Checked(*in, update);
}

std::optional<ObjectRequest> ReadObjectRequest(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kObjectRequest}, NetPacket::kObjectRequestBytes);
    if (!in) return std::nullopt;
    const ObjectRequest request{Uoid(*in, 8), in->U32(12)};
    return Checked(*in, request);
}

std::optional<Destroy> ReadDestroy(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kDestructionRequest, kObjectDestroy}, NetPacket::kDestroyBytes);
    if (!in) return std::nullopt;
    const Destroy destroy{Uoid(*in, 8), RelatedUoid(*in, 12), in->I32Within(16, 0, 1)};
    return Checked(*in, destroy);
}

std::optional<int32_t> ReadAutoturretRequest(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kAutoturretRequest}, NetPacket::kAutoturretRequestBytes);
    if (!in) return std::nullopt;
    return Checked(*in, RelatedUoid(*in, 8));
}

std::optional<Collision> ReadCollision(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kCollision}, NetPacket::kCollisionBytes);
    if (!in) return std::nullopt;
    Collision c;
    c.first = Uoid(*in, 8);
    c.second = Uoid(*in, 12);
    c.secondImpact = PartIndex(*in, 16);
    c.firstImpact = PartIndex(*in, 20);
    c.firstHidden = in->I32(24);
    c.secondHidden = in->I32(28);
    c.firstOwner = RelatedUoid(*in, 32);
    c.secondOwner = RelatedUoid(*in, 36);
    c.firstPosition = in->FiniteVector(40);
    c.secondPosition = in->FiniteVector(56);
    c.firstVelocity = in->FiniteVector(72);
    c.secondVelocity = in->FiniteVector(88);
    // An object never collides with itself.
    if (c.first == c.second) return std::nullopt;
    return Checked(*in, c);
}

std::optional<Death> ReadDeath(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kDeath}, NetPacket::kDeathBytes);
    if (!in) return std::nullopt;
    const Death death{RelatedUoid(*in, 8), Uoid(*in, 12)};
    return Checked(*in, death);
}

std::optional<ProjectileFields> ReadProjectile(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kProjRequest, kProjCreate}, NetPacket::kProjectileBytes);
    if (!in) return std::nullopt;
    ProjectileFields p;
    p.velocity = in->FiniteVector(8);
    p.position = in->FiniteVector(24);
    for (uint32_t i = 0; i < 5; ++i) p.damage[i] = Damage(*in, 44 + 4 * i);
    p.emp = in->I32Within(64, 0, kLargest);
    p.life = in->I32(68);
    p.owner = RelatedUoid(*in, 72);
    if (!in->Text(76, 16, p.typeName, sizeof p.typeName) || !in->Text(92, 16, p.trailName, sizeof p.trailName)) {
        return std::nullopt;
    }
    return Checked(*in, p);
}

std::optional<ProjectileHit> ReadProjectileHit(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kProjHit}, NetPacket::kProjectileHitBytes);
    if (!in) return std::nullopt;
    const ProjectileHit hit{in->I32Within(8, 0, kLargest), Uoid(*in, 12), PartIndex(*in, 16)};
    return Checked(*in, hit);
}

std::optional<int32_t> ReadProjectileDestroy(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kProjDestroy}, NetPacket::kProjectileDestroyBytes);
    if (!in) return std::nullopt;
    return Checked(*in, in->I32Within(8, 0, kLargest));
}

std::optional<WeaponFire> ReadWeaponFire(const uint8_t* data, uint32_t received) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header) return std::nullopt;
    const bool gun = header->type == kGunShot;
    auto in = gun ? Open(data, received, {kGunShot}, NetPacket::kGunShotBytes)
                  : Open(data, received, {kBeamHit}, NetPacket::kBeamHitBytes);
    if (!in) return std::nullopt;
    WeaponFire fire;
    fire.gun = gun;
    fire.target = RelatedUoid(*in, 8);
    fire.shooter = RelatedUoid(*in, 12);
    for (uint32_t i = 0; i < 5; ++i) fire.damage[i] = Damage(*in, 20 + 4 * i);
    fire.firingPart = PartIndex(*in, 40);
    fire.hitPart = PartIndex(*in, 44);
    if (gun) {
        fire.strength = in->I32Within(48, 0, kLargest);
        fire.impact = in->FiniteVector(52);
    }
    // The gun's name is not read by anyone, but it must still be a text.
    if (!in->Text(gun ? 68 : 48, 16, fire.name, sizeof fire.name)) return std::nullopt;
    return Checked(*in, fire);
}

std::optional<EmpDamage> ReadEmpDamage(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kEmpDamage}, NetPacket::kEmpDamageBytes);
    if (!in) return std::nullopt;
    // EMP levels only grow by a pulse.
    const EmpDamage damage{RelatedUoid(*in, 8), in->I32Within(12, 0, kLargest)};
    return Checked(*in, damage);
}

std::optional<EcmStatus> ReadEcmStatus(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kEcmStatus}, NetPacket::kEcmStatusBytes);
    if (!in) return std::nullopt;
    // Range -1: switched off.
    const EcmStatus status{Uoid(*in, 8), in->I32Within(12, -1, kLargest), in->U8(16), in->U8(17)};
    return Checked(*in, status);
}

bool ReadNewPlayer(const uint8_t* data, uint32_t received, NewPlayer* out) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header || header->type != kNewPlayer || header->size < NetPacket::kNewPlayerBytes) return false;
    PacketReader in(data, header->size);
    *out = NewPlayer{};
    out->dpid = in.U32(8);
    out->mass = Mass(in, 12, false);
    out->uoid = in.I32(16);
    out->side = in.I32(20);
    out->logo = in.U8(24);
    if (!in.Text(25, NetPacket::kNewPlayerDefinitionBytes, out->definitionName, sizeof out->definitionName)) return false;
    // 44: the receiver's own name pointer. The name, then maybe the fit, fill the rest.
    const uint32_t nameAt = NetPacket::kNewPlayerBytes - 1;
    const uint32_t field = header->size - nameAt;
    if (!in.Text(nameAt, field, out->name, sizeof out->name)) return false;
    const uint32_t fitAt = nameAt + uint32_t(strnlen(out->name, field)) + 1;
    if (fitAt == header->size) return in.Ok();
    const uint32_t count = in.U8(fitAt);
    if (count < 1 || count > NetPacket::kMostFitItems ||
        header->size - fitAt != 1 + count * NetPacket::kFitItemBytes) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = fitAt + 1 + i * NetPacket::kFitItemBytes;
        FitItem& item = out->fit[i];
        if (!in.Text(at, NetPacket::kFitIdBytes, item.id, sizeof item.id)) return false;
        const uint32_t place = at + NetPacket::kFitIdBytes;
        item.area = in.U8(place);
        item.column = in.U8(place + 1);
        item.row = in.U8(place + 2);
        item.damage = in.U8Within(place + 3, kFullPercent);
        item.ammunition = in.U16(place + 4);
    }
    out->fitCount = count;
    return in.Ok();
}

std::optional<IdInfo> ReadIdInfo(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kIdInfo}, NetPacket::kIdInfoBytes);
    if (!in) return std::nullopt;
    const IdInfo info{Uoid(*in, 8), in->U32(12), in->U32(16)};
    return Checked(*in, info);
}

std::optional<PlayerInfo> ReadPlayerInfo(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kPlayerInfo}, NetPacket::kPlayerInfoBytes);
    if (!in) return std::nullopt;
    PlayerInfo p;
    p.uoid = in->I32(8);
    for (uint32_t i = 0; i < 4; ++i) {
        p.motion[i] = in->FiniteF32(12 + 4 * i);
        p.velocity[i] = in->FiniteF32(28 + 4 * i);
        p.heading[i] = in->FiniteF32(52 + 4 * i);
    }
    p.acceleration = in->FiniteF32(44);
    p.maxSpeed = in->FiniteF32(48);
    p.changeCount = in->U32(68);
    for (uint32_t i = 0; i < 12; ++i) p.transform[i] = in->FiniteF32(72 + 4 * i);
    p.plainCraft = in->I32Within(120, 0, 1);
    p.shieldDepletion = in->U8Within(124, kFullPercent);
    p.cloaked = in->U8Within(125, 1);
    p.powerDraw = in->U16(126);
    p.hitPercent = int8_t(in->U8(128));
    p.jammer = int16_t(in->U16(130));
    for (uint32_t i = 0; i < 12; ++i) p.partHitPoints[i] = in->U8(132 + i);
    return Checked(*in, p);
}

std::optional<Salvage> ReadSalvage(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kSalvage}, NetPacket::kSalvageBytes);
    if (!in) return std::nullopt;
    Salvage salvage;
    if (!in->Text(8, 16, salvage.itemName, sizeof salvage.itemName)) return std::nullopt;
    salvage.damage = in->I32(24);
    salvage.recipient = in->I32(28);
    return Checked(*in, salvage);
}

}  // namespace net_read
