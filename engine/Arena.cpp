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
    return arena;
}

void* Arena::Alloc(size_t n) {
    Arena* last = this;
    for (Arena* block = this; block != nullptr; block = block->next_) {
        if (void* const bytes = block->Bump(n)) {
            return bytes;
        }
        last = block;
    }
    // One header and the byte `end` stands on come on top of the request.
    if (n > SIZE_MAX - (kHeaderBytes + 1)) {
        return nullptr;
    }
    const size_t size = std::max<size_t>(n + kHeaderBytes + 1, last->blockSize_);
    void* const block = EngineHeap::Alloc(size);
    if (block == nullptr) {
        return nullptr;
    }
    Arena* const chained = Init(block, size);
    last->next_ = chained;
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
}

void Arena::Reset() {
    for (Arena* block = this; block != nullptr; block = block->next_) {
        block->cursor_ = reinterpret_cast<uint8_t*>(block) + kHeaderBytes;
    }
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
