#pragma once
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

class InputEventMap;
class Screen;
class Script;

// Where a walk begins: the first screen itself; a new career on its
// options page after the credits it leads to; the sample save's career
// (ships, money, hired pilots) loaded from the first screen; a new career's
// first mission accepted, on the war room's map; the same launched from the
// base; the same flown at full throttle into what lies ahead until the
// pilot dies (a crash walk); the multiplayer lobby, on a new pilot's page; or a
// cooperative game hosted from the lobby on this machine alone, in its
// waiting room; or a new career's second mission flown to its win by its
// keys, landed on the salvage its kills left.
enum class WalkStart : int32_t {
    kFirstScreen,
    kNewCareer,
    kLoadedCareer,
    kAccepted,
    kMission,
    kCrash,
    kLobby,
    kHosted,
    kStrike
};

// Plays the game as a curious player would, by seeded random input. Each
// step first looks (a few passes, now and then a long while), then acts on
// what reads the input at that moment (the event map polled last, or the
// flight when none was): a click inside one of the map's hot spots (mostly
// one not yet tried in that place), one of its keys, typed text, or in flight the flight's keys, the map, the pause
// and the eject. It never chooses an input that the screen says ends the
// game: the walk ends by its own quit once its steps are spent.
//
// A walk that has stayed kLeaveAfterSteps steps in one place tries to leave
// it: it erases what it typed, then tries Escape, then each of the place's
// hot spots in turn. A pause held
// kBackToFlightSteps steps goes back to the flight as a pilot would, by the
// frame's OK where the frame is up, and then ejects: the landing that
// follows is the one a pause's choices could spoil. A place that
// none of them leaves, or a flight that has not ended kEjectPasses after
// the eject, stops the walk as stuck (Stuck() says where), with its quit.
//
// Each step is written as lines of a script, so that `vorn --script` plays
// the same run again; the script is the walk's record and grows on disk as
// the run goes, a comment naming the place and the game's mode before each
// step.
class ScreenWalker {
public:
    static constexpr int32_t kLeaveAfterSteps = 20;
    static constexpr int32_t kBackToFlightSteps = 6;
    // Flight passes (the flight's own, pauses and maps included) after
    // which the walk ejects; then the flight passes it allows for the end.
    static constexpr int32_t kFlightPasses = 900;
    static constexpr int32_t kEjectPasses = 400;

    // "first", "new", "load", "accepted", "mission", "crash", "lobby",
    // "hosted" or "strike"; false for anything else.
    static bool ParseStart(const std::string& name, WalkStart* start);
    // The first lines of every walk's script: a comment, the pointer placed
    // and the lines that bring the walk to its start.
    static std::string Header(uint32_t seed, WalkStart start);

    ScreenWalker(uint32_t seed, int32_t steps, std::string recordPath, WalkStart start);

    // The pump's feed: `passes` is the script's pass count before the next
    // pass. Adds the next look or action (or, once the steps are taken or
    // the walk is stuck, the quit), appends it to the record and parses the
    // whole text again into `script`. False when the record cannot be
    // written.
    bool Feed(int32_t passes, Script& script);

    int32_t StepsTaken() const { return stepsTaken_; }
    bool QuitGiven() const { return quitGiven_; }
    // The place of the last step ("flight", a screen's name, "NETOPT:" and
    // the lobby's panel, or "?" for a map no screen owns).
    const std::string& LastPlace() const { return lastPlace_; }
    // Empty, or why the walk stopped before its steps were spent.
    const std::string& Stuck() const { return stuck_; }

private:
    struct Spot {
        int16_t xMin, xMax, yMin, yMax;
    };
    // What a screen's map offers that does not end the game.
    struct Offer {
        std::vector<Spot> spots;
        std::vector<std::vector<uint32_t>> keys;   // modifiers first, then the key
        bool escape = false;                        // Escape, harmlessly
        bool keysSafe = true;                       // no key of the map ends the game
        // The frame's OK, which from a pause goes back to the flight.
        std::vector<Spot> back;
    };
    static Offer OfferOf(InputEventMap& map, const Screen* screen);

    // The next action's lines on a screen, with its passes counted from `pass`.
    std::string StepOnScreen(const Offer& offer, int32_t pass);
    // The same for a place held too long; empty when it has nothing left to try.
    std::string StepToLeave(const Offer& offer, int32_t pass);
    // `map` is the flight's own: the eject is read from it, as the pilot
    // may have bound it to another key.
    std::string StepInFlight(const InputEventMap* map, int32_t pass);
    // A crash walk's step in its first flight, flown into its target.
    std::string StepToCrash(int32_t pass);
    std::string Click(const Spot& spot, int32_t pass);
    // A hot spot of the current place, as the walk remembers it tried.
    std::string SpotKey(const Spot& spot) const;
    std::string Keys(const std::vector<uint32_t>& keys, int32_t pass);
    std::string TypedText();
    // The look before an action, which the next feed answers.
    std::string Look(int32_t passes);
    // Appends to the record and parses the whole walk into `script`.
    bool Write(const std::string& lines, Script& script);
    int32_t Pick(int32_t count);   // 0 to count - 1
    bool Chance(int32_t percent);
    // Counts the step taken in `place`; a new place forgets the attempts to
    // leave the last one.
    void Arrive(const std::string& place);

    std::mt19937 random_;
    int32_t steps_;
    std::string recordPath_;
    std::string text_;
    int32_t stepsTaken_ = 0;
    bool quitGiven_ = false;
    bool looked_ = false;     // the step's look is written, its action next
    std::string lastPlace_;
    std::string stuck_;
    int32_t mouseX_ = 320;
    int32_t mouseY_ = 240;
    // Steps in the current place, and the attempts to leave it made.
    int32_t stepsHere_ = 0;
    int32_t leaveTries_ = 0;
    bool erasedHere_ = false;   // the typed text erased on the way out
    std::set<std::string> tried_;   // the hot spots clicked, by place
    int32_t pausedSteps_ = 0;   // steps in a row in the pause's screens
    // The flight: the pass its first step was chosen at and that of the
    // eject (-1: none).
    int32_t flightFrom_ = -1;
    int32_t ejectedAt_ = -1;
    bool ejectNext_ = false;
    bool crashing_ = false;    // a crash walk before its first flight is over
    bool flownOnce_ = false;
    bool throttleHeld_ = false;
    uint32_t throttleKey_ = 0;   // back from the pause's frame: the next flight step ejects
};
