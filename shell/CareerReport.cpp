#include "shell/CareerReport.h"

#include <cstdio>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "screens/rooms/MissionsScreen.h"
#include "ui/ListBox.h"
#include "ui/TextBlock.h"

void PrintCareerReport(const GameState& game) {
    if (game.career == nullptr) return;
    const CareerRecord& career = *game.career;
    const auto* const reader = dynamic_cast<const MissionsScreen*>(game.ScreenIn(ScreenSlot::kMissions));
    std::printf("Career: missions flown %d, credits %d, trophies 0x%04X, accepted row %d, offers", career.missions,
                career.funds, unsigned(career.trophies), reader != nullptr ? reader->acceptedRow : -1);
    ListBox* const list = reader != nullptr ? reader->List(reader->newPage) : nullptr;
    const TextBlock* const rows = list != nullptr ? list->GetBlock(0) : nullptr;
    if (rows == nullptr || rows->lines.empty()) std::printf(" none");
    if (rows != nullptr) {
        for (const std::string& title : rows->lines) std::printf(" \"%s\"", title.c_str());
    }
    std::printf("\n");
    std::fflush(stdout);
}
