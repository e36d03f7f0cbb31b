#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/input/KeySet.h"
#include "platform/InputBackend.h"

class IffFile;
class InputSystem;

// A conjunction of key, mouse-button, joystick-button, mouse-rectangle and
// mouse-motion conditions; 24 bytes, the same fields in the file.
struct InputTrigger {
    static constexpr uint16_t kNone = 0xFFFF;
    static constexpr uint16_t kModifier = 0x400;
    static constexpr uint16_t kAlt = 0x401;
    static constexpr uint16_t kCtrl = 0x402;
    static constexpr uint16_t kShift = 0x403;
    static constexpr uint16_t kNegate = 0x200;
    static constexpr uint32_t kBytes = 24;

    uint16_t keys[4] = {kNone, kNone, kNone, kNone};
    uint16_t mouseButtons = 0;
    uint16_t joystickButtons = 0;
    int16_t xMin = -1, xMax = -1;
    int16_t yMin = -1, yMax = -1;
    int16_t motionX = -1, motionY = -1;

    bool Test(const InputSystem& input) const;
    bool HasMouseCondition() const;
    bool HasJoystickCondition() const;
    bool operator==(const InputTrigger& other) const = default;

    // The little-endian record of the file.
    static InputTrigger FromBytes(const uint8_t* bytes);
    void ToBytes(uint8_t* bytes) const;
};
static_assert(sizeof(InputTrigger) == InputTrigger::kBytes);

// Numbered events (0 to 511), each fired by a trigger, read as a 512-bit
// set. Screens load their maps from "MEVT" forms, activate them when they
// open (which switches on just the devices the triggers need) and poll them
// every frame.
class InputEventMap {
public:
    static constexpr uint32_t kMaxEvent = 511;
    using TriggerCallback = std::function<int32_t(InputTrigger* trigger)>;

    explicit InputEventMap(InputSystem* input, const char* fileName = nullptr, const char* mapName = nullptr);
    virtual ~InputEventMap();
    InputEventMap(const InputEventMap&) = delete;
    InputEventMap& operator=(const InputEventMap&) = delete;

    // 0 when a "MEVT" form of the file (with that name, when given) was
    // taken; 1 otherwise.
    int32_t Load(const char* fileName, const char* mapName);
    // The same on a chunk file already open and validated.
    int32_t Load(IffFile& iff, const char* mapName);
    // The current chunk of `iff`, a "MEVT" form: 0 or 1.
    int32_t ReadForm(IffFile& iff, const char* mapName);

    // The trigger is not owned; it must outlive its node.
    void AddEvent(InputTrigger* trigger, uint16_t eventKey);
    void RemoveEvent(const InputTrigger* trigger, uint16_t eventKey);
    void Clear();
    // Calls back with each record of the trigger array, stopping at a 0.
    void ForEachEvent(const TriggerCallback& callback);
    // Calls back with each trigger and the event code it fires.
    void ForEachEventKey(const std::function<void(const InputTrigger& trigger, uint16_t eventKey)>& callback) const;

    virtual void Activate();
    virtual void Deactivate();
    // The events whose bit is set in `mask` and whose triggers hold now.
    virtual void Poll(uint8_t out[64], const uint8_t mask[64]);
    KeySet Poll(const KeySet& mask);

    virtual void GetMouseMotion(int16_t* dx, int16_t* dy) const;
    virtual void GetMousePosition(uint16_t* x, uint16_t* y) const;
    virtual void SetMousePosition(int16_t x, int16_t y);
    virtual uint8_t GetMouseButtons() const;
    virtual bool IsKeyDown(uint32_t key) const;
    virtual void GetJoystickState(platform::JoystickInfo* out) const;

    uint32_t TriggerCount() const { return triggerCount_; }
    // The map polled last since the last call (null: none, or it is gone),
    // which forgets it: which screen reads the input now, for a tool that
    // plays the game as a player would.
    static InputEventMap* TakeLastPolled();
    InputTrigger* Triggers() const { return triggers_.get(); }
    uint32_t EventCount() const;

private:
    struct Node {
        Node* next;
        InputTrigger* trigger;
        uint16_t eventKey;
    };

    Node* nodes_ = nullptr;
    std::unique_ptr<InputTrigger[]> triggers_;
    uint32_t triggerCount_ = 0;
    InputSystem* input_;
};
