#include "net/NetPacket.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/ShipRecord.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "objects/weapons/Projectile.h"

namespace {

int32_t UoidOf(const SpaceObject* object) { return object != nullptr ? object->uoid : -1; }

// Rows 1 and 2 and the position: words 3 to 11 of the frame's matrix.
void WriteTransform(PacketWriter& out, uint32_t at, const SpaceObject& object) {
    const Matrix34& m = object.local.matrix;
    for (int row = 1; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) out.F32(at + uint32_t(((row - 1) * 3 + column) * 4), m.rows[row][column]);
    }
}

// Word 0 (the source) never goes on the wire: receivers put their own there.
void WriteDamage(PacketWriter& out, uint32_t at, const DamageRecord& damage) {
    out.U32(at, 0);
    for (int i = 0; i < 5; ++i) out.I32(at + 4 + uint32_t(4 * i), damage.amounts[i]);
}

// The items a career ship flies with, each where its record fits it: none
// for a ship of its hull's own equipment, or for a fit that a packet could
// not carry whole (an item outside every area, too many items), whose
// pilot's copy then keeps its hull's own equipment too.
std::vector<const EquipmentItem*> FitOf(const SpaceObject& ship) {
    const auto* const craft = dynamic_cast<const Craft*>(&ship);
    const ShipRecord* const record = craft != nullptr ? craft->FlownRecord() : nullptr;
    if (record == nullptr || record->Items().size() > NetPacket::kMostFitItems) return {};
    std::vector<const EquipmentItem*> fit;
    for (const auto& item : record->Items()) {
        if (item->areaIndex < 0 || item->areaIndex > 0xFF || item->column < 0 || item->column > 0xFF || item->row < 0 ||
            item->row > 0xFF) {
            return {};
        }
        fit.push_back(item.get());
    }
    return fit;
}

}  // namespace

uint32_t NetPacket::ObjectSignature(const SpaceObject* object) {
    if (object == nullptr || strnlen(object->label, 4) < 4) return 0;
    const auto* const name = reinterpret_cast<const uint8_t*>(object->label);
    return uint32_t(name[0]) << 24 | uint32_t(name[1]) << 16 | uint32_t(name[2]) << 8 | name[3];
}

int32_t NetPacket::ProjectileIndex(const Projectile* projectile) {
    if (g_gameState == nullptr) return 0;
    const DynArray<Projectile*>& list = g_gameState->projectiles;
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (list[i] == projectile) return i;
    }
    return list.Count();
}

void NetPacket::WriteObjectCreate(uint16_t type, const SpaceObject& object) {
    const bool request = type == kCreationRequest;
    const bool asteroid = object.type == SpaceObject::kTypeAsteroid;
    // Requests carry no uoid: every field lies 4 bytes lower.
    const uint32_t shift = request ? 4 : 0;
    const uint32_t fixed = request ? kCreationRequestBytes : asteroid ? kAsteroidCreateBytes : kObjectCreateBytes;
    const char* const name = object.name != nullptr ? object.name : "";
    const uint32_t length = uint32_t(strnlen(name, kMaxPacketBytes - fixed));
    if (!Allocate(fixed + length)) return;
    PacketWriter out(data_, size_);
    if (!request) out.I32(8, object.uoid);
    out.I32(12 - shift, object.NetType());
    out.F32(16 - shift, object.mass);
    out.I32(20 - shift, object.side);
    out.Text(24 - shift, kDefinitionNameBytes, object.label);
    // 40: the receiver's own name pointer; nothing of ours goes there.
    out.Vector(44 - shift, object.angularVelocity);
    out.Vector(56 - shift, object.velocity);
    out.F32(68 - shift, object.velocityCap);
    out.F32(72 - shift, object.maxSpeed);
    out.F32(76 - shift, object.maxTurnRate);
    out.F32(80 - shift, object.spinCap);
    WriteTransform(out, 84 - shift, object);
    if (!asteroid) {
        NetObjectState state;
        object.FillNetState(state);
        for (int32_t i = 0; i < state.tailWords && i < 11; ++i) out.U32(120 - shift + uint32_t(4 * i), state.tail[i]);
    }
    const uint32_t nameAt = fixed - 1;
    for (uint32_t i = 0; i < length; ++i) out.U8(nameAt + i, uint8_t(name[i]));
    out.U8(nameAt + length, 0);
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::WritePlayerInfo(const SpaceObject& ship) {
    if (!Allocate(kPlayerInfoBytes)) return;
    PacketWriter out(data_, size_);
    out.I32(8, ship.uoid);
    out.Vector(12, ship.angularVelocity);
    out.Vector(28, ship.velocity);
    out.F32(44, ship.velocityCap);
    out.F32(48, ship.maxSpeed);
    out.Vector(52, ship.local.forward);
    out.F32(64, ship.local.forwardW);
    out.U32(68, ship.local.changeCount);
    const Matrix34& m = ship.local.matrix;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) out.F32(72 + uint32_t((row * 3 + column) * 4), m.rows[row][column]);
    }
    out.I32(120, ship.type == SpaceObject::kTypeCraft ? 1 : 0);
    NetObjectState state;
    ship.FillNetState(state);
    out.U8(124, uint8_t(std::clamp(state.shieldDepletion, 0, 100)));
    out.U8(125, uint8_t(state.cloaked != 0));
    out.U16(126, uint16_t(std::clamp(state.powerDraw, 0, 0xFFFF)));
    const int32_t maximum = ship.GetMaxHitPoints(nullptr);
    const int64_t percent = maximum <= 0 ? 0 : int64_t(ship.hitPoints) * 100 / maximum;
    out.U8(128, uint8_t(int8_t(std::clamp<int64_t>(percent, -128, 127))));
    // Only the low half of the report fits: the range, or -1.
    out.U16(130, uint16_t(ship.TakeJammerReport() & 0xFFFF));
    for (int32_t i = 0; i < 12 && i < ship.HitPointRecordCount(); ++i) {
        out.U8(132 + uint32_t(i), uint8_t(ship.HitPointRecord(i).hp & 0xFF));
    }
    WriteHeader(kPlayerInfo, PF_QUEUE_1);
}

void NetPacket::WriteNewPlayer(const SpaceObject& ship) {
    const std::vector<const EquipmentItem*> fit = FitOf(ship);
    const uint32_t fitBytes = fit.empty() ? 0 : 1 + uint32_t(fit.size()) * kFitItemBytes;
    const char* const name = ship.name != nullptr ? ship.name : "";
    const uint32_t length = uint32_t(strnlen(name, kMaxPacketBytes - kNewPlayerBytes - fitBytes));
    if (!Allocate(kNewPlayerBytes + length + fitBytes)) return;
    PacketWriter out(data_, size_);
    const auto* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    const CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
    out.U32(8, session != nullptr ? session->ownDpid : 0);
    out.F32(12, ship.mass);
    out.I32(16, ship.uoid);
    out.I32(20, ship.side);
    out.U8(24, uint8_t(career != nullptr ? career->logo : 0));
    out.Text(25, kNewPlayerDefinitionBytes, ship.label);
    // 44: the receiver's own name pointer.
    const uint32_t nameAt = kNewPlayerBytes - 1;
    for (uint32_t i = 0; i < length; ++i) out.U8(nameAt + i, uint8_t(name[i]));
    const uint32_t fitAt = nameAt + length + 1;
    if (!fit.empty()) out.U8(fitAt, uint8_t(fit.size()));
    for (size_t i = 0; i < fit.size(); ++i) {
        const EquipmentItem& item = *fit[i];
        const uint32_t at = fitAt + 1 + uint32_t(i) * kFitItemBytes;
        out.Text(at, kFitIdBytes, item.id);
        out.U8(at + kFitIdBytes, uint8_t(item.areaIndex));
        out.U8(at + kFitIdBytes + 1, uint8_t(item.column));
        out.U8(at + kFitIdBytes + 2, uint8_t(item.row));
        out.U8(at + kFitIdBytes + 3, uint8_t(std::clamp(item.damage, 0, 100)));
        out.U16(at + kFitIdBytes + 4, uint16_t(std::clamp(item.ammunition, 0, 0xFFFF)));
    }
    WriteHeader(kNewPlayer, PF_QUEUE_1);
}

void NetPacket::BuildObjectPacket(uint16_t type, const SpaceObject* object) {
    switch (type) {
        case kNewPlayer:
            if (object != nullptr) WriteNewPlayer(*object);
            return;
        case kObjectCreate:
        case kCreationRequest:
            if (object != nullptr) WriteObjectCreate(type, *object);
            return;
        case kPlayerInfo:
            if (object != nullptr) WritePlayerInfo(*object);
            return;
        case kAutoturretRequest: {
            if (!Allocate(kAutoturretRequestBytes)) return;
            PacketWriter(data_, size_).I32(8, UoidOf(object));
            WriteHeader(type, PF_QUEUE_1);
            return;
        }
        case kDestructionRequest:
        case kObjectDestroy:
            BuildObjectEventPacket(type, object, nullptr);
            return;
        case kObjectUpdate: {
            if (object == nullptr) return;
            const auto* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
            const bool craft = object->type >= SpaceObject::kTypeCraft;
            // A pilot's ship goes whole every pass: the others learn at once
            // whose it is and see its hull and shields as they fall.
            const bool full = craft && session != nullptr &&
                              (session->FindPlayerByUoid(object->uoid) >= 0 ||
                               (session->updateRate > 0 &&
                                (int64_t(session->updatePasses) + object->uoid) % session->updateRate == 0));
            if (!Allocate(full ? kObjectUpdateFullBytes : kObjectUpdateShortBytes)) return;
            PacketWriter out(data_, size_);
            out.I32(8, object->uoid);
            out.U32(12, ObjectSignature(object));
            out.Vector(16, object->angularVelocity);
            out.Vector(28, object->velocity);
            out.F32(40, object->velocityCap);
            out.F32(44, object->maxSpeed);
            WriteTransform(out, 48, *object);
            if (full) {
                NetObjectState state;
                object->FillNetState(state);
                out.U8(84, uint8_t(std::clamp(state.shieldDepletion, 0, 100)));
                out.U8(85, uint8_t(state.cloaked != 0));
                out.U8(86, uint8_t(int8_t(object->side)));
                out.U16(88, uint16_t(std::clamp(state.powerDraw, 0, 0xFFFF)));
                const int32_t maximum = object->GetMaxHitPoints(nullptr);
                const int32_t percent =
                    maximum <= 0 ? 0 : int32_t(std::clamp<int64_t>(int64_t(object->hitPoints) * 100 / maximum, 0, 100));
                out.U8(90, uint8_t(percent));
                out.U8(91, uint8_t(int8_t(session->FindPlayerByUoid(object->uoid))));
                for (int32_t i = 0; i < 12 && i < object->HitPointRecordCount(); ++i) {
                    out.U8(92 + uint32_t(i), uint8_t(std::clamp(object->HitPointRecord(i).hp, 0, 255)));
                }
            }
            WriteHeader(type, craft || object->type == SpaceObject::kTypeMissile ? PF_QUEUE_2 : PF_QUEUE_3);
            return;
        }
        default:
            return;
    }
}

void NetPacket::BuildObjectEventPacket(uint16_t type, const SpaceObject* first, const SpaceObject* second) {
    switch (type) {
        case kDestructionRequest:
        case kObjectDestroy: {
            if (!Allocate(kDestroyBytes)) return;
            PacketWriter out(data_, size_);
            out.I32(8, UoidOf(first));
            out.I32(12, UoidOf(second));
            NetObjectState state;
            if (first != nullptr) first->FillNetState(state);
            out.I32(16, state.explodeFlag);
            break;
        }
        case kCollision: {
            if (!Allocate(kCollisionBytes)) return;
            if (first != nullptr && second != nullptr) {
                PacketWriter out(data_, size_);
                NetObjectState a, b;
                first->FillNetState(a);
                second->FillNetState(b);
                out.I32(8, first->uoid);
                out.I32(12, second->uoid);
                out.I32(16, second->partnerPart);
                out.I32(20, first->partnerPart);
                out.I32(24, first->collisionDelay);
                out.I32(28, second->collisionDelay);
                out.I32(32, UoidOf(a.owner));
                out.I32(36, UoidOf(b.owner));
                out.Vector(40, first->Position());
                out.Vector(56, second->Position());
                out.Vector(72, first->velocity);
                out.Vector(88, second->velocity);
            }
            break;
        }
        case kDeath: {
            if (!Allocate(kDeathBytes)) return;
            PacketWriter out(data_, size_);
            out.I32(8, UoidOf(first));
            out.I32(12, UoidOf(second));
            break;
        }
        default:
            return;
    }
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildProjectilePacket(uint16_t type, const Projectile* projectile, const SpaceObject* target,
                                      int32_t hitPart) {
    switch (type) {
        case kProjRequest:
        case kProjCreate: {
            if (projectile == nullptr || !Allocate(kProjectileBytes)) return;
            PacketWriter out(data_, size_);
            out.Vector(8, projectile->velocity);
            out.Vector(24, projectile->currentPoint);
            WriteDamage(out, 40, projectile->damage);
            out.I32(64, projectile->emp);
            out.I32(68, projectile->lifetimeLeft);
            out.I32(72, UoidOf(projectile->owner.Get()));
            out.Text(76, Projectile::kNameBytes, projectile->typeName);
            out.Text(92, Projectile::kNameBytes, projectile->trailName);
            break;
        }
        case kProjHit: {
            if (!Allocate(kProjectileHitBytes)) return;
            PacketWriter out(data_, size_);
            out.I32(8, ProjectileIndex(projectile));
            out.I32(12, UoidOf(target));
            out.I32(16, hitPart);
            break;
        }
        case kProjDestroy: {
            if (!Allocate(kProjectileDestroyBytes)) return;
            PacketWriter(data_, size_).I32(8, ProjectileIndex(projectile));
            break;
        }
        default:
            return;
    }
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildWeaponFire(uint16_t type, const DamageRecord& damage, int32_t strength, const SpaceObject* target,
                                int32_t, const char* name, int32_t firingPart, int32_t hitPart, const Vector3& impact) {
    if (type != kGunShot && type != kBeamHit) return;
    if (!Allocate(type == kGunShot ? kGunShotBytes : kBeamHitBytes)) return;
    PacketWriter out(data_, size_);
    out.I32(8, UoidOf(target));
    out.I32(12, UoidOf(damage.source));
    WriteDamage(out, 16, damage);
    out.I32(40, firingPart);
    out.I32(44, hitPart);
    if (type == kGunShot) {
        out.I32(48, strength);
        out.Vector(52, impact);
        out.Text(68, 16, name);
    } else {
        out.Text(48, 16, name);
    }
    WriteHeader(type, target != nullptr ? PF_QUEUE_1 : PF_QUEUE_3);
}

void NetPacket::BuildScenePacket(uint16_t type, int32_t uoid) {
    if (type >= kUpdateStarfield && type <= kUpdateLight) {
        WriteSceneRecord(type, uoid);
        return;
    }
    if (type != kObjectRequest || !Allocate(kObjectRequestBytes)) return;
    const auto* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    PacketWriter out(data_, size_);
    out.I32(8, uoid);
    out.U32(12, session != nullptr ? session->ownDpid : 0);
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildSalvage(uint16_t type, const char* itemName, int32_t damage, int32_t recipientUoid) {
    if (type != kSalvage || !Allocate(kSalvageBytes)) return;
    PacketWriter out(data_, size_);
    out.Text(8, kSalvageNameBytes, itemName != nullptr ? itemName : "");
    out.I32(24, damage);
    out.I32(28, recipientUoid);
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildIdAck(uint16_t type) {
    if (type == kIdAck) BuildControlPacket(type);
}

void NetPacket::BuildEmpDamage(uint16_t type, const SpaceObject* target, int32_t amount) {
    if (type != kEmpDamage || !Allocate(kEmpDamageBytes)) return;
    PacketWriter out(data_, size_);
    out.I32(8, UoidOf(target));
    out.I32(12, amount);
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildEcmStatus(uint16_t type, int32_t shipUoid, int32_t range, int32_t kind3Percent, int32_t kind2Percent) {
    if (type != kEcmStatus || !Allocate(kEcmStatusBytes)) return;
    PacketWriter out(data_, size_);
    out.I32(8, shipUoid);
    out.I32(12, range);
    out.U8(16, uint8_t(kind3Percent));
    out.U8(17, uint8_t(kind2Percent));
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildIdInfo(uint16_t type, uint32_t clientId, uint32_t hostId, int32_t uoid) {
    if (type != kIdInfo || !Allocate(kIdInfoBytes)) return;
    PacketWriter out(data_, size_);
    out.I32(8, uoid);
    out.U32(12, hostId);
    out.U32(16, clientId);
    WriteHeader(type, PF_IMMEDIATE);
}

void NetPacket::BuildKillsUpdate(uint16_t type, int32_t reward, uint32_t playerId) {
    NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    if (type != kKillsUpdate || session == nullptr) return;
    const int32_t index = session->FindPlayerByDpid(playerId);
    if (index < 0) return;
    if (playerId == session->ownDpid) session->CopyCareerFigures(index);
    const NetPlayer& player = *session->Player(index);
    if (!Allocate(kKillsUpdateBytes)) return;
    PacketWriter out(data_, size_);
    out.I32(8, player.kills);
    out.I32(12, player.careerKills);
    out.I32(16, player.careerMissions);
    out.I32(20, player.score);
    out.I32(24, player.careerAccuracy);
    out.I32(28, player.face);
    out.I32(32, reward);
    out.U32(36, player.isIt);
    out.U32(40, playerId);
    WriteHeader(type, PF_QUEUE_1);
}

void NetPacket::BuildMessage(uint16_t type, const char* scope, const char* sender, const char* text, int32_t sound) {
    if (type != kMessage) return;
    const auto length = [](const char* value, uint32_t room) {
        return value != nullptr ? uint32_t(strnlen(value, room)) : 0u;
    };
    // Three terminators after the fixed words; the names take what they
    // need first, the text what is left.
    uint32_t room = kMaxPacketBytes - kMessageFixedBytes - 3;
    const uint32_t scopeLength = length(scope, room);
    room -= scopeLength;
    const uint32_t senderLength = length(sender, room);
    room -= senderLength;
    const uint32_t textLength = length(text, room);
    if (!Allocate(kMessageFixedBytes + scopeLength + senderLength + textLength + 3)) return;
    PacketWriter out(data_, size_);
    const int32_t face = g_gameState != nullptr && g_gameState->career != nullptr ? g_gameState->career->face : -1;
    out.I32(8, sound);
    out.I32(12, face);
    out.U32(16, 0);
    out.U32(20, scopeLength + 1);
    out.U32(24, scopeLength + 1 + senderLength + 1);
    // Each string is followed by the zero Allocate left there.
    uint32_t at = kMessageFixedBytes;
    for (const auto& [value, count] : {std::pair{scope, scopeLength}, {sender, senderLength}, {text, textLength}}) {
        for (uint32_t i = 0; i < count; ++i) out.U8(at + i, uint8_t(value[i]));
        at += count + 1;
    }
    WriteHeader(type, PF_QUEUE_1);
}
