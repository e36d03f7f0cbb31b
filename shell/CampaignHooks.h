#pragma once

class GameState;

// The campaign's calls into the screens, which the mission layer cannot
// reach: after the message lists change, the readers that exist refill
// their lists and the office and common room pick new looks; a new
// career's first mission is the training. For every game state from now on.
void InstallCampaignHooks();

// The hook itself, for the screens the game state holds.
void RefreshMessageScreens(GameState& game);
