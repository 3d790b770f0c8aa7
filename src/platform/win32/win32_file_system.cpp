#include "platform/win32/win32_file_system.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace kestrana::platform {

using foundation::DirectoryEntry;
using foundation::FileStamp;
using win32::UniqueFile;
using win32::UniqueFind;

namespace {

// A change younger than this may share its timestamp with the next one (the system time
// advances in ticks; FAT keeps two-second times), so the stamp says "recent".
constexpr std::int64_t kRecentTicks = 3 * 10'000'000;

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// Moves a file, waiting out a reader that holds the target open for a moment: a scanner
// or indexer on Windows (one that does not share delete), and under Wine any reader at
// all, makes the replacing move fail with a sharing or access error that is gone a few
// milliseconds later. Other errors are final at once.
bool MoveWaitingForReaders(const wchar_t* from, const wchar_t* to, DWORD flags, const char* what) {
    constexpr DWORD kWaitsMs[] = {2, 5, 10, 20, 40, 80, 160};
    for (std::size_t attempt = 0;; ++attempt) {
        if (::MoveFileExW(from, to, flags)) {
            if (attempt > 0)
                foundation::LogDetail("files", std::string(what) + ": the target was busy; moved at attempt " + std::to_string(attempt + 1));
            return true;
        }
        const DWORD error = ::GetLastError();
        const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!busy) return false; // the caller says what it could not do
        if (attempt == std::size(kWaitsMs)) {
            foundation::LogFailure("files", std::string(what) + ": the target stayed busy over " + std::to_string(attempt + 1) +
                                                 " attempts (error " + std::to_string(error) + ")");
            ::SetLastError(error);
            return false;
        }
        ::Sleep(kWaitsMs[attempt]);
    }
}

// The path as the API takes it: paths of MAX_PATH or more in the "\\?\" form (which
// also turns off "/" and "." handling), others as they are, without a copy.
class ApiPath {
public:
    explicit ApiPath(const std::wstring& path) : m_path(&path) {
        if (path.size() < MAX_PATH || path.rfind(L"\\\\", 0) == 0) return;
        if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) {
            m_long = L"\\\\?\\" + path;
            for (auto& c : m_long) {
                if (c == L'/') c = L'\\';
            }
            m_path = &m_long;
        }
    }
    ApiPath(const ApiPath&) = delete;
    ApiPath& operator=(const ApiPath&) = delete;
    [[nodiscard]] const wchar_t* c_str() const { return m_path->c_str(); }

private:
    const std::wstring* m_path;
    std::wstring m_long;
};

DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(ApiPath(path).c_str()); }

bool WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

bool Win32FileSystem::IsFile(const std::wstring& path) const {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::IsDirectory(const std::wstring& path) const {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileStamp> Win32FileSystem::Stat(const std::wstring& path) const {
    // One attribute query, no open: this runs before every settings read.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(ApiPath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    FileStamp stamp;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.writeTime = Ticks(data.ftLastWriteTime);
    // A replaced file is a new file with its own creation time.
    stamp.fileId = static_cast<std::uint64_t>(Ticks(data.ftCreationTime));
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    stamp.recent = Ticks(now) - stamp.writeTime < kRecentTicks;
    return stamp;
}

std::optional<std::vector<std::uint8_t>> Win32FileSystem::Read(const std::wstring& path) const {
    try {
        UniqueFile file(::CreateFileW(ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) return std::nullopt;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
            static_cast<std::uint64_t>(size.QuadPart) > kMaxReadBytes)
            return std::nullopt;
        std::vector<std::uint8_t> content;
        content.reserve(static_cast<std::size_t>(size.QuadPart));
        std::uint8_t buffer[65536];
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
            if (got == 0) break;
            content.insert(content.end(), buffer, buffer + got);
            if (content.size() > kMaxReadBytes) return std::nullopt; // grew while we read
        }
        return content;
    } catch (...) {
        kestrana::foundation::LogCaught("files Read");
        return std::nullopt;
    }
}

bool Win32FileSystem::Replace(const std::wstring& path, std::span<const std::uint8_t> content) {
    try {
        const DWORD existing = Attributes(path);
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return false;
        static std::atomic<unsigned> counter{0};
        const std::wstring temp = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".tmp";
        {
            UniqueFile file(::CreateFileW(ApiPath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return false;
            const bool written = WriteAll(file.Get(), content.data(), content.size()) && ::FlushFileBuffers(file.Get());
            if (!written) {
                file.Reset();
                ::DeleteFileW(ApiPath(temp).c_str());
                return false;
            }
        }
        if (!MoveWaitingForReaders(ApiPath(temp).c_str(), ApiPath(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH,
                                   "replace")) {
            ::DeleteFileW(ApiPath(temp).c_str());
            return false;
        }
        return true;
    } catch (...) {
        kestrana::foundation::LogCaught("files Replace");
        return false;
    }
}

bool Win32FileSystem::Rename(const std::wstring& from, const std::wstring& to, bool replaceExisting) {
    DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (replaceExisting) flags |= MOVEFILE_REPLACE_EXISTING;
    return MoveWaitingForReaders(ApiPath(from).c_str(), ApiPath(to).c_str(), flags, "rename");
}

bool Win32FileSystem::Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    return ::CopyFileW(ApiPath(from).c_str(), ApiPath(to).c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32FileSystem::Remove(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return false;
    return ::DeleteFileW(ApiPath(path).c_str()) != FALSE;
}

bool Win32FileSystem::CreateFolder(const std::wstring& path) {
    if (::CreateDirectoryW(ApiPath(path).c_str(), nullptr)) return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(path);
}

bool Win32FileSystem::RemoveFolder(const std::wstring& path) { return ::RemoveDirectoryW(ApiPath(path).c_str()) != FALSE; }

std::vector<DirectoryEntry> Win32FileSystem::List(const std::wstring& folder) const {
    std::vector<DirectoryEntry> entries;
    try {
        std::wstring pattern = folder;
        if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
        pattern += L'*';
        WIN32_FIND_DATAW data{};
        UniqueFind find(::FindFirstFileExW(ApiPath(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
        if (!find) return entries;
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            entries.push_back(DirectoryEntry{name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (::FindNextFileW(find.Get(), &data));
    } catch (...) {
        kestrana::foundation::LogCaught("files List");
    }
    return entries;
}

bool Win32FileSystem::ResetAttributes(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (cleared == attributes) return true;
    return ::SetFileAttributesW(ApiPath(path).c_str(), cleared == 0 ? FILE_ATTRIBUTE_NORMAL : cleared) != FALSE;
}

} // namespace kestrana::platform
