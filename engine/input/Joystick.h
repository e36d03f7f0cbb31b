#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/InputBackend.h"

// The joystick devices. Both deliver the multimedia position record, and
// both can be polled in the background by a periodic timer so that presses
// between two reads are not lost.
class Joystick {
public:
    static constexpr uint32_t kRecordSize = sizeof(platform::JoystickInfo);
    static constexpr uint16_t kPovCentred = 0xFFFF;

    Joystick();
    virtual ~Joystick();
    Joystick(const Joystick&) = delete;
    Joystick& operator=(const Joystick&) = delete;

    virtual uint32_t Open() = 0;
    virtual void Close() = 0;
    virtual void Snapshot();
    virtual void ReadState(platform::JoystickInfo* out) = 0;
    virtual bool StartPolling(bool on, uint32_t periodMs) = 0;
    virtual platform::InputDevice* GetDevice() const;

    uint16_t DeviceCount() const { return deviceCount_; }
    bool IsOpen() const { return open_; }
    bool IsPolling() const { return polling_.load(std::memory_order_acquire); }

protected:
    // Starts the periodic timer that calls OnTimer; false when refused.
    bool StartTimer(uint32_t periodMs);
    // Stops it and waits for a running callback.
    void StopTimer();
    virtual void OnTimer() = 0;

    std::atomic<bool> polling_{false};
    uint32_t timerId_ = 0;
    uint16_t deviceCount_ = 0;
    bool open_ = false;

private:
    static void TimerThunk(uint32_t id, uintptr_t user);
};

// Joystick 1 through the multimedia joystick calls, axes normalised to
// 0..65536 of their reported ranges.
class WinmmJoystick : public Joystick {
public:
    explicit WinmmJoystick(platform::InputBackend& input);
    ~WinmmJoystick() override;

    uint32_t Open() override;
    void Close() override;
    void ReadState(platform::JoystickInfo* out) override;
    bool StartPolling(bool on, uint32_t periodMs) override;

private:
    void OnTimer() override;

    platform::InputBackend& input_;
    // The record the timer thread fills and the game thread copies; the
    // accumulated buttons are cleared by each copy.
    std::mutex polledLock_;
    platform::JoystickInfo polled_;
    platform::JoystickCaps caps_;
};

// The first attached joystick of the buffered device layer.
class TimedJoystick : public Joystick {
public:
    static constexpr uint32_t kBufferedEvents = 32;

    explicit TimedJoystick(platform::InputBackend& input);
    ~TimedJoystick() override;

    uint32_t Open() override;
    void Close() override;
    void ReadState(platform::JoystickInfo* out) override;
    bool StartPolling(bool on, uint32_t periodMs) override;
    platform::InputDevice* GetDevice() const override;

private:
    void OnTimer() override;

    std::unique_ptr<platform::InputDevice> device_;
    platform::DeviceCaps caps_;
};
