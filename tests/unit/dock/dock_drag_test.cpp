// Dragging icons within a dock and off it, on a real layout of a bottom dock.
#include "dock/dock_drag.h"

#include "dock/drop_gap.h"
#include "dock/item_growth.h"
#include "dock/item_list_save.h"

#include <gtest/gtest.h>

#include <string>

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
    // A point on the bar at `along` pixels from the start of the resting row.
    ScreenPoint Along(float along) const {
        const ScreenRect area = model.DockAreaRect();
        return {model.WindowRect().left + RowOffsetFor(model.WindowLength(), model.RestRowLength()) +
                    static_cast<int>(along),
                (area.top + area.bottom) / 2};
    }
    ScreenPoint At(std::size_t index) const {
        return Along(row[index].restStart + model.IconSize() * row[index].FullFactor() / 2);
    }
    void Lift(std::size_t index) {
        drag.Press(At(index), index, row, false);
        ScreenPoint up = At(index);
        up.y -= DockDrag::kLiftDistance;
        ASSERT_EQ(drag.Move(up, row, model), DockDrag::Change::Lifted);
    }
    // One frame of the growth, as the bar runs it.
    void Step(int ms) {
        StepItemGrowth(row, ms);
        model.Refit(row);
    }
    // The order of the items, the gap as "_".
    std::wstring Order() const {
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

TEST(DockDrag, TheGapFollowsThePointerAndTheReleaseTakesItsPlace) {
    DragFixture f({L"a", L"b", L"c", L"d"});
    f.drag.Press(f.At(3), 3, f.row, false);
    EXPECT_EQ(f.drag.Move(f.Along(35), f.row, f.model), DockDrag::Change::None); // under the threshold
    f.Lift(3);
    EXPECT_EQ(f.Order(), L"a_bcd"); // the gap opens where the icon was
    EXPECT_TRUE(f.row[3].lifted);
    EXPECT_EQ(f.drag.Move(f.At(6), f.row, f.model), DockDrag::Change::Moved);
    EXPECT_EQ(f.Order(), L"abc_d");
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.row[3].sizeFactor, 0.0f); // the lifted icon gives its room to the gap
    EXPECT_EQ(f.Saved(), L"abcd") << "mid-drag, a save writes the old order and no gap";
    EXPECT_EQ(f.drag.Move(f.Along(1), f.row, f.model), DockDrag::Change::Moved); // over b
    EXPECT_EQ(f.Order(), L"ab_cd");
    EXPECT_EQ(f.drag.Release(f.Along(1), f.row, f.model), DockDrag::Outcome::Placed);
    EXPECT_EQ(f.Order(), L"bacd");
    EXPECT_FALSE(f.row[4].lifted);
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.Saved(), L"bacd");
    EXPECT_EQ(f.row.RealCount(), 4u);

    // A press and release without a lift is a click, not a drag.
    f.drag.Press(f.At(3), 3, f.row, false);
    EXPECT_EQ(f.drag.Release(f.At(3), f.row, f.model), DockDrag::Outcome::None);
    EXPECT_EQ(f.Order(), L"bacd");
}

TEST(DockDrag, UnderAStillPointerTheGapSettlesAndStays) {
    // Along the whole row and past its ends, also coming back from off the dock: the gap
    // moves at most once while the row makes room, and never again once still.
    for (float along = -60; along < 310; along += 7) {
        DragFixture f({L"a", L"b", L"|", L"c", L"trash|"});
        f.Lift(4);
        for (const bool comeBack : {false, true}) {
            if (comeBack) {
                EXPECT_EQ(f.drag.Move({f.Along(along).x, 100}, f.row, f.model), DockDrag::Change::Moved) << along;
                EXPECT_EQ(OpenDropGap(f.row), 0u);
                f.Step(kItemGrowthMs);
            }
            f.drag.Move(f.Along(along), f.row, f.model);
            int moves = 0;
            for (int frame = 0; frame < 20; ++frame) {
                f.Step(16);
                moves += f.drag.Move(f.Along(along), f.row, f.model) == DockDrag::Change::Moved;
            }
            EXPECT_EQ(moves, 0) << along << (comeBack ? " back from off the dock" : "");
            EXPECT_EQ(f.drag.Move(f.Along(along), f.row, f.model), DockDrag::Change::None) << along;
            EXPECT_NE(OpenDropGap(f.row), 0u) << along;
        }
    }
}

TEST(DockDrag, OffTheDockTheGapClosesAndKeptItemsLeaveButTheDocksOwnStay) {
    DragFixture f({L"a", L"b", L"|", L"trash|"});
    const auto dragOff = [&f](std::size_t index) {
        f.Lift(index);
        const ScreenPoint far{f.At(index).x, 200};
        f.drag.Move(far, f.row, f.model);
        EXPECT_EQ(OpenDropGap(f.row), 0u) << "off the dock the gap closes";
        const DockDrag::Outcome outcome = f.drag.Release(far, f.row, f.model);
        f.Step(kItemGrowthMs);
        return outcome;
    };
    EXPECT_EQ(dragOff(5), DockDrag::Outcome::PutBack); // the separator
    EXPECT_EQ(dragOff(6), DockDrag::Outcome::PutBack); // the trash
    EXPECT_EQ(f.Order(), L"ab|t");
    EXPECT_EQ(f.row[6].sizeFactor, 1.0f);
    f.row[3].running = true;
    EXPECT_EQ(dragOff(3), DockDrag::Outcome::Removed);
    EXPECT_FALSE(f.row[3].kept); // a running program stays, no longer kept
    EXPECT_EQ(dragOff(4), DockDrag::Outcome::Removed);
    EXPECT_EQ(f.Order(), L"a|t");

    // Locked: nothing lifts.
    f.drag.Press(f.At(4), 4, f.row, true);
    EXPECT_EQ(f.drag.Move(f.At(5), f.row, f.model), DockDrag::Change::None);
    EXPECT_EQ(f.Order(), L"a|t");
}

TEST(DockDrag, EscapeOrAnIconThatWentEndsTheDragWithTheRowAsItWas) {
    DragFixture f({L"a", L"b", L"c"});
    f.Lift(3);
    f.drag.Move(f.At(5), f.row, f.model);
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.drag.Cancel(f.row), DockDrag::Outcome::PutBack);
    EXPECT_FALSE(f.drag.Lifted());
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.Order(), L"abc");
    EXPECT_EQ(f.row[3].sizeFactor, 1.0f);

    // The program of the dragged icon ended meanwhile: its gap does not stay behind.
    f.Lift(4);
    f.row[4].leaving = true;
    EXPECT_EQ(f.drag.Move(f.At(5), f.row, f.model), DockDrag::Change::Ended);
    f.Step(kItemGrowthMs);
    EXPECT_EQ(f.Order(), L"ac");
}

} // namespace
} // namespace kestrana::dock
