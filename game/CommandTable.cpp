#include "game/CommandTable.h"

#include <iterator>

namespace command_table {

namespace {

// Scan codes of the default keys.
constexpr uint16_t kEscape = 1;
constexpr uint16_t k1 = 2, k2 = 3, k3 = 4, k4 = 5, k5 = 6, k6 = 7, k7 = 8, k8 = 9, k9 = 10, k0 = 11;
constexpr uint16_t kMinus = 12;
constexpr uint16_t kEquals = 13;
constexpr uint16_t kTab = 15;
constexpr uint16_t kQ = 16, kW = 17, kE = 18, kR = 19, kT = 20, kY = 21, kP = 25;
constexpr uint16_t kEnter = 28;
constexpr uint16_t kD = 32, kJ = 36, kK = 37;
constexpr uint16_t kGrave = 41;
constexpr uint16_t kX = 45, kC = 46, kV = 47, kN = 49, kM = 50;
constexpr uint16_t kSpace = 57;
constexpr uint16_t kF1 = 59, kF2 = 60, kF3 = 61, kF4 = 62, kF5 = 63, kF6 = 64, kF7 = 65, kF8 = 66, kF9 = 67,
                   kF10 = 68;
constexpr uint16_t kUp = 200;
constexpr uint16_t kLeft = 203;
constexpr uint16_t kRight = 205;
constexpr uint16_t kDown = 208;

// The arrows work as a stick: Up pushes it forward, so the nose goes down.
// A key with the modifier is the "other way" of its plain command (previous
// target, power down, store target), and Shift with a digit speaks.
constexpr Entry kEntries[] = {
    {0, "Pause", kEscape, false, 0},
    {1, "Nose Down", kUp, false, 0},
    {2, "Nose Up", kDown, false, 0},
    {3, "Yaw Left", kLeft, false, 0},
    {4, "Yaw Right", kRight, false, 0},
    {5, "Roll Left", kQ, false, 0},
    {6, "Roll Right", kE, false, 0},
    {7, "Throttle Up", kEquals, false, 0},
    {8, "Throttle Down", kMinus, false, 0},
    {9, "Fire", kSpace, false, 1},
    {10, "Next Weapon Group", kW, false, 4},
    {11, "Fire Group 1", k1, false, 0},
    {12, "Fire Group 2", k2, false, 0},
    {13, "Fire Group 3", k3, false, 0},
    {14, "Next Target", kT, false, 2},
    {15, "Previous Target", kT, true, 0},
    {16, "Next Sub-Target", kY, false, 0},
    {17, "Store Target 1", kF5, true, 0},
    {18, "Store Target 2", kF6, true, 0},
    {19, "Store Target 3", kF7, true, 0},
    {20, "Store Target 4", kF8, true, 0},
    {21, "Recall Target 1", kF5, false, 0},
    {22, "Recall Target 2", kF6, false, 0},
    {23, "Recall Target 3", kF7, false, 0},
    {24, "Recall Target 4", kF8, false, 0},
    {25, "Launch Probe", kP, false, 0},
    {26, "Shield Power Up", kF1, false, 0},
    {27, "Shield Power Down", kF1, true, 0},
    {28, "Engine Power Up", kF2, false, 0},
    {29, "Engine Power Down", kF2, true, 0},
    {30, "Weapon Power Up", kF3, false, 0},
    {31, "Weapon Power Down", kF3, true, 0},
    {32, "Reset Power Split", kF4, false, 0},
    {33, "ECM", kC, false, 0},
    {34, "Cloak", kK, false, 0},
    {35, "Jammer", kJ, false, 0},
    {36, "Launch Decoy", kD, false, 0},
    {37, "Next Nav Point", kN, false, 0},
    {38, "Closest Nav Point", kN, true, 0},
    {39, "Cockpit View", kF9, false, 0},
    {40, "Chase View", kF10, false, 0},
    {41, "Navigation Map", kM, false, 0},
    {42, "Eject", kX, true, 0},
    {43, "Unused 43", 0, false, 0},
    {44, "Unused 44", 0, false, 0},
    {45, "Unused 45", 0, false, 0},
    {46, "Unused 46", 0, false, 0},
    {47, "Unused 47", 0, false, 0},
    {48, "Unused 48", 0, false, 0},
    {49, "Unused 49", 0, false, 0},
    {50, "Unused 50", 0, false, 0},
    {51, "Unused 51", 0, false, 0},
    {52, "Unused 52", 0, false, 0},
    {53, "Unused 53", 0, false, 0},
    {54, "Unused 54", 0, false, 0},
    {55, "Radar Range", kR, false, 0},
    {56, "Radar Mode", kV, false, 0},
    {57, "Unused 57", 0, false, 0},
    {58, "Unused 58", 0, false, 0},
    {59, "Unused 59", 0, false, 0},
    {60, "Unused 60", 0, false, 0},
    {61, "Unused 61", 0, false, 0},
    {62, "Unused 62", 0, false, 0},
    {63, "Unused 63", 0, false, 0},
    {64, "Unused 64", 0, false, 0},
    {65, "Unused 65", 0, false, 0},
    {66, "Unused 66", 0, false, 0},
    {67, "Unused 67", 0, false, 0},
    {68, "Boost", kTab, false, 8},
    {69, "Unused 69", 0, false, 0},
    {70, "Unused 70", 0, false, 0},
    {71, "Unused 71", 0, false, 0},
    {72, "Unused 72", 0, false, 0},
    {73, "Unused 73", 0, false, 0},
    {74, "Unused 74", 0, false, 0},
    {75, "Chat", kGrave, false, 0},
    {76, "Send", kEnter, false, 0},
    {77, "Exclamation 1", k1, true, 0},
    {78, "Exclamation 2", k2, true, 0},
    {79, "Exclamation 3", k3, true, 0},
    {80, "Exclamation 4", k4, true, 0},
    {81, "Exclamation 5", k5, true, 0},
    {82, "Exclamation 6", k6, true, 0},
    {83, "Exclamation 7", k7, true, 0},
    {84, "Exclamation 8", k8, true, 0},
    {85, "Exclamation 9", k9, true, 0},
    {86, "Exclamation 10", k0, true, 0},
    {87, "Unused 87", 0, false, 0},
    {88, "Unused 88", 0, false, 0},
    {89, "Unused 89", 0, false, 0},
    {90, "Unused 90", 0, false, 0},
    {91, "Unused 91", 0, false, 0},
    {92, "Unused 92", 0, false, 0},
    {93, "Unused 93", 0, false, 0},
    {94, "Unused 94", 0, false, 0},
    {95, "Unused 95", 0, false, 0},
    {96, "Unused 96", 0, false, 0},
};
static_assert(std::size(kEntries) == kFunctionCount);

constexpr AxisEntry kAxes[] = {
    {0, "Yaw", 1},
    {1, "Pitch", 2},
    {2, "Roll", 8},
    {3, "Throttle", 4},
    {4, "Unused Axis", 0},
};
static_assert(std::size(kAxes) == kAxisCount);

}  // namespace

std::span<const Entry> Defaults() { return kEntries; }

const Entry* Find(uint32_t number) { return number < std::size(kEntries) ? &kEntries[number] : nullptr; }

std::span<const AxisEntry> AxisDefaults() { return kAxes; }

}  // namespace command_table
