// Reads any bytes as a received packet through the header and every reader,
// and walks them as a MEGAPACKET: every packet handed on lies whole inside
// the bytes received.
// A reader that accepts must have found its texts terminated inside their
// fields, exactly the size its type and name give, only finite floats and
// every uoid, part and index in its range; a read out of bounds aborts
// through the sanitizers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "net/NetControlPackets.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetSession.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void RequireFinite(const Vector3& v) { Require(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)); }

void RequireFinite(const float* values, int count) {
    for (int i = 0; i < count; ++i) Require(std::isfinite(values[i]));
}

// Checks each packet a MEGAPACKET hands on against the bytes received.
class WalkingSession : public NetSession {
public:
    int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) override {
        Require(data >= begin && size >= 8 && size <= uint32_t(end - data));
        Require(++handed <= uint32_t(end - begin) / 8);
        return NetSession::HandleMessage(from, to, data, size);
    }
    const uint8_t* begin = nullptr;
    const uint8_t* end = nullptr;
    uint32_t handed = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the bytes received, so that any read past them is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const uint8_t* const p = bytes.data();
    const uint32_t n = uint32_t(std::min<size_t>(size, 0xFFFFFFFFu));
    static auto walker = std::make_unique<WalkingSession>();
    walker->begin = p;
    walker->end = p + n;
    walker->handed = 0;
    walker->WalkMegapacket(1, 2, p, n);
    const auto header = net_read::Header(p, n);
    if (!header) return 0;
    static auto create = std::make_unique<net_read::ObjectCreate>();
    if (net_read::ReadObjectCreate(p, n, create.get())) {
        Require(strnlen(create->definitionName, 16) < 16);
        const bool tail = create->request || create->type != 7;
        const uint32_t fixed = create->request ? NetPacket::kCreationRequestBytes
                               : tail          ? NetPacket::kObjectCreateBytes
                                               : NetPacket::kAsteroidCreateBytes;
        Require(header->size == fixed + strlen(create->name));
        Require(create->request ? create->uoid == -1 : create->uoid >= 0);
        RequireFinite(create->motion);
        RequireFinite(create->velocity);
        RequireFinite(create->transform, 9);
        Require(std::isfinite(create->mass) && std::isfinite(create->acceleration) && std::isfinite(create->maxSpeed) &&
                std::isfinite(create->maxTurnRate) && std::isfinite(create->angularAcceleration));
    }
    static auto announced = std::make_unique<net_read::NewPlayer>();
    if (net_read::ReadNewPlayer(p, n, announced.get())) {
        // The name, then the fit of whole items, fill the packet exactly.
        const uint32_t count = announced->fitCount;
        Require(count <= NetPacket::kMostFitItems && strnlen(announced->definitionName, 19) < 19);
        Require(header->size == NetPacket::kNewPlayerBytes + strlen(announced->name) + (count == 0 ? 0 : 1 + count * 22));
        for (uint32_t i = 0; i < count; ++i) Require(strnlen(announced->fit[i].id, 16) < 16 && announced->fit[i].damage <= 100);
    }
    if (const auto update = net_read::ReadObjectUpdate(p, n)) {
        Require(header->size == (update->full ? NetPacket::kObjectUpdateFullBytes : NetPacket::kObjectUpdateShortBytes));
        Require(update->uoid >= 0 && update->playerIndex >= -1 && update->playerIndex < 8);
        Require(update->shieldDepletion <= 100 && update->hitPercent >= 0 && update->hitPercent <= 100);
        RequireFinite(update->motion);
        RequireFinite(update->velocity);
        RequireFinite(update->transform, 9);
    }
    if (const auto request = net_read::ReadObjectRequest(p, n)) Require(request->uoid >= 0);
    if (const auto destroy = net_read::ReadDestroy(p, n)) {
        Require(destroy->uoid >= 0 && destroy->killer >= -1 && (destroy->explode == 0 || destroy->explode == 1));
    }
    if (const auto turret = net_read::ReadAutoturretRequest(p, n)) Require(*turret >= -1);
    if (const auto collision = net_read::ReadCollision(p, n)) {
        Require(collision->first >= 0 && collision->second >= 0 && collision->first != collision->second);
        Require(collision->firstImpact >= -1 && collision->secondImpact >= -1);
        RequireFinite(collision->firstPosition);
        RequireFinite(collision->secondPosition);
        RequireFinite(collision->firstVelocity);
        RequireFinite(collision->secondVelocity);
    }
    if (const auto death = net_read::ReadDeath(p, n)) Require(death->victim >= 0 && death->killer >= -1);
    if (const auto projectile = net_read::ReadProjectile(p, n)) {
        Require(strnlen(projectile->typeName, 16) < 16 && strnlen(projectile->trailName, 16) < 16);
        Require(projectile->emp >= 0 && projectile->owner >= -1);
        RequireFinite(projectile->velocity);
        RequireFinite(projectile->position);
    }
    if (const auto hit = net_read::ReadProjectileHit(p, n)) Require(hit->index >= 0 && hit->target >= 0 && hit->part >= -1);
    if (const auto index = net_read::ReadProjectileDestroy(p, n)) Require(*index >= 0);
    if (const auto fire = net_read::ReadWeaponFire(p, n)) {
        Require(strnlen(fire->name, 16) < 16);
        Require(header->size == (fire->gun ? NetPacket::kGunShotBytes : NetPacket::kBeamHitBytes));
        Require(fire->firingPart >= -1 && fire->hitPart >= -1 && fire->strength >= 0);
        RequireFinite(fire->impact);
    }
    if (const auto emp = net_read::ReadEmpDamage(p, n)) Require(emp->amount >= 0 && emp->target >= -1);
    if (const auto ecm = net_read::ReadEcmStatus(p, n)) Require(ecm->ship >= 0 && ecm->range >= -1);
    if (net_read::ReadGameInfo(p, n)) Require(header->size == NetPacket::kGameInfoBytes);
    if (net_read::ReadState(p, n)) Require(header->size == NetPacket::kStateBytes);
    if (net_read::ReadKillsUpdate(p, n)) Require(header->size == NetPacket::kKillsUpdateBytes);
    if (const auto team = net_read::ReadUpdateTeam(p, n)) {
        Require(strnlen(team->teamName, 16) < 16 && strnlen(team->playerName, 16) < 16);
        Require(team->team >= -1 && team->team <= 1 && team->logo >= -1 && team->logo <= 18);
    }
    if (const auto message = net_read::ReadMessage(p, n)) {
        // The three texts lie one after another inside the packet, the last ending at its last byte.
        const auto inside = [&](const char* text) {
            const auto* const at = reinterpret_cast<const uint8_t*>(text);
            return at >= p + NetPacket::kMessageFixedBytes && at < p + header->size;
        };
        Require(inside(message->scope) && inside(message->sender) && inside(message->text));
        Require(reinterpret_cast<const uint8_t*>(message->text) + strlen(message->text) + 1 == p + header->size);
    }
    return 0;
}
