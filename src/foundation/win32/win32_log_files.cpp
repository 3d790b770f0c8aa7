#include "foundation/win32/win32_log_files.h"

#include "foundation/win32/unique_handle.h"

#include <windows.h>

namespace kestrana::win32 {

std::optional<std::uint64_t> Win32LogFiles::Size(const std::wstring& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32LogFiles::Append(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    // Opened per line and shared for reading and deleting, so the user can open or remove
    // the log while the program runs.
    UniqueFile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool Win32LogFiles::Rotate(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::shared_ptr<foundation::DiagnosticLog> MakeProgramLog(const std::wstring& baseFolder, const std::wstring& fileName) {
    try {
        return std::make_shared<foundation::DiagnosticLog>(std::make_unique<Win32LogFiles>(), baseFolder + fileName,
                                                           [] {
                                                               SYSTEMTIME t{};
                                                               ::GetLocalTime(&t);
                                                               return foundation::LogTime{t.wYear, t.wMonth, t.wDay,
                                                                                          t.wHour, t.wMinute, t.wSecond,
                                                                                          t.wMilliseconds};
                                                           });
    } catch (...) {
        return nullptr;
    }
}

} // namespace kestrana::win32
