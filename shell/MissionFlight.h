#pragma once

struct LaunchOptions;

// Flies the options' mission without a window: the game's dice seeded, a
// clock that moves exactly the options' step (50 ms unless asked) a frame, the simulation for the asked
// seconds. Prints the world, each destruction and the kills; the exit code.
// With --host or --join it is one machine of a network game, paced to the
// wall clock (see NetworkFlight).
int RunMissionFlight(const LaunchOptions& options);

// Sets up the options' mission with the options' seed, saying on standard
// error each record it refused and, when it cannot be flown, why; true when
// it can be flown.
bool SetUpLaunchMission(const LaunchOptions& options);
