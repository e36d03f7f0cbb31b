#pragma once
#include <cstdint>

// Processor tests that choose between the x87 and the 3DNow! math routines.
// Both answer 1 or 0 and ask the processor through platform::Cpu.

// 1 only for a processor whose highest standard CPUID leaf is exactly 1,
// with the AMD vendor string and the 3DNow! bit of leaf 0x80000001. Today's
// processors report far more standard leaves, so they answer 0.
int32_t CpuHas3dNow();

// 1 when CPUID leaf 1 reports the MMX instructions.
int32_t CpuHasMmx();
