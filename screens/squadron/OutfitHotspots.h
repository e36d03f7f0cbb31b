#pragma once
#include <cstdint>

struct InputTrigger;
class ShipRecord;

// The outfitting screen's map holds a row of hot spots for the areas of the
// ship being outfitted, records kFirstAreaRow onwards. Before each walk of
// the map the screen sets g_hotspotRowCount to 0 and g_hotspotShip to its
// selected ship; the callbacks then count the records and give the rows the
// rectangles of the ship's strips or bays, or empty and disable them.
inline constexpr int32_t kFirstAreaRow = 33;
inline constexpr int32_t kAreaRows = 12;
// The disabled value of a row without an area.
inline constexpr int16_t kDisabledRow = 100;

extern int32_t g_hotspotRowCount;
extern const ShipRecord* g_hotspotShip;

// Walk callbacks: 1 goes on, 0 stops after the last area row.
int32_t ResetListHotspotCallback(InputTrigger* record);
int32_t PlaceOutfitItemHotspotCallback(InputTrigger* record);
int32_t PlaceOutfitGridHotspotCallback(InputTrigger* record);
