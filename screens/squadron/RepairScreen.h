#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/MenuScreen.h"

class BitmapButton;
class CareerRecord;
class EquipmentItem;
class ListBox;

// The repair shop: for the stores or one ship it lists the damaged
// structure, systems and weapons and sells their repair in steps of ten
// points or all at once. Repairs bought are only recorded on the career's
// records; they are carried out, and paid, when the screen closes. Repairs
// recorded before a visit were never paid for: opening forgets them.
// Whatever the records hold, a repair leaves damage between 0 and what it was.
class RepairScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "REPAIR";
    static constexpr const char* kMainPanel = "remain";
    static constexpr const char* kShipsPanel = "ships";
    static constexpr const char* kWeaponsPanel = "weapons";
    static constexpr const char* kEquipmentPanel = "equipment";
    static constexpr const char* kShipList = "ShipList";
    static constexpr const char* kStructList = "StructList";
    static constexpr const char* kEquipList = "EquipList";
    static constexpr const char* kWeaponList = "WeaponList";
    static constexpr const char* kFunds = "Funds";
    static constexpr const char* kTotal = "Total";
    static constexpr const char* kStoresRow = "Stores";

    // Points bought by one click, and the price share of a point (price / 200).
    static constexpr int32_t kStepPoints = 10;
    static constexpr int32_t kPriceDivisor = 200;
    // The weapons panel keeps this much beyond the pending total.
    static constexpr int32_t kWeaponReserve = 10;
    // Rows and the two money texts are cut to this many bytes with the NUL.
    static constexpr size_t kRowBytes = 64;

    // The screen's event codes.
    static constexpr uint16_t kCodeSelect = 0x0380;
    static constexpr uint16_t kCodeHelp = 0x0310;
    static constexpr uint16_t kCodeFocusNext = 0x0320;
    static constexpr uint16_t kCodeFocusPrevious = 0x0340;
    static constexpr uint16_t kCodeShipScrollUp = 0x0420;
    static constexpr uint16_t kCodeShipScrollDown = 0x0440;
    static constexpr uint16_t kCodeRepairAll = 0x0304;
    static constexpr uint16_t kCodeShipList = 0x0210;
    static constexpr uint16_t kCodeShipsView = 0x0220;
    static constexpr uint16_t kCodeEquipmentView = 0x0280;
    static constexpr uint16_t kCodeWeaponsView = 0x0240;
    static constexpr uint16_t kCodeTextUp = 0x0502;
    static constexpr uint16_t kCodeTextDown = 0x0504;
    static constexpr uint16_t kCodeDescription = 0x0302;
    static constexpr uint16_t kCodeListUp = 0x0480;
    static constexpr uint16_t kCodeListDown = 0x0501;
    static constexpr uint16_t kCodePanelList = 0x0301;
    static constexpr uint16_t kCodeClear = 0x0401;
    static constexpr uint16_t kCodeLineUp = 0x0402;
    static constexpr uint16_t kCodeLineDown = 0x0404;
    static constexpr uint16_t kCodePageUp = 0x0408;
    static constexpr uint16_t kCodePageDown = 0x0410;

    // Line colours, red in the low byte.
    static constexpr uint32_t kIntactColour = 0x00FF00;
    static constexpr uint32_t kWornColour = 0x00FFFF;
    static constexpr uint32_t kDamagedColour = 0x0000FF;
    static constexpr uint32_t kWreckedColour = 0x646464;
    static uint32_t DamageColour(int32_t remaining);
    // "%-24s %5d %5d", the name cut so the numbers always fit.
    static std::string FormatRow(const std::string& name, int32_t remaining, int32_t cost);
    // The facing rule for one armour item: the weakest facings are raised
    // first, level by level, until its repair points (at most its damage)
    // are spent. A facing reads at most 250; a maximum below 1 is repaired
    // as a plain item.
    static void RepairArmour(EquipmentItem& armour);

    explicit RepairScreen(const char* screenName = kScreenName);
    ~RepairScreen() override;

    void Open() override;
    void Close() override;
    int32_t Draw() override;
    void Update() override {}
    int32_t HandleEvent(uint16_t code) override;

    // Row 0 the stores, row r ship r - 1; other rows leave the lists empty.
    void SelectShip(int32_t row);
    void AddDamagedItem(EquipmentItem* item);
    void FillLists();
    void ApplyRepairs();
    // A click on the current panel's list after it selected its line;
    // `before` is the line selected until then.
    void RepairStep(int32_t before);
    void RepairAll();

    ListBox* List(const char* listName) const;

    ArtObject* mainPanel = nullptr;     // owned through artObjects
    ArtObject* shipsPanel = nullptr;
    ArtObject* weaponsPanel = nullptr;
    ArtObject* equipmentPanel = nullptr;
    int32_t pendingTotal = 0;
    int32_t remainingCost = 0;
    std::vector<EquipmentItem*> equipment;   // the career's items
    std::vector<EquipmentItem*> weapons;
    std::vector<EquipmentItem*> structure;   // and the hull entry, last

private:
    void ClearItemLists();
    void ForgetUnpaidRepairs();
    void SwitchTo(ArtObject* panel);
    int32_t Button(uint16_t code, const char* buttonName, const char* topic);
    void Scroll(ListBox* list, const char* buttonName, int32_t direction);
    void ListKeys(ListBox& list);
    std::vector<EquipmentItem*>* PanelItems(const ArtObject* panel);
    const char* PanelListName(const ArtObject* panel) const;
    bool PanelActive(const ArtObject* panel) const;
    BitmapButton* FindButton(const char* buttonName) const;
    CareerRecord* Career() const;

    // Made from the selected ship; never owns that ship.
    std::unique_ptr<EquipmentItem> hullEntry_;
};
