// The restore check on arbitrary archives. It must not crash, hang or exhaust memory, and
// whatever it accepts stays within the program folder, within the caps, and is accepted
// again, unchanged, once written back into an archive.

#include "foundation/text.h"
#include "foundation/zip_archive.h"
#include "settings/settings_backup.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrana;
    const settings::BackupCheck check = settings::CheckSettingsBackup({data, size});
    if (check.refusal != settings::BackupRefusal::None) {
        if (!check.entries.empty()) std::abort();
        return 0;
    }
    std::size_t total = 0;
    std::vector<foundation::ZipMember> members;
    for (const auto& entry : check.entries) {
        const std::wstring& path = entry.relativePath;
        if (path.empty() || path.front() == L'\\' || path.find(L':') != std::wstring::npos ||
            path.find(L'/') != std::wstring::npos) {
            std::abort();
        }
        for (std::size_t start = 0; start <= path.size();) {
            const std::size_t end = std::min(path.find(L'\\', start), path.size());
            const std::wstring_view segment = std::wstring_view(path).substr(start, end - start);
            if (segment.empty() || segment == L"." || segment == L"..") std::abort();
            start = end + 1;
        }
        if (entry.content.size() > settings::kMaxBackupFileBytes) std::abort();
        total += entry.content.size();
        std::string name = foundation::ToUtf8(path);
        for (char& c : name) c = c == '\\' ? '/' : c;
        members.push_back({name, entry.content});
    }
    if (total > settings::kMaxBackupTotalBytes) std::abort();
    const auto rewritten = foundation::WriteZip(members, 128u * 1024 * 1024);
    if (!rewritten) std::abort();
    const settings::BackupCheck again = settings::CheckSettingsBackup(*rewritten);
    if (again.refusal != settings::BackupRefusal::None || again.entries.size() != check.entries.size()) std::abort();
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        if (again.entries[i].relativePath != check.entries[i].relativePath ||
            again.entries[i].content != check.entries[i].content) {
            std::abort();
        }
    }
    return 0;
}
