#include "screens/PilotNotices.h"

#include <cstdio>
#include <string>

#include "engine/PrintableText.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/PilotFile.h"
#include "platform/MessageBox.h"
#include "screens/NetLobbyScreen.h"

namespace pilot_notices {

namespace {

void Show(const char* text) {
    std::printf("Pilot: %s\n", text);
    std::fflush(stdout);
    if (NetLobbyScreen::messageBoxesOff != nullptr && NetLobbyScreen::messageBoxesOff()) return;
    platform::MessageBox::Current().Show(text, kCaption, platform::kMessageBoxOk | platform::kMessageBoxIconWarning);
}

}  // namespace

void SavePilot(GameState& game) {
    if (game.career == nullptr) return;
    const Status status = WritePilotFile(game);
    if (status == kStatusOk) return;
    std::printf("Pilot file of \"%s\": not written (%u)\n", PrintableText(game.career->GetPilotName()).c_str(),
                unsigned(status));
    Show(kNotWrittenText);
}

void TellNameRefused(const char* problem) {
    if (problem != nullptr) Show(problem);
}

}  // namespace pilot_notices
