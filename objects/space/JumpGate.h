#pragma once
#include <cstdint>

#include "mission/SpawnRecords.h"
#include "objects/space/MovingObject.h"

// A jump gate (type 10): indestructible; plays the jump animation and
// sound when a craft goes through.
class JumpGate : public MovingObject {
public:
    static constexpr const char* kAnimationName = "JumpGate";
    static constexpr const char* kAnimationPalette = "JumpAnim";
    static constexpr const char* kSoundName = "Jumpgate";

    explicit JumpGate(SpaceObject* templateObject);
    JumpGate(SpaceObject* templateObject, const spawn_records::Gate& record);
    void Init() override;
    SpaceObject* Clone(SpaceObject* placementSource, int32_t = 0, int32_t = 0) override;
    int32_t TakeDamage(int32_t, const DamageRecord&, SpaceObject*) override { return 0; }

    // The animation and the sound of a jump through this gate; with a
    // craft, its own jump comes first (once crafts can jump). A null craft
    // plays only the animation and the sound.
    void PlayJumpEffect(SpaceObject* craft);
};
