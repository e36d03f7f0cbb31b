#include <gtest/gtest.h>

#include "game/EquipmentItem.h"
#include "tests/support/BitmapBlocks.h"
#include "tests/ui/ControlScene.h"
#include "ui/AnimatedPicture.h"
#include "ui/EquipmentPicture.h"
#include "ui/FacePicture.h"

namespace {

using PictureControlsTest = ControlScene;

TEST_F(PictureControlsTest, FacesAndLogosStepThroughTheirAllowedIndices) {
    const struct {
        int32_t kind, from;
        bool next;
        int32_t to;
    } steps[] = {
        {FacePicture::kFaces, 29, true, 35},   {FacePicture::kFaces, 35, false, 29},
        {FacePicture::kFaces, 67, true, 0},    {FacePicture::kFaces, 0, false, 67},
        {FacePicture::kFaces, -1, true, 0},    {FacePicture::kFaces, -1, false, 67},
        {FacePicture::kFaces, 90, false, 66},  {FacePicture::kLogos, 101, true, 83},
        {FacePicture::kLogos, 83, false, 101}, {FacePicture::kLogos, -1, true, 83},
        {FacePicture::kLogos, -1, false, 101}, {FacePicture::kLogos, 90, true, 91},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.kind << " from " << s.from << (s.next ? " next" : " previous"));
        FacePicture face(FrameRect::Init(10, 10, 0), s.kind, "face");
        face.SelectByIndex(s.from);
        EXPECT_FALSE(TakeRedraw());
        s.next ? face.Next() : face.Previous();
        EXPECT_EQ(face.Index(), s.to);
        EXPECT_TRUE(TakeRedraw());
    }
}

TEST_F(PictureControlsTest, StripSelectsTheSegmentUnderThePointer) {
    const FrameRect at = FrameRect::Init(0, 0, 0);
    AnimatedPicture strip(200, 20, at, at, at, "Difficulty");
    for (uint8_t i = 0; i < 4; ++i) strip.AddFrame(MakeCel(200, 20, i, 100, 50));
    EXPECT_EQ(strip.RegionLeft(), 100) << "the first cel places the strip";
    const struct {
        int32_t x, cel;
    } points[] = {{249, 2}, {300, 2}, {99, 2}, {60, 2}, {100, 0}, {299, 3}};   // left of the strip: none
    for (const auto& p : points) {
        SCOPED_TRACE(p.x);
        strip.SelectAt(FrameRect::Init(p.x, 55, 0));
        EXPECT_TRUE(TakeRedraw());
        EXPECT_EQ(strip.GetCel(), p.cel);
    }
    EXPECT_EQ(strip.SetCel(4), 0);
    EXPECT_TRUE(TakeRedraw()) << "a refused cel still asks for a redraw";
    EXPECT_EQ(strip.SetCel(1), 1);
    EXPECT_EQ(strip.GetCel(), 1);

    AnimatedPicture narrow(200, 20, at, at, at, "narrow");
    for (uint8_t i = 0; i < 4; ++i) narrow.AddFrame(MakeCel(3, 20, i, 100, 50));
    narrow.SelectAt(FrameRect::Init(101, 55, 0));
    EXPECT_EQ(narrow.GetCel(), 0) << "segments of no width select nothing";
    AnimatedPicture empty(200, 20, at, at, at, "empty");
    empty.SelectAt(FrameRect::Init(101, 55, 0));
    EXPECT_EQ(empty.GetCel(), 0);
}

TEST_F(PictureControlsTest, CelsDrawAtTheirPlaceOrCentredWithAPaletteOfTheirOwn) {
    const FrameRect at = FrameRect::Init(0, 0, 0);
    AnimatedPicture picture(100, 60, at, at, at, "picture");
    picture.AddFrame(MakeCel(40, 20, 1, 10, 20));
    picture.LockImages();
    picture.Refresh(0);
    std::unique_ptr<Palette> own = MakeDistinctPalette(kPixelFormatRgb565);
    picture.palette = own.get();
    picture.Refresh(0);
    const std::vector<CanvasCall> blits = canvas_.CallsOf("BlitImage");
    ASSERT_EQ(blits.size(), 2u);
    EXPECT_EQ(blits[0].rect->x, 10);
    EXPECT_EQ(blits[0].rect->y, 20);
    EXPECT_EQ(blits[1].rect->x, 10 + 30) << "centred in the control";
    EXPECT_EQ(blits[1].rect->y, 20 + 20);
    EXPECT_EQ(canvas_.palette, palette_.get()) << "the canvas gets its palette back";
}

TEST_F(PictureControlsTest, EquipmentStepsWrapAndItsScreenStaysDirty) {
    EquipmentItem items[3] = {{"Shields 1", 2}, {"ECM 1", 10}, {"Jammer 1", 12}};
    for (EquipmentItem& item : items) item.listPictures.push_back(MakeCel(30, 10, 1));
    EquipmentPicture picture(100, 50, FrameRect::Init(200, 100, 0), "EquipDisplay");
    for (EquipmentItem& item : items) picture.AddImage(&item);
    EXPECT_EQ(picture.Current(), 2);
    picture.Next();
    EXPECT_EQ(picture.Current(), 0);
    EXPECT_TRUE(TakeRedraw());
    picture.Previous();
    EXPECT_EQ(picture.Current(), 2);
    EXPECT_EQ(picture.GetItem(-1), &items[2]);

    picture.Refresh(0);
    const std::vector<CanvasCall> blits = canvas_.CallsOf("BlitImage");
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits[0].rect->x, 235);
    EXPECT_EQ(blits[0].rect->y, 120);
    EXPECT_EQ(screen_.dirty, 1);

    EXPECT_EQ(picture.RemoveItem(0), &items[0]);
    EXPECT_EQ(picture.ItemCount(), 2);
    EXPECT_EQ(picture.GetItem(-1), nullptr) << "the current index stays, now past the end";
    game_.currentScreen = nullptr;
    picture.Refresh(0);   // no screen to mark
}

}  // namespace
