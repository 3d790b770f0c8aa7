// The dock as a screen reader reads it, checked against what the dock draws.
#include "dock/dock_accessible.h"

#include "dock/ondel_bar.h"
#include "themes/dock_skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::dock {
namespace {

using foundation::AccessibleElement;
using foundation::AccessibleRole;
using foundation::AccessibleState;

class QuietPlatform final : public DockPlatform {
public:
    std::int64_t now = 1000;
    std::optional<std::int64_t> frameDue;
    std::int64_t NowMs() override { return now; }
    void PlaceWindows(const ScreenRect&, const ScreenRect&) override {}
    void Present(const gfx::Bitmap&, const gfx::RectI&, const gfx::RectI&, SlideOffset, std::uint8_t) override {}
    void RequestFrame(std::int64_t dueMs) override {
        if (!frameDue || dueMs < *frameDue) frameDue = dueMs;
    }
    void ApplyZOrder(ZOrder) override {}
    void ShowActivationBar(bool, const ScreenRect&) override {}
    void ShowLabel(const std::optional<LabelRequest>&) override {}
    void PlaceBackdrop(const std::optional<ScreenRect>&, int) override {}
    void SamplePointer(bool) override {}
    void ScheduleStripCheck(std::int64_t) override {}
};

struct Dock {
    QuietPlatform platform;
    themes::DockSkin skin = themes::DockSkin::BuiltIn({});
    std::unique_ptr<OndelBar> bar;

    explicit Dock(Edge edge) {
        DockSettings settings;
        settings.defaultSize = 48;
        settings.maxSize = 96;
        settings.screenPosition = edge;
        themes::DockSkinOptions options;
        options.screenPosition = static_cast<int>(edge);
        skin = themes::DockSkin::BuiltIn(options);
        bar = std::make_unique<OndelBar>(platform, skin, settings, DockScreen{{0, 0, 1280, 800}, 1.0f, 0}, SkinSpacing{},
                                         60);
    }
    Dockico& Add(std::wstring tag, std::wstring appname = L"app.exe", bool separator = false) {
        auto item = MakeDockico(separator);
        item->tag = std::move(tag);
        item->appname = std::move(appname);
        item->filepath = L"c:\\" + item->appname;
        Dockico& added = *item;
        bar->Items().Append(std::move(item));
        return added;
    }
    void Settle() {
        bar->ItemsChanged();
        for (int i = 0; i < 1000 && platform.frameDue; ++i) {
            platform.now = std::max(platform.now, *platform.frameDue);
            platform.frameDue.reset();
            bar->Frame();
        }
    }
    [[nodiscard]] foundation::AccessibleTree Tree(const DockLiveValues& live = {}, const DockFocus& focus = {}) const {
        return BuildDockTree(bar->Items(), bar->Model(), live, focus);
    }
};

std::vector<std::wstring> Names(const foundation::AccessibleTree& tree) {
    std::vector<std::wstring> names;
    for (auto id : tree.Root().children) names.push_back(tree.Find(id)->name);
    return names;
}

TEST(DockAccessibleTree, ItemsInScreenOrderWhereTheyAreDrawnOnEveryEdge) {
    for (const Edge edge : {Edge::Bottom, Edge::Left, Edge::Right, Edge::Top}) {
        Dock dock(edge);
        dock.Add(L"Files");
        dock.Add(L"Mail");
        dock.Add(L"", L"", true);
        dock.Add(L"Notes");
        dock.Settle();
        const std::string where = "edge " + std::to_string(static_cast<int>(edge));

        // At rest, then magnified under the pointer: the reader's places follow the icons.
        for (const bool magnified : {false, true}) {
            if (magnified) {
                const ScreenRect area = dock.bar->Model().DockAreaRect();
                dock.bar->PointerMoved({(area.left + area.right) / 2, (area.top + area.bottom) / 2});
                dock.Settle();
                ASSERT_GT(dock.bar->Magnification(), 0) << where;
            }
            const auto tree = dock.Tree();
            EXPECT_EQ(Names(tree), (std::vector<std::wstring>{L"Files", L"Mail", L"", L"Notes"})) << where;
            EXPECT_EQ(tree.Root().flow, IsVertical(edge) ? foundation::AccessibleFlow::Vertical
                                                         : foundation::AccessibleFlow::Horizontal)
                << where;
            int previousStart = -1;
            for (auto id : tree.Root().children) {
                const AccessibleElement& e = *tree.Find(id);
                const int start = IsVertical(edge) ? e.bounds.y : e.bounds.x;
                EXPECT_GT(start, previousStart) << where; // screen order along the axis
                previousStart = start;
                if (e.role == AccessibleRole::Separator) {
                    EXPECT_FALSE(Has(e.state, AccessibleState::Focusable)) << where;
                    continue;
                }
                // What is drawn of the icon: the part inside the window.
                const ScreenRect drawn = dock.bar->IconOnScreen(static_cast<std::int32_t>(id));
                const ScreenRect window = dock.bar->Model().WindowRect();
                const int left = std::max(drawn.left, window.left), top = std::max(drawn.top, window.top);
                const int right = std::min(drawn.right, window.right), bottom = std::min(drawn.bottom, window.bottom);
                EXPECT_EQ(e.bounds, (foundation::AccessibleRect{left, top, right - left, bottom - top}))
                    << where << (magnified ? " magnified" : " at rest");
            }
        }
    }
}

TEST(DockAccessibleTree, SpecialItemsCarryTheirLiveValues) {
    Dock dock(Edge::Bottom);
    dock.Add(L"12:40", L"systemtime");
    dock.Add(L"Calendar", L"cal|");
    dock.Add(L"Trash", L"trash|");
    dock.Add(L"Weather", L"weather");
    dock.Settle();

    DockLiveValues live;
    live.calendarDate = L"Sunday, 6 December";
    auto tree = dock.Tree(live);
    const AccessibleElement& clock = *tree.Find(tree.Root().children[0]);
    EXPECT_EQ(clock.role, AccessibleRole::Clock);
    EXPECT_EQ(clock.name, L"Clock");
    EXPECT_EQ(clock.value, L"12:40"); // its label, without a fresher time
    EXPECT_EQ(tree.Find(tree.Root().children[1])->value, L"Sunday, 6 December");
    EXPECT_EQ(tree.Find(tree.Root().children[2])->value, L""); // not known yet

    live.clockTime = L"12:41";
    for (const bool full : {true, false}) {
        live.trashFull = full;
        tree = dock.Tree(live);
        EXPECT_EQ(tree.Find(tree.Root().children[0])->value, L"12:41");
        EXPECT_EQ(tree.Find(tree.Root().children[2])->value, full ? L"Full" : L"Empty");
    }
    EXPECT_EQ(tree.Find(tree.Root().children[3])->value, L""); // no data yet
    live.weather = L"21\u00B0, Clear";
    tree = dock.Tree(live);
    EXPECT_EQ(tree.Find(tree.Root().children[3])->name, L"Weather");
    EXPECT_EQ(tree.Find(tree.Root().children[3])->value, L"21\u00B0, Clear");

    dock.Add(L"Battery", L"battery");
    dock.Settle();
    tree = dock.Tree(live);
    EXPECT_EQ(tree.Find(tree.Root().children[4])->value, L"No battery");
    live.batteryPercent = 75;
    live.batteryCharging = true;
    tree = dock.Tree(live);
    EXPECT_EQ(tree.Find(tree.Root().children[4])->value, L"75 %, charging");
    live.batteryPercent = 180; // a driver's nonsense is read as full
    live.batteryCharging = false;
    tree = dock.Tree(live);
    EXPECT_EQ(tree.Find(tree.Root().children[4])->value, L"100 %");
}

TEST(DockAccessibleTree, WindowsAndMarksBecomeStateAndWords) {
    Dock dock(Edge::Bottom);
    Dockico& idle = dock.Add(L"Idle");
    Dockico& one = dock.Add(L"One");
    one.running = true;
    one.windows = {WindowId{1}};
    Dockico& two = dock.Add(L"Two");
    two.running = true;
    two.attention = true;
    two.windows = {WindowId{2}, WindowId{3}};
    two.unread = 3;
    one.unread = 0;
    // The tracker's item of its own for a minimised window.
    auto minimised = MakeDockico();
    minimised->kept = false;
    minimised->running = true;
    minimised->tag = L"Report.txt";
    minimised->windows = {WindowId{4}};
    const std::int32_t minimisedId = minimised->id;
    dock.bar->Items().Append(std::move(minimised));
    dock.Settle();

    DockFocus focus;
    focus.focused = one.id;
    focus.menuOpen = two.id;
    const auto tree = dock.Tree({}, focus);
    const AccessibleElement& a = *tree.Find(DockElementId(idle.id));
    const AccessibleElement& b = *tree.Find(DockElementId(one.id));
    const AccessibleElement& c = *tree.Find(DockElementId(two.id));
    const AccessibleElement& d = *tree.Find(DockElementId(minimisedId));
    EXPECT_EQ(a.description, L"");
    // Unread messages are the value a reader hears change, with the count when known.
    EXPECT_EQ(a.value, L"");
    EXPECT_EQ(b.value, L"unread messages");
    EXPECT_EQ(c.value, L"3 unread messages");
    EXPECT_FALSE(Has(a.state, AccessibleState::Running));
    EXPECT_EQ(b.description, L"running");
    EXPECT_TRUE(Has(b.state, AccessibleState::Running | AccessibleState::Focused));
    EXPECT_EQ(c.description, L"running, 2 windows, asks for attention");
    EXPECT_TRUE(Has(c.state, AccessibleState::Attention));
    EXPECT_TRUE(Has(c.state, AccessibleState::Expanded));
    EXPECT_FALSE(Has(c.state, AccessibleState::Focused));
    EXPECT_EQ(d.name, L"Report.txt");
    EXPECT_EQ(d.description, L"minimised window");
    for (const auto* e : {&a, &b, &c, &d}) {
        EXPECT_EQ(e->defaultAction, L"Open");
        EXPECT_TRUE(Has(e->state, AccessibleState::HasPopup)); // the item's menu
    }
    EXPECT_EQ(tree.Focused(), DockElementId(one.id));
}

TEST(DockAccessibleTree, FocusRunsAlongTheDockAndARemovedItemIsGoneFromTheNextSnapshot) {
    Dock dock(Edge::Left);
    const std::int32_t first = dock.Add(L"A").id;
    const std::int32_t separator = dock.Add(L"", L"", true).id;
    const std::int32_t second = dock.Add(L"B").id;
    const std::int32_t third = dock.Add(L"C").id;
    dock.Settle();
    const auto before = dock.Tree();

    const auto down = foundation::FocusMoveFor(foundation::FocusKey::Down, before.Root().flow);
    ASSERT_TRUE(down);
    EXPECT_EQ(foundation::MoveFocus(before, 0, DockElementId(first), *down), DockElementId(second)); // over the separator
    EXPECT_EQ(foundation::MoveFocus(before, 0, DockElementId(third), *down), DockElementId(first));
    EXPECT_FALSE(foundation::FocusMoveFor(foundation::FocusKey::Right, before.Root().flow));

    {
        auto& items = dock.bar->Items();
        std::lock_guard lock(items.ListMutex());
        auto taken = items.Take(items.IndexOfId(second));
        ASSERT_TRUE(taken);
    }
    dock.Settle();
    const auto after = dock.Tree();
    EXPECT_EQ(after.Find(DockElementId(second)), nullptr);
    EXPECT_NE(after.Find(DockElementId(separator)), nullptr);
    EXPECT_EQ(Names(after), (std::vector<std::wstring>{L"A", L"", L"C"}));
}

TEST(DockAccessibleTree, TheDragGapAndALiftedIconAreNotInTheRow) {
    Dock dock(Edge::Bottom);
    dock.Add(L"A");
    dock.Add(L"B").lifted = true;
    auto gap = MakeDockico();
    gap->id = kDragGapItemId;
    dock.bar->Items().Append(std::move(gap));
    dock.Add(L"C");
    dock.Settle();
    EXPECT_EQ(Names(dock.Tree()), (std::vector<std::wstring>{L"A", L"C"}));
}

} // namespace
} // namespace kestrana::dock
