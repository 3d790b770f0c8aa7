#include "dock/win32/item_actions.h"

#include "dock/item_drops.h"

#include "foundation/diagnostic_log.h"
#include "foundation/foreign_requests.h"
#include "foundation/text.h"
#include "foundation/win32/companion_channel.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"
#include "platform/win32/shell_launch.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>

namespace kestrana::dock::win32 {
namespace {

constexpr std::wstring_view kWeatherPackage = L"microsoft.bingweather_8wekyb3d8bbwe";

using Microsoft::WRL::ComPtr;
using kestrana::win32::ComApartment;
using kestrana::win32::StartWithShell;

// The shell's verbs may hand work to COM objects: the calling job thread joins a
// single-threaded apartment for the call, as the shell asks.
struct ShellApartment {
    ComApartment apartment{COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE};
};

bool OpenInFileManager(const wchar_t* argument, const char* what) {
    return StartWithShell({.file = L"explorer.exe", .arguments = argument}, what);
}

// The id of the virtual desktop in front: the foreground window's, which is always on it.
bool MoveToCurrentDesktop(HWND window) {
    ComPtr<IVirtualDesktopManager> desktops;
    if (FAILED(::CoCreateInstance(CLSID_VirtualDesktopManager, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&desktops))))
        return false; // no virtual desktops on this system
    BOOL here = TRUE;
    if (FAILED(desktops->IsWindowOnCurrentVirtualDesktop(window, &here)) || here) return true;
    GUID current{};
    const HWND front = ::GetForegroundWindow();
    if (!front || FAILED(desktops->GetWindowDesktopId(front, &current))) return false;
    const HRESULT hr = desktops->MoveWindowToDesktop(window, current);
    if (FAILED(hr)) {
        // Windows lets a process move only its own windows this way; activating the window
        // below then switches to its desktop instead.
        foundation::LogDetail("switch window", "moving a window from another desktop was refused");
        return false;
    }
    return true;
}

bool ForceForeground(HWND window) {
    if (::SetForegroundWindow(window) && ::GetForegroundWindow() == window) return true;
    // The system refuses a background process; joining the foreground thread's input
    // state for the call makes it ours to give away.
    const HWND front = ::GetForegroundWindow();
    const DWORD frontThread = front ? ::GetWindowThreadProcessId(front, nullptr) : 0;
    const DWORD self = ::GetCurrentThreadId();
    const bool attached = frontThread && frontThread != self && ::AttachThreadInput(self, frontThread, TRUE);
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
    if (attached) ::AttachThreadInput(self, frontThread, FALSE);
    if (::GetForegroundWindow() != window) ::SwitchToThisWindow(window, TRUE);
    return ::GetForegroundWindow() == window;
}

void SynthesiseKeys(std::uint16_t first, std::uint16_t second) {
    for (const KeyStep& step : KeySequence(first, second)) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = step.key;
        input.ki.dwFlags = step.up ? KEYEVENTF_KEYUP : 0;
        ::SendInput(1, &input, sizeof(INPUT));
        if (step.pauseMs > 0) ::Sleep(static_cast<DWORD>(step.pauseMs));
    }
}

bool OpenKnownFolder(std::wstring_view id, std::wstring_view classId) {
    KNOWNFOLDERID folder{};
    const std::wstring idText(id);
    PIDLIST_ABSOLUTE list = nullptr;
    bool opened = false;
    if (SUCCEEDED(::CLSIDFromString(idText.c_str(), &folder)) &&
        SUCCEEDED(::SHGetKnownFolderIDList(folder, 0, nullptr, &list))) {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_IDLIST;
        info.lpVerb = L"open";
        info.lpIDList = list;
        info.nShow = SW_SHOWNORMAL;
        opened = ::ShellExecuteExW(&info) != FALSE;
        ::CoTaskMemFree(list);
    }
    if (opened) return true;
    const std::wstring fallback(classId);
    return OpenInFileManager(fallback.c_str(), "open special folder");
}

} // namespace

LaunchRequest LaunchRequestFor(const Dockico& item) {
    LaunchRequest request;
    request.realpath = item.realpath.empty() ? item.filepath : item.realpath;
    request.runline = item.runline;
    request.kind = item.appKind;
    if (item.appKind == AppKind::Packaged)
        request.appUserModelId = item.virtualpath.find(L'!') != std::wstring::npos ? item.virtualpath : item.filepath;
    return request;
}

bool Launch(const LaunchRequest& request) noexcept {
    try {
        return platform::Launch({.realpath = request.realpath,
                                 .runline = request.runline,
                                 .appUserModelId = request.appUserModelId,
                                 .packaged = request.kind == AppKind::Packaged,
                                 .admin = request.admin});
    } catch (...) {
        foundation::LogCaught("launch item");
        return false;
    }
}

bool SwitchToWindow(HWND window) noexcept {
    if (!::IsWindow(window)) return false;
    ComApartment com(COINIT_MULTITHREADED);
    MoveToCurrentDesktop(window);
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    const bool front = ForceForeground(window);
    if (!front) foundation::LogFailure("switch window", "the system kept another window in front");
    return front;
}

void MinimiseWindow(HWND window) noexcept {
    if (::IsWindow(window)) ::ShowWindowAsync(window, SW_MINIMIZE);
}

void AskToClose(HWND window) noexcept {
    if (::IsWindow(window)) ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool PackageInstalled(std::wstring_view family) noexcept {
    using Query = LONG(WINAPI*)(PCWSTR, UINT32*, PWSTR*, UINT32*, WCHAR*);
    static const auto query = kestrana::win32::LoadedFunction<Query>(L"kernel32.dll", "GetPackagesByPackageFamily");
    if (!query) return false; // no packaged applications on this system
    try {
        const std::wstring name(family);
        UINT32 count = 0, length = 0;
        const LONG result = query(name.c_str(), &count, nullptr, &length, nullptr);
        return (result == ERROR_SUCCESS || result == ERROR_INSUFFICIENT_BUFFER) && count > 0;
    } catch (...) {
        foundation::LogCaught("item action");
        return false;
    }
}

bool StartPackage(std::wstring_view family, std::wstring_view application) noexcept {
    if (!PackageInstalled(family)) return false;
    try {
        LaunchRequest request;
        request.kind = AppKind::Packaged;
        request.appUserModelId = std::wstring(family) + L"!" + std::wstring(application);
        return Launch(request);
    } catch (...) {
        foundation::LogCaught("item action");
        return false;
    }
}

void PressKeys(const SpecialServices& services, std::uint16_t first, std::uint16_t second) noexcept {
    if (services.companion && ::IsWindow(services.companion) && foundation::IsAllowedKeyChord(first, second) &&
        kestrana::win32::PostKeysToCompanion(services.companion, services.shareKeyMessage, first, second))
        return;
    SynthesiseKeys(first, second);
}

bool RunSpecialAction(const SpecialAction& action, const SpecialServices& services) noexcept {
    try {
        const ShellApartment com;
        switch (action.kind) {
        case SpecialKind::OpenFileManager: return StartWithShell({.file = L"explorer.exe"}, "open file manager");
        case SpecialKind::OpenTrash: return OpenRecycleBin();
        case SpecialKind::OpenKnownFolder: return OpenKnownFolder(action.target, action.fallback);
        case SpecialKind::ToggleTaskbar:
            if (services.toggleTaskbar) services.toggleTaskbar();
            return true;
        case SpecialKind::PressKeys: {
            PressKeys(services, action.keys[0], action.keys[1]);
            if (action.uri.empty()) return true;
            const std::wstring uri(action.uri);
            return StartWithShell({.file = uri.c_str()}, "open special item");
        }
        case SpecialKind::OpenUri: {
            const std::wstring uri(action.target);
            return StartWithShell({.file = uri.c_str()}, "open special item");
        }
        case SpecialKind::StartPackage:
            if (StartPackage(action.target, action.fallback)) return true;
            if (action.target == kWeatherPackage && services.weatherView) {
                services.weatherView();
                return true;
            }
            return false;
        case SpecialKind::TaskView:
            return OpenInFileManager(L"shell:::{3080F90E-D7AD-11D9-BD98-0000947B0257}", "open task view");
        }
    } catch (...) {
        foundation::LogCaught("special item");
    }
    return false;
}

bool RecycleBinFull() noexcept {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof(info);
    return SUCCEEDED(::SHQueryRecycleBinW(nullptr, &info)) && info.i64NumItems > 0;
}

bool EmptyRecycleBin() noexcept {
    const HRESULT hr = ::SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
    if (FAILED(hr) && RecycleBinFull()) {
        foundation::LogFailure("empty trash", "the recycle bin could not be emptied");
        return false;
    }
    return true;
}

bool MoveToRecycleBin(const std::vector<std::wstring>& paths) noexcept {
    if (paths.empty()) return true;
    try {
        // The file operation takes a list of names ended by an empty one.
        std::wstring list;
        for (const auto& path : paths) {
            if (path.empty() || path.size() >= MAX_PATH) continue;
            list += path;
            list.push_back(L'\0');
        }
        if (list.empty()) return false;
        list.push_back(L'\0');
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = list.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        const int result = ::SHFileOperationW(&op);
        if (result != 0 || op.fAnyOperationsAborted) {
            foundation::LogFailure("move to trash", "error " + std::to_string(result));
            return false;
        }
        return true;
    } catch (...) {
        foundation::LogCaught("move to trash");
        return false;
    }
}

bool OpenRecycleBin() noexcept {
    try {
        const ShellApartment com;
        return OpenKnownFolder(L"{B7534046-3ECB-4C18-BE4E-64CD4CB7D6AC}", L"::{645FF040-5081-101B-9F08-00AA002F954E}");
    } catch (...) {
        foundation::LogCaught("item action");
        return false;
    }
}

namespace {

// A job has no window to own the shell's dialogs: nothing may ask. Names are chosen free
// beforehand, so nothing is written over (a collision meanwhile is renamed where the
// system can).
constexpr DWORD kQuietFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_RENAMEONCOLLISION | FOF_SILENT |
                              FOF_NOERRORUI | FOF_NOCONFIRMMKDIR;

struct FolderMove {
    std::wstring from;
    std::wstring name; // in the folder
    bool copy = false;
};

bool ThroughFileOperation(const std::vector<FolderMove>& work, const std::wstring& folder) {
    ComPtr<IFileOperation> operation;
    ComPtr<IShellItem> destination;
    if (FAILED(::CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&operation))) ||
        FAILED(operation->SetOperationFlags(kQuietFlags)) ||
        FAILED(::SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(&destination))))
        return false;
    int queued = 0;
    for (const FolderMove& move : work) {
        ComPtr<IShellItem> item;
        if (FAILED(::SHCreateItemFromParsingName(move.from.c_str(), nullptr, IID_PPV_ARGS(&item)))) {
            foundation::LogFailure("drop into folder", L"not found: " + move.from);
            continue;
        }
        const HRESULT hr = move.copy ? operation->CopyItem(item.Get(), destination.Get(), move.name.c_str(), nullptr)
                                     : operation->MoveItem(item.Get(), destination.Get(), move.name.c_str(), nullptr);
        if (SUCCEEDED(hr)) ++queued;
    }
    if (!queued) return false;
    BOOL aborted = FALSE;
    const HRESULT hr = operation->PerformOperations();
    if (FAILED(hr) || (SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted)) {
        foundation::LogFailure("drop into folder", L"the file operation failed: error " + std::to_wstring(static_cast<long>(hr)));
        return hr != E_NOTIMPL; // a refusal is final; only a missing service falls back
    }
    return true;
}

bool ThroughOlderCall(const std::vector<FolderMove>& work, const std::wstring& folder, bool copy) {
    // Lists of names ended by an empty one, each file with its own destination.
    std::wstring from, to;
    for (const FolderMove& move : work) {
        if (move.copy != copy) continue;
        from += move.from;
        from.push_back(L'\0');
        to += folder + L"\\" + move.name;
        to.push_back(L'\0');
    }
    if (from.empty()) return true;
    from.push_back(L'\0');
    to.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = copy ? FO_COPY : FO_MOVE;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(kQuietFlags | FOF_MULTIDESTFILES);
    const int result = ::SHFileOperationW(&op);
    if (result != 0 || op.fAnyOperationsAborted) {
        foundation::LogFailure("drop into folder", "error " + std::to_string(result));
        return false;
    }
    return true;
}

std::wstring NameOf(const std::wstring& path) {
    std::wstring_view name = path;
    while (name.size() > 1 && (name.back() == L'\\' || name.back() == L'/')) name.remove_suffix(1);
    const auto slash = name.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? name : name.substr(slash + 1));
}

} // namespace

bool PutIntoFolder(const std::vector<std::wstring>& paths, const std::wstring& folder, bool ctrl, bool shift) noexcept {
    try {
        std::vector<FolderMove> work;
        std::vector<std::wstring> chosen; // names given in this drop, lower case
        const auto taken = [&](const std::wstring& name) {
            return std::find(chosen.begin(), chosen.end(), foundation::AsciiLower(name)) != chosen.end() ||
                   ::GetFileAttributesW((folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
        };
        for (const std::wstring& path : paths) {
            if (!CanGoIntoFolder(path, folder)) continue;
            FolderMove move{path, FreeNameInFolder(NameOf(path), taken),
                            FolderDropEffectFor(path, folder, ctrl, shift) == FolderDropEffect::Copy};
            chosen.push_back(foundation::AsciiLower(move.name));
            work.push_back(std::move(move));
        }
        if (work.empty()) return false;
        const ShellApartment com;
        if (ThroughFileOperation(work, folder)) return true;
        foundation::LogDetail("drop into folder", "the older file call does it");
        const bool moved = ThroughOlderCall(work, folder, false);
        return ThroughOlderCall(work, folder, true) && moved;
    } catch (...) {
        foundation::LogCaught("drop into folder");
        return false;
    }
}

} // namespace kestrana::dock::win32
