#pragma once
#include <cstdint>
#include <vector>

#include "engine/EngineAllocation.h"

class Frame;
class Light;

// Keeps a light of the flight's light chain for a while: a craft's weapon
// flash, a light that dies after its time, a light that rides a projectile.
// A holder owns its light; the holder list steps them once a frame and
// removes, light first, those whose time is up or whose object has gone.
class LightHolder : public EngineObject {
public:
    explicit LightHolder(Light* light);
    virtual ~LightHolder();
    LightHolder(const LightHolder&) = delete;
    LightHolder& operator=(const LightHolder&) = delete;

    // Once a frame; false when the holder is done.
    virtual bool Step(uint32_t now) = 0;
    // The object is about to go: a holder that follows it lets go of it
    // (and is removed at the next step).
    virtual void Forget(const Frame* object) { (void)object; }

    Light* light;
};

// A craft's weapon-flash light: off until `Flash`, then on for a moment,
// always where the craft is.
class FlashLightHolder : public LightHolder {
public:
    static constexpr uint32_t kFlashMilliseconds = 100;

    FlashLightHolder(Light* light, Frame* craft);
    void Flash();
    bool Step(uint32_t now) override;
    void Forget(const Frame* object) override;

    Frame* craft;
    uint32_t flashUntil = 0;
    bool flashing = false;
};

// A light removed after its time.
class TimedLightHolder : public LightHolder {
public:
    TimedLightHolder(Light* light, uint32_t milliseconds);
    bool Step(uint32_t now) override;

    uint32_t startedAt;
    uint32_t lifetime;
};

// A light that follows a node (a projectile's) until the node lets it go.
class ProjectileLightHolder : public LightHolder {
public:
    ProjectileLightHolder(Light* light, Frame* followed, int32_t unused);
    bool Step(uint32_t now) override;
    void Forget(const Frame* object) override;

    Frame* followed;
};

// The holders of a flight, their lights linked into one chain whose head
// the view lights the scene with.
class LightHolders {
public:
    LightHolders() = default;
    ~LightHolders();
    LightHolders(const LightHolders&) = delete;
    LightHolders& operator=(const LightHolders&) = delete;

    // Takes the holder and links its light into the chain.
    void Add(LightHolder* holder);
    void Step(uint32_t now);
    void Forget(const Frame* object);
    // Removes every holder and its light.
    void Clear();

    Light* chain = nullptr;   // the chain's head; lights not held stay ahead of the holders'
    const std::vector<LightHolder*>& Holders() const { return holders_; }

private:
    void Remove(LightHolder* holder);
    std::vector<LightHolder*> holders_;
};
