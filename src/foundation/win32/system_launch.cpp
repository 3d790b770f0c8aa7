#include "foundation/win32/system_launch.h"

#include "foundation/diagnostic_log.h"
#include "foundation/process_state.h"
#include "foundation/text.h"
#include "foundation/win32/automation_values.h"
#include "foundation/win32/folder_security.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/unique_handle.h"

#include <oleauto.h>
#include <shellapi.h>
#include <taskschd.h>
#include <tlhelp32.h>
#include <wrl/client.h>

namespace kestrana::win32 {

using foundation::Process;
using Microsoft::WRL::ComPtr;

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
    try {
        const auto started =
            StartProgram({.program = path, .arguments = arguments, .folder = Process().baseFolder, .flags = CREATE_NO_WINDOW},
                         "start companion");
        if (!started) return false;
        return settleMs == 0 || StillRunningAfter(*started, settleMs);
    } catch (...) {
        foundation::LogCaught("start companion");
        return false;
    }
}

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
        foundation::LogCaught("system launch");
        return std::nullopt;
    }
}

bool TaskRunsProgram(const wchar_t* name, const std::wstring& program) noexcept {
    auto command = TaskCommand(name);
    if (!command) return false;
    std::wstring text = *command;
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return foundation::EqualsIgnoreCase(text, program);
}

bool TerminateProcessesOf(const std::wstring& imagePath) noexcept {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    bool ended = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId()) continue;
        UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (!process) continue;
        wchar_t image[MAX_PATH * 2] = {};
        DWORD size = static_cast<DWORD>(std::size(image));
        if (::QueryFullProcessImageNameW(process.Get(), 0, image, &size) &&
            foundation::EqualsIgnoreCase(image, imagePath) && ::TerminateProcess(process.Get(), 0))
            ended = true;
    }
    return ended;
}

bool RunElevated(const std::wstring& file, const std::wstring& arguments) noexcept {
    // Whatever runs elevated must come from a folder only administrators can change.
    const std::wstring folder = file.substr(0, file.find_last_of(L"\\/") + 1);
    if (folder.empty() || !FolderIsAdminOnly(folder, "run elevated")) return false;
    return StartWithShell({.file = file.c_str(),
                           .arguments = arguments.c_str(),
                           .folder = Process().baseFolder.c_str(),
                           .verb = IsElevated() ? L"open" : L"runas",
                           .show = SW_SHOWDEFAULT,
                           .waitForStart = true},
                          "run elevated");
}

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
        foundation::LogCaught("start with Windows");
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
        foundation::LogCaught("start with Windows");
    }
    return ReadAutostart();
}

} // namespace kestrana::win32
