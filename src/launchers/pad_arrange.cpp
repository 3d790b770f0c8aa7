#include "launchers/pad_arrange.h"

#include <algorithm>
#include <utility>

namespace kestrana::launchers {

namespace {

bool Valid(const std::vector<LaunchpadPage>& pages, const EntryPlace& place) {
    if (place.page >= pages.size() || place.position >= pages[place.page].size()) return false;
    if (!place.member) return true;
    const auto* group = std::get_if<LaunchpadGroup>(&pages[place.page][place.position]);
    return group && *place.member < group->entries.size();
}

// Takes the icon out; a group left empty goes with it, the page stays for now.
LaunchpadIcon Take(std::vector<LaunchpadPage>& pages, const EntryPlace& place) {
    auto& page = pages[place.page];
    if (place.member) {
        auto& group = std::get<LaunchpadGroup>(page[place.position]);
        LaunchpadIcon taken = std::move(group.entries[*place.member]);
        group.entries.erase(group.entries.begin() + static_cast<std::ptrdiff_t>(*place.member));
        if (group.entries.empty()) page.erase(page.begin() + static_cast<std::ptrdiff_t>(place.position));
        return taken;
    }
    LaunchpadIcon taken = std::move(page[place.position]);
    page.erase(page.begin() + static_cast<std::ptrdiff_t>(place.position));
    return taken;
}

// Pushes what no longer fits on a page on to the next one, and drops empty pages (one
// page always stays).
void Settle(std::vector<LaunchpadPage>& pages) {
    for (std::size_t p = 0; p < pages.size(); ++p) {
        while (pages[p].size() > kIconsPerPage) {
            if (p + 1 == pages.size()) pages.emplace_back();
            pages[p + 1].insert(pages[p + 1].begin(), std::move(pages[p].back()));
            pages[p].pop_back();
        }
    }
    std::erase_if(pages, [](const LaunchpadPage& page) { return page.empty(); });
    if (pages.empty()) pages.emplace_back();
}

} // namespace

bool MoveIcon(std::vector<LaunchpadPage>& pages, const EntryPlace& from, std::size_t page, std::size_t index) {
    if (!Valid(pages, from)) return false;
    LaunchpadIcon icon = Take(pages, from);
    if (page >= pages.size()) {
        page = pages.size();
        pages.emplace_back();
    }
    auto& target = pages[page];
    index = std::min(index, target.size());
    target.insert(target.begin() + static_cast<std::ptrdiff_t>(index), std::move(icon));
    Settle(pages);
    return true;
}

bool MoveInGroup(std::vector<LaunchpadPage>& pages, const EntryPlace& from, std::size_t index) {
    if (!from.member || !Valid(pages, from)) return false;
    auto& entries = std::get<LaunchpadGroup>(pages[from.page][from.position]).entries;
    index = std::min(index, entries.size() - 1);
    if (index == *from.member) return false;
    LaunchpadEntry entry = std::move(entries[*from.member]);
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(*from.member));
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
    return true;
}

std::optional<EntryPlace> CombineIcons(std::vector<LaunchpadPage>& pages, const EntryPlace& from,
                                       const EntryPlace& onto) {
    if (!Valid(pages, from) || onto.member || !Valid(pages, onto)) return std::nullopt;
    if (!from.member && from.page == onto.page && from.position == onto.position) return std::nullopt;
    if (!from.member && std::holds_alternative<LaunchpadGroup>(pages[from.page][from.position])) return std::nullopt;
    if (from.member && from.page == onto.page && from.position == onto.position) return std::nullopt;

    // Where the target sits once the moved icon is gone from its own page.
    EntryPlace target = onto;
    const bool originLeavesSlot =
        !from.member || std::get<LaunchpadGroup>(pages[from.page][from.position]).entries.size() == 1;
    if (from.page == onto.page && from.position < onto.position && originLeavesSlot) --target.position;

    LaunchpadIcon moved = Take(pages, from);
    auto& slot = pages[target.page][target.position];
    if (auto* existing = std::get_if<LaunchpadGroup>(&slot)) {
        existing->entries.push_back(std::move(std::get<LaunchpadEntry>(moved)));
    } else {
        LaunchpadGroup group;
        group.name = kNewGroupName;
        group.entries.push_back(std::move(std::get<LaunchpadEntry>(slot)));
        group.entries.push_back(std::move(std::get<LaunchpadEntry>(moved)));
        slot = std::move(group);
    }
    const std::size_t pagesBefore = pages.size();
    Settle(pages);
    // A page emptied before the target's page moves the target one page up.
    if (pages.size() < pagesBefore && from.page < target.page) --target.page;
    target.member.reset();
    return target;
}

namespace {

std::wstring NameKey(const LaunchpadIcon& icon) {
    std::wstring name = std::visit([](const auto& i) { return i.name; }, icon);
    for (auto& c : name)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return name;
}

// Every icon in one line, ordered by `before` (stably), then laid out 35 to a page.
template <typename Before>
void Reflow(std::vector<LaunchpadPage>& pages, Before before) {
    std::vector<LaunchpadIcon> icons;
    for (auto& page : pages)
        for (auto& icon : page) icons.push_back(std::move(icon));
    std::stable_sort(icons.begin(), icons.end(), before);
    pages.clear();
    for (auto& icon : icons) {
        if (pages.empty() || pages.back().size() == kIconsPerPage) pages.emplace_back();
        pages.back().push_back(std::move(icon));
    }
    if (pages.empty()) pages.emplace_back();
}

} // namespace

void SortByName(std::vector<LaunchpadPage>& pages) {
    Reflow(pages, [](const LaunchpadIcon& a, const LaunchpadIcon& b) { return NameKey(a) < NameKey(b); });
}

void SortGroupsFirst(std::vector<LaunchpadPage>& pages) {
    const auto rank = [](const LaunchpadIcon& icon) {
        if (const auto* entry = std::get_if<LaunchpadEntry>(&icon)) return 1 + static_cast<int>(entry->source);
        return 0;
    };
    Reflow(pages, [&](const LaunchpadIcon& a, const LaunchpadIcon& b) {
        const int ra = rank(a), rb = rank(b);
        return ra != rb ? ra < rb : NameKey(a) < NameKey(b);
    });
}

void FillPages(std::vector<LaunchpadPage>& pages) {
    Reflow(pages, [](const LaunchpadIcon&, const LaunchpadIcon&) { return false; });
}

} // namespace kestrana::launchers
