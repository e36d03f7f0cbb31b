#include "game/GameState.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui/Screen.h"
#include "game/ScreenSlots.h"

namespace {

// Counts what the factories of this file build and delete.
int32_t g_built = 0;
int32_t g_deleted = 0;

class CountedScreen : public Screen {
public:
    CountedScreen() : Screen("COUNTED") { ++g_built; }
    ~CountedScreen() override { ++g_deleted; }
};

GameState::ScreenFactory CountedFactory() {
    GameState::ScreenFactory factory;
    factory.create = [](GameState&) -> Screen* { return new CountedScreen; };
    factory.destroy = [](Screen* screen) { delete screen; };
    return factory;
}

class GameStateScreensTest : public testing::Test {
protected:
    void SetUp() override {
        GameState::ClearScreenRegistry();
        g_built = g_deleted = 0;
    }
    void TearDown() override { GameState::ClearScreenRegistry(); }
};

TEST_F(GameStateScreensTest, AFactoryBuildsItsScreenOnceAcrossTwoLoadsAndAllGoAtShutdown) {
    ASSERT_TRUE(GameState::RegisterScreen("HANGAR", CountedFactory()));
    ASSERT_TRUE(GameState::RegisterScreen("RESTART", CountedFactory()));
    auto game = std::make_unique<GameState>();

    EXPECT_EQ(game->LoadPlaceScreens(22), 2);
    Screen* const hangar = game->ScreenIn(ScreenSlot::kHangar);
    ASSERT_NE(hangar, nullptr);
    // A second place, loaded while a screen of the first runs, keeps it.
    game->currentScreen = hangar;
    EXPECT_EQ(game->LoadPlaceScreens(5), 0);
    EXPECT_EQ(game->ScreenIn(ScreenSlot::kHangar), hangar);
    EXPECT_EQ(g_built, 2);
    EXPECT_EQ(g_deleted, 0);
    EXPECT_EQ(game->ScreenIn(ScreenSlot::kPause), nullptr);

    game.reset();
    EXPECT_EQ(g_deleted, 2);
}

TEST_F(GameStateScreensTest, PlacesOutsideOneToTwentyThreeBuildNothing) {
    ASSERT_TRUE(GameState::RegisterScreen("PAUSE", CountedFactory()));
    GameState game;
    EXPECT_EQ(game.LoadPlaceScreens(0), 0);
    EXPECT_EQ(game.LoadPlaceScreens(24), 0);
    EXPECT_EQ(game.LoadPlaceScreens(-1), 0);
    EXPECT_EQ(g_built, 0);
    EXPECT_EQ(game.LoadPlaceScreens(23), 1);
}

TEST_F(GameStateScreensTest, RegistryRefusesUnknownNamesAndFactoriesWithoutADeleter) {
    EXPECT_FALSE(GameState::RegisterScreen("pause", CountedFactory()));   // names match exactly
    EXPECT_FALSE(GameState::RegisterScreen(nullptr, CountedFactory()));
    GameState::ScreenFactory noDeleter = CountedFactory();
    noDeleter.destroy = nullptr;
    EXPECT_FALSE(GameState::RegisterScreen("PAUSE", noDeleter));
    EXPECT_EQ(GameState::FindScreenFactory(ScreenSlot::kPause), nullptr);
    EXPECT_TRUE(GameState::RegisterScreen("NavMap", CountedFactory()));
    EXPECT_NE(GameState::FindScreenFactory(ScreenSlot::kNavMap), nullptr);
}

TEST_F(GameStateScreensTest, SelectingAnEmptySlotKeepsItsNameForTheLoop) {
    GameState game;
    game.SelectNextScreen(ScreenSlot::kRestart);
    EXPECT_EQ(game.nextScreen, nullptr);
    EXPECT_STREQ(game.nextScreenName, "RESTART");
}

}  // namespace
