#include "ui/UiSounds.h"

#include "game/GameState.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"

DynArray<SoundObject*> g_uiSounds;

void FillUiSounds() {
    // Without definitions every entry would stay empty for the whole
    // process; a later screen fills the table once they are loaded.
    if (g_uiSounds.Count() != 0 || g_soundEffects == nullptr) return;
    for (int32_t i = 0; i < kUiSoundCount; ++i) {
        SoundObject* const sound = CreateSoundObject(kUiSoundNames[i]);
        if (sound != nullptr && i >= kFirstUiLoopSound) sound->started = 0;
        if (!g_uiSounds.Append(sound)) {
            delete sound;
            FreeUiSounds();
            return;
        }
    }
}

void FreeUiSounds() {
    for (SoundObject* const sound : g_uiSounds) delete sound;
    g_uiSounds.Clear();
}

void PlayUiSound(int32_t index, int32_t level, int32_t overlap) {
    if (index < 0 || index >= g_uiSounds.Count() || g_gameState == nullptr) return;
    SoundObject* const sound = g_uiSounds[index];
    SoundDevice* const device = g_gameState->Sound();
    if (sound == nullptr || device == nullptr) return;
    device->Play(sound, level, overlap);
}

void PlayUiClick(int32_t index) { PlayUiSound(index, kUiClickSoundLevel, 1); }
