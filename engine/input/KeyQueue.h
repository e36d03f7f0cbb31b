#pragma once
#include <cstdint>

class Keyboard;

// A listener of key presses, from which text input reads characters. The
// ring keeps 15 entries (equal indices mean empty); a push into a full ring
// drops the oldest.
class KeyQueue {
public:
    static constexpr uint16_t kShift = 0x100;
    static constexpr uint16_t kAlt = 0x200;
    static constexpr uint16_t kCtrl = 0x400;
    static constexpr uint32_t kRing = 16;
    // The value of a key without a character: code | 0x100.
    static constexpr uint32_t kNoCharacter = 0x100;

    KeyQueue() = default;
    ~KeyQueue();
    KeyQueue(const KeyQueue&) = delete;
    KeyQueue& operator=(const KeyQueue&) = delete;

    // Attaches to the front of the keyboard's list, emptied.
    void Attach(Keyboard* keyboard);
    void Detach();
    void Push(uint16_t entry);
    bool IsEmpty() const { return read_ == write_; }
    // The next press as a character (Shift, Ctrl and the keypad applied;
    // above 255 for keys without one); 0 for an empty queue.
    uint32_t GetChar();
    // The next press as its key code | 0x100; 0 for an empty queue.
    uint32_t GetKey();

    Keyboard* AttachedTo() const { return keyboard_; }

private:
    friend class Keyboard;
    KeyQueue* next_ = nullptr;
    Keyboard* keyboard_ = nullptr;
    uint16_t ring_[kRing] = {};
    uint32_t write_ = 0;
    uint32_t read_ = 0;
};
