#pragma once
#include <cstdint>

#include "scene/SceneObject.h"

// A shock sphere: a see-through globe of one colour that grows by a fixed
// step each update while its faces fade at random, and removes itself once
// its level is spent.
class ShieldHitBubble : public SceneObject {
public:
    // The globe's file and model, the file relative to the game folder.
    static constexpr const char* kModelFile = "mesh\\shield.iff";
    static constexpr const char* kModelName = "Shield";
    static constexpr uint32_t kFaceFlags = 0x902;

    // Each bubble reads its own globe, since it fades its own faces; null
    // when the globe cannot be read.
    static ShieldHitBubble* Create(uint32_t colour, int32_t fadeStep, float size);
    ShieldHitBubble(Model* model, uint32_t colour, int32_t fadeStep, float size);
    ~ShieldHitBubble() override;

    void Update() override { FadeColours(); }
    void FadeColours();

    uint32_t startTime = 0;
    uint32_t colour = 0;
    int32_t fadeStep = 1;       // of 255, per update
    int32_t level = 255;
    float growth = 0.0f;        // added to the scale each update
    float currentScale = 1.0f;
};
