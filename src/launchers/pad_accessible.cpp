#include "launchers/pad_accessible.h"

#include <algorithm>

namespace kestrana::launchers {

using foundation::AccessibleElement;
using foundation::AccessibleRole;
using foundation::AccessibleState;

namespace {

constexpr foundation::AccessibleId kEntryBase = 0x01000000;
constexpr std::size_t kMaxPages = 30000;
constexpr std::size_t kPlacesPerPage = 64;
constexpr std::size_t kMembersPerIcon = 1023;

struct Builder {
    const PadView& view;
    int originX, originY;
    const PadWords& words;
    foundation::AccessibleTree& tree;

    foundation::AccessibleRect OnScreen(const gfx::RectI& r) const {
        return {originX + r.x, originY + r.y, r.width, r.height};
    }

    // One tile of a grid; `shown` false for a page that is not on screen.
    void AddTile(foundation::AccessibleId parent, const PadTile& tile, const gfx::RectI& cell, bool shown,
                 bool selected) {
        const auto id = PadEntryId(tile.place);
        if (!id) return;
        AccessibleElement e;
        e.id = *id;
        e.parent = parent;
        e.role = AccessibleRole::ListItem;
        e.defaultAction = words.open;
        e.state = AccessibleState::Focusable | AccessibleState::Selectable;
        if (shown) e.bounds = OnScreen(cell);
        else e.state |= AccessibleState::Invisible;
        if (selected) e.state |= AccessibleState::Focused | AccessibleState::Selected;
        if (tile.entry) {
            e.name = tile.entry->name;
            tree.Add(std::move(e));
            return;
        }
        if (!tile.group) return;
        e.name = tile.group->name;
        e.description = words.folder;
        const auto open = view.OpenGroup();
        const bool isOpen = open && !open->member && open->page == tile.place.page &&
                            open->position == tile.place.position;
        e.role = AccessibleRole::Grouping;
        e.state |= AccessibleState::HasPopup | (isOpen ? AccessibleState::Expanded : AccessibleState::Collapsed);
        e.flow = foundation::AccessibleFlow::Grid;
        e.columns = kPadColumns;
        tree.Add(std::move(e));
        if (isOpen) {
            // The members shown on the group's page, in its panel; the rest of them are
            // on its other pages.
            for (const PadTile& member : view.GroupTiles())
                AddTile(*id, member, view.GroupCell(member.cell), true, member.cell == view.Selection());
            return;
        }
        for (std::size_t m = 0; m < tile.group->entries.size() && m < kMembersPerIcon; ++m) {
            PadTile member;
            member.place = {tile.place.page, tile.place.position, m};
            member.entry = &tile.group->entries[m];
            AddTile(*id, member, {}, false, false);
        }
    }

    void AddSearch() {
        AccessibleElement search;
        search.id = kPadSearchId;
        search.role = AccessibleRole::Text;
        search.name = words.search;
        search.value = view.SearchText() + view.Composition();
        search.bounds = OnScreen(view.Geometry().searchBox);
        // Typing always goes to the search while nothing else is being named.
        search.state = AccessibleState::Focusable;
        if (!view.Renaming() && view.Selection() < 0) search.state |= AccessibleState::Focused;
        tree.Add(std::move(search));
    }

    void AddResults() {
        const PadGeometry& g = view.Geometry();
        AccessibleElement results;
        results.id = kPadResultsId;
        results.role = AccessibleRole::List;
        results.name = words.results;
        results.bounds = OnScreen(g.GridRect());
        results.flow = foundation::AccessibleFlow::Grid;
        results.columns = kPadColumns;
        tree.Add(std::move(results));
        for (const PadTile& tile : view.ResultTiles())
            AddTile(kPadResultsId, tile, g.Cell(tile.cell), true, tile.cell == view.Selection());
    }

    // Every page is a list; only the one shown has bounds.
    void AddPages() {
        const PadGeometry& g = view.Geometry();
        for (std::size_t page = 0; page < view.PageCount() && page < kMaxPages; ++page) {
            const bool shown = page == view.Page();
            AccessibleElement list;
            list.id = PadPageId(page);
            list.role = AccessibleRole::List;
            list.name = words.page + L" " + std::to_wstring(page + 1);
            list.flow = foundation::AccessibleFlow::Grid;
            list.columns = kPadColumns;
            if (shown) list.bounds = OnScreen(g.GridRect());
            else list.state = AccessibleState::Invisible;
            tree.Add(std::move(list));
            // The keyboard selection belongs to the page while no group is open.
            const bool selectable = shown && !view.OpenGroup();
            for (const PadTile& tile : view.PageTiles(page))
                AddTile(PadPageId(page), tile, g.Cell(tile.cell), shown, selectable && tile.cell == view.Selection());
        }
    }

    // The page dots as a tab list, one tab per page.
    void AddPageDots() {
        const PadGeometry& g = view.Geometry();
        AccessibleElement dots;
        dots.id = kPadPagesId;
        dots.role = AccessibleRole::PageTabList;
        dots.name = words.pages;
        dots.state = AccessibleState::SelectionRequired; // one page is always shown
        const int r = g.DotRadius();
        const PadPoint first = view.DotCentre(0, view.PageCount());
        const PadPoint last = view.DotCentre(view.PageCount() - 1, view.PageCount());
        dots.bounds = OnScreen({first.x - r, first.y - r, last.x - first.x + 2 * r, 2 * r});
        tree.Add(std::move(dots));
        for (std::size_t page = 0; page < view.PageCount() && page < kMaxPages; ++page) {
            const PadPoint c = view.DotCentre(page, view.PageCount());
            AccessibleElement dot;
            dot.id = PadDotId(page);
            dot.parent = kPadPagesId;
            dot.role = AccessibleRole::PageTab;
            dot.name = words.page + L" " + std::to_wstring(page + 1);
            dot.bounds = OnScreen({c.x - r, c.y - r, 2 * r, 2 * r});
            dot.state = AccessibleState::Selectable;
            if (page == view.Page()) dot.state |= AccessibleState::Selected;
            tree.Add(std::move(dot));
        }
    }
};

} // namespace

std::optional<std::size_t> PadPageOfTab(foundation::AccessibleId id, std::size_t pageCount) {
    if (id < PadDotId(0) || id >= PadDotId(std::min(pageCount, kMaxPages))) return std::nullopt;
    return static_cast<std::size_t>(id - PadDotId(0));
}

std::optional<foundation::AccessibleId> PadEntryId(const EntryPlace& place) {
    if (place.page >= kMaxPages || place.position >= kPlacesPerPage) return std::nullopt;
    if (place.member && *place.member >= kMembersPerIcon) return std::nullopt;
    const std::size_t slot = (place.page * kPlacesPerPage + place.position) * (kMembersPerIcon + 1) +
                             (place.member ? *place.member + 1 : 0);
    return kEntryBase + static_cast<foundation::AccessibleId>(slot);
}

foundation::AccessibleTree BuildPadTree(const PadView& view, int originX, int originY, const PadWords& words) {
    const PadGeometry& g = view.Geometry();
    AccessibleElement root;
    root.role = AccessibleRole::Window;
    root.name = words.launchpad;
    root.bounds = {originX, originY, g.width, g.height};
    root.flow = foundation::AccessibleFlow::Vertical;
    foundation::AccessibleTree tree(std::move(root));
    Builder b{view, originX, originY, words, tree};
    b.AddSearch();
    if (view.Searching()) {
        b.AddResults();
    } else {
        b.AddPages();
        if (view.PageCount() > 1) b.AddPageDots();
    }
    tree.Seal();
    return tree;
}

} // namespace kestrana::launchers
