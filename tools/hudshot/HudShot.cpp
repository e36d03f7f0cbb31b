#include "tools/hudshot/HudShot.h"

#include <cstring>

#include "display/Canvas.h"
#include "display/CanvasRect.h"
#include "display/Palette.h"
#include "engine/Vector3.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/RadioMessage.h"
#include "scene/Camera.h"

namespace {

const char* SpeakerCallsign(const SpaceObject*) { return "Blue 2"; }

// Any object will do as the speaker and any goal as the objective: only the
// callsign query reads the one, and the cockpit only compares the other.
char g_speakerStandIn;
char g_goalStandIn;

// Every text row the cockpit has switched on: the indicators and gauges
// lit, a warning, a message and a radio message with its speaker.
void LightTextRows(Cockpit& cockpit, GameState& game, uint32_t now) {
    for (const int32_t id : {5, 6, 8, 9, 10, 11}) cockpit.SetIndicator(id, 1);
    for (int32_t gauge = 1; gauge <= Cockpit::kGauges; ++gauge) cockpit.SetLevel(gauge, gauge * 25);
    cockpit.ShowWarning("WARNING: Low fuel levels!", 10000);
    cockpit.ShowMessage("Corsair: [good hunting, pilot]", nullptr, 6000, 0);
    game.PostRadioMessage(new RadioMessage(nullptr, "Bandits at twelve o'clock!", reinterpret_cast<SpaceObject*>(&g_speakerStandIn),
                                           nullptr, 5000));
    cockpit.Update(now);
}

// A target behind the camera, up, up and right, right and so on round:
// the arrow points the way to turn towards each.
Status DrawArrows(Canvas& canvas, GameState& game, uint32_t now, const Camera& camera) {
    const CanvasRect all{0, 0, canvas.width, canvas.height};
    canvas.FillRect(&all, canvas.palette->MatchColor(0x000000));
    Cockpit& cockpit = game.TheCockpit();
    Cockpit::SetCallsignQuery(SpeakerCallsign);
    LightTextRows(cockpit, game, now);
    static constexpr float kAround[8][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};
    for (const auto& [right, up] : kAround) {
        cockpit.readout.targetMark = HudMark::Of(camera, Vector3{300.0f * right, 300.0f * up, -600.0f});
        cockpit.Draw(canvas, now);
    }
    Cockpit::SetCallsignQuery(nullptr);
    return kStatusOk;
}

void FillBands(Canvas& canvas) {
    // Bands of colour, so that transparent text shows what lies behind it.
    const uint32_t bands[] = {0x301810, 0x402010, 0x183018, 0x102040, 0x282828};
    const int32_t bandHeight = (canvas.height + 4) / 5;
    for (int32_t i = 0; i < 5; ++i) {
        const CanvasRect band{0, i * bandHeight, canvas.width, bandHeight};
        canvas.FillRect(&band, canvas.palette->MatchColor(bands[i]));
    }
}

// The scope at its short range round a ship at the origin looking down +z:
// two raiders ahead (one the target when there is one), a wingman beside,
// the ship's own missile and a raider's going past behind, a way point and
// a buoy; each blip in the colour its kind gets, as the palette holds it.
void FillRadar(RadarPicture& radar, const Palette& palette, const Vector3& target, bool targeted) {
    radar = RadarPicture{};
    radar.shown = true;
    radar.range = 2000;
    struct Blip {
        Vector3 at;
        uint32_t colour;   // 0xBBGGRR
        bool target;
    };
    const Blip blips[] = {{target, 0x0000FF, targeted},     {{-520.0f, -200.0f, 900.0f}, 0x0000FF, false},
                          {{-150.0f, 0.0f, -160.0f}, 0x00FF00, false}, {{220.0f, 60.0f, -700.0f}, 0xFF0000, false},
                          {{640.0f, 0.0f, -380.0f}, 0x0080FF, false},  {{-900.0f, 350.0f, 600.0f}, 0xFFFFFF, false},
                          {{700.0f, -300.0f, -1300.0f}, 0x5C5C5C, false}};
    for (const Blip& blip : blips) {
        RadarContact contact;
        contact.right = blip.at.x;
        contact.up = blip.at.y;
        contact.ahead = blip.at.z;
        contact.colour = palette.GetColor(palette.MatchColor(blip.colour)) & 0xFFFFFF;
        contact.target = blip.target;
        radar.Add(contact);
    }
}

// A ship flying ahead at half throttle with its second group chosen, its
// laser firing and its beam short of energy, seen from the cockpit: the
// camera at the origin looking down +z. The lit HUD has the missile group
// chosen instead, locking on, its first rack spent.
void FillInstruments(HudReadout& readout, const Camera& camera, HudShotScene scene, const Palette& palette) {
    readout = HudReadout{};
    readout.flying = true;
    readout.speed = 112;
    readout.throttle = 50;
    readout.shieldPower = 40;
    readout.enginePower = 35;
    readout.weaponPower = 25;
    readout.shieldLevel = 85;
    readout.weaponLevel = 60;
    readout.fuelLevel = 97;
    const bool lit = scene == HudShotScene::kLit || scene == HudShotScene::kCrowded;
    readout.weaponGroup = lit ? 3 : 2;
    if (lit) {
        readout.AddWeapon("Missile Rack 1", 0, "Out of ammo");
        readout.AddWeapon("Missile Rack 1", 2, nullptr);
        readout.lock = 64;
    } else {
        readout.AddWeapon("Laser Cannon", 240, nullptr);
        readout.AddWeapon("Ion Beam 1", -1, "Not enough energy");
    }
    readout.aim = HudMark::Of(camera, Vector3{0.0f, 0.0f, 1000.0f});
    readout.hasNav = true;
    readout.SetNavName("Nav 1");
    readout.navDistance = 1940;
    readout.navMark = HudMark::Of(camera, Vector3{1900.0f, -200.0f, 300.0f});
    const Vector3 at = scene == HudShotScene::kTargetBehind || scene == HudShotScene::kArrows
                           ? Vector3{-300.0f, 150.0f, -600.0f}
                           : Vector3{90.0f, 40.0f, 700.0f};
    FillRadar(readout.radar, palette, at, scene != HudShotScene::kNoTarget);
    if (scene == HudShotScene::kNoTarget) return;
    readout.hasTarget = true;
    readout.SetTargetName("Red 1");
    readout.SetText(readout.targetClass, "Raider");
    readout.SetText(readout.targetCallsign, "Red 1");
    readout.SetText(readout.targetPart, "Engine");
    readout.targetHull = 72;
    readout.targetShield = 35;
    readout.targetDistance = int32_t(at.Length() + 0.5f);
    readout.targetMark = HudMark::Of(camera, at);
    // The colour of the target's blip, the scope's first.
    readout.targetColour = readout.radar.contacts[0].colour;
    if (scene == HudShotScene::kChase) {
        // Seen from behind and above the ship, the target ahead stands high,
        // its upper corners among the objective's text, and the aim above the ship.
        readout.targetMark = HudMark{HudMark::kOnScreen, 120.0f, 80.0f};
        readout.aim = HudMark{HudMark::kOnScreen, float(camera.canvas->width) * 0.5f, 56.0f};
    }
}

}  // namespace

bool HudShotSceneByName(const char* name, HudShotScene* scene) {
    struct Named {
        const char* name;
        HudShotScene scene;
    };
    static constexpr Named kScenes[] = {{"lit", HudShotScene::kLit},
                                        {"ahead", HudShotScene::kTargetAhead},
                                        {"behind", HudShotScene::kTargetBehind},
                                        {"none", HudShotScene::kNoTarget},
                                        {"arrows", HudShotScene::kArrows},
                                        {"crowded", HudShotScene::kCrowded},
                                        {"chase", HudShotScene::kChase}};
    for (const Named& entry : kScenes) {
        if (name != nullptr && std::strcmp(name, entry.name) == 0) {
            *scene = entry.scene;
            return true;
        }
    }
    return false;
}

Status DrawHudShot(Canvas& canvas, GameState& game, uint32_t now, HudShotScene scene) {
    if (canvas.palette == nullptr) return kStatusNothingToDo;
    Camera camera;
    camera.SetCanvas(&canvas);
    camera.SetPosition(Vector3{0.0f, 0.0f, 0.0f});
    camera.LookAt(Vector3{0.0f, 0.0f, 1.0f}, Camera::kAllFlags);
    Cockpit& cockpit = game.TheCockpit();
    FillInstruments(cockpit.readout, camera, scene, *canvas.palette);
    cockpit.SetObjective(reinterpret_cast<Goal*>(&g_goalStandIn), "Destroy Red 1", "Red wing, near Nav 1");
    if (scene == HudShotScene::kArrows) return DrawArrows(canvas, game, now, camera);
    const CanvasRect all{0, 0, canvas.width, canvas.height};
    if (scene != HudShotScene::kLit && scene != HudShotScene::kCrowded) {
        canvas.FillRect(&all, canvas.palette->MatchColor(0x000000));
        cockpit.SetIndicator(6, 1);
        cockpit.Update(now);
        cockpit.Draw(canvas, now);
        return kStatusOk;
    }
    if (scene == HudShotScene::kLit) {
        FillBands(canvas);
    } else {
        canvas.FillRect(&all, canvas.palette->MatchColor(0x000000));
    }
    for (int32_t& hit : cockpit.shieldHits) hit = 2;
    cockpit.lastCharge = 1250;
    Cockpit::SetCallsignQuery(SpeakerCallsign);
    LightTextRows(cockpit, game, now);
    cockpit.Draw(canvas, now);
    Cockpit::SetCallsignQuery(nullptr);
    return kStatusOk;
}
