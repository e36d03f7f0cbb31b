#include "game/Script.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr uint32_t kExtended = 0x80;
constexpr uint32_t kLastKeyCode = 255;

struct NamedKey {
    const char* name;
    uint32_t code;
};

// Set-1 make codes.
constexpr NamedKey kNamedKeys[] = {
    {"escape", 0x01}, {"enter", 0x1C}, {"space", 0x39},
    {"up", 0x48 | kExtended}, {"down", 0x50 | kExtended}, {"left", 0x4B | kExtended}, {"right", 0x4D | kExtended},
    {"f1", 0x3B}, {"f2", 0x3C}, {"f3", 0x3D}, {"f4", 0x3E}, {"f5", 0x3F}, {"f6", 0x40},
    {"f7", 0x41}, {"f8", 0x42}, {"f9", 0x43}, {"f10", 0x44}, {"f11", 0x57}, {"f12", 0x58},
};

// The letters' make codes in alphabetical order, and the digits' from 0.
constexpr uint8_t kLetterCodes[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                      0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
constexpr uint8_t kDigitCodes[10] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A whole decimal number from `low` to `high`, nothing after it.
bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t* value) {
    if (text.empty() || text.size() > 18) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

// The line's words after the pass, split at spaces and tabs.
std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

}  // namespace

uint32_t Script::KeyByName(const std::string& name) {
    const std::string lower = Lower(name);
    if (lower.size() == 1 && lower[0] >= 'a' && lower[0] <= 'z') return kLetterCodes[lower[0] - 'a'];
    if (lower.size() == 1 && lower[0] >= '0' && lower[0] <= '9') return kDigitCodes[lower[0] - '0'];
    for (const NamedKey& key : kNamedKeys) {
        if (lower == key.name) return key.code;
    }
    // A key code, written as one: two digits at least, so that "1" is the
    // digit key.
    int64_t code = 0;
    if (lower.size() >= 2 && ParseNumber(lower, 1, kLastKeyCode, &code)) return uint32_t(code);
    return 0;
}

uint32_t Script::CharacterOfKey(uint32_t key) {
    switch (key) {
        // The control characters the keys type, as the window delivers them.
        case 0x01: return 27;
        case 0x0E: return 8;
        case 0x0F: return 9;
        case 0x1C: return 13;
        case 0x39: return ' ';
        default: break;
    }
    for (uint32_t i = 0; i < 26; ++i) {
        if (kLetterCodes[i] == key) return 'a' + i;
    }
    for (uint32_t i = 0; i < 10; ++i) {
        if (kDigitCodes[i] == key) return '0' + i;
    }
    return 0;
}

bool Script::Parse(const std::string& text, std::string* error) {
    events_.clear();
    waitLimit_ = kDefaultWaitLimit;
    std::istringstream in(text);
    std::string raw;
    int32_t lineNumber = 0;
    int32_t previousPass = 0;
    const auto refuse = [&](const std::string& why) {
        *error = "line " + std::to_string(lineNumber) + ": " + why;
        events_.clear();
        waitLimit_ = kDefaultWaitLimit;
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const size_t first = raw.find_first_not_of(" \t");
        if (first == std::string::npos || raw[first] == '#') continue;
        std::istringstream words(raw.substr(first));
        std::string at, passText, what;
        words >> at >> passText >> what;
        if (at == "wait-limit") {
            int64_t limit = 0;
            if (!what.empty() || !ParseNumber(passText, 1, INT32_MAX, &limit)) {
                return refuse("wait-limit needs a whole number of passes from 1 up");
            }
            waitLimit_ = int32_t(limit);
            continue;
        }
        if (at != "at") return refuse("expected \"at N WHAT\"");
        int64_t pass = 0;
        if (!ParseNumber(passText, 1, INT32_MAX, &pass)) return refuse("the pass must be a whole number from 1 up");
        if (pass < previousPass) {
            return refuse("pass " + passText + " comes after pass " + std::to_string(previousPass));
        }
        ScriptEvent event;
        event.pass = int32_t(pass);
        event.line = lineNumber;
        std::string rest;
        std::getline(words, rest);
        if (what == "type" || what == "wait") {
            // Everything after the one separating space, spaces included.
            if (rest.size() < 2 || (rest[0] != ' ' && rest[0] != '\t')) return refuse(what + " needs some text");
            event.action = what == "type" ? ScriptAction::kType : ScriptAction::kWait;
            event.text = rest.substr(1);
        } else {
            const std::vector<std::string> arguments = Words(rest);
            if (what == "key" || what == "press" || what == "release") {
                if (arguments.size() != 1) return refuse(what + " needs one key");
                event.key = KeyByName(arguments[0]);
                if (event.key == 0) return refuse("no key is called \"" + arguments[0] + "\"");
                event.action = what == "key" ? ScriptAction::kKey
                             : what == "press" ? ScriptAction::kPress : ScriptAction::kRelease;
            } else if (what == "click" || what == "move") {
                int64_t x = 0, y = 0;
                if (arguments.size() != 2 || !ParseNumber(arguments[0], 0, kFrameWidth - 1, &x) ||
                    !ParseNumber(arguments[1], 0, kFrameHeight - 1, &y)) {
                    return refuse(what + " needs X from 0 to 639 and Y from 0 to 479");
                }
                event.action = what == "click" ? ScriptAction::kClick : ScriptAction::kMove;
                event.x = int32_t(x);
                event.y = int32_t(y);
            } else if (what == "quit") {
                if (!arguments.empty()) return refuse("quit takes nothing more");
                event.action = ScriptAction::kQuit;
            } else {
                return refuse(what.empty() ? "nothing to do" : "unknown action \"" + what + "\"");
            }
        }
        previousPass = event.pass;
        events_.push_back(std::move(event));
    }
    return true;
}

bool Script::Load(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = path + " cannot be read";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        *error = path + " cannot be read";
        return false;
    }
    if (!Parse(text.str(), error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}
