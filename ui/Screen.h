#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "display/Bitmap.h"
#include "display/CanvasRect.h"
#include "display/PixelImage.h"
#include "engine/DynArray.h"
#include "engine/input/InputEventMap.h"
#include "engine/input/KeySet.h"

class IffFile;
class TimedAnimation;

// Whatever a derived screen hangs on its base to be deleted with it.
class ListBox;
class UiControl;

class ScreenAttachment {
public:
    virtual ~ScreenAttachment() = default;
};

// One full-window option page of 640 x 480 with its background, room
// animations, hot-spot and key map, and its own modal loop. The game state
// keeps the current and the next screen; a handler picks where to go by
// storing the next screen before it ends the run.
//
// Events reach HandleEvent as 16-bit codes, the byte index in the high byte
// and the bit mask in the low byte (EventKey); a result of 0 ends the pass
// and the run.
class Screen {
public:
    static constexpr int32_t kWidth = 640;
    static constexpr int32_t kHeight = 480;
    // The ambient animations shown at once.
    static constexpr int32_t kAmbientPicks = 3;
    // A pass of a continuously redrawn screen gives up this much time.
    static constexpr uint32_t kContinuousSleepMs = 20;

    // `name` is the screen's NAME: its map is "<cel directory><NAME>.iff",
    // the form whose header names the part after the first backslash in
    // lower case.
    explicit Screen(const char* name);
    virtual ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Open, the passes until a Draw returns 0 or the pump says quit, Close;
    // the game state's next screen is current afterwards.
    virtual void Run();
    virtual void Open();
    virtual void Close();
    // Picks two ambient animations at random, inside the list.
    virtual void Randomize();
    // One pass of event dispatch; 0 ends the run.
    virtual int32_t Draw();
    virtual void UpdateCursor();
    // The per-pass logic of derived screens.
    virtual void Update();
    virtual int32_t HandleEvent(uint16_t code);
    // While true, a hosting machine's world stands still under the screen.
    virtual bool HoldsSimulation() const { return false; }
    // Whether the event `code` of the screen's map, as the screen stands,
    // ends the game (a quit answered yes, an exit): a tool that plays the
    // game as a player would keeps clear of those until it means to stop.
    virtual bool EndsGame(uint16_t code) const {
        (void)code;
        return false;
    }

    // Steps and draws the room and ambient animations; once a pass.
    void UpdateAnimations();

    // The pieces of Run, for screens that run passes of their own: the set-up
    // before the first pass (Open, palette, map, pointer, text colours, the
    // first repaint asked for), the background repaint of a pass (true when
    // one happened), and the end after the last (text colours back, map
    // off, Close, the next screen current).
    void BeginRun();
    bool RepaintBackground();
    void EndRun();
    // The help pop-up's pass while it lies over the screen; once it ends it
    // is closed and the screen repainted.
    void DrawTutorial();
    // The event sets of the pass, read from the screen's map. A press that
    // came and went between two passes is latched until the devices'
    // snapshot; `lastReader` false keeps it for a map read later in the same
    // pass, which then calls EndInputPass or reads with the default.
    void ReadEvents(bool lastReader = true);
    // The devices' snapshot: what was latched for this pass is let go.
    static void EndInputPass();
    // A menu pass whose input the pop-up over the screen reads: no events,
    // and what is still held when the screen reads again is not new then,
    // as if the screen had gone on reading.
    void SkipEvents();
    // From the art form the file has entered, standing in its background
    // form: the 24-bit picture becomes 16-bit pixels of the display's
    // format, and a "PALT" chunk of the art form names the palette.
    void LoadBackground(IffFile& file);
    // A 24-bit picture becomes the background the same way; any other
    // depth leaves none.
    void SetBackground(const Bitmap& source);
    // The first room animation of that name, ignoring case; -1 when none.
    int32_t FindAnimation(const char* animationName) const;
    // That animation jumps to its last frame.
    void FinishAnimation(const char* animationName);
    // 0 ends the run after the current pass.
    void SetRunning(int32_t flag) { running = flag; }

    // Keyboard focus over the map's hot spots: the pointer moves into the
    // next (or previous) usable one, wrapping round. Both return 0.
    int32_t FocusNextHotspot();
    int32_t FocusPreviousHotspot();
    void SetMousePosition(int16_t x, int16_t y);
    // The pointer moves one line of the list font up or down, staying
    // inside the list box.
    void FocusLineUp(const UiControl& listBox);
    void FocusLineDown(const UiControl& listBox);
    // The codes that walk a list from the keyboard, and the walk: the first
    // of them whose event began this pass moves the pointer a line or
    // scrolls `list` a page.
    struct ListWalkCodes {
        uint16_t lineUp, lineDown, pageUp, pageDown;
    };
    void WalkList(ListBox& list, const ListWalkCodes& codes);

    // While nonzero a pass with only a pending repaint is not shown; Draw
    // clears it every pass. Derived menus use it for their transitions.
    int32_t transitionPhase = 0;
    // Derived screens keep the time after which their ambience may play.
    int32_t ambienceThreshold = 0;
    // Repaint the background and show the frame in this pass.
    int32_t dirty = 0;
    // A button went down in this pass; Run clears it as it starts.
    int32_t pressedFlag = 0;
    // Background repaints pending: 1 and 2 both ask for one (see Run).
    int32_t repaintCountdown = 0;
    // Every pass is drawn and followed by a short sleep.
    int32_t continuousRedraw = 0;
    // The tutorial pop-up covers this screen: no events are dispatched.
    int32_t tutorialActive = 0;
    std::string name;
    std::unique_ptr<ScreenAttachment> auxObject;
    // Indices into ambientAnimations, -1 none.
    int32_t ambientPick[kAmbientPicks] = {-1, -1, -1};
    CanvasRect backgroundRect{0, 0, kWidth, kHeight};
    // Hands the background's pixels to the canvas; borrows them.
    PixelImage backgroundPixels{PixelImage::kFormat8Bit};
    std::unique_ptr<Bitmap> background;   // 16-bit pixels; null none
    DynArray<TimedAnimation*> roomAnimations;      // owned
    DynArray<TimedAnimation*> ambientAnimations;   // owned
    std::unique_ptr<InputEventMap> eventMap;
    KeySet edgeEvents;       // active in the last pass and not the one before
    KeySet currentEvents;
    KeySet previousEvents;
    // 1 while Run loops: the result of the last Draw.
    int32_t running = 0;
    std::string paletteName;   // empty: the canvas keeps its palette
    uint32_t createdAt = 0;
};

// The offset of the main window on the desktop, added to every hot spot a
// screen loads; the window sits at 0, 0.
extern int32_t g_windowOriginX;
extern int32_t g_windowOriginY;

// Moves a hot spot's set corners by the window's origin; returns 1 so that
// a walk covers every record.
int32_t OffsetUiRect(InputTrigger* record);
