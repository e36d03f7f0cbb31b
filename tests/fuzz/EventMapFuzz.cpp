// Reads any bytes as a chunk file of "MEVT" input event maps, by name and
// without one. A load either takes a form whose every node names an event
// below 512, with as many triggers as its chunk held, or fails; a read out
// of bounds aborts through the sanitizers, an endless walk by timing out.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void LoadAs(const uint8_t* data, size_t size, const char* name) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return;
    InputEventMap map(nullptr);
    const int32_t result = map.Load(iff, name);
    Check(result == 0 || result == 1);
    if (result == 0) {
        Check(map.EventCount() == map.TriggerCount());
        Check(uint64_t(map.TriggerCount()) * InputTrigger::kBytes <= size);
    }
    uint8_t mask[64], out[64];
    for (uint8_t& b : mask) b = 0xFF;
    map.Poll(out, mask);   // no input system: nothing fires
    for (const uint8_t b : out) Check(b == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAs(data, size, nullptr);
    LoadAs(data, size, "Hangar");
    return 0;
}
