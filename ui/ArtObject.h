#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/DynArray.h"
#include "engine/Status.h"

class Bitmap;
class BitmapButton;
class IffFile;
class UiControl;

// A sprite an art file places: its unique name (the name read, numbered
// "lamp2", "lamp3" when the name part repeats), the base name of its art in
// "optart.iff", and its screen position.
struct SpriteDef {
    std::string uniqueName;
    std::string baseName;
    uint32_t x = 0;
    uint32_t y = 0;
};

// A placed sprite: a button of the menu sprite cache (not owned) at a
// position.
struct SpriteInstance {
    BitmapButton* control = nullptr;
    int32_t x = 0;
    int32_t y = 0;
};

// One panel of a screen: a named group of controls and sprites filled from
// the screen's art file ("OPTI": "BUTT", "PICT" and "SPRT" entries) and
// from controls the screen makes itself. The screen finds controls by name,
// and the panel draws them, gives the pointer feedback and steps their
// opening and closing animations.
class ArtObject {
public:
    // Names, from "NAME" chunks, end at their NUL, the chunk's end or this
    // many bytes.
    static constexpr uint32_t kMaxNameBytes = 63;
    // The palette the sprites of every panel are drawn in.
    static constexpr const char* kSpritePalette = "mastermenu";

    ArtObject(const char* panelName, int32_t alwaysDrawFlag);
    virtual ~ArtObject();
    ArtObject(const ArtObject&) = delete;
    ArtObject& operator=(const ArtObject&) = delete;

    // From the file's current form level: the "PALT" palette name, the
    // "BUTT" buttons and the "PICT" pictures; the pictures come first in
    // the control list, the buttons after them, each in file order.
    void LoadButtons(IffFile& file);
    // The "PICT" entries of the level; the status of the last search
    // (nonzero: no further entry).
    Status LoadPictures(IffFile& file);
    // The "SPRT" entries of the level; the same kind of status.
    Status LoadSprites(IffFile& file);

    // The panel takes the control.
    void AddControl(UiControl* control);
    // The first control of that name (exact), then the first sprite's; null.
    UiControl* FindControl(const char* controlName) const;
    // Every control of that name, not only the first.
    void HideControl(const char* controlName);
    void ShowControl(const char* controlName);

    // The highlighted cursor shape while a control is highlighted.
    void UpdateCursor() const;
    // The panel's palette becomes the canvas's when it loads.
    void ApplyPalette() const;
    // Binds every control's and sprite's images and resets them.
    void AttachImages();
    // One step of every control; the sum of what moved (0: all done).
    int32_t StepForward();
    int32_t StepBack();
    // Back to front: the sprites in "mastermenu", then the controls. A
    // control or sprite that asks for nothing is skipped unless the screen
    // is dirty or the panel always draws; `full` reaches every Refresh.
    void Draw(int32_t full);

    const std::string& Name() const { return name; }
    // The sprite instances go (their controls belong to the cache).
    void FreeSpriteInstances();

    DynArray<SpriteDef*> spriteDefs;            // owned
    DynArray<SpriteInstance*> spriteInstances;  // owned records, borrowed controls
    // Set when the panel has finished opening: everything draws every pass.
    int32_t alwaysDraw = 0;
    int32_t reserved = 0;
    std::string name;
    std::string paletteName;                    // empty: none
    DynArray<UiControl*> controls;              // owned, in the order added
};

namespace art_file {

// Opens an art file and stands inside its FORM "OPTI"; false when the file
// cannot be read or holds no such form.
bool OpenArt(IffFile& file, const std::string& path);

// The "XCEL" cel the reader stands on, entered and left again; null when it
// cannot be read. The reader stays at the level it was on.
std::unique_ptr<Bitmap> ReadCel(IffFile& file);
// Every cel of the form the reader stands on, entered and left, in order.
void ReadCels(IffFile& file, const std::function<void(std::unique_ptr<Bitmap>)>& add);
// The current chunk's text up to its NUL, its end or `maximum` bytes.
std::string ReadName(IffFile& file, uint32_t maximum);
// Every `form` of the level the reader stands on, in order, each its "XCEL"
// cel; a picture that cannot be read still takes its number (an empty
// bitmap), so the pictures after it keep theirs. The reader stays on its level.
void ReadPictures(IffFile& file, uint32_t form, DynArray<Bitmap*>& into);
// Leaves forms until the reader is back on `level`.
void LeaveTo(IffFile& file, uint32_t level);
// The region of a control becomes the cel's rectangle.
void PlaceByCel(UiControl& control, const Bitmap& cel);
// A button's idle frames (the form found from where the reader stands; the
// region is the last cel's rectangle), then, each found from the level's
// start, its highlight frames and the first cel of its click form.
void ReadButtonFrames(IffFile& file, BitmapButton& button);

}  // namespace art_file

// The control of that name on `panel` when it is a T; null otherwise and
// for a null panel.
template <typename T>
T* FindControlAs(const ArtObject* panel, const char* controlName) {
    return panel != nullptr ? dynamic_cast<T*>(panel->FindControl(controlName)) : nullptr;
}
