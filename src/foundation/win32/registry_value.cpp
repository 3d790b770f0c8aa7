#include "foundation/win32/registry_value.h"

#include "foundation/diagnostic_log.h"
#include <vector>

namespace kestrana::win32 {

std::optional<std::wstring> QueryStringValue(HKEY key, std::wstring_view valueName, bool acceptExpandable) noexcept {
    try {
        const std::wstring name(valueName);
        const auto isText = [&](DWORD type) { return type == REG_SZ || (acceptExpandable && type == REG_EXPAND_SZ); };
        // The value may grow between the size query and the read; try again then.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0;
            DWORD bytes = 0;
            if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || !isText(type)) {
                return std::nullopt;
            }
            std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
            DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            const LSTATUS status =
                ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
            if (status == ERROR_MORE_DATA) continue;
            if (status != ERROR_SUCCESS || !isText(type)) return std::nullopt;
            std::wstring text(buffer.data(), size / sizeof(wchar_t));
            // Stored strings may or may not carry their terminator.
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            return text;
        }
    } catch (...) {
        kestrana::foundation::LogCaught("registry QueryStringValue");
    }
    return std::nullopt;
}

} // namespace kestrana::win32
