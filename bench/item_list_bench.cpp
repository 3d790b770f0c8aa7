// Loading and saving a dock's item list of 200 items on the native disk, in a temporary
// folder, without pictures: the start-up read of "ico.ini" (a fresh settings store, so
// the file is parsed every time) and one save with its file rotation. Both run once on
// the memory-backed /dev/shm (the program's own work) and once on the disk folder
// /tmp, where the save's flush to disk decides the time.

#include "dock/item_list.h"
#include "dock/item_list_save.h"
#include "foundation/config_store.h"
#include "platform/posix/posix_file_system.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace kestrana;

constexpr int kItems = 200;

class BenchShell final : public dock::ItemShell {
public:
    std::optional<std::wstring> EnvironmentVariable(std::wstring_view) const override { return L"C:\\Users\\Bench"; }
    std::wstring LongPathName(const std::wstring& path) const override { return path; }
    bool ParsesAsShellItem(const std::wstring&) const override { return true; }
    std::wstring KnownFolderPath(std::wstring_view) const override { return L"C:\\Program Files"; }
    std::wstring WindowsFolder() const override { return L"C:\\Windows"; }
};

// A list as users have them: programs with paths and arguments, a few separators,
// packaged and web applications, folders and games.
std::vector<dock::ItemRecord> BenchList() {
    std::vector<dock::ItemRecord> records;
    for (int i = 0; i < kItems; ++i) {
        dock::ItemRecord record;
        if (i % 25 == 24) {
            record.delimiter = true;
            records.push_back(record);
            continue;
        }
        const std::wstring name = L"program" + std::to_wstring(i);
        record.tag = L"Program " + std::to_wstring(i);
        record.appname = name + L".exe";
        record.filepath = L"c:\\program files\\vendor " + std::to_wstring(i) + L"\\" + name + L".exe";
        record.realpath = record.filepath;
        if (i % 7 == 0) record.runline = L"--profile-directory=Default --start-maximized";
        if (i % 11 == 0) {
            record.uwp = 4;
            record.realpath = L"c:\\program files\\browser\\proxy.exe --app-id=app" + std::to_wstring(i);
        }
        if (i % 13 == 0) record.virtualpath = L"Vendor.App" + std::to_wstring(i) + L"_8wekyb3d8bbwe!App";
        if (i % 17 == 0) record.realpath = L"steam://rungameid/" + std::to_wstring(1000 + i);
        if (i % 19 == 0) record.filepath = L"%userprofile%\\tools\\" + name + L".exe";
        records.push_back(record);
    }
    return records;
}

// The program folder "C:\K\" on a fresh folder of `root`, holding config.ini and ico.ini.
struct Folder {
    std::filesystem::path root;
    platform::PosixFileSystem files;

    explicit Folder(const std::filesystem::path& parent)
        : root(parent / ("kestrana-items-bench-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "K");
        std::ofstream(root / "K" / "config.ini") << "[minimize]\r\nminicopos=0\r\n";
        files.MapDrive(L'C', root.string());
        dock::WriteItemList(files, L"C:\\K\\", BenchList()); // no previous list: written in place
    }
    ~Folder() { std::filesystem::remove_all(root); }
};

void LoadList(benchmark::State& state, const char* parent) {
    Folder folder(parent);
    BenchShell shell;
    for (auto _ : state) {
        foundation::ConfigStore store(folder.files, L"C:\\K\\");
        auto loaded = dock::LoadItemList(store, shell);
        if (loaded.items.size() != kItems) state.SkipWithError("the list did not load whole");
        benchmark::DoNotOptimize(loaded);
    }
}

void SaveList(benchmark::State& state, const char* parent) {
    Folder folder(parent);
    const auto records = BenchList();
    for (auto _ : state) {
        if (dock::WriteItemList(folder.files, L"C:\\K\\", records) != dock::ItemSaveResult::Saved) {
            state.SkipWithError("the save failed");
        }
    }
}

BENCHMARK_CAPTURE(LoadList, memory, "/dev/shm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveList, memory, "/dev/shm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadList, disk, "/tmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveList, disk, "/tmp")->Unit(benchmark::kMillisecond);

} // namespace
