#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "canvas/ScreenCanvas16.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/Clock.h"
#include "engine/Random.h"
#include "engine/input/KeySet.h"
#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/HudReadout.h"
#include "game/Mission.h"
#include "mission/RandomMissionGenerator.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "scene/OstrelSystem.h"
#include "shell/FlightInput.h"
#include "shell/HudReading.h"
#include "tests/support/TempDir.h"
#include "tools/flightshot/FlightShot.h"
#include "tools/mkdata/SampleTree.h"

// A mission of the sample tree flown headless as the game flies it, frame
// by frame on a 640 x 480 16-bit software canvas, the flight's commands held
// as their keys hold them; and what the cockpit read and drew of it.
class CockpitFlight : public ::testing::Test {
protected:
    static constexpr int32_t kSeed = 1;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        g_pixelFormat = kPixelFormatRgb565;
        ASSERT_EQ(engine_.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    }
    void TearDown() override {
        Land();
        g_dataDirs.Clear();
    }

    // The mission set up, its first frame flown on a screen of width x height.
    void Fly(const char* mission, int32_t width = 640, int32_t height = 480) {
        Land();
        flight_ = std::make_unique<FlightShot>();
        Launch(mission, width, height);
    }
    // A random mission of this kind at the lowest difficulty, made up as
    // `vorn --random KIND --host` makes it (without `hosted`, as `vorn
    // --random KIND` alone), flown as Fly flies a mission.
    void FlyRandom(int32_t kind, int32_t width = 640, int32_t height = 480, bool hosted = true) {
        Land();
        flight_ = std::make_unique<FlightShot>();
        RandomMissionGenerator& generator = RandomMissionGenerator::Of(Game());
        generator.networkGame = 1;
        generator.wingFlies = hosted ? 1 : 0;
        GameRandomSeed(uint32_t(kSeed));
        generator.SetUp(kind, 0);
        Launch("Rnd 0", width, height);
    }
    // The flight before is over (each puts back the clock and game it found).
    void Land() {
        canvas_.reset();
        flight_.reset();
    }
    void Launch(const char* mission, int32_t width, int32_t height) {
        ASSERT_EQ(flight_->Load(mission, kSeed), kStatusOk);
        canvas_ = std::make_unique<ScreenCanvas16>(width, height, nullptr, nullptr, flight_->palette, Canvas::kFlagHasDepth,
                                                   0, 0);
        canvas_->EnableDepthTest();
        Frame();
    }
    // One frame with these commands held and no others: the flight input,
    // the world's step, the picture.
    void Frame(std::initializer_list<uint16_t> held = {}) {
        KeySet now;
        for (const uint16_t command : held) now.Set(command);
        Game().commands.Capture(now);
        HandleFlightInput(Game(), FlightShot::kFrameMs);
        flight_->Frame(drawOn_ != nullptr ? *drawOn_ : *canvas_);
    }
    // A key pressed for a frame and let go for one.
    void Press(uint16_t command) {
        Frame({command});
        Frame();
    }
    // The generator's weapon pool full, as after a while of flight.
    void FillWeaponPool() {
        auto* const energy = SystemOf<EnergySystem>(Ship(), ShipSystem::kEnergy);
        energy->weaponPool = energy->weaponMaximum;
    }
    // The HUD read again as it stands, no time passing (after the test moved things).
    void Read() { ReadHud(Game(), *Game().flightCamera, &Readout()); }
    // The cockpit's HUD of this readout drawn alone over black space on
    // `canvas`; the frame's readout and shield-hit flags are left as they
    // were, so that each such picture starts from the frame's.
    void DrawHudAlone(const HudReadout& readout, Canvas& canvas) {
        canvas.EnableDepthTest();
        canvas.Clear(flight_->palette->MatchColor(0x000000), 0xFFFFFFFFu);
        const HudReadout flown = Readout();
        int32_t hits[Cockpit::kFacings];
        std::memcpy(hits, Game().TheCockpit().shieldHits, sizeof hits);
        Readout() = readout;
        Game().TheCockpit().Draw(canvas, GetMilliseconds());
        Readout() = flown;
        std::memcpy(Game().TheCockpit().shieldHits, hits, sizeof hits);
    }

    GameState& Game() { return flight_->Game(); }
    Craft& Ship() { return *dynamic_cast<Craft*>(Game().playerShip); }
    HudReadout& Readout() { return Game().TheCockpit().readout; }
    const RadarPicture& Radar() { return Readout().radar; }
    template <typename System>
    System* SystemOf(Craft& craft, int32_t kind) {
        return static_cast<System*>(craft.GetSystem(kind, nullptr));
    }

    SpaceObject* Named(const char* name) {
        for (SpaceObject* object = Game().mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (object->name != nullptr && std::strcmp(object->name, name) == 0) return object;
        }
        return nullptr;
    }
    // The object stood still at these metres along the player's ship's axes.
    void Place(SpaceObject& object, float right, float up, float ahead) {
        Vector3 at = Ship().Position();
        at.AddAssign(Axis(0).Scaled(right));
        at.AddAssign(Axis(1).Scaled(up));
        at.AddAssign(Axis(2).Scaled(ahead));
        object.SetPositionFlags(at, Transform::kAllFlags | 0x10);
        object.previousPosition = at;
        object.velocity = {};
    }
    Vector3 Axis(int32_t row) {
        const float* const r = Ship().world.matrix.rows[row];
        Vector3 axis{r[0], r[1], r[2]};
        axis.Normalize();
        return axis;
    }

    // The rows the instruments draw on the 640 x 480 screen, one a line.
    std::string Rows() {
        HudReadout::Row rows[HudReadout::kRows];
        const int32_t count = Readout().Rows(640, 480, rows);
        std::string text;
        for (int32_t i = 0; i < count; ++i) text += std::string(rows[i].text) + "\n";
        return text;
    }
    bool HasRow(const std::string& row) { return ("\n" + Rows()).find("\n" + row + "\n") != std::string::npos; }

    const TempDir dir_;
    OstrelSystem engine_{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
    std::unique_ptr<FlightShot> flight_;
    std::unique_ptr<ScreenCanvas16> canvas_;
    Canvas* drawOn_ = nullptr;   // another canvas the frames are drawn on
};
