#include "game/SoftCursor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "canvas/ScreenCanvas16.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "platform/Window.h"
#include "tests/support/FileContents.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/CursorData.h"

namespace {

constexpr uint16_t kBlue565 = 0x001F;

class SoftCursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(WriteCursorShapes(path_.c_str()), kStatusOk);
        palette_.reset(Palette::Create(kPixelFormatRgb565));
        ASSERT_NE(palette_, nullptr);
        canvas_ = std::make_unique<ScreenCanvas16>(64, 32, nullptr, nullptr, palette_.get(), 0, 0, 0);
        ASSERT_EQ(canvas_->setupResult, kStatusOk);
        const CanvasRect all{0, 0, 64, 32};
        canvas_->FillRect(&all, Canvas::kColorRaw565 | kBlue565);
    }
    uint16_t PixelAt(int32_t x, int32_t y) const {
        return reinterpret_cast<const uint16_t*>(canvas_->pixels + canvas_->rowOffsets[y])[x];
    }
    int32_t PixelsOtherThanBlue() const {
        int32_t count = 0;
        for (int32_t y = 0; y < canvas_->height; ++y) {
            for (int32_t x = 0; x < canvas_->width; ++x) count += PixelAt(x, y) != kBlue565 ? 1 : 0;
        }
        return count;
    }
    // `bytes` written to a file of its own.
    std::string Written(const std::string& bytes) const {
        const std::string path = dir_.Str() + "/other.iff";
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return path;
    }

    TempDir dir_;
    const std::string path_ = dir_.Str() + "/" + SoftCursor::kFileName;
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<ScreenCanvas16> canvas_;
};

TEST_F(SoftCursorTest, ReadsTheThreeShapesAndDrawsThemAtTheirHotSpots) {
    SoftCursor cursor;
    ASSERT_EQ(cursor.Load(path_.c_str()), kStatusOk);
    for (int32_t shape = 0; shape < SoftCursor::kShapeCount; ++shape) EXPECT_TRUE(cursor.ShapeLoaded(shape));
    cursor.software = true;
    cursor.visible = true;
    // The arrow's tip, the highlighted arrow's and the hourglass's middle.
    EXPECT_TRUE(cursor.Draw(*canvas_, 2, 2));
    cursor.SetShape(SoftCursor::kShapeHighlight, -1, 1);
    EXPECT_TRUE(cursor.Draw(*canvas_, 22, 2));
    cursor.SetShape(SoftCursor::kShapeWait);
    EXPECT_TRUE(cursor.Draw(*canvas_, 50, 16));
    EXPECT_TRUE(MatchesGolden(*canvas_, "cursors"));
}

TEST_F(SoftCursorTest, DrawsNothingUnlessSoftwareAndVisible) {
    SoftCursor cursor;
    ASSERT_EQ(cursor.Load(path_.c_str()), kStatusOk);
    EXPECT_FALSE(cursor.Draw(*canvas_, 10, 10));
    cursor.software = true;
    EXPECT_FALSE(cursor.Draw(*canvas_, 10, 10)) << "not shown yet";
    cursor.software = false;
    cursor.visible = true;
    EXPECT_FALSE(cursor.Draw(*canvas_, 10, 10)) << "the window system's cursor";
    EXPECT_EQ(PixelsOtherThanBlue(), 0);
    EXPECT_FALSE(cursor.drawn);
}

TEST_F(SoftCursorTest, ACursorAtTheEdgesIsCutToTheCanvas) {
    SoftCursor cursor;
    ASSERT_EQ(cursor.Load(path_.c_str()), kStatusOk);
    cursor.software = true;
    cursor.visible = true;
    cursor.SetShape(SoftCursor::kShapeWait);
    for (const auto& [x, y] : {std::pair{0, 0}, {63, 31}, {-7, 5}, {70, 40}, {-100000, 100000}, {INT32_MIN / 2, 0}}) {
        cursor.Draw(*canvas_, x, y);
    }
    EXPECT_GT(PixelsOtherThanBlue(), 0);
}

TEST_F(SoftCursorTest, UnknownShapesAreIgnored) {
    SoftCursor cursor;
    cursor.SetShape(SoftCursor::kShapeWait);
    for (const int32_t shape : {-1, 3, INT32_MAX}) cursor.SetShape(shape);
    EXPECT_EQ(cursor.Shape(), SoftCursor::kShapeWait);
}

TEST_F(SoftCursorTest, ShowBringsTheSystemCursorBackToACountOfZero) {
    const auto window = platform::Window::CreateHeadless("cursor", 640, 480, false);
    window->ShowCursor(false);
    window->ShowCursor(false);
    SoftCursor cursor;
    cursor.Show(*window);
    EXPECT_TRUE(cursor.visible);
    EXPECT_EQ(window->CursorCount(), 0);
    cursor.Show(*window);
    EXPECT_EQ(window->CursorCount(), 0) << "a visible cursor is not counted up further";
    // The software cursor leaves the system's hidden.
    window->ShowCursor(false);
    SoftCursor software;
    software.software = true;
    software.Show(*window);
    EXPECT_EQ(window->CursorCount(), -1);
}

TEST_F(SoftCursorTest, TruncatedOrDamagedFilesEndInAnError) {
    const std::string whole = FileContents(path_);
    for (size_t bytes = 0; bytes < whole.size(); bytes += 7) {
        SoftCursor cursor;
        EXPECT_NE(cursor.Load(Written(whole.substr(0, bytes)).c_str()), kStatusOk) << bytes;
    }
    // Every byte of the first cel's header and picture header flipped in turn:
    // read or refused, never a crash.
    for (size_t at = 0; at < 120 && at < whole.size(); ++at) {
        std::string damaged = whole;
        damaged[at] = char(~damaged[at]);
        SoftCursor cursor;
        cursor.Load(Written(damaged).c_str());
        cursor.software = cursor.visible = true;
        cursor.Draw(*canvas_, 10, 10);
    }
    SoftCursor missing;
    EXPECT_NE(missing.Load((dir_.Str() + "/none.iff").c_str()), kStatusOk);
    EXPECT_FALSE(missing.ShapeLoaded(0));
}

}  // namespace
