#include "net/NetPacketReaders.h"

#include "net/NetPacketType.h"
#include "net/PacketBytes.h"

namespace net_read {

namespace {

// The packet's bytes as its header declares them, when the header fits the
// bytes received, names the type and is at least `minimum` long.
std::optional<PacketReader> Open(const uint8_t* data, uint32_t received, std::initializer_list<uint16_t> types,
                                 uint32_t minimum) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header) return std::nullopt;
    bool known = false;
    for (const uint16_t type : types) known = known || header->type == type;
    if (!known || header->size < minimum) return std::nullopt;
    return PacketReader(data, header->size);
}

}  // namespace

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
    // The fixed part and at least the name's terminator.
    auto in = Open(data, received, {kObjectCreate, kCreationRequest}, NetPacket::kAsteroidCreateBytes);
    if (!in) return false;
    const bool request = in->U16(0) == kCreationRequest;
    const uint32_t shift = request ? 4 : 0;
    const int32_t type = in->I32(12 - shift);
    const uint32_t fixed = request ? NetPacket::kCreationRequestBytes
                           : type == 7 ? NetPacket::kAsteroidCreateBytes
                                       : NetPacket::kObjectCreateBytes;
    if (in->Size() < fixed) return false;
    *out = ObjectCreate{};
    out->request = request;
    out->uoid = request ? -1 : in->I32(8);
    out->type = type;
    out->mass = in->F32(16 - shift);
    out->side = in->I32(20 - shift);
    if (!in->Text(24 - shift, 16, out->definitionName, sizeof out->definitionName)) return false;
    out->motion = in->Vector(44 - shift);
    out->velocity = in->Vector(56 - shift);
    out->acceleration = in->F32(68 - shift);
    out->maxSpeed = in->F32(72 - shift);
    out->maxTurnRate = in->F32(76 - shift);
    out->angularAcceleration = in->F32(80 - shift);
    for (int i = 0; i < 9; ++i) out->transform[i] = in->F32(84 - shift + uint32_t(4 * i));
    if (fixed != NetPacket::kAsteroidCreateBytes) {
        for (int i = 0; i < 11; ++i) out->tail[i] = in->U32(120 - shift + uint32_t(4 * i));
    }
    const uint32_t nameAt = fixed - 1;
    return in->Text(nameAt, in->Size() - nameAt, out->name, sizeof out->name) && in->Ok();
}

std::optional<ObjectUpdate> ReadObjectUpdate(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kObjectUpdate}, NetPacket::kObjectUpdateShortBytes);
    if (!in) return std::nullopt;
    ObjectUpdate update;
    update.full = in->Size() >= NetPacket::kObjectUpdateFullBytes;
    update.uoid = in->I32(8);
    update.signature = in->U32(12);
    update.motion = in->Vector(16);
    update.velocity = in->Vector(28);
    update.acceleration = in->F32(40);
    update.maxSpeed = in->F32(44);
    for (int i = 0; i < 9; ++i) update.transform[i] = in->F32(48 + uint32_t(4 * i));
    if (update.full) {
        update.shieldDepletion = in->U8(84);
        update.cloaked = in->U8(85);
        update.side = int8_t(in->U8(86));
        update.powerDraw = in->U16(88);
        update.hitPercent = int8_t(in->U8(90));
        update.playerIndex = int8_t(in->U8(91));
        for (uint32_t i = 0; i < 12; ++i) update.partHitPoints[i] = in->U8(92 + i);
    }
    if (!in->Ok()) return std::nullopt;
    return update;
}

std::optional<ObjectRequest> ReadObjectRequest(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kObjectRequest}, 16);
    if (!in) return std::nullopt;
    return ObjectRequest{in->I32(8), in->U32(12)};
}

std::optional<Destroy> ReadDestroy(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kDestructionRequest, kObjectDestroy}, 20);
    if (!in) return std::nullopt;
    return Destroy{in->I32(8), in->I32(12), in->I32(16)};
}

std::optional<int32_t> ReadAutoturretRequest(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kAutoturretRequest}, 12);
    if (!in) return std::nullopt;
    return in->I32(8);
}

std::optional<Collision> ReadCollision(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kCollision}, 104);
    if (!in) return std::nullopt;
    Collision c;
    c.first = in->I32(8);
    c.second = in->I32(12);
    c.secondImpact = in->I32(16);
    c.firstImpact = in->I32(20);
    c.firstHidden = in->I32(24);
    c.secondHidden = in->I32(28);
    c.firstOwner = in->I32(32);
    c.secondOwner = in->I32(36);
    c.firstPosition = in->Vector(40);
    c.secondPosition = in->Vector(56);
    c.firstVelocity = in->Vector(72);
    c.secondVelocity = in->Vector(88);
    return c;
}

std::optional<Death> ReadDeath(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kDeath}, 16);
    if (!in) return std::nullopt;
    return Death{in->I32(8), in->I32(12)};
}

std::optional<ProjectileFields> ReadProjectile(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kProjRequest, kProjCreate}, 108);
    if (!in) return std::nullopt;
    ProjectileFields p;
    p.velocity = in->Vector(8);
    p.position = in->Vector(24);
    for (uint32_t i = 0; i < 5; ++i) p.damage[i] = in->I32(44 + 4 * i);
    p.emp = in->I32(64);
    p.life = in->I32(68);
    p.owner = in->I32(72);
    if (!in->Text(76, 16, p.typeName, sizeof p.typeName) || !in->Text(92, 16, p.trailName, sizeof p.trailName)) {
        return std::nullopt;
    }
    return p;
}

std::optional<ProjectileHit> ReadProjectileHit(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kProjHit}, 20);
    if (!in) return std::nullopt;
    return ProjectileHit{in->I32(8), in->I32(12), in->I32(16)};
}

std::optional<int32_t> ReadProjectileDestroy(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kProjDestroy}, 12);
    if (!in) return std::nullopt;
    return in->I32(8);
}

std::optional<WeaponFire> ReadWeaponFire(const uint8_t* data, uint32_t received) {
    const std::optional<NetPacketHeader> header = Header(data, received);
    if (!header) return std::nullopt;
    const bool gun = header->type == kGunShot;
    auto in = Open(data, received, {kGunShot, kBeamHit}, gun ? 84 : 64);
    if (!in) return std::nullopt;
    WeaponFire fire;
    fire.gun = gun;
    fire.target = in->I32(8);
    fire.shooter = in->I32(12);
    for (uint32_t i = 0; i < 5; ++i) fire.damage[i] = in->I32(20 + 4 * i);
    fire.firingPart = in->I32(40);
    fire.hitPart = in->I32(44);
    if (gun) {
        fire.strength = in->I32(48);
        fire.impact = in->Vector(52);
    }
    // The gun's name is not read by anyone, but it must still be a text.
    if (!in->Text(gun ? 68 : 48, 16, fire.name, sizeof fire.name)) return std::nullopt;
    return fire;
}

std::optional<EmpDamage> ReadEmpDamage(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kEmpDamage}, 16);
    if (!in) return std::nullopt;
    return EmpDamage{in->I32(8), in->I32(12)};
}

std::optional<EcmStatus> ReadEcmStatus(const uint8_t* data, uint32_t received) {
    auto in = Open(data, received, {kEcmStatus}, 20);
    if (!in) return std::nullopt;
    return EcmStatus{in->I32(8), in->I32(12), in->U8(16), in->U8(17)};
}

}  // namespace net_read
