#include "ui/HotspotFocus.h"

#include "display/FontContext.h"
#include "engine/input/InputEventMap.h"
#include "game/GameState.h"
#include "ui/ListBox.h"
#include "ui/Screen.h"

int32_t g_hotspotFocus = 0;
int32_t g_hotspotWalkCount = 0;
int32_t g_hotspotFound = 0;
int32_t g_hotspotPrevIndex = -1;

namespace {

// Past the last record of any map: a backward walk from here ends at the
// first disabled hot spot or the end of the map.
constexpr int32_t kFocusPastEnd = 999;
// The pointer lands this far inside the hot spot's lower-left corner.
constexpr int16_t kFocusInset = 5;

bool Disabled(const InputTrigger& record) { return record.motionX > 0; }

bool CornersSet(const InputTrigger& record) {
    return record.xMin >= 0 && record.xMax >= 0 && record.yMin >= 0 && record.yMax >= 0;
}

}  // namespace

int32_t FocusHotspotCallback(InputTrigger* record) {
    const int32_t visited = g_hotspotWalkCount++;
    if (visited != g_hotspotFocus) return 1;
    ++g_hotspotFocus;
    if (Disabled(*record)) {
        // The usable hot spots end here: the cycle starts again.
        g_hotspotFocus = 0;
        return 1;
    }
    // A record without a rectangle is a key: the next record is tried.
    if (!CornersSet(*record)) return 1;
    g_hotspotFound = 1;
    Screen* const screen = g_gameState != nullptr ? g_gameState->currentScreen : nullptr;
    if (screen != nullptr && screen->eventMap != nullptr) {
        screen->eventMap->SetMousePosition(int16_t(record->xMin + kFocusInset), int16_t(record->yMax - kFocusInset));
    }
    return 0;
}

int32_t FindPrevHotspotCallback(InputTrigger* record) {
    if (g_hotspotWalkCount >= g_hotspotFocus || Disabled(*record)) return 0;
    if (CornersSet(*record)) g_hotspotPrevIndex = g_hotspotWalkCount;
    ++g_hotspotWalkCount;
    return 1;
}

int32_t Screen::FocusNextHotspot() {
    if (eventMap == nullptr) return 0;
    g_hotspotWalkCount = 0;
    g_hotspotFound = 0;
    eventMap->ForEachEvent(FocusHotspotCallback);
    if (g_hotspotFound == 0) {
        g_hotspotFocus = 0;
        g_hotspotWalkCount = 0;
        eventMap->ForEachEvent(FocusHotspotCallback);
    }
    return 0;
}

int32_t Screen::FocusPreviousHotspot() {
    if (eventMap == nullptr) return 0;
    g_hotspotWalkCount = 0;
    g_hotspotPrevIndex = -1;
    g_hotspotFound = 0;
    --g_hotspotFocus;
    eventMap->ForEachEvent(FindPrevHotspotCallback);
    if (g_hotspotPrevIndex == -1) {
        g_hotspotFocus = kFocusPastEnd;
        g_hotspotWalkCount = 0;
        eventMap->ForEachEvent(FindPrevHotspotCallback);
    }
    g_hotspotWalkCount = 0;
    g_hotspotFocus = g_hotspotPrevIndex;
    eventMap->ForEachEvent(FocusHotspotCallback);
    return 0;
}

void Screen::SetMousePosition(int16_t x, int16_t y) {
    if (eventMap != nullptr) eventMap->SetMousePosition(x, y);
}

namespace {

// One line of a list: the list font's height and the two pixels between lines.
int32_t ListLinePitch() {
    SelectFont(ListBox::kListFontName);
    return int32_t(FontHeight()) + 2;
}

}  // namespace

void Screen::FocusLineUp(const UiControl& listBox) {
    if (eventMap == nullptr) return;
    uint16_t x = 0;
    uint16_t y = 0;
    eventMap->GetMousePosition(&x, &y);
    const int16_t up = int16_t(int32_t(y) - ListLinePitch());
    if (up > listBox.position.screenY) eventMap->SetMousePosition(int16_t(x), up);
}

void Screen::FocusLineDown(const UiControl& listBox) {
    if (eventMap == nullptr) return;
    uint16_t x = 0;
    uint16_t y = 0;
    eventMap->GetMousePosition(&x, &y);
    const int32_t down = int32_t(y) + ListLinePitch();
    if (down < listBox.position.screenY + listBox.height) eventMap->SetMousePosition(int16_t(x), int16_t(down));
}

void Screen::WalkList(ListBox& list, const ListWalkCodes& codes) {
    if (edgeEvents.TestEvent(codes.lineUp)) {
        FocusLineUp(list);
    } else if (edgeEvents.TestEvent(codes.lineDown)) {
        FocusLineDown(list);
    } else if (edgeEvents.TestEvent(codes.pageUp)) {
        list.PageUp();
    } else if (edgeEvents.TestEvent(codes.pageDown)) {
        list.PageDown();
    }
}
