// Reads any bytes as a flight-control file. A curve that is accepted has
// whole records whose input span is positive, as the flight controls need.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/IffFile.h"
#include "game/ResponseCurve.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return 0;
    while (iff.NextChunk() == kStatusOk) {
        DynArray20 curve;
        const Status read = response_curve::ReadForm(iff, curve);
        if (iff.Level() != 0) std::abort();
        if (read != kStatusOk) {
            if (curve.Count() != 0) std::abort();
            continue;
        }
        if (curve.Count() == 0) std::abort();
        for (int32_t i = 0; i < curve.Count(); ++i) {
            if (int32_t(curve[i].words[1]) <= int32_t(curve[i].words[0])) std::abort();
        }
    }
    return 0;
}
