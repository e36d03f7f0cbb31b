#include "screens/GameMenus.h"

#include "game/GameState.h"
#include "screens/ControlScreen.h"
#include "screens/FrameScreen.h"
#include "screens/HelpScreen.h"
#include "screens/NetLobbyScreen.h"
#include "screens/OptionsScreen.h"
#include "screens/QuitScreen.h"
#include "screens/RestartScreen.h"
#include "screens/SaveScreen.h"
#include "screens/rooms/EncyclopediaScreen.h"
#include "screens/rooms/KillBoardScreen.h"
#include "screens/squadron/OutfitScreen.h"
#include "screens/rooms/HallwayScreen.h"
#include "screens/rooms/CommonRoomScreen.h"
#include "screens/rooms/TrophyCaseScreen.h"
#include "screens/rooms/OfficeScreen.h"
#include "screens/rooms/WarRoomScreen.h"
#include "screens/squadron/HangarScreen.h"
#include "screens/squadron/RepairScreen.h"
#include "screens/squadron/PersonnelScreen.h"
#include "screens/squadron/AssignScreen.h"
#include "screens/squadron/RequisitionScreen.h"
#include "screens/squadron/SalvageScreen.h"
#include "screens/rooms/EmailScreen.h"
#include "screens/rooms/LogsScreen.h"
#include "screens/rooms/MissionsScreen.h"
#include "screens/squadron/VoiceScreen.h"
#include "ui/TutorialScreen.h"

namespace {

template <typename T>
GameState::ScreenFactory FactoryOf() {
    GameState::ScreenFactory factory;
    factory.create = [](GameState&) -> Screen* { return new T(); };
    factory.destroy = [](Screen* screen) { delete screen; };
    return factory;
}

}  // namespace

void RegisterGameMenus() {
    GameState::RegisterScreen(HelpScreen::kScreenName, FactoryOf<HelpScreen>());
    GameState::RegisterScreen(TutorialScreen::kScreenName, FactoryOf<TutorialScreen>());
    GameState::ScreenFactory frame = FactoryOf<FrameScreen>();
    frame.enterInFlight = [](Screen& screen) {
        if (auto* const menu = dynamic_cast<FrameScreen*>(&screen)) menu->inFlightOptions = 1;
    };
    GameState::RegisterScreen(FrameScreen::kScreenName, frame);
    GameState::RegisterScreen(SaveScreen::kScreenName, FactoryOf<SaveScreen>());
    GameState::RegisterScreen(OptionsScreen::kScreenName, FactoryOf<OptionsScreen>());
    GameState::RegisterScreen(OutfitScreen::kScreenName, FactoryOf<OutfitScreen>());
    GameState::RegisterScreen(RepairScreen::kScreenName, FactoryOf<RepairScreen>());
    GameState::RegisterScreen(PersonnelScreen::kScreenName, FactoryOf<PersonnelScreen>());
    GameState::RegisterScreen(AssignScreen::kScreenName, FactoryOf<AssignScreen>());
    GameState::RegisterScreen(RequisitionScreen::kScreenName, FactoryOf<RequisitionScreen>());
    GameState::RegisterScreen(SalvageScreen::kScreenName, FactoryOf<SalvageScreen>());
    GameState::RegisterScreen(QuitScreen::kScreenName, FactoryOf<QuitScreen>());
    GameState::RegisterScreen(PauseScreen::kScreenName, FactoryOf<PauseScreen>());
    GameState::RegisterScreen(ControlScreen::kScreenName, FactoryOf<ControlScreen>());
    GameState::RegisterScreen(RestartScreen::kScreenName, FactoryOf<RestartScreen>());
    GameState::RegisterScreen(OfficeScreen::kScreenName, FactoryOf<OfficeScreen>());
    GameState::RegisterScreen(HallwayScreen::kScreenName, FactoryOf<HallwayScreen>());
    GameState::RegisterScreen(WarRoomScreen::kScreenName, FactoryOf<WarRoomScreen>());
    GameState::RegisterScreen(CommonRoomScreen::kScreenName, FactoryOf<CommonRoomScreen>());
    GameState::RegisterScreen(TrophyCaseScreen::kScreenName, FactoryOf<TrophyCaseScreen>());
    GameState::RegisterScreen(HangarScreen::kScreenName, FactoryOf<HangarScreen>());
    GameState::RegisterScreen(KillBoardScreen::kScreenName, FactoryOf<KillBoardScreen>());
    GameState::RegisterScreen(EncyclopediaScreen::kScreenName, FactoryOf<EncyclopediaScreen>());
    GameState::RegisterScreen(MissionsScreen::kScreenName, FactoryOf<MissionsScreen>());
    GameState::RegisterScreen(EmailScreen::kScreenName, FactoryOf<EmailScreen>());
    GameState::RegisterScreen(NewsScreen::kScreenName, FactoryOf<NewsScreen>());
    GameState::RegisterScreen(LogsScreen::kScreenName, FactoryOf<LogsScreen>());
    GameState::RegisterScreen(VoiceScreen::kScreenName, FactoryOf<VoiceScreen>());
    GameState::RegisterScreen(NetLobbyScreen::kScreenName, FactoryOf<NetLobbyScreen>());
    MissionsScreen::setLaunchOnOpen = [](Screen& hangar) {
        if (auto* const screen = dynamic_cast<HangarScreen*>(&hangar)) screen->launchOnOpen = 1;
    };
    FrameScreen::setQuitReturn = [](Screen& quitDialog, Screen* returnTo) {
        if (auto* const dialog = dynamic_cast<QuitDialog*>(&quitDialog)) dialog->returnScreen = returnTo;
    };
    TutorialScreen::embeddedScreenOpen = FrameHasEmbeddedScreen;
    RestartScreen::resetLobby = [](Screen& lobby) {
        if (auto* const screen = dynamic_cast<NetLobbyScreen*>(&lobby)) screen->ResetAfterGame();
    };
}
