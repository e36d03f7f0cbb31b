#include "objects/effects/FxObject.h"

#include <algorithm>
#include <cstring>

#include "engine/Clock.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "objects/effects/EffectSupport.h"
#include "objects/effects/LensFlare.h"
#include "objects/effects/ShieldHitBubble.h"
#include "objects/effects/TimedEffect.h"
#include "objects/space/SpaceObject.h"
#include "objects/weapons/Projectile.h"
#include "scene/Model.h"
#include "display/PixelImage.h"
#include "scene/Camera.h"
#include "scene/Material.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

FxObject::FxObject(const char* name, int32_t defaultSizeCode) {
    alpha = 255;
    scale = 1.0f;
    explosionType = FindExplosionType(name);
    startTime = GetMilliseconds();
    if (explosionType == nullptr) return;
    const ExplosionType& type = *explosionType;
    if (type.leastDelay == type.greatestDelay) {
        startDelay = type.leastDelay;
    } else {
        // A greatest delay below the least counts as the least.
        const int32_t spread = type.greatestDelay - type.leastDelay;
        startDelay = spread > 0 ? type.leastDelay + GameRandom() % spread : type.leastDelay;
    }
    alpha = type.level;
    size = float(type.sizeCode < 1 ? defaultSizeCode : type.sizeCode) * kSizeUnit;
}

FxObject::~FxObject() {
    if (watcher != nullptr && *watcher == this) *watcher = nullptr;
    EndFlare();
}

void FxObject::EndFlare() {
    if (lensFlare == nullptr) return;
    if (g_gameState != nullptr) {
        DynArray<LensFlare*>& flares = g_gameState->flares;
        for (int32_t i = 0; i < flares.Count(); ++i) {
            if (flares[i] == lensFlare) {
                flares.RemoveAt(i);
                break;
            }
        }
    }
    delete lensFlare;   // its elements go with it
    lensFlare = nullptr;
}

FxObject* FxObject::FxObjectAt(SpaceObject* object, const char* name) {
    if (object == nullptr || g_gameState == nullptr || g_gameState->flightCamera == nullptr) return nullptr;
    auto* const fx = new FxObject(name, kDefaultSizeAt);
    // Half the radius along the camera's line of sight, turned with the camera.
    const Vector3 toward{0.0f, 0.0f, 0.5f * object->Radius()};
    Vector3 turned;
    TransformVector(&toward, &g_gameState->flightCamera->transform.matrix, &turned);
    fx->position = object->Position().Sum(turned);
    fx->forward = RandomDifferenceVector();
    fx->velocity = object->collisionPartner.Get() != nullptr ? Vector3{} : object->velocity;
    fx->soundFlag = 1;
    return fx;
}

FxObject* FxObject::FxObjectFor(const Projectile* projectile, const SpaceObject* hitObject) {
    if (projectile == nullptr) return nullptr;
    auto* const fx = new FxObject(projectile->type != nullptr ? projectile->type->explosionName : nullptr, kDefaultSizeAt);
    fx->position = projectile->currentPoint;
    Vector3 direction = projectile->velocity;
    if (direction.Length() > 0.0f) direction.Normalize();
    if (hitObject == nullptr) {
        fx->forward = direction;
    } else {
        Vector3 away = projectile->currentPoint.Difference(direction).Difference(hitObject->Position());
        if (away.Length() > 0.0f) away.Normalize();
        // The model's radius in the world: an object drawn larger than its model is struck farther out.
        const float scale = hitObject->world.scale > 0.0f ? hitObject->world.scale : 1.0f;
        const float radius = hitObject->model != nullptr ? hitObject->model->sphere.radius * scale : 0.0f;
        fx->forward = away.Scaled(0.666f * radius);
    }
    fx->soundFlag = 1;
    return fx;
}

FxObject* FxObject::FxObjectNamed(SpaceObject* object, const char* name) {
    auto* const fx = new FxObject(name, kDefaultSizeNamed);
    fx->attachFlag = 1;
    fx->attached = object;
    if (object != nullptr) fx->position = effects::WorldPosition(*object);
    fx->forward = RandomDifferenceVector();
    return fx;
}

void FxObject::DeleteChain(NamedObject* chain) {
    while (chain != nullptr) {
        NamedObject* const following = chain->next;
        chain->Unlink();
        delete chain;
        chain = following;
    }
}

void FxObject::Update() {
    const Vector3 random = RandomDifferenceVector();
    if (explosionType == nullptr) {
        flags |= 0x1000000;
        EndFlare();
        return;
    }
    const uint32_t elapsed = GetMilliseconds() - startTime;
    int32_t dt = int32_t(elapsed - frameClock);
    const float dm = float(elapsed - moveClock) * 0.001f;
    frameClock = elapsed;
    moveClock = elapsed;
    const ExplosionType& type = *explosionType;
    // A type with fewer milliseconds than frames still gives each frame one.
    const int32_t frameTime = type.frameCount > 0 ? std::max(type.duration / type.frameCount, 1) : 1;

    if (startDelay > 0) {
        startDelay -= dt;
        return;
    }
    if (frameIndex < 0) {
        startDelay = 0;
        frameIndex = 0;
        Start(random);
    }
    position = position.Sum(velocity.Scaled(dm));
    while (frameTime < dt) {
        ++frameIndex;
        dt -= frameTime;
    }
    frameClock -= uint32_t(dt);

    if (type.frameCount > 0) {
        Material* const frame = type.frames[size_t(std::min(frameIndex, type.frameCount - 1))];
        SetMaterial(frame);
        const auto* const image = static_cast<BitmapMaterial*>(frame)->block;
        if (image != nullptr && size > 0.0f) {
            width = float(image->width) * size / float(type.widestWidth);
            height = float(image->height) * size / float(type.tallestHeight);
        }
    }
    if (frameIndex >= type.frameCount) explosionType = nullptr;
}

void FxObject::Start(const Vector3& random) {
    const ExplosionType& type = *explosionType;
    if (attachFlag != 0 && attached.Get() != nullptr) {
        SpaceObject& object = *attached.Get();
        Vector3 direction = random;
        direction.Normalize();
        position = effects::WorldPosition(object).Sum(direction.Scaled(object.Radius()));
        velocity = object.velocity;
    }
    if (std::strncmp(type.flareName, "NONE", kEffectNameBytes) != 0 && g_gameState != nullptr) {
        const int32_t spread = type.greatestFlares - type.leastFlares + 1;
        // A greatest below the least counts as the least.
        const int32_t count = spread > 0 ? type.leastFlares + GameRandom() % spread : type.leastFlares;
        auto* const flare = new LensFlare(this, count, type.flareName);
        if (flare->Empty()) {
            delete flare;
        } else {
            lensFlare = flare;
            g_gameState->flares.Append(flare);
        }
    }
    if (type.sound != nullptr && g_gameState != nullptr) {
        SoundDevice* const device = g_gameState->Sound();
        if (device != nullptr && device->Open() && soundFlag != 0 && g_gameState->viewedObject != nullptr) {
            type.sound->SetPosition(position);
        }
        if (device != nullptr) device->Play(type.sound, 5, 1);
    }
    if (type.shockSphere != 0) {
        struct Sphere {
            uint8_t red, green;
            int32_t fade;
            float size;
        };
        constexpr Sphere kSpheres[3] = {{255, 255, 32, 100.0f}, {255, 128, 21, 70.0f}, {255, 0, 10, 40.0f}};
        for (const Sphere& sphere : kSpheres) {
            auto* const bubble = ShieldHitBubble::Create(effects::ColourIn(nullptr, sphere.red, sphere.green, 0),
                                                         sphere.fade, sphere.size);
            if (bubble == nullptr) continue;
            bubble->local.SetPosition(&position, Transform::kAllFlags);
            bubble->UpdateWorldTransform(Transform::kUpdateInverse);
            effects::Register(bubble, nullptr);
        }
    }
    if (type.animationName[0] != 0 && g_gameState != nullptr && g_gameState->enhancedGraphics != 0) {
        if (AnimationType* const animation = FindAnimationType(type.animationName)) {
            auto* const effect = new TimedEffect(animation, position, nullptr, forward, velocity);
            effects::Register(effect, "explode");
            flags |= 0x1;
        }
    }
}
