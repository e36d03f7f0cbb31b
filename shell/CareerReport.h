#pragma once

class GameState;

// One line on standard output of what a run through the option screens left
// of the career: missions flown, credits, trophy bits, the missions reader's
// accepted row and the offers its new page lists. A run without a window
// shows nothing else of it, and a script's outcome is checked by it.
void PrintCareerReport(const GameState& game);
