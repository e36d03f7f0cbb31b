#pragma once
#include <cstdint>
#include <cstdlib>

// Two words and an owned block of data (the network dispatch and the game
// settings pass these around); the block is the C runtime's.
struct DataBlock {
    DataBlock() = default;
    ~DataBlock() { std::free(data); }
    DataBlock(const DataBlock&) = delete;
    DataBlock& operator=(const DataBlock&) = delete;

    uint32_t words[2] = {};
    void* data = nullptr;
};
