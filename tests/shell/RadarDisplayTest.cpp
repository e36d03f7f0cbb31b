// The cockpit's radar scope in the strike mission: what the player's radar
// detects, where and in which colour each blip stands, what the range and
// mode keys and a sensor probe change, and the pictures on both renderers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "canvas/D3DCanvas.h"
#include "display/CanvasRect.h"
#include "display/Palette.h"
#include "game/HudKeepClear.h"
#include "game/RadarScope.h"
#include "engine/Random.h"
#include "game/CommandTable.h"
#include "mission/ObjectLoader.h"
#include "navmap/MapScreen.h"
#include "objects/ships/PlayerShip.h"
#include "objects/systems/RadarSystem.h"
#include "objects/systems/TargetingSystem.h"
#include "objects/weapons/Weapon.h"
#include "tests/shell/CockpitFlight.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedDisplay.h"
#include "tools/render/Hardware3dTarget.h"

namespace {

using namespace command_table;

// The radar's blip colours for each kind of contact, as red, green and
// blue (0xBBGGRR).
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kYellow = 0x00FFFF, kBlue = 0xFF0000, kWhite = 0xFFFFFF,
                   kGrey = 0x5C5C5C;
// How near a blip's place must come to where its object was put.
constexpr float kNear = 1.0f;

// A recorded call's red, green and blue packed as the colours above.
template <typename Rgb>
uint32_t Packed(const Rgb& rgb) {
    return uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16;
}

class RadarDisplay : public CockpitFlight {
protected:
    // A colour as the display palette shows it.
    uint32_t Shown(uint32_t rgb) {
        const Palette& palette = *Game().currentPalette;
        return palette.GetColor(palette.MatchColor(rgb)) & 0xFFFFFF;
    }
    // The blip standing at these metres from the scope's centre, or null.
    const RadarContact* At(float right, float ahead) {
        for (int32_t i = 0; i < Radar().count; ++i) {
            const RadarContact& contact = Radar().contacts[i];
            if (std::fabs(contact.right - right) < kNear && std::fabs(contact.ahead - ahead) < kNear) return &contact;
        }
        return nullptr;
    }
    int32_t CountOf(uint32_t colour) {
        int32_t count = 0;
        for (int32_t i = 0; i < Radar().count; ++i) count += Radar().contacts[i].colour == colour ? 1 : 0;
        return count;
    }
    // A way point laid as the war-room map lays one, at these metres from the ship.
    SpaceObject* LayWayPoint(float right, float ahead) {
        SpaceObject* const point =
            DefinitionLibrary::Current().LoadObjectDefinition(MapScreen::kWayPointDefinition, nullptr, SpaceObject::kTypeWayPoint, 0);
        EXPECT_NE(point, nullptr);
        if (point == nullptr) return nullptr;
        point->uoid = -1;
        Game().AddObjectsToWorld(point, 0);
        Place(*point, right, 0.0f, ahead);
        return point;
    }
    SpaceObject* FirstOfType(int32_t type) {
        for (SpaceObject* object = Game().mission->firstObject; object != nullptr; object = object->GetNext()) {
            if (object->type == type) return object;
        }
        return nullptr;
    }
};

// A raider ahead in red and bracketed as the target, the wingman to the
// right in green, the ship's own missile behind in blue, a way point to the
// left in white; the other raider far past every range and the first one
// cloaked are left off, each shown once it can be seen; and once the pilot
// has left the ship in the pod, the ship shows on the pod's scope until it
// is wrecked, when nothing of it does; nor does anything once the pod is
// a wreck too.
TEST_F(RadarDisplay, EachKindShowsInItsColourAndWhatTheRadarCannotSeeStaysOff) {
    Fly("strike.uli");
    auto* const raider = dynamic_cast<Craft*>(Named("Red 1"));
    SpaceObject* const far = Named("Red 2");
    SpaceObject* const wingman = Named("Alpha 2");
    ASSERT_TRUE(raider != nullptr && far != nullptr && wingman != nullptr);
    auto* const targeting = SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting);
    ASSERT_EQ(targeting->SelectTarget(raider), 1);
    // Held past the moment a newly chosen group waits before its first shot.
    for (int32_t frame = 0; frame < 8; ++frame) Frame({kFireGroup3});
    Frame();
    SpaceObject* const missile = FirstOfType(SpaceObject::kTypeMissile);
    ASSERT_NE(missile, nullptr) << "the rack fired nothing";
    SpaceObject* const point = LayWayPoint(-800.0f, 0.0f);
    ASSERT_NE(point, nullptr);

    Place(*raider, 0.0f, 0.0f, 600.0f);
    Place(*wingman, 400.0f, 0.0f, 0.0f);
    Place(*missile, 0.0f, 0.0f, -500.0f);
    Place(*far, 0.0f, 0.0f, 40000.0f);
    Read();
    ASSERT_TRUE(Radar().shown);
    EXPECT_EQ(Radar().range, 8000);
    EXPECT_FALSE(Radar().probe);
    const struct {
        const char* what;
        float right, ahead;
        uint32_t colour;
        bool target;
    } shown[] = {{"the raider", 0.0f, 600.0f, kRed, true},
                 {"the wingman", 400.0f, 0.0f, kGreen, false},
                 {"the missile", 0.0f, -500.0f, kBlue, false},
                 {"the way point", -800.0f, 0.0f, kWhite, false}};
    for (const auto& s : shown) {
        const RadarContact* const contact = At(s.right, s.ahead);
        ASSERT_NE(contact, nullptr) << s.what << " is off the scope";
        EXPECT_EQ(contact->colour, Shown(s.colour)) << s.what;
        EXPECT_EQ(contact->target, s.target) << s.what;
    }
    EXPECT_EQ(CountOf(Shown(kRed)), 1) << "a raider 40 km out shows";
    EXPECT_EQ(At(0.0f, 0.0f), nullptr) << "the ship shows itself";
    // The way point under the raider, later in the world: no white is drawn
    // after the raider's red.
    Place(*point, 0.0f, 0.0f, 600.0f);
    Read();
    RecordingCanvas scope(640, 480, flight_->palette);
    RadarScope::Draw(scope, Radar(), CanvasRect{0, 0, 160, 160 + RadarScope::kRangeLine});
    std::vector<uint32_t> inks;
    for (const CanvasCall& call : scope.CallsOf("FillRectRgbClipped")) inks.push_back(call.rgb ? Packed(*call.rgb) : 0);
    const auto red = std::find(inks.begin(), inks.end(), Shown(kRed));
    EXPECT_TRUE(red != inks.end() && std::find(red, inks.end(), Shown(kWhite)) == inks.end())
        << "the way point hides the raider";
    Place(*point, -800.0f, 0.0f, 0.0f);

    Place(*far, -200.0f, 0.0f, 1200.0f);
    raider->cloaked = 100;
    Read();
    EXPECT_NE(At(-200.0f, 1200.0f), nullptr) << "the raider come near stays off";
    EXPECT_EQ(At(0.0f, 600.0f), nullptr) << "the cloaked raider shows";
    raider->cloaked = 0;

    // Out in the pod: the ship left behind is on the pod's scope.
    auto* const flown = dynamic_cast<PlayerShip*>(&Ship());
    ASSERT_NE(flown, nullptr);
    Press(kEject);
    auto* const pod = dynamic_cast<PlayerShip*>(&Ship());
    ASSERT_TRUE(pod != nullptr && pod != flown && pod->abandonedCraft == flown);
    Place(*flown, 0.0f, 0.0f, 300.0f);
    Read();
    ASSERT_TRUE(Radar().shown);
    EXPECT_NE(At(0.0f, 300.0f), nullptr) << "the ship left behind is off the pod's scope";
    // Wrecked, it lies in the world with its debris, on no scope.
    flown->Explode(nullptr, 0);
    for (int32_t frame = 0; frame < 600 && (flown->dead != 0 || flown->active != 0); ++frame) Frame();
    ASSERT_TRUE(flown->dead == 0 && flown->active == 0) << "the wreck's death never ran its course";
    ASSERT_NE(FirstOfType(SpaceObject::kTypeDebris), nullptr);
    Place(*flown, 0.0f, 0.0f, 300.0f);
    Read();
    EXPECT_EQ(At(0.0f, 300.0f), nullptr) << "the wreck shows";
    for (SpaceObject* object = Game().mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (object->type != SpaceObject::kTypeDebris) continue;
        const Vector3 off = object->Position().Difference(pod->Position());
        EXPECT_EQ(At(off.Dot(Axis(0)), off.Dot(Axis(2))), nullptr) << "a piece of the wreck shows";
    }
    // The pod wrecked in its turn: a wreck's radar shows nothing.
    pod->Explode(nullptr, 0);
    for (int32_t frame = 0; frame < 600 && (pod->dead != 0 || pod->active != 0); ++frame) Frame();
    ASSERT_TRUE(pod->dead == 0 && pod->active == 0);
    Read();
    EXPECT_FALSE(Radar().shown);
}

// R steps the range from long to short and medium, and the raider 4.5 km
// out goes off the scope and comes back; P launches a probe, and R past
// the long range follows it: the scope then stands at the probe, with the
// probe's range. A destroyed radar has no scope.
TEST_F(RadarDisplay, TheRangeKeyChangesWhatTheScopeShowsAndAProbeMovesItsCentre) {
    Fly("strike.uli");
    SpaceObject* const nearer = Named("Red 1");
    SpaceObject* const further = Named("Red 2");
    ASSERT_TRUE(nearer != nullptr && further != nullptr);
    const auto standStill = [&] {
        Place(*nearer, -300.0f, 0.0f, 1500.0f);
        Place(*further, 300.0f, 0.0f, 4500.0f);
        Read();
    };
    standStill();
    EXPECT_EQ(Radar().range, 8000);
    EXPECT_NE(At(-300.0f, 1500.0f), nullptr);
    EXPECT_NE(At(300.0f, 4500.0f), nullptr);

    Press(kRadarRange);
    standStill();
    EXPECT_EQ(Radar().range, 2000);
    EXPECT_NE(At(-300.0f, 1500.0f), nullptr);
    EXPECT_EQ(At(300.0f, 4500.0f), nullptr) << "beyond the short range";

    Press(kRadarRange);
    standStill();
    EXPECT_EQ(Radar().range, 5000);
    EXPECT_NE(At(300.0f, 4500.0f), nullptr);

    auto* const radar = SystemOf<RadarSystem>(Ship(), ShipSystem::kRadar);
    Press(kLaunchProbe);
    SpaceObject* const probe = radar->probe;
    ASSERT_NE(probe, nullptr) << "no probe went out";
    standStill();
    EXPECT_FALSE(Radar().probe) << "the scope follows the probe before it is asked to";
    Press(kRadarRange);   // long
    Press(kRadarRange);   // past the long range: the probe's
    Place(*probe, 0.0f, 0.0f, 3000.0f);
    standStill();
    EXPECT_TRUE(Radar().probe);
    EXPECT_EQ(Radar().range, 12000);
    EXPECT_NE(At(-300.0f, -1500.0f), nullptr) << "the nearer raider is not behind the probe";
    EXPECT_NE(At(300.0f, 1500.0f), nullptr) << "the further raider is not ahead of the probe";
    EXPECT_EQ(At(-300.0f, 1500.0f), nullptr) << "the scope still stands at the ship";

    // Destroyed, the radar shows nothing at all.
    radar->SetDamage(radar->maxDamage);
    Read();
    EXPECT_FALSE(Radar().shown);
    EXPECT_EQ(Radar().count, 0);
}

// Whatever it is, the target is drawn in its blip's colour: the wingman
// green, a raider red, a ship of no side yellow and the beacon grey, each
// in its line of the readout, its brackets ahead and the arrow towards it
// from behind, and its brackets on the scope; a raider targeted while the
// radar is passive is bracketed grey on the scope, as every blip is then.
TEST_F(RadarDisplay, TheTargetIsDrawnInTheColourOfItsBlip) {
    Fly("strike.uli");
    auto* const targeting = SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting);
    SpaceObject* const neutral = Named("Red 2");
    ASSERT_NE(neutral, nullptr);
    neutral->SetSide(0);
    // The colours, as red, green and blue, of the HUD's marks drawn with
    // lines away from the sight: the brackets, the arrow.
    const auto marks = [&] {
        RecordingCanvas canvas(640, 480, flight_->palette);
        HudKeepClear keepClear;
        Readout().DrawMarks(canvas, keepClear, HudKeepClear{});
        const CanvasRect ink = Readout().PlaceSight(640, 480, HudKeepClear{}).Ink();
        const auto sight = [&](const ScreenVertex& v) {
            return v.x >= float(ink.x) && v.x <= float(ink.x + ink.width) && v.y >= float(ink.y) &&
                   v.y <= float(ink.y + ink.height);
        };
        std::set<uint32_t> colours;
        for (const CanvasCall& call : canvas.CallsOf("DrawLineClipped")) {
            if (!call.rgb || (sight(call.screen[0]) && sight(call.screen[1]))) continue;
            colours.insert(Packed(*call.rgb));
        }
        return colours;
    };
    // The colours of what the scope draws for its target: the picture drawn
    // as read, less the same picture with nothing targeted.
    const auto scopeBrackets = [&] {
        const CanvasRect place{0, 0, 160, 160 + RadarScope::kRangeLine};
        RadarPicture untargeted = Radar();
        for (int32_t i = 0; i < untargeted.count; ++i) untargeted.contacts[i].target = false;
        std::multiset<std::string> plain;
        RecordingCanvas without(640, 480, flight_->palette);
        RadarScope::Draw(without, untargeted, place);
        for (const CanvasCall& call : without.CallsOf("FillRectRgbClipped")) plain.insert(call.text);
        RecordingCanvas with(640, 480, flight_->palette);
        RadarScope::Draw(with, Radar(), place);
        std::set<uint32_t> colours;
        int32_t extra = 0;
        for (const CanvasCall& call : with.CallsOf("FillRectRgbClipped")) {
            const auto same = plain.find(call.text);
            if (same != plain.end()) {
                plain.erase(same);
                continue;
            }
            ++extra;
            if (call.rgb) colours.insert(Packed(*call.rgb));
        }
        EXPECT_GT(extra, 0) << "the scope brackets nothing";
        return colours;
    };
    const auto targetLine = [&]() -> uint32_t {
        HudReadout::Row rows[HudReadout::kRows];
        const int32_t count = Readout().Rows(640, 480, rows);
        for (int32_t i = 0; i < count; ++i) {
            if (std::string(rows[i].text).rfind("TARGET ", 0) == 0) return rows[i].colour;
        }
        return 0;
    };
    const struct {
        const char* name;
        uint32_t colour;
        bool passive;
    } targets[] = {{"Alpha 2", kGreen, false}, {"Red 1", kRed, false}, {"Red 2", kYellow, false},
                   {"Beacon 7", kGrey, false}, {"Red 1", kGrey, true}};
    for (const auto& t : targets) {
        SCOPED_TRACE(std::string(t.name) + (t.passive ? ", radar passive" : ""));
        if (t.passive) Press(kRadarMode);
        SpaceObject* const object = Named(t.name);
        ASSERT_NE(object, nullptr);
        const std::set<uint32_t> colour = {Shown(t.colour)};
        Place(*object, 60.0f, 0.0f, 500.0f);
        ASSERT_EQ(targeting->SelectTarget(object), 1);
        Read();
        const RadarContact* const blip = At(60.0f, 500.0f);
        ASSERT_NE(blip, nullptr);
        EXPECT_TRUE(blip->target);
        EXPECT_EQ(blip->colour, Shown(t.colour));
        EXPECT_EQ(targetLine(), Shown(t.colour)) << Rows();
        ASSERT_EQ(Readout().targetMark.kind, HudMark::kOnScreen);
        EXPECT_EQ(marks(), colour) << "the brackets";
        EXPECT_EQ(scopeBrackets(), colour) << "the scope's brackets";
        Place(*object, 60.0f, 0.0f, -500.0f);
        Read();
        ASSERT_EQ(Readout().targetMark.kind, HudMark::kOffScreen);
        EXPECT_EQ(marks(), colour) << "the arrow";
        Place(*object, 0.0f, 0.0f, 40000.0f);
    }
}

// A damaged radar's noise rolls dice for every blip; the HUD puts them
// back, so that a flight drawn frame by frame and one never drawn stay one
// flight.
TEST_F(RadarDisplay, DrawingTheNoisyScopeChangesNothingInTheWorld) {
    uint32_t dice[2] = {};
    Vector3 raider[2];
    for (const bool drawn : {true, false}) {
        Fly("strike.uli");
        auto* const radar = SystemOf<RadarSystem>(Ship(), ShipSystem::kRadar);
        radar->SetDamage(radar->maxDamage / 2);
        Ship().empLevel = 40;
        for (int32_t frame = 0; frame < 30; ++frame) {
            if (drawn) {
                Frame();
            } else {
                flight_->Simulate();
            }
        }
        if (drawn) {
            EXPECT_TRUE(Radar().shown && Radar().count > 0);
        }
        dice[drawn ? 0 : 1] = GameRandomState();
        raider[drawn ? 0 : 1] = Named("Red 1")->Position();
        flight_.reset();
    }
    EXPECT_EQ(dice[0], dice[1]);
    EXPECT_EQ(raider[0].Difference(raider[1]).Length(), 0.0f);
}

// Where the pixels of the blips' colours stand in the scope's place of a
// 640 x 480 picture, each with its colour in 5-6-5 steps (the renderers
// widen what they read back each its own way).
std::set<std::tuple<int32_t, int32_t, uint32_t>> BlipPixels(const RgbImage& picture, const std::set<uint32_t>& colours) {
    const auto steps = [](uint32_t r, uint32_t g, uint32_t b) { return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3; };
    std::set<uint32_t> wanted;
    for (const uint32_t colour : colours) wanted.insert(steps(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF));
    const CanvasRect place = Cockpit::RadarPlace(picture.width, picture.height);
    std::set<std::tuple<int32_t, int32_t, uint32_t>> pixels;
    for (int32_t y = place.y; y < place.y + place.height; ++y) {
        for (int32_t x = place.x; x < place.x + place.width; ++x) {
            const size_t at = (size_t(y) * size_t(picture.width) + size_t(x)) * 3;
            const uint32_t colour = steps(picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]);
            if (wanted.count(colour) != 0) pixels.emplace(x, y, colour);
        }
    }
    return pixels;
}

// The strike's first seconds at the short range, before any raider is in
// gun range: the raiders ahead, the wingman at the centre, the ship's
// missile on its way, the beacon and a way point laid before launch; then
// the same passive, every blip grey. Both renderers draw the scope, each
// blip whole over the rings and the beam line, and the same blips to the
// pixel.
TEST_F(RadarDisplay, TheStrikeScopeMatchesItsGoldenPicturesActiveAndPassiveOnBothRenderers) {
    RgbImage drawn[2];
    std::set<uint32_t> colours[2];
    for (const bool hardware : {false, true}) {
        ScopedDisplay display;
        Fly("strike.uli");
        Hardware3dTarget target;
        if (hardware) {
            ASSERT_EQ(target.Open(flight_->palette, 640, 480), kStatusOk);
            drawOn_ = target.Canvas();
        }
        ASSERT_NE(LayWayPoint(-700.0f, 900.0f), nullptr);
        Press(kRadarRange);
        auto* const targeting = SystemOf<TargetingSystem>(Ship(), ShipSystem::kTargeting);
        for (int32_t i = 0; i < 4 && !Ship().IsHostile(targeting->GetTarget()); ++i) Press(kNextTarget);
        ASSERT_TRUE(Ship().IsHostile(targeting->GetTarget()));
        for (int32_t i = 0; i < 4 && Game().playerControls.weaponGroup != Weapon::kMissileGroup; ++i) {
            Press(kNextWeaponGroup);
        }
        Frame({kFire});
        for (int32_t frame = 0; frame < 20; ++frame) Frame();
        EXPECT_GE(CountOf(Shown(kRed)), 1);
        EXPECT_EQ(CountOf(Shown(kGreen)), 1);
        EXPECT_EQ(CountOf(Shown(kBlue)), 1);
        EXPECT_EQ(CountOf(Shown(kWhite)), 1);
        for (int32_t i = 0; i < Radar().count; ++i) colours[hardware].insert(Radar().contacts[i].colour);
        RgbImage& picture = drawn[hardware];
        if (hardware) {
            picture.width = 640;
            picture.height = 480;
            ASSERT_TRUE(target.ReadRgb(&picture.rgb));
            EXPECT_TRUE(MatchesGolden(picture, "strike_radar_3d"));
            drawOn_ = nullptr;
            flight_.reset();
            continue;
        }
        picture = CanvasToRgb(*canvas_);
        EXPECT_TRUE(MatchesGolden(picture, "strike_radar_active"));
        Press(kRadarMode);
        ASSERT_GT(Radar().count, 0);
        EXPECT_EQ(CountOf(Shown(kGrey)), Radar().count);
        EXPECT_TRUE(MatchesGolden(CanvasToRgb(*canvas_), "strike_radar_passive"));
        flight_.reset();
    }
    ASSERT_EQ(colours[0], colours[1]) << "the two flights saw different contacts";
    const auto software = BlipPixels(drawn[0], colours[0]);
    const auto hardware = BlipPixels(drawn[1], colours[1]);
    // Four contacts of 3 x 3 pixels each at the least.
    EXPECT_GE(software.size(), 36u);
    EXPECT_EQ(software, hardware) << "the renderers draw different blips";
}

}  // namespace
