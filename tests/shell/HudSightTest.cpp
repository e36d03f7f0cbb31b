// The crosshair in flight: whatever text the HUD shows round it, in the
// chase view and the cockpit view and at each of the game's screen sizes,
// the sight is drawn whole, or its mark at the edge, every row still shows,
// and the edge arrow keeps off it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "display/CanvasRect.h"
#include "display/Palette.h"
#include "game/Cockpit.h"
#include "engine/Clock.h"
#include "game/CommandTable.h"
#include "objects/systems/TargetingSystem.h"
#include "shell/FlightView.h"
#include "tests/shell/CockpitFlight.h"
#include "tests/support/GoldenImage.h"

namespace {

using namespace command_table;

// Half the side of the square round the aim point that belongs to the sight
// alone: its arms and the room kept round them.
constexpr int32_t kSightHalf = 14;

class HudSight : public CockpitFlight {
protected:
    // The HUD of this readout drawn alone over black space on a screen the
    // size of the flight's, which keeps depth as the game's screen does.
    RgbImage HudAlone(const HudReadout& readout) {
        ScreenCanvas16 canvas(canvas_->width, canvas_->height, nullptr, nullptr, flight_->palette, Canvas::kFlagHasDepth,
                              0, 0);
        canvas.EnableDepthTest();
        canvas.Clear(flight_->palette->MatchColor(0x000000), 0xFFFFFFFFu);
        const HudReadout flown = Readout();
        // Drawing lowers the shield-hit flags: each picture starts from the frame's.
        int32_t hits[Cockpit::kFacings];
        std::memcpy(hits, Game().TheCockpit().shieldHits, sizeof hits);
        Readout() = readout;
        Game().TheCockpit().Draw(canvas, GetMilliseconds());
        Readout() = flown;
        std::memcpy(Game().TheCockpit().shieldHits, hits, sizeof hits);
        return CanvasToRgb(canvas);
    }
    // The frame's readout without the marks that close round a point of the
    // world (the target's brackets, the nav point's diamond, the arrow).
    HudReadout Unmarked() {
        HudReadout readout = Readout();
        readout.targetMark = HudMark{};
        readout.navMark = HudMark{};
        return readout;
    }
    // The square round (x, y) of a picture, row by row.
    static std::string Square(const RgbImage& picture, int32_t x, int32_t y) {
        std::string square;
        for (int32_t row = y - kSightHalf; row <= y + kSightHalf; ++row) {
            for (int32_t column = x - kSightHalf; column <= x + kSightHalf; ++column) {
                const size_t at = (size_t(row) * size_t(picture.width) + size_t(column)) * 3;
                square.append(reinterpret_cast<const char*>(&picture.rgb[at]), 3);
            }
        }
        return square;
    }
    // The pixels of these rgb bytes that are not black.
    template <typename Bytes>
    static int32_t Lit(const Bytes& rgb) {
        int32_t lit = 0;
        for (size_t at = 0; at < rgb.size(); at += 3) lit += rgb[at] != 0 || rgb[at + 1] != 0 || rgb[at + 2] != 0 ? 1 : 0;
        return lit;
    }
    // The sight as the HUD draws it over open space: laid at the screen's
    // centre, which the cockpit view keeps clear, with the same fraction of
    // a pixel as the frame's aim.
    std::string OpenSight(const HudReadout& readout) {
        HudReadout open = readout;
        const float cx = float(canvas_->width / 2), cy = float(canvas_->height / 2);
        open.aim.x = cx + readout.aim.x - std::round(readout.aim.x);
        open.aim.y = cy + readout.aim.y - std::round(readout.aim.y);
        return Square(HudAlone(open), int32_t(cx), int32_t(cy));
    }
    // The frame's sight is whole and alone in its square, and moving the rows
    // out of its way cost none of them a pixel: the HUD with the sight lights
    // what it lights without one and the sight's own pixels besides.
    void ExpectSightWholeAndEveryRowShown(const char* view) {
        SCOPED_TRACE(std::string(view) + " view at " + std::to_string(canvas_->width) + " x " +
                     std::to_string(canvas_->height));
        const HudReadout readout = Unmarked();
        ASSERT_EQ(readout.aim.kind, HudMark::kOnScreen);
        const int32_t x = int32_t(std::lround(readout.aim.x)), y = int32_t(std::lround(readout.aim.y));
        ASSERT_TRUE(x >= kSightHalf && y >= kSightHalf && x + kSightHalf < canvas_->width &&
                    y + kSightHalf < canvas_->height);
        const RgbImage sighted = HudAlone(readout);
        const std::string open = OpenSight(readout);
        EXPECT_EQ(Square(sighted, x, y), open) << "the sight at " << x << ", " << y << " is cut or covered";
        HudReadout blind = readout;
        blind.aim = HudMark{};
        const RgbImage unsighted = HudAlone(blind);
        EXPECT_GT(Lit(open), 20);
        EXPECT_EQ(Lit(sighted.rgb), Lit(unsighted.rgb) + Lit(open)) << "a row lost pixels making way for the sight";
    }
    // Laid on the middle of the radar's disc, the sight is drawn over the
    // rings and the beam lines there: each of its pixels as over open space.
    void ExpectSightWholeOverTheScope() {
        HudReadout over = Unmarked();
        ASSERT_TRUE(over.radar.shown);
        const CanvasRect place = Cockpit::RadarPlace(canvas_->width, canvas_->height);
        const int32_t x = place.x + place.width / 2, y = place.y + place.width / 2;
        over.aim = HudMark{HudMark::kOnScreen, float(x), float(y)};
        const std::string open = OpenSight(over), scoped = Square(HudAlone(over), x, y);
        int32_t cut = 0;
        for (size_t at = 0; at < open.size(); at += 3) {
            const bool sight = open[at] != 0 || open[at + 1] != 0 || open[at + 2] != 0;
            cut += sight && open.compare(at, 3, scoped, at, 3) != 0 ? 1 : 0;
        }
        EXPECT_EQ(cut, 0) << "pixels of the sight over the scope are missing";
    }
    // The frame shows where the guns point: the sight whole, else its edge
    // mark, lit where the HUD without it lights nothing (no row, nor the
    // arrow, loses a pixel to it). Whether it was the edge mark.
    bool ExpectSightOrItsEdgeMark() {
        const HudReadout& readout = Readout();
        if (readout.aim.kind == HudMark::kOnScreen) {
            ExpectSightWholeAndEveryRowShown("chase");
            return false;
        }
        HudReadout blind = readout;
        blind.aim = HudMark{};
        const RgbImage marked = HudAlone(readout), unmarked = HudAlone(blind);
        int32_t added = 0, covered = 0;
        for (size_t at = 0; at < marked.rgb.size(); at += 3) {
            if (std::equal(&marked.rgb[at], &marked.rgb[at] + 3, &unmarked.rgb[at])) continue;
            ++(unmarked.rgb[at] != 0 || unmarked.rgb[at + 1] != 0 || unmarked.rgb[at + 2] != 0 ? covered : added);
        }
        EXPECT_EQ(covered, 0) << "the edge mark covers a row or the arrow";
        EXPECT_GE(added, 20) << "no edge mark";
        return true;
    }
};

// A random mission's wing forming up: the objective's second line stands
// where the chase view lays the sight on the small screen. On each screen
// size, in the chase view and then the cockpit view, the sight is whole;
// laid over the radar's scope, it is whole there too. A long message under
// the scope, the sight laid on it, makes way up past the shield facings and
// not onto the scope, where the two would share pixels.
TEST_F(HudSight, TheSightStaysWholeOverTheFormUpsTwoLinesInBothViewsAtEveryScreenSize) {
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{800, 600}, std::pair{1024, 768}}) {
        FlyRandom(1, width, height);
        for (int32_t frame = 0; frame < 20; ++frame) Frame();
        ASSERT_STREQ(Game().TheCockpit().ObjectiveText(), "Form up with your wing");
        ASSERT_EQ(Game().viewMode, kChaseViewMode);
        ExpectSightWholeAndEveryRowShown("chase");
        ExpectSightWholeOverTheScope();
        if (width == 640) {
            EXPECT_TRUE(MatchesPngGolden(CanvasToRgb(*canvas_), "hud_sight_form_up"));
        }
        Game().TheCockpit().ShowMessage(
            "Corsair: hold your fire until the capital ship turns its deck away from the wing", nullptr, 60000, 0);
        const CanvasRect scope = Cockpit::RadarPlace(width, height);
        Readout().aim = HudMark{HudMark::kOnScreen, float(scope.x + scope.width / 2), float(height - 20)};
        ExpectSightWholeAndEveryRowShown("chase, a message under the scope");
        Press(kCockpitView);
        ASSERT_NE(Game().viewMode, kChaseViewMode);
        ExpectSightWholeAndEveryRowShown("cockpit");
    }
}

// A target high above the ship: seen from the chase view the arrow towards
// it comes down the middle of the screen, past the top rows, to where the
// sight stands; it stops short of the sight.
TEST_F(HudSight, TheArrowTowardsATargetAboveStopsShortOfTheSight) {
    FlyRandom(1);
    SpaceObject* raider = nullptr;
    for (SpaceObject* object = Game().mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (raider == nullptr && Ship().IsHostile(object)) raider = object;
    }
    ASSERT_NE(raider, nullptr);
    auto* const targeting = SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting);
    ASSERT_EQ(targeting->SelectTarget(raider), 1);
    Place(*raider, 0.0f, 1500.0f, 300.0f);
    Frame();
    Place(*raider, 0.0f, 1500.0f, 300.0f);
    Read();
    ASSERT_TRUE(Readout().hasTarget);
    ASSERT_EQ(Readout().targetMark.kind, HudMark::kOffScreen);
    ASSERT_LT(Readout().targetMark.dirY, -0.9f) << "the target is not above";
    ExpectSightWholeAndEveryRowShown("chase");

    // The arrow is what the target's mark adds, and none of it is in the
    // sight's square.
    HudReadout arrowed = Unmarked();
    arrowed.targetMark = Readout().targetMark;
    const RgbImage with = HudAlone(arrowed);
    const RgbImage without = HudAlone(Unmarked());
    const int32_t x = int32_t(std::lround(arrowed.aim.x)), y = int32_t(std::lround(arrowed.aim.y));
    EXPECT_GT(Lit(with.rgb), Lit(without.rgb) + 50) << "no arrow";
    EXPECT_EQ(Square(with, x, y), Square(without, x, y)) << "the arrow lands on the sight";
    Frame();
    EXPECT_TRUE(MatchesPngGolden(CanvasToRgb(*canvas_), "hud_sight_target_above"));

    // The nose pulled up at rest, the target held: the aim leaves the screen
    // over the top edge by the arrow, and the sight's edge mark keeps off it.
    const Vector3 above = raider->Position();
    int32_t edged = 0;
    for (int32_t frame = 0; frame < 30 && !HasFailure(); ++frame) {
        Frame({kNoseUp});
        raider->SetPositionFlags(above, Transform::kAllFlags | 0x10);
        raider->previousPosition = above;
        Read();
        edged += ExpectSightOrItsEdgeMark() && Readout().aim.dirY < -0.9f && Readout().targetMark.dirY < -0.9f;
    }
    EXPECT_GT(edged, 5) << "the aim never left the screen by the arrow";
}

// The chase view at rest does not pitch with the ship: a nose a few degrees
// up sends the aim over the top edge. Nose up and down at rest and at speed,
// then under the fire of the capital's turrets, whose hits knock the nose
// about: on every frame the pilot sees where the guns point, by the sight or
// by its mark at the edge.
TEST_F(HudSight, TheChaseViewShowsWhereTheGunsPointOnEveryFrameAtAnySpeedAndPitchUnderFireToo) {
    FlyRandom(RandomMissionGenerator::kDestroy);
    ASSERT_EQ(Game().viewMode, kChaseViewMode);
    int32_t frame = 0, edged = 0;
    const auto fly = [&](std::initializer_list<uint16_t> held, int32_t frames) {
        for (int32_t i = 0; i < frames && !HasFailure(); ++i, ++frame) {
            Frame(held);
            SCOPED_TRACE("frame " + std::to_string(frame) + ", " + std::to_string(Readout().speed) + " m/s");
            edged += ExpectSightOrItsEdgeMark() ? 1 : 0;
        }
    };
    fly({kNoseUp}, 30), fly({}, 20), fly({kNoseDown}, 50), fly({}, 10), fly({kThrottleUp}, 40);
    ASSERT_GT(Readout().speed, 50);
    fly({kNoseUp}, 20), fly({kNoseDown}, 40), fly({kThrottleDown}, 50);

    // The capital within its turrets' reach below the ship: flown until its
    // first hit, then on under its fire.
    SpaceObject* const capital = Named("Target");
    ASSERT_NE(capital, nullptr);
    Place(*capital, 0.0f, -250.0f, 400.0f);
    const auto intact = [&] { return Readout().shieldLevel == 100 && Ship().hitPoints == Ship().maxHitPoints; };
    for (int32_t i = 0; i < 400 && intact() && !HasFailure(); ++i) fly({}, 1);
    ASSERT_FALSE(intact()) << "the turrets never hit the ship";
    const int32_t before = edged;
    fly({}, 80);
    EXPECT_GT(edged, before) << "the hits never knocked the aim off the screen";
}

}  // namespace
