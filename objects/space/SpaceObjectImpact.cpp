// The lifetime and collision operations of the space object: collisions,
// impacts, destruction and explosions, as the world pass drives them.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "ai/AiBrain.h"
#include "engine/MathRoutineTable.h"
#include "engine/Saturate.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/LightHolder.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "objects/effects/FxObject.h"
#include "objects/space/KindSupport.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/SpaceObject.h"
#include "scene/Light.h"
#include "scene/Model.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

namespace {

constexpr float kNearRange = 1000.0f;
constexpr float kMineGap = 50.0f;
constexpr float kPartTestRadius = 100.0f;
constexpr float kFlybySpeed = 60.0f;
constexpr float kFlybyDistance = 60.0f;
constexpr int32_t kCollisionSoundLevel = 5;
constexpr uint32_t kJumpGateShareBits = 0x3eaa7efa;   // 0.333 as it was always written

Vector3 NodePosition(const SceneObject& node) {
    Vector3 at;
    node.local.matrix.GetTranslation(&at);
    if (node.parent != nullptr) {
        Vector3 world;
        g_mathRoutineTable.transformPoint(&at, &node.parent->world.matrix, &world);
        at = world;
    }
    return at;
}

// The world-space sphere of a part's model, or false without one.
bool PartSphere(const SceneObject& node, Vector3* centre, float* radius) {
    if (node.model == nullptr) return false;
    g_mathRoutineTable.transformPoint(&node.model->sphere.centre, &node.world.matrix, centre);
    *radius = node.model->sphere.radius * node.world.scale;
    return true;
}

// Whether a sphere of the world overlaps the box of the node's model: the
// centre in the node's own coordinates, the radius at the node's scale.
bool OverlapsNodeBox(const SceneObject& node, const Vector3& centre, float radius) {
    Transform frame = node.world;
    frame.UpdateInverse();
    Vector3 local;
    g_mathRoutineTable.transformPoint(&centre, &frame.inverse, &local);
    if (node.world.scale > 0.0f) radius /= node.world.scale;
    return node.model->box.OverlapsSphere(local, radius);
}

void PlayAt(SoundObject*& sound, const char* name, const SpaceObject& where, int32_t level, int32_t overlap) {
    SoundDevice* const device = g_gameState->Sound();
    if (device == nullptr) return;
    if (sound == nullptr) sound = CreateSoundObject(name);
    if (sound == nullptr) return;
    sound->playState = 0;
    // An effect sound has a place only while there is a view to hear it from.
    if (g_gameState->viewedObject != nullptr) sound->SetPosition(where.Position());
    device->Play(sound, level, overlap);
}

// The brain of `ship` steers clear of `obstacle` from now on.
void WarnOff(SpaceObject& ship, SpaceObject& obstacle) {
    AiBrain* const brain = ship.Brain();
    brain->avoid = 1;
    brain->obstacle = &obstacle;
    brain->warnedAtAge = ship.Age();
}

}  // namespace

void SpaceObject::Destroy(SpaceObject* killerObject, int32_t fromNetwork) {
    if (fromNetwork == 0 && active != 0) {
        if (NetSession* const session = kinds::ActiveSession()) kinds::SendRemoval(*session, this, killerObject);
    }
    killer = killerObject;
    collisionDelay = -1;
    active = 0;
    removeWhenDone = 1;
    UpdateVisibility();
}

void SpaceObject::Explode(SpaceObject* killerObject, int32_t fromNetwork) {
    if (g_gameState != nullptr && g_gameState->career != nullptr && g_gameState->career->options.extraLights != 0) {
        auto* const light = new AttenuatedLight(Position(), 30.0f, 200.0f);
        if (light != nullptr) {
            light->intensity = 25;
            g_gameState->Lights().Add(new TimedLightHolder(light, 2000));
        }
    }
    if (g_gameState != nullptr) {
        for (const char* explosion : explosionNames) {
            if (FxObject* const effect = FxObject::FxObjectAt(this, explosion)) {
                g_gameState->RegisterObjectGroup(effect, g_gameState->effectKey, 1);
            }
        }
    }
    Destroy(killerObject, fromNetwork);
}

void SpaceObject::ApplyImpact(int32_t) {
    SpaceObject* const partner = collisionPartner;
    if (partner == nullptr) return;
    // In 64 bits: masses come from definitions and may be large.
    const double momentum = double(partner->mass) * partner->speed * partner->speed + double(mass) * speed * speed;
    const int64_t sum = int64_t(std::clamp(momentum, -9.2e18, 9.2e18));
    const int64_t divisor = std::max<int64_t>(1, int64_t(std::clamp(5.0 * double(partner->mass), -9.2e18, 9.2e18)));
    const int64_t d = sum / divisor;
    DamageRecord record;
    record.source = this;
    record.amounts[0] = Saturate32(2 * d + 5);
    record.amounts[1] = Saturate32(d);
    record.amounts[2] = Saturate32(d / 2 + 5);
    partner->TakeDamage(partnerPart, record, this);
}

void SpaceObject::Collide() {
    if (g_gameState == nullptr || (flags & kFlagNoCollisions) != 0) return;
    for (SpaceObject* other = GetNext(); other != nullptr; other = other->GetNext()) {
        if (CollidePair(*other)) return;
    }
}

bool SpaceObject::CollideAmong(const std::vector<SpaceObject*>& later) {
    if (g_gameState == nullptr || (flags & kFlagNoCollisions) != 0) return false;
    for (SpaceObject* other : later) {
        if (CollidePair(*other)) return true;
    }
    return false;
}

bool SpaceObject::CollidePair(SpaceObject& other) {
    SoundObject** const sounds = g_gameState->collisionSounds;
    if ((other.flags & kFlagNoCollisions) != 0) return false;
    // The smaller is S; on equal radii the other one.
    const bool thisSmaller = Radius() < other.Radius();
    SpaceObject& small = thisSmaller ? *this : other;
    SpaceObject& large = thisSmaller ? other : *this;
    if (large.type < 0 || large.type > 31 || (small.collisionMask & (1u << large.type)) == 0) return false;
    const float rl = large.Radius(), rs = small.Radius();
    const float distance = DistanceTo(other);
    if (!(distance < rl + rs + kNearRange)) return false;
    // Owners of missiles and decoys are not hit by them; the kinds say
    // who owns, through their network state: asked only of near pairs.
    if (small.type == kTypeMissile || small.type == kTypeDecoy) {
        NetObjectState smallState;
        small.FillNetState(smallState);
        if (smallState.owner == &large) return false;
    }

    const Vector3 move = small.Position().Difference(small.previousPosition);
    const float moved = move.Length();
    bool hit = false, nearMiss = false;
    int32_t largePart = -1, smallPart = -1;

    // An AI ship about to fly into the other is warned off.
    bool warn = false;
    if (small.type == kTypeAiShip && small.Brain() != nullptr && moved > 0.0f) {
        BoundingSphere sphere;
        if (large.GetBoundingSphere(&sphere) == 0) {
            sphere.radius = rl + rs;
            const float h = sphere.RayDistance(small.previousPosition, move.DividedBy(moved));
            warn = h > 0.0f && h <= 2.0f * large.velocity.Difference(small.velocity).Length();
        }
    }

    if (small.type == kTypeMissile && moved > 0.0f) {
        BoundingSphere sphere;
        if (large.GetBoundingSphere(&sphere) == 0) {
            sphere.radius = rl + rs;   // a copy: the model's own sphere is never written
            const Vector3 direction = move.DividedBy(moved);
            const float h = sphere.RayDistance(small.previousPosition, direction);
            if (h > 0.0f && h < moved) {
                float best = moved;
                for (int32_t i = 0; i < large.parts.Count(); ++i) {
                    const ObjectPart& part = *large.parts[i];
                    Vector3 centre;
                    float radius;
                    if (part.solid == 0 || part.node == nullptr || !PartSphere(*part.node, &centre, &radius)) continue;
                    const BoundingSphere partSphere{centre, 0.0f, radius + rs};
                    const float along = partSphere.RayDistance(small.previousPosition, direction);
                    if (along > 0.0f && along < best) {
                        best = along;
                        largePart = i;
                        smallPart = 0;
                        hit = true;
                    }
                }
            }
        }
    }
    if (!hit) {
        const float gap = distance - (rl + rs);
        const bool playerAgainstCraft = (small.type == kTypePlayerShip && large.type >= kTypeCraft) ||
                                        (large.type == kTypePlayerShip && small.type >= kTypeCraft);
        if (playerAgainstCraft) {
            nearMiss = gap < large.speed + small.speed;
            hit = gap < 0.0f;
        } else if (small.type == kTypeMine && small.side != large.side) {
            hit = gap < kMineGap;
        } else {
            hit = gap < 0.0f;
        }
        if (hit) {
            if (small.type == kTypeMine) {
                largePart = 0;
            } else if (rs < kPartTestRadius) {
                hit = false;
                for (int32_t i = 0; i < large.parts.Count() && !hit; ++i) {
                    const ObjectPart& part = *large.parts[i];
                    if (part.solid == 0 || part.node == nullptr || part.node->model == nullptr) continue;
                    if (OverlapsNodeBox(*part.node, small.Position(), rs)) {
                        hit = true;
                        largePart = i;
                    }
                }
            } else if (rs > kPartTestRadius) {
                hit = false;
                for (int32_t i = 0; i < large.parts.Count() && !hit; ++i) {
                    const ObjectPart& a = *large.parts[i];
                    Vector3 ac;
                    float ar;
                    if (a.solid == 0 || a.node == nullptr || !PartSphere(*a.node, &ac, &ar)) continue;
                    for (int32_t j = 0; j < small.parts.Count() && !hit; ++j) {
                        const ObjectPart& b = *small.parts[j];
                        Vector3 bc;
                        float br;
                        if (b.solid == 0 || b.node == nullptr || !PartSphere(*b.node, &bc, &br)) continue;
                        if (OverlapsNodeBox(*a.node, bc, br) && OverlapsNodeBox(*b.node, ac, ar)) {
                            hit = true;
                            largePart = i;
                            smallPart = j;
                        }
                    }
                }
            }
        }
    }
    if (nearMiss && !hit && large.speed + small.speed > kFlybySpeed && distance < kFlybyDistance) {
        const SpaceObject& at = small.type == kTypePlayerShip && g_gameState->playerShip == &small ? large : small;
        if (sounds[3] == nullptr) sounds[3] = CreateSoundObject("Flyby");
        if (sounds[3] != nullptr) {
            sounds[3]->SetRate(int32_t((large.speed + small.speed + 15.0f) * 73.5f));
            sounds[3]->volume = int32_t((kFlybyDistance - distance) * 10.0f / 6.0f);
        }
        PlayAt(sounds[3], "Flyby", at, 0, 0);
    }
    if (warn) {
        WarnOff(small, large);
        const char* const largeModel = large.ModelName();
        if (large.type == kTypeAiShip && large.Brain() != nullptr && (std::strlen(largeModel) < 3 || largeModel[2] != '1')) {
            WarnOff(large, small);
        }
    }
    if (!hit) return false;

    // The contact point and the side of S that took it.
    Vector3 contact = large.previousPosition;
    if (largePart >= 0 && smallPart < 0 && large.parts[largePart]->node != nullptr) {
        contact = NodePosition(*large.parts[largePart]->node).Difference(large.Position().Difference(large.previousPosition));
    }
    Vector3 normal = contact.Difference(small.previousPosition);
    normal.Normalize();
    if (smallPart < 0) {
        Vector3 local;
        Transform frame = small.world;
        frame.UpdateInverse();
        g_mathRoutineTable.transformVector(&normal, &frame.inverse, &local);
        local.Normalize();
        float bound = 999.0f;
        for (int32_t j = 0; j < small.parts.Count(); ++j) {
            if (small.parts[j]->solid == 0) continue;
            Vector3 direction;
            small.parts[j]->GetVector(&direction, true);
            const float off = direction.Difference(local).Length();
            if (off < bound) {
                bound = off;
                smallPart = j;
            }
        }
    }
    small.collisionPartner = &large;
    small.partnerPart = largePart;
    large.collisionPartner = &small;
    large.partnerPart = smallPart;

    // Bounce apart.
    const float total = small.mass + large.mass;
    const float k = large.type == kTypeJumpGate ? std::bit_cast<float>(kJumpGateShareBits)
                    : total != 0.0f             ? small.mass / total
                                                : 0.5f;
    const float k2 = total != 0.0f ? large.mass / total : 0.5f;
    const float smallSpeed = small.velocity.Length(), largeSpeed = large.velocity.Length();
    small.velocity = small.velocity.Scaled(k).Difference(normal.Scaled((1.0f - k) * smallSpeed + 1.0f));
    large.velocity = large.velocity.Scaled(k2).Sum(normal.Scaled((1.0f - k2) * largeSpeed + 1.0f));

    if (NetSession* const session = kinds::ActiveSession(); session != nullptr && session->IsHost() && session->CountPlayers() > 1) {
        NetPacket packet;
        packet.BuildObjectEventPacket(kCollision, &small, &large);
        if (packet.GetData() != nullptr) session->SendToAll(session->serverDpid, packet.GetData(), packet.GetSize());
    }
    small.flags |= kFlagChanged;
    large.flags |= kFlagChanged;
    large.ApplyImpact(0);
    small.ApplyImpact(0);
    large.UpdateVisibility();
    small.UpdateVisibility();

    const float sum = rl + rs;
    const int which = sum < 10.0f ? 0 : sum <= 100.0f ? 1 : 2;
    static constexpr const char* kNames[3] = {"Collide Small", "Collide Med", "Collide Large"};
    const SpaceObject& at = g_gameState->playerShip == &large ? small : large;
    PlayAt(sounds[which], kNames[which], at, kCollisionSoundLevel, 1);
    return true;
}
