#include "shell/DeathWatch.h"
#include "shell/MainLoop.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/CareerRecord.h"
#include "game/Mission.h"
#include "mission/AfterFlight.h"
#include "mission/CampaignMessages.h"
#include "mission/FlightGoals.h"
#include "mission/Goal.h"
#include "net/NetworkHooks.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "game/ShipRecord.h"
#include "shell/FlightCommands.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"
#include "sound/SoundDevice.h"
#include "tests/support/RecordingLoopSteps.h"
#include "tests/support/RecordingScreen.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/XmidiWriter.h"

namespace {

using Calls = std::vector<std::string>;

const Calls kFlightPass = {"pump", "capture", "input", "simulate", "render", "flip"};

Calls Join(std::initializer_list<Calls> parts) {
    Calls joined;
    for (const Calls& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

class MainLoopTest : public testing::Test {
protected:
    void SetUp() override {
        GameState::ClearScreenRegistry();
        tally_.log = &steps_.log;
        game().mode = GameState::kModeFlight;
    }
    void TearDown() override { GameState::ClearScreenRegistry(); }

    GameState& game() { return world_.Game(); }
    uint32_t Now() { return world_.Clock().Milliseconds(); }

    // A craft the player flies, not dead.
    Craft* PlayerCraft() {
        auto* const craft = world_.SpawnAs<Craft>(world_.Template("SHIP1"), 1);
        craft->active = 1;
        game().playerShip = craft;
        return craft;
    }

    int32_t RunLoop() {
        MainLoop loop(game(), steps_.Steps());
        const int32_t result = loop.Run();
        quit_ = loop.Quit();
        return result;
    }

    RecordingScreen::Tally tally_;
    WorldBuilder world_;
    RecordingLoopSteps steps_{world_.Clock()};
    bool quit_ = false;
};

TEST_F(MainLoopTest, FlightPassRunsItsStepsInOrderAndAQuitEndsTheLoop) {
    steps_.quitAt = 3;

    EXPECT_EQ(RunLoop(), 0);

    EXPECT_EQ(steps_.log, Join({{"movie lch.mpg", "prepare"}, kFlightPass, kFlightPass, {"pump"}}));
    EXPECT_TRUE(quit_);
    EXPECT_EQ(game().mode, GameState::kModeQuit);
    // Each frame is told the time since the one before.
    EXPECT_EQ(steps_.elapsed, (std::vector<uint32_t>{RecordingLoopSteps::kStepMs, RecordingLoopSteps::kStepMs}));
}

TEST_F(MainLoopTest, NetworkPassesComeAfterThePumpOnlyUnderAnActiveSession) {
    InstallNetworkHooks();
    steps_.quitAt = 2;
    steps_.atPass[1] = [this] { game().netSession = new RecordingNetSession(true); };

    RunLoop();

    EXPECT_EQ(steps_.From(2), Join({{"pump", "receive", "send", "capture", "input", "simulate", "render", "flip"},
                                    {"pump"}}));
}

TEST_F(MainLoopTest, PauseAndNavMapModesSimulateWithoutDrawing) {
    steps_.quitAt = 4;
    steps_.atPass[2] = [this] { game().mode = GameState::kModePause; };
    steps_.atPass[3] = [this] { game().mode = GameState::kModeNavMap; };
    RecordingScreen::Register<ScreenSlot::kPause>(tally_);
    RecordingScreen::Register<ScreenSlot::kNavMap>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);

    RunLoop();

    EXPECT_EQ(steps_.From(2), Join({kFlightPass,
                                    {"pump", "simulate", "run PAUSE", "restore"},
                                    {"pump", "simulate", "run NavMap", "restore"},
                                    {"pump"}}));
}

TEST_F(MainLoopTest, EscapeRunsThePauseScreenOnceAndFlightResumes) {
    RecordingScreen::Register<ScreenSlot::kPause>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    Screen* const pause = game().ScreenIn(ScreenSlot::kPause);
    // The flight input turns Escape into the pause mode.
    steps_.onInput = [this](GameState& flying) {
        if (steps_.passes == 2) flying.mode = GameState::kModePause;
    };
    Screen* currentWhileRunning = nullptr;
    tally_.onRun = [&](GameState& paused, RecordingScreen&) { currentWhileRunning = paused.currentScreen; };
    steps_.quitAt = 4;

    RunLoop();

    EXPECT_EQ(static_cast<RecordingScreen*>(pause)->runs, 1);
    EXPECT_EQ(currentWhileRunning, pause);
    EXPECT_EQ(game().currentScreen, nullptr);
    EXPECT_EQ(steps_.From(2),
              Join({kFlightPass, {"pump", "capture", "input", "simulate", "run PAUSE", "restore"}, kFlightPass, {"pump"}}));
}

TEST_F(MainLoopTest, PauseDialogLeavingForTheFrameMenuRunsItInFlight) {
    RecordingScreen::Register<ScreenSlot::kPause>(tally_);
    RecordingScreen::Register<ScreenSlot::kFrame>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    tally_.onRun = [](GameState& paused, RecordingScreen& screen) {
        if (screen.Name() == "PAUSE") paused.currentScreen = paused.ScreenIn(ScreenSlot::kFrame);
    };
    game().mode = GameState::kModePause;
    steps_.quitAt = 2;

    RunLoop();

    EXPECT_EQ(steps_.From(2), Join({{"pump", "simulate", "run PAUSE", "in flight FRAME", "run FRAME", "restore"},
                                    {"pump"}}));
}

TEST_F(MainLoopTest, NetworkPauseRunsTheFrameMenuInFlightAndNoDialog) {
    InstallNetworkHooks();
    game().netSession = new RecordingNetSession(true);
    RecordingScreen::Register<ScreenSlot::kPause>(tally_);
    RecordingScreen::Register<ScreenSlot::kFrame>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    game().mode = GameState::kModePause;
    steps_.quitAt = 2;

    RunLoop();

    EXPECT_EQ(steps_.From(2), Join({{"pump", "receive", "send", "simulate", "in flight FRAME", "run FRAME", "restore"},
                                    {"pump"}}));
}

TEST_F(MainLoopTest, EmptyPauseSlotHoldsTheFrozenFrameUntilThePauseCommand) {
    game().mode = GameState::kModePause;
    steps_.pauseCommandAt = 3;
    steps_.quitAt = 4;

    RunLoop();

    EXPECT_EQ(steps_.From(2), Join({{"pump", "simulate"},
                                    {"pump", "pause?", "flip"},
                                    {"pump", "pause?"},
                                    {"pump"}}));
    EXPECT_EQ(game().mode, GameState::kModeQuit);
}

TEST_F(MainLoopTest, WindowCloseEndsTheFrozenFrame) {
    game().mode = GameState::kModePause;
    steps_.quitAt = 3;

    RunLoop();

    EXPECT_TRUE(quit_);
    EXPECT_EQ(steps_.Count("pump"), 3);
    EXPECT_EQ(steps_.Count("movie lnd.mpg"), 0);
}

// The frames a ship dead from the frame at `deadAt` sees before the restart
// screen: that frame is t, the restart comes on the first frame past t + 6000.
class DeathWatchLoopTest : public MainLoopTest {
protected:
    void ExpectRestartAfterDeathAt(int32_t deadPass) {
        // Passes from the dead one on, 50 ms apart: 6000 ms is 120 of them.
        const int32_t restartPass = deadPass + int32_t(DeathWatch::kRestartDelayMs / RecordingLoopSteps::kStepMs) + 1;
        for (int32_t pass = deadPass + 1; pass <= restartPass + 1; ++pass) {
            steps_.atPass[pass] = [this, pass] { modeAtPump_.push_back({pass, game().mode}); };
        }
        RecordingScreen::Register<ScreenSlot::kRestart>(tally_);
        game().LoadPlaceScreens(GameState::kFirstPlace);
        tally_.onRun = [](GameState& over, RecordingScreen&) { over.mode = GameState::kModeQuit; };

        EXPECT_EQ(RunLoop(), 0);

        // The pump of a pass shows the mode the frame before left.
        for (const auto& [pass, mode] : modeAtPump_) {
            EXPECT_EQ(mode, GameState::kModeFlight) << "pass " << pass;
        }
        EXPECT_EQ(steps_.passes, restartPass);
        EXPECT_EQ(static_cast<RecordingScreen*>(game().ScreenIn(ScreenSlot::kRestart))->runs, 1);
        EXPECT_EQ(steps_.Count("movie lnd.mpg"), 1);
        EXPECT_EQ(game().missionFlown, 1);
    }

    std::vector<std::pair<int32_t, int32_t>> modeAtPump_;
};

TEST_F(DeathWatchLoopTest, RestartComesOnTheFirstFramePastSixSecondsOfDeath) {
    Craft* const craft = PlayerCraft();
    steps_.onSimulate = [this, craft](GameState&) {
        if (steps_.passes == 5) craft->dead = 1;
    };
    ExpectRestartAfterDeathAt(5);
}

// Won, then destroyed before the landing: a death all the same, which the
// restart page settles, never the hangar; the loss accepted there takes
// the wreck from the career.
TEST_F(DeathWatchLoopTest, ADeathAfterTheFlightIsWonStillReachesTheRestartPage) {
    CareerRecord& career = *game().career;
    ShipRecord* const flown = career.AddShip(std::make_unique<ShipRecord>("P102"));
    career.AddShip(std::make_unique<ShipRecord>("P303"));
    const int32_t ships = career.GetShipCount();
    Craft* const craft = PlayerCraft();
    craft->shipSerial = flown->serial;
    craft->side = 1;
    auto* const wait = new WaitGoal(nullptr, 0);
    wait->playerGoal = 1;
    wait->active = 1;
    wait->timeMs = 500;
    flight_goals::Start(game());
    steps_.onSimulate = [this, craft](GameState& flying) {
        flight_goals::Step(flying);
        if (steps_.passes == 60) craft->dead = 1;
    };

    ExpectRestartAfterDeathAt(60);
    FreeGoals();

    EXPECT_EQ(flight_goals::GetOutcome(), flight_goals::Outcome::kWon);
    EXPECT_EQ(game().career->missions, 0);
    EXPECT_EQ(game().flightUnsettled, 1);
    EXPECT_EQ(career.GetShipCount(), ships);

    AcceptFlightLoss(game());
    EXPECT_EQ(career.missions, 1);
    EXPECT_EQ(career.GetShipCount(), ships - 1);
    EXPECT_EQ(craft->FlownRecord(), nullptr);
}

TEST_F(MainLoopTest, NetworkGameKeepsFlyingWithADeadShip) {
    InstallNetworkHooks();
    game().netSession = new RecordingNetSession(true);
    PlayerCraft()->dead = 1;
    steps_.quitAt = 200;

    RunLoop();

    EXPECT_TRUE(quit_);
    EXPECT_EQ(steps_.Count("simulate"), 199);
}

// Six seconds after the wreck, a network pilot flies again from the spawn
// point, whole, and the flight goes on: no restart page in a network game.
TEST_F(MainLoopTest, ANetworkPilotFliesAgainFromTheSpawnPointSixSecondsAfterTheWreck) {
    InstallNetworkHooks();
    game().netSession = new RecordingNetSession(true);
    Craft* const craft = PlayerCraft();
    craft->spawnPoint[2] = 500.0f;
    int32_t backAt = -1;
    steps_.onSimulate = [&](GameState&) {
        if (steps_.passes == 5) {
            craft->hitPoints = 0;
            craft->active = 0;   // the death has run its course
        }
        if (backAt < 0 && steps_.passes > 5 && craft->active != 0) backAt = steps_.passes;
    };
    steps_.quitAt = 300;

    RunLoop();

    EXPECT_TRUE(quit_);
    EXPECT_NEAR(backAt, 5 + int32_t(DeathWatch::kRestartDelayMs / RecordingLoopSteps::kStepMs), 2);
    EXPECT_FLOAT_EQ(craft->Position().z, 500.0f);
    EXPECT_GT(craft->hitPoints, 0);
}

// A network game goes on without goals and brings its dead back, but a
// pilot who ejected is out of it: alone in a hosted game with nothing to
// end it, the pick-up still brings the landing.
TEST_F(MainLoopTest, ANetworkGamesPilotWhoEjectedIsPickedUpAndLands) {
    InstallNetworkHooks();
    game().netSession = new RecordingNetSession(true);
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    tally_.onRun = [](GameState& landed, RecordingScreen&) { landed.mode = GameState::kModeQuit; };
    PlayerCraft();
    flight_goals::Start(game());
    steps_.onSimulate = [](GameState& flying) { flight_goals::Step(flying); };
    steps_.atPass[10] = [this] { EjectInto(game(), new PlayerShip(world_.Template("POD"))); };
    steps_.quitAt = 2000;

    RunLoop();

    EXPECT_EQ(steps_.passes, 10 + int32_t(flight_goals::kEjectEndMs / RecordingLoopSteps::kStepMs));
    EXPECT_EQ(steps_.log.back(), "run HANGAR");
}

TEST_F(MainLoopTest, EmptyScreenSlotEndsTheGameNamingIt) {
    game().mode = GameState::kModeScreens;
    game().SelectNextScreen(ScreenSlot::kRestart);
    testing::internal::CaptureStderr();

    EXPECT_EQ(RunLoop(), 1);

    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"RESTART\""), std::string::npos);
    EXPECT_EQ(game().mode, GameState::kModeQuit);
}

// A screen's own loop pumps and flips through the main loop's steps, so a
// quit inside the screen ends the game as it does in flight.
TEST_F(MainLoopTest, QuitInsideAScreenEndsTheGame) {
    game().mode = GameState::kModeScreens;
    Screen screen("HANGAR");
    game().currentScreen = &screen;
    steps_.quitAt = 3;
    testing::internal::CaptureStderr();

    EXPECT_EQ(RunLoop(), 0);

    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(quit_);
    EXPECT_EQ(steps_.log, (Calls{"pump", "flip", "pump", "flip", "pump"}));
}

TEST_F(MainLoopTest, AfterFlightTheHangarComesUpOrTheSalvageBayWithSalvage) {
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    RecordingScreen::Register<ScreenSlot::kSalvage>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    tally_.onRun = [](GameState& landed, RecordingScreen&) { landed.mode = GameState::kModeQuit; };
    steps_.onSimulate = [](GameState& flying) { flying.mode = GameState::kModeScreens; };

    RunLoop();
    EXPECT_EQ(steps_.From(2), (Calls{"pump", "capture", "input", "simulate", "movie lnd.mpg", "run HANGAR"}));

    auto* const player = world_.SpawnAs<PlayerShip>(world_.Template("SHIP2"), 1);
    player->AddNamedEntry("Laser");
    game().playerShip = player;
    game().mode = GameState::kModeFlight;
    steps_.log.clear();
    RunLoop();
    EXPECT_EQ(steps_.log.back(), "run SALVAGE");

    game().salvageOption = 1;
    game().mode = GameState::kModeFlight;
    RunLoop();
    EXPECT_EQ(steps_.log.back(), "run HANGAR");
}

// Orders placed on the screens are filled when the squadron launches, not before.
TEST_F(MainLoopTest, LaunchingFromTheScreensDeliversTheOrders) {
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    auto gun = std::make_unique<EquipmentItem>("Gun 1", 21);
    gun->ordered = 2;
    game().career->catalogue.push_back(std::move(gun));
    size_t storedAtRun = 99;
    tally_.onRun = [&storedAtRun](GameState& base, RecordingScreen&) {
        storedAtRun = base.career->stores.size();
        base.mode = GameState::kModeFlight;
    };
    game().mode = GameState::kModeScreens;
    game().SelectNextScreen(ScreenSlot::kHangar);
    steps_.quitAt = 1;

    RunLoop();

    EXPECT_EQ(storedAtRun, 0u);
    ASSERT_EQ(game().career->stores.size(), 1u);
    EXPECT_EQ(game().career->stores[0]->quantity, 2);
    EXPECT_EQ(game().career->catalogue.back()->ordered, 0);
}

// A flight ends by its goals: not while nothing is met (an idle flight with
// no hostile about is no win), and once its goal is met, won, a few
// seconds later through the landing; the career takes it once and the
// menus have no mission ready after it.
TEST_F(MainLoopTest, AFlightEndsWonAFewSecondsAfterItsGoalsAreMet) {
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    tally_.onRun = [](GameState& landed, RecordingScreen&) { landed.mode = GameState::kModeQuit; };
    Craft* const player = PlayerCraft();
    player->active = 1;
    player->side = 1;
    auto* const wait = new WaitGoal(nullptr, 0);
    wait->playerGoal = 1;
    wait->active = 1;
    wait->timeMs = 1000000;
    flight_goals::Start(game());
    game().missionReady = 1;
    steps_.onSimulate = [](GameState& flying) { flight_goals::Step(flying); };
    steps_.atPass[200] = [wait] { wait->timeMs = 0; };

    RunLoop();
    FreeGoals();

    EXPECT_EQ(steps_.passes, 200 + int32_t(flight_goals::kEndDelayMs / RecordingLoopSteps::kStepMs));
    EXPECT_EQ(steps_.Count("movie lnd.mpg"), 1);
    EXPECT_EQ(steps_.log.back(), "run HANGAR");
    EXPECT_EQ(game().career->missions, 1);
    EXPECT_EQ(game().flightUnsettled, 0);
    EXPECT_EQ(game().missionReady, 0);
}

// An eject ends the flight a few seconds later, lost, and the ship left
// behind is lost to the career with it.
TEST_F(MainLoopTest, AnEjectEndsTheFlightAndTheShipIsLostToTheCareer) {
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    tally_.onRun = [](GameState& landed, RecordingScreen&) { landed.mode = GameState::kModeQuit; };
    CareerRecord& career = *game().career;
    ShipRecord* const flown = career.AddShip(std::make_unique<ShipRecord>("P102"));
    const int32_t ships = career.GetShipCount();
    Craft* const player = PlayerCraft();
    player->shipSerial = flown->serial;
    flight_goals::Start(game());
    steps_.onSimulate = [](GameState& flying) { flight_goals::Step(flying); };
    steps_.atPass[10] = [this] { EjectInto(game(), new PlayerShip(world_.Template("POD"))); };

    RunLoop();

    EXPECT_EQ(steps_.passes, 10 + int32_t(flight_goals::kEjectEndMs / RecordingLoopSteps::kStepMs));
    EXPECT_EQ(flight_goals::GetOutcome(), flight_goals::Outcome::kFailed);
    EXPECT_EQ(steps_.log.back(), "run HANGAR");
    EXPECT_EQ(career.GetShipCount(), ships - 1);
    EXPECT_EQ(player->FlownRecord(), nullptr);
    // The mail says so, and, with no ship left, what to do.
    const MessageEntry* const told = game().newMail.Count() > 0 ? game().newMail.At(game().newMail.Count() - 1) : nullptr;
    ASSERT_TRUE(told != nullptr && told->title == kShipLostTitle);
    EXPECT_EQ(told->body.find(kNoShipLeftText) != std::string::npos, career.GetShipCount() == 0) << told->body;
}

// A career ship out through the gate ends the flight with its jump, won,
// and comes home: the career keeps it, though it left the world inactive.
TEST_F(MainLoopTest, AShipOutThroughTheGateEndsTheFlightAndStaysInTheCareer) {
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    tally_.onRun = [](GameState& landed, RecordingScreen&) { landed.mode = GameState::kModeQuit; };
    CareerRecord& career = *game().career;
    ShipRecord* const flown = career.AddShip(std::make_unique<ShipRecord>("P102"));
    const int32_t ships = career.GetShipCount();
    Craft* const player = PlayerCraft();
    player->shipSerial = flown->serial;
    player->side = 1;
    auto* const wait = new WaitGoal(nullptr, 0);
    wait->playerGoal = 1;
    wait->active = 1;
    wait->timeMs = 0;
    flight_goals::Start(game());
    steps_.onSimulate = [player](GameState& flying) {
        player->Simulate(RecordingLoopSteps::kStepMs);
        flight_goals::Step(flying);
    };
    steps_.atPass[20] = [player] { player->Jump(nullptr); };

    RunLoop();
    FreeGoals();

    EXPECT_EQ(player->jumpedOut, 1);
    EXPECT_LT(steps_.passes, 20 + int32_t(flight_goals::kEndDelayMs / RecordingLoopSteps::kStepMs));
    EXPECT_EQ(flight_goals::GetOutcome(), flight_goals::Outcome::kWon);
    EXPECT_EQ(steps_.log.back(), "run HANGAR");
    EXPECT_EQ(career.missions, 1);
    EXPECT_EQ(career.GetShipCount(), ships);
    EXPECT_EQ(player->FlownRecord(), flown);
}

int g_listChanges = 0;

// A new game chosen on the initial screen: the training's messages are
// there before the next screen opens, and come once.
TEST_F(MainLoopTest, ANewGameStartsTheTrainingOnceBeforeTheNextScreen) {
    g_listChanges = 0;
    SetMessageListsHook([](GameState&) { ++g_listChanges; });
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    game().mode = GameState::kModeScreens;
    game().startMode = GameState::kStartNewGame;
    game().plotCounter = 3;
    game().SelectNextScreen(ScreenSlot::kHangar);
    int32_t runs = 0;
    tally_.onRun = [&runs](GameState& running, RecordingScreen&) {
        EXPECT_EQ(g_listChanges, 1);
        EXPECT_EQ(running.plotCounter, 0);
        if (++runs == 2) running.mode = GameState::kModeQuit;
    };

    RunLoop();

    EXPECT_EQ(runs, 2);
    SetMessageListsHook(nullptr);
}

// A screen that ends naming no other goes back to the screen it came from;
// one that came from nowhere goes to the office's frame.
TEST_F(MainLoopTest, AScreenEndingWithoutANextOneGoesBackWhereItCameFrom) {
    RecordingScreen::Register<ScreenSlot::kOffice>(tally_);
    RecordingScreen::Register<ScreenSlot::kFrame>(tally_);
    RecordingScreen::Register<ScreenSlot::kQuit>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    int32_t runs = 0;
    tally_.onRun = [&runs](GameState& state, RecordingScreen& screen) {
        ++runs;
        if (runs == 1) state.SelectNextScreen(ScreenSlot::kQuit);   // the office asks
        if (runs == 2) state.currentScreen = nullptr;                // No, with no screen to name
        if (runs == 3) state.currentScreen = nullptr;                // the office ends: nowhere to go back to
        if (runs == 4) state.mode = GameState::kModeQuit;
        (void)screen;
    };
    game().mode = GameState::kModeScreens;
    game().SelectNextScreen(ScreenSlot::kOffice);
    testing::internal::CaptureStderr();

    EXPECT_EQ(RunLoop(), 0);

    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(steps_.log, (Calls{"run OFFICE", "run QUIT", "run OFFICE", "run FRAME"}));
}

// Without the frame either, the ending names no slot.
TEST_F(MainLoopTest, AScreenEndingWithNowhereToGoEndsTheGame) {
    RecordingScreen::Register<ScreenSlot::kOffice>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    tally_.onRun = [](GameState& state, RecordingScreen&) { state.currentScreen = nullptr; };
    game().mode = GameState::kModeScreens;
    game().SelectNextScreen(ScreenSlot::kOffice);
    testing::internal::CaptureStderr();

    EXPECT_EQ(RunLoop(), 1);

    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"(none)\""), std::string::npos);
}

// A tune of one note, told apart from others by its length.
std::vector<uint8_t> Tune(uint32_t end) {
    XmidiWriter writer;
    writer.Note(0, 0, 72, 100, 60);
    writer.End(end);
    return writer.File();
}

// The music the loop asks the sound device for.
class MusicLoopTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        for (const char* name : DataDirectories::kNames) {
            dir_.WriteFile(std::string(name) + "/" + DataDirectories::kProbeFile, "x");
        }
        const std::vector<uint8_t> menu = Tune(240);
        dir_.WriteFile(std::string("xmi/") + MainLoop::kMenuMusic, std::string(menu.begin(), menu.end()));
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        recording_ = new RecordingSoundLibrary;
        recording_->midiDriver = true;
        game().TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(recording_)), nullptr);
        world_.TheMission().music = std::make_unique<MusicFile>(Tune(480), 0);
    }
    void TearDown() override {
        g_dataDirs.Clear();
        MainLoopTest::TearDown();
    }
    // "mission" or "menu" for each sequence start, "stop" for each stop (StopAll's too).
    Calls Music() const {
        Calls music;
        for (const RecordingSoundLibrary::Event& e : recording_->events) {
            if (e.kind == RecordingSoundLibrary::Event::kStopMusic) music.push_back("stop");
            if (e.kind == RecordingSoundLibrary::Event::kSequence) {
                music.push_back(e.sequence->lengthTicks == 480 ? "mission" : "menu");
            }
        }
        return music;
    }

    TempDir dir_;
    RecordingSoundLibrary* recording_ = nullptr;
};

TEST_F(MusicLoopTest, TheMissionsMusicStartsAtLaunchAndAgainAfterTheNavMap) {
    steps_.quitAt = 3;
    steps_.atPass[2] = [this] { game().mode = GameState::kModeNavMap; };
    RecordingScreen::Register<ScreenSlot::kNavMap>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);

    RunLoop();

    EXPECT_EQ(Music(), (Calls{"stop", "mission", "stop", "mission"}));
}

TEST_F(MusicLoopTest, TheScreensPlayTheSetUpMissionsMusicElseTheMenuTune) {
    RecordingScreen::Register<ScreenSlot::kHangar>(tally_);
    game().LoadPlaceScreens(GameState::kFirstPlace);
    // The first run stops the music, as a restart does; the second ends the game.
    int32_t runs = 0;
    tally_.onRun = [&runs](GameState& game, RecordingScreen&) {
        if (++runs % 2 == 1) game.Sound()->StopAll();
        game.mode = runs % 2 == 0 ? GameState::kModeQuit : GameState::kModeScreens;
        game.SelectNextScreen(ScreenSlot::kHangar);
    };
    for (const int32_t ready : {0, 1}) {
        recording_->events.clear();
        game().missionReady = ready;
        game().mode = GameState::kModeScreens;
        game().SelectNextScreen(ScreenSlot::kHangar);
        RunLoop();
        const std::string tune = ready != 0 ? "mission" : "menu";
        EXPECT_EQ(Music(), (Calls{tune, "stop", tune}));
    }
}

// The roads through the loop's modes played on the sample tree as a person
// plays them, each from its first key to the screen it comes back to; every
// tutorial pop-up is closed with Enter on its Close button, where its focus starts.
class MainLoopRoadTest : public testing::Test {
protected:
    // From the first screen to the frame menu of the war room's computer.
    static constexpr const char* kToTheFrame =
        "at 5 key N\nat 15 key Space\nat 25 key Enter\nat 35 key Enter\nat 45 click 550 250\n"
        "at 70 key Enter\nat 80 click 555 235\nat 100 key Enter\n";

    // Plays `script`, from the first screen or in the flight of `mission`;
    // the run's standard output, its status in `status`.
    std::string Play(const std::string& script, int* status, bool network = false, const char* mission = nullptr) {
        LaunchOptions options;
        std::string error;
        EXPECT_TRUE(run_.Prepare("campaign.txt", &options, &error)) << error;
        if (mission != nullptr) options.mission = mission;
        options.script = run_.dir.Str() + "/road.txt";
        std::ofstream(options.script) << script;
        if (network) {
            options.net = true;
            options.netPort = uint16_t(29000 + ::testing::UnitTest::GetInstance()->random_seed() % 900);
        }
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        *status = RunGame(options);
        errors_ = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }

    SampleScriptRun run_;
    std::string errors_;
};

// Escape on the in-flight map asks, on the career's road and on a flight
// named on the command line alike: No comes back to the map, whose Exit
// flies on; asked again, Yes ends the game where it stands, with no landing.
// The map shows its tutorial pop-up each time it opens, the command line's
// fresh game the welcome before it; Enter closes each.
TEST_F(MainLoopRoadTest, EscapeOnTheMapAsksAndNoComesBackToTheMap) {
    // From the map's open pop-up: Escape held asks; No; Exit.
    const std::string askNoAndExit =
        "at 300 press Escape\nat 300 wait screen QUIT\nat 305 release Escape\nat 330 key Enter\nat 350 key N\n"
        "at 350 wait screen NavMap\nat 370 key Enter\nat 380 click 595 466\nat 380 wait mode 2\n";
    int status = -1;
    std::string out = Play(std::string(kNewCareerToTheFlight) + "at 240 key M\nat 240 wait screen NavMap\n" + askNoAndExit +
                               "at 400 key M\nat 400 wait screen NavMap\nat 460 press Escape\n"
                               "at 460 wait screen QUIT\nat 465 release Escape\nat 490 key Enter\nat 510 key Y\n"
                               "at 600 quit\n",
                           &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"mode 3", "screen NavMap", "screen QUIT", "screen NavMap", "mode 2", "mode 3",
                              "screen NavMap", "screen QUIT", "Main loop ended in mode 7"}))
        << out;
    EXPECT_EQ(out.find("flight over"), std::string::npos) << out;
    EXPECT_EQ(errors_.find("does not exist"), std::string::npos) << errors_;

    // The sample mission: after the map, full throttle on to Nav 1.
    out = Play("at 5 key M\nat 5 wait screen NavMap\nat 20 key Enter\n" + askNoAndExit +
                   "at 390 press 13\nat 430 release 13\nat 430 wait goal 2 met\nat 440 key M\n"
                   "at 440 wait screen NavMap\nat 460 key Enter\nat 480 press Escape\nat 480 wait screen QUIT\n"
                   "at 485 release Escape\nat 500 key Enter\nat 520 key Y\nat 600 quit\n",
               &status, false, "sample.uli");
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"mode 3", "screen NavMap", "screen QUIT", "screen NavMap", "mode 2", "goal 2 met",
                              "mode 3", "screen NavMap", "screen QUIT", "Main loop ended in mode 7"}))
        << out;
    EXPECT_EQ(out.find("flight over"), std::string::npos) << out;
}

// Pause > Options > OK, and the flight then ends by its goals (failed, the
// ship left idle): the landing brings the hangar.
TEST_F(MainLoopRoadTest, PauseOptionsOkThenTheLandingBringsTheHangar) {
    int status = -1;
    const std::string out = Play(std::string(kNewCareerToTheFlight) +
                                     "at 240 key Escape\nat 270 key Enter\nat 290 click 390 273\n"
                                     "at 330 key Enter\nat 350 click 28 452\nat 360 wait mode 4\nat 380 quit\n",
                                 &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"screen PAUSE", "screen FRAME", "mode 2", "outcome failed", "mode 4", "screen HANGAR"}))
        << out;
    EXPECT_EQ(errors_.find("does not exist"), std::string::npos) << errors_;
}

// The frame menu's quit during a pause asks at once: No goes back to the
// flight; asked again, Yes quits.
TEST_F(MainLoopRoadTest, AQuitFromThePausesFrameMenuAsksOverTheFlight) {
    int status = -1;
    const std::string out = Play(std::string(kNewCareerToTheFlight) +
                                     "at 240 key Escape\nat 270 key Enter\nat 290 click 390 273\n"
                                     "at 330 key Enter\nat 350 key Escape\nat 380 key Enter\nat 400 key N\n"
                                     "at 440 key Escape\nat 460 key Enter\nat 480 click 390 273\n"
                                     "at 520 key Escape\nat 550 key Enter\nat 570 key Y\nat 650 quit\n",
                                 &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"screen PAUSE", "screen FRAME", "screen QUIT", "mode 2", "screen PAUSE", "screen FRAME",
                              "screen QUIT", "Main loop ended in mode 7"}))
        << out;
    // No landing: nothing after the flight but the quit.
    const std::string flown = out.substr(out.find("\nmode 2\n"));
    EXPECT_EQ(flown.find("mode 4"), std::string::npos) << out;
    EXPECT_EQ(flown.find("screen HANGAR"), std::string::npos) << out;
}

// Options > Credits at the base: the credits lead back to the options page,
// whose OK goes on to the war room.
TEST_F(MainLoopRoadTest, TheCreditsLeadBackToTheOptionsPage) {
    int status = -1;
    const std::string out = Play(std::string(kToTheFrame) +
                                     "at 110 click 28 168\nat 130 click 28 264\nat 160 key Enter\n"
                                     "at 180 click 545 412\nat 260 key Enter\nat 280 click 28 452\n"
                                     "at 281 wait screen WARROOM\nat 300 quit\n",
                                 &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"screen FRAME", "mode 5", "mode 4", "screen FRAME", "screen WARROOM"})) << out;
    EXPECT_EQ(errors_.find("does not exist"), std::string::npos) << errors_;
}

// The options page's Exit ends the game at once, with no dialog: from the
// base's frame menu, and from the pause over a flight, which then never
// lands.
TEST_F(MainLoopRoadTest, TheOptionsExitEndsTheGameFromTheBaseAndFromThePause) {
    int status = -1;
    std::string out = Play(std::string(kToTheFrame) + "at 110 click 28 168\nat 130 click 28 264\nat 160 key Enter\n"
                                                      "at 180 click 545 452\nat 400 quit\n",
                           &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"screen FRAME", "Main loop ended in mode 7"})) << out;
    EXPECT_EQ(out.find("screen QUIT"), std::string::npos) << out;
    EXPECT_EQ(out.find("by a quit message"), std::string::npos) << out;

    out = Play(std::string(kNewCareerToTheFlight) + "at 240 key Escape\nat 270 key Enter\nat 290 click 390 273\n"
                                           "at 330 key Enter\nat 350 click 545 452\nat 600 quit\n",
               &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"mode 2", "screen PAUSE", "screen FRAME", "Main loop ended in mode 7"})) << out;
    const std::string flown = out.substr(out.find("\nmode 2\n"));
    EXPECT_EQ(flown.find("screen QUIT"), std::string::npos) << out;
    EXPECT_EQ(flown.find("mode 4"), std::string::npos) << out;
    EXPECT_EQ(out.find("by a quit message"), std::string::npos) << out;
}

// Out of the lobby's waiting room, out of the multiplayer panel, and Escape
// on the front menu: the quit dialog, whose No goes back to the lobby and
// whose Yes, asked again, quits.
TEST_F(MainLoopRoadTest, AQuitFromTheLobbyAfterItsWaitingRoomAsks) {
    int status = -1;
    const std::string out = Play(
        "at 10 click 125 204\nat 40 key N\nat 50 click 77 408\nat 70 click 235 143\nat 72 type Ann\n"
        "at 75 click 235 172\nat 77 type Ace\nat 80 click 347 404\nat 100 click 320 188\nat 120 click 320 205\n"
        "at 140 click 320 188\nat 160 click 90 414\nat 190 click 90 434\nat 230 click 320 291\nat 280 key Escape\n"
        "at 310 key Enter\nat 330 key N\nat 380 key Escape\nat 410 key Enter\nat 430 key Y\nat 480 quit\n",
        &status, true);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(InOrder(out, {"screen NETOPT", "screen QUIT", "screen NETOPT", "screen QUIT", "Main loop ended in mode 7"}))
        << out;
    // So on the first screen, under the welcome's and the dialog's pop-ups the first time.
    const std::string first = Play("at 5 key Escape\nat 25 key Enter\nat 35 key Enter\nat 50 key N\nat 50 wait screen INIT\n"
                                   "at 60 key Escape\nat 75 key Enter\nat 90 key Y\nat 150 quit\n", &status);
    EXPECT_TRUE(InOrder(first, {"screen INIT", "screen QUIT", "screen INIT", "screen QUIT"}) &&
                first.find("\nInitial options: mode 7,") != std::string::npos) << first;
}

}  // namespace
