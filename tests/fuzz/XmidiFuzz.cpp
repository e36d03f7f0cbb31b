// Reads any bytes as an XMIDI file, every sequence of it. What is read must
// be playable as it stands: channel messages only, in tick order, inside
// the sequence's length and below 2^31 ticks, every note ended; a read out
// of bounds aborts through the sanitizers, an endless walk by timing out.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sound/Xmidi.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int32_t count = CountXmidiSequences(data, size);
    Check(count >= 0 && count <= 0xFFFF);
    XmidiSequence sequence;
    std::string error;
    for (int32_t number = 0; number <= count; ++number) {
        const Status status = ReadXmidiSequence(data, size, number, sequence, error);
        if (number == count) {
            Check(status != kStatusOk);
            break;
        }
        if (status != kStatusOk) {
            Check(status == kStatusMalformed && !error.empty() && sequence.events.empty());
            continue;
        }
        Check(sequence.lengthTicks < (1u << 31));
        int64_t sounding = 0;
        uint32_t previous = 0;
        for (const MidiEvent& event : sequence.events) {
            Check(event.tick >= previous && event.tick <= sequence.lengthTicks);
            Check(event.status >= 0x80 && event.status <= 0xEF && event.data1 < 0x80 && event.data2 < 0x80);
            const uint8_t kind = event.status & 0xF0;
            if (kind == 0xC0 || kind == 0xD0) Check(event.data2 == 0);
            if (kind == 0x90) ++sounding;
            if (kind == 0x80) --sounding;
            previous = event.tick;
        }
        Check(sounding <= 0);
    }
    return 0;
}
