#pragma once
#include <cstdint>

#include "engine/Status.h"

// "training.uli": the player's wing alone, no hostile craft. The flight
// goes out to the buoy kTrainingBeacon, 1200 units straight ahead, and back
// to the way point kTrainingHome at the start, all within kTrainingTimeMs
// of the mission clock; a ship that idles fails. Its first load brings a
// welcome e-mail with a face, a news item, a news item held back until a
// mission is accepted, a log entry, a voice message and the offer
// "Training Flight" of this same file; a won flight brings a debriefing, a
// log entry, an award of kTrainingAward credits and trophy bit 8, and the
// offer "Raider Strike" of "strike.uli"; a failed one the e-mail "Training
// Incomplete" and the training offered again.
inline constexpr const char* kTrainingMissionFile = "training.uli";
inline constexpr const char* kTrainingBeacon = "Outer Beacon";
inline constexpr const char* kTrainingHome = "Home";
inline constexpr uint32_t kTrainingTimeMs = 90000;
inline constexpr int32_t kTrainingAward = 5000;
inline constexpr uint32_t kTrainingTrophy = 0x100;
Status WriteTrainingMission(const char* path);

// "strike.uli": two raiders of the wing "Red" near a beacon, against the
// player and the wingman kStrikeWingman; won once both raiders are
// destroyed while the wingman keeps kStrikeWingmanHull per cent of its
// hull or more, failed when it falls below.
inline constexpr const char* kStrikeMissionFile = "strike.uli";
inline constexpr const char* kStrikeWingman = "Alpha 2";
inline constexpr int32_t kStrikeWingmanHull = 25;
Status WriteStrikeMission(const char* path);
