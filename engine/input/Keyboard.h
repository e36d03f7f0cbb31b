#pragma once
#include <cstdint>
#include <memory>

#include "engine/input/KeySet.h"

namespace platform {
class InputBackend;
class InputDevice;
}  // namespace platform

class KeyQueue;

// Key codes the keyboard layer itself reads.
inline constexpr uint32_t kKeyLeftShift = 0x2A;
inline constexpr uint32_t kKeyRightShift = 0x36;
inline constexpr uint32_t kKeyAlt = 0x38;
inline constexpr uint32_t kKeyRightAltCode = 0x138;
inline constexpr uint32_t kKeyCtrl = 0x1D;
inline constexpr uint32_t kKeyRightCtrlCode = 0x11D;

// The state of up to 512 keys: the live set changes with every event, the
// frame set is the live set at the last snapshot plus every press since, so
// that a key pressed and released between two snapshots reads as down
// until the next. Each press also goes, with its modifiers, to the attached
// key queues.
class Keyboard {
public:
    Keyboard();
    virtual ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    virtual uint32_t Open();
    virtual void Close();
    virtual void Snapshot();
    virtual void Read() = 0;
    virtual bool IsKeyDown(uint32_t key) const;
    virtual void KeyDown(uint32_t virtualKey);
    virtual void KeyUp(uint32_t virtualKey);
    virtual bool IsPresent() const;

    bool IsOpen() const { return open_; }
    const KeySet& Live() const { return live_; }
    const KeySet& Frame() const { return frame_; }

protected:
    void Press(uint32_t key);
    void Release(uint32_t key);

    KeySet live_;
    KeySet frame_;
    bool open_ = false;

private:
    friend class KeyQueue;
    KeyQueue* queues_ = nullptr;
};

// Fed by the window's key messages.
class WindowsKeyboard : public Keyboard {
public:
    explicit WindowsKeyboard(platform::InputBackend& input);
    void Read() override;
    void KeyDown(uint32_t virtualKey) override;
    void KeyUp(uint32_t virtualKey) override;

private:
    platform::InputBackend& input_;
};

// Fed by the buffered keyboard device.
class DirectInputKeyboard : public Keyboard {
public:
    static constexpr uint32_t kBufferedEvents = 32;

    explicit DirectInputKeyboard(platform::InputBackend& input);
    ~DirectInputKeyboard() override;

    uint32_t Open() override;
    void Close() override;
    void Read() override;
    bool IsPresent() const override;

private:
    std::unique_ptr<platform::InputDevice> device_;
};
