#include "fakes/fake_file_system.h"

#include "foundation/text.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace kestrana::fakes {

using foundation::DirectoryEntry;
using foundation::FileStamp;

FakeFileSystem::FakeFileSystem() { PutDirectory(L"C:\\"); }

void FakeFileSystem::PutDirectory(const std::wstring& normalised) { m_nodes.emplace(Key(normalised), Node{.path = normalised, .directory = true}); }

std::wstring FakeFileSystem::Normalise(const std::wstring& raw) const {
    std::wstring path = raw;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    std::wstring prefix;
    if (path.size() >= 2 && path[1] == L':') {
        prefix = path.substr(0, 2);
        prefix[0] = static_cast<wchar_t>(std::towupper(prefix[0]));
        path = path.substr(2);
        if (path.empty() || path[0] != L'\\') path = m_currentDirectory.substr(2) + L"\\" + path;
    } else if (!path.empty() && path[0] == L'\\') {
        prefix = m_currentDirectory.substr(0, 2);
    } else {
        prefix = m_currentDirectory.substr(0, 2);
        path = m_currentDirectory.substr(2) + L"\\" + path;
    }
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(L'\\', start), path.size());
        std::wstring part = path.substr(start, end - start);
        // Windows drops trailing dots and spaces of a path component.
        while (!part.empty() && (part.back() == L' ' || part.back() == L'.') && part != L"." && part != L"..") part.pop_back();
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::wstring out = prefix + L"\\";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += L"\\";
        out += parts[i];
    }
    return out;
}

std::wstring FakeFileSystem::Key(const std::wstring& normalised) { return foundation::AsciiLower(normalised); }

std::wstring FakeFileSystem::Parent(const std::wstring& normalised) {
    const auto slash = normalised.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == normalised.size()) return {};
    return slash == 2 ? normalised.substr(0, 3) : normalised.substr(0, slash);
}

const FakeFileSystem::Node* FakeFileSystem::Find(const std::wstring& path) const {
    const auto it = m_nodes.find(Key(Normalise(path)));
    return it == m_nodes.end() ? nullptr : &it->second;
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::wstring& path) { return const_cast<Node*>(std::as_const(*this).Find(path)); }

bool FakeFileSystem::ParentIsDirectory(const std::wstring& normalised) const {
    const auto parent = Parent(normalised);
    if (parent.empty()) return false;
    const auto it = m_nodes.find(Key(parent));
    return it != m_nodes.end() && it->second.directory;
}

bool FakeFileSystem::Fault(FsOp op) const {
    const int call = ++m_calls[op];
    if (m_failAlways.count(op) && m_failAlways.at(op)) return true;
    auto& armed = m_failAt[op];
    const auto it = std::find(armed.begin(), armed.end(), call);
    if (it == armed.end()) return false;
    armed.erase(it);
    return true;
}

bool FakeFileSystem::Fits(std::size_t removed, std::size_t added) const {
    if (!m_capacity) return true;
    std::size_t used = 0;
    for (const auto& [key, node] : m_nodes) used += node.content.size();
    return used - removed + added <= *m_capacity;
}

void FakeFileSystem::EnsureDirectories(const std::wstring& normalised) {
    const auto parent = Parent(normalised);
    if (parent.empty() || m_nodes.count(Key(parent))) return;
    EnsureDirectories(parent);
    PutDirectory(parent);
}

void FakeFileSystem::Touch(Node& node, bool newFile) {
    if (m_coarseStamps) {
        node.writeTime = m_clock;
        if (newFile) node.fileId = 1;
        return;
    }
    node.writeTime = ++m_clock;
    if (newFile) node.fileId = m_nextFileId++;
}

void FakeFileSystem::SetCoarseStamps(bool coarse) {
    std::lock_guard lock(m_mutex);
    m_coarseStamps = coarse;
}

void FakeFileSystem::AddFile(const std::wstring& path, std::vector<std::uint8_t> content, FakeAttributes attributes) {
    std::lock_guard lock(m_mutex);
    const auto normalised = Normalise(path);
    EnsureDirectories(normalised);
    Node node{.path = normalised, .content = std::move(content), .attributes = attributes};
    Touch(node, true);
    m_nodes[Key(normalised)] = std::move(node);
}

void FakeFileSystem::AddFile(const std::wstring& path, std::string_view content, FakeAttributes attributes) {
    AddFile(path, std::vector<std::uint8_t>(content.begin(), content.end()), attributes);
}

void FakeFileSystem::AddDirectory(const std::wstring& path) {
    std::lock_guard lock(m_mutex);
    const auto normalised = Normalise(path);
    EnsureDirectories(normalised);
    PutDirectory(normalised);
}

void FakeFileSystem::SetCurrentDirectory(const std::wstring& path) {
    std::lock_guard lock(m_mutex);
    m_currentDirectory = Normalise(path);
}

void FakeFileSystem::SetAttributes(const std::wstring& path, FakeAttributes attributes) {
    std::lock_guard lock(m_mutex);
    if (auto* node = Find(path)) node->attributes = attributes;
}

std::optional<FakeAttributes> FakeFileSystem::Attributes(const std::wstring& path) const {
    std::lock_guard lock(m_mutex);
    const auto* node = Find(path);
    if (!node) return std::nullopt;
    return node->attributes;
}

std::optional<std::vector<std::uint8_t>> FakeFileSystem::Content(const std::wstring& path) const {
    std::lock_guard lock(m_mutex);
    const auto* node = Find(path);
    if (!node || node->directory || node->content.size() > kMaxReadBytes) return std::nullopt;
    return node->content;
}

std::string FakeFileSystem::ContentText(const std::wstring& path) const {
    const auto content = Content(path);
    return content ? std::string(content->begin(), content->end()) : std::string();
}

std::vector<std::wstring> FakeFileSystem::AllFiles() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::wstring> files;
    for (const auto& [key, node] : m_nodes) {
        if (!node.directory) files.push_back(node.path);
    }
    return files;
}

void FakeFileSystem::FailNth(FsOp op, int n) {
    std::lock_guard lock(m_mutex);
    m_failAt[op].push_back(m_calls[op] + n);
}

void FakeFileSystem::FailAlways(FsOp op, bool fail) {
    std::lock_guard lock(m_mutex);
    m_failAlways[op] = fail;
}

void FakeFileSystem::SetCapacity(std::optional<std::size_t> bytes) {
    std::lock_guard lock(m_mutex);
    m_capacity = bytes;
}

void FakeFileSystem::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_failAt.clear();
    m_failAlways.clear();
    m_capacity.reset();
}

int FakeFileSystem::Calls(FsOp op) const {
    std::lock_guard lock(m_mutex);
    return m_calls.count(op) ? m_calls.at(op) : 0;
}

bool FakeFileSystem::IsFile(const std::wstring& path) const {
    std::lock_guard lock(m_mutex);
    const auto* node = Find(path);
    return node && !node->directory;
}

bool FakeFileSystem::IsDirectory(const std::wstring& path) const {
    std::lock_guard lock(m_mutex);
    const auto* node = Find(path);
    return node && node->directory;
}

std::optional<FileStamp> FakeFileSystem::Stat(const std::wstring& path) const {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::Stat)) return std::nullopt;
    const auto* node = Find(path);
    if (!node || node->directory) return std::nullopt;
    return FileStamp{node->content.size(), node->writeTime, node->fileId, m_coarseStamps};
}

std::optional<std::vector<std::uint8_t>> FakeFileSystem::Read(const std::wstring& path) const {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::Read)) return std::nullopt;
    const auto* node = Find(path);
    if (!node || node->directory || node->content.size() > kMaxReadBytes) return std::nullopt;
    return node->content;
}

bool FakeFileSystem::Replace(const std::wstring& path, std::span<const std::uint8_t> content) {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::Replace)) return false;
    const auto normalised = Normalise(path);
    if (!ParentIsDirectory(normalised)) return false;
    auto it = m_nodes.find(Key(normalised));
    if (it != m_nodes.end() && (it->second.directory || it->second.attributes.readOnly)) return false;
    // The new content is written beside the old file before it takes its place.
    if (!Fits(0, content.size())) return false;
    Node node{.path = it == m_nodes.end() ? normalised : it->second.path, .content = {content.begin(), content.end()}};
    // The replacement is a new file, as after a rename over the old one.
    Touch(node, true);
    m_nodes[Key(normalised)] = std::move(node);
    return true;
}

bool FakeFileSystem::Rename(const std::wstring& from, const std::wstring& to, bool replaceExisting) {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::Rename)) return false;
    const auto source = Normalise(from);
    const auto target = Normalise(to);
    const auto sourceKey = Key(source);
    const auto targetKey = Key(target);
    auto it = m_nodes.find(sourceKey);
    if (it == m_nodes.end() || !ParentIsDirectory(target)) return false;
    if (sourceKey == targetKey) {
        it->second.path = target; // a change of case only
        return true;
    }
    const auto existing = m_nodes.find(targetKey);
    if (existing != m_nodes.end()) {
        if (!replaceExisting || existing->second.directory || it->second.directory || existing->second.attributes.readOnly) return false;
        m_nodes.erase(existing);
    }
    if (it->second.directory) {
        if (targetKey.rfind(sourceKey + L"\\", 0) == 0) return false; // into itself
        std::vector<std::pair<std::wstring, Node>> moved;
        for (auto node = m_nodes.begin(); node != m_nodes.end();) {
            if (node->first == sourceKey || node->first.rfind(sourceKey + L"\\", 0) == 0) {
                Node copy = node->second;
                copy.path = target + copy.path.substr(source.size());
                moved.emplace_back(Key(copy.path), std::move(copy));
                node = m_nodes.erase(node);
            } else {
                ++node;
            }
        }
        for (auto& [key, node] : moved) m_nodes.emplace(key, std::move(node));
        return true;
    }
    Node node = std::move(it->second);
    m_nodes.erase(it);
    node.path = target;
    m_nodes[targetKey] = std::move(node);
    return true;
}

bool FakeFileSystem::Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::Copy)) return false;
    const auto target = Normalise(to);
    const auto* source = Find(from);
    if (!source || source->directory || !ParentIsDirectory(target)) return false;
    const auto existing = m_nodes.find(Key(target));
    std::size_t old = 0;
    if (existing != m_nodes.end()) {
        if (failIfExists || existing->second.directory || existing->second.attributes.readOnly) return false;
        old = existing->second.content.size();
    }
    if (!Fits(old, source->content.size())) return false;
    Node node{.path = existing == m_nodes.end() ? target : existing->second.path, .content = source->content,
              .attributes = source->attributes};
    Touch(node, existing == m_nodes.end());
    if (existing != m_nodes.end()) node.fileId = existing->second.fileId;
    m_nodes[Key(target)] = std::move(node);
    return true;
}

bool FakeFileSystem::Remove(const std::wstring& path) {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::Remove)) return false;
    const auto it = m_nodes.find(Key(Normalise(path)));
    if (it == m_nodes.end() || it->second.directory || it->second.attributes.readOnly) return false;
    m_nodes.erase(it);
    return true;
}

bool FakeFileSystem::CreateFolder(const std::wstring& path) {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::CreateFolder)) return false;
    const auto normalised = Normalise(path);
    const auto it = m_nodes.find(Key(normalised));
    if (it != m_nodes.end()) return it->second.directory;
    if (!ParentIsDirectory(normalised)) return false;
    PutDirectory(normalised);
    return true;
}

bool FakeFileSystem::RemoveFolder(const std::wstring& path) {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::RemoveFolder)) return false;
    const auto key = Key(Normalise(path));
    const auto it = m_nodes.find(key);
    if (it == m_nodes.end() || !it->second.directory || Parent(it->second.path).empty()) return false;
    for (const auto& [other, node] : m_nodes) {
        if (other.rfind(key + L"\\", 0) == 0) return false;
    }
    m_nodes.erase(it);
    return true;
}

std::vector<DirectoryEntry> FakeFileSystem::List(const std::wstring& folder) const {
    std::lock_guard lock(m_mutex);
    std::vector<DirectoryEntry> entries;
    if (Fault(FsOp::List)) return entries;
    const auto* dir = Find(folder);
    if (!dir || !dir->directory) return entries;
    const auto key = Key(dir->path);
    for (const auto& [other, node] : m_nodes) {
        if (other == key || Key(Parent(node.path)) != key) continue;
        entries.push_back(DirectoryEntry{node.path.substr(node.path.find_last_of(L'\\') + 1), node.directory});
    }
    return entries;
}

bool FakeFileSystem::ResetAttributes(const std::wstring& path) {
    std::lock_guard lock(m_mutex);
    if (Fault(FsOp::ResetAttributes)) return false;
    auto* node = Find(path);
    if (!node) return false;
    node->attributes = {};
    return true;
}

} // namespace kestrana::fakes
