// The response curve of FORM "CTRL": good files replace the curve, every
// bad one leaves the old curve and says why.
#include "game/ResponseCurve.h"

#include <gtest/gtest.h>

#include "engine/IffFile.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"

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

}  // namespace
