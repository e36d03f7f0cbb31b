#pragma once

// The game's own message-box texts and captions, used exactly as they stand.
namespace msg {

inline constexpr const char* kCaptionInitialization = "Initialization";
inline constexpr const char* kCaptionFatalError = "Fatal Error";
inline constexpr const char* kCaptionError = "Error";
inline constexpr const char* kCaptionScreenInit = "Screen Init";
inline constexpr const char* kCaptionUnfoundSpob = "Unfound SPOB";
inline constexpr const char* kCaptionLoadoutError = "Loadout Error";
inline constexpr const char* kCaptionUnfoundFlare = "Unfound Flare";

inline constexpr const char* kFailedToAllocateEngine = "Fatal Error: Failed to allocate OstrelSystem";
inline constexpr const char* kFailedToInitializeEngine = "Failed to initalize OstrelSystem";
inline constexpr const char* kFailedToAllocateGameState = "Fatal Error: Failed to allocate GameState";
inline constexpr const char* kAnotherInstance =
    "Another instance of this application has been detected, and only one instance may be active at a time.";
inline constexpr const char* kCouldNotInitializeDrivers = "Could not initialize drivers.\n";
// printf format: the file name, then the loader's status.
inline constexpr const char* kFailedToLoadFont = "Failed to load font %s, error %d";
inline constexpr const char* kInsertCdRom = "Could not find all the files, please insert CD-ROM and retry.";

// The cockpit's warning line.
inline constexpr const char* kWarningLowFuel = "WARNING: Low fuel levels!";
inline constexpr const char* kWarningReservePower = "WARNING: Reserve power activated!";
inline constexpr const char* kWarningFriendlyFire = "WARNING: Firing at friendly target!";
inline constexpr const char* kWarningHullDamage = "WARNING: Excessive hull damage!";
// The text of a wingman's line whose voice entry has none.
inline constexpr const char* kMissingCommText = "Missing TEXT chunk, COMMWM.CIF";

// Drawn on the intro screen: the banner, and under it what ends it.
inline constexpr const char* kVersionBanner = "Vorn Tessel - v1.00";
inline constexpr const char* kBannerPrompt = "Press a key or click to go on";

}  // namespace msg
