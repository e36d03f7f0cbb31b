#pragma once

// Writes "controls.iff": the command table's functions and axes with their
// default bindings, as the game's controls screen saves them.
bool WriteKeyMapFile(const char* path);
