#pragma once
#include <cstdint>

#include "engine/DynArray.h"
#include "engine/input/KeySet.h"
#include "ui/MenuScreen.h"

class BitmapButton;

// The first screen of the game: the difficulty, the display driver and the
// graphics switches, and New Game, Load Game, Multiplayer Game or Exit. It
// leaves the mode, start mode, difficulty, a fresh career and the graphics
// globals behind, and "vorn.cfg" rewritten from the switches.
class InitialOptionsScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "INIT";
    static constexpr const char* kPanelName = "iomain";
    // In the option directory, whatever the screen's name.
    static constexpr const char* kArtFile = "initopt1.iff";

    // The events of the screen's map, by number.
    enum Event : uint32_t {
        kNewGame = 0,
        kDifficultyEasy = 1,
        kDifficultyMedium = 2,
        kDifficultyHard = 3,
        kLoadGame = 4,
        kMultiplayerGame = 5,
        kExit = 6,
        kDriverDib = 7,
        kDriverDirectDraw = 8,
        kDriverDirect3d = 9,
        kTextureFilter2d = 10,
        kTextureFilter3d = 11,
        kEnhancedGraphics = 12,
        kSoftwareAlpha = 13,
        kFocusNext = 16,
        kFocusPrevious = 17,
        kActivate = 18,
        // Escape: the quit dialog over the screen, as on every other screen.
        kAskQuit = 19,
    };

    explicit InitialOptionsScreen(const char* screenName = kScreenName);
    ~InitialOptionsScreen() override;

    void Open() override;
    void Close() override;
    int32_t HandleEvent(uint16_t code) override;
    bool EndsGame(uint16_t code) const override { return code == EventKey(kExit); }

    // The buttons from the globals and "vorn.cfg"; Medium latched.
    void ShowGraphicsOptions();
    // The globals from the buttons, and "vorn.cfg" written.
    void StoreGraphicsOptions();

    ArtObject* panel = nullptr;   // owned through artObjects

private:
    BitmapButton* Button(const char* buttonName) const;
    // A missing button counts as not selected.
    bool Selected(const char* buttonName) const;
    void Latch(const char* buttonName) const;
    void Release(const char* buttonName) const;
    // Latches the first and releases the other two.
    void Choose(const char* chosen, const char* other1, const char* other2) const;
    int32_t StartGame(uint32_t event);
    // The quit dialog, when the game state holds one, runs next and comes
    // back here on No; 0 then, to end this screen's run.
    int32_t AskQuit();

    DynArray<void*> unused_;   // kept empty
};
