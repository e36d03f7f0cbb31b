#include "platform/DisplayPresenter.h"

#include "platform/HeadlessPresenter.h"
#include "platform/ServiceSlot.h"

namespace platform {
namespace {

constinit ServiceSlot<DisplayPresenter> g_slot{&SystemDisplayPresenter};

}  // namespace

DisplayPresenter& SystemDisplayPresenter() {
    // Never destroyed: a surface released during exit may still present.
    static HeadlessPresenter* const presenter = new HeadlessPresenter();
    return *presenter;
}

DisplayPresenter& DisplayPresenter::Current() { return g_slot.Get(); }

DisplayPresenter* DisplayPresenter::Install(DisplayPresenter* presenter) { return g_slot.Swap(presenter); }

}  // namespace platform
