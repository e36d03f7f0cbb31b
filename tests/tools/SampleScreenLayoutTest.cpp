// The sample tree's screens as a player meets them: no two hot spots of one
// screen overlap, no page embedded in the office computer's frame places
// anything under the frame's buttons, and every number box holds its widest
// value in the font the boxes draw with.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "display/FontContext.h"
#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/MenuScreen.h"
#include "display/Canvas.h"
#include "tests/support/GoldenImage.h"
#include "ui/BitmapButton.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"
#include "ui/UiControl.h"

namespace {

struct Spot {
    std::string map;
    int32_t index;   // in its map's records
    int32_t xMin, xMax, yMin, yMax;
};

bool Overlap(const Spot& a, const Spot& b) {
    return a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax;
}

std::string Describe(const Spot& s) {
    return s.map + " #" + std::to_string(s.index) + " at " + std::to_string(s.xMin) + "," + std::to_string(s.yMin);
}

// The hot spots (records with all four corners) of every map the file holds.
std::vector<Spot> SpotsOf(const std::string& screen) {
    std::vector<Spot> spots;
    const std::string path = g_dataDirs.Prefix(DataDir::kCel) + screen + ".iff";
    IffFile iff(0);
    const bool read = iff.OpenFile(path.c_str(), kOpenRead) == kStatusOk && iff.ValidateHeader() == kStatusOk;
    EXPECT_TRUE(read) << path << " cannot be read";
    InputEventMap map(nullptr);
    for (int32_t form = 0; read && map.Load(iff, nullptr) == 0; ++form) {
        int32_t index = 0;
        map.ForEachEvent([&](InputTrigger* t) {
            if (t->xMin >= 0 && t->xMax >= 0 && t->yMin >= 0 && t->yMax >= 0) {
                spots.push_back({screen + (form > 0 ? "/" + std::to_string(form) : ""), index, t->xMin, t->xMax, t->yMin, t->yMax});
            }
            ++index;
            return 1;
        });
    }
    iff.CloseFile();
    return spots;
}

// Fails for each two spots that overlap, unless one of them holds two others
// or more of its map: an area the screen sorts out itself (a list of rows,
// a table of cells).
void ExpectNoOverlaps(const std::vector<Spot>& spots) {
    const auto isArea = [&](const Spot& s) {
        int32_t held = 0;
        for (const Spot& o : spots) {
            held += &o != &s && o.map == s.map && o.xMin >= s.xMin && o.xMax <= s.xMax && o.yMin >= s.yMin && o.yMax <= s.yMax;
        }
        return held >= 2;
    };
    for (size_t i = 0; i < spots.size(); ++i) {
        for (size_t j = i + 1; j < spots.size(); ++j) {
            const Spot &a = spots[i], &b = spots[j];
            if (Overlap(a, b) && !(a.map == b.map && (isArea(a) || isArea(b)))) ADD_FAILURE() << Describe(a) << " and " << Describe(b);
        }
    }
}

// The pages the frame embeds.
constexpr ScreenSlot kEmbeddedPages[] = {
    ScreenSlot::kMissions,  ScreenSlot::kEmail,        ScreenSlot::kNews,    ScreenSlot::kLogs,
    ScreenSlot::kRepair,    ScreenSlot::kRequisition,  ScreenSlot::kOutfit,  ScreenSlot::kEncyclopedia,
    ScreenSlot::kOptions,   ScreenSlot::kSave,         ScreenSlot::kControls, ScreenSlot::kAssignment,
    ScreenSlot::kPersonnel, ScreenSlot::kKillBoard,    ScreenSlot::kVoice};

// The game's menus over the harness's sample tree.
class SampleScreenLayout : public testing::Test {
protected:
    SampleScreenLayout() { GameState::ClearScreenRegistry(); RegisterGameMenus(); }
    ~SampleScreenLayout() override { harness.Game().DeleteScreens(); GameState::ClearScreenRegistry(); }
    MenuScreen* Build(ScreenSlot slot) { return dynamic_cast<MenuScreen*>(harness.Game().BuildScreen(slot)); }
    ScreenHarness harness;
};

TEST_F(SampleScreenLayout, NoTwoHotSpotsOfAStandAloneScreenOverlap) {
    for (const char* screen : {"OFFICE", "WARROOM", "HALLWAY", "COMMON", "TROPHY", "HANGAR", "SALVAGE", "QUIT",
                               "PAUSE", "RESTART", "TUT", "HELP", "INIT", "netopt"}) {
        ExpectNoOverlaps(SpotsOf(screen));
    }
}

// A page embedded in the frame: its hot spots and the frame's overlap not,
// and what it places by code or art lies clear of the frame's buttons, which
// stay live beside it and would hide a list's rows and take their clicks. A
// control of no size (a face) counts as reaching the screen's far edges.
TEST_F(SampleScreenLayout, EmbeddedPagesKeepClearOfTheFrameButtons) {
    const std::vector<Spot> buttons = SpotsOf("FRAME");
    ASSERT_FALSE(buttons.empty());
    for (const ScreenSlot slot : kEmbeddedPages) {
        const std::string page = ScreenSlotName(slot);
        std::vector<Spot> spots = SpotsOf(page);
        spots.insert(spots.end(), buttons.begin(), buttons.end());
        ExpectNoOverlaps(spots);
        MenuScreen* const screen = Build(slot);
        EXPECT_NE(screen, nullptr) << page << " is no menu page";
        if (screen == nullptr) continue;
        std::vector<Spot> placed;
        const auto place = [&](const std::string& what, int32_t x, int32_t y, int32_t width, int32_t height) {
            const bool sized = width > 0 && height > 0;
            placed.push_back({what, int32_t(placed.size()), x, sized ? x + width - 1 : 639, y, sized ? y + height - 1 : 479});
        };
        for (const ArtObject* const panel : screen->artObjects) {
            const std::string where = page + " " + panel->Name() + " ";
            for (const UiControl* const c : panel->controls) place(where + c->Name(), c->RegionLeft(), c->RegionTop(), c->width, c->height);
            for (const SpriteDef* const s : panel->spriteDefs) place(where + s->uniqueName, int32_t(s->x), int32_t(s->y), 0, 0);
        }
        EXPECT_FALSE(placed.empty()) << page << " places nothing to look at";
        for (const Spot& area : placed) {
            for (const Spot& button : buttons) {
                if (Overlap(area, button)) ADD_FAILURE() << Describe(area) << " under the frame's " << Describe(button);
            }
        }
    }
}

// Every page embedded in the frame keeps what answers the pointer (its map's
// hot spots) and what it draws in its first passes (lists filled, pictures
// of the career's first ship and items shown) inside the frame's work area:
// the canvas outside it keeps the colour the frame's background would show.
TEST_F(SampleScreenLayout, EmbeddedPagesKeepInsideTheWorkArea) {
    constexpr int32_t kPasses = 12;
    for (const ScreenSlot slot : kEmbeddedPages) {
        const std::string page = ScreenSlotName(slot);
        for (const Spot& spot : SpotsOf(page)) {
            if (spot.xMin < FrameScreen::kWorkLeft || spot.yMin < FrameScreen::kWorkTop ||
                spot.xMax > FrameScreen::kWorkRight || spot.yMax > FrameScreen::kWorkBottom) {
                ADD_FAILURE() << Describe(spot) << " to " << spot.xMax << "," << spot.yMax << " leaves the work area";
            }
        }
        MenuScreen* const screen = Build(slot);
        ASSERT_NE(screen, nullptr) << page;
        harness.Game().tutorialsEnabled = 0;
        harness.ClearBetweenPasses(true);
        harness.TheCanvas().Clear(0, 0xFFFFFFFFu);
        const RgbImage clear = CanvasToRgb(harness.TheCanvas());
        harness.SetPassLimit(harness.Passes() + kPasses);
        harness.CaptureAfterPass(harness.Passes() + kPasses - 1);
        const int32_t last = harness.Passes() + kPasses - 1;
        harness.Run(*screen);
        const RgbImage& drawn = harness.Picture(last);
        ASSERT_EQ(drawn.rgb.size(), clear.rgb.size()) << page;
        int32_t outside = 0, firstX = -1, firstY = -1;
        for (int32_t y = 0; y < drawn.height; ++y) {
            for (int32_t x = 0; x < drawn.width; ++x) {
                if (x >= FrameScreen::kWorkLeft && x <= FrameScreen::kWorkRight && y >= FrameScreen::kWorkTop &&
                    y <= FrameScreen::kWorkBottom) {
                    continue;
                }
                const size_t at = 3 * size_t(y * drawn.width + x);
                if (drawn.rgb[at] == clear.rgb[at] && drawn.rgb[at + 1] == clear.rgb[at + 1] && drawn.rgb[at + 2] == clear.rgb[at + 2]) continue;
                if (outside++ == 0) firstX = x, firstY = y;
            }
        }
        EXPECT_EQ(outside, 0) << page << " draws outside the work area, first at " << firstX << "," << firstY;
    }
}

// Every screen that shows the help pop-up, as a player with tutorials on
// meets it on opening: the pop-up's buttons lie on none of the screen's hot
// spots (nor of the frame's, for a page it embeds), and the picture of the
// screen under its pop-up is as looked at.
TEST_F(SampleScreenLayout, TheHelpPopUpCoversNoControlOfAnyScreen) {
    const std::vector<Spot> frameButtons = SpotsOf("FRAME");
    harness.Game().BuildScreen(ScreenSlot::kTutorial);
    auto* const tutorial = dynamic_cast<TutorialScreen*>(harness.Game().ScreenIn(ScreenSlot::kTutorial));
    ASSERT_NE(tutorial, nullptr);
    // The voice page is the one page without help of its own.
    std::vector<ScreenSlot> hosts;
    for (const ScreenSlot slot : kEmbeddedPages) {
        if (slot != ScreenSlot::kVoice) hosts.push_back(slot);
    }
    for (const ScreenSlot slot : {ScreenSlot::kQuit, ScreenSlot::kPause, ScreenSlot::kRestart, ScreenSlot::kOffice,
                                  ScreenSlot::kHallway, ScreenSlot::kWarRoom, ScreenSlot::kCommonRoom, ScreenSlot::kTrophy,
                                  ScreenSlot::kSalvage, ScreenSlot::kFrame}) {
        hosts.push_back(slot);
    }
    for (const ScreenSlot slot : hosts) {
        const std::string page = ScreenSlotName(slot);
        SCOPED_TRACE(page);
        const bool embedded = std::find(std::begin(kEmbeddedPages), std::end(kEmbeddedPages), slot) != std::end(kEmbeddedPages);
        Screen* const screen = harness.Game().BuildScreen(slot);
        ASSERT_NE(screen, nullptr);
        harness.Game().tutorialsEnabled = 1;
        tutorial->introductionPending = 0;
        // The picture: the screen's first passes with the pop-up over it.
        constexpr int32_t kSettled = 8;
        harness.ClearBetweenPasses(embedded);
        harness.TheCanvas().Clear(0, 0xFFFFFFFFu);
        const int32_t last = harness.Passes() + kSettled;
        harness.SetPassLimit(last);
        harness.CaptureAfterPass(last);
        harness.Run(*screen);
        EXPECT_TRUE(MatchesPngGolden(harness.Picture(last), "popup_" + page));
        tutorial->Close();
        screen->tutorialActive = 0;

        // Where the pop-up lies as the screen opens.
        harness.Game().currentScreen = screen;
        screen->Open();
        EXPECT_EQ(screen->tutorialActive, 1) << "no pop-up on opening";
        if (screen->tutorialActive == 0) {
            screen->Close();
            continue;
        }
        std::vector<Spot> beneath = SpotsOf(page);
        if (embedded) beneath.insert(beneath.end(), frameButtons.begin(), frameButtons.end());
        int32_t buttons = 0;
        for (const SpriteInstance* const s : tutorial->panel->spriteInstances) {
            const Spot button{"pop-up " + s->control->Name(), 0, s->x, s->x + s->control->width - 1, s->y,
                              s->y + s->control->height - 1};
            ++buttons;
            EXPECT_GE(button.yMin, tutorial->BackdropTop());
            EXPECT_LE(button.yMax, tutorial->BackdropBottom());
            for (const Spot& spot : beneath) {
                if (Overlap(button, spot)) ADD_FAILURE() << Describe(button) << " over " << Describe(spot);
            }
        }
        EXPECT_EQ(buttons, 4);
        // The backdrop hides no pixel of the frame's column of menu buttons.
        const Spot backdrop{"pop-up backdrop", 0, TutorialScreen::kBackdropLeft, TutorialScreen::kBackdropRight,
                            tutorial->BackdropTop(), tutorial->BackdropBottom()};
        for (const Spot& spot : frameButtons) {
            if (Overlap(backdrop, spot) && spot.xMax < TutorialScreen::kBackdropLeft + 20) {
                ADD_FAILURE() << Describe(backdrop) << " over " << Describe(spot);
            }
        }
        tutorial->Close();
        screen->tutorialActive = 0;
        screen->Close();
    }
}

// The pages' number boxes, in the sample font of the text boxes, show their
// widest values whole on one line (a box too narrow wraps the last digits
// away: 20000 credits as "2000"): credits below ten million, counts below a
// thousand, accuracy in per cent.
TEST_F(SampleScreenLayout, NumberBoxesHoldTheirWidestValues) {
    ASSERT_EQ(SelectFont(TextBox::kFontName), kStatusOk);
    const struct {
        ScreenSlot slot;
        const char *box, *widest;
    } boxes[] = {
        {ScreenSlot::kRequisition, "Funds", "9999999"},  {ScreenSlot::kRequisition, "Total", "9999999"},
        {ScreenSlot::kRepair, "Funds", "9999999"},       {ScreenSlot::kRepair, "Total", "9999999"},
        {ScreenSlot::kPersonnel, "PilotKills", "999"},   {ScreenSlot::kPersonnel, "PilotMissions", "999"},
        {ScreenSlot::kPersonnel, "PilotAccuracy", "100"}, {ScreenSlot::kKillBoard, "PilotKills", "999"},
        {ScreenSlot::kKillBoard, "PilotMissions", "999"}, {ScreenSlot::kKillBoard, "PilotAccuracy", "100"},
        {ScreenSlot::kKillBoard, "PilotKills0", "999"},  {ScreenSlot::kKillBoard, "PilotKills5", "999"},
    };
    for (const auto& number : boxes) {
        SCOPED_TRACE(std::string(ScreenSlotName(number.slot)) + " " + number.box);
        MenuScreen* const screen = Build(number.slot);
        ASSERT_NE(screen, nullptr);
        TextBox* box = nullptr;
        for (ArtObject* const panel : screen->artObjects) box = box != nullptr ? box : FindControlAs<TextBox>(panel, number.box);
        ASSERT_NE(box, nullptr);
        box->SetText(number.widest);
        EXPECT_EQ(box->GetLineCount(), 1);
        EXPECT_STREQ(box->GetItem(0), number.widest);
    }
}

}  // namespace
