// The pop-up's rules: the double-click setting, the wheel, where the layouts put the
// window and its items, and the dock icon's pile.

#include "launchers/stack_input.h"
#include "launchers/stack_layout.h"
#include "launchers/stack_picture.h"

#include "fakes/settings_folder.h"
#include "gfx/builtin_text_renderer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrana::launchers {
namespace {

TEST(StackClicks, DoubleClickSettingDecidesWhatTheSecondClickDoes) {
    StackClickRule single(false);
    EXPECT_TRUE(single.Click(4, 1000));
    EXPECT_FALSE(single.Click(4, 1250)); // within 300 ms: ignored
    EXPECT_TRUE(single.Click(4, 1600));
    EXPECT_TRUE(single.Click(5, 1700)); // another item is another click

    StackClickRule twice(true);
    EXPECT_FALSE(twice.Click(4, 1000));
    EXPECT_TRUE(twice.Click(4, 1250));
    EXPECT_FALSE(twice.Click(4, 1300)); // a third click starts a new pair
    EXPECT_FALSE(twice.Click(4, 1700)); // 400 ms after: no pair
    EXPECT_FALSE(twice.Click(5, 1800)); // a pair needs one item
}

TEST(StackWheel, NotchesMoveARowFineScrollsMoveBothWaysAlike) {
    const float row = 40;
    EXPECT_EQ(WheelScrollPixels({-120}, row), row);
    EXPECT_EQ(WheelScrollPixels({120}, row), -row);
    for (int delta : {1, 30, 100, 119, 121, 360}) {
        const float down = WheelScrollPixels({-delta}, row), up = WheelScrollPixels({delta}, row);
        EXPECT_GT(down, 0) << delta;
        EXPECT_EQ(down, -up) << delta;
    }
    EXPECT_FLOAT_EQ(WheelScrollPixels({-120, true}, row), row); // held keys: a fine scroll of the same length
    EXPECT_EQ(WheelScrollPixels({-120, false, true}, row), 0);  // while animating or dragging: nothing
    EXPECT_EQ(ClampScroll(-5, 400, 100), 0);
    EXPECT_EQ(ClampScroll(500, 400, 100), 300);
    EXPECT_EQ(ClampScroll(50, 80, 100), 0);
}

StackPlacement Bottom1080() {
    StackPlacement p;
    p.work = {0, 0, 1920, 1080};
    p.dock = {600, 1000, 720, 80};
    p.anchorAlong = 640;
    return p;
}

TEST(StackLayout, EveryLayoutStaysOnScreenBesideTheDockAndHitsItsOwnCells) {
    for (DockEdge edge : {DockEdge::Bottom, DockEdge::Top, DockEdge::Left, DockEdge::Right}) {
        StackPlacement p = Bottom1080();
        p.edge = edge;
        if (edge == DockEdge::Top) p.dock = {600, 0, 720, 80};
        if (edge == DockEdge::Left) p.dock = {0, 200, 80, 700};
        if (edge == DockEdge::Right) p.dock = {1840, 200, 80, 700};
        p.anchorAlong = edge == DockEdge::Left || edge == DockEdge::Right ? 210 : 1900; // near a corner
        for (StackLayout layout : {StackLayout::Grid, StackLayout::Fan, StackLayout::List}) {
            for (int count : {1, 7, 40, 500}) {
                const StackGeometry g = LayOutStack(layout, count, p, false, true);
                const std::string where = std::to_string(static_cast<int>(edge)) + "/" +
                                          std::to_string(static_cast<int>(layout)) + "/" + std::to_string(count);
                EXPECT_GE(g.window.x, 0) << where;
                EXPECT_GE(g.window.y, 0) << where;
                EXPECT_LE(g.window.Right(), 1920) << where;
                EXPECT_LE(g.window.Bottom(), 1080) << where;
                EXPECT_TRUE(gfx::Intersect(g.window, p.dock).Empty()) << where;
                const std::size_t cells = g.layout == StackLayout::Fan ? std::min<std::size_t>(count, kFanMaxItems + 1)
                                                                      : std::size_t(count);
                EXPECT_EQ(g.cells.size(), cells) << where;
                // The first cell's centre hits that cell, at rest and unscrolled.
                const StackCell c = AnimatedCell(g, 0, 1, 0);
                EXPECT_EQ(HitStackCell(g, {c.icon.x + c.icon.width / 2, c.icon.y + c.icon.height / 2}, 0), 0) << where;
            }
        }
    }
}

// The item menu ticks the layout the pop-up is drawn in, also where the fan gives way.
TEST(StackLayout, ItemMenuTicksTheLayoutThatIsDrawn) {
    fakes::SettingsFolder folder;
    for (DockEdge edge : {DockEdge::Bottom, DockEdge::Top, DockEdge::Left, DockEdge::Right}) {
        StackPlacement p = Bottom1080();
        p.edge = edge;
        if (edge == DockEdge::Left) p.dock = {0, 200, 80, 700};
        if (edge == DockEdge::Right) p.dock = {1840, 200, 80, 700};
        p.anchorAlong = 500;
        for (int effect = 0; effect <= 3; ++effect) {
            SCOPED_TRACE(std::to_string(static_cast<int>(edge)) + "/" + std::to_string(effect));
            FolderStackSettings settings;
            settings.effect = effect;
            const StackGeometry drawn = LayOutStack(settings.Layout(), 5, p, false, true);
            const gfx::Menu menu = FolderItemMenu(settings, folder.store, DrawnLayout(settings.Layout(), edge, false));
            std::vector<int> ticked;
            for (const auto& item : menu)
                for (const auto& sub : item.submenu)
                    if (sub.checked) ticked.push_back(sub.id);
            ASSERT_EQ(ticked.size(), 1u);
            EXPECT_EQ(ticked[0], kStackGrid + static_cast<int>(drawn.layout) - 1);
        }
    }
}

TEST(StackLayout, FanRisesFromTheItemAndOffersTheRestBeyondFifteen) {
    const StackPlacement p = Bottom1080();
    const StackGeometry fan = LayOutStack(StackLayout::Fan, 20, p, false, true);
    ASSERT_TRUE(fan.more);
    ASSERT_EQ(fan.cells.size(), std::size_t(kFanMaxItems + 1));
    const StackCell& first = fan.cells.front();
    EXPECT_NEAR(fan.window.x + first.icon.x + first.icon.width / 2, p.anchorAlong, 1.0f);
    for (std::size_t i = 1; i < fan.cells.size(); ++i) {
        EXPECT_LT(fan.cells[i].icon.y, fan.cells[i - 1].icon.y); // further up
        EXPECT_GE(fan.cells[i].angle, fan.cells[i - 1].angle);   // and tilting more
    }
    EXPECT_FALSE(LayOutStack(StackLayout::Fan, 15, p, false, true).more);
    // Scrolling moves the grid's cells under the pointer.
    const StackGeometry grid = LayOutStack(StackLayout::Grid, 200, p, false, true);
    ASSERT_TRUE(grid.Scrolls());
    const StackCell c = AnimatedCell(grid, 0, 1, 0);
    EXPECT_NE(HitStackCell(grid, {c.icon.x + 2, c.icon.y + 2}, grid.rowHeight), 0);
}

TEST(StackFrame, ShowsPicturesWherePlacedAPlaceholderWhileWaitingAndFollowsTheScroll) {
    const StackGeometry g = LayOutStack(StackLayout::List, 30, Bottom1080(), false, true);
    ASSERT_TRUE(g.Scrolls());
    gfx::Bitmap red(32, 32);
    red.Fill(gfx::MakePixel(255, 0, 0, 255));
    std::vector<StackItemView> views(30, StackItemView{&red});
    views[1].picture = nullptr; // still loading
    gfx::BuiltinTextRenderer text;
    StackLabels labels(text, {}, 100);
    labels.Reset(views.size());
    auto name = [&labels](std::size_t i) -> const gfx::Bitmap& { return labels.At(i, L"item"); };
    gfx::Bitmap frame;
    auto centre = [&](int index, float scroll) {
        const StackCell c = AnimatedCell(g, index, 1, scroll);
        return frame.At(static_cast<int>(c.icon.x + c.icon.width / 2), static_cast<int>(c.icon.y + c.icon.height / 2));
    };
    DrawStackFrame(frame, g, views, name, {}, {}, {});
    ASSERT_EQ(frame.Width(), g.window.width);
    auto isRed = [](gfx::Pixel p) { return gfx::PixelR(p) > 200 && gfx::PixelG(p) < 60; };
    EXPECT_TRUE(isRed(centre(0, 0)));
    EXPECT_FALSE(isRed(centre(1, 0))); // the placeholder, grey over the backdrop
    EXPECT_GT(gfx::PixelA(centre(1, 0)), 200);
    // Scrolled by one row, the first row lies under the title row, where nothing of it shows.
    StackFrameState scrolled;
    scrolled.scroll = g.rowHeight;
    DrawStackFrame(frame, g, views, name, {}, {}, scrolled);
    EXPECT_TRUE(isRed(centre(2, scrolled.scroll)));
    const StackCell first = AnimatedCell(g, 0, 1, scrolled.scroll);
    ASSERT_GT(first.icon.y + first.icon.height / 2, 0);
    EXPECT_FALSE(isRed(centre(0, scrolled.scroll)));
    EXPECT_EQ(gfx::PixelA(frame.At(0, 0)), 0);  // the panel's rounded corner
}

// "Make text bigger": every box that carries text holds a line of it, and neighbours'
// names never run into each other, in every layout.
TEST(StackLayout, BiggerTextGrowsTheBoxesThatCarryIt) {
    for (StackLayout layout : {StackLayout::Grid, StackLayout::List, StackLayout::Fan}) {
        float normalSize = 0;
        for (float text : {1.0f, 1.5f, 2.25f}) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(layout) << " text " << text);
            StackPlacement p = Bottom1080();
            p.textScale = text;
            const StackGeometry g = LayOutStack(layout, 12, p, false, true);
            if (text == 1.0f) normalSize = g.textSize;
            else EXPECT_GT(g.textSize, normalSize);
            const float line = g.textSize * 1.2f;
            EXPECT_LE(g.window.Bottom(), p.dock.y);
            EXPECT_GE(g.window.y, p.work.y);
            if (layout != StackLayout::Fan) {
                EXPECT_GE(g.title.height, g.titleSize * 1.2f);
                EXPECT_GE(g.openButton.height, line);
                EXPECT_LE(g.openButton.Right(), g.panel.Right());
                EXPECT_LE(g.title.Bottom(), g.view.y);
            }
            const int columns = layout == StackLayout::Grid
                                    ? static_cast<int>(std::lround(g.view.width / (g.cells[1].icon.x - g.cells[0].icon.x)))
                                    : 1;
            for (std::size_t i = 0; i < g.cells.size(); ++i) {
                const StackCell& c = g.cells[i];
                EXPECT_GE(c.label.height, line) << i;
                // The next item along the way the names stack: below, or above in the fan.
                const std::size_t next = i + static_cast<std::size_t>(columns);
                if (next >= g.cells.size()) continue;
                const StackCell& n = g.cells[next];
                if (layout == StackLayout::Fan) EXPECT_LE(n.label.Bottom(), c.label.y) << i;
                else EXPECT_LE(c.label.Bottom(), std::min(n.icon.y, n.label.y)) << i;
            }
        }
    }
}

// High contrast: the panel is opaque and drawn in the scheme's colours only (outside the
// pictures), the hovered item on the highlight.
TEST(StackFrame, HighContrastIsOpaqueInTheSchemesColours) {
    const StackGeometry g = LayOutStack(StackLayout::Grid, 6, Bottom1080(), true, true);
    gfx::Bitmap red(32, 32);
    red.Fill(gfx::MakePixel(220, 30, 40, 255));
    std::vector<StackItemView> views(6, StackItemView{&red});
    views[2].picture = nullptr; // still loading
    gfx::BuiltinTextRenderer text;
    gfx::TextStyle style;
    style.size = g.textSize;
    StackLabels labels(text, style, 90);
    labels.Reset(views.size());
    auto name = [&labels](std::size_t i) -> const gfx::Bitmap& { return labels.At(i, L"item"); };
    const gfx::Bitmap title = text.Draw(L"Folder", style);
    StackLook look;
    look.opacity = 120; // the own look's translucency must not carry over
    look.contrast = gfx::ContrastColours{{0, 0, 0, 255}, {255, 255, 0, 255}, {0, 200, 255, 255}};
    StackFrameState state;
    state.hovered = 4;
    state.hoverOpen = true;
    gfx::Bitmap frame;
    DrawStackFrame(frame, g, views, name, {&title, &title, nullptr}, look, state);
    const auto inPicture = [&](int x, int y) {
        for (std::size_t i = 0; i < g.cells.size(); ++i) {
            const gfx::RectF r = AnimatedCell(g, static_cast<int>(i), 1, 0).icon;
            if (static_cast<float>(x) >= r.x && static_cast<float>(x) < r.Right() && static_cast<float>(y) >= r.y &&
                static_cast<float>(y) < r.Bottom())
                return true;
        }
        return false;
    };
    int translucent = 0, foreign = 0, highlight = 0;
    const int inset = static_cast<int>(g.radius);
    for (int y = inset; y < frame.Height() - inset; ++y) {
        for (int x = inset; x < frame.Width() - inset; ++x) {
            if (inPicture(x, y)) continue;
            const gfx::Pixel p = frame.At(x, y);
            translucent += gfx::PixelA(p) != 255;
            foreign += gfx::PixelR(p) > gfx::PixelG(p); // no mixture of the scheme's colours has more red
            highlight += gfx::PixelG(p) == 200 && gfx::PixelB(p) == 255;
        }
    }
    EXPECT_EQ(translucent, 0);
    EXPECT_EQ(foreign, 0);
    EXPECT_GT(highlight, 0);
    // The own look over the same items does show its translucency: the check can tell.
    look.contrast.reset();
    DrawStackFrame(frame, g, views, name, {&title, &title, nullptr}, look, state);
    EXPECT_LT(gfx::PixelA(frame.At(inset, frame.Height() / 2)), 255);
}

TEST(StackPile, FirstPictureLiesOnTop) {
    gfx::Bitmap red(32, 32), blue(32, 32);
    red.Fill(gfx::MakePixel(255, 0, 0, 255));
    blue.Fill(gfx::MakePixel(0, 0, 255, 255));
    const gfx::Bitmap* pictures[] = {&red, &blue, &blue};
    const gfx::Bitmap pile = DrawStackPile(pictures, 64);
    const gfx::Pixel centre = pile.At(32, 34);
    EXPECT_GT(gfx::PixelR(centre), 200);
    EXPECT_LT(gfx::PixelB(centre), 40);
    EXPECT_EQ(gfx::PixelA(pile.At(0, 0)), 0);
}

} // namespace
} // namespace kestrana::launchers
