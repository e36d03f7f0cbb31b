#include "screens/SaveScreen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/TextInput.h"
#include "game/XorChunkStream.h"
#include "mission/SavedGame.h"
#include "net/NetGameSettings.h"
#include "screens/GameMenus.h"
#include "screens/NetLobbyScreen.h"
#include "game/PilotFile.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FileContents.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/ScreenHarness.h"
#include "ui/EditField.h"
#include "ui/TextBox.h"

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

void Type(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) TypeTextInput(uint8_t(*c));
}

// The page on the sample data, its files in a folder of their own, and
// events handed to it as one pass would.
struct SaveRun {
    SaveRun() {
        harness.Game().SetConfigFolder(folder.Str());
        harness.Game().tutorialsEnabled = 0;
        screen.Open();
    }
    ~SaveRun() {
        screen.Close();
        harness.Game().netSession = nullptr;
    }
    // The code's event with `modifier` new in this pass; the handler's result.
    int32_t Event(uint16_t code, uint16_t modifier) {
        screen.edgeEvents.Clear();
        screen.edgeEvents.SetEvent(code);
        screen.edgeEvents.SetEvent(modifier);
        return screen.HandleEvent(code);
    }
    int32_t Activate(uint16_t code) { return Event(code, SaveScreen::kCodeActivate); }
    int32_t Row(int32_t slot) { return Activate(SaveScreen::kRowCodes[slot]); }
    std::string Text(int32_t slot) const { return screen.Entry(slot)->GetText(); }
    bool Exists(const char* name) const { return std::filesystem::exists(folder.Path() / name); }

    TempDir folder;
    ScreenHarness harness;
    SaveScreen screen;
};

}  // namespace

// Typing names the selected slot, an erased letter leaves it empty, and the
// save stores the name padded to 20 columns with the difficulty.
TEST(SaveScreenTest, TypingNamesTheSlotAndTheSaveStoresThePaddedTitle) {
    SaveRun run;
    run.harness.Game().difficulty = 2;
    run.Row(3);
    ASSERT_EQ(run.screen.selectedSlot, 3);
    Type("A");
    run.screen.Update();
    EXPECT_EQ(run.Text(3), "A");
    TypeTextInput(8);
    run.screen.Update();
    EXPECT_EQ(run.Text(3), "");
    Type("Alpha");
    run.screen.Update();
    EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 0);

    std::string title;
    ASSERT_EQ(SaveScreen::ReadSlotTitle(SavedGamePath("slot3").c_str(), &title), kStatusOk);
    EXPECT_EQ(title, "Alpha                Medium");
    EXPECT_EQ(run.Text(3), title);
}

// A save the disk refuses leaves the page open with a box saying so, the
// slot as it was and no "saved" voice; a later save that works closes it.
TEST(SaveScreenTest, AFailedSaveSaysSoAndKeepsThePageOpen) {
    SaveRun run;
    RecordingMessageBox boxes;
    ScopedInstall<platform::MessageBox> installedBoxes(boxes);
    run.Row(2);
    Type("First");
    run.screen.Update();
    ASSERT_EQ(run.Activate(SaveScreen::kCodeSave), 0);
    const std::string first = FileContents(run.folder.Path() / "slot2.sav");
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(boxes.Boxes().empty());

    run.screen.Open();
    run.Row(2);
    run.harness.Game().career->funds += 1000;
    {
        FaultyFileSystem files;
        ScopedInstall<platform::FileSystem> installed(files);
        files.ShortWrites(3);
        EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 1);
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "The game was not saved.");
    EXPECT_TRUE(FileContents(run.folder.Path() / "slot2.sav") == first);
    EXPECT_EQ(run.Text(2).substr(0, 5), "First");

    {
        FaultyFileSystem files;
        ScopedInstall<platform::FileSystem> installed(files);
        files.FailNext(FaultyFileSystem::kRename, 1, platform::kFileAccessDenied);
        EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 1);
    }
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_TRUE(FileContents(run.folder.Path() / "slot2.sav") == first);

    EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 0);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_TRUE(FileContents(run.folder.Path() / "slot2.sav") != first);
    EXPECT_EQ(run.screen.MessageLine()->GetLineCount(), 0);
}

// After a save the disk refuses, the row reads what the slot holds (its old
// title, or nothing), but the name typed still stands: Save again and the
// game is saved under that name, in a slot that held a save and in one
// that held none.
TEST(SaveScreenTest, ARetriedSaveSavesUnderTheNameTyped) {
    SaveRun run;
    RecordingMessageBox boxes;
    ScopedInstall<platform::MessageBox> installedBoxes(boxes);
    run.harness.Game().difficulty = 1;
    run.Row(2);
    Type("First");
    run.screen.Update();
    ASSERT_EQ(run.Activate(SaveScreen::kCodeSave), 0);
    const std::string first = run.Text(2);
    ASSERT_EQ(first, "First                Easy");

    for (const auto& [slot, held] : {std::pair<int32_t, std::string>{2, first}, {6, ""}}) {
        SCOPED_TRACE(slot);
        run.screen.Open();
        run.Row(slot);
        Type("Second");
        run.screen.Update();
        {
            FaultyFileSystem files;
            ScopedInstall<platform::FileSystem> installed(files);
            files.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
            EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 1);
        }
        EXPECT_EQ(run.Text(slot), held);
        EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 0);
        std::string title;
        ASSERT_EQ(SaveScreen::ReadSlotTitle(SavedGamePath(("slot" + std::to_string(slot)).c_str()).c_str(), &title),
                  kStatusOk);
        EXPECT_EQ(title, "Second               Easy");
        EXPECT_EQ(run.Text(slot), title);
    }
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

// A page-flipping display forbids boxes: the failed save is told on the
// page's own message line, and nowhere else.
TEST(SaveScreenTest, AFailedSaveOnAPageFlippingDisplayIsToldOnThePage) {
    SaveRun run;
    RecordingMessageBox boxes;
    ScopedInstall<platform::MessageBox> installedBoxes(boxes);
    NetLobbyScreen::messageBoxesOff = [] { return true; };
    run.Row(4);
    Type("Lost");
    run.screen.Update();
    ASSERT_EQ(run.Text(4).substr(0, 4), "Lost");
    {
        FaultyFileSystem files;
        ScopedInstall<platform::FileSystem> installed(files);
        files.FailNext(FaultyFileSystem::kWrite, 1, platform::kFileDiskFull);
        EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 1);
    }
    NetLobbyScreen::messageBoxesOff = nullptr;
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(run.Exists("slot4.sav"));
    // The row reads what the slot holds: nothing, not the name typed.
    EXPECT_EQ(run.Text(4), "");
    TextBox& line = *run.screen.MessageLine();
    ASSERT_EQ(line.GetLineCount(), 1);
    EXPECT_STREQ(line.GetItem(0), SaveScreen::kSaveFailedText);
    run.screen.Open();
    EXPECT_EQ(line.GetLineCount(), 0) << "the message outlives the visit";
}

// Choosing the selected row again deselects it but keeps the slot.
TEST(SaveScreenTest, ReselectingDeselectsButKeepsTheSlot) {
    SaveRun run;
    run.Row(5);
    EXPECT_NE(run.screen.Entry(5)->IsActive(), 0u);
    run.Row(5);
    EXPECT_EQ(run.screen.Entry(5)->IsActive(), 0u);
    EXPECT_EQ(run.screen.selectedSlot, 5);
}

// The automatic row loads and never saves; a load of an empty or damaged
// slot replaces nothing, says why on the page and keeps it open.
TEST(SaveScreenTest, TheAutomaticRowNeverSavesAndAFailedLoadKeepsTheCareer) {
    SaveRun run;
    CareerRecord* const career = run.harness.Game().career;
    run.Row(SaveScreen::kAutoSlot);
    EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 0);
    EXPECT_FALSE(run.Exists("auto.sav"));
    EXPECT_EQ(run.Activate(SaveScreen::kCodeLoad), 1);
    EXPECT_STREQ(run.screen.MessageLine()->GetItem(0), SaveScreen::kEmptySlotText);
    EXPECT_EQ(run.harness.Game().career, career);
    WriteBytes((run.folder.Path() / "auto.sav").string(), "FORM");
    EXPECT_EQ(run.Activate(SaveScreen::kCodeLoad), 1);
    EXPECT_STREQ(run.screen.MessageLine()->GetItem(0), SaveScreen::kLoadFailedText);
    EXPECT_EQ(run.harness.Game().career, career);
}

// In a network session Save and Load do nothing and the page stays; New
// Game writes the pilot file.
TEST(SaveScreenTest, ANetworkSessionBlocksSaveAndLoadAndNewGameWritesThePilot) {
    SaveRun run;
    RecordingNetSession session(true);
    run.harness.Game().netSession = &session;
    run.Row(2);
    EXPECT_EQ(run.Activate(SaveScreen::kCodeSave), 1);
    EXPECT_FALSE(run.Exists("slot2.sav"));
    EXPECT_EQ(run.Activate(SaveScreen::kCodeLoad), 1);
    const std::string pilot = std::string(run.harness.Game().career->GetPilotName()) + ".plr";
    run.harness.Game().netSettings = new NetGameSettings();
    EXPECT_EQ(run.Activate(SaveScreen::kCodeNew), 0);
    EXPECT_TRUE(run.Exists(pilot.c_str()));
    // The network game is left: its settings gone, the session closed.
    EXPECT_EQ(run.harness.Game().netSettings, nullptr);
    EXPECT_FALSE(session.IsActive());
}

// The row keys move the pointer one row, not above the first or below the
// automatic save.
TEST(SaveScreenTest, RowKeysMoveThePointerOneRow) {
    SaveRun run;
    const struct {
        int32_t slot;
        uint16_t key;
        int32_t dy;
    } cases[] = {{4, SaveScreen::kCodeRowUp, -17},
                 {4, SaveScreen::kCodeRowDown, 17},
                 {0, SaveScreen::kCodeRowUp, 0},
                 {SaveScreen::kAutoSlot, SaveScreen::kCodeRowDown, 0}};
    for (const auto& c : cases) {
        run.screen.eventMap->SetMousePosition(400, 200);
        run.Event(SaveScreen::kRowCodes[c.slot], c.key);
        uint16_t x = 0, y = 0;
        run.screen.eventMap->GetMousePosition(&x, &y);
        EXPECT_EQ(int32_t(y), 200 + c.dy) << "slot " << c.slot;
        EXPECT_EQ(x, 400);
    }
}

// A slot title is read as far as the file holds it, at most 64 bytes; every
// cut of a slot file ends in a refusal.
TEST(SaveScreenTest, SlotTitlesAreBoundedAndTruncatedFilesRefused) {
    TempDir folder;
    const std::string path = (folder.Path() / "slot1.sav").string();
    {
        XorChunkStream stream;
        ASSERT_EQ(stream.Open(path.c_str(), kOpenWrite | kOpenCreate), kStatusOk);
        ASSERT_EQ(stream.BeginForm(MakeTag("BODY")), kStatusOk);
        const std::string longTitle(100, 'T');
        ASSERT_EQ(stream.WriteChunk(MakeTag("NAME"), longTitle.data(), uint32_t(longTitle.size())), kStatusOk);
        ASSERT_EQ(stream.Ascend(), kStatusOk);
        ASSERT_EQ(stream.CloseFile(), kStatusOk);
    }
    std::string title = "kept";
    ASSERT_EQ(SaveScreen::ReadSlotTitle(path.c_str(), &title), kStatusOk);
    EXPECT_EQ(title, std::string(64, 'T'));

    const std::string whole = FileContents(path);
    for (size_t length = 0; length < whole.size(); ++length) {
        WriteBytes(path, whole.substr(0, length));
        title = "kept";
        EXPECT_NE(SaveScreen::ReadSlotTitle(path.c_str(), &title), kStatusOk) << "length " << length;
        EXPECT_EQ(title, "kept");
    }
}

// Writing a pilot twice leaves one file with the later record; names that
// would leave the folder or hide the file are refused; every cut of a pilot
// file is refused with the career kept.
TEST(PilotFileTest, OneFilePerPilotAndDamagedOrBadlyNamedFilesRefused) {
    TempDir folder;
    ScreenHarness harness;
    GameState& game = harness.Game();
    game.SetConfigFolder(folder.Str());
    std::strcpy(game.career->pilotName, "Vega");
    game.career->funds = 1;
    ASSERT_EQ(WritePilotFile(game), kStatusOk);
    game.career->funds = 2;
    ASSERT_EQ(WritePilotFile(game), kStatusOk);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
    game.career->funds = 3;
    ASSERT_EQ(ReadPilotFile(game, "Vega"), kStatusOk);
    EXPECT_EQ(game.career->funds, 2);

    const std::string tooLong(60, 'n');
    for (const char* name : {"", ".hidden", "../Vega", "a/b", "a\\b", tooLong.c_str()}) {
        std::strcpy(game.career->pilotName, name);
        EXPECT_EQ(WritePilotFile(game), kStatusPilotBadName) << name;
        EXPECT_EQ(ReadPilotFile(game, name), kStatusPilotBadName) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

    const std::string path = (folder.Path() / "Vega.plr").string();
    const std::string whole = FileContents(path);
    for (size_t length = 0; length < whole.size(); length += 7) {
        WriteBytes(path, whole.substr(0, length));
        game.career->funds = 9;
        EXPECT_NE(ReadPilotFile(game, "Vega"), kStatusOk) << "length " << length;
        EXPECT_EQ(game.career->funds, 9);
    }
}
