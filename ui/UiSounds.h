#pragma once
#include <cstdint>

#include "engine/DynArray.h"

class SoundObject;

// The interface sounds every screen plays by index, as "fx.iff" names them.
inline constexpr int32_t kUiSoundCount = 61;
inline constexpr const char* kUiSoundNames[kUiSoundCount] = {
    "Hotspot 1",     "Click 2",       "Click 1",       "Hotspot 2",     "Click 4",       "Click 3",
    "Open Screen",   "Close Screen",  "DoorShut",      "Grab",          "Release",       "Door Open 1",
    "Door Open 2",   "Door Open 3",   "Door Open 4",   "Door Close 1",  "Door Close 2",  "Door Close 3",
    "Door Close 4",  "Hangar Door 1", "Hangar Door 2 ", "Hangar Door 3", "Hallpipe",     "Hallcomp",
    "Sip",           "Keyboard",      "Glass",         "Cushion",       "Warroom Amb 1", "Warroom Amb 2",
    "Warroom Amb 3", "Warroom Amb 4", "Warroom Amb 5", "Warroom Amb 6", "Warroom Amb 7", "Office Amb 1",
    "Office Amb 2",  "Office Amb 3",  "NetOpt Amb 1",  "Common Amb 1",  "Common Amb 2",  "Common Amb 3",
    "Hangar Amb 1",  "Hangar Amb 2",  "Hallway Steps", "Hallway Door",  "VO Loaded",     "VO Saved",
    "VO Hired",      "VO Fired",      "VO Quit",       "VO NoMission",  "VO Mission",    "VO EqType",
    "VO Order",      "Warroom Loop",  "Office Loop",   "NetOpt Loop",   "Common Loop 2", "Hangar Loop 2",
    "Hallway Loop 1"};
// The loop sounds, each started once per visit: their started word begins cleared.
inline constexpr int32_t kFirstUiLoopSound = 55;

// Indices the framework's own screens name.
inline constexpr int32_t kUiSoundHotspot = 0;
inline constexpr int32_t kUiSoundOpenScreen = 6;
inline constexpr int32_t kUiSoundCloseScreen = 7;

// How a screen plays its sounds: opening and closing above everything and
// never twice at once, clicks and hot spots at the base level, overlapping.
inline constexpr int32_t kUiScreenSoundLevel = 10;
inline constexpr int32_t kUiClickSoundLevel = 0;

// The table, index by index (null for a sound "fx.iff" lacks). It lives for
// the process: the first screen made while the sound definitions are loaded
// fills it, and FreeUiSounds empties it at shutdown; screens come and go
// without touching it.
extern DynArray<SoundObject*> g_uiSounds;

// Fills the table when it is empty and the definitions are loaded.
void FillUiSounds();
// Deletes every sound of the table and empties it.
void FreeUiSounds();
// Plays entry `index` on the game's sound device; an index outside the
// table or an entry without a sound plays nothing.
void PlayUiSound(int32_t index, int32_t level, int32_t overlap);
// A click or hot spot sound: the base level, overlapping.
void PlayUiClick(int32_t index);
