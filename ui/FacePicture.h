#pragma once
#include <cstdint>
#include <memory>

#include "ui/UiControl.h"

class Palette;
struct FaceEntry;

// One pilot face or squadron logo of the face file, in the face's own
// colours, stepping through the indices its kind allows.
class FacePicture : public UiControl {
public:
    static constexpr int32_t kFaces = 0;
    static constexpr int32_t kLogos = 1;
    // Faces 0 to 67 without 30 to 34; logos 83 to 101.
    static constexpr int32_t kLastFace = 67;
    static constexpr int32_t kFirstSkippedFace = 30;
    static constexpr int32_t kLastSkippedFace = 34;
    static constexpr int32_t kFirstLogo = 83;
    static constexpr int32_t kLastLogo = 101;

    FacePicture(const FrameRect& position, int32_t kind, const char* name);
    ~FacePicture() override;

    // -1 shows nothing. No redraw request.
    void SelectByIndex(int32_t newIndex);
    // Null shows nothing; the index stays. No redraw request.
    void SelectByName(const char* faceName);
    void Next();
    void Previous();

    // The face at the region's top-left corner.
    int32_t Refresh(int32_t flag) override;

    int32_t Index() const { return index_; }
    const FaceEntry* Face() const { return face_; }

private:
    void Load(int32_t newIndex);
    Palette* FacePalette();

    const FaceEntry* face_ = nullptr;   // the face file's; not owned
    int32_t index_ = -1;
    int32_t kind_;
    std::unique_ptr<Palette> palette_;  // the face's colours, made when it is drawn
    const FaceEntry* paletteOf_ = nullptr;
};
