#include "platform/WindowGraphics.h"

#include "platform/DeviceContext.h"
#include "platform/LogicalPalette.h"
#include "platform/ServiceSlot.h"

namespace platform {
namespace {

constinit ServiceSlot<WindowGraphics> g_slot{&SystemWindowGraphics};

}  // namespace

std::unique_ptr<DeviceContext> WindowGraphics::GetContext(Window* window) {
    if (!Enter(GraphicsCall::kGetContext)) return nullptr;
    return std::unique_ptr<DeviceContext>(new DeviceContext(*this, window));
}

std::shared_ptr<LogicalPalette> WindowGraphics::CreatePalette(uint16_t version, int32_t count,
                                                              const DisplayPalette::Entry* entries) {
    if (!Enter(GraphicsCall::kCreatePalette)) return nullptr;
    if (version != kLogicalPaletteVersion || entries == nullptr || count < 1 || count > DisplayPalette::kEntryCount) {
        return nullptr;
    }
    return std::shared_ptr<LogicalPalette>(new LogicalPalette(*this, count, entries));
}

void WindowGraphics::InjectFault(GraphicsCall call, int32_t times, int32_t skip) {
    faults_[size_t(call)] = {skip, times};
}

void WindowGraphics::ClearFaults() { faults_.fill({}); }

void WindowGraphics::ResetCallCounts() { counts_.fill(0); }

bool WindowGraphics::Enter(GraphicsCall call) {
    ++counts_[size_t(call)];
    Fault& fault = faults_[size_t(call)];
    if (fault.times <= 0) return true;
    if (fault.skip > 0) {
        --fault.skip;
        return true;
    }
    --fault.times;
    return false;
}

WindowGraphics& SystemWindowGraphics() {
    // Never destroyed: a driver deleted during exit still releases here.
    static WindowGraphics* const graphics = new WindowGraphics();
    return *graphics;
}

WindowGraphics& WindowGraphics::Current() { return g_slot.Get(); }

WindowGraphics* WindowGraphics::Install(WindowGraphics* graphics) { return g_slot.Swap(graphics); }

}  // namespace platform
