// Reads any bytes as the key map "controls.iff". A read either gives a
// whole map (every command of the table, at most 512 functions, every
// binding twinned by its condition, hats and axes in range) that writes out
// and reads back the same, or fails leaving the map it was given untouched.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "game/CommandTable.h"
#include "game/KeyMapFile.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool ValidHat(int32_t hat) { return hat == -1 || hat == 0 || hat == 90 || hat == 180 || hat == 270; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KeyMap map = KeyMap::Defaults();
    const std::vector<uint8_t> before = map.Build();
    if (!KeyMap::Parse(std::span<const uint8_t>(data, size), &map)) {
        Check(map.Build() == before);
        return 0;
    }
    Check(map.modifierKeyRight == RightModifierKey(map.modifierKey) && map.modifierKeyRight != 0);
    Check(map.functions.size() >= command_table::kFunctionCount && map.functions.size() <= KeyMap::kMaxFunctions);
    Check(map.axes.size() >= command_table::kAxisCount);
    for (size_t i = 0; i < map.functions.size(); ++i) {
        const FunctionBinding& function = *map.functions[i];
        Check(function.commandCode == EventKey(uint32_t(i)));
        Check(ValidHat(function.hatDirection[0]) && ValidHat(function.hatDirection[1]));
        const uint16_t condition = function.trigger1->keys[1];
        Check((function.trigger1Twin != nullptr) ==
              (condition == map.modifierKey || condition == map.modifierKey + 0x200 || condition == 0xFFFF));
    }
    const std::vector<uint8_t> written = map.Build();
    KeyMap again;
    Check(KeyMap::Parse(written, &again));
    Check(again.Build() == written);
    return 0;
}
