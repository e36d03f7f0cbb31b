#pragma once
#include <cstdint>
#include <string>

class ArtObject;
class EquipmentItem;
class ShipRecord;

// What the squadron screens that deal in equipment show of one item or ship:
// the plaque picture chosen by its type, its display name and ten value
// boxes. The texts and their order are the same on every such screen; each
// screen puts them into its own boxes.
struct DataSheet {
    static constexpr int32_t kValueBoxes = 10;
    static constexpr int32_t kNoPlaque = 0;
    static constexpr int32_t kShipPlaque = 20;

    int32_t plaque = kNoPlaque;
    std::string name;
    std::string values[kValueBoxes];   // "Data1" to "Data10"

    // The sheet of an item, of a ship when there is no item, or the empty
    // sheet when neither is given. An Engine without an afterburner loses
    // its k4 here, so the item is not const.
    static DataSheet For(EquipmentItem* item, const ShipRecord* ship);

    // The sheet's text boxes on `panel`: the name box at (x, y), the value
    // boxes two to a row beneath it.
    static void AddBoxes(ArtObject* panel, int32_t x, int32_t y);
    // Every box of the sheet on `panel` emptied.
    static void ClearBoxes(const ArtObject* panel);
    // The name, and each value that is not empty, into the boxes on `panel`.
    void ShowIn(const ArtObject* panel) const;
};

// The type name of an item's kind for list rows; "UNKNOWN" outside 1..24.
const char* ItemTypeName(int32_t kind);
