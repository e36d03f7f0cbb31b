#include "screens/squadron/RequisitionScreen.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "game/RequisitionOrders.h"
#include "game/ShipRecord.h"
#include "screens/squadron/DataSheet.h"
#include "screens/squadron/OutfitScreen.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/EquipmentPicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kArtForm = MakeTag("OPTI");
constexpr uint32_t kPlaqueForm = MakeTag("PLAQ");
constexpr uint32_t kTutorialSection = MakeTag("REQU");
constexpr uint32_t kNoFrame = 255;
constexpr uint32_t kBlitOptions = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kClearBackground = 0xFF;
// The order's notice: in the open band under the list and the item's
// sheet. At y 250 its words would run over the list's DN button and the
// sheet's foot.
constexpr int32_t kNoticeX = 250;
constexpr int32_t kNoticeY = 285;

constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick1 = 2;
constexpr int32_t kSoundClick4 = 4;
constexpr int32_t kSoundClick3 = 5;
constexpr int32_t kSoundOrderVoice = 54;
constexpr int32_t kScrollClickState = 1;

constexpr const char* kBuyButton = "Buy Mode Button";
constexpr const char* kSellButton = "Sell Mode Button";
constexpr const char* kShipsButton = "Ship Frames Button";
constexpr const char* kWeaponsButton = "Weapons Button";
constexpr const char* kEquipmentButton = "Equipment Button";
constexpr const char* kPlaceOrderButton = "Place Order Button";
constexpr const char* kScrollUpButton = "Scroll Up";
constexpr const char* kScrollDownButton = "Scroll Down";
constexpr const char* kListUpButton = "Scroll Up2";
constexpr const char* kListDownButton = "Scroll Down2";
constexpr const char* kDescription = "Description";

// Names of this many characters or more are cut to the shorter length and "...".
constexpr size_t kItemNameLimit = 17;
constexpr size_t kItemNameCut = 14;
constexpr size_t kShipNameLimit = 20;
constexpr size_t kShipNameCut = 16;

constexpr const char* kKindCodes[] = {"GE", "SH", "AR", "RA", "TA", "FL", "EN", "BA",
                                      "CI", "EC", "CL", "JA", "RE", "SE", "DE"};
constexpr const char* kWeaponCodes[] = {"BE", "GU", "MS", "PR", "MN"};

std::string Cut(const std::string& name, size_t limit, size_t cut) {
    return name.size() >= limit ? name.substr(0, cut) + "..." : name;
}

const char* PictureName(const RequisitionScreen& screen, const ArtObject* panel) {
    if (panel == screen.shipsPanel) return "ShipsDisplay";
    if (panel == screen.weaponsPanel) return "WeaponDisplay";
    return "EquipDisplay";
}

}  // namespace

// --- Rows --------------------------------------------------------------------

int32_t RequisitionScreen::Resale(int32_t damage, int32_t price) {
    // Wide enough for any price: 32 bits overflow above about 7 million.
    const int64_t value = (int64_t(100) - damage) * int64_t(price) * 3 / 400;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

const char* RequisitionScreen::KindCode(int32_t kind) {
    if (kind >= 1 && kind <= 15) return kKindCodes[kind - 1];
    if (kind >= 20 && kind <= 24) return kWeaponCodes[kind - 20];
    return "??";
}

std::string RequisitionScreen::ItemRow(int32_t kind, const std::string& name, int32_t a, int32_t b, int32_t c) {
    char row[96];
    // Two blanks before every number, whatever its width: a price of six
    // digits must not run into the count before it. Counts below 100 and
    // prices below a million keep the columns aligned within the list.
    std::snprintf(row, sizeof row, "%s %-17s  %2d  %2d  %6d", KindCode(kind), Cut(name, kItemNameLimit, kItemNameCut).c_str(), a,
                  b, c);
    return row;
}

std::string RequisitionScreen::ShipRow(const std::string& name, int32_t a, int32_t b, int32_t c) {
    char row[96];
    std::snprintf(row, sizeof row, "%-20s  %2d  %2d  %6d", Cut(name, kShipNameLimit, kShipNameCut).c_str(), a, b, c);
    return row;
}

// --- Construction ------------------------------------------------------------

RequisitionScreen::RequisitionScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject(kMainPanel, 1);
    shipsPanel = new ArtObject(kShipsPanel, 1);
    weaponsPanel = new ArtObject(kWeaponsPanel, 1);
    equipmentPanel = new ArtObject(kEquipmentPanel, 1);
    for (ArtObject* panel : {mainPanel, shipsPanel, weaponsPanel, equipmentPanel}) artObjects.Append(panel);
    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, kNoFrame); };
    for (ArtObject* panel : {shipsPanel, weaponsPanel, equipmentPanel}) {
        panel->AddControl(NewPlacedControl<ListBox>(220, 100, 58, 164, kListName));
        panel->AddControl(new EquipmentPicture(113, 112, at(83, 319), PictureName(*this, panel)));
    }
    mainPanel->AddControl(NewPlacedControl<TextBox>(300, 90, 242, 326, kDescription));
    mainPanel->AddControl(NewPlacedControl<TextBox>(70, 12, 481, 77, "Funds"));
    mainPanel->AddControl(NewPlacedControl<TextBox>(70, 12, 481, 97, "Total"));
    DataSheet::AddBoxes(mainPanel, 388, 170);
    ReadArtFile();
}

RequisitionScreen::~RequisitionScreen() {
    EmptyPictures();
    for (Bitmap* picture : plaques) delete picture;
}

void RequisitionScreen::ReadArtFile() {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (file.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return;
    if (file.FindForm(kArtForm) == kStatusOk && file.Descend() == kStatusOk) {
        mainPanel->LoadSprites(file);
        file.Rewind(0);
        art_file::ReadPictures(file, kPlaqueForm, plaques);
    }
    file.CloseFile();
}

CareerRecord* RequisitionScreen::Career() const { return g_gameState != nullptr ? g_gameState->career : nullptr; }

ListBox* RequisitionScreen::List(const ArtObject* panel) const { return FindControlAs<ListBox>(panel, kListName); }

BitmapButton* RequisitionScreen::FindButton(const char* buttonName) const {
    for (const ArtObject* panel : {mainPanel, shipsPanel, weaponsPanel, equipmentPanel}) {
        if (BitmapButton* const button = FindControlAs<BitmapButton>(panel, buttonName)) return button;
    }
    return nullptr;
}

void RequisitionScreen::SetButton(const char* buttonName, int32_t state) const {
    if (BitmapButton* const button = FindButton(buttonName)) button->SetState(state);
}

bool RequisitionScreen::PanelActive(const ArtObject* panel) const {
    return currentPanel == panel || ContainsId(panel) != 0;
}

int32_t RequisitionScreen::Filter(const ArtObject* panel) const {
    if (panel == weaponsPanel) return EquipmentItem::kWeapons;
    if (panel == equipmentPanel) return EquipmentItem::kSystems;
    return EquipmentItem::kShips;
}

// --- Open and close ----------------------------------------------------------

void RequisitionScreen::Open() {
    currentPanel = mainPanel;
    mode = kBuyMode;
    orderPlaced = 0;
    orderPlacedAt = 0;
    total = 0;
    selectedItem = nullptr;
    selectedShip = nullptr;
    MenuScreen::Open();
    if (CareerRecord* const career = Career()) career->CountOwnedItems();
    KeepOrderedCounts();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    nextPanel = shipsPanel;
    pushPanel = mainPanel;
    transitionPhase = kPhaseClosing;
    for (ArtObject* panel : {shipsPanel, weaponsPanel, equipmentPanel}) {
        if (ListBox* const list = List(panel)) list->SetSelection(0);
    }
    FillLists();
    SetButton(kBuyButton, BitmapButton::kLatched);
    SetButton(kSellButton, 0);
    SetButton(kEquipmentButton, 0);
    SetButton(kWeaponsButton, 0);
    SetButton(kShipsButton, BitmapButton::kLatched);
    for (ArtObject* panel : {shipsPanel, weaponsPanel, equipmentPanel}) {
        if (ListBox* const list = List(panel)) list->SetTopLine(0);
    }
    TutorialScreen::OpenOverview(*this, kTutorialSection);
}

void RequisitionScreen::Close() {
    SettleOrder();
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
    EmptyPictures();
}

// --- Orders ------------------------------------------------------------------

void RequisitionScreen::KeepOrderedCounts() {
    orderedBefore_.clear();
    if (const CareerRecord* const career = Career()) {
        for (const auto& item : career->catalogue) orderedBefore_.push_back(item->ordered);
    }
}

bool RequisitionScreen::OrderPending() const {
    const CareerRecord* const career = Career();
    if (career == nullptr) return false;
    if (total != 0 || career->catalogue.size() != orderedBefore_.size()) return true;
    for (size_t i = 0; i < orderedBefore_.size(); ++i) {
        if (career->catalogue[i]->ordered != orderedBefore_[i]) return true;
    }
    for (const auto& item : career->stores) {
        if (item->toSell != 0) return true;
    }
    for (int32_t i = 0; i < career->GetShipCount(); ++i) {
        if (career->GetShip(i)->sold != 0) return true;
    }
    return false;
}

void RequisitionScreen::SettleOrder() {
    CareerRecord* const career = Career();
    if (career == nullptr || !OrderPending()) return;
    // Settling may destroy sold ships and stored items the view points at.
    EmptyPictures();
    ShipRecord* const viewed = selectedShip;
    selectedItem = nullptr;
    selectedShip = nullptr;
    const bool network = g_gameState != nullptr && g_gameState->IsNetworkGame();
    ::SettleOrder(*career, &total, viewed, network);
    // An order arrives as the squadron launches; a squadron left without a
    // ship (lost in an eject, or sold) launches nothing to bring it, and
    // gets it at once.
    if (!network && career->GetShipCount() == 0) DeliverOrders(*career);
    KeepOrderedCounts();
}

void RequisitionScreen::ShowNotice(const char* text) {
    notice = text;
    orderPlaced = 1;
    orderPlacedAt = GetMilliseconds();
    dirty = 1;
}

void RequisitionScreen::PlaceOrder() {
    PlayUiClick(kSoundClick4);
    if (!OrderPending()) {
        // Nothing bought, sold or taken back: nothing to pay, no voice, and
        // the page says why instead of claiming an order.
        ShowNotice(kEmptyOrderText);
        return;
    }
    ShowNotice(kOrderPlacedText);
    SettleOrder();
    FillLists();
    PlayUiClick(kSoundOrderVoice);
}

EquipmentItem* RequisitionScreen::RowItem(int32_t row) const {
    const CareerRecord* const career = Career();
    if (career == nullptr || row < 0 || currentPanel == shipsPanel) return nullptr;
    if (currentPanel != weaponsPanel && currentPanel != equipmentPanel) return nullptr;
    const int32_t filter = Filter(currentPanel);
    if (mode == kBuyMode) {
        // Hulls pass the systems filter; the ships panel lists them.
        EquipmentItem* item = nullptr;
        for (int32_t i = 0, n = 0; i < career->CountCatalogueItems(filter); ++i) {
            EquipmentItem* const entry = career->GetCatalogueItem(i, filter);
            if (entry->IsShip()) continue;
            if (n++ == row) item = entry;
        }
        return item;
    }
    EquipmentItem* item = nullptr;
    for (int32_t i = 0, n = 0; i < career->CountStoredItems(filter); ++i) {
        EquipmentItem* const entry = career->GetStoredItem(i, filter);
        if (entry->IsShip()) continue;
        if (n++ == row) item = entry;
    }
    return item;
}

ShipRecord* RequisitionScreen::RowShip(int32_t row) const {
    const CareerRecord* const career = Career();
    if (career == nullptr || row < 0 || currentPanel != shipsPanel || mode != kSellMode) return nullptr;
    return career->GetShip(row);
}

void RequisitionScreen::AddOne(int32_t row) {
    CareerRecord* const career = Career();
    if (career == nullptr) return;
    if (currentPanel == shipsPanel) {
        if (mode == kBuyMode) {
            EquipmentItem* const hull = career->GetCatalogueItem(row, EquipmentItem::kShips);
            if (hull != nullptr && int64_t(hull->price) + total <= career->funds) {
                ++hull->ordered;
                total += hull->price;
            }
        } else if (ShipRecord* const ship = RowShip(row); ship != nullptr && ship->sold == 0) {
            ship->sold = 1;
            total -= Resale(ship->damage, ship->price);
        }
        return;
    }
    EquipmentItem* const item = RowItem(row);
    if (item == nullptr) return;
    if (mode == kBuyMode) {
        if (int64_t(item->price) + total <= career->funds) {
            ++item->ordered;
            total += item->price;
        }
    } else if (item->toSell < item->quantity) {
        ++item->toSell;
        total -= Resale(item->damage, item->price);
    }
}

void RequisitionScreen::TakeOne(int32_t row) {
    CareerRecord* const career = Career();
    if (career == nullptr) return;
    if (currentPanel == shipsPanel) {
        if (mode == kBuyMode) {
            EquipmentItem* const hull = career->GetCatalogueItem(row, EquipmentItem::kShips);
            if (hull != nullptr && hull->ordered > 0) {
                --hull->ordered;
                total -= hull->price;
            }
        } else if (ShipRecord* const ship = RowShip(row); ship != nullptr && ship->sold > 0) {
            const int32_t resale = Resale(ship->damage, ship->price);
            if (int64_t(resale) + total <= career->funds) {
                ship->sold = 0;
                total += resale;
            }
        }
        return;
    }
    EquipmentItem* const item = RowItem(row);
    if (item == nullptr) return;
    if (mode == kBuyMode) {
        if (item->ordered > 0) {
            --item->ordered;
            total -= item->price;
        }
    } else if (item->toSell > 0) {
        const int32_t resale = Resale(item->damage, item->price);
        if (int64_t(resale) + total <= career->funds) {
            --item->toSell;
            total += resale;
        }
    }
}

// --- Lists -------------------------------------------------------------------

void RequisitionScreen::EmptyPictures() {
    for (const ArtObject* panel : {shipsPanel, weaponsPanel, equipmentPanel}) {
        if (auto* const display = FindControlAs<EquipmentPicture>(panel, PictureName(*this, panel))) {
            while (display->ItemCount() > 0) display->RemoveItem(0);
        }
    }
    shipView_.reset();
}

void RequisitionScreen::FillList(ArtObject* panel, int32_t filter) {
    ListBox* const list = List(panel);
    const CareerRecord* const career = Career();
    if (list == nullptr) return;
    TextBlock* const old = list->GetBlock(list->currentBlock);
    const int32_t selection = old != nullptr ? old->selection : -1;
    const int32_t top = old != nullptr ? old->topLine : 0;
    list->Clear();
    list->SetText("");
    list->SetCurrentBlock(0);
    TextBlock* const block = list->GetBlock(0);
    dirty = 1;
    if (block == nullptr || career == nullptr) return;
    block->lines.clear();
    block->lineColours.clear();
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    const auto add = [&](const std::string& row, int32_t damage) {
        block->AddItem(row.c_str());
        if (mode == kSellMode) {
            block->lineColours.resize(size_t(block->LineCount()), 0);
            block->lineColours.back() = palette != nullptr ? palette->MatchColor(OutfitScreen::DamageColour(damage)) : 0;
        }
    };
    if (filter == EquipmentItem::kShips) {
        if (mode == kBuyMode) {
            for (int32_t i = 0; i < career->CountCatalogueItems(filter); ++i) {
                const EquipmentItem& hull = *career->GetCatalogueItem(i, filter);
                add(ShipRow(hull.name, hull.quantity, hull.ordered, hull.price), 0);
            }
        } else {
            for (int32_t i = 0; i < career->GetShipCount(); ++i) {
                const ShipRecord& ship = *career->GetShip(i);
                const std::string& shown = ship.displayName.empty() ? std::string(ship.name) : ship.displayName;
                add(ShipRow(shown, ship.count, ship.sold, Resale(ship.damage, ship.price)), ship.damage);
            }
        }
    } else if (mode == kBuyMode) {
        for (int32_t i = 0; i < career->CountCatalogueItems(filter); ++i) {
            const EquipmentItem& item = *career->GetCatalogueItem(i, filter);
            if (!item.IsShip()) add(ItemRow(item.kind, item.name, item.quantity, item.ordered, item.price), 0);
        }
    } else {
        for (int32_t i = 0; i < career->CountStoredItems(filter); ++i) {
            const EquipmentItem& item = *career->GetStoredItem(i, filter);
            if (item.IsShip()) continue;
            add(ItemRow(item.kind, item.name, item.quantity, item.toSell, Resale(item.damage, item.price)), item.damage);
        }
    }
    const int32_t last = list->GetLineCount() - 1;
    list->SetSelection(selection < 0 ? 0 : std::min(selection, last));
    list->SetTopLine(top < 0 ? 0 : std::min(top, std::max(last, 0)));
}

void RequisitionScreen::FillLists() {
    const CareerRecord* const career = Career();
    EmptyPictures();
    for (const char* boxName : {"Funds", "Total"}) {
        TextBox* const box = FindControlAs<TextBox>(mainPanel, boxName);
        if (box == nullptr) continue;
        box->Clear();
        char text[16];
        std::snprintf(text, sizeof text, "%d", boxName[0] == 'F' ? (career != nullptr ? career->funds : 0) : total);
        box->SetText(text);
    }
    dirty = 1;
    FillList(weaponsPanel, EquipmentItem::kWeapons);
    FillList(equipmentPanel, EquipmentItem::kSystems);
    FillList(shipsPanel, EquipmentItem::kShips);
    ShowSelection();
}

void RequisitionScreen::ShowSelection() {
    selectedItem = nullptr;
    EmptyPictures();
    TextBox* const description = FindControlAs<TextBox>(mainPanel, kDescription);
    if (description != nullptr) description->Clear();
    ListBox* const list = List(currentPanel);
    const int32_t row = list != nullptr && list->GetLineCount() > 0 ? list->GetSelection() : -1;
    EquipmentItem* shown = nullptr;
    CareerRecord* const career = Career();
    if (row >= 0 && career != nullptr) {
        if (currentPanel == shipsPanel) {
            if (mode == kBuyMode) {
                shown = career->GetCatalogueItem(row, EquipmentItem::kShips);
                selectedShip = shown != nullptr ? shown->ship : nullptr;
            } else if (ShipRecord* const ship = RowShip(row)) {
                selectedShip = ship;
                shipView_ = std::make_unique<EquipmentItem>(ship, false);
                shipView_->name = ship->displayName;
                shipView_->description = ship->description;
                shown = shipView_.get();
            }
        } else {
            shown = RowItem(row);
            selectedItem = shown;
        }
    }
    if (shown != nullptr) {
        if (description != nullptr) description->SetText(shown->description.c_str());
        if (auto* const display = FindControlAs<EquipmentPicture>(currentPanel, PictureName(*this, currentPanel))) {
            display->AddImage(shown);
        }
    }
    DataSheet::ClearBoxes(mainPanel);
    DataSheet sheet;
    if (currentPanel == shipsPanel) {
        if (selectedShip != nullptr && shown != nullptr) sheet = DataSheet::For(nullptr, selectedShip);
    } else if (currentPanel != mainPanel && selectedItem != nullptr) {
        sheet = DataSheet::For(selectedItem, nullptr);
    }
    plaqueIndex = sheet.plaque;
    if (sheet.plaque == DataSheet::kNoPlaque) return;
    sheet.ShowIn(mainPanel);
}

// --- Drawing -----------------------------------------------------------------

void RequisitionScreen::Update() {
    if (orderPlaced == 0) return;
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    SetFontColors(palette != nullptr ? palette->MatchColor(kWhite) : 0, kClearBackground);
    SelectFont("ttf");
    DrawString(notice, kNoticeX, kNoticeY, 0);
    if (GetMilliseconds() > orderPlacedAt + kOrderPlacedMs) {
        orderPlaced = 0;
        dirty = 1;
    }
}

void RequisitionScreen::DrawPlaque() {
    Canvas* const canvas = g_gameCanvas;
    if (canvas == nullptr || plaqueIndex < 0 || plaqueIndex >= plaques.Count()) return;
    const Bitmap& picture = *plaques[plaqueIndex];
    if (picture.pixels == nullptr || picture.bytesPerPixel != Bitmap::kDepth8Bit) return;
    // A view of the picture's pixels for the blit; they stay the picture's.
    PixelImage image(PixelImage::kFormat8Bit);
    image.width = int16_t(picture.width);
    image.height = int16_t(picture.height);
    image.pixels = picture.pixels;
    const CanvasRect rect{picture.x, picture.y, picture.width, picture.height};
    canvas->BlitImage(&rect, &image, kBlitOptions);
    image.ReleaseCopies();
    image.pixels = nullptr;
}

int32_t RequisitionScreen::Draw() {
    int32_t result = 1;
    // While the pop-up lies over the page it reads the pass's input: a read
    // here would take the device snapshot first and leave the pop-up's
    // CLOSE unseen.
    const int32_t keptPressed = BeginPass();
    // This screen's own gate: the shared dispatch state is not looked at.
    if (tutorialActive == 0 && !edgeEvents.IsEmpty() && transitionPhase == kPhaseNone) {
        for (uint32_t event = 0; event < KeySet::kBits; ++event) {
            const uint16_t code = EventKey(event);
            if (currentEvents.TestEvent(code)) HandleEvent(code);
        }
    }
    UpdateCursor();
    DrawPlaque();
    MarkDirty(keptPressed);
    DrawPanels();
    Update();
    const int32_t phase = transitionPhase;
    const ArtObject* const before = currentPanel;
    result = StepTransition(result);
    // The lists follow the panel a finished change leaves current.
    if (phase != kPhaseNone && (transitionPhase == kPhaseNone || currentPanel != before)) FillLists();
    return result;
}

// --- Events ------------------------------------------------------------------

void RequisitionScreen::OpenPanel(ArtObject* panel) {
    PlayUiClick(kSoundClick1);
    nextPanel = panel;
    pushPanel = mainPanel;
    transitionPhase = kPhaseClosing;
    SetButton(kWeaponsButton, panel == weaponsPanel ? BitmapButton::kLatched : 0);
    SetButton(kEquipmentButton, panel == equipmentPanel ? BitmapButton::kLatched : 0);
    SetButton(kShipsButton, panel == shipsPanel ? BitmapButton::kLatched : 0);
}

int32_t RequisitionScreen::Button(uint16_t code, const char* buttonName, const char* topic) {
    return PressButton(code, FindButton(buttonName), currentEvents.TestEvent(kCodeHelp) ? topic : nullptr);
}

void RequisitionScreen::ClickList(bool add) {
    ListBox* const list = List(currentPanel);
    if (list == nullptr) return;
    PlayUiClick(kSoundClick2);
    const int32_t before = list->GetLineCount() > 0 ? list->GetSelection() : -1;
    uint16_t x = 0, y = 0;
    if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
    list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, kNoFrame));
    const int32_t row = list->GetLineCount() > 0 ? list->GetSelection() : -1;
    if (row >= 0) {
        if (!add) {
            TakeOne(row);
        } else if (row == before) {
            AddOne(row);
        }
    }
    FillLists();
}

int32_t RequisitionScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext && edgeEvents.TestEvent(code)) FocusNextHotspot();
    if (code == kCodeFocusPrevious && edgeEvents.TestEvent(code)) FocusPreviousHotspot();
    const bool select = edgeEvents.TestEvent(kCodeSelect);
    if (PanelActive(mainPanel)) {
        switch (code) {
            case kCodeBuyMode:
            case kCodeSellMode:
                if (!select) return Button(code, code == kCodeBuyMode ? kBuyButton : kSellButton,
                                           code == kCodeBuyMode ? "RQ_BUY" : "RQ_SELL");
                PlayUiClick(kSoundClick1);
                mode = code == kCodeBuyMode ? kBuyMode : kSellMode;
                SetButton(kBuyButton, mode == kBuyMode ? BitmapButton::kLatched : 0);
                SetButton(kSellButton, mode == kSellMode ? BitmapButton::kLatched : 0);
                FillLists();
                return 1;
            case kCodeWeapons:
                if (!select) return Button(code, kWeaponsButton, "RQ_WEAPON");
                OpenPanel(weaponsPanel);
                return 1;
            case kCodeEquipment:
                if (!select) return Button(code, kEquipmentButton, "RQ_EQUIP");
                OpenPanel(equipmentPanel);
                return 1;
            case kCodeShips:
                if (!select) return Button(code, kShipsButton, "RQ_SHIPS");
                OpenPanel(shipsPanel);
                return 1;
            case kCodePlaceOrder:
                if (!select) return Button(code, kPlaceOrderButton, "RQ_BOUGHT");
                PlaceOrder();
                return 1;
            case kCodeDescriptionUp:
            case kCodeDescriptionDown:
            case kCodeListUp:
            case kCodeListDown: {
                const bool up = code == kCodeDescriptionUp || code == kCodeListUp;
                const bool description = code == kCodeDescriptionUp || code == kCodeDescriptionDown;
                const char* const buttonName = description ? (up ? kScrollUpButton : kScrollDownButton)
                                                           : (up ? kListUpButton : kListDownButton);
                if (!select) {
                    if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
                    if (BitmapButton* const button = FindButton(buttonName)) button->Press();
                    return 1;
                }
                PlayUiClick(kSoundClick3);
                TextBox* const box = description ? FindControlAs<TextBox>(mainPanel, kDescription) : List(currentPanel);
                if (box != nullptr) {
                    if (up) {
                        box->PageUp();
                    } else {
                        box->PageDown();
                    }
                }
                SetButton(buttonName, kScrollClickState);
                return 1;
            }
            default: break;
        }
    }
    if (code != kCodeList) return 1;
    const bool panelShown = currentPanel == shipsPanel || currentPanel == weaponsPanel || currentPanel == equipmentPanel;
    ListBox* const list = panelShown ? List(currentPanel) : nullptr;
    if (list == nullptr) return 1;
    if (select) {
        ClickList(true);
    } else if (edgeEvents.TestEvent(kCodeOther)) {
        ClickList(false);
    } else {
        WalkList(*list, {kCodeLineUp, kCodeLineDown, kCodePageUp, kCodePageDown});
    }
    return 1;
}
