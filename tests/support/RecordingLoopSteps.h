#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "tests/support/FakeClock.h"
#include "shell/MainLoop.h"

// The main loop's steps as a test drives them: each call is noted in `log`
// ("pump", "receive", "send", "capture", "input", "simulate", "render",
// "flip", "movie NAME", "prepare", "restore", "pause?"); each pump steps the
// clock by kStepMs and may run what the test set for that pass (counted
// from 1) before it answers; a pass in `quitAt` answers quit.
class RecordingLoopSteps {
public:
    static constexpr uint32_t kStepMs = 50;

    explicit RecordingLoopSteps(FakeClock& clock) : clock_(clock) {}

    LoopSteps Steps() {
        LoopSteps steps;
        steps.pumpMessages = [this]() -> int32_t {
            ++passes;
            clock_.Advance(kStepMs);
            log.push_back("pump");
            if (auto it = atPass.find(passes); it != atPass.end()) it->second();
            return passes == quitAt ? 0 : 1;
        };
        steps.netReceive = [this](GameState&) { log.push_back("receive"); };
        steps.netSend = [this](GameState&) { log.push_back("send"); };
        steps.captureCommandState = [this](GameState&) { log.push_back("capture"); };
        steps.handleFlightInput = [this](GameState& game, uint32_t elapsedMs) {
            log.push_back("input");
            elapsed.push_back(elapsedMs);
            if (onInput) onInput(game);
        };
        steps.simulate = [this](GameState& game) {
            log.push_back("simulate");
            if (onSimulate) onSimulate(game);
        };
        steps.render = [this](GameState&, uint32_t) { log.push_back("render"); };
        steps.flipFrame = [this]() { log.push_back("flip"); };
        steps.playMovie = [this](const char* path, uint32_t) -> int32_t {
            const std::string text = path;
            log.push_back("movie " + text.substr(text.find_last_of('/') + 1));
            return 0;
        };
        steps.prepareFlight = [this](GameState&) { log.push_back("prepare"); };
        steps.restoreFlight = [this](GameState&) { log.push_back("restore"); };
        steps.pauseCommand = [this](GameState&) {
            log.push_back("pause?");
            return pauseCommandAt == passes;
        };
        return steps;
    }

    // The calls from `first` on, or those of one name.
    std::vector<std::string> From(size_t first) const {
        return first < log.size() ? std::vector<std::string>(log.begin() + long(first), log.end()) : std::vector<std::string>{};
    }
    int32_t Count(const std::string& call) const {
        int32_t count = 0;
        for (const std::string& entry : log) count += entry == call ? 1 : 0;
        return count;
    }

    std::vector<std::string> log;
    std::vector<uint32_t> elapsed;   // what each flight-input call was given
    int32_t passes = 0;
    int32_t quitAt = -1;
    int32_t pauseCommandAt = -1;     // the pass whose frozen pause sees the pause command
    std::map<int32_t, std::function<void()>> atPass;
    std::function<void(GameState&)> onInput;
    std::function<void(GameState&)> onSimulate;

private:
    FakeClock& clock_;
};
