#pragma once
#include <cstdint>
#include <memory>

#include "platform/InputBackend.h"

// The pointer device of the input system. Positions are clamped above to a
// screen size that starts as the desktop's.
class Mouse {
public:
    explicit Mouse(platform::InputBackend& input);
    virtual ~Mouse();
    Mouse(const Mouse&) = delete;
    Mouse& operator=(const Mouse&) = delete;

    virtual uint32_t Open() = 0;
    virtual void Reset();
    virtual void Snapshot();
    virtual void Poll();
    virtual void ShowCursor(bool show) = 0;
    virtual void GetPosition(int16_t* x, int16_t* y) = 0;
    virtual void SetPosition(int16_t x, int16_t y) = 0;
    virtual void GetMotion(int16_t* dx, int16_t* dy) = 0;
    virtual uint8_t GetButtons() = 0;
    virtual bool IsPresent() const;

    void SetScreenSize(int16_t width, int16_t height);
    bool IsOpen() const { return open_; }
    int16_t ScreenWidth() const { return screenWidth_; }
    int16_t ScreenHeight() const { return screenHeight_; }

protected:
    // The cursor position with x above the width becoming the width, y
    // likewise (no lower clamp).
    void CursorClamped(int16_t* x, int16_t* y) const;

    platform::InputBackend& input_;
    int16_t lastX_ = 0;
    int16_t lastY_ = 0;
    int16_t screenWidth_ = 0;
    int16_t screenHeight_ = 0;
    bool open_ = false;
};

// Follows the window system's cursor.
class WindowsMouse : public Mouse {
public:
    explicit WindowsMouse(platform::InputBackend& input);
    uint32_t Open() override;
    void ShowCursor(bool show) override;
    void GetPosition(int16_t* x, int16_t* y) override;
    void SetPosition(int16_t x, int16_t y) override;
    void GetMotion(int16_t* dx, int16_t* dy) override;
    uint8_t GetButtons() override;

private:
    uint32_t openWords_[2] = {};
};

// Reads the buffered mouse device: follows the cursor while it is shown,
// otherwise integrates the motion itself. Presses are latched until the
// next snapshot, so a click between two snapshots is reported once.
class DirectInputMouse : public Mouse {
public:
    static constexpr uint32_t kBufferedEvents = 32;

    explicit DirectInputMouse(platform::InputBackend& input);
    ~DirectInputMouse() override;

    uint32_t Open() override;
    void Reset() override;
    void Snapshot() override;
    void Poll() override;
    void ShowCursor(bool show) override;
    void GetPosition(int16_t* x, int16_t* y) override;
    void SetPosition(int16_t x, int16_t y) override;
    // The movement the last poll read.
    void GetMotion(int16_t* dx, int16_t* dy) override;
    uint8_t GetButtons() override;
    bool IsPresent() const override;

private:
    std::unique_ptr<platform::InputDevice> device_;
    uint32_t openWord_ = 0;
    platform::DeviceCaps caps_;
    int16_t motionX_ = 0;
    int16_t motionY_ = 0;
    uint8_t buttons_[4] = {};
    uint8_t latched_[4] = {};
    bool cursorShown_ = false;
    int32_t x_ = 0;
    int32_t y_ = 0;
};
