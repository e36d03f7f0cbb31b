#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

class InputEventMap;
class Script;
struct InputTrigger;

// Plays the game as a curious player would, by seeded random input: before
// each of its steps it looks at what reads the input (the event map polled
// last, or the flight when none was) and picks something that map answers:
// a click inside one of its hot spots, one of its keys, typed text, or in
// flight the flight's keys, the map and the pause. Each step is written as
// lines of a script, so that `vorn --script` plays the same run again; the
// script is the walk's record and grows on disk as the run goes, a comment
// naming the screen before each step.
class ScreenWalker {
public:
    // The first lines of every walk's script.
    static std::string Header(uint32_t seed);

    ScreenWalker(uint32_t seed, int32_t steps, std::string recordPath);

    // The pump's feed: `passes` is the script's pass count before the next
    // pass. Adds the next step (or, once the steps are taken, the quit),
    // appends it to the record and parses the whole text again into
    // `script`. False when the record cannot be written.
    bool Feed(int32_t passes, Script& script);

    int32_t StepsTaken() const { return stepsTaken_; }
    bool QuitGiven() const { return quitGiven_; }
    // The screen the last step was chosen for ("flight", or "?" for a map
    // no screen slot owns).
    const std::string& LastScreen() const { return lastScreen_; }

private:
    // A step's lines, with its passes counted from `pass`.
    std::string StepOnMap(InputEventMap& map, int32_t pass);
    std::string StepInFlight(int32_t pass);
    std::string TypedText();
    int32_t Pick(int32_t count);   // 0 to count - 1
    bool Chance(int32_t percent);

    std::mt19937 random_;
    int32_t steps_;
    std::string recordPath_;
    std::string text_;
    int32_t stepsTaken_ = 0;
    bool quitGiven_ = false;
    std::string lastScreen_;
    // Escape on the first screen ends the game: a walk that has seen no
    // other screen yet leaves it out, or most walks would end there.
    bool pastFirstScreen_ = false;
};
