#include "foundation/recent_files.h"

#include "foundation/text.h"

#include <algorithm>
#include <unordered_set>

namespace kestrana::foundation {

std::vector<std::wstring> RecentFilesFor(std::vector<RecentEntry> entries, std::wstring_view appname) {
    const std::wstring program = foundation::AsciiLower(appname);
    const bool fileManager = program == L"explorer.exe";
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RecentEntry& a, const RecentEntry& b) { return a.usedAt > b.usedAt; });
    std::vector<std::wstring> rows;
    std::unordered_set<std::wstring> seen;
    for (const RecentEntry& entry : entries) {
        if (rows.size() >= kRecentRows) break;
        if (entry.target.empty()) continue;
        // Folders belong to the file manager.
        const bool listed = fileManager || (!entry.folder && !program.empty() && entry.opener == program);
        if (!listed || !seen.insert(foundation::AsciiLower(entry.target)).second) continue;
        rows.push_back(entry.target);
    }
    return rows;
}

std::wstring RecentRowText(std::wstring_view target) {
    while (target.size() > 3 && (target.back() == L'\\' || target.back() == L'/')) target.remove_suffix(1);
    const auto slash = target.find_last_of(L"\\/");
    const std::wstring_view name = slash == std::wstring_view::npos ? target : target.substr(slash + 1);
    return std::wstring(name.empty() ? target : name);
}

} // namespace kestrana::foundation
