#include "platform/posix/posix_file_system.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <cwctype>
#include <memory>

namespace kestrana::platform {

using foundation::DirectoryEntry;
using foundation::FileStamp;

namespace {

// A change younger than this may share its timestamp with the next one on coarse
// clocks (one scheduler tick on ext4, two seconds on FAT), so the stamp says "recent".
constexpr std::int64_t kRecentNanoseconds = 3'000'000'000;

std::int64_t Nanoseconds(const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }
    [[nodiscard]] bool Valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close itself succeeded (it can report a late write error).
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const auto written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string Folder(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool ReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// Writes `content` to a new file beside `target` and moves it over `target`, with both the
// file and the folder synced, so a crash leaves the old or the new file.
bool WriteReplacing(const std::string& target, const std::uint8_t* data, std::size_t size, mode_t mode) {
    static std::atomic<unsigned> counter{0};
    const std::string temp = target + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
    Descriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!fd.Valid()) return false;
    const bool written = WriteAll(fd.Get(), data, size) && ::fsync(fd.Get()) == 0 && fd.Close();
    if (!written || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    Descriptor folder(::open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid()) ::fsync(folder.Get());
    return true;
}

} // namespace

PosixFileSystem::PosixFileSystem() { m_drives[L'Z'] = ""; }

void PosixFileSystem::MapDrive(wchar_t letter, std::string folder) {
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    m_drives[static_cast<wchar_t>(std::towupper(letter))] = std::move(folder);
}

std::string PosixFileSystem::NativePath(const std::wstring& path) const {
    std::wstring rest = path;
    std::string prefix;
    if (rest.size() >= 2 && rest[1] == L':') {
        const auto drive = m_drives.find(static_cast<wchar_t>(std::towupper(rest[0])));
        prefix = drive == m_drives.end() ? std::string("/nonexistent-drive-") + static_cast<char>(rest[0]) : drive->second;
        rest = rest.substr(2);
        if (rest.empty() || (rest[0] != L'\\' && rest[0] != L'/')) rest = L"/" + rest;
    }
    for (auto& c : rest) {
        if (c == L'\\') c = L'/';
    }
    return prefix + foundation::ToUtf8(rest);
}

bool PosixFileSystem::IsFile(const std::wstring& path) const {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PosixFileSystem::IsDirectory(const std::wstring& path) const {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<FileStamp> PosixFileSystem::Stat(const std::wstring& path) const {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    FileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.writeTime = Nanoseconds(st.st_mtim);
    stamp.fileId = static_cast<std::uint64_t>(st.st_ino) ^ (static_cast<std::uint64_t>(st.st_dev) << 40);
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // A rename over the file changes its status time, not its modification time.
    const auto changed = std::max(Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim));
    stamp.recent = Nanoseconds(now) - changed < kRecentNanoseconds;
    return stamp;
}

std::optional<std::vector<std::uint8_t>> PosixFileSystem::Read(const std::wstring& path) const {
    try {
        Descriptor fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.Valid()) return std::nullopt;
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
        if (static_cast<std::uint64_t>(st.st_size) > kMaxReadBytes) return std::nullopt;
        std::vector<std::uint8_t> content;
        content.reserve(static_cast<std::size_t>(st.st_size));
        std::uint8_t buffer[65536];
        for (;;) {
            const auto got = ::read(fd.Get(), buffer, sizeof buffer);
            if (got < 0) {
                if (errno == EINTR) continue;
                return std::nullopt;
            }
            if (got == 0) break;
            content.insert(content.end(), buffer, buffer + got);
            if (content.size() > kMaxReadBytes) return std::nullopt; // grew while we read
        }
        return content;
    } catch (...) {
        kestrana::foundation::LogCaught("posix files Read");
        return std::nullopt;
    }
}

bool PosixFileSystem::Replace(const std::wstring& path, std::span<const std::uint8_t> content) {
    try {
        const auto target = NativePath(path);
        mode_t mode = 0644;
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode) || ReadOnly(st)) return false;
            mode = st.st_mode & 07777;
        }
        return WriteReplacing(target, content.data(), content.size(), mode);
    } catch (...) {
        kestrana::foundation::LogCaught("posix files Replace");
        return false;
    }
}

bool PosixFileSystem::Rename(const std::wstring& from, const std::wstring& to, bool replaceExisting) {
    try {
        const auto source = NativePath(from);
        const auto target = NativePath(to);
        struct stat st {};
        if (::lstat(source.c_str(), &st) != 0) return false;
        struct stat existing {};
        if (::lstat(target.c_str(), &existing) == 0) {
            const bool sameFile = existing.st_ino == st.st_ino && existing.st_dev == st.st_dev;
            if (!sameFile && (!replaceExisting || S_ISDIR(existing.st_mode) || ReadOnly(existing))) return false;
        }
        if (::rename(source.c_str(), target.c_str()) == 0) return true;
        if (errno != EXDEV || !S_ISREG(st.st_mode)) return false;
        // Across volumes a move is a copy and a delete.
        const auto content = Read(from);
        if (!content || !WriteReplacing(target, content->data(), content->size(), st.st_mode & 07777)) return false;
        return ::unlink(source.c_str()) == 0;
    } catch (...) {
        kestrana::foundation::LogCaught("posix files Rename");
        return false;
    }
}

bool PosixFileSystem::Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    try {
        const auto target = NativePath(to);
        struct stat source {};
        if (::stat(NativePath(from).c_str(), &source) != 0 || !S_ISREG(source.st_mode)) return false;
        struct stat existing {};
        if (::stat(target.c_str(), &existing) == 0 && (failIfExists || !S_ISREG(existing.st_mode) || ReadOnly(existing))) {
            return false;
        }
        const auto content = Read(from);
        return content && WriteReplacing(target, content->data(), content->size(), source.st_mode & 07777);
    } catch (...) {
        kestrana::foundation::LogCaught("posix files Copy");
        return false;
    }
}

bool PosixFileSystem::Remove(const std::wstring& path) {
    const auto native = NativePath(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || ReadOnly(st)) return false;
    return ::unlink(native.c_str()) == 0;
}

bool PosixFileSystem::CreateFolder(const std::wstring& path) {
    const auto native = NativePath(path);
    if (::mkdir(native.c_str(), 0755) == 0) return true;
    return errno == EEXIST && IsDirectory(path);
}

bool PosixFileSystem::RemoveFolder(const std::wstring& path) { return ::rmdir(NativePath(path).c_str()) == 0; }

std::vector<DirectoryEntry> PosixFileSystem::List(const std::wstring& folder) const {
    std::vector<DirectoryEntry> entries;
    try {
        const auto native = NativePath(folder);
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.c_str()), &::closedir);
        if (!dir) return entries;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            struct stat st {};
            const bool isDirectory = ::stat((native + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            entries.push_back(DirectoryEntry{foundation::FromUtf8(name), isDirectory});
        }
    } catch (...) {
        kestrana::foundation::LogCaught("posix files List");
    }
    return entries;
}

bool PosixFileSystem::ResetAttributes(const std::wstring& path) {
    const auto native = NativePath(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return false;
    if (ReadOnly(st)) ::chmod(native.c_str(), (st.st_mode & 07777) | S_IWUSR);
    return true;
}

} // namespace kestrana::platform
