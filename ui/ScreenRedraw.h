#pragma once

class Screen;

// The screen the game state runs now, or null (no game state, no screen).
Screen* CurrentScreen();
// What a control does when what it shows changed: the current screen
// repaints now and once more after the next pass. Nothing without a screen.
void RequestScreenRedraw();
