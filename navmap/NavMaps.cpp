#include "navmap/NavMaps.h"

#include "game/GameState.h"
#include "navmap/NavMapScreen.h"
#include "navmap/WarRoomMapScreen.h"

namespace {

template <typename T>
GameState::ScreenFactory FactoryOf() {
    GameState::ScreenFactory factory;
    factory.create = [](GameState&) -> Screen* { return new T(); };
    factory.destroy = [](Screen* screen) { delete screen; };
    return factory;
}

}  // namespace

void RegisterNavMaps() {
    GameState::RegisterScreen(WarRoomMapScreen::kScreenName, FactoryOf<WarRoomMapScreen>());
    GameState::RegisterScreen(NavMapScreen::kScreenName, FactoryOf<NavMapScreen>());
}
