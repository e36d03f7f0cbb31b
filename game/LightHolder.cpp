#include "game/LightHolder.h"

#include "engine/Clock.h"
#include "scene/Frame.h"
#include "scene/Light.h"

namespace {

// Point lights of either kind take the followed frame's world position.
void Place(Light* light, const Frame* frame) {
    if (light == nullptr || frame == nullptr) return;
    Vector3 at;
    frame->world.matrix.GetTranslation(&at);
    if (auto* const point = dynamic_cast<PointLight*>(light)) {
        point->position = at;
    } else if (auto* const framePoint = dynamic_cast<FramePointLight*>(light)) {
        framePoint->position = at;
    }
}

}  // namespace

LightHolder::LightHolder(Light* light) : light(light) {}

LightHolder::~LightHolder() {
    if (light != nullptr) light->Unlink();
    delete light;
}

FlashLightHolder::FlashLightHolder(Light* light, Frame* craft) : LightHolder(light), craft(craft) {
    if (light != nullptr) light->flags |= Light::kFlagOff;
}

void FlashLightHolder::Flash() {
    flashUntil = GetMilliseconds() + kFlashMilliseconds;
    flashing = true;
    if (light != nullptr) light->flags &= ~Light::kFlagOff;
}

bool FlashLightHolder::Step(uint32_t now) {
    if (craft == nullptr) return false;
    Place(light, craft);
    if (flashing && int32_t(now - flashUntil) >= 0) {
        flashing = false;
        if (light != nullptr) light->flags |= Light::kFlagOff;
    }
    return true;
}

void FlashLightHolder::Forget(const Frame* object) {
    if (craft == object) craft = nullptr;
}

TimedLightHolder::TimedLightHolder(Light* light, uint32_t milliseconds)
    : LightHolder(light), startedAt(GetMilliseconds()), lifetime(milliseconds) {}

bool TimedLightHolder::Step(uint32_t now) { return now - startedAt < lifetime; }

ProjectileLightHolder::ProjectileLightHolder(Light* light, Frame* followed, int32_t) : LightHolder(light), followed(followed) {}

bool ProjectileLightHolder::Step(uint32_t) {
    if (followed == nullptr) return false;
    Place(light, followed);
    return true;
}

void ProjectileLightHolder::Forget(const Frame* object) {
    if (followed == object) followed = nullptr;
}

LightHolders::~LightHolders() { Clear(); }

void LightHolders::Add(LightHolder* holder) {
    if (holder == nullptr) return;
    holders_.push_back(holder);
    if (holder->light == nullptr) return;
    if (chain == nullptr) {
        chain = holder->light;
    } else {
        holder->light->InsertAfter(chain);
    }
}

void LightHolders::Remove(LightHolder* holder) {
    if (holder->light != nullptr && holder->light == chain) chain = holder->light->next;
    delete holder;
}

void LightHolders::Step(uint32_t now) {
    // Stepped over a copy: a holder's step may not add or remove holders,
    // but removing here must not skip the next one.
    std::vector<LightHolder*> kept;
    kept.reserve(holders_.size());
    for (LightHolder* holder : holders_) {
        if (holder->Step(now)) {
            kept.push_back(holder);
        } else {
            Remove(holder);
        }
    }
    holders_.swap(kept);
}

void LightHolders::Forget(const Frame* object) {
    for (LightHolder* holder : holders_) holder->Forget(object);
}

void LightHolders::Clear() {
    for (LightHolder* holder : holders_) Remove(holder);
    holders_.clear();
}
