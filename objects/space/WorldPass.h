#pragma once

// The world pass of each flight frame: removes what ended, expires what
// timed out, steps every active object, then (on the host, or without a
// network game) collides what may collide.
void UpdateSpaceObjects();

// Registers the world pass as the game state's first simulation step and
// the kinds of space object (1 to 6, and the craft, 14) in its object factory.
void RegisterSpaceObjects();
