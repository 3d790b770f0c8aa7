// Ondel.exe: starts Kestrana for the user. Registered as the service "Ondel" (autostart
// by service) it launches the program in every session that logs on; started as a plain
// program (autostart by task, or by hand) it simply starts the program beside it.
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
    HANDLE userToken = nullptr;
    if (!::WTSQueryUserToken(session, &userToken)) return; // nobody logged on there
    HANDLE primary = nullptr;
    if (::DuplicateTokenEx(userToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary)) {
        void* environment = nullptr;
        ::CreateEnvironmentBlock(&environment, primary, FALSE);
        const std::wstring folder = ProgramFolder();
        const std::wstring program = folder + L"Kestrana.exe";
        std::wstring command = L"\"" + program + L"\"";
        STARTUPINFOW si{sizeof(si)};
        wchar_t desktop[] = L"winsta0\\default";
        si.lpDesktop = desktop;
        PROCESS_INFORMATION pi{};
        if (::CreateProcessAsUserW(primary, program.c_str(), command.data(), nullptr, nullptr, FALSE,
                                   CREATE_UNICODE_ENVIRONMENT, environment, folder.c_str(), &si, &pi)) {
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
        }
        if (environment) ::DestroyEnvironmentBlock(environment);
        ::CloseHandle(primary);
    }
    ::CloseHandle(userToken);
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
    ReportStatus(SERVICE_RUNNING);
    // Someone may already be logged on when the service starts (installed while in use).
    LaunchInSession(::WTSGetActiveConsoleSessionId());
    ::WaitForSingleObject(g_stopEvent, INFINITE);
    ::CloseHandle(g_stopEvent);
    ReportStatus(SERVICE_STOPPED);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t name[] = L"Ondel";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (::StartServiceCtrlDispatcherW(table)) return 0;
    if (::GetLastError() != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return 1;
    // Not started by the service manager: start the program for the current user.
    const std::wstring folder = ProgramFolder();
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", (folder + L"Kestrana.exe").c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
    return result > 32 ? 0 : 1;
}
