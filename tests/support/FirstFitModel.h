#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

// The heap as a walk down an address-ordered free list would run it: the
// free block of the highest address that fits, split when more than 32
// bytes would be left (the caller gets the upper part), merged with free
// neighbours on release, and given back to the top when it reaches it.
class FirstFitModel {
public:
    FirstFitModel(uintptr_t top, uintptr_t floor) : top_(top), floor_(floor) {}

    uintptr_t Alloc(size_t n) {
        const uint64_t need = (uint64_t(n) + 31) & ~uint64_t{15};
        for (auto it = free_.rbegin(); it != free_.rend(); ++it) {
            const auto [block, size] = *it;
            if (size < need) continue;
            if (size <= need + 32) {
                free_.erase(block);
                sizes_[block] = size;
                return block;
            }
            it->second = size - need;
            sizes_[block + size - need] = need;
            return block + size - need;
        }
        if (top_ < floor_ || need > top_ - floor_) return 0;
        top_ -= need;
        sizes_[top_] = need;
        return top_;
    }

    void Free(uintptr_t block) {
        uint64_t size = sizes_.at(block);
        sizes_.erase(block);
        auto above = free_.find(block + size);
        if (above != free_.end()) {
            size += above->second;
            free_.erase(above);
        }
        auto below = free_.lower_bound(block);
        if (below != free_.begin() && std::prev(below)->first + std::prev(below)->second == block) {
            --below;
            block = below->first;
            size += below->second;
            free_.erase(below);
        }
        if (block == top_) {
            top_ += size;
        } else {
            free_[block] = size;
        }
    }

    std::vector<std::pair<uintptr_t, size_t>> FreeBlocks() const {
        std::vector<std::pair<uintptr_t, size_t>> blocks;
        for (auto it = free_.rbegin(); it != free_.rend(); ++it) blocks.emplace_back(it->first, size_t(it->second));
        return blocks;
    }
    uintptr_t Top() const { return top_; }

private:
    std::map<uintptr_t, uint64_t> free_;
    std::map<uintptr_t, uint64_t> sizes_;  // blocks handed out
    uintptr_t top_;
    uintptr_t floor_;
};
