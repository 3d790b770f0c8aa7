#include "foundation/win32/process_start.h"

#include "foundation/diagnostic_log.h"

#include <shellapi.h>
#include <userenv.h>

namespace kestrana::win32 {
namespace {

// Frees an environment block made for another user.
class EnvironmentBlock {
public:
    explicit EnvironmentBlock(HANDLE token) noexcept {
        if (token && !::CreateEnvironmentBlock(&m_block, token, FALSE)) m_block = nullptr;
    }
    ~EnvironmentBlock() {
        if (m_block) ::DestroyEnvironmentBlock(m_block);
    }
    EnvironmentBlock(const EnvironmentBlock&) = delete;
    EnvironmentBlock& operator=(const EnvironmentBlock&) = delete;
    [[nodiscard]] void* Get() const noexcept { return m_block; }

private:
    void* m_block = nullptr;
};

void LogRefusal(const char* what, std::wstring_view file) noexcept {
    const DWORD error = ::GetLastError();
    foundation::LogFailure(what ? what : "start process",
                           L"could not start " + std::wstring(file) + L" (error " + std::to_wstring(error) + L")");
}

} // namespace

std::optional<StartedProcess> StartProgram(const ProgramStart& start, const char* what) noexcept {
    try {
        std::wstring command = start.program.empty() ? start.arguments : L"\"" + start.program + L"\"";
        if (!start.program.empty() && !start.arguments.empty()) command += L" " + start.arguments;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        const wchar_t* program = start.program.empty() ? nullptr : start.program.c_str();
        const wchar_t* folder = start.folder.empty() ? nullptr : start.folder.c_str();
        BOOL ok = FALSE;
        if (start.userToken) {
            wchar_t desktop[] = L"winsta0\\default";
            si.lpDesktop = desktop;
            const EnvironmentBlock environment(start.userToken);
            ok = ::CreateProcessAsUserW(start.userToken, program, command.data(), nullptr, nullptr, FALSE,
                                        start.flags | CREATE_UNICODE_ENVIRONMENT, environment.Get(), folder, &si, &pi);
        } else {
            ok = ::CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, start.flags, nullptr, folder, &si,
                                  &pi);
        }
        if (!ok) {
            LogRefusal(what, start.program.empty() ? command : start.program);
            return std::nullopt;
        }
        UniqueKernelHandle thread(pi.hThread);
        return StartedProcess{UniqueKernelHandle(pi.hProcess), pi.dwProcessId};
    } catch (...) {
        foundation::LogCaught(what ? what : "start process");
        return std::nullopt;
    }
}

bool StillRunningAfter(const StartedProcess& started, DWORD ms) noexcept {
    return started.process && ::WaitForSingleObject(started.process.Get(), ms) == WAIT_TIMEOUT;
}

std::optional<DWORD> WaitForExit(const StartedProcess& started, DWORD ms) noexcept {
    if (!started.process || ::WaitForSingleObject(started.process.Get(), ms) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeProcess(started.process.Get(), &code)) return std::nullopt;
    return code;
}

bool StartWithShell(const ShellStart& start, const char* what) noexcept {
    if (!start.file || !*start.file) return false;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // The process handle comes back only to be closed here: nobody waits on it.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | (start.waitForStart ? SEE_MASK_NOASYNC : 0);
    info.lpVerb = start.verb;
    info.lpFile = start.file;
    info.lpParameters = start.arguments && *start.arguments ? start.arguments : nullptr;
    info.lpDirectory = start.folder && *start.folder ? start.folder : nullptr;
    info.nShow = start.show;
    if (!::ShellExecuteExW(&info)) {
        LogRefusal(what, start.file);
        return false;
    }
    UniqueKernelHandle process(info.hProcess);
    return true;
}

} // namespace kestrana::win32
