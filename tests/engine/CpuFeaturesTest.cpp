#include "engine/CpuFeatures.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Cpu.h"
#include "tests/support/FakeCpu.h"
#include "tests/support/ScopedInstall.h"

namespace {

constexpr uint32_t k3dNowBit = 0x80000000;
constexpr uint32_t kMmxBit = 0x800000;

platform::CpuidResult Eax(uint32_t eax) {
    platform::CpuidResult result;
    result.eax = eax;
    return result;
}

platform::CpuidResult Edx(uint32_t edx) {
    platform::CpuidResult result;
    result.edx = edx;
    return result;
}

class CpuFeaturesTest : public testing::Test {
protected:
    // An AMD processor of the 3DNow! era: one standard leaf, extended
    // leaves up to 0x80000001, MMX and 3DNow! present.
    void MakeK6() {
        cpu_.SetVendor(1, "AuthenticAMD");
        cpu_.SetLeaf(1, Edx(kMmxBit | 0x10));
        cpu_.SetLeaf(0x80000000, Eax(0x80000001));
        cpu_.SetLeaf(0x80000001, Edx(k3dNowBit | kMmxBit));
    }

    FakeCpu cpu_;
    ScopedInstall<platform::Cpu> installed_{cpu_};
};

TEST_F(CpuFeaturesTest, AmdWithOneStandardLeafAndThe3dNowBitHas3dNow) {
    MakeK6();
    EXPECT_EQ(CpuHas3dNow(), 1);
    EXPECT_EQ(CpuHasMmx(), 1);
}

TEST_F(CpuFeaturesTest, ProcessorWithoutCpuidHasNeither) {
    MakeK6();
    cpu_.SetCanToggleIdFlag(false);

    EXPECT_EQ(CpuHas3dNow(), 0);
    EXPECT_EQ(CpuHasMmx(), 0);
    EXPECT_EQ(cpu_.CpuidCalls(), 0);
}

TEST_F(CpuFeaturesTest, HighestStandardLeafMustBeExactlyOneFor3dNow) {
    MakeK6();
    cpu_.SetVendor(2, "AuthenticAMD");
    EXPECT_EQ(CpuHas3dNow(), 0);
    EXPECT_EQ(CpuHasMmx(), 1);

    cpu_.SetVendor(0x0D, "AuthenticAMD");
    EXPECT_EQ(CpuHas3dNow(), 0);

    cpu_.SetVendor(0, "AuthenticAMD");
    EXPECT_EQ(CpuHas3dNow(), 0);
}

TEST_F(CpuFeaturesTest, OtherVendorsLack3dNow) {
    MakeK6();
    cpu_.SetVendor(1, "GenuineIntel");
    EXPECT_EQ(CpuHas3dNow(), 0);

    // The vendor words in a different register order are not AMD either.
    cpu_.SetVendor(1, "AuthcAMDenti");
    EXPECT_EQ(CpuHas3dNow(), 0);
}

TEST_F(CpuFeaturesTest, ExtendedLeafBelowTheFeatureLeafLacks3dNow) {
    MakeK6();
    cpu_.SetLeaf(0x80000000, Eax(0x80000000));
    EXPECT_EQ(CpuHas3dNow(), 0);
}

TEST_F(CpuFeaturesTest, HigherExtendedLeafStillHas3dNow) {
    MakeK6();
    cpu_.SetLeaf(0x80000000, Eax(0x80000005));
    EXPECT_EQ(CpuHas3dNow(), 1);
}

// Compared as signed numbers, every answer but 0x80000000 is at least
// 0x80000001 (a negative number): a processor that reports no extended
// leaves (0) or a small count still goes on to read the feature leaf.
TEST_F(CpuFeaturesTest, ExtendedLeafIsComparedSigned) {
    MakeK6();
    for (const uint32_t highest : {0u, 5u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        cpu_.SetLeaf(0x80000000, Eax(highest));
        EXPECT_EQ(CpuHas3dNow(), 1) << std::hex << highest;
    }
}

TEST_F(CpuFeaturesTest, FeatureLeafWithoutBit31Lacks3dNow) {
    MakeK6();
    cpu_.SetLeaf(0x80000001, Edx(~k3dNowBit));
    EXPECT_EQ(CpuHas3dNow(), 0);
}

TEST_F(CpuFeaturesTest, MmxIsLeafOneEdxBit23) {
    cpu_.SetVendor(0x16, "GenuineIntel");
    cpu_.SetLeaf(1, Edx(kMmxBit));
    EXPECT_EQ(CpuHasMmx(), 1);

    cpu_.SetLeaf(1, Edx(~kMmxBit));
    EXPECT_EQ(CpuHasMmx(), 0);
}

TEST_F(CpuFeaturesTest, MmxNeedsLeafOneToExist) {
    cpu_.SetVendor(0, "GenuineIntel");
    cpu_.SetLeaf(1, Edx(kMmxBit));
    EXPECT_EQ(CpuHasMmx(), 0);
}

// Every x86-64 processor has MMX and reports many standard leaves, so the
// engine keeps its x87 routines there.
TEST(CpuFeaturesOnThisMachine, ModernProcessorLacks3dNow) {
    if (platform::SystemCpu().Cpuid(0).eax == 1) GTEST_SKIP() << "a processor with one standard leaf";
    EXPECT_EQ(CpuHas3dNow(), 0);
#if defined(__x86_64__)
    EXPECT_EQ(CpuHasMmx(), 1);
#else
    EXPECT_EQ(CpuHasMmx(), 0);
#endif
}

}  // namespace
