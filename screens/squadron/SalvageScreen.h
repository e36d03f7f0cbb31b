#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/DynArray.h"
#include "ui/MenuScreen.h"

class Bitmap;
class EquipmentItem;
class IffFile;
class ListBox;

// The salvage bay, in the hangar after a flight that brought pieces back:
// the player keeps or leaves each piece, then goes on to the hangar or to
// repairs. No money changes hands here; what is kept joins the stores.
class SalvageScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "SALVAGE";
    static constexpr const char* kMainPanel = "smain";
    static constexpr const char* kListName = "SalvageList";
    static constexpr const char* kArtFileName = "salvage1.iff";
    static constexpr const char* kHangarArtFileName = "hangar1.iff";
    static constexpr const char* kTitleText = "SALVAGE BAY";
    // The screen's event codes.
    static constexpr uint16_t kCodeList = 0x0001;
    static constexpr uint16_t kCodeAccept = 0x0002;
    static constexpr uint16_t kCodeAcceptRepair = 0x0004;
    static constexpr uint16_t kCodeHelp = 0x0010;
    static constexpr uint16_t kCodeFocusNext = 0x0020;
    static constexpr uint16_t kCodeFocusPrevious = 0x0040;
    static constexpr uint16_t kCodeSelect = 0x0080;
    static constexpr uint16_t kCodeClear = 0x0101;
    static constexpr uint16_t kCodeLineUp = 0x0102;
    static constexpr uint16_t kCodeLineDown = 0x0104;
    static constexpr uint16_t kCodePageUp = 0x0108;
    static constexpr uint16_t kCodePageDown = 0x0110;
    static constexpr uint16_t kCodeScrollUp = 0x0120;
    static constexpr uint16_t kCodeScrollDown = 0x0140;

    // A piece and the player's choice: 1 take it, 0 leave it. The entry
    // owns the item until the career takes it.
    struct Entry {
        std::unique_ptr<EquipmentItem> item;
        int32_t choice = 1;
    };

    explicit SalvageScreen(const char* screenName = kScreenName);
    ~SalvageScreen() override;

    void Open() override;
    void Close() override;
    int32_t Draw() override;
    // The bay lies in the hangar: the hangar's loop and ambience go on.
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // One entry per salvage record of the player's ship whose id the
    // definitions know, each with the record's condition as its damage.
    // The title and the plate under the list, over the hangar's backdrop.
    void DrawBay();
    void LoadSalvage();
    void FillList();
    void FillDataSheet();
    // Every entry chosen to be kept goes to the career's stores.
    void StoreAccepted();
    // A click on the list at the pointer: the first selects, a second on
    // the same row flips its choice.
    void ClickList();
    ListBox* List() const;
    // The row colour of a piece by damage less repair points, red in the low byte.
    static uint32_t RowColour(const EquipmentItem& item);

    std::vector<Entry> entries;
    DynArray<Bitmap*> plaques;        // owned, each with its position
    int32_t plaqueIndex = 0;
    EquipmentItem* selectedItem = nullptr;   // an entry's
    ArtObject* mainPanel = nullptr;          // owned through artObjects

private:
    void ReadArtFile();
    void LoadPlaques(IffFile& file);
    void DrawPlaque();
    void EmptyPicture();
    void ScrollList(uint16_t code, bool select);
    int32_t Button(uint16_t code, const char* buttonName, const char* topic);
};
