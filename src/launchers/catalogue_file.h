#pragma once
// The catalogue file (padconfig*.xml) as read and written: a root "pad" holding pages
// "page1", "page2", ..., each holding icons "ico1" to "ico35" in display order. A plain
// icon carries the entry's path in "path" and its name as text; a group carries its name
// in "name" (or in a child element "name") and its entries as child icons.
//
// Files are written as UTF-16LE with byte-order mark, as the declaration says, with tab
// indentation; any encoding the XML reader recognises is read.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrana::launchers {

struct CatalogueItem {
    std::wstring path{};                  // plain icons and group members
    std::wstring name{};                  // the text, or the group's name
    bool group = false;                   // an element with child icons
    std::vector<CatalogueItem> members{}; // a group's icons (plain)
    bool operator==(const CatalogueItem&) const = default;
};

using CataloguePage = std::vector<CatalogueItem>;

struct CatalogueDocument {
    std::vector<CataloguePage> pages; // in document order
    bool operator==(const CatalogueDocument&) const = default;
};

// Nothing when the bytes are not well-formed XML or the root element is not "pad". Names
// are read without surrounding blanks.
// Elements are taken in document order whatever number their names carry; children of
// "pad" whose names do not start with "page", and of a page or group whose names do not
// start with "ico", are ignored.
[[nodiscard]] std::optional<CatalogueDocument> ParseCatalogue(std::span<const std::uint8_t> bytes);

[[nodiscard]] std::vector<std::uint8_t> SerializeCatalogue(const CatalogueDocument& document);

// ".xml" appended to a file name that does not end in it (compared without case).
[[nodiscard]] std::wstring WithXmlExtension(std::wstring name);

} // namespace kestrana::launchers
