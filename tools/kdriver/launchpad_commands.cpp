// The driver's Launchpad commands: shortcuts made through the shell, the catalogue loaded,
// exported and imported in a program folder as the program would.
//
//   kdriver folder <desktop|programs|common-programs>   prints the known folder's path
//   kdriver shortcut <file.lnk> <target> [icon-file [index]]
//   kdriver pad-scan <applications|desktop|programs|common-programs|folder> [path]
//                                                        what the shell lists there
//   kdriver pad-load <program-folder> [icon-wait-ms]     loads, waits for the icons, lists
//                                                        the entries (tab-separated)
//   kdriver pad-export <program-folder> [zip]            default: pad.zip in the folder
//   kdriver pad-import <program-folder> <zip>
#include "launchers/catalogue_pack.h"
#include "launchers/win32/catalogue_host.h"

#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using Microsoft::WRL::ComPtr;
using namespace kestrana;

double Milliseconds() {
    LARGE_INTEGER frequency{}, now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart) / double(frequency.QuadPart);
}

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

int KnownFolder(const std::wstring& name) {
    const KNOWNFOLDERID* id = name == L"desktop"           ? &FOLDERID_Desktop
                              : name == L"programs"        ? &FOLDERID_Programs
                              : name == L"common-programs" ? &FOLDERID_CommonPrograms
                                                           : nullptr;
    wchar_t* path = nullptr;
    if (!id || FAILED(::SHGetKnownFolderPath(*id, KF_FLAG_CREATE, nullptr, &path))) return 1;
    std::wprintf(L"%ls\n", path);
    ::CoTaskMemFree(path);
    return 0;
}

int MakeShortcut(const std::wstring& file, const wchar_t* target, const wchar_t* iconFile, int iconIndex) {
    ::SHCreateDirectoryExW(nullptr, file.substr(0, file.find_last_of(L'\\')).c_str(), nullptr);
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> persist;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link->SetPath(target)) || (iconFile && FAILED(link->SetIconLocation(iconFile, iconIndex))) ||
        FAILED(link.As(&persist)) || FAILED(persist->Save(file.c_str(), TRUE))) {
        return 1;
    }
    return 0;
}

const wchar_t* SourceName(launchers::EntrySource source) {
    switch (source) {
    case launchers::EntrySource::Applications: return L"startmenu";
    case launchers::EntrySource::Desktop: return L"desktop";
    case launchers::EntrySource::Pinned: return L"pinned";
    }
    return L"?";
}

void PrintEntry(std::size_t page, std::size_t position, const wchar_t* member, const launchers::LaunchpadEntry& entry) {
    wchar_t icon[32] = L"none";
    if (entry.icon) std::swprintf(icon, 32, L"%dx%d", entry.icon->Width(), entry.icon->Height());
    std::wprintf(L"entry\t%zu\t%zu\t%ls\t%ls\t%ls\t%ls\t%ls\n", page + 1, position + 1, member, SourceName(entry.source),
                 entry.name.c_str(), entry.path.c_str(), icon);
}

int PadLoad(const std::wstring& folder, DWORD iconWait) {
    foundation::JobRunner jobs;
    launchers::Win32CatalogueHost host(WithBackslash(folder), jobs);
    auto& catalogue = host.Catalogue();
    const double start = Milliseconds();
    const launchers::LoadReport report = catalogue.Load();
    const double loaded = Milliseconds();
    const bool settled = host.Icons().WaitIdle(std::chrono::milliseconds(iconWait));
    const double iconsDone = Milliseconds();
    const std::size_t arrived = catalogue.TakeIcons();
    std::wprintf(L"loaded\tscanned=%zu\tpages=%zu\tentries=%zu\timported=%d\trewritten=%d\tsaved=%d\tload_ms=%.1f\n",
                 report.scanned, catalogue.Pages().size(), catalogue.EntryCount(), report.imported ? 1 : 0,
                 report.rewritten ? 1 : 0, report.saved ? 1 : 0, loaded - start);
    std::wprintf(L"icons\tarrived=%zu\tsettled=%d\ticons_ms=%.1f\n", arrived, settled ? 1 : 0, iconsDone - loaded);
    const auto& pages = catalogue.Pages();
    for (std::size_t p = 0; p < pages.size(); ++p) {
        for (std::size_t i = 0; i < pages[p].size(); ++i) {
            if (const auto* entry = std::get_if<launchers::LaunchpadEntry>(&pages[p][i])) {
                PrintEntry(p, i, L"-", *entry);
                continue;
            }
            const auto& group = std::get<launchers::LaunchpadGroup>(pages[p][i]);
            for (std::size_t m = 0; m < group.entries.size(); ++m) {
                PrintEntry(p, i, (group.name + L"/" + std::to_wstring(m + 1)).c_str(), group.entries[m]);
            }
        }
    }
    jobs.Stop();
    jobs.WaitIdle(std::chrono::seconds(10));
    return report.saved && settled ? 0 : 1;
}

} // namespace

// -1 when the command is not one of these.
int LaunchpadCommand(int argc, wchar_t** argv) {
    const std::wstring command = argv[1];
    kestrana::win32::ComApartment com;
    if (command == L"folder" && argc >= 3) return KnownFolder(argv[2]);
    if (command == L"shortcut" && argc >= 4) {
        return MakeShortcut(argv[2], argv[3], argc > 4 ? argv[4] : nullptr, argc > 5 ? _wtoi(argv[5]) : 0);
    }
    if (command == L"pad-scan" && argc >= 3) {
        const std::wstring which = argv[2];
        const auto folder = which == L"applications"      ? launchers::ShellFolder::Applications
                            : which == L"desktop"         ? launchers::ShellFolder::Desktop
                            : which == L"programs"        ? launchers::ShellFolder::UserPrograms
                            : which == L"common-programs" ? launchers::ShellFolder::CommonPrograms
                                                          : launchers::ShellFolder::FileFolder;
        const auto items = launchers::Win32ApplicationShell().NonFolderItems(folder, argc > 3 ? argv[3] : L"");
        if (!items) return 1;
        for (const auto& item : *items) std::wprintf(L"%ls\t%ls\n", item.name.c_str(), item.path.c_str());
        return 0;
    }
    if (command == L"pad-load" && argc >= 3) return PadLoad(argv[2], argc > 3 ? DWORD(_wtoi(argv[3])) : 60000);
    if (command == L"pad-export" && argc >= 3) {
        const std::wstring base = WithBackslash(argv[2]);
        platform::Win32FileSystem files;
        return launchers::ExportPack(files, base, argc > 3 ? argv[3] : base + launchers::kPackFile) ? 0 : 1;
    }
    if (command == L"pad-import" && argc >= 4) {
        platform::Win32FileSystem files;
        const auto report = launchers::ImportPack(files, WithBackslash(argv[2]), argv[3]);
        for (const auto& name : report.names) std::wprintf(L"imported\t%ls\n", name.c_str());
        std::wprintf(L"written=%zu\trefused=%zu\n", report.written, report.refused);
        return report.opened && report.written == report.names.size() ? 0 : 1;
    }
    return -1;
}
