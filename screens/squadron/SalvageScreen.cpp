#include "screens/squadron/SalvageScreen.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "game/DrawString.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "objects/ships/PlayerShip.h"
#include "screens/FrameScreen.h"
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
constexpr uint32_t kBackgroundForm = MakeTag("BKGD");
constexpr uint32_t kTutorialSection = MakeTag("SALV");
constexpr uint32_t kNoFrame = 255;
constexpr uint32_t kBlitOptions = 0xFF000000u;

// The bay's plate: its title over the list and the list's scroll buttons,
// on a dark ground that hides the hangar's window behind them.
constexpr CanvasRect kBayPlate{52, 88, 542, 182};
constexpr uint32_t kPlateRgb = 0x141C2C;
constexpr uint32_t kTitleRgb = 0xFFFFFF;
constexpr int32_t kTitleX = 60;
constexpr int32_t kTitleY = 98;
constexpr uint32_t kClearBackground = 0xFF;

constexpr int32_t kSoundClick2 = 1;
constexpr int32_t kSoundClick4 = 4;
constexpr int32_t kSoundClick3 = 5;

constexpr const char* kAcceptButton = "Salvage OK Button";
constexpr const char* kRepairButton = "Salvage Repair Button";
constexpr const char* kScrollUpButton = "Scroll Up";
constexpr const char* kScrollDownButton = "Scroll Down";
constexpr const char* kEquipDisplay = "EquipDisplay";

}  // namespace

uint32_t SalvageScreen::RowColour(const EquipmentItem& item) {
    // What the repairs under way will not mend.
    const int64_t wear = int64_t(item.damage) - item.repairPoints;
    return OutfitScreen::DamageColour(int32_t(std::clamp<int64_t>(wear, -1, 100)));
}

SalvageScreen::SalvageScreen(const char* screenName) : MenuScreen(screenName) {
    mainPanel = new ArtObject(kMainPanel, 1);
    artObjects.Append(mainPanel);
    const auto at = [](int32_t x, int32_t y) { return FrameRect::Init(x, y, kNoFrame); };
    mainPanel->AddControl(NewPlacedControl<ListBox>(500, 140, 60, 122, kListName));
    DataSheet::AddBoxes(mainPanel, 289, 333);
    mainPanel->AddControl(new EquipmentPicture(113, 112, at(83, 319), kEquipDisplay));
    ReadArtFile();
}

SalvageScreen::~SalvageScreen() {
    // The picture control must not outlive the items it shows.
    EmptyPicture();
    entries.clear();
    for (Bitmap* picture : plaques) delete picture;
}

void SalvageScreen::ReadArtFile() {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kArtFileName;
    IffFile file(0);
    if (file.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return;
    if (file.FindForm(kArtForm) == kStatusOk && file.Descend() == kStatusOk) {
        mainPanel->LoadSprites(file);
        file.Rewind(0);
        LoadPlaques(file);
    }
    file.CloseFile();
}

void SalvageScreen::LoadPlaques(IffFile& file) { art_file::ReadPictures(file, kPlaqueForm, plaques); }

ListBox* SalvageScreen::List() const { return FindControlAs<ListBox>(mainPanel, kListName); }

void SalvageScreen::Open() {
    plaqueIndex = 0;
    selectedItem = nullptr;
    currentPanel = mainPanel;
    {
        const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kHangarArtFileName;
        IffFile file(0);
        if (art_file::OpenArt(file, path) && file.FindForm(kBackgroundForm) == kStatusOk &&
            file.Descend() == kStatusOk) {
            LoadBackground(file);
        }
    }
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    LoadSalvage();
    TutorialScreen::OpenOverview(*this, kTutorialSection);
}

void SalvageScreen::Close() {
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
}

void SalvageScreen::EmptyPicture() {
    if (auto* const display = FindControlAs<EquipmentPicture>(mainPanel, kEquipDisplay)) {
        while (display->ItemCount() > 0) display->RemoveItem(0);
    }
}

void SalvageScreen::LoadSalvage() {
    EmptyPicture();
    selectedItem = nullptr;
    entries.clear();
    const auto* const ship = g_gameState != nullptr ? dynamic_cast<const PlayerShip*>(g_gameState->playerShip) : nullptr;
    if (ship != nullptr && ship->salvageItems.Count() > 0 && g_dataDirs.Found(DataDir::kData)) {
        const std::string path = g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName;
        IffFile definitions(0);
        if (definitions.OpenFile(path.c_str(), kOpenRead) == kStatusOk) {
            for (const PlayerShip::SalvageItem* record : ship->salvageItems) {
                if (record == nullptr) continue;
                auto item = std::make_unique<EquipmentItem>(record->id, definitions, 0);
                // An id the definitions lack names no equipment.
                if (item->LoadStatus() != kStatusOk) continue;
                item->damage = record->condition;
                entries.push_back(Entry{std::move(item), 1});
            }
            definitions.CloseFile();
        }
    }
    FillList();
}

void SalvageScreen::FillList() {
    ListBox* const list = List();
    if (list == nullptr) return;
    const Palette* const palette = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    TextBlock* const old = list->GetBlock(list->currentBlock);
    const int32_t selection = old != nullptr ? old->GetSelection() : -1;
    const int32_t top = old != nullptr ? old->topLine : 0;
    TextBlock* const block = list->StartOver();
    dirty = 1;
    if (block != nullptr) {
        for (const Entry& entry : entries) {
            const EquipmentItem& item = *entry.item;
            char row[128];
            std::snprintf(row, sizeof row, "%-17s %-45s %-17s %-10d", ItemTypeName(item.kind), item.name.c_str(),
                          entry.choice != 0 ? "Salvage" : "Leave", item.damage);
            block->AddItem(row);
            block->lineColours.push_back(palette != nullptr ? palette->MatchColor(RowColour(item)) : 0);
        }
    }
    const int32_t rows = list->GetLineCount();
    list->SetSelection(selection < 0 && rows > 0 ? 0 : selection);
    list->SetTopLine(top < 0 && rows > 0 ? 0 : top);
    const int32_t row = rows > 0 ? list->GetSelection() : -1;
    selectedItem = row >= 0 && row < int32_t(entries.size()) ? entries[size_t(row)].item.get() : nullptr;
    EmptyPicture();
    if (selectedItem != nullptr) {
        if (auto* const display = FindControlAs<EquipmentPicture>(mainPanel, kEquipDisplay)) display->AddImage(selectedItem);
    }
    FillDataSheet();
}

void SalvageScreen::FillDataSheet() {
    DataSheet::ClearBoxes(mainPanel);
    dirty = 1;
    const DataSheet sheet = selectedItem != nullptr ? DataSheet::For(selectedItem, nullptr) : DataSheet{};
    plaqueIndex = sheet.plaque;
    if (sheet.plaque == DataSheet::kNoPlaque) return;
    sheet.ShowIn(mainPanel);
}

void SalvageScreen::StoreAccepted() {
    // A merge frees the item the picture shows: nothing may draw it after.
    EmptyPicture();
    selectedItem = nullptr;
    CareerRecord* const career = g_gameState != nullptr ? g_gameState->career : nullptr;
    if (career == nullptr) return;
    for (Entry& entry : entries) {
        if (entry.choice == 1 && entry.item != nullptr) career->StoreEquipment(std::move(entry.item));
    }
}

void SalvageScreen::Update() {
    Screen* const hangar = g_gameState != nullptr ? g_gameState->ScreenIn(ScreenSlot::kHangar) : nullptr;
    if (hangar != nullptr && hangar != this) hangar->Update();
}

void SalvageScreen::DrawBay() {
    Canvas* const canvas = g_gameCanvas;
    const Palette* const palette = canvas != nullptr ? canvas->palette : nullptr;
    if (canvas == nullptr || palette == nullptr) return;
    canvas->FillRect(&kBayPlate, palette->MatchColor(kPlateRgb));
    SetFontColors(palette->MatchColor(kTitleRgb), kClearBackground);
    SelectFont(TextBox::kFontName);
    DrawString(kTitleText, kTitleX, kTitleY, 0);
}

void SalvageScreen::DrawPlaque() {
    Canvas* const canvas = g_gameCanvas;
    if (canvas == nullptr || plaqueIndex < 0 || plaqueIndex >= plaques.Count()) return;
    const Bitmap& picture = *plaques[plaqueIndex];
    if (picture.pixels == nullptr || picture.bytesPerPixel != Bitmap::kDepth8Bit) return;
    Palette* const previous = canvas->palette;
    if (Palette* const menu = g_gameState != nullptr ? g_gameState->LoadPalette(TextBlock::kTextPaletteName) : nullptr) {
        canvas->palette = menu;
    }
    // A view of the picture's pixels for the blit; they stay the picture's.
    PixelImage image(PixelImage::kFormat8Bit);
    image.width = int16_t(picture.width);
    image.height = int16_t(picture.height);
    image.pixels = picture.pixels;
    const CanvasRect rect{picture.x, picture.y, picture.width, picture.height};
    canvas->BlitImage(&rect, &image, kBlitOptions);
    image.ReleaseCopies();
    image.pixels = nullptr;
    canvas->palette = previous;
}

int32_t SalvageScreen::Draw() {
    // While the pop-up lies over the bay it reads the pass's input: a read
    // here would take the device snapshot first and leave the pop-up's
    // CLOSE unseen.
    const int32_t keptPressed = BeginPass();
    const int32_t result = DispatchOwnEvents(edgeEvents);
    UpdateCursor();
    Update();
    DrawBay();
    DrawPlaque();
    MarkDirty(keptPressed);
    DrawPanels();
    return StepTransition(result);
}

void SalvageScreen::ClickList() {
    ListBox* const list = List();
    if (list == nullptr) return;
    PlayUiClick(kSoundClick2);
    selectedItem = nullptr;
    const int32_t before = list->GetSelection();
    uint16_t x = 0, y = 0;
    if (eventMap != nullptr) eventMap->GetMousePosition(&x, &y);
    list->SelectAt(FrameRect::Init(int32_t(x) - g_windowOriginX, int32_t(y) - g_windowOriginY, kNoFrame));
    const int32_t row = list->GetSelection();
    if (row >= 0 && row == before && row < int32_t(entries.size())) {
        entries[size_t(row)].choice = entries[size_t(row)].choice != 0 ? 0 : 1;
    }
    FillList();
}

int32_t SalvageScreen::Button(uint16_t code, const char* buttonName, const char* topic) {
    return PressButton(code, FindControlAs<BitmapButton>(mainPanel, buttonName), edgeEvents.TestEvent(kCodeHelp) ? topic : nullptr);
}

void SalvageScreen::ScrollList(uint16_t code, bool select) {
    const bool up = code == kCodeScrollUp;
    if (select) {
        PlayUiClick(kSoundClick3);
        if (ListBox* const list = List()) {
            if (up) {
                list->PageUp();
            } else {
                list->PageDown();
            }
        }
        return;
    }
    if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
    if (auto* const button = FindControlAs<BitmapButton>(mainPanel, up ? kScrollUpButton : kScrollDownButton)) button->Press();
}

int32_t SalvageScreen::HandleEvent(uint16_t code) {
    if (code == kCodeFocusNext && edgeEvents.TestEvent(code)) FocusNextHotspot();
    if (code == kCodeFocusPrevious && edgeEvents.TestEvent(code)) FocusPreviousHotspot();
    const bool select = edgeEvents.TestEvent(kCodeSelect);
    GameState* const game = g_gameState;
    switch (code) {
        case kCodeScrollUp:
        case kCodeScrollDown: ScrollList(code, select); return 1;
        case kCodeAccept:
            if (!select) return Button(code, kAcceptButton, "SA_ACCEPT");
            PlayUiClick(kSoundClick4);
            StoreAccepted();
            if (game != nullptr) game->SelectNextScreen(ScreenSlot::kHangar);
            return 0;
        case kCodeAcceptRepair:
            if (!select) return Button(code, kRepairButton, "SA_ACCEPTREPAIR");
            PlayUiClick(kSoundClick4);
            StoreAccepted();
            if (game != nullptr) {
                // The frame opens on the repair page and goes back to the hangar.
                if (auto* const frame = dynamic_cast<FrameScreen*>(game->ScreenIn(ScreenSlot::kFrame))) {
                    frame->returnScreen = game->ScreenIn(ScreenSlot::kHangar);
                    frame->pendingSubScreen = game->ScreenIn(ScreenSlot::kRepair);
                    frame->openOnRepair = 1;
                }
                game->SelectNextScreen(ScreenSlot::kFrame);
            }
            return 0;
        case kCodeList: {
            ListBox* const list = List();
            if (list == nullptr) return 1;
            if (select) {
                ClickList();
            } else if (edgeEvents.TestEvent(kCodeClear)) {
                list->ClearSelection();
                dirty = 1;
            } else {
                WalkList(*list, {kCodeLineUp, kCodeLineDown, kCodePageUp, kCodePageDown});
            }
            return 1;
        }
        default: return 1;
    }
}
