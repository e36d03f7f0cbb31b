#pragma once
#include <string>

#include "engine/Status.h"

// The file whose first font draws the version banner; loaded last, so it is
// the current font after LoadGameFonts.
inline constexpr const char* kBannerFontFile = "ttf.iff";
// The game's font files in the data directory, each file's first font taken.
inline constexpr const char* kGameFontFiles[] = {"8X13.iff",   "font03.iff",   "font07.iff", "cockpitf.iff",
                                                 "9x7opt.iff", "5x7digit.iff", kBannerFontFile};

// Loads every game font into the running text layer. kStatusOk, or the
// first failure with that file's path in *failedPath.
Status LoadGameFonts(std::string* failedPath);
