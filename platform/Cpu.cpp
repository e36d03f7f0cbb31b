#include "platform/Cpu.h"

#include <ctime>

#if defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

#include "platform/ServiceSlot.h"

namespace platform {
namespace {

constexpr uint32_t kIdFlag = 0x200000;       // EFLAGS bit 21
constexpr uint32_t kTimeStampCounter = 0x10;  // CPUID leaf 1, EDX bit 4

class SystemCpuImpl final : public Cpu {
public:
    bool CanToggleIdFlag() override {
#if defined(__x86_64__)
        uint64_t original = 0;
        uint64_t toggled = 0;
        // The pushes would overwrite the red zone below the stack pointer,
        // where the compiler may keep locals of this function; step over it.
        asm volatile(
            "sub $128, %%rsp\n\t"
            "pushfq\n\t"
            "pop %0\n\t"
            "mov %0, %1\n\t"
            "xor %2, %1\n\t"
            "push %1\n\t"
            "popfq\n\t"
            "pushfq\n\t"
            "pop %1\n\t"
            "push %0\n\t"
            "popfq\n\t"
            "add $128, %%rsp\n\t"
            : "=&r"(original), "=&r"(toggled)
            : "i"(kIdFlag)
            : "cc");
        return ((original ^ toggled) & kIdFlag) != 0;
#else
        return false;
#endif
    }

    CpuidResult Cpuid(uint32_t leaf) override {
        CpuidResult result;
#if defined(__x86_64__)
        __cpuid_count(leaf, 0, result.eax, result.ebx, result.ecx, result.edx);
#else
        (void)leaf;
#endif
        return result;
    }

    uint32_t ProcessorType() override {
        if (!CanToggleIdFlag() || Cpuid(0).eax < 1) return kI486Type;
        return (Cpuid(1).edx & kTimeStampCounter) != 0 ? kPentiumType : kI486Type;
    }

    int64_t ReadTimeStampCounter() override {
#if defined(__x86_64__)
        return static_cast<int64_t>(__rdtsc());
#else
        // Without a time-stamp counter, nanoseconds stand in for its ticks.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
#endif
    }
};

constinit ServiceSlot<Cpu> g_slot{&SystemCpu};

}  // namespace

Cpu& SystemCpu() {
    // Never destroyed: the clock reads it from exit handlers too.
    static Cpu* const cpu = new SystemCpuImpl();
    return *cpu;
}

Cpu& Cpu::Current() { return g_slot.Get(); }

Cpu* Cpu::Install(Cpu* cpu) { return g_slot.Swap(cpu); }

}  // namespace platform
