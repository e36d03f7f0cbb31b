#include "shell/Startup.h"

#include <gtest/gtest.h>

#include "engine/EngineHeap.h"
#include "engine/WorldContext.h"
#include "engine/image/FontContext.h"
#include "shell/DataDirectories.h"
#include "shell/GameMessages.h"
#include "shell/LaunchOptions.h"
#include "tests/support/FakeRemovableMedia.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/FontData.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    // The probe files, and the fonts the start-up loads.
    void WriteTree() {
        for (const char* name : DataDirectories::kNames)
            dir_.WriteFile(std::string(name) + "/" + DataDirectories::kProbeFile, "x");
        ASSERT_EQ(WriteSampleFonts(dir_.Str() + "/data/"), kStatusOk);
    }
    LaunchOptions Options() const {
        LaunchOptions options;
        options.dataRoot = dir_.Str();
        options.headless = true;
        return options;
    }

    FakeRemovableMedia media_;
    ScopedInstall<platform::RemovableMedia> installedMedia_{media_};
    RecordingMessageBox boxes_;
    ScopedInstall<platform::MessageBox> installedBoxes_{boxes_};
    TempDir dir_;
};

TEST_F(StartupTest, StartsAndShutsDownLeavingNothingBehind) {
    WriteTree();
    EXPECT_EQ(RunGame(Options()), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(g_engine, nullptr);
    EXPECT_EQ(g_worldContext, nullptr);
    EXPECT_EQ(g_fontContext, nullptr);
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_FALSE(g_dataDirs.Found(DataDir::kData));
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
    EXPECT_EQ(g_engine, nullptr);
    EXPECT_EQ(g_fontContext, nullptr);
    EXPECT_FALSE(EngineHeap::IsReserved());
    EXPECT_FALSE(g_dataDirs.Found(DataDir::kData));
}

TEST_F(StartupTest, MissingFilesAskForTheDiscAndCancelEndsTheProcess) {
    EXPECT_EQ(RunGame(Options()), 1);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, msg::kInsertCdRom);
    EXPECT_EQ(g_engine, nullptr);
    EXPECT_FALSE(EngineHeap::IsReserved());
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
    for (const char* name : DataDirectories::kNames)
        dir_.WriteFile(std::string("disc/vorn/") + name + "/" + DataDirectories::kProbeFile, "x");
    ASSERT_EQ(WriteSampleFonts(dir_.Str() + "/disc/vorn/data/"), kStatusOk);
    ScopedInstall<platform::RemovableMedia> installed(media);
    boxes_.QueueAnswer(platform::MessageBoxAnswer::kRetry);
    LaunchOptions options = Options();
    options.dataRoot = dir_.Str() + "/nothing-here";
    EXPECT_EQ(RunGame(options), 0);
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

}  // namespace
