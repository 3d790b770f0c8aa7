#include "platform/win32/recent_documents.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <map>
#include <string>

namespace kestrana::platform {
namespace {

using Microsoft::WRL::ComPtr;

// The newest shortcuts are enough for a menu of ten rows.
constexpr std::size_t kShortcutsRead = 64;
// A reading this recent is good enough for the next menu.
constexpr std::int64_t kFreshMs = 3000;

std::int64_t FileTimeValue(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::wstring ProgramFor(const std::wstring& extension, std::map<std::wstring, std::wstring>& known) {
    const auto found = known.find(extension);
    if (found != known.end()) return found->second;
    wchar_t text[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(text));
    std::wstring path;
    if (SUCCEEDED(::AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, extension.c_str(), nullptr, text, &size)))
        path = text;
    const auto slash = path.find_last_of(L"\\/");
    const std::wstring name = foundation::AsciiLower(slash == std::wstring::npos ? path : path.substr(slash + 1));
    known.emplace(extension, name);
    return name;
}

} // namespace

std::vector<foundation::RecentEntry> ReadRecentEntries() noexcept {
    std::vector<foundation::RecentEntry> entries;
    try {
        PWSTR folderPath = nullptr;
        if (FAILED(::SHGetKnownFolderPath(FOLDERID_Recent, 0, nullptr, &folderPath))) return entries;
        const std::wstring folder = folderPath;
        ::CoTaskMemFree(folderPath);

        struct Shortcut {
            std::wstring path;
            std::int64_t at;
        };
        std::vector<Shortcut> shortcuts;
        WIN32_FIND_DATAW found{};
        HANDLE search = ::FindFirstFileW((folder + L"\\*.lnk").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return entries;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                shortcuts.push_back({folder + L"\\" + found.cFileName, FileTimeValue(found.ftLastWriteTime)});
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        std::sort(shortcuts.begin(), shortcuts.end(), [](const Shortcut& a, const Shortcut& b) { return a.at > b.at; });
        if (shortcuts.size() > kShortcutsRead) shortcuts.resize(kShortcutsRead);

        std::map<std::wstring, std::wstring> programs;
        for (const Shortcut& shortcut : shortcuts) {
            ComPtr<IShellLinkW> link;
            ComPtr<IPersistFile> file;
            if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
                FAILED(link.As(&file)) || FAILED(file->Load(shortcut.path.c_str(), STGM_READ)))
                continue;
            wchar_t target[MAX_PATH] = {};
            // The stored path only: resolving would search the disk for moved files.
            if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)) || !target[0]) continue;
            const DWORD attributes = ::GetFileAttributesW(target);
            if (attributes == INVALID_FILE_ATTRIBUTES) continue; // gone since
            foundation::RecentEntry entry;
            entry.target = target;
            entry.usedAt = shortcut.at;
            entry.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (!entry.folder) {
                const wchar_t* extension = ::PathFindExtensionW(target);
                if (extension && *extension) entry.opener = ProgramFor(foundation::AsciiLower(extension), programs);
            }
            entries.push_back(std::move(entry));
        }
    } catch (...) {
        foundation::LogCaught("recent documents");
    }
    return entries;
}

void RecentDocuments::Refresh() {
    const auto now = static_cast<std::int64_t>(::GetTickCount64());
    if (now - m_shared->readAtMs.load() < kFreshMs || m_shared->reading.exchange(true)) return;
    const bool started = m_jobs.Run([shared = m_shared](const foundation::JobContext&) {
        std::vector<foundation::RecentEntry> entries;
        {
            kestrana::win32::ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            entries = ReadRecentEntries();
        }
        if (foundation::DetailLogging()) {
            std::wstring line = std::to_wstring(entries.size()) + L" read";
            for (std::size_t i = 0; i < entries.size() && i < 3; ++i)
                line += L"; " + entries[i].target + L" opened by " + (entries[i].opener.empty() ? L"-" : entries[i].opener);
            foundation::LogDetail("recent items", line);
        }
        {
            std::lock_guard lock(shared->mutex);
            shared->entries = std::move(entries);
        }
        shared->readAtMs = static_cast<std::int64_t>(::GetTickCount64());
        shared->reading = false;
    });
    if (!started) m_shared->reading = false;
}

std::vector<foundation::RecentEntry> RecentDocuments::Entries() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->entries;
}

} // namespace kestrana::platform
