#pragma once
// A program folder on the in-memory disk with a shell that lists what a test puts in its
// folders, and an icon port that draws a flat colour per file: the start of every
// catalogue test.

#include "fakes/settings_folder.h"
#include "foundation/text.h"
#include "launchers/catalogue_file.h"
#include "launchers/launchpad_catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kestrana::launchers::testing {

class FakeShell final : public ApplicationShell {
public:
    std::map<ShellFolder, std::vector<ShellItemInfo>> items;
    std::map<ShellFolder, bool> unavailable;
    mutable std::vector<ShellFolder> asked;
    fakes::FakeFileSystem* files = nullptr; // the pinned folder is listed from here

    // Like the shell under Wine, it leaves out the names the catalogue already knows.
    std::optional<std::vector<ShellItemInfo>> NonFolderItems(ShellFolder folder, const std::wstring& path,
                                                             const KnownNames* known) const override {
        asked.push_back(folder);
        if (unavailable.count(folder)) return std::nullopt;
        std::vector<ShellItemInfo> listed = items.count(folder) ? items.at(folder) : std::vector<ShellItemInfo>{};
        if (folder == ShellFolder::FileFolder) {
            for (const auto& entry : files->List(path)) {
                if (!entry.isDirectory) listed.push_back({path + L"\\" + entry.name, entry.name.substr(0, entry.name.rfind(L'.'))});
            }
        }
        for (auto& item : listed) {
            if (known && known->count(foundation::AsciiLower(item.path))) item.name.clear();
        }
        return listed;
    }
};

// Every icon is a flat square whose colour names the file it came from.
class FakeIcons final : public ApplicationIcons {
public:
    std::map<std::wstring, int> sizes; // by path; files not listed have no icon
    mutable std::mutex mutex;
    mutable std::vector<std::wstring> extracted;

    IconFacts Facts(const std::wstring&) const override { return {}; }
    std::optional<gfx::Bitmap> ItemImage(const std::wstring& path) const override {
        std::lock_guard lock(mutex);
        const auto it = sizes.find(path);
        if (it == sizes.end()) return std::nullopt;
        extracted.push_back(path);
        gfx::Bitmap picture(it->second, it->second);
        picture.Fill(gfx::MakePixel(10, 20, std::uint8_t(path.size()), 255));
        return picture;
    }
    std::optional<gfx::Bitmap> ResourceIcon(const std::wstring&, int) const override { return std::nullopt; }
    std::optional<gfx::Bitmap> FileIcon(const std::wstring&) const override {
        gfx::Bitmap generic(32, 32);
        generic.Fill(gfx::MakePixel(1, 1, 1, 255));
        return generic;
    }
};

struct PadWorld {
    fakes::SettingsFolder folder;
    FakeShell shell;

    explicit PadWorld(std::wstring base = L"C:\\Kestrana\\") : folder(std::move(base)) {
        shell.files = &folder.files;
        folder.files.AddDirectory(folder.base + L"launchpad\\Pinned");
    }
    void Choice(int padicotype) { folder.store.WriteInt(L"normal", L"padicotype", padicotype); }
    // `count` applications "App 1" ... with paths "C:\Apps\app1.exe" ...
    void Applications(int count, int first = 1) {
        for (int i = first; i < first + count; ++i) {
            shell.items[ShellFolder::Applications].push_back(
                {L"C:\\Apps\\app" + std::to_wstring(i) + L".exe", L"App " + std::to_wstring(i)});
        }
    }
    void Pinned(const std::wstring& name) { folder.files.AddFile(folder.base + L"launchpad\\Pinned\\" + name, "link"); }
    void Catalogue(const std::wstring& file, const CatalogueDocument& document) {
        folder.files.AddFile(folder.base + file, SerializeCatalogue(document));
    }
    [[nodiscard]] std::optional<CatalogueDocument> Saved(const std::wstring& file) const {
        const auto bytes = folder.files.Content(folder.base + file);
        return bytes ? ParseCatalogue(*bytes) : std::nullopt;
    }
    [[nodiscard]] LaunchpadCatalogue Catalogue(CatalogueIcons* icons = nullptr) {
        return LaunchpadCatalogue(CatalogueServices{folder.store, shell, icons});
    }
};

// A plain icon of the file.
inline CatalogueItem Plain(int app) {
    return CatalogueItem{L"C:\\Apps\\app" + std::to_wstring(app) + L".exe", L"App " + std::to_wstring(app)};
}

// The pages as the numbers of their applications (groups as negative counts).
inline std::vector<std::vector<int>> Shape(const std::vector<LaunchpadPage>& pages) {
    std::vector<std::vector<int>> shape;
    for (const auto& page : pages) {
        auto& row = shape.emplace_back();
        for (const auto& icon : page) {
            if (const auto* entry = std::get_if<LaunchpadEntry>(&icon)) {
                const auto at = entry->path.find(L"app");
                row.push_back(at == std::wstring::npos ? 0 : std::stoi(entry->path.substr(at + 3)));
            } else {
                row.push_back(-int(std::get<LaunchpadGroup>(icon).entries.size()));
            }
        }
    }
    return shape;
}

} // namespace kestrana::launchers::testing
