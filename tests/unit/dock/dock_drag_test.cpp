// Dragging icons within a dock and off it, on a real layout of a bottom dock.
#include "dock/dock_drag.h"

#include "dock/drop_gap.h"
#include "dock/item_growth.h"
#include "dock/item_list_save.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

struct DragFixture {
    DockItems row;
    OndelBarModel model{Settings(), DockScreen{{0, 0, 1920, 1080}, 1.0f, 0}};
    DockDrag drag;

    static DockSettings Settings() {
        DockSettings s;
        s.defaultSize = 64;
        s.maxSize = 64;
        return s;
    }
    explicit DragFixture(std::initializer_list<const wchar_t*> apps) {
        for (const wchar_t* app : apps) {
            auto item = MakeDockico(std::wstring(app) == L"|");
            item->appname = app;
            row.Append(std::move(item));
        }
        model.Refit(row);
    }
    // A point on the bar, `along` pixels from the start of the resting row.
    ScreenPoint Along(float along, int up = 0) const {
        const ScreenRect area = model.DockAreaRect();
        return {model.WindowRect().left + RowOffsetFor(model.WindowLength(), model.RestRowLength()) + int(along),
                (area.top + area.bottom) / 2 - up};
    }
    ScreenPoint At(std::size_t i, int up = 0) const { return Along(row[i].restStart + 64 * row[i].FullFactor() / 2, up); }
    void Lift(std::size_t i) {
        drag.Press(At(i), i, row, false);
        EXPECT_EQ(drag.Move(At(i, DockDrag::kLiftDistance), row, model), DockDrag::Change::Lifted);
    }
    void Step(int ms) { // one frame of the growth, as the bar runs it
        StepItemGrowth(row, ms);
        model.Refit(row);
    }
    std::wstring Order() const { // the gap as "_"
        std::wstring order;
        row.ForEachReal([&](std::size_t, const Dockico& item) {
            if (item.id != kDragGapItemId) order += item.appname.substr(0, 1);
            else if (!item.leaving) order += L"_";
        });
        return order;
    }
    std::wstring Saved() const {
        std::wstring saved;
        for (const ItemRecord& record : SnapshotItems(row)) saved += record.appname.substr(0, 1);
        return saved;
    }
};

TEST(DockDrag, TheGapFollowsThePointerTheReleaseTakesItsPlaceAndEscapePutsTheIconBack) {
    DragFixture f({L"a", L"b", L"c", L"d"});
    f.drag.Press(f.At(3), 3, f.row, false);
    EXPECT_EQ(f.drag.Move(f.Along(35), f.row, f.model), DockDrag::Change::None); // under the threshold
    f.Lift(3);
    EXPECT_EQ(f.Order(), L"a_bcd"); // the gap opens where the icon was
    EXPECT_EQ(f.drag.Move(f.At(6), f.row, f.model), DockDrag::Change::Moved);
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.row[3].sizeFactor, 0.0f); // the lifted icon gave its room to the gap
    EXPECT_EQ(f.Saved(), L"abcd") << "mid-drag, a save writes the old order and no gap";
    EXPECT_EQ(f.drag.Move(f.Along(1), f.row, f.model), DockDrag::Change::Moved); // over b
    EXPECT_EQ(f.Order(), L"ab_cd");
    EXPECT_EQ(f.drag.Release(f.Along(1), f.row, f.model), DockDrag::Outcome::Placed);
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.Saved(), L"bacd");

    f.Lift(3);
    f.drag.Move(f.At(6), f.row, f.model);
    EXPECT_EQ(f.drag.Cancel(f.row), DockDrag::Outcome::PutBack);
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.Order(), L"bacd");
    EXPECT_EQ(f.row[3].sizeFactor, 1.0f);
}

TEST(DockDrag, UnderAStillPointerTheGapSettlesAndStays) {
    // Along the whole row and past its ends, also coming back from off the dock: once
    // placed, the gap must not move on while the row makes room around it.
    for (float along = -60; along < 310; along += 7) {
        DragFixture f({L"a", L"b", L"|", L"c", L"trash|"});
        f.Lift(4);
        for (int pass = 0; pass < 2; ++pass) {
            f.drag.Move(f.Along(along), f.row, f.model);
            for (int frame = 0; frame < 20; ++frame) {
                f.Step(16);
                EXPECT_EQ(f.drag.Move(f.Along(along), f.row, f.model), DockDrag::Change::None) << along << pass;
            }
            EXPECT_NE(OpenDropGap(f.row), 0u) << along;
            f.drag.Move(f.Along(along, 200), f.row, f.model); // off the dock, then back
            f.Step(kItemGrowthMs);
        }
    }
}

TEST(DockDrag, OffTheDockTheGapClosesAndKeptItemsLeaveButTheDocksOwnStay) {
    DragFixture f({L"a", L"b", L"|", L"trash|"});
    const auto dragOff = [&f](std::size_t index) {
        f.Lift(index);
        const ScreenPoint far{f.At(index).x, 200};
        f.drag.Move(far, f.row, f.model);
        EXPECT_EQ(OpenDropGap(f.row), 0u);
        const DockDrag::Outcome outcome = f.drag.Release(far, f.row, f.model);
        f.Step(kItemGrowthMs);
        return outcome;
    };
    EXPECT_EQ(dragOff(5), DockDrag::Outcome::PutBack); // the separator
    EXPECT_EQ(dragOff(6), DockDrag::Outcome::PutBack); // the trash
    f.row[3].running = true;
    EXPECT_EQ(dragOff(3), DockDrag::Outcome::Removed);
    EXPECT_FALSE(f.row[3].kept); // a running program stays, no longer kept
    EXPECT_EQ(dragOff(4), DockDrag::Outcome::Removed);
    EXPECT_EQ(f.Order(), L"a|t");

    // Locked: nothing lifts.
    f.drag.Press(f.At(4), 4, f.row, true);
    EXPECT_EQ(f.drag.Move(f.At(5), f.row, f.model), DockDrag::Change::None);
}

} // namespace
} // namespace kestrana::dock
