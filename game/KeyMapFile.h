#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "game/KeyBindings.h"

// The key map "controls.iff": FORM "BODY" holding "MODI" (the game's
// modifier key, 4 bytes), a FORM "FUNC" per function ("NAME" and two
// 14-byte "TRIG": key, condition 1, condition 2, fourth word, joystick mask,
// mouse button, hat direction, little-endian 16-bit words) and a FORM "AXIS"
// per axis function ("NAME" and a 4-byte "TRIG": axis bits, button
// condition). Chunk sizes are big-endian. Twins are not stored.
struct KeyMap {
    static constexpr uint32_t kMaxFunctions = InputEventMap::kMaxEvent + 1;
    static constexpr const char* kFileName = "controls.iff";

    uint32_t modifierKey = 0;
    uint32_t modifierKeyRight = 0;
    std::vector<std::unique_ptr<FunctionBinding>> functions;   // index = command number
    std::vector<std::unique_ptr<AxisBinding>> axes;

    // The command table's bindings, with their twins.
    static KeyMap Defaults();
    // Reads a whole file. False, leaving `out` as it was, for anything but
    // a well-formed key map: a chunk that overruns its form, a size other
    // than the chunk's own, a "NAME" without its NUL, a "MODI" other than
    // 29, 42 or 56, a hat other than 0, 90, 180, 270 or -1, more than
    // kMaxFunctions functions. Functions and axes the file lacks come from
    // the command table; every binding gets its twins.
    static bool Parse(std::span<const uint8_t> bytes, KeyMap* out);
    // The file's bytes, twins left out.
    static std::vector<uint8_t> Build(uint32_t modifierKey,
                                      std::span<const std::unique_ptr<FunctionBinding>> functions,
                                      std::span<const std::unique_ptr<AxisBinding>> axes);
    std::vector<uint8_t> Build() const { return Build(modifierKey, functions, axes); }
};
