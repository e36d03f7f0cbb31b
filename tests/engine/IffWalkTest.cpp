#include "engine/IffWalk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"

namespace {

using Bytes = ChunkBuilder::Bytes;

std::string Name(uint32_t word) {
    return std::string{char(word), char(word >> 8), char(word >> 16), char(word >> 24)};
}

// What a walk saw, one entry a chunk: its id (a form's type) and its level.
struct Seen {
    std::vector<std::string> chunks;
    Status walked = kStatusOk;
    uint32_t levelAfter = 0;
};

// Walks `file`, entering the forms of `entered`, stopping at the chunk `stopAt`.
Seen WalkOver(const Bytes& file, const std::string& entered, const std::string& stopAt = "") {
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    Seen seen;
    iff.ValidateHeader();
    seen.walked = iff_walk::Walk(iff, [&](IffFile& at) {
        const bool form = at.ChunkId() == IffFile::kFormId;
        const std::string name = form ? Name(at.FormType()) : Name(at.ChunkId());
        seen.chunks.push_back(name + "@" + std::to_string(at.Level()));
        if (name == stopAt) return iff_walk::Choice::kStop;
        return form && entered.find(name) != std::string::npos ? iff_walk::Choice::kEnter : iff_walk::Choice::kPass;
    });
    seen.levelAfter = iff.Level();
    return seen;
}

class IffWalkTest : public ::testing::Test {
protected:
    const ChunkBuilder b_;
    // Two nested forms in one, a form beside them, and a chunk after all.
    const Bytes deep_ = b_.Form("DEEP", {b_.Chunk("BBBB", "xy")});
    const Bytes file_ = ChunkBuilder::Join(
        {b_.Form("ROOT", {b_.Chunk("HDR ", "abc"), b_.Form("KID1", {b_.Chunk("AAAA", "1"), deep_}),
                          b_.Chunk("MID ", ""), b_.Form("KID2", {b_.Chunk("CCCC", "q")})}),
         b_.Form("NEXT", {b_.Chunk("DDDD", "z")})});
};

TEST_F(IffWalkTest, TheWalkGoesThroughTheFormsItEntersAndOnAfterEach) {
    const Seen all = WalkOver(file_, "ROOT KID1 DEEP KID2 NEXT");
    EXPECT_EQ(all.walked, kStatusEndOfData);
    EXPECT_EQ(all.levelAfter, 0u);
    const std::vector<std::string> expected = {"ROOT@0", "HDR @1", "KID1@1", "AAAA@2", "DEEP@2", "BBBB@3",
                                               "MID @1", "KID2@1", "CCCC@2", "NEXT@0", "DDDD@1"};
    EXPECT_EQ(all.chunks, expected);

    // Forms not entered are passed over whole.
    const Seen some = WalkOver(file_, "ROOT");
    EXPECT_EQ(some.walked, kStatusEndOfData);
    EXPECT_EQ(some.chunks, (std::vector<std::string>{"ROOT@0", "HDR @1", "KID1@1", "MID @1", "KID2@1", "NEXT@0"}));

    // A stop leaves the reader on the chunk it stopped at.
    const Seen stopped = WalkOver(file_, "ROOT KID1 DEEP", "BBBB");
    EXPECT_EQ(stopped.walked, kStatusOk);
    EXPECT_EQ(stopped.levelAfter, 3u);
    EXPECT_EQ(stopped.chunks.back(), "BBBB@3");
}

TEST_F(IffWalkTest, EveryTruncationEndsTheWalkWithoutLooping) {
    for (size_t length = 0; length < file_.size(); ++length) {
        SCOPED_TRACE(length);
        const Bytes cut(file_.begin(), file_.begin() + ptrdiff_t(length));
        const Seen seen = WalkOver(cut, "ROOT KID1 DEEP KID2 NEXT");
        EXPECT_LE(seen.chunks.size(), 11u);
        EXPECT_NE(seen.walked, kStatusOk);
    }
}

TEST_F(IffWalkTest, NestedFormsOfAPathAreVisitedInEveryEnclosingForm) {
    const Bytes item = b_.Form("ITEM", {});
    const Bytes file = ChunkBuilder::Join({b_.Form("LIST", {item, b_.Form("SKIP", {item})}), item,
                                           b_.Form("LIST", {b_.Form("ITEM", {b_.Chunk("A   ", "1")})})});
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    int visited = 0;
    EXPECT_EQ(iff_walk::ForEachNested(iff, {MakeTag("LIST"), MakeTag("ITEM")},
                                      [&](IffFile& at) {
                                          EXPECT_EQ(at.Level(), 1u);
                                          ++visited;
                                          return true;
                                      }),
              kStatusOk);
    EXPECT_EQ(visited, 2);   // the items of each list, not the one beside them or inside another form
}

}  // namespace
