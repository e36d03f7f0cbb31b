#include "objects/ships/ShipRadio.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "ai/WingGroup.h"
#include "game/DataDirectories.h"
#include "game/GameMessages.h"
#include "game/GameState.h"
#include "game/RadioMessage.h"
#include "mission/Faces.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/PlayerShip.h"
#include "scene/Model.h"
#include "sound/SoundEffectDef.h"
#include "sound/SoundObject.h"

namespace ship_radio {

PixelImage* FaceOf(const Craft& craft) {
    if (craft.faceName != nullptr && std::strcmp(craft.faceName, AiShip::kNamedFace) == 0) {
        const int32_t n = craft.faceNumber;
        return FaceImage(LoadFaceByIndex(n < kFacePictureSplit ? n + kFacePictureOffset : n - kFacePictureSplit));
    }
    return FaceImage(LoadFaceByName(craft.faceName != nullptr ? craft.faceName : "none"));
}

char VoiceLetter(int32_t voiceGender) { return voiceGender == 1 ? 'F' : 'M'; }

int32_t VoiceGenderOf(const Craft& craft) {
    const auto* const ai = dynamic_cast<const AiShip*>(&craft);
    return ai != nullptr ? ai->voiceGender : 2;
}

int32_t ShipNumber(const char* modelName) {
    if (modelName == nullptr || std::strlen(modelName) < 4) return -1;
    const unsigned char tens = static_cast<unsigned char>(modelName[2]), units = static_cast<unsigned char>(modelName[3]);
    if (!std::isdigit(tens) || !std::isdigit(units)) return -1;
    return 10 * (tens - '0') + (units - '0');
}

int32_t ShipClass(const char* modelName) {
    const int32_t c = ShipNumber(modelName);
    if (c < 0) return 6;
    return c < 6 ? 1 : c < 9 ? 2 : c < 11 ? 3 : c < 14 ? 4 : c < 18 ? 5 : 6;
}

WingGroup* PlayerWing() {
    auto* const player = g_gameState != nullptr ? dynamic_cast<PlayerShip*>(g_gameState->playerShip) : nullptr;
    return player != nullptr ? player->wingGroup : nullptr;
}

bool InPlayerWing(const Craft& craft) {
    const auto* const ai = dynamic_cast<const AiShip*>(&craft);
    return ai != nullptr && ai->wingGroup != nullptr && ai->wingGroup == PlayerWing();
}

RadioMessage* WingmanLine(Craft& speaker, const char* sample) {
    SoundEffectDef voice;
    const std::string path = g_dataDirs.Prefix(DataDir::kData) + "commwm.iff";
    const bool found = voice.Load(sample, path.c_str()) == kStatusOk;
    const char* const text = found && !voice.text.empty() ? voice.text.c_str() : msg::kMissingCommText;
    SoundObject* const sound = found ? new SoundObject(voice) : nullptr;
    return new RadioMessage(FaceOf(speaker), text, &speaker, sound, kWingmanLineMs);
}

void PostWingmanLine(Craft& speaker, char letter, int32_t number) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->pendingRadio != nullptr) return;
    char sample[8];
    std::snprintf(sample, sizeof sample, "%c%c%02d", letter, VoiceLetter(VoiceGenderOf(speaker)), int(number % 100));
    game->PostRadioMessage(WingmanLine(speaker, sample));
}

}  // namespace ship_radio
