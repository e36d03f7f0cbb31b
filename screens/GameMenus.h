#pragma once

// Registers the game's menu screens with the game state's place loader and
// start-up: the help page "HELP", the tutorial pop-up "TUT", the quit and
// pause dialogs "QUIT" and "PAUSE", the restart page "RESTART" and the
// controls page "CONTROL".
void RegisterGameMenus();
