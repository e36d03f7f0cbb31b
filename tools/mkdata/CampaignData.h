#pragma once
#include "engine/Status.h"

// "training.uli": the player's wing alone, no hostile craft. Its first load
// brings a welcome e-mail with a face, a news item, a news item held back
// until a mission is accepted, a log entry, a voice message and the offer
// "Training Flight" of this same file; a won flight brings a debriefing, a
// log entry, an award of kTrainingAward credits and trophy bit 8, and the
// offer "Raider Strike" of "strike.uli".
inline constexpr const char* kTrainingMissionFile = "training.uli";
inline constexpr int32_t kTrainingAward = 5000;
inline constexpr uint32_t kTrainingTrophy = 0x100;
Status WriteTrainingMission(const char* path);

// "strike.uli": two raiders against the player's wing.
inline constexpr const char* kStrikeMissionFile = "strike.uli";
Status WriteStrikeMission(const char* path);
