#include "display/D3DHalDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/ColorTables.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/TextureManager.h"
#include "platform/DisplayAdapter.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"

using platform::DeviceCaps3d;
using platform::DisplayCall;

namespace {

class D3DHalDriverTest : public ::testing::Test {
protected:
    void SetUp() override { D3DHalDriver::ResetRenderStateCache(); }
    platform::DisplayAdapter& Adapter() { return display_.Adapter(); }

    std::unique_ptr<D3DHalDriver> MakeDriver(const char* device = "vorn3d") {
        return std::unique_ptr<D3DHalDriver>(new D3DHalDriver(nullptr, device));
    }
    // The log lines that set render states.
    std::vector<std::string> States() {
        std::vector<std::string> states;
        for (const std::string& line : display_.Adapter().RenderLog()) {
            if (line.rfind("SetRenderState", 0) == 0) states.push_back(line.substr(15));
        }
        return states;
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    ScopedColorTables tables_;
    ScopedDisplay display_;
    std::unique_ptr<Palette> palette565_ = MakeDistinctPalette(kPixelFormatRgb565);
    std::unique_ptr<Palette> palette555_ = MakeDistinctPalette(kPixelFormatRgb555);
};

TEST_F(D3DHalDriverTest, ADeviceIsChosenByPartOfItsNameOrTheDefaultServes) {
    auto named = MakeDriver("Tessel 3D");
    EXPECT_EQ(named->openResult, kDisplayOk);
    EXPECT_EQ(named->kind, DisplayDriver::kKindD3dHal);
    EXPECT_EQ(named->deviceId, Adapter().Drivers()[1].id);
    ASSERT_NE(g_colorTables->textureManagers[0], nullptr);
    EXPECT_EQ(g_colorTables->textureManagers[0]->driver, named.get());
    named.reset();
    EXPECT_EQ(g_colorTables->textureManagers[0], nullptr);
    EXPECT_TRUE(display_.IsEmpty());

    // The primary display driver is never taken, even when its name matches.
    auto primary = MakeDriver("primary");
    EXPECT_EQ(primary->openResult, kDisplayOk);
    EXPECT_TRUE(primary->deviceId.IsZero());
    primary.reset();

    // No match, or no enumeration: the default device.
    auto none = MakeDriver("no such card");
    EXPECT_EQ(none->openResult, kDisplayOk);
    EXPECT_TRUE(none->deviceId.IsZero());
    none.reset();
    Adapter().InjectFault(DisplayCall::kEnumerateDrivers, platform::kDeviceFailed);
    EXPECT_EQ(MakeDriver()->openResult, kDisplayOk);
    // Without a 3D interface there is no driver.
    Adapter().InjectFault(DisplayCall::kQueryRender3d, platform::kDeviceFailed);
    auto failed = MakeDriver();
    EXPECT_EQ(failed->openResult, kDisplayCallFailed);
    EXPECT_EQ(g_colorTables->textureManagers[0], nullptr);
}

TEST_F(D3DHalDriverTest, SetModeBuildsTheDeviceViewportAndFixedStates) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    EXPECT_STREQ(driver->name, "D3D HAL");
    EXPECT_EQ(driver->sins, 0u);
    ASSERT_NE(driver->frameSurfaces, nullptr);
    EXPECT_EQ(driver->frameSurfaces->depthSurface, driver->zBuffer.get());
    ASSERT_NE(driver->viewport, nullptr);
    EXPECT_EQ(driver->device->CurrentViewport(), driver->viewport.get());
    EXPECT_FLOAT_EQ(driver->viewport->Rect().clipHeight, 1.5f);
    EXPECT_FLOAT_EQ(driver->viewport->Rect().clipY, 0.75f);
    const std::vector<std::string> expected = {"ZEnable 1",      "ZWriteEnable 1",  "ZFunction 4",
                                               "ShadeMode 2",    "DitherEnable 1",  "CullMode 1",
                                               "TextureHandle 0", "LastPixel 0"};
    EXPECT_EQ(States(), expected);

    // A frame in 5-5-5 needs a 5-5-5 palette; without a 3D surface, no device.
    driver.reset();
    auto other = MakeDriver();
    Adapter().SetHighColorLayout(platform::kLayoutRgb555);
    EXPECT_EQ(other->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags),
              kDisplayNeeds555Palette);
    other.reset();
    auto flat = MakeDriver();
    EXPECT_EQ(flat->SetMode(640, 480, 16, palette555_.get(), DisplayDriver::kModeFullScreen), kDisplayUnsupported);
}

TEST_F(D3DHalDriverTest, MissingCapabilitiesMapToResultsAndSins) {
    struct Case {
        const char* what;
        std::function<void(platform::DisplayCaps&, DeviceCaps3d&)> change;
        int32_t result;
        uint32_t sins;
    } const cases[] = {
        {"8-bit targets only", [](auto&, DeviceCaps3d& c) { c.renderDepths = DeviceCaps3d::kDepth8; },
         kDisplayUnsupported, DisplayDriver::kSinNo16BitTargets},
        {"a 32-pixel minimum texture", [](auto&, DeviceCaps3d& c) { c.minTextureWidth = c.minTextureHeight = 32; },
         kDisplayOk, DisplayDriver::kSinTextureSizes},
        {"no 3D hardware", [](platform::DisplayCaps& d, auto&) { d.hardware3d = false; }, kDisplayCallFailed,
         DisplayDriver::kSinNo3dHardware},
        {"no RGB model", [](auto&, DeviceCaps3d& c) { c.rgbColorModel = false; }, kDisplayUnsupported,
         DisplayDriver::kSinNoRgbModel},
        {"no RGB model, flag not valid",
         [](auto&, DeviceCaps3d& c) {
             c.rgbColorModel = false;
             c.valid &= ~DeviceCaps3d::kValidColorModel;
         },
         kDisplayOk, 0},
        {"no 16-bit Z-buffer", [](auto&, DeviceCaps3d& c) { c.zBufferDepths = DeviceCaps3d::kDepth24; }, kDisplayOk,
         DisplayDriver::kSinNoDepthBuffer16},
        {"no blending by source alpha",
         [](auto&, DeviceCaps3d& c) { c.triangleCaps &= ~DeviceCaps3d::kDestinationBothAlpha; }, kDisplayOk,
         DisplayDriver::kSinNoStipple | DisplayDriver::kSinNoAlphaBlend},
        {"square textures only", [](auto&, DeviceCaps3d& c) { c.triangleCaps |= DeviceCaps3d::kSquareOnly; },
         kDisplayOk, DisplayDriver::kSinTextureSizes},
        {"no blits", [](platform::DisplayCaps& d, auto&) { d.hardwareBlits = false; }, kDisplayOk,
         DisplayDriver::kSinNoHardwareBlits | DisplayDriver::kSinEmulatedBlits},
        {"untransformed vertices only", [](auto&, DeviceCaps3d& c) { c.transformedFloatVertices = false; },
         kDisplayUnsupported, DisplayDriver::kSinNoTransformedVertices},
    };
    for (const Case& c : cases) {
        platform::DisplayCaps display;
        DeviceCaps3d device;
        c.change(display, device);
        platform::DisplayCaps emulation = display;
        Adapter().SetDisplayCaps(display, emulation);
        Adapter().SetDeviceCaps(device, device);
        auto driver = MakeDriver();
        EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), c.result) << c.what;
        EXPECT_EQ(driver->sins, c.sins) << c.what;
        driver.reset();
        EXPECT_TRUE(display_.IsEmpty()) << c.what;
    }
    // A failed query keeps its code in sins.
    Adapter().SetDisplayCaps({}, {});
    Adapter().SetDeviceCaps({}, {});
    for (const DisplayCall query : {DisplayCall::kGetDeviceCaps, DisplayCall::kGetCaps}) {
        Adapter().InjectFault(query, platform::kDeviceFailed);
        auto driver = MakeDriver();
        EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayCallFailed);
        EXPECT_EQ(driver->sins, uint32_t(platform::kDeviceFailed));
    }
}

TEST_F(D3DHalDriverTest, TheRenderStateCacheSendsOnlyWhatChanged) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    Adapter().ClearRenderLog();
    driver->SetRenderState(D3DHalDriver::kRenderGouraud | D3DHalDriver::kRenderTranslucent, 7);
    const std::vector<std::string> first = {"TextureHandle 7",    "AlphaBlendEnable 1", "DestinationBlend 12",
                                            "SourceBlend 12",     "ShadeMode 2",        "DitherEnable 0",
                                            "TextureMag 1",       "TextureMin 1",       "TexturePerspective 0",
                                            "TextureMapBlend 1",  "ColorKeyEnable 0"};
    EXPECT_EQ(States(), first);
    Adapter().ClearRenderLog();
    driver->SetRenderState(D3DHalDriver::kRenderGouraud | D3DHalDriver::kRenderTranslucent, 7);
    EXPECT_TRUE(States().empty());
    driver->SetRenderState(D3DHalDriver::kRenderTranslucent, 7);
    EXPECT_EQ(States(), std::vector<std::string>{"ShadeMode 1"});
    // A new device starts again from nothing.
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    Adapter().ClearRenderLog();
    driver->SetRenderState(D3DHalDriver::kRenderTranslucent, 0);
    EXPECT_EQ(States().size(), first.size() - 1);   // all rows; handle 0 is no change
}

TEST_F(D3DHalDriverTest, PresentEndsTheSceneAndWaitsOutABusyDevice) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    driver->BeginScene();
    EXPECT_TRUE(driver->device->InScene());
    Adapter().ResetCallCounts();
    Adapter().InjectFault(DisplayCall::kBlit, platform::kDeviceStillDrawing, 3);
    EXPECT_EQ(driver->Present(), kDisplayOk);
    EXPECT_FALSE(driver->device->InScene());
    EXPECT_EQ(driver->inScene, 0);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kBlit), 4);
    Adapter().InjectFault(DisplayCall::kBlit, platform::kDeviceFailed);
    EXPECT_EQ(driver->Present(), kDisplayCallFailed);
}

// Made without opening, as a driver list does before the player picks one:
// nothing works until it is opened, then it works as one opened at once.
TEST_F(D3DHalDriverTest, ADriverMadeUnopenedWorksOnceOpened) {
    D3DHalDriver driver;
    EXPECT_EQ(driver.openResult, kDisplayNotOpened);
    EXPECT_EQ(driver.Present(), kDisplayCallFailed) << "no frame to show";
    EXPECT_NE(driver.SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    ASSERT_EQ(driver.Open(), kDisplayOk);
    EXPECT_EQ(driver.kind, DisplayDriver::kKindD3dHal);
    ASSERT_EQ(driver.SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    EXPECT_NE(driver.device, nullptr);
    EXPECT_EQ(driver.Present(), kDisplayOk);
    EXPECT_EQ(driver.SpareCall(1, 2, 3, 4, 5), kDisplayUnsupported);
    EXPECT_EQ(driver.SpareQuery(), 0);
}

// Without a depth buffer the device is told not to use one.
TEST_F(D3DHalDriverTest, AModeWithoutADepthBufferTurnsTheDepthTestOff) {
    auto driver = MakeDriver();
    const uint32_t flags = DisplayDriver::kModeFullScreen | DisplayDriver::kMode3dDevice;
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), flags), kDisplayOk);
    EXPECT_EQ(driver->zBuffer, nullptr);
    EXPECT_EQ(driver->frameSurfaces->depthSurface, nullptr);
    const std::vector<std::string> states = States();
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[0], "ZEnable 0");
    EXPECT_EQ(states[1], "ZWriteEnable 0");
}

// With a flip chain the 3D device draws into the back buffer, which
// Present flips to the screen. The device cannot draw into system memory:
// a mode that asks for that is refused and leaves nothing behind.
TEST_F(D3DHalDriverTest, AFlipChainIsFlippedAndSystemMemoryDrawingIsRefused) {
    auto driver = MakeDriver();
    const uint32_t flags = D3DHalDriver::kGameModeFlags | DisplayDriver::kModePageFlip;
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), flags), kDisplayOk);
    EXPECT_EQ(driver->drawingSurface, driver->backBuffer);
    platform::BlitEffects red;
    red.fillColor = 0xF800;
    ASSERT_EQ(driver->drawingSurface->Blit(nullptr, nullptr, nullptr, platform::kBlitColorFill, &red),
              platform::kDeviceOk);
    Adapter().ResetCallCounts();
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kFlip), 1);
    EXPECT_EQ(display_.Presenter().Rgb(320, 240), 0xFF0000u);
    driver.reset();
    EXPECT_TRUE(display_.IsEmpty());

    auto system = MakeDriver();
    EXPECT_EQ(system->SetMode(640, 480, 16, palette565_.get(), flags | DisplayDriver::kModeSystemDrawing),
              kDisplayCallFailed);
    EXPECT_EQ(system->device, nullptr);
    EXPECT_EQ(system->Present(), kDisplayCallFailed);
    system.reset();
    EXPECT_TRUE(display_.IsEmpty());
}

}  // namespace
