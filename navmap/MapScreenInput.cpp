#include "navmap/MapScreen.h"

#include <bit>
#include <cstring>
#include <string>

#include "engine/input/InputEventMap.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "objects/space/SpaceObject.h"
#include "screens/QuitScreen.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/FrameRect.h"
#include "ui/ListBox.h"
#include "ui/ScreenRedraw.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr int32_t kSoundSelect = 1;    // "Click 2"
constexpr int32_t kSoundCommand = 2;   // "Click 1"
constexpr int32_t kSoundScroll = 5;    // "Click 3"
constexpr int32_t kClassFilters = 10;
// The pointer's bounds for the cursor keys over the map area, raw coordinates.
constexpr int32_t kPointerTop = 0;
constexpr int32_t kPointerBottom = 332;
constexpr int32_t kPointerLeft = 146;
constexpr int32_t kPointerRight = 640;

enum MapCommand : int32_t {
    kForward, kBack, kLeft, kRight, kUp, kDown, kRotateRight, kRotateLeft, kBankRight, kBankLeft,
    kCenter, kZoomIn, kZoomOut, kPageUp, kPageDown,
};

struct ButtonSpec {
    const char* control;
    const char* topic;   // null: none
    MapCommand command;
};

// In the order of the key events.
constexpr ButtonSpec kKeys[MapScreen::kKeyCount] = {
    {"Move forward", nullptr, kForward}, {"Move back", nullptr, kBack},         {"Move left", nullptr, kLeft},
    {"Move right", nullptr, kRight},     {"Center view", nullptr, kCenter},     {"Zoom in", nullptr, kZoomIn},
    {"Zoom out", nullptr, kZoomOut},     {"Rotate right", nullptr, kRotateRight}, {"Bank right", nullptr, kBankRight},
    {"Move up", nullptr, kUp},           {"Move down", nullptr, kDown},         {"Rotate left", nullptr, kRotateLeft},
    {"Bank left", nullptr, kBankLeft},
};
// In the order of the button events.
constexpr ButtonSpec kButtons[MapScreen::kButtonCount] = {
    {"Zoom in", "ZOOMIN", kZoomIn},
    {"Zoom out", "ZOOMOUT", kZoomOut},
    {"Move up", "MOVEUP", kUp},
    {"Move down", "MOVEDONM", kDown},
    {"Rotate right", "ROTATERIGHT", kRotateRight},
    {"Rotate left", "ROTATELEFT", kRotateLeft},
    {"Bank right", "BANKRIGHT", kBankRight},
    {"Bank left", "BANKLEFT", kBankLeft},
    {"Left Scroll up", nullptr, kPageUp},
    {"Left Scroll down", nullptr, kPageDown},
    {"Right Scroll up", nullptr, kPageUp},
    {"Right Scroll down", nullptr, kPageDown},
    {"Move forward", "MOVEFORWARD", kForward},
    {"Move back", "MOVEBACK", kBack},
    {"Move left", "MOVELEFT", kLeft},
    {"Move right", "MOVERIGHT", kRight},
    {"Center view", "CENTERVIEW", kCenter},
};

struct FilterSpec {
    const char* control;
    const char* topic;
};
constexpr FilterSpec kFilters[kClassFilters] = {
    {"Ship friendly", "SHIPFRIENDLY"}, {"Ship hostile", "SHIPHOSTILE"}, {"Ship neutral", "SHIPNEUTRAL"},
    {"Base friendly", "BASEFRIENDLY"}, {"Base hostile", "BASEHOSTILE"}, {"Base neutral", "BASENEUTRAL"},
    {"Mine friendly", "MINEFRIENDLY"}, {"Mine hostile", "MINEHOSTILE"}, {"Mine neutral", "MINENEUTRAL"},
    {"Asteroid filter", "ASTEROIDFILTER"},
};
// Where Rotate left and Bank left stand among the keys: over the list they page it.
constexpr int32_t kKeyRotateLeft = 11;
constexpr int32_t kKeyBankLeft = 12;
constexpr const char* kDataDisplayObject = "Data display 1";
constexpr const char* kDataDisplayGoal = "Data display 2";

void Sound(int32_t index) { PlayUiSound(index, kUiClickSoundLevel, 1); }

// The event number of a one-bit code; -1 for any other code.
int32_t EventIndex(uint16_t code) {
    const uint32_t mask = code & 0xFFu;
    if (!std::has_single_bit(mask)) return -1;
    return int32_t(code >> 8) * 8 + std::countr_zero(mask);
}

uint16_t Code(int32_t index) { return index >= 0 ? EventKey(uint32_t(index)) : 0; }

bool Within(int32_t index, int32_t first, int32_t count) { return first >= 0 && index >= first && index < first + count; }

}  // namespace

int32_t MapScreen::ZoomIn(int32_t range, int32_t floor) {
    const int64_t zoomed = int64_t(range) * 3 / 4;
    return zoomed < floor ? floor : int32_t(zoomed);
}

int32_t MapScreen::ZoomOut(int32_t range, int32_t ceiling) {
    const int64_t zoomed = int64_t(range) * 4 / 3;
    return zoomed > ceiling ? ceiling : int32_t(zoomed);
}

ListBox* MapScreen::List() const {
    return artObject != nullptr ? dynamic_cast<ListBox*>(artObject->FindControl(kObjectList)) : nullptr;
}

bool MapScreen::InWorld(const SpaceObject* object) {
    const GameState* const game = g_gameState;
    if (object == nullptr || game == nullptr || game->mission == nullptr) return false;
    for (SpaceObject* each = game->mission->firstObject; each != nullptr; each = each->GetNext()) {
        if (each == object) return true;
    }
    return false;
}

void MapScreen::Pointer(int16_t* x, int16_t* y) const {
    uint16_t rawX = 0;
    uint16_t rawY = 0;
    if (eventMap != nullptr) eventMap->GetMousePosition(&rawX, &rawY);
    *x = int16_t(int32_t(rawX) - g_windowOriginX);
    *y = int16_t(int32_t(rawY) - g_windowOriginY);
}

bool MapScreen::Clicked(uint16_t code, const EventTable& table, const char* control, const char* topic,
                        bool heldSkip) {
    if (edgeEvents.TestEvent(Code(table.click))) return true;
    if (topic != nullptr && edgeEvents.TestEvent(Code(table.help))) {
        TutorialScreen::OpenTopic(*this, (std::string(table.topicPrefix) + topic).c_str());
        dirty = 1;
        return false;
    }
    if (heldSkip && currentEvents.TestEvent(Code(table.click))) return false;
    if (auto* const button = dynamic_cast<BitmapButton*>(artObject->FindControl(control))) button->Press();
    if (edgeEvents.TestEvent(code)) Sound(kUiSoundHotspot);
    return false;
}

void MapScreen::ToggleFilter(const char* button) {
    SetButtonState(button, ButtonState(button) != 0 ? 0 : BitmapButton::kLatched);
}

void MapScreen::ToggleGoalFilter() {
    const bool on = ButtonState(kGoalFilter) == 0;
    ToggleFilter(kGoalFilter);
    const auto firstBlock = [](TextBox* box) {
        if (box != nullptr) box->SetCurrentBlock(box->GetBlock(0) != nullptr ? 0 : -1);
    };
    const auto noBlock = [](TextBox* box) {
        if (box != nullptr) box->SetCurrentBlock(-1);
    };
    if (on) selectedObject = nullptr;
    artObject->ShowControl(on ? kDataDisplayGoal : kDataDisplayObject);
    artObject->HideControl(on ? kDataDisplayObject : kDataDisplayGoal);
    if (on) {
        firstBlock(Box(kGoalText));
    } else {
        noBlock(Box(kGoalText));
    }
    for (const char* boxName : {kObjectName, kObjectRace, kObjectShipType, kObjectStatus}) {
        if (on) {
            noBlock(Box(boxName));
        } else {
            firstBlock(Box(boxName));
        }
    }
    RequestScreenRedraw();
    // In flight the list starts again from its first line.
    ListBox* const list = List();
    if (twin_ == MapTwin::kInFlight && list != nullptr && list->GetBlock(list->currentBlock) != nullptr) {
        list->SetTopLine(0);
    }
}

void MapScreen::RunCommand(int32_t command, bool byKey) {
    const float step = float(mapRange) * 0.1f;
    switch (command) {
        case kForward: mapCamera.MoveLocalXyz(0.0f, 0.0f, step, Transform::kAllFlags); break;
        case kBack: mapCamera.MoveLocalXyz(0.0f, 0.0f, -step, Transform::kAllFlags); break;
        case kLeft: mapCamera.MoveLocalXyz(step, 0.0f, 0.0f, Transform::kAllFlags); break;
        case kRight: mapCamera.MoveLocalXyz(-step, 0.0f, 0.0f, Transform::kAllFlags); break;
        case kUp: mapCamera.MoveLocalXyz(0.0f, -step, 0.0f, Transform::kAllFlags); break;
        case kDown: mapCamera.MoveLocalXyz(0.0f, step, 0.0f, Transform::kAllFlags); break;
        case kRotateRight: mapCamera.RotateAboutLocalY(kTurnDegrees, Transform::kAllFlags); break;
        case kRotateLeft: mapCamera.RotateAboutLocalY(-kTurnDegrees, Transform::kAllFlags); break;
        case kBankRight: mapCamera.RotateAboutForward(kTurnDegrees, Transform::kAllFlags); break;
        case kBankLeft: mapCamera.RotateAboutForward(-kTurnDegrees, Transform::kAllFlags); break;
        case kZoomIn: mapRange = ZoomIn(mapRange, byKey ? kKeyZoomFloor : kButtonZoomFloor); return;
        case kZoomOut: mapRange = ZoomOut(mapRange, byKey ? kKeyZoomCeiling : kButtonZoomCeiling); return;
        case kPageUp:
            if (ListBox* const list = List()) list->PageUp();
            return;
        case kPageDown:
            if (ListBox* const list = List()) list->PageDown();
            return;
        case kCenter: {
            SpaceObject* const chosen = selectedObject;
            if (!InWorld(chosen)) return;
            const Vector3 at = chosen->Position();
            mapCamera.SetPositionXyz(at.x, at.y, at.z, Transform::kAllFlags);
            followObject = chosen;
            return;
        }
        default: return;
    }
    followObject = nullptr;
}

int32_t MapScreen::MapArea(const EventTable& table) {
    int16_t x = 0;
    int16_t y = 0;
    Pointer(&x, &y);
    if (placementStep == 2 || placementStep == 1) MoveWayPoint(x, y);
    if (edgeEvents.TestEvent(Code(table.click))) {
        switch (placementStep) {
            case 0: {
                Sound(kSoundSelect);
                const int32_t hit = HitSymbol(x, y, nullptr);
                if (hit >= 0 && InWorld(symbols[size_t(hit)].object)) selectedObject = symbols[size_t(hit)].object;
                return 1;
            }
            case 3:
                Sound(kSoundCommand);
                // A buoy that cannot be made leaves the step waiting for another click.
                if (CreateWayPoint(x, y)) placementStep = 2;
                break;
            case 2:
                Sound(kSoundSelect);
                placementStep = 1;
                break;
            case 1:
                Sound(kSoundSelect);
                placementStep = 0;
                break;
            case -1: {
                Sound(kSoundCommand);
                const int32_t hit = HitSymbol(x, y, kWayPointName);
                if (hit >= 0) DeleteWayPoint(size_t(hit));
                break;
            }
            default: break;
        }
    } else if (edgeEvents.TestEvent(Code(table.cancel))) {
        if (placementStep == 0) {
            selectedObject = nullptr;
        } else {
            placementStep = 0;
        }
    }
    if (eventMap == nullptr) return 1;
    uint16_t rawX = 0;
    uint16_t rawY = 0;
    eventMap->GetMousePosition(&rawX, &rawY);
    int32_t px = rawX;
    int32_t py = rawY;
    const int32_t step = table.cursorStep;
    const auto held = [&](int32_t key) { return currentEvents.TestEvent(Code(table.firstKey + key)); };
    if (held(kForward) && py - step > kPointerTop) py -= step;
    if (held(kBack) && py + step < kPointerBottom) py += step;
    if (held(kLeft) && px - step > kPointerLeft) px -= step;
    if (held(kRight) && px + step < kPointerRight) px += step;
    if (px != rawX || py != rawY) eventMap->SetMousePosition(int16_t(px), int16_t(py));
    return 1;
}

int32_t MapScreen::ObjectListEvent(const EventTable& table) {
    ListBox* const list = List();
    if (list == nullptr) return 1;
    const auto fresh = [&](int32_t index) { return edgeEvents.TestEvent(Code(index)); };
    if (fresh(table.click)) {
        Sound(kSoundSelect);
        int16_t x = 0;
        int16_t y = 0;
        Pointer(&x, &y);
        list->SelectAt(FrameRect::Init(x, y, FrameRect::kNoFrame));
        const char* const item = listObjects == 1 ? list->GetSelectedItem() : nullptr;
        const GameState* const game = g_gameState;
        if (item == nullptr || game == nullptr || game->mission == nullptr) return 1;
        for (SpaceObject* object = game->mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (std::strcmp(object->name != nullptr ? object->name : "", item) == 0) {
                selectedObject = object;
                break;
            }
        }
        return 1;
    }
    if (fresh(table.cancel)) {
        list->ClearSelection();
        RequestScreenRedraw();
        return 1;
    }
    if (fresh(table.firstKey + kForward)) {
        FocusLineUp(*list);
    } else if (fresh(table.firstKey + kBack)) {
        FocusLineDown(*list);
    } else if (fresh(table.firstKey + kKeyRotateLeft)) {
        list->PageUp();
    } else if (fresh(table.firstKey + kKeyBankLeft)) {
        list->PageDown();
    }
    return 1;
}

int32_t MapScreen::LeaveForQuit() {
    if (GameState* const game = g_gameState) {
        game->SelectNextScreen(ScreenSlot::kQuit);
        if (auto* const quit = dynamic_cast<QuitDialog*>(game->ScreenIn(ScreenSlot::kQuit))) quit->returnScreen = this;
    }
    return 0;
}

int32_t MapScreen::HandleMapEvent(uint16_t code, const EventTable& table) {
    // Way points stay in sight while they are laid or picked for deletion.
    if (placementStep != 0) SetButtonState(kNavPointFilter, BitmapButton::kLatched);
    const int32_t index = EventIndex(code);
    if (index < 0) return 1;
    if (index == table.quit) return LeaveForQuit();
    if (index == table.list) return ObjectListEvent(table);
    if (index == table.mapArea) return MapArea(table);
    if (index == table.exit) {
        if (!Clicked(code, table, "exit", "EXIT", true)) return 1;
        Sound(kSoundCommand);
        return LeaveByExit();
    }
    if (Within(index, table.firstFilter, kClassFilters)) {
        const FilterSpec& filter = kFilters[index - table.firstFilter];
        if (Clicked(code, table, filter.control, filter.topic, false)) {
            Sound(kSoundCommand);
            ToggleFilter(filter.control);
        }
        return 1;
    }
    if (index == table.goalFilter) {
        if (Clicked(code, table, kGoalFilter, "MISSIONGOALFILTER", false)) {
            Sound(kSoundCommand);
            ToggleGoalFilter();
        }
        return 1;
    }
    if (index == table.navFilter || index == table.barFilter) {
        const bool nav = index == table.navFilter;
        const char* const button = nav ? kNavPointFilter : kBarFilter;
        if (Clicked(code, table, button, nav ? "NAVPOINTFILTER" : "ALTITUDEBARFILTER", table.heldFilters)) {
            Sound(kSoundCommand);
            ToggleFilter(button);
        }
        return 1;
    }
    if (index == table.create || index == table.remove) {
        const bool create = index == table.create;
        if (Clicked(code, table, create ? "Create nav point" : "Delete nav point",
                    create ? "CREATENAVPOINT" : "DELETENAVPOINT", false)) {
            Sound(kSoundCommand);
            placementStep = create ? 3 : -1;
        }
        return 1;
    }
    if (index == table.active || index == table.passive) {
        const bool active = index == table.active;
        if (Clicked(code, table, active ? "Active Mode" : "Passive Mode", active ? "ACTIVE" : "PASSIVE", true)) {
            Sound(kSoundCommand);
            SetRadarMode(active);
        }
        return 1;
    }
    if (index == table.focusNext || index == table.focusPrevious) {
        if (edgeEvents.TestEvent(code)) {
            if (index == table.focusNext) {
                FocusNextHotspot();
            } else {
                FocusPreviousHotspot();
            }
        }
        return 1;
    }
    if (Within(index, table.firstKey, kKeyCount)) {
        const ButtonSpec& key = kKeys[index - table.firstKey];
        const bool overList = currentEvents.TestEvent(Code(table.list));
        const bool overMap = currentEvents.TestEvent(Code(table.mapArea));
        const bool blocked = ((key.command == kForward || key.command == kBack) && (overList || overMap)) ||
                             ((key.command == kLeft || key.command == kRight) && overMap) ||
                             ((key.command == kRotateLeft || key.command == kBankLeft) && overList);
        if (blocked) return 1;
        if (auto* const button = dynamic_cast<BitmapButton*>(artObject->FindControl(key.control))) button->Press();
        if (edgeEvents.TestEvent(code)) {
            Sound(kSoundCommand);
            RunCommand(key.command, true);
        }
        return 1;
    }
    if (Within(index, table.firstButton, kButtonCount)) {
        const ButtonSpec& button = kButtons[index - table.firstButton];
        if (Clicked(code, table, button.control, button.topic, true)) {
            const bool scroll = button.command == kPageUp || button.command == kPageDown;
            Sound(scroll ? kSoundScroll : kSoundCommand);
            RunCommand(button.command, false);
        }
        return 1;
    }
    return 1;
}
