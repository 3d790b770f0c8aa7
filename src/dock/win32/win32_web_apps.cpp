#include "dock/win32/win32_web_apps.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <vector>

namespace kestrana::dock {

using Microsoft::WRL::ComPtr;

namespace {

struct FolderEntry {
    std::wstring name;
    bool folder = false;
    FILETIME written{};
};

std::vector<FolderEntry> ListFolder(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data{};
    win32::UniqueFind find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                              nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return entries;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back({std::wstring(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           data.ftLastWriteTime});
    } while (::FindNextFileW(find.Get(), &data));
    return entries;
}

// Changes when a shortcut is added, removed or renamed in the folder or in a folder
// directly inside it: each of those changes the folder's own time of change.
std::uint64_t FolderSignature(const std::wstring& folder, const std::vector<FolderEntry>& entries) {
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](std::uint64_t value) {
        hash ^= value;
        hash *= 1099511628211ull;
    };
    WIN32_FILE_ATTRIBUTE_DATA self{};
    if (::GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &self))
        mix((std::uint64_t{self.ftLastWriteTime.dwHighDateTime} << 32) | self.ftLastWriteTime.dwLowDateTime);
    for (const FolderEntry& entry : entries) {
        if (!entry.folder) continue;
        for (wchar_t c : entry.name) mix(static_cast<std::uint64_t>(c));
        mix((std::uint64_t{entry.written.dwHighDateTime} << 32) | entry.written.dwLowDateTime);
    }
    return hash;
}

// Most shortcuts of the folder are no web applications; a look at the raw bytes for the
// switch (stored as UTF-16) spares opening them through the shell.
bool MayCarryAppId(const std::wstring& path) {
    win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::vector<char> bytes(64 * 1024);
    DWORD got = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) return false;
    static constexpr char kSwitch[] = {'-', 0, '-', 0, 'a', 0, 'p', 0, 'p', 0, '-', 0, 'i', 0, 'd', 0, '=', 0};
    const std::string_view text(bytes.data(), got);
    return text.find(std::string_view(kSwitch, sizeof(kSwitch))) != std::string_view::npos;
}

struct ShortcutText {
    std::wstring target;
    std::wstring arguments;
};

std::optional<ShortcutText> ReadShortcut(const std::wstring& path) {
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return std::nullopt;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ))) return std::nullopt;
    std::vector<wchar_t> buffer(32768);
    ShortcutText text;
    if (SUCCEEDED(link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, SLGP_RAWPATH)))
        text.target = buffer.data();
    buffer[0] = L'\0';
    if (SUCCEEDED(link->GetArguments(buffer.data(), static_cast<int>(buffer.size())))) text.arguments = buffer.data();
    return text;
}

void ReadShortcutsOf(const std::wstring& folder, const std::vector<FolderEntry>& entries, WebAppCatalog& catalog) {
    for (const FolderEntry& entry : entries) {
        if (entry.folder || !foundation::EndsWithIgnoreCase(entry.name, L".lnk")) continue;
        const std::wstring path = folder + L"\\" + entry.name;
        if (!MayCarryAppId(path)) continue;
        if (auto text = ReadShortcut(path))
            catalog.AddShortcut(entry.name.substr(0, entry.name.size() - 4), text->target, text->arguments);
    }
}

std::wstring UserProgramsFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Programs, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

} // namespace

void Win32WebApps::Refresh() {
    const std::uint64_t now = ::GetTickCount64();
    if (m_read && now - m_checkedAt < kRecheckMs) return;
    m_checkedAt = now;
    if (m_folder.empty()) m_folder = UserProgramsFolder();
    if (m_folder.empty()) return;
    const auto entries = ListFolder(m_folder);
    const std::uint64_t signature = FolderSignature(m_folder, entries);
    if (m_read && signature == m_signature) return;

    // Jobs may or may not have joined an apartment; either kind serves the shell link.
    win32::ComApartment apartment(COINIT_MULTITHREADED);
    WebAppCatalog catalog;
    ReadShortcutsOf(m_folder, entries, catalog);
    for (const FolderEntry& entry : entries) {
        if (!entry.folder) continue;
        const std::wstring sub = m_folder + L"\\" + entry.name;
        ReadShortcutsOf(sub, ListFolder(sub), catalog);
    }
    m_catalog = std::move(catalog);
    m_signature = signature;
    m_read = true;
    foundation::LogDetail("web applications", L"read " + std::to_wstring(m_catalog.Size()) + L" from " + m_folder);
}

std::wstring Win32WebApps::FindByTitle(Browser browser, std::wstring_view title) {
    try {
        std::lock_guard lock(m_mutex);
        Refresh();
        return m_catalog.FindByTitle(browser, title);
    } catch (...) {
        foundation::LogCaught("web applications");
        return {};
    }
}

std::size_t Win32WebApps::Count() {
    try {
        std::lock_guard lock(m_mutex);
        Refresh();
        return m_catalog.Size();
    } catch (...) {
        foundation::LogCaught("web applications");
        return 0;
    }
}

} // namespace kestrana::dock
