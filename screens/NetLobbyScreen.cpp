#include "screens/NetLobbyScreen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/FontContext.h"
#include "engine/Clock.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/input/InputSystem.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/PilotFile.h"
#include "game/ScreenSlots.h"
#include "game/SoftCursor.h"
#include "game/TextInput.h"
#include "game/XorChunkStream.h"
#include "mission/Goal.h"
#include "mission/MissionSetUp.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetSession.h"
#include "platform/FolderListing.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "screens/FrameScreen.h"
#include "screens/rooms/RoomScreen.h"
#include "ui/AnimatedPicture.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EditField.h"
#include "ui/FacePicture.h"
#include "ui/HotspotFocus.h"
#include "ui/ListBox.h"
#include "ui/ScreenRedraw.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kArtForm = MakeTag("OPTI");
constexpr uint32_t kBackgroundForm = MakeTag("BKGR");
constexpr uint32_t kPilotForm = MakeTag("PLIN");
constexpr uint32_t kNameChunk = MakeTag("NAME");
constexpr uint32_t kCallChunk = MakeTag("CALL");
constexpr uint32_t kFaceChunk = MakeTag("FACE");
constexpr uint32_t kLogoChunk = MakeTag("LOGO");
constexpr uint32_t kMissChunk = MakeTag("MISS");
constexpr uint32_t kKillChunk = MakeTag("KILL");
constexpr uint32_t kSection = MakeTag("NETO");
// Pilot names and callsigns read from a file: at most this many bytes.
constexpr uint32_t kMaxPilotText = 63;

// The lobby sounds as a room does, without doors: its loop, and its one
// ambient sound every 8 to 16 seconds.
constexpr int32_t kLobbyLoop = 57;
constexpr int32_t kLobbyAmbience = 38;
constexpr RoomScreen::Scheme kLobbySounds = {
    kSection, false, 1, false, false, false, kLobbyLoop, kLobbyAmbience, 1, 8000, 8000, 0, 0, {}, {}, {}};

constexpr int32_t kSoundHover = 0;
constexpr int32_t kSoundToggle = 1;
constexpr int32_t kSoundClick = 2;
constexpr int32_t kSoundRefused = 3;
constexpr int32_t kSoundAccept = 4;
constexpr int32_t kSoundArrows = 5;
constexpr int32_t kPressedState = 10;

// Control names.
constexpr const char* kPilotList = "PilotList";
constexpr const char* kNameText = "Name";
constexpr const char* kCallsignText = "Callsign";
constexpr const char* kMissionsText = "Missions";
constexpr const char* kKillsText = "Kills";
constexpr const char* kFaces = "Faces";
constexpr const char* kLogos = "Logos";
constexpr const char* kNameBox = "NameBox";
constexpr const char* kCallsignBox = "CallsignBox";
constexpr const char* kTeamList = "TeamList";
constexpr const char* kTeamName = "TeamName";
constexpr const char* kGameList = "GameList";
constexpr const char* kDescription = "Description";
constexpr const char* kPayment = "Payment";
constexpr const char* kTrackNumber = "TrackNumber";
constexpr const char* kChatBox = "ChatBox";
constexpr const char* kTypeBox = "TypeBox";
// Buttons.
constexpr const char* kNameEntry = "Name Entry";
constexpr const char* kCallsignEntry = "Callsign Entry";

constexpr int32_t kWaitRowTops[NetLobbyScreen::kWaitRows] = {158, 173, 187, 201, 215, 229, 243, 257};

NetLobbyScreen* g_lobby = nullptr;

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

GameState* Game() { return g_gameState; }

void Play(int32_t sound) { PlayUiSound(sound, kUiClickSoundLevel, 1); }

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

// The chunk's text up to its NUL, its end or 63 bytes.
std::string ReadText(XorChunkStream& stream) {
    char text[kMaxPilotText + 1] = {};
    uint32_t stored = 0;
    if (stream.ReadChunkData(text, kMaxPilotText, &stored) != kStatusOk) return std::string();
    return std::string(text, strnlen(text, stored < kMaxPilotText ? stored : kMaxPilotText));
}

bool ReadWord(XorChunkStream& stream, int32_t* value) {
    uint8_t bytes[4] = {};
    uint32_t stored = 0;
    if (stream.ReadChunkData(bytes, 4, &stored) != kStatusOk || stored != 4) return false;
    *value = int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
    return true;
}

// Where the pilot files are kept: beside the configuration file.
std::string PilotFolder(const GameState& game) {
    const std::string config = game.ConfigFilePath();
    const size_t slash = config.rfind('/');
    return slash == std::string::npos ? std::string() : config.substr(0, slash + 1);
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

}  // namespace

template <typename T>
T* NetLobbyScreen::Find(const ArtObject* panel, const char* controlName) const {
    return panel != nullptr ? dynamic_cast<T*>(panel->FindControl(controlName)) : nullptr;
}

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

void NetLobbyScreen::ResetAfterGame() {
    panelStack.Clear();
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

void NetLobbyScreen::ShowPilotSelect() { currentPanel = pilotSelectPanel; }

void NetLobbyScreen::ScrollBriefing(ArtObject* panel, bool up) {
    auto* const box = Find<TextBox>(panel, kDescription);
    if (box == nullptr) return;
    if (up) {
        box->PageUp();
    } else {
        box->PageDown();
    }
}

void NetLobbyScreen::ShowCoopBriefing() {
    EmptyBox(coopPanel, kDescription);
    EmptyBox(coopPanel, kPayment);
    const GameState* const game = Game();
    const RandomMissionGenerator* const generator = game != nullptr ? game->randomMissions.get() : nullptr;
    if (generator == nullptr) return;
    if (auto* const box = Find<TextBox>(coopPanel, kDescription)) box->SetText(generator->description.c_str());
    char payment[16];
    std::snprintf(payment, sizeof payment, "%d", generator->payment);
    if (auto* const box = Find<TextBox>(coopPanel, kPayment)) box->SetText(payment);
}

void NetLobbyScreen::ShowDeathMatchBriefing() {
    EmptyBox(deathPanel, kDescription);
    const GameState* const game = Game();
    const RandomMissionGenerator* const generator = game != nullptr ? game->randomMissions.get() : nullptr;
    if (generator == nullptr) return;
    if (auto* const box = Find<TextBox>(deathPanel, kDescription)) box->SetText(generator->description.c_str());
}

void NetLobbyScreen::FillPilotList() {
    ListBox* const list = Find<ListBox>(pilotSelectPanel, kPilotList);
    pilotFiles_.clear();
    if (list == nullptr) return;
    list->Clear();
    list->SetText("");
    const GameState* const game = Game();
    if (game == nullptr) return;
    const std::string folder = PilotFolder(*game);
    for (const std::string& file : platform::ListFiles(folder, kPilotFileExtension)) {
        XorChunkStream stream;
        if (stream.Open((folder + file).c_str(), kOpenRead) != kStatusOk) continue;
        if (stream.FindForm(kPilotForm) == kStatusOk && stream.Descend() == kStatusOk &&
            stream.FindChunk(kNameChunk) == kStatusOk && list->GetBlock(list->currentBlock) != nullptr) {
            list->AddLine(ReadText(stream).c_str());
            pilotFiles_.push_back(file.substr(0, file.size() - std::strlen(kPilotFileExtension)));
        }
        stream.CloseFile();
    }
    RequestScreenRedraw();
}

std::string NetLobbyScreen::PilotFileOf(int32_t line) const {
    return line >= 0 && line < int32_t(pilotFiles_.size()) ? pilotFiles_[size_t(line)] : std::string();
}

void NetLobbyScreen::FillRequisitionCatalogue() {
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
    IffFile definitions(0);
    if (definitions.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return;
    game->career->FillCatalogue(definitions);
}

void NetLobbyScreen::ShowPilot(const char* fileName) {
    for (const char* const box : {kNameText, kCallsignText, kMissionsText, kKillsText}) EmptyBox(pilotSelectPanel, box);
    auto* const face = Find<FacePicture>(pilotSelectPanel, kFaces);
    auto* const logo = Find<FacePicture>(pilotSelectPanel, kLogos);
    // What the file cannot tell shows nothing rather than the last pilot's.
    if (face != nullptr) face->SelectByIndex(-1);
    if (logo != nullptr) logo->SelectByIndex(-1);
    const GameState* const game = Game();
    if (game == nullptr) return;
    const std::string path = PilotFilePath(*game, fileName);
    XorChunkStream stream;
    if (path.empty() || stream.Open(path.c_str(), kOpenRead) != kStatusOk) return;
    if (stream.FindForm(kPilotForm) != kStatusOk || stream.Descend() != kStatusOk) {
        stream.CloseFile();
        return;
    }
    const auto find = [&stream](uint32_t chunk) { return stream.Rewind(0) == kStatusOk && stream.FindChunk(chunk) == kStatusOk; };
    const auto setText = [this](const char* box, const std::string& text) {
        if (auto* const control = Find<TextBox>(pilotSelectPanel, box)) {
            control->Clear();
            control->SetText(text.c_str());
        }
    };
    int32_t value = 0;
    if (find(kNameChunk)) setText(kNameText, ReadText(stream));
    if (find(kCallChunk)) setText(kCallsignText, ReadText(stream));
    if (find(kFaceChunk) && ReadWord(stream, &value) && face != nullptr && value >= 0 &&
        value <= FacePicture::kLastFace) {
        face->SelectByIndex(value);
    }
    if (find(kLogoChunk) && ReadWord(stream, &value) && logo != nullptr && value >= 0 &&
        value <= FacePicture::kLastLogo - FacePicture::kFirstLogo) {
        logo->SelectByIndex(value + FacePicture::kFirstLogo);
    }
    if (find(kMissChunk) && ReadWord(stream, &value)) setText(kMissionsText, std::to_string(value));
    if (find(kKillChunk) && ReadWord(stream, &value)) setText(kKillsText, std::to_string(value));
    stream.CloseFile();
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

void NetLobbyScreen::StartSession() {
    GameState* const game = Game();
    if (game == nullptr || game->career == nullptr) return;
    char sessionName[96];
    std::snprintf(sessionName, sizeof sessionName, kSessionNameFormat, game->career->GetPilotName());
    delete game->netSession;
    game->netSession = new NetSession(sessionName, kMaxPlayers);
}

int32_t NetLobbyScreen::HandleFrontMenu(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    if (game == nullptr) return 1;
    switch (event) {
        case kMenuQuit:
            game->SelectNextScreen(ScreenSlot::kQuit);
            if (game->nextScreen != nullptr && FrameScreen::setQuitReturn != nullptr) {
                FrameScreen::setQuitReturn(*game->nextScreen, this);
            }
            SwitchTo(nullptr);
            return 0;
        case kMenuSingle:
            if (!Hotspot(code, mainPanel, "Single B", "SINGLE_B", kMenuClick, kMenuHelp, kSoundClick)) return 1;
            // The fresh career already carries the player's choice of inertial flight.
            game->StartNewCareer();
            if (game->randomMissions != nullptr) {
                game->randomMissions->networkGame = 0;
                game->randomMissions->parametersSet = 0;
            }
            g_netGameLaunched = 0;
            game->SelectNextScreen(ScreenSlot::kOffice);
            game->mode = GameState::kModeScreens;
            SwitchTo(nullptr);
            return 0;
        case kMenuMulti:
            if (!Hotspot(code, mainPanel, "Multi B", "MULTI_B", kMenuClick, kMenuHelp, kSoundClick)) return 1;
            delete game->career;
            game->career = new CareerRecord(1);
            SwitchTo(pilotSelectPanel);
            return 1;
        case kMenuExit:
            if (!Hotspot(code, mainPanel, "Exit", "EXIT_B", kMenuClick, kMenuHelp, kSoundClick)) return 1;
            game->nextScreen = nullptr;
            game->nextScreenName = nullptr;
            game->mode = GameState::kModeQuit;
            SwitchTo(nullptr);
            return 0;
        case kMenuFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kMenuFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

void NetLobbyScreen::HandleSelect(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    ListBox* const list = Find<ListBox>(pilotSelectPanel, kPilotList);
    const bool click = edgeEvents.TestEvent(EventKey(kSelClick));
    switch (event) {
        case kSelList:
            if (list == nullptr) return;
            if (click) {
                Play(kSoundHover);
                uint16_t x = 0, y = 0;
                if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
                list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, FrameRect::kNoFrame));
                const int32_t line = list->GetSelection();
                if (line >= 0) ShowPilot(PilotFileOf(line).c_str());
            }
            return;
        case kSelClear:
            if (list != nullptr && edgeEvents.TestEvent(code)) list->ClearSelection();
            return;
        case kSelLineUp:
            if (list != nullptr && edgeEvents.TestEvent(code)) FocusLineUp(*list);
            return;
        case kSelLineDown:
            if (list != nullptr && edgeEvents.TestEvent(code)) FocusLineDown(*list);
            return;
        case kSelPageBack:
            if (list != nullptr && edgeEvents.TestEvent(code)) list->PageUp();
            return;
        case kSelPageForward:
            if (list != nullptr && edgeEvents.TestEvent(code)) list->PageDown();
            return;
        case kSelUp:
        case kSelDown:
            if (!Hotspot(code, pilotSelectPanel, event == kSelUp ? "Up" : "Down", nullptr, kSelClick, kSelHelp, kSoundArrows)) {
                return;
            }
            if (list != nullptr) {
                if (event == kSelUp) {
                    list->PageUp();
                } else {
                    list->PageDown();
                }
            }
            return;
        case kSelLoad: {
            if (!Hotspot(code, pilotSelectPanel, "Load", "SEL_LOAD", kSelClick, kSelHelp, kSoundClick)) return;
            const int32_t line = list != nullptr ? list->GetSelection() : -1;
            if (line < 0 || game == nullptr) return;
            // The file the line came from, whatever name it holds inside.
            ReadPilotFile(*game, PilotFileOf(line).c_str());
            SwitchTo(multiPanel);
            RequestScreenRedraw();
            StartSession();
            return;
        }
        case kSelCreate:
            if (!Hotspot(code, pilotSelectPanel, "Create", "SEL_CREATE", kSelClick, kSelHelp, kSoundClick)) return;
            SwitchTo(pilotCreatePanel);
            RequestScreenRedraw();
            return;
        case kSelExit:
            if (!Hotspot(code, pilotSelectPanel, "Exit", "SEL_EXIT", kSelClick, kSelHelp, kSoundClick)) return;
            SwitchTo(mainPanel);
            return;
        case kSelFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return;
        case kSelFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return;
        default: return;
    }
}

void NetLobbyScreen::ToggleEntry(const char* boxName, const char* buttonName, const char* otherBox,
                                 const char* otherButton) {
    SetTextInputBuffer(kPilotTextBytes);
    auto* const box = Find<EditField>(pilotCreatePanel, boxName);
    auto* const button = Find<BitmapButton>(pilotCreatePanel, buttonName);
    const uint32_t active = box != nullptr ? box->ToggleActive() : 0;
    if (button != nullptr) button->SetState(active != 0 ? BitmapButton::kLatched : 0);
    if (auto* const other = Find<EditField>(pilotCreatePanel, otherBox)) other->Deactivate();
    if (auto* const other = Find<BitmapButton>(pilotCreatePanel, otherButton)) other->SetState(0);
}

void NetLobbyScreen::AcceptPilot() {
    GameState* const game = Game();
    auto* const face = Find<FacePicture>(pilotCreatePanel, kFaces);
    auto* const logo = Find<FacePicture>(pilotCreatePanel, kLogos);
    if (game == nullptr || face == nullptr || logo == nullptr || face->Index() < 0 || logo->Index() < 0) return;
    delete game->career;
    game->career = new CareerRecord(1);
    game->career->face = face->Index();
    game->career->logo = logo->Index() - FacePicture::kFirstLogo;
    const auto copy = [](char* to, const char* text) {
        std::snprintf(to, CareerRecord::kTextBytes, "%s", text);
    };
    const auto* const nameBox = Find<EditField>(pilotCreatePanel, kNameBox);
    const auto* const callsignBox = Find<EditField>(pilotCreatePanel, kCallsignBox);
    const bool named = nameBox != nullptr && nameBox->GetText()[0] != '\0';
    const bool called = callsignBox != nullptr && callsignBox->GetText()[0] != '\0';
    if (named) copy(game->career->pilotName, nameBox->GetText());
    if (called) copy(game->career->callsign, callsignBox->GetText());
    if (!named || !called) return;
    if (auto* const accept = Find<BitmapButton>(pilotCreatePanel, "Accept")) accept->SetState(kPressedState);
    SwitchTo(multiPanel);
    StartSession();
}

void NetLobbyScreen::HandleCreate(uint16_t code, uint32_t event) {
    auto* const face = Find<FacePicture>(pilotCreatePanel, kFaces);
    auto* const logo = Find<FacePicture>(pilotCreatePanel, kLogos);
    switch (event) {
        case kCreName:
            if (Hotspot(code, pilotCreatePanel, kNameEntry, "CRE_NAME_ENTRY", kCreClick, kCreHelp, kSoundToggle)) {
                ToggleEntry(kNameBox, kNameEntry, kCallsignBox, kCallsignEntry);
            }
            return;
        case kCreCallsign:
            if (Hotspot(code, pilotCreatePanel, kCallsignEntry, "CRE_CALLSIGN_ENTRY", kCreClick, kCreHelp, kSoundToggle)) {
                ToggleEntry(kCallsignBox, kCallsignEntry, kNameBox, kNameEntry);
            }
            return;
        case kCreFaceLeft:
        case kCreFaceRight:
        case kCreLogoLeft:
        case kCreLogoRight: {
            static constexpr const char* kArrows[] = {"Face Left", "Face Right", "Logo Left", "Logo Right"};
            if (!Hotspot(code, pilotCreatePanel, kArrows[event - kCreFaceLeft], nullptr, kCreClick, kCreHelp, kSoundArrows)) {
                return;
            }
            FacePicture* const picture = event <= kCreFaceRight ? face : logo;
            if (picture == nullptr) return;
            if (event == kCreFaceRight || event == kCreLogoRight) {
                picture->Next();
            } else {
                picture->Previous();
            }
            return;
        }
        case kCreAccept:
            if (Hotspot(code, pilotCreatePanel, "Accept", "CRE_ACCEPT", kCreClick, kCreHelp, kSoundAccept)) AcceptPilot();
            return;
        case kCreExit:
            if (Hotspot(code, pilotCreatePanel, "Exit", "CRE_EXIT", kCreClick, kCreHelp, kSoundClick)) {
                SwitchTo(pilotSelectPanel);
            }
            return;
        case kCreFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return;
        case kCreFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return;
        default: return;
    }
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
    if (game->career != nullptr) ++game->career->missions;
    const uint32_t type = game->netSettings->gameType;
    if (type >= 2 && type <= 4) {
        SwitchTo(teamPanel);
        if (auto* const teams = Find<TextBox>(teamPanel, kTeamList)) {
            teams->Clear();
            teams->SetText("");
            const int32_t count = game->netSettings->teamCount < 2 ? game->netSettings->teamCount : 2;
            for (int32_t team = 0; team < count; ++team) {
                const char* const teamName = game->netSettings->teams[team].name;
                teams->AddLine(teamName != nullptr ? teamName : "");
            }
        }
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
                    list->PageDown();
                } else {
                    list->PageUp();
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
    if (game->career != nullptr) ++game->career->missions;
}

bool NetLobbyScreen::Latched(const ArtObject* panel, const char* buttonName) const {
    const auto* const button = Find<BitmapButton>(panel, buttonName);
    return button != nullptr && button->GetState() == BitmapButton::kLatched;
}

void NetLobbyScreen::Toggle(ArtObject* panel, const char* buttonName) {
    Play(kSoundClick);
    if (auto* const button = Find<BitmapButton>(panel, buttonName)) {
        button->SetState(button->GetState() == BitmapButton::kLatched ? 0 : BitmapButton::kLatched);
    }
}

namespace {
constexpr const char* kObjectives[] = {"Scout", "Destroy", "Protect", "Capture"};
constexpr int32_t kDeathMatchMission = 4;

constexpr const char* kAmountToggles[] = {"Asteroids", "Mines", "Enemies"};
constexpr const char* kAmountSliders[] = {"AsterSlide", "MineSlide", "EnemySlide"};

int32_t SliderAmount(const ArtObject* panel, const char* toggle, const char* slider) {
    const auto* const button = dynamic_cast<const BitmapButton*>(panel->FindControl(toggle));
    if (button == nullptr || button->GetState() != BitmapButton::kLatched) return 0;
    const auto* const strip = dynamic_cast<const AnimatedPicture*>(panel->FindControl(slider));
    return strip != nullptr ? strip->GetCel() + 1 : 1;
}
}  // namespace

void NetLobbyScreen::SetUpCoop() {
    GameState* const game = Game();
    if (game == nullptr) return;
    // The mission this panel sets up is a network game's, whatever a
    // single-player game left in the generator.
    RandomMissionGenerator& generator = RandomMissionGenerator::Of(*game);
    generator.networkGame = 1;
    int32_t kind = 0;
    for (int32_t i = 0; i < 4; ++i) {
        if (Latched(coopPanel, kObjectives[i])) {
            kind = i;
            break;
        }
    }
    const auto* const strip = Find<AnimatedPicture>(coopPanel, "Difficulty");
    generator.SetUp(kind, strip != nullptr ? strip->GetCel() : 0);
    ShowCoopBriefing();
}

void NetLobbyScreen::FollowPointer(const ArtObject* panel, const char* stripName, const StripSteps& steps) {
    auto* const strip = Find<AnimatedPicture>(panel, stripName);
    if (strip == nullptr || eventMap == nullptr) return;
    uint16_t x = 0, y = 0;
    eventMap->GetMousePosition(&x, &y);
    int32_t moved = x;
    if (edgeEvents.TestEvent(EventKey(steps.left)) && x - steps.pixels > steps.leftEdge) moved = x - steps.pixels;
    if (edgeEvents.TestEvent(EventKey(steps.right)) && x + steps.pixels < steps.rightEdge) moved = x + steps.pixels;
    if (moved != x) {
        SetMousePosition(int16_t(moved), int16_t(y));
    } else if (!edgeEvents.TestEvent(EventKey(steps.click))) {
        return;
    }
    strip->SelectAt(FrameRect::Init(moved - g_windowOriginX, int32_t(y) - g_windowOriginY, FrameRect::kNoFrame));
}

int32_t NetLobbyScreen::HandleCreateGame(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    switch (event) {
        case kGameCoop:
            if (!Hotspot(code, createPanel, "Cooperative", "CREATE_COOP", kGameClick, kGameHelp, kSoundClick)) return 1;
            SwitchTo(coopPanel);
            SetUpCoop();
            return 1;
        case kGameDeath:
            if (!Hotspot(code, createPanel, "Death Match", "CREATE_DEATH", kGameClick, kGameHelp, kSoundClick)) return 1;
            SwitchTo(deathPanel);
            if (game != nullptr) {
                RandomMissionGenerator& generator = RandomMissionGenerator::Of(*game);
                generator.networkGame = 1;
                generator.deathMatchKind = 1;
                generator.SetUp(kDeathMatchMission, 0);
            }
            ShowDeathMatchBriefing();
            return 1;
        case kGameCancel:
            if (Hotspot(code, createPanel, "Cancel", "CREATE_ABORT", kGameClick, kGameHelp, kSoundClick)) SwitchTo(joinPanel);
            return 1;
        case kGameFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kGameFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

void NetLobbyScreen::ConfirmedGame() {
    pendingMission = kHostedMission;
    EmptyBox(coopPanel, kDescription);
    EmptyBox(deathPanel, kDescription);
    SelectFont(TextBox::kFontName);
    DrawString("Uploading Mission Data", 320, 360, 0);
    g_netGameLaunched = 1;
}

void NetLobbyScreen::HandleCoop(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    if (event <= kCoopCapture) {
        if (!Hotspot(code, coopPanel, kObjectives[event], nullptr, kCoopClick, kCoopHelp, kSoundClick)) return;
        for (uint32_t i = 0; i < 4; ++i) {
            if (auto* const button = Find<BitmapButton>(coopPanel, kObjectives[i])) {
                button->SetState(i == event ? BitmapButton::kLatched : 0);
            }
        }
        SetUpCoop();
        return;
    }
    switch (event) {
        case kCoopTeams:
            if (Hotspot(code, coopPanel, nullptr, "COOP_TEAMS", kCoopClick, kCoopHelp, -1)) Toggle(coopPanel, "Teams");
            return;
        case kCoopNew:
            if (Hotspot(code, coopPanel, nullptr, "COOP_NEW", kCoopClick, kCoopHelp, kSoundClick)) SetUpCoop();
            return;
        case kCoopDifficulty:
            FollowPointer(coopPanel, "Difficulty", kDifficultySteps);
            return;
        case kCoopCancel:
            if (Hotspot(code, coopPanel, "Cancel", "COOP_CANCEL", kCoopClick, kCoopHelp, kSoundClick)) SwitchTo(createPanel);
            return;
        case kCoopOk: {
            if (!Hotspot(code, coopPanel, "OK", "COOP_OK", kCoopClick, kCoopHelp, kSoundClick) || game == nullptr) return;
            delete game->netSettings;
            game->netSettings = new NetGameSettings();
            game->cooperativeTimeUp = 0;
            if (Latched(coopPanel, "Teams")) {
                game->teamGame = 1;
                savedPanel = coopPanel;
                SwitchTo(teamCreatePanel);
                SetTextInputBuffer(kTeamNameBytes);
                game->netSettings->gameType = NetGameSettings::kCooperativeTeams;
            } else {
                SwitchTo(waitPanel);
                SetTextInputBuffer(kChatTextBytes);
                game->mode = GameState::kModeLobbyWait;
                game->netSettings->gameType = NetGameSettings::kCooperative;
            }
            ConfirmedGame();
            FillRequisitionCatalogue();
            return;
        }
        case kCoopArrowUp:
        case kCoopArrowDown:
            if (Hotspot(code, coopPanel, event == kCoopArrowUp ? "ArrowUp" : "ArrowDown", nullptr, kCoopClick, kCoopHelp,
                        kSoundArrows)) {
                ScrollBriefing(coopPanel, event == kCoopArrowUp);
            }
            return;
        case kCoopFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return;
        case kCoopFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return;
        default: return;
    }
}

int32_t NetLobbyScreen::HandleDeath(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    RandomMissionGenerator* const generator = game != nullptr ? game->randomMissions.get() : nullptr;
    switch (event) {
        case kDeathNormal:
        case kDeathTag: {
            const bool tag = event == kDeathTag;
            if (!Hotspot(code, deathPanel, nullptr, tag ? "DETH_TAG" : "DETH_NORMAL", kDeathClick, kDeathHelp, kSoundClick)) {
                return 1;
            }
            if (auto* const normal = Find<BitmapButton>(deathPanel, "Normal")) normal->SetState(tag ? 0 : BitmapButton::kLatched);
            if (auto* const tagButton = Find<BitmapButton>(deathPanel, "Tag")) tagButton->SetState(tag ? BitmapButton::kLatched : 0);
            if (generator != nullptr) {
                generator->deathMatchKind = tag ? 3 : 1;
                generator->SetUp(kDeathMatchMission, 0);
            }
            ShowDeathMatchBriefing();
            return 1;
        }
        case kDeathAsteroids:
        case kDeathMines:
        case kDeathEnemies:
        case kDeathBase:
        case kDeathTeams: {
            static constexpr const char* kToggles[] = {"Asteroids", nullptr, "Mines", nullptr, "Enemies", nullptr,
                                                       "Base", "Teams"};
            static constexpr const char* kTopics[] = {"DETH_ASTEROIDS", nullptr, "DETH_MINES_A", nullptr,
                                                      "DETH_ENEMIES", nullptr, "DETH_BASE", "DETH_TEAMS"};
            const uint32_t at = event - kDeathAsteroids;
            if (Hotspot(code, deathPanel, nullptr, kTopics[at], kDeathClick, kDeathHelp, -1)) Toggle(deathPanel, kToggles[at]);
            return 1;
        }
        case kDeathAsterSlide:
        case kDeathMineSlide:
        case kDeathEnemySlide: {
            // Each slider sits beside its toggle and is dead while the toggle is off.
            const uint32_t at = (event - kDeathAsterSlide) / 2;
            if (Latched(deathPanel, kAmountToggles[at])) FollowPointer(deathPanel, kAmountSliders[at], kAmountSteps);
            return 1;
        }
        case kDeathCancel:
            if (Hotspot(code, deathPanel, "Cancel", "DETH_CANCEL", kDeathClick, kDeathHelp, kSoundClick)) {
                SwitchTo(createPanel);
            }
            return 1;
        case kDeathOk: {
            if (!Hotspot(code, deathPanel, "OK", "DETH_OK", kDeathClick, kDeathHelp, kSoundClick) || game == nullptr) {
                return 1;
            }
            delete game->netSettings;
            game->netSettings = new NetGameSettings();
            const bool normal = Latched(deathPanel, "Normal");
            const bool tag = !normal && Latched(deathPanel, "Tag");
            const bool teams = Latched(deathPanel, "Teams");
            if (teams) {
                game->teamGame = 1;
                SwitchTo(teamCreatePanel);
                SetTextInputBuffer(kTeamNameBytes);
                game->netSettings->gameType = tag ? NetGameSettings::kTagTeams : NetGameSettings::kDeathMatchTeams;
            } else {
                game->SelectNextScreen(ScreenSlot::kHangar);
                game->mode = GameState::kModeScreens;
                SwitchTo(nullptr);
                game->netSettings->gameType = tag ? NetGameSettings::kTag : NetGameSettings::kDeathMatch;
            }
            if (generator != nullptr) {
                generator->deathMatchKind = normal ? 1 : tag ? 3 : 0;
                generator->asteroidAmount = SliderAmount(deathPanel, kAmountToggles[0], kAmountSliders[0]);
                generator->mineAmount = SliderAmount(deathPanel, kAmountToggles[1], kAmountSliders[1]);
                generator->enemyAmount = SliderAmount(deathPanel, kAmountToggles[2], kAmountSliders[2]);
                generator->base = Latched(deathPanel, "Base") ? 1 : 0;
            }
            ConfirmedGame();
            return teams ? 1 : 0;
        }
        case kDeathArrowUp:
        case kDeathArrowDown:
            if (Hotspot(code, deathPanel, event == kDeathArrowUp ? "ArrowUp" : "ArrowDown", nullptr, kDeathClick,
                        kDeathHelp, kSoundArrows)) {
                ScrollBriefing(deathPanel, event == kDeathArrowUp);
            }
            return 1;
        case kDeathFocusNext:
            if (edgeEvents.TestEvent(code)) FocusNextHotspot();
            return 1;
        case kDeathFocusPrevious:
            if (edgeEvents.TestEvent(code)) FocusPreviousHotspot();
            return 1;
        default: return 1;
    }
}

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

int32_t NetLobbyScreen::HandleTeam(uint16_t code, uint32_t event) {
    GameState* const game = Game();
    ListBox* const list = Find<ListBox>(teamPanel, kTeamList);
    switch (event) {
        case kTeamJoin: {
            if (!Hotspot(code, teamPanel, "Join Team", "JOIN_TEAM", kTeamClick, kTeamHelp, kSoundClick)) return 1;
            const int32_t line = list != nullptr ? list->GetSelection() : -1;
            if (line < 0 || game == nullptr || game->career == nullptr) return 1;
            game->career->teamIndex = line;
            SendUpdateTeam(game->career->GetPilotName(), kTeamRecordName, line, -1, game->career->ready);
            return EnterTeamGame();
        }
        case kTeamCancel:
            if (!Hotspot(code, teamPanel, "Cancel", "ABORT", kTeamClick, kTeamHelp, kSoundClick)) return 1;
            EmptyBox(teamPanel, kTeamList);
            // Leaving the joined session, so that the session list can be used again.
            DropLink();
            SwitchTo(sessionPanel);
            return 1;
        case kTeamCreate: {
            const bool full = game != nullptr && game->netSettings != nullptr && game->netSettings->teamCount >= kMaxTeams;
            if (!Hotspot(code, teamPanel, "Create Team", full ? nullptr : "CREATE_TEAM", kTeamClick, kTeamHelp, -1)) {
                return 1;
            }
            if (full) {
                DrawString(kTwoTeamsOnly, 253, 400, 0);
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
    if (typed.size() < 2) return 1;
    const std::string name = typed.substr(0, kTeamNameBytes - 1);
    NetGameSettings& settings = *game->netSettings;
    int32_t team = settings.teamCount;
    ++settings.teamCount;
    if (team >= kMaxTeams) {
        team = 1;
        settings.teamCount = kMaxTeams;
    }
    game->career->teamIndex = team;
    settings.SetTeamName(team, name.c_str());
    const auto* const logo = Find<FacePicture>(teamCreatePanel, kLogos);
    settings.teams[team].logo = logo != nullptr && logo->Index() >= FacePicture::kFirstLogo
                                    ? uint32_t(logo->Index() - FacePicture::kFirstLogo)
                                    : 0;
    NetSession* const session = game->netSession;
    if (session != nullptr && session->IsHost()) {
        if (NetPlayer* const own = session->EditPlayer(0)) own->team = team;
    }
    SendUpdateTeam(kTeamRecordName, name.c_str(), team, int32_t(settings.teams[team].logo), -1);
    SendUpdateTeam(game->career->GetPilotName(), kTeamRecordName, team, -1, game->career->ready);
    return EnterTeamGame();
}

void NetLobbyScreen::LeaveTeamCreation() {
    GameState* const game = Game();
    if (game != nullptr && game->netSession != nullptr) {
        if (game->netSession->IsHost()) {
            delete game->netSettings;
            game->netSettings = nullptr;
        }
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
                    logo->Next();
                } else {
                    logo->Previous();
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

namespace {
std::string SlotName(int32_t slot, const char* what) {
    char name[32];
    std::snprintf(name, sizeof name, what, slot);
    return name;
}
bool Typing() { return g_textInput != nullptr && g_textInput[0] != '\0'; }
}  // namespace

void NetLobbyScreen::ToggleReady(uint32_t event, bool clear) {
    GameState* const game = Game();
    const int32_t slot = int32_t(event - kWaitFirstSlot) + 1;
    const auto* const box = Find<TextBox>(waitPanel, SlotName(slot, "Player%dName").c_str());
    const TextBlock* const block = box != nullptr ? box->GetBlock(box->currentBlock) : nullptr;
    if (game == nullptr || game->career == nullptr || block == nullptr || block->LineCount() == 0 ||
        block->lines[0] != game->career->GetPilotName()) {
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
        const char* const pilot = game->career->GetPilotName();
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
    if (game != nullptr && game->netSession != nullptr) {
        if (game->netSession->IsHost()) {
            delete game->netSettings;
            game->netSettings = nullptr;
        }
        game->netSession->Close();
    }
    // Out of the waiting room the lobby is an option screen again.
    if (game != nullptr && game->mode == GameState::kModeLobbyWait) game->mode = GameState::kModeScreens;
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
                if (name != nullptr && std::strcmp(name, game->career->GetPilotName()) == 0) {
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
            SendUpdateTeam(game->career->GetPilotName(), "NONE", game->career->teamIndex, -1, game->career->ready);
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
