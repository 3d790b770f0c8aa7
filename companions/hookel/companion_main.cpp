// The hook companion. One build per bitness: the 32-bit "Hookel.exe" (window "hookel32")
// is the one the program talks to; on 64-bit Windows it starts "Hookel64.exe" (window
// "hookel64"), which hooks the 64-bit processes. Each installs the system-wide CBT hook of
// its hook module. Where 32-bit programs cannot run at all, the 64-bit companion also
// takes the "hookel32" role, so the program finds its partner on every system.
//
// Started with "SystemRunStartPlane", "SystemRunStart" or "SystemDelStart" (elevated) it
// creates the logon task, creates the service entry, or removes both, and exits.
//
// It may run elevated, and its window lets every message through the privilege filter,
// so it trusts no message by itself: the handshake must name a window of the program,
// and key chords, the self-update and disk detaching are done only when the program has
// confirmed them over the companion's pipe, which names the writing process.
#include "autostart_jobs.h"
#include "foundation/diagnostic_log.h"
#include "foundation/foreign_requests.h"
#include "foundation/hook_protocol.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/companion_channel.h"
#include "foundation/win32/folder_security.h"
#include "foundation/win32/foreign_sender.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"
#include "foundation/win32/win32_log_files.h"
#include "menubar/menu_handshake.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace kestrana;
using namespace kestrana::foundation;

constexpr bool k64Bit = sizeof(void*) == 8;

struct CompanionState {
    std::wstring folder; // ends in a backslash
    UINT msgShare = 0;
    UINT msgShareKey = 0;
    UINT msgShareTemp = 0;
    UINT msgShareMemoryTask = 0;
    HWND programWindow = nullptr; // from the handshake
    HWND taskbar = nullptr;
    std::set<HWND> watched;
    win32::UniqueModule hookModule;
    win32::UniqueHook hook;
    HWND ownWindow = nullptr;
    HWND coordinatorWindow = nullptr; // "hookel32" when this 64-bit build stands in for it
    std::mutex confirmMutex;
    foundation::Confirmations confirmations; // under confirmMutex
    struct MenuHook {
        std::uint32_t number = 0;
        win32::UniqueHook hook;
        ULONGLONG since = 0;
    };
    std::vector<MenuHook> menuHooks; // message hooks on threads with a menu request
} g;

constexpr UINT_PTR kTimerMenuHooks = 2;

// Only the program itself, from this folder, in this session and as this user, may ask.
// Integrity levels exist only on Windows; under Wine every token is the same.
foundation::SenderRule ProgramRule() {
    static const std::wstring folder = win32::ProgramFolder();
    return {folder, L"Kestrana.exe", win32::RunningUnderWine() ? 0u : foundation::kIntegrityMedium};
}

bool Confirmed(const foundation::Confirmation& request, std::wstring_view what) {
    bool found = false;
    {
        std::lock_guard lock(g.confirmMutex);
        found = g.confirmations.Take(request, ::GetTickCount64());
    }
    if (!found)
        foundation::LogFailure("companion", L"refused " + std::wstring(what) + L": " +
                                                std::wstring(foundation::RefusalText(foundation::Refusal::Unconfirmed)));
    return found;
}

// When the process began, or 0 when it cannot be told.
ULONGLONG ProcessStart(unsigned long pid) {
    win32::UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return 0;
    return (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

void StartConfirmationPipe() {
    std::thread([] {
        win32::ServeConfirmations(
            [](unsigned long pid) {
                // The program confirms often (every menu it opens): its process is looked at
                // once, and told apart from a later one under the same id by its start time.
                static unsigned long acceptedPid = 0;
                static ULONGLONG acceptedStart = 0;
                const ULONGLONG start = ProcessStart(pid);
                if (start != 0 && pid == acceptedPid && start == acceptedStart) return true;
                if (!win32::AcceptSender(win32::ProcessFacts(pid), ProgramRule(), "companion pipe", L"confirmation"))
                    return false;
                acceptedPid = pid;
                acceptedStart = start;
                return true;
            },
            [](const foundation::Confirmation& c) {
                std::lock_guard lock(g.confirmMutex);
                g.confirmations.Add(c, ::GetTickCount64());
            });
    }).detach();
}

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L'\\') + 1);
}

bool InstallHook() {
    g.hook.Reset();
    if (!g.hookModule) {
        const std::wstring dll = g.folder + (k64Bit ? L"Hookel64.dll" : L"Hookel32.dll");
        g.hookModule.Reset(::LoadLibraryW(dll.c_str()));
    }
    if (!g.hookModule) return false;
    auto proc = kestrana::win32::FunctionIn<HOOKPROC>(g.hookModule.Get(), "CbtProc");
    if (!proc) return false;
    g.hook.Reset(::SetWindowsHookExW(WH_CBT, proc, g.hookModule.Get(), 0));
    return static_cast<bool>(g.hook);
}

// Presses a key chord for the program: both keys down, then both up (in reverse order).
void PressChord(WORD first, WORD second) {
    std::vector<INPUT> inputs;
    auto key = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (first) key(first, false);
    if (second) key(second, false);
    if (second) key(second, true);
    if (first) key(first, true);
    if (!inputs.empty()) ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool StartCompanionProgram(const std::wstring& path) {
    win32::ProgramStart start;
    start.program = path;
    start.folder = g.folder;
    return win32::StartProgram(start, "companion start").has_value();
}

void TerminateImage(const std::wstring& imagePath) {
    win32::UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        win32::UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (!process) continue;
        wchar_t image[MAX_PATH * 2] = {};
        DWORD size = static_cast<DWORD>(std::size(image));
        if (::QueryFullProcessImageNameW(process.Get(), 0, image, &size) && ::lstrcmpiW(image, imagePath.c_str()) == 0)
            ::TerminateProcess(process.Get(), 0);
    }
}

// The tray companion's loader could not be replaced while the program ran; it can now.
void InstallSelfUpdate() {
    const std::wstring target = g.folder + L"Ondel.exe";
    const std::wstring update = g.folder + L"Ondel_update.exe";
    if (::GetFileAttributesW(update.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    // The launcher may run as a service; an update whose origin cannot be shown stays out.
    if (!win32::MayInstallUpdateFile(update, win32::CompanionFileMayRunElevated(L"Ondel.exe"))) {
        foundation::LogFailure("companion self-update", L"refused " + update + L": its origin cannot be shown");
        return;
    }
    TerminateImage(target);
    ::Sleep(100);
    if (!::MoveFileExW(update.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::wstring backup = target + L".bak";
        ::MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
        ::MoveFileExW(update.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
}

bool DetachDiskImage(const std::wstring& path) {
    // virtdisk.dll is absent on some editions; bind at run time.
    win32::UniqueModule virtdisk(::LoadLibraryW(L"virtdisk.dll"));
    if (!virtdisk) return false;
    struct VirtualStorageType {
        ULONG deviceId;
        GUID vendorId;
    };
    using OpenFn = DWORD(WINAPI*)(VirtualStorageType*, PCWSTR, int, int, void*, HANDLE*);
    using DetachFn = DWORD(WINAPI*)(HANDLE, int, ULONG);
    auto open = kestrana::win32::FunctionIn<OpenFn>(virtdisk.Get(), "OpenVirtualDisk");
    auto detach =
        kestrana::win32::FunctionIn<DetachFn>(virtdisk.Get(), "DetachVirtualDisk");
    if (!open || !detach) return false;
    VirtualStorageType type{}; // unknown device and vendor: the system picks by extension
    HANDLE raw = nullptr;
    constexpr int kAccessDetach = 0x00040000; // VIRTUAL_DISK_ACCESS_DETACH
    if (open(&type, path.c_str(), kAccessDetach, 0, nullptr, &raw) != ERROR_SUCCESS) return false;
    win32::UniqueKernelHandle disk(raw);
    return detach(disk.Get(), 0, 0) == ERROR_SUCCESS;
}

bool IsForeignWindow(HWND window) {
    if (!window || !::IsWindow(window)) return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid != ::GetCurrentProcessId();
}

bool SameBitness(DWORD pid) {
    win32::UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    BOOL wow = FALSE;
    if (!process || !::IsWow64Process(process.Get(), &wow)) return false;
    if (k64Bit) return !wow;
    // The 32-bit build: a 32-bit process is one under WOW64, or any on 32-bit Windows.
    BOOL selfWow = FALSE;
    return wow || (::IsWow64Process(::GetCurrentProcess(), &selfWow) && !selfWow);
}

// The hook module carries menu requests out inside the window's own thread: a message
// hook on that thread only, kept while the request's file exists (at most a minute).
bool StartMenuRequest(std::uint32_t number, UINT requestMessage) {
    const std::wstring path = menubar::RequestPath(g.folder, number);
    const auto bytes = [&] {
        std::string text;
        win32::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                     nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) return text;
        text.resize(8192);
        DWORD read = 0;
        if (!::ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) read = 0;
        text.resize(read);
        return text;
    }();
    const auto request = menubar::ParseMenuRequest(bytes);
    if (!request) return false;
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(request->window));
    DWORD pid = 0;
    const DWORD thread = IsForeignWindow(window) ? ::GetWindowThreadProcessId(window, &pid) : 0;
    if (!thread || !SameBitness(pid) || !g.hookModule) return false;
    auto proc = kestrana::win32::FunctionIn<HOOKPROC>(g.hookModule.Get(), "GetMsgProc");
    if (!proc) return false;
    win32::UniqueHook hook(::SetWindowsHookExW(WH_GETMESSAGE, proc, g.hookModule.Get(), thread));
    if (!hook) {
        foundation::LogFailure("companion", "message hook for a menu refused, error " + std::to_string(::GetLastError()));
        return false;
    }
    if (!::PostMessageW(window, requestMessage, number, 0)) return false;
    g.menuHooks.push_back({number, std::move(hook), ::GetTickCount64()});
    ::SetTimer(g.ownWindow, kTimerMenuHooks, 250, nullptr);
    return true;
}

void DropFinishedMenuHooks() {
    const ULONGLONG now = ::GetTickCount64();
    std::erase_if(g.menuHooks, [&](const CompanionState::MenuHook& h) {
        return now - h.since > 60000 ||
               ::GetFileAttributesW(menubar::RequestPath(g.folder, h.number).c_str()) == INVALID_FILE_ATTRIBUTES;
    });
    if (g.menuHooks.empty()) ::KillTimer(g.ownWindow, kTimerMenuHooks);
}

// The program's share messages: the handshake, the taskbar, menu requests and watched windows.
LRESULT OnShare(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case kShareHandshake:
        if (!IsForeignWindow(reinterpret_cast<HWND>(lParam)) ||
            !win32::AcceptSender(win32::WindowFacts(reinterpret_cast<HWND>(lParam)), ProgramRule(),
                                 "companion handshake", L"handshake naming window " + std::to_wstring(lParam)))
            return 0;
        g.programWindow = reinterpret_cast<HWND>(lParam);
        // Lets anyone (the end-to-end tests, a support session) see the link.
        ::SetPropW(window, L"KestranaProgram", reinterpret_cast<HANDLE>(lParam));
        return 1;
    case kShareTaskbar:
        if (IsForeignWindow(reinterpret_cast<HWND>(lParam))) g.taskbar = reinterpret_cast<HWND>(lParam);
        return 1;
    case kShareTrayHookArm: return 1;
    case kShareMenuRequest: {
        // Hooking another program's thread is done only for a request the program vouched for.
        static const UINT request = ::RegisterWindowMessageW(kMsgMenuRequest.data());
        if (lParam < 0 || static_cast<unsigned long long>(lParam) > 0xFFFFFFFFull) return 0;
        const auto number = static_cast<std::uint32_t>(lParam);
        if (!Confirmed({ConfirmKind::MenuRequest, number, 0}, L"menu request " + std::to_wstring(number)))
            return 0;
        return StartMenuRequest(number, request) ? 1 : 0;
    }
    case kShareWatchWindow:
        if (IsForeignWindow(reinterpret_cast<HWND>(lParam))) {
            // Forget windows that have gone, so the set cannot grow without end.
            std::erase_if(g.watched, [](HWND w) { return !::IsWindow(w); });
            if (g.watched.size() < 4096) g.watched.insert(reinterpret_cast<HWND>(lParam));
        }
        return 1;
    default: return 0;
    }
}

// Typing is what a low-rights process must never get from an elevated one: only the
// program's fixed chords, and only when it confirmed them.
LRESULT OnShareKey(WPARAM wParam, LPARAM lParam) {
    const auto first = static_cast<std::uint16_t>(wParam & 0xFFFF);
    const auto second = static_cast<std::uint16_t>(lParam & 0xFFFF);
    const std::wstring what = L"key chord " + std::to_wstring(first) + L"+" + std::to_wstring(second);
    if (wParam > 0xFFFF || static_cast<ULONG_PTR>(lParam) > 0xFFFF || !IsAllowedKeyChord(first, second)) {
        foundation::LogFailure("companion", L"refused " + what + L": " +
                                                std::wstring(foundation::RefusalText(foundation::Refusal::KeyNotAllowed)));
        return 0;
    }
    if (!Confirmed({ConfirmKind::Keys, first, second}, what)) return 0;
    PressChord(first, second);
    return 1;
}

// A disk image the program asked to detach, named in a WM_COPYDATA.
LRESULT OnDetachDisk(LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != kCopyDataDetachDisk || !data->lpData || data->cbData == 0 ||
        data->cbData % sizeof(wchar_t) != 0 || data->cbData > 32768 * sizeof(wchar_t))
        return 0;
    const std::wstring path(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
    if (!Confirmed({ConfirmKind::DetachDisk, PathDigest(path), path.size()}, L"detaching " + path)) return 0;
    return DetachDiskImage(path) ? 1 : 0;
}

LRESULT CALLBACK CompanionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message != 0 && message == g.msgShare) return OnShare(window, wParam, lParam);
        if (message != 0 && message == g.msgShareKey) return OnShareKey(wParam, lParam);
        if (message != 0 && message == g.msgShareTemp) {
            if (wParam != 1) return 1;
            if (!Confirmed({ConfirmKind::StartTemperatureReader, 0, 0}, L"starting the temperature reader")) return 0;
            const std::wstring reader = g.folder + L"Thermel.exe";
            if (::GetFileAttributesW(reader.c_str()) != INVALID_FILE_ATTRIBUTES) StartCompanionProgram(reader);
            return 1;
        }
        if (message != 0 && message == g.msgShareMemoryTask) {
            if (wParam == kTaskInstallSelfUpdate && Confirmed({ConfirmKind::InstallSelfUpdate, 0, 0}, L"self-update"))
                InstallSelfUpdate();
            if (wParam == kTaskRerunHooks) InstallHook();
            return 1;
        }
        switch (message) {
        case WM_COPYDATA: return OnDetachDisk(lParam);
        case WM_CLOSE:
            ::PostQuitMessage(0);
            return 0;
        default: break;
        }
    } catch (...) {
        foundation::LogCaught("companion message");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateRoleWindow(std::wstring_view role) {
    const std::wstring name(role);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CompanionProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    ::RegisterClassExW(&wc);
    // A hidden top-level window: the program finds it by class name.
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, name.c_str(), name.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    for (UINT m : {g.msgShare, g.msgShareKey, g.msgShareTemp, g.msgShareMemoryTask, static_cast<UINT>(WM_COPYDATA)})
        ::ChangeWindowMessageFilterEx(window, m, MSGFLT_ALLOW, nullptr);
    return window;
}

bool Is64BitWindows() {
    if (k64Bit) return true;
    BOOL wow = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow) && wow;
}

int RunJob(const std::wstring& verb) {
    const bool createsEntry = ::lstrcmpiW(verb.c_str(), kVerbCreateStartTask.data()) == 0 ||
                              ::lstrcmpiW(verb.c_str(), kVerbCreateStartService.data()) == 0;
    // The task runs the program with the highest rights and the service as the system: both
    // only from a folder that nobody but administrators can change.
    if (createsEntry && !win32::FolderIsAdminOnly(win32::ProgramFolder(), "companion autostart")) return 1;
    if (::lstrcmpiW(verb.c_str(), kVerbCreateStartTask.data()) == 0)
        return companion::CreateStartTask(g.folder) ? 0 : 1;
    if (::lstrcmpiW(verb.c_str(), kVerbCreateStartService.data()) == 0)
        return companion::CreateStartService(g.folder) ? 0 : 1;
    if (::lstrcmpiW(verb.c_str(), kVerbRemoveStart.data()) == 0) return companion::RemoveStartEntries() ? 0 : 1;
    return -1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    g.folder = ModuleFolder();
    win32::ComApartment com;
    // A log of its own beside the program's: refusals and failed jobs.
    if (auto log = win32::MakeProgramLog(win32::ProgramFolder(), k64Bit ? L"Hookel64.log" : L"Hookel.log"))
        foundation::InstallDiagnosticLog(std::move(log));

    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv && argc > 1) {
        const int job = RunJob(argv[1]);
        ::LocalFree(argv);
        if (job >= 0) {
            if (auto log = foundation::InstalledDiagnosticLog()) log->Flush();
            return job;
        }
    } else if (argv) {
        ::LocalFree(argv);
    }

    // Started by an elevated program, it runs elevated too: only from a folder nobody but
    // administrators can change, or whoever can would run their own code with those rights.
    if (win32::RunningElevated() && !win32::FolderIsAdminOnly(win32::ProgramFolder(), "companion start")) {
        if (auto log = foundation::InstalledDiagnosticLog()) log->Flush();
        return 1;
    }

    const std::wstring role(k64Bit ? kCompanion64Class : kCompanion32Class);
    const std::wstring mutexName = L"Local\\KestranaCompanion-" + role;
    win32::UniqueKernelHandle single(::CreateMutexW(nullptr, FALSE, mutexName.c_str()));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    g.msgShare = ::RegisterWindowMessageW(kMsgShare.data());
    g.msgShareKey = ::RegisterWindowMessageW(kMsgShareKey.data());
    g.msgShareTemp = ::RegisterWindowMessageW(kMsgShareTemp.data());
    g.msgShareMemoryTask = ::RegisterWindowMessageW(kMsgShareMemoryTask.data());

    g.ownWindow = CreateRoleWindow(role);
    if (!g.ownWindow) return 1;
    StartConfirmationPipe();
    InstallHook();

    if (!k64Bit && Is64BitWindows() && !::FindWindowW(kCompanion64Class.data(), nullptr))
        StartCompanionProgram(g.folder + L"Hookel64.exe");
    if (k64Bit) ::SetTimer(g.ownWindow, 1, 3000, nullptr);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == g.ownWindow && message.wParam == kTimerMenuHooks) {
            DropFinishedMenuHooks();
            continue;
        }
        if (message.message == WM_TIMER && message.hwnd == g.ownWindow && message.wParam == 1) {
            ::KillTimer(g.ownWindow, 1);
            // No 32-bit partner after three seconds: start it, and where the system cannot
            // run it, answer in its place.
            if (!::FindWindowW(kCompanion32Class.data(), nullptr)) {
                const bool started = StartCompanionProgram(g.folder + L"Hookel.exe");
                if (!started || !::FindWindowW(kCompanion32Class.data(), nullptr)) {
                    ::Sleep(started ? 1500 : 0);
                    if (!::FindWindowW(kCompanion32Class.data(), nullptr))
                        g.coordinatorWindow = CreateRoleWindow(kCompanion32Class);
                }
            }
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
