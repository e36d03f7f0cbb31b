#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/VirtualMemory.h"

// Virtual memory that forwards to the system's while recording every commit
// and decommit, and that can be told to refuse reservations or commits or to
// report a chosen memory status. Install it with
// ScopedInstall<platform::VirtualMemory>.
class RecordingVirtualMemory final : public platform::VirtualMemory {
public:
    struct Range {
        uintptr_t address;
        size_t bytes;
        bool operator==(const Range&) const = default;
    };

    void* Reserve(size_t bytes) override;
    size_t RegionSize(const void* base) const override;
    bool Commit(void* address, size_t bytes) override;
    bool Decommit(void* address, size_t bytes) override;
    bool Release(void* base) override;
    platform::MemoryStatus QueryStatus() const override;

    // Every call as asked, refused ones included.
    const std::vector<Range>& Commits() const { return commits_; }
    const std::vector<Range>& Decommits() const { return decommits_; }
    const std::vector<size_t>& Reserves() const { return reserves_; }
    int32_t ReleaseCount() const { return releases_; }
    void ClearRecords();

    // The next `count` reservations return null.
    void FailReserves(int32_t count) { failReserves_ = count; }
    // After `skip` more commits succeed, the following `count` fail.
    void FailCommits(int32_t count, int32_t skip = 0);
    // QueryStatus reports this instead of the system's figures.
    void ReportStatus(const platform::MemoryStatus& status) { status_ = status; }

private:
    std::vector<Range> commits_;
    std::vector<Range> decommits_;
    std::vector<size_t> reserves_;
    int32_t releases_ = 0;
    int32_t failReserves_ = 0;
    int32_t commitsBeforeFailing_ = 0;
    int32_t failCommits_ = 0;
    std::optional<platform::MemoryStatus> status_;
};
