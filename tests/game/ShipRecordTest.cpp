// Hulls and item definitions as the career reads them: the areas a hull's
// chunks make, the values an item takes from its definition, and damaged
// files that must end in a clear error with the record as it was.
#include "game/ShipRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/XfebCodec.h"
#include "engine/IffFile.h"
#include "game/EquipmentItem.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"

namespace {

using Bytes = std::vector<uint8_t>;
const ChunkBuilder b;

Bytes Le16(std::initializer_list<uint16_t> words, const char* name = nullptr) {
    Bytes out;
    for (const uint16_t word : words) {
        out.push_back(uint8_t(word));
        out.push_back(uint8_t(word >> 8));
    }
    if (name != nullptr) out.insert(out.end(), name, name + std::strlen(name) + 1);
    return out;
}

// A FORM "XFEB" of a small picture, as the codec writes it.
Bytes Picture(uint16_t width, uint16_t height) {
    Bitmap bitmap;
    EXPECT_EQ(bitmap.Create(width, height, Bitmap::kDepth8Bit, true), kStatusOk);
    MemoryStream stream;
    IffFile iff(&stream, 0);
    EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
    XfebCodec codec(&bitmap);
    EXPECT_EQ(codec.WriteForm(&iff, &bitmap), kStatusOk);
    EXPECT_EQ(iff.Finish(), kStatusOk);
    return stream.Bytes();
}
Bytes Cel(std::initializer_list<Bytes> pictures) {
    Bytes contents = ChunkBuilder::Join({ChunkBuilder::Text("XCEL"), b.Chunk("COOR", Le16({3, 4}))});
    for (const Bytes& picture : pictures) contents.insert(contents.end(), picture.begin(), picture.end());
    return b.Chunk("FORM", contents);
}

Bytes Hull(const char* id, std::initializer_list<Bytes> areas) {
    Bytes contents = ChunkBuilder::Join({ChunkBuilder::Text("HULL"), b.Chunk("ID  ", ChunkBuilder::Text(id)),
                                         b.Chunk("NAME", ChunkBuilder::Text("Lancer")),
                                         b.Chunk("INFO", ChunkBuilder::Words({1000, 1, 2, 80, 4, 5, 6})),
                                         b.Chunk("PHYS", ChunkBuilder::Words({0x00120000, 0, 0xFFFE0000}))});
    for (const Bytes& area : areas) contents.insert(contents.end(), area.begin(), area.end());
    const Bytes pictures = ChunkBuilder::Join({Cel({Picture(8, 4)}), Cel({Picture(6, 6)})});
    contents.insert(contents.end(), pictures.begin(), pictures.end());
    return b.Chunk("FORM", contents);
}

Bytes SampleHulls() {
    return ChunkBuilder::Join(
        {b.Form("OPTI", {b.Chunk("SPRT", Bytes(4, 0))}),
         Hull("P999", {}),
         Hull("P102", {b.Chunk("ENGI", Le16({10, 10, 2, 2}, "Drive")),
                       b.Chunk("HARD", Le16({40, 60, 1}, "Left")),
                       b.Chunk("NOZL", Le16({376, 5})),
                       b.Chunk("ARMR", Le16({300, 40, 2, 2}, "Plates")),
                       b.Chunk("ARMR", Le16({0, 0, 9, 9}, "Second")),      // one bay per chunk kind
                       b.Chunk("GENL", Le16({0, 0, 65, 1}, "Too wide")),   // makes no area
                       b.Chunk("HARD", Le16({90, 20, 0xFFFF}, "Huge")),    // 65536 cells: none
                       b.Chunk("HARD", Le16({90, 20, 6}, "Bay-like")),     // kind 7 would be a bay: none
                       b.Chunk("NOZL", Le16({375, 5})),
                       b.Chunk("HARD", Le16({140, 60, 2}))})});
}

Status LoadHull(const Bytes& bytes, ShipRecord& ship, int32_t difficulty = 2) {
    MemoryStream stream(bytes);
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return kStatusMalformed;
    return ship.LoadHull(iff, difficulty);
}

std::string Areas(const ShipRecord& ship) {
    std::string text;
    for (int32_t i = 0; ship.GetHardpointStrip(i) != nullptr; ++i) {
        const MountArea& a = *ship.GetHardpointStrip(i);
        text += "strip " + std::to_string(a.kind) + " " + std::to_string(a.width) + " " + (a.hasName ? a.name : "-") + "; ";
    }
    for (int32_t i = 0; ship.GetBay(i) != nullptr; ++i) {
        const MountArea& a = *ship.GetBay(i);
        text += "bay " + std::to_string(a.kind) + " " + std::to_string(a.width) + "x" + std::to_string(a.height) + " " +
                (a.hasName ? a.name : "-") + "; ";
    }
    return text;
}

TEST(ShipRecord, AHullsChunksMakeItsAreasInTheOrderOfTheTable) {
    ShipRecord ship("P102");
    ASSERT_EQ(LoadHull(SampleHulls(), ship), kStatusOk);
    EXPECT_EQ(Areas(ship),
              "strip 2 2 Left; strip 3 3 -; bay 10 2x2 Plates; bay 11 2x2 Drive; bay 13 1x1 -; bay 12 1x1 -; ");
    EXPECT_EQ(ship.displayName, "Lancer");
    EXPECT_EQ(ship.price, 2000);
    EXPECT_EQ(ship.maximum, 80);
    EXPECT_EQ(ship.physMass, 0x12);
    EXPECT_EQ(ship.physThrust, -2);
    EXPECT_EQ(ship.count, 1);
    ASSERT_NE(ship.weaponLayout, nullptr);
    EXPECT_EQ(ship.weaponLayout->width, 8);
    ASSERT_NE(ship.equipmentLayout, nullptr);
    EXPECT_EQ(ship.equipmentLayout->width, 6);

    // Fitting: an item too large for every bay comes back unplaced; a point
    // in no bay has no kind in the way; past the last item there is none.
    auto big = std::make_unique<EquipmentItem>("Big", 3);
    big->width = big->height = 5;
    EquipmentItem* const bigAt = big.get();
    EXPECT_EQ(ship.PlaceStoredItem(std::move(big)).get(), bigAt);
    EXPECT_EQ(ship.CountItems(EquipmentItem::kAll), 0);
    const EquipmentItem loose("Loose", 3);
    EXPECT_FALSE(ship.HasBayKindConflict({-500, -500}, loose));
    EXPECT_EQ(ship.GetItem(0, EquipmentItem::kAll), nullptr);
}

TEST(ShipRecord, DamagedHullFilesFailAndLeaveTheRecordAsItWas) {
    const Bytes whole = SampleHulls();
    ShipRecord ship("P102");
    ASSERT_EQ(LoadHull(whole, ship), kStatusOk);
    const std::string before = Areas(ship);
    for (size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_NE(LoadHull(Bytes(whole.begin(), whole.begin() + long(size)), ship, 4), kStatusOk);
        EXPECT_EQ(Areas(ship), before);
        EXPECT_EQ(ship.price, 2000);
    }
    const std::vector<Bytes> damaged = {
        Hull("P102", {b.Chunk("HARD", Le16({1, 2}))}),                          // too short
        Hull("P102", {b.Chunk("ARMR", Bytes{1, 0, 2, 0, 3, 0, 4, 0, 'a'})}),   // name not terminated
        Hull("P102", {b.Chunk("NOZL", Bytes{1, 0, 2})}),
        ChunkBuilder::Join({b.Header("FORM", 0x7FFFFFF0), ChunkBuilder::Text("HULL")}),
    };
    for (const Bytes& bytes : damaged) {
        EXPECT_EQ(LoadHull(bytes, ship), kStatusMalformed);
        EXPECT_EQ(Areas(ship), before);
    }
    ShipRecord other("P404");
    EXPECT_EQ(LoadHull(whole, other), kStatusNotThisRecord);
}

// --- Items from their definitions --------------------------------------------

Bytes Definitions(std::initializer_list<Bytes> entries) {
    Bytes contents = ChunkBuilder::Text("EQOB");
    for (const Bytes& entry : entries) contents.insert(contents.end(), entry.begin(), entry.end());
    return b.Form("OBJS", {b.Form("SPOB", {}), b.Chunk("FORM", contents)});
}
Bytes Entry(const char* id, int32_t kind, std::initializer_list<Bytes> chunks) {
    Bytes contents = ChunkBuilder::Join({ChunkBuilder::Text("EQOB"), b.Chunk("ID  ", ChunkBuilder::Text(id)),
                                         b.Chunk("NAME", ChunkBuilder::Text(std::string(id) + " Mk I")),
                                         b.Chunk("DESC", ChunkBuilder::Text("Described.")),
                                         b.Chunk("INFO", ChunkBuilder::Words({uint32_t(kind), 450, 2, 60, 0, 12}))});
    for (const Bytes& chunk : chunks) contents.insert(contents.end(), chunk.begin(), chunk.end());
    return b.Chunk("FORM", contents);
}

std::unique_ptr<EquipmentItem> Read(const Bytes& bytes, const char* id) {
    MemoryStream stream(bytes);
    IffFile iff(&stream, 0);
    EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
    return std::make_unique<EquipmentItem>(id, iff, 5);
}

TEST(EquipmentItem, KindValuesMountAndPicturesComeFromTheDefinition) {
    const Bytes file = Definitions({
        Entry("Cloak", 11, {b.Chunk("HARD", Le16({2, 1, 0})), b.Chunk("CLOK", Le16({20, 80, 7, 25, 5}))}),
        Entry("Layer", 24, {b.Chunk("HARD", Le16({2})), b.Chunk("LINK", Bytes(16, 0)),
                            b.Chunk("WEAP", Le16({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))}),
        Entry("Plain", 3, {b.Chunk("HARD", Le16({1, 2, 3})), Cel({Picture(4, 4), Picture(5, 5)}), Cel({Picture(22, 43)})}),
    });
    const auto cloak = Read(file, "Cloak");
    EXPECT_EQ(cloak->LoadStatus(), kStatusOk);
    EXPECT_EQ(std::vector<int32_t>(cloak->k, cloak->k + 5), (std::vector<int32_t>{20, 5, 80, 7, 75}));
    EXPECT_EQ(cloak->width * 100 + cloak->height * 10 + cloak->mountClass, 210);
    EXPECT_EQ(cloak->GetCategory(), 2);
    EXPECT_TRUE(cloak->listPictures.empty());   // pictureless is whole

    const auto layer = Read(file, "Layer");
    EXPECT_EQ(std::vector<int32_t>(layer->k, layer->k + 8), (std::vector<int32_t>{3, 4, 5, 6, 7, 10, 2, 3}));
    EXPECT_EQ(layer->width * 100 + layer->height * 10 + layer->mountClass, 312);

    const auto plain = Read(file, "Plain");
    EXPECT_EQ(plain->name, "Plain Mk I");
    EXPECT_EQ(plain->description, "Described.");
    EXPECT_EQ(plain->price, 450);
    EXPECT_EQ(plain->maximum, 60);
    EXPECT_EQ(plain->rating, 12);
    ASSERT_EQ(plain->listPictures.size(), 2u);
    EXPECT_EQ(plain->listPictures[1]->width, 5);
    EXPECT_EQ(plain->listPictures[1]->x, 3);
    ASSERT_NE(plain->layoutPicture, nullptr);
    EXPECT_EQ(plain->layoutPicture->height, 43);

    EXPECT_EQ(Read(file, "Missing")->LoadStatus(), kStatusNotThisRecord);
    EXPECT_EQ(Read(file, "Missing")->kind, 5);   // the hint stays
}

TEST(EquipmentItem, DamagedDefinitionsEndInAClearError) {
    const Bytes file = Definitions({Entry("Plain", 3, {b.Chunk("HARD", Le16({1, 2, 3})), Cel({Picture(4, 4)}), Cel({Picture(6, 6)})})});
    for (size_t size = 0; size < file.size(); ++size) {
        SCOPED_TRACE(size);
        MemoryStream stream(Bytes(file.begin(), file.begin() + long(size)));
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() != kStatusOk) continue;
        const EquipmentItem item("Plain", iff, 0);
        if (item.LoadStatus() == kStatusOk) EXPECT_FALSE(item.listPictures.empty());
    }
    // A cel form without a picture, a layout whose picture is damaged.
    const Bytes celless = Definitions({Entry("Plain", 3, {Cel({})})});
    EXPECT_EQ(Read(celless, "Plain")->LoadStatus(), kStatusMalformed);
    Bytes broken = Picture(4, 4);
    broken.resize(broken.size() - 6);
    broken[7] = uint8_t(broken.size() - 8);
    const Bytes badLayout = Definitions({Entry("Plain", 3, {Cel({Picture(4, 4)}), Cel({broken})})});
    const auto item = Read(badLayout, "Plain");
    EXPECT_EQ(item->LoadStatus(), kStatusMalformed);
    EXPECT_TRUE(item->listPictures.empty());
}

}  // namespace
