// Lens flares on explosions: made from their definition when the explosion
// starts, hidden by what stands between camera and light (not nearer than
// 3 units), strung out on a sphere around the camera, and refused with
// "Unfound Flare" when the definition is missing.
#include <gtest/gtest.h>

#include <cstring>

#include "display/Bitmap.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "objects/effects/FxObject.h"
#include "objects/effects/LensFlare.h"
#include "objects/space/SpaceObject.h"
#include "platform/MessageBox.h"
#include "scene/Camera.h"
#include "scene/Material.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

class LensFlareTest : public ::testing::Test {
protected:
    LensFlareTest() {
        auto* const definition = new FlareDef;
        std::strcpy(definition->name, "Glare");
        definition->elementSize = 4;
        Bitmap picture;
        picture.Create(16, 16, Bitmap::kDepth8Bit, true);
        auto* const material = new BitmapMaterial;
        material->CreateFromBitmap(&picture, true, nullptr);
        definition->pictures.Append(material);
        g_flareTable.Append(definition);
        auto* const type = new ExplosionType;
        std::strcpy(type->name, "Flash");
        std::strcpy(type->flareName, "Glare");
        type->leastFlares = type->greatestFlares = 3;
        type->frameCount = 0;
        builder_.Game().flightCamera = &camera_;
    }
    ~LensFlareTest() override {
        builder_.Game().ClearFlight();
        builder_.Game().flightCamera = nullptr;
        FreeEffectRegistries();
        FreeFx();
    }
    FxObject* Explosion(const Vector3& at) {
        SpaceObject* const anchor = builder_.Spawn(builder_.Ball("ANCHOR", 0.1f), 1);
        anchor->SetPositionFlags(at, Transform::kAllFlags | 0x10);
        FxObject* const fx = FxObject::FxObjectNamed(anchor, "Flash");
        builder_.Game().RegisterObjectGroup(fx, nullptr, 1);
        fx->Update();   // starts: the flare is made
        fx->position = at;
        return fx;
    }

    WorldBuilder builder_;
    Camera camera_;
    RecordingMessageBox boxes_;
    ScopedInstall<platform::MessageBox> installed_{boxes_};
};

TEST_F(LensFlareTest, BlockersNearerThanThreeUnitsDoNotCount) {
    FxObject* const fx = Explosion({0.0f, 0.0f, 100.0f});
    ASSERT_NE(fx->lensFlare, nullptr);
    LensFlare& flare = *fx->lensFlare;
    ASSERT_EQ(builder_.Game().flares.Count(), 1);
    int elements = 0;
    for (NamedObject* e = flare.firstElement; e != nullptr; e = e->next) ++elements;
    EXPECT_EQ(elements, 3);
    EXPECT_GE(flare.firstElement->axisFactor, 0.75f);
    EXPECT_LT(flare.firstElement->axisFactor, 1.0f);

    // Drawn and unblocked: shown, on a sphere of 200 around the camera.
    fx->flags |= LensFlare::kLightDrawn;
    flare.Update();
    EXPECT_EQ(flare.hidden, 0);
    EXPECT_NEAR(flare.firstElement->position.Length(), 200.0f, 1e-2f);
    EXPECT_EQ(fx->flags & LensFlare::kLightDrawn, 0u);   // the flare clears it

    // An object whose near side (its box, 7 from its centre) is exactly 3
    // ahead does not block; 4 ahead it does.
    SpaceObject* const close = builder_.Spawn(builder_.Ball("CLOSE", 10.0f), 2);
    close->Activate(0);
    close->SetPositionFlags({0.0f, 0.0f, 10.0f}, Transform::kAllFlags | 0x10);
    fx->flags |= LensFlare::kLightDrawn;
    flare.Update();
    EXPECT_EQ(flare.hidden, 0);
    close->SetPositionFlags({0.0f, 0.0f, 11.0f}, Transform::kAllFlags | 0x10);
    fx->flags |= LensFlare::kLightDrawn;
    flare.Update();
    EXPECT_EQ(flare.hidden, 1);
    EXPECT_NE(flare.firstElement->flags & 0x1, 0u);

    // A light that was not drawn hides the flare and leaves the elements where they were.
    const Vector3 kept = flare.firstElement->position;
    builder_.Remove(close);
    flare.Update();
    EXPECT_EQ(flare.hidden, 1);
    EXPECT_FLOAT_EQ(flare.firstElement->position.z, kept.z);

    // The explosion's end ends its flare.
    fx->explosionType = nullptr;
    fx->Update();
    EXPECT_EQ(fx->lensFlare, nullptr);
    EXPECT_EQ(builder_.Game().flares.Count(), 0);
}

TEST_F(LensFlareTest, AMissingDefinitionIsToldAndMakesNoFlare) {
    std::strcpy(g_explosionTypes->flareName, "Nowhere");
    FxObject* const fx = Explosion({0.0f, 0.0f, 50.0f});
    EXPECT_EQ(fx->lensFlare, nullptr);
    EXPECT_EQ(builder_.Game().flares.Count(), 0);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Nowhere");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Unfound Flare");
}

}  // namespace
