#include "screens/squadron/DataSheet.h"

#include <cstdio>

#include "game/EquipmentItem.h"
#include "game/ShipRecord.h"
#include "ui/ArtObject.h"
#include "ui/TextBox.h"

namespace {

constexpr const char* kTypeNames[] = {
    "Generator", "Shield", "Armor",   "Radar",   "Targeting", "Flight",  "Engine",  "Battery",
    "Circuitry", "ECM",    "Cloak",   "Jammer",  "Repair",    "Probe",   "Decoy",   "Special",
    "Special",   "Special", "Weapon", "Beam",    "Gun",       "Missile", "Projectile", "Mine",
};

// Plaque per kind 1..24; 0 for the kinds without a sheet. Missile comes
// before Gun among the plaques although its kind number is higher.
constexpr int32_t kPlaques[] = {1, 2, 3, 4, 5, 6, 7, 0, 8, 9, 10, 11, 12, 13, 14, 0, 0, 0, 0, 15, 17, 16, 18, 19};

// How the boxes after rating and damage are filled.
enum class Layout { kNone, kKinds, kArmor, kRadar, kEngine, kDecoy, kMissile, kProjectile };

struct KindRow {
    Layout layout;
    int32_t kinds;   // k values shown in Data3 onwards
};

constexpr KindRow kRows[] = {
    {Layout::kKinds, 2},       // Generator
    {Layout::kKinds, 3},       // Shield
    {Layout::kArmor, 0},       // Armor
    {Layout::kRadar, 0},       // Radar
    {Layout::kKinds, 3},       // Targeting
    {Layout::kKinds, 2},       // Flight
    {Layout::kEngine, 0},      // Engine
    {Layout::kNone, 0},        // Battery
    {Layout::kKinds, 2},       // Circuitry
    {Layout::kKinds, 2},       // ECM
    {Layout::kKinds, 5},       // Cloak
    {Layout::kKinds, 2},       // Jammer
    {Layout::kKinds, 2},       // Repair
    {Layout::kKinds, 3},       // Probe
    {Layout::kDecoy, 0},       // Decoy
    {Layout::kNone, 0},        // Special
    {Layout::kNone, 0},        // Special
    {Layout::kNone, 0},        // Special
    {Layout::kNone, 0},        // Weapon
    {Layout::kKinds, 7},       // Beam
    {Layout::kKinds, 8},       // Gun
    {Layout::kMissile, 0},     // Missile
    {Layout::kProjectile, 0},  // Projectile
    {Layout::kKinds, 7},       // Mine
};

std::string Number(int32_t value, const char* format = "%d") {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

const char* SeekerWord(int32_t seeker) {
    switch (seeker) {
    case 1: return "Passive";
    case 2: return "Active";
    case 3: return "Heat";
    case 4: return "Image";
    default: return "None";
    }
}

bool KnownKind(int32_t kind) { return kind >= 1 && kind <= EquipmentItem::kLastKind; }

void FillItem(EquipmentItem& item, DataSheet& sheet) {
    const KindRow row = kRows[item.kind - 1];
    if (row.layout == Layout::kNone) return;
    sheet.plaque = kPlaques[item.kind - 1];
    sheet.name = item.name;
    std::string* v = sheet.values;
    v[0] = Number(row.layout == Layout::kArmor ? item.maximum : item.rating);
    v[1] = Number(item.damage);
    const int32_t* k = item.k;
    switch (row.layout) {
    case Layout::kKinds:
        for (int32_t i = 0; i < row.kinds; ++i) v[2 + i] = Number(k[i]);
        break;
    case Layout::kRadar:
        v[2] = Number(k[0]);
        v[3] = k[1] == 1 ? "Yes" : "No";
        v[4] = Number(k[2]);
        break;
    case Layout::kEngine:
        // Without an afterburner its thrust value means nothing: the item
        // keeps 0 so every later reader agrees with what was shown.
        if (k[2] <= 0) item.k[3] = 0;
        v[2] = Number(k[0]);
        v[3] = Number(k[1]);
        v[4] = k[2] > 0 ? "Yes" : "No";
        v[5] = Number(item.k[3]);
        break;
    case Layout::kDecoy:
        v[2] = Number(k[0]);
        v[3] = Number(k[1]);
        v[5] = Number(k[2], "%-4d");
        break;
    case Layout::kMissile:
        for (int32_t i = 0; i < 6; ++i) v[2 + i] = Number(k[i]);
        v[8] = Number(item.ammunition);
        v[9] = SeekerWord(k[7]);
        break;
    case Layout::kProjectile:
        for (int32_t i = 0; i < 7; ++i) v[2 + i] = Number(k[i]);
        // A rate of 0 has no period to show.
        if (k[7] != 0) v[9] = Number(1000 / k[7]);
        break;
    case Layout::kArmor:
    case Layout::kNone:
        break;
    }
}

void FillShip(const ShipRecord& ship, DataSheet& sheet) {
    sheet.plaque = DataSheet::kShipPlaque;
    sheet.name = ship.displayName;
    sheet.values[0] = Number(ship.physThrust);
    sheet.values[1] = Number(ship.damage);
    sheet.values[2] = Number(ship.physMass);
    sheet.values[3] = Number(ship.info[6]);
    sheet.values[4] = Number(ship.info[1]);
    sheet.values[5] = Number(ship.info[2]);
}

}  // namespace

const char* ItemTypeName(int32_t kind) { return KnownKind(kind) ? kTypeNames[kind - 1] : "UNKNOWN"; }

DataSheet DataSheet::For(EquipmentItem* item, const ShipRecord* ship) {
    DataSheet sheet;
    if (item) {
        if (KnownKind(item->kind)) FillItem(*item, sheet);
    } else if (ship) {
        FillShip(*ship, sheet);
    }
    return sheet;
}

namespace {

constexpr const char* kBoxNames[DataSheet::kValueBoxes + 1] = {"name",  "Data1", "Data2", "Data3", "Data4", "Data5",
                                                              "Data6", "Data7", "Data8", "Data9", "Data10"};
constexpr int32_t kNameWidth = 180;
constexpr int32_t kValueWidth = 80;
constexpr int32_t kBoxHeight = 12;
constexpr int32_t kColumnStep = 128;
constexpr int32_t kRowStep = 14;

}  // namespace

void DataSheet::AddBoxes(ArtObject* panel, int32_t x, int32_t y) {
    panel->AddControl(NewPlacedControl<TextBox>(kNameWidth, kBoxHeight, x, y, kBoxNames[0]));
    for (int32_t i = 0; i < kValueBoxes; ++i) {
        const int32_t boxX = i % 2 == 0 ? x : x + kColumnStep;
        const int32_t boxY = y + kRowStep + kRowStep * (i / 2);
        panel->AddControl(NewPlacedControl<TextBox>(kValueWidth, kBoxHeight, boxX, boxY, kBoxNames[i + 1]));
    }
}

void DataSheet::ClearBoxes(const ArtObject* panel) {
    for (const char* boxName : kBoxNames) {
        if (TextBox* const box = FindControlAs<TextBox>(panel, boxName)) box->Clear();
    }
}

void DataSheet::ShowIn(const ArtObject* panel) const {
    if (TextBox* const box = FindControlAs<TextBox>(panel, kBoxNames[0])) box->SetText(name.c_str());
    for (int32_t i = 0; i < kValueBoxes; ++i) {
        if (values[i].empty()) continue;
        if (TextBox* const box = FindControlAs<TextBox>(panel, kBoxNames[i + 1])) box->SetText(values[i].c_str());
    }
}
