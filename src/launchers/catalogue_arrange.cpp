#include "launchers/catalogue_arrange.h"

#include "foundation/text.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace kestrana::launchers {

CatalogueDocument DocumentFromScan(const std::vector<LaunchpadEntry>& scanned) {
    CatalogueDocument document;
    for (std::size_t i = 0; i < scanned.size(); ++i) {
        if (i % kIconsPerPage == 0) document.pages.emplace_back();
        document.pages.back().push_back(CatalogueItem{scanned[i].path, scanned[i].name});
    }
    return document;
}

namespace {

// The scanned entries, each handed out once, by path.
class ScannedEntries {
public:
    ScannedEntries(std::vector<LaunchpadEntry> scanned, const PinyinLookup& pinyin)
        : m_entries(std::move(scanned)), m_taken(m_entries.size(), false), m_pinyin(pinyin) {
        for (std::size_t i = 0; i < m_entries.size(); ++i) m_byPath.emplace(foundation::AsciiLower(m_entries[i].path), i);
    }

    // The entry an element names, with the element's name; nothing when the scan did not
    // find its path or an earlier element took it.
    std::optional<LaunchpadEntry> Take(const CatalogueItem& item) {
        const auto it = m_byPath.find(foundation::AsciiLower(item.path));
        if (it == m_byPath.end() || m_taken[it->second]) return std::nullopt;
        m_taken[it->second] = true;
        LaunchpadEntry entry = std::move(m_entries[it->second]);
        if (!item.name.empty() && item.name != entry.name) {
            entry.name = item.name;
            entry.SetKey(item.name, m_pinyin);
        }
        return entry;
    }

    std::optional<LaunchpadIcon> Resolve(const CatalogueItem& item) {
        if (!item.group) {
            if (auto entry = Take(item)) return LaunchpadIcon(std::move(*entry));
            return std::nullopt;
        }
        LaunchpadGroup group{item.name, {}};
        for (const CatalogueItem& member : item.members) {
            if (auto entry = Take(member)) group.entries.push_back(std::move(*entry));
        }
        if (group.entries.empty()) return std::nullopt;
        return LaunchpadIcon(std::move(group));
    }

    // The entries no element named, in scan order.
    std::vector<LaunchpadEntry> Rest() {
        std::vector<LaunchpadEntry> rest;
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (!m_taken[i]) rest.push_back(std::move(m_entries[i]));
        }
        return rest;
    }

private:
    std::vector<LaunchpadEntry> m_entries;
    std::vector<bool> m_taken;
    std::unordered_map<std::wstring, std::size_t> m_byPath;
    const PinyinLookup& m_pinyin;
};

} // namespace

std::vector<LaunchpadPage> ArrangeCatalogue(const CatalogueDocument& document, std::vector<LaunchpadEntry> scanned,
                                            const PinyinLookup& pinyin) {
    ScannedEntries entries(std::move(scanned), pinyin);
    std::vector<LaunchpadPage> pages;
    // Icons beyond the 35th of their page, in document order; they fill pages with room.
    std::vector<const CatalogueItem*> overflow;
    for (const CataloguePage& page : document.pages) {
        std::vector<const CatalogueItem*> named;
        for (const CatalogueItem& item : page) {
            if (!item.name.empty()) named.push_back(&item);
        }
        if (named.size() > kIconsPerPage) {
            overflow.insert(overflow.end(), named.begin() + kIconsPerPage, named.end());
            named.resize(kIconsPerPage);
        }
        LaunchpadPage& shown = pages.emplace_back();
        for (const CatalogueItem* item : named) {
            if (auto icon = entries.Resolve(*item)) shown.push_back(std::move(*icon));
        }
    }

    std::size_t next = 0;
    for (LaunchpadPage& page : pages) {
        while (page.size() < kIconsPerPage && next < overflow.size()) {
            if (auto icon = entries.Resolve(*overflow[next++])) page.push_back(std::move(*icon));
        }
    }
    const auto append = [&pages](LaunchpadIcon icon) {
        if (pages.empty() || pages.back().size() >= kIconsPerPage) pages.emplace_back();
        pages.back().push_back(std::move(icon));
    };
    // Surplus that found no page with room keeps its order at the end rather than vanish.
    while (next < overflow.size()) {
        if (auto icon = entries.Resolve(*overflow[next++])) append(std::move(*icon));
    }
    for (LaunchpadEntry& entry : entries.Rest()) append(std::move(entry));
    std::erase_if(pages, [](const LaunchpadPage& page) { return page.empty(); });
    return pages;
}

KnownNames NamesIn(const CatalogueDocument& document) {
    KnownNames names;
    const auto add = [&names](const CatalogueItem& item) {
        if (!item.name.empty()) names.emplace(foundation::AsciiLower(item.path), item.name);
    };
    for (const CataloguePage& page : document.pages) {
        for (const CatalogueItem& item : page) {
            if (!item.group) add(item);
            for (const CatalogueItem& member : item.members) add(member);
        }
    }
    return names;
}

CatalogueDocument DocumentOf(const std::vector<LaunchpadPage>& pages) {
    CatalogueDocument document;
    for (const LaunchpadPage& page : pages) {
        CataloguePage& items = document.pages.emplace_back();
        for (const LaunchpadIcon& icon : page) {
            if (const auto* entry = std::get_if<LaunchpadEntry>(&icon)) {
                items.push_back(CatalogueItem{entry->path, entry->name});
                continue;
            }
            const auto& group = std::get<LaunchpadGroup>(icon);
            CatalogueItem item{{}, group.name, true, {}};
            for (const LaunchpadEntry& member : group.entries) item.members.push_back(CatalogueItem{member.path, member.name});
            items.push_back(std::move(item));
        }
    }
    return document;
}

} // namespace kestrana::launchers
