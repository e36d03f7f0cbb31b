#pragma once

class GameState;

// What a run through the option screens left of the career, on standard
// output; a run without a window shows nothing else of it, and a script's
// outcome is checked by it. First one line of missions flown, credits,
// trophy bits, the missions reader's accepted row and the offers its new
// page lists; then a line per ship of the squadron (its record name, hull
// name, hull damage, who flies it and the items fitted to it, each with
// its damage when it has any) and a line of the hired pilots.
void PrintCareerReport(const GameState& game);
