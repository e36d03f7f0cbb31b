#pragma once
#include <cstdint>

// Plays a movie file full screen over the game's display and returns the
// player's result (display/MoviePlayer.h). The input devices are closed for
// the movie and opened again after it; a key press or a click ends the
// movie once `noSkipMs` milliseconds of it have passed.
int32_t PlayMovie(const char* path, uint32_t noSkipMs);
