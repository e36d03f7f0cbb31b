#include "screens/GameMenus.h"

#include "game/GameState.h"
#include "screens/HelpScreen.h"
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
}
