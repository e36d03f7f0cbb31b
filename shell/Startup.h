#pragma once

struct LaunchOptions;

// The whole life of the program: start-up in the game's fixed order, the
// main loop, and shutdown in reverse. Returns the process exit status.
class OstrelSystem;

// The engine system object while the game runs.
extern OstrelSystem* g_engine;

int RunGame(const LaunchOptions& options);
