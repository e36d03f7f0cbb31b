#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "ui/MenuScreen.h"
#include "ui/Screen.h"

// A screen that notes each run in a shared log ("run NAME") and then does
// what the test asks. Embedded in the frame menu it notes its opening,
// closing and each pass with the event dispatch state ("draw NAME -1"),
// and a pass answers drawResult. Its factory counts what it builds and deletes, and
// marks the frame menu's in-flight flag ("in flight NAME").
class RecordingScreen : public Screen {
public:
    // What every factory of the test shares.
    struct Tally {
        int32_t built = 0;
        int32_t deleted = 0;
        std::vector<std::string>* log = nullptr;
        // Per screen name: what a run does.
        std::function<void(GameState&, RecordingScreen&)> onRun;
    };

    RecordingScreen(GameState& game, std::string name, Tally& tally)
        : Screen(name.c_str()), game_(game), name_(std::move(name)), tally_(tally) {
        ++tally_.built;
    }
    ~RecordingScreen() override { ++tally_.deleted; }

    void Run() override {
        ++runs;
        if (tally_.log != nullptr) tally_.log->push_back("run " + name_);
        if (tally_.onRun) tally_.onRun(game_, *this);
    }

    void Open() override { Note("open " + name_); }
    void Close() override { Note("close " + name_); }
    int32_t Draw() override {
        Note("draw " + name_ + " " + std::to_string(g_eventDispatchState));
        return drawResult;
    }

    void Update() override { ++updates; }
    const std::string& Name() const { return name_; }
    int32_t drawResult = 1;
    int32_t updates = 0;

    int32_t runs = 0;
    bool inFlight = false;

    // Registers a factory of recording screens for the slot, counting into
    // `tally`, which must outlive every screen it builds; one tally serves
    // the whole test (the registry holds plain functions).
    template <ScreenSlot kSlot>
    static void Register(Tally& tally) {
        CurrentTally() = &tally;
        GameState::ScreenFactory factory;
        factory.create = [](GameState& game) -> Screen* {
            return new RecordingScreen(game, ScreenSlotName(kSlot), *CurrentTally());
        };
        factory.destroy = [](Screen* screen) { delete screen; };
        factory.enterInFlight = [](Screen& screen) {
            auto& recording = static_cast<RecordingScreen&>(screen);
            recording.inFlight = true;
            if (recording.tally_.log != nullptr) recording.tally_.log->push_back("in flight " + recording.name_);
        };
        GameState::RegisterScreen(ScreenSlotName(kSlot), factory);
    }

private:
    void Note(const std::string& entry) {
        if (tally_.log != nullptr) tally_.log->push_back(entry);
    }
    static Tally*& CurrentTally() {
        static Tally* tally = nullptr;
        return tally;
    }

    GameState& game_;
    std::string name_;
    Tally& tally_;
};
