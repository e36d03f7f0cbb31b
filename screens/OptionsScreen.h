#pragma once
#include <cstdint>

#include "ui/MenuScreen.h"

class AnimatedPicture;
class BitmapButton;

// The game-options page embedded in the frame menu: the graphics switches,
// the play aids, inertial flight, the two volume strips and the music track,
// with the page's way out (credits, restart or a new session, and exit). The
// buttons hold the changes until the page closes, when the career's option
// words, "opts.sav" and "vorn.cfg" take them; a clicked volume is heard at once.
class OptionsScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "OPTI";
    static constexpr const char* kPanelName = "rqmain";
    static constexpr const char* kTrackName = "track";
    static constexpr const char* kSoundStrip = "sound volume";
    static constexpr const char* kMusicStrip = "music volume";

    // The page's event codes.
    static constexpr uint16_t kCodeTextures = 0x0210;
    static constexpr uint16_t kCodeDust = 0x0220;
    static constexpr uint16_t kCodeLights = 0x0240;
    static constexpr uint16_t kCodeShading = 0x0280;
    static constexpr uint16_t kCodeAlpha = 0x0301;
    static constexpr uint16_t kCodeInvulnerability = 0x0302;
    static constexpr uint16_t kCodeAmmo = 0x0304;
    static constexpr uint16_t kCodeFuel = 0x0308;
    static constexpr uint16_t kCodeInvisibility = 0x0310;
    static constexpr uint16_t kCodeTrackLeft = 0x0320;
    static constexpr uint16_t kCodeTrackRight = 0x0340;
    static constexpr uint16_t kCodeSoundVolume = 0x0380;
    static constexpr uint16_t kCodeMusicVolume = 0x0401;
    static constexpr uint16_t kCodeInertial = 0x0402;
    static constexpr uint16_t kCodeExitRow = 0x0404;
    static constexpr uint16_t kCodeExit = 0x0408;
    static constexpr uint16_t kCodeHelp = 0x0420;
    static constexpr uint16_t kCodeFocusNext = 0x0440;
    static constexpr uint16_t kCodeFocusPrevious = 0x0480;
    static constexpr uint16_t kCodeActivate = 0x0501;
    static constexpr uint16_t kCodeStepLeft = 0x0504;
    static constexpr uint16_t kCodeStepRight = 0x0508;
    // The pointer's x range of the slider steps, both ends excluded.
    static constexpr int32_t kStepLeftEdge = 424;
    static constexpr int32_t kStepRightEdge = 544;
    static constexpr int32_t kStepPixels = 10;
    // Volume values as the sound library takes them, per step of a strip.
    static constexpr int32_t kSoundVolumeScale = 25;
    static constexpr int32_t kMusicVolumeScale = 10;

    explicit OptionsScreen(const char* screenName = kScreenName);

    void Open() override;
    void Close() override;
    int32_t HandleEvent(uint16_t code) override;
    bool EndsGame(uint16_t code) const override { return code == kCodeExit; }

    // The career's words to the buttons and strips, and back.
    void ShowOptions();
    void StoreOptions();

    ArtObject* panel = nullptr;   // owned through artObjects

private:
    BitmapButton* Button(const char* buttonName) const;
    AnimatedPicture* Strip(const char* stripName) const;
    void ShowTrack();
    int32_t Leave();
    int32_t Toggle(const char* buttonName);
    void ChangeTrack(int32_t step);
    void ClickStrip(uint16_t code, AnimatedPicture& strip);
    void StepStrip(AnimatedPicture& strip, int32_t step);
    int32_t TakeExitRow();
    int32_t EndGame();
};
