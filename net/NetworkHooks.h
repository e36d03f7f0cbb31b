#pragma once

// Lets the game state's network questions and object creation consult the
// session it holds: a client asks the host for new objects, the host
// announces them. Installed once at start-up.
void InstallNetworkHooks();
