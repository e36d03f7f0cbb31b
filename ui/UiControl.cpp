#include "ui/UiControl.h"

#include <new>

#include "display/Bitmap.h"
#include "game/DrawString.h"

UiControl::UiControl(int32_t controlWidth, int32_t controlHeight, const FrameRect& positionRecord,
                     const FrameRect& secondRecord, const FrameRect& thirdRecord, uint32_t frameColour,
                     int32_t frameValue2, const char* name)
    : position(positionRecord),
      second(secondRecord),
      third(thirdRecord),
      width(controlWidth),
      height(controlHeight),
      region_(MakeRegion(positionRecord, controlWidth, controlHeight, frameColour, frameValue2)),
      secondRegion_(MakeRegion(positionRecord, controlWidth, controlHeight, frameColour, frameValue2)),
      name_(name != nullptr ? name : "") {}

UiControl::~UiControl() = default;

std::unique_ptr<FrameRect[]> UiControl::MakeRegion(const FrameRect& at, int32_t width, int32_t height,
                                                   uint32_t colour, int32_t value2) {
    std::unique_ptr<FrameRect[]> region(new (std::nothrow) FrameRect[kCorners]);
    if (region == nullptr) return region;
    region[0] = at;
    region[0].Set(at.screenX, at.screenY, 0, colour, value2);
    region[1] = at;
    region[1].Set(at.screenX + width, at.screenY + height, 0, colour, value2);
    return region;
}

void UiControl::DrawAt(int32_t, int32_t) {}

int32_t UiControl::Refresh(int32_t flag) {
    if (visible == 0) return 0;
    DrawFrame();
    return flag != 0 ? flag : Draw(0);
}

void UiControl::DrawHighlightAt(int32_t, int32_t) {}

void UiControl::DrawBaseAt(int32_t, int32_t) {}

int32_t UiControl::RefreshStep(int32_t flag) { return UiControl::Refresh(flag); }

int32_t UiControl::StepForward(int32_t) { return 0; }

int32_t UiControl::StepBack(int32_t) { return 0; }

void UiControl::LockImages() {}

void UiControl::UnlockImages() {}

int32_t UiControl::IsHighlighted() const { return 0; }

void UiControl::Reset() {}

int32_t UiControl::Draw(int32_t) {
    if (!name_.empty()) DrawString(name_.c_str(), RegionLeft(), RegionTop(), 0);
    return 0;
}

void UiControl::SetFrameColour(uint32_t colour) {
    if (region_ == nullptr) return;
    for (int32_t i = 0; i < kCorners; ++i) region_[i].colour = colour;
}

void UiControl::SetFrameValue2(int32_t value) {
    if (region_ == nullptr) return;
    for (int32_t i = 0; i < kCorners; ++i) region_[i].intensity = value;
}

void UiControl::UpdateRegion() {
    if (region_ == nullptr) return;
    region_[0].screenX = position.screenX;
    region_[0].screenY = position.screenY;
    region_[1].screenX = position.screenX + width;
    region_[1].screenY = position.screenY + height;
}

void UiControl::TakeCelCorner(const Bitmap& cel) {
    if (region_ == nullptr || region_[0].screenX != 0 || region_[0].screenY != 0) return;
    region_[0].screenX = cel.x;
    region_[0].screenY = cel.y;
}
