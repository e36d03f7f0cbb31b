#include "screens/NetLobbyScreen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "display/FontContext.h"
#include "engine/input/KeySet.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/PilotFile.h"
#include "game/ScreenSlots.h"
#include "game/TextInput.h"
#include "net/NetGameSettings.h"
#include "net/NetSession.h"
#include "sound/SoundObject.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/EditField.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBlock.h"
#include "ui/UiSounds.h"

namespace {

using Lobby = NetLobbyScreen;

struct LobbyRun {
    LobbyRun() {
        delete harness.Game().career;
        harness.Game().career = new CareerRecord(1);
    }
    ~LobbyRun() {
        delete harness.Game().netSession;
        harness.Game().netSession = nullptr;
        delete harness.Game().netSettings;
        harness.Game().netSettings = nullptr;
    }

    // One event of the current page, as the pass's dispatch hands it on, with
    // its click (or nothing) new in the same pass.
    int32_t Fire(ArtObject* panel, uint32_t event, int32_t click) {
        lobby.currentPanel = panel;
        lobby.transitionPhase = MenuScreen::kPhaseNone;
        lobby.edgeEvents.Clear();
        lobby.edgeEvents.SetEvent(EventKey(event));
        if (click >= 0) lobby.edgeEvents.SetEvent(EventKey(uint32_t(click)));
        return lobby.HandleEvent(EventKey(event));
    }
    // The transition steps of passes until it rests; the passes it took.
    int32_t Settle() {
        for (int32_t pass = 1; pass < 200; ++pass) {
            lobby.StepTransition(1);
            if (lobby.transitionPhase == MenuScreen::kPhaseNone) return pass;
        }
        return -1;
    }
    void WritePilot(const char* name, const char* callsign, int32_t face, int32_t logo, int32_t missions, int32_t kills) {
        CareerRecord*& career = harness.Game().career;
        std::snprintf(career->pilotName, sizeof career->pilotName, "%s", name);
        std::snprintf(career->callsign, sizeof career->callsign, "%s", callsign);
        career->face = face;
        career->logo = logo;
        career->missions = missions;
        career->kills = kills;
        ASSERT_EQ(WritePilotFile(harness.Game()), kStatusOk);
    }
    std::string Text(const ArtObject* panel, const char* name) const {
        const auto* const box = dynamic_cast<const TextBox*>(panel->FindControl(name));
        const TextBlock* const block = box != nullptr ? box->GetBlock(box->currentBlock) : nullptr;
        return block != nullptr && block->LineCount() > 0 ? block->lines[0] : std::string();
    }
    std::vector<std::string> Lines(const ArtObject* panel, const char* name) const {
        const auto* const box = dynamic_cast<const TextBox*>(panel->FindControl(name));
        const TextBlock* const block = box != nullptr ? box->GetBlock(box->currentBlock) : nullptr;
        return block != nullptr ? block->lines : std::vector<std::string>();
    }
    int32_t Picture(const ArtObject* panel, const char* name) const {
        const auto* const picture = dynamic_cast<const FacePicture*>(panel->FindControl(name));
        return picture != nullptr ? picture->Index() : -99;
    }
    ListBox& PilotList() { return *dynamic_cast<ListBox*>(lobby.pilotSelectPanel->FindControl("PilotList")); }

    ScreenHarness harness;
    Lobby lobby;
};

}  // namespace

// The panel machine is the menu screens'; the lobby adds each panel's page,
// loaded again on a return to a panel kept beneath, and deaf transitions.
TEST(NetLobbyScreenTest, AReturnToAKeptPanelReloadsItsPageAndTransitionsIgnoreClicks) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    lobby.currentPanel = lobby.mainPanel;
    lobby.SwitchTo(lobby.multiPanel, lobby.mainPanel);
    EXPECT_GT(run.Settle(), 0);
    ASSERT_EQ(lobby.panelStack.Count(), 1);
    lobby.eventMap.reset();
    lobby.SwitchTo(lobby.mainPanel);
    EXPECT_GT(run.Settle(), 0);
    EXPECT_EQ(lobby.currentPanel, lobby.mainPanel);
    ASSERT_NE(lobby.eventMap, nullptr);

    lobby.currentPanel = lobby.pilotSelectPanel;
    lobby.transitionPhase = MenuScreen::kPhaseOpening;
    lobby.edgeEvents.Clear();
    lobby.edgeEvents.SetEvent(EventKey(Lobby::kSelClick));
    lobby.edgeEvents.SetEvent(EventKey(Lobby::kSelCreate));
    lobby.HandleEvent(EventKey(Lobby::kSelCreate));
    EXPECT_EQ(lobby.nextPanel, nullptr);
}

TEST(NetLobbyScreenTest, ListsAddExactLinesKeepTheChatsEndAndResetOnReopen) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    lobby.AddGame(8, 1, "Ann's game");
    lobby.AddGame(2, 2, "Bob's game");
    EXPECT_EQ(run.Lines(lobby.sessionPanel, "GameList"), (std::vector<std::string>{"Ann's game", "Bob's game"}));

    auto* const chat = dynamic_cast<TextBox*>(lobby.waitPanel->FindControl("ChatBox"));
    ASSERT_NE(chat, nullptr);
    for (int32_t i = 0; i < Lobby::kChatLineLimit + 5; ++i) lobby.AddChatLine(std::to_string(i).c_str());
    const TextBlock& block = *chat->GetBlock(chat->currentBlock);
    ASSERT_EQ(block.LineCount(), Lobby::kChatLineLimit);
    EXPECT_EQ(block.lines.front(), "5");
    // A 90-pixel box shows as many whole lines as its font allows, the last at the bottom.
    ASSERT_EQ(SelectFont(TextBox::kFontName), kStatusOk);
    const int32_t shown = 90 / (int32_t(FontHeight()) + 2);
    EXPECT_EQ(block.topLine, Lobby::kChatLineLimit - shown);

    // Reopened, the lobby shows the panel it left with its lists emptied.
    lobby.currentPanel = lobby.multiPanel;
    lobby.Open();
    lobby.Close();
    EXPECT_EQ(lobby.currentPanel, lobby.multiPanel);
    EXPECT_TRUE(run.Lines(lobby.sessionPanel, "GameList").empty());
    EXPECT_TRUE(run.Lines(lobby.waitPanel, "ChatBox").empty());

    run.harness.Game().netSettings = new NetGameSettings();
    lobby.panelStack.Append(lobby.mainPanel);
    lobby.ResetAfterGame();
    EXPECT_EQ(lobby.currentPanel, lobby.mainPanel);
    EXPECT_EQ(lobby.panelStack.Count(), 0);
    EXPECT_EQ(run.harness.Game().netSettings, nullptr);
}

TEST(NetLobbyScreenTest, PilotListShowsStoredNamesAndLoadOpensTheListedFile) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    run.WritePilot("Ann", "Ace", 12, 0, 3, 7);
    run.WritePilot("Zed", "Zip", 40, 18, 9, 21);
    // A renamed file still shows the name stored in it and loads from its own path.
    const std::string folder = PilotFilePath(run.harness.Game(), "x").substr(0, PilotFilePath(run.harness.Game(), "x").size() - 5);
    ASSERT_EQ(std::rename((folder + "Zed.plr").c_str(), (folder + "Bob.plr").c_str()), 0);
    // A file without a pilot form lists nothing.
    if (FILE* const junk = std::fopen((folder + "Junk.plr").c_str(), "wb")) {
        std::fputs("not a pilot", junk);
        std::fclose(junk);
    }
    lobby.FillPilotList();
    ASSERT_EQ(run.Lines(lobby.pilotSelectPanel, "PilotList"), (std::vector<std::string>{"Ann", "Zed"}));

    ASSERT_EQ(lobby.PilotFileOf(1), "Bob");
    // The click selects under the pointer; choose line 1 by moving there.
    for (int16_t y = 73; y < 348 && run.PilotList().GetSelection() != 1; y += 2) {
        lobby.SetMousePosition(40, y);
        run.Fire(lobby.pilotSelectPanel, Lobby::kSelList, Lobby::kSelClick);
    }
    ASSERT_EQ(run.PilotList().GetSelection(), 1);
    EXPECT_EQ(run.Text(lobby.pilotSelectPanel, "Name"), "Zed");
    EXPECT_EQ(run.Text(lobby.pilotSelectPanel, "Callsign"), "Zip");
    EXPECT_EQ(run.Text(lobby.pilotSelectPanel, "Missions"), "9");
    EXPECT_EQ(run.Text(lobby.pilotSelectPanel, "Kills"), "21");
    EXPECT_EQ(run.Picture(lobby.pilotSelectPanel, "Faces"), 40);
    EXPECT_EQ(run.Picture(lobby.pilotSelectPanel, "Logos"), 101);

    run.Fire(lobby.pilotSelectPanel, Lobby::kSelLoad, Lobby::kSelClick);
    EXPECT_STREQ(run.harness.Game().career->GetPilotName(), "Zed");
    EXPECT_EQ(run.harness.Game().career->kills, 21);
    EXPECT_EQ(lobby.nextPanel, lobby.multiPanel);
    ASSERT_NE(run.harness.Game().netSession, nullptr);
    EXPECT_EQ(run.harness.Game().netSession->sessionDesc.name, "Zed's game");
}

TEST(NetLobbyScreenTest, AcceptNeedsANameAndACallsignAndStartsTheSession) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    ArtObject* const panel = lobby.pilotCreatePanel;
    auto* const name = dynamic_cast<EditField*>(panel->FindControl("NameBox"));
    auto* const callsign = dynamic_cast<EditField*>(panel->FindControl("CallsignBox"));
    run.Fire(panel, Lobby::kCreLogoLeft, Lobby::kCreClick);
    run.Fire(panel, Lobby::kCreFaceLeft, Lobby::kCreClick);
    EXPECT_EQ(run.Picture(panel, "Faces"), 67);
    EXPECT_EQ(run.Picture(panel, "Logos"), 101);

    run.Fire(panel, Lobby::kCreName, Lobby::kCreClick);
    ASSERT_NE(g_textInput, nullptr);
    EXPECT_EQ(g_textInputSize, Lobby::kPilotTextBytes);
    for (const char c : std::string("Ann")) TypeTextInput(uint32_t(c));
    lobby.Update();
    EXPECT_STREQ(name->GetText(), "Ann");
    // The callsign entry takes the typing over.
    run.Fire(panel, Lobby::kCreCallsign, Lobby::kCreClick);
    EXPECT_EQ(name->IsActive(), 0u);
    EXPECT_NE(callsign->IsActive(), 0u);

    lobby.nextPanel = nullptr;
    run.Fire(panel, Lobby::kCreAccept, Lobby::kCreClick);
    EXPECT_EQ(lobby.nextPanel, nullptr);
    EXPECT_EQ(run.harness.Game().netSession, nullptr);
    EXPECT_STREQ(run.harness.Game().career->GetPilotName(), "Ann");

    for (const char c : std::string("Ace")) TypeTextInput(uint32_t(c));
    lobby.Update();
    run.Fire(panel, Lobby::kCreAccept, Lobby::kCreClick);
    EXPECT_EQ(lobby.nextPanel, lobby.multiPanel);
    const CareerRecord& career = *run.harness.Game().career;
    EXPECT_EQ(career.multiplayer, 1);
    EXPECT_STREQ(career.callsign, "Ace");
    EXPECT_EQ(career.face, 67);
    EXPECT_EQ(career.logo, 18);
    ASSERT_NE(run.harness.Game().netSession, nullptr);
    EXPECT_EQ(run.harness.Game().netSession->sessionDesc.name, "Ann's game");
    EXPECT_EQ(run.harness.Game().netSession->playerCapacity, 8);
}

// A name that cannot name the pilot's file is refused as it is accepted,
// with the reason, and the career the lobby had stays; a usable name then
// goes through.
TEST(NetLobbyScreenTest, ANameNoFileCanCarryIsRefusedWithTheReason) {
    RecordingMessageBox boxes;
    ScopedInstall<platform::MessageBox> installed(boxes);
    LobbyRun run;
    Lobby& lobby = run.lobby;
    ArtObject* const panel = lobby.pilotCreatePanel;
    const CareerRecord* const before = run.harness.Game().career;
    auto* const name = dynamic_cast<EditField*>(panel->FindControl("NameBox"));
    run.Fire(panel, Lobby::kCreName, Lobby::kCreClick);
    for (const char c : std::string("../x")) TypeTextInput(uint32_t(c));
    lobby.Update();
    ASSERT_STREQ(name->GetText(), "../x");
    run.Fire(panel, Lobby::kCreCallsign, Lobby::kCreClick);
    for (const char c : std::string("Ace")) TypeTextInput(uint32_t(c));
    lobby.Update();

    lobby.nextPanel = nullptr;
    run.Fire(panel, Lobby::kCreAccept, Lobby::kCreClick);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, PilotNameProblem("../x"));
    EXPECT_EQ(lobby.nextPanel, nullptr);
    EXPECT_EQ(run.harness.Game().career, before);
    EXPECT_EQ(run.harness.Game().netSession, nullptr);
    for (const char* bad : {"a/b", "a\\b", "tab\there", ""}) EXPECT_NE(PilotNameProblem(bad), nullptr) << bad;
}

// The front menu drawn, then "Single B" clicked: every panel closes in that
// pass and the office follows.
TEST(NetLobbyScreenTest, FrontMenuPictureAndSinglePlayerLeavesInOnePass) {
    LobbyRun run;
    run.harness.CaptureAfterPass(14);
    ASSERT_TRUE(run.harness.SetScript("at 14 move 320 306\nat 15 key Enter\nat 40 quit\n"));
    run.harness.SetPassLimit(40);
    run.harness.Run(run.lobby);
    // The loop's next pump comes before it sees the run has ended.
    EXPECT_EQ(run.harness.Passes(), 16);
    EXPECT_EQ(run.harness.Game().mode, GameState::kModeScreens);
    EXPECT_STREQ(run.harness.Game().nextScreenName, "OFFICE");
    EXPECT_EQ(run.harness.Game().career->multiplayer, 0);
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(14), "lobby_front_menu"));
}

namespace {

const CareerRecord* g_trainedCareer = nullptr;

// The career hooks in force when it was made come back when it goes.
struct KeptCareerHooks {
    ~KeptCareerHooks() { GameState::SetCareerHooks(previous); }
    const GameState::CareerHooks previous = GameState::CareerHooksInForce();
};

}  // namespace

// The player had turned inertial flight on before choosing the single
// player's game: the career the office opens with is the new career's
// first mission's, and it kept that choice.
TEST(NetLobbyScreenTest, SinglePlayerKeepsTheNewCareerAndItsInertialFlight) {
    const KeptCareerHooks kept;
    GameState::CareerHooks hooks = kept.previous;
    hooks.startTraining = [](GameState& game) { g_trainedCareer = game.career; };
    GameState::SetCareerHooks(hooks);
    g_trainedCareer = nullptr;
    LobbyRun run;
    GameState& game = run.harness.Game();
    game.career->options.inertialOff = 0;
    game.career->missions = 4;
    ASSERT_TRUE(run.harness.SetScript("at 14 move 320 306\nat 15 key Enter\nat 40 quit\n"));
    run.harness.SetPassLimit(40);
    run.harness.Run(run.lobby);
    EXPECT_STREQ(game.nextScreenName, "OFFICE");
    ASSERT_NE(game.career, nullptr);
    EXPECT_EQ(game.career, g_trainedCareer);
    EXPECT_EQ(game.career->options.inertialOff, 0);
    EXPECT_EQ(game.career->multiplayer, 0);
    EXPECT_EQ(game.career->missions, 0);
}

TEST(NetLobbyScreenTest, PilotPanelPictures) {
    {
        LobbyRun run;
        run.WritePilot("Ann", "Ace", 12, 0, 3, 7);
        run.WritePilot("Zed", "Zip", 40, 5, 9, 21);
        run.lobby.ShowPilotSelect();
        run.harness.CaptureAfterPass(16);
        ASSERT_TRUE(run.harness.SetScript("at 12 move 60 80\nat 13 key Enter\n"));
        run.harness.SetPassLimit(16);
        run.harness.Run(run.lobby);
        EXPECT_EQ(run.Text(run.lobby.pilotSelectPanel, "Name"), "Ann");
        EXPECT_TRUE(MatchesGolden(run.harness.Picture(16), "lobby_pilot_select"));
    }
    LobbyRun run;
    run.lobby.currentPanel = run.lobby.pilotCreatePanel;
    run.harness.CaptureAfterPass(14);
    run.harness.SetPassLimit(14);
    run.harness.Run(run.lobby);
    EXPECT_TRUE(MatchesGolden(run.harness.Picture(14), "lobby_pilot_create"));
}

// The lobby sounds like a room: its loop once a visit, its ambient sound
// again every 8 to 16 seconds.
TEST(NetLobbyScreenTest, TheLoopPlaysOnceAVisitAndTheAmbienceEveryEightToSixteenSeconds) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    std::vector<uint32_t> ambience;
    for (uint32_t ms = 0; ms <= 60000; ms += 100) {
        const int32_t before = run.harness.UiSoundCount(38);
        lobby.Update();
        if (run.harness.UiSoundCount(38) > before) ambience.push_back(ms);
        run.harness.Clock().Advance(100);
    }
    EXPECT_EQ(run.harness.UiSoundCount(57), 1);
    ASSERT_GE(ambience.size(), 4u);
    for (size_t i = 1; i < ambience.size(); ++i) {
        EXPECT_GE(ambience[i] - ambience[i - 1], 8000u);
        EXPECT_LE(ambience[i] - ambience[i - 1], 16100u);
    }
    lobby.Close();
    ASSERT_NE(g_uiSounds[57], nullptr);
    EXPECT_EQ(g_uiSounds[57]->started, 0) << "a new visit starts the loop again";
}

namespace {

// The list's scroll, done a line a drawing, carried out to its end.
int32_t TopAfterScroll(ListBox& list) {
    for (int32_t i = 0; i < 64; ++i) list.Draw(0);
    return list.GetBlock(list.currentBlock)->topLine;
}

uint32_t PointerOf(const Lobby& lobby) {
    uint16_t x = 0, y = 0;
    lobby.eventMap->GetMousePosition(&x, &y);
    return uint32_t(x) << 16 | y;
}

}  // namespace

// Tab and Shift-Tab walk every page's hotspots with the pointer: two steps
// forward land on two different spots, and a step back returns to the first.
TEST(NetLobbyScreenTest, TabWalksTheHotspotsOfEveryPageBothWays) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    run.harness.Game().currentScreen = &lobby;
    const struct {
        ArtObject* panel;
        uint32_t next, previous;
    } pages[] = {
        {lobby.mainPanel, Lobby::kMenuFocusNext, Lobby::kMenuFocusPrevious},
        {lobby.pilotSelectPanel, Lobby::kSelFocusNext, Lobby::kSelFocusPrevious},
        {lobby.pilotCreatePanel, Lobby::kCreFocusNext, Lobby::kCreFocusPrevious},
        {lobby.multiPanel, Lobby::kMultiFocusNext, Lobby::kMultiFocusPrevious},
        {lobby.joinPanel, Lobby::kConnFocusNext, Lobby::kConnFocusPrevious},
        {lobby.sessionPanel, Lobby::kSesFocusNext, Lobby::kSesFocusPrevious},
        {lobby.createPanel, Lobby::kGameFocusNext, Lobby::kGameFocusPrevious},
        {lobby.coopPanel, Lobby::kCoopFocusNext, Lobby::kCoopFocusPrevious},
        {lobby.deathPanel, Lobby::kDeathFocusNext, Lobby::kDeathFocusPrevious},
        {lobby.teamPanel, Lobby::kTeamFocusNext, Lobby::kTeamFocusPrevious},
        {lobby.teamCreatePanel, Lobby::kTcFocusNext, Lobby::kTcFocusPrevious},
        {lobby.waitPanel, Lobby::kWaitFocusNext, Lobby::kWaitFocusPrevious},
    };
    for (const auto& page : pages) {
        lobby.LoadPageEventMap(page.panel);
        ASSERT_NE(lobby.eventMap, nullptr) << page.panel->name;
        lobby.SetMousePosition(0, 0);
        run.Fire(page.panel, page.next, -1);
        const uint32_t first = PointerOf(lobby);
        EXPECT_NE(first, 0u) << page.panel->name;
        run.Fire(page.panel, page.next, -1);
        const uint32_t second = PointerOf(lobby);
        EXPECT_NE(second, first) << page.panel->name;
        run.Fire(page.panel, page.previous, -1);
        EXPECT_EQ(PointerOf(lobby), first) << page.panel->name;
        EXPECT_EQ(lobby.nextPanel, nullptr) << page.panel->name;   // a walk never leaves the page
    }
}

// The keys of the pilot and session lists: Backspace drops the choice, the
// arrows move the pointer a line within the list, the page keys and the
// page's own arrow buttons scroll a page the way their names say.
TEST(NetLobbyScreenTest, ListKeysAndArrowsWalkThePilotAndSessionLists) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    for (int32_t i = 0; i < 40; ++i) lobby.AddGame(8, 1, ("Game " + std::to_string(i)).c_str());
    auto* const pilots = dynamic_cast<ListBox*>(lobby.pilotSelectPanel->FindControl("PilotList"));
    ASSERT_NE(pilots, nullptr);
    pilots->StartOver();
    for (int32_t i = 0; i < 40; ++i) pilots->AddLine(("Pilot " + std::to_string(i)).c_str());

    const struct {
        ArtObject* panel;
        const char* list;
        uint32_t listSpot, click, clear, lineUp, lineDown, pageBack, pageForward, up, down;
    } lists[] = {
        {lobby.pilotSelectPanel, "PilotList", Lobby::kSelList, Lobby::kSelClick, Lobby::kSelClear, Lobby::kSelLineUp,
         Lobby::kSelLineDown, Lobby::kSelPageBack, Lobby::kSelPageForward, Lobby::kSelUp, Lobby::kSelDown},
        {lobby.sessionPanel, "GameList", Lobby::kSesList, Lobby::kSesClick, Lobby::kSesClear, Lobby::kSesLineUp,
         Lobby::kSesLineDown, Lobby::kSesPageBack, Lobby::kSesPageForward, Lobby::kSesUp, Lobby::kSesDown},
    };
    for (const auto& entry : lists) {
        auto* const list = dynamic_cast<ListBox*>(entry.panel->FindControl(entry.list));
        ASSERT_NE(list, nullptr) << entry.list;
        lobby.LoadPageEventMap(entry.panel);
        const auto top = [list] { return TopAfterScroll(*list); };
        const int32_t x = list->position.screenX + 10;
        const int32_t y = list->position.screenY + list->height / 2;

        lobby.SetMousePosition(int16_t(x), int16_t(y));
        run.Fire(entry.panel, entry.lineDown, -1);
        const uint32_t lower = PointerOf(lobby);
        EXPECT_GT(lower & 0xffff, uint32_t(y)) << entry.list;
        EXPECT_EQ(lower >> 16, uint32_t(x)) << entry.list;
        run.Fire(entry.panel, entry.lineUp, -1);
        EXPECT_EQ(PointerOf(lobby) & 0xffff, uint32_t(y)) << entry.list;
        // At the list's top edge the pointer goes no higher.
        lobby.SetMousePosition(int16_t(x), int16_t(list->position.screenY + 1));
        run.Fire(entry.panel, entry.lineUp, -1);
        EXPECT_EQ(PointerOf(lobby) & 0xffff, uint32_t(list->position.screenY + 1)) << entry.list;

        lobby.SetMousePosition(int16_t(x), int16_t(y));
        run.Fire(entry.panel, entry.listSpot, int32_t(entry.click));
        ASSERT_GE(list->GetSelection(), 0) << entry.list;
        run.Fire(entry.panel, entry.clear, -1);
        EXPECT_LT(list->GetSelection(), 0) << entry.list;

        ASSERT_EQ(top(), 0) << entry.list;
        run.Fire(entry.panel, entry.pageForward, -1);
        const int32_t page = top();
        EXPECT_GT(page, 0) << entry.list;
        run.Fire(entry.panel, entry.pageBack, -1);
        EXPECT_EQ(top(), 0) << entry.list;
        run.Fire(entry.panel, entry.down, int32_t(entry.click));
        EXPECT_EQ(top(), page) << entry.list;
        run.Fire(entry.panel, entry.up, int32_t(entry.click));
        EXPECT_EQ(top(), 0) << entry.list;
        // Only hovered, an arrow scrolls nothing.
        run.Fire(entry.panel, entry.down, -1);
        EXPECT_EQ(top(), 0) << entry.list;
    }
}

// The team page's list and arrows, the team creation's logo arrows (left
// goes back through the logos, as on the pilot's page) and its name spot, a
// team joined in a death match, Cancel on the game type, and the front
// menu's Exit that ends the game.
TEST(NetLobbyScreenTest, TeamPagesGameTypeCancelAndTheFrontMenusExit) {
    LobbyRun run;
    Lobby& lobby = run.lobby;
    GameState& game = run.harness.Game();
    auto* const teams = dynamic_cast<ListBox*>(lobby.teamPanel->FindControl("TeamList"));
    ASSERT_NE(teams, nullptr);
    teams->StartOver();
    for (int32_t i = 0; i < 40; ++i) teams->AddLine(("Team " + std::to_string(i)).c_str());
    run.Fire(lobby.teamPanel, Lobby::kTeamForward, Lobby::kTeamClick);
    EXPECT_GT(TopAfterScroll(*teams), 0);
    run.Fire(lobby.teamPanel, Lobby::kTeamBack, Lobby::kTeamClick);
    EXPECT_EQ(TopAfterScroll(*teams), 0);

    ArtObject* const create = lobby.teamCreatePanel;
    const int32_t logo = run.Picture(create, "Logos");
    run.Fire(create, Lobby::kTcLogoRight, Lobby::kTcClick);
    EXPECT_EQ(run.Picture(create, "Logos"), logo + 1);
    run.Fire(create, Lobby::kTcLogoLeft, Lobby::kTcClick);
    EXPECT_EQ(run.Picture(create, "Logos"), logo);
    run.Fire(create, Lobby::kTcLogoLeft, Lobby::kTcClick);   // back past the first logo: the last
    EXPECT_GT(run.Picture(create, "Logos"), logo + 1);
    EXPECT_EQ(run.Fire(create, Lobby::kTcName, Lobby::kTcClick), 1);
    EXPECT_EQ(lobby.nextPanel, nullptr);

    // Cancel on the game type's choice goes back to the connections.
    run.Fire(lobby.createPanel, Lobby::kGameCancel, Lobby::kGameClick);
    EXPECT_EQ(lobby.nextPanel, lobby.joinPanel);

    // A team joined in a game that is no cooperative one goes straight to the hangar.
    game.netSettings = new NetGameSettings();
    game.netSettings->gameType = NetGameSettings::kDeathMatchTeams;
    teams->SetSelection(1);
    EXPECT_EQ(run.Fire(lobby.teamPanel, Lobby::kTeamJoin, Lobby::kTeamClick), 0);
    EXPECT_EQ(game.career->teamIndex, 1);
    EXPECT_EQ(game.mode, GameState::kModeScreens);
    ASSERT_NE(game.nextScreenName, nullptr);
    EXPECT_STREQ(game.nextScreenName, "HANGAR");

    EXPECT_EQ(run.Fire(lobby.mainPanel, Lobby::kMenuExit, -1), 1);   // only hovered
    EXPECT_NE(game.mode, GameState::kModeQuit);
    EXPECT_EQ(run.Fire(lobby.mainPanel, Lobby::kMenuExit, Lobby::kMenuClick), 0);
    EXPECT_EQ(game.mode, GameState::kModeQuit);
    EXPECT_EQ(game.nextScreen, nullptr);
}
