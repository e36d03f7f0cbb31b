// The lobby's way into a network game: create or join, the connection's
// provider, the session list and the join that waits for the host's
// settings, and the hosting of a game once it is set up.
#include <cstdio>
#include <string>

#include "display/FontContext.h"
#include "engine/Clock.h"
#include "engine/Saturate.h"
#include "engine/input/InputSystem.h"
#include "game/CareerRecord.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "game/SoftCursor.h"
#include "game/TextInput.h"
#include "mission/Goal.h"
#include "mission/MissionSetUp.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "screens/NetLobbyScreen.h"
#include "screens/NetLobbyShared.h"
#include "ui/ListBox.h"
#include "ui/ScreenRedraw.h"
#include "ui/TextBox.h"

using namespace net_lobby;

namespace {

constexpr const char* kNetworkError = "Network Error";
constexpr const char* kHostFailed = "Cannot host the game.";
constexpr const char* kTimeoutCaption = "Timeout";
constexpr const char* kTimeoutText = "Timeout waiting for 'game_info' from server.";

// Shows a box unless the display forbids them; a box not shown is cancelled.
platform::MessageBoxAnswer Box(const char* text, const char* caption, uint32_t buttons) {
    if (NetLobbyScreen::messageBoxesOff != nullptr && NetLobbyScreen::messageBoxesOff()) {
        return platform::MessageBoxAnswer::kCancel;
    }
    return platform::MessageBox::Current().Show(text, caption, buttons | platform::kMessageBoxIconWarning);
}

}  // namespace

void NetLobbyScreen::AddGame(uint32_t, uint32_t, const char* sessionName) {
    ListBox* const list = Find<ListBox>(sessionPanel, kGameList);
    if (list == nullptr) return;
    if (list->GetBlock(list->currentBlock) != nullptr) {
        list->AddLine(sessionName != nullptr ? sessionName : "");
        TextBlock* const block = list->GetBlock(list->currentBlock);
        if (block->topLine < 0) block->topLine = 0;
    }
    RequestScreenRedraw();
}

void NetLobbyScreen::StartSession() {
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    char sessionName[96];
    std::snprintf(sessionName, sizeof sessionName, kSessionNameFormat, game->career->GetPilotName());
    delete game->netSession;
    game->netSession = new NetSession(sessionName, kMaxPlayers);
}

int32_t NetLobbyScreen::HandleMulti(uint16_t code, uint32_t event) {
    switch (event) {
        case kMultiCreate:
        case kMultiJoin:
            if (!Hotspot(code, multiPanel, event == kMultiCreate ? "Creat B" : "Join",
                         event == kMultiCreate ? "MULTI_CREATE" : "MULTI_JOIN", kMultiClick, kMultiHelp, kSoundClick)) {
                return 1;
            }
            createFlag = event == kMultiCreate ? 1 : 0;
            SwitchTo(joinPanel);
            return 1;
        case kMultiCancel:
            if (Hotspot(code, multiPanel, "Cancel", "MULTI_ABORT", kMultiClick, kMultiHelp, kSoundClick)) {
                SwitchTo(mainPanel);
            }
            return 1;
        case kMultiFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kMultiFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

void NetLobbyScreen::ChooseProvider(const char* keyword, const char* failure) {
    GameState* const game = Game();
    if (game == nullptr || game->netSession == nullptr) return;
    provider = keyword;
    if (game->netSession->SelectServiceProvider(provider.c_str()) == 0) {
        Play(kSoundRefused);
        Box(failure, kNetworkError, platform::kMessageBoxOk);
        return;
    }
    Play(kSoundClick);
    if (createFlag != 0) {
        SwitchTo(createPanel);
        return;
    }
    ListGames();
}

void NetLobbyScreen::ListGames() {
    GameState* const game = Game();
    if (game == nullptr || game->netSession == nullptr) return;
    game->netSession->EnumSessions();
    // The enumeration blocks; the game's own pointer comes back after it,
    // and the system's stays hidden beneath it.
    platform::Window* const window = game->Input() != nullptr ? game->Input()->GetWindow() : nullptr;
    if (game->cursor != nullptr && window != nullptr) {
        game->cursor->Show(*window);
        if (game->cursor->software && game->cursor->visible) {
            while (window->CursorCount() >= 0) window->ShowCursor(false);
        }
    }
    SwitchTo(sessionPanel);
}

void NetLobbyScreen::HandleConnect(uint16_t code, uint32_t event) {
    static constexpr struct {
        const char* button;
        const char* topic;
        const char* keyword;
        const char* failure;
    } kProviders[] = {{"IPX", "IPX", "IPX", "IPX DirectPlay protocol invalid."},
                      {"TCPIP", "TCPIP", "TCP/IP", "TCP/IP DirectPlay protocol invalid."},
                      {"Modem", "MODEM", "Modem", "Modem DirectPlay protocol invalid."},
                      {"Direct Connect", "DIRECT_CONNECT", "Serial", "Serial DirectPlay protocol invalid."}};
    switch (event) {
        case kConnIpx:
        case kConnTcp:
        case kConnModem:
        case kConnSerial: {
            const auto& choice = kProviders[event];
            // The button latches only once the provider is made; a refusal sounds its own.
            if (Hotspot(code, joinPanel, choice.button, choice.topic, kConnClick, kConnHelp, -1)) {
                ChooseProvider(choice.keyword, choice.failure);
            }
            return;
        }
        case kConnCancel:
            if (Hotspot(code, joinPanel, "Cancel", "CONNECTION_ABORT", kConnClick, kConnHelp, kSoundClick)) {
                SwitchTo(multiPanel);
            }
            return;
        case kConnFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return;
        case kConnFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return;
        default: return;
    }
}

void NetLobbyScreen::DropLink() {
    GameState* const game = Game();
    EmptyBox(sessionPanel, kGameList);
    if (game == nullptr || game->netSession == nullptr) return;
    game->netSession->Close();
    game->netSession->SelectServiceProvider(provider.c_str());
}

void NetLobbyScreen::CountGame() {
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    game->career->missions = Saturate32(int64_t(game->career->missions) + 1);
    gameCounted_ = true;
}

void NetLobbyScreen::ForgetGame() {
    GameState* const game = Game();
    if (game == nullptr) return;
    delete game->netSettings;
    game->netSettings = nullptr;
    if (gameCounted_ && game->career != nullptr && game->career->missions > 0) --game->career->missions;
    gameCounted_ = false;
    for (std::string& row : shownRows_) row.clear();
    // Out of the waiting room the lobby is an option screen again.
    if (game->mode == GameState::kModeLobbyWait) game->mode = GameState::kModeScreens;
}

bool NetLobbyScreen::AwaitGameInfo() {
    GameState* const game = Game();
    int32_t waits = 0;
    while (game->netSettings == nullptr) {
        if (waits >= kGameInfoWaits) {
            if (Box(kTimeoutText, kTimeoutCaption, platform::kMessageBoxRetryCancel) != platform::MessageBoxAnswer::kRetry) {
                return false;
            }
            waits = 0;
        }
        // No redraw meanwhile: the host's answer is all that matters.
        const uint32_t start = GetMilliseconds();
        while (GetMilliseconds() - start < kGameInfoWaitMs) {
        }
        ++waits;
        game->NetReceive();
        game->NetSend();
        if (game->netSettings == nullptr && game->netSession != nullptr) {
            NetPacket request;
            request.BuildControlPacket(kGameInfoRequest);
            if (request.GetData() != nullptr) {
                game->netSession->Send(game->netSession->ownDpid, game->netSession->serverDpid, request.GetData(),
                                       request.GetSize());
            }
        }
    }
    return true;
}

int32_t NetLobbyScreen::JoinSelected() {
    GameState* const game = Game();
    ListBox* const list = Find<ListBox>(sessionPanel, kGameList);
    SwitchTo(multiPanel);
    if (game == nullptr || game->netSession == nullptr || list == nullptr) return 1;
    const int32_t line = list->GetSelection();
    const TextBlock* const block = list->GetBlock(list->currentBlock);
    if (line < 0 || block == nullptr || line >= block->LineCount()) return 1;
    const std::string name = block->lines[size_t(line)];
    if (game->netSession->JoinGame(name.c_str()) == 0) return 1;
    g_netGameLaunched = 1;
    FillRequisitionCatalogue();
    // The career's selected ship flies into the game.
    game->launchFromBase = 1;
    SetUpMission("", -1);
    if (!AwaitGameInfo()) {
        DropLink();
        return 1;
    }
    LinkGoals(1);
    // A network game is counted once, here; settling its flight leaves the count alone.
    CountGame();
    const uint32_t type = game->netSettings->gameType;
    if (type >= 2 && type <= 4) {
        SwitchTo(teamPanel);
        EmptyBox(teamPanel, kTeamList);
        FillTeamList();
        return 1;
    }
    if (type == NetGameSettings::kCooperative) {
        SwitchTo(waitPanel);
        SetTextInputBuffer(28);
        game->mode = GameState::kModeLobbyWait;
        return 1;
    }
    g_netGameLaunched = 1;
    game->SelectNextScreen(ScreenSlot::kHangar);
    game->mode = GameState::kModeScreens;
    SwitchTo(nullptr);
    return 0;
}

int32_t NetLobbyScreen::HandleSessions(uint16_t code, uint32_t event) {
    ListBox* const list = Find<ListBox>(sessionPanel, kGameList);
    switch (event) {
        case kSesAccept:
            if (!Hotspot(code, sessionPanel, "Accept", "CHOOSE_GAME_ACCEPT", kSesClick, kSesHelp, kSoundAccept)) return 1;
            return JoinSelected();
        case kSesCancel:
            if (!Hotspot(code, sessionPanel, "Cancel", "CHOOSE_GAME_ABORT", kSesClick, kSesHelp, kSoundClick)) return 1;
            EmptyBox(sessionPanel, kGameList);
            SwitchTo(joinPanel);
            return 1;
        case kSesList:
            if (list != nullptr && edgeEvents.TestEvent(EventKey(kSesClick))) {
                Play(kSoundHover);
                uint16_t x = 0, y = 0;
                if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
                list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, FrameRect::kNoFrame));
            }
            return 1;
        case kSesClear:
            if (list != nullptr && edgeEvents.TestEvent(code)) list->ClearSelection();
            return 1;
        case kSesLineUp:
            if (list != nullptr && edgeEvents.TestEvent(code)) FocusLineUp(*list);
            return 1;
        case kSesLineDown:
            if (list != nullptr && edgeEvents.TestEvent(code)) FocusLineDown(*list);
            return 1;
        case kSesPageBack:
            if (list != nullptr && edgeEvents.TestEvent(code)) list->PageUp();
            return 1;
        case kSesPageForward:
            if (list != nullptr && edgeEvents.TestEvent(code)) list->PageDown();
            return 1;
        case kSesUp:
        case kSesDown:
            if (Hotspot(code, sessionPanel, event == kSesUp ? "Up Button" : "Down Button", nullptr, kSesClick, kSesHelp,
                        kSoundArrows) &&
                list != nullptr) {
                if (event == kSesUp) {
                    list->PageUp();
                } else {
                    list->PageDown();
                }
            }
            return 1;
        case kSesFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kSesFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

void NetLobbyScreen::HostPending() {
    GameState* const game = Game();
    if (pendingMission.empty() || game == nullptr) return;
    SelectFont(TextBox::kFontName);
    DrawString("Uploading Mission Data", 320, 360, 0);
    game->FlipFrame();
    game->launchFromBase = 1;
    SetUpMission(pendingMission.c_str(), -1);
    pendingMission.clear();
    if (game->netSession == nullptr || game->netSession->HostGame() == 0) {
        // Nobody could join the game: back to the choice, the lobby still running.
        Box(kHostFailed, kNetworkError, platform::kMessageBoxOk);
        delete game->netSettings;
        game->netSettings = nullptr;
        g_netGameLaunched = 0;
        game->mode = GameState::kModeScreens;
        SetRunning(1);
        SwitchTo(multiPanel);
        return;
    }
    // A network game is counted once, here; settling its flight leaves the count alone.
    CountGame();
}
