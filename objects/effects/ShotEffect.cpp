#include "objects/effects/ShotEffect.h"

#include "engine/Random.h"
#include "objects/effects/EffectSupport.h"
#include "objects/space/SpaceObject.h"

ShotEffect::ShotEffect(Frame* ownerFrame, const Vector3& end, const Vector3& start) : startPoint(start), endPoint(end) {
    owner = effects::SpaceObjectOf(ownerFrame);
    if (ownerFrame != nullptr) placement = ownerFrame->world;
    level = 255;
    SetFaceMaterial(effects::ColourIn(nullptr, 255, uint8_t(GameRandom() % 200), 0), -1);
    effects::SpanBox(*this, startPoint, endPoint, kHalfSide, kHalfSide);
}

ShotEffect::~ShotEffect() = default;

void ShotEffect::Update() {
    if (owner.Get() == nullptr) {
        flags |= 0x1000000;
        return;
    }
    if (++updateCount == 2) {
        level = 64;
        flags |= 0x2000000;
    }
}
