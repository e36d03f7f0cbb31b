#pragma once

class GameState;

// At the end of a networked run without a window, what this machine holds of
// the shared game, so that the machines of one game can be compared line by
// line: `net goals N met M` (the goals the players share, and how many of
// them this machine holds met), `net sky S D W L` (its star field, space
// dust, wallpaper and light records), `object U TYPE "NAME"` for each
// object of its world that has a uoid, in world order (those numbered from
// NetSession::kClientUoidBase up are this machine's own), each followed by
// its `matrix` line (PrintObjectMatrix), for a craft out of the world (a
// wreck, a ship gone through a gate) `inactive U`, and for a craft whose ECM
// is switched on, `ecm U RANGE`; and one
// `net player "NAME" score S kills K` for each entry of the player table in
// use. Without a mission the goals and the sky are 0 and no object is told.
void PrintNetReport(const GameState& game);

// `matrix U R0 R1 R2 P`: the object's world matrix as drawing and the hit
// tests read it, rows 0 to 2 (scale included) and the position, three
// numbers each; nothing for an object without a uoid.
class SpaceObject;
void PrintObjectMatrix(const SpaceObject& object);
