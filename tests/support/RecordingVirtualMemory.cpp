#include "tests/support/RecordingVirtualMemory.h"

void* RecordingVirtualMemory::Reserve(size_t bytes) {
    reserves_.push_back(bytes);
    if (failReserves_ > 0) {
        --failReserves_;
        return nullptr;
    }
    return platform::SystemVirtualMemory().Reserve(bytes);
}

size_t RecordingVirtualMemory::RegionSize(const void* base) const {
    return platform::SystemVirtualMemory().RegionSize(base);
}

bool RecordingVirtualMemory::Commit(void* address, size_t bytes) {
    commits_.push_back(Range{reinterpret_cast<uintptr_t>(address), bytes});
    if (commitsBeforeFailing_ > 0) {
        --commitsBeforeFailing_;
    } else if (failCommits_ > 0) {
        --failCommits_;
        return false;
    }
    return platform::SystemVirtualMemory().Commit(address, bytes);
}

bool RecordingVirtualMemory::Decommit(void* address, size_t bytes) {
    decommits_.push_back(Range{reinterpret_cast<uintptr_t>(address), bytes});
    return platform::SystemVirtualMemory().Decommit(address, bytes);
}

bool RecordingVirtualMemory::Release(void* base) {
    ++releases_;
    return platform::SystemVirtualMemory().Release(base);
}

platform::MemoryStatus RecordingVirtualMemory::QueryStatus() const {
    return status_ ? *status_ : platform::SystemVirtualMemory().QueryStatus();
}

void RecordingVirtualMemory::ClearRecords() {
    commits_.clear();
    decommits_.clear();
    reserves_.clear();
    releases_ = 0;
}

void RecordingVirtualMemory::FailCommits(int32_t count, int32_t skip) {
    failCommits_ = count;
    commitsBeforeFailing_ = count > 0 ? skip : 0;
}
