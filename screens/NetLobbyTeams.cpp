// The teams of a team game: one chosen from the host's list or made, and
// the updates that tell the other machines who is in which.
#include <algorithm>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/DrawString.h"
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
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBlock.h"

using namespace net_lobby;

void NetLobbyScreen::SendUpdateTeam(const char* playerName, const char* teamName, int32_t team, int32_t logo,
                                    int32_t ready) {
    NetSession* const session = Game() != nullptr ? Game()->netSession : nullptr;
    if (session == nullptr) return;
    NetPacket update;
    update.BuildUpdateTeam(kUpdateTeam, playerName, teamName, team, logo, ready);
    if (update.GetData() == nullptr) return;
    if (session->IsHost()) {
        session->SendToAll(session->serverDpid, update.GetData(), update.GetSize());
    } else {
        session->Send(session->ownDpid, session->serverDpid, update.GetData(), update.GetSize());
    }
}

int32_t NetLobbyScreen::EnterTeamGame() {
    GameState* const game = Game();
    if (game->netSettings != nullptr && game->netSettings->gameType == NetGameSettings::kCooperativeTeams) {
        SwitchTo(waitPanel);
        SetTextInputBuffer(kChatTextBytes);
        game->mode = GameState::kModeLobbyWait;
        return 1;
    }
    game->SelectNextScreen(ScreenSlot::kHangar);
    game->mode = GameState::kModeScreens;
    SwitchTo(nullptr);
    return 0;
}

void NetLobbyScreen::FillTeamList() {
    auto* const list = Find<ListBox>(teamPanel, kTeamList);
    const GameState* const game = Game();
    if (list == nullptr || game == nullptr || game->netSettings == nullptr) return;
    const NetGameSettings& settings = *game->netSettings;
    std::vector<std::string> names;
    for (int32_t team = 0; team < std::min(settings.teamCount, kMaxTeams); ++team) {
        names.emplace_back(settings.teams[team].name != nullptr ? settings.teams[team].name : "");
    }
    // A team made while the list shows joins it; the line chosen stays chosen.
    const TextBlock* const block = list->GetBlock(list->currentBlock);
    if (block != nullptr && block->lines == names) return;
    const int32_t chosen = list->GetSelection();
    list->Clear();
    list->SetText("");
    for (const std::string& name : names) list->AddLine(name.c_str());
    if (chosen >= 0 && chosen < int32_t(names.size())) list->SetSelection(chosen);
}

void NetLobbyScreen::ShowTeamNotice() {
    // A notice given on the way to the team list waits for it.
    if (currentPanel != teamPanel && nextPanel != teamPanel) teamNotice_.clear();
    if (currentPanel == teamPanel && !teamNotice_.empty()) DrawString(teamNotice_.c_str(), 253, 400, 0);
}

void NetLobbyScreen::TellTeamNotice(const char* text) {
    teamNotice_ = text;
    if (noticeShown != nullptr) noticeShown(text);
}

const char* NetLobbyScreen::OwnPilotName() const {
    const GameState* const game = Game();
    const NetSession* const session = game != nullptr ? game->netSession : nullptr;
    const char* const entry = session != nullptr ? session->GetPlayerName(session->FindPlayerByDpid(session->ownDpid)) : nullptr;
    if (entry != nullptr && entry[0] != 0) return entry;
    return game != nullptr && game->career != nullptr ? game->career->GetPilotName() : "";
}

void NetLobbyScreen::HearOwnTeam(int32_t team) {
    GameState* const game = Game();
    if (askedTeam_ < 0 || team != askedTeam_ || game == nullptr || game->career == nullptr) return;
    askedTeam_ = -1;
    game->career->teamIndex = team;
    // Heard in the network pass, after the pass's events: a way into the
    // hangar ends the run here.
    if (EnterTeamGame() == 0) SetRunning(0);
}

void NetLobbyScreen::HearTeamNotMade() {
    GameState* const game = Game();
    if (askedTeam_ < 0) return;
    askedTeam_ = -1;
    if (game != nullptr && game->career != nullptr) game->career->teamIndex = -1;
    TellTeamNotice(kTeamNotMade);
    savedPanel = nullptr;
    FillTeamList();
    SwitchTo(teamPanel);
}

int32_t NetLobbyScreen::HandleTeam(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    ListBox* const list = Find<ListBox>(teamPanel, kTeamList);
    switch (event) {
        case kTeamJoin: {
            if (!Hotspot(code, teamPanel, "Join Team", "JOIN_TEAM", kTeamClick, kTeamHelp, kSoundClick)) return 1;
            const int32_t line = list != nullptr ? list->GetSelection() : -1;
            if (line < 0 || game == nullptr || game->career == nullptr) return 1;
            game->career->teamIndex = line;
            // A host whose team was not made picks one here: its own word is the game's.
            NetSession* const session = game->netSession;
            if (session != nullptr && session->IsHost()) session->SetPlayerTeam(session->FindPlayerByDpid(session->ownDpid), line);
            SendUpdateTeam(OwnPilotName(), kTeamRecordName, line, -1, game->career->ready);
            return EnterTeamGame();
        }
        case kTeamCancel:
            if (!Hotspot(code, teamPanel, "Cancel", "ABORT", kTeamClick, kTeamHelp, kSoundClick)) return 1;
            EmptyBox(teamPanel, kTeamList);
            // Out of the joined game, back to the games on the connection,
            // that one among them.
            ForgetGame();
            DropLink();
            ListGames();
            return 1;
        case kTeamCreate: {
            const bool full = game != nullptr && game->netSettings != nullptr && game->netSettings->teamCount >= kMaxTeams;
            if (!Hotspot(code, teamPanel, "Create Team", full ? nullptr : "CREATE_TEAM", kTeamClick, kTeamHelp, -1)) {
                return 1;
            }
            if (full) {
                teamNotice_ = kTwoTeamsOnly;
                if (noticeShown != nullptr) noticeShown(kTwoTeamsOnly);
                return 1;
            }
            Play(kSoundClick);
            savedPanel = teamPanel;
            SwitchTo(teamCreatePanel);
            SetTextInputBuffer(kTeamNameBytes);
            return 1;
        }
        case kTeamLines:
            if (list != nullptr && edgeEvents.TestEvent(EventKey(kTeamClick))) {
                Play(kSoundHover);
                uint16_t x = 0, y = 0;
                if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
                list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, FrameRect::kNoFrame));
            }
            return 1;
        case kTeamForward:
        case kTeamBack:
            if (Hotspot(code, teamPanel, nullptr, nullptr, kTeamClick, kTeamHelp, kSoundArrows) && list != nullptr) {
                if (event == kTeamForward) {
                    list->PageDown();
                } else {
                    list->PageUp();
                }
            }
            return 1;
        case kTeamFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kTeamFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

int32_t NetLobbyScreen::CreateTeam() {
    GameState* const game = Game();
    const auto* const field = Find<EditField>(teamCreatePanel, kTeamName);
    if (game == nullptr || game->netSettings == nullptr || game->career == nullptr || field == nullptr) return 1;
    const std::string typed = field->GetText();
    if (typed.size() < 2 || askedTeam_ >= 0) return 1;
    const std::string name = typed.substr(0, kTeamNameBytes - 1);
    NetGameSettings& settings = *game->netSettings;
    const auto* const picture = Find<FacePicture>(teamCreatePanel, kLogos);
    const uint32_t logo = picture != nullptr && picture->Index() >= FacePicture::kFirstLogo
                              ? uint32_t(picture->Index() - FacePicture::kFirstLogo)
                              : 0;
    const int32_t team = settings.teamCount;
    NetSession* const session = game->netSession;
    if (session != nullptr && session->IsActive() && !session->IsHost()) {
        // The host makes a member's team, and puts the member in it, if the
        // place is still free when the word arrives, and tells it either
        // way; so a member asks even when another's team came first.
        askedTeam_ = std::min(team, kMaxTeams - 1);
        SendUpdateTeam(kTeamRecordName, name.c_str(), askedTeam_, int32_t(logo), -1);
        return 1;
    }
    // Another's team may have taken the last place while the name was
    // typed: nobody's team is renamed, nor anybody put in another's.
    if (team >= kMaxTeams) {
        TellTeamNotice(kTeamNotMade);
        savedPanel = nullptr;
        FillTeamList();
        SwitchTo(teamPanel);
        return 1;
    }
    ++settings.teamCount;
    game->career->teamIndex = team;
    settings.SetTeamName(team, name.c_str());
    settings.teams[team].logo = logo;
    if (session != nullptr && session->IsHost()) session->SetPlayerTeam(session->FindPlayerByDpid(session->ownDpid), team);
    SendUpdateTeam(kTeamRecordName, name.c_str(), team, int32_t(logo), -1);
    SendUpdateTeam(OwnPilotName(), kTeamRecordName, team, -1, game->career->ready);
    return EnterTeamGame();
}

void NetLobbyScreen::LeaveTeamCreation() {
    GameState* const game = Game();
    // A word of the host's on a team asked for finds the lobby no longer waiting.
    askedTeam_ = -1;
    const NetSession* const session = game != nullptr ? game->netSession : nullptr;
    // A client is still in the game it joined: back to choosing among its teams.
    if (session != nullptr && session->IsActive() && !session->IsHost()) {
        savedPanel = nullptr;
        FillTeamList();
        SwitchTo(teamPanel);
        return;
    }
    // A host gives up the game it set up.
    if (session != nullptr) {
        ForgetGame();
        DropLink();
    }
    // A host from the cooperative set-up starts that over; a path that
    // remembered no panel goes back to the create-or-join choice.
    ArtObject* back = savedPanel != nullptr ? savedPanel : multiPanel;
    if (back == coopPanel) back = createPanel;
    savedPanel = nullptr;
    EmptyBox(sessionPanel, kGameList);
    EmptyBox(teamPanel, kTeamList);
    SwitchTo(back);
}

int32_t NetLobbyScreen::HandleTeamCreate(uint16_t code, uint32_t event) {
    auto* const logo = Find<FacePicture>(teamCreatePanel, kLogos);
    switch (event) {
        case kTcLogoLeft:
        case kTcLogoRight:
            if (Hotspot(code, teamCreatePanel, event == kTcLogoLeft ? "Logo left" : "Logo right",
                        event == kTcLogoLeft ? "TEAM_LOGO_LEFT" : "TEAM_LOGO_RIGHT", kTcClick, kTcHelp, kSoundArrows) &&
                logo != nullptr) {
                if (event == kTcLogoLeft) {
                    logo->Previous();
                } else {
                    logo->Next();
                }
            }
            return 1;
        case kTcName:
            Hotspot(code, teamCreatePanel, "Team name", "TEAM_NAME", kTcClick, kTcHelp, -1);
            return 1;
        case kTcAccept:
            if (!Hotspot(code, teamCreatePanel, "Accept", "TEAM_ACCEPT", kTcClick, kTcHelp, kSoundAccept)) return 1;
            return CreateTeam();
        case kTcCancel:
            if (Hotspot(code, teamCreatePanel, "Cancel", "TEAM_BACK", kTcClick, kTcHelp, kSoundClick)) LeaveTeamCreation();
            return 1;
        case kTcFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kTcFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}
