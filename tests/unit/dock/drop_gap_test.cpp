// The gap that opens where dragged files would land.
#include "dock/drop_gap.h"

#include "dock/item_drops.h"
#include "dock/item_growth.h"
#include "dock/magnification.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

DockItems Row() {
    DockItems row;
    for (const wchar_t* app : {L"explorer.exe", L"ed.exe", L"notes.txt", L"trash|"}) {
        auto item = MakeDockico();
        item->appname = app;
        row.Append(std::move(item));
    }
    return row;
}

std::size_t Gaps(const DockItems& row) {
    std::size_t gaps = 0;
    row.ForEachReal([&](std::size_t, const Dockico& item) { gaps += item.id == kDragGapItemId; });
    return gaps;
}

// What the drag does on each move: decide at the pointer, open or move the gap there, or
// close it when the files would go to a program or the trash.
bool Hover(DockItems& row, float at) {
    const DropDecision decision = DecideDrop(row, at);
    return decision.action == DropAction::AddItems ? PlaceDropGap(row, decision.index) : CloseDropGap(row);
}

void Settle(DockItems& row) {
    StepItemGrowth(row, kItemGrowthMs);
    PlaceAtRest(row, 40, 0);
}

TEST(DropGap, OnceOpenAndSettledItStaysUnderAStillPointer) {
    // Wherever the pointer rests, the opened gap must not move on by itself: a gap that
    // pushed the items away from the pointer and then chased them would flicker.
    for (float at = -20; at < 220; at += 3) {
        DockItems row = Row();
        PlaceAtRest(row, 40, 0);
        Hover(row, at);
        Settle(row);
        EXPECT_FALSE(Hover(row, at)) << at;
        EXPECT_LE(Gaps(row), 1u) << at;
        if (const std::size_t gap = OpenDropGap(row)) {
            EXPECT_GT(gap, DockItems::kFirstReal) << "never before the first item, at " << at;
            EXPECT_FLOAT_EQ(row[gap].sizeFactor, 1.0f);
        }
    }
}

TEST(DropGap, AMoveShrinksTheOldGapAndTheDropTakesTheOpenOne) {
    DockItems row = Row();
    PlaceAtRest(row, 40, 0); // explorer 0-40, ed 40-80, notes 80-120, trash 120-160
    Hover(row, 82);          // the left edge of notes: before it
    Settle(row);
    ASSERT_TRUE(Hover(row, 5)); // back over the file manager
    EXPECT_EQ(Gaps(row), 2u);
    Settle(row);
    EXPECT_EQ(Gaps(row), 1u); // the old one shrank away and left
    const auto taken = TakeDropGap(row);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->index, 4u);
    EXPECT_EQ(taken->sizeFactor, 1.0f);
    EXPECT_EQ(row.RealCount(), 4u);

    // Leaving the dock closes the gap.
    Hover(row, 82);
    EXPECT_TRUE(CloseDropGap(row));
    Settle(row);
    EXPECT_EQ(row.RealCount(), 4u);
}

} // namespace
} // namespace kestrana::dock
