#include "game/PilotFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempDir.h"

TEST(PilotFileTest, WritesAndReadsBackUnderThePilotsName) {
    TempDir folder;
    GameState game;
    game.SetConfigFolder(folder.Str());
    std::strcpy(game.career->pilotName, "Ilse");
    game.career->funds = 4321;
    ASSERT_EQ(WritePilotFile(game), kStatusOk);
    EXPECT_EQ(PilotFilePath(game, "Ilse"), folder.Str() + "/Ilse.plr");
    EXPECT_FALSE(FileContents(folder.Str() + "/Ilse.plr.new").size() > 0);
    game.career->funds = 1;
    ASSERT_EQ(ReadPilotFile(game, "Ilse"), kStatusOk);
    EXPECT_EQ(game.career->funds, 4321);
}

// The file is replaced whole or not at all: a write that fails anywhere, a
// failed rename or a full disk keeps the pilot as last written.
TEST(PilotFileTest, AFailedWriteKeepsTheOldPilot) {
    TempDir folder;
    GameState game;
    game.SetConfigFolder(folder.Str());
    std::strcpy(game.career->pilotName, "Ilse");
    game.career->funds = 4321;
    ASSERT_EQ(WritePilotFile(game), kStatusOk);
    game.career->funds = 99;
    ExpectFailedReplaceKeepsTheOldFile(PilotFilePath(game, "Ilse"),
                                       [&] { return WritePilotFile(game) == kStatusOk; });
    ASSERT_EQ(ReadPilotFile(game, "Ilse"), kStatusOk);
    EXPECT_EQ(game.career->funds, 99);
}
