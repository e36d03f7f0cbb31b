#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "navmap/MapClasses.h"
#include "navmap/MapProjection.h"
#include "navmap/MapSymbol.h"
#include "objects/space/ObjectLink.h"
#include "scene/Transform.h"
#include "ui/MenuScreen.h"

class ArtObject;
class Canvas;
class Goal;
class IffFile;
class ListBox;
class SpaceObject;
class TextBox;

// The way point the war-room map is placing; let go when it leaves the world.
extern ObjectLink g_placingWayPoint;

// What the war-room map and the in-flight map share: the symbol images and
// controls of their art file, the filter buttons, and the pass that rebuilds
// the object list and the symbols, fills the information panel and draws
// the map. The twins differ in the points MapTwin names and in the radar,
// which only the in-flight map asks (through the virtual questions below).
class MapScreen : public MenuScreen {
public:
    static constexpr const char* kObjectList = "ObjectList";
    static constexpr const char* kGoalText = "GoalText";
    static constexpr const char* kObjectName = "ObjectName";
    static constexpr const char* kObjectRace = "ObjectRace";
    static constexpr const char* kObjectShipType = "ObjectShipType";
    static constexpr const char* kObjectStatus = "ObjectStatus";
    static constexpr const char* kGoalFilter = "Mission goal filter";
    static constexpr const char* kBarFilter = "Attitude bar filter";
    static constexpr const char* kNavPointFilter = "Nav point filter";
    // The goal lines: the description padded to this width, two blanks, the status.
    static constexpr int32_t kGoalColumn = 33;
    static constexpr const char* kWayPointName = "Navmap Way Point";
    static constexpr const char* kWayPointDefinition = "Nav Buoy";
    // A new way point stands this far off the camera along its own x and y.
    static constexpr float kWayPointOffset = 100.0f;
    // Zoom bounds of the keys and of the buttons.
    static constexpr int32_t kKeyZoomFloor = 100;
    static constexpr int32_t kKeyZoomCeiling = 20000;
    static constexpr int32_t kButtonZoomFloor = 500;
    static constexpr int32_t kButtonZoomCeiling = 15000;
    static constexpr float kTurnDegrees = 5.0f;

    // Where a twin's events stand in its map: -1 for one it lacks. The keys
    // run Move forward, back, left, right, Center view, Zoom in, Zoom out,
    // Rotate right, Bank right, Move up, Move down, Rotate left, Bank left;
    // the buttons Zoom in, Zoom out, Move up, Move down, Rotate right,
    // Rotate left, Bank right, Bank left, the four scroll buttons, Move
    // forward, back, left, right and Center view.
    struct EventTable {
        int32_t quit, list, mapArea, exit;
        int32_t firstFilter;   // the ten class filters from "Ship friendly"
        int32_t goalFilter, navFilter, barFilter;
        int32_t create, remove;
        int32_t active, passive;
        int32_t help, focusNext, focusPrevious, click, cancel;
        int32_t firstKey, firstButton;
        const char* topicPrefix;
        int16_t cursorStep;    // pixels a held cursor key moves the pointer
        bool heldFilters;      // the nav-point and bar filters skip the hover under a held click
    };
    static constexpr int32_t kKeyCount = 13;
    static constexpr int32_t kButtonCount = 17;

    MapScreen(const char* screenName, MapTwin twin, const char* panelName, const char* artFile);
    ~MapScreen() override;

    // Every filter button on except the goal filter, which keeps the list mode.
    void InitFilterButtons();
    // 0 for a button the art does not have.
    int32_t ButtonState(const char* button) const;
    void SetButtonState(const char* button, int32_t state);

    // The whole pass: lists, symbols, panel, then the drawing between one
    // lock and one unlock of the game canvas.
    void DrawMap(Transform& camera, int32_t range);
    void UpdateInfoPanel();
    // The range and the way-point prompt, after the pass.
    void DrawPassTexts(const char* deletePrompt) const;

    // The twin's handler: 0 only when the map is left.
    int32_t HandleMapEvent(uint16_t code, const EventTable& table);
    // The zoom steps, held to the source's bounds.
    static int32_t ZoomIn(int32_t range, int32_t floor);
    static int32_t ZoomOut(int32_t range, int32_t ceiling);
    // The index of the last symbol record under the point (relative to the
    // screen), among those whose object's name holds `nameHas` when given; -1 none.
    int32_t HitSymbol(int16_t x, int16_t y, const char* nameHas) const;
    // A new way point at the camera, named with the others; false when the
    // definition gives none.
    bool CreateWayPoint(int16_t x, int16_t y);
    // The way point of that symbol record leaves the world and the record the symbols.
    void DeleteWayPoint(size_t record);
    // The placement moves of steps 2 and 1 for the pointer at x, y.
    void MoveWayPoint(int16_t x, int16_t y);
    // "Navmap Way Point A", "B", ... in world order over the points `renamed` picks.
    static void RenameWayPoints(bool (*renamed)(const SpaceObject& object));
    // The "ICON" forms of the level the file stands on, each an "XCEL" cel,
    // appended in file order; the level is rewound afterwards.
    static void LoadSymbolImages(IffFile& file, std::vector<std::unique_ptr<Bitmap>>* images);

    ObjectLink followObject;   // in-flight: the camera stays on it
    int32_t listObjects = 0;   // 1 object lines, 0 goal lines
    int32_t placementStep = 0;
    ObjectLink selectedObject;
    int32_t placeDeltaA = 0;
    int32_t placeDeltaB = 0;
    int16_t lastMouseX = 0;
    int16_t lastMouseY = 0;
    std::vector<MapSymbol> symbols;
    std::vector<std::unique_ptr<Bitmap>> symbolImages;   // file order; index = image index
    ArtObject* artObject = nullptr;   // owned through artObjects
    int32_t mapRange = 0;
    Transform mapCamera;

protected:
    // Opens the art file and stands on the level of its icons and buttons.
    bool OpenArtLevel(IffFile& file) const;
    // Open's shared steps: the background, the panel, the filter buttons,
    // the tutorial overview of that form and a black frame.
    void OpenMap(uint32_t tutorialForm);
    TextBox* Box(const char* name) const;

    // Both twins ask before the game ends: the quit dialog comes next, and
    // its No comes back to this map. The handler's result.
    int32_t LeaveForQuit();
    // What differs between the twins' leaving and radar; each returns the handler's result.
    virtual int32_t LeaveByExit() { return 0; }
    virtual void SetRadarMode(bool /*active*/) {}

    // The in-flight map's radar; the war-room map sees everything.
    virtual int32_t RadarActive() const { return 1; }
    virtual bool Detects(SpaceObject&) { return true; }

private:
    struct Pass;
    void Pointer(int16_t* x, int16_t* y) const;
    // The button pattern: true when the click runs the command, else help or hover.
    bool Clicked(uint16_t code, const EventTable& table, const char* control, const char* topic, bool heldSkip);
    // A camera, zoom or list-page command (MapCommand of the input file).
    void RunCommand(int32_t command, bool byKey);
    void ToggleFilter(const char* button);
    void ToggleGoalFilter();
    int32_t MapArea(const EventTable& table);
    int32_t ObjectListEvent(const EventTable& table);
    ListBox* List() const;
    // Whether the object still stands in the mission's world.
    static bool InWorld(const SpaceObject* object);
    map_classes::Side SideOf(const SpaceObject& object) const;
    bool IsCandidate(const SpaceObject& object) const;
    bool GoalListed(const Goal& goal) const;
    void GoalPass(Pass& pass);
    void ObjectPass(Pass& pass, SpaceObject& object);
    void SelectIfChosen(Pass& pass, SpaceObject& object, MapSymbol& symbol);
    void DrawSymbols(Canvas& canvas);
    void BlitCentred(Canvas& canvas, int32_t image, int32_t x, int32_t y);

    MapTwin twin_;
    std::string artFile_;
};
