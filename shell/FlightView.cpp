#include "shell/FlightView.h"

#include <algorithm>
#include <memory>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "engine/Clock.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/WorldList.h"
#include "mission/MissionSky.h"
#include "objects/effects/LensFlare.h"
#include "objects/space/ChaseObject.h"
#include "objects/space/SpaceObject.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/ParticleSystem.h"
#include "scene/ViewContext.h"
#include "shell/HudReading.h"
#include "sound/SoundDevice.h"

namespace {

// How far the chase view stands behind the viewed object and above it, in
// its radii: far enough back that a wing flying beside it is in the picture.
constexpr float kChaseBackRadii = 14.0f;
constexpr float kChaseUpRadii = 3.0f;
// The wreck view stands at least this many of the wreck's radii from it.
constexpr float kWreckClearRadii = 3.0f;
// Space is black whatever the palette keeps at the camera's background index.
constexpr uint32_t kSpaceColour = 0x000000;
// Under the set-up's dim ambient light alone every hull is black on black
// space: a mission without lights of its own gets a key light from behind
// the start, above and to the left, so that the ships the player flies
// behind show their lit sides.
constexpr Vector3 kKeyLightDirection{0.4f, -0.7f, 0.6f};

Vector3 RowOf(const Transform& placement, int32_t row) {
    const float* const r = placement.matrix.rows[row];
    return Vector3{r[0], r[1], r[2]};
}

// The wreck view watches the player's wreck from the chase object, which
// trails it by less than a hull's size: standing there, the camera would be
// inside the wreck and its faces would fill the screen. It stands back along
// that line to the view's distance, or further from a big wreck, turned
// towards it.
bool PlaceWreckCamera(GameState& game, Camera& camera) {
    const auto* const chase = dynamic_cast<const ChaseObject*>(game.chaseObject);
    if (game.viewMode != kWreckViewMode || chase == nullptr || game.viewedObject != chase) return false;
    const SpaceObject* const wreck = chase->target;
    if (wreck == nullptr) return false;
    const Vector3 at = wreck->Position();
    Vector3 back = chase->Position().Difference(at);
    if (!(back.Length() > 0.0f)) back = RowOf(wreck->world, 2).Scaled(-1.0f);
    if (!(back.Length() > 0.0f)) return false;
    back.Normalize();
    Vector3 from = at;
    from.AddAssign(back.Scaled(std::max(game.chaseDistance, kWreckClearRadii * wreck->Radius())));
    camera.SetPosition(from);
    camera.LookAt(at, Camera::kAllFlags);
    return true;
}

// The camera goes to the viewed object's placement, or in the chase view
// behind it on the side of the chase object, turned towards it with its up.
// The chase object trails inside a hull's size, so only its direction counts.
void PlaceCamera(GameState& game, Camera& camera) {
    const SpaceObject* const viewed = game.viewedObject;
    if (viewed == nullptr || PlaceWreckCamera(game, camera)) return;
    const SpaceObject* const chase = game.chaseObject;
    if (game.viewMode != kChaseViewMode || chase == nullptr || chase == viewed) {
        game.AimFlightCamera(viewed->world);
        return;
    }
    const Vector3 at = viewed->Position();
    const Vector3 back = chase->Position().Difference(at);
    const float trail = back.Length();
    // On top of the viewed object the chase object gives no direction.
    if (!(trail > 0.0f)) {
        game.AimFlightCamera(viewed->world);
        return;
    }
    const float radius = viewed->Radius();
    Vector3 from = at;
    from.AddAssign(back.Scaled(kChaseBackRadii * radius / trail));
    Vector3 up = RowOf(viewed->world, 1);
    if (up.Length() > 0.0f) {
        up.Normalize();
        from.AddAssign(up.Scaled(kChaseUpRadii * radius));
        camera.SetUp(up, 0);
    }
    camera.SetPosition(from);
    camera.LookAt(at, Camera::kAllFlags);
}

// One frame's drawing: the first pass begins the frame, and a frame that
// cannot begin draws nothing more.
struct FramePasses {
    Camera& camera;
    Light* lights;
    bool begun = false;
    bool failed = false;

    // The list headed by `first`, linked by `next`.
    void Draw(NamedObject* first) {
        if (failed) return;
        ViewContext view = Pass();
        view.objectList = first;
        PushViewContext(&view);
        if (Begin()) camera.DrawScene();
        PopViewContext(&view);
    }
    // An object of a list of its own: its list is only itself while it draws.
    void DrawAlone(NamedObject* object) { DrawEach(&object, 1); }
    // Objects kept in an array, each the whole list while it draws, in one
    // pass: the thousands of sprites and shots of a battle share its set-up.
    void DrawEach(NamedObject* const* objects, size_t count) {
        if (failed) return;
        ViewContext view = Pass();
        PushViewContext(&view);
        if (Begin()) camera.DrawEach(objects, count);
        PopViewContext(&view);
    }

private:
    ViewContext Pass() const {
        ViewContext view;
        view.camera = &camera;
        view.lights = lights;
        return view;
    }
    // Whether the frame is begun, beginning it on the first pass.
    bool Begin() {
        if (!begun) {
            begun = true;
            failed = camera.BeginFrame() != 0;
        }
        return !failed;
    }
};

// The mission's lights for one frame: its ambient light, its sky's lights
// (or the key light), then the held lights (flashes, wrecks,
// projectiles). The held chain changes between frames and the ambient light
// goes with the mission, so they are joined only while the frame draws.
class FrameLights {
public:
    explicit FrameLights(GameState& game) : ambient_(game.mission->ambient), sky_(game.mission->sky.get()) {
        head_ = game.Lights().chain;
        if (sky_ != nullptr && sky_->Lights() != nullptr) {
            head_ = sky_->JoinLights(head_);
        } else {
            key_.next = head_;
            head_ = &key_;
        }
        if (ambient_ != nullptr) {
            ambient_->next = head_;
            head_ = ambient_;
        }
    }
    ~FrameLights() {
        key_.next = nullptr;
        if (sky_ != nullptr) sky_->JoinLights(nullptr);
        if (ambient_ != nullptr) ambient_->next = nullptr;
    }
    FrameLights(const FrameLights&) = delete;
    FrameLights& operator=(const FrameLights&) = delete;

    Light* Head() const { return head_; }

private:
    Light* ambient_;
    MissionSky* sky_;
    VectorLight key_{kKeyLightDirection};
    Light* head_ = nullptr;
};

void DrawWorld(GameState& game, Canvas& canvas, Camera& camera) {
    Mission& mission = *game.mission;
    if (mission.sky == nullptr) mission.sky = std::make_shared<MissionSky>();
    mission.sky->Update(mission, canvas.palette);
    const FrameLights lights(game);
    canvas.flags &= ~Canvas::kFlagClearDepthOnly;
    canvas.Clear(camera.background, 0xFFFFFFFFu);
    camera.flags |= Camera::kFlagNoClear;
    FramePasses passes{camera, lights.Head()};
    // The stars first, behind everything, then the backdrop's clouds.
    if (NamedObject* const stars = mission.sky->Stars()) passes.Draw(stars);
    if (NamedObject* const nebulae = mission.sky->Nebulae()) passes.Draw(nebulae);
    // The world's groups are chained apart: a pass for each group's list.
    for (SpaceObject* object = game.mission->firstObject; object != nullptr; object = object->GetNext()) {
        if (world::Preceding(object) == nullptr) passes.Draw(object);
    }
    if (game.dustField != nullptr && game.dustShown != 0) passes.DrawAlone(game.dustField);
    // Effects and projectiles take their colours from their group's palette.
    Palette* const worldPalette = canvas.palette;
    game.Groups().ForEachGroup([&](const void* key, NamedObject* const* members, size_t count) {
        canvas.palette = key != nullptr ? const_cast<Palette*>(static_cast<const Palette*>(key)) : worldPalette;
        passes.DrawEach(members, count);
    });
    canvas.palette = worldPalette;
    if (!passes.failed) DrawFlares(camera);
    camera.EndFrame();
    camera.flags &= ~Camera::kFlagNoClear;
}

}  // namespace

void RenderFlightFrame(GameState& game, Canvas& canvas, uint32_t) {
    Camera* const camera = game.EnsureFlightCamera();
    // The canvas may be made anew at the same place (a display restart): its
    // size is taken every frame.
    camera->SetCanvas(&canvas);
    if (canvas.palette != nullptr) camera->background = canvas.palette->MatchColor(kSpaceColour);
    if (game.mission != nullptr) {
        PlaceCamera(game, *camera);
        DrawWorld(game, canvas, *camera);
    } else {
        canvas.Clear(camera->background, 0xFFFFFFFFu);
    }
    const uint32_t now = GetMilliseconds();
    Cockpit& cockpit = game.TheCockpit();
    // Without a mission no ship is flown, whatever the game state still names.
    if (game.mission != nullptr) {
        ReadHud(game, *camera, &cockpit.readout);
    } else {
        cockpit.readout = HudReadout{};
    }
    TraceHudTarget(game, cockpit.readout, now);
    TraceHudThrottle(game, cockpit.readout, now);
    Cockpit::SetCallsignQuery(CallsignInWorld);
    cockpit.Update(now);
    cockpit.Draw(canvas, now);
    if (SoundDevice* const sound = game.Sound()) {
        Vector3 at;
        camera->transform.matrix.GetTranslation(&at);
        sound->SetListener(at, RowOf(camera->transform, 0));
        // The mission's tune plays on through the whole flight.
        sound->ServiceMusic();
    }
}
