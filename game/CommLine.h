#pragma once
#include <cstdint>
#include <string>

// One line of the radio's repertoire ("comm.iff"): what a ship may say,
// when, and with which voice sample.
struct CommLine {
    std::string text;
    int32_t displayTime = 0;
    int32_t when = 0;
    int32_t playerClass = 0;
    int32_t race = 0;
    int32_t shipClass = 0;
    int32_t voiceGender = 0;
    int32_t sideRule = 0;
    int32_t soundFlag = 0;
    int32_t weight = 0;
    int32_t usesLeft = 0;
    int32_t generic = 0;
    std::string keyword;
    std::string sample;
};
