#include "screens/NetLobbyScreen.h"

#include <string>
#include <utility>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "game/TextInput.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetSession.h"
#include "screens/NetLobbyShared.h"
#include "screens/rooms/RoomScreen.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EditField.h"
#include "ui/FacePicture.h"
#include "ui/HotspotFocus.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

using namespace net_lobby;

namespace {

constexpr uint32_t kArtForm = MakeTag("OPTI");
constexpr uint32_t kBackgroundForm = MakeTag("BKGR");
constexpr uint32_t kSection = MakeTag("NETO");

// The lobby sounds as a room does, without doors: its loop, and its one
// ambient sound every 8 to 16 seconds.
constexpr int32_t kLobbyLoop = 57;
constexpr int32_t kLobbyAmbience = 38;
constexpr RoomScreen::Scheme kLobbySounds = {
    kSection, false, 1, false, false, false, kLobbyLoop, kLobbyAmbience, 1, 8000, 8000, 0, 0, {}, {}, {}};

constexpr int32_t kWaitRowTops[NetLobbyScreen::kWaitRows] = {158, 173, 187, 201, 215, 229, 243, 257};

NetLobbyScreen* g_lobby = nullptr;

FrameRect At(int32_t x, int32_t y) { return FrameRect::Init(x, y, FrameRect::kNoFrame); }

template <typename T>
T* Make(int32_t width, int32_t height, int32_t x, int32_t y, const char* name) {
    return new T(width, height, At(x, y), At(x, y), At(x, y), FrameRect::kNoFrame, 0, name);
}

// The event a code stands for; -1 for none.
int32_t EventOf(uint16_t code) {
    for (uint32_t event = 0; event <= InputEventMap::kMaxEvent; ++event) {
        if (EventKey(event) == code) return int32_t(event);
    }
    return -1;
}

void FoundGame(uint32_t maxPlayers, uint32_t currentPlayers, const char* name) {
    if (g_lobby != nullptr) g_lobby->AddGame(maxPlayers, currentPlayers, name);
}

void ChatLine(const char* text) {
    if (g_lobby != nullptr) g_lobby->AddChatLine(text);
}

void StopRun() {
    if (g_lobby != nullptr) g_lobby->SetRunning(0);
}

void OwnTeam(int32_t team) {
    if (g_lobby != nullptr) g_lobby->HearOwnTeam(team);
}

void TeamNotMade() {
    if (g_lobby != nullptr) g_lobby->HearTeamNotMade();
}

}  // namespace

NetLobbyScreen::NetLobbyScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject("nomain", 0);
    multiPanel = new ArtObject("multiplayer", 0);
    teamPanel = new ArtObject("team", 0);
    teamCreatePanel = new ArtObject("teamcre", 0);
    sessionPanel = new ArtObject("ipx", 0);
    joinPanel = new ArtObject("join", 0);
    createPanel = new ArtObject("create", 0);
    deathPanel = new ArtObject("death_type", 0);
    coopPanel = new ArtObject("coop", 0);
    pilotCreatePanel = new ArtObject("char_create", 0);
    pilotSelectPanel = new ArtObject("char_select", 0);
    waitPanel = new ArtObject("wait", 0);
    for (ArtObject* const panel : {mainPanel, multiPanel, teamPanel, teamCreatePanel, sessionPanel, joinPanel,
                                   createPanel, deathPanel, coopPanel, pilotCreatePanel, pilotSelectPanel, waitPanel}) {
        artObjects.Append(panel);
    }
    continuousRedraw = 1;

    teamPanel->AddControl(Make<ListBox>(175, 200, 243, 323, kTeamList));
    auto* const teamName = Make<EditField>(230, 22, 238, 346, kTeamName);
    teamName->ToggleActive();
    teamCreatePanel->AddControl(teamName);
    auto* const teamLogo = new FacePicture(At(438, 314), FacePicture::kLogos, kLogos);
    teamLogo->SelectByIndex(FacePicture::kFirstLogo);
    teamCreatePanel->AddControl(teamLogo);
    sessionPanel->AddControl(Make<ListBox>(260, 100, 243, 322, kGameList));
    deathPanel->AddControl(Make<TextBox>(300, 100, 242, 322, kDescription));
    coopPanel->AddControl(Make<TextBox>(300, 100, 242, 322, kDescription));
    coopPanel->AddControl(Make<TextBox>(100, 14, 425, 246, kPayment));
    pilotCreatePanel->AddControl(Make<EditField>(160, 15, 297, 136, kNameBox));
    pilotCreatePanel->AddControl(Make<EditField>(160, 15, 297, 165, kCallsignBox));
    auto* const createFace = new FacePicture(At(484, 134), FacePicture::kFaces, kFaces);
    createFace->SelectByIndex(0);
    pilotCreatePanel->AddControl(createFace);
    auto* const createLogo = new FacePicture(At(484, 252), FacePicture::kLogos, kLogos);
    createLogo->SelectByIndex(FacePicture::kFirstLogo);
    pilotCreatePanel->AddControl(createLogo);
    pilotSelectPanel->AddControl(Make<TextBox>(160, 15, 297, 136, kNameText));
    pilotSelectPanel->AddControl(Make<TextBox>(160, 15, 297, 165, kCallsignText));
    pilotSelectPanel->AddControl(Make<TextBox>(140, 20, 297, 194, kMissionsText));
    pilotSelectPanel->AddControl(Make<TextBox>(140, 20, 297, 223, kKillsText));
    pilotSelectPanel->AddControl(Make<ListBox>(90, 275, 32, 73, kPilotList));
    pilotSelectPanel->AddControl(new FacePicture(At(484, 134), FacePicture::kFaces, kFaces));
    pilotSelectPanel->AddControl(new FacePicture(At(484, 252), FacePicture::kLogos, kLogos));
    for (int32_t row = 0; row < kWaitRows; ++row) {
        const std::string player = "Player" + std::to_string(row + 1);
        waitPanel->AddControl(Make<TextBox>(189, 14, 385, kWaitRowTops[row], (player + "Name").c_str()));
        waitPanel->AddControl(Make<TextBox>(200, 14, 477, kWaitRowTops[row], (player + "Team").c_str()));
    }
    waitPanel->AddControl(Make<TextBox>(100, 14, 477, 243, kTrackNumber));
    waitPanel->AddControl(Make<TextBox>(300, 90, 233, 323, kChatBox));
    waitPanel->AddControl(Make<EditField>(250, 15, 299, 415, kTypeBox));
    for (ArtObject* const panel : artObjects) {
        for (UiControl* const control : panel->controls) {
            if (auto* const box = dynamic_cast<TextBox*>(control)) box->SetText("");
        }
    }

    // The file nests: "OPTI" holds "MENU"; "MENU" holds "CHRS" (holding
    // "CHRC") and "MULT"; "MULT" holds "TMSL", "TMCR", "WAIT", "JOIN"
    // (holding "IPXO") and "CREA" (holding "COOP" and "DETH").
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (!art_file::OpenArt(file, path)) return;
    const auto load = [&file](uint32_t form, ArtObject* panel) {
        file.Rewind(0);
        if (file.FindForm(form) != kStatusOk || file.Descend() != kStatusOk) return false;
        panel->LoadButtons(file);
        return true;
    };
    if (!load(MakeTag("MENU"), mainPanel)) return;
    const uint32_t menuLevel = file.Level();
    if (load(MakeTag("CHRS"), pilotSelectPanel)) {
        if (load(MakeTag("CHRC"), pilotCreatePanel)) file.Ascend();
        file.Ascend();
    }
    art_file::LeaveTo(file, menuLevel);
    if (!load(MakeTag("MULT"), multiPanel)) return;
    const uint32_t multiLevel = file.Level();
    for (const auto& [form, panel] : {std::pair{MakeTag("TMSL"), teamPanel},
                                      {MakeTag("TMCR"), teamCreatePanel},
                                      {MakeTag("WAIT"), waitPanel}}) {
        if (load(form, panel)) file.Ascend();
        art_file::LeaveTo(file, multiLevel);
    }
    if (load(MakeTag("JOIN"), joinPanel)) {
        if (load(MakeTag("IPXO"), sessionPanel)) file.Ascend();
        file.Ascend();
    }
    art_file::LeaveTo(file, multiLevel);
    if (load(MakeTag("CREA"), createPanel)) {
        const uint32_t createLevel = file.Level();
        if (load(MakeTag("COOP"), coopPanel)) file.Ascend();
        art_file::LeaveTo(file, createLevel);
        if (load(MakeTag("DETH"), deathPanel)) file.Ascend();
    }
}

NetLobbyScreen::~NetLobbyScreen() {
    if (g_lobby == this) {
        g_lobby = nullptr;
        NetSession::SetGameFoundListener(nullptr);
        net_handlers::lobbyChatLine = nullptr;
        net_handlers::stopLobby = nullptr;
        net_handlers::ownTeamHeard = nullptr;
        net_handlers::ownTeamNotMade = nullptr;
    }
}

void NetLobbyScreen::LoadBackground() {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path) && file.FindForm(kBackgroundForm) == kStatusOk && file.Descend() == kStatusOk) {
        Screen::LoadBackground(file);
    }
}

void NetLobbyScreen::Open() {
    g_lobby = this;
    NetSession::SetGameFoundListener(FoundGame);
    net_handlers::lobbyChatLine = ChatLine;
    net_handlers::stopLobby = StopRun;
    net_handlers::ownTeamHeard = OwnTeam;
    net_handlers::ownTeamNotMade = TeamNotMade;
    if (currentPanel == nullptr) currentPanel = mainPanel;
    ResetControls();
    provider = kDefaultProvider;
    FillPilotList();
    SetTextInputBuffer(kScreenTextBytes);
    pendingMission.clear();
    LoadBackground();
    if (auto* const scout = Find<BitmapButton>(coopPanel, "Scout")) scout->SetState(BitmapButton::kLatched);
    for (const char* const kind : {"Destroy", "Protect", "Capture"}) {
        if (auto* const button = Find<BitmapButton>(coopPanel, kind)) button->SetState(0);
    }
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    TutorialScreen::OpenOverview(*this, kSection);
}

void NetLobbyScreen::Close() {
    // The lobby's run ends into the game it counted, or the program ends.
    gameCounted_ = false;
    RoomScreen::StopLoop(kLobbySounds);
    MenuScreen::Close();
}

void NetLobbyScreen::EmptyBox(const ArtObject* panel, const char* controlName) {
    if (auto* const box = Find<TextBox>(panel, controlName)) {
        box->Clear();
        box->SetText("");
    }
}

void NetLobbyScreen::ResetControls() {
    for (std::string& row : shownRows_) row.clear();
    askedTeam_ = -1;
    if (auto* const logo = Find<FacePicture>(teamCreatePanel, kLogos)) logo->SelectByIndex(FacePicture::kFirstLogo);
    EmptyBox(teamPanel, kTeamList);
    EmptyBox(coopPanel, kDescription);
    EmptyBox(coopPanel, kPayment);
    EmptyBox(deathPanel, kDescription);
    EmptyBox(sessionPanel, kGameList);
    for (const char* const box : {kNameText, kCallsignText, kMissionsText, kKillsText, kPilotList}) {
        EmptyBox(pilotSelectPanel, box);
    }
    for (ArtObject* const panel : {pilotSelectPanel, pilotCreatePanel}) {
        if (auto* const face = Find<FacePicture>(panel, kFaces)) face->SelectByIndex(0);
        if (auto* const logo = Find<FacePicture>(panel, kLogos)) logo->SelectByIndex(FacePicture::kFirstLogo);
    }
    for (UiControl* const control : waitPanel->controls) {
        if (dynamic_cast<EditField*>(control) != nullptr) continue;
        EmptyBox(waitPanel, control->Name().c_str());
    }
}

const char* NetLobbyScreen::PageOf(const ArtObject* panel) const {
    const struct {
        const ArtObject* panel;
        const char* page;
    } pages[] = {{mainPanel, "netopt"}, {multiPanel, "multi"},       {teamPanel, "cret"},       {teamCreatePanel, "team"},
                 {sessionPanel, "ipx"}, {joinPanel, "connect"},      {createPanel, "cres"},     {deathPanel, "deth"},
                 {coopPanel, "coop"},   {pilotCreatePanel, "cre"},   {pilotSelectPanel, "sel"}, {waitPanel, "wait"}};
    for (const auto& entry : pages) {
        if (entry.panel == panel) return entry.page;
    }
    return nullptr;
}

void NetLobbyScreen::LoadPageEventMap(const ArtObject* panel) {
    const char* const page = PageOf(panel);
    if (page == nullptr) return;
    if (eventMap != nullptr) eventMap->Deactivate();
    g_hotspotFocus = 0;
    const std::string path = g_dataDirs.Prefix(DataDir::kCel) + page + ".iff";
    InputSystem* const input = Game() != nullptr ? Game()->Input() : nullptr;
    eventMap = std::make_unique<InputEventMap>(input, path.c_str(), page);
    eventMap->ForEachEvent(OffsetUiRect);
    eventMap->Activate();
}

void NetLobbyScreen::PanelShown() { LoadPageEventMap(currentPanel); }

void NetLobbyScreen::SwitchTo(ArtObject* target, ArtObject* anchor) {
    nextPanel = target;
    pushPanel = anchor;
    transitionPhase = kPhaseClosing;
}

void NetLobbyScreen::ResetAfterGame() {
    panelStack.Clear();
    gameCounted_ = false;
    if (GameState* const game = Game()) {
        delete game->netSettings;
        game->netSettings = nullptr;
    }
    currentPanel = mainPanel;
}

void NetLobbyScreen::LeaveSession(GameState& game) {
    if (auto* const lobby = dynamic_cast<NetLobbyScreen*>(game.ScreenIn(ScreenSlot::kLobby))) {
        lobby->ResetAfterGame();
    } else {
        delete game.netSettings;
        game.netSettings = nullptr;
    }
    if (game.netSession != nullptr) game.netSession->Close();
    g_netGameLaunched = 0;
}

void NetLobbyScreen::FillRequisitionCatalogue() {
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    IffFile definitions(0);
    if (definitions.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return;
    game->career->FillCatalogue(definitions);
}

bool NetLobbyScreen::Hotspot(uint16_t code, ArtObject* panel, const char* buttonName, const char* topic,
                             uint32_t click, uint32_t help, int32_t clickSound) {
    BitmapButton* const button = Find<BitmapButton>(panel, buttonName);
    if (edgeEvents.TestEvent(EventKey(click))) {
        if (clickSound >= 0) Play(clickSound);
        if (button != nullptr) button->SetState(kPressedState);
        return true;
    }
    if (edgeEvents.TestEvent(EventKey(help))) {
        if (topic != nullptr) TutorialScreen::OpenTopic(*this, topic);
        return false;
    }
    if (edgeEvents.TestEvent(code)) Play(kSoundHover);
    if (button != nullptr) button->Press();
    return false;
}

int32_t NetLobbyScreen::HandleEvent(uint16_t code) {
    if (transitionPhase != kPhaseNone) return 1;
    const int32_t found = EventOf(code);
    if (found < 0) return 1;
    const uint32_t event = uint32_t(found);
    // Only the current panel's page is loaded: its indices are the ones meant.
    if (currentPanel == mainPanel) return HandleFrontMenu(code, event);
    if (currentPanel == pilotSelectPanel) HandleSelect(code, event);
    if (currentPanel == pilotCreatePanel) HandleCreate(code, event);
    if (currentPanel == multiPanel) return HandleMulti(code, event);
    if (currentPanel == joinPanel) HandleConnect(code, event);
    if (currentPanel == sessionPanel) return HandleSessions(code, event);
    if (currentPanel == createPanel) return HandleCreateGame(code, event);
    if (currentPanel == coopPanel) HandleCoop(code, event);
    if (currentPanel == deathPanel) return HandleDeath(code, event);
    if (currentPanel == teamPanel) return HandleTeam(code, event);
    if (currentPanel == teamCreatePanel) return HandleTeamCreate(code, event);
    if (currentPanel == waitPanel) return HandleWait(code, event);
    return 1;
}

void NetLobbyScreen::Update() {
    HostPending();
    RoomScreen::PlayRoomSounds(*this, kLobbySounds);
    UpdateRoom();
    if (currentPanel == teamPanel) FillTeamList();
    ShowTeamNotice();
    if (g_textInput == nullptr) return;
    if (currentPanel == teamCreatePanel) {
        auto* const field = Find<EditField>(teamCreatePanel, kTeamName);
        if (field != nullptr && field->IsActive() != 0) field->SetText(g_textInput);
    }
    // The active entry box shows what is typed.
    if (currentPanel != pilotCreatePanel) return;
    for (const char* const boxName : {kNameBox, kCallsignBox}) {
        auto* const box = Find<EditField>(pilotCreatePanel, boxName);
        if (box != nullptr && box->IsActive() != 0) box->SetText(g_textInput);
    }
}
