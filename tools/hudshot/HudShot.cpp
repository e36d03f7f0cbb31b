#include "tools/hudshot/HudShot.h"

#include <cstring>

#include "display/Canvas.h"
#include "display/CanvasRect.h"
#include "display/Palette.h"
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

// A ship flying ahead at half throttle with its second group chosen, seen
// from the cockpit: the camera at the origin looking down +z.
void FillInstruments(HudReadout& readout, const Camera& camera, HudShotScene scene) {
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
    readout.weaponGroup = 2;
    readout.SetWeaponName("Laser Cannon");
    readout.ammunition = 240;
    readout.aim = HudMark::Of(camera, Vector3{0.0f, 0.0f, 1000.0f});
    readout.hasNav = true;
    readout.SetNavName("Nav 1");
    readout.navDistance = 1940;
    readout.navMark = HudMark::Of(camera, Vector3{1900.0f, -200.0f, 300.0f});
    if (scene == HudShotScene::kNoTarget) return;
    readout.hasTarget = true;
    readout.SetTargetName("Red 1");
    readout.targetHull = 72;
    readout.targetShield = 35;
    const Vector3 at = scene == HudShotScene::kTargetBehind ? Vector3{-300.0f, 150.0f, -600.0f}
                                                            : Vector3{90.0f, 40.0f, 700.0f};
    readout.targetDistance = int32_t(at.Length() + 0.5f);
    readout.targetMark = HudMark::Of(camera, at);
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
                                        {"arrows", HudShotScene::kArrows}};
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
    FillInstruments(cockpit.readout, camera,
                    scene == HudShotScene::kLit ? HudShotScene::kTargetAhead
                    : scene == HudShotScene::kArrows ? HudShotScene::kTargetBehind
                                                     : scene);
    cockpit.SetObjective(reinterpret_cast<Goal*>(&g_goalStandIn), "Destroy Red 1", "Red wing, near Nav 1");
    if (scene == HudShotScene::kArrows) return DrawArrows(canvas, game, now, camera);
    if (scene != HudShotScene::kLit) {
        const CanvasRect all{0, 0, canvas.width, canvas.height};
        canvas.FillRect(&all, canvas.palette->MatchColor(0x000000));
        cockpit.SetIndicator(6, 1);
        cockpit.Update(now);
        cockpit.Draw(canvas, now);
        return kStatusOk;
    }
    FillBands(canvas);
    for (int32_t& hit : cockpit.shieldHits) hit = 2;
    cockpit.lastCharge = 1250;
    Cockpit::SetCallsignQuery(SpeakerCallsign);
    LightTextRows(cockpit, game, now);
    cockpit.Draw(canvas, now);
    Cockpit::SetCallsignQuery(nullptr);
    return kStatusOk;
}
