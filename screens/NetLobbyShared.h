#pragma once
#include <cstdint>

#include "game/GameState.h"
#include "screens/NetLobbyScreen.h"
#include "ui/ArtObject.h"
#include "ui/UiSounds.h"

// What the lobby's panels share across their files: the sounds of their hot
// spots, the names of the controls the screen builds them with, the game
// and the lookup of a panel's control. Only the lobby's own files include it.
namespace net_lobby {

inline constexpr int32_t kSoundHover = 0;
inline constexpr int32_t kSoundToggle = 1;
inline constexpr int32_t kSoundClick = 2;
inline constexpr int32_t kSoundRefused = 3;
inline constexpr int32_t kSoundAccept = 4;
inline constexpr int32_t kSoundArrows = 5;
inline constexpr int32_t kPressedState = 10;

// Control names.
inline constexpr const char* kPilotList = "PilotList";
inline constexpr const char* kNameText = "Name";
inline constexpr const char* kCallsignText = "Callsign";
inline constexpr const char* kMissionsText = "Missions";
inline constexpr const char* kKillsText = "Kills";
inline constexpr const char* kFaces = "Faces";
inline constexpr const char* kLogos = "Logos";
inline constexpr const char* kNameBox = "NameBox";
inline constexpr const char* kCallsignBox = "CallsignBox";
inline constexpr const char* kTeamList = "TeamList";
inline constexpr const char* kTeamName = "TeamName";
inline constexpr const char* kGameList = "GameList";
inline constexpr const char* kDescription = "Description";
inline constexpr const char* kPayment = "Payment";
inline constexpr const char* kTrackNumber = "TrackNumber";
inline constexpr const char* kChatBox = "ChatBox";
inline constexpr const char* kTypeBox = "TypeBox";
// Buttons.
inline constexpr const char* kNameEntry = "Name Entry";
inline constexpr const char* kCallsignEntry = "Callsign Entry";

inline GameState* Game() { return g_gameState; }

inline void Play(int32_t sound) { PlayUiSound(sound, kUiClickSoundLevel, 1); }

}  // namespace net_lobby

template <typename T>
T* NetLobbyScreen::Find(const ArtObject* panel, const char* controlName) const {
    return panel != nullptr ? dynamic_cast<T*>(panel->FindControl(controlName)) : nullptr;
}
