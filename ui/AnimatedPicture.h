#pragma once
#include <cstdint>
#include <memory>

#include "ui/CelFrame.h"
#include "ui/UiControl.h"

class Palette;

// One cel of a list of cels: drawn at the cels' own positions, or centred
// in the control when it has a palette of its own. As a horizontal strip
// of equal segments it picks its cel from where the pointer is.
class AnimatedPicture : public UiControl {
public:
    // Names whose pictures draw in the palette of the same name.
    static constexpr const char* kFacesName = "faces";
    static constexpr const char* kLogosName = "logos";

    AnimatedPicture(int32_t width, int32_t height, const FrameRect& position, const FrameRect& second,
                    const FrameRect& third, const char* name);
    ~AnimatedPicture() override;

    // The picture takes the cel; the first one places the control while its
    // region's corner is still (0, 0).
    void AddFrame(std::unique_ptr<Bitmap> cel);
    // Every cel goes; the first cel is current again.
    void ClearFrames();
    // 1 when the index names a cel, which then shows; a redraw either way.
    virtual int32_t SetCel(int32_t index);
    virtual int32_t GetCel() const { return currentCel_; }
    // The strip's segment under the point becomes the cel; a redraw either way.
    void SelectAt(const FrameRect& point);

    int32_t Refresh(int32_t flag) override;
    void LockImages() override { LockFrames(frames_); }
    void UnlockImages() override { UnlockFrames(frames_); }

    int32_t CelCount() const { return int32_t(frames_.size()); }

    // Not owned. Null: the palette named like the control ("faces" or
    // "logos", any case), else the canvas's; set: this one, the cel centred.
    Palette* palette = nullptr;

private:
    Palette* DrawPalette(Palette* canvasPalette) const;

    CelFrames frames_;
    int32_t currentCel_ = 0;
};
