#include "tests/support/world/ScreenHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

#include "canvas/SoftCanvas16.h"
#include "display/Canvas.h"
#include "display/FontContext.h"
#include "display/Palette.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameFonts.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "sound/SoundDevice.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/DistinctPalette.h"
#include "tools/mkdata/SampleTree.h"
#include "ui/Screen.h"
#include "ui/UiSounds.h"

namespace {

// The input layer's left button.
constexpr int32_t kLeftButton = 0;

// The sample tree, written once for every harness of the process: screens
// only read it, and writing it takes a while.
const TempDir& SampleData() {
    static const TempDir data;
    static const bool written = [] {
        std::string error;
        const bool ok = WriteSampleTree(data.Str(), &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }();
    (void)written;
    return data;
}

}  // namespace

ScreenHarness::ScreenHarness(int32_t pixelFormat)
    : previousClock_(platform::Clock::Install(&clock_)),
      previousFormat_(std::exchange(g_pixelFormat, pixelFormat)),
      previousCanvas_(g_gameCanvas),
      previousGame_(g_gameState) {
    EXPECT_TRUE(g_dataDirs.Find(SampleData().Str()));
    if (g_fontContext == nullptr) {
        fonts_.emplace();
        std::string failed;
        EXPECT_EQ(LoadGameFonts(&failed), kStatusOk) << failed;
    }

    palette_ = MakeDistinctPalette(pixelFormat);
    const CanvasRect rect{0, 0, kWidth, kHeight};
    canvas_ = std::make_unique<SoftCanvas16>(&rect, palette_.get(), 0);
    g_gameCanvas = canvas_.get();

    game_ = std::make_unique<GameState>();
    g_gameState = game_.get();
    game_->SetConfigFolder(configFolder_.Str());
    auto* const input = new DirectInputSystem(nullptr, input_);
    input->OpenDevices();
    game_->TakeInputSystem(input);
    sounds_ = new RecordingSoundLibrary;
    auto* const effects = new SoundEffectLibrary;
    const std::string fx = g_dataDirs.Prefix(DataDir::kData) + "fx.iff";
    EXPECT_EQ(effects->Load(fx.c_str()), kStatusOk) << fx;
    game_->TakeSound(new SoundDevice(std::unique_ptr<platform::SoundLibrary>(sounds_)), effects);
    // The table lives for the process; each harness starts it afresh with
    // its own definitions.
    FreeUiSounds();
    game_->pumpMessages = [this] { return Pump(); };
    game_->flipFrame = [this] { flipped_.push_back(passes_); };
}

void ScreenHarness::WriteCelFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = g_dataDirs.Prefix(DataDir::kCel) + name;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_TRUE(out.good()) << path;
    celFiles_.push_back(path);
}

void ScreenHarness::WriteEventMap(const std::string& name, const std::string& header,
                                  const std::vector<std::pair<uint32_t, InputTrigger>>& records) {
    constexpr size_t kHeaderBytes = 16;
    constexpr size_t kNameChars = 12;
    ChunkBuilder b;
    ChunkBuilder::Bytes head(kHeaderBytes, 0);
    for (size_t i = 0; i < header.size() && i < kNameChars; ++i) head[i] = uint8_t(header[i]);
    const ChunkBuilder::Bytes count = ChunkBuilder::Words({uint32_t(records.size())});
    std::copy(count.begin(), count.end(), head.begin() + kNameChars);
    ChunkBuilder::Bytes events, triggers;
    for (const auto& [event, trigger] : records) {
        const ChunkBuilder::Bytes word = ChunkBuilder::Words({event});
        events.insert(events.end(), word.begin(), word.end());
        uint8_t bytes[InputTrigger::kBytes];
        trigger.ToBytes(bytes);
        triggers.insert(triggers.end(), bytes, bytes + sizeof bytes);
    }
    WriteCelFile(name + ".iff",
                 b.Form("MEVT", {b.Chunk("HDR ", head), b.Chunk("EVNT", events), b.Chunk("TRGS", triggers)}));
}

ScreenHarness::~ScreenHarness() {
    for (const std::string& path : celFiles_) std::filesystem::remove(path);
    FreeUiSounds();
    game_->DeleteScreens();
    game_.reset();
    g_gameState = previousGame_;
    g_gameCanvas = previousCanvas_;
    canvas_.reset();
    palette_.reset();
    g_dataDirs.Clear();
    g_pixelFormat = previousFormat_;
    platform::Clock::Install(previousClock_);
}

bool ScreenHarness::SetScript(const std::string& text, std::string* error) {
    Script script;
    std::string reason;
    if (!script.Parse(text, &reason)) {
        if (error != nullptr) *error = reason;
        return false;
    }
    script_ = std::move(script);
    nextEvent_ = 0;
    return true;
}

const RgbImage& ScreenHarness::Picture(int32_t pass) const {
    static const RgbImage kNone;
    const auto found = captures_.find(pass);
    return found != captures_.end() ? found->second : kNone;
}

void ScreenHarness::Run(Screen& screen) {
    game_->currentScreen = &screen;
    screen.Run();
    // The last pass's picture, when the run ended in it.
    Capture(passes_);
}

void ScreenHarness::Capture(int32_t pass) {
    const auto found = captures_.find(pass);
    if (found != captures_.end() && found->second.rgb.empty()) found->second = CanvasToRgb(*canvas_);
}

int32_t ScreenHarness::Pump() {
    Capture(passes_);
    if (clearBetweenPasses_) canvas_->Clear(0, 0xFFFFFFFFu);
    if (passLimit_ > 0 && passes_ >= passLimit_) return 0;
    ++passes_;
    clock_.Advance(kStepMs);
    if (clearBetweenPasses_ && passes_ > 1) {
        const CanvasRect whole{0, 0, kWidth, kHeight};
        canvas_->FillRect(&whole, 0);
    }
    bool quit = false;
    const std::vector<ScriptEvent>& events = script_.Events();
    while (nextEvent_ < events.size() && events[nextEvent_].pass <= passes_) {
        const ScriptEvent& event = events[nextEvent_++];
        if (event.action == ScriptAction::kQuit) quit = true;
        Deliver(event);
    }
    const auto [first, last] = actions_.equal_range(passes_);
    for (auto it = first; it != last; ++it) it->second();
    return quit ? 0 : 1;
}

void ScreenHarness::Deliver(const ScriptEvent& event) {
    switch (event.action) {
        // Down and up at once, as the game's pump delivers it: the keyboard
        // latches it down until the screen's pass has read it.
        case ScriptAction::kKey: input_.Tap(event.key); break;
        case ScriptAction::kPress: input_.Press(event.key); break;
        case ScriptAction::kRelease: input_.Release(event.key); break;
        case ScriptAction::kMove:
        case ScriptAction::kClick:
            input_.FeedCursor(event.x, event.y);
            input_.FeedMouseMotion(event.x - cursorX_, event.y - cursorY_);
            cursorX_ = event.x;
            cursorY_ = event.y;
            if (event.action == ScriptAction::kClick) input_.Click(kLeftButton);
            break;
        // Typed text reaches the typed-text buffer as the window procedure
        // hands it on, a character at a time.
        case ScriptAction::kType:
            for (const char c : event.text) TypeTextInput(uint8_t(c));
            break;
        case ScriptAction::kQuit: break;
        case ScriptAction::kWait: break;   // a screen on its own prints no trace to wait for
    }
}

std::vector<int32_t> ScreenHarness::UiSoundsStarted() const {
    std::vector<int32_t> started;
    for (const RecordingSoundLibrary::Event& event : sounds_->events) {
        if (event.kind != RecordingSoundLibrary::Event::kStart) continue;
        int32_t index = -1;
        for (int32_t i = 0; i < g_uiSounds.Count() && index < 0; ++i) {
            if (g_uiSounds[i] != nullptr && event.samples == g_uiSounds[i]->samples.get()) index = i;
        }
        started.push_back(index);
    }
    return started;
}

int32_t ScreenHarness::UiSoundCount(int32_t index) const {
    const std::vector<int32_t> started = UiSoundsStarted();
    return int32_t(std::count(started.begin(), started.end(), index));
}
