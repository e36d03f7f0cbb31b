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

// The campaign after the training: each mission's won flight brings a
// debriefing e-mail, a log entry, its award (credits and a trophy bit) and
// the next mission's offer, whose text is that mission's briefing; a lost
// flight brings an e-mail saying so and the same mission offered again.
// The last mission's won flight tells the campaign's end instead, by an
// e-mail that arrives only with all four campaign trophies held, and a
// news item.

// "strike.uli": two raiders of the wing "Red" near a beacon, against the
// player and the wingman kStrikeWingman; won once both raiders are
// destroyed while the wingman keeps kStrikeWingmanHull per cent of its
// hull or more, failed when it falls below.
inline constexpr const char* kStrikeMissionFile = "strike.uli";
inline constexpr const char* kStrikeWingman = "Alpha 2";
inline constexpr int32_t kStrikeWingmanHull = 25;
inline constexpr int32_t kStrikeAward = 30000;
inline constexpr uint32_t kStrikeTrophy = 0x200;
Status WriteStrikeMission(const char* path);

// "patrol.uli": out to the way point kPatrolPoint, 1500 units ahead,
// within kPatrolTimeMs of the mission clock, and the lone raider
// kPatrolRaider, who comes down the patrol's line at the player while the
// wingman kStrikeWingman flies wide of it, destroyed.
inline constexpr const char* kPatrolMissionFile = "patrol.uli";
inline constexpr const char* kPatrolPoint = "Patrol Point";
inline constexpr const char* kPatrolRaider = "Red 3";
inline constexpr uint32_t kPatrolTimeMs = 90000;
inline constexpr int32_t kPatrolAward = 25000;
inline constexpr uint32_t kPatrolTrophy = 0x400;
Status WritePatrolMission(const char* path);

// "sweep.uli", the last: three raiders against the player and two
// wingmen, all of them to be destroyed: one on each wingman's flank and
// one down the middle at the player.
inline constexpr const char* kSweepMissionFile = "sweep.uli";
inline constexpr int32_t kSweepAward = 40000;
inline constexpr uint32_t kSweepTrophy = 0x800;
inline constexpr const char* kCampaignEndTitle = "Campaign Complete";
Status WriteSweepMission(const char* path);
