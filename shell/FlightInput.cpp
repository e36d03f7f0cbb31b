#include "shell/FlightInput.h"

void CaptureCommandState(GameState&) {}

void HandleFlightInput(GameState&, uint32_t) {}
