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
// under the scope, the charge stays at the top right and the rest stays at
// the top left.
constexpr int32_t kLayoutWidth = 640, kLayoutHeight = 480;
struct Label {
    int32_t id;
    const char* text;
    int32_t x, y;
};
constexpr const char* kHudFont = "cockpitf";
// The top rows keep out of the middle of the screen: in the chase view the
// sight stands there in level flight, and climbs to the top edge as the
// nose comes up. None comes nearer the centre line than this.
constexpr int32_t kSightLane = 20;
constexpr Label kIndicatorLabels[] = {
    {Cockpit::kIndicatorRadarPassive, "PASSIVE", 8, 8},  {Cockpit::kIndicatorRadarActive, "ACTIVE", 62, 8},
    {Cockpit::kIndicatorIncomingMissile, "MISSILE", 110, 8}, {Cockpit::kIndicatorJammer, "JAMMER", 164, 8},
    {Cockpit::kIndicatorEcm, "ECM", 212, 8},             {Cockpit::kIndicatorCloak, "CLOAK", 242, 8},
};
// The gauges count damage, not what is left: a pilot reading "SHIELD 0%"
// under a damage heading cannot take it for an empty shield. Two by two
// beside the heading, they end short of the sight's lane.
constexpr int32_t kDamageX = 8, kDamageY = 24;
constexpr const char* kDamageHeading = "DAMAGE";
constexpr Label kGaugeLabels[] = {{1, "ENERGY", 62, 24}, {2, "TARGETING", 152, 24}, {3, "RADAR", 62, 36}, {4, "SHIELDS", 152, 36}};
constexpr const char* kFacingLabels[Cockpit::kFacings] = {"FRONT", "LEFT", "REAR", "RIGHT"};
constexpr int32_t kFacingX[Cockpit::kFacings] = {300, 260, 300, 340};
constexpr int32_t kFacingY[Cockpit::kFacings] = {400, 416, 432, 416};
constexpr int32_t kWarningX = 8, kWarningY = 440;
constexpr int32_t kMessageX = 8, kMessageY = 456;
constexpr int32_t kRadioX = 8, kRadioY = 360, kRadioFaceSize = 64;
constexpr int32_t kChargeFromRight = 120, kChargeY = 8;
// The objective's lines, each broken to end short of the sight's lane.
constexpr int32_t kObjectiveX = 8, kObjectiveY = 52, kObjectiveStep = 12, kObjectiveIndent = 8;
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

// Adds the text to the layout from (x, y) down, in lines of the current font
// kObjectiveStep apart that end before `right`, each broken after a word (a
// word longer than a line is cut); the y of the line after the last.
int32_t AddBroken(HudLayout& layout, uint32_t colour, int32_t x, int32_t y, int32_t right, const char* text) {
    const int32_t room = std::max(right - x, 1);
    char line[HudLayout::kTextChars];
    for (const char* at = text; at != nullptr && *at != 0; y += kObjectiveStep) {
        while (*at == ' ') ++at;
        if (*at == 0) break;
        // The most characters that fit, and the most that end a word.
        size_t fit = 0, word = 0;
        int32_t width = 0;
        for (; at[fit] != 0 && fit < sizeof line - 1; ++fit) {
            const char one[2] = {at[fit], 0};
            width += int32_t(FontStringWidth(one));
            if (width > room) break;
            if (at[fit + 1] == ' ' || at[fit + 1] == 0) word = fit + 1;
        }
        const size_t take = word > 0 ? word : std::max(fit, size_t{1});
        std::memcpy(line, at, take);
        line[take] = 0;
        layout.Text(colour, x, y, line);
        at += take;
    }
    return y;
}

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
    CanvasRect scope{}, scopeLabel{};
    if (readout.flying && readout.radar.shown) {
        scope = RadarPlace(canvas.width, canvas.height);
        RadarScope::Draw(canvas, readout.radar, scope);
        scopeLabel = RadarScope::LabelPlace(readout.radar, scope);
    }
    // The top left block: indicators, damage, objective.
    for (const Label& label : kIndicatorLabels) {
        layout.Text(indicators_[label.id] ? kLit : kDim, label.x, label.y, label.text);
    }
    char line[kMessageChars + 64];
    layout.Text(kText, kDamageX, kDamageY, kDamageHeading);
    for (const Label& label : kGaugeLabels) {
        std::snprintf(line, sizeof line, "%s %3d%%", label.text, levels_[label.id - 1]);
        layout.Text(levels_[label.id - 1] > 0 ? kWarningColour : kText, label.x, label.y, line);
    }
    if (objectiveText_[0] != 0) {
        const int32_t lane = canvas.width / 2 - kSightLane;
        std::snprintf(line, sizeof line, "OBJECTIVE: %s", objectiveText_);
        const int32_t next = AddBroken(layout, kLit, kObjectiveX, kObjectiveY, lane, line);
        AddBroken(layout, kText, kObjectiveX + kObjectiveIndent, next, lane, objectiveSecond_);
    }
    std::snprintf(line, sizeof line, "CHARGE %d", lastCharge);
    layout.Text(kText, canvas.width - kChargeFromRight, kChargeY, line);
    // The facings under the scope, centred.
    for (const int32_t facing : {0, 1, 3, 2}) {
        layout.Text(hits[facing] != 0 ? kHit : kDim, kFacingX[facing] + CentreShift(canvas.width),
                    kFacingY[facing] + shift, kFacingLabels[facing]);
    }
    // The rows from the radio message down stand on the bottom edge.
    layout.Text(kWarningColour, kWarningX, kWarningY + shift, WarningAt(now));
    layout.Text(kText, kMessageX, kMessageY + shift, MessageAt(now));
    if (messageFace_ != nullptr && Before(now, messageUntil_)) {
        layout.Picture(messageFace_,
                       CanvasRect{kMessageX + 480, kMessageY + shift - kRadioFaceSize, kRadioFaceSize, kRadioFaceSize});
    }
    const RadioMessage* const radio = game_.shownRadio;
    if (radio != nullptr) {
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
    // Every text and picture keeps its place; the instruments' marks, drawn
    // last, keep clear of them: the sight of every text, the scope's label
    // among them (like the sight, its mark may stand over the scope's disc),
    // and the brackets and the arrow of the whole scope besides.
    HudKeepClear text;
    layout.Draw(canvas, text);
    text.Add(scopeLabel.x, scopeLabel.y, scopeLabel.width, scopeLabel.height);
    HudKeepClear keepClear = text;
    keepClear.Add(scope.x, scope.y, scope.width, scope.height);
    readout.DrawMarks(canvas, keepClear, text);
    if (depthTest) canvas.EnableDepthTest();
}
