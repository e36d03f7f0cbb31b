#pragma once
#include <cstdint>

// The game state keeps one screen per name; the place loader fills them and
// screens hand over to each other through them.
enum class ScreenSlot : int32_t {
    kOffice,
    kFrame,
    kHelp,
    kMissions,
    kEmail,
    kNews,
    kLogs,
    kRequisition,
    kOutfit,
    kEncyclopedia,
    kOptions,
    kControls,
    kSave,
    kQuit,
    kPause,
    kTutorial,
    kAssignment,
    kPersonnel,
    kKillBoard,
    kRepair,
    kRestart,
    kHangar,
    kLobby,
    kVoice,
    kWarRoomMap,
    kCommonRoom,
    kTrophy,
    kWarRoom,
    kHallway,
    kSalvage,
    kNavMap,
    kCount
};

inline constexpr int32_t kScreenSlotCount = static_cast<int32_t>(ScreenSlot::kCount);

// Each slot's screen name, as screens and the registry know it.
inline constexpr const char* kScreenSlotNames[kScreenSlotCount] = {
    "OFFICE", "FRAME",  "HELP",    "MISSIONS", "EMAIL",  "NEWS",   "LOGS",    "REQU",   "Outfit",  "ENCYC",   "OPTI",
    "CONTROL", "SAVE",  "QUIT",    "PAUSE",    "TUT",    "ASSIGN", "PERSON",  "KILL",   "REPAIR",  "RESTART", "HANGAR",
    "NETOPT", "VOICE",  "WarNav",  "COMMON",   "TROPHY", "WARROOM", "HALLWAY", "SALVAGE", "NavMap"};

inline const char* ScreenSlotName(ScreenSlot slot) { return kScreenSlotNames[static_cast<int32_t>(slot)]; }

// The slot of that name (compared exactly), or ScreenSlot::kCount.
ScreenSlot FindScreenSlot(const char* name);
