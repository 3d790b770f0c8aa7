#include "app/lifecycle.h"

#include "foundation/diagnostic_log.h"
#include "app/main_window.h"
#include "foundation/companion_link.h"
#include "foundation/config_store.h"
#include "foundation/crash_dump.h"
#include "foundation/hook_protocol.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/text.h"
#include "foundation/win32/companion_channel.h"
#include "foundation/win32/system_launch.h"
#include "foundation/win32/taskbar_window.h"
#include "foundation/win32/unique_handle.h"
#include "foundation/win32/process_start.h"

#include <windows.h>
#include <dbghelp.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>
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

// --- crash handling ------------------------------------------------------------------

bool IsFatalCode(DWORD code) {
    // Errors, and C++ exceptions thrown while the handler runs.
    return (code & 0xC0000000) == 0xC0000000 || code == 0x20474343 || code == 0xE06D7363;
}

void StartAgain() noexcept {
    const auto& process = Process();
    win32::StartWithShell({.file = process.exePath.c_str(), .folder = process.baseFolder.c_str()}, "restart after crash");
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
        case foundation::StartVerb::OpenSettings: // the start goes on, or asks the running instance
        case foundation::StartVerb::Normal: return std::nullopt;
        }
    } catch (...) {
        kestrana::foundation::LogCaught("lifecycle RunVerb");
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
        CallHandler(Handlers().stopMenuBar);
        const std::wstring arguments = foundation::RestartArguments(
            window ? std::optional<std::uint64_t>(reinterpret_cast<UINT_PTR>(window)) : std::nullopt);
        ReleaseInstanceEvent();
        CallHandler(Handlers().showWindowsTaskbar);
        CallHandler(Handlers().endLivePreview);
        win32::StartWithShell(
            {.file = process.exePath.c_str(), .arguments = arguments.c_str(), .folder = process.baseFolder.c_str()},
            "restart");
    } catch (...) {
        kestrana::foundation::LogCaught("lifecycle RestartProgram");
    }
    foundation::FlushDiagnosticLog();
    ::TerminateProcess(::GetCurrentProcess(), 0);
}

void InstallCrashHandler() noexcept { g_previousFilter = ::SetUnhandledExceptionFilter(CrashFilter); }

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
                    return win32::TaskRunsProgram(std::wstring(task).c_str(), process.baseFolder + L"hookel.exe");
                };
                port.runTask = [](std::wstring_view task) {
                    wchar_t system[MAX_PATH] = {};
                    ::GetSystemDirectoryW(system, MAX_PATH);
                    win32::StartProcess(std::wstring(system) + L"\\schtasks.exe", L"/run /TN \"" + std::wstring(task) + L"\"", 0);
                };
                port.startCompanion = [] {
                    // hookel.exe first; where it cannot run, the 64-bit build stands in.
                    const auto& base = Process().baseFolder;
                    if (win32::StartProcess(base + L"hookel.exe", {}, 1500)) return true;
                    return win32::StartProcess(base + L"Hookel64.exe", {}, 0);
                };
                port.elevated = [] { return win32::IsElevated(); };
                port.taskbarWindow = []() -> foundation::WindowHandle {
                    return reinterpret_cast<UINT_PTR>(win32::FindTaskbarWindow());
                };
                port.post = [&messages, handle](foundation::WindowHandle w, foundation::ShareMessage m, std::uintptr_t wp,
                                                std::intptr_t lp) {
                    const UINT id = m == foundation::ShareMessage::Share ? messages.share : messages.shareMemoryTask;
                    // The companion installs its update only when we vouch for the request.
                    if (m == foundation::ShareMessage::ShareMemoryTask && wp == foundation::kTaskInstallSelfUpdate &&
                        !win32::ConfirmToCompanion(handle(w), {foundation::ConfirmKind::InstallSelfUpdate, 0, 0}))
                        return;
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
                kestrana::foundation::LogCaught("lifecycle StartCompanionLinkAsync");
            }
        }).detach();
    } catch (...) {
        kestrana::foundation::LogCaught("lifecycle StartCompanionLinkAsync");
    }
}

} // namespace kestrana::app
