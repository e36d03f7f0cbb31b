// The waiting room of a cooperative game: the players' table with their
// teams and readiness, the chat, the start and the way out.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "game/TextInput.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "screens/NetLobbyScreen.h"
#include "screens/NetLobbyShared.h"
#include "ui/EditField.h"
#include "ui/TextBox.h"

using namespace net_lobby;

namespace {
std::string SlotName(int32_t slot, const char* what) {
    char name[32];
    std::snprintf(name, sizeof name, what, slot);
    return name;
}
bool Typing() { return g_textInput != nullptr && g_textInput[0] != '\0'; }
}  // namespace

void NetLobbyScreen::AddChatLine(const char* text) {
    if (chatLineAdded != nullptr) chatLineAdded(text != nullptr ? text : "");
    TextBox* const box = Find<TextBox>(waitPanel, kChatBox);
    if (box == nullptr) return;
    TextBlock* const block = box->GetBlock(box->currentBlock);
    if (block != nullptr) {
        box->AddLine(text != nullptr ? text : "");
        if (block->LineCount() > kChatLineLimit) {
            block->lines.erase(block->lines.begin(), block->lines.end() - kChatLineLimit);
            if (block->lineColours.size() > block->lines.size()) block->lineColours.clear();
            block->selection = -1;
        }
        if (block->topLine < 0) block->topLine = 0;
    }
    box->ScrollToEnd();
}

bool NetLobbyScreen::AllTeamPlayersReady() const {
    const GameState* const game = Game();
    if (game == nullptr || game->netSettings == nullptr) return false;
    const uint32_t type = game->netSettings->gameType;
    if (type != NetGameSettings::kCooperative && type != NetGameSettings::kCooperativeTeams) return false;
    const NetSession* const session = game->netSession;
    if (session == nullptr) return true;
    for (int32_t i = 0; i < session->GetPlayerSlotCount(); ++i) {
        const NetPlayer* const player = session->Player(i);
        if (player != nullptr && player->inUse != 0 && player->ready == 0) return false;
    }
    return true;
}

void NetLobbyScreen::ToggleReady(uint32_t event, bool clear) {
    GameState* const game = Game();
    const int32_t slot = int32_t(event - kWaitFirstSlot) + 1;
    // The row is ours when the session's player in it is: the row's box
    // shows the name wrapped to its width, which a long name does not fit.
    NetSession* const session = game != nullptr ? game->netSession : nullptr;
    const NetPlayer* const player = session != nullptr ? session->EditPlayer(slot - 1) : nullptr;
    const char* const name = player != nullptr && player->inUse != 0 ? session->GetPlayerName(slot - 1) : nullptr;
    if (game == nullptr || game->career == nullptr || name == nullptr || std::strcmp(name, OwnPilotName()) != 0) {
        return;
    }
    Play(kSoundClick);
    game->career->ready = clear ? 0 : game->career->ready == 0 ? 1 : 0;
    if (UiControl* const picture = waitPanel->FindControl(SlotName(slot, "Player %d ready").c_str())) {
        picture->SetVisible(game->career->ready != 0 ? 1 : 0);
    }
}

void NetLobbyScreen::SendChat() {
    GameState* const game = Game();
    if (Typing() && edgeEvents.TestEvent(EventKey(kWaitSendChat)) && game != nullptr && game->career != nullptr) {
        // Under the name the others know the pilot by.
        const char* const pilot = OwnPilotName();
        chatLine = std::string(pilot) + " : " + g_textInput;
        NetSession* const session = game->netSession;
        if (session != nullptr && session->IsActive()) {
            NetPacket message;
            message.BuildMessage(kMessage, "ALL", pilot, chatLine.c_str(), 0);
            if (message.GetData() != nullptr) {
                if (session->IsHost()) {
                    session->SendToAll(session->serverDpid, message.GetData(), message.GetSize());
                } else {
                    session->Send(session->ownDpid, session->serverDpid, message.GetData(), message.GetSize());
                }
            }
        }
        // A client sees its line when the host relays it.
        if (session == nullptr || session->IsHost()) AddChatLine(chatLine.c_str());
    }
    SetTextInputBuffer(kChatTextBytes);
}

void NetLobbyScreen::LeaveRoom() {
    GameState* const game = Game();
    Play(kSoundClick);
    // Host or client, the game is given up: its settings go with it.
    ForgetGame();
    if (game != nullptr && game->netSession != nullptr) game->netSession->Close();
    SwitchTo(multiPanel);
    EmptyBox(sessionPanel, kGameList);
    EmptyBox(teamPanel, kTeamList);
}

int32_t NetLobbyScreen::HandleWait(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    if (event >= kWaitFirstSlot && event <= kWaitLastSlot) {
        if (edgeEvents.TestEvent(EventKey(kWaitClick))) {
            ToggleReady(event, false);
        } else if (edgeEvents.TestEvent(EventKey(kWaitClearReady))) {
            ToggleReady(event, true);
        }
        return 1;
    }
    switch (event) {
        case kWaitCancel:
            if (Typing() || !Hotspot(code, waitPanel, "Cancel", "WAIT_CANCEL", kWaitClick, kWaitHelp, -1)) return 1;
            LeaveRoom();
            return 1;
        case kWaitStart:
            if (Typing() || !Hotspot(code, waitPanel, "Start Button", "WAIT_START", kWaitClick, kWaitHelp, kSoundClick)) {
                return 1;
            }
            if (game == nullptr || game->netSession == nullptr || !game->netSession->IsHost() || !AllTeamPlayersReady()) {
                return 1;
            }
            game->SelectNextScreen(ScreenSlot::kHangar);
            game->mode = GameState::kModeScreens;
            SwitchTo(nullptr);
            return 0;
        case kWaitChatUp:
        case kWaitChatDown:
            if (Hotspot(code, waitPanel, event == kWaitChatUp ? "Chat Scroll Up" : "Chat Scroll Down", nullptr, kWaitClick,
                        kWaitHelp, kSoundArrows)) {
                if (auto* const box = Find<TextBox>(waitPanel, kChatBox)) {
                    if (event == kWaitChatUp) {
                        box->PageUp();
                    } else {
                        box->PageDown();
                    }
                }
            }
            return 1;
        case kWaitSendChat:
            SendChat();
            return 1;
        case kWaitFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kWaitFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

void NetLobbyScreen::TellRow(int32_t row, const char* pilot, const char* team) {
    const std::string shown = std::string(pilot != nullptr ? pilot : "") + '\n' + (team != nullptr ? team : "");
    if (shownRows_[row] == shown) return;
    shownRows_[row] = shown;
    if (teamRowShown != nullptr && pilot != nullptr && pilot[0] != 0 && team != nullptr && team[0] != 0) {
        teamRowShown(pilot, team);
    }
}

void NetLobbyScreen::UpdateRoom() {
    GameState* const game = Game();
    if (currentPanel != waitPanel || game == nullptr || game->netSettings == nullptr) return;
    const NetGameSettings& settings = *game->netSettings;
    NetSession* const session = game->netSession;
    const bool hosting = session != nullptr && session->IsHost();
    for (int32_t slot = 1; slot <= kWaitRows; ++slot) {
        if (UiControl* const picture = waitPanel->FindControl(SlotName(slot, "Player %d ready").c_str())) {
            picture->SetVisible(0);
        }
    }
    if (UiControl* const start = waitPanel->FindControl("Start Button")) start->SetVisible(hosting ? 1 : 0);
    const bool teams = settings.gameType == NetGameSettings::kCooperativeTeams;
    if ((teams || settings.gameType == NetGameSettings::kCooperative) && session != nullptr && game->career != nullptr) {
        for (int32_t i = 0; i < kWaitRows; ++i) {
            const int32_t slot = i + 1;
            TextBox* const nameBox = Find<TextBox>(waitPanel, SlotName(slot, "Player%dName").c_str());
            TextBox* const teamBox = Find<TextBox>(waitPanel, SlotName(slot, "Player%dTeam").c_str());
            if (nameBox == nullptr) continue;
            NetPlayer* const player = session->EditPlayer(i);
            const bool used = player != nullptr && player->inUse != 0;
            const char* const name = used ? session->GetPlayerName(i) : nullptr;
            // A box holds one text block: each pass replaces it.
            nameBox->Clear();
            nameBox->SetText(name != nullptr ? name : "");
            const char* teamName = nullptr;
            if (used) {
                if (name != nullptr && std::strcmp(name, OwnPilotName()) == 0) {
                    player->ready = uint32_t(game->career->ready);
                }
                if (player->ready != 0) {
                    if (UiControl* const picture = waitPanel->FindControl(SlotName(slot, "Player %d ready").c_str())) {
                        picture->SetVisible(1);
                    }
                }
                // Only the teams the settings hold are read.
                if (player->team >= 0 && player->team < std::min(settings.teamCount, kMaxTeams)) {
                    teamName = settings.teams[player->team].name;
                }
            }
            if (teams && teamBox != nullptr) {
                teamBox->Clear();
                teamBox->SetText(teamName != nullptr ? teamName : "");
            }
            if (teams) TellRow(i, name, teamName);
        }
    }
    if (session != nullptr && game->career != nullptr) {
        if (hosting) {
            for (int32_t team = 0; team < std::min(settings.teamCount, kMaxTeams); ++team) {
                SendUpdateTeam(kTeamRecordName, settings.teams[team].name, team, int32_t(settings.teams[team].logo), -1);
            }
            for (int32_t i = 0; i < session->GetPlayerSlotCount(); ++i) {
                const NetPlayer* const player = session->Player(i);
                if (player == nullptr || player->inUse == 0) continue;
                SendUpdateTeam(session->GetPlayerName(i), kTeamRecordName, player->team, -1, int32_t(player->ready));
            }
        } else {
            SendUpdateTeam(OwnPilotName(), "NONE", game->career->teamIndex, -1, game->career->ready);
        }
    }
    if (auto* const typed = Find<EditField>(waitPanel, kTypeBox)) typed->SetText(g_textInput != nullptr ? g_textInput : "");
    if (session != nullptr && !hosting) {
        NetPacket request;
        request.BuildControlPacket(kStateRequest);
        if (request.GetData() != nullptr) {
            session->Send(session->ownDpid, session->serverDpid, request.GetData(), request.GetSize());
        }
    }
}
