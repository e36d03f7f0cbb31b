#pragma once
#include <cstdint>

#include "engine/Status.h"

class GameState;

// The first mission of every career, in the missions directory.
inline constexpr const char* kTrainingMission = "training.uli";

// What runs after each change of the message lists: the readers refill
// their lists and the office and common room pick new looks. The screens
// live above this library, so the shell installs it; null runs nothing.
using MessageListsHook = void (*)(GameState& game);
void SetMessageListsHook(MessageListsHook hook);
// Runs the hook: for a change of the lists other than a mission file's.
void MessageListsChanged(GameState& game);

// The campaign's step at each mission file (`outcome`: 0 its first load,
// before its flight; 1 after a won flight of it; 2 after a lost one): every
// lifetime above 0 counts down and an entry whose lifetime reaches 0 leaves
// its list; after a flight the offer that launched the file moves from the
// new to the old e-mail list; each message of the file whose conditions hold
// joins the list its number names; then the hook, once. The lists change
// even when the file cannot be read; its status is returned.
Status LoadMissionFile(const char* name, int32_t outcome);

// A career's first messages: the six lists emptied, the plot counter 0, the
// training mission's first load.
void StartTraining(GameState& game);
