// The player's hands in flight: the command capture from the game state's
// event map, and what the commands and the stick do to the player's ship.
#include "shell/FlightInput.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/MathRoutineTable.h"
#include "engine/Random.h"
#include "engine/input/InputSystem.h"
#include "game/CommandTable.h"
#include "game/GameState.h"
#include "game/KeyBindings.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/EngineSystem.h"
#include "objects/weapons/Launchers.h"
#include "objects/space/Missile.h"
#include "objects/space/WorldPass.h"
#include "tests/support/ScriptedInput.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

constexpr uint32_t kEscape = 1, kMinus = 12, kEquals = 13, kQ = 16, kW = 17, kE = 18, kSpace = 57;
constexpr uint32_t kUp = 200, kLeft = 203, kRight = 205, kDown = 208;
constexpr float kTurnRate = 70.0f;
constexpr int32_t kNoDamage[5] = {};
constexpr int32_t kMaximumPower = 100;

class FlightInputTest : public ::testing::Test {
protected:
    FlightInputTest() {
        GameRandomSeed(5);
        RegisterSpaceObjects();
        system_ = new DirectInputSystem(nullptr);
        system_->OpenDevices();
        Game().TakeInputSystem(system_);
        Game().mode = 2;

        ship_ = builder_.SpawnAs<Craft>(builder_.Ball("PLAYER", 2.0f), 1);
        ship_->type = SpaceObject::kTypePlayerShip;
        ship_->side = 1;
        ship_->mass = 10.0f;
        ship_->SetAccelerations(80.0f, 100.0f);
        ship_->SetMaxRates(80.0f, kTurnRate);
        ship_->Activate(0);
        ship_->SetHitPoints(100);
        Game().playerShip = ship_;
        const int16_t enrg[3] = {1000, 10, 20};
        energy_ = EnergySystem::FromWords(ship_, 0, enrg, 50);
        ship_->AddSystem(0, energy_);
        energy_->weaponPool = 100000;
        // Thrust scale 1000, acceleration scale 1, maximum power 100.
        const int16_t engi[5] = {100, 100, 0, kMaximumPower, 0};
        engine_ = new EngineSystem(ship_, 0, engi, 50);
        ship_->AddSystem(0, engine_);
        // Agility equal to the mass: an undamaged control passes the stick.
        const int16_t flgt[7] = {0, 100, 100, 10, 100, 10, 10};
        controls_ = new FlightControlSystem(ship_, 0, flgt, nullptr, 50);
        ship_->AddSystem(0, controls_);
    }
    ~FlightInputTest() override {
        Game().playerShip = nullptr;
        Game().ClearFlight();
    }

    GameState& Game() { return builder_.Game(); }

    // One mode-2 frame of 50 ms: capture, input, simulate.
    void Frame() {
        CaptureCommandState(Game());
        HandleFlightInput(Game(), 50);
        builder_.Clock().Advance(50);
        Game().Simulate();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    // One of the ship's axes in the world: 0 right, 1 up, 2 forward.
    Vector3 Axis(int which) const {
        Vector3 local{0.0f, 0.0f, 0.0f}, out;
        (&local.x)[which] = 1.0f;
        g_mathRoutineTable.transformVector(&local, &ship_->world.matrix, &out);
        return out;
    }
    // Input 0 to 100 per cent comes out as 0 to `out` per cent.
    void Curve(int32_t out) {
        Game().responseCurve.EnsureIndex(0);
        const int32_t words[5] = {0, 100, 0, 0, out};
        std::memcpy(Game().responseCurve[0].words, words, sizeof words);
    }
    MissileLauncher* Rack(int32_t group, const char* label, SpaceObject* missile) {
        auto* const rack = new MissileLauncher(ship_, 0, 0, group, 5000, 0, 5, 3000, kNoDamage, missile, nullptr);
        std::strcpy(rack->equipmentId, label);
        ship_->AddSystem(0, rack);
        return rack;
    }

    ScriptedInput input_;
    WorldBuilder builder_;
    DirectInputSystem* system_;
    Craft* ship_;
    EnergySystem* energy_;
    EngineSystem* engine_;
    FlightControlSystem* controls_;
};

// The arrows work as a stick: Up pushes it forward and the nose goes down.
TEST_F(FlightInputTest, HeldKeysTurnTheShipTheirWay) {
    const struct {
        uint32_t key;
        int axis;        // the ship's axis that moves
        int component;   // its world component that grows
        float sign;
    } cases[] = {
        {kUp, 2, 1, -1.0f},     // forward dips
        {kDown, 2, 1, 1.0f},    // forward rises
        {kLeft, 2, 0, -1.0f},   // forward swings left
        {kRight, 2, 0, 1.0f},
        {kQ, 1, 0, -1.0f},      // up leans left: a roll to the left
        {kE, 1, 0, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ship_->local.SetIdentity();
        ship_->UpdateWorldTransform(Transform::kAllFlags);
        ship_->angularVelocity = {0.0f, 0.0f, 0.0f};
        input_.Press(c.key);
        Frames(10);
        const Vector3 axis = Axis(c.axis);
        EXPECT_GT((&axis.x)[c.component] * c.sign, 0.1f);
        // The other turns stay still.
        const Vector3 r = ship_->rotationRates;
        EXPECT_EQ((r.x != 0.0f) + (r.y != 0.0f) + (r.z != 0.0f), 1);
        // A key let go counts for the frame it was still down in, no more.
        input_.Release(c.key);
        Frames(2);
        EXPECT_EQ(ship_->rotationRates.x, 0.0f);
        EXPECT_EQ(ship_->rotationRates.y, 0.0f);
        EXPECT_EQ(ship_->rotationRates.z, 0.0f);
    }
}

TEST_F(FlightInputTest, KeysPassTheFlightControlsAndTheResponseCurve) {
    input_.Press(kUp);
    Frame();
    EXPECT_FLOAT_EQ(ship_->rotationRates.x, kTurnRate);
    Curve(50);
    Frame();
    EXPECT_FLOAT_EQ(ship_->rotationRates.x, kTurnRate * 0.5f);
    // Agility over mass scales the turn.
    controls_->agility = 5;
    Frame();
    EXPECT_FLOAT_EQ(ship_->rotationRates.x, kTurnRate * 0.25f);
}

// A damaged control rolls the dice for each deflection; no deflection, no
// roll, so a frame without a hand on the controls leaves the dice alone.
TEST_F(FlightInputTest, AFrameWithoutInputRollsNoDice) {
    controls_->damage = 40;
    GameRandomSeed(9);
    const int32_t expected = GameRandom();
    GameRandomSeed(9);
    CaptureCommandState(Game());
    HandleFlightInput(Game(), 50);
    EXPECT_EQ(GameRandom(), expected);
}

TEST_F(FlightInputTest, TheStickSteersOnlyWithTheJoystickSetting) {
    input_.PlugJoystick(false, 4);
    Curve(50);
    input_.FeedJoystickAxis(0, 65535);   // hard right
    input_.FeedJoystickAxis(1, 0);       // pushed forward
    input_.FeedJoystickAxis(2, 32768);   // half throttle
    input_.FeedJoystickAxis(3, 0);       // rudder left
    Frame();
    EXPECT_EQ(ship_->rotationRates.x, 0.0f);
    EXPECT_EQ(ship_->rotationRates.y, 0.0f);
    EXPECT_EQ(energy_->engineAllocation, 0);

    Game().joystickSetting = 1;
    Frame();
    // Full deflections, each halved by the curve; pushed forward dives as Up does.
    EXPECT_NEAR(ship_->rotationRates.x, kTurnRate * 0.5f, 0.01f);
    EXPECT_NEAR(ship_->rotationRates.y, kTurnRate * 0.5f, 0.01f);
    EXPECT_NEAR(ship_->rotationRates.z, kTurnRate * 0.5f, 0.01f);   // as Q: the right wing lifts
    EXPECT_NEAR(energy_->engineAllocation, kMaximumPower / 2, 1);
    input_.FeedJoystickAxis(2, 0);   // lever forward: full power
    Frame();
    EXPECT_EQ(energy_->engineAllocation, kMaximumPower);

    // A key held wins over the stick on its axis.
    input_.Press(kLeft);
    Frame();
    EXPECT_LT(ship_->rotationRates.y, 0.0f);
    EXPECT_GT(ship_->rotationRates.x, 0.0f);
}

// A key map's hat binding holds its command while the hat reads its
// direction, and only then; the stick setting is not needed for a hat.
TEST_F(FlightInputTest, AHatBindingHoldsItsCommandAtItsDirectionOnly) {
    input_.PlugJoystick(true, 2);
    ASSERT_GT(Game().functionBindings.size(), size_t(command_table::kBoost));
    Game().functionBindings[command_table::kBoost]->hatDirection[0] = 90;
    for (const auto& [pov, held] : {std::pair{9000u, true}, std::pair{27000u, false}, std::pair{0xFFFFu, false}}) {
        input_.FeedJoystickHat(pov);
        CaptureCommandState(Game());
        EXPECT_EQ(Game().commands.IsHeld(command_table::kBoost), held) << pov;
    }
}

// A stick without a rudder or throttle leaves roll and power to the keys.
TEST_F(FlightInputTest, AStickWithTwoAxesNeitherRollsNorThrottles) {
    input_.PlugJoystick(false, 2);
    Game().joystickSetting = 1;
    energy_->SetEnginePower(30);
    Frame();
    EXPECT_EQ(ship_->rotationRates.z, 0.0f);
    EXPECT_EQ(energy_->engineAllocation, 30);
}

TEST_F(FlightInputTest, ThrottleKeysMoveThePowerFromWhereItStands) {
    energy_->SetEnginePower(20);
    input_.Press(kEquals);
    Frames(10);   // half a second: a quarter of the travel
    EXPECT_EQ(energy_->engineAllocation, 45);
    Frames(40);
    EXPECT_EQ(energy_->engineAllocation, kMaximumPower);
    input_.Release(kEquals);
    Frame();
    EXPECT_EQ(energy_->engineAllocation, kMaximumPower);
    // Something else sets the power; the next press starts from there.
    energy_->SetEnginePower(60);
    input_.Press(kMinus);
    Frames(4);
    EXPECT_EQ(energy_->engineAllocation, 50);
    Frames(40);
    EXPECT_EQ(energy_->engineAllocation, 0);
}

TEST_F(FlightInputTest, FireShootsTheChosenGroupAndTheChoiceGoesRoundTheGroupsTheShipCarries) {
    SpaceObject* const missile = new Missile(builder_.Ball("MISSL", 0.5f));
    MissileLauncher* const missiles = Rack(Weapon::kMissileGroup, "Rack A", missile);
    MissileLauncher* const objects = Rack(Weapon::kObjectGroup, "Rack B", missile);
    // The first shot picks the first group the ship carries.
    input_.Tap(kSpace);
    Frame();
    EXPECT_EQ(missiles->ammunition, 4);
    EXPECT_EQ(objects->ammunition, 5);
    EXPECT_EQ(Game().playerControls.weaponGroup, Weapon::kMissileGroup);
    // A held choice key moves on once.
    input_.Press(kW);
    Frames(3);
    EXPECT_EQ(Game().playerControls.weaponGroup, Weapon::kObjectGroup);
    input_.Release(kW);
    Frames(2);
    input_.Tap(kSpace);
    Frame();
    EXPECT_EQ(objects->ammunition, 4);
    // Past the last group the choice comes round to the first.
    input_.Tap(kW);
    Frame();
    EXPECT_EQ(Game().playerControls.weaponGroup, Weapon::kMissileGroup);
    // A rack run dry leaves its group: fire falls to the next one carried.
    missiles->ammunition = 1;
    builder_.Clock().Advance(6000);
    input_.Tap(kSpace);
    Frame();
    EXPECT_EQ(missiles->ammunition, 0);
    builder_.Clock().Advance(6000);
    input_.Tap(kSpace);
    Frame();
    EXPECT_EQ(Game().playerControls.weaponGroup, Weapon::kObjectGroup);
    EXPECT_EQ(objects->ammunition, 3);
    Game().ClearFlight();
    delete missile;
}

TEST_F(FlightInputTest, EscapePausesOncePerPressEvenWhenTheShipIsDead) {
    input_.Tap(kEscape);   // between two frames: the frame still sees it
    Frame();
    EXPECT_EQ(Game().mode, 6);
    Game().mode = 2;
    Frame();
    EXPECT_EQ(Game().mode, 2);
    ship_->dead = 1;
    input_.Press(kEscape);
    input_.Press(kUp);
    Frames(3);
    EXPECT_EQ(Game().mode, 6);
    EXPECT_EQ(ship_->rotationRates.x, 0.0f);
    ship_->dead = 0;
}

TEST_F(FlightInputTest, WithoutAnInputSystemNothingIsHeld) {
    input_.Press(kSpace);
    CaptureCommandState(Game());
    EXPECT_TRUE(Game().commands.IsHeld(command_table::kFire));
    Game().TakeInputSystem(nullptr);
    CaptureCommandState(Game());
    EXPECT_FALSE(Game().commands.IsHeld(command_table::kFire));
    HandleFlightInput(Game(), 50);   // no ship commands, no crash
}

}  // namespace
