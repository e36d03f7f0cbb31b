// The sample tree's screens as a player meets them: no two hot spots of one
// screen overlap (a page embedded in the office computer's frame shares the
// screen with the frame's buttons), no embedded page places anything under
// the frame's buttons, and every number box holds its widest value in the
// font the boxes draw with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/FontContext.h"
#include "engine/IffFile.h"
#include "engine/input/InputEventMap.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/ScreenSlots.h"
#include "screens/GameMenus.h"
#include "tests/support/SampleDataSuite.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/ArtObject.h"
#include "ui/MenuScreen.h"
#include "ui/TextBox.h"
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

bool Inside(const Spot& inner, const Spot& outer) {
    return inner.xMin >= outer.xMin && inner.xMax <= outer.xMax && inner.yMin >= outer.yMin &&
           inner.yMax <= outer.yMax;
}

std::string Describe(const Spot& spot) {
    return spot.map + " #" + std::to_string(spot.index) + " (" + std::to_string(spot.xMin) + "," +
           std::to_string(spot.yMin) + ")-(" + std::to_string(spot.xMax) + "," + std::to_string(spot.yMax) + ")";
}

// The hot spots (records with all four corners) of every map the file holds.
std::vector<Spot> SpotsOf(const std::string& screen) {
    std::vector<Spot> spots;
    const std::string path = g_dataDirs.Prefix(DataDir::kCel) + screen + ".iff";
    IffFile iff(0);
    if (iff.OpenFile(path.c_str(), kOpenRead) != kStatusOk || iff.ValidateHeader() != kStatusOk) {
        ADD_FAILURE() << path << " cannot be read";
        return spots;
    }
    InputEventMap map(nullptr);
    for (int32_t form = 0; map.Load(iff, nullptr) == 0; ++form) {
        int32_t index = 0;
        map.ForEachEvent([&](InputTrigger* trigger) {
            if (trigger->xMin >= 0 && trigger->xMax >= 0 && trigger->yMin >= 0 && trigger->yMax >= 0) {
                spots.push_back({screen + (form > 0 ? "/" + std::to_string(form) : ""), index, trigger->xMin,
                                 trigger->xMax, trigger->yMin, trigger->yMax});
            }
            ++index;
            return 1;
        });
    }
    iff.CloseFile();
    return spots;
}

// A spot of one map that holds two others or more of it is an area the
// screen sorts out itself (a list of rows, a table of cells).
bool IsArea(const Spot& spot, const std::vector<Spot>& spots) {
    int32_t held = 0;
    for (const Spot& other : spots) {
        if (&other != &spot && other.map == spot.map && Inside(other, spot)) ++held;
    }
    return held >= 2;
}

std::vector<std::string> Overlaps(const std::vector<Spot>& spots) {
    std::vector<std::string> found;
    for (size_t i = 0; i < spots.size(); ++i) {
        for (size_t j = i + 1; j < spots.size(); ++j) {
            const Spot& a = spots[i];
            const Spot& b = spots[j];
            if (!Overlap(a, b)) continue;
            if (a.map == b.map && (IsArea(a, spots) || IsArea(b, spots))) continue;
            found.push_back(Describe(a) + " and " + Describe(b));
        }
    }
    return found;
}

// The pages the frame embeds beside its own buttons.
constexpr ScreenSlot kEmbeddedPages[] = {
    ScreenSlot::kMissions,  ScreenSlot::kEmail,       ScreenSlot::kNews,       ScreenSlot::kLogs,
    ScreenSlot::kRepair,    ScreenSlot::kRequisition, ScreenSlot::kOutfit,     ScreenSlot::kEncyclopedia,
    ScreenSlot::kOptions,   ScreenSlot::kSave,        ScreenSlot::kControls,   ScreenSlot::kAssignment,
    ScreenSlot::kPersonnel, ScreenSlot::kKillBoard,   ScreenSlot::kVoice,
};

// Where a control of a page draws: its region; a control that keeps no
// size (a face, drawn from its corner at the picture's own size) counts as
// reaching from its corner to the screen's right and bottom edges.
Spot AreaOf(const std::string& what, int32_t index, int32_t x, int32_t y, int32_t width, int32_t height) {
    constexpr int32_t kRight = 639, kBottom = 479;
    const bool sized = width > 0 && height > 0;
    return {what, index, x, sized ? x + width - 1 : kRight, y, sized ? y + height - 1 : kBottom};
}

class SampleScreenLayout : public SampleDataSuite {};

TEST_F(SampleScreenLayout, NoTwoHotSpotsOfAScreenOverlap) {
    const std::vector<Spot> frame = SpotsOf("FRAME");
    ASSERT_FALSE(frame.empty());
    for (const ScreenSlot page : kEmbeddedPages) {
        std::vector<Spot> spots = frame;
        const std::vector<Spot> own = SpotsOf(ScreenSlotName(page));
        spots.insert(spots.end(), own.begin(), own.end());
        for (const std::string& overlap : Overlaps(spots)) ADD_FAILURE() << overlap;
    }
    // The screens that stand alone.
    for (const char* screen : {"OFFICE", "WARROOM", "HALLWAY", "COMMON", "TROPHY", "HANGAR", "SALVAGE", "QUIT",
                               "PAUSE", "RESTART", "TUT", "HELP", "INIT", "netopt"}) {
        for (const std::string& overlap : Overlaps(SpotsOf(screen))) ADD_FAILURE() << overlap;
    }
}

// What an embedded page places, by its code (lists, text boxes, number
// boxes, faces, pictures) or by its art (buttons, from their corners), lies
// clear of the frame's buttons: they stay live and drawn beside the page,
// and would hide a list's rows and take their clicks.
TEST(SampleEmbeddedPages, PlaceNothingUnderTheFrameButtons) {
    ScreenHarness harness;
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    const std::vector<Spot> buttons = SpotsOf("FRAME");
    ASSERT_FALSE(buttons.empty());
    for (const ScreenSlot slot : kEmbeddedPages) {
        const std::string page = ScreenSlotName(slot);
        auto* const screen = dynamic_cast<MenuScreen*>(harness.Game().BuildScreen(slot));
        if (screen == nullptr) {
            ADD_FAILURE() << page << " is no menu page";
            continue;
        }
        std::vector<Spot> placed;
        for (const ArtObject* const panel : screen->artObjects) {
            const std::string where = page + " " + panel->Name() + " ";
            int32_t index = 0;
            for (const UiControl* const control : panel->controls) {
                placed.push_back(AreaOf(where + control->Name(), index++, control->RegionLeft(), control->RegionTop(),
                                        control->width, control->height));
            }
            for (const SpriteDef* const sprite : panel->spriteDefs) {
                placed.push_back(AreaOf(where + sprite->uniqueName, index++, int32_t(sprite->x), int32_t(sprite->y), 0, 0));
            }
        }
        EXPECT_FALSE(placed.empty()) << page << " places nothing to look at";
        for (const Spot& area : placed) {
            for (const Spot& button : buttons) {
                if (Overlap(area, button)) ADD_FAILURE() << Describe(area) << " under the frame's " << Describe(button);
            }
        }
    }
    harness.Game().DeleteScreens();
    GameState::ClearScreenRegistry();
}

// The pages' number boxes, placed by the pages themselves, in the sample
// font of the text boxes: each shows its widest value whole, on one line
// (a box too narrow wraps the last digits away: 20000 credits as "2000").
TEST(SampleNumberBoxes, HoldTheirWidestValues) {
    ScreenHarness harness;
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    ASSERT_EQ(SelectFont(TextBox::kFontName), kStatusOk);
    // Credits below ten million; counts of kills and missions below a
    // thousand; accuracy in per cent.
    constexpr const char* kCredits = "9999999";
    constexpr const char* kCount = "999";
    const struct {
        ScreenSlot slot;
        std::string box;
        const char* widest;
    } boxes[] = {
        {ScreenSlot::kRequisition, "Funds", kCredits},     {ScreenSlot::kRequisition, "Total", kCredits},
        {ScreenSlot::kRepair, "Funds", kCredits},          {ScreenSlot::kRepair, "Total", kCredits},
        {ScreenSlot::kPersonnel, "PilotKills", kCount},    {ScreenSlot::kPersonnel, "PilotMissions", kCount},
        {ScreenSlot::kPersonnel, "PilotAccuracy", "100"},  {ScreenSlot::kKillBoard, "PilotKills", kCount},
        {ScreenSlot::kKillBoard, "PilotMissions", kCount}, {ScreenSlot::kKillBoard, "PilotAccuracy", "100"},
        {ScreenSlot::kKillBoard, "PilotKills0", kCount},   {ScreenSlot::kKillBoard, "PilotKills5", kCount},
    };
    for (const auto& number : boxes) {
        SCOPED_TRACE(std::string(kScreenSlotNames[int32_t(number.slot)]) + " " + number.box);
        auto* const screen = dynamic_cast<MenuScreen*>(harness.Game().BuildScreen(number.slot));
        ASSERT_NE(screen, nullptr);
        TextBox* box = nullptr;
        for (ArtObject* const panel : screen->artObjects) {
            if (box == nullptr) box = FindControlAs<TextBox>(panel, number.box.c_str());
        }
        ASSERT_NE(box, nullptr);
        box->SetText(number.widest);
        EXPECT_EQ(box->GetLineCount(), 1);
        EXPECT_STREQ(box->GetItem(0), number.widest);
    }
    harness.Game().DeleteScreens();
    GameState::ClearScreenRegistry();
}

}  // namespace
