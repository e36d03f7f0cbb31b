#pragma once
#include <cstdint>

#include "engine/Status.h"

class Craft;

// "load.iff": FORM "LOAD" of FORM "TSAT" entries, each "ID  " and "SPOB"
// (the object definition it deploys).
namespace loadout {

inline constexpr const char* kFile = "load.iff";
inline constexpr const char* kAutoturret = "Autoturret";
// How far behind its owner the turret is set, beyond the owner's radius.
inline constexpr float kBehind = 50.0f;

// Fits the owner's auto-turret: on a connected client the host is asked
// first (AUTOTURRET_REQUEST); then a craft of the "Autoturret" definition,
// of the owner's side, joins the world behind it. "Loadout Error" when the
// file or the entry is missing.
Status LoadLoadout(Craft* owner);

}  // namespace loadout
