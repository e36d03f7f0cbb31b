#include "shell/RadarReading.h"

#include "display/Palette.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/RadarScope.h"
#include "objects/ships/Craft.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/TargetingSystem.h"

namespace {

// The grey of a blip when no palette is there to give colours back, and of
// a target without a radar to colour it.
constexpr uint32_t kNoPaletteGrey = 0x5C5C5C;

// A row of the ship's world matrix as a unit axis; the rows carry the
// model's scale, which has no part in a distance.
Vector3 Axis(const Craft& ship, int32_t row) {
    const float* const r = ship.world.matrix.rows[row];
    Vector3 axis{r[0], r[1], r[2]};
    if (axis.Length() > 0.0f) axis.Normalize();
    return axis;
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A colour of the radar's, given as an index of the palette, as red, green and blue.
uint32_t Shown(const Palette* palette, uint32_t index) {
    return palette != nullptr ? palette->GetColor(index) & 0xFFFFFF : kNoPaletteGrey;
}

}  // namespace

void ReadRadar(const GameState& game, Craft& ship, RadarPicture* out) {
    *out = RadarPicture{};
    auto* const radar = static_cast<RadarSystem*>(ship.GetSystem(ShipSystem::kRadar, nullptr));
    if (radar == nullptr || game.mission == nullptr || ship.active == 0 || ship.dead != 0) return;
    if (radar->maxDamage > 0 && radar->damage >= radar->maxDamage) return;
    out->shown = true;
    out->range = radar->SettingRange();
    out->probe = radar->followingProbe != 0;
    const SpaceObject* const viewpoint = radar->GetViewpoint();
    if (viewpoint == nullptr) return;
    const Vector3 from = viewpoint->Position();
    const Vector3 right = Axis(ship, 0), up = Axis(ship, 1), ahead = Axis(ship, 2);
    const auto* const targeting = static_cast<const TargetingSystem*>(ship.GetSystem(ShipSystem::kTargeting, nullptr));
    const SpaceObject* const target = targeting != nullptr ? targeting->GetTarget() : nullptr;
    const Palette* const palette = game.currentPalette;
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (!radar->CanDetect(object, -1)) continue;
        const Vector3 offset = object->Position().Difference(from);
        RadarContact contact;
        contact.right = Dot(offset, right);
        contact.up = Dot(offset, up);
        contact.ahead = Dot(offset, ahead);
        contact.colour = Shown(palette, radar->GetContactColour(object));
        contact.target = object == target;
        contact.wayPoint = object->type == SpaceObject::kTypeWayPoint;
        // A full picture still shows the target.
        if (!out->Add(contact) && contact.target) out->contacts[RadarPicture::kContacts - 1] = contact;
    }
}

uint32_t TargetBlipColour(const GameState& game, Craft& ship, const RadarPicture& picture, const SpaceObject& target) {
    for (int32_t i = 0; i < picture.count; ++i) {
        if (picture.contacts[i].target) return picture.contacts[i].colour;
    }
    auto* const radar = static_cast<RadarSystem*>(ship.GetSystem(ShipSystem::kRadar, nullptr));
    return radar != nullptr ? Shown(game.currentPalette, radar->GetContactColour(&target)) : kNoPaletteGrey;
}
