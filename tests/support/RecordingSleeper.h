#pragma once
#include <cstdint>
#include <vector>

#include "platform/Sleeper.h"

// Keeps every pause asked for and returns at once.
class RecordingSleeper final : public platform::Sleeper {
public:
    void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }

    std::vector<uint32_t> sleeps;
};
