#include "ui/Screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/Canvas.h"
#include "display/PixelFormat.h"
#include "engine/IffFile.h"
#include "engine/input/InputSystem.h"
#include "game/DataDirectories.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "sound/SoundObject.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/HotspotFocus.h"
#include "ui/ListBox.h"
#include "ui/TimedAnimation.h"
#include "ui/UiSounds.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

constexpr uint32_t kEnter = 0x1C;
constexpr uint32_t kSpace = 0x39;

InputTrigger Key(uint32_t key) {
    InputTrigger trigger;
    trigger.keys[0] = uint16_t(key);
    return trigger;
}

InputTrigger Spot(int16_t left, int16_t right, int16_t top, int16_t bottom, int16_t disabled = -1) {
    InputTrigger trigger;
    trigger.xMin = left;
    trigger.xMax = right;
    trigger.yMin = top;
    trigger.yMax = bottom;
    trigger.motionX = disabled;
    return trigger;
}

// What a test screen did, pass by pass.
class TestScreen : public Screen {
public:
    explicit TestScreen(const char* screenName = "TESTSCR") : Screen(screenName) {}

    void Open() override {
        log.push_back("open");
        Screen::Open();
    }
    void Close() override {
        log.push_back("close");
        Screen::Close();
    }
    int32_t Draw() override {
        ++draws;
        // The marker left by the pass before survives unless the background
        // was blitted over it.
        if (markBackground) {
            const uint16_t* const corner = reinterpret_cast<const uint16_t*>(g_gameCanvas->Row(0));
            if (corner[0] != kMarker) backgroundPasses.push_back(draws);
            const_cast<uint16_t*>(corner)[0] = kMarker;
        }
        dirtyAtDraw.push_back(dirty);
        log.push_back("draw");
        return Screen::Draw();
    }
    void Update() override { ++updates; }
    int32_t HandleEvent(uint16_t code) override {
        handled.push_back({draws, code, edgeEvents.TestEvent(code)});
        return draws == endOnPass ? 0 : 1;
    }

    struct Handled {
        int32_t pass;
        uint16_t code;
        bool edge;
        bool operator==(const Handled&) const = default;
    };
    static constexpr uint16_t kMarker = 0x1234;

    std::vector<std::string> log;
    std::vector<Handled> handled;
    std::vector<int32_t> backgroundPasses;
    std::vector<int32_t> dirtyAtDraw;
    int32_t draws = 0;
    int32_t updates = 0;
    int32_t endOnPass = -1;
    bool markBackground = false;
};

// A 24-bit background picture: a gradient with a magenta patch at
// (20..59, 10..29) and the given pixel at (1, 0).
Bytes Background(uint16_t width, uint16_t height, const uint8_t* extra = nullptr) {
    ChunkBuilder b;
    Bytes header(16, 0);
    header[0] = 1;
    header[2] = uint8_t(width);
    header[3] = uint8_t(width >> 8);
    header[4] = uint8_t(height);
    header[5] = uint8_t(height >> 8);
    header[6] = 3;   // bytes per pixel
    header[7] = 1;   // raw
    Bytes body;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool key = x >= 20 && x < 60 && y >= 10 && y < 30;
            uint8_t rgb[3] = {uint8_t(x * 255 / width), uint8_t(y * 255 / height), uint8_t(96 + (x ^ y) % 64)};
            if (key) rgb[0] = 255, rgb[1] = 0, rgb[2] = 255;
            if (extra != nullptr && x == 1 && y == 0) rgb[0] = extra[0], rgb[1] = extra[1], rgb[2] = extra[2];
            body.insert(body.end(), rgb, rgb + 3);
        }
    }
    return b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", body)});
}

// Reads the background from an art form "OPTI" holding a "PALT" chunk and
// the background form.
void LoadArt(Screen& screen, const Bytes& picture) {
    ChunkBuilder b;
    const Bytes art = b.Form("OPTI", {b.Chunk("PALT", "roompal"), b.Form("BKGD", {picture})});
    MemoryStream stream(art);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.FindForm(MakeTag("BKGD")), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    screen.LoadBackground(iff);
}

// An 8-bit cel of one colour with a clear border, at (x, y).
Bitmap* Cel(int16_t x, int16_t y, uint16_t side, uint8_t colour) {
    auto* const cel = new Bitmap;
    EXPECT_EQ(cel->Create(side, side, Bitmap::kDepth8Bit, true), kStatusOk);
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            const bool edge = row == 0 || column == 0 || row == side - 1 || column == side - 1;
            cel->pixels[row * side + column] = edge ? 255 : uint8_t(colour + row / 4);
        }
    }
    cel->x = x;
    cel->y = y;
    cel->Unlock();
    return cel;
}

TimedAnimation* Animation(const char* name, int32_t frames, int32_t delay, int32_t mode, int16_t x, int16_t y) {
    auto* const animation = new TimedAnimation(name, nullptr, nullptr, delay, mode);
    static constexpr uint8_t kColours[] = {250, 128, 60, 190};
    for (int32_t f = 0; f < frames; ++f) animation->AddFrame(Cel(x, y, 24, kColours[f % 4]));
    animation->LockFrames();
    return animation;
}

RgbImage Crop(const RgbImage& image, int32_t width, int32_t height) {
    RgbImage out;
    out.width = width;
    out.height = height;
    for (int32_t y = 0; y < height; ++y) {
        const auto row = image.rgb.begin() + 3 * (size_t(y) * size_t(image.width));
        out.rgb.insert(out.rgb.end(), row, row + 3 * width);
    }
    return out;
}

// The screen's loop: the background goes on the first two passes only (both
// buffers of a flipped display), the first flip keeps dirty, an idle pass
// shows nothing, and a quit ends the run through Close.
TEST(ScreenRunTest, RepaintsTwiceThenIdlesAndQuitsThroughClose) {
    ScreenHarness harness;
    ASSERT_TRUE(harness.SetScript("at 5 quit\n"));
    TestScreen screen;
    LoadArt(screen, Background(64, 48));
    screen.markBackground = true;
    harness.Game().nextScreen = nullptr;
    harness.Run(screen);
    EXPECT_EQ(screen.backgroundPasses, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(harness.FlippedPasses(), (std::vector<int32_t>{1, 2}));
    ASSERT_GE(screen.dirtyAtDraw.size(), 3u);
    EXPECT_EQ(screen.dirtyAtDraw[1], 1);   // kept by the first flip
    EXPECT_EQ(screen.dirtyAtDraw[2], 0);
    EXPECT_EQ(screen.log.back(), "close");
    EXPECT_EQ(harness.Game().currentScreen, nullptr);
}

// A tutorial pop-up over the screen: the screen's events wait, its cursor
// and update go on, and once the pop-up closes the background comes back
// on two passes.
class PopUp : public Screen {
public:
    PopUp() : Screen("TUT") {}
    int32_t Draw() override { return --drawsLeft > 0 ? 1 : 0; }
    void Close() override { ++closes; }
    static inline int32_t drawsLeft = 0;
    static inline int32_t closes = 0;
};

TEST(ScreenRunTest, TutorialSuspendsDispatchAndRepaintsTwiceAfterItCloses) {
    ScreenHarness harness;
    harness.WriteEventMap("TESTSCR", "testscr", {{9, Key(kEnter)}});
    GameState::ScreenFactory factory;
    factory.create = [](GameState&) -> Screen* { return new PopUp; };
    factory.destroy = [](Screen* screen) { delete screen; };
    GameState::ClearScreenRegistry();
    ASSERT_TRUE(GameState::RegisterScreen("TUT", factory));
    harness.Game().LoadPlaceScreens(GameState::kFirstPlace);
    GameState::ClearScreenRegistry();
    PopUp::drawsLeft = 3;
    PopUp::closes = 0;

    ASSERT_TRUE(harness.SetScript("at 3 press Enter\nat 9 quit\n"));
    TestScreen screen;
    LoadArt(screen, Background(64, 48));
    screen.markBackground = true;
    screen.tutorialActive = 1;
    harness.Run(screen);
    // The pop-up draws on passes 1 to 3 and closes on the third.
    EXPECT_EQ(PopUp::closes, 1);
    EXPECT_EQ(screen.backgroundPasses, (std::vector<int32_t>{1, 2, 4, 5}));
    EXPECT_EQ(screen.updates, screen.draws);
    // Enter, held from pass 3, reaches the handler only once the pop-up is gone.
    ASSERT_FALSE(screen.handled.empty());
    EXPECT_EQ(screen.handled.front(), (TestScreen::Handled{4, EventKey(9), true}));
}

// Under an active session the host runs the world once a pass and a client
// does not; a continuously redrawn screen shows every pass and sleeps 20 ms
// after each (the stepped clock moves on).
TEST(ScreenRunTest, HostSimulatesEachPassAndContinuousRedrawSleeps) {
    for (const bool host : {true, false}) {
        ScreenHarness harness;
        static int32_t simulated;
        simulated = 0;
        harness.Game().SetSimulateHook(GameState::kWorldPass, [](GameState&) { ++simulated; });
        RecordingNetSession session(host);
        harness.Game().netSession = &session;
        ASSERT_TRUE(harness.SetScript("at 4 quit\n"));
        TestScreen screen;
        screen.continuousRedraw = 1;
        harness.Run(screen);
        harness.Game().netSession = nullptr;
        EXPECT_EQ(simulated, host ? 3 : 0);
        EXPECT_EQ(harness.FlippedPasses(), (std::vector<int32_t>{1, 2, 3}));
        EXPECT_EQ(harness.Clock().Sleeps(), (std::vector<uint32_t>{20, 20, 20}));
    }
}

// A handler that ends the screen on the first pass: Open, one Draw, Close,
// and the next screen is current.
TEST(ScreenRunTest, HandlerEndingThePassEndsTheRun) {
    ScreenHarness harness;
    harness.WriteEventMap("TESTSCR", "testscr", {{9, Key(kEnter)}});
    ASSERT_TRUE(harness.SetScript("at 1 key Enter\n"));
    TestScreen screen;
    TestScreen next("NEXT");
    screen.endOnPass = 1;
    harness.Game().nextScreen = &next;
    harness.Run(screen);
    EXPECT_EQ(screen.log, (std::vector<std::string>{"open", "draw", "close"}));
    EXPECT_EQ(harness.Game().currentScreen, &next);
}

// A tapped key is one new event; a held key is dispatched every pass and
// new only on the first; event 9 arrives as 0x0102. The map's header name
// is the part of the NAME after its backslash, in lower case.
TEST(ScreenRunTest, HeldKeysRepeatAndTappedKeysAreNewOnce) {
    ScreenHarness harness;
    harness.WriteEventMap("rooms\\Panel", "panel", {{9, Key(kEnter)}, {300, Key(kSpace)}});
    ASSERT_TRUE(harness.SetScript("at 2 key Enter\nat 2 press Space\nat 4 release Space\nat 7 quit\n"));
    TestScreen screen("rooms\\Panel");
    harness.Run(screen);
    const uint16_t space = EventKey(300);
    EXPECT_EQ(EventKey(9), 0x0102);
    EXPECT_EQ(screen.handled, (std::vector<TestScreen::Handled>{
                                  {2, 0x0102, true}, {2, space, true}, {3, space, false}, {4, space, false}}));
}

// Magenta becomes the colour key of the display's format, and the other
// pixels pack their channels right in both.
TEST(ScreenBackgroundTest, ConvertsTwentyFourBitArtToTheDisplayFormat) {
    const uint8_t probe[3] = {0xF8, 0x84, 0x18};
    struct Case {
        int32_t format;
        uint16_t key;
        uint16_t probe;
    };
    for (const Case& c : {Case{kPixelFormatRgb565, 0xF81F, uint16_t(0x1F << 11 | 0x21 << 5 | 0x03)},
                          Case{kPixelFormatRgb555, 0x7C1F, uint16_t(0x1F << 10 | 0x10 << 5 | 0x03)}}) {
        ScreenHarness harness(c.format);
        TestScreen screen;
        LoadArt(screen, Background(64, 48, probe));
        ASSERT_NE(screen.background, nullptr);
        const auto pixel = [&](int x, int y) {
            const uint8_t* const p = screen.background->pixels + 2 * (y * 64 + x);
            return uint16_t(p[0] | p[1] << 8);
        };
        EXPECT_EQ(pixel(20, 10), c.key);
        EXPECT_EQ(pixel(1, 0), c.probe);
    }
}

// Art of another depth gives no background, and nothing is blitted.
TEST(ScreenBackgroundTest, OtherDepthsGiveNoBackground) {
    ScreenHarness harness;
    ChunkBuilder b;
    Bytes header(16, 0);
    header[0] = 1;
    header[2] = 4;
    header[4] = 4;
    header[6] = 1;
    header[7] = 1;
    TestScreen screen;
    LoadArt(screen, b.Form("XFEB", {b.Chunk("HDR ", header), b.Chunk("BODY", Bytes(16, 7))}));
    EXPECT_EQ(screen.background, nullptr);
    EXPECT_EQ(screen.backgroundPixels.pixels, nullptr);
}

// The test room: its background with the key patch, a hot-spot animation
// (mode 2) triggered on pass 1 and a looping one (mode 3), after passes 1
// and 5.
TEST(ScreenBackgroundTest, TestRoomPictures) {
    for (const int32_t format : {kPixelFormatRgb565, kPixelFormatRgb555}) {
        ScreenHarness harness(format);
        harness.TheCanvas().Lock();
        harness.TheCanvas().Clear(0, 0);
        harness.TheCanvas().Unlock();
        harness.SetPassLimit(5);
        harness.CaptureAfterPass(1);
        harness.CaptureAfterPass(5);
        TestScreen screen;
        LoadArt(screen, Background(160, 120));
        TimedAnimation* const door = Animation("Door", 3, 60, TimedAnimation::kModeHotspot, 80, 40);
        door->SetFrame(2);
        door->triggered = 1;
        screen.roomAnimations.Append(door);
        screen.roomAnimations.Append(Animation("Light", 4, 40, TimedAnimation::kModeLoop, 10, 70));
        harness.Run(screen);
        const std::string suffix = format == kPixelFormatRgb565 ? "565" : "555";
        EXPECT_TRUE(MatchesGolden(Crop(harness.Picture(1), 160, 120), "screen_room1_" + suffix));
        EXPECT_TRUE(MatchesGolden(Crop(harness.Picture(5), 160, 120), "screen_room5_" + suffix));
    }
}

// Keyboard focus: forward from 0 lands 5 pixels inside hot spot 0's
// lower-left corner; a record without corners is passed over; a disabled one
// wraps to the first in the same step; backward from the first wraps to the
// last usable one.
TEST(ScreenFocusTest, WalksForwardAndBackwardWrappingAtTheDisabledSpot) {
    ScreenHarness harness;
    harness.WriteEventMap("TESTSCR", "testscr",
             {{0, Spot(10, 50, 20, 40)}, {1, Key(kEnter)}, {2, Spot(100, 140, 60, 90)}, {3, Spot(0, 0, 0, 0, 100)},
              {4, Spot(200, 240, 60, 90)}});
    TestScreen screen;
    harness.Game().currentScreen = &screen;
    screen.Open();
    InputSystem& input = *harness.Game().Input();
    const auto pointer = [&] {
        uint16_t x = 0, y = 0;
        input.GetMousePosition(&x, &y);
        return std::pair<int, int>(x, y);
    };
    screen.FocusNextHotspot();
    EXPECT_EQ(pointer(), (std::pair<int, int>(15, 35)));
    EXPECT_EQ(g_hotspotFocus, 1);
    screen.FocusNextHotspot();
    EXPECT_EQ(pointer(), (std::pair<int, int>(105, 85)));
    screen.FocusNextHotspot();
    EXPECT_EQ(pointer(), (std::pair<int, int>(15, 35)));
    EXPECT_EQ(g_hotspotFocus, 1);
    screen.FocusPreviousHotspot();
    EXPECT_EQ(pointer(), (std::pair<int, int>(105, 85)));
    EXPECT_EQ(g_hotspotFocus, 3);
    screen.FocusPreviousHotspot();
    EXPECT_EQ(pointer(), (std::pair<int, int>(15, 35)));
    harness.Game().currentScreen = nullptr;
}

// A list's line keys move the pointer a line at a time and never out of the list.
TEST(ScreenFocusTest, LineKeysStayInsideTheList) {
    ScreenHarness harness;
    harness.WriteEventMap("TESTSCR", "testscr", {{0, Spot(10, 50, 20, 40)}});
    TestScreen screen;
    harness.Game().currentScreen = &screen;
    screen.Open();
    const FrameRect corner = FrameRect::Init(10, 20, 255);
    ListBox list(40, 20, corner, corner, corner, 255, 0, "list");
    InputSystem& input = *harness.Game().Input();
    const auto pointerY = [&] {
        uint16_t x = 0, y = 0;
        input.GetMousePosition(&x, &y);
        EXPECT_EQ(x, 15);
        return int(y);
    };
    screen.FocusNextHotspot();
    ASSERT_EQ(pointerY(), 35);
    screen.FocusLineUp(list);
    const int up = pointerY();
    EXPECT_LT(up, 35);
    EXPECT_GT(up, 20);
    for (int i = 0; i < 40; ++i) screen.FocusLineUp(list);
    EXPECT_GT(pointerY(), 20);
    for (int i = 0; i < 40; ++i) screen.FocusLineDown(list);
    EXPECT_GT(pointerY(), up);
    EXPECT_LT(pointerY(), 40);
    harness.Game().currentScreen = nullptr;
}

// The window's origin moves set corners only.
TEST(ScreenFocusTest, OriginOffsetLeavesUnsetCorners) {
    ScreenHarness harness;
    harness.WriteEventMap("TESTSCR", "testscr", {{0, Spot(10, -1, 20, 40)}});
    g_windowOriginX = 7;
    g_windowOriginY = 3;
    TestScreen screen;
    g_windowOriginX = 0;
    g_windowOriginY = 0;
    ASSERT_EQ(screen.eventMap->TriggerCount(), 1u);
    const InputTrigger& spot = screen.eventMap->Triggers()[0];
    EXPECT_EQ(spot.xMin, 17);
    EXPECT_EQ(spot.xMax, -1);
    EXPECT_EQ(spot.yMin, 23);
    EXPECT_EQ(spot.yMax, 43);
}

// The sound table outlives the screens: one screen going leaves the other
// playing, and an index outside the table plays nothing.
TEST(ScreenSoundsTest, TableOutlivesScreensAndRefusesBadIndices) {
    ScreenHarness harness;
    auto* const first = new TestScreen;
    TestScreen second;
    delete first;
    ASSERT_EQ(g_uiSounds.Count(), kUiSoundCount);
    PlayUiSound(kUiSoundOpenScreen, kUiScreenSoundLevel, 0);
    PlayUiSound(-1, 0, 1);
    PlayUiSound(kUiSoundCount, 0, 1);
    ASSERT_EQ(harness.Sounds().events.size(), 1u);
    EXPECT_EQ(harness.Sounds().events[0].samples, g_uiSounds[kUiSoundOpenScreen]->samples.get());
}

// One ambient animation: both picks are that one, never past the list.
TEST(ScreenAnimationTest, RandomizeKeepsPicksInsideTheList) {
    ScreenHarness harness;
    TestScreen screen;
    screen.Randomize();
    EXPECT_EQ(screen.ambientPick[0], -1);
    screen.ambientAnimations.Append(Animation("Amb", 2, 100, TimedAnimation::kModeLoop, 0, 0));
    for (uint32_t now : {0u, 17u, 12345u}) {
        harness.Clock().SetMilliseconds(now);
        screen.Randomize();
        EXPECT_EQ(screen.ambientPick[0], 0);
        EXPECT_EQ(screen.ambientPick[1], 0);
    }
}

// The room modes over the fake clock, each step 50 ms against a 40 ms delay.
TEST(ScreenAnimationTest, RoomModesStepByTheirRules) {
    ScreenHarness harness;
    TestScreen screen;
    harness.Game().currentScreen = &screen;
    struct Case {
        int32_t mode;
        int32_t startFrame;
        bool trigger;
        std::vector<int32_t> frames;   // after each of four updates, 50 ms apart
    };
    const Case cases[] = {
        {TimedAnimation::kModeForward, 0, false, {0, 1, 2, 2}},
        {TimedAnimation::kModeHotspot, 2, false, {2, 1, 0, 0}},
        {TimedAnimation::kModeHotspot, 1, true, {1, 0, 0, 0}},
        {TimedAnimation::kModeLoop, 1, false, {1, 2, 0, 1}},
        {TimedAnimation::kModeSwing, 2, true, {0, 0, 0, 0}},
        {TimedAnimation::kModeSwing, 2, false, {2, 1, 0, 0}},
        {99, 1, false, {1, 1, 1, 1}},   // no mode of the screen's: left alone
    };
    for (const Case& c : cases) {
        TimedAnimation* const animation = Animation("Room", 3, 40, c.mode, 0, 0);
        animation->SetFrame(c.startFrame);
        animation->MarkStep();
        animation->triggered = c.trigger ? 1 : 0;
        screen.roomAnimations.Append(animation);
        std::vector<int32_t> frames;
        for (int i = 0; i < 4; ++i) {
            screen.UpdateAnimations();
            frames.push_back(animation->currentFrame);
            harness.Clock().Advance(50);
        }
        EXPECT_EQ(frames, c.frames) << "mode " << c.mode;
        EXPECT_EQ(animation->triggered, 0u);
        screen.roomAnimations.RemoveAt(0);
        delete animation;
    }
    harness.Game().currentScreen = nullptr;
}

}  // namespace
