#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// What the system reports of its memory, in bytes.
struct MemoryStatus {
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
    uint64_t totalVirtual = 0;      // address space a process may reserve
    uint64_t availableVirtual = 0;
};

// Address space reserved in one piece and backed page by page on demand.
// Reserved but uncommitted pages fault when touched.
class VirtualMemory {
public:
    static constexpr size_t kPageSize = 4096;

    virtual ~VirtualMemory() = default;

    // Reserves at least `bytes` (rounded up to whole pages); null on failure.
    virtual void* Reserve(size_t bytes) = 0;
    // Size in bytes of the region Reserve returned at `base`; 0 when unknown.
    virtual size_t RegionSize(const void* base) const = 0;
    // Commits, read-write, every page touching [address, address + bytes).
    virtual bool Commit(void* address, size_t bytes) = 0;
    // Gives the pages back; their contents are lost and they fault again.
    virtual bool Decommit(void* address, size_t bytes) = 0;
    // Releases a whole region by its base.
    virtual bool Release(void* base) = 0;
    virtual MemoryStatus QueryStatus() const = 0;

    // The implementation in use: the system's unless a test installed another.
    static VirtualMemory& Current();
    // Installs `memory` (null restores the system's); returns the previous one.
    static VirtualMemory* Install(VirtualMemory* memory);
};

// The real one: mmap, mprotect, madvise and munmap, sizes from sysinfo.
VirtualMemory& SystemVirtualMemory();

}  // namespace platform
