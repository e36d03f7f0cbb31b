#include "ui/ArtObject.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "display/Canvas.h"
#include "engine/IffFile.h"
#include "engine/IffWalk.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/SoftCursor.h"
#include "ui/AnimatedPicture.h"
#include "ui/BitmapButton.h"
#include "ui/Screen.h"
#include "ui/ScreenRedraw.h"

namespace {

constexpr uint32_t kPaletteChunk = MakeTag("PALT");
constexpr uint32_t kButtonForm = MakeTag("BUTT");
constexpr uint32_t kPictureForm = MakeTag("PICT");
constexpr uint32_t kSpriteForm = MakeTag("SPRT");
constexpr uint32_t kNameChunk = MakeTag("NAME");
constexpr uint32_t kDelayChunk = MakeTag("DLAY");
constexpr uint32_t kPositionChunk = MakeTag("POSI");
constexpr uint32_t kStepForm = MakeTag(" FU ");
constexpr uint32_t kIdleForm = MakeTag("IDLE");
constexpr uint32_t kHighlightForm = MakeTag("HIGH");
constexpr uint32_t kClickForm = MakeTag("CLIK");
constexpr uint32_t kCelForm = MakeTag("XCEL");
// Palette names are short; a longer "PALT" is cut here.
constexpr uint32_t kMaxPaletteName = 63;
// "POSI": two 16-bit values, in a chunk of at most 8 bytes.
constexpr uint32_t kPositionBytes = 4;
constexpr uint32_t kMaxPositionBytes = 8;
// Only the first cel met and every third after it are a button's step frames.
constexpr int32_t kStepCelStride = 3;
// What one StepForward or StepBack of a control is asked to do.
constexpr int32_t kStepAmount = 20;

Palette* Named(const char* paletteName) {
    if (g_gameState == nullptr || paletteName == nullptr || paletteName[0] == '\0') return nullptr;
    return g_gameState->LoadPalette(paletteName);
}

void DeleteControls(DynArray<UiControl*>& list) {
    for (UiControl* const control : list) delete control;
    list.Clear();
}

}  // namespace

namespace art_file {

std::unique_ptr<Bitmap> ReadCel(IffFile& file) {
    const uint32_t level = file.Level();
    auto cel = std::make_unique<Bitmap>();
    Status status = file.Descend();
    if (status == kStatusOk) status = BitmapCodec::ReadCoorBitmap(&file, cel.get());
    // A failed cel may leave the reader inside it.
    LeaveTo(file, level);
    if (status != kStatusOk || cel->pixels == nullptr) return nullptr;
    return cel;
}

std::string ReadName(IffFile& file, uint32_t maximum) {
    std::vector<char> text(size_t(maximum) + 1, '\0');
    const uint32_t got = iff_walk::ReadBounded(file, text.data(), maximum);
    text[got] = '\0';
    return std::string(text.data());
}

void ReadCels(IffFile& file, const std::function<void(std::unique_ptr<Bitmap>)>& add) {
    const uint32_t level = file.Level();
    if (file.Descend() != kStatusOk) return;
    while (file.FindForm(kCelForm) == kStatusOk) {
        std::unique_ptr<Bitmap> cel = ReadCel(file);
        if (cel != nullptr) add(std::move(cel));
    }
    LeaveTo(file, level);
}

void ReadPictures(IffFile& file, uint32_t form, DynArray<Bitmap*>& into) {
    const uint32_t level = file.Level();
    while (file.FindForm(form) == kStatusOk) {
        if (file.Descend() != kStatusOk) break;
        if (file.FindForm(kCelForm) == kStatusOk) {
            std::unique_ptr<Bitmap> cel = ReadCel(file);
            into.Append(cel != nullptr ? cel.release() : new Bitmap());
        }
        LeaveTo(file, level);
    }
}

void LeaveTo(IffFile& file, uint32_t level) {
    while (file.Level() > level) {
        if (file.Ascend() != kStatusOk) break;
    }
}

void PlaceByCel(UiControl& control, const Bitmap& cel) {
    control.position.screenX = cel.x;
    control.position.screenY = cel.y;
    control.width = cel.width;
    control.height = cel.height;
    control.UpdateRegion();
}

bool OpenArt(IffFile& file, const std::string& path) {
    return file.OpenFile(path.c_str(), kOpenRead) == kStatusOk && file.FindForm(MakeTag("OPTI")) == kStatusOk &&
           file.Descend() == kStatusOk;
}

void ReadButtonFrames(IffFile& file, BitmapButton& button) {
    if (file.FindForm(kIdleForm) == kStatusOk) {
        ReadCels(file, [&](std::unique_ptr<Bitmap> cel) {
            PlaceByCel(button, *cel);
            button.AddIdleFrame(std::move(cel));
        });
    }
    file.Rewind(0);
    if (file.FindForm(kHighlightForm) == kStatusOk) {
        ReadCels(file, [&](std::unique_ptr<Bitmap> cel) { button.AddHighlightFrame(std::move(cel)); });
    }
    file.Rewind(0);
    if (file.FindForm(kClickForm) == kStatusOk) {
        bool first = true;
        ReadCels(file, [&](std::unique_ptr<Bitmap> cel) {
            if (first) button.SetClickPicture(std::move(cel));
            first = false;
        });
    }
}

}  // namespace art_file

ArtObject::ArtObject(const char* panelName, int32_t alwaysDrawFlag)
    : alwaysDraw(alwaysDrawFlag), name(panelName != nullptr ? panelName : "") {}

ArtObject::~ArtObject() {
    for (SpriteDef* const def : spriteDefs) delete def;
    spriteDefs.Clear();
    DeleteControls(controls);
    FreeSpriteInstances();
}

void ArtObject::FreeSpriteInstances() {
    for (SpriteInstance* const instance : spriteInstances) delete instance;
    spriteInstances.Clear();
}

void ArtObject::AddControl(UiControl* control) {
    if (control != nullptr) controls.Append(control);
}

void ArtObject::LoadButtons(IffFile& file) {
    const uint32_t level = file.Level();
    paletteName.clear();
    file.Rewind(0);
    if (file.FindChunk(kPaletteChunk) == kStatusOk) paletteName = art_file::ReadName(file, kMaxPaletteName);
    // The palette chunk is expected first, but the buttons load without it.
    file.Rewind(0);
    std::vector<BitmapButton*> buttons;
    // Counts across every button of this call, not per button.
    int32_t stepCount = kStepCelStride - 1;
    while (file.FindForm(kButtonForm) == kStatusOk) {
        auto* const button = new BitmapButton();
        buttons.push_back(button);
        if (file.Descend() != kStatusOk) continue;
        if (file.FindChunk(kNameChunk) == kStatusOk) button->SetName(art_file::ReadName(file, kMaxNameBytes).c_str());
        file.Rewind(0);
        if (file.FindChunk(kDelayChunk) == kStatusOk && file.ChunkSize() >= 2) {
            uint8_t bytes[2] = {};
            if (iff_walk::ReadBounded(file, bytes, sizeof bytes) == sizeof bytes) {
                const int16_t delay = int16_t(uint16_t(bytes[0] | bytes[1] << 8));
                button->stepDelay = delay / kStepCelStride;
            }
        }
        file.Rewind(0);
        if (file.FindForm(kStepForm) == kStatusOk && file.Descend() == kStatusOk) {
            while (file.FindForm(kCelForm) == kStatusOk) {
                if (stepCount != kStepCelStride - 1) {
                    ++stepCount;
                    continue;
                }
                stepCount = 0;
                std::unique_ptr<Bitmap> cel = art_file::ReadCel(file);
                if (cel != nullptr) button->AddStepFrame(std::move(cel));
            }
            art_file::LeaveTo(file, level + 1);
        }
        file.Rewind(0);
        art_file::ReadButtonFrames(file, *button);
        art_file::LeaveTo(file, level);
    }
    art_file::LeaveTo(file, level);
    file.Rewind(0);
    LoadPictures(file);
    for (BitmapButton* const button : buttons) controls.Append(button);
}

Status ArtObject::LoadPictures(IffFile& file) {
    const uint32_t level = file.Level();
    Status status;
    while ((status = file.FindForm(kPictureForm)) == kStatusOk) {
        const FrameRect zero = FrameRect::Init(0, 0, 0);
        auto* const picture = new AnimatedPicture(0, 0, zero, zero, zero, "");
        if (file.Descend() == kStatusOk) {
            if (file.FindChunk(kNameChunk) == kStatusOk) {
                picture->SetName(art_file::ReadName(file, kMaxNameBytes).c_str());
            }
            file.Rewind(0);
            if (file.FindForm(kIdleForm) == kStatusOk) {
                art_file::ReadCels(file, [&](std::unique_ptr<Bitmap> cel) {
                    art_file::PlaceByCel(*picture, *cel);
                    picture->AddFrame(std::move(cel));
                });
            }
        }
        art_file::LeaveTo(file, level);
        controls.Append(picture);
    }
    return status;
}

Status ArtObject::LoadSprites(IffFile& file) {
    const uint32_t level = file.Level();
    Status status;
    while ((status = file.FindForm(kSpriteForm)) == kStatusOk) {
        auto* const def = new SpriteDef;
        if (file.Descend() == kStatusOk) {
            if (file.FindChunk(kNameChunk) == kStatusOk) {
                def->baseName = art_file::ReadName(file, kMaxNameBytes);
                def->uniqueName = def->baseName;
            }
            file.Rewind(0);
            if (file.FindChunk(kPositionChunk) == kStatusOk && file.ChunkSize() >= kPositionBytes &&
                file.ChunkSize() <= kMaxPositionBytes) {
                uint8_t bytes[kPositionBytes] = {};
                if (iff_walk::ReadBounded(file, bytes, kPositionBytes) == kPositionBytes) {
                    def->x = uint32_t(bytes[0] | bytes[1] << 8);
                    def->y = uint32_t(bytes[2] | bytes[3] << 8);
                }
            }
        }
        art_file::LeaveTo(file, level);
        // A name part met before gets a number: lamp, lamp2, lamp3. An
        // earlier name that merely contains this one counts too.
        int32_t count = 0;
        for (const SpriteDef* const other : spriteDefs) {
            if (other->uniqueName.find(def->uniqueName) != std::string::npos) ++count;
        }
        if (count > 0) def->uniqueName += std::to_string(count + 1);
        spriteDefs.Append(def);
    }
    return status;
}

UiControl* ArtObject::FindControl(const char* controlName) const {
    if (controlName == nullptr) return nullptr;
    for (UiControl* const control : controls) {
        if (control->Name() == controlName) return control;
    }
    for (const SpriteInstance* const instance : spriteInstances) {
        if (instance->control != nullptr && instance->control->Name() == controlName) return instance->control;
    }
    return nullptr;
}

void ArtObject::HideControl(const char* controlName) {
    if (controlName == nullptr) return;
    for (UiControl* const control : controls) {
        if (control->Name() == controlName) control->SetVisible(0);
    }
}

void ArtObject::ShowControl(const char* controlName) {
    if (controlName == nullptr) return;
    for (UiControl* const control : controls) {
        if (control->Name() == controlName) control->SetVisible(1);
    }
}

void ArtObject::UpdateCursor() const {
    if (g_gameState == nullptr || g_gameState->cursor == nullptr) return;
    bool highlighted = false;
    for (const UiControl* const control : controls) {
        if (control->IsHighlighted() != 0) {
            highlighted = true;
            break;
        }
    }
    for (const SpriteInstance* const instance : spriteInstances) {
        if (highlighted) break;
        if (instance->control != nullptr && instance->control->IsHighlighted() != 0) highlighted = true;
    }
    g_gameState->cursor->SetShape(highlighted ? SoftCursor::kShapeHighlight : SoftCursor::kShapeArrow, -1, 1);
}

void ArtObject::ApplyPalette() const {
    Palette* const palette = Named(paletteName.c_str());
    if (palette != nullptr && g_gameCanvas != nullptr) g_gameCanvas->palette = palette;
}

void ArtObject::AttachImages() {
    for (UiControl* const control : controls) {
        control->LockImages();
        control->Reset();
    }
    for (SpriteInstance* const instance : spriteInstances) {
        if (instance->control == nullptr) continue;
        instance->control->LockImages();
        instance->control->Reset();
    }
}

int32_t ArtObject::StepForward() {
    int32_t moved = 0;
    for (UiControl* const control : controls) moved += control->StepForward(kStepAmount);
    return moved;
}

int32_t ArtObject::StepBack() {
    int32_t moved = 0;
    for (UiControl* const control : controls) moved += control->StepBack(kStepAmount);
    return moved;
}

void ArtObject::Draw(int32_t full) {
    Screen* const screen = CurrentScreen();
    const bool everything = alwaysDraw != 0 || (screen != nullptr && screen->dirty != 0);
    Palette* const kept = g_gameCanvas != nullptr ? g_gameCanvas->palette : nullptr;
    // Without "mastermenu" the sprites draw in the canvas's palette.
    Palette* const spritePalette = Named(kSpritePalette);
    if (spritePalette != nullptr && g_gameCanvas != nullptr) g_gameCanvas->palette = spritePalette;
    for (int32_t i = spriteInstances.Count() - 1; i >= 0; --i) {
        const SpriteInstance& instance = *spriteInstances[i];
        BitmapButton* const control = instance.control;
        if (control == nullptr) continue;
        if (!everything && control->redrawFlag == 0 && control->pressedFlag == 0) continue;
        control->DrawBaseAt(instance.x, instance.y);
        control->DrawHighlightAt(instance.x, instance.y);
        control->redrawFlag = 0;
        if (screen != nullptr && control->IsHighlighted() != 0 && control->pressedFlag == 0) screen->dirty = 1;
    }
    if (g_gameCanvas != nullptr) g_gameCanvas->palette = kept;
    for (int32_t i = controls.Count() - 1; i >= 0; --i) {
        UiControl* const control = controls[i];
        if (!everything && control->redrawFlag == 0 && control->pressedFlag == 0) continue;
        control->Refresh(full);
        control->redrawFlag = 0;
    }
}
