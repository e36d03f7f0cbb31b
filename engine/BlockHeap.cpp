#include "engine/BlockHeap.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/VirtualMemory.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

struct Header {
    uint64_t link;  // 0 while handed out; the heap keeps no list through it
    uint64_t size;  // bytes including the header
};
static_assert(sizeof(Header) == BlockHeap::kHeaderBytes);

// The index counts in 16-byte units held in 31 bits (so that the vector
// compares may treat them as signed), and the part of the range in use stays
// below 32 GB.
constexpr uint64_t kLargestSpan = uint64_t{INT32_MAX} << 4;

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

template <typename Record>
Record Load(uintptr_t at) {
    Unpoison(at, sizeof(Record));
    Record record;
    std::memcpy(&record, reinterpret_cast<const void*>(at), sizeof record);
    Poison(at, sizeof(Record));
    return record;
}

template <typename Record>
void Store(uintptr_t at, const Record& record) {
    Unpoison(at, sizeof(Record));
    std::memcpy(reinterpret_cast<void*>(at), &record, sizeof record);
    Poison(at, sizeof(Record));
}

uint64_t SizeAt(uintptr_t block) { return Load<Header>(block).size; }

// A free block records its size in its header only. The block above it
// finds where it begins from the index's start marks instead of a copy in
// its last word: that copy cost a write to a cache line nothing else
// touched on most frees and carves.
void MarkFree(uintptr_t block, uint64_t size) { Store(block, Header{0, size}); }

uintptr_t RoundDownToUnit(uintptr_t address) { return address & ~(BlockHeap::kCommitUnit - 1); }
uintptr_t RoundUpToUnit(uintptr_t address) {
    return RoundDownToUnit(address + BlockHeap::kCommitUnit - 1);
}

}  // namespace

// The index of free blocks, in memory of its own beside the range. Units are
// 16 bytes counted down from the range's 16-byte-aligned end, so that the
// index only grows at its far end as the top falls. A region is 256 units
// (4 KB), one cache line of start and end marks; every region keeps the
// largest free block (in units) starting in it, and every level above keeps
// the largest (or a bound on it) of 16 below it, so a search for the
// highest fitting block descends from the top level to a region, usually
// along one path, and then reads at most the headers of that region's free
// blocks. The arrays are small next to the range they serve (a 200 MB heap
// has 3.2 MB of marks and 200 KB of region maxima), which keeps a freed
// block's bookkeeping to about one cache line besides its header.
//
// Its memory comes from the C runtime's heap: the engine heap cannot hold its
// own index, and a sub-heap's caller gave it no more than its block.
// Indexes are chained from one global list until their heap retires them.
// A sub-heap's memory may go away without Release (a frame that ends), and
// the chain keeps its index reachable; formatting the same memory again
// replaces that index.
struct BlockHeap::FreeIndex {
    static constexpr unsigned kRegionShift = 8;
    static constexpr unsigned kWords = 1u << (kRegionShift - 6);  // mark words per region
    static constexpr unsigned kFanShift = 4;
    static constexpr size_t kFan = size_t{1} << kFanShift;
    static constexpr int kMaxLevels = 10;

    // A region's marks fill one cache line, so that a freed block usually
    // finds both neighbours' marks in the line it reads.
    struct alignas(64) Marks {
        uint64_t starts[kWords];  // bit u % 64 of word u / 64 % kWords: a free block starts at unit u
        uint64_t ends[kWords];    // the same: a free block ends where unit u begins
    };

    FreeIndex* next;
    const void* owner;     // the control block it serves
    uintptr_t reference;   // the address unit 0 counts down from
    size_t regions;        // how many regions the arrays hold
    Marks* marks;          // one per region
    uint32_t* largest;     // every level, region maxima first
    int levels;
    size_t levelStart[kMaxLevels];

    static FreeIndex*& Chain() {
        static FreeIndex* head = nullptr;
        return head;
    }

    static FreeIndex* Create(const void* owner, uintptr_t reference) {
        auto* index = static_cast<FreeIndex*>(std::calloc(1, sizeof(FreeIndex)));
        if (index == nullptr) return nullptr;
        index->owner = owner;
        index->reference = reference;
        index->next = Chain();
        Chain() = index;
        return index;
    }

    static void Destroy(FreeIndex* index) {
        for (FreeIndex** link = &Chain(); *link != nullptr; link = &(*link)->next) {
            if (*link == index) {
                *link = index->next;
                break;
            }
        }
        std::free(index->marks);
        std::free(index->largest);
        std::free(index);
    }

    static void DestroyFor(const void* owner) {
        for (FreeIndex* index = Chain(); index != nullptr; index = index->next) {
            if (index->owner == owner) {
                Destroy(index);
                return;
            }
        }
    }

    uint64_t UnitOf(uintptr_t address) const { return (reference - address) >> 4; }
    uintptr_t AddressOf(uint64_t unit) const { return reference - (uintptr_t(unit) << 4); }

    uint64_t& StartWord(uint64_t unit) const { return marks[unit >> kRegionShift].starts[(unit >> 6) & (kWords - 1)]; }
    uint64_t& EndWord(uint64_t unit) const { return marks[unit >> kRegionShift].ends[(unit >> 6) & (kWords - 1)]; }
    static uint64_t Bit(uint64_t unit) { return uint64_t{1} << (unit & 63); }
    bool StartsAt(uint64_t unit) const { return (StartWord(unit) & Bit(unit)) != 0; }
    bool EndsAt(uint64_t unit) const { return (EndWord(unit) & Bit(unit)) != 0; }
    void SetStart(uint64_t unit) { StartWord(unit) |= Bit(unit); }
    void ClearStart(uint64_t unit) { StartWord(unit) &= ~Bit(unit); }
    void SetEnd(uint64_t unit) { EndWord(unit) |= Bit(unit); }
    void ClearEnd(uint64_t unit) { EndWord(unit) &= ~Bit(unit); }

    // The unit where the free block that ends at `unit` starts: the nearest
    // start mark at a lower address. Regions without a free block are
    // passed sixteen at a time where the level above says so; the marks
    // are only read where a block starts.
    uint64_t NextStartBelow(uint64_t unit) const {
        size_t region = unit >> kRegionShift;
        unsigned word = (unit >> 6) & (kWords - 1);
        uint64_t bits = marks[region].starts[word] & ~((Bit(unit) << 1) - 1);
        for (;;) {
            if (bits != 0) return (uint64_t(region) << kRegionShift) + word * 64 + unsigned(std::countr_zero(bits));
            if (++word == kWords) {
                word = 0;
                ++region;
                while (Level(0)[region] == 0) {
                    ++region;
                    if (levels > 1 && region % kFan == 0) {
                        while (Level(1)[region >> kFanShift] == 0) region += kFan;
                    }
                }
                assert(region < regions);
            }
            bits = marks[region].starts[word];
        }
    }

    // Calls visit(unit) for every free block starting in a region, highest
    // address first, until it returns true; whether one did.
    template <typename Visit>
    bool EachStart(size_t region, Visit visit) const {
        for (unsigned word = 0; word < kWords; ++word) {
            const uint64_t base = (uint64_t(region) << kRegionShift) + word * 64;
            for (uint64_t bits = marks[region].starts[word]; bits != 0; bits &= bits - 1) {
                if (visit(base + unsigned(std::countr_zero(bits)))) return true;
            }
        }
        return false;
    }

    uint32_t* Level(int level) { return largest + levelStart[level]; }
    const uint32_t* Level(int level) const { return largest + levelStart[level]; }

    // Starts the loads of a block's marks and region maximum while its
    // header is still on its way.
    void Prefetch(uintptr_t block) const {
        const uint64_t unit = UnitOf(block);
        __builtin_prefetch(&marks[unit >> kRegionShift]);
        __builtin_prefetch(&largest[unit >> kRegionShift]);
    }

    // Makes the arrays reach unit `unit`, growing them towards `lastUnit`,
    // the lowest the top can go; false, with nothing changed, when the
    // memory for that cannot be had.
    bool Cover(uint64_t unit, uint64_t lastUnit) {
        const size_t needed = size_t(unit >> kRegionShift) + 1;
        if (needed <= regions) return true;
        const size_t count =
            std::max(needed, std::min(std::max(regions * 2, size_t{16}), size_t(lastUnit >> kRegionShift) + 1));
        size_t sizes[kMaxLevels];
        size_t starts[kMaxLevels];
        int levelCount = 0;
        size_t total = 0;
        // Every level is padded to whole groups of kFan, so that a group can
        // be read whole; the last level is the single largest of all.
        for (size_t size = count;; size = (size + kFan - 1) >> kFanShift) {
            starts[levelCount] = total;
            sizes[levelCount] = size;
            total += (size + kFan - 1) & ~(kFan - 1);
            ++levelCount;
            if (size == 1) break;
        }
        auto* newLargest = static_cast<uint32_t*>(std::calloc(total, sizeof(uint32_t)));
        if (newLargest == nullptr) return false;
        auto* newMarks = static_cast<Marks*>(std::aligned_alloc(alignof(Marks), count * sizeof(Marks)));
        if (newMarks == nullptr) {
            std::free(newLargest);
            return false;
        }
        if (regions != 0) std::memcpy(newMarks, marks, regions * sizeof(Marks));
        std::memset(newMarks + regions, 0, (count - regions) * sizeof(Marks));
        std::free(marks);
        if (regions != 0) std::memcpy(newLargest, largest, regions * sizeof(uint32_t));
        for (int level = 1; level < levelCount; ++level) {
            const uint32_t* below = newLargest + starts[level - 1];
            uint32_t* here = newLargest + starts[level];
            for (size_t i = 0; i < sizes[level - 1]; ++i) {
                here[i >> kFanShift] = std::max(here[i >> kFanShift], below[i]);
            }
        }
        std::free(largest);
        marks = newMarks;
        largest = newLargest;
        regions = count;
        levels = levelCount;
        std::copy(starts, starts + levelCount, levelStart);
        return true;
    }

    // At least the largest free block, in units (see SetRegionLargest).
    uint64_t Largest() const { return regions != 0 ? Level(levels - 1)[0] : 0; }

    // Regions and the level above them are exact; every higher level keeps
    // a bound, at least the largest below it. A block that grows raises
    // the bounds at once. One that shrinks or goes corrects the level above
    // its region and leaves the higher bounds high, for the search to lower
    // when it finds one too high: the block an allocation carves is
    // usually the largest for a long way around, and correcting every
    // level would rescan a group at each.
    void SetRegionLargest(size_t region, uint32_t value) {
        uint32_t& exact = Level(0)[region];
        const uint32_t was = exact;
        exact = value;
        if (levels == 1) return;
        const size_t group = region >> kFanShift;
        uint32_t& parent = Level(1)[group];
        if (value < was) {
            if (parent == was) parent = GroupLargest(Level(0) + (group << kFanShift));
            return;
        }
        if (parent >= value) return;
        parent = value;
        size_t at = group;
        for (int level = 2; level < levels; ++level) {
            at >>= kFanShift;
            uint32_t& bound = Level(level)[at];
            if (bound >= value) return;
            bound = value;
        }
    }

    // The highest region holding a free block of at least `units` units,
    // or kNone. Walks down the bounds, highest address first; a node whose
    // group has nothing that large gets its bound lowered to the group's
    // largest, and the walk goes on with the next candidate, climbing when
    // a group's candidates are used up (their parent's bound was too high
    // as well).
    static constexpr size_t kNone = SIZE_MAX;
    size_t FindRegion(uint32_t units) {
        const int top = levels - 1;
        if (Level(top)[0] < units) return kNone;
        size_t first[kMaxLevels];
        uint32_t pending[kMaxLevels];
        int level = top;
        size_t node = 0;
        for (;;) {
            const int below = level - 1;
            const size_t group = node << kFanShift;
            const uint32_t fits = GroupFits(Level(below) + group, units);
            if (fits != 0) {
                first[below] = group;
                pending[below] = fits & (fits - 1);
                node = group + unsigned(std::countr_zero(fits));
                level = below;
                if (level == 0) return node;  // regions are exact
                continue;
            }
            Level(level)[node] = GroupLargest(Level(below) + group);
            for (;;) {
                if (level == top) return kNone;
                if (pending[level] != 0) {
                    node = first[level] + unsigned(std::countr_zero(pending[level]));
                    pending[level] &= pending[level] - 1;
                    break;
                }
                node = first[level] >> kFanShift;
                ++level;
                Level(level)[node] = GroupLargest(Level(level - 1) + first[level - 1]);
            }
        }
    }

    // The largest free block starting in a region, from the blocks' headers;
    // the block at unit `known`, if any, is `knownUnits` long and not read.
    uint32_t MeasureRegion(size_t region, uint64_t known = UINT64_MAX, uint64_t knownUnits = 0) const {
        uint64_t best = 0;
        EachStart(region, [&](uint64_t unit) {
            best = std::max(best, unit == known ? knownUnits : SizeAt(AddressOf(unit)) >> 4);
            return false;
        });
        return uint32_t(best);
    }

    void Add(uintptr_t block, uint64_t size) {
        MarkFree(block, size);
        const uint64_t unit = UnitOf(block);
        SetStart(unit);
        SetEnd(unit - (size >> 4));
        const size_t region = unit >> kRegionShift;
        if ((size >> 4) > Level(0)[region]) SetRegionLargest(region, uint32_t(size >> 4));
    }

    void Remove(uintptr_t block, uint64_t size) {
        const uint64_t unit = UnitOf(block);
        ClearStart(unit);
        ClearEnd(unit - (size >> 4));
        const size_t region = unit >> kRegionShift;
        if ((size >> 4) == Level(0)[region]) SetRegionLargest(region, MeasureRegion(region));
    }

    // The block keeps its start; only its end moves.
    void Resize(uintptr_t block, uint64_t oldSize, uint64_t newSize) {
        MarkFree(block, newSize);
        const uint64_t unit = UnitOf(block);
        ClearEnd(unit - (oldSize >> 4));
        SetEnd(unit - (newSize >> 4));
        const size_t region = unit >> kRegionShift;
        const uint32_t recorded = Level(0)[region];
        if ((newSize >> 4) > recorded) {
            SetRegionLargest(region, uint32_t(newSize >> 4));
        } else if ((oldSize >> 4) == recorded && newSize < oldSize) {
            SetRegionLargest(region, MeasureRegion(region, unit, newSize >> 4));
        }
    }

    // The largest of a group of kFan.
    static uint32_t GroupLargest(const uint32_t* group) {
#if defined(__SSE2__)
        // Sizes stay below 2^31 units, so the signed order is theirs.
        const auto larger = [](__m128i a, __m128i b) {
            const __m128i greater = _mm_cmpgt_epi32(a, b);
            return _mm_or_si128(_mm_and_si128(greater, a), _mm_andnot_si128(greater, b));
        };
        const auto* words = reinterpret_cast<const __m128i*>(group);
        __m128i best = larger(larger(_mm_loadu_si128(words), _mm_loadu_si128(words + 1)),
                              larger(_mm_loadu_si128(words + 2), _mm_loadu_si128(words + 3)));
        best = larger(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(1, 0, 3, 2)));
        best = larger(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(2, 3, 0, 1)));
        return uint32_t(_mm_cvtsi128_si32(best));
#else
        return *std::max_element(group, group + kFan);
#endif
    }

    // Bit i set when group[i] >= units (at least 1), for a group of kFan.
    static uint32_t GroupFits(const uint32_t* group, uint32_t units) {
#if defined(__SSE2__)
        const __m128i limit = _mm_set1_epi32(int32_t(units - 1));
        const auto* words = reinterpret_cast<const __m128i*>(group);
        const __m128i low = _mm_packs_epi32(_mm_cmpgt_epi32(_mm_loadu_si128(words), limit),
                                            _mm_cmpgt_epi32(_mm_loadu_si128(words + 1), limit));
        const __m128i high = _mm_packs_epi32(_mm_cmpgt_epi32(_mm_loadu_si128(words + 2), limit),
                                             _mm_cmpgt_epi32(_mm_loadu_si128(words + 3), limit));
        return uint32_t(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
#else
        uint32_t fits = 0;
        for (size_t i = 0; i < kFan; ++i) fits |= uint32_t(group[i] >= units) << i;
        return fits;
#endif
    }

    // The free block of the highest address holding at least `units`
    // units, with its size; {0, 0} when there is none.
    std::pair<uintptr_t, uint64_t> HighestFit(uint64_t units) {
        if (units > INT32_MAX) return {0, 0};
        const size_t at = FindRegion(uint32_t(units));
        if (at == kNone) return {0, 0};
        const Marks& region = marks[at];
        // One block alone: one word holds a single bit and the others none.
        unsigned words = 0;
        bool single = true;
        for (unsigned word = 0; word < kWords; ++word) {
            const uint64_t bits = region.starts[word];
            words += bits != 0;
            single = single && (bits & (bits - 1)) == 0;
        }
        std::pair<uintptr_t, uint64_t> found{0, 0};
        if (single && words == 1) {
            // The region's largest is its only block: no need to read it.
            EachStart(at, [&](uint64_t unit) {
                found = {AddressOf(unit), uint64_t(Level(0)[at]) << 4};
                return true;
            });
            return found;
        }
        const bool any = EachStart(at, [&](uint64_t unit) {
            const uint64_t size = SizeAt(AddressOf(unit));
            if (size < units << 4) return false;
            found = {AddressOf(unit), size};
            return true;
        });
        assert(any && "free-block index out of step with the headers");
        (void)any;
        return found;
    }

    // Highest address first.
    void Collect(std::vector<FreeBlock>* out) const {
        for (size_t region = 0; region < regions; ++region) {
            EachStart(region, [&](uint64_t unit) {
                const uintptr_t block = AddressOf(unit);
                out->push_back(FreeBlock{reinterpret_cast<const void*>(block), static_cast<size_t>(SizeAt(block))});
                return false;
            });
        }
    }
};

void BlockHeap::Format(size_t regionBytes) {
    assert(Base() % kHeaderBytes == 0);
    FreeIndex::DestroyFor(this);
    usableSize_ = regionBytes > kControlBytes + 1 ? regionBytes - (kControlBytes + 1) : 0;
    allocations_ = 0;
    frees_ = 0;
    bytesInUse_ = 0;
    index_ = nullptr;
    freeBlocks_ = 0;
    top_ = (Base() + regionBytes - kHeaderBytes) & ~uintptr_t{kHeaderBytes - 1};
    if (regionBytes >= kControlBytes + kHeaderBytes) {
        Poison(top_, Base() + regionBytes - top_);  // catches overruns of the highest block
    }
}

void BlockHeap::Retire(const void* lowest) {
    if (index_ != nullptr) {
        FreeIndex::Destroy(index_);
        index_ = nullptr;
        freeBlocks_ = 0;
    }
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
    if (freeBlocks_ != 0 && index_->Largest() >= need >> 4) {
        if (const auto [block, size] = index_->HighestFit(need >> 4); block != 0) {
            // A remainder of 32 bytes or less is not worth a block of its own.
            if (size <= need + 32) {
                index_->Remove(block, size);
                --freeBlocks_;
                return HandOut(block, size, n, rules);
            }
            index_->Resize(block, size, size - need);
            return HandOut(block + size - need, need, n, rules);
        }
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
    const uintptr_t block = reinterpret_cast<uintptr_t>(*pp) - kHeaderBytes;
    assert(block >= top_ && block < End() && block % kHeaderBytes == 0 && index_ != nullptr);
    index_->Prefetch(block);
    const uint64_t size = SizeAt(block);
    Poison(block + kHeaderBytes, size - kHeaderBytes);
    if (rules.keepCounters) {
        bytesInUse_ -= size;
        ++frees_;
    }
    *pp = nullptr;

    uint64_t merged = size;
    const uint64_t unit = index_->UnitOf(block);
    if (index_->StartsAt(unit - (size >> 4))) {
        const uint64_t upperSize = SizeAt(block + size);
        index_->Remove(block + size, upperSize);
        --freeBlocks_;
        merged += upperSize;
    }
    if (index_->EndsAt(unit)) {
        const uintptr_t lower = index_->AddressOf(index_->NextStartBelow(unit));
        const uint64_t lowerSize = SizeAt(lower);
        index_->Resize(lower, lowerSize, lowerSize + merged);
    } else if (block == top_) {
        ReturnToTop(block, merged, rules);
    } else {
        index_->Add(block, merged);
        ++freeBlocks_;
    }
}

std::vector<FreeBlock> BlockHeap::FreeBlocks() const {
    std::vector<FreeBlock> blocks;
    if (index_ != nullptr) {
        blocks.reserve(freeBlocks_);
        index_->Collect(&blocks);
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
    const uintptr_t reference = End() & ~uintptr_t{15};
    if (reference - newTop > kLargestSpan) {
        return false;
    }
    // Without room to mark the new block's neighbours there is no block.
    if (index_ == nullptr) {
        index_ = FreeIndex::Create(this, reference);
        if (index_ == nullptr) return false;
    }
    if (!index_->Cover(index_->UnitOf(newTop), index_->UnitOf(floor))) {
        return false;
    }
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

void BlockHeap::ReturnToTop(uintptr_t block, uint64_t size, const Rules& rules) {
    if (rules.commitPages) {
        const uintptr_t begin = RoundUpToUnit(block);
        const uintptr_t end = RoundDownToUnit(block + size);
        if (end > begin) {
            // A failed decommit only leaves the pages backed.
            platform::VirtualMemory::Current().Decommit(reinterpret_cast<void*>(begin), end - begin);
        }
    }
    top_ = block + size;
}
