#include "tools/hudshot/HudShot.h"

#include "display/Canvas.h"
#include "display/CanvasRect.h"
#include "display/Palette.h"
#include "game/Cockpit.h"
#include "game/GameState.h"
#include "game/RadioMessage.h"

namespace {

const char* SpeakerCallsign(const SpaceObject*) { return "Blue 2"; }

// Any object will do as the speaker: only the callsign query reads it.
char g_speakerStandIn;

}  // namespace

Status DrawHudShot(Canvas& canvas, GameState& game, uint32_t now) {
    if (canvas.palette == nullptr) return kStatusNothingToDo;
    // Bands of colour, so that transparent text shows what lies behind it.
    const uint32_t bands[] = {0x301810, 0x402010, 0x183018, 0x102040, 0x282828};
    const int32_t bandHeight = (canvas.height + 4) / 5;
    for (int32_t i = 0; i < 5; ++i) {
        const CanvasRect band{0, i * bandHeight, canvas.width, bandHeight};
        canvas.FillRect(&band, canvas.palette->MatchColor(bands[i]));
    }
    Cockpit& cockpit = game.TheCockpit();
    for (const int32_t id : {5, 6, 8, 9, 10, 11}) cockpit.SetIndicator(id, 1);
    for (int32_t gauge = 1; gauge <= Cockpit::kGauges; ++gauge) cockpit.SetLevel(gauge, gauge * 25);
    cockpit.ShowWarning("WARNING: Low fuel levels!", 10000);
    cockpit.ShowMessage("Corsair: [good hunting, pilot]", nullptr, 6000, 0);
    for (int32_t& hit : cockpit.shieldHits) hit = 2;
    cockpit.lastCharge = 1250;
    Cockpit::SetCallsignQuery(SpeakerCallsign);
    game.PostRadioMessage(new RadioMessage(nullptr, "Bandits at twelve o'clock!", reinterpret_cast<SpaceObject*>(&g_speakerStandIn),
                                           nullptr, 5000));
    cockpit.Update(now);
    cockpit.Draw(canvas, now);
    Cockpit::SetCallsignQuery(nullptr);
    return kStatusOk;
}
