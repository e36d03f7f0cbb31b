// The response curve of FORM "CTRL": good files replace the curve, every
// bad one leaves the old curve and says why.
#include "game/ResponseCurve.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/IffFile.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;
const ChunkBuilder kBuild;

Bytes Curve(uint32_t low, uint32_t high) { return kBuild.Chunk("CURV", ChunkBuilder::Words({low, high, 0, 10, 90})); }

Status Read(const Bytes& file, DynArray20& curve) {
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk || iff.NextChunk() != kStatusOk) return kStatusCannotOpen;
    return response_curve::ReadForm(iff, curve);
}

TEST(ResponseCurveTest, OnlyWholeGoodFormsReplaceTheCurve) {
    DynArray20 curve;
    ASSERT_EQ(Read(kBuild.Form("CTRL", {Curve(0, 50), kBuild.Chunk("NOTE", "x"), Curve(50, 100)}), curve), kStatusOk);
    ASSERT_EQ(curve.Count(), 2);
    EXPECT_EQ(curve[1].words[0], 50u);
    EXPECT_EQ(curve[1].words[4], 90u);

    const struct {
        Bytes file;
        Status expected;
    } bad[] = {
        {kBuild.Form("CTRL", {Curve(0, 50), kBuild.Chunk("CURV", ChunkBuilder::Words({0, 1, 2, 3}))}), kStatusMalformed},
        {kBuild.Form("CTRL", {Curve(40, 40)}), kStatusMalformed},   // the flight controls divide by the span
        {kBuild.Form("CTRL", {Curve(60, 20)}), kStatusMalformed},
        {kBuild.Form("CTRL", {}), kStatusNotThisRecord},
        {kBuild.Form("CTRX", {Curve(0, 50)}), kStatusNotThisRecord},
    };
    for (const auto& c : bad) {
        EXPECT_EQ(Read(c.file, curve), c.expected);
        EXPECT_EQ(curve.Count(), 2);
    }
    const Bytes good = kBuild.Form("CTRL", {Curve(0, 50), Curve(50, 100)});
    for (size_t cut = 0; cut < good.size(); ++cut) {
        DynArray20 partial;
        const Status read = Read(Bytes(good.begin(), good.begin() + long(cut)), partial);
        EXPECT_NE(read, kStatusOk) << cut;
    }
}

// The curve file is a CTRL form; a missing file, one that is no chunk file,
// one of another form, or one whose chunks run past its end is refused, and
// the curve stays.
TEST(ResponseCurveTest, TheFileIsReadFromItsFirstControlForm) {
    const TempDir dir;
    const auto write = [&dir](const char* name, const Bytes& bytes) {
        const std::string path = dir.Str() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    };
    DynArray20 curve;
    const std::string good = write("good.iff", kBuild.Form("CTRL", {Curve(0, 30), Curve(30, 100)}));
    ASSERT_EQ(response_curve::Load(good.c_str(), curve), kStatusOk);
    ASSERT_EQ(curve.Count(), 2);
    EXPECT_EQ(curve[0].words[1], 30u);

    EXPECT_EQ(response_curve::Load((dir.Str() + "/none.iff").c_str(), curve), kStatusCannotOpen);
    EXPECT_EQ(response_curve::Load(nullptr, curve), kStatusCannotOpen);
    EXPECT_EQ(response_curve::Load(write("text.iff", Bytes(40, 'x')).c_str(), curve), kStatusCannotOpen);
    EXPECT_EQ(response_curve::Load(write("other.iff", kBuild.Form("FILE", {kBuild.Chunk("NOTE", "no curve")})).c_str(), curve),
              kStatusNotThisRecord);
    // A curve that claims more than the file holds.
    Bytes overlong = kBuild.Form("CTRL", {Curve(0, 30)});
    overlong.resize(overlong.size() - 2);
    EXPECT_NE(response_curve::Load(write("cut.iff", overlong).c_str(), curve), kStatusOk);
    EXPECT_EQ(curve.Count(), 2);
    EXPECT_EQ(curve[0].words[1], 30u);
}

}  // namespace
