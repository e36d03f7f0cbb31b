// Reads any bytes as an enciphered career form. A read either gives a sane
// record (logo 0..18, face -1 or more, texts terminated and at most 63
// characters) that writes out and reads back the same, or fails leaving the
// record it was given untouched.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/CareerRecord.h"
#include "game/XorChunkStream.h"
#include "tests/support/MemoryStream.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

namespace {

constexpr uint32_t kKey = 0x7661732E;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<uint8_t> Saved(const CareerRecord& career) {
    MemoryStream stream;
    XorChunkStream out(&stream);
    Check(out.ValidateHeader() == kStatusOk);
    out.SetKey(kKey);
    Check(career.Save(out) == kStatusOk);
    Check(out.Finish() == kStatusOk);
    return stream.Bytes();
}

Status Load(std::vector<uint8_t> bytes, CareerRecord& career) {
    MemoryStream stream(std::move(bytes));
    XorChunkStream in(&stream);
    if (in.ValidateHeader() != kStatusOk) return kStatusCareerBadRecord;
    in.SetKey(kKey);
    return career.Load(in);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CareerRecord career(0);
    career.funds = 77;
    const std::vector<uint8_t> before = Saved(career);
    if (Load(std::vector<uint8_t>(data, data + size), career) != kStatusOk) {
        Check(Saved(career) == before);
        return 0;
    }
    Check(career.logo >= 0 && career.logo <= CareerRecord::kLastLogo && career.face >= -1);
    Check(std::memchr(career.pilotName, 0, CareerRecord::kTextBytes) != nullptr);
    Check(std::memchr(career.callsign, 0, CareerRecord::kTextBytes) != nullptr);
    const std::vector<uint8_t> written = Saved(career);
    CareerRecord again(0);
    Check(Load(written, again) == kStatusOk);
    Check(Saved(again) == written);
    return 0;
}
