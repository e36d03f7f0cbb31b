#include "engine/BlockHeap.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/VirtualMemory.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

struct Header {
    uintptr_t link;  // 0 while handed out; a free header-only block's next lower one
    uint64_t size;   // bytes including the header
};
static_assert(sizeof(Header) == BlockHeap::kHeaderBytes);

// A free block of 32 bytes or more is a node of the tree of free blocks:
// the offsets of its children, its size with the node's priority in the top
// 16 bits, and the largest size in each child's subtree, so that a descent
// decides where to go from the node alone. Offsets count 16-byte units down
// from the range's end, which keeps them to 32 bits while the heap spans
// less than 64 GB; 0 is no child.
struct Node {
    uint32_t left;      // lower addresses
    uint32_t right;     // higher addresses
    uint64_t sizeWord;
    uint64_t leftLargest;
    uint64_t rightLargest;
};
static_assert(sizeof(Node) == 32);
constexpr uint64_t kNodeBytes = sizeof(Node);
constexpr uint64_t kTinyBytes = BlockHeap::kHeaderBytes;
constexpr int kPriorityShift = 48;
constexpr uint64_t kSizeMask = (uint64_t{1} << kPriorityShift) - 1;
constexpr uint64_t kLargestSpan = uint64_t{0xFFFFFFFF} << 4;

uint64_t SizeOf(const Node& node) { return node.sizeWord & kSizeMask; }
uint64_t PriorityOf(const Node& node) { return node.sizeWord >> kPriorityShift; }
uint64_t LargestOf(const Node& node) { return std::max({SizeOf(node), node.leftLargest, node.rightLargest}); }
void SetSize(Node& node, uint64_t size) { node.sizeWord = (node.sizeWord & ~kSizeMask) | size; }
// A priority for a new node from its address: spread, and the same in every
// run with the same addresses. It stays with the node when a merge moves it.
uint64_t NewSizeWord(uintptr_t block, uint64_t size) {
    return (((uint64_t(block) >> 4) * 0x9E3779B97F4A7C15ull) & ~kSizeMask) | size;
}
bool SameNode(const Node& a, const Node& b) {
    return a.left == b.left && a.right == b.right && a.sizeWord == b.sizeWord && a.leftLargest == b.leftLargest &&
           a.rightLargest == b.rightLargest;
}

// Under AddressSanitizer everything in the range that no caller owns is
// poisoned: headers, padding after the requested bytes, free blocks. The heap
// lifts the poison only around its own reads and writes of a header or node.
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
Record Load(uintptr_t block) {
    Unpoison(block, sizeof(Record));
    Record record;
    std::memcpy(&record, reinterpret_cast<const void*>(block), sizeof record);
    Poison(block, sizeof(Record));
    return record;
}

template <typename Record>
void Store(uintptr_t block, const Record& record) {
    Unpoison(block, sizeof(Record));
    std::memcpy(reinterpret_cast<void*>(block), &record, sizeof record);
    Poison(block, sizeof(Record));
}

// A subtree: its root's address (0 for none) and the largest size in it.
struct Sub {
    uintptr_t root;
    uint64_t largest;
};

// What TakeFit took: the block handed out, its size, and the size of the
// free block it came from.
struct Taken {
    uintptr_t block = 0;
    uint64_t size = 0;
};

// Returning a block of 32 bytes or more to the tree, merged with the free
// blocks that touch it, in one descent: the search path for the block
// passes through both of its neighbours in address order, and what the
// merge changes is done on the way back up.
struct Release {
    uintptr_t block;
    uint64_t size;
    uintptr_t lower = 0;       // the nearest free block below, while descending
    uint64_t lowerSize = 0;
    uintptr_t upper = 0;       // the nearest free block above
    uint64_t upperSize = 0;
    bool mergeLower = false;   // decided at the bottom
    bool mergeUpper = false;
    uint64_t merged = 0;       // the size of the block that results
};

// The tree of free blocks: a search tree by address that is a max-heap by
// priority (a treap), so its expected depth is logarithmic. Every function
// that changes a subtree returns its new root and largest size; a node is
// written only when it changed.
class FreeTree {
public:
    explicit FreeTree(uintptr_t end) : reference_(end & ~uintptr_t{15}) {}

    uint32_t OffsetOf(uintptr_t block) const { return block != 0 ? uint32_t((reference_ - block) >> 4) : 0; }
    uintptr_t Left(const Node& node) const { return At(node.left); }
    uintptr_t Right(const Node& node) const { return At(node.right); }

    uint64_t LargestAt(uintptr_t tree) const { return tree != 0 ? LargestOf(Load<Node>(tree)) : 0; }

    Sub Leaf(uintptr_t block, uint64_t sizeWord) const {
        const Node node{0, 0, sizeWord, 0, 0};
        Store(block, node);
        return {block, SizeOf(node)};
    }

    // Parts of `tree` below `key` and at or above it.
    std::pair<Sub, Sub> Split(uintptr_t tree, uintptr_t key) const {
        if (tree == 0) return {{0, 0}, {0, 0}};
        Node node = Load<Node>(tree);
        if (tree < key) {
            const auto [low, high] = Split(Right(node), key);
            SetRight(node, low);
            Store(tree, node);
            return {{tree, LargestOf(node)}, high};
        }
        const auto [low, high] = Split(Left(node), key);
        SetLeft(node, high);
        Store(tree, node);
        return {low, {tree, LargestOf(node)}};
    }

    // Every address of `low` lies below every address of `high`.
    Sub Join(Sub low, Sub high) const {
        if (low.root == 0) return high;
        if (high.root == 0) return low;
        Node lowNode = Load<Node>(low.root);
        Node highNode = Load<Node>(high.root);
        if (PriorityOf(lowNode) > PriorityOf(highNode)) {
            SetRight(lowNode, Join({Right(lowNode), lowNode.rightLargest}, high));
            Store(low.root, lowNode);
            return {low.root, LargestOf(lowNode)};
        }
        SetLeft(highNode, Join(low, {Left(highNode), highNode.leftLargest}));
        Store(high.root, highNode);
        return {high.root, LargestOf(highNode)};
    }

    Sub JoinChildren(const Node& node) const {
        return Join({Left(node), node.leftLargest}, {Right(node), node.rightLargest});
    }

    // Adds a node for a block no free block touches.
    Sub Insert(uintptr_t tree, uintptr_t block, uint64_t sizeWord) const {
        if (tree == 0) return Leaf(block, sizeWord);
        const Node before = Load<Node>(tree);
        if ((sizeWord >> kPriorityShift) > PriorityOf(before)) {
            const auto [low, high] = Split(tree, block);
            Node node{OffsetOf(low.root), OffsetOf(high.root), sizeWord, low.largest, high.largest};
            Store(block, node);
            return {block, LargestOf(node)};
        }
        Node node = before;
        if (block < tree) {
            SetLeft(node, Insert(Left(node), block, sizeWord));
        } else {
            SetRight(node, Insert(Right(node), block, sizeWord));
        }
        return Kept(tree, before, node);
    }

    Sub Erase(uintptr_t tree, uintptr_t block) const {
        const Node before = Load<Node>(tree);
        if (tree == block) return JoinChildren(before);
        Node node = before;
        if (block < tree) {
            SetLeft(node, Erase(Left(node), block));
        } else {
            SetRight(node, Erase(Right(node), block));
        }
        return Kept(tree, before, node);
    }

    Sub Resize(uintptr_t tree, uintptr_t block, uint64_t size) const {
        const Node before = Load<Node>(tree);
        Node node = before;
        if (tree == block) {
            SetSize(node, size);
        } else if (block < tree) {
            SetLeft(node, Resize(Left(node), block, size));
        } else {
            SetRight(node, Resize(Right(node), block, size));
        }
        return Kept(tree, before, node);
    }

    // The highest address below `key`, and the lowest above it.
    uintptr_t Below(uintptr_t tree, uintptr_t key) const {
        uintptr_t found = 0;
        while (tree != 0) {
            const Node node = Load<Node>(tree);
            if (tree < key) {
                found = tree;
                tree = Right(node);
            } else {
                tree = Left(node);
            }
        }
        return found;
    }

    uintptr_t Above(uintptr_t tree, uintptr_t key) const {
        uintptr_t found = 0;
        while (tree != 0) {
            const Node node = Load<Node>(tree);
            if (tree > key) {
                found = tree;
                tree = Left(node);
            } else {
                tree = Right(node);
            }
        }
        return found;
    }

    // The block of the highest address holding at least `need` bytes.
    uintptr_t HighestFit(uintptr_t tree, uint64_t need) const {
        while (tree != 0) {
            const Node node = Load<Node>(tree);
            if (node.rightLargest >= need) {
                tree = Right(node);
            } else if (SizeOf(node) >= need) {
                return tree;
            } else if (node.leftLargest >= need) {
                tree = Left(node);
            } else {
                return 0;
            }
        }
        return 0;
    }

    // Takes `need` bytes from the free block of the highest address that
    // holds them (the tree's largest size must be at least `need`): the
    // whole block when no more than 32 bytes would be left, else its upper
    // part, the lower part staying free where it is.
    Sub TakeFit(uintptr_t tree, uint64_t need, Taken* taken) const {
        const Node before = Load<Node>(tree);
        Node node = before;
        if (node.rightLargest >= need) {
            SetRight(node, TakeFit(Right(node), need, taken));
            return Kept(tree, before, node);
        }
        const uint64_t size = SizeOf(node);
        if (size >= need) {
            if (size <= need + 32) {
                *taken = {tree, size};
                return JoinChildren(node);
            }
            *taken = {tree + size - need, need};
            SetSize(node, size - need);
            return Kept(tree, before, node);
        }
        SetLeft(node, TakeFit(Left(node), need, taken));
        return Kept(tree, before, node);
    }

    Sub ReturnBlock(uintptr_t tree, Release* r) const {
        if (tree == 0) {
            r->mergeLower = r->lower != 0 && r->lower + r->lowerSize == r->block;
            r->mergeUpper = r->upper != 0 && r->block + r->size == r->upper;
            r->merged = r->size + (r->mergeLower ? r->lowerSize : 0) + (r->mergeUpper ? r->upperSize : 0);
            if (r->mergeLower || r->mergeUpper) return {0, 0};
            return Leaf(r->block, NewSizeWord(r->block, r->size));
        }
        const Node before = Load<Node>(tree);
        Node node = before;
        const bool goLeft = r->block < tree;
        if (goLeft) {
            r->upper = tree;
            r->upperSize = SizeOf(node);
            SetLeft(node, ReturnBlock(Left(node), r));
        } else {
            r->lower = tree;
            r->lowerSize = SizeOf(node);
            SetRight(node, ReturnBlock(Right(node), r));
        }
        if (tree == r->upper && r->mergeUpper) {
            if (r->mergeLower) return JoinChildren(node);
            // The upper block moves down to start at the freed one: nothing
            // lies between them, so the order holds.
            SetSize(node, r->merged);
            Store(r->block, node);
            return {r->block, LargestOf(node)};
        }
        if (tree == r->lower && r->mergeLower) {
            SetSize(node, r->merged);
        } else if (!r->mergeLower && !r->mergeUpper && (goLeft ? Left(node) : Right(node)) == r->block) {
            // The new node rises above parents of lower priority.
            Node fresh = Load<Node>(r->block);
            if (PriorityOf(fresh) > PriorityOf(node)) {
                if (goLeft) {
                    node.left = fresh.right;
                    node.leftLargest = fresh.rightLargest;
                    Store(tree, node);
                    SetRight(fresh, {tree, LargestOf(node)});
                } else {
                    node.right = fresh.left;
                    node.rightLargest = fresh.leftLargest;
                    Store(tree, node);
                    SetLeft(fresh, {tree, LargestOf(node)});
                }
                Store(r->block, fresh);
                return {r->block, LargestOf(fresh)};
            }
        }
        return Kept(tree, before, node);
    }

    // Highest address first.
    void Collect(uintptr_t tree, std::vector<FreeBlock>* out) const {
        if (tree == 0) return;
        const Node node = Load<Node>(tree);
        Collect(Right(node), out);
        out->push_back(FreeBlock{reinterpret_cast<const void*>(tree), static_cast<size_t>(SizeOf(node))});
        Collect(Left(node), out);
    }

private:
    uintptr_t At(uint32_t offset) const { return offset != 0 ? reference_ - (uintptr_t(offset) << 4) : 0; }
    void SetLeft(Node& node, Sub sub) const {
        node.left = OffsetOf(sub.root);
        node.leftLargest = sub.largest;
    }
    void SetRight(Node& node, Sub sub) const {
        node.right = OffsetOf(sub.root);
        node.rightLargest = sub.largest;
    }
    Sub Kept(uintptr_t tree, const Node& before, const Node& node) const {
        if (!SameNode(before, node)) Store(tree, node);
        return {tree, LargestOf(node)};
    }

    uintptr_t reference_;  // 16-byte aligned, above every block
};

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
    root_ = 0;
    tinyHead_ = 0;
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
    // First fit from the highest address down. Header-only blocks are few
    // and only fit header-only requests: with one waiting, such a request
    // takes the slow way, comparing both kinds.
    if (need <= kTinyBytes && tinyHead_ != 0) {
        const uintptr_t block = HighestFit(need);
        const uint64_t size = FreeSize(block);
        // A remainder of 32 bytes or less is not worth a block of its own.
        if (size <= need + 32) {
            RemoveFree(block, size);
            return HandOut(block, size, n, rules);
        }
        root_ = FreeTree(End()).Resize(root_, block, size - need).root;
        return HandOut(block + size - need, need, n, rules);
    }
    const FreeTree tree(End());
    if (root_ != 0 && tree.LargestAt(root_) >= need) {
        Taken taken;
        root_ = tree.TakeFit(root_, need, &taken).root;
        return HandOut(taken.block, taken.size, n, rules);
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
    const uint64_t size = Load<Header>(block).size;
    Poison(block + kHeaderBytes, size - kHeaderBytes);
    if (rules.keepCounters) {
        bytesInUse_ -= size;
        ++frees_;
    }

    if (tinyHead_ == 0 && size >= kNodeBytes && block != top_) {
        Release release{block, size};
        root_ = FreeTree(End()).ReturnBlock(root_, &release).root;
        *pp = nullptr;
        return;
    }

    // The general way: a header-only block on either side or in the middle,
    // or the top.
    uint64_t merged = size;
    if (const uintptr_t lower = FreeBlockEndingAt(block); lower != 0) {
        const uint64_t lowerSize = FreeSize(lower);
        RemoveFree(lower, lowerSize);
        block = lower;
        merged += lowerSize;
    }
    if (const uintptr_t upper = FreeBlockStartingAt(block + merged); upper != 0) {
        const uint64_t upperSize = FreeSize(upper);
        RemoveFree(upper, upperSize);
        merged += upperSize;
    }
    if (block == top_) {
        ReturnToTop(block, merged, rules);
    } else {
        AddFree(block, merged);
    }
    *pp = nullptr;
}

std::vector<FreeBlock> BlockHeap::FreeBlocks() const {
    std::vector<FreeBlock> nodes;
    FreeTree(End()).Collect(root_, &nodes);
    std::vector<FreeBlock> blocks;
    blocks.reserve(nodes.size());
    size_t next = 0;
    for (uintptr_t tiny = tinyHead_; tiny != 0; tiny = Load<Header>(tiny).link) {
        while (next < nodes.size() && reinterpret_cast<uintptr_t>(nodes[next].address) > tiny) {
            blocks.push_back(nodes[next++]);
        }
        blocks.push_back(FreeBlock{reinterpret_cast<const void*>(tiny), static_cast<size_t>(kTinyBytes)});
    }
    blocks.insert(blocks.end(), nodes.begin() + static_cast<std::ptrdiff_t>(next), nodes.end());
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
    // The tree's offsets reach 64 GB below the end of the range.
    if ((End() & ~uintptr_t{15}) - newTop > kLargestSpan) {
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

uintptr_t BlockHeap::HighestFit(uint64_t need) const {
    uintptr_t found = FreeTree(End()).HighestFit(root_, need);
    // Header-only blocks fit only header-only requests.
    if (need <= kTinyBytes && tinyHead_ > found) found = tinyHead_;
    return found;
}

uintptr_t BlockHeap::FreeBlockEndingAt(uintptr_t address) const {
    if (tinyHead_ != 0) {
        for (uintptr_t tiny = tinyHead_; tiny != 0 && tiny + kTinyBytes >= address; tiny = Load<Header>(tiny).link) {
            if (tiny + kTinyBytes == address) return tiny;
        }
    }
    const uintptr_t below = FreeTree(End()).Below(root_, address);
    return below != 0 && below + FreeSize(below) == address ? below : 0;
}

uintptr_t BlockHeap::FreeBlockStartingAt(uintptr_t address) const {
    for (uintptr_t tiny = tinyHead_; tiny != 0 && tiny >= address; tiny = Load<Header>(tiny).link) {
        if (tiny == address) return tiny;
    }
    const uintptr_t above = FreeTree(End()).Above(root_, address - 1);
    return above == address ? above : 0;
}

void BlockHeap::AddFree(uintptr_t block, uint64_t size) {
    if (size >= kNodeBytes) {
        root_ = FreeTree(End()).Insert(root_, block, NewSizeWord(block, size)).root;
        return;
    }
    // The tiny list runs downward from its head.
    uintptr_t higher = 0;
    uintptr_t lower = tinyHead_;
    while (lower != 0 && lower > block) {
        higher = lower;
        lower = Load<Header>(lower).link;
    }
    Store(block, Header{lower, size});
    if (higher == 0) {
        tinyHead_ = block;
    } else {
        Store(higher, Header{block, kTinyBytes});
    }
}

void BlockHeap::RemoveFree(uintptr_t block, uint64_t size) {
    if (size >= kNodeBytes) {
        root_ = FreeTree(End()).Erase(root_, block).root;
        return;
    }
    uintptr_t higher = 0;
    for (uintptr_t tiny = tinyHead_; tiny != 0; higher = tiny, tiny = Load<Header>(tiny).link) {
        if (tiny != block) continue;
        const uintptr_t next = Load<Header>(tiny).link;
        if (higher == 0) {
            tinyHead_ = next;
        } else {
            Store(higher, Header{next, kTinyBytes});
        }
        return;
    }
}

uint64_t BlockHeap::FreeSize(uintptr_t block) const {
    return Load<Header>(block).size & kSizeMask;
}
