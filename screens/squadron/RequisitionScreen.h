#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/DynArray.h"
#include "ui/MenuScreen.h"

class Bitmap;
class BitmapButton;
class CareerRecord;
class EquipmentItem;
class IffFile;
class ListBox;
class ShipRecord;

// The squadron's shop. In buy mode the catalogue can be ordered against the
// funds; in sell mode what the squadron owns can be flagged for sale. The
// running total is the order's net cost: every step that raises it is
// tested against the funds, so a placed order never overdraws them.
// Placing the order, or leaving, settles it; the goods arrive at launch. A
// visit that only looks (rows chosen, panels and modes switched) leaves the
// career exactly as it found it.
class RequisitionScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "REQU";
    static constexpr const char* kMainPanel = "rqmain";
    static constexpr const char* kShipsPanel = "ships";
    static constexpr const char* kWeaponsPanel = "weapons";
    static constexpr const char* kEquipmentPanel = "equipment";
    static constexpr const char* kListName = "PurchaseList";
    static constexpr const char* kOrderPlacedText = "Order Placed";
    // Said instead when the order button finds nothing chosen.
    static constexpr const char* kEmptyOrderText = "Nothing Ordered";
    static constexpr uint32_t kOrderPlacedMs = 4000;
    static constexpr int32_t kBuyMode = 0;
    static constexpr int32_t kSellMode = 1;
    // The screen's event codes.
    static constexpr uint16_t kCodeBuyMode = 0x0210;
    static constexpr uint16_t kCodeSellMode = 0x0220;
    static constexpr uint16_t kCodeShips = 0x0240;
    static constexpr uint16_t kCodeWeapons = 0x0280;
    static constexpr uint16_t kCodeEquipment = 0x0301;
    static constexpr uint16_t kCodeList = 0x0302;
    static constexpr uint16_t kCodePlaceOrder = 0x0308;
    static constexpr uint16_t kCodeHelp = 0x0320;
    static constexpr uint16_t kCodeFocusNext = 0x0340;
    static constexpr uint16_t kCodeFocusPrevious = 0x0380;
    static constexpr uint16_t kCodeSelect = 0x0401;
    static constexpr uint16_t kCodeOther = 0x0402;
    static constexpr uint16_t kCodeLineUp = 0x0404;
    static constexpr uint16_t kCodeLineDown = 0x0408;
    static constexpr uint16_t kCodePageUp = 0x0410;
    static constexpr uint16_t kCodePageDown = 0x0420;
    static constexpr uint16_t kCodeDescriptionUp = 0x0440;
    static constexpr uint16_t kCodeDescriptionDown = 0x0480;
    static constexpr uint16_t kCodeListUp = 0x0501;
    static constexpr uint16_t kCodeListDown = 0x0502;

    explicit RequisitionScreen(const char* screenName = kScreenName);
    ~RequisitionScreen() override;

    void Open() override;
    // Settles a pending order as placing it would, without the notice.
    void Close() override;
    int32_t Draw() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // Three quarters of the price, scaled by what is left of the item.
    static int32_t Resale(int32_t damage, int32_t price);
    // A list row's text, the name cut to fit.
    static std::string ItemRow(int32_t kind, const std::string& name, int32_t a, int32_t b, int32_t c);
    static std::string ShipRow(const std::string& name, int32_t a, int32_t b, int32_t c);
    static const char* KindCode(int32_t kind);

    void FillLists();
    // Nothing when no order is pending: settling selects the viewed ship,
    // which takes its wingman off, and that only a sale or purchase may do.
    void SettleOrder();
    // Whether this visit ordered, flagged or took back anything.
    bool OrderPending() const;
    // Places a pending order; an empty one is refused with its own notice.
    void PlaceOrder();
    // On the current panel's list row: add one (buy or flag for sale) and
    // take one away, each refused when the funds would not cover it.
    void AddOne(int32_t row);
    void TakeOne(int32_t row);
    // A panel over the main one, as its button opens it.
    void OpenPanel(ArtObject* panel);
    ListBox* List(const ArtObject* panel) const;
    // Whatever the current panel's row stands for; null when nothing does.
    EquipmentItem* RowItem(int32_t row) const;
    ShipRecord* RowShip(int32_t row) const;

    ArtObject* mainPanel = nullptr;       // owned through artObjects
    ArtObject* shipsPanel = nullptr;
    ArtObject* weaponsPanel = nullptr;
    ArtObject* equipmentPanel = nullptr;
    int32_t orderPlaced = 0;              // 1 while the notice shows
    uint32_t orderPlacedAt = 0;
    const char* notice = kOrderPlacedText;
    DynArray<Bitmap*> plaques;            // owned, each with its position
    int32_t plaqueIndex = 0;
    EquipmentItem* selectedItem = nullptr;
    ShipRecord* selectedShip = nullptr;
    int32_t mode = kBuyMode;
    int32_t total = 0;

private:
    void ReadArtFile();
    void ShowNotice(const char* text);
    void FillList(ArtObject* panel, int32_t filter);
    void ShowSelection();
    void EmptyPictures();
    void DrawPlaque();
    void ClickList(bool add);
    void SetButton(const char* buttonName, int32_t state) const;
    BitmapButton* FindButton(const char* buttonName) const;
    int32_t Button(uint16_t code, const char* buttonName, const char* topic);
    int32_t Filter(const ArtObject* panel) const;
    bool PanelActive(const ArtObject* panel) const;
    CareerRecord* Career() const;
    // The catalogue's ordered counts as the visit found them (or as the last
    // settlement left them): units ordered on an earlier visit are paid for.
    void KeepOrderedCounts();
    std::vector<int32_t> orderedBefore_;
    // A sell-mode ship shown in the picture control: a view of the
    // career's record, which stays the career's.
    std::unique_ptr<EquipmentItem> shipView_;
};
