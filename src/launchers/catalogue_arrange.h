#pragma once
// How the saved arrangement and the scanned entries become the pages shown: entries
// keep their saved page, position, group and name where the scan still finds them;
// pages over 35 icons pass their surplus to pages with room; what the scan finds that
// the file does not name is appended.

#include "launchers/catalogue_file.h"
#include "launchers/catalogue_sources.h"
#include "launchers/launchpad_entry.h"

#include <vector>

namespace kestrana::launchers {

// The document of a first start: the entries in scan order, 35 to a page.
[[nodiscard]] CatalogueDocument DocumentFromScan(const std::vector<LaunchpadEntry>& scanned);

// The pages of `document` with the scanned entries, as the Launchpad shows them.
// Each scanned entry appears at most once: at its first plain icon or group member in
// the file, or appended after the last icon. Unnamed icons, icons whose path the scan
// did not find and groups left without entries are dropped; so are empty pages.
[[nodiscard]] std::vector<LaunchpadPage> ArrangeCatalogue(const CatalogueDocument& document,
                                                          std::vector<LaunchpadEntry> scanned,
                                                          const PinyinLookup& pinyin);

// The names the document gives its entries (plain icons and group members with a name),
// by lower-cased path.
[[nodiscard]] KnownNames NamesIn(const CatalogueDocument& document);

// The pages in the file's form, page by page and position by position.
[[nodiscard]] CatalogueDocument DocumentOf(const std::vector<LaunchpadPage>& pages);

} // namespace kestrana::launchers
