#include "screens/SaveScreen.h"

#include <cstring>

#include "display/FontContext.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "game/XorChunkStream.h"
#include "mission/SavedGame.h"
#include "net/NetSession.h"
#include "platform/MessageBox.h"
#include "screens/FrameScreen.h"
#include "screens/NetLobbyScreen.h"
#include "screens/PilotNotices.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EditField.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kBodyType = MakeTag("BODY");
constexpr uint32_t kTitleId = MakeTag("NAME");
constexpr uint32_t kSection = MakeTag("SAVE");
constexpr uint32_t kNoFrame = 255;
constexpr int32_t kUiSoundClick2 = 1;
constexpr int32_t kUiSoundClick1 = 2;
constexpr int32_t kUiSoundLoaded = 46;
constexpr int32_t kUiSoundSaved = 47;
// The Save and Load buttons show their click picture for this many draws.
constexpr int32_t kClickDraws = 10;
constexpr const char* kAutoSaveName = "auto";
constexpr const char* kAutoSaveText = "Auto Save";
constexpr const char* kNewGameButton = "New Game Button";
constexpr const char* kSaveGameButton = "Save Game Button";
constexpr const char* kLoadGameButton = "Load Game Button";

constexpr const char* kSaveFailedCaption = "Save Game";

GameState* Game() { return g_gameState; }

bool SessionActive() {
    return Game() != nullptr && Game()->netSession != nullptr && Game()->netSession->IsActive();
}

std::string SlotName(int32_t slot) { return "slot" + std::to_string(slot); }

std::string EntryName(int32_t slot) { return "save" + std::to_string(slot); }

std::string RowButtonName(int32_t slot) {
    return slot == 0 ? std::string("Slot Name Button") : "Slot Name Button" + std::to_string(slot + 1);
}

}  // namespace

SaveScreen::SaveScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject(kPanelName, 0);
    savePanel = new ArtObject("save", 0);
    loadPanel = new ArtObject("load", 0);
    for (ArtObject* const panel : {mainPanel, savePanel, loadPanel}) artObjects.Append(panel);
    for (int32_t slot = 0; slot <= kAutoSlot; ++slot) {
        const FrameRect corner = FrameRect::Init(kEntryLeft, kEntryTop + kRowPixels * slot, kNoFrame);
        auto* const entry = new EditField(kEntryWidth, kEntryHeight, corner, corner, corner, kNoFrame, 0,
                                          EntryName(slot).c_str());
        entry->SetText("");
        mainPanel->AddControl(entry);
    }
    Entry(kAutoSlot)->SetText(kAutoSaveText);
    const FrameRect corner = FrameRect::Init(kMessageLeft, kMessageTop, kNoFrame);
    messageLine_ = new TextBox(kMessageWidth, kMessageHeight, corner, corner, corner, kNoFrame, 0, kMessageName);
    mainPanel->AddControl(messageLine_);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path)) {
        mainPanel->LoadSprites(file);
    }
}

EditField* SaveScreen::Entry(int32_t slot) const {
    return dynamic_cast<EditField*>(mainPanel->FindControl(EntryName(slot).c_str()));
}

BitmapButton* SaveScreen::RowButton(int32_t slot) const { return Button(RowButtonName(slot).c_str()); }

BitmapButton* SaveScreen::Button(const char* buttonName) const {
    return dynamic_cast<BitmapButton*>(mainPanel->FindControl(buttonName));
}

void SaveScreen::Open() {
    selectedSlot = kNoSlot;
    messageLine_->Clear();
    currentPanel = mainPanel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    SelectFont(TextBox::kFontName);
    SetTextInputBuffer(kTypedBytes);
    ReadSlotNames();
    TutorialScreen::OpenOverview(*this, kSection);
}

void SaveScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void SaveScreen::Update() {
    if (selectedSlot == kAutoSlot) {
        if (BitmapButton* const row = RowButton(kAutoSlot)) row->Press();
        return;
    }
    if (selectedSlot < 0 || selectedSlot >= kSlots) return;
    if (BitmapButton* const row = RowButton(selectedSlot)) row->Press();
    EditField* const entry = Entry(selectedSlot);
    if (entry == nullptr) return;
    const char* const typed = g_textInput != nullptr ? g_textInput : "";
    if (typed[0] != '\0') {
        entry->SetText(typed);
        repaintCountdown = 1;
    } else if (std::strlen(entry->GetText()) < 2) {
        // The last typed letter erased: the entry is empty, not that letter.
        entry->SetText("");
    }
}

Status SaveScreen::ReadSlotTitle(const char* path, std::string* title) {
    XorChunkStream stream;
    Status status = stream.Open(path, kOpenRead);
    if (status != kStatusOk) return status;
    if (stream.FindForm(kBodyType) != kStatusOk || stream.Descend() != kStatusOk ||
        stream.FindChunk(kTitleId) != kStatusOk) {
        return kStatusSaveBadFile;
    }
    char bytes[kMaxTitleBytes + 1] = {};
    uint32_t stored = 0;
    status = stream.ReadChunkData(bytes, kMaxTitleBytes, &stored);
    if (status != kStatusOk) return status;
    bytes[stored] = '\0';
    *title = bytes;
    return kStatusOk;
}

void SaveScreen::ReadSlotNames() {
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        EditField* const entry = Entry(slot);
        if (entry == nullptr) continue;
        entry->Deactivate();
        // What the file holds, not what was typed: a slot without a save
        // (one whose save failed too) reads empty.
        const std::string path = SavedGamePath(SlotName(slot).c_str());
        std::string title;
        if (!FileExists(path.c_str()) || ReadSlotTitle(path.c_str(), &title) != kStatusOk) title.clear();
        entry->SetText(title.c_str());
    }
}

void SaveScreen::DeselectSlots() {
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        if (EditField* const entry = Entry(slot)) entry->Deactivate();
        if (BitmapButton* const row = RowButton(slot)) row->Reset();
    }
}

void SaveScreen::SelectSlot(int32_t slot) {
    if (slot == selectedSlot) {
        DeselectSlots();
        return;
    }
    ReadSlotNames();
    SetTextInputBuffer(kTypedBytes);
    if (EditField* const entry = Entry(slot)) entry->ToggleActive();
    selectedSlot = slot;
}

std::string SaveScreen::SlotTitle(const char* name, int32_t difficulty) {
    std::string cut = name != nullptr ? std::string(name).substr(0, kNameColumns) : std::string();
    cut.resize(kNameColumns, ' ');
    const char* const word = difficulty == 1 ? "Easy" : difficulty == 2 ? "Medium" : "Hard";
    return cut + " " + word;
}

void SaveScreen::MovePointer(int32_t rows) {
    uint16_t x = 0, y = 0;
    eventMap->GetMousePosition(&x, &y);
    eventMap->SetMousePosition(int16_t(x), int16_t(int32_t(y) + rows * kRowPixels));
}

int32_t SaveScreen::NewGame() {
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    GameState* const game = Game();
    if (game == nullptr) return 0;
    game->SelectNextScreen(ScreenSlot::kLobby);
    if (SessionActive()) pilot_notices::SavePilot(*game);
    NetLobbyScreen::LeaveSession(*game);
    if (auto* const frame = dynamic_cast<FrameScreen*>(game->ScreenIn(ScreenSlot::kFrame))) frame->leaveRequest = 1;
    game->StartNewCareer();
    nextPanel = nullptr;
    pushPanel = nullptr;
    transitionPhase = kPhaseClosing;
    return 0;
}

// The page's one line says the latest news only.
void SaveScreen::Tell(const char* text) {
    messageLine_->Clear();
    messageLine_->SetText(text);
    repaintCountdown = 1;
}

// On the page always; in a box too unless the display forbids boxes (a
// page-flipping display, where a box would never be seen).
void SaveScreen::ShowSaveFailed() {
    Tell(kSaveFailedText);
    if (NetLobbyScreen::messageBoxesOff != nullptr && NetLobbyScreen::messageBoxesOff()) return;
    platform::MessageBox::Current().Show(kSaveFailedText, kSaveFailedCaption,
                                         platform::kMessageBoxOk | platform::kMessageBoxIconWarning);
}

int32_t SaveScreen::Save() {
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    if (BitmapButton* const button = Button(kSaveGameButton)) button->SetState(kClickDraws);
    GameState* const game = Game();
    EditField* const entry = selectedSlot >= 0 && selectedSlot < kSlots ? Entry(selectedSlot) : nullptr;
    if (game == nullptr || entry == nullptr) return 0;
    // The name typed since the slot was chosen, else what its row shows: a
    // failed save puts the slot's stored title (or nothing) back in the
    // row, and a retry is still meant for the name typed.
    const char* const typed = g_textInput != nullptr ? g_textInput : "";
    const std::string title = SlotTitle(typed[0] != '\0' ? typed : entry->GetText(), game->difficulty);
    if (SaveGame(SlotName(selectedSlot).c_str(), title.c_str()) != kStatusOk) {
        // The slot keeps what it held; the pilot is told and the page stays
        // for another slot or another try.
        ShowSaveFailed();
        ReadSlotNames();
        return 1;
    }
    PlayUiSound(kUiSoundSaved, kUiClickSoundLevel, 1);
    messageLine_->Clear();
    ReadSlotNames();
    return 0;
}

int32_t SaveScreen::Load() {
    PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
    std::string name;
    if (selectedSlot >= 0 && selectedSlot < kSlots) {
        if (BitmapButton* const button = Button(kLoadGameButton)) button->SetState(kClickDraws);
        name = SlotName(selectedSlot);
    } else if (selectedSlot == kAutoSlot) {
        name = kAutoSaveName;
    }
    GameState* const game = Game();
    if (name.empty() || game == nullptr) return 0;
    // A slot that does not load changes nothing: the page says why and
    // stays for another slot.
    if (!FileExists(SavedGamePath(name.c_str()).c_str())) {
        Tell(kEmptySlotText);
        return 1;
    }
    const CareerRecord* const before = game->career;
    (void)LoadGame(name.c_str());
    if (game->career == before) {
        Tell(kLoadFailedText);
        return 1;
    }
    PlayUiSound(kUiSoundLoaded, kUiClickSoundLevel, 1);
    messageLine_->Clear();
    return 0;
}

int32_t SaveScreen::HandleEvent(uint16_t code) {
    const bool began = edgeEvents.TestEvent(code);
    if (code == kCodeFocusNext && began) FocusNextHotspot();
    if (code == kCodeFocusPrevious && began) FocusPreviousHotspot();
    if (currentPanel != mainPanel && ContainsId(mainPanel) == 0) return 1;
    const bool activate = edgeEvents.TestEvent(kCodeActivate);
    const bool help = edgeEvents.TestEvent(kCodeHelp);
    const struct {
        uint16_t code;
        const char* button;
        const char* topic;
        bool blockedInSession;
    } actions[] = {{kCodeNew, kNewGameButton, "SV_NEW", false},
                   {kCodeSave, kSaveGameButton, "SV_SAVE", true},
                   {kCodeLoad, kLoadGameButton, "SV_LOAD", true}};
    for (const auto& action : actions) {
        if (code != action.code) continue;
        if (action.blockedInSession && SessionActive()) break;
        if (activate) return code == kCodeNew ? NewGame() : code == kCodeSave ? Save() : Load();
        if (help) {
            TutorialScreen::OpenTopic(*this, action.topic);
        } else {
            if (began) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
            if (BitmapButton* const button = Button(action.button)) button->Press();
        }
        break;
    }
    for (int32_t slot = 0; slot <= kAutoSlot; ++slot) {
        if (code != kRowCodes[slot]) continue;
        if (activate) {
            PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
            SelectSlot(slot);
        }
        if (edgeEvents.TestEvent(kCodeDeselect) && slot == selectedSlot) DeselectSlots();
        if (slot > 0 && edgeEvents.TestEvent(kCodeRowUp)) MovePointer(-1);
        if (slot < kAutoSlot && edgeEvents.TestEvent(kCodeRowDown)) MovePointer(1);
    }
    return 1;
}
