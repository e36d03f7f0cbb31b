#pragma once
#include <cstdint>
#include <map>

#include "platform/Cpu.h"

// A processor that answers what the test tells it. By default it has CPUID
// (the ID flag toggles), answers zeros for every leaf, is a 486 and has a
// counter standing at 0.
class FakeCpu : public platform::Cpu {
public:
    bool CanToggleIdFlag() override { return canToggleIdFlag_; }
    platform::CpuidResult Cpuid(uint32_t leaf) override;
    uint32_t ProcessorType() override { return processorType_; }
    // Returns the counter, then moves it by the advance per read.
    int64_t ReadTimeStampCounter() override;

    void SetCanToggleIdFlag(bool can) { canToggleIdFlag_ = can; }
    void SetLeaf(uint32_t leaf, const platform::CpuidResult& result) { leaves_[leaf] = result; }
    // Leaf 0: the highest standard leaf and a 12-character vendor string,
    // laid out over EBX, EDX, ECX as the processor does.
    void SetVendor(uint32_t highestLeaf, const char (&vendor)[13]);
    void SetProcessorType(uint32_t type) { processorType_ = type; }
    void SetTimeStampCounter(int64_t value) { counter_ = value; }
    void SetCounterAdvancePerRead(int64_t ticks) { counterAdvance_ = ticks; }

    int32_t CpuidCalls() const { return cpuidCalls_; }
    int32_t CounterReads() const { return counterReads_; }

private:
    bool canToggleIdFlag_ = true;
    std::map<uint32_t, platform::CpuidResult> leaves_;
    uint32_t processorType_ = kI486Type;
    int64_t counter_ = 0;
    int64_t counterAdvance_ = 0;
    int32_t cpuidCalls_ = 0;
    int32_t counterReads_ = 0;
};
