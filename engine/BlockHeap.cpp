#include "engine/BlockHeap.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/VirtualMemory.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

struct Header {
    uintptr_t link;  // next lower free block; 0 while handed out
    uint64_t size;   // bytes including the header
};
static_assert(sizeof(Header) == BlockHeap::kHeaderBytes);

// Under AddressSanitizer everything in the range that no caller owns is
// poisoned: headers, padding after the requested bytes, free blocks. The heap
// lifts the poison only around its own reads and writes of a header.
#if defined(__SANITIZE_ADDRESS__)
void Poison(uintptr_t address, size_t bytes) {
    __asan_poison_memory_region(reinterpret_cast<const void*>(address), bytes);
}
void Unpoison(uintptr_t address, size_t bytes) {
    __asan_unpoison_memory_region(reinterpret_cast<const void*>(address), bytes);
}
#else
void Poison(uintptr_t, size_t) {}
void Unpoison(uintptr_t, size_t) {}
#endif

Header Load(uintptr_t block) {
    Unpoison(block, sizeof(Header));
    Header header;
    std::memcpy(&header, reinterpret_cast<const void*>(block), sizeof header);
    Poison(block, sizeof(Header));
    return header;
}

void Store(uintptr_t block, const Header& header) {
    Unpoison(block, sizeof(Header));
    std::memcpy(reinterpret_cast<void*>(block), &header, sizeof header);
    Poison(block, sizeof(Header));
}

uintptr_t RoundDownToUnit(uintptr_t address) { return address & ~(BlockHeap::kCommitUnit - 1); }
uintptr_t RoundUpToUnit(uintptr_t address) {
    return RoundDownToUnit(address + BlockHeap::kCommitUnit - 1);
}

}  // namespace

void BlockHeap::Format(size_t regionBytes) {
    assert(Base() % kHeaderBytes == 0);
    usableSize_ = regionBytes > kControlBytes + 1 ? regionBytes - (kControlBytes + 1) : 0;
    allocations_ = 0;
    frees_ = 0;
    bytesInUse_ = 0;
    freeHead_ = 0;
    top_ = (Base() + regionBytes - kHeaderBytes) & ~uintptr_t{kHeaderBytes - 1};
    if (regionBytes >= kControlBytes + kHeaderBytes) {
        Poison(top_, Base() + regionBytes - top_);  // catches overruns of the highest block
    }
}

void BlockHeap::Retire(const void* lowest) const {
    const uintptr_t from = std::max(reinterpret_cast<uintptr_t>(lowest), Base());
    if (from < End()) {
        Unpoison(from, End() - from);
    }
}

bool BlockHeap::Contains(const void* address) const {
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    return at >= Base() && at < End();
}

void* BlockHeap::Alloc(size_t n, const Rules& rules) {
    if (n > kLargestRequest) {
        return nullptr;
    }
    const uint64_t need = (static_cast<uint64_t>(n) + 31) & ~uint64_t{15};
    if (need > usableSize_) {
        return nullptr;
    }
    // First fit from the highest address down.
    uintptr_t previous = 0;
    for (uintptr_t block = freeHead_; block != 0;) {
        Header header = Load(block);
        if (header.size >= need) {
            // A remainder of 32 bytes or less is not worth a block of its own.
            if (header.size <= need + 32) {
                SetLink(previous, header.link);
                return HandOut(block, header.size, n, rules);
            }
            header.size -= need;
            Store(block, header);
            return HandOut(block + header.size, need, n, rules);
        }
        previous = block;
        block = header.link;
    }
    if (!TakeFromTop(need, rules)) {
        return nullptr;
    }
    return HandOut(top_, need, n, rules);
}

void BlockHeap::Free(void** pp, const Rules& rules) {
    if (*pp == nullptr) {
        return;
    }
    uintptr_t block = reinterpret_cast<uintptr_t>(*pp) - kHeaderBytes;
    assert(block >= top_ && block < End() && block % kHeaderBytes == 0);
    const uint64_t size = Load(block).size;
    Poison(block + kHeaderBytes, size - kHeaderBytes);
    if (rules.keepCounters) {
        bytesInUse_ -= size;
        ++frees_;
    }

    // Find the free neighbours in list order: `higher` is the last block
    // above the freed one, `lower` the first below it.
    uintptr_t beforeHigher = 0;
    uintptr_t higher = 0;
    uintptr_t lower = freeHead_;
    while (lower != 0 && lower > block) {
        beforeHigher = higher;
        higher = lower;
        lower = Load(lower).link;
    }

    Header merged{lower, size};
    if (lower != 0) {
        const Header below = Load(lower);
        if (lower + below.size == block) {
            block = lower;
            merged = Header{below.link, below.size + size};
        }
    }
    uintptr_t predecessor = higher;
    if (higher != 0 && block + merged.size == higher) {
        merged.size += Load(higher).size;
        predecessor = beforeHigher;
    }
    Store(block, merged);
    SetLink(predecessor, block);

    if (block == top_) {
        ReturnToTop(block, merged.size, predecessor, rules);
    }
    *pp = nullptr;
}

std::vector<FreeBlock> BlockHeap::FreeBlocks() const {
    std::vector<FreeBlock> blocks;
    for (uintptr_t block = freeHead_; block != 0;) {
        const Header header = Load(block);
        blocks.push_back(FreeBlock{reinterpret_cast<const void*>(block), static_cast<size_t>(header.size)});
        block = header.link;
    }
    return blocks;
}

void* BlockHeap::HandOut(uintptr_t block, uint64_t size, size_t n, const Rules& rules) {
    Poison(block, size);
    Store(block, Header{0, size});
    if (rules.keepCounters) {
        ++allocations_;
        bytesInUse_ += size;
    }
    Unpoison(block + kHeaderBytes, n);
    return reinterpret_cast<void*>(block + kHeaderBytes);
}

bool BlockHeap::TakeFromTop(uint64_t need, const Rules& rules) {
    const uintptr_t floor = Base() + rules.floorOffset;
    if (top_ < floor || need > top_ - floor) {
        return false;
    }
    const uintptr_t newTop = top_ - need;
    if (rules.commitPages) {
        // The unit holding the old top is committed already; the range's
        // base need not sit on a unit boundary, so stay inside it.
        const uintptr_t begin = std::max(RoundDownToUnit(newTop), Base());
        const uintptr_t end = RoundDownToUnit(top_);
        if (end > begin &&
            !platform::VirtualMemory::Current().Commit(reinterpret_cast<void*>(begin), end - begin)) {
            return false;
        }
    }
    top_ = newTop;
    return true;
}

void BlockHeap::ReturnToTop(uintptr_t block, uint64_t size, uintptr_t predecessor, const Rules& rules) {
    if (rules.commitPages) {
        const uintptr_t begin = RoundUpToUnit(block);
        const uintptr_t end = RoundDownToUnit(block + size);
        if (end > begin) {
            // A failed decommit only leaves the pages backed.
            platform::VirtualMemory::Current().Decommit(reinterpret_cast<void*>(begin), end - begin);
        }
    }
    top_ = block + size;
    SetLink(predecessor, 0);
}

void BlockHeap::SetLink(uintptr_t predecessor, uintptr_t next) {
    if (predecessor == 0) {
        freeHead_ = next;
        return;
    }
    Header header = Load(predecessor);
    header.link = next;
    Store(predecessor, header);
}
