#include "engine/IniFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/FileWrappers.h"
#include "platform/FileSystem.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

// A reader over a memory stream opened the way the game opens its settings:
// read only.
class IniFileTest : public ::testing::Test {
protected:
    IniFile& Loaded(const std::string& text) {
        stream_.Bytes().assign(text.begin(), text.end());
        stream_.Close();
        EXPECT_EQ(stream_.Open("VORN.INI", kOpenRead), kStatusOk);
        EXPECT_EQ(ini_.Load(), kStatusOk);
        return ini_;
    }
    // The value of key in the selected section; "<status>" when it fails.
    std::string Value(const char* key, size_t outSize = 1024) {
        std::vector<char> out(outSize + 1, '#');
        const Status status = ini_.GetString(key, out.data(), outSize);
        if (status != kStatusOk) {
            return "<" + std::to_string(status) + ">";
        }
        EXPECT_EQ(out[outSize], '#') << "wrote past the buffer";
        return out.data();
    }
    static std::string Failed(Status status) { return "<" + std::to_string(status) + ">"; }

    MemoryStream stream_;
    IniFile ini_{&stream_};
};

constexpr const char* kStartup =
    "; start-up settings\r\n"
    "[Startup]\r\n"
    "Mouse=1\r\n"
    "Joystick=0\r\n"
    "Mouse_Sensitivity=5\r\n"
    "FullScreen = 1\r\n"
    "\r\n"
    "[Sound]\r\n"
    "Volume=7\r\n";

// --- what the game reads -----------------------------------------------

TEST_F(IniFileTest, ReadsTheStartupKeysAsIntegers) {
    IniFile& ini = Loaded(kStartup);
    ASSERT_EQ(ini.SetSection("Startup"), kStatusOk);
    EXPECT_EQ(ini.GetInt("Mouse"), 1);
    EXPECT_EQ(ini.GetInt("Joystick"), 0);
    EXPECT_EQ(ini.GetInt("Mouse_Sensitivity"), 5);
    EXPECT_EQ(ini.GetInt("FullScreen"), 1);
    ASSERT_EQ(ini.SetSection("Sound"), kStatusOk);
    EXPECT_EQ(ini.GetInt("Volume"), 7);
}

TEST_F(IniFileTest, BlanksAroundTheEqualsSignStayInTheValue) {
    IniFile& ini = Loaded("[S]\nFullScreen = 1\nName =  two words  \n");
    ini.SetSection("S");
    EXPECT_EQ(Value("FullScreen"), " 1");
    EXPECT_EQ(ini.GetInt("FullScreen"), 1);
    EXPECT_EQ(Value("Name"), "  two words  ");
}

TEST_F(IniFileTest, AMissingKeyReadsAsZeroAndReportsKeyNotFound) {
    IniFile& ini = Loaded(kStartup);
    ini.SetSection("Startup");
    EXPECT_EQ(ini.GetInt("Gamma"), 0);
    EXPECT_EQ(ini.LastError(), kStatusIniKeyNotFound);
    EXPECT_EQ(Value("Gamma"), Failed(kStatusIniKeyNotFound));
}

TEST_F(IniFileTest, AMissingFileLeavesEveryLookupFailingWithZero) {
    TempDir dir;
    IniFile ini;
    const std::string path = dir.Str() + "/VORN.INI";
    EXPECT_NE(ini.GetStream().Open(path.c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(ini.Load(), kStatusStreamNotUsable);
    // A stream that is not readable takes the section without looking.
    EXPECT_EQ(ini.SetSection("Startup"), kStatusOk);
    EXPECT_EQ(ini.GetInt("Mouse"), 0);
    EXPECT_EQ(ini.LastError(), kStatusIniSectionNotFound);
}

TEST_F(IniFileTest, NothingLoadedMeansSectionNotFoundEvenWithoutASection) {
    char out[8] = "junk";
    EXPECT_EQ(ini_.GetString("Mouse", out, sizeof out), kStatusIniSectionNotFound);
    EXPECT_STREQ(out, "");
}

// --- keys ----------------------------------------------------------------

TEST_F(IniFileTest, AShorterKeyDoesNotReadTheLineOfALongerOneBeforeIt) {
    IniFile& ini = Loaded("[Startup]\nMouse_Sensitivity=5\nMouse=1\n");
    ini.SetSection("Startup");
    EXPECT_EQ(ini.GetInt("Mouse"), 1);
    EXPECT_EQ(ini.GetInt("Mouse_Sensitivity"), 5);
}

TEST_F(IniFileTest, AShorterKeyDoesNotReadTheLineOfALongerOneBehindIt) {
    IniFile& ini = Loaded("[Startup]\nMouse=1\nMouse_Sensitivity=5\n");
    ini.SetSection("Startup");
    EXPECT_EQ(ini.GetInt("Mouse"), 1);
    EXPECT_EQ(ini.GetInt("Mouse_Sensitivity"), 5);
}

TEST_F(IniFileTest, AKeyEndsAtABlankATabAnEqualsSignOrTheLineEnd) {
    Loaded("Alone\nTabbed\t=t\nBlank =b\nPlain=p\nMousey=no\n");
    EXPECT_EQ(Value("Tabbed"), "t");
    EXPECT_EQ(Value("Blank"), "b");
    EXPECT_EQ(Value("Plain"), "p");
    EXPECT_EQ(Value("Alone"), "");
    EXPECT_EQ(Value("Mouse"), Failed(kStatusIniKeyNotFound));
    EXPECT_EQ(Value("Tab"), Failed(kStatusIniKeyNotFound));
}

TEST_F(IniFileTest, AKeyLineWithoutEqualsSignHasAnEmptyValueNotTheNextLines) {
    Loaded("[S]\nMouse 3\nOther=7\nJoystick\r\nLast=9\nTail");
    ini_.SetSection("S");
    EXPECT_EQ(Value("Mouse"), "");
    EXPECT_EQ(ini_.LastError(), kStatusOk);
    EXPECT_EQ(Value("Joystick"), "");
    EXPECT_EQ(Value("Tail"), "");
    EXPECT_EQ(ini_.GetInt("Mouse"), 0);
}

TEST_F(IniFileTest, CommentsAndIndentationAreSkipped) {
    Loaded("  ; Mouse=9\n\t;Mouse=8\n\n   \tMouse=1\n");
    EXPECT_EQ(Value("Mouse"), "1");
}

TEST_F(IniFileTest, AValueEndsBeforeACommentOnItsLine) {
    Loaded("Name=abc;the rest\nSpaced = 4 ; four\n");
    EXPECT_EQ(Value("Name"), "abc");
    EXPECT_EQ(Value("Spaced"), " 4 ");
    EXPECT_EQ(ini_.GetInt("Spaced"), 4);
}

TEST_F(IniFileTest, CarriageReturnsAreLeftOutOfValues) {
    Loaded("A=xy\r\nB=x\ry\r\r\nC=\r\n");
    EXPECT_EQ(Value("A"), "xy");
    EXPECT_EQ(Value("B"), "xy");
    EXPECT_EQ(Value("C"), "");
}

TEST_F(IniFileTest, AValueMayHoldFurtherEqualsSigns) {
    Loaded("Path=a=b\n");
    EXPECT_EQ(Value("Path"), "a=b");
}

// --- sections --------------------------------------------------------------

TEST_F(IniFileTest, AKeyOnlyInALaterSectionIsNotFound) {
    IniFile& ini = Loaded(kStartup);
    ini.SetSection("Startup");
    EXPECT_EQ(Value("Volume"), Failed(kStatusIniKeyNotFound));
}

TEST_F(IniFileTest, WithoutASectionOnlyTheLinesBeforeTheFirstHeaderAreRead) {
    IniFile& ini = Loaded("Top=1\n[S]\nInner=2\n");
    ini.SetSection("S");
    EXPECT_EQ(ini.SetSection(nullptr), kStatusOk);
    EXPECT_EQ(Value("Top"), "1");
    EXPECT_EQ(Value("Inner"), Failed(kStatusIniKeyNotFound));
    EXPECT_EQ(ini.SetSection(""), kStatusOk);
    EXPECT_EQ(Value("Top"), "1");
}

TEST_F(IniFileTest, TheHeaderIsFoundAnywhereAndTheRestOfItsLineIsNotRead) {
    IniFile& ini = Loaded("x=0 [S] Key=5\nKey=1\n");
    ASSERT_EQ(ini.SetSection("S"), kStatusOk);
    EXPECT_EQ(Value("Key"), "1");
}

TEST_F(IniFileTest, AMissingSectionIsRefusedOnAReadOnlyStreamAndStaysSelected) {
    IniFile& ini = Loaded(kStartup);
    ini.SetSection("Startup");
    EXPECT_EQ(ini.SetSection("Video"), kStatusIniSectionNotFound);
    // Not the previous section's value: the lookup knows the section is missing.
    EXPECT_EQ(Value("Mouse"), Failed(kStatusIniSectionNotFound));
    EXPECT_EQ(ini.GetInt("Mouse"), 0);
}

TEST_F(IniFileTest, AWritableStreamTakesAnySectionWithoutLooking) {
    stream_.Bytes().assign(kStartup, kStartup + std::char_traits<char>::length(kStartup));
    ASSERT_EQ(ini_.Load(), kStatusOk);  // the stream started readable and writable
    EXPECT_EQ(ini_.SetSection("Video"), kStatusOk);
    EXPECT_EQ(Value("Mouse"), Failed(kStatusIniSectionNotFound));
}

TEST_F(IniFileTest, SectionNamesFitTheirBufferUpTo253Characters) {
    const std::string longest(IniFile::kMaxSectionName, 'L');
    const std::string tooLong(IniFile::kMaxSectionName + 1, 'L');
    IniFile& ini = Loaded("[Old]\nKey=old\n[" + longest + "]\nKey=long\n");
    ASSERT_EQ(ini.SetSection("Old"), kStatusOk);
    EXPECT_EQ(ini.SetSection(tooLong.c_str()), kStatusIniSectionNameTooLong);
    EXPECT_EQ(Value("Key"), "old");
    EXPECT_EQ(ini.SetSection(longest.c_str()), kStatusOk);
    EXPECT_EQ(Value("Key"), "long");
}

// --- output buffers ----------------------------------------------------------

TEST_F(IniFileTest, AValueIsCutToTheCallersBuffer) {
    Loaded("A=abcdef\n");
    EXPECT_EQ(Value("A", 4), "abc");
    EXPECT_EQ(Value("A", 7), "abcdef");
    EXPECT_EQ(Value("A", 1), "");
    EXPECT_EQ(ini_.GetString("A", nullptr, 0), kStatusOk);
}

TEST_F(IniFileTest, AValueIsCutTo1023CharactersWhateverTheBuffer) {
    const std::string value(1500, 'v');
    Loaded("A=" + value + "\nB=-" + std::string(1500, '1') + "\n");
    EXPECT_EQ(Value("A", 4096), std::string(1023, 'v'));
    EXPECT_EQ(ini_.GetInt("B"), INT32_MIN);
}

TEST_F(IniFileTest, GetIntConvertsLikeTheCRuntime) {
    Loaded("A=  -42abc\nB=+7\nC=abc\nD=99999999999\nE=\t12 3\nF=\n");
    EXPECT_EQ(ini_.GetInt("A"), -42);
    EXPECT_EQ(ini_.GetInt("B"), 7);
    EXPECT_EQ(ini_.GetInt("C"), 0);
    EXPECT_EQ(ini_.GetInt("D"), INT32_MAX);
    EXPECT_EQ(ini_.GetInt("E"), 12);
    EXPECT_EQ(ini_.GetInt("F"), 0);
}

TEST_F(IniFileTest, GetStringsStopsAtTheFirstFailure) {
    Loaded("A=1\nB=2\nC=3\n");
    const char* const keys[] = {"A", "Missing", "B", nullptr};
    char a[8] = "x", missing[8] = "x", b[8] = "intact";
    char* const outs[] = {a, missing, b};
    EXPECT_EQ(ini_.GetStrings(keys, outs, sizeof a), kStatusIniKeyNotFound);
    EXPECT_STREQ(a, "1");
    EXPECT_STREQ(missing, "");
    EXPECT_STREQ(b, "intact");
}

TEST_F(IniFileTest, GetStringsEndsAtAnEmptyKeyAndCutsEveryOutput) {
    Loaded("A=111\nB=222\nC=333\n");
    const char* const keys[] = {"A", "B", "", "C", nullptr};
    char a[3] = {}, b[3] = {}, c[3] = "u";
    char* const outs[] = {a, b, nullptr, c};
    EXPECT_EQ(ini_.GetStrings(keys, outs, sizeof a), kStatusOk);
    EXPECT_STREQ(a, "11");
    EXPECT_STREQ(b, "22");
    EXPECT_STREQ(c, "u");
}

// --- loading and unloading -----------------------------------------------------

TEST_F(IniFileTest, UnloadForgetsTheTextAndTheSection) {
    IniFile& ini = Loaded(kStartup);
    ini.SetSection("Startup");
    const int32_t flushes = stream_.FlushCount();
    EXPECT_EQ(ini.Unload(), kStatusOk);
    EXPECT_EQ(stream_.FlushCount(), flushes + 1);
    EXPECT_EQ(Value("Mouse"), Failed(kStatusIniSectionNotFound));
    // Reloaded, the section was cleared: only the lines before any header count.
    ASSERT_EQ(ini.Load(), kStatusOk);
    EXPECT_EQ(Value("Mouse"), Failed(kStatusIniKeyNotFound));
}

TEST_F(IniFileTest, AFailedFlushOnUnloadBecomesTheLastError) {
    Loaded(kStartup);
    stream_.FailFlush(true);
    EXPECT_EQ(ini_.Unload(), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(ini_.LastError(), MemoryStream::kStatusInjectedFault);
}

TEST_F(IniFileTest, AStreamNeitherReadableNorWritableIsNotLoaded) {
    stream_.Close();
    EXPECT_EQ(ini_.Load(), kStatusStreamNotUsable);
    EXPECT_EQ(ini_.LastError(), kStatusStreamNotUsable);
    // ReadAll on its own asks the stream and passes its answer on.
    EXPECT_EQ(ini_.ReadAll(), kStatusStreamNotOpen);
}

TEST_F(IniFileTest, AnEmptyFileLoadsAndHoldsNoKeys) {
    Loaded("");
    EXPECT_EQ(Value("Mouse"), Failed(kStatusIniKeyNotFound));
}

TEST_F(IniFileTest, AReloadOfAShorterFileLeavesNothingOfTheLongerOne) {
    Loaded("A=1\nB=2\nC=3\n");
    Loaded("A=9\n");
    EXPECT_EQ(Value("A"), "9");
    EXPECT_EQ(Value("B"), Failed(kStatusIniKeyNotFound));
    Loaded("A=1\nB=2\nC=3\nD=4\n");
    EXPECT_EQ(Value("D"), "4");
}

TEST_F(IniFileTest, NoMemoryForALongerFileLeavesNoText) {
    Loaded("A=1\n");
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        stream_.Bytes().assign(64, 'B');
        EXPECT_EQ(ini_.Load(), kStatusIniNoMemory);
        EXPECT_EQ(Value("A"), Failed(kStatusIniSectionNotFound));
    }
    EXPECT_EQ(ini_.Load(), kStatusOk);
}

TEST_F(IniFileTest, AShortReadKeepsWhatArrivedAndReportsTheStreamsError) {
    const std::string text = "[S]\nA=1\nB=22222\n";
    stream_.Bytes().assign(text.begin(), text.end());
    stream_.ShortReadsAt(text.find("222") + 2);
    EXPECT_EQ(ini_.Load(), kStatusEndOfData);
    EXPECT_EQ(ini_.LastError(), kStatusEndOfData);
    ini_.SetSection("S");
    EXPECT_EQ(Value("A"), "1");
    EXPECT_EQ(Value("B"), "22");
}

TEST_F(IniFileTest, AFailedReadLeavesAnEmptyTextAndReportsTheStreamsError) {
    stream_.Bytes().assign({'A', '=', '1'});
    stream_.FailReadsAt(0);
    EXPECT_EQ(ini_.Load(), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(Value("A"), Failed(kStatusIniKeyNotFound));
}

TEST_F(IniFileTest, AFailedSeekReportsTheStreamsError) {
    stream_.Bytes().assign({'A', '=', '1'});
    stream_.FailSeeks(true);
    EXPECT_EQ(ini_.Load(), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(Value("A"), Failed(kStatusIniKeyNotFound));
}

TEST_F(IniFileTest, TextAfterAZeroByteIsNotRead) {
    Loaded(std::string("A=1\n", 4) + std::string(1, '\0') + "B=2\n");
    EXPECT_EQ(Value("A"), "1");
    EXPECT_EQ(Value("B"), Failed(kStatusIniKeyNotFound));
}

TEST(IniFile, TheDestructorClosesTheCallersStream) {
    MemoryStream stream;
    {
        IniFile ini(&stream);
        ASSERT_EQ(ini.Load(), kStatusOk);
    }
    EXPECT_FALSE(stream.IsOpen());
}

// --- on a real file --------------------------------------------------------------

TEST(IniFile, ReadsASettingsFileThroughItsOwnStream) {
    TempDir dir;
    dir.WriteFile("VORN.INI", kStartup);
    IniFile ini;
    ASSERT_EQ(ini.GetStream().Open((dir.Str() + "/VORN.INI").c_str(), kOpenRead), kStatusOk);
    ASSERT_EQ(ini.Load(), kStatusOk);
    ASSERT_EQ(ini.SetSection("Startup"), kStatusOk);
    EXPECT_EQ(ini.GetInt("Mouse"), 1);
    EXPECT_EQ(ini.GetInt("Mouse_Sensitivity"), 5);
    EXPECT_EQ(ini.GetInt("FullScreen"), 1);
    EXPECT_EQ(ini.GetInt("Joystick"), 0);
}

TEST(IniFile, ATruncatedFileKeepsItsFirstLinesEvenWhenTheStreamGivesNoReason) {
    TempDir dir;
    dir.WriteFile("VORN.INI", "[Startup]\nMouse=1\nJoystick=1\n");
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    files.ShortReads(19);  // "[Startup]\nMouse=1\nJ"
    IniFile ini;
    ASSERT_EQ(ini.GetStream().Open((dir.Str() + "/VORN.INI").c_str(), kOpenRead), kStatusOk);
    // The file stream reports a short count without an error of its own.
    EXPECT_EQ(ini.Load(), kStatusEndOfData);
    ini.SetSection("Startup");
    EXPECT_EQ(ini.GetInt("Mouse"), 1);
    EXPECT_EQ(ini.GetInt("Joystick"), 0);
    EXPECT_EQ(ini.LastError(), kStatusIniKeyNotFound);
}

TEST(IniFile, AFailingDiskLeavesNoText) {
    TempDir dir;
    dir.WriteFile("VORN.INI", "Mouse=1\n");
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    files.FailNext(FaultyFileSystem::kRead, 1, platform::kFileGeneralFailure);
    IniFile ini;
    ASSERT_EQ(ini.GetStream().Open((dir.Str() + "/VORN.INI").c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(ini.Load(), platform::kFileGeneralFailure);
    EXPECT_EQ(ini.GetInt("Mouse"), 0);
}

TEST(IniFile, AFileBeyondTwoGigabytesIsRefusedWithoutAllocating) {
    TempDir dir;
    dir.WriteFile("HUGE.INI", "A=1\n");
    const std::string path = dir.Str() + "/HUGE.INI";
    std::error_code error;
    std::filesystem::resize_file(path, uint64_t{1} << 32, error);  // sparse on every usual file system
    if (error) {
        GTEST_SKIP() << "cannot make a sparse file here: " << error.message();
    }
    IniFile ini;
    ASSERT_EQ(ini.GetStream().Open(path.c_str(), kOpenRead), kStatusOk);
    EXPECT_EQ(ini.Load(), platform::kFileInvalidParameter);
    char out[4];
    EXPECT_EQ(ini.GetString("A", out, sizeof out), kStatusIniSectionNotFound);
}

}  // namespace
