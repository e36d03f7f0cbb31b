#include "engine/input/KeyQueue.h"

#include <array>
#include <string_view>

#include "engine/input/Keyboard.h"

namespace {

using CharTable = std::array<uint8_t, 128>;

// Fills consecutive scan codes from `first` with the characters of `text`.
constexpr void Row(CharTable& table, uint8_t first, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) table[first + i] = uint8_t(text[i]);
}

// The US PC/AT layout, by set-1 scan code; 0 means no character.
constexpr CharTable MakePlain() {
    CharTable t{};
    t[0x01] = 27;
    Row(t, 0x02, "1234567890-=");
    t[0x0E] = 8;
    t[0x0F] = 9;
    Row(t, 0x10, "qwertyuiop[]");
    t[0x1C] = 13;
    Row(t, 0x1E, "asdfghjkl;'`");
    Row(t, 0x2B, "\\zxcvbnm,./");
    t[0x37] = '*';
    t[0x39] = ' ';
    t[0x4A] = '-';
    t[0x4E] = '+';
    return t;
}

constexpr CharTable MakeShift() {
    CharTable t{};
    t[0x01] = 27;
    Row(t, 0x02, "!@#$%^&*()_+");
    t[0x0E] = 8;
    Row(t, 0x10, "QWERTYUIOP{}");
    t[0x1C] = 13;
    Row(t, 0x1E, "ASDFGHJKL:\"~");
    Row(t, 0x2B, "|ZXCVBNM<>?");
    t[0x37] = '*';
    t[0x39] = ' ';
    Row(t, 0x47, "789-456+1230");
    return t;
}

constexpr CharTable MakeControl() {
    CharTable t{};
    t[0x01] = 27;
    // The letters give 1 to 26 in alphabetical order.
    constexpr std::string_view rows[3] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    constexpr uint8_t firsts[3] = {0x10, 0x1E, 0x2C};
    for (int r = 0; r < 3; ++r) {
        for (size_t i = 0; i < rows[r].size(); ++i) t[firsts[r] + i] = uint8_t(rows[r][i] - 'a' + 1);
    }
    t[0x1A] = 0x1B;   // [
    t[0x1B] = 0x1D;   // ]
    t[0x2B] = 0x1C;   // backslash
    t[0x07] = 0x1E;   // 6
    t[0x0C] = 0x1F;   // -
    t[0x0E] = 0x7F;
    t[0x1C] = 10;
    t[0x39] = ' ';
    return t;
}

constexpr CharTable kPlainChars = MakePlain();
constexpr CharTable kShiftChars = MakeShift();
constexpr CharTable kControlChars = MakeControl();

}  // namespace

KeyQueue::~KeyQueue() { Detach(); }

void KeyQueue::Attach(Keyboard* keyboard) {
    Detach();
    keyboard_ = keyboard;
    read_ = write_ = 0;
    if (keyboard == nullptr) return;
    next_ = keyboard->queues_;
    keyboard->queues_ = this;
}

void KeyQueue::Detach() {
    if (keyboard_ == nullptr) return;
    for (KeyQueue** link = &keyboard_->queues_; *link != nullptr; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
    next_ = nullptr;
    keyboard_ = nullptr;
}

void KeyQueue::Push(uint16_t entry) {
    ring_[write_] = entry;
    write_ = (write_ + 1) % kRing;
    if (write_ == read_) read_ = (read_ + 1) % kRing;
}

uint32_t KeyQueue::GetChar() {
    if (IsEmpty()) return 0;
    const uint16_t entry = ring_[read_];
    read_ = (read_ + 1) % kRing;
    const uint32_t c = entry & 0x7F;
    if ((entry & kAlt) != 0) return (entry & 0xFFu) | kNoCharacter;
    if ((entry & kCtrl) != 0) return kControlChars[c] != 0 ? kControlChars[c] : (c | kNoCharacter);
    if ((entry & kShift) != 0) {
        if (kShiftChars[c] != 0) return kShiftChars[c];
        return kPlainChars[c] != 0 ? kPlainChars[c] : (c | kNoCharacter);
    }
    return kPlainChars[c] != 0 ? kPlainChars[c] : (c | kNoCharacter);
}

uint32_t KeyQueue::GetKey() {
    if (IsEmpty()) return 0;
    const uint16_t entry = ring_[read_];
    read_ = (read_ + 1) % kRing;
    return (entry & 0xFFu) | kNoCharacter;
}
