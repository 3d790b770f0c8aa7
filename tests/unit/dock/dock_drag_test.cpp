// Dragging icons within a dock and off it, on a real layout of a bottom dock.
#include "dock/dock_drag.h"

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
    // The middle of entry `index` at rest, on the bar.
    ScreenPoint At(std::size_t index, float shift = 0) const {
        const ScreenRect area = model.DockAreaRect();
        const float middle = row[index].restStart + model.IconSize() * row[index].FullFactor() / 2 + shift;
        return {area.left + static_cast<int>(middle), (area.top + area.bottom) / 2};
    }
    std::wstring Order() const {
        std::wstring order;
        row.ForEachReal([&](std::size_t, const Dockico& item) { order += item.appname.substr(0, 1); });
        return order;
    }
};

TEST(DockDrag, LiftsPastTheThresholdAndTakesThePlaceUnderThePointer) {
    DragFixture f({L"a", L"b", L"c", L"d"});
    f.drag.Press(f.At(3), 3, f.row, false);
    EXPECT_EQ(f.drag.Move(f.At(3, 3), f.row, f.model), DockDrag::Change::None);
    EXPECT_FALSE(f.drag.Lifted());
    // Past b's middle: a lifts and goes after b.
    const ScreenPoint pastB = f.At(4, 10);
    EXPECT_EQ(f.drag.Move(pastB, f.row, f.model), DockDrag::Change::Lifted);
    EXPECT_EQ(f.Order(), L"bacd");
    f.model.Refit(f.row);
    EXPECT_EQ(f.drag.Move(pastB, f.row, f.model), DockDrag::Change::None); // stays put
    EXPECT_EQ(f.drag.Move(f.At(6, 10), f.row, f.model), DockDrag::Change::Moved);
    EXPECT_EQ(f.Order(), L"bcda");
    f.model.Refit(f.row);
    EXPECT_EQ(f.drag.Release(f.At(6), f.row, f.model), DockDrag::Outcome::Placed);
    EXPECT_TRUE(f.row[6].kept);
    // A press and release without a lift is a click, not a drag.
    f.drag.Press(f.At(3), 3, f.row, false);
    EXPECT_EQ(f.drag.Release(f.At(3), f.row, f.model), DockDrag::Outcome::None);
}

TEST(DockDrag, OffTheDockKeptItemsLeaveButTheDocksOwnStay) {
    DragFixture f({L"a", L"b", L"|", L"trash|"});
    const auto dragOff = [&f](std::size_t index) {
        f.drag.Press(f.At(index), index, f.row, false);
        const ScreenPoint far{f.At(index).x, 200};
        f.drag.Move(far, f.row, f.model);
        EXPECT_EQ(f.Order().size(), 4u) << "nothing moves while off the dock";
        return f.drag.Release(far, f.row, f.model);
    };
    EXPECT_EQ(dragOff(4), DockDrag::Outcome::Removed);
    EXPECT_TRUE(f.row[4].leaving);
    EXPECT_FALSE(f.row[4].kept);
    EXPECT_EQ(dragOff(5), DockDrag::Outcome::Placed); // the separator
    EXPECT_EQ(dragOff(6), DockDrag::Outcome::Placed); // the trash
    EXPECT_TRUE(f.row[6].kept);
    f.row[3].running = true;
    EXPECT_EQ(dragOff(3), DockDrag::Outcome::Removed);
    EXPECT_FALSE(f.row[3].leaving); // a running program stays, no longer kept

    // Locked: nothing lifts.
    f.drag.Press(f.At(5), 5, f.row, true);
    EXPECT_EQ(f.drag.Move(f.At(6, 10), f.row, f.model), DockDrag::Change::None);
    EXPECT_EQ(f.Order(), L"ab|t");
}

} // namespace
} // namespace kestrana::dock
