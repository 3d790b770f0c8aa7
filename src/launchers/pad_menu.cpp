#include "launchers/pad_menu.h"

namespace kestrana::launchers {

gfx::Menu BuildPadMenu(const PadMenuFacts& facts, const PadText& text) {
    using gfx::MenuItem;
    gfx::Menu menu;
    if (facts.onEntry) {
        menu.push_back(MenuItem::Command(kPadMenuAdmin, text(L"menu", L"adminmode", L"Run as administrator")));
        menu.push_back(MenuItem::Command(kPadMenuLocation, text(L"menu", L"locationfile", L"Open file location")));
        gfx::Menu recent;
        for (std::size_t i = 0; i < facts.recent.size() && kPadMenuRecentFirst + static_cast<int>(i) <= kPadMenuRecentLast; ++i)
            recent.push_back(MenuItem::Command(kPadMenuRecentFirst + static_cast<int>(i), facts.recent[i]));
        // Shown greyed when the program has none, so the row does not come and go.
        menu.push_back(MenuItem::Sub(text(L"menu", L"RecentFiles", L"Recent Items"), std::move(recent)));
        menu.push_back(MenuItem::Rule());
        menu.push_back(MenuItem::Command(kPadMenuRename, text(L"launchpad", L"renameicon", L"Rename")));
        menu.push_back(MenuItem::Command(kPadMenuDelete, text(L"launchpad", L"deleteicon", L"Remove from Launchpad")));
        menu.push_back(MenuItem::Rule());
    }
    menu.push_back(MenuItem::Command(kPadMenuAdd, text(L"launchpad", L"addicon", L"Add Applications...")));
    menu.push_back(MenuItem::Sub(text(L"launchpad", L"padsort", L"Sort"),
                                 {MenuItem::Command(kPadMenuSortName, text(L"launchpad", L"padsortname", L"By Name")),
                                  MenuItem::Command(kPadMenuSortKind, text(L"launchpad", L"padsortkind", L"Groups First")),
                                  MenuItem::Command(kPadMenuSortFill, text(L"launchpad", L"padsortfill", L"Fill Pages"))}));
    return menu;
}

} // namespace kestrana::launchers
