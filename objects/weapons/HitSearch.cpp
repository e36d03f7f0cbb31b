#include "objects/weapons/HitSearch.h"

#include "engine/BoundingSphere.h"
#include "engine/MathRoutineTable.h"
#include "game/GameState.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/SpaceObject.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"

WeaponHit FindWeaponHit(const SpaceObject* shooter, const Vector3& origin, const Vector3& direction, float best,
                        const HitRules& rules) {
    WeaponHit hit;
    hit.distance = best;
    if (g_gameState == nullptr || g_gameState->mission == nullptr) return hit;
    for (SpaceObject* object = g_gameState->mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object == shooter || (object->flags & SpaceObject::kFlagNoCollisions) != 0) continue;
        if (object->type < 0 || object->type > 31 || (rules.typeMask & (1u << object->type)) == 0) continue;
        if (rules.coarseReach > 0.0f &&
            object->Position().Difference(rules.centre).Length() > object->Radius() + rules.coarseReach) {
            continue;
        }
        BoundingSphere sphere;
        if (object->GetBoundingSphere(&sphere) != 0) continue;
        sphere.radius = object->Radius() + rules.growth;
        const float reach = sphere.RayDistance(origin, direction);
        if (!(reach > 0.0f && reach < hit.distance)) continue;
        for (int32_t i = 0; i < object->parts.Count(); ++i) {
            const ObjectPart* const part = object->parts[i];
            if (part->solid == 0 || part->node == nullptr || part->node->model == nullptr) continue;
            // The part's sphere in the world, so that its distance compares
            // with the others whatever the node's scale.
            const SceneObject& node = *part->node;
            BoundingSphere partSphere = node.model->sphere;
            TransformPoint(&node.model->sphere.centre, &node.world.matrix, &partSphere.centre);
            partSphere.radius = node.model->sphere.radius * node.world.scale + rules.growth;
            const float d = partSphere.RayDistance(origin, direction);
            if (d > 0.0f && d < hit.distance) {
                hit.object = object;
                hit.part = i;
                hit.distance = d;
            }
        }
    }
    return hit;
}
