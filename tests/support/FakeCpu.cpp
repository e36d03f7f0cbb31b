#include "tests/support/FakeCpu.h"

#include <cstring>

platform::CpuidResult FakeCpu::Cpuid(uint32_t leaf) {
    ++cpuidCalls_;
    const auto found = leaves_.find(leaf);
    return found != leaves_.end() ? found->second : platform::CpuidResult{};
}

int64_t FakeCpu::ReadTimeStampCounter() {
    const int64_t value = counter_;
    ++counterReads_;
    // Unsigned, so a test may run the counter across its sign without overflow.
    counter_ = static_cast<int64_t>(static_cast<uint64_t>(counter_) + static_cast<uint64_t>(counterAdvance_));
    return value;
}

void FakeCpu::SetVendor(uint32_t highestLeaf, const char (&vendor)[13]) {
    platform::CpuidResult result;
    result.eax = highestLeaf;
    std::memcpy(&result.ebx, vendor, 4);
    std::memcpy(&result.edx, vendor + 4, 4);
    std::memcpy(&result.ecx, vendor + 8, 4);
    leaves_[0] = result;
}
