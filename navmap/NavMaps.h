#pragma once

// Registers the war-room map "WarNav" and the in-flight map "NavMap" with
// the game state's place loader.
void RegisterNavMaps();
