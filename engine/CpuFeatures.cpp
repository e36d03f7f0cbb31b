#include "engine/CpuFeatures.h"

#include "platform/Cpu.h"

namespace {

// "AuthenticAMD" in the register order EBX, EDX, ECX.
constexpr uint32_t kAmdVendorEbx = 0x68747541;
constexpr uint32_t kAmdVendorEdx = 0x69746E65;
constexpr uint32_t kAmdVendorEcx = 0x444D4163;

constexpr uint32_t kExtendedLeaves = 0x80000000;
constexpr uint32_t kExtendedFeatures = 0x80000001;
constexpr uint32_t k3dNowBit = 0x80000000;  // leaf 0x80000001, EDX bit 31
constexpr uint32_t kMmxBit = 0x800000;      // leaf 1, EDX bit 23

}  // namespace

int32_t CpuHas3dNow() {
    platform::Cpu& cpu = platform::Cpu::Current();
    if (!cpu.CanToggleIdFlag()) return 0;

    const platform::CpuidResult vendor = cpu.Cpuid(0);
    if (vendor.eax != 1) return 0;
    if (vendor.ebx != kAmdVendorEbx || vendor.edx != kAmdVendorEdx || vendor.ecx != kAmdVendorEcx) return 0;

    // The highest extended leaf is compared as a signed number: only
    // 0x80000000 itself falls below 0x80000001, while a processor that
    // answers with a small positive number passes on to the feature leaf.
    const int32_t highestExtended = static_cast<int32_t>(cpu.Cpuid(kExtendedLeaves).eax);
    if (highestExtended < static_cast<int32_t>(kExtendedFeatures)) return 0;

    return (cpu.Cpuid(kExtendedFeatures).edx & k3dNowBit) != 0 ? 1 : 0;
}

int32_t CpuHasMmx() {
    platform::Cpu& cpu = platform::Cpu::Current();
    if (!cpu.CanToggleIdFlag()) return 0;
    if (cpu.Cpuid(0).eax < 1) return 0;
    return (cpu.Cpuid(1).edx & kMmxBit) != 0 ? 1 : 0;
}
