#include "shell/CampaignHooks.h"

#include "game/GameState.h"
#include "mission/CampaignMessages.h"
#include "screens/rooms/MessageReader.h"
#include "screens/squadron/VoiceScreen.h"
#include "ui/Screen.h"

void RefreshMessageScreens(GameState& game) {
    for (const ScreenSlot slot : {ScreenSlot::kMissions, ScreenSlot::kEmail, ScreenSlot::kNews, ScreenSlot::kLogs}) {
        if (auto* const reader = dynamic_cast<MessageReader*>(game.ScreenIn(slot))) reader->FillLists();
    }
    if (auto* const voice = dynamic_cast<VoiceScreen*>(game.ScreenIn(ScreenSlot::kVoice))) voice->FillLists();
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
