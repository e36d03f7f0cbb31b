#include "shell/FlightView.h"

void RenderFlightFrame(GameState&, Canvas&, uint32_t) {}
