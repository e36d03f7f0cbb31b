#include "shell/Startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "display/DibDriver.h"
#include "display/DirectDrawDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/EngineHeap.h"
#include "engine/TimerSystem.h"
#include "engine/WorldContext.h"
#include "display/FontContext.h"
#include "platform/InstanceLock.h"
#include "platform/Window.h"
#include "platform/WindowGraphics.h"
#include "game/DataDirectories.h"
#include "game/GameMessages.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/OptionsFile.h"
#include "shell/LaunchOptions.h"
#include "tools/mkdata/SampleTree.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeRemovableMedia.h"
#include "tests/support/FileContents.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/FontData.h"
#include "tools/mkdata/MenuArtData.h"
#include "tools/mkdata/PaletteData.h"

namespace {

using platform::DisplayCall;
using platform::WindowMessage;
using platform::WindowMessageType;

// The screen.log of a windowed DirectDraw display.
constexpr const char* kDirectDrawLog =
    "Hardware Description DDraw\n"
    "Screen Flags         0\n"
    "Screen Sins          40030100\n"
    "Error Value          0\n";

// The frame the presenter holds, as the golden images keep pictures.
RgbImage PresentedImage(const platform::HeadlessPresenter& presenter) {
    RgbImage image;
    image.width = presenter.Width();
    image.height = presenter.Height();
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const uint32_t rgb = presenter.Rgb(x, y);
            image.rgb.insert(image.rgb.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
        }
    }
    return image;
}

// The intro drawn in another pixel format than the golden's: the same
// pixels lit, each near white, all others black. The palettes' whites differ
// a little from format to format.
::testing::AssertionResult ShowsTheGoldenIntroShape(const RgbImage& actual) {
    RgbImage golden;
    if (!ReadPpm(GoldenDirectory() + "/intro.ppm", &golden)) return ::testing::AssertionFailure() << "no golden intro";
    if (actual.width != golden.width || actual.height != golden.height) {
        return ::testing::AssertionFailure() << "a frame of " << actual.width << " x " << actual.height;
    }
    int32_t lit = 0;
    for (size_t i = 0; i < golden.rgb.size(); i += 3) {
        const bool goldenLit = golden.rgb[i] != 0 || golden.rgb[i + 1] != 0 || golden.rgb[i + 2] != 0;
        const uint8_t darkest = std::min({actual.rgb[i], actual.rgb[i + 1], actual.rgb[i + 2]});
        const uint8_t brightest = std::max({actual.rgb[i], actual.rgb[i + 1], actual.rgb[i + 2]});
        const bool actualLit = brightest != 0;
        if (goldenLit != actualLit || (actualLit && darkest < 240)) {
            const size_t pixel = i / 3;
            return ::testing::AssertionFailure() << "pixel (" << pixel % size_t(golden.width) << ", "
                                                 << pixel / size_t(golden.width) << ") differs";
        }
        lit += goldenLit ? 1 : 0;
    }
    if (lit == 0) return ::testing::AssertionFailure() << "the golden intro is all black";
    return ::testing::AssertionSuccess();
}

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override {
        g_pixelFormat = savedPixelFormat_;
        g_graphicsDriver = savedDriver_;
        g_textureFilterFlags = savedFilters_;
        g_softwareAlpha = savedAlpha_;
    }

    // The probe files, and the fonts and palettes the start-up loads, under
    // `folder` of the temporary folder.
    void WriteTree(const std::string& folder = "") {
        const std::string root = dir_.Str() + "/" + folder;
        for (const char* name : DataDirectories::kNames)
            dir_.WriteFile(folder + name + "/" + DataDirectories::kProbeFile, "x");
        ASSERT_EQ(WriteSampleFonts(root + "data/"), kStatusOk);
        ASSERT_EQ(WritePaletteFile((root + "data/" + GameState::kPaletteFile).c_str()), kStatusOk);
    }
    void WriteConfig(int32_t graphicsDriver, int32_t pixelFormat) {
        GameState writer;
        writer.SetConfigFolder(dir_.Str());
        ConfigRecord record;
        record.graphicsDriver = graphicsDriver;
        record.pixelFormat = pixelFormat;
        ASSERT_EQ(writer.WriteConfigFile(record), kStatusOk);
    }
    LaunchOptions Options() const {
        LaunchOptions options;
        options.dataRoot = dir_.Str();
        options.headless = true;
        return options;
    }
    std::string ScreenLog() const { return FileContents(dir_.Path() / "screen.log"); }
    platform::HeadlessPresenter& Presenter() { return display_.Presenter(); }

    // Nothing of the run is left: no heap, objects, window, device, context
    // or lock.
    void ExpectNothingLeft() {
        EXPECT_EQ(g_engine, nullptr);
        EXPECT_EQ(g_worldContext, nullptr);
        EXPECT_EQ(g_fontContext, nullptr);
        EXPECT_EQ(g_gameState, nullptr);
        EXPECT_EQ(g_display, nullptr);
        EXPECT_EQ(g_gameCanvas, nullptr);
        EXPECT_EQ(g_mainWindow, nullptr);
        EXPECT_FALSE(EngineHeap::IsReserved());
        EXPECT_FALSE(g_dataDirs.Found(DataDir::kData));
        EXPECT_TRUE(display_.IsEmpty());
        EXPECT_EQ(graphics_.LiveContexts(), 0);
        EXPECT_EQ(graphics_.LivePalettes(), 0);
        platform::InstanceLock next;
        EXPECT_TRUE(next.Acquire());
        EXPECT_TRUE(next.Held()) << "the lock file could not be made: nothing was tested";
    }

    FakeRemovableMedia media_;
    ScopedInstall<platform::RemovableMedia> installedMedia_{media_};
    RecordingMessageBox boxes_;
    ScopedInstall<platform::MessageBox> installedBoxes_{boxes_};
    TempDir dir_;
    ScopedEnvironment runtime_{platform::InstanceLock::kFolderVariable, dir_.Str().c_str()};
    ScopedDisplay display_;
    platform::WindowGraphics graphics_;
    ScopedInstall<platform::WindowGraphics> installedGraphics_{graphics_};
    const int32_t savedPixelFormat_ = g_pixelFormat;
    const int32_t savedDriver_ = g_graphicsDriver;
    const uint32_t savedFilters_ = g_textureFilterFlags;
    const int32_t savedAlpha_ = g_softwareAlpha;
};

// The road through.

TEST_F(StartupTest, OpensDirectDrawIn565ShowsTheBannerAndLeavesNothingBehind) {
    WriteTree();
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(g_pixelFormat, kPixelFormatRgb565);
    EXPECT_EQ(ScreenLog(), kDirectDrawLog);
    // The cleared frame when the canvas was made, then the intro.
    EXPECT_EQ(Presenter().FrameCount(), 2);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb565);
    EXPECT_TRUE(MatchesGolden(PresentedImage(Presenter()), "intro"));
    ExpectNothingLeft();
}

TEST_F(StartupTest, PresentsAsManyIntroFramesAsAskedFor) {
    WriteTree();
    LaunchOptions options = Options();
    options.frames = 3;
    EXPECT_EQ(RunGame(options), 0);
    EXPECT_EQ(Presenter().FrameCount(), 4);
}

TEST_F(StartupTest, FullScreenFromTheSettingsSwitchesTheDisplayAndGivesItBack) {
    WriteTree();
    dir_.WriteFile("VORN.INI", "[Startup]\r\nFullScreen=1\r\n");
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_NE(ScreenLog().find("Screen Flags         1\n"), std::string::npos) << ScreenLog();
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kSetDisplayMode), 1);
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kRestoreDisplayMode), 1);
    EXPECT_TRUE(MatchesGolden(PresentedImage(Presenter()), "intro"));
    ExpectNothingLeft();
}

// Scripted runs: the script's events at their passes, pictures of given
// passes.

TEST_F(StartupTest, AScriptedIntroEndsAtItsKeyAndItsPictureIsTheGoldenIntro) {
    WriteTree();
    dir_.WriteFile("intro.txt", "# the intro, dismissed\nat 2 move 320 240\nat 5 key Space\n");
    LaunchOptions options = Options();
    options.script = dir_.Str() + "/intro.txt";
    options.shots = {{3, dir_.Str() + "/three.png"}};
    EXPECT_EQ(RunGame(options), 0);
    // The cleared frame, then the intro's frames of passes 0 to 4: the key
    // of pass 5 ends it before another.
    EXPECT_EQ(Presenter().FrameCount(), 6);
    RgbImage shot;
    ASSERT_TRUE(ReadStoredPng(dir_.Str() + "/three.png", &shot));
    EXPECT_TRUE(MatchesGolden(shot, "intro"));
    ExpectNothingLeft();
}

// With the menus' art the first screen comes before the intro: its
// picture is a pass's shot, and its Exit writes "vorn.cfg" and ends the
// run at once, successfully. A run without a script skips it.
TEST_F(StartupTest, TheFirstScreenAnswersAScriptAndItsExitEndsTheRun) {
    WriteTree();
    ASSERT_EQ(WriteMenuArt(dir_.Str()), kStatusOk);
    dir_.WriteFile("shot.txt", "at 2 move 320 240\n");
    LaunchOptions options = Options();
    options.script = dir_.Str() + "/shot.txt";
    options.shots = {{5, dir_.Str() + "/init.png"}};
    EXPECT_EQ(RunGame(options), 0);
    RgbImage shot;
    ASSERT_TRUE(ReadStoredPng(dir_.Str() + "/init.png", &shot));
    EXPECT_EQ(shot.width, 640);
    std::filesystem::remove(dir_.Path() / "vorn.cfg");

    dir_.WriteFile("exit.txt", "at 4 move 120 420\nat 5 key Enter\n");
    options.script = dir_.Str() + "/exit.txt";
    options.shots.clear();
    EXPECT_EQ(RunGame(options), 0);
    EXPECT_EQ(FileContents(dir_.Path() / "vorn.cfg").size(), 44u);
    ExpectNothingLeft();

    std::filesystem::remove(dir_.Path() / "vorn.cfg");
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "vorn.cfg"));
}

// The driver chosen on the first screen takes over from the one the
// start-up opened: the DIB driver here presents in 5-5-5, the DirectDraw
// one the run began with in 5-6-5.
TEST_F(StartupTest, TheDriverChosenOnTheFirstScreenShowsWhatFollows) {
    WriteTree();
    ASSERT_EQ(WriteMenuArt(dir_.Str()), kStatusOk);
    dir_.WriteFile("dib.txt", "at 5 click 515 124\nat 7 key N\nat 12 move 320 240\n");
    LaunchOptions options = Options();
    options.script = dir_.Str() + "/dib.txt";
    EXPECT_EQ(RunGame(options), 0);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb555);
    ExpectNothingLeft();
}

// Settings files bent by hand or by a bad disk: a pixel format no display
// knows in "vorn.cfg" and volumes far past any strip in "opts.sav". The
// start-up and the first screen, which reads the file again, both take the
// same defaults, so the run goes on in 5-6-5 with the usual volumes (before,
// the first screen put the bad format back and every start ended with
// "Could not initialize drivers.", and the volumes overflowed).
TEST_F(StartupTest, BentSettingsFilesStartWithTheDefaults) {
    WriteTree();
    ASSERT_EQ(WriteMenuArt(dir_.Str()), kStatusOk);
    WriteConfig(kGraphicsDriverDirectDraw, 7);
    CareerOptions bent;
    bent.soundVolume = std::numeric_limits<int32_t>::max();
    bent.musicVolume = std::numeric_limits<int32_t>::min();
    ASSERT_EQ(WriteOptionsFile((dir_.Str() + "/" + kOptionsFileName).c_str(), bent), kStatusOk);
    dir_.WriteFile("go.txt", "at 7 key N\nat 12 move 320 240\n");
    LaunchOptions options = Options();
    options.script = dir_.Str() + "/go.txt";
    EXPECT_EQ(RunGame(options), 0);
    for (const auto& box : boxes_.Boxes()) ADD_FAILURE() << box.text;
    EXPECT_EQ(g_pixelFormat, kPixelFormatRgb565);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb565);
    CareerOptions read;
    ASSERT_EQ(ReadOptionsFile((dir_.Str() + "/" + kOptionsFileName).c_str(), &read), kStatusOk);
    EXPECT_EQ(read.soundVolume, CareerOptions{}.soundVolume);
    EXPECT_EQ(read.musicVolume, CareerOptions{}.musicVolume);
    ExpectNothingLeft();
}

// Load Game on the first screen leads straight into the frame menu with
// the save page, under the pop-up's introduction.
TEST_F(StartupTest, LoadGameOpensTheFrameWithTheSavePage) {
    WriteTree();
    ASSERT_EQ(WriteMenuArt(dir_.Str()), kStatusOk);
    dir_.WriteFile("load.txt", "at 5 key L\n");
    LaunchOptions options = Options();
    options.script = dir_.Str() + "/load.txt";
    options.shots = {{40, dir_.Str() + "/frame.png"}};
    EXPECT_EQ(RunGame(options), 0);
    RgbImage shot;
    ASSERT_TRUE(ReadStoredPng(dir_.Str() + "/frame.png", &shot));
    EXPECT_TRUE(MatchesGolden(shot, "startup_load_game"));
    ExpectNothingLeft();
}

// Escape on the frame menu opens the quit dialog over it; the two Enters
// go to the pop-up laid over the dialog and close it, leaving the dialog
// clean, and Y then ends the run at once.
TEST_F(StartupTest, EscapeOnTheFrameOpensTheQuitDialog) {
    WriteTree();
    ASSERT_EQ(WriteMenuArt(dir_.Str()), kStatusOk);
    const std::string keys = "at 5 key L\nat 30 key Escape\nat 40 key Enter\nat 45 key Enter\n";
    dir_.WriteFile("quit.txt", keys);
    LaunchOptions options = Options();
    options.script = dir_.Str() + "/quit.txt";
    options.shots = {{60, dir_.Str() + "/quit.png"}};
    EXPECT_EQ(RunGame(options), 0);
    RgbImage shot;
    ASSERT_TRUE(ReadStoredPng(dir_.Str() + "/quit.png", &shot));
    EXPECT_TRUE(MatchesGolden(shot, "startup_quit_dialog"));
    ExpectNothingLeft();

    // A picture asked for after Y is never taken: the run ended there.
    dir_.WriteFile("yes.txt", keys + "at 60 key Y\n");
    options.script = dir_.Str() + "/yes.txt";
    options.shots = {{80, dir_.Str() + "/late.png"}};
    EXPECT_EQ(RunGame(options), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "late.png"));
    ExpectNothingLeft();
}

TEST_F(StartupTest, ABadScriptIsRefusedBeforeAnythingStarts) {
    WriteTree();
    dir_.WriteFile("bad.txt", "at 4 key A\nat 3 key B\n");
    LaunchOptions options = Options();
    options.script = dir_.Str() + "/bad.txt";
    EXPECT_EQ(RunGame(options), 2);
    EXPECT_EQ(Presenter().FrameCount(), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    options.script = dir_.Str() + "/missing.txt";
    EXPECT_EQ(RunGame(options), 2);
    ExpectNothingLeft();
}

TEST_F(StartupTest, APictureThatCannotBeWrittenFailsTheRun) {
    WriteTree();
    LaunchOptions options = Options();
    options.shots = {{1, dir_.Str() + "/no-such-folder/one.png"}};
    EXPECT_EQ(RunGame(options), 1);
    ExpectNothingLeft();
}

// Drivers and pixel formats from the options file, and the retries.

// The game always asks for 16 bits: the 8-bit palette is refused with 13
// and the retry moves to 5-5-5.
TEST_F(StartupTest, AnOptionsFileChoosingDibIn8BitEndsIn555) {
    WriteTree();
    WriteConfig(kGraphicsDriverDib, kPixelFormatIndexed8);
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(g_graphicsDriver, kGraphicsDriverDib);
    EXPECT_EQ(g_pixelFormat, kPixelFormatRgb555);
    EXPECT_EQ(ScreenLog(), "Hardware Description DIB Draw\n"
                           "Screen Flags         0\n"
                           "Screen Sins          40030100\n"
                           "Error Value          0\n");
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb555);
    EXPECT_EQ(Presenter().FrameCount(), 2);
    EXPECT_TRUE(ShowsTheGoldenIntroShape(PresentedImage(Presenter())));
    ExpectNothingLeft();
}

TEST_F(StartupTest, ADesktopIn555MakesDirectDrawAskFor555AndTheRetrySucceeds) {
    WriteTree();
    display_.Adapter().SetDesktopFormat(platform::kLayoutRgb555);
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kOpen), 2) << "one driver per attempt";
    EXPECT_EQ(g_pixelFormat, kPixelFormatRgb555);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb555);
    EXPECT_EQ(ScreenLog(), kDirectDrawLog);
    EXPECT_TRUE(ShowsTheGoldenIntroShape(PresentedImage(Presenter())));
    ExpectNothingLeft();
}

TEST_F(StartupTest, DirectDrawIn8BitOnA565DesktopIsAskedFor565AndGetsIt) {
    WriteTree();
    WriteConfig(kGraphicsDriverDirectDraw, kPixelFormatIndexed8);
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kOpen), 2);
    EXPECT_EQ(g_pixelFormat, kPixelFormatRgb565);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb565);
    ExpectNothingLeft();
}

TEST_F(StartupTest, DibIn16BitIsAskedFor555AndShowsIt) {
    WriteTree();
    WriteConfig(kGraphicsDriverDib, kPixelFormatRgb565);
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(g_pixelFormat, kPixelFormatRgb555);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb555);
    EXPECT_TRUE(ShowsTheGoldenIntroShape(PresentedImage(Presenter())));
    ExpectNothingLeft();
}

TEST_F(StartupTest, TheIntroMoviePlaysBeforeTheBannerWithTheDevicesClosed) {
    WriteTree();
    const std::string movie = std::string(VORN_SOURCE_DIR) + "/tools/mkdata/movies/intro.mpg";
    std::filesystem::copy_file(movie, dir_.Path() / "video" / "intro.mpg");
    EXPECT_EQ(RunGame(Options()), 0);
    // Two cleared frames, the movie's (25 a second for 1.5 s, give or take
    // the pauses between them), the canvas's and the intro's.
    EXPECT_GT(Presenter().FrameCount(), 10);
    EXPECT_TRUE(ShowsTheGoldenIntroShape(PresentedImage(Presenter())));
    ExpectNothingLeft();
}

TEST_F(StartupTest, Direct3dOpensTheHardwareKindWithItsCanvas) {
    WriteTree();
    WriteConfig(kGraphicsDriverDirect3d, kPixelFormatRgb565);
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_EQ(ScreenLog(),
              "Hardware Description D3D HAL\n"
              "Screen Flags         19\n"
              "Screen Sins          0\n"
              "Error Value          0\n");
    EXPECT_TRUE(ShowsTheGoldenIntroShape(PresentedImage(Presenter())));
    ExpectNothingLeft();
}

TEST_F(StartupTest, Direct3dStepsFromTheLastDeviceToTheFirstThenGivesUp) {
    WriteTree();
    WriteConfig(kGraphicsDriverDirect3d, kPixelFormatRgb565);
    display_.Adapter().InjectFault(DisplayCall::kCreateRenderDevice, platform::kDeviceFailed, 100);
    EXPECT_EQ(RunGame(Options()), 1);
    // One try per enumerated device, the last first.
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kCreateRenderDevice), 2);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Could not initialize drivers.\n");
    ExpectNothingLeft();
}

TEST_F(StartupTest, AnotherFailureTriesAgainWithPageFlippingSwapped) {
    WriteTree();
    dir_.WriteFile("VORN.INI", "[Startup]\r\nFullScreen=1\r\n");
    // The primary surface fails in video and in system memory: the first
    // driver gives up, the second asks for a flip chain.
    display_.Adapter().InjectFault(DisplayCall::kCreateSurface, platform::kDeviceFailed, 2);
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kOpen), 2);
    EXPECT_NE(ScreenLog().find("Screen Flags         3\n"), std::string::npos) << ScreenLog();
    EXPECT_TRUE(MatchesGolden(PresentedImage(Presenter()), "intro"));
    ExpectNothingLeft();
}

TEST_F(StartupTest, PageFlippingInAWindowFailsAndIsSwappedBackOff) {
    WriteTree();
    display_.Adapter().InjectFault(DisplayCall::kCreateSurface, platform::kDeviceFailed, 2);
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    // Off, on (a flip chain needs the whole screen), off again.
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kOpen), 3);
    EXPECT_EQ(ScreenLog(), kDirectDrawLog);
    ExpectNothingLeft();
}

TEST_F(StartupTest, TenFailedDriversEndTheProcessWithScreenInit) {
    WriteTree();
    display_.Adapter().InjectFault(DisplayCall::kOpen, platform::kDeviceFailed, 100);
    EXPECT_EQ(RunGame(Options()), 1);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Could not initialize drivers.\n");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Screen Init");
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kOpen), 10);
    EXPECT_EQ(Presenter().FrameCount(), 0);
    EXPECT_EQ(ScreenLog(), "");
    ExpectNothingLeft();
}

// The player sees the system's message; the log says which file failed.
TEST_F(StartupTest, WithoutTheMainPaletteNoDisplayStarts) {
    WriteTree();
    dir_.WriteFile(std::string("data/") + GameState::kPaletteFile, "not a chunk file");
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(Options()), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, msg::kCouldNotInitializeDrivers);
    EXPECT_EQ(boxes_.Boxes()[0].caption, msg::kCaptionScreenInit);
    const std::string path = dir_.Str() + "/data/" + GameState::kPaletteFile;
    EXPECT_NE(out.find("Palette \"Vorn\" cannot be read from " + path + "\n"), std::string::npos) << out;
    ExpectNothingLeft();
}

// Other ends of the start-up.

TEST_F(StartupTest, ASecondInstanceIsToldAndStopsBeforeAnythingElse) {
    WriteTree();
    platform::InstanceLock first;
    ASSERT_TRUE(first.Acquire());
    ASSERT_TRUE(first.Held());
    EXPECT_EQ(RunGame(Options()), 1);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text,
              "Another instance of this application has been detected, and only one instance may be active at a "
              "time.");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Initialization");
    EXPECT_EQ(display_.Adapter().CallCount(DisplayCall::kOpen), 0);
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_EQ(g_mainWindow, nullptr);
    EXPECT_TRUE(first.Held()) << "the first instance keeps its lock";
}

TEST_F(StartupTest, AFontThatDoesNotLoadIsReportedAndEndsTheProcess) {
    WriteTree();
    // Not a chunk file at all.
    dir_.WriteFile("data/font07.iff", "no font here");
    EXPECT_EQ(RunGame(Options()), 1);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    const std::string path = dir_.Str() + "/data/font07.iff";
    EXPECT_EQ(boxes_.Boxes()[0].text, "Failed to load font " + path + ", error 3");
    EXPECT_EQ(boxes_.Boxes()[0].caption, msg::kCaptionError);
    ExpectNothingLeft();
}

TEST_F(StartupTest, MissingFilesAskForTheDiscAndCancelEndsTheProcess) {
    EXPECT_EQ(RunGame(Options()), 1);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, msg::kInsertCdRom);
    ExpectNothingLeft();
}

// The system's message names no folder: the log names each one missing, and
// only those.
TEST_F(StartupTest, AMissingDataFolderIsNamedInTheLog) {
    WriteTree();
    std::filesystem::remove_all(dir_.Path() / "xmi");
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(Options()), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, msg::kInsertCdRom);
    EXPECT_NE(out.find("Data directory \"xmi\" (with vorn.dir) not found under " + dir_.Str() + " nor on a disc\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("Data directory \"data\""), std::string::npos) << out;
    ExpectNothingLeft();
}

TEST_F(StartupTest, RetryLooksAgainAndGoesOnOnceTheFilesAppear) {
    // The first retry still finds nothing; the disc is "inserted" before the second.
    struct InsertingMedia final : platform::RemovableMedia {
        std::vector<std::string> DiscRoots() override {
            return ++calls >= 2 ? std::vector<std::string>{root} : std::vector<std::string>{};
        }
        int calls = 0;
        std::string root;
    } media;
    media.root = dir_.Str() + "/disc";
    WriteTree("disc/vorn/");
    ScopedInstall<platform::RemovableMedia> installed(media);
    boxes_.QueueAnswer(platform::MessageBoxAnswer::kRetry);
    LaunchOptions options = Options();
    options.dataRoot = dir_.Str() + "/nothing-here";
    EXPECT_EQ(RunGame(options), 0);
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(Presenter().FrameCount(), 2);
    ExpectNothingLeft();
}

// The intro screen's loop.

class IntroLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        palette_.reset(Palette::Create(kPixelFormatRgb565));
        ASSERT_NE(palette_, nullptr);
        ASSERT_EQ(driver_.SetMode(640, 480, 16, palette_.get(), 0), kDisplayOk);
    }
    void Post(WindowMessageType type) {
        WindowMessage message;
        message.type = type;
        window_->Post(message);
    }

    ScopedDisplay display_;
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<platform::Window> window_ = platform::Window::CreateHeadless("intro", 640, 480, false);
    DirectDrawDriver driver_{window_.get()};
};

TEST_F(IntroLoopTest, EndsAfterTheLimitWhenNothingHappens) {
    int32_t frames = 0;
    EXPECT_EQ(RunIntroLoop(*window_, driver_, 5, &frames), IntroEnd::kFramesShown);
    EXPECT_EQ(frames, 5);
    EXPECT_EQ(display_.Presenter().FrameCount(), 5);
}

TEST_F(IntroLoopTest, AKeyPressEndsItAfterTheFrameShowing) {
    Post(WindowMessageType::kKeyDown);
    int32_t frames = 0;
    EXPECT_EQ(RunIntroLoop(*window_, driver_, 0, &frames), IntroEnd::kDismissed);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(display_.Presenter().FrameCount(), 1);
}

TEST_F(IntroLoopTest, AMouseClickEndsItButMovesAndReleasesDoNot) {
    Post(WindowMessageType::kKeyUp);
    Post(WindowMessageType::kMouseMove);
    Post(WindowMessageType::kMouseButtonUp);
    Post(WindowMessageType::kCharacter);
    int32_t frames = 0;
    EXPECT_EQ(RunIntroLoop(*window_, driver_, 3, &frames), IntroEnd::kFramesShown);
    EXPECT_EQ(frames, 3);

    Post(WindowMessageType::kMouseButtonDown);
    EXPECT_EQ(RunIntroLoop(*window_, driver_, 0, &frames), IntroEnd::kDismissed);
    EXPECT_EQ(frames, 1);
}

TEST_F(IntroLoopTest, ClosingTheWindowQuits) {
    Post(WindowMessageType::kClose);
    // A key after the close is not reached: the quit comes first.
    Post(WindowMessageType::kKeyDown);
    EXPECT_EQ(RunIntroLoop(*window_, driver_, 0, nullptr), IntroEnd::kQuit);
    EXPECT_TRUE(window_->QuitRequested());
    EXPECT_EQ(window_->ExitCode(), 0);
}

TEST_F(IntroLoopTest, TheWindowsOwnProcedureSeesOtherMessagesAndIsPutBack) {
    std::vector<WindowMessageType> seen;
    window_->SetProcedure([&seen](platform::Window&, const WindowMessage& message) {
        seen.push_back(message.type);
        return false;
    });
    Post(WindowMessageType::kActivate);
    Post(WindowMessageType::kKeyDown);
    EXPECT_EQ(RunIntroLoop(*window_, driver_, 0, nullptr), IntroEnd::kDismissed);
    EXPECT_EQ(seen, std::vector<WindowMessageType>{WindowMessageType::kActivate}) << "the key is the intro's";

    Post(WindowMessageType::kKeyDown);
    EXPECT_TRUE(window_->PumpMessages());
    EXPECT_EQ(seen.back(), WindowMessageType::kKeyDown);
}

}  // namespace

namespace {

// A headless flight's output but for the line that names the data folder,
// which differs from run to run.
std::vector<uint8_t> ReportBytes(const std::string& out) {
    std::string report;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Data directories found under ", 0) != 0) report += line + "\n";
    }
    return std::vector<uint8_t>(report.begin(), report.end());
}

// The sample mission flown without a window for half a minute, long
// enough for the raiders to come up from behind and meet the wingmen: the
// world and the goals listed first, the same lines for the same seed, and
// nothing left behind.
TEST_F(StartupTest, FliesTheSampleMissionTheSameWayForOneSeed) {
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
    LaunchOptions options = Options();
    options.mission = "sample.uli";
    options.seconds = 30;
    const auto fly = [&] {
        testing::internal::CaptureStdout();
        EXPECT_EQ(RunGame(options), 0);
        return testing::internal::GetCapturedStdout();
    };
    const std::string first = fly();
    const std::string second = fly();
    EXPECT_EQ(first, second);
    // Word for word the report the headless flight has always printed.
    EXPECT_TRUE(MatchesGoldenBytes(ReportBytes(first), "sample_report.txt"));
    EXPECT_NE(first.find("object 10 \"Home Gate\" side 0 at 0.0 0.0 6000.0"), std::string::npos);
    EXPECT_NE(first.find("\nkills "), std::string::npos);
    // The player's ship leads its wing; both wingmen fly in it. Each ship
    // is as big as its model's placement makes it, the capital ship most.
    EXPECT_NE(first.find("object 15 \"P101\" side 1 at 0.0 0.0 0.0 wing Alpha radius 14.1\n"), std::string::npos);
    EXPECT_NE(first.find("object 16 \"Alpha 2\" side 1 at -40.0 0.0 -30.0 wing Alpha radius 14.1\n"), std::string::npos);
    EXPECT_NE(first.find("object 16 \"Alpha 3\" side 1 at 40.0 0.0 -30.0 wing Alpha radius 14.1\n"), std::string::npos);
    EXPECT_NE(first.find("object 16 \"Bastion\" side 2 at -2500.0 -300.0 3500.0 wing Bastion radius 69.3\n"),
              std::string::npos);
    // The goals in the order of their ids, none decided by a ship that
    // never left its start; the flight goes on to its last second.
    EXPECT_NE(first.find("goal 1 1 \"Destroy Red 1\"\ngoal 2 5 \"Fly to Nav 1\"\ngoal 3 9 \"Jump through Home Gate\"\n"),
              std::string::npos);
    EXPECT_EQ(first.find("\ngoal 2 met\n"), std::string::npos);
    EXPECT_EQ(first.find("\nflight over after "), std::string::npos);
    EXPECT_NE(first.find("\noutcome open\n"), std::string::npos);
    ExpectNothingLeft();
    options.mission = "nowhere.uli";
    EXPECT_EQ(RunGame(options), 1);
}

// The committed script flown as `vorn --headless --mission sample.uli
// --script tests/scripts/sample-flight.txt`: the throttle up and nothing
// else, which takes the ship past Nav 1 and through the Home Gate ahead.
// The jump ends the flight, and the flight the run, long before the
// script's closing quit.
TEST_F(StartupTest, TheSampleFlightScriptFliesToNavOneAndJumpsOutThroughTheGate) {
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
    LaunchOptions options = Options();
    options.mission = "sample.uli";
    options.script = std::string(VORN_SOURCE_DIR) + "/tests/scripts/sample-flight.txt";
    options.seed = 3;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    const size_t nav = out.find("\ngoal 2 met\n");
    const size_t gate = out.find("\ngoal 3 met\n");
    ASSERT_NE(nav, std::string::npos) << out;
    ASSERT_NE(gate, std::string::npos) << out;
    EXPECT_LT(nav, gate);
    // Leaving through the gate decides the flight: the raider still flying
    // fails its goal, unless the wingmen got it first.
    EXPECT_TRUE(out.find("\noutcome won\n", gate) != std::string::npos ||
                out.find("\noutcome failed\n", gate) != std::string::npos)
        << out;
    EXPECT_NE(out.find("Main loop ended in mode 7\n"), std::string::npos) << out;
    EXPECT_TRUE(boxes_.Boxes().empty());
    ExpectNothingLeft();
}

// Escape in a flight named on the command line pauses it as a career's
// flight pauses: the pause panel, told by the lines a script waits on, and
// its Resume flies on.
TEST_F(StartupTest, EscapeInAMissionFlightShowsThePausePanel) {
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
    LaunchOptions options = Options();
    options.mission = "sample.uli";
    // Enter twice closes the tutorial's pop-ups over the panel; Resume is a click.
    dir_.WriteFile("pause.txt", "at 5 key Escape\nat 15 key Enter\nat 25 key Enter\nat 35 click 250 273\nat 50 quit\n");
    options.script = dir_.Str() + "/pause.txt";
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(InOrder(out, {"mode 6", "screen PAUSE", "mode 2", "Main loop ended by a quit message in mode 7"})) << out;
    ExpectNothingLeft();
}

// The sample mission flown from the command line without a window: the
// frame of pass 40 through the chase view, with the HUD over it, on the
// 16-bit software canvas and through the 3D kind, and
// another when the player holds Left from the first pass.
class MissionShotTest : public StartupTest {
protected:
    RgbImage FlyAndShoot(const std::string& name, const std::string& script = "") {
        LaunchOptions options = Options();
        options.mission = "sample.uli";
        options.seed = 1;
        if (!script.empty()) {
            dir_.WriteFile(name + ".txt", script);
            options.script = dir_.Str() + "/" + name + ".txt";
        }
        options.shots = {{40, dir_.Str() + "/" + name + ".png"}};
        testing::internal::CaptureStdout();
        EXPECT_EQ(RunGame(options), 0);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("Pass 40 shown in"), std::string::npos) << out;
        RgbImage shot;
        EXPECT_TRUE(ReadStoredPng(dir_.Str() + "/" + name + ".png", &shot));
        return shot;
    }
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
    }
};

TEST_F(MissionShotTest, PassFortyOnTheSoftwareCanvas) {
    EXPECT_TRUE(MatchesGolden(FlyAndShoot("first"), "mission40"));
    ExpectNothingLeft();
}

TEST_F(MissionShotTest, PassFortyThroughThe3dKind) {
    WriteConfig(kGraphicsDriverDirect3d, kPixelFormatRgb565);
    EXPECT_TRUE(MatchesGolden(FlyAndShoot("hardware"), "mission40_3d"));
    ExpectNothingLeft();
}

TEST_F(MissionShotTest, HoldingLeftFromTheFirstPassTurnsTheShip) {
    const RgbImage straight = FlyAndShoot("straight");
    const RgbImage turned = FlyAndShoot("turned", "# the stick held left\nat 1 press Left\n");
    ASSERT_EQ(straight.rgb.size(), turned.rgb.size());
    EXPECT_NE(straight.rgb, turned.rgb);
    EXPECT_TRUE(MatchesGolden(turned, "mission40_left"));
}

// The radar-mode key (V) turns the radar passive and the ECM key (C)
// switches the ECM on: the HUD lights both indicators, once each, although
// each key is held for several passes.
TEST_F(MissionShotTest, TheRadarModeAndEcmKeysLightTheirIndicators) {
    const RgbImage plain = FlyAndShoot("plain");
    const RgbImage lit = FlyAndShoot("lit", "at 5 press V\nat 9 release V\nat 12 press C\nat 16 release C\n");
    ASSERT_EQ(plain.rgb.size(), lit.rgb.size());
    EXPECT_NE(plain.rgb, lit.rgb);
    EXPECT_TRUE(MatchesGolden(lit, "mission40_radar_ecm"));
}

// Two wings of AI raiders fight it out: ships of each side shoot down
// ships of the other, and the trace tells it. The player's ship, idle on
// Blue's side, is shot down before the two minutes are up, and the flight
// ends six seconds later, as the game ends it, whatever its goals say.
TEST_F(StartupTest, TheSkirmishEndsInKillsAcrossTheSides) {
    // A start-up earlier in this process may have calibrated the timer, and
    // then the processor's counter, not the stepped clock, would time the
    // flight.
    TimerSystem::ResetForTesting();
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
    LaunchOptions options = Options();
    options.mission = "skirmish.uli";
    options.seconds = 120;
    options.seed = 1;
    options.trace = true;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGame(options), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    int crossKills = 0;
    for (size_t at = out.find("destroyed 16 \""); at != std::string::npos; at = out.find("destroyed 16 \"", at + 1)) {
        const std::string line = out.substr(at, out.find('\n', at) - at);
        const bool blueLost = line.find("destroyed 16 \"Blue") == 0, byRed = line.find("by 16 \"Red") != std::string::npos;
        const bool redLost = line.find("destroyed 16 \"Red") == 0, byBlue = line.find("by 16 \"Blue") != std::string::npos;
        crossKills += (blueLost && byRed) || (redLost && byBlue);
    }
    EXPECT_GE(crossKills, 2) << out.substr(0, 2000);
    EXPECT_NE(out.find(" attack target "), std::string::npos);
    EXPECT_NE(out.find("\nhit \""), std::string::npos);
    // A goal against each wing, each for the other side's player: the goal
    // of a wing that lost all four ships is met, the other's not. The
    // player's ship flies on Blue's side, whose goal is the Red wing: shot
    // down while that wing still flies, its pilot loses what was open, that
    // goal and the flight, at once.
    EXPECT_NE(out.find("goal 1 1 \"Destroy the Red wing\"\ngoal 2 1 \"Destroy the Blue wing\"\n"), std::string::npos);
    EXPECT_NE(out.find("object 15 \"P101\" side 1 "), std::string::npos);
    std::map<std::string, int> lost;
    for (size_t at = out.find("destroyed 16 \""); at != std::string::npos; at = out.find("destroyed 16 \"", at + 1)) {
        ++lost[out.substr(at + 13, out.find(' ', at + 13) - at - 13)];
    }
    for (const auto& [wing, goal] : {std::pair<std::string, std::string>{"\"Red", "goal 1 met"}, {"\"Blue", "goal 2 met"}}) {
        const bool wiped = lost[wing] == 4;
        EXPECT_EQ(out.find("\n" + goal + "\n") != std::string::npos, wiped) << wing << " lost " << lost[wing];
    }
    EXPECT_TRUE(lost["\"Red"] == 4 || lost["\"Blue"] == 4) << "neither wing was wiped out: no goal was tested";
    const size_t shotDown = out.find("\ndestroyed 15 \"P101\" by 16 \"Red");
    const size_t over = out.find("\nflight over after ");
    ASSERT_NE(shotDown, std::string::npos) << out.substr(out.size() - 500);
    ASSERT_NE(over, std::string::npos) << out.substr(out.size() - 500);
    EXPECT_LT(shotDown, over);
    EXPECT_LT(lost["\"Red"], 4);
    // Told in the frame of the death, after the hit that brought it.
    const size_t failed = out.find("\ngoal 1 failed\noutcome failed\n", out.rfind("\nhit \"P101\"", shotDown));
    EXPECT_LT(failed, over) << out.substr(out.size() - 500);
    EXPECT_NE(out.find("\noutcome failed\n", over), std::string::npos) << out.substr(out.size() - 500);
    EXPECT_EQ(out.find("\noutcome open\n"), std::string::npos) << out.substr(out.size() - 500);
    // The second the death came in, by the trace's last line before it.
    const size_t traced = out.rfind("s \"", shotDown);
    const size_t second = out.rfind('\n', traced) + 1;
    const int deathSecond = std::stoi(out.substr(second, traced - second));
    const int overMs = std::stoi(out.substr(over + 19));
    EXPECT_GE(overMs, deathSecond * 1000 + 6000);
    EXPECT_LE(overMs, (deathSecond + 1) * 1000 + 6050);
    // Word for word the report it prints.
    EXPECT_TRUE(MatchesGoldenBytes(ReportBytes(out), "skirmish_report.txt"));
    ExpectNothingLeft();
}

// The skirmish flown in frames of 10 ms and of 200 ms: at both every
// raider leaves its start point and both sides fire, a dozen seconds in.
TEST_F(StartupTest, TheSkirmishFightsAtShortAndLongFrames) {
    TimerSystem::ResetForTesting();   // the stepped clock times the flight, as above
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
    LaunchOptions options = Options();
    options.mission = "skirmish.uli";
    options.seconds = 12;
    options.seed = 7;
    options.trace = true;
    for (const int32_t step : {10, 200}) {
        options.step = step;
        testing::internal::CaptureStdout();
        EXPECT_EQ(RunGame(options), 0);
        std::istringstream out(testing::internal::GetCapturedStdout());
        struct Ship {
            float start[3] = {};
            float last[3] = {};
            int volleys = 0;
        };
        std::map<std::string, Ship> ships;
        for (std::string line; std::getline(out, line);) {
            char name[32] = {};
            float x, y, z;
            int type, side, hp, volleys;
            unsigned second;
            float speed;
            // A second's line: the name, the behaviour, the target (a name of
            // any words), then the numbers from " at " on.
            const size_t at = line.rfind(" at ");
            if (std::sscanf(line.c_str(), "object %d \"%31[^\"]\" side %d at %f %f %f", &type, name, &side, &x, &y, &z) == 6 &&
                type == 16) {
                ships[name] = Ship{{x, y, z}, {x, y, z}, 0};
            } else if (std::sscanf(line.c_str(), "%us \"%31[^\"]\"", &second, name) == 2 && at != std::string::npos &&
                       std::sscanf(line.c_str() + at, " at %f %f %f speed %f hp %d volleys %d", &x, &y, &z, &speed, &hp,
                                   &volleys) == 6 &&
                       ships.count(name) != 0) {
                Ship& ship = ships[name];
                ship.last[0] = x, ship.last[1] = y, ship.last[2] = z;
                ship.volleys = volleys;
            }
        }
        ASSERT_EQ(ships.size(), 8u) << step;
        int volleys[2] = {};
        for (const auto& [name, ship] : ships) {
            const float moved = std::hypot(ship.last[0] - ship.start[0], ship.last[1] - ship.start[1], ship.last[2] - ship.start[2]);
            EXPECT_GT(moved, 500.0f) << name << " at " << step << " ms";
            volleys[name.rfind("Blue", 0) == 0 ? 0 : 1] += ship.volleys;
        }
        EXPECT_GT(volleys[0], 0) << step;
        EXPECT_GT(volleys[1], 0) << step;
    }
    ExpectNothingLeft();
}

// A run of `vorn ARGS` in a window (SDL's, on a display that shows nothing)
// on a fresh sample tree, to its end or 60 seconds, playing `script` when it
// is not empty; its output, its status in `status`.
std::string RunInAWindow(std::vector<std::string> args, const std::string& script, int* status) {
    TempDir data, runtime;
    std::string error;
    EXPECT_TRUE(WriteSampleTree(data.Str(), &error)) << error;
    ScopedEnvironment locked(platform::InstanceLock::kFolderVariable, runtime.Str().c_str());
    ScopedEnvironment driver("SDL_VIDEODRIVER", "dummy");
    if (!script.empty()) {
        const std::string path = runtime.Str() + "/script.txt";
        std::ofstream(path) << script;
        args.insert(args.end(), {"--script", path});
    }
    args.insert(args.begin(), {VORN_BINARY, "--data", data.Str()});
    auto child = ChildProcess::Run(args);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto left = [&deadline] {
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    };
    std::string line;
    while (left() > 0 && child->ReadLine(&line, left())) {
    }
    *status = child->Wait(std::max(left(), 1000));
    return "\n" + child->Transcript();
}

// `vorn --frames N` in a window: the intro's frames, then the end, with no
// first screen before them and no game after them, though the sample tree
// has the menus' art. A run that waited on the first screen would never
// end by itself. Without --seed a window's dice come from the clock.
TEST(StartupWindowTest, FramesEndAWindowedRunAfterTheIntro) {
    int status = -1;
    const std::string out = RunInAWindow({"--frames", "3"}, "", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("\nMain window: Vorn Tessel, 640x480, windowed\n"), std::string::npos) << "not a window" << out;
    EXPECT_NE(out.find("\nIntro ended after 3 frames\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("\nMain loop ended"), std::string::npos) << out;
    EXPECT_NE(out.find("\nRandom generator seeded from the clock\n"), std::string::npos) << out;
}

// `vorn --seed 5` in a window throws the game's dice from 5, and the career
// flight a script launches there starts from 5 as it would without a window.
TEST(StartupWindowTest, AWindowsCareerFlightThrowsTheDiceFromTheSeedGiven) {
    int status = -1;
    const std::string out = RunInAWindow({"--seed", "5"}, std::string(kNewCareerToTheFlight) + "at 225 quit\n", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("\nMain window: Vorn Tessel, 640x480, windowed\n"), std::string::npos) << "not a window" << out;
    EXPECT_TRUE(InOrder(out, {"Random generator seeded with 5", "mode 2", "Main loop ended by a quit message in mode 7"}))
        << out;
    EXPECT_NE(out.find("\nFlight 1: dice seeded with 5\n"), std::string::npos) << out;
}

}  // namespace

TEST(StartupDisplayTest, OnlyThePageFlipBitOfTheDisplayForbidsMessageBoxes) {
    EXPECT_FALSE(DisplayForbidsMessageBoxes());
    DibDriver driver;
    g_display = &driver;
    driver.flags = DisplayDriver::kModeFullScreen | DisplayDriver::kModeSystemDrawing;
    EXPECT_FALSE(DisplayForbidsMessageBoxes());
    driver.flags |= DisplayDriver::kModePageFlip;
    EXPECT_TRUE(DisplayForbidsMessageBoxes());
    g_display = nullptr;
}
