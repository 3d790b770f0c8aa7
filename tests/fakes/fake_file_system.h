#pragma once
// An in-memory file system with Windows path rules (drive letters, backslashes or
// slashes, case-insensitive names, read-only files that cannot be replaced or deleted)
// that a test can make fail: the n-th call of an operation, every call, or a full disk.

#include "foundation/file_system.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::fakes {

enum class FsOp { Stat, Read, Replace, Rename, Copy, Remove, CreateFolder, RemoveFolder, List, ResetAttributes };

struct FakeAttributes {
    bool readOnly = false;
    bool hidden = false;
    bool system = false;
};

class FakeFileSystem final : public foundation::FileSystem {
public:
    // Starts with the empty drive C:\ and, for relative names, the current folder C:\.
    FakeFileSystem();

    // Set-up: files and their folders are created as needed; the content is stored as given.
    void AddFile(const std::wstring& path, std::vector<std::uint8_t> content, FakeAttributes attributes = {});
    void AddFile(const std::wstring& path, std::string_view content, FakeAttributes attributes = {});
    void AddDirectory(const std::wstring& path);
    void SetCurrentDirectory(const std::wstring& path);
    void SetAttributes(const std::wstring& path, FakeAttributes attributes);
    [[nodiscard]] std::optional<FakeAttributes> Attributes(const std::wstring& path) const;
    // The content as stored, bypassing fault injection and counters.
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> Content(const std::wstring& path) const;
    [[nodiscard]] std::string ContentText(const std::wstring& path) const;
    // Every file, with its name as stored, for checks such as "no temporary file left".
    [[nodiscard]] std::vector<std::wstring> AllFiles() const;

    // Faults. The n-th call of `op` from now on fails (1 = the next call); several can be armed.
    void FailNth(FsOp op, int n);
    void FailAlways(FsOp op, bool fail = true);
    // With a capacity, a write that would make all files together larger fails.
    void SetCapacity(std::optional<std::size_t> bytes);
    void ClearFaults();
    // Coarse timestamps, as on a real disk within one clock tick: changes keep the write
    // time and file id, so only the size and the "recent" flag can tell.
    void SetCoarseStamps(bool coarse);
    [[nodiscard]] int Calls(FsOp op) const;

    bool IsFile(const std::wstring& path) const override;
    bool IsDirectory(const std::wstring& path) const override;
    std::optional<foundation::FileStamp> Stat(const std::wstring& path) const override;
    std::optional<std::vector<std::uint8_t>> Read(const std::wstring& path) const override;
    bool Replace(const std::wstring& path, std::span<const std::uint8_t> content) override;
    bool Rename(const std::wstring& from, const std::wstring& to, bool replaceExisting = false) override;
    bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists = false) override;
    bool Remove(const std::wstring& path) override;
    bool CreateFolder(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    std::vector<foundation::DirectoryEntry> List(const std::wstring& folder) const override;
    bool ResetAttributes(const std::wstring& path) override;

private:
    struct Node {
        std::wstring path{}; // as first created, normalised
        bool directory = false;
        std::vector<std::uint8_t> content{};
        FakeAttributes attributes{};
        std::uint64_t fileId = 0;
        std::int64_t writeTime = 0;
    };

    [[nodiscard]] std::wstring Normalise(const std::wstring& path) const;
    [[nodiscard]] static std::wstring Key(const std::wstring& normalised);
    [[nodiscard]] static std::wstring Parent(const std::wstring& normalised);
    [[nodiscard]] const Node* Find(const std::wstring& path) const;
    Node* Find(const std::wstring& path);
    [[nodiscard]] bool ParentIsDirectory(const std::wstring& normalised) const;
    // Counts the call and tells whether an armed fault fires for it.
    bool Fault(FsOp op) const;
    [[nodiscard]] bool Fits(std::size_t removed, std::size_t added) const;
    void EnsureDirectories(const std::wstring& normalised);
    void PutDirectory(const std::wstring& normalised);
    void Touch(Node& node, bool newFile);

    mutable std::mutex m_mutex;
    std::map<std::wstring, Node> m_nodes; // key: lower-cased normalised path
    std::wstring m_currentDirectory = L"C:\\";
    std::uint64_t m_nextFileId = 1;
    std::int64_t m_clock = 1;
    std::optional<std::size_t> m_capacity;
    bool m_coarseStamps = false;
    mutable std::map<FsOp, int> m_calls;
    mutable std::map<FsOp, std::vector<int>> m_failAt; // absolute call numbers
    std::map<FsOp, bool> m_failAlways;
};

} // namespace kestrana::fakes
