#include "engine/IffFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/FileStream.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

static_assert(MakeTag("FORM") == 0x4D524F46);
static_assert(MakeTag("RIFF") == 0x46464952);

constexpr uint32_t kNoPad = IffFile::kModeNoPad;
constexpr uint32_t kRiff = IffFile::kModeRiff;

std::string TagText(uint32_t tag) {
    uint8_t bytes[4];
    StoreLe32(bytes, tag);
    return std::string(bytes, bytes + 4);
}

Status Write(IffFile& iff, uint32_t id, const std::string& text) {
    return iff.WriteChunk(id, text.data(), static_cast<uint32_t>(text.size()));
}

// A walk of everything below the current level, the way loaders walk: it
// logs "TYPE{" and "}" around forms and "ID :data" for chunks, and ends with
// 0 at a clean end of the level or with the first failure. The step bound
// only catches a walk that never ends.
constexpr int kMaxSteps = 10000;

Status WalkLevel(IffFile& iff, std::vector<std::string>& log, int& steps) {
    Status status;
    while ((status = iff.NextChunk()) == kStatusOk) {
        if (++steps > kMaxSteps) {
            ADD_FAILURE() << "the walk does not end";
            return kStatusOk;
        }
        if (iff.ChunkId() == IffFile::kFormId || iff.ChunkId() == IffFile::kRiffId) {
            if ((status = iff.Descend()) != kStatusOk) {
                return status;
            }
            log.push_back(TagText(iff.FormType()) + "{");
            const Status inner = WalkLevel(iff, log, steps);
            const Status up = iff.Ascend();
            if (inner != kStatusOk || up != kStatusOk) {
                return inner != kStatusOk ? inner : up;
            }
            log.push_back("}");
            continue;
        }
        std::string data(iff.ChunkSize(), '\0');
        if (!data.empty() && (status = iff.ReadChunk(data.data(), iff.ChunkSize())) != kStatusOk) {
            return status;
        }
        log.push_back(TagText(iff.ChunkId()) + ":" + data);
    }
    return status == kStatusEndOfData ? kStatusOk : status;
}

Status Walk(IffFile& iff, std::vector<std::string>& log) {
    int steps = 0;
    return WalkLevel(iff, log, steps);
}

// Odd chunks (pad bytes), an empty chunk, an empty form and three levels.
Bytes SampleFile(const ChunkBuilder& b) {
    return b.Form("ROOT", {b.Chunk("HDR ", "abc"),
                           b.Form("KID1", {b.Chunk("AAAA", "12345"), b.Chunk("EMPT", ""),
                                           b.Form("DEEP", {b.Chunk("BBBB", "xy")})}),
                           b.Chunk("TAIL", "q"), b.Form("KID2", {})});
}

const std::vector<std::string> kSampleLog = {"ROOT{", "HDR :abc", "KID1{", "AAAA:12345", "EMPT:", "DEEP{",
                                             "BBBB:xy",  "}",      "}",     "TAIL:q",     "KID2{", "}", "}"};

// Nested forms "L001" to "Lnnn", the innermost holding one chunk.
Bytes NestedFile(const ChunkBuilder& b, int depth) {
    Bytes inner = b.Chunk("CORE", "!");
    for (int i = depth; i >= 1; --i) {
        const std::string type = "L0" + std::to_string(i / 10) + std::to_string(i % 10);
        inner = b.Form(type, {inner});
    }
    return inner;
}

// ---- Writing

TEST(IffFileWrite, FormWithFiveByteChunkHasSize18AndPadByte) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("DATA"), "abcde"), kStatusOk);
    ASSERT_EQ(iff.Finish(), kStatusOk);

    const Bytes expected = {'F', 'O', 'R', 'M', 0, 0, 0, 18,  'T', 'E', 'S', 'T', 'D', 'A',
                            'T', 'A', 0,   0,   0, 5, 'a', 'b', 'c', 'd', 'e', 0};
    EXPECT_EQ(stream.Bytes(), expected);
    EXPECT_EQ(iff.Level(), 0u);
    EXPECT_EQ(stream.FlushCount(), 1);
}

TEST(IffFileWrite, RiffModeWritesLittleEndianSizesUnderRiff) {
    MemoryStream stream;
    IffFile iff(&stream, kRiff);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("WAVE")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("DATA"), "abcde"), kStatusOk);
    ASSERT_EQ(iff.Finish(), kStatusOk);

    const Bytes expected = {'R', 'I', 'F', 'F', 18, 0, 0, 0,   'W', 'A', 'V', 'E', 'D', 'A',
                            'T', 'A', 5,   0,   0,  0, 'a', 'b', 'c', 'd', 'e', 0};
    EXPECT_EQ(stream.Bytes(), expected);
}

TEST(IffFileWrite, EmptyFormHasSizeFourInEitherByteOrder) {
    for (const uint32_t mode : {0u, kRiff}) {
        MemoryStream stream;
        IffFile iff(&stream, mode);
        ASSERT_EQ(iff.BeginForm(MakeTag("NONE")), kStatusOk);
        ASSERT_EQ(iff.Finish(), kStatusOk);
        EXPECT_EQ(stream.Bytes(), ChunkBuilder(mode).Form("NONE", {})) << "mode " << mode;
    }
}

TEST(IffFileWrite, NoPadModeWritesNoPadByte) {
    MemoryStream stream;
    IffFile iff(&stream, kNoPad);
    ASSERT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("ODD "), "abc"), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("NEXT"), "z"), kStatusOk);
    ASSERT_EQ(iff.Finish(), kStatusOk);

    const ChunkBuilder b(ChunkBuilder::kNoPad);
    EXPECT_EQ(stream.Bytes(), b.Form("TEST", {b.Chunk("ODD ", "abc"), b.Chunk("NEXT", "z")}));
    EXPECT_EQ(stream.Bytes().size(), 12u + 11u + 9u);
}

TEST(IffFileWrite, NestedFormsGetTheirSizesFixedOnTheWayOut) {
    const ChunkBuilder b;
    MemoryStream stream;
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.BeginForm(MakeTag("ROOT")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("HDR "), "abc"), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("KID1")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("AAAA"), "12345"), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("EMPT"), ""), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("DEEP")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("BBBB"), "xy"), kStatusOk);
    ASSERT_EQ(iff.Ascend(), kStatusOk);
    ASSERT_EQ(iff.Ascend(), kStatusOk);
    EXPECT_EQ(iff.FormType(), MakeTag("ROOT"));
    ASSERT_EQ(Write(iff, MakeTag("TAIL"), "q"), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("KID2")), kStatusOk);
    // Finish closes KID2 and ROOT.
    ASSERT_EQ(iff.Finish(), kStatusOk);

    EXPECT_EQ(stream.Bytes(), SampleFile(b));
}

TEST(IffFileWrite, DestructorClosesOpenForms) {
    MemoryStream stream;
    {
        IffFile iff(&stream, 0);
        ASSERT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusOk);
        ASSERT_EQ(Write(iff, MakeTag("DATA"), "abcde"), kStatusOk);
    }
    const ChunkBuilder b;
    EXPECT_EQ(stream.Bytes(), b.Form("TEST", {b.Chunk("DATA", "abcde")}));
}

TEST(IffFileWrite, FifteenLevelsAreAcceptedAndASixteenthRefused) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    for (int i = 1; i <= 15; ++i) {
        ASSERT_EQ(iff.BeginForm(MakeTag("LEVL")), kStatusOk) << "level " << i;
    }
    EXPECT_EQ(iff.Level(), 15u);
    EXPECT_EQ(iff.BeginForm(MakeTag("LEVL")), kStatusIffTooDeep);
    EXPECT_EQ(iff.LastError(), kStatusIffTooDeep);
    EXPECT_EQ(iff.Level(), 15u);
    ASSERT_EQ(iff.Finish(), kStatusOk);
    EXPECT_EQ(stream.Bytes().size(), 15u * 12u);
    // The outermost form counts the fourteen inside it.
    EXPECT_EQ(stream.Bytes()[7], 4 + 14 * 12);
}

TEST(IffFileWrite, BeginFormRefusesTheGroupIdAsFormType) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    EXPECT_EQ(iff.BeginForm(IffFile::kFormId), kStatusIffBadId);
    IffFile riff(&stream, kRiff);
    EXPECT_EQ(riff.BeginForm(IffFile::kRiffId), kStatusIffBadId);
    EXPECT_TRUE(stream.Bytes().empty());
}

// Opened with create alone, the file takes bytes but the stream is not writable.
TEST(IffFileWrite, AStreamThatIsNotWritableRefusesEveryWrite) {
    const TempDir folder;
    const std::string path = folder.Str() + "/created.iff";
    FileStream stream;
    ASSERT_EQ(stream.Open(path.c_str(), kOpenCreate), kStatusOk);
    ASSERT_FALSE(stream.IsWritable());
    IffFile iff(&stream, 0);
    EXPECT_EQ(iff.ValidateHeader(), kStatusStreamNotUsable);
    EXPECT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusStreamNotUsable);
    EXPECT_EQ(Write(iff, MakeTag("DATA"), "abcd"), kStatusStreamNotUsable);
    EXPECT_EQ(iff.LastError(), kStatusStreamNotUsable);
    iff.Finish();
    EXPECT_EQ(stream.Length(), 0);
}

TEST(IffFileWrite, WritesWhileAnotherChunkIsCurrentAreRefused) {
    const ChunkBuilder b;
    MemoryStream stream(b.Join({b.Chunk("AAAA", "1234"), b.Chunk("BBBB", "5678")}));
    const Bytes before = stream.Bytes();
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);

    EXPECT_EQ(Write(iff, MakeTag("BBBB"), "wxyz"), kStatusIffChunkCurrent);  // other id
    EXPECT_EQ(Write(iff, MakeTag("AAAA"), "wxy"), kStatusIffChunkCurrent);   // other size
    EXPECT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusIffChunkCurrent);
    EXPECT_EQ(iff.LastError(), kStatusIffChunkCurrent);
    EXPECT_EQ(stream.Bytes(), before);
    // Still readable where it was.
    char data[4];
    ASSERT_EQ(iff.ReadChunk(data, sizeof data), kStatusOk);
    EXPECT_EQ(std::string(data, 4), "1234");
}

TEST(IffFileWrite, CurrentChunkIsRewrittenInPlace) {
    const ChunkBuilder b;
    MemoryStream stream(b.Form("TEST", {b.Chunk("AAAA", "abc"), b.Chunk("BBBB", "12345"), b.Chunk("CCCC", "z")}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.FindChunk(MakeTag("BBBB")), kStatusOk);

    ASSERT_EQ(Write(iff, MakeTag("BBBB"), "54321"), kStatusOk);
    EXPECT_EQ(iff.UnreadCount(), 0u);
    // The walk goes on behind the rewritten chunk and its pad byte.
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("CCCC"));
    ASSERT_EQ(iff.Finish(), kStatusOk);

    EXPECT_EQ(stream.Bytes(), b.Form("TEST", {b.Chunk("AAAA", "abc"), b.Chunk("BBBB", "54321"), b.Chunk("CCCC", "z")}));
}

TEST(IffFileWrite, FileWrittenCanBeReadBackBySameObject) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("ODD "), "abc"), kStatusOk);
    ASSERT_EQ(iff.Finish(), kStatusOk);

    ASSERT_EQ(iff.Rewind(0), kStatusOk);
    std::vector<std::string> log;
    EXPECT_EQ(Walk(iff, log), kStatusOk);
    EXPECT_EQ(log, (std::vector<std::string>{"TEST{", "ODD :abc", "}"}));
}

TEST(IffFileWrite, StreamWriteFailuresArePassedOn) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.BeginForm(MakeTag("TEST")), kStatusOk);
    stream.FailWritesAt(20);  // the chunk's data
    EXPECT_EQ(Write(iff, MakeTag("DATA"), "abcde"), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(iff.LastError(), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(stream.Cursor(), 12);
    stream.FailWritesAt(MemoryStream::kNever);
    stream.ShortWritesAt(14);
    EXPECT_EQ(iff.BeginForm(MakeTag("NEXT")), kStatusShortWrite);
    EXPECT_EQ(iff.Level(), 1u);
    EXPECT_EQ(stream.Cursor(), 12);

    // Written again, the chunk replaces the broken bytes.
    stream.Heal();
    ASSERT_EQ(Write(iff, MakeTag("DATA"), "abcde"), kStatusOk);
    ASSERT_EQ(iff.Finish(), kStatusOk);
    const ChunkBuilder b;
    EXPECT_EQ(stream.Bytes(), b.Form("TEST", {b.Chunk("DATA", "abcde")}));
}

TEST(IffFileWrite, FailedRewriteLeavesTheChunkCurrent) {
    MemoryStream stream(ChunkBuilder().Chunk("DATA", "abc"));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    stream.FailWritesAt(9);
    EXPECT_EQ(Write(iff, MakeTag("DATA"), "xyz"), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(iff.UnreadCount(), 3u);
    stream.Heal();
    ASSERT_EQ(Write(iff, MakeTag("DATA"), "xyz"), kStatusOk);
    EXPECT_EQ(stream.Bytes(), ChunkBuilder().Chunk("DATA", "xyz"));
}

TEST(IffFileWrite, FinishStopsAtAFailedSizeFix) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.BeginForm(MakeTag("OUTR")), kStatusOk);
    ASSERT_EQ(iff.BeginForm(MakeTag("INNR")), kStatusOk);
    ASSERT_EQ(Write(iff, MakeTag("DATA"), "abcde"), kStatusOk);
    stream.ShortWritesAt(16);  // the inner form's size field
    EXPECT_EQ(iff.Finish(), kStatusShortWrite);
    EXPECT_EQ(iff.LastError(), kStatusShortWrite);
    EXPECT_EQ(iff.Level(), 0u);
    EXPECT_EQ(stream.FlushCount(), 1);
}

TEST(IffFileWrite, FlushFailureIsReturnedAndKept) {
    MemoryStream stream;
    IffFile iff(&stream, 0);
    stream.FailFlush(true);
    EXPECT_EQ(iff.Finish(), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(iff.LastError(), MemoryStream::kStatusInjectedFault);
}

// ---- Reading

TEST(IffFileRead, WalksTheWholeTreeInBothByteOrdersAndPadModes) {
    for (const uint32_t mode : {0u, kNoPad, kRiff, kRiff | kNoPad}) {
        MemoryStream stream(SampleFile(ChunkBuilder(mode)));
        IffFile iff(&stream, mode);
        ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
        std::vector<std::string> log;
        EXPECT_EQ(Walk(iff, log), kStatusOk) << "mode " << mode;
        EXPECT_EQ(log, kSampleLog) << "mode " << mode;
    }
}

TEST(IffFileRead, ReaderSkipsPadByteUnlessNoPadMode) {
    const ChunkBuilder padding;
    const ChunkBuilder bare(ChunkBuilder::kNoPad);
    const Bytes padded = ChunkBuilder::Join({padding.Chunk("ODD ", "abc"), padding.Chunk("NEXT", "")});
    const Bytes unpadded = ChunkBuilder::Join({bare.Chunk("ODD ", "abc"), bare.Chunk("NEXT", "")});
    ASSERT_EQ(padded.size(), unpadded.size() + 1);
    for (const auto& [bytes, mode] : {std::pair{padded, 0u}, std::pair{unpadded, kNoPad}}) {
        MemoryStream stream(bytes);
        IffFile iff(&stream, mode);
        ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
        ASSERT_EQ(iff.NextChunk(), kStatusOk);
        ASSERT_EQ(iff.NextChunk(), kStatusOk) << "mode " << mode;  // skipped unread
        EXPECT_EQ(iff.ChunkId(), MakeTag("NEXT"));
    }
}

TEST(IffFileRead, GroupChunkShowsItsFormTypeBeforeDescending) {
    const ChunkBuilder b;
    MemoryStream stream(b.Form("OUTR", {b.Form("INNR", {b.Chunk("DATA", "1")})}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), IffFile::kFormId);
    EXPECT_EQ(iff.FormType(), MakeTag("OUTR"));
    EXPECT_EQ(iff.ChunkSize(), 4u + 12u + 10u);
    // The form type still counts as unread data of the group chunk.
    EXPECT_EQ(iff.UnreadCount(), iff.ChunkSize());
    ASSERT_EQ(iff.Descend(), kStatusOk);
    EXPECT_EQ(iff.Level(), 1u);
    EXPECT_EQ(iff.ChunkId(), 0u);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.FormType(), MakeTag("INNR"));
}

TEST(IffFileRead, EndOfFormGivesEndOfDataAndAscendSkipsFormPad) {
    const ChunkBuilder b;
    // A form of odd size 13 (its last chunk's pad is missing inside it),
    // followed by the form's own pad byte and a chunk.
    const Bytes file = b.Join({b.Header("FORM", 13), b.Text("TEST"), b.Header("ONE ", 1), b.Text("x"), {0},
                               b.Chunk("NEXT", "zz")});
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("ONE "));

    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);
    EXPECT_EQ(iff.ChunkId(), 0u);
    EXPECT_EQ(iff.LastError(), kStatusEndOfData);
    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);  // and stays there

    ASSERT_EQ(iff.Ascend(), kStatusOk);
    EXPECT_EQ(iff.Position(), 22u);
    EXPECT_EQ(iff.Level(), 0u);
    EXPECT_EQ(iff.FormType(), 0u);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("NEXT"));
    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);
}

TEST(IffFileRead, AscendAtTopLevelDoesNothing) {
    MemoryStream stream(ChunkBuilder().Chunk("DATA", "ab"));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    EXPECT_EQ(iff.Ascend(), kStatusOk);
    EXPECT_EQ(iff.NextChunk(), kStatusOk);
}

TEST(IffFileRead, DescendNeedsAGroupChunk) {
    MemoryStream stream(ChunkBuilder().Chunk("DATA", "abcd"));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    EXPECT_EQ(iff.Descend(), kStatusIffNotAForm);  // nothing current
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.Descend(), kStatusIffNotAForm);
    EXPECT_EQ(iff.LastError(), kStatusIffNotAForm);
}

TEST(IffFileRead, FifteenLevelsDescendAndASixteenthIsRefused) {
    MemoryStream stream(NestedFile(ChunkBuilder(), 16));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    for (uint32_t i = 1; i <= 15; ++i) {
        ASSERT_EQ(iff.NextChunk(), kStatusOk);
        ASSERT_EQ(iff.Descend(), kStatusOk) << "level " << i;
        EXPECT_EQ(iff.Level(), i);
    }
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.FormType(), MakeTag("L016"));
    EXPECT_EQ(iff.Descend(), kStatusIffTooDeep);
    EXPECT_EQ(iff.Level(), 15u);
    // Refused, not stuck: the form is skipped as a whole.
    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);
    for (int i = 0; i < 15; ++i) {
        ASSERT_EQ(iff.Ascend(), kStatusOk);
    }
    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);
}

TEST(IffFileRead, RewindWithoutReadLetsFindChunkTestTheFirstChunk) {
    const ChunkBuilder b;
    MemoryStream stream(b.Form("TEST", {b.Chunk("AAAA", "1"), b.Chunk("BBBB", "2"), b.Chunk("AAAA", "3")}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.FindForm(MakeTag("TEST")), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.FindChunk(MakeTag("BBBB")), kStatusOk);

    ASSERT_EQ(iff.Rewind(0), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), 0u);
    ASSERT_EQ(iff.FindChunk(MakeTag("AAAA")), kStatusOk);
    char data = 0;
    ASSERT_EQ(iff.ReadChunk(&data, 1), kStatusOk);
    EXPECT_EQ(data, '1');

    // With readFirst the first chunk is already current and not tested again.
    ASSERT_EQ(iff.Rewind(1), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("AAAA"));
    ASSERT_EQ(iff.FindChunk(MakeTag("AAAA")), kStatusOk);
    ASSERT_EQ(iff.ReadChunk(&data, 1), kStatusOk);
    EXPECT_EQ(data, '3');
}

TEST(IffFileRead, FindFormSkipsOtherChunksAndForms) {
    const ChunkBuilder b;
    MemoryStream stream(b.Form("ROOT", {b.Chunk("HDR ", "abc"), b.Form("KID1", {}), b.Form("KID2", {b.Chunk("IN  ", "ok")})}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.FindForm(MakeTag("ROOT")), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.FindForm(MakeTag("KID2")), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.FindChunk(MakeTag("IN  ")), kStatusOk);
    EXPECT_EQ(iff.ChunkSize(), 2u);
}

TEST(IffFileRead, FindsThatRunOutKeepTheEndAsLastError) {
    const ChunkBuilder b;
    MemoryStream stream(b.Form("ROOT", {b.Chunk("HDR ", "abc"), b.Form("KID1", {})}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);

    EXPECT_EQ(iff.FindChunk(MakeTag("NONE")), kStatusIffChunkNotFound);
    EXPECT_EQ(iff.LastError(), kStatusEndOfData);
    ASSERT_EQ(iff.Rewind(0), kStatusOk);
    EXPECT_EQ(iff.FindForm(MakeTag("NONE")), kStatusIffFormNotFound);
    EXPECT_EQ(iff.LastError(), kStatusEndOfData);
    // A FORM is found by its form type, not by its id.
    ASSERT_EQ(iff.Rewind(0), kStatusOk);
    EXPECT_EQ(iff.FindForm(IffFile::kFormId), kStatusIffFormNotFound);
}

TEST(IffFileRead, ReadChunkNeedsUnreadData) {
    const ChunkBuilder b;
    MemoryStream stream(b.Join({b.Chunk("AAAA", "abc"), b.Chunk("NONE", "")}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    char data[3];
    EXPECT_EQ(iff.ReadChunk(data), kStatusIffShortRead);  // nothing current
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.ReadChunk(data), kStatusOk);
    EXPECT_EQ(iff.ReadChunk(data), kStatusIffShortRead);  // already read
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ReadChunk(data), kStatusIffShortRead);  // empty chunk
}

TEST(IffFileRead, ReadChunkWithCapacityRefusesALargerChunk) {
    MemoryStream stream(ChunkBuilder().Chunk("DATA", "abcdef"));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    char data[8] = {};
    EXPECT_EQ(iff.ReadChunk(data, 5), kStatusIffChunkTooLarge);
    EXPECT_EQ(iff.LastError(), kStatusIffChunkTooLarge);
    EXPECT_EQ(data[0], 0);
    EXPECT_EQ(iff.UnreadCount(), 6u);
    ASSERT_EQ(iff.ReadChunk(data, 6), kStatusOk);
    EXPECT_EQ(std::string(data), "abcdef");
}

TEST(IffFileRead, ValidateHeaderAcceptsEmptyAndWellFormedFiles) {
    MemoryStream empty;
    IffFile onEmpty(&empty, 0);
    EXPECT_EQ(onEmpty.ValidateHeader(), kStatusOk);
    EXPECT_EQ(onEmpty.NextChunk(), kStatusEndOfData);

    // Exactly filling the file is enough; the last pad byte may be missing.
    MemoryStream exact(ChunkBuilder(ChunkBuilder::kNoPad).Chunk("DATA", "abc"));
    IffFile onExact(&exact, 0);
    EXPECT_EQ(onExact.ValidateHeader(), kStatusOk);
    ASSERT_EQ(onExact.NextChunk(), kStatusOk);
    char data[3];
    EXPECT_EQ(onExact.ReadChunk(data, 3), kStatusOk);
    EXPECT_EQ(onExact.NextChunk(), kStatusEndOfData);
}

TEST(IffFileRead, ValidateHeaderNeedsAUsableStream) {
    MemoryStream stream(ChunkBuilder().Chunk("DATA", "ab"));
    stream.Close();
    IffFile iff(&stream, 0);
    EXPECT_EQ(iff.ValidateHeader(), kStatusStreamNotUsable);
    EXPECT_EQ(iff.LastError(), kStatusStreamNotUsable);
}

// ---- Malformed input

TEST(IffFileMalformed, HeaderSizeBeyondTheFileFailsValidation) {
    const ChunkBuilder b;
    for (const Bytes& file : {b.Join({b.Header("FORM", 100), b.Text("TEST")}),
                              b.Join({b.Header("DATA", 3), b.Text("ab")}),
                              // 8 + size wraps to 0 in 32 bits
                              b.Join({b.Header("DATA", 0xFFFFFFF8u), b.Text("abcd")})}) {
        MemoryStream stream(file);
        IffFile iff(&stream, 0);
        EXPECT_EQ(iff.ValidateHeader(), kStatusIffBadHeader);
        EXPECT_EQ(iff.LastError(), kStatusIffBadHeader);
        EXPECT_EQ(stream.Cursor(), 0);
        // A caller that goes on anyway is refused the chunk as well.
        EXPECT_EQ(iff.NextChunk(), kStatusIffBadHeader);
        EXPECT_EQ(iff.ChunkId(), 0u);
    }
}

TEST(IffFileMalformed, ValidateHeaderRefusesShortOrUnprintableHeaders) {
    const ChunkBuilder b;
    for (const Bytes& file : {b.Text("FORM"), b.Header(std::string_view("DA\x7F" "A", 4), 0),
                              b.Header(std::string_view("DA\x1F" "A", 4), 0)}) {
        MemoryStream stream(file);
        IffFile iff(&stream, 0);
        EXPECT_EQ(iff.ValidateHeader(), kStatusIffBadHeader);
    }
}

TEST(IffFileMalformed, FormOfSizeTwoIsABadForm) {
    const ChunkBuilder b;
    MemoryStream stream(b.Join({b.Header("FORM", 2), b.Text("AB"), b.Chunk("NEXT", "")}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    EXPECT_EQ(iff.NextChunk(), kStatusIffBadForm);
    EXPECT_EQ(iff.LastError(), kStatusIffBadForm);
    EXPECT_EQ(iff.Descend(), kStatusIffBadForm);
    EXPECT_EQ(iff.Level(), 0u);
    // The broken form is current and can be stepped over.
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("NEXT"));
}

TEST(IffFileMalformed, ControlByteInAnIdIsRefusedWithoutMoving) {
    const ChunkBuilder b;
    MemoryStream stream(b.Form("TEST", {b.Chunk("GOOD", "ab"), b.Chunk(std::string_view("BA\nD", 4), "cd")}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    const uint32_t atBadHeader = iff.Position() + 2;

    EXPECT_EQ(iff.NextChunk(), kStatusIffBadId);
    EXPECT_EQ(iff.Position(), atBadHeader);
    EXPECT_EQ(stream.Cursor(), atBadHeader);
    EXPECT_EQ(iff.NextChunk(), kStatusIffBadId);
    // The form can still be left and the file walked again.
    ASSERT_EQ(iff.Ascend(), kStatusOk);
    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);
}

TEST(IffFileMalformed, NestedChunkLargerThanItsFormIsRefused) {
    const ChunkBuilder b;
    // The file is long enough for the chunk; its form is not.
    const Bytes file = b.Join({b.Form("TEST", {b.Chunk("GOOD", "ab"), b.Header("HUGE", 40)}),
                               b.Chunk("PAD ", std::string(48, '.'))});
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    const uint32_t atHuge = iff.Position() + 2;

    EXPECT_EQ(iff.NextChunk(), kStatusIffBadHeader);
    EXPECT_EQ(iff.Position(), atHuge);
    EXPECT_EQ(stream.Cursor(), atHuge);
    EXPECT_EQ(iff.NextChunk(), kStatusIffBadHeader);
    ASSERT_EQ(iff.Ascend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("PAD "));
}

TEST(IffFileMalformed, SizesAreComparedWithoutWrapping) {
    const ChunkBuilder b;
    // Behind a 16-byte chunk, position 16 + 8 + 0xFFFFFFF0 wraps to 8 in 32 bits.
    const Bytes file = b.Join({b.Chunk("FRST", "12345678"), b.Header("WRAP", 0xFFFFFFF0u), b.Text("abcdefgh")});
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.NextChunk(), kStatusIffBadHeader);
    EXPECT_EQ(iff.Position(), 16u);

    // The same inside a form.
    const Bytes nested = b.Form("TEST", {b.Chunk("FRST", "12345678"), b.Header("WRAP", 0xFFFFFFECu)});
    MemoryStream nestedStream(nested);
    IffFile inner(&nestedStream, 0);
    ASSERT_EQ(inner.ValidateHeader(), kStatusOk);
    ASSERT_EQ(inner.NextChunk(), kStatusOk);
    ASSERT_EQ(inner.Descend(), kStatusOk);
    ASSERT_EQ(inner.NextChunk(), kStatusOk);
    EXPECT_EQ(inner.NextChunk(), kStatusIffBadHeader);
}

TEST(IffFileMalformed, LoaderLoopEndsOnATruncatedChunkHeader) {
    const ChunkBuilder b;
    MemoryStream stream(b.Form("TEST", {b.Chunk("AAAA", "ab"), b.Chunk("BBBB", "cd")}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    stream.ShortReadsAt(28);  // inside the second header
    int chunks = 0;
    while (iff.NextChunk() == kStatusOk && chunks < 100) {
        ++chunks;
    }
    EXPECT_EQ(chunks, 1);
    EXPECT_EQ(iff.LastError(), kStatusIffShortRead);
    EXPECT_EQ(iff.FindChunk(MakeTag("BBBB")), kStatusIffChunkNotFound);
    EXPECT_EQ(iff.LastError(), kStatusIffShortRead);
}

TEST(IffFileMalformed, ShortDataReadIsAnError) {
    MemoryStream stream(ChunkBuilder().Chunk("DATA", "abcdef"));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    stream.ShortReadsAt(11);
    char data[6];
    EXPECT_EQ(iff.ReadChunk(data), kStatusIffShortRead);
    EXPECT_EQ(iff.LastError(), kStatusIffShortRead);
    EXPECT_EQ(iff.UnreadCount(), 3u);
    // The rest is skipped correctly.
    stream.Heal();
    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);
    EXPECT_EQ(iff.Position(), 14u);
}

// The streams report a failed read as a count of 0, which reads as a short chunk.
TEST(IffFileMalformed, FailedDataReadIsAShortReadAndStaysAtTheData) {
    const ChunkBuilder b;
    MemoryStream stream(b.Join({b.Chunk("DATA", "abcdef"), b.Chunk("NEXT", "")}));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    stream.FailReadsAt(10);
    char data[6];
    EXPECT_EQ(iff.ReadChunk(data), kStatusIffShortRead);
    stream.Heal();
    ASSERT_EQ(iff.ReadChunk(data), kStatusOk);
    EXPECT_EQ(std::string(data, 6), "abcdef");
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("NEXT"));
}

// ---- Truncation and stream failures at every byte

struct Fault {
    const char* name;
    void (*inject)(MemoryStream&, int64_t);
};

// Every failure must end the walk with a stated code, and once the stream is
// sound again the same object walks the whole file.
void ExpectEveryFaultEndsTheWalk(const Fault& fault, const std::vector<Status>& allowed) {
    const Bytes file = SampleFile(ChunkBuilder());
    for (int64_t offset = 0; offset < static_cast<int64_t>(file.size()); ++offset) {
        SCOPED_TRACE(std::string(fault.name) + " at " + std::to_string(offset));
        MemoryStream stream(file);
        IffFile iff(&stream, 0);
        ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
        fault.inject(stream, offset);
        std::vector<std::string> log;
        const Status status = Walk(iff, log);
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), status), allowed.end()) << std::hex << status;
        if (status == kStatusOk) {
            EXPECT_EQ(log, kSampleLog);  // only pad bytes are never read
        }

        stream.Heal();
        while (iff.Level() > 0) {
            ASSERT_EQ(iff.Ascend(), kStatusOk);
        }
        ASSERT_EQ(iff.Rewind(0), kStatusOk);
        log.clear();
        EXPECT_EQ(Walk(iff, log), kStatusOk);
        EXPECT_EQ(log, kSampleLog);
    }
}

TEST(IffFileTruncation, EveryTruncatedFileIsRefusedAndNeverLoops) {
    const Bytes file = SampleFile(ChunkBuilder());
    for (size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        MemoryStream stream(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
        IffFile iff(&stream, 0);
        EXPECT_EQ(iff.ValidateHeader(), length == 0 ? kStatusOk : kStatusIffBadHeader);
        std::vector<std::string> log;
        const Status expected = length == 0 ? kStatusOk : length < 8 ? kStatusIffShortRead : kStatusIffBadHeader;
        EXPECT_EQ(Walk(iff, log), expected);
        EXPECT_TRUE(log.empty());
        // Usable: the same again from the start.
        ASSERT_EQ(iff.Rewind(0), kStatusOk);
        EXPECT_EQ(Walk(iff, log), expected);
    }
}

TEST(IffFileTruncation, ShortReadAtEveryByteEndsTheWalk) {
    ExpectEveryFaultEndsTheWalk({"short read", [](MemoryStream& s, int64_t at) { s.ShortReadsAt(at); }},
                                {kStatusOk, kStatusIffShortRead, kStatusIffBadForm});
}

TEST(IffFileTruncation, FailedReadAtEveryByteEndsTheWalk) {
    ExpectEveryFaultEndsTheWalk({"failed read", [](MemoryStream& s, int64_t at) { s.FailReadsAt(at); }},
                                {kStatusOk, kStatusIffShortRead, kStatusIffBadForm, MemoryStream::kStatusInjectedFault});
}

TEST(IffFileTruncation, FailedSeeksEndTheWalk) {
    MemoryStream stream(SampleFile(ChunkBuilder()));
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    stream.FailSeeks(true);
    // Skipping the unread form needs a seek.
    EXPECT_EQ(iff.NextChunk(), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(iff.FindChunk(MakeTag("NONE")), kStatusIffChunkNotFound);
    stream.Heal();
    EXPECT_EQ(iff.NextChunk(), kStatusEndOfData);
}

// Each step of a walk that needs a seek or a read of the stream stops with
// the stream's error when it fails, stays where it was, and goes on once the
// stream is sound again.
TEST(IffFileTruncation, AFailureAtEachStepIsToldAndTheWalkGoesOnOnceHealed) {
    MemoryStream stream(SampleFile(ChunkBuilder()));
    IffFile iff(&stream, 0);
    stream.FailSeeks(true);
    EXPECT_EQ(iff.ValidateHeader(), MemoryStream::kStatusInjectedFault);
    stream.Heal();
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.ChunkId(), MakeTag("HDR "));

    // The data is read, but the seek over its pad byte fails.
    stream.FailSeeks(true);
    char data[3] = {};
    EXPECT_EQ(iff.ReadChunk(data), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(std::string(data, 3), "abc");
    EXPECT_EQ(iff.Rewind(1), MemoryStream::kStatusInjectedFault);
    stream.Heal();
    ASSERT_EQ(iff.Rewind(1), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("HDR "));

    // The form's type, peeked at by the step, cannot be read again to descend.
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    ASSERT_EQ(iff.FormType(), MakeTag("KID1"));
    stream.FailReadsAt(32);   // ROOT's header and type, HDR with its pad, KID1's header
    EXPECT_EQ(iff.Descend(), kStatusIffBadForm);
    EXPECT_EQ(iff.Level(), 1u);
    stream.Heal();
    ASSERT_EQ(iff.Descend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("AAAA"));

    stream.FailSeeks(true);
    EXPECT_EQ(iff.Ascend(), MemoryStream::kStatusInjectedFault);
    EXPECT_EQ(iff.Level(), 2u);
    stream.Heal();
    ASSERT_EQ(iff.Ascend(), kStatusOk);
    ASSERT_EQ(iff.NextChunk(), kStatusOk);
    EXPECT_EQ(iff.ChunkId(), MakeTag("TAIL"));
}

// ---- On disk

// Written, the file is synced once as it closes; read, never (a host
// reading a file per ship a peer asks for must not wait on the disk).
TEST(IffFileOnDisk, WrittenFileReadsBackThroughItsOwnFileStream) {
    const TempDir dir;
    const std::string path = dir.Str() + "/sample.iff";
    FaultyFileSystem files;
    ScopedInstall<platform::FileSystem> installed(files);
    {
        IffFile writer(0);
        ASSERT_EQ(writer.OpenFile(path.c_str(), 0x0b), kStatusOk);
        ASSERT_EQ(writer.BeginForm(MakeTag("ROOT")), kStatusOk);
        ASSERT_EQ(Write(writer, MakeTag("HDR "), "abc"), kStatusOk);
        ASSERT_EQ(writer.BeginForm(MakeTag("KID1")), kStatusOk);
        ASSERT_EQ(Write(writer, MakeTag("AAAA"), "12345"), kStatusOk);
        ASSERT_EQ(Write(writer, MakeTag("EMPT"), ""), kStatusOk);
        ASSERT_EQ(writer.BeginForm(MakeTag("DEEP")), kStatusOk);
        ASSERT_EQ(Write(writer, MakeTag("BBBB"), "xy"), kStatusOk);
        ASSERT_EQ(writer.Ascend(), kStatusOk);
        ASSERT_EQ(writer.Ascend(), kStatusOk);
        ASSERT_EQ(Write(writer, MakeTag("TAIL"), "q"), kStatusOk);
        ASSERT_EQ(writer.BeginForm(MakeTag("KID2")), kStatusOk);
        ASSERT_EQ(writer.CloseFile(), kStatusOk);
    }
    EXPECT_EQ(files.Calls(FaultyFileSystem::kFlush), 1u);
    IffFile reader(0);
    ASSERT_EQ(reader.OpenFile(path.c_str(), 1), kStatusOk);
    EXPECT_EQ(reader.Stream()->Length(), static_cast<int32_t>(SampleFile(ChunkBuilder()).size()));
    std::vector<std::string> log;
    EXPECT_EQ(Walk(reader, log), kStatusOk);
    EXPECT_EQ(log, kSampleLog);
    EXPECT_EQ(reader.CloseFile(), kStatusOk);
    EXPECT_EQ(files.Calls(FaultyFileSystem::kFlush), 1u);
}

TEST(IffFileOnDisk, MissingFileLeavesEveryFindHarmless) {
    const TempDir dir;
    IffFile iff(0);
    const Status opened = iff.OpenFile((dir.Str() + "/missing.iff").c_str(), 1);
    EXPECT_NE(opened, kStatusOk);
    EXPECT_EQ(iff.LastError(), opened);
    EXPECT_EQ(iff.FindForm(MakeTag("TEST")), kStatusIffFormNotFound);
    EXPECT_EQ(iff.FindChunk(MakeTag("TEST")), kStatusIffChunkNotFound);
}

TEST(IffFileOnDisk, TruncatedFileOnDiskFailsValidation) {
    const TempDir dir;
    const Bytes file = SampleFile(ChunkBuilder());
    dir.WriteFile("cut.iff", std::string(file.begin(), file.end() - 5));
    IffFile iff(0);
    EXPECT_EQ(iff.OpenFile((dir.Str() + "/cut.iff").c_str(), 1), kStatusIffBadHeader);
    std::vector<std::string> log;
    EXPECT_EQ(Walk(iff, log), kStatusIffBadHeader);
}

}  // namespace
