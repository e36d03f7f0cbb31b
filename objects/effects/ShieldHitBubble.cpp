#include "objects/effects/ShieldHitBubble.h"

#include <algorithm>
#include <string>

#include "engine/Clock.h"
#include "engine/Random.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "scene/FaceRecord.h"
#include "scene/Model.h"

ShieldHitBubble* ShieldHitBubble::Create(uint32_t colour, int32_t fadeStep, float size) {
    auto* const model = new Model;
    const std::string path = g_dataDirs.FromGameFolder(kModelFile);
    Palette* const palette = g_gameState != nullptr ? g_gameState->defaultPalette : nullptr;
    if (model->Load(path.c_str(), kModelName, palette, nullptr, nullptr, 0) != kStatusOk) {
        delete model;
        return nullptr;
    }
    auto* const bubble = new ShieldHitBubble(model, colour, fadeStep, size);
    bubble->flags |= kFlagOwnsModel;
    return bubble;
}

ShieldHitBubble::ShieldHitBubble(Model* globe, uint32_t colourValue, int32_t step, float size)
    : colour(colourValue), fadeStep(std::max(step, 1)) {
    startTime = GetMilliseconds();
    AttachModel(globe, kAttachUpdateBounds);
    flags |= 0x4;
    if (model == nullptr) return;
    const float radius = model->sphere.radius;
    growth = radius > 0.0f ? size / radius : size;
    for (uint32_t i = 0; i < model->faceCount; ++i) {
        FaceRecord& face = model->faces[i];
        face.flags = kFaceFlags;
        face.colour = colour;
        for (uint8_t& each : face.translucency) each = 255;
    }
}

ShieldHitBubble::~ShieldHitBubble() = default;

void ShieldHitBubble::FadeColours() {
    startTime = GetMilliseconds();
    if (model != nullptr) {
        for (uint32_t i = 0; i < model->faceCount; ++i) {
            FaceRecord& face = model->faces[i];
            const int32_t v = GameRandom() % (2 * fadeStep);
            for (uint8_t& each : face.translucency) each = uint8_t(each - std::min<int32_t>(v, each));
        }
    }
    const float grown = currentScale + growth;
    if (currentScale > 0.0f) local.Scale(grown / currentScale, Transform::kAllFlags);
    currentScale = grown;
    level -= fadeStep;
    UpdateWorldTransform(Transform::kUpdateInverse);
    if (level <= 0) flags |= 0x1000000;
}
