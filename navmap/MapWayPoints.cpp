#include "navmap/MapScreen.h"

#include <cstdio>
#include <cstring>

#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/ObjectLoader.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WayPoint.h"

ObjectLink g_placingWayPoint;

namespace {

bool PlacedOnMap(const SpaceObject& object) {
    const auto* const point = dynamic_cast<const WayPoint*>(&object);
    return point != nullptr && point->missionPoint == 0;
}

bool NamedAsMapPoint(const SpaceObject& object) {
    return object.name != nullptr && std::strstr(object.name, MapScreen::kWayPointName) != nullptr;
}

}  // namespace

int32_t MapScreen::HitSymbol(int16_t x, int16_t y, const char* nameHas) const {
    int32_t hit = -1;
    for (size_t i = 0; i < symbols.size(); ++i) {
        const MapSymbol& symbol = symbols[i];
        if (symbol.object == nullptr) continue;
        if (nameHas != nullptr) {
            const char* const objectName = symbol.object->name != nullptr ? symbol.object->name : "";
            if (std::strstr(objectName, nameHas) == nullptr) continue;
        }
        // An index the art file lacks is an image of no size: never hit.
        int32_t halfWidth = 0;
        int32_t halfHeight = 0;
        if (symbol.image >= 0 && size_t(symbol.image) < symbolImages.size() && symbolImages[size_t(symbol.image)]) {
            halfWidth = int32_t(symbolImages[size_t(symbol.image)]->width) / 2;
            halfHeight = int32_t(symbolImages[size_t(symbol.image)]->height) / 2;
        }
        if (x > symbol.x - halfWidth && x < symbol.x + halfWidth && y > symbol.y - halfHeight &&
            y < symbol.y + halfHeight) {
            hit = int32_t(i);
        }
    }
    return hit;
}

void MapScreen::RenameWayPoints(bool (*renamed)(const SpaceObject& object)) {
    const GameState* const game = g_gameState;
    if (game == nullptr || game->mission == nullptr) return;
    // Past "Z" the letters go on in character order.
    int32_t letter = 'A';
    for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->type != SpaceObject::kTypeWayPoint || !renamed(*object)) continue;
        char text[32];
        std::snprintf(text, sizeof text, "%s %c", kWayPointName, char(letter++));
        object->SetName(text);
    }
}

bool MapScreen::CreateWayPoint(int16_t x, int16_t y) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->mission == nullptr) return false;
    lastMouseX = x;
    lastMouseY = y;
    placeDeltaA = 0;
    placeDeltaB = 0;
    SpaceObject* const made = DefinitionLibrary::Current().LoadObjectDefinition(kWayPointDefinition, nullptr,
                                                                                SpaceObject::kTypeWayPoint, 0);
    auto* const point = dynamic_cast<WayPoint*>(made);
    if (point == nullptr) {
        delete made;
        return false;
    }
    g_placingWayPoint = point;
    point->uoid = -1;
    point->local = mapCamera;
    point->UpdateWorldTransform(Transform::kAllFlags);
    point->local.MoveLocalXyz(kWayPointOffset, kWayPointOffset, 0.0f, Transform::kAllFlags);
    point->UpdateWorldTransform(Transform::kAllFlags);
    point->missionPoint = 0;
    game->AddObjectsToWorld(point, 0);
    RenameWayPoints(PlacedOnMap);
    return true;
}

void MapScreen::DeleteWayPoint(size_t record) {
    if (record >= symbols.size()) return;
    SpaceObject* const point = symbols[record].object;
    symbols.erase(symbols.begin() + std::ptrdiff_t(record));
    // A symbol of the last pass may name an object that left the world since.
    if (!InWorld(point)) return;
    if (selectedObject == point) selectedObject = nullptr;
    point->Deactivate(1);
    // The removal takes it off the world list and lets every link go before the delete.
    point->OnRemove(1);
    delete point;
    RenameWayPoints(NamedAsMapPoint);
}

void MapScreen::MoveWayPoint(int16_t x, int16_t y) {
    SpaceObject* const point = g_placingWayPoint;
    if (point == nullptr) return;
    const int64_t range = mapRange;
    if (placementStep == 2) {
        const int32_t dx = int32_t((int64_t(x) - lastMouseX) * range / 100);
        const int32_t dz = int32_t((int64_t(y) - lastMouseY) * range / 80);
        if (dx != placeDeltaA || dz != placeDeltaB) {
            point->local.MoveLocalXyz(float(dx), 0.0f, float(dz), Transform::kAllFlags);
            point->UpdateWorldTransform(Transform::kAllFlags);
        }
    } else if (placementStep == 1) {
        const int32_t dy = int32_t((int64_t(y) - lastMouseY) * range / 80);
        point->local.MoveLocalXyz(0.0f, float(placeDeltaB - dy), 0.0f, Transform::kAllFlags);
        point->UpdateWorldTransform(Transform::kAllFlags);
    }
    lastMouseX = x;
    lastMouseY = y;
}
