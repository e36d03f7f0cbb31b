#include "engine/Arena.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

#include "engine/EngineHeap.h"

Arena* Arena::Init(void* block, size_t size) {
    assert(size >= kHeaderBytes);
    Arena* const arena = ::new (block) Arena;
    arena->next_ = nullptr;
    arena->cursor_ = static_cast<uint8_t*>(block) + kHeaderBytes;
    arena->end_ = static_cast<uint8_t*>(block) + size - 1;
    arena->blockSize_ = size;
    arena->ForgetRoom();
    return arena;
}

void Arena::ForgetRoom() {
    std::fill_n(skipSize_, kSkips, 0u);
    std::fill_n(skipFrom_, kSkips, this);
    nextSkip_ = 0;
}

void Arena::KeepSkip(size_t size, Arena* from) {
    if (size == 0 || size > UINT32_MAX) return;
    skipSize_[nextSkip_] = uint32_t(size);
    skipFrom_[nextSkip_] = from;
    nextSkip_ = (nextSkip_ + 1) % kSkips;
}

void* Arena::Alloc(size_t n) {
    // The kept size nearest under n gives the first block that may have room.
    int32_t best = -1;
    for (int32_t k = 0; k < kSkips; ++k) {
        if (skipSize_[k] != 0 && skipSize_[k] <= n && (best < 0 || skipSize_[k] > skipSize_[best])) best = k;
    }
    const bool kept = best >= 0 && skipSize_[best] == n;
    Arena* block = best < 0 ? this : skipFrom_[best];
    Arena* last = block;
    for (; block != nullptr; block = block->next_) {
        if (void* const bytes = block->Bump(n)) {
            // Every block passed had less room than n.
            if (!kept) KeepSkip(n, block);
            return bytes;
        }
        const size_t room = block->Room();
        for (int32_t k = 0; k < kSkips; ++k) {
            if (skipFrom_[k] == block && room < skipSize_[k] && block->next_ != nullptr) skipFrom_[k] = block->next_;
        }
        last = block;
    }
    // One header and the byte `end` stands on come on top of the request.
    if (n > SIZE_MAX - (kHeaderBytes + 1)) {
        return nullptr;
    }
    const size_t size = std::max<size_t>(n + kHeaderBytes + 1, last->blockSize_);
    void* const bytes = EngineHeap::Alloc(size);
    if (bytes == nullptr) {
        return nullptr;
    }
    Arena* const chained = Init(bytes, size);
    last->next_ = chained;
    for (int32_t k = 0; k < kSkips; ++k) {
        if (skipFrom_[k] == last && last->Room() < skipSize_[k]) skipFrom_[k] = chained;
    }
    if (!kept) KeepSkip(n, chained);
    return chained->Bump(n);
}

void* Arena::AllocZeroed(size_t n) {
    void* const bytes = Alloc(n);
    if (bytes != nullptr) {
        std::memset(bytes, 0, n);
    }
    return bytes;
}

void Arena::FreeAll() {
    for (Arena* block = next_; block != nullptr;) {
        Arena* const following = block->next_;
        void* released = block;
        EngineHeap::Free(&released);
        block = following;
    }
    next_ = nullptr;
    cursor_ = reinterpret_cast<uint8_t*>(this) + kHeaderBytes;
    ForgetRoom();
}

void Arena::Reset() {
    for (Arena* block = this; block != nullptr; block = block->next_) {
        block->cursor_ = reinterpret_cast<uint8_t*>(block) + kHeaderBytes;
    }
    ForgetRoom();
}

int32_t Arena::ChainLength() const {
    int32_t length = 0;
    for (const Arena* block = next_; block != nullptr; block = block->next_) {
        ++length;
    }
    return length;
}

void* Arena::AllocInline(size_t n) {
    if (void* const bytes = Bump(n)) {
        return bytes;
    }
    return Alloc(n);
}

// Room means cursor + n stays at or below `end`.
void* Arena::Bump(size_t n) {
    if (cursor_ > end_ || n > static_cast<size_t>(end_ - cursor_)) {
        return nullptr;
    }
    void* const bytes = cursor_;
    cursor_ += n;
    return bytes;
}
