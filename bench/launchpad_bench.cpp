// The Launchpad catalogue of 300 entries (nine pages, a group of three in every page)
// on the native disk: one save after an edit (the document built, written as UTF-16 and
// replaced in one piece, synced), and one load without icons (the scan from a stand-in
// shell, reading and merging the file, which then needs no write). Each runs on the
// memory-backed /dev/shm and on the disk folder /tmp.

#include "launchers/catalogue_arrange.h"
#include "launchers/launchpad_catalogue.h"
#include "platform/posix/posix_file_system.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

namespace {

using namespace kestrana;
using namespace kestrana::launchers;

constexpr int kEntries = 300;

class BenchShell final : public ApplicationShell {
public:
    std::optional<std::vector<ShellItemInfo>> NonFolderItems(ShellFolder folder, const std::wstring&,
                                                             const KnownNames*) const override {
        std::vector<ShellItemInfo> items;
        if (folder != ShellFolder::Applications) return items;
        for (int i = 0; i < kEntries; ++i) {
            const std::wstring n = std::to_wstring(i);
            // Every tenth an application id, every seventh a Chinese name.
            items.push_back({i % 10 == 0 ? L"Vendor.App" + n + L"_8wekyb3d8bbwe!App"
                                         : L"C:\\Program Files\\Vendor " + n + L"\\program" + n + L".exe",
                             i % 7 == 0 ? L"\u5E94\u7528\u7A0B\u5E8F " + n : L"Application " + n});
        }
        return items;
    }
};

struct Folder {
    std::filesystem::path root;
    platform::PosixFileSystem files;
    std::unique_ptr<foundation::ConfigStore> store;
    BenchShell shell;

    explicit Folder(const std::filesystem::path& parent)
        : root(parent / ("kestrana-pad-bench-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "K");
        files.MapDrive(L'C', root.string());
        store = std::make_unique<foundation::ConfigStore>(files, L"C:\\K\\");
        store->WriteInt(L"normal", L"padicotype", 1);
        // The arrangement a user makes: the first three entries of each page in a group.
        LaunchpadCatalogue catalogue(CatalogueServices{*store, shell});
        catalogue.Load();
        for (auto& page : catalogue.Pages()) {
            LaunchpadGroup group{L"Group", {}};
            for (int i = 0; i < 3 && !page.empty(); ++i) {
                group.entries.push_back(std::get<LaunchpadEntry>(page.front()));
                page.erase(page.begin());
            }
            page.insert(page.begin(), std::move(group));
        }
        catalogue.Save();
    }
    ~Folder() { std::filesystem::remove_all(root); }
};

void SaveCatalogue(benchmark::State& state, const char* parent) {
    Folder folder(parent);
    LaunchpadCatalogue catalogue(CatalogueServices{*folder.store, folder.shell});
    catalogue.Load();
    if (catalogue.EntryCount() != kEntries) state.SkipWithError("the catalogue did not load whole");
    bool flip = false;
    for (auto _ : state) {
        // An edit, as the view makes one before it saves.
        std::get<LaunchpadEntry>(catalogue.Pages()[0][1]).name = (flip = !flip) ? L"Renamed" : L"Application 3";
        if (!catalogue.Save()) state.SkipWithError("the save failed");
    }
}

void LoadCatalogue(benchmark::State& state, const char* parent) {
    Folder folder(parent);
    for (auto _ : state) {
        LaunchpadCatalogue catalogue(CatalogueServices{*folder.store, folder.shell});
        catalogue.Load();
        if (catalogue.EntryCount() != kEntries) state.SkipWithError("the catalogue did not load whole");
        benchmark::DoNotOptimize(catalogue);
    }
}

BENCHMARK_CAPTURE(SaveCatalogue, memory, "/dev/shm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadCatalogue, memory, "/dev/shm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveCatalogue, disk, "/tmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadCatalogue, disk, "/tmp")->Unit(benchmark::kMillisecond);

} // namespace
