#pragma once
#include "platform/DisplayAdapter.h"
#include "platform/DisplayPresenter.h"
#include "platform/HeadlessPresenter.h"

// A display of its own for the life of a scope: a fresh adapter (640 x 480
// desktop in 5-6-5, see DisplayAdapter) whose switches the test sets, and a
// headless presenter that keeps the frames it shows. Both are put back as
// they were afterwards.
//
//     ScopedDisplay display;
//     display.Adapter().SetDesktopFormat(platform::kLayoutRgb555);
//     ... draw, present ...
//     EXPECT_EQ(display.Presenter().Rgb(0, 0), 0xFF0000u);
class ScopedDisplay {
public:
    ScopedDisplay()
        : previousAdapter_(platform::DisplayAdapter::Install(&adapter_)),
          previousPresenter_(platform::DisplayPresenter::Install(&presenter_)) {}
    ~ScopedDisplay() {
        platform::DisplayPresenter::Install(previousPresenter_);
        platform::DisplayAdapter::Install(previousAdapter_);
    }

    ScopedDisplay(const ScopedDisplay&) = delete;
    ScopedDisplay& operator=(const ScopedDisplay&) = delete;

    platform::DisplayAdapter& Adapter() { return adapter_; }
    platform::HeadlessPresenter& Presenter() { return presenter_; }

    // Nothing made on the adapter is left.
    bool IsEmpty() const {
        return adapter_.LiveDevices() == 0 && adapter_.LiveSurfaces() == 0 && adapter_.LivePalettes() == 0 &&
               adapter_.VideoMemoryInUse() == 0 && !adapter_.IsExclusive();
    }

private:
    platform::DisplayAdapter adapter_;
    platform::HeadlessPresenter presenter_;
    platform::DisplayAdapter* const previousAdapter_;
    platform::DisplayPresenter* const previousPresenter_;
};
