#include "screens/rooms/EncyclopediaScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "screens/GameMenus.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FileContents.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/AnimatedPicture.h"
#include "ui/ArtObject.h"
#include "ui/EditField.h"
#include "ui/ListBox.h"
#include "ui/TextBlock.h"
#include "ui/TextBox.h"
#include "ui/TutorialScreen.h"

namespace {

// The sample encyclopedia: 0 Missile Rack (missile), 1 Seeker Missiles
// (missiles), 2 MIS Launcher (mis), 3 Anti-Matter Cannon (two spellings of
// antimatter), 4 Antimatter Core, 5 Lancer and 6 Warden (ship), 8 Mine Layer
// (mine), nine entries in all.
struct EncyclopediaRun {
    ScreenHarness harness;
    EncyclopediaScreen screen;
    bool opened = false;

    EncyclopediaRun() { harness.Game().tutorialsEnabled = 0; }
    ~EncyclopediaRun() {
        if (opened) screen.Close();
    }
    void Open() {
        screen.Open();
        opened = true;
    }
    ListBox& List() { return *dynamic_cast<ListBox*>(screen.panel->FindControl(EncyclopediaScreen::kListName)); }
    EditField& Box() { return *dynamic_cast<EditField*>(screen.panel->FindControl(EncyclopediaScreen::kSearchBoxName)); }
    std::vector<int32_t> Search(const char* text) {
        Box().SetText(text);
        screen.Search();
        return screen.matches;
    }
    void Event(uint16_t code, uint16_t with) {
        screen.edgeEvents.Clear();
        screen.edgeEvents.SetEvent(code);
        screen.edgeEvents.SetEvent(with);
        screen.HandleEvent(code);
    }
    // A click on the list's line `line` (lines 11 pixels apart).
    void ClickLine(int32_t line) {
        screen.eventMap->SetMousePosition(400, int16_t(129 + line * 11));
        Event(EncyclopediaScreen::kCodeList, EncyclopediaScreen::kCodeActivate);
    }
};

TEST(EncyclopediaSearch, WordsMatchKeywordPrefixesBothWays) {
    EncyclopediaRun run;
    const struct {
        const char* text;
        std::vector<int32_t> found;
    } searches[] = {
        {"MISSILES", {2, 0, 1}},     // missile: prefix of missiles, mis a prefix of it
        {"ss", {}},                  // every trailing s goes: nothing is left
        {"'-.", {}},
        {"anti matter", {3, 4}},     // two words, each finds the one keyword
        {"ship mine", {5, 6, 8}},    // the first word's matches first
        {"mine ship", {8, 5, 6}},
        {"\xE9t\xE9 zz", {}},        // a word from the upper half is passed over
    };
    for (const auto& search : searches) EXPECT_EQ(run.Search(search.text), search.found) << search.text;
    // Three spellings make one keyword; the entry carrying two of them is
    // listed twice in it.
    int32_t antimatter = 0;
    for (const auto& keyword : run.screen.keywords) {
        if (keyword->text.rfind("anti", 0) != 0) continue;
        ++antimatter;
        EXPECT_EQ(keyword->text, "antimatter");
        EXPECT_EQ(keyword->entries, (std::vector<int32_t>{3, 3, 4}));
    }
    EXPECT_EQ(antimatter, 1);
    // The one-byte keyword chunk makes none.
    for (const auto& keyword : run.screen.keywords) EXPECT_FALSE(keyword->text.empty());
}

TEST(EncyclopediaList, MatchButtonsStopAtTheEnds) {
    EncyclopediaRun run;
    run.Open();
    ASSERT_EQ(run.List().GetLineCount(), 9);
    run.List().ClearSelection();
    run.Event(EncyclopediaScreen::kCodePrevious, EncyclopediaScreen::kCodeActivate);
    EXPECT_EQ(run.List().GetSelection(), 0);
    run.Event(EncyclopediaScreen::kCodePrevious, EncyclopediaScreen::kCodeActivate);
    EXPECT_EQ(run.List().GetSelection(), 0);
    run.List().SetSelection(8);
    run.Event(EncyclopediaScreen::kCodeNext, EncyclopediaScreen::kCodeActivate);
    EXPECT_EQ(run.List().GetSelection(), 8);
    // With matches in force the rows are the matches, and Open keeps them.
    run.Search("ship");
    run.screen.Close();
    run.screen.Open();
    ASSERT_EQ(run.List().GetLineCount(), 2);
    EXPECT_STREQ(run.List().GetItem(1), "6     Warden                   ");
}

// The notice blocks list clicks for 4000 ms and the full list returns in
// the next second; right after Open nothing is blocked.
TEST(EncyclopediaList, NoMatchNoticeBlocksThenReturnsTheList) {
    EncyclopediaRun run;
    run.harness.Clock().SetMilliseconds(1000);
    run.Open();
    run.ClickLine(2);
    EXPECT_EQ(run.List().GetSelection(), 2);

    run.Search("zzz");
    ASSERT_EQ(run.List().GetLineCount(), 1);
    EXPECT_STREQ(run.List().GetItem(0), EncyclopediaScreen::kNoMatchRow);
    run.harness.Clock().SetMilliseconds(4900);
    const int32_t before = run.List().GetSelection();
    run.ClickLine(0);
    run.screen.Update();
    EXPECT_EQ(run.List().GetSelection(), before);
    EXPECT_STREQ(run.List().GetItem(0), EncyclopediaScreen::kNoMatchRow);
    run.harness.Clock().SetMilliseconds(5050);
    run.screen.Update();
    EXPECT_EQ(run.List().GetLineCount(), 9);
    EXPECT_EQ(run.screen.searchText, EncyclopediaScreen::kNoSearch);
    EXPECT_STREQ(run.Box().GetText(), EncyclopediaScreen::kNoSearch);
    run.ClickLine(3);
    EXPECT_EQ(run.List().GetSelection(), 3);
}

TEST(EncyclopediaEntries, ShowEntryReadsBodyAndPictureEachTime) {
    EncyclopediaRun run;
    auto* const picture = dynamic_cast<AnimatedPicture*>(run.screen.panel->FindControl(EncyclopediaScreen::kPictureName));
    ASSERT_NE(picture, nullptr);
    std::string body;
    ASSERT_TRUE(run.screen.ShowEntry("Lancer", &body));
    EXPECT_EQ(body.rfind("The squadron's light fighter", 0), 0u);
    EXPECT_EQ(picture->CelCount(), 1);
    ASSERT_TRUE(run.screen.ShowEntry("Warden", &body));
    EXPECT_EQ(picture->CelCount(), 1);
    EXPECT_FALSE(run.screen.ShowEntry("lancer", &body));   // titles match exactly
    EXPECT_EQ(picture->CelCount(), 0);
}

// Damaged files end in fewer entries, never a crash or an endless walk; a
// title past 255 bytes is cut; a file without entries lists nothing.
TEST(EncyclopediaEntries, DamagedFilesLoadWhatTheyHold) {
    ScreenHarness harness;
    const std::string whole = FileContents(g_dataDirs.Prefix(DataDir::kData) + EncyclopediaScreen::kFileName);
    ASSERT_GT(whole.size(), 100u);
    EncyclopediaScreen screen;
    const auto load = [&screen](const std::vector<uint8_t>& bytes) {
        screen.titles.clear();
        screen.keywords.clear();
        MemoryStream stream(bytes);
        IffFile file(&stream, 0);
        file.ValidateHeader();
        screen.LoadEntries(file);
        MemoryStream again(bytes);
        IffFile second(&again, 0);
        second.ValidateHeader();
        std::string body;
        screen.ShowEntry(second, "Lancer", &body);
    };
    for (const size_t cut : {size_t(0), size_t(7), size_t(12), whole.size() / 2, whole.size() - 1}) {
        load(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)));
        EXPECT_LT(screen.titles.size(), 9u) << cut;
    }
    ChunkBuilder b;
    const std::string longTitle(300, 'T');
    load(b.Form("ENCY", {b.Form("ENTR", {b.Chunk("TITL", longTitle), b.Chunk("KWRD", std::string(1, '\0')),
                                         b.Header("KWRD", 0xFFFFFFF0u)})}));
    ASSERT_EQ(screen.titles.size(), 1u);
    EXPECT_EQ(screen.titles[0], longTitle.substr(0, EncyclopediaScreen::kMaxNameBytes));
    EXPECT_TRUE(screen.keywords.empty());

    load(b.Form("ENCY", {}));
    EXPECT_TRUE(screen.titles.empty());
    screen.FillEntryList();
    const auto* const list = dynamic_cast<ListBox*>(screen.panel->FindControl(EncyclopediaScreen::kListName));
    EXPECT_EQ(const_cast<ListBox*>(list)->GetLineCount(), 0);
}

// Embedded in the frame (archives, first slot): typed words searched with
// Enter, once found and once not.
TEST(EncyclopediaPictures, SearchesInTheFrame) {
    const struct {
        const char* typed;
        const char* golden;
    } searches[] = {{"MISSILES", "encyclopedia_missiles"}, {"zzz", "encyclopedia_no_matches"}};
    for (const auto& search : searches) {
        ScreenHarness harness;
        GameState& game = harness.Game();
        game.tutorialsEnabled = 0;
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        game.LoadPlaceScreens(GameState::kNewCareerPlace);
        auto* const encyclopedia = dynamic_cast<EncyclopediaScreen*>(game.ScreenIn(ScreenSlot::kEncyclopedia));
        ASSERT_NE(encyclopedia, nullptr);
        dynamic_cast<EditField*>(encyclopedia->panel->FindControl(EncyclopediaScreen::kSearchBoxName))->ToggleActive();
        ASSERT_TRUE(harness.SetScript("at 2 click 28 169\nat 4 click 28 233\nat 6 move 300 470\nat 8 type " +
                                      std::string(search.typed) + "\nat 10 press Enter\nat 11 release Enter\n"));
        harness.SetPassLimit(15);
        harness.CaptureAfterPass(14);
        harness.Run(*game.ScreenIn(ScreenSlot::kFrame));
        EXPECT_TRUE(MatchesGolden(harness.Picture(14), search.golden));
        game.DeleteScreens();
        GameState::ClearScreenRegistry();
    }
}

// The new career's screens, help off: the encyclopedia, which the frame
// opens by the search script below.
EncyclopediaScreen* NewCareerScreens(GameState& game) {
    game.tutorialsEnabled = 0;
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    game.LoadPlaceScreens(GameState::kNewCareerPlace);
    return dynamic_cast<EncyclopediaScreen*>(game.ScreenIn(ScreenSlot::kEncyclopedia));
}
// From the frame to the encyclopedia, its search opened, MISSILES typed and searched.
constexpr const char* kSearchMissiles =
    "at 2 click 28 169\nat 4 click 28 233\nat 6 click 290 85\nat 7 move 300 470\n"
    "at 8 type MISSILES\nat 10 press Enter\nat 11 release Enter\n";

// The search button opens the box for typing and Enter searches; then
// Home, the clear key, alone (no click held with it) clears the search in
// force: the whole list returns and the search box is empty. The list's and
// the text's arrows page them.
TEST(EncyclopediaSearch, TheHomeKeyClearsASearchInTheFrame) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    auto* const encyclopedia = NewCareerScreens(game);
    ASSERT_NE(encyclopedia, nullptr);
    const auto list = [encyclopedia] {
        return dynamic_cast<ListBox*>(encyclopedia->panel->FindControl(EncyclopediaScreen::kListName));
    };
    size_t found = 0;
    int32_t rows = 0;
    harness.AtPass(13, [&] {
        found = encyclopedia->matches.size();
        rows = list()->GetLineCount();
    });
    // The whole list back, its down arrow pages it, its up arrow brings the
    // first row back; the text's arrows click too.
    int32_t pagedTop = -1;
    const auto top = [&list] {
        const TextBlock* const block = list()->GetBlock(list()->currentBlock);
        return block != nullptr ? block->topLine : -1;
    };
    harness.AtPass(24, [&] { pagedTop = top(); });
    ASSERT_TRUE(harness.SetScript(std::string(kSearchMissiles) +
                                  "at 14 press 199\nat 15 release 199\nat 18 click 580 204\nat 26 click 580 134\n"
                                  "at 34 click 558 414\nat 36 click 558 334\n"));
    harness.SetPassLimit(40);
    harness.Run(*game.ScreenIn(ScreenSlot::kFrame));
    EXPECT_EQ(found, 3u);
    EXPECT_EQ(rows, 3);
    EXPECT_TRUE(encyclopedia->matches.empty());
    EXPECT_EQ(list()->GetLineCount(), 9);
    EXPECT_GT(pagedTop, 0);
    EXPECT_EQ(top(), 0);
    const std::vector<int32_t> sounds = harness.UiSoundsStarted();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 5), 4) << "\"Click 3\" for each arrow";
    EXPECT_EQ(encyclopedia->searchText, "");
    EXPECT_STREQ(dynamic_cast<EditField*>(encyclopedia->panel->FindControl(EncyclopediaScreen::kSearchBoxName))->GetText(),
                 "");
    game.DeleteScreens();
    GameState::ClearScreenRegistry();
}

// Home with help asked for (F1 held with it) is a question about the
// clear key, not a clear: its topic comes up over the page and the search
// in force stays, list, matches and words.
TEST(EncyclopediaSearch, HomeWithHelpShowsTheClearTopicAndKeepsTheSearch) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    auto* const encyclopedia = NewCareerScreens(game);
    auto* const tutorial = dynamic_cast<TutorialScreen*>(game.ScreenIn(ScreenSlot::kTutorial));
    ASSERT_NE(encyclopedia, nullptr);
    ASSERT_NE(tutorial, nullptr);
    // What the page holds before Home and after it, the pop-up still up.
    struct Seen {
        int32_t help = -1;
        std::string topic;
        size_t matches = 0;
        int32_t rows = 0;
        std::string search;
    };
    Seen before, after;
    const auto look = [&](Seen* seen) {
        seen->help = encyclopedia->tutorialActive;
        seen->topic = tutorial->topicKey;
        seen->matches = encyclopedia->matches.size();
        seen->rows = dynamic_cast<ListBox*>(encyclopedia->panel->FindControl(EncyclopediaScreen::kListName))->GetLineCount();
        seen->search = encyclopedia->searchText;
    };
    harness.AtPass(14, [&] { look(&before); });
    harness.AtPass(18, [&] { look(&after); });
    ASSERT_TRUE(harness.SetScript(std::string(kSearchMissiles) +
                                  "at 15 press F1\nat 15 press 199\nat 16 release 199\nat 16 release F1\n"));
    harness.SetPassLimit(20);
    harness.Run(*game.ScreenIn(ScreenSlot::kFrame));
    EXPECT_EQ(before.help, 0);
    EXPECT_EQ(before.matches, 3u);
    EXPECT_FALSE(before.search.empty());
    EXPECT_NE(after.help, 0);
    EXPECT_EQ(after.topic, "EN_CLEAR_A");
    EXPECT_EQ(after.matches, 3u);
    EXPECT_EQ(after.rows, 3);
    EXPECT_EQ(after.search, before.search);
    game.DeleteScreens();
    GameState::ClearScreenRegistry();
}

}  // namespace

// The list and the entry by keys: Delete drops the chosen row, the arrows
// move the pointer a row within the list, the page keys over the text page
// the entry, and Tab walks the page's spots and back.
TEST(EncyclopediaList, KeysWalkTheListTheEntryAndTheSpots) {
    EncyclopediaRun run;
    run.Open();
    run.harness.Game().currentScreen = &run.screen;
    const auto pointer = [&run] {
        uint16_t x = 0, y = 0;
        run.screen.eventMap->GetMousePosition(&x, &y);
        return uint32_t(x) << 16 | y;
    };
    run.ClickLine(2);
    ASSERT_EQ(run.List().GetSelection(), 2);
    run.Event(EncyclopediaScreen::kCodeList, EncyclopediaScreen::kCodeDeselect);
    EXPECT_LT(run.List().GetSelection(), 0);
    const uint32_t at = pointer();
    run.Event(EncyclopediaScreen::kCodeList, EncyclopediaScreen::kCodeLineDown);
    EXPECT_EQ(pointer(), at + 11);
    run.Event(EncyclopediaScreen::kCodeList, EncyclopediaScreen::kCodeLineUp);
    EXPECT_EQ(pointer(), at);

    run.ClickLine(5);   // the Lancer: an entry longer than its box
    auto* const text = dynamic_cast<TextBox*>(run.screen.panel->FindControl(EncyclopediaScreen::kTextName));
    ASSERT_NE(text, nullptr);
    ASSERT_NE(text->GetBlock(text->currentBlock), nullptr);
    run.Event(EncyclopediaScreen::kCodeText, EncyclopediaScreen::kCodePageDown);
    EXPECT_GT(text->GetBlock(text->currentBlock)->scrollRequest, 0);
    run.Event(EncyclopediaScreen::kCodeText, EncyclopediaScreen::kCodePageUp);
    EXPECT_LT(text->GetBlock(text->currentBlock)->scrollRequest, 0);

    run.screen.eventMap->SetMousePosition(0, 0);
    run.Event(EncyclopediaScreen::kCodeFocusNext, EncyclopediaScreen::kCodeFocusNext);
    const uint32_t first = pointer();
    EXPECT_NE(first, 0u);
    run.Event(EncyclopediaScreen::kCodeFocusNext, EncyclopediaScreen::kCodeFocusNext);
    EXPECT_NE(pointer(), first);
    run.Event(EncyclopediaScreen::kCodeFocusPrevious, EncyclopediaScreen::kCodeFocusPrevious);
    EXPECT_EQ(pointer(), first);
    run.harness.Game().currentScreen = nullptr;
}
