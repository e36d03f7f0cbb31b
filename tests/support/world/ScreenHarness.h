#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/PixelFormat.h"
#include "engine/input/InputEventMap.h"
#include "game/Script.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingSoundLibrary.h"
#include "tests/support/ScriptedInput.h"
#include "tests/support/TempDir.h"

class Canvas;
class GameState;
class Palette;
class Screen;

// A game in which a test runs one screen headless, pass by pass, as the
// game's loop would:
//   - the game state (g_gameState while the harness lives) with a 640 x 480
//     16-bit software canvas (g_gameCanvas) of the chosen format over a
//     palette whose 256 colours differ;
//   - the input layer scripted from a --script text: each line's event
//     reaches the input devices at the start of its pass; a `key` goes down
//     and up there, which the screen's map sees down in exactly that pass
//     (typed text goes to the typed-text buffer, as a window hands it on);
//   - the fake clock, installed and stepped kStepMs at every pass;
//   - the sample data tree, written once a process (files a test adds with
//     WriteCelFile or WriteEventMap go with the harness), and the sound
//     device over a recording sound library with the tree's "fx.iff";
//   - a pass limit, after which the pump says quit;
//   - pictures of the canvas as it stands at the end of given passes.
//
//     ScreenHarness harness(kPixelFormatRgb565);
//     ASSERT_TRUE(harness.SetScript("at 2 key Enter\n"));
//     harness.SetPassLimit(5);
//     harness.CaptureAfterPass(1);
//     MyScreen screen;
//     harness.Run(screen);
//     EXPECT_TRUE(MatchesGolden(harness.Picture(1), "my_screen_pass1"));
class ScreenHarness {
public:
    static constexpr uint32_t kStepMs = 50;
    static constexpr int32_t kWidth = 640;
    static constexpr int32_t kHeight = 480;

    explicit ScreenHarness(int32_t pixelFormat = kPixelFormatRgb565);
    ~ScreenHarness();
    ScreenHarness(const ScreenHarness&) = delete;
    ScreenHarness& operator=(const ScreenHarness&) = delete;

    // The script's events from now on; false (the script as it was) for a
    // text the script format refuses.
    bool SetScript(const std::string& text, std::string* error = nullptr);
    // The pump says quit from the pass after this one; 0 never.
    void SetPassLimit(int32_t passes) { passLimit_ = passes; }
    // Keep the canvas as it stands at the end of that pass (the picture of
    // a pass the run never reached stays empty).
    void CaptureAfterPass(int32_t pass) { captures_[pass] = RgbImage{}; }
    const RgbImage& Picture(int32_t pass) const;
    // A page the frame menu embeds is drawn over the frame's fresh
    // background every pass: the canvas is cleared after each pass.
    void ClearBetweenPasses(bool on) { clearBetweenPasses_ = on; }

    // Writes a file of the test's own (a screen's map, say) under the cel
    // directory, backslashes as folders; it goes with the harness.
    void WriteCelFile(const std::string& name, const std::vector<uint8_t>& bytes);

    // A screen's map in the cel directory: "<name>.iff" holding FORM "MEVT"
    // under the header name (at most 12 characters), record i firing
    // event records[i].first.
    void WriteEventMap(const std::string& name, const std::string& header,
                       const std::vector<std::pair<uint32_t, InputTrigger>>& records);

    // Paints the canvas black before every pass after the first, as the
    // frame does around the page it embeds, so texts a pass rewrites do
    // not show through.
    void ClearBetweenPasses() { clearBetweenPasses_ = true; }

    // Runs `action` at the start of that pass, after the script's events
    // of the pass (for input the script format has no line for, such as a
    // stick's axes).
    void AtPass(int32_t pass, std::function<void()> action) { actions_.emplace(pass, std::move(action)); }

    // Makes the screen current and runs it until it ends.
    void Run(Screen& screen);

    GameState& Game() { return *game_; }
    Canvas& TheCanvas() { return *canvas_; }
    Palette& ThePalette() { return *palette_; }
    ScriptedInput& Input() { return input_; }
    FakeClock& Clock() { return clock_; }
    RecordingSoundLibrary& Sounds() { return *sounds_; }

    // The interface sound (its index in g_uiSounds) of every sample the
    // game started, in order; -1 for a sound outside the table.
    std::vector<int32_t> UiSoundsStarted() const;
    // How many times that interface sound was started.
    int32_t UiSoundCount(int32_t index) const;

    int32_t Passes() const { return passes_; }
    // The passes whose frame was shown, in order.
    const std::vector<int32_t>& FlippedPasses() const { return flipped_; }

private:
    int32_t Pump();
    void Deliver(const ScriptEvent& event);
    void Capture(int32_t pass);

    FakeClock clock_;
    platform::Clock* previousClock_;
    // Where the game keeps "vorn.cfg", "opts.sav", saves and pilot files
    // unless a test names its own folder: never the working directory.
    TempDir configFolder_;
    // The text layer with the game's fonts, unless the test runs its own.
    std::optional<ScopedFontLayer> fonts_;
    ScriptedInput input_;
    int32_t previousFormat_;
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<Canvas> canvas_;
    Canvas* previousCanvas_;
    std::unique_ptr<GameState> game_;
    GameState* previousGame_;
    RecordingSoundLibrary* sounds_ = nullptr;   // owned by the game's sound device
    Script script_;
    size_t nextEvent_ = 0;
    int32_t passLimit_ = 0;
    bool clearBetweenPasses_ = false;
    int32_t passes_ = 0;
    int32_t cursorX_ = 0;
    int32_t cursorY_ = 0;
    std::map<int32_t, RgbImage> captures_;
    std::multimap<int32_t, std::function<void()>> actions_;
    std::vector<std::string> celFiles_;
    std::vector<int32_t> flipped_;
};
