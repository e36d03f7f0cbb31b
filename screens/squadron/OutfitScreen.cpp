#include "screens/squadron/OutfitScreen.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <strings.h>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/ShipRecord.h"
#include "screens/squadron/DataSheet.h"
#include "screens/squadron/OutfitHotspots.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EquipmentPicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kArtForm = MakeTag("OPTI");
// Where the stores' picture controls sit, each 113 x 112; a picture wider
// than that is centred on it.
constexpr int32_t kPictureLeft = 503;
constexpr int32_t kPictureTop = 188;
constexpr uint32_t kPlaqueForm = MakeTag("PLAQ");
constexpr uint32_t kShipForm = MakeTag("SHIP");
constexpr uint32_t kButtonsForm = MakeTag("SUBS");
constexpr uint32_t kWeaponButtonsForm = MakeTag("WEAP");
constexpr uint32_t kEquipmentButtonsForm = MakeTag("EQUP");
constexpr uint32_t kTutorialSection = MakeTag("OUTF");
constexpr uint32_t kNoFrame = 255;
constexpr uint32_t kBlitOptions = 0xFF000000u;

constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundClick3 = 5;
constexpr int32_t kSoundGrab = 9;
constexpr int32_t kSoundRelease = 10;
constexpr int32_t kSoundWrongKind = 53;
// The scroll buttons show their click picture for one draw.
constexpr int32_t kScrollClickState = 1;

constexpr const char* kShipsButton = "Outfitting Ship Button";
constexpr const char* kWeaponsButton = "Outfitting Weapons Button";
constexpr const char* kEquipmentButton = "Outfitting Equipment Button";
constexpr const char* kAssignButton = "Outfitting Assignment Button";
constexpr const char* kScrollUpButton = "Scroll Up";
constexpr const char* kScrollDownButton = "Scroll Down";
constexpr const char* kEquipDisplay = "EquipDisplay";
constexpr const char* kWeaponDisplay = "WeaponDisplay";
constexpr const char* kShipsDisplay = "ShipsDisplay";
// Rows: type name, display name cut to its first 24 characters, quantity.
constexpr int32_t kRowNameChars = 24;

// The ship picture of each hull, in the art file's order.
constexpr const char* kShipPictureHulls[OutfitScreen::kShipPictures] = {"P102", "P303", "P504",
                                                                        "P405", "P408", "P107"};

void BlitPicture(const Bitmap& picture, int32_t x, int32_t y) {
    Canvas* const canvas = g_gameCanvas;
    if (canvas == nullptr || picture.pixels == nullptr || picture.bytesPerPixel != Bitmap::kDepth8Bit) return;
    // A view of the picture's pixels for the blit; they stay the picture's.
    PixelImage image(PixelImage::kFormat8Bit);
    image.width = int16_t(picture.width);
    image.height = int16_t(picture.height);
    image.pixels = picture.pixels;
    const CanvasRect rect{x, y, picture.width, picture.height};
    canvas->BlitImage(&rect, &image, kBlitOptions);
    image.ReleaseCopies();
    image.pixels = nullptr;
}

}  // namespace

uint32_t OutfitScreen::DamageColour(int32_t damage) {
    if (damage <= 0) return kIntactColour;
    if (damage <= 50) return kWornColour;
    if (damage < 100) return kDamagedColour;
    return kWreckedColour;
}

OutfitScreen::OutfitScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject(kMainPanel, 1);
    weaponsView = new ArtObject(kWeaponsPanel, 1);
    shipsView = new ArtObject(kShipsPanel, 1);
    equipmentView = new ArtObject(kEquipmentPanel, 1);
    for (ArtObject* panel : {mainPanel, weaponsView, shipsView, equipmentView}) artObjects.Append(panel);

    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, kNoFrame); };
    const struct {
        const char* name;
        ArtObject* panel;
    } lists[] = {{kShipList, shipsView}, {kEquipList, equipmentView}, {kWeaponList, weaponsView}};
    for (const auto& list : lists) {
        list.panel->AddControl(NewPlacedControl<ListBox>(220, 100, 72, 342, list.name));
    }
    DataSheet::AddBoxes(mainPanel, 388, 347);
    auto* const equipmentDisplay = new EquipmentPicture(113, 112, at(kPictureLeft, kPictureTop), kEquipDisplay);
    equipmentDisplay->kind = EquipmentPicture::kKindEquipment;
    equipmentView->AddControl(equipmentDisplay);
    auto* const weaponDisplay = new EquipmentPicture(113, 112, at(kPictureLeft, kPictureTop), kWeaponDisplay);
    weaponDisplay->kind = EquipmentPicture::kKindWeapons;
    weaponsView->AddControl(weaponDisplay);
    auto* const shipsDisplay = new EquipmentPicture(113, 112, at(kPictureLeft, kPictureTop), kShipsDisplay);
    shipsDisplay->shipPicture = [this](const ShipRecord& ship) { return ShipPicture(ship); };
    shipsView->AddControl(shipsDisplay);
    ReadArtFile();
}

OutfitScreen::~OutfitScreen() {
    for (Bitmap* picture : plaques) delete picture;
    for (Bitmap* picture : shipPictures) delete picture;
}

void OutfitScreen::ReadArtFile() {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + ShipRecord::kHullFileName;
    IffFile file(0);
    if (file.OpenFile(path.c_str(), kOpenRead) != kStatusOk || file.FindForm(kArtForm) != kStatusOk ||
        file.Descend() != kStatusOk) {
        return;
    }
    const uint32_t level = file.Level();
    mainPanel->LoadSprites(file);
    file.Rewind(0);
    LoadPictures(file, kPlaqueForm, plaques);
    LoadPictures(file, kShipForm, shipPictures);
    if (file.FindForm(kButtonsForm) != kStatusOk || file.Descend() != kStatusOk) return;
    const uint32_t buttons = file.Level();
    if (file.FindForm(kWeaponButtonsForm) == kStatusOk && file.Descend() == kStatusOk) {
        weaponsView->LoadButtons(file);
        art_file::LeaveTo(file, buttons);
    }
    file.Rewind(0);
    if (file.FindForm(kEquipmentButtonsForm) == kStatusOk && file.Descend() == kStatusOk) {
        equipmentView->LoadButtons(file);
    }
    art_file::LeaveTo(file, level);
}

void OutfitScreen::LoadPictures(IffFile& file, uint32_t form, DynArray<Bitmap*>& into) {
    art_file::ReadPictures(file, form, into);
    file.Rewind(0);
}

CareerRecord* OutfitScreen::Career() const { return g_gameState != nullptr ? g_gameState->career : nullptr; }

ListBox* OutfitScreen::List(const char* listName) const {
    for (const ArtObject* panel : {shipsView, equipmentView, weaponsView}) {
        if (ListBox* const list = FindControlAs<ListBox>(panel, listName)) return list;
    }
    return nullptr;
}

BitmapButton* OutfitScreen::FindButton(const char* buttonName, const ArtObject* first) const {
    if (BitmapButton* const own = FindControlAs<BitmapButton>(first, buttonName)) return own;
    for (const ArtObject* panel : {mainPanel, shipsView, equipmentView, weaponsView}) {
        if (BitmapButton* const button = FindControlAs<BitmapButton>(panel, buttonName)) return button;
    }
    return nullptr;
}

void OutfitScreen::Open() {
    CareerRecord* const career = Career();
    selectedShipIndex = career != nullptr ? career->GetSelectedShipIndex() : -1;
    currentPanel = mainPanel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    FillLists();
    nextPanel = shipsView;
    pushPanel = mainPanel;
    transitionPhase = kPhaseClosing;
    if (BitmapButton* const button = FindButton(kShipsButton)) button->SetState(BitmapButton::kLatched);
    if (BitmapButton* const button = FindButton(kWeaponsButton)) button->SetState(0);
    if (BitmapButton* const button = FindButton(kEquipmentButton)) button->SetState(0);
    TutorialScreen::OpenOverview(*this, kTutorialSection);
    SetMountHotspots(shipsView);
}

void OutfitScreen::Close() {
    if (draggedItem != nullptr) {
        PlayUiClick(kSoundRelease);
        ReturnDraggedItem();
    }
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
    ClearLists();
}

void OutfitScreen::EmptyDisplays() {
    for (const auto& [panel, displayName] :
         {std::pair{equipmentView, kEquipDisplay}, std::pair{weaponsView, kWeaponDisplay}, std::pair{shipsView, kShipsDisplay}}) {
        if (auto* const display = FindControlAs<EquipmentPicture>(panel, displayName)) display->ClearLists();
    }
}

void OutfitScreen::ClearLists() {
    EmptyDisplays();
    for (const char* listName : {kShipList, kWeaponList, kEquipList}) {
        if (ListBox* const list = List(listName)) list->Clear();
    }
    dirty = 1;
}

void OutfitScreen::AddStoreRows(ListBox& list, int32_t filter) const {
    const CareerRecord* const career = Career();
    TextBlock* const block = list.GetBlock(list.currentBlock);
    if (career == nullptr || block == nullptr) return;
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    const int32_t count = career->CountStoredItems(filter);
    for (int32_t i = 0; i < count; ++i) {
        const EquipmentItem* const item = career->GetStoredItem(i, filter);
        if (item == nullptr) continue;
        const std::string name = item->name.substr(0, kRowNameChars);
        char row[96];
        std::snprintf(row, sizeof row, "%-12s%-23s%d", ItemTypeName(item->kind), name.c_str(), item->quantity);
        block->AddItem(row);
        block->lineColours.resize(size_t(block->LineCount()), 0);
        block->lineColours.back() = palette != nullptr ? palette->MatchColor(DamageColour(item->damage)) : 0;
    }
}

void OutfitScreen::FillLists() {
    for (const char* listName : {kWeaponList, kEquipList, kShipList}) {
        ListBox* const list = List(listName);
        if (list == nullptr) continue;
        list->StartOver();
    }
    dirty = 1;
    if (ListBox* const list = List(kWeaponList)) AddStoreRows(*list, EquipmentItem::kWeapons);
    if (ListBox* const list = List(kEquipList)) AddStoreRows(*list, EquipmentItem::kSystems);
    CareerRecord* const career = Career();
    ListBox* const ships = List(kShipList);
    if (ships != nullptr && career != nullptr) {
        if (TextBlock* const block = ships->GetBlock(0)) {
            const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
            for (int32_t i = 0; i < career->GetShipCount(); ++i) {
                const ShipRecord* const ship = career->GetShip(i);
                block->AddItem(ship != nullptr ? ship->displayName.c_str() : "");
                block->lineColours.push_back(
                    palette != nullptr && ship != nullptr ? palette->MatchColor(DamageColour(ship->damage)) : 0);
            }
        }
    }
    for (const char* listName : {kEquipList, kWeaponList, kShipList}) {
        if (ListBox* const list = List(listName)) list->SetSelection(list->GetLineCount() > 0 ? 0 : -1);
    }
    selectedShip = career != nullptr ? career->GetShip(selectedShipIndex) : nullptr;
    if (ships != nullptr && career != nullptr) ships->SetSelection(career->GetSelectedShipIndex());
}

void OutfitScreen::RefillEquipList() { RefillList(kEquipList, EquipmentItem::kSystems); }

void OutfitScreen::RefillWeaponList() { RefillList(kWeaponList, EquipmentItem::kWeapons); }

void OutfitScreen::RefillList(const char* listName, int32_t filter) {
    ListBox* const list = List(listName);
    if (list == nullptr) return;
    TextBlock* const old = list->GetBlock(list->currentBlock);
    int32_t top = old != nullptr ? old->topLine : 0;
    const int32_t selection = old != nullptr ? old->GetSelection() : -1;
    list->StartOver();
    dirty = 1;
    AddStoreRows(*list, filter);
    const CareerRecord* const career = Career();
    if (top == -1 && career != nullptr && career->CountStoredItems(filter) > 0) top = 0;
    list->SetTopLine(top);
    list->SetSelection(selection);
}

void OutfitScreen::ShowDataSheet() {
    EmptyDisplays();
    if (currentPanel == equipmentView && shownItem != nullptr) {
        if (auto* const display = FindControlAs<EquipmentPicture>(equipmentView, kEquipDisplay)) display->AddImage(shownItem);
    } else if (currentPanel == weaponsView && shownItem != nullptr) {
        if (auto* const display = FindControlAs<EquipmentPicture>(weaponsView, kWeaponDisplay)) display->AddImage(shownItem);
    } else if (currentPanel == shipsView && selectedShip != nullptr) {
        if (auto* const display = FindControlAs<EquipmentPicture>(shipsView, kShipsDisplay)) display->AddShip(selectedShip);
    }
    FillDataSheet();
}

void OutfitScreen::FillDataSheet() {
    DataSheet::ClearBoxes(mainPanel);
    dirty = 1;
    DataSheet sheet;
    if (currentPanel == shipsView) {
        sheet = DataSheet::For(nullptr, selectedShip);
    } else if (currentPanel != mainPanel && currentPanel != nullptr) {
        if (shownItem != nullptr) sheet = DataSheet::For(shownItem, nullptr);
    }
    plaqueIndex = sheet.plaque;
    if (sheet.plaque == DataSheet::kNoPlaque) return;
    sheet.ShowIn(mainPanel);
}

MountPoint OutfitScreen::Pointer() const {
    uint16_t x = 0, y = 0;
    if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
    return MountPoint{int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY};
}

void OutfitScreen::Update() {
    if (dragging != 0) {
        if (draggedItem.get() != shownItem) {
            shownItem = draggedItem.get();
            ShowDataSheet();
        }
        return;
    }
    const CareerRecord* const career = Career();
    const bool equipment = currentPanel == equipmentView;
    if ((equipment || currentPanel == weaponsView) && selectedShip != nullptr) {
        const MountPoint pointer = Pointer();
        for (int32_t i = 0;; ++i) {
            MountArea* const area = equipment ? selectedShip->GetBay(i) : selectedShip->GetHardpointStrip(i);
            if (area == nullptr) break;
            if (EquipmentItem* const item = area->ItemAt(pointer)) {
                if (item != shownItem) {
                    shownItem = item;
                    ShowDataSheet();
                }
                return;
            }
        }
        ListBox* const list = List(equipment ? kEquipList : kWeaponList);
        const int32_t line = list != nullptr ? list->GetSelection() : -1;
        EquipmentItem* const stored =
            career != nullptr && line >= 0
                ? career->GetStoredItem(line, equipment ? EquipmentItem::kSystems : EquipmentItem::kWeapons)
                : nullptr;
        if (stored != nullptr) {
            if (stored != shownItem) {
                shownItem = stored;
                ShowDataSheet();
            }
        } else if (!equipment && shownItem != nullptr) {
            shownItem = nullptr;
            ShowDataSheet();
        }
        return;
    }
    if (currentPanel == shipsView) {
        ShipRecord* const ship = career != nullptr ? career->GetShip(selectedShipIndex) : nullptr;
        if (ship != selectedShip) selectedShip = ship;
        ShowDataSheet();
    }
}

void OutfitScreen::DrawPlaque() {
    if (plaqueIndex == -1) return;
    const int32_t index = plaqueIndex < 0 ? 0 : plaqueIndex;
    if (index >= plaques.Count()) return;
    const Bitmap& picture = *plaques[index];
    BlitPicture(picture, picture.x, picture.y);
}

Bitmap* OutfitScreen::ShipPicture(const ShipRecord& ship) const {
    for (int32_t i = 0; i < kShipPictures; ++i) {
        if (std::strcmp(ship.hullId, kShipPictureHulls[i]) != 0) continue;
        return i < shipPictures.Count() ? shipPictures[i] : nullptr;
    }
    return nullptr;
}

void OutfitScreen::DrawShipPicture() {
    const CareerRecord* const career = Career();
    const ShipRecord* const ship = career != nullptr ? career->GetShip(selectedShipIndex) : nullptr;
    if (ship == nullptr) return;
    if (const Bitmap* const picture = ShipPicture(*ship)) BlitPicture(*picture, picture->x, picture->y);
}

void OutfitScreen::DrawLayout() {
    Canvas* const canvas = g_gameCanvas;
    if (canvas == nullptr) return;
    const int32_t lock = canvas->Lock();
    if (lock == -1) return;
    if (selectedShip != nullptr && (currentPanel == equipmentView || currentPanel == weaponsView)) {
        const bool equipment = currentPanel == equipmentView;
        const Bitmap* const layout =
            equipment ? selectedShip->equipmentLayout.get() : selectedShip->weaponLayout.get();
        if (layout != nullptr) BlitPicture(*layout, layout->x, layout->y);
        for (int32_t i = 0;; ++i) {
            const MountArea* const area = equipment ? selectedShip->GetBay(i) : selectedShip->GetHardpointStrip(i);
            if (area == nullptr) break;
            area->Draw();
        }
    }
    const Bitmap* const picture = draggedItem != nullptr ? draggedItem->layoutPicture.get() : nullptr;
    if (dragging != 0 && picture != nullptr) {
        uint16_t x = 0, y = 0;
        if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
        Palette* const previous = canvas->palette;
        Palette* const items =
            g_gameState != nullptr ? g_gameState->LoadPalette(EquipmentPicture::kPaletteName) : nullptr;
        if (items != nullptr) canvas->palette = items;
        BlitPicture(*picture, int32_t(x) - picture->width / 2 - g_windowOriginX,
                    int32_t(y) - picture->height / 2 - g_windowOriginY);
        canvas->palette = previous;
    }
    if (lock == 0) canvas->Unlock();
}

int32_t OutfitScreen::Draw() {
    const int32_t keptPressed = BeginPass();
    bool handled = false;
    int32_t result = DispatchOwnEvents(edgeEvents, &handled);
    UpdateCursor();
    Update();
    DrawPlaque();
    MarkDirty(keptPressed);
    DrawPanels();
    DrawShipPicture();
    result = StepTransition(result);
    if (transitionPhase == kPhaseNone || handled) DrawLayout();
    return result;
}

void OutfitScreen::SetMountHotspots(const ArtObject* view) {
    if (eventMap == nullptr) return;
    int32_t (*callback)(InputTrigger*) = nullptr;
    if (view == shipsView) callback = ResetListHotspotCallback;
    if (view == equipmentView) callback = PlaceOutfitGridHotspotCallback;
    if (view == weaponsView) callback = PlaceOutfitItemHotspotCallback;
    if (callback == nullptr) return;
    g_hotspotRowCount = 0;
    g_hotspotShip = selectedShip;
    eventMap->ForEachEvent(callback);
    g_hotspotShip = nullptr;
}

void OutfitScreen::StoreItem(std::unique_ptr<EquipmentItem> item) {
    if (item == nullptr) return;
    // A merge frees the item: nothing may keep showing it.
    if (shownItem == item.get()) shownItem = nullptr;
    EmptyDisplays();
    if (CareerRecord* const career = Career()) career->StoreEquipment(std::move(item));
}

void OutfitScreen::ReturnDraggedItem() {
    dragging = 0;
    StoreItem(std::move(draggedItem));
}

bool OutfitScreen::ViewActive(const ArtObject* view) const { return currentPanel == view || ContainsId(view) != 0; }

int32_t OutfitScreen::StoreFilter() const {
    return currentPanel == weaponsView ? EquipmentItem::kWeapons : EquipmentItem::kSystems;
}

const char* OutfitScreen::StoreListName() const { return currentPanel == weaponsView ? kWeaponList : kEquipList; }

void OutfitScreen::RefillStores() {
    if (currentPanel == weaponsView) {
        RefillWeaponList();
    } else {
        RefillEquipList();
    }
}

void OutfitScreen::ViewCommand(ArtObject* view) {
    PlayUiClick(kSoundClick1);
    if (draggedItem != nullptr) ReturnDraggedItem();
    const struct {
        ArtObject* view;
        const char* button;
    } buttons[] = {{shipsView, kShipsButton}, {weaponsView, kWeaponsButton}, {equipmentView, kEquipmentButton}};
    for (const auto& entry : buttons) {
        if (BitmapButton* const button = FindButton(entry.button)) {
            button->SetState(entry.view == view ? BitmapButton::kLatched : 0);
        }
    }
    if (view != currentPanel) {
        if (view == shipsView) {
            const CareerRecord* const career = Career();
            selectedShip = career != nullptr ? career->GetShip(selectedShipIndex) : nullptr;
        } else {
            shownItem = nullptr;
        }
    }
    ShowDataSheet();
    nextPanel = view;
    pushPanel = mainPanel;
    transitionPhase = kPhaseClosing;
    SetMountHotspots(view);
}

void OutfitScreen::AssignSelectedShip() {
    CareerRecord* const career = Career();
    ListBox* const list = List(kShipList);
    if (career == nullptr || list == nullptr) return;
    const int32_t line = list->GetSelection();
    if (line < 0 || line >= career->GetShipCount()) return;
    // Selecting takes the wingman off: the player flies it now.
    career->SelectShip(line);
}

void OutfitScreen::SelectShipFromList() {
    const CareerRecord* const career = Career();
    ListBox* const list = List(kShipList);
    if (career == nullptr || list == nullptr) return;
    const int32_t line = list->GetSelection();
    const ShipRecord* const ship = career->GetShip(line);
    if (line >= 0 && ship != nullptr && strcasecmp(ship->name, ShipRecord::kPilotOnlyName) != 0) {
        selectedShipIndex = line;
    }
    selectedShip = career->GetShip(selectedShipIndex);
}

void OutfitScreen::ChooseShip() {
    PlayUiClick(kSoundClick2);
    ListBox* const list = List(kShipList);
    if (list == nullptr) return;
    const MountPoint pointer = Pointer();
    list->SelectAt(FrameRect::Init(pointer.x, pointer.y, kNoFrame));
    SelectShipFromList();
    ShowDataSheet();
}

void OutfitScreen::DropOrPickOnLayout(MountPoint pointer) {
    const bool equipment = currentPanel != weaponsView;
    if (draggedItem != nullptr) {
        const Bitmap* const picture = draggedItem->layoutPicture.get();
        const MountPoint drop{pointer.x - (picture != nullptr ? picture->width >> 1 : 0),
                              pointer.y - (picture != nullptr ? picture->height >> 1 : 0)};
        if (selectedShip == nullptr) {
            // Without a ship there is nowhere to drop: the item stays.
        } else if (equipment && selectedShip->HasBayKindConflict(drop, *draggedItem)) {
            PlayUiClick(kSoundWrongKind);
        } else {
            EquipmentItem* const before = draggedItem.get();
            std::unique_ptr<EquipmentItem> back = equipment
                                                      ? selectedShip->DropItemInBay(drop, std::move(draggedItem))
                                                      : selectedShip->DropItemOnHardpoint(drop, std::move(draggedItem));
            if (back == nullptr) {
                PlayUiClick(kSoundRelease);
                dragging = 0;
            } else if (back.get() != before) {
                PlayUiClick(kSoundRelease);
                PlayUiClick(kSoundGrab);
            }
            draggedItem = std::move(back);
        }
    } else if (selectedShip != nullptr) {
        draggedItem = equipment ? selectedShip->TakeBayItemAt(pointer) : selectedShip->TakeHardpointItemAt(pointer);
        if (draggedItem != nullptr) {
            PlayUiClick(kSoundGrab);
            dragging = 1;
        }
    }
    if (equipment) RefillEquipList();
}

void OutfitScreen::DropOrPickOnStores() {
    if (draggedItem != nullptr) {
        PlayUiClick(kSoundRelease);
        ReturnDraggedItem();
    } else {
        PlayUiClick(kSoundGrab);
        ListBox* const list = List(StoreListName());
        CareerRecord* const career = Career();
        const int32_t line = list != nullptr ? list->GetSelection() : -1;
        if (line >= 0 && career != nullptr) draggedItem = career->TakeStoredItem(line, StoreFilter());
        if (draggedItem != nullptr) {
            dragging = 1;
            shownItem = draggedItem.get();
            ShowDataSheet();
        }
    }
    RefillStores();
}

void OutfitScreen::PickFromList(int32_t before) {
    ListBox* const list = List(StoreListName());
    CareerRecord* const career = Career();
    const int32_t line = list != nullptr ? list->GetSelection() : -1;
    if (line >= 0 && line == before && career != nullptr) {
        PlayUiClick(kSoundGrab);
        // The line's unit first: storing the old item may shift the rows.
        std::unique_ptr<EquipmentItem> taken = career->TakeStoredItem(line, StoreFilter());
        if (taken != nullptr) {
            if (draggedItem != nullptr) ReturnDraggedItem();
            draggedItem = std::move(taken);
            dragging = 1;
        }
        RefillStores();
        if (draggedItem != nullptr) {
            shownItem = draggedItem.get();
            ShowDataSheet();
        }
        return;
    }
    PlayUiClick(kSoundClick2);
    if (dragging == 0 && line >= 0 && career != nullptr) {
        shownItem = career->GetStoredItem(line, StoreFilter());
        ShowDataSheet();
    }
}

int32_t OutfitScreen::Button(uint16_t code, const char* buttonName, const char* topic) {
    return PressButton(code, FindButton(buttonName), edgeEvents.TestEvent(kCodeHelp) ? topic : nullptr);
}

void OutfitScreen::ScrollList(const char* listName, int32_t direction, int32_t sound, const ArtObject* view) {
    PlayUiClick(sound);
    if (BitmapButton* const button = FindButton(direction < 0 ? kScrollUpButton : kScrollDownButton, view)) {
        button->SetState(kScrollClickState);
    }
    if (ListBox* const list = List(listName)) {
        if (direction < 0) {
            list->PageUp();
        } else {
            list->PageDown();
        }
    }
}

void OutfitScreen::ListKeys(ListBox& list) {
    if (edgeEvents.TestEvent(kCodeClear)) {
        list.ClearSelection();
        dirty = 1;
    }
    if (edgeEvents.TestEvent(kCodeUp)) FocusLineUp(list);
    if (edgeEvents.TestEvent(kCodeDown)) FocusLineDown(list);
    if (edgeEvents.TestEvent(kCodePageUp)) list.PageUp();
    if (edgeEvents.TestEvent(kCodePageDown)) list.PageDown();
}

void OutfitScreen::CellKeys(const MountArea& area, int32_t cell, bool vertical) {
    if (eventMap == nullptr) return;
    uint16_t ux = 0, uy = 0;
    eventMap->GetMousePosition(&ux, &uy);
    int32_t x = ux, y = uy;
    const MountPoint origin{area.origin.x + g_windowOriginX, area.origin.y + g_windowOriginY};
    if (edgeEvents.TestEvent(kCodeLeft) && x - cell >= origin.x) x -= cell;
    if (edgeEvents.TestEvent(kCodeRight) && x + cell <= origin.x + cell * area.width) x += cell;
    if (vertical && edgeEvents.TestEvent(kCodeUp) && y - cell >= origin.y) y -= cell;
    if (vertical && edgeEvents.TestEvent(kCodeDown) && y + cell <= origin.y + cell * area.height) y += cell;
    if (x != ux || y != uy) eventMap->SetMousePosition(int16_t(x), int16_t(y));
}

int32_t OutfitScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext && edgeEvents.TestEvent(code)) FocusNextHotspot();
    if (code == kCodeFocusPrevious && edgeEvents.TestEvent(code)) FocusPreviousHotspot();
    if (transitionPhase != kPhaseNone) return 1;
    const bool select = edgeEvents.TestEvent(kCodeSelect);

    // The main panel's buttons.
    switch (code) {
        case kCodeShipsView:
            if (select) {
                ViewCommand(shipsView);
                return 1;
            }
            return Button(code, kShipsButton, "OU_SHIPTOGGLE");
        case kCodeWeaponsView:
            if (select) {
                ViewCommand(weaponsView);
                return 1;
            }
            return Button(code, kWeaponsButton, "OU_WEAPONTOGGLE");
        case kCodeEquipmentView:
            if (select) {
                ViewCommand(equipmentView);
                return 1;
            }
            return Button(code, kEquipmentButton, "OU_EQUIPMENTTOGGLE");
        case kCodeAssign:
            if (select) {
                PlayUiClick(kSoundClick1);
                AssignSelectedShip();
                return 1;
            }
            return Button(code, kAssignButton, "OU_EQUIPMENTTOGGLE");
        default: break;
    }

    if (ViewActive(shipsView)) {
        ListBox* const list = List(kShipList);
        if (code == kCodeScrollUp || code == kCodeScrollDown) {
            const int32_t direction = code == kCodeScrollUp ? -1 : 1;
            if (select) {
                ScrollList(kShipList, direction, kSoundClick1);
            } else {
                if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
                if (BitmapButton* const b = FindButton(direction < 0 ? kScrollUpButton : kScrollDownButton)) b->Press();
            }
            return 1;
        }
        if (code == kCodeList && list != nullptr) {
            if (select) {
                ChooseShip();
            } else {
                ListKeys(*list);
            }
            return 1;
        }
    }

    const bool equipment = ViewActive(equipmentView);
    if (!equipment && !ViewActive(weaponsView)) return 1;
    const char* const listName = equipment ? kEquipList : kWeaponList;
    ListBox* const list = List(listName);
    for (int32_t i = 0; i < int32_t(std::size(kAreaCodes)); ++i) {
        if (code != kAreaCodes[i] || (equipment && i >= kBayCodes)) continue;
        const MountArea* const area =
            selectedShip == nullptr ? nullptr : equipment ? selectedShip->GetBay(i) : selectedShip->GetHardpointStrip(i);
        if (area != nullptr) {
            CellKeys(*area, equipment ? MountArea::kBayCell : MountArea::kStripCell, equipment);
        }
        return 1;
    }
    switch (code) {
        case kCodeScrollUp:
        case kCodeScrollDown: {
            const int32_t direction = code == kCodeScrollUp ? -1 : 1;
            // The view's own scroll buttons lie over the main page's.
            const ArtObject* const view = equipment ? equipmentView : weaponsView;
            if (select) {
                ScrollList(listName, direction, kSoundClick3, view);
            } else {
                if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
                const char* const buttonName = direction < 0 ? kScrollUpButton : kScrollDownButton;
                if (BitmapButton* const b = FindButton(buttonName, view)) b->Press();
            }
            return 1;
        }
        case kCodeClear:
            // In the weapons view a held key cancels too.
            if (draggedItem != nullptr && (!equipment || edgeEvents.TestEvent(code))) {
                PlayUiClick(kSoundRelease);
                ReturnDraggedItem();
                RefillStores();
            }
            return 1;
        case kCodeLayout:
            if (select) DropOrPickOnLayout(Pointer());
            return 1;
        case kCodeStores:
            if (select) DropOrPickOnStores();
            return 1;
        case kCodeList:
            if (list == nullptr) return 1;
            if (select) {
                const int32_t before = list->GetSelection();
                const MountPoint pointer = Pointer();
                list->SelectAt(FrameRect::Init(pointer.x, pointer.y, kNoFrame));
                PickFromList(before);
            } else {
                ListKeys(*list);
            }
            return 1;
        default: return 1;
    }
}
