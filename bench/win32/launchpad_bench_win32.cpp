// The Launchpad catalogue of 300 shortcuts under Wine, through the shell as the program
// reads it: 100 on the desktop, 100 in a Start menu folder (Wine has no applications
// folder) and 100 in launchpad\Pinned\, each pointing at one of Wine's programs. First a
// load with an empty icon cache (every icon extracted at 256 px and written as PNG), then
// `rounds` loads with the cache warm, each by a fresh catalogue as after a restart.
// Prints each load (until the pages are ready) and the time until every icon arrived,
// and the medians; exits with 1 when the warm load's median is above 150 ms.
#include "launchers/launchpad_catalogue.h"
#include "launchers/win32/catalogue_host.h"

#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace kestrana;
using Microsoft::WRL::ComPtr;

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t{};
    ::QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::wstring Known(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    if (FAILED(::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path))) return {};
    std::wstring result = path;
    ::CoTaskMemFree(path);
    return result;
}

bool Shortcut(const std::wstring& file, const std::wstring& target) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> persist;
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
           SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link.As(&persist)) &&
           SUCCEEDED(persist->Save(file.c_str(), TRUE));
}

struct Pass {
    double load = 0, icons = 0;
    std::size_t entries = 0, arrived = 0;
};

Pass LoadOnce(const std::wstring& base) {
    foundation::JobRunner jobs;
    Pass pass;
    {
        launchers::Win32CatalogueHost host(base, jobs);
        const double start = Now();
        host.Catalogue().Load();
        pass.load = Now() - start;
        host.Icons().WaitIdle(std::chrono::minutes(10));
        pass.icons = Now() - start;
        pass.entries = host.Catalogue().EntryCount();
        pass.arrived = host.Catalogue().TakeIcons();
    }
    jobs.WaitIdle(std::chrono::seconds(30));
    return pass;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    kestrana::win32::ComApartment com;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"kestrana-pad-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    const std::wstring desktop = Known(FOLDERID_Desktop) + L"\\";
    const std::wstring menu = Known(FOLDERID_Programs) + L"\\Kestrana bench\\";
    for (const auto& folder : {base, base + L"launchpad\\", base + L"launchpad\\Pinned\\", menu}) {
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    {
        platform::Win32FileSystem files;
        foundation::ConfigStore store(files, base);
        store.WriteInt(L"normal", L"padicotype", 3);
    }

    std::vector<std::wstring> programs;
    for (const wchar_t* program : {L"C:\\windows\\notepad.exe", L"C:\\windows\\regedit.exe", L"C:\\windows\\explorer.exe",
                                   L"C:\\windows\\winhlp32.exe", L"C:\\windows\\system32\\winemine.exe",
                                   L"C:\\windows\\system32\\taskmgr.exe", L"C:\\windows\\system32\\winecfg.exe",
                                   L"C:\\windows\\system32\\winefile.exe", L"C:\\windows\\system32\\cmd.exe",
                                   L"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe"}) {
        if (::GetFileAttributesW(program) != INVALID_FILE_ATTRIBUTES) programs.push_back(program);
    }
    std::vector<std::wstring> made;
    for (int i = 0; i < 300 && !programs.empty(); ++i) {
        const std::wstring folder = i < 100 ? desktop : i < 200 ? menu : base + L"launchpad\\Pinned\\";
        const std::wstring file = folder + L"Bench program " + std::to_wstring(i) + L".lnk";
        if (!Shortcut(file, programs[std::size_t(i) % programs.size()])) {
            std::printf("cannot make %ls\n", file.c_str());
            return 2;
        }
        made.push_back(file);
    }
    std::printf("300 shortcuts to %zu programs\n", programs.size());

    const Pass cold = LoadOnce(base);
    std::printf("first load, empty icon cache: load %.1f ms, all %zu icons after %.1f ms (%zu entries)\n", cold.load,
                cold.arrived, cold.icons, cold.entries);
    std::vector<double> loads, icons;
    bool whole = cold.entries == 300 && cold.arrived == 300;
    for (int r = 0; r < rounds; ++r) {
        const Pass warm = LoadOnce(base);
        std::printf("warm load %d: load %.1f ms, all %zu icons after %.1f ms\n", r + 1, warm.load, warm.arrived, warm.icons);
        loads.push_back(warm.load);
        icons.push_back(warm.icons);
        whole = whole && warm.entries == 300 && warm.arrived == 300;
    }
    const double median = Median(loads);
    std::printf("median of %d warm loads: load %.1f ms, all icons %.1f ms\n", rounds, median, Median(icons));

    // Where a load's time goes: the shell's listing of each source, once with every
    // display name asked for (a first load) and once with the names the catalogue file
    // gives left out (every later load).
    const launchers::Win32ApplicationShell shell;
    const struct {
        const char* name;
        launchers::ShellFolder folder;
        std::wstring path;
    } sources[] = {{"desktop", launchers::ShellFolder::Desktop, {}},
                   {"Start menu (user)", launchers::ShellFolder::UserPrograms, {}},
                   {"Start menu (all users)", launchers::ShellFolder::CommonPrograms, {}},
                   {"pinned folder", launchers::ShellFolder::FileFolder, base + L"launchpad\\Pinned"}};
    launchers::KnownNames known;
    for (const auto& file : made) known.emplace(foundation::AsciiLower(file), L"known");
    for (const auto& source : sources) {
        const launchers::KnownNames* const choices[] = {nullptr, &known};
        for (const launchers::KnownNames* names : choices) {
            std::vector<double> times;
            std::size_t items = 0;
            for (int r = 0; r < rounds; ++r) {
                const double start = Now();
                const auto listed = shell.NonFolderItems(source.folder, source.path, names);
                times.push_back(Now() - start);
                items = listed ? listed->size() : 0;
            }
            std::printf("listing the %s, %s: %zu items, median %.1f ms\n", source.name,
                        names ? "names known" : "all names asked", items, Median(times));
        }
    }

    for (const auto& file : made) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(menu.c_str());
    {
        platform::Win32FileSystem files;
        launchers::RemoveTree(files, base);
    }
    if (!whole) {
        std::printf("an entry or an icon was missing\n");
        return 1;
    }
    return median <= 150.0 ? 0 : 1;
}
