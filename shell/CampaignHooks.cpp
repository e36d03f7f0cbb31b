#include "shell/CampaignHooks.h"

#include "game/GameState.h"
#include "mission/CampaignMessages.h"
#include "ui/Screen.h"

void RefreshMessageScreens(GameState& game) {
    // The message readers refill their lists here, those that exist.
    for (const ScreenSlot slot : {ScreenSlot::kOffice, ScreenSlot::kCommonRoom}) {
        if (Screen* const screen = game.ScreenIn(slot)) screen->Randomize();
    }
}

void InstallCampaignHooks() {
    SetMessageListsHook(RefreshMessageScreens);
    GameState::CareerHooks hooks = GameState::CareerHooksInForce();
    hooks.startTraining = StartTraining;
    GameState::SetCareerHooks(hooks);
}
