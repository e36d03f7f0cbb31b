#pragma once
#include <cstdint>

#include "engine/NamedObject.h"
#include "engine/Status.h"
#include "engine/Vector3.h"

class Bitmap;
class Material;
class Palette;

// A textured rectangle that always faces the camera: two triangles built in
// eye coordinates around the projected position, turned so that its
// vertical edge follows the world's up as the camera sees it (plus its own
// roll), lit as one flat face turned to the camera. A direction billboard
// stays at a fixed direction from the camera, at the back of the depth range.
class Billboard : public NamedObject {
public:
    static constexpr uint32_t kFlagOwnsMaterial = 0x2;
    static constexpr uint32_t kFlagDirection = 0x10000;
    // Set when the billboard reached the screen in a draw; its users clear it.
    static constexpr uint32_t kFlagSeen = 0x100;

    Billboard();
    Billboard(const Billboard&) = delete;
    // Shares the other's material without owning it.
    Billboard& operator=(const Billboard& other);
    ~Billboard() override;

    void Draw() override;
    int32_t GetBoundingSphere(BoundingSphere* out) const override;
    void Update() override;
    virtual void ReleaseMaterial();

    // Borrows the material; null keeps the current one.
    void SetMaterial(Material* newMaterial);
    // An owned bitmap material of the picture: 1 (nothing changed) unless
    // both sides are above 0, 2 when memory runs out, else the material's
    // own result.
    Status CreateMaterial(Bitmap* bitmap, float newWidth, float newHeight, bool transparent, Palette* palette);

    Material* material = nullptr;
    int32_t alpha = 255;
    Vector3 position{};
    float positionW = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float angle = 0.0f;
    float scale = 1.0f;
};
