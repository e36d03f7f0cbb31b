#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/MenuScreen.h"

class Bitmap;
class IffFile;
struct AxisBinding;
struct FunctionBinding;
class TextBox;

// The controls-binding page: eight game functions at a time, each with two
// bindings of a modifier cell and a key cell, and five axis rows. It edits
// the game state's key map in place and writes "controls.iff" when it
// closes. A binding is a key with or without the game's modifier key, a
// joystick button, a hat direction or a mouse button; bindings that clash
// inside their group get a conflict icon.
class ControlScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "CONTROL";
    static constexpr const char* kPanelName = "comain";
    static constexpr int32_t kRows = 8;
    static constexpr int32_t kAxisRows = 5;
    static constexpr int32_t kNoCell = -1;
    // The two groups whose bindings may clash: functions 0 to 74, and 77 to
    // 96, against which 75, 76 and anything above 96 are checked too.
    static constexpr int32_t kSecondGroupFrom = 75;
    static constexpr int32_t kSecondGroupFirst = 77;
    static constexpr int32_t kSecondGroupLast = 96;
    static constexpr int32_t kFirstGroupLast = 74;
    // An axis moves when it leaves its baseline by this much.
    static constexpr int32_t kJoystickAxisTravel = 10000;
    static constexpr int32_t kMouseAxisTravel = 10;
    static constexpr uint16_t kNoKey = 0xFFFF;
    static constexpr uint16_t kNotHeld = 0x200;

    explicit ControlScreen(const char* screenName = kScreenName);
    ~ControlScreen() override;

    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;

    // Every text, conflict flag and latched button from the bindings.
    void FillRows();
    int32_t FindConflict(int32_t function) const;
    int32_t FindAxisConflict(int32_t axis) const;
    void ToggleModifier(int32_t function, int32_t binding);
    void ClearModifier(int32_t function, int32_t binding);
    // After modifierKey and its twin changed from `previous`.
    void ChangeModifierKey(uint32_t previous);
    void ToggleAxisButton(int32_t axis, int32_t mask);
    void ClearAxisButton(int32_t axis, int32_t mask);
    void AssignAxis(int32_t axisBits);
    void ReopenDevices();
    void ReleaseKeyBoxes();
    void ReleaseAxisBoxes();

    TextBox* Box(const char* format, int32_t row) const;
    // The two "ICON" forms of the art file, standing in its "OPTI" form: the
    // button icon, then the conflict icon; an icon that does not read stays null.
    static void LoadIconImages(IffFile& file, std::unique_ptr<Bitmap>* buttonIcon,
                               std::unique_ptr<Bitmap>* conflictIcon);

    ArtObject* panel = nullptr;   // owned through artObjects
    uint32_t takeJoystickBaseline = 1;
    int32_t joystickBaseline[4] = {};
    int16_t lastMouseX = 0;
    int16_t lastMouseY = 0;
    std::unique_ptr<Bitmap> buttonIconImage;     // null when the art has none
    std::unique_ptr<Bitmap> conflictIconImage;   // null when the art has none
    std::vector<uint32_t> capturedKeys;          // the key capture's, while the page waits
    uint32_t rowConflict[kRows] = {};
    uint32_t axisRowConflict[kAxisRows] = {};
    uint32_t axisCaptureActive = 0;
    int32_t selectedCell = kNoCell;
    int32_t selectedAxisRow = kNoCell;
    int32_t firstFunction = 0;
    int32_t firstAxis = 0;

protected:
    bool DispatchBlocked() const override;
    // The key and conflict icons over the cells.
    void DrawOverPanels() override;

private:
    FunctionBinding* Function(int32_t index) const;
    AxisBinding* Axis(int32_t index) const;
    void DrawIcon(Bitmap* icon, int32_t x, int32_t y);
    void SetBoxText(TextBox* box, const char* text);
    void EndKeyCapture();
    // The game's event map takes the bindings as they now stand, so an edit
    // fires at once: a binding empty when the key map was read was never in
    // it, and a cleared one must leave it.
    void ApplyBindings();
    void CaptureBinding(uint16_t key, int32_t hat, uint16_t mouse, uint16_t joystick);
    void PageFunctions(int32_t pages);
    void PageAxes(int32_t pages);
    bool ButtonRow(uint16_t code, const char* button, const char* topic);
    void MovePointer(uint16_t code);
    void PollHat();
    void PollAxis();
};
