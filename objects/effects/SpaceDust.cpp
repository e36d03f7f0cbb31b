#include "objects/effects/SpaceDust.h"

#include "engine/Random.h"
#include "game/GameState.h"
#include "scene/Billboard.h"
#include "scene/Camera.h"
#include "scene/ParticleSystem.h"

namespace {

constexpr uint32_t kMoteFlags = 0x4000004;
constexpr float kMemberFactor = 0.1f;

float Difference() {
    const int32_t a = GameRandom();
    const int32_t b = GameRandom();
    return float(a - b);
}

}  // namespace

DustMote::DustMote(Billboard* shared) : Particle(0.0f, 0.0f, 0.0f, 0u, 1.0f), sprite(shared) {}

void DustMote::Respawn(int32_t randomDirection) {
    framesShown = 0;
    const Camera* const camera = g_gameState != nullptr ? g_gameState->flightCamera : nullptr;
    if (camera != nullptr) {
        const float z = float(kBox / 2 - GameRandom() % kBox);
        const float y = float(kBox / 2 - GameRandom() % kBox);
        const float x = float(kBox / 2 - GameRandom() % kBox);
        Vector3 eye;
        camera->transform.matrix.GetTranslation(&eye);
        position = eye.Sum(camera->transform.forward.Scaled(kAhead)).Sum(Vector3{x, y, z});
    }
    if (randomDirection == 0) return;
    const float vz = Difference();
    const float vy = Difference();
    const float vx = Difference();
    Vector3 v{vx, vy, vz};
    if (v.Length() > 0.0f) v.Normalize();
    velocity = v;
    if (sprite != nullptr) sprite->width = sprite->height = 1.0f;
    speedFactor = kMemberFactor;
    flags |= kMoteFlags;
}

void DustMote::Draw() {
    if (sprite == nullptr) return;
    GameState* const game = g_gameState;
    if (game != nullptr) ++game->dustDrawn;
    sprite->position = position;
    sprite->Draw();
    if ((sprite->flags & Billboard::kFlagSeen) != 0 && framesShown <= kSeenFrames) {
        if (game != nullptr) ++game->dustSeen;
        ++framesShown;
    } else {
        Respawn(0);
    }
    sprite->flags &= ~Billboard::kFlagSeen;
}

void DustMote::Update() {
    position = position.Sum(velocity.Scaled(speedFactor));
    if (sprite != nullptr) sprite->Update();
}

ParticleSystem* CreateDustField(int32_t count) {
    GameState* const game = g_gameState;
    if (game == nullptr || count < 1 || game->dustField != nullptr) return nullptr;
    auto* const field = new ParticleSystem(uint32_t(count));
    field->SetMemberFactor(kMemberFactor);
    game->dustField = field;
    const int32_t sprites = game->dustSprites.Count();
    for (int32_t i = 0; i < count; ++i) {
        Billboard* const sprite =
            sprites > 0 ? static_cast<Billboard*>(game->dustSprites[int32_t(int64_t(sprites) * i / count)]) : nullptr;
        auto* const mote = new DustMote(sprite);
        mote->Respawn(1);
        // The field adds its origin (none) and its member factor.
        field->AddParticle(mote);
    }
    return field;
}
