#include "display/DisplayDriver.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "display/DirectDrawDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/TempDir.h"

namespace {

// The base operations are what every kind inherits; the DirectDraw kind on
// a display stand-in serves to reach them.
class DisplayDriverTest : public ::testing::Test {
protected:
    std::unique_ptr<DisplayDriver> Driver(int32_t width, int32_t height, uint32_t modeFlags = 0) {
        std::unique_ptr<DisplayDriver> driver(new DirectDrawDriver(nullptr));
        EXPECT_EQ(driver->SetMode(width, height, 16, palette_.get(), modeFlags), kDisplayOk);
        return driver;
    }

    static void ExpectDirty(const DisplayDriver& d, int32_t left, int32_t top, int32_t right, int32_t bottom) {
        EXPECT_EQ(d.dirtyLeft, left);
        EXPECT_EQ(d.dirtyTop, top);
        EXPECT_EQ(d.dirtyRight, right);
        EXPECT_EQ(d.dirtyBottom, bottom);
    }

    ScopedDisplay display_;
    std::unique_ptr<Palette> palette_{Palette::Create(kPixelFormatRgb565)};
};

TEST_F(DisplayDriverTest, PresentLeavesTheEmptyRectangle) {
    auto driver = Driver(640, 480);
    driver->InvalidateAll();
    ExpectDirty(*driver, 0, 0, 640, 480);
    EXPECT_EQ(driver->DisplayDriver::Present(), kDisplayOk);
    ExpectDirty(*driver, 640, 480, 0, 0);
    CanvasRect area{};
    EXPECT_FALSE(driver->DirtyArea(&area));
}

TEST_F(DisplayDriverTest, InvalidateGrowsTheRectangleFromTheEmptyEncoding) {
    auto driver = Driver(640, 480);
    driver->Present();
    driver->Invalidate({10, 20, 5, 5});
    ExpectDirty(*driver, 10, 20, 15, 25);
    driver->Invalidate({100, 5, 1, 1});
    ExpectDirty(*driver, 10, 5, 101, 25);
}

TEST_F(DisplayDriverTest, EmptyEncodingKeepsTheMinimumAtTheFrameSizeOnSmallFrames) {
    auto driver = Driver(8, 30);
    driver->Present();
    driver->Invalidate({10, 20, 5, 5});
    ExpectDirty(*driver, 8, 20, 15, 25);
    CanvasRect area{};
    EXPECT_FALSE(driver->DirtyArea(&area)) << "all of it lies right of the frame";
}

TEST_F(DisplayDriverTest, DirtyAreaIsCutToTheFrame) {
    auto driver = Driver(640, 480);
    driver->Present();
    driver->Invalidate({-5, -6, 20, 20});
    CanvasRect area{};
    ASSERT_TRUE(driver->DirtyArea(&area));
    EXPECT_EQ(area.x, 0);
    EXPECT_EQ(area.y, 0);
    EXPECT_EQ(area.width, 15);
    EXPECT_EQ(area.height, 14);
    driver->Invalidate({630, 470, 50, 50});
    ASSERT_TRUE(driver->DirtyArea(&area));
    EXPECT_EQ(area.width, 640);
    EXPECT_EQ(area.height, 480);
    // The rectangle itself is kept as collected.
    ExpectDirty(*driver, -5, -6, 680, 520);

    // Near the end of the 32-bit range the far edges hold instead of wrapping.
    driver->Invalidate({INT32_MAX - 10, INT32_MAX - 10, 100, 100});
    ExpectDirty(*driver, -5, -6, INT32_MAX, INT32_MAX);
    ASSERT_TRUE(driver->DirtyArea(&area));
    EXPECT_EQ(area.width, 640);
}

TEST_F(DisplayDriverTest, ReapplyPaletteWithoutAPaletteTouchesNothing) {
    std::unique_ptr<DisplayDriver> driver(new DirectDrawDriver(nullptr));
    EXPECT_EQ(driver->ReapplyPalette(0), kDisplayUnsupported);
    EXPECT_EQ(display_.Adapter().CallCount(platform::DisplayCall::kSetEntries), 0);
    EXPECT_EQ(driver->palette, nullptr);
}

TEST_F(DisplayDriverTest, SoftwareKindsHaveNoScene) {
    auto driver = Driver(640, 480);
    driver->BeginScene();
    EXPECT_EQ(driver->inScene, 0);
    driver->EndScene();
    EXPECT_EQ(driver->inScene, 0);
    EXPECT_EQ(driver->SpareCall(0, 0, 0, 0, 0), kDisplayUnsupported);
    EXPECT_EQ(driver->SpareQuery(), 0);
}

TEST_F(DisplayDriverTest, SetModeClearsTheSpareWords) {
    std::unique_ptr<DisplayDriver> driver(new DirectDrawDriver(nullptr));
    driver->spareWords[0] = 5;
    driver->spareWords[1] = 6;
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette_.get(), 0), kDisplayOk);
    EXPECT_EQ(driver->spareWords[0], 0);
    EXPECT_EQ(driver->spareWords[1], 0);
}

TEST_F(DisplayDriverTest, ScreenLogNamesTheHardwareFlagsAndSins) {
    auto driver = Driver(640, 480, DisplayDriver::kModeFullScreen | DisplayDriver::kModePageFlip);
    TempDir folder;
    const std::string path = folder.Str() + "/screen.log";
    ASSERT_EQ(driver->WriteScreenLog(path.c_str(), 0), kStatusOk);
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text,
              "Hardware Description DDraw\n"
              "Screen Flags         3\n"
              "Screen Sins          40030100\n"
              "Error Value          0\n");
    EXPECT_EQ(driver->WriteScreenLog((folder.Str() + "/missing/screen.log").c_str(), 0), kStatusCannotOpen);
}

}  // namespace
