// The lobby's front menu (a single-player career, multiplayer or out) and
// its pilot panels: the list of pilot files, the chosen pilot shown, a new
// pilot made.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/PilotFile.h"
#include "game/ScreenSlots.h"
#include "game/TextInput.h"
#include "game/XorChunkStream.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetGameSettings.h"
#include "platform/FolderListing.h"
#include "screens/FrameScreen.h"
#include "screens/NetLobbyScreen.h"
#include "screens/NetLobbyShared.h"
#include "screens/PilotNotices.h"
#include "ui/BitmapButton.h"
#include "ui/EditField.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/ScreenRedraw.h"
#include "ui/TextBox.h"

using namespace net_lobby;

namespace {

constexpr uint32_t kPilotForm = MakeTag("PLIN");
constexpr uint32_t kNameChunk = MakeTag("NAME");
constexpr uint32_t kCallChunk = MakeTag("CALL");
constexpr uint32_t kFaceChunk = MakeTag("FACE");
constexpr uint32_t kLogoChunk = MakeTag("LOGO");
constexpr uint32_t kMissChunk = MakeTag("MISS");
constexpr uint32_t kKillChunk = MakeTag("KILL");
// Pilot names and callsigns read from a file: at most this many bytes.
constexpr uint32_t kMaxPilotText = 63;

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

}  // namespace

void NetLobbyScreen::ShowPilotSelect() { currentPanel = pilotSelectPanel; }

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
    // The pilot's file takes the name: one no file can carry is refused
    // here, while it can still be typed again, not when the career is lost.
    const auto* const typedName = Find<EditField>(pilotCreatePanel, kNameBox);
    if (typedName != nullptr && typedName->GetText()[0] != '\0') {
        if (const char* const problem = PilotNameProblem(typedName->GetText())) {
            pilot_notices::TellNameRefused(problem);
            return;
        }
    }
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
