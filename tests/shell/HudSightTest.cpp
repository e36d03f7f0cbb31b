// The crosshair in flight: in the chase view and the cockpit view, at each
// of the game's screen sizes, at rest and at speed, nose up and down and
// under fire, the sight stands whole at the aim point or its mark stands on
// the aim line, at the screen's edge where the aim leaves it; neither comes
// near any text, the scope's label included, no text moves for it, and the
// edge arrow gives way to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "canvas/D3DCanvas.h"
#include "display/CanvasRect.h"
#include "display/Palette.h"
#include "game/Cockpit.h"
#include "game/CommandTable.h"
#include "game/HudKeepClear.h"
#include "game/RadarScope.h"
#include "objects/systems/TargetingSystem.h"
#include "shell/FlightView.h"
#include "tests/shell/CockpitFlight.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScopedDisplay.h"
#include "tools/render/Hardware3dTarget.h"

namespace {

using namespace command_table;

// The least distance, in pixels across or down, from any pixel of the sight
// or its mark to any pixel of a text, and to any pixel of the edge arrow.
constexpr int32_t kTextRoom = 5, kArrowRoom = 7;
// How near the edge the aim leaves by its mark's tip stands, at the most.
constexpr int32_t kEdgeReach = 6;

// The HUD alone as its canvas holds it, 16-bit pixels or the 3D kind's red,
// green, blue: black is zero and alike pixels have alike bytes either way, so
// no frame's two pictures need converting to colours.
struct Shot {
    int32_t width = 0, height = 0, depth = 0;
    std::vector<uint8_t> bytes;

    const uint8_t* At(int32_t x, int32_t y) const {
        return bytes.data() + (size_t(y) * size_t(width) + size_t(x)) * size_t(depth);
    }
};

bool LitAt(const Shot& picture, int32_t x, int32_t y) {
    return std::any_of(picture.At(x, y), picture.At(x, y) + picture.depth, [](uint8_t b) { return b != 0; });
}

// Whether the `count` pixels from x, y are alike in both.
bool SameAt(const Shot& a, const Shot& b, int32_t x, int32_t y, int32_t count = 1) {
    return std::memcmp(a.At(x, y), b.At(x, y), size_t(count) * size_t(a.depth)) == 0;
}

// The pixels a mark lit: where they stand, and their box.
struct Seen {
    std::vector<std::pair<int32_t, int32_t>> pixels;
    int32_t left = 0x7FFF, top = 0x7FFF, right = -1, bottom = -1;

    void Add(int32_t x, int32_t y) {
        pixels.emplace_back(x, y);
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
    }
    // The least distance across or down between a pixel of each.
    int32_t DistanceTo(const Seen& other) const {
        int32_t least = 0x7FFF;
        for (const auto& [x, y] : pixels) {
            for (const auto& [ox, oy] : other.pixels) {
                least = std::min(least, std::max(std::abs(x - ox), std::abs(y - oy)));
            }
        }
        return least;
    }
    // The whole sight at the aim point: its box centred there, no chevron.
    bool WholeAt(const HudMark& aim) const {
        return aim.kind == HudMark::kOnScreen && std::fabs(float(left + right) * 0.5f - aim.x) <= 1.5f &&
               std::fabs(float(top + bottom) * 0.5f - aim.y) <= 1.5f && right - left <= 27 && bottom - top <= 27;
    }
};

class HudSight : public CockpitFlight {
protected:
    // The 3D kind goes before the flight whose palette it draws with.
    void TearDown() override {
        hardware_.reset();
        CockpitFlight::TearDown();
    }
    // The HUD of this readout alone on a screen the size of the flight's,
    // which keeps depth as the game's screen does: a software one, or the
    // 3D kind's.
    Shot HudAlone(const HudReadout& readout, bool hardware = false) {
        std::unique_ptr<ScreenCanvas16> software;
        Canvas* canvas = nullptr;
        if (hardware) {
            if (hardware_ == nullptr) {
                hardware_ = std::make_unique<Hardware3dTarget>();
                EXPECT_EQ(hardware_->Open(flight_->palette, canvas_->width, canvas_->height), kStatusOk);
            }
            canvas = hardware_->Canvas();
        } else {
            software = std::make_unique<ScreenCanvas16>(canvas_->width, canvas_->height, nullptr, nullptr,
                                                        flight_->palette, Canvas::kFlagHasDepth, 0, 0);
            canvas = software.get();
        }
        if (canvas == nullptr) return Shot{};
        DrawHudAlone(readout, *canvas);
        Shot shot{canvas->width, canvas->height, hardware ? 3 : 2, {}};
        EXPECT_TRUE(!hardware || hardware_->ReadRgb(&shot.bytes));
        for (int32_t y = 0; software != nullptr && y < shot.height; ++y) {
            shot.bytes.insert(shot.bytes.end(), software->Row(y), software->Row(y) + size_t(shot.width) * 2);
        }
        return shot;
    }
    // The frame's readout without the marks that close round a point of the
    // world (the target's brackets, the nav point's diamond, the arrow).
    HudReadout Unmarked() {
        HudReadout readout = Readout();
        readout.targetMark = HudMark{};
        readout.navMark = HudMark{};
        return readout;
    }
    // The scope's disc, above its range line: the sight may cross it.
    bool OnDisc(int32_t x, int32_t y) const {
        const CanvasRect place = Cockpit::RadarPlace(canvas_->width, canvas_->height);
        return x >= place.x - 1 && x <= place.x + place.width && y >= place.y - 1 &&
               y < place.y + place.height - RadarScope::kRangeLine;
    }
    // The sight, or its mark, of this readout's HUD: what it lights beyond
    // the same HUD without an aim. It lights only black space or the scope's
    // disc (no text moved for it, none lost a pixel to it), and none of its
    // pixels comes within kTextRoom of a text's.
    Seen ExpectSightClearOfText(const HudReadout& readout, bool hardware = false) {
        SCOPED_TRACE(hardware ? "the 3D kind" : "software");
        const Shot sighted = HudAlone(readout, hardware);
        HudReadout blind = readout;
        blind.aim = HudMark{};
        text_ = HudAlone(blind, hardware);
        Seen seen;
        int32_t covered = 0;
        for (int32_t y = 0; y < sighted.height; ++y) {
            if (SameAt(sighted, text_, 0, y, sighted.width)) continue;
            for (int32_t x = 0; x < sighted.width; ++x) {
                if (SameAt(sighted, text_, x, y)) continue;
                if (LitAt(text_, x, y) && !OnDisc(x, y)) {
                    ++covered;
                } else {
                    seen.Add(x, y);
                }
            }
        }
        EXPECT_EQ(covered, 0) << "the sight lies on a text, or a text moved for it";
        EXPECT_GE(seen.pixels.size(), 20u) << "neither the sight nor its mark is drawn";
        int32_t near = 0;
        for (const auto& [x, y] : seen.pixels) {
            for (int32_t ty = std::max(y - kTextRoom + 1, 0); ty < std::min(y + kTextRoom, text_.height); ++ty) {
                for (int32_t tx = std::max(x - kTextRoom + 1, 0); tx < std::min(x + kTextRoom, text_.width); ++tx) {
                    near += LitAt(text_, tx, ty) && !OnDisc(tx, ty) ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(near, 0) << "the sight comes nearer than " << kTextRoom << " px to a text, in the box " << seen.left
                           << ", " << seen.top << " to " << seen.right << ", " << seen.bottom;
        return seen;
    }
    // The scanlines that hold text of the blocks that stand still whatever
    // the flight does: the indicators and damage gauges at the top, the
    // instruments' left column (each left of the sight's lane), in the last
    // picture without the sight.
    std::vector<int32_t> StandingRows() const {
        std::vector<int32_t> rows;
        const int32_t column = text_.height - 180;
        for (int32_t y = 0; y < text_.height; ++y) {
            if (y >= 48 && (y < column || y >= column + 48)) continue;
            for (int32_t x = 0; x < text_.width / 2 - 20; ++x) {
                if (LitAt(text_, x, y)) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }
    // The arrow of the frame's target mark: what it lights beyond the HUD
    // without it.
    Seen Arrow() {
        HudReadout arrowed = Unmarked();
        arrowed.targetMark = Readout().targetMark;
        const Shot with = HudAlone(arrowed), without = HudAlone(Unmarked());
        Seen arrow;
        for (int32_t y = 0; y < with.height; ++y) {
            if (SameAt(with, without, 0, y, with.width)) continue;
            for (int32_t x = 0; x < with.width; ++x) {
                if (!SameAt(with, without, x, y)) arrow.Add(x, y);
            }
        }
        return arrow;
    }

    ScopedDisplay display_;
    std::unique_ptr<Hardware3dTarget> hardware_;
    Shot text_;
};

// A random mission's wing forming up, the objective's second line long
// enough to reach the middle of the small screen. On each screen size, in
// the chase view and then the cockpit view, the level sight is whole at the
// aim point, clear of every text; laid over the radar's scope it is whole
// there too. A long message under the scope, the aim laid on it: the message
// stays where it is, and the sight's mark stands clear of it and of the
// scope's label, pointing down at the aim.
TEST_F(HudSight, TheLevelSightIsWholeBesideTheFormUpsLinesInBothViewsAtEveryScreenSize) {
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{800, 600}, std::pair{1024, 768}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        FlyRandom(1, width, height);
        for (int32_t frame = 0; frame < 20; ++frame) Frame();
        ASSERT_STREQ(Game().TheCockpit().ObjectiveText(), "Form up with your wing");
        ASSERT_EQ(Game().viewMode, kChaseViewMode);
        EXPECT_TRUE(ExpectSightClearOfText(Unmarked()).WholeAt(Readout().aim)) << "the level sight is not whole";
        const std::vector<int32_t> rows = StandingRows();
        if (width == 640) {
            EXPECT_TRUE(MatchesPngGolden(CanvasToRgb(*canvas_), "hud_sight_form_up"));
        }

        HudReadout over = Unmarked();
        ASSERT_TRUE(over.radar.shown);
        const CanvasRect scope = Cockpit::RadarPlace(width, height);
        over.aim = HudMark{HudMark::kOnScreen, float(scope.x + scope.width / 2), float(scope.y + scope.width / 2)};
        EXPECT_TRUE(ExpectSightClearOfText(over).WholeAt(over.aim)) << "the sight over the scope is not whole";

        Game().TheCockpit().ShowMessage(
            "Corsair: hold your fire until the capital ship turns its deck away from the wing", nullptr, 60000, 0);
        HudReadout low = Unmarked();
        low.aim = HudMark{HudMark::kOnScreen, 200.0f, float(height - 20)};
        low.aimTrack = HudTrack{};
        EXPECT_FALSE(ExpectSightClearOfText(low).WholeAt(low.aim)) << "the sight is whole on the message";
        EXPECT_EQ(StandingRows(), rows);

        Press(kCockpitView);
        ASSERT_NE(Game().viewMode, kChaseViewMode);
        EXPECT_TRUE(ExpectSightClearOfText(Unmarked()).WholeAt(Readout().aim)) << "the cockpit's sight is not whole";
    }
}

// A target high above the ship: seen from the chase view the arrow towards
// it comes down the middle of the screen, past the top rows, to where the
// sight stands; it stops short of the sight. The nose pulled up at rest, the
// target held: the aim leaves the screen over the top edge by the arrow, and
// the sight's mark takes the edge, the arrow giving way to it.
TEST_F(HudSight, TheArrowTowardsATargetAboveGivesWayToTheSightAndItsMark) {
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
    const Seen sight = ExpectSightClearOfText(Unmarked());
    EXPECT_TRUE(sight.WholeAt(Readout().aim));
    const Seen arrow = Arrow();
    EXPECT_GT(arrow.pixels.size(), 50u) << "no arrow";
    EXPECT_GE(arrow.DistanceTo(sight), kArrowRoom) << "the arrow comes near the sight";
    Frame();
    EXPECT_TRUE(MatchesPngGolden(CanvasToRgb(*canvas_), "hud_sight_target_above"));

    const Vector3 above = raider->Position();
    int32_t edged = 0;
    for (int32_t frame = 0; frame < 30 && !HasFailure(); ++frame) {
        Frame({kNoseUp});
        raider->SetPositionFlags(above, Transform::kAllFlags | 0x10);
        raider->previousPosition = above;
        Read();
        SCOPED_TRACE("frame " + std::to_string(frame));
        const Seen seen = ExpectSightClearOfText(Unmarked());
        EXPECT_GE(Arrow().DistanceTo(seen), kArrowRoom) << "the arrow comes near the sight";
        if (Readout().aim.kind == HudMark::kOffScreen && Readout().aim.dirY < -0.9f &&
            Readout().targetMark.dirY < -0.9f) {
            EXPECT_LE(seen.top, kEdgeReach) << "the mark gave the edge up to the arrow";
            ++edged;
        }
    }
    EXPECT_GT(edged, 5) << "the aim never left the screen by the arrow";
}

// The chase view's route from level at rest, leg by leg: a command held (or
// none) for some frames, flown only, looked at, or looked at on the 3D kind too.
constexpr int32_t kNothing = -1;
enum Look { kPass, kLook, kBoth };
struct Leg {
    int32_t held, frames;
    Look look = kLook;
};
constexpr Leg kRoute[] = {
    {kNoseUp, 30}, {kNothing, 30},                                    // at rest: up, let go
    {kNoseDown, 30}, {kNoseDown, 70, kBoth}, {kNothing, 60, kBoth},   // down, held on, let go
    {kNoseUp, 60}, {kNothing, 10}, {kThrottleUp, 40},                 // up again, let go, under way
    {kNoseUp, 30}, {kNothing, 20}, {kNoseDown, 60}, {kNothing, 20},   // at speed: up, let go, down, let go
    {kThrottleDown, 50},                                              // to a stop
};

// The route flown from the destroy mission, level at rest for a few frames
// first: its sight whole, where it stands and the standing text noted.
class HudSightRoute : public HudSight {
protected:
    void SetUp() override {
        HudSight::SetUp();
        FlyRandom(RandomMissionGenerator::kDestroy);
        ASSERT_EQ(Game().viewMode, kChaseViewMode);
        for (int32_t i = 0; i < 10; ++i) Frame();
        level_ = ExpectSightClearOfText(Unmarked());
        ASSERT_TRUE(level_.WholeAt(Readout().aim)) << "the level sight is not whole";
        rows_ = StandingRows();
    }
    // `frames` frames with the command `held`, each but a passing one looked
    // at: the pilot sees where the guns point, by the sight or by its mark,
    // clear of every text (on the 3D kind too, every fourth of kBoth), and the
    // text stands where it stood. The aim off the screen, the mark stands at
    // the edge it points to, well apart from where the level sight stood.
    void Fly(int32_t held, int32_t frames, Look look = kLook) {
        const int32_t height = canvas_->height;
        for (int32_t i = 0; i < frames && !HasFailure(); ++i, ++frame_) {
            held == kNothing ? Frame() : Frame({uint16_t(held)});
            if (look == kPass) continue;
            SCOPED_TRACE("frame " + std::to_string(frame_) + ", " + std::to_string(Readout().speed) + " m/s");
            const HudReadout readout = Unmarked();
            const Seen seen = ExpectSightClearOfText(readout);
            EXPECT_EQ(StandingRows(), rows_) << "a block of text moved";
            const HudMark& aim = readout.aim;
            marked_ += seen.WholeAt(aim) ? 0 : 1;
            if (aim.kind == HudMark::kOffScreen && std::fabs(aim.dirY) > 0.9f) {
                EXPECT_TRUE(seen.bottom + 8 < level_.top || seen.top > level_.bottom + 8)
                    << "the mark stands where the level sight stood";
                EXPECT_LE(aim.dirY < 0.0f ? seen.top : height - 1 - seen.bottom, kEdgeReach)
                    << "the mark is not at the edge it points to";
                ++(aim.dirY < 0.0f ? up_ : down_);
            }
            const CanvasRect scope = Cockpit::RadarPlace(canvas_->width, height);
            if (aim.kind == HudMark::kOnScreen && aim.y > float(scope.y + scope.height - RadarScope::kRangeLine)) {
                ++behindTheLabel_;
            }
            if (look == kBoth && i % 4 == 0) ExpectSightClearOfText(readout, true);
        }
    }
    // The route's next `legs` legs; without `look` only flown, another case looking at them.
    void FlyRoute(int32_t legs, bool look = true) {
        for (const int32_t end = leg_ + legs; leg_ < end; ++leg_) {
            Fly(kRoute[leg_].held, kRoute[leg_].frames, look ? kRoute[leg_].look : kPass);
        }
    }

    // What SetUp saw; the frames flown, the route's next leg, and what Fly counted.
    Seen level_;
    std::vector<int32_t> rows_;
    int32_t frame_ = 0, leg_ = 0, up_ = 0, down_ = 0, marked_ = 0, behindTheLabel_ = 0;
};

// The chase view at rest does not pitch with the ship: a nose a few degrees
// up sends the aim over the top edge, and the sight's mark takes that edge.
TEST_F(HudSightRoute, TheChaseViewAtRestMarksTheTopEdgeTheNoseUpSendsTheAimOver) {
    FlyRoute(2);
    EXPECT_TRUE(MatchesPngGolden(CanvasToRgb(*canvas_), "hud_sight_nose_up"));
    EXPECT_GT(up_, 10) << "the aim never left the screen over the top";
}

// The nose swung down from there at rest: the aim comes back over the top
// edge, crosses the screen and goes down past the scope and its label and
// over the bottom edge, then back up past the label as the nose comes up
// again. On the way down the mark keeps off the scope's label on both
// renderers.
TEST_F(HudSightRoute, TheChaseViewAtRestMarksTheBottomEdgeTheNoseDownSendsTheAimOverPastTheScopesLabel) {
    FlyRoute(2, false);
    FlyRoute(3);
    EXPECT_TRUE(MatchesPngGolden(CanvasToRgb(*canvas_), "hud_sight_nose_down"));
    EXPECT_GT(down_, 10) << "the aim never left the screen over the bottom";
    EXPECT_GT(behindTheLabel_, 0) << "the aim never passed the scope's label";
    FlyRoute(2);
}

// At speed, then the throttle taken back to a stop.
TEST_F(HudSightRoute, TheChaseViewsSightOrItsMarkStaysClearOfTheTextAtSpeedNoseUpAndDown) {
    FlyRoute(7, false);
    FlyRoute(1);
    ASSERT_GT(Readout().speed, 50);
    FlyRoute(5);
}

// At the route's end the capital within its turrets' reach below the ship:
// flown until its first hit, then on under its fire, whose hits knock the
// nose about and the aim off the screen. The route comes first because from
// level the hits knock the aim out by the top left, where the indicators
// rightly hold the mark back from the edge, and the edge is what is looked at.
TEST_F(HudSightRoute, TheChaseViewsSightOrItsMarkStaysClearOfTheTextUnderFire) {
    FlyRoute(int32_t(std::size(kRoute)), false);
    SpaceObject* const capital = Named("Target");
    ASSERT_NE(capital, nullptr);
    Place(*capital, 0.0f, -250.0f, 400.0f);
    const auto intact = [&] { return Readout().shieldLevel == 100 && Ship().hitPoints == Ship().maxHitPoints; };
    for (int32_t i = 0; i < 400 && intact() && !HasFailure(); ++i) Fly(kNothing, 1);
    ASSERT_FALSE(intact()) << "the turrets never hit the ship";
    const int32_t before = marked_;
    Fly(kNothing, 80);
    EXPECT_GT(marked_, before) << "the hits never knocked the aim off the screen";
}

// Where the sight goes on the 640 x 480 screen without an aim track, as in
// the cockpit view: whole only where its ink keeps a pixel from every edge,
// else its mark, whole inside the screen. An aim point whose crosshair a
// text covers has the mark held back on the line from the centre, short of
// the aim point and clear of the text: never out past it towards the edge.
TEST(HudSightPlace, TheSightIsWholeClearOfTheEdgesAndItsMarkStopsShortOfACoveredAim) {
    struct Case {
        float x, y;
        int32_t kind;
        CanvasRect text;   // none when empty
    };
    const Case cases[] = {{14.0f, 240.0f, ::HudSight::kWhole, {}},  {13.0f, 240.0f, ::HudSight::kMark, {}},
                          {320.0f, 14.0f, ::HudSight::kWhole, {}},  {320.0f, 13.0f, ::HudSight::kMark, {}},
                          {625.0f, 240.0f, ::HudSight::kWhole, {}}, {626.0f, 240.0f, ::HudSight::kMark, {}},
                          {320.0f, 465.0f, ::HudSight::kWhole, {}}, {320.0f, 466.0f, ::HudSight::kMark, {}},
                          {200.0f, 300.0f, ::HudSight::kMark, {150, 290, 100, 20}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("aim " + std::to_string(c.x) + ", " + std::to_string(c.y));
        HudReadout readout;
        readout.flying = true;
        readout.aim = HudMark{HudMark::kOnScreen, c.x, c.y};
        HudKeepClear text;
        text.Add(c.text.x, c.text.y, c.text.width, c.text.height);
        const ::HudSight sight = readout.PlaceSight(640, 480, text);
        ASSERT_EQ(sight.kind, c.kind);
        const CanvasRect ink = sight.Ink();
        EXPECT_TRUE(ink.x >= 0 && ink.y >= 0 && ink.x + ink.width <= 640 && ink.y + ink.height <= 480)
            << "cut by the edge at " << sight.x << ", " << sight.y;
        if (c.text.width == 0) continue;
        const int32_t across = std::max(c.text.x - (ink.x + ink.width - 1), ink.x - (c.text.x + c.text.width - 1));
        const int32_t down = std::max(c.text.y - (ink.y + ink.height - 1), ink.y - (c.text.y + c.text.height - 1));
        EXPECT_GE(std::max(across, down), kTextRoom) << "the mark comes near the text";
        // Along the aim from the centre, (ax, ay); the mark's way along it and off it.
        const float ax = c.x - 320.0f, ay = c.y - 240.0f, length = std::hypot(ax, ay);
        const float along = ((sight.x - 320.0f) * ax + (sight.y - 240.0f) * ay) / length;
        EXPECT_LT(std::fabs((sight.y - 240.0f) * ax - (sight.x - 320.0f) * ay) / length, 1.0f) << "off the aim line";
        EXPECT_GT(along, 0.0f);
        EXPECT_LT(along, length) << "the mark at " << sight.x << ", " << sight.y << " is beyond the aim point";
    }
}

}  // namespace
