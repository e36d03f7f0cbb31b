#include "tools/crawl/ScreenWalker.h"

#include <algorithm>
#include <fstream>

#include "engine/input/InputEventMap.h"
#include "game/GameState.h"
#include "game/Script.h"
#include "game/ScreenSlots.h"
#include "ui/Screen.h"

namespace {

// Set-1 make codes, as scripts write them.
constexpr uint32_t kEscape = 0x01;
constexpr uint32_t kEnter = 0x1C;
constexpr uint32_t kLeftShift = 0x2A;
constexpr uint32_t kLeftCtrl = 0x1D;
constexpr uint32_t kLeftAlt = 0x38;
constexpr uint32_t kKeyM = 0x32;
constexpr uint32_t kKeyX = 0x2D;
constexpr uint32_t kBackQuote = 0x29;
constexpr uint16_t kLeftButton = 1;

// The keys of the sample key map's flight functions: throttle, fire and the
// weapon groups, targets, power, radar, countermeasures, boost, navigation,
// views and the steering held for a while.
constexpr uint32_t kFlightKeys[] = {
    0x0D, 0x0C, 0x39, 0x02, 0x03, 0x04, 0x11, 0x14, 0x15, 0x13, 0x2F, 0x19, 0x2E, 0x25, 0x24, 0x20,
    0x0F, 0x31, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x43, 0x44, 0x10, 0x12, 0xC8, 0xD0, 0xCB, 0xCD,
};

std::string Line(int32_t pass, const std::string& what) { return "at " + std::to_string(pass) + " " + what + "\n"; }

// Key codes are written with two digits at least, which a script reads as a
// code rather than a digit key.
std::string KeyName(uint32_t key) {
    std::string digits = std::to_string(key);
    return digits.size() < 2 ? "0" + digits : digits;
}

std::string Key(int32_t pass, const char* how, uint32_t key) { return Line(pass, std::string(how) + " " + KeyName(key)); }

bool IsSet(int16_t word) { return uint16_t(word) != InputTrigger::kNone; }

// The name of the slot screen reading through `map`; "?" when none does
// (the first screen, a map of a panel).
std::string ScreenOfMap(const InputEventMap* map) {
    if (g_gameState == nullptr) return "?";
    for (int32_t slot = 0; slot < kScreenSlotCount; ++slot) {
        const Screen* screen = g_gameState->ScreenIn(static_cast<ScreenSlot>(slot));
        if (screen != nullptr && screen->eventMap.get() == map) return screen->name;
    }
    return "?";
}

}  // namespace

std::string ScreenWalker::Header(uint32_t seed) {
    return "# A walk through the screens by seeded random input, seed " + std::to_string(seed) +
           ".\n# Play it again with: vorn --headless --data TREE --script THIS_FILE\n" + Line(1, "move 320 240");
}

ScreenWalker::ScreenWalker(uint32_t seed, int32_t steps, std::string recordPath)
    : random_(seed), steps_(steps), recordPath_(std::move(recordPath)), text_(Header(seed)) {}

int32_t ScreenWalker::Pick(int32_t count) {
    return count <= 1 ? 0 : int32_t(std::uniform_int_distribution<int32_t>(0, count - 1)(random_));
}

bool ScreenWalker::Chance(int32_t percent) { return Pick(100) < percent; }

bool ScreenWalker::Feed(int32_t passes, Script& script) {
    if (quitGiven_) return true;
    std::string lines;
    // Mostly a few passes apart, as a player clicks on; now and then a long
    // look, long enough for timers, notices and flights to move on.
    const int32_t pass = passes + (Chance(10) ? 40 + Pick(160) : 2 + Pick(18));
    if (stepsTaken_ >= steps_) {
        lines = "# the walk is over\n" + Line(pass, "quit");
        quitGiven_ = true;
    } else {
        ++stepsTaken_;
        InputEventMap* const map = InputEventMap::TakeLastPolled();
        if (map != nullptr) {
            lastScreen_ = ScreenOfMap(map);
            if (lastScreen_ != "?") pastFirstScreen_ = true;
            lines = "# step " + std::to_string(stepsTaken_) + " on " + lastScreen_ + "\n" + StepOnMap(*map, pass);
        } else {
            lastScreen_ = "flight";
            lines = "# step " + std::to_string(stepsTaken_) + " in flight\n" + StepInFlight(pass);
        }
    }
    text_ += lines;
    std::ofstream record(recordPath_, std::ios::app);
    record << lines;
    record.flush();
    std::string error;
    return script.Parse(text_, &error) && bool(record);
}

std::string ScreenWalker::StepOnMap(InputEventMap& map, int32_t pass) {
    std::vector<const InputTrigger*> spots, keys;
    map.ForEachEvent([&](InputTrigger* trigger) {
        const bool area = IsSet(trigger->xMin) && IsSet(trigger->xMax) && IsSet(trigger->yMin) && IsSet(trigger->yMax);
        // A hot spot is an area, pointed at or clicked; the click itself is
        // another trigger, or this one's button.
        if (area && trigger->keys[0] == InputTrigger::kNone && (trigger->mouseButtons & ~kLeftButton) == 0) {
            spots.push_back(trigger);
        } else if (!trigger->HasMouseCondition() && trigger->keys[0] != InputTrigger::kNone) {
            keys.push_back(trigger);
        }
        return 1;
    });
    const int32_t roll = Pick(100);
    if (!spots.empty() && (roll < 60 || keys.empty())) {
        const InputTrigger& spot = *spots[size_t(Pick(int32_t(spots.size())))];
        const int32_t x0 = std::clamp<int32_t>(spot.xMin, 0, Script::kFrameWidth - 1);
        const int32_t x1 = std::clamp<int32_t>(spot.xMax, x0, Script::kFrameWidth - 1);
        const int32_t y0 = std::clamp<int32_t>(spot.yMin, 0, Script::kFrameHeight - 1);
        const int32_t y1 = std::clamp<int32_t>(spot.yMax, y0, Script::kFrameHeight - 1);
        return Line(pass, "click " + std::to_string(x0 + Pick(x1 - x0 + 1)) + " " + std::to_string(y0 + Pick(y1 - y0 + 1)));
    }
    if (!keys.empty() && roll < 88) {
        // The trigger's keys held together: modifiers first, then the key.
        const InputTrigger& trigger = *keys[size_t(Pick(int32_t(keys.size())))];
        std::vector<uint32_t> held;
        uint32_t key = 0;
        for (const uint16_t condition : trigger.keys) {
            if (condition == InputTrigger::kNone) break;
            if ((condition & InputTrigger::kNegate) != 0) continue;
            switch (condition) {
                case InputTrigger::kShift: held.push_back(kLeftShift); break;
                case InputTrigger::kCtrl: held.push_back(kLeftCtrl); break;
                case InputTrigger::kAlt: held.push_back(kLeftAlt); break;
                default:
                    if ((condition & InputTrigger::kModifier) == 0 && (condition & 0xFF) != 0) key = condition & 0xFF;
                    break;
            }
        }
        if (key == 0 || (key == kEscape && !pastFirstScreen_)) return Line(pass, "type " + TypedText());
        std::string lines;
        for (const uint32_t modifier : held) lines += Key(pass, "press", modifier);
        lines += Key(pass + 1, "key", key);
        for (const uint32_t modifier : held) lines += Key(pass + 2, "release", modifier);
        return lines;
    }
    if (roll < 97 || !pastFirstScreen_) {
        return Line(pass, "type " + TypedText()) + (Chance(50) ? Key(pass + 1, "key", kEnter) : "");
    }
    return Key(pass, "key", kEscape);
}

std::string ScreenWalker::StepInFlight(int32_t pass) {
    const int32_t roll = Pick(100);
    if (roll < 8) return Key(pass, "key", kEscape);
    if (roll < 16) return Key(pass, "key", kKeyM);
    if (roll < 18) return Key(pass, "press", kLeftShift) + Key(pass + 1, "key", kKeyX) + Key(pass + 2, "release", kLeftShift);
    if (roll < 22) {
        return Key(pass, "key", kBackQuote) + Line(pass + 2, "type " + TypedText()) + Key(pass + 3, "key", kEnter);
    }
    // A flight key held for a moment or a good while.
    const uint32_t key = kFlightKeys[size_t(Pick(int32_t(std::size(kFlightKeys))))];
    const int32_t held = Chance(25) ? 20 + Pick(100) : 1 + Pick(8);
    return Key(pass, "press", key) + Key(pass + held, "release", key);
}

std::string ScreenWalker::TypedText() {
    static constexpr char kCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-'";
    // Now and then more than any field holds.
    const int32_t length = Chance(15) ? 40 + Pick(60) : 1 + Pick(12);
    std::string text;
    for (int32_t i = 0; i < length; ++i) text += kCharacters[size_t(Pick(int32_t(sizeof kCharacters - 1)))];
    // A typed line starts after one space; a leading space would be lost.
    if (text[0] == ' ') text[0] = 'x';
    return text;
}
