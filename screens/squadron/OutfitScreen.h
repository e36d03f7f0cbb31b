#pragma once
#include <cstdint>
#include <memory>

#include "engine/DynArray.h"
#include "game/MountArea.h"
#include "ui/MenuScreen.h"

class Bitmap;
class BitmapButton;
class CareerRecord;
class EquipmentItem;
class FrameRect;
class IffFile;
class ListBox;
class ShipRecord;

// Where the player fits systems and weapons from the squadron's stores onto
// a ship: the main panel with the view buttons and the data sheet, and the
// ships, equipment and weapons views over it. Every change is made at once
// on the career and the selected ship; the screen keeps no copy.
class OutfitScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "Outfit";
    static constexpr const char* kMainPanel = "ssmain";
    static constexpr const char* kShipsPanel = "ships";
    static constexpr const char* kEquipmentPanel = "equipment";
    static constexpr const char* kWeaponsPanel = "weapons";
    static constexpr const char* kShipList = "ShipList";
    static constexpr const char* kEquipList = "EquipList";
    static constexpr const char* kWeaponList = "WeaponList";
    static constexpr int32_t kShipPictures = 6;

    // The screen's event codes.
    static constexpr uint16_t kCodeSelect = 0x0510;
    static constexpr uint16_t kCodeHelp = 0x0502;
    static constexpr uint16_t kCodeClear = 0x0520;
    static constexpr uint16_t kCodeUp = 0x0540;
    static constexpr uint16_t kCodeDown = 0x0580;
    static constexpr uint16_t kCodeLeft = 0x0601;
    static constexpr uint16_t kCodeRight = 0x0602;
    static constexpr uint16_t kCodePageUp = 0x0604;
    static constexpr uint16_t kCodePageDown = 0x0608;
    static constexpr uint16_t kCodeFocusNext = 0x0504;
    static constexpr uint16_t kCodeFocusPrevious = 0x0508;
    static constexpr uint16_t kCodeShipsView = 0x0210;
    static constexpr uint16_t kCodeWeaponsView = 0x0220;
    static constexpr uint16_t kCodeEquipmentView = 0x0240;
    static constexpr uint16_t kCodeAssign = 0x0480;
    static constexpr uint16_t kCodeScrollUp = 0x0620;
    static constexpr uint16_t kCodeScrollDown = 0x0640;
    static constexpr uint16_t kCodeList = 0x0280;
    static constexpr uint16_t kCodeLayout = 0x0610;
    static constexpr uint16_t kCodeStores = 0x0301;
    // Bays 0 to 4 are the first five, strips 0 to 12 all thirteen.
    static constexpr uint16_t kAreaCodes[] = {0x0302, 0x0304, 0x0308, 0x0310, 0x0320, 0x0340, 0x0380,
                                              0x0401, 0x0402, 0x0404, 0x0408, 0x0410, 0x0420};
    static constexpr int32_t kBayCodes = 5;

    // Line colours of the lists, red in the low byte.
    static constexpr uint32_t kIntactColour = 0x00FF00;
    static constexpr uint32_t kWornColour = 0x00FFFF;
    static constexpr uint32_t kDamagedColour = 0x0000FF;
    static constexpr uint32_t kWreckedColour = 0x646464;
    static uint32_t DamageColour(int32_t damage);

    explicit OutfitScreen(const char* screenName = kScreenName);
    ~OutfitScreen() override;

    void Open() override;
    void Close() override;
    int32_t Draw() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    void FillLists();
    void RefillEquipList();
    void RefillWeaponList();
    void ClearLists();
    void ShowDataSheet();
    void FillDataSheet();
    void SetMountHotspots(const ArtObject* view);

    // The commands, each as a click of its hot spot would run it.
    void ViewCommand(ArtObject* view);
    void AssignSelectedShip();
    void SelectShipFromList();
    // The pointer's click on the layout of the current view.
    void DropOrPickOnLayout(MountPoint pointer);
    // The click on the stores of the current view.
    void DropOrPickOnStores();
    // A click on the store list after it selected its line; `before` is the
    // line selected until then.
    void PickFromList(int32_t before);
    // The dragged item back to the stores, if any.
    void ReturnDraggedItem();

    EquipmentItem* DraggedItem() const { return draggedItem.get(); }
    ListBox* List(const char* listName) const;

    DynArray<Bitmap*> plaques;        // owned, each with its position
    int32_t plaqueIndex = 0;
    DynArray<Bitmap*> shipPictures;   // owned
    int32_t dragging = 0;
    EquipmentItem* shownItem = nullptr;    // weak: refreshed every update
    ShipRecord* selectedShip = nullptr;    // weak
    int32_t selectedShipIndex = -1;
    std::unique_ptr<EquipmentItem> draggedItem;   // in neither the stores nor a ship
    ArtObject* mainPanel = nullptr;    // owned through artObjects
    ArtObject* shipsView = nullptr;
    ArtObject* equipmentView = nullptr;
    ArtObject* weaponsView = nullptr;

private:
    void LoadPictures(IffFile& file, uint32_t form, DynArray<Bitmap*>& into);
    void ReadArtFile();
    void RefillList(const char* listName, int32_t filter);
    void AddStoreRows(ListBox& list, int32_t filter) const;
    void StoreItem(std::unique_ptr<EquipmentItem> item);
    void EmptyDisplays();
    bool ViewActive(const ArtObject* view) const;
    int32_t StoreFilter() const;
    const char* StoreListName() const;
    void RefillStores();
    MountPoint Pointer() const;
    void DrawPlaque();
    void DrawShipPicture();
    // The ship picture of the ship's hull; null when the hull has none or
    // the art file fell short.
    Bitmap* ShipPicture(const ShipRecord& ship) const;
    void DrawLayout();
    void ChooseShip();
    // A main-panel button that was not selected: its help topic or its press.
    int32_t Button(uint16_t code, const char* buttonName, const char* topic);
    void ListKeys(ListBox& list);
    void CellKeys(const MountArea& area, int32_t cell, bool vertical);
    void ScrollList(const char* listName, int32_t direction, int32_t sound, const ArtObject* view = nullptr);
    // The button of that name, in `first` before the other pages.
    BitmapButton* FindButton(const char* buttonName, const ArtObject* first = nullptr) const;
    CareerRecord* Career() const;
};
