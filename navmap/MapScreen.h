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

    MapTwin Twin() const { return twin_; }
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

    // The in-flight map's radar; the war-room map sees everything.
    virtual int32_t RadarActive() const { return 1; }
    virtual bool Detects(SpaceObject&) { return true; }

private:
    struct Pass;
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
