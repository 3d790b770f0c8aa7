// The menu component: keyboard and pointer navigation through rows, rules, disabled
// rows and submenus, where a menu opens near the screen's edges, and its high-contrast look.
#include "gfx/menu_layout.h"
#include "gfx/menu_navigation.h"
#include "gfx/menu_renderer.h"

#include <gtest/gtest.h>

namespace kestrana::gfx {
namespace {

Menu Sample() {
    return {MenuItem::Command(1, L"Alpha"), MenuItem::Rule(), MenuItem::Command(2, L"Beta", false, false),
            MenuItem::Sub(L"More", {MenuItem::Command(0, L"Header", false, false), MenuItem::Command(31, L"Gamma"),
                                    MenuItem::Command(32, L"Delta")}),
            MenuItem::Command(4, L"Bravo")};
}

TEST(MenuNavigation, KeyboardSkipsRulesAndDisabledRowsAndEntersSubmenus) {
    const Menu menu = Sample();
    MenuNavigator nav(menu);
    nav.Key(MenuKey::Down);
    EXPECT_EQ(nav.Hot(0), 0);
    nav.Key(MenuKey::Down);
    EXPECT_EQ(nav.Hot(0), 3); // past the rule and the disabled row
    nav.Key(MenuKey::Up);
    EXPECT_EQ(nav.Hot(0), 0);
    nav.Key(MenuKey::Up);
    EXPECT_EQ(nav.Hot(0), 4); // wraps around
    nav.Key(MenuKey::Up);
    EXPECT_EQ(nav.Key(MenuKey::Right).kind, MenuEvent::Kind::Changed);
    ASSERT_EQ(nav.Depth(), 2u);
    EXPECT_EQ(nav.Hot(1), 1); // the first row that can be chosen
    nav.Key(MenuKey::Down);
    const MenuEvent chosen = nav.Key(MenuKey::Enter);
    EXPECT_EQ(chosen.kind, MenuEvent::Kind::Chosen);
    EXPECT_EQ(chosen.id, 32);
    nav.Key(MenuKey::Left);
    EXPECT_EQ(nav.Depth(), 1u);
    EXPECT_EQ(nav.Letter(L'b').kind, MenuEvent::Kind::Changed);
    EXPECT_EQ(nav.Hot(0), 4); // "Beta" is disabled
    EXPECT_EQ(nav.Key(MenuKey::Escape).kind, MenuEvent::Kind::Dismissed);
}

TEST(MenuNavigation, PointerOpensSubmenusAndKeepsThemAcrossTheGap) {
    const Menu menu = Sample();
    MenuNavigator nav(menu);
    nav.Hover(0, 3);
    ASSERT_EQ(nav.Depth(), 2u);
    EXPECT_EQ(nav.Hover(0, -1).kind, MenuEvent::Kind::None); // between the levels
    nav.Hover(1, 2);
    EXPECT_EQ(nav.Hot(1), 2);
    nav.Hover(0, 0);
    EXPECT_EQ(nav.Depth(), 1u);
    EXPECT_EQ(nav.Click(0, 2).kind, MenuEvent::Kind::None); // disabled
    EXPECT_EQ(nav.Click(0, 1).kind, MenuEvent::Kind::None); // a rule
    EXPECT_EQ(nav.Click(0, 4).id, 4);
    EXPECT_EQ(nav.Leave().kind, MenuEvent::Kind::Changed);
    EXPECT_EQ(nav.Hot(0), -1);
}

TEST(MenuPlacement, StaysInsideTheWorkArea) {
    const RectI work{0, 0, 1000, 800};
    EXPECT_EQ(PlaceMenu(200, 300, 100, 24, 0, work), (RectI{100, 24, 200, 300}));
    EXPECT_EQ(PlaceMenu(200, 300, 900, 24, 0, work), (RectI{800, 24, 200, 300}));
    EXPECT_EQ(PlaceMenu(200, 300, 100, 700, 690, work), (RectI{100, 390, 200, 300}));
    EXPECT_EQ(PlaceSubmenu(150, 100, {500, 24, 200, 300}, {500, 60, 200, 24}, work), (RectI{698, 60, 150, 100}));
    EXPECT_EQ(PlaceSubmenu(150, 100, {800, 24, 200, 300}, {800, 60, 200, 24}, work).x, 652);
    EXPECT_EQ(PlaceSubmenu(150, 100, {500, 24, 200, 800}, {500, 760, 200, 24}, work).y, 700);

    const Menu menu = Sample();
    const MenuMetrics metrics = MenuMetrics::At(1.0f);
    const MenuLayout layout = LayOutMenu(menu, metrics, [](const std::wstring& t) { return int(t.size()) * 7; });
    EXPECT_EQ(layout.height, 5 + 4 * 24 + 9 + 5);
    EXPECT_EQ(layout.width, metrics.minWidth);
    EXPECT_EQ(RowAt(layout, 10, 5 + 24 + 4), 1);
    EXPECT_EQ(RowAt(layout, 10, 2), -1);
}

TEST(MenuSlider, ThePointerAndTheArrowsMoveItWithoutClosingTheMenu) {
    const Menu menu{MenuItem::Command(0, L"Heading", false, false), MenuItem::Slider(7, 40, L"Volume"),
                    MenuItem::Command(8, L"Other")};
    MenuNavigator nav(menu);
    EXPECT_EQ(nav.Click(0, 1).kind, MenuEvent::Kind::None); // pressed, never chosen
    nav.Hover(0, 1);
    const MenuEvent right = nav.Key(MenuKey::Right);
    EXPECT_EQ(right.kind, MenuEvent::Kind::Slid);
    EXPECT_EQ(right.id, 7);
    EXPECT_EQ(right.value, 45);
    EXPECT_EQ(nav.Key(MenuKey::Left).value, 35);
    EXPECT_EQ(nav.Key(MenuKey::Enter).kind, MenuEvent::Kind::None);
    EXPECT_EQ(nav.Key(MenuKey::Down).kind, MenuEvent::Kind::Changed); // Up and Down still move along the rows
    EXPECT_EQ(nav.Key(MenuKey::Enter).id, 8);

    // At the ends a step does nothing rather than asking for the same value again.
    const Menu full{MenuItem::Slider(1, 100, L"v"), MenuItem::Slider(2, 2, L"w")};
    MenuNavigator ends(full);
    ends.Hover(0, 0);
    EXPECT_EQ(ends.Key(MenuKey::Right).kind, MenuEvent::Kind::None);
    ends.Hover(0, 1);
    EXPECT_EQ(ends.Key(MenuKey::Left).value, 0);
    EXPECT_EQ(MenuItem::Slider(3, 140, L"x").value, 100);
    EXPECT_EQ(MenuItem::Slider(3, -5, L"x").value, 0);

    // The slider's name takes no width: a long name does not widen the menu.
    const MenuMetrics metrics = MenuMetrics::At(1.0f);
    const auto measure = [](const std::wstring& t) { return int(t.size()) * 7; };
    const Menu wide{MenuItem::Slider(1, 0, std::wstring(200, L'x'))};
    EXPECT_EQ(LayOutMenu(wide, metrics, measure).width, metrics.minWidth);
}

TEST(MenuSlider, PressesMapOntoTheTrackAndStickToItsEnds) {
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        const MenuMetrics metrics = MenuMetrics::At(scale);
        const RectI row{0, 10, metrics.minWidth, metrics.rowHeight};
        const RectI track = SliderTrack(row, metrics);
        ASSERT_GT(track.width, 0);
        EXPECT_EQ(SliderValueAt(row, metrics, track.x), 0);
        EXPECT_EQ(SliderValueAt(row, metrics, track.Right()), 100);
        EXPECT_EQ(SliderValueAt(row, metrics, -50), 0);
        EXPECT_EQ(SliderValueAt(row, metrics, row.Right() + 50), 100);
        EXPECT_NEAR(SliderValueAt(row, metrics, track.x + track.width / 2), 50, 1);
        // Moving right never lowers the value.
        int last = 0;
        for (int x = row.x; x < row.Right(); ++x) {
            const int v = SliderValueAt(row, metrics, x);
            EXPECT_GE(v, last);
            last = v;
        }
    }
}

} // namespace
} // namespace kestrana::gfx

namespace kestrana::gfx {
namespace {

TEST(MenuTextSize, BiggerTextMakesTallerRowsAndWiderMenus) {
    const Menu menu{MenuItem::Command(1, L"Open"), MenuItem::Command(2, L"Quit the program now")};
    const MenuMetrics plain = MenuMetrics::At(1.5f);
    const MenuMetrics big = MenuMetrics::At(1.5f, 1.5f);
    EXPECT_FLOAT_EQ(big.textSize, plain.textSize * 1.5f);
    // Each row keeps the room it had around its text.
    EXPECT_GE(big.rowHeight - static_cast<int>(big.textSize), plain.rowHeight - static_cast<int>(plain.textSize) - 1);
    // Text measured at the metrics' size: the menu grows with it.
    const auto measureAt = [](const MenuMetrics& m) {
        return [size = m.textSize](const std::wstring& t) { return static_cast<int>(t.size() * size * 0.55f); };
    };
    const MenuLayout small = LayOutMenu(menu, plain, measureAt(plain));
    const MenuLayout large = LayOutMenu(menu, big, measureAt(big));
    EXPECT_GT(large.width, small.width);
    EXPECT_GT(large.height, small.height);
    // Out of range factors are held to the system's own range.
    EXPECT_FLOAT_EQ(MenuMetrics::At(1.0f, 9.0f).textSize, 13.0f * 2.25f);
    EXPECT_FLOAT_EQ(MenuMetrics::At(1.0f, 0.2f).textSize, 13.0f);
}

TEST(MenuContrast, AHighContrastSchemeDrawsTheMenuInItsOwnOpaqueColours) {
    const Menu menu{MenuItem::Command(1, L"Open"), MenuItem::Command(2, L"Quit")};
    const MenuMetrics metrics = MenuMetrics::At(1.0f);
    const MenuLayout layout = LayOutMenu(menu, metrics, [](const std::wstring& t) { return int(t.size()) * 7; });
    const ContrastColours scheme{{0, 0, 0, 255}, {255, 255, 0, 255}, {0, 255, 255, 255}};
    const MenuLook look = MenuLook::For(scheme);
    Bitmap picture(layout.width, layout.height);
    MenuLabels labels;
    labels.text.resize(2);
    labels.detail.resize(2);
    DrawMenu(picture, menu, layout, metrics, look, labels, 0);
    // The middle of the lit first row and of the second, away from the (empty) texts' places.
    const RectI lit = layout.rows[0], plain = layout.rows[1];
    EXPECT_EQ(picture.At(lit.x + lit.width - 6, lit.y + lit.height / 2), scheme.highlight.Premultiplied());
    EXPECT_EQ(picture.At(plain.x + plain.width - 6, plain.y + plain.height / 2), scheme.window.Premultiplied());
    // The light look is translucent; the scheme's is not.
    EXPECT_LT(MenuLook::For(false).background.a, 255);
    EXPECT_EQ(look.background.a, 255);
}

} // namespace
} // namespace kestrana::gfx
