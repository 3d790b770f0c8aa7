#include "launchers/catalogue_pack.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/config_store.h"
#include "foundation/zip_archive.h"
#include "launchers/catalogue_file.h"
#include "launchers/catalogue_sources.h"
#include "launchers/launchpad_catalogue.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace kestrana::launchers {

namespace {

constexpr std::string_view kPinnedFolder = "launchpad/Pinned/";
constexpr std::size_t kMaxEntryBytes = 16u * 1024 * 1024;
constexpr std::size_t kMaxPackBytes = 64u * 1024 * 1024;

const std::wstring kRootFiles[] = {L"padconfig.xml", L"padconfig_startmenu.xml", L"padconfig_desktop.xml",
                                   L"padconfig_startmenudesktop.xml", kPadSettingsFile};

// The program-folder path an archive name stands for; nothing for names no pack holds.
std::optional<std::wstring> TargetOf(const std::wstring& baseFolder, std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::wstring wide = foundation::FromUtf8(name);
    for (const std::wstring& root : kRootFiles) {
        if (foundation::EqualsIgnoreCase(wide, root)) return baseFolder + root;
    }
    const std::wstring prefix = foundation::FromUtf8(kPinnedFolder);
    if (!foundation::StartsWithIgnoreCase(wide, prefix)) return std::nullopt;
    const std::wstring file = wide.substr(prefix.size());
    const bool plain = !file.empty() && file != L"." && file != L".." &&
                       std::none_of(file.begin(), file.end(), [](wchar_t c) {
                           return c < 0x20 || c == L'/' || c == L'\\' || c == L':' || c == L'*' || c == L'?' ||
                                  c == L'"' || c == L'<' || c == L'>' || c == L'|';
                       });
    if (!plain) return std::nullopt;
    return baseFolder + L"launchpad\\Pinned\\" + file;
}

// A path into another program folder's launchpad\Pinned\, moved into this one: the
// pack's catalogue files and names speak of the folder the pack was made in.
std::optional<std::wstring> MovedPinnedPath(const std::wstring& path, const std::wstring& baseFolder) {
    static constexpr std::wstring_view kPinned = L"\\launchpad\\pinned\\";
    const auto at = foundation::AsciiLower(path).rfind(kPinned);
    if (at == std::wstring::npos) return std::nullopt;
    const std::wstring file = path.substr(at + kPinned.size());
    if (file.empty() || file.find_first_of(L"\\/") != std::wstring::npos) return std::nullopt;
    std::wstring moved = baseFolder + L"launchpad\\Pinned\\" + file;
    if (moved == path) return std::nullopt;
    return moved;
}

std::vector<std::uint8_t> WithPinnedPathsMoved(std::vector<std::uint8_t> bytes, const std::wstring& baseFolder) {
    auto document = ParseCatalogue(bytes);
    if (!document) return bytes;
    bool changed = false;
    const auto move = [&](CatalogueItem& item) {
        if (auto moved = MovedPinnedPath(item.path, baseFolder)) {
            item.path = std::move(*moved);
            changed = true;
        }
    };
    for (auto& page : document->pages) {
        for (auto& item : page) {
            move(item);
            for (auto& member : item.members) move(member);
        }
    }
    return changed ? SerializeCatalogue(*document) : bytes;
}

void MovePinnedNames(foundation::FileSystem& files, const std::wstring& baseFolder) {
    foundation::ConfigStore store(files, baseFolder);
    std::vector<std::wstring> keys, values;
    store.ReadSection(L"pinned", kPadSettingsFile, &keys, &values);
    for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) {
        if (auto moved = MovedPinnedPath(keys[i], baseFolder)) {
            store.WriteString(L"pinned", *moved, values[i], kPadSettingsFile);
            store.DeleteKey(L"pinned", keys[i], kPadSettingsFile);
        }
    }
}

} // namespace

bool ExportPack(foundation::FileSystem& files, const std::wstring& baseFolder, const std::wstring& zipPath) {
    std::vector<std::pair<std::string, std::wstring>> members; // archive name, file
    const std::wstring pinned = baseFolder + L"launchpad\\Pinned\\";
    for (const auto& entry : files.List(pinned)) {
        if (!entry.isDirectory) members.emplace_back(std::string(kPinnedFolder) + foundation::ToUtf8(entry.name), pinned + entry.name);
    }
    for (const std::wstring& root : kRootFiles) {
        if (files.IsFile(baseFolder + root)) members.emplace_back(foundation::ToUtf8(root), baseFolder + root);
    }

    std::vector<foundation::ZipMember> contents;
    for (const auto& [name, path] : members) {
        auto content = files.Read(path);
        if (!content) {
            foundation::LogFailure("launchpad export", L"cannot add " + path);
            return false;
        }
        contents.push_back({name, std::move(*content)});
    }
    const auto archive = foundation::WriteZip(contents, kMaxPackBytes);
    if (!archive) {
        foundation::LogFailure("launchpad export", L"cannot add the files to " + zipPath);
        return false;
    }
    if (!files.Replace(zipPath, *archive)) {
        foundation::LogFailure("launchpad export", L"cannot write " + zipPath);
        return false;
    }
    return true;
}

ImportReport ImportPack(foundation::FileSystem& files, const std::wstring& baseFolder, const std::wstring& zipPath) {
    ImportReport report;
    auto archive = files.Read(zipPath);
    if (!archive) return report;
    foundation::ZipReader zip(*archive);
    if (!zip.Opened()) return report;
    report.opened = true;
    std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>> taken;
    std::size_t total = 0;
    for (bool more = zip.First(); more; more = zip.Next()) {
        const auto info = zip.Current();
        if (!info) break;
        if (info->nameTooLong) { // no name a pack holds
            ++report.refused;
            continue;
        }
        const std::string& archiveName = info->name;
        if (!archiveName.empty() && archiveName.back() == '/') continue; // a folder entry
        const auto target = TargetOf(baseFolder, archiveName);
        auto content = target ? zip.ReadCurrent(kMaxEntryBytes) : std::nullopt;
        if (!content || (total += content->size()) > kMaxPackBytes) {
            ++report.refused;
            continue;
        }
        report.names.push_back(foundation::FromUtf8(archiveName));
        taken.emplace_back(*target, std::move(*content));
    }

    files.CreateFolder(baseFolder);
    files.CreateFolder(baseFolder + L"launchpad");
    files.CreateFolder(baseFolder + L"launchpad\\Pinned");
    for (auto& [path, content] : taken) {
        if (foundation::EndsWithIgnoreCase(path, L".xml")) content = WithPinnedPathsMoved(std::move(content), baseFolder);
        files.ResetAttributes(path);
        if (files.Replace(path, content)) {
            ++report.written;
        } else {
            foundation::LogFailure("launchpad import", L"cannot write " + path);
        }
    }
    MovePinnedNames(files, baseFolder);
    EmptyIconCaches(files, baseFolder);
    return report;
}

} // namespace kestrana::launchers
