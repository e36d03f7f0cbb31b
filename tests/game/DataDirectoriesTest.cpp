#include "game/DataDirectories.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "tests/support/FakeRemovableMedia.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

void WriteTree(const TempDir& dir, const std::string& under, int skip = -1) {
    for (int i = 0; i < DataDirectories::kCount; ++i) {
        if (i == skip) continue;
        dir.WriteFile(under + DataDirectories::kNames[i] + "/" + DataDirectories::kProbeFile, "x");
    }
}

class DataDirectoriesTest : public ::testing::Test {
protected:
    FakeRemovableMedia media_;
    ScopedInstall<platform::RemovableMedia> installed_{media_};
    TempDir dir_;
    DataDirectories dirs_;
};

TEST_F(DataDirectoriesTest, FindsAllSevenUnderTheWorkingRoot) {
    WriteTree(dir_, "");
    ASSERT_TRUE(dirs_.Find(dir_.Str()));
    EXPECT_EQ(dirs_.Prefix(DataDir::kData), dir_.Str() + "/data/");
    EXPECT_EQ(dirs_.Prefix(DataDir::kMissions), dir_.Str() + "/missions/");
}

TEST_F(DataDirectoriesTest, FolderAndProbeNamesMatchIgnoringCase) {
    for (int i = 0; i < DataDirectories::kCount; ++i) {
        std::string name = DataDirectories::kNames[i];
        std::string probe = DataDirectories::kProbeFile;
        for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : probe) c = char(std::toupper(static_cast<unsigned char>(c)));
        dir_.WriteFile(name + "/" + probe, "x");
    }
    EXPECT_TRUE(dirs_.Find(dir_.Str()));
}

TEST_F(DataDirectoriesTest, AFolderWithoutItsProbeFileIsNotFound) {
    WriteTree(dir_, "", static_cast<int>(DataDir::kXmi));
    dir_.WriteFile("xmi/other.txt", "x");
    EXPECT_FALSE(dirs_.Find(dir_.Str()));
    EXPECT_FALSE(dirs_.Found(DataDir::kXmi));
    EXPECT_TRUE(dirs_.Found(DataDir::kMesh));
}

TEST_F(DataDirectoriesTest, FallsBackToTheDiscsVornFolderPerDirectory) {
    WriteTree(dir_, "work/", static_cast<int>(DataDir::kVideo));
    WriteTree(dir_, "disc/vorn/");
    media_.roots = {dir_.Str() + "/disc"};
    ASSERT_TRUE(dirs_.Find(dir_.Str() + "/work"));
    EXPECT_EQ(dirs_.Prefix(DataDir::kVideo), dir_.Str() + "/disc/vorn/video/");
    EXPECT_EQ(dirs_.Prefix(DataDir::kData), dir_.Str() + "/work/data/");
}

TEST_F(DataDirectoriesTest, ClearEmptiesEveryPrefix) {
    WriteTree(dir_, "");
    ASSERT_TRUE(dirs_.Find(dir_.Str()));
    dirs_.Clear();
    for (int i = 0; i < DataDirectories::kCount; ++i) EXPECT_FALSE(dirs_.Found(static_cast<DataDir>(i)));
}

}  // namespace
