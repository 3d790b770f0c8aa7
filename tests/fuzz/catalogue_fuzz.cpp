// The catalogue reader on arbitrary files. Reading must not crash or hang, and what a
// load shows is a fixed point: saved and loaded again with the same scan, it saves the
// same bytes.

#include "foundation/text.h"
#include "launchers/catalogue_arrange.h"
#include "launchers/catalogue_file.h"

#include <cstdint>
#include <cstdlib>
#include <unordered_set>

namespace {

using namespace kestrana::launchers;

// The scan finds every path the file names (once), and one the file does not name.
std::vector<LaunchpadEntry> ScanOf(const CatalogueDocument& document) {
    std::vector<LaunchpadEntry> scanned;
    std::unordered_set<std::wstring> seen;
    const auto add = [&](const CatalogueItem& item) {
        if (!seen.insert(kestrana::foundation::AsciiLower(item.path)).second) return;
        LaunchpadEntry entry;
        entry.name = item.name.empty() ? L"scanned" : item.name;
        entry.path = item.path;
        entry.SetKey(entry.name, {});
        scanned.push_back(std::move(entry));
    };
    for (const auto& page : document.pages) {
        for (const auto& item : page) {
            if (!item.group) add(item);
            for (const auto& member : item.members) add(member);
        }
    }
    add(CatalogueItem{L"C:\\new.exe", L"New"});
    return scanned;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto document = ParseCatalogue({data, size});
    if (!document) return 0;
    const auto scanned = ScanOf(*document);
    const auto saved = SerializeCatalogue(DocumentOf(ArrangeCatalogue(*document, scanned, {})));
    const auto reread = ParseCatalogue(saved);
    if (!reread) std::abort(); // the program could not read what it wrote
    if (SerializeCatalogue(DocumentOf(ArrangeCatalogue(*reread, scanned, {}))) != saved) std::abort();
    return 0;
}
