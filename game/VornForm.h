#pragma once
#include <cstdint>

#include "engine/IffFile.h"

// The outer form of the game's own files, "palettes.iff" and "vorn.cfg":
// the palettes' forms and the options chunk sit inside it.
inline constexpr uint32_t kVornForm = MakeTag("VORN");
