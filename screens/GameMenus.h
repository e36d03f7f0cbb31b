#pragma once

// Registers the game's menu screens with the game state's place loader and
// start-up: the help page "HELP" and the tutorial pop-up "TUT".
void RegisterGameMenus();
