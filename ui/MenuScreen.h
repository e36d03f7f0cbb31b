#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "ui/Screen.h"

class ArtObject;
class BitmapButton;
class IffFile;

// A screen of panels: one panel is current, others may be kept open on a
// stack beneath it, and a handler moves between them with an animated
// transition (transitionPhase 1 opening, 2 closing). The small buttons its
// art files place as sprites come from the shared "optart.iff" through the
// process-wide sprite cache.
class MenuScreen : public Screen {
public:
    static constexpr int32_t kPhaseNone = 0;
    static constexpr int32_t kPhaseOpening = 1;
    static constexpr int32_t kPhaseClosing = 2;
    // A cache entry no screen has used for this many closings goes at the
    // next Open.
    static constexpr int32_t kCacheIdleLimit = 30;
    // Held, this event keeps a pass that a handler ended from starting again.
    static constexpr uint16_t kDispatchHoldCode = 0x0102;

    explicit MenuScreen(const char* screenName);
    ~MenuScreen() override;

    void Open() override;
    void Close() override;
    // One pass: dispatch under g_eventDispatchState, the cursor, the panels
    // drawn, the transition stepped. 0 ends the screen.
    int32_t Draw() override;
    void UpdateCursor() override;

    // 1 when the panel lies on the stack.
    int32_t ContainsId(const ArtObject* panel) const;
    // The transition steps of one pass after the pass's result; while the
    // result is 0 they repeat as long as they change something. The result.
    int32_t StepTransition(int32_t result);

    DynArray<ArtObject*> panelStack;   // not owned; the most recent last
    DynArray<ArtObject*> artObjects;   // owned
    ArtObject* currentPanel = nullptr;
    ArtObject* nextPanel = nullptr;    // null: close every panel
    ArtObject* pushPanel = nullptr;    // equal to currentPanel: keep it open beneath

protected:
    // The sprite-cache pass and the panels' images of Open, without the
    // focus reset, for screens that keep the focus they had.
    void OpenPanels();
    // The pass's new and held events to HandleEvent, unless `blocked` or the
    // pop-up lies over the screen; 0 when a handler ended the screen.
    int32_t DispatchEvents(bool blocked);
    // Whether another screen's dispatch holds this one in this pass.
    virtual bool DispatchBlocked() const;
    // What a screen draws over its panels, before its per-pass logic.
    virtual void DrawOverPanels() {}
    // The current panel has finished opening, or a switch came back to it.
    virtual void PanelShown() {}
    // The pass's input read, unless the pop-up over the screen reads it, and
    // the pressed flag cleared; the flag as it was, for MarkDirty.
    int32_t BeginPass();
    // For screens that keep their own gate instead of the shared dispatch
    // state: the pass's held events to HandleEvent, only while no pop-up
    // lies over the screen, no transition runs and `trigger` holds an event.
    // 0 when a handler ended the screen, and the rest wait; `handled`, when
    // given, is set once any event went out.
    int32_t DispatchOwnEvents(const KeySet& trigger, bool* handled = nullptr);
    // A whole pass under that gate on the held events, whose handlers never
    // end the screen: events, cursor, panels, transition. The result, and
    // `panelChanged` set when the step left another panel current.
    int32_t DrawOwnGatePass(bool* panelChanged);
    // A pass is drawn when its dispatch changed the pressed flag from
    // `keptPressed` or the screen redraws continuously.
    void MarkDirty(int32_t keptPressed);
    // The stack from its top down, then the current panel.
    void DrawPanels();
    // A button's event: with a help topic, the topic's help opens; without,
    // the hot spot sound on the event's first pass and `button`, when there
    // is one, pressed. 1, the screen going on.
    int32_t PressButton(uint16_t code, BitmapButton* button, const char* helpTopic);

private:
    static void ApplyPanelPalette(const ArtObject* panel);
};

// A button of the sprite cache and the screen closings since a screen last
// used it.
struct MenuSpriteCacheEntry {
    BitmapButton* control = nullptr;   // owned
    int32_t idleCount = 0;
    // Sprites of open screens that show the button: while any does, the
    // entry is freed neither by the eviction nor by a screen's destruction.
    int32_t users = 0;
};

extern DynArray<MenuSpriteCacheEntry*> g_menuSpriteCache;
// 1 dispatch runs; 0 a handler ended the pass; -1 dispatch is blocked.
extern int32_t g_eventDispatchState;

// A new button called `name` from the "ARTW" entry of "optart.iff" whose
// "NAME" is `baseName`; null when there is none.
BitmapButton* LoadOptArtButton(const char* baseName, const char* name);
// The same from a file the caller opened, standing at its top level.
BitmapButton* LoadOptArtButton(IffFile& file, const char* baseName, const char* name);
// Deletes every entry of the sprite cache; at shutdown.
void FreeMenuSpriteCache();
