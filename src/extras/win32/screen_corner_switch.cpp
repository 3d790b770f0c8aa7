#include "extras/win32/screen_corner_switch.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/process_start.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <thread>
#include <vector>

namespace kestrana::extras::win32 {
namespace {

constexpr int kLookTries = 20;
constexpr DWORD kLookEveryMs = 200;

struct Display {
    std::wstring device;
};

BOOL CALLBACK AddDisplay(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<Display>*>(data)->push_back({info.szDevice});
    return TRUE;
}

// In the system's order, the same the corner process counts in.
std::vector<Display> Displays() {
    std::vector<Display> list;
    ::EnumDisplayMonitors(nullptr, nullptr, AddDisplay, reinterpret_cast<LPARAM>(&list));
    return list;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramFilesFolder() {
    PWSTR raw = nullptr;
    std::wstring path;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &raw)) && raw) path = raw;
    ::CoTaskMemFree(raw);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return !prefix.empty() && text.size() >= prefix.size() &&
           ::CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

ScreenCornerSwitch::ScreenCornerSwitch(ScreenCornerServices services) : m_services(std::move(services)) {}

ScreenCornerSwitch::~ScreenCornerSwitch() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->gone = true;
}

HWND ScreenCornerSwitch::CornerWindow() noexcept { return ::FindWindowW(kScreenCornerClass, kScreenCornerTitle); }

void ScreenCornerSwitch::Switch(int index, bool on) {
    const std::vector<Display> displays = Displays();
    const int count = static_cast<int>(displays.size());
    ScreenCornerSettings settings;
    if (index >= 0 && index < count && m_services.store) settings = m_reader.Read(*m_services.store, displays[static_cast<std::size_t>(index)].device);
    const CornerSwitchPlan plan = PlanCornerSwitch(index, count, on, settings.on, settings.radius);
    if (!plan.valid) return;
    if (plan.write && m_services.store)
        m_services.store->WriteInt(MonitorSection(displays[static_cast<std::size_t>(index)].device), L"screenround", on ? 1 : 0);
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->state[index] = on;
    }
    if (plan.ensureProcess) EnsureProcess();
    if (HWND window = CornerWindow())
        ::PostMessageW(window, kScreenCornerMessage, plan.wParam, plan.lParam);
    if (m_services.menuBarInset) m_services.menuBarInset(displays[static_cast<std::size_t>(index)].device, plan.menuBarInset);
}

void ScreenCornerSwitch::ApplyAll() {
    const std::vector<Display> displays = Displays();
    const int count = static_cast<int>(displays.size());
    for (int i = 0; i < count; ++i) {
        const ScreenCornerSettings settings =
            m_services.store ? m_reader.Read(*m_services.store, displays[static_cast<std::size_t>(i)].device)
                             : ScreenCornerSettings{};
        // A monitor that was never switched on needs no message and no process.
        bool known = false;
        {
            std::lock_guard lock(m_shared->mutex);
            known = m_shared->state.contains(i);
        }
        if (settings.on || known) Switch(i, settings.on);
    }
    // Monitors that went away: their caps go with them.
    std::vector<int> gone;
    {
        std::lock_guard lock(m_shared->mutex);
        for (auto it = m_shared->state.begin(); it != m_shared->state.end();) {
            if (it->first >= count) {
                gone.push_back(it->first);
                it = m_shared->state.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (HWND window = CornerWindow())
        for (int index : gone) ::PostMessageW(window, kScreenCornerMessage, 1, index);
}

void ScreenCornerSwitch::EnsureProcess() {
    if (CornerWindow()) return;
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->starting) return;
        m_shared->starting = true;
    }
    std::wstring program = m_services.baseFolder + L"vexrim.exe";
    if (m_services.store && m_services.store->ReadBool(L"normal", L"screenroundUiAccess")) {
        // The companion with UI access only works from a protected folder; it is looked for
        // where it would be installed.
        const std::wstring programFiles = ProgramFilesFolder();
        const std::wstring uiAccess = StartsWithNoCase(m_services.baseFolder, programFiles)
                                          ? m_services.baseFolder + L"Loftgate.exe"
                                          : programFiles + L"Kestrana\\Loftgate.exe";
        if (FileExists(uiAccess)) {
            m_services.store->WriteInt(L"normal", L"UiAccessRun", 1);
            program = uiAccess;
        } else {
            foundation::LogFailure("screen corners", L"no companion with UI access at " + uiAccess +
                                                         L"; the plain corner process is used");
        }
    }
    std::thread([shared = m_shared, program, folder = m_services.baseFolder] {
        kestrana::win32::ProgramStart start;
        start.program = program;
        start.folder = folder;
        auto started = kestrana::win32::StartProgram(start, "start corner process");
        HWND window = nullptr;
        for (int i = 0; started && i < kLookTries && !window; ++i) {
            ::Sleep(kLookEveryMs);
            window = CornerWindow();
        }
        std::lock_guard lock(shared->mutex);
        shared->starting = false;
        if (!window) {
            if (started) foundation::LogFailure("screen corners", L"the corner process showed no window within 4 s");
            return;
        }
        // The switches made while it started are handed over now.
        for (const auto& [index, on] : shared->state)
            ::PostMessageW(window, kScreenCornerMessage, on ? 0 : 1, index);
    }).detach();
}

} // namespace kestrana::extras::win32
