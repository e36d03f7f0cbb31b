#include "platform/VirtualMemory.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/ServiceSlot.h"

namespace platform {
namespace {

size_t PageSize() {
    static const size_t size = [] {
        const long reported = sysconf(_SC_PAGESIZE);
        return reported > 0 ? static_cast<size_t>(reported) : VirtualMemory::kPageSize;
    }();
    return size;
}

uintptr_t RoundDown(uintptr_t value, size_t unit) { return value - value % unit; }

// The whole pages touching [address, address + bytes); false when the range
// is empty or runs past the end of the address space.
bool TouchedPages(const void* address, size_t bytes, uintptr_t& begin, uintptr_t& end) {
    const uintptr_t first = reinterpret_cast<uintptr_t>(address);
    if (bytes == 0 || bytes - 1 > UINTPTR_MAX - first) {
        return false;
    }
    begin = RoundDown(first, PageSize());
    end = RoundDown(first + bytes - 1, PageSize()) + PageSize();
    return true;
}

// Bytes this process has mapped (the first field of /proc/self/statm, in pages).
uint64_t MappedBytes() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return 0;
    }
    unsigned long long pages = 0;
    const int read = std::fscanf(statm, "%llu", &pages);
    std::fclose(statm);
    return read == 1 ? pages * PageSize() : 0;
}

class SystemMemory final : public VirtualMemory {
public:
    void* Reserve(size_t bytes) override {
        if (bytes == 0 || bytes > SIZE_MAX - PageSize()) {
            return nullptr;
        }
        const size_t rounded = RoundDown(bytes + PageSize() - 1, PageSize());
        void* const base = mmap(nullptr, rounded, PROT_NONE,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (base == MAP_FAILED) {
            return nullptr;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        regions_[reinterpret_cast<uintptr_t>(base)] = rounded;
        return base;
    }

    size_t RegionSize(const void* base) const override {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto found = regions_.find(reinterpret_cast<uintptr_t>(base));
        return found == regions_.end() ? 0 : found->second;
    }

    bool Commit(void* address, size_t bytes) override {
        return Protect(address, bytes, PROT_READ | PROT_WRITE);
    }

    bool Decommit(void* address, size_t bytes) override {
        uintptr_t begin = 0;
        uintptr_t end = 0;
        if (!TouchedPages(address, bytes, begin, end)) {
            return bytes == 0;
        }
        void* const pages = reinterpret_cast<void*>(begin);
        return madvise(pages, end - begin, MADV_DONTNEED) == 0 &&
               mprotect(pages, end - begin, PROT_NONE) == 0;
    }

    bool Release(void* base) override {
        size_t bytes = 0;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            const auto found = regions_.find(reinterpret_cast<uintptr_t>(base));
            if (found == regions_.end()) {
                return false;
            }
            bytes = found->second;
            regions_.erase(found);
        }
        return munmap(base, bytes) == 0;
    }

    MemoryStatus QueryStatus() const override {
        MemoryStatus status;
        struct sysinfo info {};
        if (sysinfo(&info) != 0) {
            return status;
        }
        const uint64_t unit = info.mem_unit == 0 ? 1 : info.mem_unit;
        status.totalPhysical = static_cast<uint64_t>(info.totalram) * unit;
        status.availablePhysical = static_cast<uint64_t>(info.freeram) * unit;

        // Without an address-space limit the commit charge a process can
        // realistically reach is bounded by memory plus swap.
        struct rlimit limit {};
        if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            status.totalVirtual = static_cast<uint64_t>(limit.rlim_cur);
        } else {
            status.totalVirtual = status.totalPhysical + static_cast<uint64_t>(info.totalswap) * unit;
        }
        const uint64_t mapped = MappedBytes();
        status.availableVirtual = mapped < status.totalVirtual ? status.totalVirtual - mapped : 0;
        return status;
    }

private:
    bool Protect(void* address, size_t bytes, int protection) {
        uintptr_t begin = 0;
        uintptr_t end = 0;
        if (!TouchedPages(address, bytes, begin, end)) {
            return bytes == 0;
        }
        return mprotect(reinterpret_cast<void*>(begin), end - begin, protection) == 0;
    }

    mutable std::mutex mutex_;
    std::map<uintptr_t, size_t> regions_;  // base -> reserved bytes
};

constinit ServiceSlot<VirtualMemory> g_slot{&SystemVirtualMemory};

}  // namespace

VirtualMemory& SystemVirtualMemory() {
    static SystemMemory memory;
    return memory;
}

VirtualMemory& VirtualMemory::Current() { return g_slot.Get(); }

VirtualMemory* VirtualMemory::Install(VirtualMemory* memory) { return g_slot.Swap(memory); }

}  // namespace platform
