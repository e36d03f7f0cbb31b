#include "ui/ArtObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/BitmapCodec.h"
#include "engine/IffFile.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "ui/AnimatedPicture.h"
#include "ui/BitmapButton.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

// A 2 x 2 cel at (x, y) as the art files hold them.
Bytes Cel(int16_t x, int16_t y) {
    Bitmap bitmap;
    bitmap.Create(2, 2, Bitmap::kDepth8Bit, true);
    bitmap.x = x;
    bitmap.y = y;
    MemoryStream stream;
    {
        IffFile writer(&stream, 0);
        BitmapCodec::WriteXcelChunk(&writer, &bitmap);
        writer.Finish();
    }
    return stream.Bytes();
}

Bytes Le16(int16_t value) { return {uint8_t(value), uint8_t(uint16_t(value) >> 8)}; }

// The bytes as the art's level: the reader has entered "OPTI".
struct ArtReader {
    explicit ArtReader(Bytes bytes) : stream(std::move(bytes)), file(&stream, 0) {
        file.ValidateHeader();
        if (file.FindForm(MakeTag("OPTI")) == kStatusOk) file.Descend();
    }
    MemoryStream stream;
    IffFile file;
};

Bytes Button(const ChunkBuilder& b, const char* name, int16_t delay, std::initializer_list<Bytes> steps) {
    return b.Form("BUTT", {b.Chunk("NAME", ChunkBuilder::Text(name)), b.Chunk("DLAY", Le16(delay)),
                           b.Form(" FU ", steps), b.Form("IDLE", {Cel(30, 40), Cel(50, 60)})});
}

int32_t StepFrames(BitmapButton& button) {
    int32_t count = 0;
    while (button.SetStep(count) != 0) ++count;
    return count;
}

}  // namespace

// Step frames are every third cel counted across the buttons of one load;
// the delay is a third of "DLAY"; pictures come before the buttons whatever
// the order in the file; the region is the last idle cel's.
TEST(ArtObjectTest, ButtonsCountStepCelsAcrossTheLoadAndFollowThePictures) {
    ChunkBuilder b;
    const Bytes art = b.Form(
        "OPTI", {Button(b, "first", 10, {Cel(1, 0), Cel(2, 0), Cel(3, 0), Cel(4, 0), Cel(5, 0), Cel(6, 0), Cel(7, 0)}),
                 Button(b, "second", -4, {Cel(8, 0), Cel(9, 0)}),
                 b.Chunk("PALT", ChunkBuilder::Text("mastermenu")),
                 b.Form("PICT", {b.Chunk("NAME", ChunkBuilder::Text("logo")), b.Form("IDLE", {Cel(5, 6)})})});
    ArtReader reader(art);
    ArtObject panel("panel", 0);
    panel.LoadButtons(reader.file);
    EXPECT_EQ(panel.paletteName, "mastermenu");
    ASSERT_EQ(panel.controls.Count(), 3);
    EXPECT_EQ(panel.controls[0]->Name(), "logo");
    EXPECT_NE(dynamic_cast<AnimatedPicture*>(panel.controls[0]), nullptr);
    auto* const first = dynamic_cast<BitmapButton*>(panel.controls[1]);
    auto* const second = dynamic_cast<BitmapButton*>(panel.controls[2]);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->Name(), "first");
    // Cels 1, 4 and 7; the count then stands at 0, so "second" skips both of its cels.
    EXPECT_EQ(StepFrames(*first), 3);
    EXPECT_EQ(StepFrames(*second), 0);
    EXPECT_EQ(first->stepDelay, 3);
    EXPECT_EQ(second->stepDelay, -1);
    EXPECT_EQ(first->RegionLeft(), 50);
    EXPECT_EQ(first->RegionTop(), 60);
    EXPECT_EQ(panel.controls[0]->RegionLeft(), 5);
}

// Two controls of one name: the first is found, both hide; sprite names
// that contain a later one number it; a short "POSI" leaves 0, 0.
TEST(ArtObjectTest, NamesFindHideAndNumberSprites) {
    ChunkBuilder b;
    const auto sprite = [&](const char* name, Bytes position) {
        return b.Form("SPRT", {b.Chunk("NAME", ChunkBuilder::Text(name)), b.Chunk("POSI", position)});
    };
    const Bytes art = b.Form("OPTI", {b.Form("BUTT", {b.Chunk("NAME", ChunkBuilder::Text("twin"))}),
                                      b.Form("BUTT", {b.Chunk("NAME", ChunkBuilder::Text("twin"))}),
                                      sprite("abc", {1, 0, 2, 0}), sprite("ab", {3, 0, 4, 0}),
                                      sprite("lamp", {5, 0}), sprite("lamp", {}), sprite("lamp", {})});
    ArtReader reader(art);
    ArtObject panel("panel", 0);
    panel.LoadButtons(reader.file);
    EXPECT_TRUE(panel.paletteName.empty());
    ASSERT_EQ(panel.controls.Count(), 2);
    EXPECT_EQ(panel.FindControl("twin"), panel.controls[0]);
    EXPECT_EQ(panel.FindControl("Twin"), nullptr);
    panel.HideControl("twin");
    EXPECT_EQ(panel.controls[0]->visible, 0u);
    EXPECT_EQ(panel.controls[1]->visible, 0u);

    reader.file.Rewind(0);
    EXPECT_EQ(panel.LoadSprites(reader.file), kStatusIffFormNotFound);
    std::vector<std::string> names;
    for (const SpriteDef* def : panel.spriteDefs) names.push_back(def->uniqueName);
    EXPECT_EQ(names, (std::vector<std::string>{"abc", "ab2", "lamp", "lamp2", "lamp3"}));
    EXPECT_EQ(panel.spriteDefs[1]->baseName, "ab");
    EXPECT_EQ(panel.spriteDefs[1]->x, 3u);
    EXPECT_EQ(panel.spriteDefs[2]->x, 0u);
}

// Untrusted names end at 63 bytes or the chunk's end; every cut of an art
// file loads what it holds and stops (run under ASan).
TEST(ArtObjectTest, LongNamesAndEveryTruncationLoadCleanly) {
    ChunkBuilder b;
    const std::string longName(200, 'x');
    const Bytes art = b.Form(
        "OPTI", {b.Chunk("PALT", ChunkBuilder::Text("pal")),
                 b.Form("BUTT", {b.Chunk("NAME", Bytes(longName.begin(), longName.end())), b.Chunk("DLAY", {9}),
                                 b.Form(" FU ", {Cel(1, 1)}), b.Form("IDLE", {Cel(2, 2)}), b.Form("HIGH", {Cel(3, 3)}),
                                 b.Form("CLIK", {Cel(4, 4), Cel(5, 5)})}),
                 b.Form("PICT", {b.Chunk("NAME", ChunkBuilder::Text("p")), b.Form("IDLE", {Cel(6, 6)})}),
                 b.Form("SPRT", {b.Chunk("NAME", ChunkBuilder::Text("s")), b.Chunk("POSI", Bytes(12, 1))})});
    {
        ArtReader reader(art);
        ArtObject panel("panel", 0);
        panel.LoadButtons(reader.file);
        ASSERT_EQ(panel.controls.Count(), 2);
        EXPECT_EQ(panel.controls[1]->Name(), std::string(ArtObject::kMaxNameBytes, 'x'));
        // A one-byte "DLAY" is not a delay.
        EXPECT_EQ(dynamic_cast<BitmapButton&>(*panel.controls[1]).stepDelay, 0);
        reader.file.Rewind(0);
        panel.LoadSprites(reader.file);
        ASSERT_EQ(panel.spriteDefs.Count(), 1);
        // Longer than 8 bytes: no position.
        EXPECT_EQ(panel.spriteDefs[0]->x, 0u);
    }
    for (size_t cut = 0; cut < art.size(); ++cut) {
        // The outer form is cut with its contents, so the reader walks into the cut.
        Bytes bytes(art.begin(), art.begin() + long(cut));
        if (cut >= 8) {
            const uint32_t size = uint32_t(cut - 8);
            for (int i = 0; i < 4; ++i) bytes[4 + i] = uint8_t(size >> (24 - 8 * i));
        }
        ArtReader reader(bytes);
        ArtObject panel("panel", 0);
        panel.LoadButtons(reader.file);
        reader.file.Rewind(0);
        panel.LoadSprites(reader.file);
        reader.file.Rewind(0);
        panel.LoadPictures(reader.file);
    }
}
