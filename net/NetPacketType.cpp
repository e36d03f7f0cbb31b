#include "net/NetPacketType.h"

namespace {

constexpr const char* kNames[kNetPacketTypes] = {
    "MEGAPACKET",       "NEW_PLAYER",   "ID_INFO",          "AUTOTURRET_REQUEST", "PROJ_REQUEST",     "OBJECT_REQUEST",
    "CREATION_REQUEST", "DESTRCTION_REQUEST", "OBJECT_UPDATE", "OBJECT_CREATE",   "OBJECT_DESTROY",   "COLLISION",
    "PROJ_CREATE",      "PROJ_HIT",     "PROJ_DESTROY",     "SET_GOAL",           "GOAL_NEW",         "PLAYER_INFO",
    "ID_ACK",           "DEATH",        "GUN_SHOT",         "GOAL_DONE",          "BEAM_HIT",         "EMP_DAMAGE",
    "KILLS_UPDATE",     "UPDATE_TEAM",  "GAME_INFO",        "GAME_INFO_REQUEST",  "STATE_REQUEST",    "STATE",
    "MESSAGE",          "ECM_STATUS",   "SALVAGE",          "UPDATE_STARFIELD",   "UPDATE_WALLPAPER", "UPDATE_SPACEDUST",
    "UPDATE_LIGHT",
};

}  // namespace

const char* NetPacketTypeName(uint32_t type) { return type >= 1 && type <= kNetPacketTypes ? kNames[type - 1] : nullptr; }
