#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What a script line does at its pass.
enum class ScriptAction : int32_t {
    kKey,       // a key pressed and let go
    kPress,     // a key pressed and held
    kRelease,   // a held key let go
    kClick,     // the mouse moved to a point, its left button pressed and let go
    kMove,      // the mouse moved to a point
    kType,      // characters typed
    kQuit,      // the window closed
    kWait,      // the script's passes stand still until a line was printed
};

// One line of a script.
struct ScriptEvent {
    int32_t pass = 0;        // the message pump's pass, from 1
    int32_t line = 0;        // in the script file, from 1
    ScriptAction action = ScriptAction::kQuit;
    // Keys as the input system numbers them: the set-1 scan code, 0x80 for
    // an extended key (200 the arrow up).
    uint32_t key = 0;
    int32_t x = 0;           // mouse actions, in frame pixels
    int32_t y = 0;
    std::string text;        // kType's characters, kWait's line, as written
};

// A run's input written down beforehand, one event a line:
//   at N key K | press K | release K | click X Y | move X Y | type TEXT | quit
//   | wait LINE
// K is a key name (Escape, Enter, Space, Up, Down, Left, Right, A to Z,
// 0 to 9, F1 to F12; any case) or a key code of 1 to 255 written with two
// digits at least (a lone digit is that digit's key: "01" is Escape, "1" the
// key 1). Blank lines and
// those starting with '#' say nothing. Pass numbers never fall.
// Passes are counted for the script only while it does not wait: from a
// wait's pass on, the lines after it come as many passes later as written
// once the run has printed LINE (a line of the run's trace, such as
// `screen HANGAR` or `chat "Bob : hello"`). Processes that meet over the
// network run at their own paces, and a script that waited a fixed number
// of passes for another would race it. A wait hears every line printed
// since the script's step before it (any line but a wait) was delivered,
// however soon that came, and none printed before; waits in a row hear
// the same lines. It gives up after WaitLimit() passes; a line `wait-limit
// PASSES` (anywhere, the last one counts) sets that bound for the script's
// waits.
class Script {
public:
    // The frame a mouse position must fall in.
    static constexpr int32_t kFrameWidth = 640;
    static constexpr int32_t kFrameHeight = 480;
    // Three minutes of passes without a window (50 ms a pass).
    static constexpr int32_t kDefaultWaitLimit = 3600;

    // Reads the script's text; false with `error` naming the first bad line
    // ("line 3: ...").
    bool Parse(const std::string& text, std::string* error);
    // The same, from a file; false also when the file cannot be read.
    bool Load(const std::string& path, std::string* error);

    const std::vector<ScriptEvent>& Events() const { return events_; }
    // The pass of the last event; 0 for an empty script.
    int32_t LastPass() const { return events_.empty() ? 0 : events_.back().pass; }
    // The passes a wait holds the script at most before the run gives up.
    int32_t WaitLimit() const { return waitLimit_; }

    // The key code of a key name or number; 0 when it names none.
    static uint32_t KeyByName(const std::string& name);
    // The character a key types as it goes down, as a window sends it
    // (letters in lower case, 13 Enter, 27 Escape); 0 for a key that types
    // none.
    static uint32_t CharacterOfKey(uint32_t key);

private:
    std::vector<ScriptEvent> events_;
    int32_t waitLimit_ = kDefaultWaitLimit;
};
