#pragma once
#include <cstdint>

#include "display/CanvasRect.h"
#include "engine/EngineAllocation.h"
#include "game/HudReadout.h"

class Canvas;
class GameState;
class Goal;
class PixelImage;
class RadioMessage;
class SoundObject;
class SpaceObject;

// The cockpit as the ship systems see it: indicators, damage gauges, a
// warning line, a message line, clicks, shield-hit flags, the last rearm
// charge and the radio messages, drawn as the HUD with the instruments'
// readout the flight frame gathers. Without a canvas, a font or a sound
// device the calls only record their state.
class Cockpit : public EngineObject {
public:
    // Indicators the systems switch.
    static constexpr int32_t kIndicatorRadarPassive = 5;
    static constexpr int32_t kIndicatorRadarActive = 6;
    static constexpr int32_t kIndicatorIncomingMissile = 8;
    static constexpr int32_t kIndicatorJammer = 9;
    static constexpr int32_t kIndicatorEcm = 10;
    static constexpr int32_t kIndicatorCloak = 11;
    static constexpr int32_t kIndicatorIds = 12;
    // Gauges 1 to 4: energy, targeting, radar and shield damage.
    static constexpr int32_t kGauges = 4;
    // Shield facings, as the shields order them.
    static constexpr int32_t kFacings = 4;   // front, left, rear, right
    // The chat buffer's size: longer messages are cut.
    static constexpr int32_t kMessageChars = 255;
    // Sound levels (the warning never doubles up; clicks always sound).
    static constexpr int32_t kWarningLevel = 8;
    static constexpr int32_t kClickLevel = 0;
    static constexpr int32_t kVoiceLevel = 9;

    explicit Cockpit(GameState& game);
    ~Cockpit();
    Cockpit(const Cockpit&) = delete;
    Cockpit& operator=(const Cockpit&) = delete;

    // Ids other than the six above are ignored.
    void SetIndicator(int32_t id, int32_t on);
    bool Indicator(int32_t id) const;
    // Gauge 1 to 4, clamped to 0 to 100.
    void SetLevel(int32_t gauge, int32_t percent);
    int32_t Level(int32_t gauge) const;
    // The newest warning replaces the line until now + milliseconds, with
    // the warning sound.
    void ShowWarning(const char* text, uint32_t milliseconds);
    // 1 "Click 1", 2 "Click 2" (the refusal), 3 "Click 3".
    void PlayClick(int32_t kind);
    // The message line until now + milliseconds, with a face picture or
    // none, and the message sound when asked.
    void ShowMessage(const char* text, PixelImage* face, uint32_t milliseconds, int32_t sound);
    // Told of each message shown; null: nobody.
    static inline void (*messageShown)(const char* text) = nullptr;
    // Told of each radio message as it comes up, with its speaker's
    // callsign ("" when nobody is named); null: nobody.
    static inline void (*radioShown)(const char* callsign, const char* text) = nullptr;

    // Once a frame: the shown radio message ends after its display time,
    // then a pending one is shown from now with its voice.
    void Update(uint32_t now);
    // The HUD over whatever the canvas holds, in its own order whatever depth
    // the canvas keeps: the radar's scope first, then the text and the
    // instruments' readout, each row at its own place, then the marks, which
    // keep clear of the text. Each drawn frame lowers every shield-hit flag
    // by one.
    void Draw(Canvas& canvas, uint32_t now);

    // Where the radar's scope stands on a screen of width x height: centred
    // between the crosshair and the shield facings, clear of every text row
    // of the HUD.
    static CanvasRect RadarPlace(int32_t width, int32_t height);

    // What the HUD shows; empty when nothing is up at `now`.
    const char* WarningAt(uint32_t now) const;
    const char* MessageAt(uint32_t now) const;

    // Who speaks a radio message, by the speaker's callsign: the world's
    // objects answer; without an answer the HUD names nobody.
    using CallsignQuery = const char* (*)(const SpaceObject* speaker);
    static void SetCallsignQuery(CallsignQuery query);

    // The goal the pilot pursues now and the two lines it shows; the goal
    // is only compared, never read, here (null: none).
    void SetObjective(Goal* goal, const char* text, const char* second);
    const char* ObjectiveText() const { return objectiveText_; }

    int32_t shieldHits[kFacings] = {};
    int32_t lastCharge = 0;
    // Filled by the flight frame before each Draw; drawn as it stands.
    HudReadout readout;
    Goal* objective = nullptr;

private:
    void Play(SoundObject*& sound, const char* name, int32_t level, int32_t overlap);

    GameState& game_;
    bool indicators_[kIndicatorIds] = {};
    int32_t levels_[kGauges] = {};
    char warning_[kMessageChars + 1] = {};
    uint32_t warningUntil_ = 0;
    char message_[kMessageChars + 1] = {};
    uint32_t messageUntil_ = 0;
    char objectiveText_[kMessageChars + 1] = {};
    char objectiveSecond_[kMessageChars + 1] = {};
    PixelImage* messageFace_ = nullptr;
    SoundObject* warningSound_ = nullptr;
    SoundObject* messageSound_ = nullptr;
    SoundObject* clickSounds_[3] = {};
    // The radio message last told to radioShown, by where it lives and when
    // it came up (a new message may take a dropped one's place).
    const RadioMessage* toldRadio_ = nullptr;
    uint32_t toldRadioAt_ = 0;
};
