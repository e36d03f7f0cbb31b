// Reads any bytes as a received packet through the header and every reader.
// A reader that accepts must have found its texts terminated inside their
// fields; a read out of bounds aborts through the sanitizers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "net/NetPacketReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the bytes received, so that any read past them is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const uint8_t* const p = bytes.data();
    const uint32_t n = uint32_t(std::min<size_t>(size, 0xFFFFFFFFu));
    if (!net_read::Header(p, n)) return 0;
    static auto create = std::make_unique<net_read::ObjectCreate>();
    if (net_read::ReadObjectCreate(p, n, create.get())) {
        if (strnlen(create->definitionName, 16) >= 16) std::abort();
    }
    net_read::ReadObjectUpdate(p, n);
    net_read::ReadObjectRequest(p, n);
    net_read::ReadDestroy(p, n);
    net_read::ReadAutoturretRequest(p, n);
    net_read::ReadCollision(p, n);
    net_read::ReadDeath(p, n);
    if (const auto projectile = net_read::ReadProjectile(p, n)) {
        if (strnlen(projectile->typeName, 16) >= 16 || strnlen(projectile->trailName, 16) >= 16) std::abort();
    }
    net_read::ReadProjectileHit(p, n);
    net_read::ReadProjectileDestroy(p, n);
    if (const auto fire = net_read::ReadWeaponFire(p, n)) {
        if (strnlen(fire->name, 16) >= 16) std::abort();
    }
    net_read::ReadEmpDamage(p, n);
    net_read::ReadEcmStatus(p, n);
    return 0;
}
