#include "platform/DeviceContext.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <gtest/gtest.h>

#include "platform/BitmapHeader.h"
#include "platform/DisplayAdapter.h"
#include "platform/LogicalPalette.h"
#include "platform/WindowGraphics.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedInstall.h"

using namespace platform;

namespace {

// A frame in memory with its header, as a program hands it to CopyBits.
// Pixel (x, y), y counted from the top of the picture, holds Value(x, y)
// whichever way the rows run in memory.
struct Frame {
    Frame(int32_t w, int32_t h, uint16_t bits, bool topDown) : width(w), height(h), topDown(topDown) {
        BitmapHeader description;
        description.width = w;
        description.height = topDown ? -h : h;
        description.bitCount = bits;
        header.assign(size_t(BitmapHeader::kSize) + 2 * 256, 0);
        description.Write(header.data());
        rowBytes = description.RowBytes();
        memory.assign(size_t(rowBytes) * size_t(h), 0xEE);
        pixelBytes = bits / 8;
    }

    // Distinct for every pixel of the small frames used here, in its low
    // byte too, and never 0.
    static uint16_t Value(int32_t x, int32_t y) { return uint16_t((y + 1) << 8 | y << 4 | (x + 1)); }

    uint8_t* At(int32_t x, int32_t y) {
        const int32_t memoryRow = topDown ? y : height - 1 - y;
        return memory.data() + size_t(memoryRow) * size_t(rowBytes) + size_t(x) * size_t(pixelBytes);
    }

    void Put(int32_t x, int32_t y, uint16_t value) {
        uint8_t* const at = At(x, y);
        at[0] = uint8_t(value);
        if (pixelBytes == 2) at[1] = uint8_t(value >> 8);
    }

    void FillWithValues(uint16_t offset = 0) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) Put(x, y, uint16_t(Value(x, y) + offset));
        }
    }

    std::span<const uint8_t> Header() const { return header; }

    int32_t width;
    int32_t height;
    bool topDown;
    int32_t rowBytes = 0;
    int32_t pixelBytes = 0;
    std::vector<uint8_t> header;
    std::vector<uint8_t> memory;
};

DisplayPalette::Entry Colour(int i) { return {uint8_t(i), uint8_t(255 - i), uint8_t(i / 3), 0}; }

class DeviceContextTest : public ::testing::Test {
protected:
    HeadlessPresenter& Presenter() { return display_.Presenter(); }

    std::unique_ptr<DeviceContext> Context() {
        std::unique_ptr<DeviceContext> context = graphics_.GetContext(nullptr);
        EXPECT_NE(context, nullptr);
        return context;
    }

    std::shared_ptr<LogicalPalette> MakePalette(int32_t count = 256) {
        DisplayPalette colours;
        for (int i = 0; i < 256; ++i) colours.entries[i] = Colour(i);
        return graphics_.CreatePalette(kLogicalPaletteVersion, count, colours.entries);
    }

    // Copies the whole frame as the frame's owner would.
    static int32_t CopyAll(DeviceContext& context, const Frame& frame, ColorUse use = ColorUse::kRgbColors) {
        return context.CopyBits(0, 0, frame.width, frame.height, 0, 0, 0, frame.height, frame.memory.data(),
                                frame.Header(), use);
    }

    ScopedDisplay display_;
    WindowGraphics graphics_;
    ScopedInstall<WindowGraphics> installed_{graphics_};
};

TEST(BitmapHeader, WritesEveryFieldLittleEndianAtItsOffset) {
    BitmapHeader header;
    header.width = 640;
    header.height = -480;
    header.bitCount = 16;
    header.imageSize = 0x01020304;
    header.xPixelsPerMetre = 0x0A0B0C0D;
    header.yPixelsPerMetre = -2;
    header.colorsUsed = 256;
    header.colorsImportant = 0x11223344;
    uint8_t bytes[BitmapHeader::kSize];
    header.Write(bytes);
    const uint8_t expected[BitmapHeader::kSize] = {
        0x28, 0x00, 0x00, 0x00,  0x80, 0x02, 0x00, 0x00,  0x20, 0xFE, 0xFF, 0xFF,  0x01, 0x00,  0x10, 0x00,
        0x00, 0x00, 0x00, 0x00,  0x04, 0x03, 0x02, 0x01,  0x0D, 0x0C, 0x0B, 0x0A,  0xFE, 0xFF, 0xFF, 0xFF,
        0x00, 0x01, 0x00, 0x00,  0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + sizeof bytes),
              std::vector<uint8_t>(expected, expected + sizeof expected));

    const BitmapHeader read = BitmapHeader::Read(bytes);
    EXPECT_EQ(read.size, 40u);
    EXPECT_EQ(read.height, -480);
    EXPECT_EQ(read.planes, 1);
    EXPECT_EQ(read.yPixelsPerMetre, -2);
    EXPECT_EQ(read.colorsImportant, 0x11223344u);
}

TEST(BitmapHeader, RowsStartOnFourByteBoundariesAndTablesFollowTheBitCount) {
    BitmapHeader header;
    header.width = 3;
    header.bitCount = 8;
    EXPECT_EQ(header.RowBytes(), 4);
    EXPECT_EQ(header.ColorTableEntries(), 256);
    header.colorsUsed = 16;
    EXPECT_EQ(header.ColorTableEntries(), 16);
    header.bitCount = 16;
    EXPECT_EQ(header.RowBytes(), 8);
    EXPECT_EQ(header.ColorTableEntries(), 0);
    header.width = 640;
    EXPECT_EQ(header.RowBytes(), 1280);

    uint8_t bytes[BitmapHeader::kSize + 2 * 256] = {};
    WriteColorIndex(bytes, 255, 0xABCD);
    EXPECT_EQ(bytes[40 + 510], 0xCD);
    EXPECT_EQ(bytes[40 + 511], 0xAB);
    EXPECT_EQ(ReadColorIndex(bytes, 255), 0xABCD);
}

TEST_F(DeviceContextTest, ContextsAndPalettesAreCountedUntilReleased) {
    auto context = Context();
    auto second = Context();
    EXPECT_EQ(graphics_.LiveContexts(), 2);
    EXPECT_EQ(context->GetWindow(), nullptr);
    second.reset();
    EXPECT_EQ(graphics_.LiveContexts(), 1);

    auto palette = MakePalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->EntryCount(), 256);
    EXPECT_EQ(graphics_.LivePalettes(), 1);
    ASSERT_TRUE(context->SelectPalette(palette, false));
    palette.reset();
    EXPECT_EQ(graphics_.LivePalettes(), 1) << "the context keeps what it has selected";
    context.reset();
    EXPECT_EQ(graphics_.LiveContexts(), 0);
    EXPECT_EQ(graphics_.LivePalettes(), 0);
}

TEST_F(DeviceContextTest, PaletteDescriptionsMustCarryTheVersionAndACountUpTo256) {
    DisplayPalette colours;
    EXPECT_EQ(graphics_.CreatePalette(0x200, 256, colours.entries), nullptr);
    EXPECT_EQ(graphics_.CreatePalette(kLogicalPaletteVersion, 0, colours.entries), nullptr);
    EXPECT_EQ(graphics_.CreatePalette(kLogicalPaletteVersion, 257, colours.entries), nullptr);
    EXPECT_EQ(graphics_.CreatePalette(kLogicalPaletteVersion, 16, nullptr), nullptr);
    const auto sixteen = MakePalette(16);
    ASSERT_NE(sixteen, nullptr);
    EXPECT_EQ(sixteen->Entries().entries[15].red, 15);
    EXPECT_EQ(sixteen->Entries().entries[16].green, 0) << "entries past the count are black";
    EXPECT_EQ(graphics_.LivePalettes(), 1);
}

TEST_F(DeviceContextTest, IndicesShowTheSystemColoursUntilAPaletteIsRealised) {
    auto context = Context();
    EXPECT_EQ(context->RealizedColors().entries[255].red, display_.Adapter().SystemPalette().entries[255].red);
    auto palette = MakePalette();
    std::shared_ptr<LogicalPalette> previous = MakePalette();
    ASSERT_TRUE(context->SelectPalette(palette, true, &previous));
    EXPECT_EQ(previous, nullptr) << "the default palette was selected";
    EXPECT_TRUE(context->IsBackgroundPalette());
    EXPECT_EQ(context->SelectedPalette(), palette.get());
    EXPECT_EQ(context->RealizedColors().entries[100].red, display_.Adapter().SystemPalette().entries[100].red)
        << "selecting alone changes no colour";

    EXPECT_EQ(context->RealizePalette(), 256);
    EXPECT_EQ(context->RealizedColors().entries[100].red, 100);
    EXPECT_EQ(context->RealizedColors().entries[100].green, 155);

    auto other = MakePalette(8);
    ASSERT_TRUE(context->SelectPalette(other, false, &previous));
    EXPECT_EQ(previous, palette);
    EXPECT_FALSE(context->IsBackgroundPalette());
    EXPECT_EQ(context->RealizePalette(), 8);
    EXPECT_FALSE(context->SelectPalette(nullptr, false));
    EXPECT_EQ(context->SelectedPalette(), other.get());
}

TEST_F(DeviceContextTest, SwitchesFailTheCallsTheyNameAndChangeNothing) {
    graphics_.InjectFault(GraphicsCall::kGetContext, 1, 1);
    auto first = graphics_.GetContext(nullptr);
    EXPECT_NE(first, nullptr) << "one call is skipped";
    EXPECT_EQ(graphics_.GetContext(nullptr), nullptr);
    auto context = graphics_.GetContext(nullptr);
    EXPECT_NE(context, nullptr) << "the plan is used up";
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kGetContext), 3);
    EXPECT_EQ(graphics_.LiveContexts(), 2);

    graphics_.InjectFault(GraphicsCall::kCreatePalette);
    EXPECT_EQ(MakePalette(), nullptr);
    auto palette = MakePalette();
    ASSERT_NE(palette, nullptr);

    graphics_.InjectFault(GraphicsCall::kSelectPalette);
    EXPECT_FALSE(context->SelectPalette(palette, false));
    EXPECT_EQ(context->SelectedPalette(), nullptr);
    ASSERT_TRUE(context->SelectPalette(palette, false));

    graphics_.InjectFault(GraphicsCall::kRealizePalette);
    EXPECT_EQ(context->RealizePalette(), DeviceContext::kRealizeFailed);
    EXPECT_NE(context->RealizedColors().entries[100].red, 100);

    Frame frame(4, 3, 16, true);
    frame.FillWithValues();
    graphics_.InjectFault(GraphicsCall::kCopyBits, 2);
    EXPECT_EQ(CopyAll(*context, frame), DeviceContext::kNothingCopied);
    graphics_.ClearFaults();
    EXPECT_EQ(Presenter().FrameCount(), 0);
    EXPECT_EQ(CopyAll(*context, frame), 3);
    EXPECT_EQ(Presenter().FrameCount(), 1);
    graphics_.ResetCallCounts();
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kCopyBits), 0);
}

TEST_F(DeviceContextTest, TopDownFrameShowsItsRowsInOrder) {
    auto context = Context();
    Frame frame(4, 3, 16, true);
    frame.FillWithValues();
    EXPECT_EQ(CopyAll(*context, frame), 3);
    ASSERT_EQ(Presenter().Width(), 4);
    ASSERT_EQ(Presenter().Height(), 3);
    EXPECT_EQ(Presenter().Format(), kLayoutRgb555);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(Presenter().RawPixel(x, y), Frame::Value(x, y)) << x << "," << y;
    }
}

TEST_F(DeviceContextTest, BottomUpFrameShowsItsLastMemoryRowOnTop) {
    auto context = Context();
    Frame frame(4, 3, 16, false);
    frame.FillWithValues();
    EXPECT_EQ(CopyAll(*context, frame), 3);
    EXPECT_EQ(frame.memory[0], uint8_t(Frame::Value(0, 2))) << "the fixture keeps the bottom row first";
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(Presenter().RawPixel(x, y), Frame::Value(x, y)) << x << "," << y;
    }
}

TEST_F(DeviceContextTest, SourceRowsCountFromTheBottomOfATopDownFrame) {
    auto context = Context();
    Frame frame(4, 5, 16, true);
    frame.FillWithValues();
    // One row from source y 0: the frame's bottom row, put at the window's top.
    EXPECT_EQ(context->CopyBits(0, 0, 4, 1, 0, 0, 0, 5, frame.memory.data(), frame.Header(), ColorUse::kRgbColors),
              1);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(Presenter().RawPixel(x, 0), Frame::Value(x, 4));
    EXPECT_EQ(Presenter().RawPixel(0, 4), 0u) << "nothing else was copied";

    // A block's source corner is its bottom-left one: rows 1..2 from the top
    // of a 5-row frame start 2 rows above the bottom.
    EXPECT_EQ(context->CopyBits(1, 1, 2, 2, 1, 2, 0, 5, frame.memory.data(), frame.Header(), ColorUse::kRgbColors),
              2);
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            uint32_t expected = 0;
            if (y == 0) expected = Frame::Value(x, 4);
            if (y >= 1 && y <= 2 && x >= 1 && x <= 2) expected = Frame::Value(x, y);
            EXPECT_EQ(Presenter().RawPixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(DeviceContextTest, OnlyTheScanLinesHandedOverAreCopied) {
    auto context = Context();
    // Bottom-up: the buffer starts at scan line 1, the second from the bottom.
    Frame frame(4, 4, 16, false);
    frame.FillWithValues();
    const uint8_t* const lineOne = frame.At(0, 2);
    EXPECT_EQ(context->CopyBits(0, 0, 4, 4, 0, 0, 1, 2, lineOne, frame.Header(), ColorUse::kRgbColors), 2);
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(Presenter().RawPixel(x, 0), 0u);
        EXPECT_EQ(Presenter().RawPixel(x, 1), Frame::Value(x, 1));
        EXPECT_EQ(Presenter().RawPixel(x, 2), Frame::Value(x, 2));
        EXPECT_EQ(Presenter().RawPixel(x, 3), 0u);
    }

    // Top-down: the buffer's first row is the highest line it holds.
    auto other = Context();
    Frame topDown(4, 4, 16, true);
    topDown.FillWithValues();
    EXPECT_EQ(other->CopyBits(0, 0, 4, 4, 0, 0, 0, 2, topDown.At(0, 2), topDown.Header(), ColorUse::kRgbColors), 2);
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(Presenter().RawPixel(x, 1), 0u);
        EXPECT_EQ(Presenter().RawPixel(x, 2), Frame::Value(x, 2));
        EXPECT_EQ(Presenter().RawPixel(x, 3), Frame::Value(x, 3));
    }
}

TEST_F(DeviceContextTest, BlocksReachingPastTheFrameOrTheWindowAreCut) {
    auto context = Context();
    Frame frame(8, 4, 16, true);
    frame.FillWithValues();
    ASSERT_EQ(CopyAll(*context, frame), 4);
    frame.FillWithValues(0x8000);
    // Two columns hang off the window's left edge, rows off its top and the
    // frame's top: what is left is columns 0..1 of window rows 0..1.
    EXPECT_EQ(context->CopyBits(-2, -1, 4, 3, 0, 2, 0, 4, frame.memory.data(), frame.Header(), ColorUse::kRgbColors),
              2);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            const bool copied = x < 2 && y < 2;
            // The block's rows 1 and 2 are the frame's rows 0 and 1.
            const uint32_t expected = copied ? Frame::Value(x + 2, y) + 0x8000u : Frame::Value(x, y);
            EXPECT_EQ(Presenter().RawPixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(context->CopyBits(8, 0, 4, 4, 8, 0, 0, 4, frame.memory.data(), frame.Header(), ColorUse::kRgbColors),
              DeviceContext::kNothingCopied);
    EXPECT_EQ(context->CopyBits(0, 0, 0, 4, 0, 0, 0, 4, frame.memory.data(), frame.Header(), ColorUse::kRgbColors),
              DeviceContext::kNothingCopied);
    EXPECT_EQ(Presenter().FrameCount(), 2) << "a copy of nothing shows nothing";
}

TEST_F(DeviceContextTest, IndexedFramesShowTheRealisedColoursOfTheirTableEntries) {
    auto context = Context();
    auto palette = MakePalette();
    ASSERT_TRUE(context->SelectPalette(palette, false));
    ASSERT_EQ(context->RealizePalette(), 256);
    // Three pixels a row: rows are padded to four bytes in memory.
    Frame frame(3, 2, 8, true);
    for (int i = 0; i < 256; ++i) WriteColorIndex(frame.header.data(), i, uint16_t(255 - i));
    frame.FillWithValues();
    EXPECT_EQ(CopyAll(*context, frame, ColorUse::kPaletteIndices), 2);
    EXPECT_EQ(Presenter().Format(), kLayoutIndexed8);
    for (int32_t y = 0; y < 2; ++y) {
        for (int32_t x = 0; x < 3; ++x) {
            const int index = 255 - uint8_t(Frame::Value(x, y));
            EXPECT_EQ(Presenter().RawPixel(x, y), uint32_t(index));
            const DisplayPalette::Entry c = Colour(index);
            EXPECT_EQ(Presenter().Rgb(x, y), uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue);
        }
    }
}

TEST_F(DeviceContextTest, FramesItCannotReadAreRefusedUnshown) {
    auto context = Context();
    Frame wide(4, 2, 16, true);
    Frame indexed(4, 2, 8, true);
    EXPECT_EQ(CopyAll(*context, wide, ColorUse::kPaletteIndices), DeviceContext::kNothingCopied);
    EXPECT_EQ(CopyAll(*context, indexed, ColorUse::kRgbColors), DeviceContext::kNothingCopied);
    EXPECT_EQ(context->CopyBits(0, 0, 4, 2, 0, 0, 0, 2, indexed.memory.data(),
                                std::span<const uint8_t>(indexed.header).first(BitmapHeader::kSize + 100),
                                ColorUse::kPaletteIndices),
              DeviceContext::kNothingCopied)
        << "a table shorter than 256 entries";
    EXPECT_EQ(context->CopyBits(0, 0, 4, 2, 0, 0, 0, 2, nullptr, wide.Header(), ColorUse::kRgbColors),
              DeviceContext::kNothingCopied);
    Frame flat(4, 2, 16, true);
    BitmapHeader description = BitmapHeader::Read(flat.header.data());
    description.planes = 2;
    description.Write(flat.header.data());
    EXPECT_EQ(CopyAll(*context, flat), DeviceContext::kNothingCopied);
    description.planes = 1;
    description.bitCount = 24;
    description.Write(flat.header.data());
    EXPECT_EQ(CopyAll(*context, flat), DeviceContext::kNothingCopied);
    EXPECT_EQ(Presenter().FrameCount(), 0);
}

TEST_F(DeviceContextTest, AFrameOfAnotherSizeStartsThePictureAfresh) {
    auto context = Context();
    Frame small(4, 2, 16, true);
    small.FillWithValues();
    ASSERT_EQ(CopyAll(*context, small), 2);
    Frame large(8, 4, 16, true);
    large.FillWithValues();
    EXPECT_EQ(context->CopyBits(0, 0, 2, 1, 0, 3, 0, 4, large.memory.data(), large.Header(), ColorUse::kRgbColors),
              1);
    EXPECT_EQ(Presenter().Width(), 8);
    EXPECT_EQ(Presenter().Height(), 4);
    EXPECT_EQ(Presenter().RawPixel(1, 0), Frame::Value(1, 0));
    EXPECT_EQ(Presenter().RawPixel(2, 0), 0u);
    EXPECT_EQ(Presenter().RawPixel(0, 1), 0u);
}

}  // namespace
