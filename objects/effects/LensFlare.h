#pragma once
#include <cstdint>

#include "scene/Billboard.h"

class Camera;
struct FlareDef;

// One sprite of a lens flare, at its factor along the axis from the light
// through the middle of the view.
class LensFlareElement : public Billboard {
public:
    static constexpr uint32_t kElementFlags = 0x10005;
    static constexpr int32_t kLevel = 64;

    LensFlareElement() = default;
    float axisFactor = 0.0f;
};

// A row of translucent sprites strung from a bright light through the middle
// of the view, hidden while the light was not drawn or something solid stands
// between it and the camera. It belongs to an explosion, which makes it when
// it starts and ends it with itself.
class LensFlare {
public:
    static constexpr uint32_t kLightDrawn = Billboard::kFlagSeen;
    static constexpr uint32_t kLightInfinite = 0x10000;
    static constexpr float kNearest = 3.0f;         // nearer blockers do not count
    static constexpr float kElementRadius = 200.0f;
    static constexpr float kAxisPoint = 180.0f;

    // `count` elements of the named definition; none when the definition is
    // missing ("Unfound Flare" is shown) or has no picture.
    LensFlare(NamedObject* light, int32_t count, const char* definitionName);
    ~LensFlare();
    LensFlare(const LensFlare&) = delete;
    LensFlare& operator=(const LensFlare&) = delete;

    void Update();
    void TestOcclusion();
    void PlaceElements();
    // The light's world position: a billboard's position, else its frame's.
    Vector3 LightPosition() const;
    bool Empty() const { return firstElement == nullptr; }

    LensFlareElement* firstElement = nullptr;   // owned, a chain through `next`
    NamedObject* light;
    int32_t hidden = 1;

private:
    void Hide();
};

// The game state's flares: each updated once a frame (the flare step of the
// simulation), and drawn after the world under the palette "flare".
void RegisterFlarePass();
void DrawFlares(Camera& camera);
