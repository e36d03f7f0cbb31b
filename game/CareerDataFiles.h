#pragma once
#include <cstdint>

#include "engine/IffFile.h"

// The data files a saved career's items and ships are rebuilt from ("temp.iff"
// of the data directory, the hulls of the option directory), each opened on
// first use: a save without them opens nothing. Null when a file cannot be
// opened or the directories are not found.
class CareerDataFiles {
public:
    explicit CareerDataFiles(int32_t difficulty) : difficulty_(difficulty) {}
    ~CareerDataFiles();
    CareerDataFiles(const CareerDataFiles&) = delete;
    CareerDataFiles& operator=(const CareerDataFiles&) = delete;

    IffFile* Definitions();
    IffFile* Hulls();
    int32_t Difficulty() const { return difficulty_; }

private:
    IffFile definitions_{0};
    IffFile hulls_{0};
    int8_t definitionsState_ = 0;   // 0 not tried, 1 open, -1 failed
    int8_t hullsState_ = 0;
    int32_t difficulty_;
};
