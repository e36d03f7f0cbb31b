#include "ui/MenuScreen.h"

#include <string>

#include "display/Canvas.h"
#include "engine/FileWrappers.h"
#include "engine/IffFile.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/SoftCursor.h"
#include "ui/ArtObject.h"
#include "ui/BitmapButton.h"
#include "ui/HotspotFocus.h"
#include "ui/TimedAnimation.h"
#include "ui/TutorialScreen.h"
#include "ui/UiSounds.h"

DynArray<MenuSpriteCacheEntry*> g_menuSpriteCache;
int32_t g_eventDispatchState = 1;

namespace {

constexpr const char* kOptArtFile = "optart.iff";
constexpr uint32_t kArtFileForm = MakeTag("OPTI");
constexpr uint32_t kArtItemForm = MakeTag("ARTW");
constexpr uint32_t kNameChunk = MakeTag("NAME");

void DeleteEntryAt(int32_t index) {
    MenuSpriteCacheEntry* const entry = g_menuSpriteCache[index];
    delete entry->control;
    delete entry;
    g_menuSpriteCache.RemoveAt(index);
}

MenuSpriteCacheEntry* FindEntry(const BitmapButton* control) {
    for (MenuSpriteCacheEntry* const entry : g_menuSpriteCache) {
        if (entry->control == control) return entry;
    }
    return nullptr;
}

GameState* Game() { return g_gameState; }

}  // namespace

MenuScreen::MenuScreen(const char* screenName) : Screen(screenName) {}

MenuScreen::~MenuScreen() {
    for (ArtObject* const panel : artObjects) delete panel;
    artObjects.Clear();
    // What no open screen shows goes with any menu screen; the rest stays
    // for the screens that show it.
    for (int32_t i = 0; i < g_menuSpriteCache.Count();) {
        if (g_menuSpriteCache[i]->users > 0) {
            ++i;
            continue;
        }
        DeleteEntryAt(i);
    }
    if (g_menuSpriteCache.Count() == 0) g_menuSpriteCache.Clear();
    panelStack.Clear();
}

void MenuScreen::OpenPanels() {
    transitionPhase = kPhaseOpening;
    if (Game() != nullptr && Game()->cursor != nullptr) {
        Game()->cursor->ClearDrawnFlag();
        Game()->cursor->repaint = true;
    }
    for (ArtObject* const panel : artObjects) {
        for (const SpriteDef* const def : panel->spriteDefs) {
            MenuSpriteCacheEntry* found = nullptr;
            for (MenuSpriteCacheEntry* const entry : g_menuSpriteCache) {
                if (entry->control->Name() == def->uniqueName) {
                    found = entry;
                    break;
                }
            }
            if (found == nullptr) {
                BitmapButton* const control = LoadOptArtButton(def->baseName.c_str(), def->uniqueName.c_str());
                // Art that "optart.iff" lacks is neither placed nor cached.
                if (control == nullptr) continue;
                found = new MenuSpriteCacheEntry;
                found->control = control;
                g_menuSpriteCache.Append(found);
            }
            found->idleCount = 0;
            ++found->users;
            panel->spriteInstances.Append(new SpriteInstance{found->control, int32_t(def->x), int32_t(def->y)});
        }
        panel->AttachImages();
    }
    for (int32_t i = 0; i < g_menuSpriteCache.Count();) {
        const MenuSpriteCacheEntry* const entry = g_menuSpriteCache[i];
        if (entry->idleCount >= kCacheIdleLimit && entry->users == 0) {
            DeleteEntryAt(i);
        } else {
            ++i;
        }
    }
    ApplyPanelPalette(currentPanel);
    if (g_graphicsDriver == kGraphicsDriverDirect3d) continuousRedraw = 1;
}

void MenuScreen::Open() {
    OpenPanels();
    g_hotspotFocus = 0;
}

void MenuScreen::Close() {
    Screen::Close();
    for (ArtObject* const panel : artObjects) {
        for (UiControl* const control : panel->controls) control->UnlockImages();
    }
    for (MenuSpriteCacheEntry* const entry : g_menuSpriteCache) ++entry->idleCount;
    for (ArtObject* const panel : artObjects) {
        for (SpriteInstance* const instance : panel->spriteInstances) {
            MenuSpriteCacheEntry* const entry = FindEntry(instance->control);
            if (entry != nullptr && entry->users > 0) --entry->users;
            // A shared button that a screen still open shows (the page
            // beneath a tutorial pop-up) keeps its pixels.
            if (instance->control != nullptr && (entry == nullptr || entry->users == 0)) {
                instance->control->UnlockImages();
            }
        }
        panel->FreeSpriteInstances();
    }
    panelStack.Clear();
}

int32_t MenuScreen::DispatchEvents(bool blocked) {
    if (tutorialActive != 0 || blocked) return 1;
    g_eventDispatchState = 1;
    if (currentEvents.IsEmpty() || transitionPhase != kPhaseNone) return 1;
    for (uint32_t event = 0; event < KeySet::kBits && g_eventDispatchState != 0; ++event) {
        const uint16_t code = EventKey(event);
        if (currentEvents.TestEvent(code) && HandleEvent(code) == 0) return 0;
    }
    return 1;
}

int32_t MenuScreen::DispatchOwnEvents(const KeySet& trigger, bool* handled) {
    if (tutorialActive != 0 || trigger.IsEmpty() || transitionPhase != kPhaseNone) return 1;
    for (uint32_t event = 0; event < KeySet::kBits; ++event) {
        const uint16_t code = EventKey(event);
        if (!currentEvents.TestEvent(code)) continue;
        if (handled != nullptr) *handled = true;
        if (HandleEvent(code) == 0) return 0;
    }
    return 1;
}

int32_t MenuScreen::DrawOwnGatePass(bool* panelChanged) {
    // The help pop-up reads the pass's input after the page: a read here
    // would take the device snapshot first, and a CLOSE tapped between two
    // passes would never reach the pop-up.
    const int32_t keptPressed = BeginPass();
    DispatchOwnEvents(currentEvents);
    UpdateCursor();
    MarkDirty(keptPressed);
    DrawPanels();
    Update();
    const ArtObject* const before = currentPanel;
    const int32_t result = StepTransition(1);
    *panelChanged = currentPanel != before;
    return result;
}

void MenuScreen::MarkDirty(int32_t keptPressed) {
    if (dirty == 0 && pressedFlag != keptPressed) dirty = 1;
    if (continuousRedraw != 0) dirty = 1;
}

void MenuScreen::DrawPanels() {
    for (int32_t i = panelStack.Count() - 1; i >= 0; --i) panelStack[i]->Draw(transitionPhase);
    if (currentPanel != nullptr) currentPanel->Draw(transitionPhase);
}

int32_t MenuScreen::PressButton(uint16_t code, BitmapButton* button, const char* helpTopic) {
    if (helpTopic != nullptr) {
        TutorialScreen::OpenTopic(*this, helpTopic);
    } else {
        if (edgeEvents.TestEvent(code)) PlayUiClick(kUiSoundHotspot);
        if (button != nullptr) button->Press();
    }
    return 1;
}

bool MenuScreen::DispatchBlocked() const {
    return g_eventDispatchState == -1 || (g_eventDispatchState == 0 && currentEvents.TestEvent(kDispatchHoldCode));
}

int32_t MenuScreen::BeginPass() {
    // The pop-up over this screen reads the pass's input itself.
    if (tutorialActive == 0) {
        ReadEvents();
    } else {
        SkipEvents();
    }
    const int32_t keptPressed = pressedFlag;
    pressedFlag = 0;
    return keptPressed;
}

int32_t MenuScreen::Draw() {
    const int32_t keptPressed = BeginPass();
    const int32_t result = DispatchEvents(DispatchBlocked());
    UpdateCursor();
    MarkDirty(keptPressed);
    DrawPanels();
    DrawOverPanels();
    Update();
    return StepTransition(result);
}

int32_t MenuScreen::StepTransition(int32_t result) {
    // A screen that ends during a transition finishes it in this pass, as
    // long as the steps still change something.
    for (;;) {
        if (transitionPhase == kPhaseNone) break;
        const int32_t phaseBefore = transitionPhase;
        const ArtObject* const panelBefore = currentPanel;
        const int32_t stackBefore = panelStack.Count();
        bool moved = false;
        if (transitionPhase == kPhaseOpening) {
            if (currentPanel == nullptr || currentPanel->StepForward() == 0) {
                transitionPhase = kPhaseNone;
                if (currentPanel != nullptr) currentPanel->alwaysDraw = 1;
                PanelShown();
            } else {
                moved = true;
            }
        } else if (transitionPhase == kPhaseClosing) {
            if (pushPanel != nullptr && pushPanel == currentPanel) {
                panelStack.Append(currentPanel);
                currentPanel = nextPanel;
                transitionPhase = kPhaseOpening;
                ApplyPanelPalette(currentPanel);
                nextPanel = pushPanel = nullptr;
            } else if (nextPanel != nullptr && nextPanel == currentPanel) {
                transitionPhase = kPhaseNone;
                nextPanel = pushPanel = nullptr;
                ApplyPanelPalette(currentPanel);
                PanelShown();
            } else if (currentPanel != nullptr && currentPanel->StepBack() != 0) {
                moved = true;
            } else if (nextPanel == nullptr && panelStack.Count() == 0) {
                transitionPhase = kPhaseNone;
                result = 0;
            } else if (panelStack.Count() > 0) {
                currentPanel = panelStack[panelStack.Count() - 1];
                panelStack.RemoveAt(panelStack.Count() - 1);
                ApplyPanelPalette(currentPanel);
            } else if (pushPanel == nullptr) {
                currentPanel = nextPanel;
                transitionPhase = kPhaseOpening;
                ApplyPanelPalette(currentPanel);
                nextPanel = pushPanel = nullptr;
            }
        }
        if (result != 0) break;
        // A closing step that still moves controls has changed something too.
        const bool changed = moved || transitionPhase != phaseBefore || currentPanel != panelBefore ||
                             panelStack.Count() != stackBefore;
        if (!changed) break;
    }
    return result;
}

void MenuScreen::UpdateCursor() {
    for (const TimedAnimation* const animation : roomAnimations) {
        if (animation->triggered != 0) {
            if (Game() != nullptr && Game()->cursor != nullptr) {
                Game()->cursor->SetShape(SoftCursor::kShapeHighlight, -1, 1);
            }
            return;
        }
    }
    if (currentPanel != nullptr) currentPanel->UpdateCursor();
}

int32_t MenuScreen::ContainsId(const ArtObject* panel) const {
    for (const ArtObject* const kept : panelStack) {
        if (kept == panel) return 1;
    }
    return 0;
}

void MenuScreen::ApplyPanelPalette(const ArtObject* panel) {
    if (panel != nullptr) panel->ApplyPalette();
}

BitmapButton* LoadOptArtButton(const char* baseName, const char* name) {
    const std::string path = g_dataDirs.Prefix(DataDir::kOption) + kOptArtFile;
    IffFile file(0);
    if (file.OpenFile(path.c_str(), kOpenRead) != kStatusOk) return nullptr;
    return LoadOptArtButton(file, baseName, name);
}

BitmapButton* LoadOptArtButton(IffFile& file, const char* baseName, const char* name) {
    if (baseName == nullptr) return nullptr;
    const uint32_t top = file.Level();
    if (file.FindForm(kArtFileForm) != kStatusOk || file.Descend() != kStatusOk) return nullptr;
    const uint32_t level = file.Level();
    BitmapButton* button = nullptr;
    while (button == nullptr && file.FindForm(kArtItemForm) == kStatusOk) {
        if (file.Descend() != kStatusOk) continue;
        if (file.FindChunk(kNameChunk) != kStatusOk ||
            art_file::ReadName(file, ArtObject::kMaxNameBytes) != baseName) {
            art_file::LeaveTo(file, level);
            continue;
        }
        button = new BitmapButton();
        button->SetName(name);
        // The idle frames follow the name.
        art_file::ReadButtonFrames(file, *button);
    }
    art_file::LeaveTo(file, top);
    return button;
}

void FreeMenuSpriteCache() {
    while (g_menuSpriteCache.Count() > 0) DeleteEntryAt(g_menuSpriteCache.Count() - 1);
    g_menuSpriteCache.Clear();
}
