// Mount areas: where items may go on a strip and in a bay, what a drop lifts
// out of the way, and that refusals change nothing.
#include "game/MountArea.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/Bitmap.h"
#include "game/EquipmentItem.h"
#include "tests/support/RecordingCanvas.h"

namespace {

constexpr MountPoint kOrigin{100, 50};

std::unique_ptr<EquipmentItem> Item(int32_t kind, int32_t width, int32_t height, int32_t mountClass) {
    auto item = std::make_unique<EquipmentItem>("Item", kind);
    item->width = width;
    item->height = height;
    item->mountClass = mountClass;
    return item;
}

// The screen point of a bay cell and of a strip cell.
MountPoint BayCell(int32_t column, int32_t row) {
    return {kOrigin.x + column * MountArea::kBayCell, kOrigin.y + row * MountArea::kBayCell};
}
MountPoint StripCell(int32_t column) { return {kOrigin.x + column * MountArea::kStripCell, kOrigin.y + 5}; }

std::vector<const EquipmentItem*> Cells(const MountArea& area) {
    std::vector<const EquipmentItem*> cells;
    for (int32_t r = 0; r < area.height; ++r) {
        for (int32_t c = 0; c < area.width; ++c) cells.push_back(area.Cell(c, r));
    }
    return cells;
}

TEST(MountArea, StripTakesAnItemWhereItFitsAndAnswersOnlyWithinItsHeight) {
    const auto strip = MountArea::Make(kOrigin, 3, 1, "Nose", 3);
    ASSERT_NE(strip, nullptr);
    const auto wide = Item(22, 3, 1, 2);
    struct Case {
        MountPoint point;
        int32_t placed;
    };
    const Case cases[] = {
        {StripCell(1), 0},                 // one cell too far right
        {{kOrigin.x, kOrigin.y - 1}, 0},   // above the strip
        {{kOrigin.x, kOrigin.y + 44}, 0},  // below it
        {StripCell(0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point.y * 1000 + c.point.x);
        EXPECT_EQ(strip->DropItemAt(c.point, wide.get()), c.placed);
    }
    EXPECT_EQ(strip->ItemAt({kOrigin.x + 29, kOrigin.y + 43}), wide.get());
    EXPECT_EQ(wide->mountName, "Nose");
    EXPECT_FALSE(strip->HitTest(StripCell(0), *wide));
    EXPECT_FALSE(strip->HasKindConflict(StripCell(0), *wide));
}

TEST(MountArea, BayDropOverTwoItemsIsRefusedOverOneSwapsItOutOfAllItsCells) {
    const auto bay = MountArea::Make(kOrigin, 4, 2, "Bay", MountArea::kGeneralBay);
    const auto left = Item(10, 1, 2, 0), right = Item(12, 1, 1, 0), tall = Item(13, 2, 1, 0);
    ASSERT_EQ(bay->DropItemAt(BayCell(0, 0), left.get()), 1);
    ASSERT_EQ(bay->DropItemAt(BayCell(1, 0), right.get()), 1);
    ASSERT_EQ(bay->DropItemAt(BayCell(2, 1), tall.get()), 1);

    const auto square = Item(11, 2, 2, 0);
    const auto before = Cells(*bay);
    EXPECT_EQ(bay->DropItemAt(BayCell(0, 0), square.get()), 0);   // covers left and right
    EXPECT_EQ(Cells(*bay), before);
    EXPECT_EQ(bay->LastDisplaced(), nullptr);

    // Over the tall one only, on its second cell: it leaves the first too.
    const auto lone = Item(9, 1, 1, 0);
    ASSERT_EQ(bay->DropItemAt(BayCell(3, 1), lone.get()), 1);
    EXPECT_EQ(bay->LastDisplaced(), tall.get());
    EXPECT_EQ(bay->Cell(2, 1), nullptr);
    EXPECT_EQ(bay->Cell(3, 1), lone.get());
}

TEST(MountArea, OneItemOfAKindPerBayButArmorProbesAndDecoys) {
    struct Case {
        const char* name;
        int32_t kind;
        bool second;
    };
    const Case cases[] = {{"generator", 1, false}, {"armor", 3, true}, {"probe", 14, true}, {"decoy", 15, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bay = MountArea::Make(kOrigin, 3, 1, nullptr, MountArea::kGeneralBay);
        const auto first = Item(c.kind, 1, 1, 0), second = Item(c.kind, 1, 1, 0);
        ASSERT_EQ(bay->DropItemAt(BayCell(0, 0), first.get()), 1);
        EXPECT_EQ(bay->DropItemAt(BayCell(2, 0), second.get()), c.second ? 1 : 0);
        // Onto the first of its kind it always swaps.
        const auto third = Item(c.kind, 1, 1, 0);
        EXPECT_EQ(bay->DropItemAt(BayCell(0, 0), third.get()), 1);
        EXPECT_EQ(bay->LastDisplaced(), first.get());
    }
}

TEST(MountArea, BaysTakeOnlyTheirClassAndPointsJustLeftOfThemFallIntoColumnZero) {
    const auto bay = MountArea::Make(kOrigin, 2, 2, "Armor", MountArea::kArmorBay);
    const auto general = Item(10, 1, 1, 0), armor = Item(3, 1, 1, 3);
    EXPECT_EQ(bay->DropItemAt(BayCell(0, 0), general.get()), 0);
    EXPECT_EQ(bay->DropItemAt({kOrigin.x - 10, kOrigin.y}, armor.get()), 1);
    EXPECT_EQ(armor->column, 0);
}

TEST(MountArea, StoredItemsFillBaysByColumnsAndABlockedStripKeepsNoCell) {
    const auto bay = MountArea::Make(kOrigin, 2, 2, nullptr, MountArea::kGeneralBay);
    std::vector<std::unique_ptr<EquipmentItem>> items;
    const int32_t expected[][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (const auto& place : expected) {
        items.push_back(Item(3, 1, 1, 0));
        ASSERT_EQ(bay->PlaceStoredItem(7, 7, items.back().get()), 1);   // the arguments are not consulted
        EXPECT_EQ(items.back()->column, place[0]);
        EXPECT_EQ(items.back()->row, place[1]);
    }
    EXPECT_EQ(bay->PlaceStoredItem(0, 0, Item(3, 1, 1, 0).get()), 0);   // full

    const auto strip = MountArea::Make(kOrigin, 3, 1, "Wing", 3);
    const auto blocker = Item(21, 1, 1, 0), gun = Item(21, 2, 1, 1);
    ASSERT_EQ(strip->PlaceStoredItem(1, 0, blocker.get()), 1);
    EXPECT_EQ(strip->PlaceStoredItem(0, 0, gun.get()), 0);
    EXPECT_EQ(Cells(*strip), (std::vector<const EquipmentItem*>{nullptr, blocker.get(), nullptr}));
    EXPECT_EQ(strip->PlaceStoredItem(2, 0, gun.get()), 0);   // would pass the strip's end
}

TEST(MountArea, SizesOutsideTheGridAreRefused) {
    EXPECT_EQ(MountArea::Make(kOrigin, 0, 1, nullptr, 1), nullptr);
    EXPECT_EQ(MountArea::Make(kOrigin, 65, 1, nullptr, 1), nullptr);
    EXPECT_EQ(MountArea::Make(kOrigin, 2, -3, nullptr, 8), nullptr);
    const auto bay = MountArea::Make(kOrigin, 2, 2, nullptr, MountArea::kGeneralBay);
    for (const auto& flat : {Item(10, 0, 1, 0), Item(10, 1, 0, 0), Item(10, -4, 2, 0)}) {
        EXPECT_EQ(bay->DropItemAt(BayCell(0, 0), flat.get()), 0);
        EXPECT_EQ(bay->PlaceStoredItem(0, 0, flat.get()), 0);
    }
    EXPECT_EQ(Cells(*bay), std::vector<const EquipmentItem*>(4, nullptr));
    bay->RemoveItem(nullptr);
    EXPECT_EQ(bay->TakeItemAt(BayCell(1, 1)), nullptr);
}

TEST(MountArea, DrawBlitsEachPictureAtItsCellsThroughTheGivenPaletteAndRestoresTheCanvas) {
    const auto bay = MountArea::Make(kOrigin, 3, 2, nullptr, MountArea::kGeneralBay);
    auto wide = Item(10, 2, 1, 0), bare = Item(12, 1, 1, 0);
    wide->layoutPicture = std::make_unique<Bitmap>();
    ASSERT_EQ(wide->layoutPicture->Create(43, 21, Bitmap::kDepth8Bit, true), kStatusOk);
    ASSERT_EQ(bay->DropItemAt(BayCell(1, 1), wide.get()), 1);
    ASSERT_EQ(bay->DropItemAt(BayCell(0, 0), bare.get()), 1);   // no picture: skipped

    Palette* const own = reinterpret_cast<Palette*>(0x1000);
    Palette* const weapons = reinterpret_cast<Palette*>(0x2000);
    RecordingCanvas canvas(640, 480, own);
    Palette* during = nullptr;
    canvas.OnCall([&](const CanvasCall& call) {
        if (call.op == "BlitImage") during = canvas.palette;
    });
    bay->Draw(canvas, weapons);
    const auto blits = canvas.CallsOf("BlitImage");
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits[0].rect->x, kOrigin.x + 22 + 1);
    EXPECT_EQ(blits[0].rect->y, kOrigin.y + 22 + 1);
    EXPECT_EQ(blits[0].rect->width, 43);
    EXPECT_EQ(during, weapons);
    EXPECT_EQ(canvas.palette, own);
    EXPECT_EQ(canvas.CountOf("Unlock"), 1u);

    // Without the palette the canvas keeps its own; an unlockable canvas gets nothing.
    canvas.ForgetCalls();
    bay->Draw(canvas, nullptr);
    EXPECT_EQ(during, own);
    canvas.ForgetCalls();
    canvas.ScriptResult("Lock", uint32_t(-1));
    bay->Draw(canvas, weapons);
    EXPECT_EQ(canvas.CountOf("BlitImage"), 0u);
    EXPECT_EQ(canvas.palette, own);
}

}  // namespace
