#pragma once
#include <cstdint>

class Craft;
class PixelImage;
class RadioMessage;
class WingGroup;

// What the ships' radio traffic shares: faces, voice letters, ship classes
// and the wingmen's lines of "commwm.iff".
namespace ship_radio {

inline constexpr uint32_t kWingmanLineMs = 5000;
inline constexpr int32_t kFacePictureOffset = 67;
inline constexpr int32_t kFacePictureSplit = 113;

// A named-face ship ("NOT GENERIC") shows the face of its number (number +
// 67 below 113, number - 113 from there), any other the face its face name
// names ("none" when unset); null when there is none.
PixelImage* FaceOf(const Craft& craft);
// 'F' for a female voice (1), 'M' otherwise.
char VoiceLetter(int32_t voiceGender);
// The voice gender of a ship (its own for an AI ship, else male).
int32_t VoiceGenderOf(const Craft& craft);
// 1 to 6 from the model name's third and fourth characters as two digits;
// 6 when either is missing or not a digit.
int32_t ShipClass(const char* modelName);
// The ship number of a model name (its third and fourth characters), or -1.
int32_t ShipNumber(const char* modelName);
// The player's ship's wing, or null.
WingGroup* PlayerWing();
bool InPlayerWing(const Craft& craft);
// The entry `sample` of "commwm.iff" spoken by the craft, with its text
// (or the missing-text line), face and voice, shown for 5 s.
RadioMessage* WingmanLine(Craft& speaker, const char* sample);
// Posts the wingman line "<letter><voice><number>" when no message waits;
// the letter is 'B', 'C' or 'D'.
void PostWingmanLine(Craft& speaker, char letter, int32_t number);

}  // namespace ship_radio
