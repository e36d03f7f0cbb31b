#include "screens/rooms/MissionsScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "display/Canvas.h"
#include "display/Palette.h"
#include "game/DrawString.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "mission/CampaignMessages.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "objects/space/WorldPass.h"
#include "screens/FrameScreen.h"
#include "screens/GameMenus.h"
#include "screens/rooms/EmailScreen.h"
#include "screens/rooms/LogsScreen.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingScreen.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/FacePicture.h"
#include "ui/ListBox.h"
#include "ui/TextBox.h"

namespace {

MessageEntry* Add(MessageList& list, const char* title, int32_t kind, int32_t active, int32_t read = 0,
                  int32_t face = -1) {
    auto entry = std::make_unique<MessageEntry>();
    entry->title = title;
    entry->body = std::string("Body of ") + title;
    entry->kind = kind;
    entry->active = active;
    entry->read = read;
    entry->face = face;
    entry->launchFile = "training.uli";
    return list.Append(std::move(entry));
}

std::vector<std::string> Rows(const MessageReader& reader, const ArtObject* page) {
    std::vector<std::string> rows;
    const TextBlock* const block = reader.List(page)->GetBlock(0);
    if (block != nullptr) rows = block->lines;
    return rows;
}

uint32_t RowColour(const MessageReader& reader, const ArtObject* page, size_t row) {
    return reader.List(page)->GetBlock(0)->lineColours.at(row);
}

constexpr int32_t kOffer = MessageEntry::kKindOffer;
constexpr int32_t kShown = MessageEntry::kShown;

// A click's activate as the handler sees it in its pass.
void Press(Screen& screen, uint16_t activate) {
    screen.edgeEvents.Clear();
    screen.edgeEvents.SetEvent(activate);
}

}  // namespace

TEST(MessageReaderFill, MissionsListActiveOffersWithTheAcceptedRowsColourAndTheFirstRowHighlighted) {
    ScreenHarness harness;
    harness.ThePalette().Conversion().Build();
    GameState& game = harness.Game();
    MissionsScreen reader;
    MessageEntry* const hidden = Add(game.newMail, "Hidden", kOffer, MessageEntry::kHidden);
    Add(game.newMail, "Letter", 0, kShown);
    Add(game.newMail, "First", kOffer, kShown, 1, 5);
    MessageEntry* const released = Add(game.newMail, "Second", MessageEntry::kKindOtherOffer, MessageEntry::kReleased);
    Add(game.newMail, "Third", kOffer, kShown, 1);
    Add(game.oldMail, "Old hidden", kOffer, MessageEntry::kHidden);
    Add(game.oldMail, "Old letter", 0, kShown);
    for (const int32_t accepted : {1, 0}) {
        reader.acceptedRow = accepted;
        for (int fill = 0; fill < 2; ++fill) {
            reader.FillLists();
            EXPECT_EQ(Rows(reader, reader.newPage), (std::vector<std::string>{"First", "Second", "Third"}));
            EXPECT_EQ(reader.Text(reader.newPage)->GetBlock(1)->lines.at(0), "Body of Second");
            EXPECT_EQ(Rows(reader, reader.oldPage), (std::vector<std::string>{"Old hidden"}));
        }
        ASSERT_EQ(std::set<uint32_t>({reader.highlightColour, reader.acceptedColour, reader.readColour,
                                      reader.unreadColour}).size(), 4u);
        EXPECT_EQ(RowColour(reader, reader.newPage, 0), reader.highlightColour);
        EXPECT_EQ(RowColour(reader, reader.newPage, 1), accepted == 1 ? reader.acceptedColour : reader.unreadColour);
        EXPECT_EQ(RowColour(reader, reader.newPage, 2), reader.readColour);
    }
    EXPECT_EQ(hidden->active, MessageEntry::kHidden);
    EXPECT_EQ(released->active, kShown);
    EXPECT_EQ(released->read, 0);   // the first-row rule flags nothing here
    EXPECT_EQ(reader.Face(reader.newPage)->Index(), 5);
}

TEST(MessageReaderFill, EmailNeverListsOffersNewsListsEveryKindLogsSkipHiddenAndTheFirstRowIsRead) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    EmailScreen email;
    NewsScreen news;
    LogsScreen logs;
    MessageEntry* const letter = Add(game.newMail, "Offer", kOffer, kShown);
    (void)letter;
    MessageEntry* const first = Add(game.newMail, "Letter", 0, kShown);
    MessageEntry* const second = Add(game.newMail, "Later", 0, kShown);
    Add(game.oldMail, "Old offer", MessageEntry::kKindOtherOffer, kShown);
    Add(game.oldMail, "Old hidden", 0, MessageEntry::kHidden);
    Add(game.newNews, "Item", kOffer, kShown);
    Add(game.logs, "Hidden log", 0, MessageEntry::kHidden);
    MessageEntry* const log = Add(game.logs, "Log", 0, MessageEntry::kReleased);
    email.FillLists();
    news.FillLists();
    logs.FillLists();
    EXPECT_EQ(Rows(email, email.newPage), (std::vector<std::string>{"Letter", "Later"}));
    EXPECT_EQ(Rows(email, email.oldPage), (std::vector<std::string>{"Old hidden"}));
    EXPECT_EQ(first->read, 1);
    EXPECT_EQ(second->read, 0);
    EXPECT_EQ(Rows(news, news.newPage), (std::vector<std::string>{"Item"}));
    EXPECT_EQ(Rows(logs, logs.framePage), (std::vector<std::string>{"Log"}));
    EXPECT_EQ(log->active, kShown);
    EXPECT_EQ(log->read, 1);
}

class MissionsAccept : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
        game.tutorialsEnabled = 0;
    }
    void TearDown() override { FreeMission(); }
    void Accept() {
        reader.currentPanel = reader.newPage;
        Press(reader, reader.EventCodes().activate);
        reader.HandleEvent(MissionsScreen::kCodeAccept);
    }

    ScreenHarness harness;
    GameState& game = harness.Game();
    MissionsScreen reader;
};

TEST_F(MissionsAccept, TheFirstOfTwoEqualTitlesIsSetUpOnTheSecondUpdateAndAnnouncedFromThen) {
    MessageEntry* const first = Add(game.newMail, "Training Flight", kOffer, kShown);
    MessageEntry* const twin = Add(game.newMail, "Training Flight", kOffer, kShown);
    MessageEntry* const held = Add(game.newNews, "Held", MessageEntry::kKindHeld, MessageEntry::kHidden);
    reader.FillLists();
    reader.List(reader.newPage)->SetSelection(1);
    Accept();
    EXPECT_EQ(first->read, 1);
    EXPECT_EQ(twin->read, 0);
    EXPECT_EQ(held->active, MessageEntry::kReleased);
    EXPECT_EQ(game.missionName, "training.uli");
    EXPECT_EQ(game.plotCounter, 1);
    EXPECT_EQ(reader.acceptedRow, 1);
    reader.Update();
    EXPECT_EQ(game.missionReady, 0);
    harness.Clock().Advance(10000);
    reader.Update();
    EXPECT_EQ(game.missionReady, 1);
    EXPECT_EQ(reader.acceptedShown, 1);
    EXPECT_EQ(reader.refusedShown, 0);
    harness.Clock().Advance(3999);
    reader.Update();
    EXPECT_EQ(reader.acceptedShown, 1);
    harness.Clock().Advance(1);
    reader.Update();
    EXPECT_EQ(reader.acceptedShown, 0);
    // A second accept while the mission waits is refused and changes nothing.
    Accept();
    EXPECT_EQ(reader.refusedShown, 1);
    EXPECT_EQ(reader.uploadState, MissionsScreen::kIdle);
    EXPECT_EQ(game.plotCounter, 1);
}

TEST_F(MissionsAccept, RandomOffersNameTheirSlotAndAFailedSetUpUndoesTheAccept) {
    MessageEntry* const random = Add(game.newMail, "Patrol", kOffer, kShown);
    random->offer = MessageEntry::kRandomOffer | 3;
    reader.FillLists();
    Accept();
    EXPECT_EQ(game.missionName, "Rnd 2");
    EXPECT_EQ(game.randomOffer, random->offer);
    EXPECT_EQ(game.plotCounter, 0);
    // Slot bits 0 name no slot at all.
    reader.uploadState = MissionsScreen::kIdle;
    random->offer = MessageEntry::kRandomOffer;
    game.missionName = "kept";
    reader.FillLists();
    Accept();
    EXPECT_EQ(game.missionName, "kept");
    EXPECT_EQ(reader.uploadState, MissionsScreen::kIdle);
    // A file that is not there: no notice, and the offer is not taken.
    random->offer = 0;
    random->launchFile = "missing.uli";
    reader.FillLists();
    Accept();
    EXPECT_EQ(reader.acceptedRow, 0);
    reader.Update();
    reader.Update();
    EXPECT_EQ(game.missionReady, 0);
    EXPECT_EQ(reader.acceptedShown, 0);
    EXPECT_EQ(reader.acceptedRow, -1);
    EXPECT_EQ(reader.uploadState, MissionsScreen::kIdle);
    // Nothing to accept on an empty list.
    game.newMail.Clear();
    reader.FillLists();
    Accept();
    EXPECT_EQ(reader.uploadState, MissionsScreen::kIdle);
}

TEST(MissionsLaunch, EndsTheFrameAndOpensTheHangarToLaunch) {
    ScreenHarness harness;
    GameState& game = harness.Game();
    GameState::ClearScreenRegistry();
    RegisterGameMenus();
    std::vector<std::string> log;
    RecordingScreen::Tally tally;
    tally.log = &log;
    RecordingScreen::Register<ScreenSlot::kHangar>(tally);
    game.LoadPlaceScreens(GameState::kNewCareerPlace);
    static Screen* launched = nullptr;
    MissionsScreen::setLaunchOnOpen = [](Screen& hangar) { launched = &hangar; };
    auto* const reader = dynamic_cast<MissionsScreen*>(game.ScreenIn(ScreenSlot::kMissions));
    ASSERT_NE(reader, nullptr);
    reader->currentPanel = reader->framePage;
    Press(*reader, reader->EventCodes().activate);
    EXPECT_EQ(reader->HandleEvent(MissionsScreen::kCodeLaunch), 0);
    EXPECT_EQ(launched, game.ScreenIn(ScreenSlot::kHangar));
    EXPECT_EQ(game.nextScreen, game.ScreenIn(ScreenSlot::kHangar));
    EXPECT_EQ(dynamic_cast<FrameScreen*>(game.ScreenIn(ScreenSlot::kFrame))->leaveRequest, 1);
    reader->acceptedRow = 2;
    MissionsScreen::ForgetAcceptedRow(game);
    EXPECT_EQ(reader->acceptedRow, -1);
    MissionsScreen::setLaunchOnOpen = nullptr;
    game.DeleteScreens();
    GameState::ClearScreenRegistry();
}

// Clicks on the page buttons and on the list's second row, as a player
// makes them: the old page and back, with the read flags each page sets.
TEST(MessageReaderPages, SwitchingToTheOldPageAndBackCompletesAndClicksFlagAsEachReaderSays) {
    for (const bool missions : {true, false}) {
        ScreenHarness harness;
        harness.ThePalette().Conversion().Build();
        GameState& game = harness.Game();
        game.tutorialsEnabled = 0;
        std::unique_ptr<MessageReader> reader;
        if (missions) {
            reader = std::make_unique<MissionsScreen>();
        } else {
            reader = std::make_unique<EmailScreen>();
        }
        const int32_t kind = missions ? kOffer : 0;
        Add(game.newMail, "New one", kind, kShown);
        MessageEntry* const newTwo = Add(game.newMail, "New two", kind, kShown);
        Add(game.oldMail, "Old one", kind, kShown);
        MessageEntry* const oldTwo = Add(game.oldMail, "Old two", kind, kShown);
        const int32_t secondRow = MessageReader::kListTop + 16;
        const std::string row = "400 " + std::to_string(secondRow) + "\n";
        ASSERT_TRUE(harness.SetScript("at 8 click " + row + "at 10 click 335 52\n" + "at 20 click " + row +
                                      "at 26 click 215 52\n"));
        harness.SetPassLimit(35);
        harness.Run(*reader);
        ASSERT_NE(reader->highlightColour, reader->readColour);
        EXPECT_EQ(reader->currentPanel, reader->newPage) << missions;
        EXPECT_EQ(newTwo->read, missions ? 0 : 1);
        EXPECT_EQ(oldTwo->read, 1);
        EXPECT_EQ(reader->Text(reader->oldPage)->currentBlock, 1);
        EXPECT_EQ(RowColour(*reader, reader->oldPage, 1), reader->highlightColour);
        EXPECT_EQ(RowColour(*reader, reader->oldPage, 0), reader->readColour);
    }
}

// The readers filled from the training's first messages, each embedded in
// the frame as its menu leads there; the missions reader once more in the
// pass its accepted offer starts to upload.
TEST(MessageReaderPictures, Golden) {
    const std::string comm = "at 2 click 28 73\n";
    const struct {
        const char* golden;
        std::string script;
        int32_t pass;
    } pictures[] = {{"missions_reader", comm + "at 4 click 28 233\n", 12},
                    {"missions_reader_uploading", comm + "at 4 click 28 233\nat 10 move 405 452\nat 11 press Enter\nat 12 release Enter\n", 11},
                    {"email_reader", comm + "at 4 click 28 265\n", 12},
                    {"news_reader", comm + "at 4 click 28 297\n", 12},
                    {"logs_reader", comm + "at 4 click 28 329\n", 12}};
    for (const auto& picture : pictures) {
        ScreenHarness harness;
        GameState& game = harness.Game();
        game.tutorialsEnabled = 0;
        GameState::ClearScreenRegistry();
        RegisterGameMenus();
        game.LoadPlaceScreens(GameState::kNewCareerPlace);
        StartTraining(game);
        ASSERT_TRUE(harness.SetScript(picture.script + "at 13 move 300 470\n"));
        harness.CaptureAfterPass(picture.pass);
        harness.SetPassLimit(picture.pass + 1);
        harness.Run(*game.ScreenIn(ScreenSlot::kFrame));
        EXPECT_TRUE(MatchesGolden(harness.Picture(picture.pass), picture.golden)) << picture.golden;
        game.DeleteScreens();
        GameState::ClearScreenRegistry();
        FreeMission();
    }
}

// The logs have one page: a click on a log reads it.
TEST(MessageReaderPages, AClickOnALogReadsIt) {
    ScreenHarness harness;
    harness.ThePalette().Conversion().Build();
    GameState& game = harness.Game();
    game.tutorialsEnabled = 0;
    LogsScreen logs;
    MessageEntry* const first = Add(game.logs, "First log", 0, MessageEntry::kReleased);
    MessageEntry* const second = Add(game.logs, "Second log", 0, MessageEntry::kReleased);
    const std::string row = "400 " + std::to_string(MessageReader::kListTop + 16) + "\n";
    ASSERT_TRUE(harness.SetScript("at 8 click " + row));
    harness.SetPassLimit(12);
    harness.Run(logs);
    EXPECT_EQ(second->read, 1);
    EXPECT_EQ(first->read, 1);   // the first row is read as the page opens
}
