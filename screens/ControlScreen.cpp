#include "screens/ControlScreen.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/FontContext.h"
#include "engine/IffFile.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/KeyBindings.h"
#include "platform/InputBackend.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/CanvasLock.h"
#include "ui/CelFrame.h"
#include "ui/TextBox.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

namespace {

constexpr uint32_t kIconForm = MakeTag("ICON");
constexpr uint32_t kCelForm = MakeTag("XCEL");
constexpr uint32_t kSection = MakeTag("CONT");
constexpr uint32_t kNoFrame = 255;
constexpr int32_t kUiSoundClick2 = 1;
constexpr int32_t kUiSoundClick1 = 2;
constexpr int32_t kUiSoundClick3 = 5;
constexpr uint32_t kShift = 42, kCtrl = 29, kAlt = 56;

constexpr uint16_t Code(uint32_t event) { return uint16_t(((event >> 3) << 8) | (1u << (event & 7))); }

constexpr uint16_t kHelp = Code(28);
constexpr uint16_t kFocusNext = Code(29);
constexpr uint16_t kFocusPrevious = Code(30);
constexpr uint16_t kActivate = Code(31);
constexpr uint16_t kClear = Code(32);
constexpr uint16_t kFunctionArea = Code(39);
constexpr uint16_t kAxisArea = Code(40);
constexpr uint16_t kMouseRight = Code(46);

// The layout: the boxes of a function row and of an axis row.
constexpr int32_t kBoxHeight = 15;
constexpr int32_t kRowTop = 122;
constexpr int32_t kRowStep = 18;
constexpr int32_t kAxisTops[ControlScreen::kAxisRows] = {336, 353, 372, 390, 408};
const struct {
    const char* format;
    int32_t x, width;
} kRowBoxes[] = {{"Function%d", 103, 175}, {"Modifier%d1", 288, 90}, {"Key%d1", 361, 90},
                 {"Modifier%d2", 453, 90}, {"Key%d2", 526, 90}};

// The cells' events by row, and their boxes' numbers.
constexpr uint32_t kKeyCell1Events[8] = {20, 59, 63, 67, 71, 75, 79, 83};
constexpr uint32_t kModifierCell1Events[8] = {55, 58, 62, 66, 70, 74, 78, 82};
constexpr uint32_t kModifierCell2Events[8] = {56, 60, 64, 68, 72, 76, 80, 84};
constexpr uint32_t kKeyCell2Events[8] = {57, 61, 65, 69, 73, 77, 81, 85};
constexpr int32_t kModifierCell1Box = 1, kKeyCell1Box = 9, kModifierCell2Box = 17, kKeyCell2Box = 25, kAxisBox = 33;

// Icons beside the rows.
constexpr int32_t kRowIconX = 66, kRowIconTop = 120;
constexpr int32_t kAxisIconX = 88, kAxisIconTop = 333;
constexpr int32_t kButtonIconX[4] = {332, 350, 368, 386};

std::string Numbered(const char* format, int32_t number) {
    char text[32];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

std::string CellBoxName(int32_t number) {
    return number == 1 ? std::string("Controls Box") : Numbered("Controls Box%d", number);
}

GameState* Game() { return g_gameState; }

KeyTrigger& Trigger(FunctionBinding& binding, int32_t which) {
    return which == 1 ? *binding.trigger1 : *binding.trigger2;
}

// The twin the key map did not make comes now: edits write both forms.
KeyTrigger& Twin(FunctionBinding& binding, int32_t which) {
    std::unique_ptr<KeyTrigger>& twin = which == 1 ? binding.trigger1Twin : binding.trigger2Twin;
    if (twin == nullptr) twin = MakeKeyTrigger(0);
    return *twin;
}

int32_t& Hat(FunctionBinding& binding, int32_t which) { return binding.hatDirection[which == 1 ? 0 : 1]; }

bool HasKey(uint16_t key) { return key != 0 && key != ControlScreen::kNoKey; }

}  // namespace

ControlScreen::ControlScreen(const char* screenName) : MenuScreen(screenName) {
    panel = new ArtObject(kPanelName, 0);
    artObjects.Append(panel);
    for (int32_t row = 1; row <= kRows; ++row) {
        for (const auto& box : kRowBoxes) {
            const FrameRect corner = FrameRect::Init(box.x, kRowTop + kRowStep * (row - 1), kNoFrame);
            panel->AddControl(new TextBox(box.width, kBoxHeight, corner, corner, corner, kNoFrame, 0,
                                          Numbered(box.format, row).c_str()));
        }
    }
    for (const auto& [format, x, width] : {std::tuple{"AxisFunction%d", 133, 175}, std::tuple{"Axis%d", 428, 90}}) {
        for (int32_t row = 1; row <= kAxisRows; ++row) {
            const FrameRect corner = FrameRect::Init(x, kAxisTops[row - 1], kNoFrame);
            panel->AddControl(new TextBox(width, kBoxHeight, corner, corner, corner, kNoFrame, 0,
                                          Numbered(format, row).c_str()));
        }
    }
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + name + "1.iff";
    IffFile file(0);
    if (!art_file::OpenArt(file, path)) {
        return;
    }
    LoadIconImages(file, &buttonIconImage, &conflictIconImage);
    if (file.Rewind(1) == kStatusOk) panel->LoadSprites(file);
}

void ControlScreen::LoadIconImages(IffFile& file, std::unique_ptr<Bitmap>* buttonIcon,
                                   std::unique_ptr<Bitmap>* conflictIcon) {
    for (std::unique_ptr<Bitmap>* icon : {buttonIcon, conflictIcon}) {
        if (file.FindForm(kIconForm) != kStatusOk || file.Descend() != kStatusOk) break;
        auto image = std::make_unique<Bitmap>();
        const bool read = file.FindForm(kCelForm) == kStatusOk && file.Descend() == kStatusOk &&
                          BitmapCodec::ReadCoorBitmap(&file, image.get()) == kStatusOk;
        if (read) *icon = std::move(image);
        if (file.Ascend() != kStatusOk) break;
    }
}

ControlScreen::~ControlScreen() {
    GameState* const game = Game();
    if (game != nullptr && game->capturedKeys == &capturedKeys) game->capturedKeys = nullptr;
}

FunctionBinding* ControlScreen::Function(int32_t index) const {
    GameState* const game = Game();
    if (game == nullptr) return nullptr;
    if (index < 0) index = 0;
    if (size_t(index) >= game->functionBindings.size()) return nullptr;
    FunctionBinding* const binding = game->functionBindings[size_t(index)].get();
    return binding != nullptr && binding->trigger1 != nullptr && binding->trigger2 != nullptr ? binding : nullptr;
}

AxisBinding* ControlScreen::Axis(int32_t index) const {
    GameState* const game = Game();
    if (game == nullptr) return nullptr;
    if (index < 0) index = 0;
    if (size_t(index) >= game->axisBindings.size()) return nullptr;
    return game->axisBindings[size_t(index)].get();
}

TextBox* ControlScreen::Box(const char* format, int32_t row) const {
    return dynamic_cast<TextBox*>(panel->FindControl(Numbered(format, row).c_str()));
}

void ControlScreen::SetBoxText(TextBox* box, const char* text) {
    if (box == nullptr) return;
    box->Clear();
    dirty = 1;
    repaintCountdown = 2;
    if (text != nullptr) box->SetText(text);
}

void ControlScreen::Open() {
    currentPanel = panel;
    MenuScreen::Open();
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    SelectFont(TextBox::kFontName);
    for (TimedAnimation* const animation : roomAnimations) animation->LockFrames();
    axisCaptureActive = 0;
    firstFunction = 0;
    selectedCell = kNoCell;
    firstAxis = 0;
    selectedAxisRow = kNoCell;
    if (GameState* const game = Game()) {
        game->keyCaptureActive = 0;
        game->capturedKeys = &capturedKeys;
    }
    ReopenDevices();
    TutorialScreen::OpenOverview(*this, kSection);
}

void ControlScreen::Close() {
    GameState* const game = Game();
    if (game != nullptr) game->SaveKeyMap();
    MenuScreen::Close();
    PlayUiSound(kUiSoundCloseScreen, kUiScreenSoundLevel, 0);
    if (game != nullptr) game->keyCaptureActive = 0;
}

void ControlScreen::ReopenDevices() {
    GameState* const game = Game();
    InputSystem* const input = game != nullptr ? game->Input() : nullptr;
    if (game != nullptr && input != nullptr) {
        if (game->joystickSetting != 0) input->EnableJoystick(true);
        if (game->mouseSetting != 0) input->EnableMouse(true);
    }
    FillRows();
}

void ControlScreen::FillRows() {
    GameState* const game = Game();
    if (game == nullptr) return;
    const struct {
        const char* name;
        uint32_t key;
    } modifiers[] = {{"Controls Shift Button", kShift}, {"Controls CTRL Button", kCtrl}, {"Controls ALT Button", kAlt}};
    for (const auto& modifier : modifiers) {
        if (auto* const button = dynamic_cast<BitmapButton*>(panel->FindControl(modifier.name))) {
            button->SetState(game->modifierKey == modifier.key ? BitmapButton::kLatched : 0);
        }
    }
    for (int32_t i = 0; i < kRows; ++i) {
        const int32_t row = i + 1;
        FunctionBinding* const function = Function(firstFunction + i);
        SetBoxText(Box("Function%d", row), function != nullptr ? function->name.c_str() : nullptr);
        SetBoxText(Box("Modifier%d1", row), function != nullptr ? GetKeyName(function->trigger1->keys[1]) : nullptr);
        SetBoxText(Box("Key%d1", row), function != nullptr ? GetKeyName(function->trigger1->keys[0]) : nullptr);
        SetBoxText(Box("Modifier%d2", row), function != nullptr ? GetKeyName(function->trigger2->keys[1]) : nullptr);
        SetBoxText(Box("Key%d2", row), function != nullptr ? GetKeyName(function->trigger2->keys[0]) : nullptr);
        rowConflict[i] = uint32_t(FindConflict(firstFunction + i));
    }
    auto* const joystickButton = dynamic_cast<BitmapButton*>(panel->FindControl("Controls Joystick Button"));
    auto* const mouseButton = dynamic_cast<BitmapButton*>(panel->FindControl("Controls Mouse Button"));
    if (joystickButton != nullptr) joystickButton->SetState(0);
    if (mouseButton != nullptr) mouseButton->SetState(0);
    static const char* const kButtonNames[] = {"Button1", "Button2", "Button3", "Button4"};
    static const char* const kHatNames[] = {"HatUp", "HatRight", "HatBack", "HatLeft"};
    for (int32_t i = 0; i < kRows; ++i) {
        FunctionBinding* const function = Function(firstFunction + i);
        if (function == nullptr) continue;
        for (int32_t which = 1; which <= 2; ++which) {
            TextBox* const box = Box(which == 1 ? "Key%d1" : "Key%d2", i + 1);
            const KeyTrigger& trigger = Trigger(*function, which);
            if (game->joystickSetting != 0) {
                if (joystickButton != nullptr) joystickButton->SetState(BitmapButton::kLatched);
                for (int32_t bit = 0; bit < 4; ++bit) {
                    if (trigger.joystickButtons == 1u << bit) SetBoxText(box, kButtonNames[bit]);
                }
                const int32_t hat = Hat(*function, which);
                if (hat >= 0 && hat <= 270 && hat % 90 == 0) SetBoxText(box, kHatNames[hat / 90]);
            } else if (game->mouseSetting != 0) {
                if (mouseButton != nullptr) mouseButton->SetState(BitmapButton::kLatched);
                if (trigger.mouseButtons == 1 || trigger.mouseButtons == 2) {
                    SetBoxText(box, kButtonNames[trigger.mouseButtons - 1]);
                }
            }
        }
    }
    for (int32_t j = 0; j < kAxisRows; ++j) {
        AxisBinding* const axis = Axis(firstAxis + j);
        SetBoxText(Box("AxisFunction%d", j + 1), axis != nullptr ? axis->name.c_str() : nullptr);
        SetBoxText(Box("Axis%d", j + 1), axis != nullptr ? GetAxisName(*axis) : nullptr);
        axisRowConflict[j] = uint32_t(FindAxisConflict(firstAxis + j));
    }
    ReleaseAxisBoxes();
    ReleaseKeyBoxes();
}

int32_t ControlScreen::FindConflict(int32_t index) const {
    FunctionBinding* const f = Function(index);
    if (f == nullptr) return 0;
    if (index < 0) index = 0;
    const int32_t first = index >= kSecondGroupFrom ? kSecondGroupFirst : 0;
    const int32_t last = index >= kSecondGroupFrom ? kSecondGroupLast : kFirstGroupLast;
    // Each check walks the other functions of the group that exist.
    const auto any = [&](auto clashes) {
        for (int32_t g = first; g <= last; ++g) {
            if (g == index) continue;
            FunctionBinding* const other = Function(g);
            if (other != nullptr && clashes(*other)) return true;
        }
        return false;
    };
    for (int32_t which = 1; which <= 2; ++which) {
        const KeyTrigger& t = Trigger(*f, which);
        if (t.joystickButtons >= 1 && any([&](FunctionBinding& g) {
                return (g.trigger1->joystickButtons == t.joystickButtons && g.trigger1->keys[1] == t.keys[1]) ||
                       (g.trigger2->joystickButtons == t.joystickButtons && g.trigger2->keys[1] == t.keys[1]);
            })) {
            return 1;
        }
    }
    for (int32_t which = 1; which <= 2; ++which) {
        const KeyTrigger& t = Trigger(*f, which);
        const int32_t hat = Hat(*f, which);
        if (hat != FunctionBinding::kNoHat && any([&](FunctionBinding& g) {
                return (g.hatDirection[0] == hat && g.trigger1->keys[1] == t.keys[1]) ||
                       (g.hatDirection[1] == hat && g.trigger2->keys[1] == t.keys[1]);
            })) {
            return 1;
        }
    }
    for (int32_t which = 1; which <= 2; ++which) {
        const KeyTrigger& t = Trigger(*f, which);
        if (HasKey(t.keys[0]) && any([&](FunctionBinding& g) {
                return (g.trigger1->keys[0] == t.keys[0] && g.trigger1->keys[1] == t.keys[1]) ||
                       (g.trigger2->keys[0] == t.keys[0] && g.trigger2->keys[1] == t.keys[1]);
            })) {
            return 1;
        }
    }
    return 0;
}

int32_t ControlScreen::FindAxisConflict(int32_t index) const {
    AxisBinding* const axis = Axis(index);
    if (axis == nullptr || axis->axisBits == 0) return 0;
    if (index < 0) index = 0;
    const GameState* const game = Game();
    for (size_t other = 0; other < game->axisBindings.size(); ++other) {
        const AxisBinding* const b = game->axisBindings[other].get();
        if (int32_t(other) == index || b == nullptr) continue;
        if (b->axisBits == axis->axisBits && b->buttonCondition == axis->buttonCondition) return 1;
    }
    return 0;
}

void ControlScreen::ToggleModifier(int32_t index, int32_t which) {
    GameState* const game = Game();
    FunctionBinding* const f = Function(index);
    if (f != nullptr) {
        KeyTrigger& t = Trigger(*f, which);
        const uint16_t m = uint16_t(game->modifierKey), r = uint16_t(game->modifierKeyRight);
        if (t.keys[1] == m) {
            ClearModifier(index, which);
            return;
        }
        if (HasKey(t.keys[0])) {
            KeyTrigger& twin = Twin(*f, which);
            t.keys[1] = m;
            t.keys[2] = kNoKey;
            twin.keys[0] = t.keys[0];
            twin.keys[1] = r;
        }
    }
    ApplyBindings();
    FillRows();
}

void ControlScreen::ClearModifier(int32_t index, int32_t which) {
    GameState* const game = Game();
    FunctionBinding* const f = Function(index);
    if (f != nullptr) {
        KeyTrigger& t = Trigger(*f, which);
        if (t.keys[1] == uint16_t(game->modifierKey)) {
            KeyTrigger& twin = Twin(*f, which);
            t.keys[1] = uint16_t(game->modifierKey + kNotHeld);
            t.keys[2] = uint16_t(game->modifierKeyRight + kNotHeld);
            twin.keys[0] = 0;
            twin.keys[1] = kNoKey;
        }
    }
    ApplyBindings();
    FillRows();
}

void ControlScreen::ChangeModifierKey(uint32_t previous) {
    GameState* const game = Game();
    if (game == nullptr) return;
    const uint16_t m = uint16_t(game->modifierKey), r = uint16_t(game->modifierKeyRight);
    const uint16_t p = uint16_t(previous);
    for (const std::unique_ptr<FunctionBinding>& binding : game->functionBindings) {
        if (binding == nullptr) continue;
        for (const std::unique_ptr<KeyTrigger>* trigger :
             {&binding->trigger1, &binding->trigger1Twin, &binding->trigger2, &binding->trigger2Twin}) {
            if (*trigger != nullptr && (*trigger)->keys[0] == m) (*trigger)->keys[0] = p;
        }
        for (const std::unique_ptr<KeyTrigger>* trigger : {&binding->trigger1, &binding->trigger2}) {
            if (*trigger == nullptr) continue;
            uint16_t* const keys = (*trigger)->keys;
            if (keys[1] == p) {
                keys[1] = m;
            } else if (keys[1] == uint16_t(p + kNotHeld)) {
                keys[1] = uint16_t(m + kNotHeld);
                keys[2] = uint16_t(r + kNotHeld);
            }
        }
        for (const std::unique_ptr<KeyTrigger>* twin : {&binding->trigger1Twin, &binding->trigger2Twin}) {
            if (*twin != nullptr && (*twin)->keys[1] < kNoKey) (*twin)->keys[1] = r;
        }
    }
    ApplyBindings();
    FillRows();
}

void ControlScreen::ToggleAxisButton(int32_t index, int32_t mask) {
    if (AxisBinding* const axis = Axis(index); axis != nullptr && axis->axisBits != 0) {
        axis->buttonCondition = axis->buttonCondition != mask ? mask : 0;
    }
    FillRows();
}

void ControlScreen::ClearAxisButton(int32_t index, int32_t mask) {
    if (AxisBinding* const axis = Axis(index); axis != nullptr && axis->buttonCondition == mask) {
        axis->buttonCondition = 0;
    }
    FillRows();
}

void ControlScreen::AssignAxis(int32_t axisBits) {
    axisCaptureActive = 0;
    if (AxisBinding* const axis = Axis(selectedAxisRow + firstAxis)) axis->axisBits = axisBits;
    FillRows();
}

void ControlScreen::ReleaseKeyBoxes() {
    for (int32_t first : {kKeyCell1Box, kKeyCell2Box}) {
        for (int32_t n = first; n < first + kRows; ++n) {
            if (UiControl* const box = panel->FindControl(CellBoxName(n).c_str())) box->Reset();
        }
    }
}

void ControlScreen::ReleaseAxisBoxes() {
    for (int32_t n = kAxisBox; n < kAxisBox + kAxisRows; ++n) {
        if (UiControl* const box = panel->FindControl(CellBoxName(n).c_str())) box->Reset();
    }
}

void ControlScreen::DrawIcon(Bitmap* icon, int32_t x, int32_t y) {
    // Art without the icon draws nothing in its place.
    if (icon == nullptr) return;
    CanvasLock lock;
    if (!lock.CanDraw()) return;
    icon->Lock();
    {
        BorrowedImage image(*icon);
        if (image.HasPixels()) BlitKeyed(*lock.Target(), image.Image(), x, y);
    }
    icon->Unlock();
}

void ControlScreen::DrawOverPanels() {
    for (int32_t j = 0; j < kAxisRows; ++j) {
        const int32_t y = kAxisIconTop + kRowStep * j;
        if (AxisBinding* const axis = Axis(firstAxis + j)) {
            for (int32_t bit = 0; bit < 4; ++bit) {
                if ((axis->buttonCondition & (1 << bit)) != 0) DrawIcon(buttonIconImage.get(), kButtonIconX[bit], y);
            }
        }
        if (axisRowConflict[j] != 0) DrawIcon(conflictIconImage.get(), kAxisIconX, y);
    }
    for (int32_t i = 0; i < kRows; ++i) {
        if (rowConflict[i] != 0) DrawIcon(conflictIconImage.get(), kRowIconX, kRowIconTop + kRowStep * i);
    }
}

// Unlike other menus, a dispatch another screen blocked still reaches this
// page: only the hold event stops it.
bool ControlScreen::DispatchBlocked() const {
    return g_eventDispatchState == 0 && currentEvents.TestEvent(kDispatchHoldCode);
}

void ControlScreen::Update() {
    GameState* const game = Game();
    if (game == nullptr) return;
    if (capturedKeys.empty() || selectedCell == kNoCell) {
        if (selectedCell == kNoCell) {
            game->keyCaptureActive = 0;
            capturedKeys.clear();
        }
        return;
    }
    for (const uint32_t entry : capturedKeys) {
        if (entry == game->modifierKey || entry == game->modifierKeyRight) continue;
        const uint16_t key = uint16_t(entry & 0xFFFF);
        const int32_t which = selectedCell < kRows ? 1 : 2;
        FunctionBinding* const f = Function(firstFunction + selectedCell % kRows);
        if (f != nullptr) {
            KeyTrigger& t = Trigger(*f, which);
            KeyTrigger& twin = Twin(*f, which);
            t.keys[0] = key;
            if (t.keys[1] == kNoKey) {
                t.keys[1] = uint16_t(game->modifierKey + kNotHeld);
                t.keys[2] = uint16_t(game->modifierKeyRight + kNotHeld);
            }
            // Only the form with the modifier has a right-hand twin that fires.
            if (t.keys[1] == uint16_t(game->modifierKey)) {
                twin.keys[0] = key;
                twin.keys[1] = uint16_t(game->modifierKeyRight);
            } else {
                twin.keys[0] = 0;
                twin.keys[1] = kNoKey;
            }
            t.joystickButtons = 0;
            t.mouseButtons = 0;
            Hat(*f, which) = FunctionBinding::kNoHat;
        }
        capturedKeys.clear();
        game->keyCaptureActive = 0;
        selectedCell = kNoCell;
        ApplyBindings();
        FillRows();
        return;
    }
}

void ControlScreen::EndKeyCapture() {
    capturedKeys.clear();
    if (GameState* const game = Game()) game->keyCaptureActive = 0;
    selectedCell = kNoCell;
    FillRows();
}

void ControlScreen::CaptureBinding(uint16_t key, int32_t hat, uint16_t mouse, uint16_t joystick) {
    PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
    const int32_t which = selectedCell < kRows ? 1 : 2;
    if (FunctionBinding* const f = Function(firstFunction + selectedCell % kRows)) {
        KeyTrigger& t = Trigger(*f, which);
        KeyTrigger& twin = Twin(*f, which);
        t.keys[0] = key;
        t.keys[1] = kNoKey;
        t.keys[2] = kNoKey;
        twin.keys[0] = 0;
        twin.keys[1] = kNoKey;
        Hat(*f, which) = hat;
        t.mouseButtons = mouse;
        t.joystickButtons = joystick;
    }
    ApplyBindings();
    EndKeyCapture();
}

void ControlScreen::ApplyBindings() {
    if (GameState* const game = Game()) game->RegisterKeyMap();
}

void ControlScreen::PageFunctions(int32_t pages) {
    const int32_t count = Game() != nullptr ? int32_t(Game()->functionBindings.size()) : 0;
    if (pages < 0) {
        firstFunction = firstFunction >= kRows ? firstFunction - kRows : 0;
    } else {
        firstFunction = firstFunction + 2 * kRows <= count ? firstFunction + kRows : count - kRows;
    }
    if (firstFunction < 0) firstFunction = 0;
    FillRows();
}

void ControlScreen::PageAxes(int32_t pages) {
    const int32_t count = Game() != nullptr ? int32_t(Game()->axisBindings.size()) : 0;
    if (pages < 0) {
        firstAxis = firstAxis >= kAxisRows ? firstAxis - kAxisRows : 0;
    } else {
        firstAxis = firstAxis + 2 * kAxisRows <= count ? firstAxis + kAxisRows : count - kAxisRows;
    }
    if (firstAxis < 0) firstAxis = 0;
    FillRows();
}

// The named buttons' pattern: true when the activation is to run.
bool ControlScreen::ButtonRow(uint16_t code, const char* button, const char* topic) {
    if (edgeEvents.TestEvent(kActivate)) return true;
    if (edgeEvents.TestEvent(kHelp) && topic != nullptr) {
        TutorialScreen::OpenTopic(*this, topic);
        return false;
    }
    if (edgeEvents.TestEvent(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
    if (auto* const control = dynamic_cast<BitmapButton*>(panel->FindControl(button))) control->Press();
    return false;
}

void ControlScreen::MovePointer(uint16_t code) {
    if (eventMap == nullptr) return;
    const bool functions = code == kFunctionArea;
    uint16_t ux = 0, uy = 0;
    eventMap->GetMousePosition(&ux, &uy);
    const int32_t x = int16_t(ux), y = int16_t(uy);
    const auto set = [&](int32_t nx, int32_t ny) { eventMap->SetMousePosition(int16_t(nx), int16_t(ny)); };
    if (edgeEvents.TestEvent(Code(33))) {
        if (y - kRowStep > (functions ? 120 : 333)) set(x, y - kRowStep);
    } else if (edgeEvents.TestEvent(Code(34))) {
        if (y + kRowStep < (functions ? 260 : 420)) set(x, y + kRowStep);
    } else if (edgeEvents.TestEvent(Code(35))) {
        if (functions) {
            const int32_t nx = x > 449 && x < 523 ? x - 90 : x - 75;
            if (nx > 284) set(nx, y);
        } else {
            const int32_t nx = x - 20;
            if (nx > 401) {
                set(391, y);
            } else if (nx > 329) {
                set(nx, y);
            }
        }
    } else if (edgeEvents.TestEvent(Code(36))) {
        if (functions) {
            const int32_t nx = x > 358 && x < 449 ? x + 90 : x + 75;
            if (nx < 583) set(nx, y);
        } else {
            const int32_t nx = x + 20;
            if (nx < 401) {
                set(nx, y);
            } else if (nx < 488) {
                set(444, y);
            }
        }
    } else if (edgeEvents.TestEvent(Code(37)) || edgeEvents.TestEvent(Code(38))) {
        PlayUiSound(kUiSoundClick3, kUiClickSoundLevel, 1);
        const int32_t pages = edgeEvents.TestEvent(Code(37)) ? -1 : 1;
        functions ? PageFunctions(pages) : PageAxes(pages);
    }
}

void ControlScreen::PollHat() {
    platform::InputBackend& input = platform::InputBackend::Current();
    platform::JoystickInfo info;
    info.size = sizeof info;
    info.flags = platform::JoystickInfo::kAllFlags;
    platform::JoystickCaps caps;
    if (input.GetJoystickPosition(&info) != 0 || input.GetJoystickCaps(&caps) != 0) return;
    if ((caps.caps & platform::JoystickCaps::kHasPov) == 0) return;
    if (info.pov > 27000 || info.pov % 9000 != 0) return;
    CaptureBinding(0, int32_t(info.pov / 100), 0, 0);
}

void ControlScreen::PollAxis() {
    GameState* const game = Game();
    if (game->joystickSetting != 0) {
        platform::JoystickInfo info;
        info.size = sizeof info;
        info.flags = platform::JoystickInfo::kAllFlags;
        if (platform::InputBackend::Current().GetJoystickPosition(&info) != 0) return;
        const int32_t now[4] = {int32_t(info.x), int32_t(info.y), int32_t(info.z), int32_t(info.r)};
        if (takeJoystickBaseline != 0) {
            for (int32_t i = 0; i < 4; ++i) joystickBaseline[i] = now[i];
            takeJoystickBaseline = 0;
            return;
        }
        for (int32_t i = 0; i < 4; ++i) {
            if (std::abs(now[i] - joystickBaseline[i]) >= kJoystickAxisTravel) {
                AssignAxis(1 << i);
                return;
            }
        }
    } else if (game->mouseSetting != 0) {
        if (eventMap == nullptr) return;
        uint16_t ux = 0, uy = 0;
        eventMap->GetMousePosition(&ux, &uy);
        const int32_t dx = std::abs(int32_t(int16_t(ux)) - lastMouseX);
        const int32_t dy = std::abs(int32_t(int16_t(uy)) - lastMouseY);
        lastMouseX = int16_t(ux);
        lastMouseY = int16_t(uy);
        if (dx >= kMouseAxisTravel) {
            AssignAxis(1);
        } else if (dy >= kMouseAxisTravel) {
            AssignAxis(2);
        }
    } else {
        axisCaptureActive = 0;
    }
}

int32_t ControlScreen::HandleEvent(uint16_t code) {
    GameState* const game = Game();
    if (game == nullptr) return 1;
    const bool activate = edgeEvents.TestEvent(kActivate);
    const bool clear = !activate && edgeEvents.TestEvent(kClear);
    // 1: the focus walk.
    if (code == kFocusNext && edgeEvents.TestEvent(code)) FocusNextHotspot();
    if (code == kFocusPrevious && edgeEvents.TestEvent(code)) FocusPreviousHotspot();
    // 2: the hat, while a key cell waits.
    if (game->keyCaptureActive != 0 && game->joystickSetting != 0 && selectedCell != kNoCell) PollHat();
    // 3: the mouse buttons.
    for (uint32_t b = 0; b < 2; ++b) {
        if (code == Code(45 + b) && edgeEvents.TestEvent(code) && game->keyCaptureActive != 0 &&
            game->mouseSetting != 0 && selectedCell != kNoCell) {
            CaptureBinding(kNoKey, FunctionBinding::kNoHat, uint16_t(b + 1), 0);
        }
    }
    // 4: the modifier key.
    const struct {
        uint32_t event;
        const char* button;
        int32_t sound;
        uint32_t key, right;
        const char* topic;
    } modifiers[] = {{25, "Controls Shift Button", kUiSoundClick2, kShift, 54, "CN_SHIFT"},
                     {24, "Controls CTRL Button", kUiSoundClick1, kCtrl, 157, "CN_CTRL"},
                     {26, "Controls ALT Button", kUiSoundClick1, kAlt, 184, "CN_ALT"}};
    for (const auto& modifier : modifiers) {
        if (code != Code(modifier.event) || !ButtonRow(code, modifier.button, modifier.topic)) continue;
        PlayUiSound(modifier.sound, kUiClickSoundLevel, 1);
        if (game->modifierKey == modifier.key) continue;
        const uint32_t previous = game->modifierKey;
        game->modifierKey = modifier.key;
        game->modifierKeyRight = modifier.right;
        ChangeModifierKey(previous);
    }
    // 5: the device.
    if (code == Code(22) && ButtonRow(code, "Controls Joystick Button", "CN_JOYSTICK")) {
        PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
        game->joystickSetting = 1;
        game->mouseSetting = 0;
        ReopenDevices();
    }
    if (code == Code(23) && ButtonRow(code, "Controls Mouse Button", "CN_MOUSE")) {
        PlayUiSound(kUiSoundClick1, kUiClickSoundLevel, 1);
        game->joystickSetting = 0;
        game->mouseSetting = 1;
        ReopenDevices();
    }
    // 6: the keyboard's pointer and pages.
    if (game->keyCaptureActive == 0 && (code == kFunctionArea || code == kAxisArea)) MovePointer(code);
    // 7: the scroll buttons.
    const struct {
        uint32_t event;
        const char* button;
        bool functions;
        int32_t pages;
    } scrolls[] = {{47, "Scroll Up", true, -1}, {49, "Scroll Down", true, 1}, {51, "Scroll Up2", false, -1},
                   {53, "Scroll Down2", false, 1}};
    for (const auto& scroll : scrolls) {
        if (code != Code(scroll.event) || !ButtonRow(code, scroll.button, nullptr)) continue;
        PlayUiSound(kUiSoundClick3, kUiClickSoundLevel, 1);
        scroll.functions ? PageFunctions(scroll.pages) : PageAxes(scroll.pages);
    }
    // 8: the cells of the function rows.
    const struct {
        const uint32_t* events;
        int32_t firstBox;
        int32_t column;
        bool keyCell;
    } cells[] = {{kModifierCell1Events, kModifierCell1Box, 1, false},
                 {kKeyCell1Events, kKeyCell1Box, 1, true},
                 {kModifierCell2Events, kModifierCell2Box, 2, false},
                 {kKeyCell2Events, kKeyCell2Box, 2, true}};
    for (const auto& cell : cells) {
        for (int32_t row = 0; row < kRows; ++row) {
            if (code != Code(cell.events[row])) continue;
            const std::string boxName = CellBoxName(cell.firstBox + row);
            auto* const box = dynamic_cast<BitmapButton*>(panel->FindControl(boxName.c_str()));
            const int32_t function = firstFunction + row;
            const bool mouseClear = edgeEvents.TestEvent(kMouseRight) && game->mouseSetting != 0;
            if (activate) {
                PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
                if (!cell.keyCell) {
                    ToggleModifier(function, cell.column);
                } else {
                    game->keyCaptureActive = 1;
                    selectedCell = cell.column == 1 ? row : kRows + row;
                    ReleaseKeyBoxes();
                    if (box != nullptr) box->SetState(BitmapButton::kLatched);
                }
            } else if (clear && !(cell.keyCell && mouseClear)) {
                PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
                if (!cell.keyCell) {
                    ClearModifier(function, cell.column);
                } else {
                    selectedCell = cell.column == 1 ? row : kRows + row;
                    game->keyCaptureActive = 0;
                    if (FunctionBinding* const f = Function(function)) {
                        KeyTrigger& t = Trigger(*f, cell.column);
                        KeyTrigger& twin = Twin(*f, cell.column);
                        t.keys[0] = 0;
                        t.keys[1] = kNoKey;
                        twin.keys[0] = 0;
                        twin.keys[1] = kNoKey;
                        Hat(*f, cell.column) = FunctionBinding::kNoHat;
                        t.mouseButtons = 0;
                        t.joystickButtons = 0;
                    }
                    ApplyBindings();
                    ReleaseKeyBoxes();
                    FillRows();
                }
            } else {
                if (edgeEvents.TestEvent(code)) PlayUiSound(kUiSoundHotspot, kUiClickSoundLevel, 1);
                if (box != nullptr) box->Press();
            }
        }
    }
    // 9: the joystick buttons, held or new.
    for (uint32_t b = 0; b < 4; ++b) {
        if (code == Code(41 + b) && game->keyCaptureActive != 0 && game->joystickSetting != 0 &&
            selectedCell != kNoCell) {
            CaptureBinding(kNoKey, FunctionBinding::kNoHat, 0, uint16_t(1u << b));
        }
    }
    // 10: the axes' button conditions.
    for (int32_t k = 0; k < kAxisRows; ++k) {
        const uint32_t spots[4] = {k == 0 ? 21u : uint32_t(85 + k), uint32_t(90 + k), uint32_t(95 + k),
                                   uint32_t(100 + k)};
        for (int32_t bit = 0; bit < 4; ++bit) {
            if (code != Code(spots[bit]) || !(activate || clear)) continue;
            PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
            activate ? ToggleAxisButton(firstAxis + k, 1 << bit) : ClearAxisButton(firstAxis + k, 1 << bit);
        }
    }
    // 11: the axis cells.
    for (int32_t k = 0; k < kAxisRows; ++k) {
        if (code != Code(105 + uint32_t(k)) || !(activate || clear)) continue;
        PlayUiSound(kUiSoundClick2, kUiClickSoundLevel, 1);
        if (activate) {
            axisCaptureActive = 1;
            takeJoystickBaseline = 1;
            selectedAxisRow = k;
            // The mouse's travel counts from where the pointer is now.
            if (eventMap != nullptr) {
                uint16_t ux = 0, uy = 0;
                eventMap->GetMousePosition(&ux, &uy);
                lastMouseX = int16_t(ux);
                lastMouseY = int16_t(uy);
            }
            ReleaseAxisBoxes();
            if (auto* const box = dynamic_cast<BitmapButton*>(panel->FindControl(CellBoxName(kAxisBox + k).c_str()))) {
                box->SetState(BitmapButton::kLatched);
            }
        } else {
            axisCaptureActive = 0;
            selectedAxisRow = k;
            AssignAxis(0);
            ReleaseAxisBoxes();
            FillRows();
        }
    }
    // 12: the axis capture.
    if (axisCaptureActive != 0) PollAxis();
    return 1;
}
