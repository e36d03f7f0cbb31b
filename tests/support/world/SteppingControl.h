#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/UiControl.h"

// A control whose opening and closing animations take a given number of
// steps, writing every step and draw into a shared log ("name+", "name-",
// "name draw"), so that a test can follow a menu screen's transitions.
class SteppingControl : public UiControl {
public:
    SteppingControl(const char* controlName, int32_t steps, std::vector<std::string>* log)
        : UiControl(0, 0, FrameRect::Init(0, 0, 0), FrameRect::Init(0, 0, 0), FrameRect::Init(0, 0, 0),
                    FrameRect::kNoFrame, 0, controlName),
          steps_(steps),
          log_(log) {}

    int32_t StepForward(int32_t) override {
        if (forward_ >= steps_) return 0;
        ++forward_;
        log_->push_back(Name() + "+");
        return 1;
    }
    int32_t StepBack(int32_t) override {
        if (back_ >= steps_) return 0;
        ++back_;
        log_->push_back(Name() + "-");
        return 1;
    }
    int32_t Refresh(int32_t) override {
        log_->push_back(Name() + " draw");
        return 0;
    }
    void Reset() override { forward_ = back_ = 0; }

private:
    int32_t steps_;
    int32_t forward_ = 0;
    int32_t back_ = 0;
    std::vector<std::string>* log_;
};
