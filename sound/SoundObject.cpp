#include "sound/SoundObject.h"

#include <cstring>

#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"

SoundObject::SoundObject(const SoundEffectDef& definition)
    : samples(definition.samples),
      basePriority(definition.priority),
      pan(definition.pan),
      loop(definition.loop),
      rate(definition.rate),
      volume(definition.volume) {
    std::memcpy(name, definition.name, sizeof name - 1);
}

SoundObject::~SoundObject() {
    if (SoundDevice* const device = SoundDevice::Current()) device->StopSound(this);
}

void SoundObject::SetPosition(const Vector3& worldPosition) {
    position = worldPosition;
    positional = true;
}

SoundObject* CreateSoundObject(const char* name) {
    if (name == nullptr || std::strcmp(name, "null") == 0 || g_soundEffects == nullptr) return nullptr;
    const SoundEffectDef* const definition = g_soundEffects->Find(name);
    return definition != nullptr ? new SoundObject(*definition) : nullptr;
}
