#include "objects/space/KindSupport.h"

#include "engine/Random.h"
#include "game/GameState.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/SpaceObject.h"

namespace kinds {

Vector3 DriftSpin(int32_t drift) {
    if (drift == 0) return {};
    const int64_t wide = drift;
    const auto axis = [wide] {
        const int64_t a = GameRandom() % wide;
        const int64_t b = GameRandom() & (2 * wide);
        return float(a - b);
    };
    const float x = axis();
    const float y = axis();
    const float z = axis();
    return {x, y, z};
}

Vector3 RandomSpin(int32_t range) {
    if (range <= 0) return {};
    const auto axis = [range] {
        const int32_t a = GameRandom() % range;
        return float(a - GameRandom() % range);
    };
    const float x = axis();
    const float y = axis();
    const float z = axis();
    return {x, y, z};
}

int32_t ClosestSolidPart(const SpaceObject& object, const Vector3& direction, float bound) {
    int32_t best = 0;
    float nearest = bound;
    for (int32_t i = 0; i < object.parts.Count(); ++i) {
        if (object.parts[i]->solid == 0) continue;
        Vector3 facing;
        object.parts[i]->GetVector(&facing, true);
        const float distance = facing.Difference(direction).Length();
        if (distance < nearest) {
            nearest = distance;
            best = i;
        }
    }
    return best;
}

bool IsNetworkClient() { return g_gameState != nullptr && g_gameState->IsClient(); }

bool HasExploded(const SpaceObject& object) { return object.active == 0 && object.removeWhenDone != 0; }

NetSession* ActiveSession() {
    NetSession* const session = g_gameState != nullptr ? g_gameState->netSession : nullptr;
    return session != nullptr && session->IsActive() ? session : nullptr;
}

void SendObjectEvent(NetSession& session, uint16_t type, const SpaceObject* first, const SpaceObject* second) {
    NetPacket packet;
    packet.BuildObjectEventPacket(type, first, second);
    if (packet.GetData() != nullptr) session.SendGamePacket(packet.GetData(), packet.GetSize());
}

void SendRemoval(NetSession& session, const SpaceObject* object, const SpaceObject* killer) {
    SendObjectEvent(session, session.IsHost() ? kObjectDestroy : kDestructionRequest, object, killer);
}

}  // namespace kinds
