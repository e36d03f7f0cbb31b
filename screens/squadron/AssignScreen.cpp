#include "screens/squadron/AssignScreen.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "screens/squadron/PilotStatBoxes.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kTutorialSection = MakeTag("ASSI");
constexpr uint32_t kNoFrame = 255;
constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundClick3 = 5;
constexpr int32_t kScrollClickState = 1;
constexpr size_t kLineBytes = 96;

constexpr const char* kFaces = "faces";
constexpr const char* kAssignButton = "Assign Pilot Button";
constexpr const char* kRemoveButton = "Remove Pilot Button";

void CopyName(char* into, size_t bytes, const char* from) {
    std::strncpy(into, from, bytes - 1);
    into[bytes - 1] = '\0';
}

// Empties a list and returns its one block, keeping where it stood.
TextBlock* RestartList(ListBox& list, int32_t* selection, int32_t* top) {
    const TextBlock* const old = list.GetBlock(list.currentBlock);
    *selection = old != nullptr ? old->selection : -1;
    *top = old != nullptr ? old->topLine : -1;
    list.Clear();
    list.SetText(nullptr);
    list.SetCurrentBlock(0);
    TextBlock* const block = list.GetBlock(0);
    if (block != nullptr) {
        block->lines.clear();
        block->lineColours.clear();
    }
    return block;
}

}  // namespace

AssignScreen::AssignScreen(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 1);
    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, kNoFrame); };
    panel->AddControl(NewPlacedControl<ListBox>(220, 100, 345, 124, kPilotList));
    panel->AddControl(NewPlacedControl<ListBox>(136, 100, 448, 324, kShipList));
    PilotStatBoxes::Add(panel);
    panel->AddControl(new FacePicture(at(78, 316), FacePicture::kFaces, kFaces));
    artObjects.Append(panel);
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path)) panel->LoadSprites(file);
}

CareerRecord* AssignScreen::Career() const { return g_gameState != nullptr ? g_gameState->career : nullptr; }

ListBox* AssignScreen::List(const char* listName) const { return FindControlAs<ListBox>(panel, listName); }

BitmapButton* AssignScreen::FindButton(const char* buttonName) const { return FindControlAs<BitmapButton>(panel, buttonName); }

std::string AssignScreen::LineName(const char* line) {
    if (line == nullptr) return {};
    std::string name(line, strnlen(line, kNameColumn));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

void AssignScreen::Open() {
    currentPanel = panel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    BuildShipTable();
    FillPilotList();
    ShowFace();
    TutorialScreen::OpenOverview(*this, kTutorialSection);
}

void AssignScreen::Close() {
    if (CareerRecord* const career = Career()) {
        for (const auto& pilot : career->hiredPilots) pilot->flying = 0;
    }
    CommitAssignments();
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void AssignScreen::BuildShipTable() {
    table.clear();
    const CareerRecord* const career = Career();
    for (int32_t i = 0; career != nullptr && i < career->GetShipCount(); ++i) {
        const ShipRecord* const ship = career->GetShip(i);
        if (ship == nullptr) continue;
        auto row = std::make_unique<ShipRow>();
        CopyName(row->shipName, sizeof row->shipName, ship->name);
        CopyName(row->hullName, sizeof row->hullName, ship->hullId);
        row->pilot = ship->pilot;
        if (row->pilot != nullptr) row->pilot->flying = 1;
        row->playerShip = i == career->GetSelectedShipIndex() ? 1 : 0;
        table.push_back(std::move(row));
    }
    FillShipList();
}

void AssignScreen::FillShipList() {
    ListBox* const list = List(kShipList);
    if (list == nullptr) return;
    int32_t selection = -1, top = -1;
    TextBlock* const block = RestartList(*list, &selection, &top);
    for (const auto& row : table) {
        if (block != nullptr) block->AddItem(row->shipName);
        // A wingman never counts as flying the player's ship.
        if (row->playerShip != 0 && row->pilot != nullptr) row->pilot->flying = 0;
    }
    if (top == -1 && !table.empty()) top = 0;
    list->SetSelection(selection);
    list->SetTopLine(top);
    dirty = 1;
}

void AssignScreen::FillPilotList() {
    ListBox* const list = List(kPilotList);
    const CareerRecord* const career = Career();
    if (list == nullptr) return;
    int32_t selection = -1, top = -1;
    TextBlock* const block = RestartList(*list, &selection, &top);
    char line[kLineBytes];
    if (career != nullptr && block != nullptr) {
        for (const auto& pilot : career->hiredPilots) {
            if (pilot->flying != 0) {
                const ShipRow* flown = nullptr;
                for (const auto& row : table) {
                    if (row->pilot == pilot.get()) flown = row.get();
                }
                if (flown != nullptr) {
                    std::snprintf(line, sizeof line, "%-15s %s", pilot->name.c_str(), flown->shipName);
                } else {
                    std::snprintf(line, sizeof line, "%s", pilot->name.c_str());
                }
            } else {
                std::snprintf(line, sizeof line, "%-15s Ready", pilot->name.c_str());
            }
            block->AddItem(line);
        }
    }
    const ShipRow* player = nullptr;
    for (const auto& row : table) {
        if (row->playerShip != 0 && player == nullptr) player = row.get();
    }
    if (player != nullptr) {
        std::snprintf(line, sizeof line, "%-15s %s", kPlayerName, player->shipName);
    } else {
        std::snprintf(line, sizeof line, "%-15s Ready", kPlayerName);
    }
    if (block != nullptr) block->AddItem(line);
    if (top == -1) top = 0;
    list->SetSelection(selection);
    list->SetTopLine(top);
    dirty = 1;
    ShowPilotDetails();
}

void AssignScreen::ShowPilotDetails() {
    PilotStatBoxes::Clear(panel);
    const CareerRecord* const career = Career();
    ListBox* const list = List(kPilotList);
    if (career == nullptr || list == nullptr) return;
    const int32_t line = list->GetSelection();
    const int32_t hired = int32_t(career->hiredPilots.size());
    if (line >= 0 && line < hired) {
        const PilotRecord& pilot = *career->hiredPilots[size_t(line)];
        PilotStatBoxes::Show(panel, pilot.GetKills(), pilot.missions, pilot.GetAccuracy());
    } else if (line == hired) {
        PilotStatBoxes::Show(panel, career->kills, career->missions, career->accuracyValue);
    }
}

void AssignScreen::ShowFace() {
    ListBox* const list = List(kPilotList);
    auto* const face = FindControlAs<FacePicture>(panel, kFaces);
    if (list == nullptr || face == nullptr || list->GetSelection() < 0) return;
    face->SelectByName(LineName(list->GetSelectedItem()).c_str());
    dirty = 1;
}

void AssignScreen::Assign() {
    PlayUiClick(kSoundClick1);
    const CareerRecord* const career = Career();
    ListBox* const pilots = List(kPilotList);
    ListBox* const ships = List(kShipList);
    if (career == nullptr || pilots == nullptr || ships == nullptr) return;
    const int32_t p = pilots->GetSelection();
    const int32_t s = ships->GetSelection();
    const int32_t hired = int32_t(career->hiredPilots.size());
    if (p < 0 || p > hired || s < 0 || s >= int32_t(table.size())) return;
    ShipRow& target = *table[size_t(s)];
    if (target.pilot != nullptr) target.pilot->flying = 0;
    target.playerShip = 0;
    if (p == hired) {
        for (const auto& row : table) row->playerShip = 0;
        target.playerShip = 1;
    } else {
        PilotRecord* const pilot = career->hiredPilots[size_t(p)].get();
        for (const auto& row : table) {
            if (row->pilot == pilot) row->pilot = nullptr;
        }
        target.pilot = pilot;
        pilot->flying = 1;
    }
    FillShipList();
    FillPilotList();
}

void AssignScreen::Remove() {
    PlayUiClick(kSoundClick1);
    const CareerRecord* const career = Career();
    ListBox* const pilots = List(kPilotList);
    const int32_t p = pilots != nullptr ? pilots->GetSelection() : -1;
    const int32_t hired = career != nullptr ? int32_t(career->hiredPilots.size()) : 0;
    // By the line's place, never by its text: one name may hold another.
    if (career != nullptr && p == hired) {
        for (const auto& row : table) row->playerShip = 0;
    } else if (career != nullptr && p >= 0 && p < hired) {
        PilotRecord* const pilot = career->hiredPilots[size_t(p)].get();
        for (const auto& row : table) {
            if (row->pilot == pilot) row->pilot = nullptr;
        }
        pilot->flying = 0;
    }
    FillShipList();
    FillPilotList();
}

void AssignScreen::CommitAssignments() {
    CareerRecord* const career = Career();
    bool selected = false;
    for (size_t i = 0; i < table.size(); ++i) {
        ShipRecord* const ship = career != nullptr ? career->GetShip(int32_t(i)) : nullptr;
        if (ship == nullptr) continue;
        ship->pilot = table[i]->pilot;
        if (table[i]->playerShip != 0) {
            career->SelectShip(int32_t(i));
            selected = true;
        }
    }
    table.clear();
    if (career != nullptr && !selected) career->SelectShip(-1);
}

int32_t AssignScreen::Button(uint16_t code, const char* buttonName, const char* topic) {
    return PressButton(code, FindButton(buttonName), edgeEvents.TestEvent(kCodeHelp) ? topic : nullptr);
}

void AssignScreen::ScrollList(const char* listName, const char* buttonName, bool up) {
    PlayUiClick(kSoundClick3);
    if (ListBox* const list = List(listName)) {
        if (up) {
            list->PageUp();
        } else {
            list->PageDown();
        }
    }
    if (BitmapButton* const button = FindButton(buttonName)) button->SetState(kScrollClickState);
}

void AssignScreen::ListKeys(ListBox& list) {
    if (edgeEvents.TestEvent(kCodeClear)) list.ClearSelection();
    if (edgeEvents.TestEvent(kCodeLineUp)) FocusLineUp(list);
    if (edgeEvents.TestEvent(kCodeLineDown)) FocusLineDown(list);
    if (edgeEvents.TestEvent(kCodePageUp)) list.PageUp();
    if (edgeEvents.TestEvent(kCodePageDown)) list.PageDown();
}

int32_t AssignScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext && edgeEvents.TestEvent(code)) FocusNextHotspot();
    if (code == kCodeFocusPrevious && edgeEvents.TestEvent(code)) FocusPreviousHotspot();
    const bool select = edgeEvents.TestEvent(kCodeSelect);
    const struct {
        uint16_t code;
        const char* list;
        const char* button;
        bool up;
    } scrolls[] = {{kCodePilotUp, kPilotList, "Scroll Up", true},
                   {kCodePilotDown, kPilotList, "Scroll Down", false},
                   {kCodeShipUp, kShipList, "Scroll Up2", true},
                   {kCodeShipDown, kShipList, "Scroll Down2", false}};
    for (const auto& scroll : scrolls) {
        if (code != scroll.code) continue;
        if (select) {
            ScrollList(scroll.list, scroll.button, scroll.up);
            return 1;
        }
        return Button(code, scroll.button, nullptr);
    }
    switch (code) {
        case kCodeAssign:
            if (select) {
                Assign();
                return 1;
            }
            return Button(code, kAssignButton, "AS_PILOT_ASSIGN");
        case kCodeRemove:
            if (select) {
                Remove();
                return 1;
            }
            return Button(code, kRemoveButton, "AS_PILOT_REMOVE");
        case kCodeShipList:
        case kCodePilotList: {
            ListBox* const list = List(code == kCodeShipList ? kShipList : kPilotList);
            if (list == nullptr) return 1;
            if (!select) {
                ListKeys(*list);
                return 1;
            }
            PlayUiClick(kSoundClick2);
            uint16_t x = 0, y = 0;
            if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
            list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, kNoFrame));
            if (code == kCodePilotList) {
                ShowFace();
                FillPilotList();
            }
            return 1;
        }
        default: return 1;
    }
}
