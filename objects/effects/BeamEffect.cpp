#include "objects/effects/BeamEffect.h"

#include <algorithm>
#include <cstdlib>

#include "engine/Clock.h"
#include "game/EffectTypes.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/Turret.h"
#include "objects/space/SpaceObject.h"
#include "scene/Frame.h"

BeamEffect::BeamEffect(BeamType* type) : beamType(type) {
    startTime = GetMilliseconds();
    if (type != nullptr) {
        level = uint32_t(type->level);
        SetFaceMaterial(effects::ColourIn(nullptr, type->colour[0], type->colour[1], type->colour[2]), -1);
    }
}

BeamEffect::~BeamEffect() {
    if (heldBy != nullptr && *heldBy == this) *heldBy = nullptr;
}

void BeamEffect::SetParams(SpaceObject* ownerObject, SpaceObject* targetObject, int32_t wordA, int32_t wordB,
                           int32_t beamLength, const Vector3* offset, Turret* aimedBy, int32_t beams) {
    owner = ownerObject;
    target = targetObject;
    netWords[0] = wordA;
    netWords[1] = wordB;
    length = beamLength;
    muzzleOffset = offset != nullptr ? *offset : Vector3{};
    turret = aimedBy;
    multiplicity = beams;
}

void BeamEffect::Update() {
    SpaceObject* const from = owner.Get();
    if (++updateCounter > kShownUpdates || from == nullptr || beamType == nullptr) {
        flags |= 0x1000000;
        return;
    }
    ++updateCount;
    const uint32_t elapsed = GetMilliseconds() - startTime;
    const int32_t a = std::abs(20 - int32_t(elapsed / 25 % 40));
    float w = beamType->halfWidth * (1.0f + 0.025f * float(a));
    int32_t translucency = beamType->level - a * beamType->level / 21;
    if (multiplicity > 1) {
        w *= float(multiplicity);
        translucency /= multiplicity;
    }
    level = uint32_t(std::max(translucency, 0));

    placement = launchNode != nullptr ? launchNode->world : from->world;
    const Vector3 start = muzzleOffset;
    Vector3 end;
    if (SpaceObject* const aimedAt = target.Get()) {
        const Frame& aimedNode = targetNode != nullptr ? *targetNode : *aimedAt;
        end = effects::PointToLocal(placement, effects::WorldPosition(aimedNode));
    } else if (turret != nullptr) {
        Vector3 aim;
        turret->GetAimDirection(&aim);
        end = effects::DirectionToLocal(placement, aim.Scaled(float(length)));
    } else {
        end = start.Sum(Vector3{0.0f, 0.0f, float(length)});
    }
    effects::SpanBox(*this, start, end, w, w);
}
