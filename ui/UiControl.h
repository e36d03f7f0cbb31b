#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ui/FrameRect.h"

class Bitmap;

// The base of every control of the option screens. A screen or an art
// object owns its controls, finds them by name, and drives them through
// the virtual operations below; a control draws only inside the screen's
// pass. The base draws its frame outline and prints its name as a caption.
class UiControl {
public:
    // The two corners of the region: top-left (x, y) and bottom-right
    // (x + width, y + height), both with the frame colour and second value.
    static constexpr int32_t kCorners = 2;

    UiControl(int32_t width, int32_t height, const FrameRect& position, const FrameRect& second,
              const FrameRect& third, uint32_t frameColour, int32_t frameValue2, const char* name);
    virtual ~UiControl();
    UiControl(const UiControl&) = delete;
    UiControl& operator=(const UiControl&) = delete;

    // Drawing at a position the caller gives (sprites, art-object steps).
    virtual void DrawAt(int32_t x, int32_t y);
    // When visible: the frame outline, then, with flag 0, Draw(0). The flag
    // when it is not 0, else what Draw returns; 0 when invisible.
    virtual int32_t Refresh(int32_t flag);
    virtual void DrawHighlightAt(int32_t x, int32_t y);
    virtual void DrawBaseAt(int32_t x, int32_t y);
    virtual int32_t RefreshStep(int32_t flag);
    // One frame of an opening or closing animation; 1 when something moved.
    virtual int32_t StepForward(int32_t unused);
    virtual int32_t StepBack(int32_t unused);
    virtual void LockImages();
    virtual void UnlockImages();
    virtual int32_t IsHighlighted() const;
    virtual void Reset();
    // The name as a caption, in the current font and text colours, at the
    // region's top-left corner.
    virtual int32_t Draw(int32_t flag);

    void SetVisible(uint32_t flag) { visible = flag; }
    // Both corners; nothing without a region.
    void SetFrameColour(uint32_t colour);
    void SetFrameValue2(int32_t value);
    // After a caller moved the control through its position record.
    void UpdateRegion();

    const std::string& Name() const { return name_; }
    // The art loaders name a control once they have read its entry.
    void SetName(const char* text) { name_ = text != nullptr ? text : ""; }
    const FrameRect* Region() const { return region_.get(); }
    int32_t RegionLeft() const { return region_ != nullptr ? region_[0].screenX : 0; }
    int32_t RegionTop() const { return region_ != nullptr ? region_[0].screenY : 0; }

    uint32_t redrawFlag = 0;   // 1: the control asks to be drawn again
    uint32_t pressedFlag = 0;  // 1 while a press is being shown
    FrameRect position;        // x and y are the top-left corner
    FrameRect second;          // kept for the owner; no control reads them
    FrameRect third;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t visible = 1;

protected:
    // The frame outline of the region.
    void DrawFrame() const { FrameRect::Draw(region_.get()); }
    // A control placed by its first cel: while the region's top-left corner
    // is still (0, 0) it moves to the cel's position.
    void TakeCelCorner(const Bitmap& cel);

private:
    static std::unique_ptr<FrameRect[]> MakeRegion(const FrameRect& position, int32_t width, int32_t height,
                                                   uint32_t colour, int32_t value2);

    std::unique_ptr<FrameRect[]> region_;
    std::unique_ptr<FrameRect[]> secondRegion_;   // the same corners, kept but never drawn
    std::string name_;
};

// A control of type T whose three places are the one point (x, y) and which
// draws no frame: how the screens set their lists and text boxes on a panel.
template <typename T>
T* NewPlacedControl(int32_t width, int32_t height, int32_t x, int32_t y, const char* name) {
    const FrameRect at = FrameRect::Init(x, y, FrameRect::kNoFrame);
    return new T(width, height, at, at, at, FrameRect::kNoFrame, 0, name);
}
