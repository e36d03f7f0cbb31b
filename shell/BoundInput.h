#pragma once
#include <cstdint>

#include "platform/InputBackend.h"

// The joystick and mouse as the key map binds them to the flight: which
// stick axis each axis function follows and when, which hat direction
// holds a command, and how far a mouse movement steers.
namespace bound_input {

// The axis bits of an axis binding.
enum AxisBit : int32_t { kAxisX = 1, kAxisY = 2, kAxisThrottle = 4, kAxisRudder = 8 };

// The axis functions in key-map order.
enum AxisFunction : int32_t { kYaw = 0, kPitch = 1, kRoll = 2, kThrottle = 3, kSpareAxis = 4, kAxisFunctions = 5 };

// One axis binding: the stick axis (one of the bits; 0 or -1 none) and the
// joystick button mask that must be held for it (0 always).
struct AxisSource {
    int32_t axisBits = 0;
    int32_t buttonCondition = 0;
};

// The stick as it flew before a key map bound it: X yaws, Y pitches, the
// rudder rolls, the lever throttles; the spare function follows nothing.
AxisSource DefaultAxis(int32_t function);

// The position (0 to 65535) of the axis `source` names, when its button
// condition holds and the stick, with `axisCount` axes, has that axis. False
// for a source naming no axis or several, and while its button is up.
bool ReadAxis(const platform::JoystickInfo& info, uint32_t axisCount, const AxisSource& source, uint32_t* position);

// Whether a hat binding of `direction` degrees (0, 90, 180, 270; -1 none)
// holds while the hat reads `pov` hundredths of a degree (centred 0xFFFF).
bool HatHolds(int32_t direction, uint32_t pov);

// A frame's mouse movement in counts as a deflection of -1 to 1: a
// movement of `kMouseFullCounts` or more is full deflection.
inline constexpr int32_t kMouseFullCounts = 16;
float MouseDeflection(int32_t counts);

}  // namespace bound_input
