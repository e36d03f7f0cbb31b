#pragma once
#include <cstdint>

namespace platform {

struct CpuidResult {
    uint32_t eax = 0;
    uint32_t ebx = 0;
    uint32_t ecx = 0;
    uint32_t edx = 0;
};

// The processor's identification and its time-stamp counter.
class Cpu {
public:
    // The processor type of a Pentium-class processor (one with a time-stamp counter).
    static constexpr uint32_t kPentiumType = 586;
    static constexpr uint32_t kI486Type = 486;

    virtual ~Cpu() = default;

    // Whether the ID bit (bit 21) of the flags register can be toggled,
    // which says the CPUID instruction exists.
    virtual bool CanToggleIdFlag() = 0;
    virtual CpuidResult Cpuid(uint32_t leaf) = 0;
    // 586 for a Pentium-class processor, 486 for one without a time-stamp counter.
    virtual uint32_t ProcessorType() = 0;
    virtual int64_t ReadTimeStampCounter() = 0;

    static Cpu& Current();
    static Cpu* Install(Cpu* cpu);
};

Cpu& SystemCpu();

}  // namespace platform
