#pragma once
// The program's pop-up menus as plain data: what each row says and does, independent of
// how and where it is drawn. The bar, the dock and every other surface build these and
// hand them to the one menu window.

#include <string>
#include <vector>

namespace kestrana::gfx {

struct MenuItem {
    int id = 0;          // reported when the row is chosen; 0 for rules and submenu rows
    std::wstring text;
    std::wstring detail; // shown right-aligned in a dimmer colour (a shortcut, a value)
    bool separator = false;
    bool checked = false;
    bool enabled = true;
    bool slider = false; // a track the pointer or the arrow keys move; `value` is 0..100
    int value = 0;
    std::vector<MenuItem> submenu;

    [[nodiscard]] bool HasSubmenu() const { return !submenu.empty(); }
    // Rules and disabled rows are skipped by the keyboard and never chosen.
    [[nodiscard]] bool Selectable() const { return !separator && enabled; }

    [[nodiscard]] static MenuItem Command(int id, std::wstring text, bool checked = false, bool enabled = true) {
        MenuItem item;
        item.id = id;
        item.text = std::move(text);
        item.checked = checked;
        item.enabled = enabled;
        return item;
    }
    // `text` is not drawn; screen readers hear it as the slider's name.
    [[nodiscard]] static MenuItem Slider(int id, int value, std::wstring text) {
        MenuItem item;
        item.id = id;
        item.text = std::move(text);
        item.slider = true;
        item.value = value < 0 ? 0 : (value > 100 ? 100 : value);
        return item;
    }
    [[nodiscard]] static MenuItem Rule() {
        MenuItem item;
        item.separator = true;
        return item;
    }
    [[nodiscard]] static MenuItem Sub(std::wstring text, std::vector<MenuItem> items) {
        MenuItem item;
        item.text = std::move(text);
        item.submenu = std::move(items);
        item.enabled = !item.submenu.empty();
        return item;
    }
};

using Menu = std::vector<MenuItem>;

} // namespace kestrana::gfx
