// Ondel.exe: starts Kestrana for the user. Registered as the service "Ondel" (autostart
// by service) it launches the program in every session that logs on; started as a plain
// program (autostart by task, or by hand) it simply starts the program beside it.
#include "foundation/diagnostic_log.h"
#include "foundation/win32/folder_security.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/win32_log_files.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <shellapi.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <string>

namespace {

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status{};
HANDLE g_stopEvent = nullptr;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L'\\') + 1);
}

// Starts Kestrana.exe as the user of `session`, on that session's desktop.
void LaunchInSession(DWORD session) {
    if (session == 0xFFFFFFFF) return;
    HANDLE rawUser = nullptr;
    if (!::WTSQueryUserToken(session, &rawUser)) return; // nobody logged on there
    const kestrana::win32::UniqueKernelHandle userToken(rawUser);
    HANDLE primary = nullptr;
    if (::DuplicateTokenEx(userToken.Get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary)) {
        kestrana::win32::UniqueKernelHandle owned(primary);
        const std::wstring folder = ProgramFolder();
        kestrana::win32::ProgramStart start;
        start.program = folder + L"Kestrana.exe";
        start.folder = folder;
        start.userToken = primary;
        (void)kestrana::win32::StartProgram(start, "start for session");
    }
}

void ReportStatus(DWORD state) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SESSIONCHANGE : 0;
    ::SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD eventType, LPVOID eventData, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
        ReportStatus(SERVICE_STOP_PENDING);
        ::SetEvent(g_stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_SESSIONCHANGE:
        if (eventType == WTS_SESSION_LOGON && eventData)
            LaunchInSession(static_cast<WTSSESSION_NOTIFICATION*>(eventData)->dwSessionId);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    g_statusHandle = ::RegisterServiceCtrlHandlerExW(L"Ondel", ControlHandler, nullptr);
    if (!g_statusHandle) return;
    g_stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The service starts the program from its folder for everyone who logs on: the folder
    // is checked again at every start, since it may have changed since it was installed.
    if (!kestrana::win32::FolderIsAdminOnly(ProgramFolder(), "service start")) {
        kestrana::foundation::FlushDiagnosticLog();
        ::CloseHandle(g_stopEvent);
        g_status.dwWin32ExitCode = ERROR_ACCESS_DENIED;
        ReportStatus(SERVICE_STOPPED);
        return;
    }
    ReportStatus(SERVICE_RUNNING);
    // Someone may already be logged on when the service starts (installed while in use).
    LaunchInSession(::WTSGetActiveConsoleSessionId());
    ::WaitForSingleObject(g_stopEvent, INFINITE);
    ::CloseHandle(g_stopEvent);
    ReportStatus(SERVICE_STOPPED);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Refusals go to a log of its own beside the program's.
    if (auto log = kestrana::win32::MakeProgramLog(ProgramFolder(), L"Ondel.log"))
        kestrana::foundation::InstallDiagnosticLog(std::move(log));
    wchar_t name[] = L"Ondel";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (::StartServiceCtrlDispatcherW(table)) return 0;
    if (::GetLastError() != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return 1;
    // Not started by the service manager: start the program for the current user.
    const std::wstring folder = ProgramFolder();
    const std::wstring program = folder + L"Kestrana.exe";
    return kestrana::win32::StartWithShell({.file = program.c_str(), .folder = folder.c_str()}, "start program") ? 0 : 1;
}
