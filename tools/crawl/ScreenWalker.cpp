#include "tools/crawl/ScreenWalker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "engine/input/InputEventMap.h"
#include "game/CommandTable.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/Script.h"
#include "game/TextInput.h"
#include "game/ScreenSlots.h"
#include "mission/Goal.h"
#include "objects/effects/EffectSupport.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "screens/FrameScreen.h"
#include "screens/NetLobbyScreen.h"
#include "ui/ArtObject.h"
#include "ui/Screen.h"

namespace {

// Set-1 make codes, as scripts write them.
constexpr uint32_t kEscape = 0x01;
constexpr uint32_t kBackspace = 0x0E;
constexpr uint32_t kEnter = 0x1C;
constexpr uint32_t kSpace = 0x39;
constexpr uint32_t kLeftShift = 0x2A;
constexpr uint32_t kLeftCtrl = 0x1D;
constexpr uint32_t kLeftAlt = 0x38;
constexpr uint32_t kKeyM = 0x32;
constexpr uint32_t kBackQuote = 0x29;
constexpr uint16_t kLeftButton = 1;
// The height of a list's first few rows, in pixels.
constexpr int32_t kListTop = 48;

// The keys of the sample key map's flight functions: throttle, fire and the
// weapon groups, targets, power, radar, countermeasures, boost, navigation,
// views and the steering held for a while.
constexpr uint32_t kFlightKeys[] = {
    0x0D, 0x0C, 0x39, 0x02, 0x03, 0x04, 0x11, 0x14, 0x15, 0x13, 0x2F, 0x19, 0x2E, 0x25, 0x24, 0x20,
    0x0F, 0x31, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x43, 0x44, 0x10, 0x12, 0xC8, 0xD0, 0xCB, 0xCD,
};

// The lines that bring a walk to its start, after the first screen has
// come up: its keys, the welcome pop-up's No More (so that no pop-up hides
// what the walk came for), the office's computer, its options page and the
// row that leads to the credits; the save page's slot 0 and Load; the office's
// door to the war room, its computer, the missions reader's first offer
// accepted and the hangar's Launch, or the frame's OK back to the war room
// and its table's map. The lobby: its welcome pop-up's No More and a new
// pilot's page. The hosted game: No More, the lobby's first pilot loaded, Host a Game over TCP/IP (this machine's own
// address alone), a cooperative game and its OK. The strike: a new career's
// training flown home and "Raider Strike" flown to its win, its guns on the
// raider that comes for the player, landed with what the kills left.
constexpr const char* kNewCareerLines =
    "at 5 key N\nat 15 key Space\nat 25 key N\nat 45 click 320 240\nat 60 click 28 168\nat 75 click 28 264\n"
    "at 90 click 545 412\n";
constexpr const char* kLoadedCareerLines =
    "at 5 key L\nat 25 key N\nat 40 click 400 115\nat 50 click 225 203\n";
constexpr const char* kAcceptedLines =
    "at 5 key N\nat 15 key Space\nat 25 key N\nat 45 click 550 250\nat 80 click 555 235\n"
    "at 95 click 28 72\nat 110 click 28 232\nat 125 click 390 126\nat 135 click 405 452\n";
constexpr const char* kLaunchLines = "at 185 click 525 452\nat 185 wait mode 2\n";
constexpr const char* kWarRoomMapLines = "at 150 click 28 452\nat 165 click 320 300\n";
// The start of tests/scripts/campaign-end.txt: the training, then the
// strike flown at Red 1 to the player's own kill, whose salvage the
// landing shows.
constexpr const char* kStrikeLines =
    "at 5 key N\nat 15 key Space\nat 25 key N\nat 45 click 550 250\nat 80 click 555 235\n"
    "at 110 click 28 72\nat 125 click 28 232\nat 150 click 390 126\nat 160 click 405 452\n"
    "at 210 click 525 452\nat 210 wait mode 2\nat 212 press 13\nat 252 release 13\n"
    "at 253 wait goal 1 met\nat 254 press 12\nat 294 release 12\nat 310 press Left\nat 522 release Left\n"
    "at 670 press 13\nat 710 release 13\nat 711 wait mode 4\nat 721 key F\nat 751 click 28 72\n"
    "at 766 click 28 264\nat 786 click 390 136\nat 800 click 28 72\nat 815 click 28 232\n"
    "at 830 click 390 126\nat 840 click 405 452\nat 890 click 525 452\nat 890 wait mode 2\nat 892 key T\n"
    "at 898 press 13\nat 900 press Space\nat 901 wait outcome won\nat 902 release Space\n"
    "at 902 release 13\nat 903 wait mode 4\n";
constexpr const char* kLobbyLines = "at 5 key M\nat 15 key N\nat 25 click 77 408\n";
constexpr const char* kHostedLines =
    "at 5 key M\nat 15 key N\nat 25 click 75 78\nat 35 click 77 374\nat 50 click 320 188\n"
    "at 65 click 320 206\nat 80 click 320 188\nat 95 click 90 414\n";

std::string Line(int32_t pass, const std::string& what) { return "at " + std::to_string(pass) + " " + what + "\n"; }

// Key codes are written with two digits at least, which a script reads as a
// code rather than a digit key.
std::string KeyName(uint32_t key) {
    std::string digits = std::to_string(key);
    return digits.size() < 2 ? "0" + digits : digits;
}

std::string Key(int32_t pass, const char* how, uint32_t key) { return Line(pass, std::string(how) + " " + KeyName(key)); }

bool IsSet(int16_t word) { return uint16_t(word) != InputTrigger::kNone; }

bool InFlight(const GameState& game) {
    return game.mode == GameState::kModeFlight || game.mode == GameState::kModeNavMap ||
           game.mode == GameState::kModePause;
}

// The screen reading through `map` (a slot's, else the current one, such
// as the first screen), or null.
const Screen* ScreenOfMap(const InputEventMap* map) {
    if (g_gameState == nullptr) return nullptr;
    for (int32_t slot = 0; slot < kScreenSlotCount; ++slot) {
        const Screen* screen = g_gameState->ScreenIn(static_cast<ScreenSlot>(slot));
        if (screen != nullptr && screen->eventMap.get() == map) return screen;
    }
    const Screen* current = g_gameState->currentScreen;
    return current != nullptr && current->eventMap.get() == map ? current : nullptr;
}

bool InPod(const GameState& game) {
    const auto* const pod = dynamic_cast<const PlayerShip*>(game.playerShip);
    return pod != nullptr && pod->abandonedCraft != nullptr;
}

// The player's ship whole and flying, not dying nor a wreck.
bool FliesOn(const GameState& game) {
    const auto* const craft = dynamic_cast<const Craft*>(game.playerShip);
    return craft != nullptr && craft->active != 0 && craft->dead == 0;
}

// The lobby is one screen of many panels, each a place of its own.
std::string PlaceOf(const Screen* screen) {
    if (screen == nullptr) return "?";
    const auto* lobby = dynamic_cast<const NetLobbyScreen*>(screen);
    if (lobby != nullptr && lobby->currentPanel != nullptr) return screen->name + ":" + lobby->currentPanel->name;
    return screen->name;
}

// The keys a trigger holds together: modifiers first, then its key; empty
// when it has no key of its own.
std::vector<uint32_t> KeysOf(const InputTrigger& trigger) {
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
    if (key == 0) return {};
    held.push_back(key);
    return held;
}

// The keys of a key map's binding: the conditions held (scan codes, the
// game's modifier among them) first, then its key; empty without a key.
std::vector<uint32_t> BindingKeys(const InputTrigger& trigger) {
    const auto usable = [](uint16_t word) {
        return word != 0 && word != InputTrigger::kNone && word < InputTrigger::kNegate;
    };
    if (!usable(trigger.keys[0])) return {};
    std::vector<uint32_t> held;
    for (size_t i = 1; i < std::size(trigger.keys); ++i) {
        if (usable(trigger.keys[i])) held.push_back(trigger.keys[i]);
    }
    held.push_back(trigger.keys[0]);
    return held;
}

}  // namespace

bool ScreenWalker::ParseStart(const std::string& name, WalkStart* start) {
    static constexpr std::pair<const char*, WalkStart> kStarts[] = {{"first", WalkStart::kFirstScreen},
                                                                    {"new", WalkStart::kNewCareer},
                                                                    {"load", WalkStart::kLoadedCareer},
                                                                    {"accepted", WalkStart::kAccepted},
                                                                    {"mission", WalkStart::kMission},
                                                                    {"crash", WalkStart::kCrash},
                                                                    {"lobby", WalkStart::kLobby},
                                                                    {"hosted", WalkStart::kHosted},
                                                                    {"strike", WalkStart::kStrike}};
    for (const auto& [known, value] : kStarts) {
        if (name == known) {
            *start = value;
            return true;
        }
    }
    return false;
}

std::string ScreenWalker::Header(uint32_t seed, WalkStart start) {
    std::string text = "# A walk through the screens by seeded random input, seed " + std::to_string(seed) +
                       ".\n# Play it again with: vorn --headless --data TREE --script THIS_FILE\n" +
                       Line(1, "move 320 240");
    switch (start) {
        case WalkStart::kFirstScreen: break;
        case WalkStart::kNewCareer: text += "# a new career, the credits\n" + std::string(kNewCareerLines); break;
        case WalkStart::kLoadedCareer: text += "# the sample save loaded\n" + std::string(kLoadedCareerLines); break;
        case WalkStart::kAccepted:
            text += "# a new career's first mission accepted, and the war room's map\n" + std::string(kAcceptedLines) +
                    kWarRoomMapLines;
            break;
        case WalkStart::kMission:
            text += "# a new career's first mission launched\n" + std::string(kAcceptedLines) + kLaunchLines;
            break;
        case WalkStart::kCrash:
            text += "# a new career's first mission launched, to be flown at full throttle\n" +
                    std::string(kAcceptedLines) + kLaunchLines;
            break;
        case WalkStart::kLobby: text += "# the multiplayer lobby, a new pilot\n" + std::string(kLobbyLines); break;
        case WalkStart::kHosted:
            text += "# a cooperative game hosted, its waiting room\n" + std::string(kHostedLines);
            break;
        case WalkStart::kStrike:
            text += "# the training and the strike won, landed with the kills' salvage\n" + std::string(kStrikeLines);
            break;
    }
    return text;
}

ScreenWalker::ScreenWalker(uint32_t seed, int32_t steps, std::string recordPath, WalkStart start)
    : random_(seed),
      steps_(steps),
      recordPath_(std::move(recordPath)),
      text_(Header(seed, start)),
      crashing_(start == WalkStart::kCrash) {}

int32_t ScreenWalker::Pick(int32_t count) {
    return count <= 1 ? 0 : int32_t(std::uniform_int_distribution<int32_t>(0, count - 1)(random_));
}

bool ScreenWalker::Chance(int32_t percent) { return Pick(100) < percent; }

void ScreenWalker::Arrive(const std::string& place) {
    if (place != lastPlace_) {
        stepsHere_ = 0;
        leaveTries_ = 0;
        erasedHere_ = false;
    }
    lastPlace_ = place;
    ++stepsHere_;
}

bool ScreenWalker::Feed(int32_t passes, Script& script) {
    if (quitGiven_) return true;
    std::string lines;
    const int32_t pass = passes + 1;
    if (stepsTaken_ >= steps_) {
        lines = "# the walk is over\n" + Line(pass, "quit");
        quitGiven_ = true;
    } else if (!looked_) {
        lines = Look(passes);
    } else {
        looked_ = false;
        InputEventMap* const map = InputEventMap::TakeLastPolled();
        const int32_t mode = g_gameState != nullptr ? g_gameState->mode : 0;
        const bool flying = g_gameState != nullptr && InFlight(*g_gameState);
        if (!flying) {
            flightFrom_ = -1;
            ejectedAt_ = -1;
            ejectNext_ = false;
        } else if (flightFrom_ < 0) {
            flightFrom_ = passes;
        }
        ++stepsTaken_;
        pausedSteps_ = mode == GameState::kModePause ? pausedSteps_ + 1 : 0;
        if (map == nullptr && mode != GameState::kModeFlight) {
            // Nothing reads the input (a banner, a movie): a key moves it on.
            Arrive("none");
            return Write("# step " + std::to_string(stepsTaken_) + " on nothing in mode " + std::to_string(mode) +
                             "\n" + Key(pass, "key", kSpace),
                         script);
        }
        const Screen* const screen = map != nullptr ? ScreenOfMap(map) : nullptr;
        // The flight reads its commands through a map of its own.
        const bool flight = mode == GameState::kModeFlight && screen == nullptr;
        const std::string place = flight ? "flight" : PlaceOf(screen);
        Arrive(place);
        lines = "# step " + std::to_string(stepsTaken_) + " on " + place + " in mode " + std::to_string(mode) + "\n";
        // A crash walk's first flight flies into what it is sent to; the
        // walk goes on from where the pilot lands or dies.
        if (crashing_ && flight) {
            flownOnce_ = true;
            return Write(lines + StepToCrash(pass), script);
        }
        if (crashing_ && !flying && flownOnce_) {
            if (throttleHeld_) lines += Key(pass, "release", throttleKey_);
            throttleHeld_ = false;
            crashing_ = false;
        }
        if (flight) {
            InputEventMap* const flightMap = map != nullptr ? map : g_gameState->EventMap();
            lines += StepInFlight(flightMap, pass);
        } else {
            Offer offer = OfferOf(*map, screen);
            // A page embedded in the frame reads the input after the frame,
            // whose buttons stay live beside it.
            auto* const frame = dynamic_cast<FrameScreen*>(g_gameState->ScreenIn(ScreenSlot::kFrame));
            if (screen != nullptr && frame != nullptr && frame->subScreen == screen && frame->eventMap != nullptr) {
                Offer around = OfferOf(*frame->eventMap, frame);
                offer.spots.insert(offer.spots.end(), around.spots.begin(), around.spots.end());
                offer.keys.insert(offer.keys.end(), around.keys.begin(), around.keys.end());
                offer.escape = offer.escape || around.escape;
                offer.keysSafe = offer.keysSafe && around.keysSafe;
                offer.back.insert(offer.back.end(), around.back.begin(), around.back.end());
            }
            std::string leave;
            if (stepsHere_ > kLeaveAfterSteps && place != "?") {
                leave = StepToLeave(offer, pass);
                if (leave.empty()) {
                    stuck_ = "no way out of " + place + " after Escape and its " + std::to_string(offer.spots.size()) +
                             " hot spots";
                    leave = "# stuck: " + stuck_ + "\n" + Line(pass, "quit");
                    quitGiven_ = true;
                }
            }
            if (leave.empty() && pausedSteps_ > kBackToFlightSteps && !offer.back.empty()) {
                leave = "# back to the flight\n" + Click(offer.back.front(), pass);
                ejectNext_ = true;
            }
            lines += leave.empty() ? StepOnScreen(offer, pass) : leave;
        }
    }
    return Write(lines, script);
}

std::string ScreenWalker::Look(int32_t passes) {
    // The pointer stays where it is, for a few passes as a player clicks
    // on, now and then long enough for timers, notices and flights to move
    // on. What the action answers is what reads the input once the look is
    // over.
    looked_ = true;
    InputEventMap::TakeLastPolled();
    const int32_t pass = passes + (Chance(10) ? 40 + Pick(160) : 2 + Pick(18));
    return Line(pass, "move " + std::to_string(mouseX_) + " " + std::to_string(mouseY_));
}

bool ScreenWalker::Write(const std::string& lines, Script& script) {
    text_ += lines;
    std::ofstream record(recordPath_, std::ios::app);
    record << lines;
    record.flush();
    std::string error;
    return script.Parse(text_, &error) && bool(record);
}

ScreenWalker::Offer ScreenWalker::OfferOf(InputEventMap& map, const Screen* screen) {
    // A trigger may fire several events: it is safe only when none ends the game.
    std::vector<std::pair<const InputTrigger*, bool>> triggers;
    const bool frame = dynamic_cast<const FrameScreen*>(screen) != nullptr;
    const InputTrigger* ok = nullptr;
    map.ForEachEventKey([&](const InputTrigger& trigger, uint16_t code) {
        const bool ends = screen != nullptr && screen->EndsGame(code);
        if (frame && code == FrameScreen::kCodeOk && ok == nullptr) ok = &trigger;
        auto found = std::find_if(triggers.begin(), triggers.end(), [&](const auto& t) { return t.first == &trigger; });
        if (found == triggers.end()) {
            triggers.emplace_back(&trigger, ends);
        } else {
            found->second = found->second || ends;
        }
    });
    // The map's own order, so that a walk is the same from run to run.
    std::sort(triggers.begin(), triggers.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // An input is safe only when no trigger it sets off ends the game: the
    // same key may stand for a button and its activation, two areas may
    // overlap.
    Offer offer;
    std::vector<Spot> spots, endingSpots;
    std::vector<std::vector<uint32_t>> keys, endingKeys;
    for (const auto& [trigger, ends] : triggers) {
        const bool area = IsSet(trigger->xMin) && IsSet(trigger->xMax) && IsSet(trigger->yMin) && IsSet(trigger->yMax);
        // A hot spot is an area, pointed at or clicked; the click itself is
        // another trigger, or this one's button.
        if (area && trigger->keys[0] == InputTrigger::kNone && (trigger->mouseButtons & ~kLeftButton) == 0) {
            (ends ? endingSpots : spots).push_back({trigger->xMin, trigger->xMax, trigger->yMin, trigger->yMax});
            if (trigger == ok && !ends) offer.back.push_back(spots.back());
        } else if (!trigger->HasMouseCondition() && trigger->keys[0] != InputTrigger::kNone) {
            std::vector<uint32_t> held = KeysOf(*trigger);
            if (!held.empty()) (ends ? endingKeys : keys).push_back(std::move(held));
        }
    }
    const auto overlaps = [](const Spot& a, const Spot& b) {
        return a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax;
    };
    for (const Spot& spot : spots) {
        if (std::none_of(endingSpots.begin(), endingSpots.end(), [&](const Spot& e) { return overlaps(spot, e); })) {
            offer.spots.push_back(spot);
        }
    }
    offer.keysSafe = endingKeys.empty();
    for (std::vector<uint32_t>& held : keys) {
        if (std::find(endingKeys.begin(), endingKeys.end(), held) != endingKeys.end()) continue;
        if (held == std::vector<uint32_t>{kEscape}) offer.escape = true;
        // Keys that move the focus or press the focused button could reach
        // the one that ends the game: where one does, only Escape stays.
        if (offer.keysSafe || held == std::vector<uint32_t>{kEscape}) offer.keys.push_back(std::move(held));
    }
    return offer;
}

std::string ScreenWalker::SpotKey(const Spot& spot) const {
    return lastPlace_ + " " + std::to_string(spot.xMin) + "," + std::to_string(spot.yMin) + "," +
           std::to_string(spot.xMax) + "," + std::to_string(spot.yMax);
}

std::string ScreenWalker::Click(const Spot& spot, int32_t pass) {
    const int32_t x0 = std::clamp<int32_t>(spot.xMin, 0, Script::kFrameWidth - 1);
    const int32_t x1 = std::clamp<int32_t>(spot.xMax, x0, Script::kFrameWidth - 1);
    const int32_t y0 = std::clamp<int32_t>(spot.yMin, 0, Script::kFrameHeight - 1);
    const int32_t y1 = std::clamp<int32_t>(spot.yMax, y0, Script::kFrameHeight - 1);
    mouseX_ = x0 + Pick(x1 - x0 + 1);
    // A tall spot is mostly a list, whose entries stand at its top: half
    // the clicks land among its first few rows.
    const int32_t height = y1 - y0 + 1;
    mouseY_ = y0 + Pick(height > kListTop && Chance(50) ? kListTop : height);
    return Line(pass, "click " + std::to_string(mouseX_) + " " + std::to_string(mouseY_));
}

std::string ScreenWalker::Keys(const std::vector<uint32_t>& keys, int32_t pass) {
    std::string lines;
    for (size_t i = 0; i + 1 < keys.size(); ++i) lines += Key(pass, "press", keys[i]);
    lines += Key(pass + 1, "key", keys.back());
    for (size_t i = 0; i + 1 < keys.size(); ++i) lines += Key(pass + 2, "release", keys[i]);
    return lines;
}

std::string ScreenWalker::StepOnScreen(const Offer& offer, int32_t pass) {
    const int32_t roll = Pick(100);
    if (!offer.spots.empty() && (roll < 60 || offer.keys.empty())) {
        // Mostly a hot spot not yet tried here: a list's rows, a page's
        // less likely buttons are reached within a short walk.
        std::vector<size_t> untried;
        for (size_t i = 0; i < offer.spots.size(); ++i) {
            if (tried_.count(SpotKey(offer.spots[i])) == 0) untried.push_back(i);
        }
        const size_t chosen = !untried.empty() && Chance(75) ? untried[size_t(Pick(int32_t(untried.size())))]
                                                              : size_t(Pick(int32_t(offer.spots.size())));
        tried_.insert(SpotKey(offer.spots[chosen]));
        return Click(offer.spots[chosen], pass);
    }
    if (!offer.keys.empty() && roll < 88) return Keys(offer.keys[size_t(Pick(int32_t(offer.keys.size())))], pass);
    // Text, and on a screen whose keys are all harmless now and then Enter.
    const bool enter = offer.keysSafe && Chance(50);
    return Line(pass, "type " + TypedText()) + (enter ? Key(pass + 1, "key", kEnter) : "");
}

std::string ScreenWalker::StepToLeave(const Offer& offer, int32_t pass) {
    // A line half typed holds some screens' buttons back (the waiting
    // room's Start and Cancel wait for the chat to be sent or erased): a
    // player erases it before anything else, once in a place.
    if (!erasedHere_ && g_textInput != nullptr && g_textInput[0] != '\0') {
        erasedHere_ = true;
        std::string lines = "# leaving: the typed text erased\n";
        const int32_t length = int32_t(std::strlen(g_textInput));
        for (int32_t i = 0; i < length; ++i) lines += Key(pass + i, "key", kBackspace);
        return lines;
    }
    // Escape first, then each hot spot once, in the map's order.
    const int32_t attempt = leaveTries_++;
    if (offer.escape) {
        if (attempt == 0) return "# leaving: Escape\n" + Key(pass, "key", kEscape);
        const size_t spot = size_t(attempt - 1);
        if (spot < offer.spots.size()) return "# leaving: hot spot " + std::to_string(spot) + "\n" + Click(offer.spots[spot], pass);
        return "";
    }
    const size_t spot = size_t(attempt);
    if (spot < offer.spots.size()) return "# leaving: hot spot " + std::to_string(spot) + "\n" + Click(offer.spots[spot], pass);
    return "";
}

std::string ScreenWalker::StepToCrash(int32_t pass) {
    // At the ship's target, else at what the current objective names, at
    // full throttle: nose or yaw towards it when it is off the nose, every
    // key the pilot's own binding; once it is behind, the ram has missed
    // and the flight is waited out.
    auto* const ship = dynamic_cast<Craft*>(g_gameState->playerShip);
    const SpaceObject* target = ship != nullptr ? ship->GetTarget() : nullptr;
    if (const Goal* const objective = g_gameState->TheCockpit().objective; target == nullptr && objective != nullptr) {
        target = objective->destination != nullptr ? objective->destination : objective->GetSubject();
    }
    if (target == ship || (target != nullptr && target->active == 0)) target = nullptr;
    const InputEventMap* const map = g_gameState->EventMap();
    const auto bound = [map](uint16_t command) {
        std::vector<uint32_t> keys;
        if (map != nullptr) {
            map->ForEachEventKey([&](const InputTrigger& trigger, uint16_t code) {
                if (code == EventKey(command) && keys.empty()) keys = BindingKeys(trigger);
            });
        }
        return keys;
    };
    // Keys held side by side: the presses first, then the releases, as a
    // script's lines come in pass order.
    std::vector<std::pair<int32_t, std::string>> timed;
    const auto hold = [&](uint16_t command, int32_t passes) {
        const std::vector<uint32_t> keys = bound(command);
        if (keys.empty()) return;
        timed.emplace_back(pass, Key(pass, "press", keys.back()));
        timed.emplace_back(pass + passes, Key(pass + passes, "release", keys.back()));
    };
    std::string lines;
    if (!throttleHeld_) {
        // Held open for the whole flight: only full speed makes a ram fatal.
        const std::vector<uint32_t> throttle = bound(command_table::kThrottleUp);
        if (!throttle.empty()) {
            throttleKey_ = throttle.back();
            throttleHeld_ = true;
            lines = "# full throttle ahead\n" + Key(pass, "press", throttleKey_);
        }
    }
    if (ship != nullptr && target != nullptr) {
        const Vector3 seen = effects::PointToLocal(ship->world, target->Position());
        char seenText[64];
        std::snprintf(seenText, sizeof seenText, "# the target at %.0f %.0f %.0f\n", seen.x, seen.y, seen.z);
        lines += seenText;
        const float off = std::max(std::abs(seen.x), std::abs(seen.y));
        // Behind, the ram has missed: the walk waits out the flight.
        if (seen.z < 0.0f) {
            return lines + Line(pass + 200, "move " + std::to_string(mouseX_) + " " + std::to_string(mouseY_));
        }
        // A touch whenever the nose is off by more than a few tenths of a degree.
        if (off >= seen.z * 0.005f) {
            const bool yaw = std::abs(seen.x) > std::abs(seen.y);
            hold(yaw ? (seen.x > 0.0f ? command_table::kYawRight : command_table::kYawLeft)
                     : (seen.y > 0.0f ? command_table::kNoseUp : command_table::kNoseDown),
                 1);
        }
    }
    std::stable_sort(timed.begin(), timed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& line : timed) lines += line.second;
    return lines + Line(pass + 16, "move " + std::to_string(mouseX_) + " " + std::to_string(mouseY_));
}

std::string ScreenWalker::StepInFlight(const InputEventMap* map, int32_t pass) {
    const int32_t flown = pass - flightFrom_;
    if (ejectedAt_ >= 0 && !InPod(*g_gameState) && FliesOn(*g_gameState)) {
        // The eject did not take (a dying ship cannot eject; a network game
        // brings it back after its death): eject again.
        ejectedAt_ = -1;
        ejectNext_ = true;
    }
    if (ejectedAt_ >= 0) {
        // Out in the pod: the flight must end; the walk only looks on.
        if (pass - ejectedAt_ > kEjectPasses) {
            stuck_ = "the flight did not end " + std::to_string(kEjectPasses) + " passes after the eject";
            quitGiven_ = true;
            return "# stuck: " + stuck_ + "\n" + Line(pass, "quit");
        }
        return Line(pass, "move " + std::to_string(mouseX_) + " " + std::to_string(mouseY_));
    }
    const int32_t roll = Pick(100);
    if (flown > kFlightPasses || ejectNext_) {
        std::vector<uint32_t> eject;
        if (map != nullptr) map->ForEachEventKey([&](const InputTrigger& trigger, uint16_t code) {
            if (code == EventKey(command_table::kEject) && eject.empty()) eject = BindingKeys(trigger);
        });
        if (eject.empty()) {
            // The pilot unbound the eject: nothing the walk may press ends the flight.
            quitGiven_ = true;
            return "# no key ejects: the walk is over\n" + Line(pass, "quit");
        }
        // A chat line being typed takes every key but its send.
        if (g_gameState->chatTyping != 0) return "# the chat line sent first\n" + Key(pass, "key", kEnter);
        ejectedAt_ = pass;
        return "# eject\n" + Keys(eject, pass);
    }
    if (roll < 10) return Key(pass, "key", kEscape);
    if (roll < 18) return Key(pass, "key", kKeyM);
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
