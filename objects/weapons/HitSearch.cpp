#include "objects/weapons/HitSearch.h"

#include "engine/BoundingSphere.h"
#include "engine/MathRoutineTable.h"
#include "game/GameState.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/SpaceObject.h"
#include "scene/Model.h"
#include "scene/SceneObject.h"

namespace {

// Whether the ray may meet the sphere of `radius` about the object's sphere
// centre: the centre as GetBoundingSphere places it through the default
// math routine and the first test of BoundingSphere::RayDistance, their
// sums in their order, with none of their calls. The objects a shot passes
// far from, nearly all of a battle's, need no more; false, too, for an
// object without a sphere.
bool MayMeet(const SpaceObject& object, const Vector3& origin, const Vector3& direction, float radius) {
    const BoundingSphere* const own = object.ownSphere;
    if (own == nullptr) return false;
    const auto& r = object.world.matrix.rows;
    const double x = own->centre.x, y = own->centre.y, z = own->centre.z;
    double centre[3];
    for (int j = 0; j < 3; ++j) {
        double sum = x * r[0][j] + y * r[1][j] + z * r[2][j];
        sum += r[Matrix34::kTranslationRow][j];
        centre[j] = static_cast<float>(sum);
    }
    const double lx = centre[0] - origin.x, ly = centre[1] - origin.y, lz = centre[2] - origin.z;
    const double t = lx * direction.x + ly * direction.y + lz * direction.z;
    const double q = double{radius} * radius - (lx * lx + ly * ly + lz * lz) + t * t;
    return !(q < 0.0);
}

}  // namespace

WeaponHit FindWeaponHit(const SpaceObject* shooter, const Vector3& origin, const Vector3& direction, float best,
                        const HitRules& rules) {
    WeaponHit hit;
    hit.distance = best;
    if (g_gameState == nullptr || g_gameState->mission == nullptr) return hit;
    const bool screened = g_mathRoutineTable.transformPoint == &TransformPoint;
    for (SpaceObject* object = g_gameState->mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object == shooter || (object->flags & SpaceObject::kFlagNoCollisions) != 0) continue;
        if (object->type < 0 || object->type > 31 || (rules.typeMask & (1u << object->type)) == 0) continue;
        if (rules.coarseReach > 0.0f &&
            object->Position().Difference(rules.centre).Length() > object->Radius() + rules.coarseReach) {
            continue;
        }
        const float radius = object->Radius() + rules.growth;
        if (screened && !MayMeet(*object, origin, direction, radius)) continue;
        BoundingSphere sphere;
        if (object->GetBoundingSphere(&sphere) != 0) continue;
        sphere.radius = radius;
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
