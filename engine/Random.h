#pragma once
#include <cstdint>

#include "engine/Vector3.h"

// The engine's seedable generator: L'Ecuyer's combined multiplicative
// congruential generator with two 31-bit state words, for sequences that must
// depend only on a stored seed (a mission's star field, the mine object).
// The state is one process-wide record, 1 and 2 until first seeded; it is
// used from the game thread only.
void RandomSeed(int32_t s1, int32_t s2);
// Advances both words and returns s1 - s2 without folding it into a positive
// range: callers rely on the sign (coordinates centred on 0).
int32_t RandomNext();

// The game's dice: a generator with the C runtime's well-known recurrence
// (seed = seed x 214013 + 2531011 modulo 2^32, result bits 16..30 of the
// seed). Every chance and random direction of the game draws from it, and
// nebula shapes depend on its exact sequence after a seed, so the game never
// calls std::rand, whose sequence differs between C libraries. The seed is 1
// until first set, as the C runtime's is.
void GameRandomSeed(uint32_t seed);
// 0 to 0x7fff; chances are tested as GameRandom() % n.
int32_t GameRandom();
// The dice's whole state: GameRandomSeed(GameRandomState()) puts them back
// where they were, for a caller that draws a seeded sequence of its own
// (a backdrop's shape) without moving the game's.
uint32_t GameRandomState();

// x, y and z each GameRandom() - GameRandom(), the left call first: a random
// direction of random length.
Vector3 RandomDifferenceVector();
// RandomDifferenceVector normalised through the routine table. (A zero draw
// stays zero.)
Vector3 RandomUnitVector();
