#include "game/Cockpit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/Canvas.h"
#include "display/CanvasRect.h"
#include "display/FontContext.h"
#include "engine/Clock.h"
#include "game/GameState.h"
#include "game/HudKeepClear.h"
#include "game/HudLayout.h"
#include "game/RadarScope.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObject.h"

namespace {

Cockpit::CallsignQuery g_callsignQuery = nullptr;

// The HUD's layout for a 640 x 480 screen, in one place. On a larger screen
// the rows from the radio message down keep their distance from the bottom
// edge, as the instruments' columns do, the shield facings stay centred
// under the scope, and the rest stays at the top left.
constexpr int32_t kLayoutWidth = 640, kLayoutHeight = 480;
struct Label {
    int32_t id;
    const char* text;
    int32_t x, y;
};
constexpr const char* kHudFont = "cockpitf";
constexpr Label kIndicatorLabels[] = {
    {Cockpit::kIndicatorRadarPassive, "PASSIVE", 8, 8},  {Cockpit::kIndicatorRadarActive, "ACTIVE", 72, 8},
    {Cockpit::kIndicatorIncomingMissile, "MISSILE", 130, 8}, {Cockpit::kIndicatorJammer, "JAMMER", 194, 8},
    {Cockpit::kIndicatorEcm, "ECM", 252, 8},             {Cockpit::kIndicatorCloak, "CLOAK", 286, 8},
};
// The gauges count damage, not what is left: a pilot reading "SHIELD 0%"
// under a damage heading cannot take it for an empty shield.
constexpr int32_t kDamageX = 8, kDamageY = 24;
constexpr const char* kDamageHeading = "DAMAGE";
constexpr Label kGaugeLabels[] = {{1, "ENERGY", 62, 24}, {2, "TARGETING", 152, 24}, {3, "RADAR", 260, 24}, {4, "SHIELDS", 344, 24}};
constexpr const char* kFacingLabels[Cockpit::kFacings] = {"FRONT", "LEFT", "REAR", "RIGHT"};
constexpr int32_t kFacingX[Cockpit::kFacings] = {300, 260, 300, 340};
constexpr int32_t kFacingY[Cockpit::kFacings] = {400, 416, 432, 416};
constexpr int32_t kWarningX = 8, kWarningY = 440;
constexpr int32_t kMessageX = 8, kMessageY = 456;
constexpr int32_t kRadioX = 8, kRadioY = 360, kRadioFaceSize = 64;
constexpr int32_t kChargeX = 520, kChargeY = 8;
constexpr int32_t kObjectiveX = 8, kObjectiveY = 44;
// The radar's scope stands between the crosshair and the shield facings, a
// little clear of the facings; its radius grows with the screen's height.
constexpr int32_t kRadarLeastRadius = 48, kRadarHeightShare = 10, kRadarMargin = 4;

// How far the bottom rows stand lower than the layout has them, and the
// centred facings further right.
int32_t BottomShift(int32_t height) { return std::max(height - kLayoutHeight, 0); }
int32_t CentreShift(int32_t width) { return std::max(width - kLayoutWidth, 0) / 2; }
// Colours, as 0xBBGGRR.
constexpr uint32_t kLit = 0x40FF40, kDim = 0x404040, kText = 0xE0E0E0, kWarningColour = 0x2060FF, kHit = 0x20C0FF;

void CopyBounded(char* to, const char* from) {
    const size_t length = from != nullptr ? strnlen(from, Cockpit::kMessageChars) : 0;
    if (length > 0) std::memcpy(to, from, length);
    to[length] = 0;
}

bool Before(uint32_t now, uint32_t until) { return int32_t(until - now) > 0; }

}  // namespace

Cockpit::Cockpit(GameState& game) : game_(game) {}

Cockpit::~Cockpit() {
    delete warningSound_;
    delete messageSound_;
    for (SoundObject* click : clickSounds_) delete click;
}

void Cockpit::SetCallsignQuery(CallsignQuery query) { g_callsignQuery = query; }

void Cockpit::Play(SoundObject*& sound, const char* name, int32_t level, int32_t overlap) {
    SoundDevice* const device = game_.Sound();
    if (device == nullptr) return;
    if (sound == nullptr) sound = CreateSoundObject(name);
    device->Play(sound, level, overlap);
}

void Cockpit::SetIndicator(int32_t id, int32_t on) {
    for (const Label& label : kIndicatorLabels) {
        if (label.id == id) indicators_[id] = on != 0;
    }
}

bool Cockpit::Indicator(int32_t id) const { return id >= 0 && id < kIndicatorIds && indicators_[id]; }

void Cockpit::SetLevel(int32_t gauge, int32_t percent) {
    if (gauge >= 1 && gauge <= kGauges) levels_[gauge - 1] = std::clamp(percent, 0, 100);
}

int32_t Cockpit::Level(int32_t gauge) const { return gauge >= 1 && gauge <= kGauges ? levels_[gauge - 1] : 0; }

void Cockpit::ShowWarning(const char* text, uint32_t milliseconds) {
    CopyBounded(warning_, text);
    warningUntil_ = GetMilliseconds() + milliseconds;
    Play(warningSound_, "Warning", kWarningLevel, 0);
}

void Cockpit::PlayClick(int32_t kind) {
    static constexpr const char* kNames[3] = {"Click 1", "Click 2", "Click 3"};
    if (kind >= 1 && kind <= 3) Play(clickSounds_[kind - 1], kNames[kind - 1], kClickLevel, 1);
}

void Cockpit::ShowMessage(const char* text, PixelImage* face, uint32_t milliseconds, int32_t sound) {
    CopyBounded(message_, text);
    messageUntil_ = GetMilliseconds() + milliseconds;
    if (messageShown != nullptr) messageShown(message_);
    messageFace_ = face;
    if (sound != 0) Play(messageSound_, "Message", kWarningLevel, 0);
}

void Cockpit::SetObjective(Goal* goal, const char* text, const char* second) {
    objective = goal;
    CopyBounded(objectiveText_, goal != nullptr ? text : nullptr);
    CopyBounded(objectiveSecond_, goal != nullptr ? second : nullptr);
}

CanvasRect Cockpit::RadarPlace(int32_t width, int32_t height) {
    const int32_t radius = std::max(kRadarLeastRadius, height / kRadarHeightShare);
    const int32_t bottom = kFacingY[0] + BottomShift(height) - kRadarMargin;
    const int32_t boxHeight = 2 * radius + RadarScope::kRangeLine;
    return CanvasRect{width / 2 - radius, bottom - boxHeight, 2 * radius, boxHeight};
}

const char* Cockpit::WarningAt(uint32_t now) const { return Before(now, warningUntil_) ? warning_ : ""; }

const char* Cockpit::MessageAt(uint32_t now) const { return Before(now, messageUntil_) ? message_ : ""; }

void Cockpit::Update(uint32_t now) {
    if (game_.shownRadio != nullptr && now - game_.shownRadioAt >= game_.shownRadio->displayTime) {
        game_.DropRadioMessage(game_.shownRadio);
    }
    if (game_.shownRadio == nullptr && game_.pendingRadio != nullptr) {
        RadioMessage* const next = game_.pendingRadio;
        game_.pendingRadio = nullptr;
        game_.ShowRadioMessage(next, now);
    }
    const RadioMessage* const shown = game_.shownRadio;
    if (shown != nullptr && (shown != toldRadio_ || game_.shownRadioAt != toldRadioAt_)) {
        toldRadio_ = shown;
        toldRadioAt_ = game_.shownRadioAt;
        if (radioShown != nullptr) {
            const char* const callsign =
                shown->speaker != nullptr && g_callsignQuery != nullptr ? g_callsignQuery(shown->speaker) : nullptr;
            radioShown(callsign != nullptr ? callsign : "", shown->text != nullptr ? shown->text : "");
        }
    }
}

void Cockpit::Draw(Canvas& canvas, uint32_t now) {
    const bool canDraw = canvas.palette != nullptr && SelectFont(kHudFont) == kStatusOk;
    const int32_t shift = BottomShift(canvas.height);
    int32_t hits[kFacings];
    for (int32_t facing = 0; facing < kFacings; ++facing) {
        hits[facing] = shieldHits[facing];
        if (shieldHits[facing] > 0) --shieldHits[facing];
    }
    if (!canDraw) return;
    // The HUD lies over the world, drawn in its own order: the depth the
    // world left behind is no test for it, and among its own lines, all at
    // one depth, the first drawn at a pixel would hide every later one.
    const bool depthTest = canvas.DepthTestOn();
    if (depthTest) canvas.DisableDepthTest();
    HudLayout layout;
    // The scope first: a long radio line running over it stays legible.
    CanvasRect scope{};
    if (readout.flying && readout.radar.shown) {
        scope = RadarPlace(canvas.width, canvas.height);
        RadarScope::Draw(canvas, readout.radar, scope);
        layout.Fix(scope);
    }
    // The top left block hangs from the top edge: indicators, damage, objective.
    layout.BeginStack(HudLayout::kOpenDown);
    for (const Label& label : kIndicatorLabels) {
        layout.Text(indicators_[label.id] ? kLit : kDim, label.x, label.y, label.text);
    }
    layout.BeginUnit();
    char line[kMessageChars + 64];
    layout.Text(kText, kDamageX, kDamageY, kDamageHeading);
    for (const Label& label : kGaugeLabels) {
        std::snprintf(line, sizeof line, "%s %3d%%", label.text, levels_[label.id - 1]);
        layout.Text(levels_[label.id - 1] > 0 ? kWarningColour : kText, label.x, label.y, line);
    }
    if (objectiveText_[0] != 0) {
        // Its two lines go together wherever the sight sends them.
        layout.BeginUnit();
        std::snprintf(line, sizeof line, "OBJECTIVE: %s", objectiveText_);
        layout.Text(kLit, kObjectiveX, kObjectiveY, line);
        layout.Text(kText, kObjectiveX + 8, kObjectiveY + 12, objectiveSecond_);
    }
    layout.BeginStack(HudLayout::kOpenDown);
    std::snprintf(line, sizeof line, "CHARGE %d", lastCharge);
    layout.Text(kText, kChargeX, kChargeY, line);
    // The facings under the scope, centred.
    layout.BeginStack(HudLayout::kOpenDown);
    for (const int32_t facing : {0, 1, 3, 2}) {
        // Left and right share a row.
        if (facing != 3) layout.BeginUnit();
        layout.Text(hits[facing] != 0 ? kHit : kDim, kFacingX[facing] + CentreShift(canvas.width),
                    kFacingY[facing] + shift, kFacingLabels[facing]);
    }
    // The rows from the radio message down stand on the bottom edge.
    layout.BeginStack(HudLayout::kOpenUp);
    layout.Text(kWarningColour, kWarningX, kWarningY + shift, WarningAt(now));
    layout.BeginUnit();
    layout.Text(kText, kMessageX, kMessageY + shift, MessageAt(now));
    if (messageFace_ != nullptr && Before(now, messageUntil_)) {
        layout.BeginStack(HudLayout::kOpenUp);
        layout.Picture(messageFace_,
                       CanvasRect{kMessageX + 480, kMessageY + shift - kRadioFaceSize, kRadioFaceSize, kRadioFaceSize});
    }
    const RadioMessage* const radio = game_.shownRadio;
    if (radio != nullptr) {
        // The face, the speaker and the words go together.
        layout.BeginStack(HudLayout::kOpenUp);
        int32_t x = kRadioX;
        if (radio->face != nullptr) {
            layout.Picture(radio->face, CanvasRect{kRadioX, kRadioY + shift, kRadioFaceSize, kRadioFaceSize});
            x += kRadioFaceSize + 8;
        }
        const char* const callsign =
            radio->speaker != nullptr && g_callsignQuery != nullptr ? g_callsignQuery(radio->speaker) : nullptr;
        layout.Text(kLit, x, kRadioY + shift, callsign);
        layout.Text(kText, x, kRadioY + shift + 12, radio->text);
    }
    readout.AddRows(layout, canvas.width, canvas.height);
    CanvasRect sight;
    if (readout.CrosshairPlace(&sight)) layout.MakeWay(sight, canvas.height);
    // Every line and picture drawn, and the scope, are kept clear of by the
    // instruments' marks, drawn last; the sight's edge mark keeps clear of
    // the rows alone: like the sight, it may stand over the scope.
    HudKeepClear rows;
    layout.Draw(canvas, rows);
    HudKeepClear keepClear = rows;
    keepClear.Add(scope.x, scope.y, scope.width, scope.height);
    readout.DrawMarks(canvas, keepClear, rows);
    if (depthTest) canvas.EnableDepthTest();
}
