#include "screens/squadron/RepairScreen.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/ShipRecord.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EquipmentPicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kTutorialSection = MakeTag("REPA");
constexpr uint32_t kNoFrame = 255;
constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundHotspot2 = 3;
constexpr int32_t kSoundClick3 = 5;
constexpr int32_t kScrollClickState = 1;
constexpr int32_t kRowNameWidth = 24;
// The stores lists end short of the ships list beside them (x 345): a click
// there is the ships list's alone.
constexpr int32_t kStoresListWidth = 280;
constexpr int32_t kFullFacing = 25;   // a facing's full strength per point of maximum
constexpr int32_t kFacings = 4;

constexpr const char* kShipsButton = "Ship Frames Button";
constexpr const char* kEquipmentButton = "Equipment Button";
constexpr const char* kWeaponsButton = "Weapons Button";
constexpr const char* kRepairAllButton = "Repair All Button";
constexpr const char* kEquipDisplay = "EquipDisplay";
constexpr const char* kDescription = "Description";

constexpr int32_t kWreckedFacing = 250;   // a facing's damage at its worst

// Credits for that many points: none for none (or for a price below
// nothing), at most what a count of credits holds.
int32_t Cost(int64_t points, int32_t price) {
    if (points <= 0 || price <= 0) return 0;
    return int32_t(std::min<int64_t>(points * price / RepairScreen::kPriceDivisor, INT32_MAX));
}

// The damage left once the points are spent: never below nothing, and
// points below nothing mend nothing.
int32_t Repaired(int32_t damage, int32_t points) {
    return int32_t(std::max<int64_t>(int64_t(damage) - std::max(points, 0), 0));
}

void SetMoneyText(TextBox* box, int32_t value) {
    if (box == nullptr) return;
    char text[RepairScreen::kRowBytes];
    std::snprintf(text, sizeof text, "%d", value);
    box->Clear();
    box->SetText(text);
}


}  // namespace

uint32_t RepairScreen::DamageColour(int32_t remaining) {
    if (remaining <= 0) return kIntactColour;
    if (remaining <= 50) return kWornColour;
    if (remaining <= 99) return kDamagedColour;
    return kWreckedColour;
}

std::string RepairScreen::FormatRow(const std::string& name, int32_t remaining, int32_t cost) {
    char numbers[kRowBytes];
    const int written = std::snprintf(numbers, sizeof numbers, " %5d %5d", remaining, cost);
    const size_t room = kRowBytes - 1 - size_t(std::max(written, 0));
    std::string row = name.substr(0, room);
    if (row.size() < size_t(kRowNameWidth)) row.resize(size_t(kRowNameWidth), ' ');
    return row + numbers;
}

void RepairScreen::RepairArmour(EquipmentItem& armour) {
    // In 64 bits throughout: a facing's full strength is 25 x maximum, and
    // the maximum may be any the definitions give.
    const int64_t maximum = armour.maximum;
    if (maximum <= 0) {
        armour.damage = Repaired(armour.damage, armour.repairPoints);
        return;
    }
    const int64_t full = kFullFacing * maximum;
    int64_t strength[kFacings];
    for (int32_t k = 0; k < kFacings; ++k) {
        const int64_t damage = std::min<int64_t>((uint32_t(armour.damageDetail) >> (8 * k)) & 0xFF, kWreckedFacing);
        strength[k] = full - damage * maximum / 10;
    }
    // Points past the damage would only raise facings already whole.
    int64_t budget = std::clamp<int64_t>(armour.repairPoints, 0, std::max(armour.damage, 0)) * maximum;
    while (budget > 0) {
        const int64_t lowest = *std::min_element(strength, strength + kFacings);
        if (lowest >= full) break;
        int64_t atLowest = 0;
        int64_t next = full;
        for (const int64_t s : strength) {
            if (s == lowest) ++atLowest;
            if (s > lowest && s < next) next = s;
        }
        const int64_t share = std::min(budget, (next - lowest) * atLowest);
        budget -= share;
        for (int64_t& s : strength) {
            if (s == lowest) s = std::min(full, s + share / atLowest + 1);
        }
    }
    uint32_t detail = 0;
    int64_t sum = 0;
    for (int32_t k = 0; k < kFacings; ++k) {
        const int64_t damage = std::clamp<int64_t>((full - strength[k]) * 10 / maximum, 0, kWreckedFacing);
        detail |= uint32_t(damage) << (8 * k);
        sum += strength[k];
    }
    armour.damageDetail = int32_t(detail);
    armour.damage = int32_t(std::clamp<int64_t>(100 - sum / maximum, 0, 100));
}

RepairScreen::RepairScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject(kMainPanel, 1);
    shipsPanel = new ArtObject(kShipsPanel, 1);
    weaponsPanel = new ArtObject(kWeaponsPanel, 1);
    equipmentPanel = new ArtObject(kEquipmentPanel, 1);
    for (ArtObject* panel : {mainPanel, shipsPanel, weaponsPanel, equipmentPanel}) artObjects.Append(panel);

    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, kNoFrame); };
    mainPanel->AddControl(NewPlacedControl<ListBox>(180, 90, 345, 166, kShipList));
    mainPanel->AddControl(NewPlacedControl<TextBox>(150, 73, 477, 77, kFunds));
    mainPanel->AddControl(NewPlacedControl<TextBox>(70, 12, 477, 97, kTotal));
    for (ArtObject* panel : {shipsPanel, equipmentPanel, weaponsPanel}) {
        panel->AddControl(new EquipmentPicture(113, 112, at(83, 319), kEquipDisplay));
    }
    shipsPanel->AddControl(NewPlacedControl<ListBox>(kStoresListWidth, 100, 58, 163, kStructList));
    equipmentPanel->AddControl(NewPlacedControl<ListBox>(kStoresListWidth, 100, 58, 163, kEquipList));
    weaponsPanel->AddControl(NewPlacedControl<ListBox>(kStoresListWidth, 100, 58, 163, kWeaponList));
    for (ArtObject* panel : {shipsPanel, equipmentPanel, weaponsPanel}) {
        panel->AddControl(NewPlacedControl<TextBox>(320, 100, 242, 324, kDescription));
    }
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (art_file::OpenArt(file, path)) mainPanel->LoadSprites(file);
}

RepairScreen::~RepairScreen() { ClearItemLists(); }

CareerRecord* RepairScreen::Career() const { return g_gameState != nullptr ? g_gameState->career : nullptr; }

ListBox* RepairScreen::List(const char* listName) const {
    for (const ArtObject* panel : {mainPanel, shipsPanel, equipmentPanel, weaponsPanel}) {
        if (ListBox* const list = FindControlAs<ListBox>(panel, listName)) return list;
    }
    return nullptr;
}

BitmapButton* RepairScreen::FindButton(const char* buttonName) const {
    return FindControlAs<BitmapButton>(mainPanel, buttonName);
}

std::vector<EquipmentItem*>* RepairScreen::PanelItems(const ArtObject* panel) {
    if (panel == shipsPanel) return &structure;
    if (panel == equipmentPanel) return &equipment;
    if (panel == weaponsPanel) return &weapons;
    return nullptr;
}

const char* RepairScreen::PanelListName(const ArtObject* panel) const {
    if (panel == shipsPanel) return kStructList;
    if (panel == equipmentPanel) return kEquipList;
    if (panel == weaponsPanel) return kWeaponList;
    return nullptr;
}

bool RepairScreen::PanelActive(const ArtObject* panel) const {
    return currentPanel == panel || ContainsId(panel) != 0;
}

void RepairScreen::ClearItemLists() {
    // The displays show the items: they go first.
    for (ArtObject* panel : {shipsPanel, equipmentPanel, weaponsPanel}) {
        if (auto* const display = FindControlAs<EquipmentPicture>(panel, kEquipDisplay)) {
            while (display->ItemCount() > 0) display->RemoveItem(0);
        }
    }
    equipment.clear();
    weapons.clear();
    structure.clear();
    hullEntry_.reset();
}

void RepairScreen::ForgetUnpaidRepairs() {
    CareerRecord* const career = Career();
    if (career == nullptr) return;
    const auto forget = [](EquipmentItem& item) {
        item.repairPoints = 0;
        item.repairMoney = 0;
    };
    for (const auto& item : career->stores) forget(*item);
    for (int32_t i = 0; i < career->GetShipCount(); ++i) {
        ShipRecord* const ship = career->GetShip(i);
        if (ship == nullptr) continue;
        for (const auto& item : ship->Items()) forget(*item);
        ship->repairPoints = 0;
        ship->hullRepairMoney = 0;
    }
}

void RepairScreen::Open() {
    pendingTotal = 0;
    remainingCost = 0;
    ForgetUnpaidRepairs();
    const CareerRecord* const career = Career();
    if (ListBox* const ships = List(kShipList)) {
        ships->StartOver();
        if (TextBlock* const block = ships->GetBlock(0)) {
            block->AddItem(kStoresRow);
            for (int32_t i = 0; career != nullptr && i < career->GetShipCount(); ++i) {
                const ShipRecord* const ship = career->GetShip(i);
                block->AddItem(ship != nullptr ? ship->displayName.c_str() : "");
            }
        }
        ships->SetSelection(0);
    }
    if (ListBox* const list = List(kStructList)) list->SetSelection(0);
    ListBox* const ships = List(kShipList);
    SelectShip(ships != nullptr ? ships->GetSelection() : 0);
    currentPanel = mainPanel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    SwitchTo(shipsPanel);
    TutorialScreen::OpenOverview(*this, kTutorialSection);
}

void RepairScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
    ApplyRepairs();
}

void RepairScreen::SwitchTo(ArtObject* panel) {
    nextPanel = panel;
    pushPanel = mainPanel;
    transitionPhase = kPhaseClosing;
    const struct {
        ArtObject* panel;
        const char* button;
    } buttons[] = {{shipsPanel, kShipsButton}, {equipmentPanel, kEquipmentButton}, {weaponsPanel, kWeaponsButton}};
    for (const auto& entry : buttons) {
        if (BitmapButton* const button = FindButton(entry.button)) {
            button->SetState(entry.panel == panel ? BitmapButton::kLatched : 0);
        }
    }
}

void RepairScreen::SelectShip(int32_t row) {
    ClearItemLists();
    CareerRecord* const career = Career();
    if (career == nullptr || row < 0 || row > career->GetShipCount()) return;
    if (row == 0) {
        const int32_t count = career->CountStoredItems(EquipmentItem::kAll);
        for (int32_t i = 0; i < count; ++i) {
            EquipmentItem* const item = career->GetStoredItem(i, EquipmentItem::kAll);
            if (item != nullptr && item->damage > 0) AddDamagedItem(item);
        }
    } else if (ShipRecord* const ship = career->GetShip(row - 1)) {
        const int32_t count = ship->CountItems(EquipmentItem::kAll);
        for (int32_t i = 0; i < count; ++i) {
            EquipmentItem* const item = ship->GetItem(i, EquipmentItem::kAll);
            if (item != nullptr && item->damage > 0) AddDamagedItem(item);
        }
        if (ship->damage > 0) {
            hullEntry_ = std::make_unique<EquipmentItem>(ship, false);
            hullEntry_->damage = ship->damage;
            hullEntry_->repairPoints = ship->repairPoints;
            hullEntry_->repairMoney = ship->hullRepairMoney;
            structure.push_back(hullEntry_.get());
        }
    }
    FillLists();
}

void RepairScreen::AddDamagedItem(EquipmentItem* item) {
    if (item == nullptr) return;
    std::vector<EquipmentItem*>& list = item->kind == EquipmentItem::kArmor         ? structure
                                        : item->kind < EquipmentItem::kFirstWeapon ? equipment
                                                                                   : weapons;
    const int32_t category = item->GetCategory();
    const auto place = std::find_if(list.begin(), list.end(), [&](const EquipmentItem* other) {
        const int32_t otherCategory = other->GetCategory();
        return otherCategory > category || (otherCategory == category && other->price > item->price);
    });
    list.insert(place, item);
}

void RepairScreen::FillLists() {
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    ArtObject* const panel = currentPanel;
    const std::vector<EquipmentItem*>* const items = PanelItems(panel);
    ListBox* const list = items != nullptr ? FindControlAs<ListBox>(panel, PanelListName(panel)) : nullptr;
    if (list != nullptr) {
        auto* const display = FindControlAs<EquipmentPicture>(panel, kEquipDisplay);
        if (display != nullptr) {
            while (display->ItemCount() > 0) display->RemoveItem(0);
        }
        TextBox* const description = FindControlAs<TextBox>(panel, kDescription);
        if (description != nullptr) description->Clear();
        const TextBlock* const old = list->GetBlock(list->currentBlock);
        int32_t selection = old != nullptr ? old->selection : -1;
        int32_t top = old != nullptr ? old->topLine : 0;
        list->StartOver();
        if (TextBlock* const block = list->GetBlock(0)) {
            for (const EquipmentItem* item : *items) {
                const int32_t remaining = Repaired(item->damage, item->repairPoints);
                block->AddItem(FormatRow(item->name, remaining, Cost(remaining, item->price)).c_str());
                block->lineColours.push_back(palette != nullptr ? palette->MatchColor(DamageColour(remaining)) : 0);
            }
        }
        if (top == -1) top = 0;
        if (selection == -1 && !items->empty()) selection = 0;
        list->SetSelection(std::min(selection, int32_t(items->size()) - 1));
        list->SetTopLine(top);
        const int32_t line = list->GetSelection();
        if (line >= 0 && line < int32_t(items->size())) {
            EquipmentItem* const shown = (*items)[size_t(line)];
            if (display != nullptr) display->AddImage(shown);
            if (description != nullptr) description->SetText(shown->description.c_str());
        }
        dirty = 1;
    }
    const CareerRecord* const career = Career();
    SetMoneyText(FindControlAs<TextBox>(mainPanel, kFunds), career != nullptr ? career->funds : 0);
    SetMoneyText(FindControlAs<TextBox>(mainPanel, kTotal), pendingTotal);
    // What "Repair All" would add: booked money never makes an item's share
    // a refund, nor the sum more than a count of credits holds.
    int64_t remaining = 0;
    for (const auto* from : {&equipment, &structure, &weapons}) {
        for (const EquipmentItem* item : *from) {
            remaining += std::max<int64_t>(int64_t(Cost(item->damage, item->price)) - item->repairMoney, 0);
        }
    }
    remainingCost = int32_t(std::min<int64_t>(remaining, INT32_MAX));
}

void RepairScreen::RepairStep(int32_t before) {
    std::vector<EquipmentItem*>* const items = PanelItems(currentPanel);
    ListBox* const list = items != nullptr ? FindControlAs<ListBox>(currentPanel, PanelListName(currentPanel)) : nullptr;
    const CareerRecord* const career = Career();
    if (list == nullptr || career == nullptr) return;
    const int32_t line = list->GetSelection();
    if (line == before && line >= 0 && line < int32_t(items->size())) {
        EquipmentItem& item = *(*items)[size_t(line)];
        const int32_t remaining = Repaired(item.damage, item.repairPoints);
        const int32_t step = std::min(kStepPoints, remaining);
        const int32_t cost = Cost(step, item.price);
        const bool reserveShort = currentPanel == weaponsPanel && career->funds < int64_t(pendingTotal) + kWeaponReserve;
        if (remaining > 0 && !reserveShort && int64_t(pendingTotal) + cost <= career->funds) {
            item.repairPoints = std::max(item.repairPoints, 0) + step;
            pendingTotal += cost;
            item.repairMoney = Cost(item.repairPoints, item.price);
            if (&item == hullEntry_.get() && item.ship != nullptr) {
                item.ship->repairPoints = item.repairPoints;
                item.ship->hullRepairMoney = item.repairMoney;
            }
        }
    }
    FillLists();
}

void RepairScreen::RepairAll() {
    const CareerRecord* const career = Career();
    if (career == nullptr || int64_t(pendingTotal) + remainingCost > career->funds) {
        PlayUiClick(kSoundHotspot2);
        return;
    }
    PlayUiClick(kSoundClick1);
    pendingTotal += remainingCost;
    remainingCost = 0;
    for (const auto* from : {&equipment, &weapons, &structure}) {
        for (EquipmentItem* item : *from) {
            item->repairPoints = item->damage;
            item->repairMoney = Cost(item->damage, item->price);
            if (item == hullEntry_.get() && item->ship != nullptr) {
                item->ship->repairPoints = item->damage;
                item->ship->hullRepairMoney = item->repairMoney;
            }
        }
    }
    ListBox* const ships = List(kShipList);
    SelectShip(ships != nullptr ? ships->GetSelection() : -1);
}

void RepairScreen::ApplyRepairs() {
    CareerRecord* const career = Career();
    ClearItemLists();
    if (career == nullptr) return;
    const auto repair = [](EquipmentItem& item) {
        if (item.repairPoints > 0) {
            if (item.kind == EquipmentItem::kArmor) {
                RepairArmour(item);
            } else {
                item.damage = Repaired(item.damage, item.repairPoints);
                const int64_t detail = int64_t(item.damage) * item.maximum / 100;
                item.damageDetail = int32_t(std::clamp<int64_t>(detail, INT32_MIN, INT32_MAX));
            }
        }
        item.repairMoney = 0;
        item.repairPoints = 0;
    };
    for (const auto& item : career->stores) repair(*item);
    for (int32_t i = 0; i < career->GetShipCount(); ++i) {
        ShipRecord* const ship = career->GetShip(i);
        if (ship == nullptr) continue;
        for (int32_t j = 0; j < ship->CountItems(EquipmentItem::kAll); ++j) {
            if (EquipmentItem* const item = ship->GetItem(j, EquipmentItem::kAll)) repair(*item);
        }
        ship->damage = Repaired(ship->damage, ship->repairPoints);
        ship->repairPoints = 0;
        ship->hullRepairMoney = 0;
    }
    // Every step was checked against the funds; a total past them still
    // leaves no debt.
    career->funds = int32_t(std::max<int64_t>(int64_t(career->funds) - pendingTotal, 0));
    pendingTotal = 0;
    remainingCost = 0;
}

int32_t RepairScreen::Draw() {
    bool panelChanged = false;
    const int32_t result = DrawOwnGatePass(&panelChanged);
    // A panel just shown builds its list in the same step.
    if (panelChanged) FillLists();
    return result;
}

int32_t RepairScreen::Button(uint16_t code, const char* buttonName, const char* topic) {
    return PressButton(code, FindButton(buttonName), edgeEvents.TestEvent(kCodeHelp) ? topic : nullptr);
}

void RepairScreen::Scroll(ListBox* list, const char* buttonName, int32_t direction) {
    PlayUiClick(kSoundClick3);
    if (BitmapButton* const button = FindButton(buttonName)) button->SetState(kScrollClickState);
    if (list == nullptr) return;
    if (direction < 0) {
        list->PageUp();
    } else {
        list->PageDown();
    }
}

void RepairScreen::ListKeys(ListBox& list) {
    if (edgeEvents.TestEvent(kCodeClear)) {
        list.ClearSelection();
        dirty = 1;
    }
    if (edgeEvents.TestEvent(kCodeLineUp)) FocusLineUp(list);
    if (edgeEvents.TestEvent(kCodeLineDown)) FocusLineDown(list);
    if (edgeEvents.TestEvent(kCodePageUp)) list.PageUp();
    if (edgeEvents.TestEvent(kCodePageDown)) list.PageDown();
}

int32_t RepairScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext && edgeEvents.TestEvent(code)) FocusNextHotspot();
    if (code == kCodeFocusPrevious && edgeEvents.TestEvent(code)) FocusPreviousHotspot();
    const bool select = edgeEvents.TestEvent(kCodeSelect);
    uint16_t x = 0, y = 0;
    if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
    const FrameRect pointer = FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, kNoFrame);

    if (PanelActive(mainPanel)) {
        ListBox* const ships = List(kShipList);
        switch (code) {
            case kCodeShipScrollUp:
            case kCodeShipScrollDown: {
                const bool up = code == kCodeShipScrollUp;
                if (select) {
                    Scroll(ships, up ? "Scroll Up3" : "Scroll Down3", up ? -1 : 1);
                    return 1;
                }
                return Button(code, up ? "Scroll Up3" : "Scroll Down3", nullptr);
            }
            case kCodeRepairAll:
                if (select) {
                    RepairAll();
                    return 1;
                }
                return Button(code, kRepairAllButton, "RE_REPAIR_ALL");
            case kCodeShipList:
                if (ships == nullptr) return 1;
                if (select) {
                    PlayUiClick(kSoundClick2);
                    ships->SelectAt(pointer);
                    SelectShip(ships->GetSelection());
                } else {
                    ListKeys(*ships);
                }
                return 1;
            case kCodeShipsView:
            case kCodeEquipmentView:
            case kCodeWeaponsView: {
                ArtObject* const panel = code == kCodeShipsView       ? shipsPanel
                                         : code == kCodeEquipmentView ? equipmentPanel
                                                                      : weaponsPanel;
                const char* const button = code == kCodeShipsView       ? kShipsButton
                                           : code == kCodeEquipmentView ? kEquipmentButton
                                                                        : kWeaponsButton;
                if (select) {
                    PlayUiClick(kSoundClick1);
                    SwitchTo(panel);
                    return 1;
                }
                return Button(code, button,
                              code == kCodeShipsView       ? "RE_STRUCT"
                              : code == kCodeEquipmentView ? "RE_EQUIP"
                                                           : "RE_WEAPON");
            }
            default: break;
        }
    }

    for (ArtObject* panel : {shipsPanel, equipmentPanel, weaponsPanel}) {
        if (!PanelActive(panel)) continue;
        ListBox* const list = FindControlAs<ListBox>(panel, PanelListName(panel));
        TextBox* const description = FindControlAs<TextBox>(panel, kDescription);
        switch (code) {
            case kCodeTextUp:
            case kCodeTextDown: {
                const bool up = code == kCodeTextUp;
                if (select) {
                    PlayUiClick(kSoundClick3);
                    if (BitmapButton* const b = FindButton(up ? "Scroll Up" : "Scroll Down")) b->SetState(kScrollClickState);
                    if (description != nullptr) {
                        if (up) {
                            description->PageUp();
                        } else {
                            description->PageDown();
                        }
                    }
                    return 1;
                }
                return Button(code, up ? "Scroll Up" : "Scroll Down", nullptr);
            }
            case kCodeDescription:
                if (description != nullptr && edgeEvents.TestEvent(kCodePageUp)) description->PageUp();
                if (description != nullptr && edgeEvents.TestEvent(kCodePageDown)) description->PageDown();
                return 1;
            case kCodeListUp:
            case kCodeListDown: {
                const bool up = code == kCodeListUp;
                if (select) {
                    Scroll(list, up ? "Scroll Up2" : "Scroll Down2", up ? -1 : 1);
                    return 1;
                }
                return Button(code, up ? "Scroll Up2" : "Scroll Down2", nullptr);
            }
            case kCodePanelList:
                if (list == nullptr) return 1;
                if (select) {
                    PlayUiClick(kSoundClick2);
                    const int32_t before = list->GetSelection();
                    list->SelectAt(pointer);
                    RepairStep(before);
                } else {
                    ListKeys(*list);
                }
                return 1;
            default: break;
        }
    }
    return 1;
}
