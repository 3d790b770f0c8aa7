#include "launchers/pad_menu.h"

#include <cwctype>

namespace kestrana::launchers {

namespace {

std::wstring FileNameLower(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    std::wstring name(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
    for (auto& c : name) c = static_cast<wchar_t>(std::towlower(c));
    return name;
}

bool EndsWith(const std::wstring& text, std::wstring_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

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

std::wstring ProgramOfCommand(std::wstring_view command) {
    while (!command.empty() && command.front() == L' ') command.remove_prefix(1);
    if (!command.empty() && command.front() == L'"') {
        const auto end = command.find(L'"', 1);
        return std::wstring(command.substr(1, end == std::wstring_view::npos ? std::wstring_view::npos : end - 1));
    }
    std::wstring lower(command);
    for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    const auto exe = lower.find(L".exe");
    if (exe != std::wstring::npos) return std::wstring(command.substr(0, exe + 4));
    return std::wstring(command.substr(0, command.find(L' ')));
}

std::vector<std::size_t> RecentFor(std::wstring_view program, const std::vector<RecentDocument>& newestFirst,
                                   std::size_t most) {
    std::vector<std::size_t> found;
    const std::wstring wanted = FileNameLower(program);
    if (wanted.empty()) return found;
    for (std::size_t i = 0; i < newestFirst.size() && found.size() < most; ++i) {
        const auto& document = newestFirst[i];
        const std::wstring target = FileNameLower(document.target);
        if (target.empty() || EndsWith(target, L".exe") || EndsWith(target, L".lnk")) continue;
        if (FileNameLower(document.handler) == wanted) found.push_back(i);
    }
    return found;
}

} // namespace kestrana::launchers
