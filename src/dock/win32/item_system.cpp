#include "dock/win32/item_system.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/registry_root_key.h"
#include "foundation/win32/registry_value.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <vector>

namespace kestrana::dock {

using foundation::RegistryRoot;
using Microsoft::WRL::ComPtr;

namespace {

win32::UniqueRegKey OpenExisting(RegistryRoot root, std::wstring_view subKey, REGSAM access) {
    HKEY key = nullptr;
    const std::wstring path(subKey);
    if (::RegOpenKeyExW(win32::RegistryRootKey(root), path.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
    return win32::UniqueRegKey(key);
}

// A text the system writes into a buffer it sizes: asks for the size, then fills it.
template <typename Call>
std::wstring SizedText(Call call) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) return {};
        if (needed < buffer.size()) return std::wstring(buffer.data(), needed);
        buffer.assign(needed + 1, L'\0');
    }
    return {};
}

} // namespace

std::optional<std::wstring> Win32ItemShell::EnvironmentVariable(std::wstring_view name) const {
    try {
        if (name.empty() || name.find_first_of(L"=") != std::wstring_view::npos || name.find(L'\0') != std::wstring_view::npos) {
            return std::nullopt;
        }
        const std::wstring variable(name);
        ::SetLastError(ERROR_SUCCESS);
        const DWORD needed = ::GetEnvironmentVariableW(variable.c_str(), nullptr, 0);
        if (needed == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        std::wstring value = SizedText([&](wchar_t* buffer, DWORD size) {
            return ::GetEnvironmentVariableW(variable.c_str(), buffer, size);
        });
        return value;
    } catch (...) {
        kestrana::foundation::LogCaught("item system EnvironmentVariable");
        return std::nullopt;
    }
}

std::wstring Win32ItemShell::LongPathName(const std::wstring& path) const {
    try {
        return SizedText([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(path.c_str(), buffer, size); });
    } catch (...) {
        kestrana::foundation::LogCaught("item system LongPathName");
        return {};
    }
}

bool Win32ItemShell::ParsesAsShellItem(const std::wstring& parsingName) const {
    try {
        ComPtr<IShellItem> item;
        return SUCCEEDED(::SHCreateItemFromParsingName(parsingName.c_str(), nullptr, IID_PPV_ARGS(&item))) && item;
    } catch (...) {
        kestrana::foundation::LogCaught("item system ParsesAsShellItem");
        return false;
    }
}

std::wstring Win32ItemShell::KnownFolderPath(std::wstring_view folderId) const {
    try {
        const std::wstring text(folderId);
        KNOWNFOLDERID id{};
        if (FAILED(::CLSIDFromString(text.c_str(), &id))) return {};
        PWSTR path = nullptr;
        const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
        std::wstring folder = SUCCEEDED(result) && path ? std::wstring(path) : std::wstring();
        ::CoTaskMemFree(path);
        return folder;
    } catch (...) {
        kestrana::foundation::LogCaught("item system KnownFolderPath");
        return {};
    }
}

std::wstring Win32ItemShell::WindowsFolder() const {
    try {
        return SizedText([](wchar_t* buffer, DWORD size) { return ::GetWindowsDirectoryW(buffer, size); });
    } catch (...) {
        kestrana::foundation::LogCaught("item system WindowsFolder");
        return {};
    }
}

bool Win32ItemShell::IsRemote(const std::wstring& path) const {
    try {
        if (IsSharePath(path)) return true;
        if (path.size() < 2 || path[1] != L':') return false;
        // A drive letter mapped to a share names a network redirector's device with a ";"
        // part ("\Device\Mup\;LanmanRedirector\;Z:...\server\share"), a substituted share
        // names "\??\UNC\...". The object manager answers this without any file I/O, unlike
        // the drive-type and volume queries, which may wait for the server.
        const wchar_t drive[] = {path[0], L':', L'\0'};
        wchar_t target[1024] = {};
        if (!::QueryDosDeviceW(drive, target, static_cast<DWORD>(std::size(target)))) return false;
        const std::wstring_view device(target);
        return device.starts_with(L"\\??\\UNC\\") || device.find(L"\\;") != std::wstring_view::npos;
    } catch (...) {
        kestrana::foundation::LogCaught("item system IsRemote");
        return false;
    }
}

LocalTime Win32LocalClock::Now() const {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::wstring Win32LocalClock::FormatTime(std::wstring_view picture, const LocalTime& time) const {
    try {
        SYSTEMTIME at{};
        at.wYear = static_cast<WORD>(time.year);
        at.wMonth = static_cast<WORD>(time.month);
        at.wDay = static_cast<WORD>(time.day);
        at.wHour = static_cast<WORD>(time.hour);
        at.wMinute = static_cast<WORD>(time.minute);
        at.wSecond = static_cast<WORD>(time.second);
        const std::wstring format(picture);
        wchar_t buffer[256] = {};
        const int length = ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &at, format.empty() ? nullptr : format.c_str(), buffer,
                                            static_cast<int>(std::size(buffer)));
        return length > 1 ? std::wstring(buffer, static_cast<std::size_t>(length - 1)) : std::wstring();
    } catch (...) {
        kestrana::foundation::LogCaught("item system FormatTime");
        return {};
    }
}

std::vector<std::wstring> Win32RegistryReader::SubKeyNames(RegistryRoot root, std::wstring_view subKey) const {
    std::vector<std::wstring> names;
    try {
        const auto key = OpenExisting(root, subKey, KEY_ENUMERATE_SUB_KEYS);
        if (!key) return names;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256] = {}; // the longest key name the registry allows, and its end
            DWORD length = static_cast<DWORD>(std::size(name));
            const LSTATUS status = ::RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status != ERROR_SUCCESS) continue;
            names.emplace_back(name, length);
        }
    } catch (...) {
        kestrana::foundation::LogCaught("item system SubKeyNames");
    }
    return names;
}

std::optional<std::wstring> Win32RegistryReader::ReadString(RegistryRoot root, std::wstring_view subKey,
                                                            std::wstring_view valueName) const {
    try {
        const auto key = OpenExisting(root, subKey, KEY_QUERY_VALUE);
        if (!key) return std::nullopt;
        return win32::QueryStringValue(key.Get(), valueName, true);
    } catch (...) {
        kestrana::foundation::LogCaught("item system ReadString");
        return std::nullopt;
    }
}

} // namespace kestrana::dock
