#include "display/FogTables.h"

#include "display/InverseColorTable.h"
#include "engine/EngineAllocation.h"

namespace {

// Moves a channel toward the fog colour by the share of the fog range that
// the level has crossed.
int32_t Fade(int32_t channel, int32_t fog, int32_t level, int32_t startLevel, int32_t levels) {
    return channel + (fog - channel) * (level - startLevel) / (levels - startLevel);
}

template <typename Row>
bool Take(Row*& table, uint32_t bytes) {
    if (!table) table = static_cast<Row*>(EngineAllocate(bytes));
    return table != nullptr;
}

template <typename Row>
void Give(Row*& table) {
    EngineRelease(table);
    table = nullptr;
}

}  // namespace

uint16_t FogStartDepth(float start) {
    // A start outside the depth range would index past the tables' levels.
    if (!(start >= 0.0f)) start = 0.0f;
    if (start > 1.0f) start = 1.0f;
    return uint16_t(double(start) * 65535.0);
}

Status FogTables16::Build(const FogParams* fog) {
    startDepth = FogStartDepth(fog->start);
    const int32_t startLevel = startDepth >> 8;
    // Each missing table is asked for even when an earlier one failed, so a
    // later setting finds as many as could be had.
    const bool haveRed = Take(red, kTableBytes);
    const bool haveGreen = Take(green, kTableBytes);
    const bool haveBlue = Take(blue, kTableBytes);
    if (!haveRed || !haveGreen || !haveBlue) return kStatusOutOfMemory;
    const int32_t fogRed = fog->red >> 3, fogGreen = fog->green >> 3, fogBlue = fog->blue >> 3;
    for (int32_t level = 0; level < kLevels; ++level) {
        for (int32_t c = 0; c < kChannelValues; ++c) {
            if (level < startLevel) {
                red[level][c] = green[level][c] = blue[level][c] = uint8_t(c);
                continue;
            }
            red[level][c] = uint8_t(Fade(c, fogRed, level, startLevel, kLevels));
            green[level][c] = uint8_t(Fade(c, fogGreen, level, startLevel, kLevels));
            blue[level][c] = uint8_t(Fade(c, fogBlue, level, startLevel, kLevels));
        }
    }
    return kStatusOk;
}

void FogTables16::Free() {
    Give(red);
    Give(green);
    Give(blue);
}

Status FogTables8::Build(const FogParams* fog, const InverseColorTable& palette) {
    startDepth = FogStartDepth(fog->start);
    const int32_t startLevel = startDepth >> 9;
    if (!Take(table, kTableBytes)) return kStatusOutOfMemory;
    for (int32_t level = 0; level < kLevels; ++level) {
        for (int32_t i = 0; i < kIndices; ++i) {
            if (level < startLevel) {
                table[level][i] = uint8_t(i);
                continue;
            }
            const uint8_t* entry = palette.entries + 4 * i;
            table[level][i] = palette.Lookup(uint8_t(Fade(entry[0], fog->red, level, startLevel, kLevels)),
                                             uint8_t(Fade(entry[1], fog->green, level, startLevel, kLevels)),
                                             uint8_t(Fade(entry[2], fog->blue, level, startLevel, kLevels)));
        }
    }
    return kStatusOk;
}

void FogTables8::Free() {
    Give(table);
}
