#include "app/lifecycle.h"

#include "app/main_window.h"
#include "foundation/companion_link.h"
#include "foundation/config_store.h"
#include "foundation/crash_dump.h"
#include "foundation/hook_protocol.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <dbghelp.h>
#include <knownfolders.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <atomic>
#include <thread>

#ifndef KESTRANA_VERSION
#define KESTRANA_VERSION L"0.0.0"
#endif

namespace kestrana::app {
namespace {

using foundation::Process;
using Microsoft::WRL::ComPtr;

std::atomic<foundation::ConfigStore*> g_settings{nullptr};
std::atomic<HANDLE> g_instanceEvent{nullptr};
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR raw = nullptr;
    std::wstring path;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &raw))) path = raw;
    ::CoTaskMemFree(raw);
    return path;
}

bool UnderProgramFiles(const std::wstring& folder) {
    const std::wstring programFiles = KnownFolder(FOLDERID_ProgramFiles);
    return !programFiles.empty() && foundation::StartsWithIgnoreCase(folder, programFiles + L"\\");
}

bool IsElevated() noexcept {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    win32::UniqueKernelHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

// Starts a program and reports whether it is still running after `settleMs` (a program
// the system cannot run at all ends at once).
bool StartProcess(const std::wstring& path, const std::wstring& arguments, DWORD settleMs) noexcept {
    std::wstring command = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    const std::wstring folder = Process().baseFolder;
    if (!::CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return false;
    win32::UniqueKernelHandle process(pi.hProcess);
    win32::UniqueKernelHandle thread(pi.hThread);
    if (settleMs == 0) return true;
    return ::WaitForSingleObject(process.Get(), settleMs) == WAIT_TIMEOUT;
}

// --- scheduled tasks -----------------------------------------------------------------

struct Bstr {
    BSTR value;
    explicit Bstr(const wchar_t* text) : value(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
};

// The command of a scheduled task's first program action; nullopt when there is none.
std::optional<std::wstring> TaskCommand(const wchar_t* name) noexcept {
    try {
        win32::ComApartment com(COINIT_MULTITHREADED);
        ComPtr<ITaskService> service;
        if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service))))
            return std::nullopt;
        VARIANT none;
        ::VariantInit(&none);
        if (FAILED(service->Connect(none, none, none, none))) return std::nullopt;
        ComPtr<ITaskFolder> folder;
        Bstr root(L"\\");
        if (FAILED(service->GetFolder(root.value, &folder))) return std::nullopt;
        ComPtr<IRegisteredTask> task;
        Bstr taskName(name);
        if (FAILED(folder->GetTask(taskName.value, &task)) || !task) return std::nullopt;
        ComPtr<ITaskDefinition> definition;
        ComPtr<IActionCollection> actions;
        if (FAILED(task->get_Definition(&definition)) || FAILED(definition->get_Actions(&actions))) return std::nullopt;
        ComPtr<IAction> action;
        if (FAILED(actions->get_Item(1, &action))) return std::nullopt;
        ComPtr<IExecAction> exec;
        if (FAILED(action.As(&exec))) return std::nullopt;
        BSTR path = nullptr;
        if (FAILED(exec->get_Path(&path)) || !path) return std::nullopt;
        std::wstring result(path, ::SysStringLen(path));
        ::SysFreeString(path);
        return result;
    } catch (...) {
        return std::nullopt;
    }
}

std::wstring Unquoted(std::wstring text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return text;
}

// --- crash handling ------------------------------------------------------------------

bool IsFatalCode(DWORD code) {
    // Errors, and C++ exceptions thrown while the handler runs.
    return (code & 0xC0000000) == 0xC0000000 || code == 0x20474343 || code == 0xE06D7363;
}

void StartAgain() noexcept {
    const auto& process = Process();
    ::ShellExecuteW(nullptr, L"open", process.exePath.c_str(), nullptr, process.baseFolder.c_str(), SW_SHOWNORMAL);
}

LONG CALLBACK NestedFaultHandler(EXCEPTION_POINTERS* info) {
    // A second fault while the crash is being handled: restart without asking.
    if (!info || !IsFatalCode(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    ReleaseInstanceEvent();
    StartAgain();
    ::TerminateProcess(::GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

void CallHandler(const std::function<void()>& handler) {
    if (handler) handler();
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info) {
    static std::atomic<bool> entered{false};
    if (entered.exchange(true)) return EXCEPTION_CONTINUE_SEARCH;
    ::AddVectoredExceptionHandler(1, NestedFaultHandler);
    try {
        auto& handlers = Handlers();
        auto& process = Process();
        CallHandler(handlers.hideLaunchpad);
        ::SetErrorMode(::GetErrorMode() | SEM_NOGPFAULTERRORBOX);
        ::SetCurrentDirectoryW(process.baseFolder.c_str());
        CallHandler(handlers.stopMinimiseWatcher);
        CallHandler(handlers.stopMenuBar);

        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        const foundation::LocalTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
        const std::wstring dumpPath = process.baseFolder + foundation::CrashDumpName(time, KESTRANA_VERSION);
        win32::UniqueFile file(::CreateFileW(dumpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            MINIDUMP_EXCEPTION_INFORMATION exception{::GetCurrentThreadId(), info, FALSE};
            ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.Get(),
                                static_cast<MINIDUMP_TYPE>(MiniDumpWithFullMemoryInfo), info ? &exception : nullptr,
                                nullptr, nullptr);
            file.Reset();
        }

        CallHandler(handlers.hideBars);
        CallHandler(handlers.endLivePreview);
        std::wstring text = L"Kestrana ran into a problem and has to close. A report was saved; choose OK to start it again.";
        if (auto* settings = Settings()) text = settings->LanguageText(L"tips", L"crashtip", text);
        text += L"\n" + dumpPath;
        if (::MessageBoxW(nullptr, text.c_str(), L"", MB_OKCANCEL | MB_TOPMOST | MB_SETFOREGROUND) == IDOK) {
            ReleaseInstanceEvent();
            StartAgain();
        } else {
            CallHandler(handlers.showWindowsTaskbar);
        }
    } catch (...) {
        ReleaseInstanceEvent();
        StartAgain();
    }
    ::SetUnhandledExceptionFilter(g_previousFilter);
    // The process ends here, without the system's fault report on top of ours.
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void SetSettings(foundation::ConfigStore* settings) noexcept { g_settings.store(settings); }
foundation::ConfigStore* Settings() noexcept { return g_settings.load(); }

void SetInstanceEvent(HANDLE event) noexcept { g_instanceEvent.store(event); }

void ReleaseInstanceEvent() noexcept {
    if (HANDLE event = g_instanceEvent.exchange(nullptr)) {
        ::SetEvent(event);
        ::CloseHandle(event);
    }
}

std::optional<int> RunVerb(const foundation::ParsedCommandLine& command) noexcept {
    try {
        const auto& process = Process();
        switch (command.verb) {
        case foundation::StartVerb::AddUiAccess: {
            if (UnderProgramFiles(process.baseFolder)) return 0;
            const std::wstring folder = KnownFolder(FOLDERID_ProgramFiles) + L"\\Kestrana";
            ::CreateDirectoryW(folder.c_str(), nullptr);
            const std::wstring target = folder + L"\\Loftgate.exe";
            ::DeleteFileW(target.c_str());
            ::CopyFileW((process.baseFolder + L"Loftgate.exe").c_str(), target.c_str(), FALSE);
            if (auto* settings = Settings())
                settings->WriteString(L"normal", L"runpath", process.baseFolder, folder + L"\\config.ini");
            return 0;
        }
        case foundation::StartVerb::DelUiAccess: {
            if (UnderProgramFiles(process.baseFolder)) return 0;
            const std::wstring folder = KnownFolder(FOLDERID_ProgramFiles) + L"\\Kestrana";
            ::DeleteFileW((folder + L"\\Loftgate.exe").c_str());
            ::DeleteFileW((folder + L"\\config.ini").c_str());
            ::RemoveDirectoryW(folder.c_str());
            return 0;
        }
        case foundation::StartVerb::OpenSystemUac: {
            HKEY raw = nullptr;
            if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) == ERROR_SUCCESS) {
                win32::UniqueRegKey key(raw);
                const DWORD on = 1;
                ::RegSetValueExW(key.Get(), L"EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
            }
            return 0;
        }
        case foundation::StartVerb::WaitGameOver: {
            foundation::WaitGameOverPorts ports;
            ports.fullScreenDirect3D = [] {
                QUERY_USER_NOTIFICATION_STATE state{};
                return SUCCEEDED(::SHQueryUserNotificationState(&state)) && state == QUNS_RUNNING_D3D_FULL_SCREEN;
            };
            ports.windowExists = [](std::uint64_t window) {
                return ::IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(window))) != FALSE;
            };
            ports.sleep = [](std::uint32_t ms) { ::Sleep(ms); };
            foundation::WaitGameOver(command.waitWindow, ports);
            return std::nullopt;
        }
        case foundation::StartVerb::SteamOffline: // restarts only after the Steam update step
        case foundation::StartVerb::Normal: return std::nullopt;
        }
    } catch (...) {
    }
    return std::nullopt;
}

void EndWorkshopWindow() noexcept {
    HWND workshop = ::FindWindowW(foundation::kWorkshopClass.data(), L"Kestrana");
    if (!workshop) return;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(workshop, &pid);
    if (pid == 0 || pid == ::GetCurrentProcessId()) return;
    win32::UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (process) ::TerminateProcess(process.Get(), 0);
}

void RestartProgram(HWND window) noexcept {
    auto& process = Process();
    if (process.restartOnce.exchange(true)) return;
    try {
        ::SetCurrentDirectoryW(process.baseFolder.c_str());
        CallHandler(Handlers().hideBars);
        const std::wstring arguments = foundation::RestartArguments(
            window ? std::optional<std::uint64_t>(reinterpret_cast<UINT_PTR>(window)) : std::nullopt);
        ReleaseInstanceEvent();
        CallHandler(Handlers().showWindowsTaskbar);
        CallHandler(Handlers().endLivePreview);
        ::ShellExecuteW(nullptr, L"open", process.exePath.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                        process.baseFolder.c_str(), SW_SHOWNORMAL);
    } catch (...) {
    }
    ::TerminateProcess(::GetCurrentProcess(), 0);
}

bool RunElevated(const std::wstring& file, const std::wstring& arguments) noexcept {
    SHELLEXECUTEINFOW info{sizeof(info)};
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = IsElevated() ? L"open" : L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.lpDirectory = Process().baseFolder.c_str();
    info.nShow = SW_SHOWDEFAULT;
    return ::ShellExecuteExW(&info) != FALSE;
}

void InstallCrashHandler() noexcept { g_previousFilter = ::SetUnhandledExceptionFilter(CrashFilter); }

std::wstring CompanionExecutable() noexcept {
    const auto& base = Process().baseFolder;
    static const bool canRun32 = [&] {
        // A 32-bit program that cannot start at all (no WoW64 layer) ends at once.
        const std::wstring probe = base + L"hookel.exe";
        if (::GetFileAttributesW(probe.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
        DWORD type = 0;
        return ::GetBinaryTypeW(probe.c_str(), &type) != FALSE;
    }();
    return base + (canRun32 ? L"hookel.exe" : L"Hookel64.exe");
}

void StartCompanionLinkAsync(HWND mainWindow) noexcept {
    try {
        std::thread([mainWindow] {
            try {
                win32::ComApartment com(COINIT_MULTITHREADED);
                const auto& process = Process();
                const auto& messages = Messages();
                auto handle = [](std::uint64_t w) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(w)); };
                foundation::CompanionLinkPort port;
                port.findWindow = [](std::wstring_view cls) -> foundation::WindowHandle {
                    return reinterpret_cast<UINT_PTR>(::FindWindowW(std::wstring(cls).c_str(), nullptr));
                };
                port.companionTaskExists = [&process](std::wstring_view task) {
                    const auto command = TaskCommand(std::wstring(task).c_str());
                    return command && foundation::EqualsIgnoreCase(Unquoted(*command), process.baseFolder + L"hookel.exe");
                };
                port.runTask = [](std::wstring_view task) {
                    wchar_t system[MAX_PATH] = {};
                    ::GetSystemDirectoryW(system, MAX_PATH);
                    StartProcess(std::wstring(system) + L"\\schtasks.exe", L"/run /TN \"" + std::wstring(task) + L"\"", 0);
                };
                port.startCompanion = [] {
                    // hookel.exe first; where it cannot run, the 64-bit build stands in.
                    const auto& base = Process().baseFolder;
                    if (StartProcess(base + L"hookel.exe", {}, 1500)) return true;
                    return StartProcess(base + L"Hookel64.exe", {}, 0);
                };
                port.elevated = [] { return IsElevated(); };
                port.taskbarWindow = []() -> foundation::WindowHandle {
                    return reinterpret_cast<UINT_PTR>(::FindWindowW(L"Shell_TrayWnd", nullptr));
                };
                port.post = [&messages, handle](foundation::WindowHandle w, foundation::ShareMessage m, std::uintptr_t wp,
                                                std::intptr_t lp) {
                    const UINT id = m == foundation::ShareMessage::Share ? messages.share : messages.shareMemoryTask;
                    ::PostMessageW(handle(w), id, wp, lp);
                };
                port.sendShare = [&messages, handle](foundation::WindowHandle w, std::uintptr_t wp,
                                                     std::intptr_t lp) -> std::optional<std::intptr_t> {
                    DWORD_PTR answer = 0;
                    if (!::SendMessageTimeoutW(handle(w), messages.share, wp, lp, SMTO_ABORTIFHUNG, 2000, &answer))
                        return std::nullopt;
                    return static_cast<std::intptr_t>(answer);
                };
                port.broadcastTaskbarCreated = [&messages, handle](foundation::WindowHandle main) {
                    ::PostMessageW(HWND_BROADCAST, messages.taskbarCreated, 0, reinterpret_cast<LPARAM>(handle(main)));
                };
                port.sleep = [](std::uint32_t ms) { ::Sleep(ms); };
                port.quitting = [] { return Process().quit.load(); };

                foundation::CompanionLinkOptions options;
                options.mainWindow = reinterpret_cast<UINT_PTR>(mainWindow);
                options.windows64 = process.windows64;
                options.windowsArm64 = process.windowsArm64;
                options.selfUpdatePending = process.selfUpdatePending.load();
                if (Handlers().trackedWindows) {
                    for (HWND w : Handlers().trackedWindows()) options.trackedWindows.push_back(reinterpret_cast<UINT_PTR>(w));
                }
                if (Handlers().minimiseAnimationsOn) options.minimiseAnimations = Handlers().minimiseAnimationsOn();
                foundation::StartCompanion(port, options);
            } catch (...) {
            }
        }).detach();
    } catch (...) {
    }
}

foundation::AutostartMode ReadAutostart() noexcept {
    try {
        const auto& process = Process();
        foundation::AutostartFacts facts;
        facts.runValueExists = ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                              L"Kestrana", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, nullptr,
                                              nullptr) == ERROR_SUCCESS;
        facts.taskCommand = TaskCommand(L"Kestrana");
        wchar_t image[1024] = {};
        DWORD size = sizeof(image);
        if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Ondel", L"ImagePath",
                           RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, image, &size) == ERROR_SUCCESS)
            facts.serviceImagePath = image;
        return foundation::ReadAutostartMode(facts, process.exePath, process.baseFolder);
    } catch (...) {
        return foundation::AutostartMode::None;
    }
}

foundation::AutostartMode WriteAutostart(foundation::AutostartMode mode) noexcept {
    try {
        const auto& process = Process();
        constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        if (mode == foundation::AutostartMode::RunValue) {
            const std::wstring value = L"\"" + process.exePath + L"\"";
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kRun, L"Kestrana", REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Kestrana");
            RunElevated(CompanionExecutable(), foundation::AutostartCompanionVerb(mode));
            ::Sleep(500);
        }
    } catch (...) {
    }
    return ReadAutostart();
}

} // namespace kestrana::app
