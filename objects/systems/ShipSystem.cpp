#include "objects/systems/ShipSystem.h"

#include <algorithm>
#include <cstring>

#include "game/Cockpit.h"
#include "game/GameState.h"
#include "objects/ships/Craft.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

ShipSystem::ShipSystem(Craft* owner, int32_t partIndex, int32_t typeId, const DynArray16* names)
    : owner(owner), partIndex(partIndex), typeId(typeId) {
    if (names != nullptr) {
        for (int32_t i = 0; i < names->Count(); ++i) soundNames.Add((*names)[i]);
    }
}

ShipSystem::~ShipSystem() { EngineRelease(name); }

ShipSystem* ShipSystem::Clone(Craft* newOwner, int32_t newPartIndex) const {
    auto* const clone = new ShipSystem(newOwner, newPartIndex, typeId, &soundNames);
    if (clone != nullptr) {
        clone->maxDamage = maxDamage;
        CopyInto(*clone);
    }
    return clone;
}

void ShipSystem::CopyInto(ShipSystem& clone) const {
    clone.powerDraw = powerDraw;
    clone.unitPrice = unitPrice;
    std::memcpy(clone.equipmentId, equipmentId, sizeof equipmentId);
    clone.SetName(name != nullptr ? name : "");
}

int32_t ShipSystem::GetDamagePercent() const { return maxDamage > 0 ? int32_t(int64_t(damage) * 100 / maxDamage) : 0; }

int32_t ShipSystem::Update(int32_t milliseconds, EnergySystem*) { return milliseconds < 0 ? 0 : 1; }

void ShipSystem::SetName(const char* text) {
    EngineRelease(name);
    name = nullptr;
    if (text == nullptr) return;
    name = EngineCopyText(text);
}

int32_t ShipSystem::AddDamage(int32_t amount) {
    if (maxDamage < 0) return 0;
    SetDamage(int32_t(std::min<int64_t>(int64_t(damage) + amount, maxDamage)));
    return 1;
}

const char* ShipSystem::SoundName(int32_t index, char out[kNameBytes + 1]) const {
    if (index < 0 || index >= soundNames.Count()) return nullptr;
    std::memcpy(out, soundNames[index].words, kNameBytes);
    out[kNameBytes] = 0;
    out[strnlen(out, kNameBytes - 1)] = 0;   // terminated within its 16 bytes, whatever the file held
    return out;
}

bool ShipSystem::OwnedByPlayer() const { return owner != nullptr && owner->type == Craft::kTypePlayerShip; }

void ShipSystem::Indicate(int32_t indicator, bool on) const {
    if (OwnedByPlayer() && g_gameState != nullptr) g_gameState->TheCockpit().SetIndicator(indicator, on ? 1 : 0);
}

void ShipSystem::RefuseClick() const {
    if (OwnedByPlayer() && g_gameState != nullptr) g_gameState->TheCockpit().PlayClick(2);
}

SoundObject* ShipSystem::MakeSound(int32_t index, int32_t needed) {
    if (!OwnedByPlayer() || soundNames.Count() < needed) return nullptr;
    char soundName[kNameBytes + 1];
    if (SoundName(index, soundName) == nullptr) return nullptr;
    SoundObject* const sound = CreateSoundObject(soundName);
    if (sound != nullptr) sound->loop = 0;
    return sound;
}

void ShipSystem::Play(SoundObject* sound, int32_t level, int32_t overlap) const {
    if (sound == nullptr || g_gameState == nullptr || g_gameState->Sound() == nullptr) return;
    g_gameState->Sound()->PlaySound(sound, level, overlap);
}

void ShipSystem::Drop(SoundObject*& sound) {
    if (sound == nullptr) return;
    if (g_gameState != nullptr && g_gameState->Sound() != nullptr) g_gameState->Sound()->StopSound(sound);
    delete sound;
    sound = nullptr;
}

void ShipSystem::ShowGauge(int32_t gauge, int32_t value) const {
    if (!OwnedByPlayer() || maxDamage <= 0 || g_gameState == nullptr) return;
    g_gameState->TheCockpit().SetLevel(gauge, int32_t(int64_t(value) * 100 / maxDamage));
}
