#include "autostart_jobs.h"

#include "foundation/win32/automation_values.h"
#include "foundation/win32/process_start.h"

#include <windows.h>
#include <oleauto.h>
#include <lmcons.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <cstdio>

using Microsoft::WRL::ComPtr;

namespace kestrana::companion {
namespace {

constexpr wchar_t kTaskName[] = L"Kestrana";
constexpr wchar_t kServiceName[] = L"Ondel";

std::wstring XmlEscape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::wstring CurrentUser() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    if (!::GetUserNameW(name, &size)) return {};
    wchar_t domain[MAX_COMPUTERNAME_LENGTH + 64] = {};
    DWORD domainSize = static_cast<DWORD>(std::size(domain));
    if (::GetEnvironmentVariableW(L"USERDOMAIN", domain, domainSize) > 0) return std::wstring(domain) + L"\\" + name;
    return name;
}

using win32::Bstr;
using win32::Variant;

bool RegisterWithSchtasks(const std::wstring& xml) {
    // Fallback where the Task Scheduler interface refuses the definition.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"kestrana_task.xml";
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const wchar_t bom = 0xFEFF;
    DWORD written = 0;
    ::WriteFile(handle, &bom, sizeof(bom), &written, nullptr);
    ::WriteFile(handle, xml.data(), static_cast<DWORD>(xml.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(handle);
    std::wstring command = L"schtasks.exe /create /f /tn \"" + std::wstring(kTaskName) + L"\" /xml \"" + file + L"\"";
    bool ok = false;
    win32::ProgramStart start;
    start.arguments = command;
    start.flags = CREATE_NO_WINDOW;
    if (const auto started = win32::StartProgram(start, "create start task"))
        ok = win32::WaitForExit(*started, 15000) == DWORD{0};
    ::DeleteFileW(file.c_str());
    return ok;
}

bool ConnectTaskFolder(ComPtr<ITaskService>& service, ComPtr<ITaskFolder>& folder) {
    if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service))))
        return false;
    Variant none;
    if (FAILED(service->Connect(none.value, none.value, none.value, none.value))) return false;
    Bstr root(L"\\");
    return SUCCEEDED(service->GetFolder(root.value, &folder));
}

} // namespace

std::wstring StartTaskXml(const std::wstring& programFolder, const std::wstring& user) {
    const std::wstring program = programFolder + L"Kestrana.exe";
    std::wstring userLine = user.empty() ? L"" : L"<UserId>" + XmlEscape(user) + L"</UserId>";
    return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
           L"  <RegistrationInfo><Description>Starts Kestrana when you sign in.</Description></RegistrationInfo>\r\n"
           L"  <Triggers><LogonTrigger><Enabled>true</Enabled>" + userLine + L"</LogonTrigger></Triggers>\r\n"
           L"  <Principals><Principal id=\"Author\">" + userLine +
           L"<LogonType>InteractiveToken</LogonType><RunLevel>HighestAvailable</RunLevel></Principal></Principals>\r\n"
           L"  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
           L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
           L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
           L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>\r\n"
           L"  <Actions Context=\"Author\"><Exec><Command>" + XmlEscape(program) + L"</Command><WorkingDirectory>" +
           XmlEscape(programFolder) + L"</WorkingDirectory></Exec></Actions>\r\n"
           L"</Task>\r\n";
}

// Builds the task through the object model, which every Task Scheduler version reads
// the same way; parts a scheduler does not support (a logon trigger, the run level) are
// left out rather than failing the whole task.
bool RegisterThroughObjectModel(ITaskFolder* folder, ITaskService* service, const std::wstring& programFolder) {
    ComPtr<ITaskDefinition> definition;
    if (FAILED(service->NewTask(0, &definition))) return false;

    ComPtr<IRegistrationInfo> info;
    if (SUCCEEDED(definition->get_RegistrationInfo(&info))) {
        Bstr description(L"Starts Kestrana when you sign in.");
        info->put_Description(description.value);
    }
    ComPtr<ITaskSettings> settings;
    if (SUCCEEDED(definition->get_Settings(&settings))) {
        settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
        settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
        Bstr unlimited(L"PT0S");
        settings->put_ExecutionTimeLimit(unlimited.value);
        settings->put_MultipleInstances(TASK_INSTANCES_IGNORE_NEW);
    }
    ComPtr<IPrincipal> principal;
    if (SUCCEEDED(definition->get_Principal(&principal))) {
        principal->put_LogonType(TASK_LOGON_INTERACTIVE_TOKEN);
        // The task belongs to the user who set it up; it starts at that user's logon.
        const std::wstring user = CurrentUser();
        Bstr userId(user.c_str());
        if (!user.empty()) principal->put_UserId(userId.value);
        principal->put_RunLevel(TASK_RUNLEVEL_HIGHEST);
    }
    ComPtr<ITriggerCollection> triggers;
    if (SUCCEEDED(definition->get_Triggers(&triggers))) {
        ComPtr<ITrigger> trigger;
        triggers->Create(TASK_TRIGGER_LOGON, &trigger);
    }
    ComPtr<IActionCollection> actions;
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    if (FAILED(definition->get_Actions(&actions)) || FAILED(actions->Create(TASK_ACTION_EXEC, &action)) ||
        FAILED(action.As(&exec)))
        return false;
    const std::wstring program = programFolder + L"Kestrana.exe";
    Bstr path(program.c_str());
    Bstr workingDirectory(programFolder.c_str());
    if (FAILED(exec->put_Path(path.value))) return false;
    exec->put_WorkingDirectory(workingDirectory.value);

    ComPtr<IRegisteredTask> task;
    Bstr name(kTaskName);
    Variant none;
    Variant noSddl(L"");
    return SUCCEEDED(folder->RegisterTaskDefinition(name.value, definition.Get(), TASK_CREATE_OR_UPDATE, none.value,
                                                    none.value, TASK_LOGON_INTERACTIVE_TOKEN, noSddl.value, &task));
}

bool CreateStartTask(const std::wstring& programFolder) {
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> folder;
    if (ConnectTaskFolder(service, folder) && RegisterThroughObjectModel(folder.Get(), service.Get(), programFolder))
        return true;
    return RegisterWithSchtasks(StartTaskXml(programFolder, CurrentUser()));
}

bool CreateStartService(const std::wstring& programFolder) {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE | SC_MANAGER_CONNECT);
    if (!manager) return false;
    const std::wstring image = L"\"" + programFolder + L"Ondel.exe\"";
    bool ok = false;
    SC_HANDLE service = ::CreateServiceW(manager, kServiceName, L"Kestrana session starter", SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_IGNORE,
                                         image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service && ::GetLastError() == ERROR_SERVICE_EXISTS) {
        service = ::OpenServiceW(manager, kServiceName, SERVICE_CHANGE_CONFIG | SERVICE_START);
        if (service)
            ok = ::ChangeServiceConfigW(service, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_IGNORE,
                                        image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                        L"Kestrana session starter") != FALSE;
    } else {
        ok = service != nullptr;
    }
    if (service) ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return ok;
}

bool RemoveStartEntries() {
    bool taskGone = true;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> folder;
    if (ConnectTaskFolder(service, folder)) {
        Bstr name(kTaskName);
        const HRESULT hr = folder->DeleteTask(name.value, 0);
        taskGone = SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    bool serviceGone = true;
    if (SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)) {
        if (SC_HANDLE service = ::OpenServiceW(manager, kServiceName, DELETE)) {
            serviceGone = ::DeleteService(service) != FALSE || ::GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
            ::CloseServiceHandle(service);
        }
        ::CloseServiceHandle(manager);
    }
    return taskGone && serviceGone;
}

} // namespace kestrana::companion
