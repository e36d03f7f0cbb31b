#include "objects/effects/LensFlare.h"

#include <cstring>

#include "display/Canvas.h"
#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "game/EffectTypes.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "objects/effects/FxObject.h"
#include "objects/space/SpaceObject.h"
#include "platform/MessageBox.h"
#include "scene/Camera.h"
#include "scene/Frame.h"
#include "scene/Material.h"
#include "scene/ViewContext.h"

namespace {

const FlareDef* FindFlare(const char* name) {
    for (int32_t i = 0; name != nullptr && i < g_flareTable.Count(); ++i) {
        if (std::strncmp(g_flareTable[i]->name, name, kEffectNameBytes) == 0) return g_flareTable[i];
    }
    return nullptr;
}

}  // namespace

LensFlare::LensFlare(NamedObject* lightObject, int32_t count, const char* definitionName) : light(lightObject) {
    const FlareDef* const definition = FindFlare(definitionName);
    if (definition == nullptr) {
        platform::MessageBox::Current().Show(definitionName != nullptr ? definitionName : "", msg::kCaptionUnfoundFlare,
                                             platform::kMessageBoxInformation | platform::kMessageBoxTopmost |
                                                 platform::kMessageBoxTaskModal);
        return;
    }
    const int32_t pictures = definition->pictures.Count();
    if (pictures <= 0) return;
    for (int32_t i = 0; i < count; ++i) {
        auto* const element = new LensFlareElement;
        element->alpha = LensFlareElement::kLevel;
        element->flags |= LensFlareElement::kElementFlags;
        element->width = element->height = float(definition->elementSize);
        element->SetMaterial(definition->pictures[GameRandom() % pictures]);
        if (firstElement == nullptr) {
            element->axisFactor = float((GameRandom() & 0x3fff) + 0xc000) / 65536.0f;
            firstElement = element;
        } else {
            element->axisFactor = float(GameRandom() & 0xffff) / 65536.0f;
            element->next = firstElement->next;
            firstElement->next = element;
        }
    }
}

LensFlare::~LensFlare() { FxObject::DeleteChain(firstElement); }

Vector3 LensFlare::LightPosition() const {
    if (const auto* const sprite = dynamic_cast<const Billboard*>(light)) return sprite->position;
    Vector3 at{};
    if (const auto* const frame = dynamic_cast<const Frame*>(light)) frame->world.matrix.GetTranslation(&at);
    return at;
}

void LensFlare::Hide() {
    if (hidden != 0) return;
    for (NamedObject* element = firstElement; element != nullptr; element = element->next) element->flags |= 0x1;
    hidden = 1;
}

void LensFlare::TestOcclusion() {
    const GameState* const game = g_gameState;
    const Camera* const camera = game != nullptr ? game->flightCamera : nullptr;
    if (light == nullptr || (light->flags & kLightDrawn) == 0 || camera == nullptr) {
        Hide();
        return;
    }
    Vector3 eye;
    camera->transform.matrix.GetTranslation(&eye);
    const Vector3 toLight = LightPosition().Difference(eye);
    const float span = toLight.Length();
    const float limit = (light->flags & kLightInfinite) != 0 ? 1000000.0f : span - 10.0f;
    Vector3 direction = toLight;
    if (span > 0.0f) direction = direction.Scaled(1.0f / span);
    bool blocked = false;
    for (SpaceObject* object = game->mission != nullptr ? game->mission->firstObject : nullptr;
         object != nullptr && !blocked; object = object->GetNext()) {
        if (object->active == 0) continue;
        const float t = object->RayDistance(&eye, &direction, 0);
        blocked = t > kNearest && t < limit;
    }
    if (blocked) {
        Hide();
    } else if (hidden != 0) {
        for (NamedObject* element = firstElement; element != nullptr; element = element->next) element->flags &= ~0x1u;
        hidden = 0;
    }
}

void LensFlare::PlaceElements() {
    const Camera* const camera = g_gameState != nullptr ? g_gameState->flightCamera : nullptr;
    if (camera == nullptr) return;
    Transform view = camera->transform;
    view.UpdateInverse();
    const Vector3 lightWorld = LightPosition();
    Vector3 p;
    TransformPoint(&lightWorld, &view.inverse, &p);
    const Vector3 centre{0.0f, 0.0f, kAxisPoint};
    const Vector3 axis = centre.Difference(p);
    Vector3 eye;
    camera->transform.matrix.GetTranslation(&eye);
    for (NamedObject* node = firstElement; node != nullptr; node = node->next) {
        auto* const element = static_cast<LensFlareElement*>(node);
        const Vector3 q = p.Sum(axis.Scaled(element->axisFactor));
        Vector3 direction;
        TransformVector(&q, &camera->transform.matrix, &direction);
        if (direction.Length() > 0.0f) direction.Normalize();
        element->position = eye.Sum(direction.Scaled(kElementRadius));
    }
}

void LensFlare::Update() {
    TestOcclusion();
    if (light != nullptr && (light->flags & kLightDrawn) != 0) {
        light->flags &= ~kLightDrawn;
        PlaceElements();
    }
}

void RegisterFlarePass() {
    if (g_gameState == nullptr) return;
    g_gameState->SetSimulateHook(GameState::kFlareStep, [](GameState& game) {
        for (LensFlare* flare : game.flares) flare->Update();
    });
}

void DrawFlares(Camera& camera) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->flares.Count() == 0 || camera.canvas == nullptr) return;
    Palette* const flarePalette = game->LoadPalette("flare");
    Palette* const previous = camera.canvas->palette;
    if (flarePalette != nullptr) camera.canvas->palette = flarePalette;
    for (LensFlare* flare : game->flares) {
        ViewContext view;
        view.camera = &camera;
        view.objectList = flare->firstElement;
        PushViewContext(&view);
        for (NamedObject* element = flare->firstElement; element != nullptr; element = element->next) {
            if ((element->flags & 0x1) == 0) element->Draw();
        }
        PopViewContext(&view);
    }
    camera.canvas->palette = previous;
}
