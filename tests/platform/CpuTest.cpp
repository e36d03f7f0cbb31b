#include "platform/Cpu.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/FakeCpu.h"
#include "tests/support/ScopedInstall.h"

namespace {

// The counter may stand still between two quick reads on a coarse source,
// so read until it moves, within a bound.
bool CounterMovesForward(platform::Cpu& cpu) {
    const int64_t first = cpu.ReadTimeStampCounter();
    for (int32_t i = 0; i < 10000000; ++i) {
        const int64_t next = cpu.ReadTimeStampCounter();
        if (next != first) return next > first;
    }
    return false;
}

#if defined(__x86_64__)

TEST(SystemCpu, IdFlagTogglesAndIsPutBack) {
    // Twice: the first test must leave the flag as it found it.
    EXPECT_TRUE(platform::SystemCpu().CanToggleIdFlag());
    EXPECT_TRUE(platform::SystemCpu().CanToggleIdFlag());
}

TEST(SystemCpu, LeafZeroNamesTheVendor) {
    const platform::CpuidResult leaf0 = platform::SystemCpu().Cpuid(0);
    char vendor[13] = {};
    std::memcpy(vendor, &leaf0.ebx, 4);
    std::memcpy(vendor + 4, &leaf0.edx, 4);
    std::memcpy(vendor + 8, &leaf0.ecx, 4);

    EXPECT_GE(leaf0.eax, 1u);
    EXPECT_FALSE(std::string(vendor).empty());
    for (const char c : std::string(vendor)) EXPECT_TRUE(std::isprint(static_cast<unsigned char>(c))) << vendor;
}

TEST(SystemCpu, IsPentiumClassForItHasATimeStampCounter) {
    EXPECT_NE(platform::SystemCpu().Cpuid(1).edx & 0x10, 0u);
    EXPECT_EQ(platform::SystemCpu().ProcessorType(), platform::Cpu::kPentiumType);
}

#else

TEST(SystemCpu, WithoutCpuidAnswersZerosAndIsNoPentium) {
    platform::Cpu& cpu = platform::SystemCpu();
    EXPECT_FALSE(cpu.CanToggleIdFlag());
    const platform::CpuidResult leaf0 = cpu.Cpuid(0);
    EXPECT_EQ(leaf0.eax | leaf0.ebx | leaf0.ecx | leaf0.edx, 0u);
    EXPECT_EQ(cpu.ProcessorType(), platform::Cpu::kI486Type);
}

#endif

TEST(SystemCpu, TimeStampCounterMovesForward) { EXPECT_TRUE(CounterMovesForward(platform::SystemCpu())); }

TEST(SystemCpu, IsCurrentUnlessAnotherIsInstalled) {
    EXPECT_EQ(&platform::Cpu::Current(), &platform::SystemCpu());
    FakeCpu fake;
    {
        ScopedInstall<platform::Cpu> installed(fake);
        EXPECT_EQ(&platform::Cpu::Current(), &fake);
    }
    EXPECT_EQ(&platform::Cpu::Current(), &platform::SystemCpu());
}

}  // namespace
