#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "platform/DisplayPalette.h"

namespace platform {

class DeviceContext;
class LogicalPalette;
class Window;

// The calls whose results a test can script.
enum class GraphicsCall : int32_t {
    kGetContext,
    kCreatePalette,
    kSelectPalette,
    kRealizePalette,
    kCopyBits,
    kCount
};

// The drawing service of windows: it hands out the device contexts through
// which a program draws into a window and makes the logical palettes those
// contexts select and realise. A window's picture is the presenter's frame
// (see DeviceContext). Its switches make calls fail; its counts tell what is
// still allocated. Game thread only.
class WindowGraphics {
public:
    WindowGraphics() = default;
    ~WindowGraphics() = default;
    WindowGraphics(const WindowGraphics&) = delete;
    WindowGraphics& operator=(const WindowGraphics&) = delete;

    // The context of `window`'s client area; a null window stands for the
    // whole screen. Null when the call fails. Releasing the context is
    // deleting it.
    std::unique_ptr<DeviceContext> GetContext(Window* window);
    // A palette of the first `count` of `entries`; null when the call fails
    // or `version` is not kLogicalPaletteVersion or count is outside 1..256.
    // Deleting a palette is dropping the last reference: a context that has
    // it selected keeps it alive.
    std::shared_ptr<LogicalPalette> CreatePalette(uint16_t version, int32_t count,
                                                  const DisplayPalette::Entry* entries);

    // What is still allocated.
    int32_t LiveContexts() const { return liveContexts_; }
    int32_t LivePalettes() const { return livePalettes_; }

    // Switches: the next `times` calls of `call`, after `skip` that go
    // through, fail. One plan per call; a new one replaces it.
    void InjectFault(GraphicsCall call, int32_t times = 1, int32_t skip = 0);
    void ClearFaults();
    // Calls of `call` made since construction or ResetCallCounts.
    int32_t CallCount(GraphicsCall call) const { return counts_[size_t(call)]; }
    void ResetCallCounts();

    // The service in use: the system's unless a test installed another.
    static WindowGraphics& Current();
    // Installs `graphics` (null restores the system's); returns the previous one.
    static WindowGraphics* Install(WindowGraphics* graphics);

private:
    friend class DeviceContext;
    friend class LogicalPalette;

    struct Fault {
        int32_t skip = 0;
        int32_t times = 0;
    };

    // Counts one call; false when the switch makes it fail.
    bool Enter(GraphicsCall call);

    int32_t liveContexts_ = 0;
    int32_t livePalettes_ = 0;
    std::array<Fault, size_t(GraphicsCall::kCount)> faults_{};
    std::array<int32_t, size_t(GraphicsCall::kCount)> counts_{};
};

// The version a logical palette's description must carry.
inline constexpr uint16_t kLogicalPaletteVersion = 0x300;

// The drawing service of a process without windows.
WindowGraphics& SystemWindowGraphics();

}  // namespace platform
